// Partial least squares by SIMPLS (S. de Jong, Chemometrics and
// Intelligent Laboratory Systems 18 (1993) 251-263).

#include <cmath>

#include "kvl/modelling/regression/internal/regression_engine.h"
#include "kvl/modelling/regression/multi_regression.h"

namespace kvl {

using namespace regression_internal;

namespace {

// Centres the columns of Src (and scales them to unit standard deviation
// with Scale) into Dst, column-major; Mean and Sd get what was removed.
void Prepare(const TMatrix& Src, bool Scale, std::vector<double>& Dst, std::vector<double>& Mean,
             std::vector<double>& Sd) {
  const TColumnView<const double> v = Src.ColumnView();
  const std::size_t n = v.Rows();
  Dst.assign(Src.Data().begin(), Src.Data().end());
  Mean.assign(v.size(), 0.0);
  Sd.assign(v.size(), 1.0);
  for (std::size_t j = 0; j < v.size(); ++j) {
    long double s = 0;
    for (double x : v[j]) s += x;
    const long double mean = s / static_cast<long double>(n);
    long double ss = 0;
    double* col = Dst.data() + j * n;
    for (std::size_t i = 0; i < n; ++i) {
      col[i] = static_cast<double>(v[j][i] - mean);
      ss += static_cast<long double>(col[i]) * col[i];
    }
    Mean[j] = static_cast<double>(mean);
    const double sd = static_cast<double>(std::sqrt(ss / static_cast<long double>(n - 1)));
    if (Scale && sd > 0) {
      Sd[j] = sd;
      for (std::size_t i = 0; i < n; ++i) col[i] /= sd;
    }
  }
}

double Dot(const double* a, const double* b, std::size_t n) {
  long double s = 0;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<long double>(a[i]) * b[i];
  return static_cast<double>(s);
}

// Removes from x (n values) its components along the first Count columns
// (orthonormal, n values each) of Basis; twice, for orthogonality to rounding.
void Orthogonalize(double* x, const std::vector<double>& Basis, std::size_t Count, std::size_t n) {
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t c = 0; c < Count; ++c) {
      const double* b = Basis.data() + c * n;
      const double d = Dot(b, x, n);
      for (std::size_t i = 0; i < n; ++i) x[i] -= d * b[i];
    }
}

}  // namespace

