// The least-squares engine of the regression family (see
// internal/regression_engine.h).

#include "kvl/modelling/regression/internal/regression_engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvl/core/KVL_frame.h"

namespace kvl::regression_internal {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// Refinement steps against extended-precision residuals; the second one
// settles the last digits of the badly conditioned polynomial designs.
constexpr int kRefineSteps = 2;

TLsqStatus FromSvd(TSvdResult r) {
  switch (r) {
    case TSvdResult::svdSuccess:
      return TLsqStatus::lsOk;
    case TSvdResult::svdAborted:
      return TLsqStatus::lsAborted;
    default:
      return TLsqStatus::lsNoConvergence;
  }
}

// Zeroes the singular values not above SvdNearSingularRatio times the
// largest; returns how many remain.
std::int32_t CutSingularValues(std::span<double> W, bool& NearSingular) {
  double wmax = 0;
  for (double w : W) wmax = std::max(wmax, w);
  std::int32_t rank = 0;
  for (double& w : W) {
    if (w <= SvdNearSingularRatio * wmax || wmax == 0) {
      w = 0;
      NearSingular = true;
    } else {
      ++rank;
    }
  }
  return rank;
}

}  // namespace

bool AllFinite(std::span<const double> v) noexcept {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

double TLsqFit::ResidSD() const { return DfResid > 0 ? static_cast<double>(std::sqrt(RSS / DfResid)) : kNaN; }

double TLsqFit::RSquared() const { return TSS > 0 ? static_cast<double>(1 - RSS / TSS) : kNaN; }

double TLsqFit::FValue() const {
  const std::int32_t dfReg = Rank - (HasConst ? 1 : 0);
  if (dfReg <= 0 || DfResid <= 0) return kNaN;
  if (RSS == 0) return kInf;
  return static_cast<double>(((TSS - RSS) / dfReg) / (RSS / DfResid));
}

TLsqStatus FitLeastSquares(const TDesign& D, std::span<const double> y, TLsqFit& Fit) {
  const std::size_t m = D.Rows;
  const std::size_t p = D.Cols.size();
  if (p == 0 || m < p || y.size() != m) return TLsqStatus::lsTooFewRows;
  if (!AllFinite(y)) return TLsqStatus::lsNotFinite;
  std::size_t constIx = p;  // p: none
  for (std::size_t j = 0; j < p; ++j) {
    if (D.Cols[j].empty()) {
      if (constIx == p) constIx = j;
    } else if (D.Cols[j].size() != m || !AllFinite(D.Cols[j])) {
      return D.Cols[j].size() != m ? TLsqStatus::lsTooFewRows : TLsqStatus::lsNotFinite;
    }
  }
  const bool hasConst = constIx < p;
  // The columns that enter the decomposition: all but the (first) constant.
  std::vector<std::size_t> cols;
  for (std::size_t j = 0; j < p; ++j)
    if (j != constIx) cols.push_back(j);
  const std::size_t q = cols.size();

  long double ybar = 0;
  if (hasConst) {
    for (double v : y) ybar += v;
    ybar /= static_cast<long double>(m);
  }
  // The one copy of the design: centred (with a constant) and scaled to
  // unit length, so that the decomposition sees a well-balanced matrix.
  std::vector<long double> mean(q, 0.0L);
  std::vector<double> scale(q, 1.0);
  std::vector<double> a(q * m);
  for (std::size_t k = 0; k < q; ++k) {
    const std::span<const double> x = D.Cols[cols[k]];
    double* col = a.data() + k * m;
    if (x.empty()) {  // a second column of ones: centred it is 0, singular
      std::fill(col, col + m, hasConst ? 0.0 : 1.0);
    } else {
      if (hasConst) {
        long double s = 0;
        for (double v : x) s += v;
        mean[k] = s / static_cast<long double>(m);
      }
      for (std::size_t i = 0; i < m; ++i) col[i] = static_cast<double>(x[i] - mean[k]);
    }
    long double ss = 0;
    for (std::size_t i = 0; i < m; ++i) ss += static_cast<long double>(col[i]) * col[i];
    if (ss > 0) scale[k] = static_cast<double>(std::sqrt(ss));
    for (std::size_t i = 0; i < m; ++i) col[i] /= scale[k];
  }
  std::vector<double> V(q * q), W(q);
  bool nearSingular = false;
  std::int32_t rank = 0;
  if (q > 0) {
    const TSvdResult r =
        SvdDecompose(TColumnView<double>(a.data(), q, m), TColumnView<double>(V.data(), q, q), W);
    if (r != TSvdResult::svdSuccess) return FromSvd(r);
    rank = CutSingularValues(W, nearSingular);
  }
  const TColumnView<const double> U(a.data(), q, m), Vv(V.data(), q, q);

  // Residuals of the current coefficients, in extended precision from the
  // original data; returns the constant term that goes with the slopes.
  std::vector<double> b(q, 0.0);
  std::vector<long double> res(m);
  auto residuals = [&]() {
    long double b0 = ybar;
    for (std::size_t k = 0; k < q; ++k) b0 -= mean[k] * b[k];
    for (std::size_t i = 0; i < m; ++i) res[i] = static_cast<long double>(y[i]) - (hasConst ? b0 : 0.0L);
    for (std::size_t k = 0; k < q; ++k) {
      const auto x = D.Cols[cols[k]];
      const long double bk = b[k];
      if (x.empty()) {
        for (std::size_t i = 0; i < m; ++i) res[i] -= bk;
      } else {
        for (std::size_t i = 0; i < m; ++i) res[i] -= bk * x[i];
      }
    }
    return b0;
  };
  std::vector<double> bs(q, 0.0), r(m);
  TDoubleArray t;
  long double b0 = ybar;
  if (q > 0) {
    for (int step = 0; step <= kRefineSteps; ++step) {
      b0 = residuals();
      for (std::size_t i = 0; i < m; ++i) r[i] = static_cast<double>(res[i]);
      SvdBackSubst(U, W, Vv, r, t);
      for (std::size_t k = 0; k < q; ++k) {
        bs[k] += t[k];
        b[k] = bs[k] / scale[k];
      }
    }
  }
  b0 = residuals();
  long double rss = 0;
  for (long double v : res) rss += v * v;
  long double tss = 0;
  for (double v : y) tss += (v - ybar) * (v - ybar);

  Fit.HasConst = hasConst;
  Fit.NearSingular = nearSingular;
  Fit.Rank = rank + (hasConst ? 1 : 0);
  Fit.DfResid = static_cast<std::int32_t>(m) - Fit.Rank;
  Fit.RSS = rss;
  Fit.TSS = tss;
  const double s = Fit.ResidSD();
  // Cov(b) = s²·S⁻¹·V·diag(1/W²)·Vᵀ·S⁻¹ (S the column scales); the constant
  // adds s²/m and the means' share x̄ᵀ·Cov(b)·x̄.
  Fit.Coef.assign(p, 0.0);
  Fit.StdErr.assign(p, 0.0);
  std::vector<long double> g(q, 0.0L);
  for (std::size_t k = 0; k < q; ++k) {
    Fit.Coef[cols[k]] = b[k];
    long double v = 0;
    for (std::size_t kk = 0; kk < q; ++kk) {
      if (W[kk] == 0) continue;
      const long double f = Vv[kk][k] / static_cast<long double>(W[kk]);
      v += f * f;
      g[kk] += Vv[kk][k] * (mean[k] / scale[k]);
    }
    Fit.StdErr[cols[k]] = static_cast<double>(s * std::sqrt(v) / scale[k]);
  }
  if (hasConst) {
    Fit.Coef[constIx] = static_cast<double>(b0);
    long double v = 1.0L / static_cast<long double>(m);
    for (std::size_t kk = 0; kk < q; ++kk)
      if (W[kk] != 0) v += (g[kk] / W[kk]) * (g[kk] / W[kk]);
    Fit.StdErr[constIx] = static_cast<double>(s * std::sqrt(v));
  }
  return TLsqStatus::lsOk;
}

TLsqStatus RidgeSolve(TColumnView<double> A, std::span<const double> y, double Lambda, double DfUsed,
                      TRidgeFit& Fit) {
  const std::size_t n = A.size(), m = A.Rows();
  std::vector<double> V(n * n), W(n);
  const TSvdResult sr = SvdDecompose(A, TColumnView<double>(V.data(), n, n), W);
  if (sr != TSvdResult::svdSuccess) return FromSvd(sr);
  bool nearSingular = false;
  CutSingularValues(W, nearSingular);
  // In the singular basis: c_k = (U_kᵀy), b = V·diag(w/(w²+λ))·c, fitted
  // values U·diag(w²/(w²+λ))·c.
  std::vector<long double> fitted(m, 0.0L);
  std::vector<double> shrink(n, 0.0), coefK(n, 0.0);
  long double eff = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (W[k] == 0) continue;
    long double c = 0;
    for (std::size_t i = 0; i < m; ++i) c += static_cast<long double>(A[k][i]) * y[i];
    const long double w2 = static_cast<long double>(W[k]) * W[k];
    const long double h = w2 / (w2 + Lambda);
    eff += h;
    coefK[k] = static_cast<double>(c * W[k] / (w2 + Lambda));
    shrink[k] = static_cast<double>(W[k] / (w2 + Lambda));  // sd factor of coefK per σ
    for (std::size_t i = 0; i < m; ++i) fitted[i] += h * c * A[k][i];
  }
  long double rss = 0;
  for (std::size_t i = 0; i < m; ++i) rss += (y[i] - fitted[i]) * (y[i] - fitted[i]);
  const long double df = static_cast<long double>(m) - DfUsed - eff;
  const double s = df > 0 ? static_cast<double>(std::sqrt(rss / df)) : kNaN;
  Fit.Coef.assign(n, 0.0);
  Fit.StdErr.assign(n, 0.0);
  const TColumnView<const double> Vv(V.data(), n, n);
  for (std::size_t j = 0; j < n; ++j) {
    long double bj = 0, vj = 0;
    for (std::size_t k = 0; k < n; ++k) {
      bj += static_cast<long double>(Vv[k][j]) * coefK[k];
      vj += static_cast<long double>(Vv[k][j]) * Vv[k][j] * shrink[k] * shrink[k];
    }
    Fit.Coef[j] = static_cast<double>(bj);
    Fit.StdErr[j] = static_cast<double>(s * std::sqrt(vj));
  }
  Fit.EffParams = static_cast<double>(eff);
  Fit.Sigma = s;
  Fit.V = std::move(V);
  Fit.Shrink = std::move(shrink);
  Fit.RSS = rss;
  Fit.NearSingular = nearSingular;
  return TLsqStatus::lsOk;
}

void StoreVector(TVector& V, std::span<const double> Values) {
  if (Values.empty()) return;
  V.Resize(static_cast<std::int32_t>(Values.size()));
  V.CopyFrom(Values, 0, static_cast<std::int32_t>(Values.size()) - 1, 1);
}

void StoreMatrix(TMatrix& M, std::size_t NCols, std::size_t NRows, std::span<const double> Values) {
  M.Resize(static_cast<std::int32_t>(NCols), static_cast<std::int32_t>(NRows));
  std::copy(Values.begin(), Values.end(), M.ColumnView().data());
  M.Changed();
}

void RaiseRegression(const char* Func, const char* Text) { RaiseFunc<EKVLMath2Error>(Func, Text); }

void CheckColumns(const char* Func, std::span<const std::int32_t> Cols, std::int32_t NCols) {
  for (std::int32_t c : Cols)
    if (c < 1 || c > NCols) RaiseRegression(Func, "column number out of range");
}

}  // namespace kvl::regression_internal
