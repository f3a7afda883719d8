// TCurveFit: construction, pair entry and removal, the running sums and the
// descriptive statistics read from them.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "kvl/arrays/array_stats.h"
#include "kvl/modelling/curvefit/curvefit.h"
#include "kvl/modelling/curvefit/internal/curvefit_sums.h"

namespace kvl {

namespace {

constexpr std::int32_t kGrowRows = 1000;

// Standard deviation from a sum and a sum of squares; 0 below 3 values.
double SumsStdDev(long double Sum, long double SumSq, std::int32_t n) {
  if (n < 3) return 0.0;
  return static_cast<double>(std::sqrt(std::fabs((SumSq - Sum * Sum / n) / (n - 1))));
}

}  // namespace

TCurveFit::TCurveFit(TComponent* AOwner)
    : TComponent(AOwner),
      Spl2Deriv(std::make_unique<TVector>()),
      SplSortedX(std::make_unique<TVector>()),
      SplSortedY(std::make_unique<TVector>()),
      FData(std::make_unique<TMatrix>()) {
  FData->Resize(2, kGrowRows);
  Init();
}

TCurveFit::~TCurveFit() = default;

void TCurveFit::SyncSums() const noexcept {
  if (FSummed >= FNumData) return;
  FErrIndic |= curvefit_internal::AddPairs(FSums, XData() + FSummed, YData() + FSummed,
                                           static_cast<std::size_t>(FNumData - FSummed));
  FSummed = FNumData;
}

const TCurveFitSums& TCurveFit::Sums() const noexcept {
  SyncSums();
  return FSums;
}

bool TCurveFit::ErrIndic(TCurveFitError e) const noexcept {
  SyncSums();
  return (FErrIndic >> static_cast<int>(e)) & 1u;
}

void TCurveFit::Init() {
  FSums = TCurveFitSums{};
  FSummed = 0;
  FNumData = 0;
  FPSplineFQ = 0;
  FMinX = FMinY = uc_MaxDouble;
  FMaxX = FMaxY = -uc_MaxDouble;
  FErrIndic = 0;
  ClearModelParams();
  FData->Fill(0.0);
  ResetCaches();
}

void TCurveFit::ClearModelParams() {
  FRegMod = TRegModel::rmNone;
  FPolyOrder = 0;
  FResids.clear();
  FModR2 = 0;
  FXShift = 0;
  FModPars[0].fill(0.0);
  FModPars[1].fill(-1.0);
  FModelClear = true;
}

// More rows for the data matrix. The matrix grows in steps of 1000 rows
// while it is small and by half its size (rounded up to 1000 rows) when
// large, so that streaming n pairs moves O(n) cells, not O(n²/1000).
void TCurveFit::Grow() {
  const std::int64_t rows = FData->NrOfRows();
  const std::int64_t step = std::max<std::int64_t>(kGrowRows, (rows / 2 + kGrowRows - 1) / kGrowRows * kGrowRows);
  const std::int64_t wanted = std::min<std::int64_t>(rows + step, std::numeric_limits<std::int32_t>::max());
  if (wanted <= rows) RaiseComponent<EKVLMath2Error>(*this, "too many data points");
  GuardAllocation<EKVLMath2Error>(*this, [&] { FData->Resize(2, static_cast<std::int32_t>(wanted)); });
}

void TCurveFit::AppendPair(double x, double y) {
  if (FNumData >= FData->NrOfRows()) Grow();
  if (x < FMinX) FMinX = x;
  if (y < FMinY) FMinY = y;
  if (x > FMaxX) FMaxX = x;
  if (y > FMaxY) FMaxY = y;
  const TColumnView<double> cells = FData->ColumnView();
  cells[0][static_cast<std::size_t>(FNumData)] = x;
  cells[1][static_cast<std::size_t>(FNumData)] = y;
  ++FNumData;
}

std::int32_t TCurveFit::EnterStatValue(double x, double y) {
  AppendPair(x, y);
  ResetCaches();
  if (!FModelClear) ClearModelParams();  // entry is the hot path: clear once
  return FNumData;
}

void TCurveFit::RemoveStatValue(std::int32_t ix) {
  ResetCaches();
  if (ix < 1 || ix > FNumData) return;
  const TColumnView<double> cells = FData->ColumnView();
  const auto i = static_cast<std::size_t>(ix - 1), n = static_cast<std::size_t>(FNumData);
  SyncSums();
  curvefit_internal::TPrep prep;
  curvefit_internal::Prepare(cells[0][i], cells[1][i], prep);  // removal raises no flag
  curvefit_internal::AddPair<-1>(FSums, prep);
  for (std::size_t c = 0; c < 2; ++c) {
    const std::span<double> col = cells[c];
    std::copy(col.begin() + static_cast<std::ptrdiff_t>(i) + 1, col.begin() + static_cast<std::ptrdiff_t>(n),
              col.begin() + static_cast<std::ptrdiff_t>(i));
    col[n - 1] = 0.0;
  }
  --FNumData;
  FSummed = FNumData;
}

void TCurveFit::FlipXY() {
  SyncSums();
  std::swap(FMinX, FMinY);
  std::swap(FMaxX, FMaxY);
  TCurveFitSums& s = FSums;
  std::swap(s.sumx, s.sumy);
  std::swap(s.sumxq, s.sumyq);
  std::swap(s.sumx2y, s.sumxy2);
  std::swap(s.sumx3, s.sumy3);
  std::swap(s.sumx4, s.sumy4);
  std::swap(s.sum1byy, s.sum1byx);
  std::swap(s.sum1byyq, s.sum1byxq);
  std::swap(s.sumxbyy, s.sumybyx);
  std::swap(s.sumlnx, s.sumlny);
  std::swap(s.sumlnxq, s.sumlnyq);
  std::swap(s.sumylnx, s.sumxlny);
  std::swap(s.sumxlnx, s.sumylny);
  std::swap(s.sumlnxbyy, s.sumlnybyx);
  std::swap(s.sumxqlny, s.sumyqlnx);
  s.sumDiff = -s.sumDiff;
  const TColumnView<double> cells = FData->ColumnView();
  std::swap_ranges(cells[0].begin(), cells[0].end(), cells[1].begin());
}

void TCurveFit::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TCurveFit*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  FData->Assign(src->FData.get());
  FSums = src->Sums();
  FSummed = src->FSummed;
  FNumData = src->FNumData;
  FMinX = src->FMinX;
  FMaxX = src->FMaxX;
  FMinY = src->FMinY;
  FMaxY = src->FMaxY;
  FNatural1 = src->FNatural1;
  FNaturalN = src->FNaturalN;
  FY1Dash = src->FY1Dash;
  FYNDash = src->FYNDash;
  FErrIndic = src->FErrIndic;
  FModPars = src->FModPars;
  FRegMod = src->FRegMod;
  FPolyOrder = src->FPolyOrder;
  FResids = src->FResids;
  FModR2 = src->FModR2;
  FXShift = src->FXShift;
  FModelClear = src->FModelClear;
  FPSplineSmooth = src->FPSplineSmooth;
  FPSplineFQ = src->FPSplineFQ;
  ResetCaches();
}