bool SimPLS(const TMatrix& X, const TMatrix& Y, std::int32_t NumFact, bool Scale, TMatrix& Weights,
            TMatrix& XScores, TMatrix& XLoadings, TMatrix& YLoadings, TMatrix& YScores, TMatrix& Basis,
            TVector& XVarExpl, TVector& YVarExpl, TMatrix& Coeffs) {
  if (X.NrOfRows() != Y.NrOfRows()) RaiseRegression("SimPLS", "X and Y differ in the number of rows");
  const std::size_t n = static_cast<std::size_t>(X.NrOfRows());
  const std::size_t p = static_cast<std::size_t>(X.NrOfColumns()),
                    q = static_cast<std::size_t>(Y.NrOfColumns());
  if (NumFact < 1 || static_cast<std::size_t>(NumFact) > std::min(n - 1, p))
    RaiseRegression("SimPLS", "number of factors out of range");
  if (!AllFinite(X.Data()) || !AllFinite(Y.Data())) return false;
  const std::size_t A = static_cast<std::size_t>(NumFact);
  std::vector<double> x0, y0, xm, xs, ym, ys;
  Prepare(X, Scale, x0, xm, xs);
  Prepare(Y, Scale, y0, ym, ys);
  const double xTotal = Dot(x0.data(), x0.data(), x0.size());
  const double yTotal = Dot(y0.data(), y0.data(), y0.size());

  // S = X₀ᵀY₀ (p rows, q columns), the cross-product that is deflated.
  std::vector<double> S(p * q);
  for (std::size_t k = 0; k < q; ++k)
    for (std::size_t j = 0; j < p; ++j) S[k * p + j] = Dot(x0.data() + j * n, y0.data() + k * n, n);

  std::vector<double> R(p * A), T(n * A), P(p * A), Q(q * A), U(n * A), Vb(p * A), xv(A), yv(A);
  std::vector<double> work, sv(q * q), w(q);
  for (std::size_t a = 0; a < A; ++a) {
    // r: the dominant left singular direction of S, times its singular value.
    double* r = R.data() + a * p;
    work = S;
    if (SvdDecompose(TColumnView<double>(work.data(), q, p), TColumnView<double>(sv.data(), q, q), w) !=
        TSvdResult::svdSuccess)
      return false;
    std::size_t best = 0;
    for (std::size_t k = 1; k < q; ++k)
      if (w[k] > w[best]) best = k;
    for (std::size_t j = 0; j < p; ++j) r[j] = work[best * p + j] * w[best];
    // t = X₀r, normalised (r with it).
    double* t = T.data() + a * n;
    for (std::size_t i = 0; i < n; ++i) t[i] = 0;
    for (std::size_t j = 0; j < p; ++j)
      for (std::size_t i = 0; i < n; ++i) t[i] += x0[j * n + i] * r[j];
    const double tn = std::sqrt(Dot(t, t, n));
    if (!(tn > 0)) return false;  // X has fewer dimensions than factors asked for
    for (std::size_t i = 0; i < n; ++i) t[i] /= tn;
    for (std::size_t j = 0; j < p; ++j) r[j] /= tn;
    double* pa = P.data() + a * p;
    double* qa = Q.data() + a * q;
    for (std::size_t j = 0; j < p; ++j) pa[j] = Dot(x0.data() + j * n, t, n);
    for (std::size_t k = 0; k < q; ++k) qa[k] = Dot(y0.data() + k * n, t, n);
    double* u = U.data() + a * n;
    for (std::size_t i = 0; i < n; ++i) u[i] = 0;
    for (std::size_t k = 0; k < q; ++k)
      for (std::size_t i = 0; i < n; ++i) u[i] += y0[k * n + i] * qa[k];
    Orthogonalize(u, T, a, n);
    // v: the part of p orthogonal to the earlier loadings; S loses it.
    double* v = Vb.data() + a * p;
    std::copy(pa, pa + p, v);
    Orthogonalize(v, Vb, a, p);
    const double vn = std::sqrt(Dot(v, v, p));
    if (!(vn > 0)) return false;
    for (std::size_t j = 0; j < p; ++j) v[j] /= vn;
    for (std::size_t k = 0; k < q; ++k) {
      double* s = S.data() + k * p;
      const double d = Dot(v, s, p);
      for (std::size_t j = 0; j < p; ++j) s[j] -= d * v[j];
    }
    xv[a] = xTotal > 0 ? Dot(pa, pa, p) / xTotal : 0.0;
    yv[a] = yTotal > 0 ? Dot(qa, qa, q) / yTotal : 0.0;
    ReportMathProgress();
    if (AbortMathProc) return false;
  }
  // B = R·Qᵀ on the prepared scale, then in original units with the constant.
  std::vector<double> B(q * (p + 1));
  for (std::size_t k = 0; k < q; ++k) {
    long double c = ym[k];
    for (std::size_t j = 0; j < p; ++j) {
      long double bjk = 0;
      for (std::size_t a = 0; a < A; ++a) bjk += static_cast<long double>(R[a * p + j]) * Q[a * q + k];
      const double b = static_cast<double>(bjk * ys[k] / xs[j]);
      B[k * (p + 1) + j] = b;
      c -= static_cast<long double>(xm[j]) * b;
    }
    B[k * (p + 1) + p] = static_cast<double>(c);
  }
  StoreMatrix(Weights, A, p, R);
  StoreMatrix(XScores, A, n, T);
  StoreMatrix(XLoadings, A, p, P);
  StoreMatrix(YLoadings, A, q, Q);
  StoreMatrix(YScores, A, n, U);
  StoreMatrix(Basis, A, p, Vb);
  StoreVector(XVarExpl, xv);
  StoreVector(YVarExpl, yv);
  StoreMatrix(Coeffs, q, p + 1, B);
  return true;
}

}  // namespace kvl
