#pragma once
// TCurveFit: collects (x, y) pairs with running sums of many transformed
// quantities, fits one of fourteen one-variable models, evaluates and
// predicts with them, and reports descriptive and rank statistics.
//
//   TCurveFit fit;
//   for (...) fit.EnterStatValue(x, y);
//   double k = 0, d = 0, r2 = 0;
//   fit.CalcLinFit(k, d, r2);                 // y = d + k x
//   double y = 0, piv = 0, civ = 0;
//   fit.Predict(TRegModel::rmLinear, 12.5, 0.95, 0, y, piv, civ);
//
// Fits raise EKVLMath2Error ("CalcLinFit: not enough data points", ...);
// CalcRegModel, Predict and ImportASC report through status codes. The
// running sums are 80-bit long doubles; transformations that are not
// defined for a pair (1/0, ln of a value <= 0) are flagged in ErrIndic and
// replaced by uc_MaxReal terms, never raised.
//
// The linearised models (all fitted by least squares on the stored pairs,
// FitQual being r² of the linearised regression):
//   rmReciLin         1/y = a + b x               rmHyperbolic  y = a + b (1/x)
//   rmReciHyperbolic  1/y = a + b (1/x)           rmLog         y = a + b ln x
//   rmReciLog         1/y = a + b ln x            rmPower       ln y = ln a + b ln x
//   rmExpo            ln y = ln a + b x
//   rmGaussian        ln y = ln a − (x − b)²/c   (a quadratic in x)
//   rmHoerl           ln y = ln a + x ln b + c ln x
// A pair outside a model's domain (x = 0 for 1/x, x <= 0 for ln x, ...)
// makes its fit raise; every other pair takes part.

#include <array>
#include <cstdint>
#include <iosfwd>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

static_assert(sizeof(long double) >= 10 && std::numeric_limits<long double>::digits == 64,
              "the running sums need the 80-bit extended type");

/// TRegModel: the regression models of TCurveFit (ordinals fixed).
enum class TRegModel : std::int32_t {
  rmNone,
  rmLinear,
  rmParabolic,
  rmGaussian,
  rmReciLin,
  rmHyperbolic,
  rmReciHyperbolic,
  rmLog,
  rmReciLog,
  rmPower,
  rmExpo,
  rmHoerl,
  rmCircle,
  rmPolynomial,
  rmCenteredPoly
};

/// TCurveFitError: the transformations found undefined while pairs were
/// accumulated (ordinals fixed).
enum class TCurveFitError : std::int32_t { cfeXLE0, cfeYLE0, cfeXEQ0, cfeYEQ0 };

/// REG_MINDP: the minimum number of pairs per model (-1: the polynomial
/// fits check the count against their order).
inline constexpr std::array<std::int32_t, 15> REG_MINDP = {0, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, -1, -1};

/// IDS_REGMODEL: the name of each model.
inline constexpr std::array<const char*, 15> IDS_REGMODEL = {
    "rmNone",  "rmLinear", "rmParabolic", "rmGaussian", "rmReciLin", "rmHyperbolic", "rmReciHyperbolic", "rmLog",
    "rmReciLog", "rmPower", "rmExpo",     "rmHoerl",    "rmCircle",  "rmPolynomial", "rmCenteredPoly"};

/// CurveFitMaxOrder: the highest polynomial order (the parameter table has
/// eleven slots).
inline constexpr std::int32_t CurveFitMaxOrder = 10;

/// TCurveFitSums: the thirty-three running sums, all 0 after Init.
struct TCurveFitSums {
  long double sumx, sumy, sumxq, sumyq, sumDiff, SumDiffq, sumxy, sumx2y, sumxy2, sumx3, sumy3, sumx4, sumy4,
      sum1byy, sum1byxy, sum1byyq, sumxbyy, sumybyx, sum1byx, sum1byxq, sumlnx, sumlnxlny, sumlnxq, sumylny,
      sumylnx, sumxlnx, sumlnxbyy, sumlnybyx, sumlny, sumlnyq, sumxlny, sumxqlny, sumyqlnx;
};

class TCurveFit : public TComponent {
 public:
  /// Creates an empty fitter with room for 1000 pairs.
  explicit TCurveFit(TComponent* AOwner = nullptr);
  ~TCurveFit() override;

  // --- data entry --------------------------------------------------------------------------