// --- properties -------------------------------------------------------------------------------

double TCurveFit::DataX(std::int32_t i) const noexcept {
  return i >= 1 && i <= FNumData ? XData()[i - 1] : 0.0;
}

double TCurveFit::DataY(std::int32_t i) const noexcept {
  return i >= 1 && i <= FNumData ? YData()[i - 1] : 0.0;
}

double TCurveFit::MeanX() const noexcept { return FNumData < 1 ? 0.0 : static_cast<double>(Sums().sumx / FNumData); }
double TCurveFit::MeanY() const noexcept { return FNumData < 1 ? 0.0 : static_cast<double>(Sums().sumy / FNumData); }
double TCurveFit::MeanDiff() const noexcept {
  return FNumData < 1 ? 0.0 : static_cast<double>(Sums().sumDiff / FNumData);
}
double TCurveFit::StdDevX() const noexcept { return SumsStdDev(Sums().sumx, Sums().sumxq, FNumData); }
double TCurveFit::StdDevY() const noexcept { return SumsStdDev(Sums().sumy, Sums().sumyq, FNumData); }
double TCurveFit::StdDevDiff() const noexcept { return SumsStdDev(Sums().sumDiff, Sums().SumDiffq, FNumData); }
double TCurveFit::RMSDiff() const noexcept {
  return FNumData < 1 ? 0.0 : static_cast<double>(std::sqrt(Sums().SumDiffq / FNumData));
}

double TCurveFit::CorrCoeff() const noexcept {
  std::int32_t n = 0;
  double mx = 0, my = 0, sx = 0, sy = 0, md = 0, sd = 0, r = 0;
  CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  return r;
}

