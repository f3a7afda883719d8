// Singular value decomposition on TMatrix, multiple linear regression and
// variance inflation factors.

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvl/arrays/array_svd.h"
#include "kvl/modelling/regression/internal/regression_engine.h"
#include "kvl/modelling/regression/multi_regression.h"

namespace kvl {

using namespace regression_internal;

bool SingValDecomp(TMatrix& A, TMatrix& V, TVector& W) {
  const std::size_t n = static_cast<std::size_t>(A.NrOfColumns());
  const std::size_t m = static_cast<std::size_t>(A.NrOfRows());
  if (!AllFinite(A.Data())) return false;
  std::vector<double> v(n * n), w(n);
  const TSvdResult r = SvdDecompose(A.ColumnView(), TColumnView<double>(v.data(), n, n), w);
  A.Changed();
  if (r != TSvdResult::svdSuccess) return false;
  // Decreasing order by selection; U's and V's columns follow their value.
  const TColumnView<double> U = A.ColumnView();
  const TColumnView<double> Vv(v.data(), n, n);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const std::size_t k = static_cast<std::size_t>(
        std::max_element(w.begin() + static_cast<std::ptrdiff_t>(i), w.end()) - w.begin());
    if (k == i || w[k] == w[i]) continue;
    std::swap(w[i], w[k]);
    std::swap_ranges(U[i].begin(), U[i].end(), U[k].begin());
    std::swap_ranges(Vv[i].begin(), Vv[i].end(), Vv[k].begin());
  }
  if (m > 0) A.Changed();
  StoreMatrix(V, n, n, v);
  StoreVector(W, w);
  return true;
}

bool SingValEquSolve(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x,
                     TVector& ErrFactors) {
  TDoubleArray xs, ef;
  if (SvdBackSubst(U.ColumnView(), W.Data(), V.ColumnView(), b.Data(), xs, ef) != TSvdResult::svdSuccess)
    return false;
  StoreVector(x, xs);
  StoreVector(ErrFactors, ef);
  return true;
}

namespace {

// Runs the fit and stores what the caller asked for; false leaves all as it was.
bool StoreFit(const TDesign& D, std::span<const double> y, TVector& Coeffs, TVector& StdErrs,
              bool& NearSingular, TLsqFit& Fit) {
  if (FitLeastSquares(D, y, Fit) != TLsqStatus::lsOk) return false;
  StoreVector(Coeffs, Fit.Coef);
  StoreVector(StdErrs, Fit.StdErr);
  NearSingular = Fit.NearSingular;
  return true;
}

}  // namespace

bool MultiLinReg(const TMatrix& X, const TVector& y, TVector& Coeffs, TVector& StdErrs, bool& NearSingular) {
  if (y.NrOfElem() != X.NrOfRows()) RaiseRegression("MultiLinReg", "sizes of X and y do not match");
  const TColumnView<const double> cols = X.ColumnView();
  TDesign D;
  D.Rows = cols.Rows();
  bool haveConst = false;
  for (std::size_t c = 0; c < cols.size(); ++c) {
    // The first column of ones is the constant term (taken out of the
    // decomposition by centring the others).
    const bool ones =
        !haveConst && std::all_of(cols[c].begin(), cols[c].end(), [](double v) { return v == 1.0; });
    haveConst = haveConst || ones;
    D.Cols.push_back(ones ? std::span<const double>() : cols[c]);
  }
  TLsqFit fit;
  return StoreFit(D, y.Data(), Coeffs, StdErrs, NearSingular, fit);
}

bool MultiLinReg(const TMatrix& Data, std::span<const std::int32_t> Cols, std::int32_t TargetCol,
                 bool IncludeConst, double& RSquared, double& ResidSD, double& FValue, TVector& Coeffs,
                 TVector& StdErrs, bool& NearSingular) {
  CheckColumns("MultiLinReg", Cols, Data.NrOfColumns());
  CheckColumns("MultiLinReg", std::span<const std::int32_t>(&TargetCol, 1), Data.NrOfColumns());
  if (Cols.empty() && !IncludeConst) RaiseRegression("MultiLinReg", "no parameters to fit");
  const TColumnView<const double> cv = Data.ColumnView();
  TDesign D;
  D.Rows = cv.Rows();
  for (std::int32_t c : Cols) D.Cols.push_back(cv[static_cast<std::size_t>(c - 1)]);
  if (IncludeConst) D.Cols.emplace_back();
  TLsqFit fit;
  if (!StoreFit(D, cv[static_cast<std::size_t>(TargetCol - 1)], Coeffs, StdErrs, NearSingular, fit))
    return false;
  RSquared = fit.RSquared();
  ResidSD = fit.ResidSD();
  FValue = fit.FValue();
  return true;
}

std::int32_t VarInflatFactor(const TMatrix& Data, std::span<const std::int32_t> Cols, TDoubleArray& Factors,
                             const TOnPercentDoneEvent& OnProgress) {
  if (Cols.empty()) return -1;
  for (std::int32_t c : Cols)
    if (c < 1 || c > Data.NrOfColumns()) return -1;
  const std::size_t k = Cols.size();
  if (static_cast<std::size_t>(Data.NrOfRows()) <= k) return -2;
  const TColumnView<const double> cv = Data.ColumnView();
  for (std::int32_t c : Cols)
    if (!AllFinite(cv[static_cast<std::size_t>(c - 1)])) return -3;
  TDoubleArray vif(k);
  TDesign D;
  D.Rows = cv.Rows();
  for (std::size_t j = 0; j < k; ++j) {
    D.Cols.clear();
    for (std::size_t i = 0; i < k; ++i)
      if (i != j) D.Cols.push_back(cv[static_cast<std::size_t>(Cols[i] - 1)]);
    D.Cols.emplace_back();  // constant
    TLsqFit fit;
    const TLsqStatus st = FitLeastSquares(D, cv[static_cast<std::size_t>(Cols[j] - 1)], fit);
    if (st == TLsqStatus::lsAborted) return -4;
    if (st != TLsqStatus::lsOk) return -3;
    // A column explained to within the singular-value cut (a constant one,
    // a multiple of the constant term, included) has unbounded inflation.
    const long double ratio = SvdNearSingularRatio;
    vif[j] = (fit.TSS > 0 && fit.RSS > ratio * ratio * fit.TSS) ? static_cast<double>(fit.TSS / fit.RSS)
                                                                : std::numeric_limits<double>::infinity();
    if (OnProgress) OnProgress(nullptr, 100.0 * static_cast<double>(j + 1) / static_cast<double>(k));
    if (AbortMathProc) return -4;
  }
  Factors = std::move(vif);
  return 0;
}

}  // namespace kvl