  /// Init: forgets every pair, sum, flag and model (the data matrix keeps its size, zeroed).
  void Init();
  /// EnterStatValue: adds the pair, resets the model and the caches; returns the new NumData.
  std::int32_t EnterStatValue(double x, double y);
  /// RemoveStatValue: removes pair ix (1-based; nothing for another ix),
  /// taking its terms out of the sums; clears the caches, keeps the model.
  void RemoveStatValue(std::int32_t ix);
  /// FlipXY: exchanges the roles of x and y in the pairs, sums and extremes.
  void FlipXY();
  /// ClearModelParams: no model: parameters 0, significances -1.
  void ClearModelParams();

  // --- fits (raise EKVLMath2Error) -------------------------------------------------------------

  /// CalcLinFit: y = d + k x on the centred pairs.
  void CalcLinFit(double& k, double& d, double& FitQual);
  /// CalcParabolFit: y = k0 + k1 x + k2 x² on the centred pairs.
  void CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual);
  /// CalcCircleFit: the least-squares circle (centre dx, dy, radius r) from the sums.
  void CalcCircleFit(double& r, double& dx, double& dy);
  /// CalcPolyFit: y = Σ kArray[j] x^j (order 0..10) by singular-value least
  /// squares; true, false when the decomposition was aborted or failed.
  bool CalcPolyFit(std::int32_t nOrder, std::vector<double>& kArray, double& FitQual, bool& NearSingular);
  /// CalcPolyFit: also the two-sided significance of each coefficient in Alpha.
  bool CalcPolyFit(std::int32_t nOrder, std::vector<double>& kArray, std::vector<double>& Alpha, double& FitQual,
                   bool& NearSingular);
  /// CalcCenteredPolyFit: y = Σ kArray[j] (x − XShift)^j on x centred at XShift
  /// (the mean of x when 0 is given) and scaled; the solver's success.
  bool CalcCenteredPolyFit(std::int32_t nOrder, std::vector<double>& kArray, double& XShift, double& FitQual,
                           bool& NearSingular);
  /// CalcCenteredPolyFit: also the significance of each coefficient in alpha.
  bool CalcCenteredPolyFit(std::int32_t nOrder, std::vector<double>& kArray, std::vector<double>& alpha,
                           double& XShift, double& FitQual, bool& NearSingular);
  /// CalcGaussFit: y = k0 exp(−(x − k1)²/k2).
  void CalcGaussFit(double& k0, double& k1, double& k2, double& FitQual);
  /// CalcHoerlFit: y = k0 k1^x x^k2.
  void CalcHoerlFit(double& k0, double& k1, double& k2, double& FitQual);
  /// CalcReciLinFit: y = 1/(k0 + k1 x).
  void CalcReciLinFit(double& k0, double& k1, double& FitQual);
  /// CalcHyperbolFit: y = k0 + k1/x.
  void CalcHyperbolFit(double& k0, double& k1, double& FitQual);
  /// CalcReciHyperbolFit: y = x/(k0 x + k1).
  void CalcReciHyperbolFit(double& k0, double& k1, double& FitQual);
  /// CalcLogFit: y = k0 + k1 ln x.
  void CalcLogFit(double& k0, double& k1, double& FitQual);
  /// CalcReciLogFit: y = 1/(k0 + k1 ln x).
  void CalcReciLogFit(double& k0, double& k1, double& FitQual);
  /// CalcPowerFit: y = k0 x^k1.
  void CalcPowerFit(double& k0, double& k1, double& FitQual);
  /// CalcExponentialFit: y = k0 exp(k1 x).
  void CalcExponentialFit(double& k0, double& k1, double& FitQual);

  // --- model use ---------------------------------------------------------------------------------

  /// CalcRegModel: fits RegModel when it is not the current one and fills
  /// the residuals; 0, -1 too few pairs, -2 rmNone. Fit errors pass through.
  std::int32_t CalcRegModel(TRegModel RegModel, std::int32_t PolyOrder);
  /// Evaluate: the current model at XVal (0 for rmNone and rmCircle).
  double Evaluate(double XVal) const;
  /// Predict: the model's value at XVal with the half widths of the
  /// prediction and confidence intervals at probability p; 0, -1 p outside
  /// [0.5, 1), -2 too few pairs, -3 rmNone, or CalcRegModel's status.
  std::int32_t Predict(TRegModel RegModel, double XVal, double p, std::int32_t PolyOrder, double& PredVal,
                       double& PredIv, double& ConfIv);
  /// CalcAnovaReg: the analysis of variance of pairs (observed, estimated).
  void CalcAnovaReg(std::int32_t NumVars, bool IncludeConst, std::int32_t& dfreg, std::int32_t& dfres,
                    std::int32_t& dftotal, double& SSE, double& SSR, double& SST, double& MSE, double& MSR,
                    double& F) const;
  /// CalcStatistics: count, means, standard deviations and Pearson r from the sums.
  void CalcStatistics(std::int32_t& NumData, double& MeanX, double& MeanY, double& StdevX, double& StdevY,
                      double& MeanDiff, double& StdevDiff, double& rxy) const;

  // --- rank statistics, percentiles --------------------------------------------------------------

  /// KendallsTau: Kendall's tau-b of the pairs and its two-sided probability.
  double KendallsTau(double& prob);
  /// KruskalGamma: (C − D)/(C + D) of the pair counts; 0 when C + D = 0.
  double KruskalGamma();
  /// SpearmanRankCorr: Spearman's rho with the tie correction; 0 below 3 pairs.
  double SpearmanRankCorr();
  /// PercentileX, PercentileY: the nearest-rank percentile (prob in 0..100) of a column.
  double PercentileX(double prob) const;
  double PercentileY(double prob) const;
  /// QuartilesX, QuartilesY: the quartiles of a column.
  void QuartilesX(double& q1, double& q2, double& q3) const;
  void QuartilesY(double& q1, double& q2, double& q3) const;

  // --- splines -----------------------------------------------------------------------------------------

  /// CubicSpline: the interpolating cubic spline through the pairs (sorted
  /// by x, equal x averaged) at x, with natural or clamped ends as set.
  /// Raises EKVLMath2Error with fewer than two distinct x values.
  double CubicSpline(double x);
  /// SmoothedSpline: the penalised smoothing spline (SplineSmoothingFactor)
  /// at x; FitQual is its r² against the pairs. valid is false (result 0)
  /// with fewer than three distinct x values.
  double SmoothedSpline(double x, double& FitQual, bool& valid);

  // --- ASC exchange --------------------------------------------------------------------------------

  /// ExportAsASC: writes the pairs as a two-column ASC text; "" on success,
  /// else the message of what went wrong.
  std::string ExportAsASC(const std::string& FName, const std::string& Comment, std::int32_t Precision) const;
  /// ImportASC: adds the pairs of a two-column ASC text; 0, the header's
  /// status, -7 nominal-variable block, -8 no such file, -5/-6 a bad row.
  /// Raises EKVLMath2Error when the text has other than two columns.
  std::int32_t ImportASC(const std::string& FName);
  /// ImportASC: the same from an open stream, from its position (-8 does not occur).
  std::int32_t ImportASC(std::istream& In);

  // --- properties ----------------------------------------------------------------------------------

  double DataX(std::int32_t i) const noexcept;
  double DataY(std::int32_t i) const noexcept;
  std::int32_t NumData() const noexcept { return FNumData; }
  double MinX() const noexcept { return FMinX; }
  double MaxX() const noexcept { return FMaxX; }
  double MinY() const noexcept { return FMinY; }
  double MaxY() const noexcept { return FMaxY; }
  double MeanX() const noexcept;
  double MeanY() const noexcept;
  double MeanDiff() const noexcept;
  double StdDevX() const noexcept;
  double StdDevY() const noexcept;
  double StdDevDiff() const noexcept;
  double RMSDiff() const noexcept;
  double CorrCoeff() const noexcept;
  double MeanAngleX() const;
  double MeanAngleY() const;
  double SkewnessX() const;
  double SkewnessY() const;
  double KurtosisX() const;
  double KurtosisY() const;
  /// ModelPar: parameter j (row 1) or its significance (row 2).
  double ModelPar(std::int32_t row, std::int32_t j) const noexcept;
  double Residual(std::int32_t i) const noexcept;
  double StdDevResid() const;
  double FitQual() const noexcept { return FRegMod == TRegModel::rmNone ? 0.0 : FModR2; }
  double CPXShift() const noexcept { return FRegMod == TRegModel::rmCenteredPoly ? FXShift : 0.0; }
  std::int32_t PolyOrder() const noexcept { return FPolyOrder; }
  /// RegModel: the model currently fitted.
  TRegModel RegModel() const noexcept { return FRegMod; }
  bool SplineNatural1() const noexcept { return FNatural1; }
  void SetSplineNatural1(bool Value) noexcept { FNatural1 = Value; FSplineValid = false; }
  bool SplineNaturalN() const noexcept { return FNaturalN; }
  void SetSplineNaturalN(bool Value) noexcept { FNaturalN = Value; FSplineValid = false; }
  double SplineDerivY1() const noexcept { return FY1Dash; }
  void SetSplineDerivY1(double Value) noexcept { FY1Dash = Value; FSplineValid = false; }
  double SplineDerivYN() const noexcept { return FYNDash; }
  void SetSplineDerivYN(double Value) noexcept { FYNDash = Value; FSplineValid = false; }
  double SplineSmoothingFactor() const noexcept { return FPSplineSmooth; }
  void SetSplineSmoothingFactor(double Value) noexcept { FPSplineSmooth = Value; FPenSplineValid = false; }
  /// ErrIndic: whether flag e was raised since the last Init.
  bool ErrIndic(TCurveFitError e) const noexcept;
  /// Sums: the running sums.
  const TCurveFitSums& Sums() const noexcept;
  /// Capacity: the rows of the data matrix (pairs it holds without growing).
  std::int32_t Capacity() const noexcept { return FData->NrOfRows(); }

  /// Assign: from a TCurveFit copies the pairs, sums, flags, model and settings.
  void Assign(const TPersistent* Source) override;

 private:
  void Grow();
  void AppendPair(double x, double y);  // extremes, sums, data matrix
  void BeginModel() {
    ClearModelParams();
    FModelClear = false;
  }
  void ResetCaches() noexcept { FSplineValid = FKendallValid = FPenSplineValid = false; }
  void StoreLinearised(TRegModel Model, std::span<const double> Pars, double Quality);
  void StoreTwo(TRegModel Model, std::span<const double> Pars, double Quality, double& k0, double& k1,
                double& FitQual);
  void PolyFit(const char* Func, bool Centered, std::int32_t nOrder, std::vector<double>& kArray,
               std::vector<double>& Alpha, double& XShift, double& FitQual, bool& NearSingular, bool& Ok);
  void CountRankPairs();
  double MeanAngle(std::int32_t Col) const;
  void SkewKurtCol(std::int32_t Col, double& Skew, double& Kurt) const;
  void PrepareSplineData();
  const double* XData() const noexcept { return FData->Data().data(); }
  const double* YData() const noexcept { return FData->Data().data() + FData->NrOfRows(); }

  // The pairs are added to the sums in blocks when the sums are read: rows
  // 1..FSummed of the data matrix are in FSums and FErrIndic.
  void SyncSums() const noexcept;
  mutable TCurveFitSums FSums{};
  mutable std::int32_t FSummed = 0;
  std::int32_t FNumData = 0;
  double FMinX = 0, FMaxX = 0, FMinY = 0, FMaxY = 0;
  bool FNatural1 = true, FNaturalN = true;
  double FY1Dash = 0, FYNDash = 0;
  mutable std::uint32_t FErrIndic = 0;
  std::array<std::array<double, CurveFitMaxOrder + 1>, 2> FModPars{};
  TRegModel FRegMod = TRegModel::rmNone;
  std::int32_t FPolyOrder = 0;
  std::vector<double> FResids;
  double FModR2 = 0, FXShift = 0;
  // True while the model is as ClearModelParams leaves it; every writer of
  // the model starts with BeginModel.
  bool FModelClear = false;
  std::unique_ptr<TVector> Spl2Deriv, SplSortedX, SplSortedY;
  std::unique_ptr<TMatrix> FData;
  bool FSplineValid = false;
  double FPSplineSmooth = 0.5;
  double FPSplineFQ = 0;
  bool FPenSplineValid = false, FKendallValid = false;
  std::vector<double> FPenSplineY, FPenSpline2Deriv;  // the smoothing spline's knot values and curvatures
  // Pair counts of the rank statistics (64-bit: n(n − 1)/2 passes 2^31 at n = 65,536).
  std::int64_t FKendallConcord = 0, FKendallDiscord = 0, FKendallTies1 = 0, FKendallTies2 = 0;
};

/// PenalizedCubicSpline: the cubic smoothing spline (Reinsch) through X
/// (strictly ascending) and Y that minimises
///   Smooth · Σ (Y[i] − g(X[i]))² + (1 − Smooth) · ∫ g''(x)² dx,
/// Smooth clamped into [0, 1]: 1 interpolates, 0 gives the least-squares
/// line. Fills G with g(X[i]) and Deriv2 with g''(X[i]) (0 at both ends).
/// Returns 0, -1 fewer than three points, -2 X not strictly ascending or
/// not finite, -3 X and Y of different lengths.
std::int32_t PenalizedCubicSpline(std::span<const double> X, std::span<const double> Y, double Smooth,
                                  std::vector<double>& G, std::vector<double>& Deriv2);

/// SplineValue: the cubic spline with knots X, values G and second
/// derivatives Deriv2 at x (the end pieces extended beyond the knots).
double SplineValue(std::span<const double> X, std::span<const double> G, std::span<const double> Deriv2, double x);

}  // namespace kvl

KVL_API_END