void TCurveFit::CalcStatistics(std::int32_t& NumData, double& MeanX, double& MeanY, double& StdevX, double& StdevY,
                               double& MeanDiff, double& StdevDiff, double& rxy) const {
  NumData = FNumData;
  MeanX = MeanY = StdevX = StdevY = MeanDiff = StdevDiff = rxy = 0.0;
  const std::int32_t n = FNumData;
  if (n > 0) {
    MeanX = this->MeanX();
    MeanY = this->MeanY();
    MeanDiff = this->MeanDiff();
  }
  if (n < 3) return;
  StdevX = StdDevX();
  StdevY = StdDevY();
  StdevDiff = StdDevDiff();
  const TCurveFitSums& s = Sums();
  const long double sxx = s.sumxq - s.sumx * s.sumx / n, syy = s.sumyq - s.sumy * s.sumy / n;
  if (s.sumxq > 0 && s.sumyq > 0 && sxx != 0 && syy != 0)
    rxy = static_cast<double>((s.sumxy - s.sumx * s.sumy / n) / std::sqrt(std::fabs(sxx * syy)));
}

double TCurveFit::MeanAngle(std::int32_t Col) const {
  if (FNumData < 1) return 0.0;  // no angle: arctan(0/0)
  const double* v = Col == 1 ? XData() : YData();
  long double s = 0, c = 0;
  constexpr double toRad = std::numbers::pi / 180.0;
  for (std::int32_t i = 0; i < FNumData; ++i) {
    s += std::sin(v[i] * toRad);
    c += std::cos(v[i] * toRad);
  }
  const double m = std::atan(static_cast<double>(s / c)) / toRad;
  if (c < 0) return m + 180.0;
  return s >= 0 ? m : m + 360.0;
}

double TCurveFit::MeanAngleX() const { return MeanAngle(1); }
double TCurveFit::MeanAngleY() const { return MeanAngle(2); }

void TCurveFit::SkewKurtCol(std::int32_t Col, double& Skew, double& Kurt) const {
  Skew = Kurt = 0.0;
  if (FNumData >= 1) FData->SkewKurtSample(Col, 1, Col, FNumData, Skew, Kurt);
}

double TCurveFit::SkewnessX() const {
  double s = 0, k = 0;
  SkewKurtCol(1, s, k);
  return s;
}
double TCurveFit::SkewnessY() const {
  double s = 0, k = 0;
  SkewKurtCol(2, s, k);
  return s;
}
double TCurveFit::KurtosisX() const {
  double s = 0, k = 0;
  SkewKurtCol(1, s, k);
  return k;
}
double TCurveFit::KurtosisY() const {
  double s = 0, k = 0;
  SkewKurtCol(2, s, k);
  return k;
}

double TCurveFit::PercentileX(double prob) const {
  return FNumData < 1 ? 0.0 : FData->Percentile(prob, 1, 1, 1, FNumData);
}
double TCurveFit::PercentileY(double prob) const {
  return FNumData < 1 ? 0.0 : FData->Percentile(prob, 2, 1, 2, FNumData);
}
void TCurveFit::QuartilesX(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0.0;
  if (FNumData >= 1) FData->Quartiles(1, 1, 1, FNumData, q1, q2, q3);
}
void TCurveFit::QuartilesY(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0.0;
  if (FNumData >= 1) FData->Quartiles(2, 1, 2, FNumData, q1, q2, q3);
}

double TCurveFit::ModelPar(std::int32_t row, std::int32_t j) const noexcept {
  if (row != 1 && row != 2) return -1.0;
  if (j < 0 || j > CurveFitMaxOrder || FRegMod == TRegModel::rmNone) return row == 1 ? 0.0 : -1.0;
  return FModPars[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(j)];
}

double TCurveFit::Residual(std::int32_t i) const noexcept {
  if (FRegMod == TRegModel::rmNone || i < 1 || static_cast<std::size_t>(i) > FResids.size()) return 0.0;
  return FResids[static_cast<std::size_t>(i - 1)];
}

double TCurveFit::StdDevResid() const {
  if (FResids.empty()) return 0.0;
  double sd = 0;
  return StdDevArray(FResids, 0, static_cast<std::int32_t>(FResids.size()) - 1, sd) == 0 ? sd : 0.0;
}

}  // namespace kvl
