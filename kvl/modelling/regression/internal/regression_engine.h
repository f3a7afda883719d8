#pragma once
// The least-squares engine under the regression family: one design matrix
// copied once into column-major work storage, decomposed by the library's
// Golub–Reinsch SVD, solved and refined. MultiLinReg, VarInflatFactor and
// the ridge fits call it; nothing here raises.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"

namespace kvl::regression_internal {

/// TDesign: the columns of a design matrix, each a span of Rows values; an
/// empty span stands for the column of ones (the constant term).
struct TDesign {
  std::vector<std::span<const double>> Cols;
  std::size_t Rows = 0;
};

/// TLsqStatus: outcome of a fit.
enum class TLsqStatus { lsOk, lsTooFewRows, lsNotFinite, lsAborted, lsNoConvergence };

/// TLsqFit: the results of FitLeastSquares, in the order of the design
/// columns. TSS is about the mean with a constant column, about 0 without.
struct TLsqFit {
  std::vector<double> Coef;
  std::vector<double> StdErr;
  long double RSS = 0;
  long double TSS = 0;
  std::int32_t Rank = 0;     // non-zero singular values, the constant included
  std::int32_t DfResid = 0;  // rows - Rank
  bool HasConst = false;
  bool NearSingular = false;
  /// ResidSD: √(RSS/DfResid), NaN without residual degrees of freedom.
  double ResidSD() const;
  /// RSquared: 1 - RSS/TSS (NaN when TSS is 0).
  double RSquared() const;
  /// FValue: regression mean square over residual mean square (+inf for a
  /// perfect fit, NaN when either has no degrees of freedom).
  double FValue() const;
};

/// FitLeastSquares: least-squares fit of y on the design D. With a constant
/// column the other columns are centred (sums in extended precision); every
/// column is scaled to unit length before the decomposition, singular values
/// not above SvdNearSingularRatio times the largest are zeroed (NearSingular,
/// minimum-norm solution), and the solution is refined twice against
/// residuals formed in extended precision from the original data.
TLsqStatus FitLeastSquares(const TDesign& D, std::span<const double> y, TLsqFit& Fit);

/// AllFinite: true when no value is NaN or infinite.
bool AllFinite(std::span<const double> v) noexcept;

/// TRidgeFit: ridge coefficients, their standard errors, the effective
/// number of parameters (trace of the hat matrix) and the residual sum.
struct TRidgeFit {
  std::vector<double> Coef;
  std::vector<double> StdErr;
  double EffParams = 0;
  long double RSS = 0;
  double Sigma = 0;            // residual standard deviation
  std::vector<double> V;       // the right singular vectors (n x n, column-major)
  std::vector<double> Shrink;  // w_k/(w_k² + λ), 0 for a zeroed w_k
  bool NearSingular = false;
};

/// RidgeSolve: b = (AᵀA + λI)⁻¹Aᵀy through the SVD of A (m x n, replaced by
/// U); Cov(b) = σ²·V·diag(w²/(w²+λ)²)·Vᵀ with σ² = RSS/(m − DfUsed − EffParams).
TLsqStatus RidgeSolve(TColumnView<double> A, std::span<const double> y, double Lambda, double DfUsed,
                      TRidgeFit& Fit);

/// StoreVector: sizes V to Values and copies them in (at least one element).
void StoreVector(TVector& V, std::span<const double> Values);
/// StoreMatrix: sizes M to NCols x NRows and copies Values (column-major).
void StoreMatrix(TMatrix& M, std::size_t NCols, std::size_t NRows, std::span<const double> Values);

/// RaiseRegression: raises EKVLMath2Error "Func: Text".
[[noreturn]] void RaiseRegression(const char* Func, const char* Text);

/// CheckColumns: raises "Func: column number out of range" unless every
/// entry of Cols lies in 1..NCols.
void CheckColumns(const char* Func, std::span<const std::int32_t> Cols, std::int32_t NCols);

}  // namespace kvl::regression_internal
