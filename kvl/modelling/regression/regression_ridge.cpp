// Ridge regression, on the design as given and in the correlation form.

#include <cmath>

#include "kvl/modelling/regression/internal/regression_engine.h"
#include "kvl/modelling/regression/multi_regression.h"

namespace kvl {

using namespace regression_internal;

namespace {

void CheckRidgeArgs(const char* Func, const TMatrix& X, const TVector& y, double RidgeFact) {
  if (!(RidgeFact >= 0) || !std::isfinite(RidgeFact))
    RaiseRegression(Func, "ridge factor must not be negative");
  if (y.NrOfElem() != X.NrOfRows()) RaiseRegression(Func, "sizes of X and y do not match");
}

}  // namespace

bool RidgeReg(const TMatrix& X, const TVector& y, double RidgeFact, TVector& Coeffs, TVector& StdErrs,
              bool& NearSingular) {
  CheckRidgeArgs("RidgeReg", X, y, RidgeFact);
  if (!AllFinite(X.Data()) || !AllFinite(y.Data())) return false;
  std::vector<double> a(X.Data().begin(), X.Data().end());
  const std::size_t n = static_cast<std::size_t>(X.NrOfColumns()), m = static_cast<std::size_t>(X.NrOfRows());
  TRidgeFit fit;
  if (RidgeSolve(TColumnView<double>(a.data(), n, m), y.Data(), RidgeFact, 0.0, fit) != TLsqStatus::lsOk)
    return false;
  StoreVector(Coeffs, fit.Coef);
  StoreVector(StdErrs, fit.StdErr);
  NearSingular = fit.NearSingular;
  return true;
}

bool RidgeRegStd(const TMatrix& X, const TVector& y, double RidgeFact, TVector& StdCoeffs,
                 TVector& StdStdErrs, TVector& Coeffs, TVector& StdErrs, bool& NearSingular) {
  CheckRidgeArgs("RidgeRegStd", X, y, RidgeFact);
  const std::size_t n = static_cast<std::size_t>(X.NrOfColumns()), m = static_cast<std::size_t>(X.NrOfRows());
  if (m < 2 || !AllFinite(X.Data()) || !AllFinite(y.Data())) return false;
  // Centre and scale every column and y to unit length (XᵀX = correlation matrix).
  auto standardize = [m](std::span<const double> src, double* dst, long double& mean, double& len) {
    long double s = 0;
    for (double v : src) s += v;
    mean = s / static_cast<long double>(m);
    long double ss = 0;
    for (std::size_t i = 0; i < m; ++i) {
      dst[i] = static_cast<double>(src[i] - mean);
      ss += static_cast<long double>(dst[i]) * dst[i];
    }
    len = static_cast<double>(std::sqrt(ss));
    for (std::size_t i = 0; i < m; ++i) dst[i] = len > 0 ? dst[i] / len : 0.0;
  };
  std::vector<double> a(n * m), ys(m);
  std::vector<long double> mean(n);
  std::vector<double> len(n);
  const TColumnView<const double> xv = X.ColumnView();
  for (std::size_t j = 0; j < n; ++j) standardize(xv[j], a.data() + j * m, mean[j], len[j]);
  long double ymean = 0;
  double ylen = 0;
  standardize(y.Data(), ys.data(), ymean, ylen);
  TRidgeFit fit;
  if (RidgeSolve(TColumnView<double>(a.data(), n, m), ys, RidgeFact, 1.0, fit) != TLsqStatus::lsOk)
    return false;
  // Back to the original units: b_j = β_j·|y|/|x_j|, the constant ȳ − Σ b_j·x̄_j.
  std::vector<double> b(n + 1, 0.0), se(n + 1, 0.0);
  long double b0 = ymean;
  for (std::size_t j = 0; j < n; ++j) {
    if (len[j] > 0) {
      b[j] = fit.Coef[j] * ylen / len[j];
      se[j] = fit.StdErr[j] * ylen / len[j];
    } else {
      fit.Coef[j] = 0;
      fit.StdErr[j] = 0;
    }
    b0 -= mean[j] * b[j];
  }
  b[n] = static_cast<double>(b0);
  // Var(b0) = σ²/m + x̄ᵀCov(b)x̄, with Cov(b) = σ²·S·V·diag(shrink²)·Vᵀ·S
  // (S = diag(1/|x_j|)) in the singular basis RidgeSolve kept.
  long double q = 0;
  for (std::size_t k = 0; k < n; ++k) {
    long double g = 0;
    for (std::size_t j = 0; j < n; ++j)
      if (len[j] > 0) g += fit.V[k * n + j] * (mean[j] / len[j]);
    q += g * g * fit.Shrink[k] * fit.Shrink[k];
  }
  const long double sigma = static_cast<long double>(fit.Sigma) * ylen;
  se[n] = static_cast<double>(sigma * std::sqrt(1.0L / static_cast<long double>(m) + q));
  StoreVector(StdCoeffs, fit.Coef);
  StoreVector(StdStdErrs, fit.StdErr);
  StoreVector(Coeffs, b);
  StoreVector(StdErrs, se);
  NearSingular = fit.NearSingular;
  return true;
}

}  // namespace kvl
