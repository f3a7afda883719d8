// Solving with a singular value decomposition: back-substitution with the
// optional error factors, and the least-squares solver with its
// near-singularity rule.

#include <algorithm>
#include <cmath>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/arrays/internal/gemm_kernel.h"
#include "kvl/arrays/svd/internal/svd_engine.h"
#include "kvl/base/KVL_kvlbase.h"

namespace kvl {

namespace {

/// kReduceFirstRatio: designs with at least this many rows per column are
/// first reduced to their triangular factor.
constexpr std::size_t kReduceFirstRatio = 2;

}  // namespace

namespace svd_internal {

void BackSubstitute(const double* const* u, std::size_t m, std::size_t n, const double* w,
                    const double* const* v, const double* b, TDoubleArray& x, TDoubleArray* err) {
  // Built apart from x, so that b may be x itself.
  TDoubleArray res(n, 0.0);
  for (std::size_t j = 0; j < n; ++j)
    if (w[j] != 0.0) Axpy((u != nullptr ? Dot(u[j], b, m) : b[j]) / w[j], v[j], res.data(), n);
  if (err) {
    // The squares are summed in extended precision, whose range holds them
    // for any W (1/W² of a huge or tiny W is outside the doubles).
    std::vector<long double> e(n, 0.0L);
    for (std::size_t k = 0; k < n; ++k) {
      if (w[k] == 0.0) continue;
      const long double inv = 1.0L / w[k];
      const double* vk = v[k];
      for (std::size_t j = 0; j < n; ++j) {
        const long double t = vk[j] * inv;
        e[j] += t * t;
      }
    }
    err->resize(n);
    for (std::size_t j = 0; j < n; ++j) (*err)[j] = static_cast<double>(std::sqrt(e[j]));
  }
  x = std::move(res);
}

namespace {

/// BackSubstChecked: SvdBackSubst on any form of U and V.
template <class M>
TSvdResult BackSubstChecked(const M& U, std::span<const double> W, const M& V, std::span<const double> b,
                            TDoubleArray& x, TDoubleArray* ErrFactors) {
  std::vector<const double*> u, v;
  std::size_t m = 0, nv = 0;
  if (!ColumnTable(U, u, m) || !ColumnTable(V, v, nv)) return TSvdResult::svdBadSize;
  const std::size_t n = U.size();
  if (W.size() != n || V.size() != n || nv != n || b.size() != m) return TSvdResult::svdBadSize;
  BackSubstitute(u.data(), m, n, W.data(), v.data(), b.data(), x, ErrFactors);
  return TSvdResult::svdSuccess;
}

void Solve(const double* const* u, std::size_t m, std::size_t n, std::vector<double>& w,
           const double* const* v, const double* b, TDoubleArray& x, bool& NearSingular,
           TDoubleArray* ErrFactors);

/// LeastSquares: decomposes the design matrix given as column pointers,
/// zeroes the near-singular values and back-substitutes.
TSvdResult LeastSquares(std::vector<double*>& a, std::size_t m, std::span<const double> b, TDoubleArray& x,
                        bool& NearSingular, TDoubleArray* ErrFactors) {
  NearSingular = false;
  const std::size_t n = a.size();
  if (b.size() != m) return TSvdResult::svdBadSize;
  // b may lie in A's storage, which becomes U: keep a copy then.
  std::vector<double> bCopy;
  for (const double* col : a)
    if (Overlaps(col, m, b.data(), m)) {
      bCopy.assign(b.begin(), b.end());
      b = bCopy;
      break;
    }
  std::vector<double> vStore(n * n), w(n);
  std::vector<double*> v(n);
  for (std::size_t c = 0; c < n; ++c) v[c] = vStore.data() + c * n;
  const TSvdResult r = GolubReinsch(a.data(), m, n, v.data(), w.data());
  if (r != TSvdResult::svdSuccess) return r;
  Solve(a.data(), m, n, w, v.data(), b.data(), x, NearSingular, ErrFactors);
  return TSvdResult::svdSuccess;
}

/// Norm2: the Euclidean length of x[0..n), without overflow or underflow
/// in the squares.
double Norm2(const double* x, std::size_t n) {
  const double s = Dot(x, x, n);
  if (std::isnan(s) || (s >= 1e-290 && s <= 1e290)) return std::sqrt(s);
  double big = 0.0;
  for (std::size_t i = 0; i < n; ++i) big = std::max(big, std::abs(x[i]));
  if (big == 0.0 || std::isinf(big)) return big;
  long double t = 0.0L;
  for (std::size_t i = 0; i < n; ++i) {
    const long double q = x[i] / big;
    t += q * q;
  }
  return big * static_cast<double>(std::sqrt(t));
}

/// kPanel: the columns reduced one reflection at a time before the rest of
/// the matrix is updated with all of them at once.
constexpr std::size_t kPanel = 32;

/// Reflect: y := (I − β·v·vᵀ)·y over len values.
void Reflect(const double* v, double beta, double* y, std::size_t len) {
  Axpy(-beta * Dot(v, y, len), v, y, len);
}

/// HouseholderQR: reduces the tall a (n columns of m >= n rows) in place to
/// R = Qᵀ·a by n Householder reflections, and applies them to c (m values).
/// R lies in the upper triangle of the first n rows, its diagonal in d. One
/// progress step per column; svdAborted when AbortMathProc is set after one.
///
/// The reflections of a panel of kPanel columns are formed and applied
/// within the panel one at a time; the columns right of it then take all of
/// them at once in the compact form Q = I − Y·T·Yᵀ (Y the reflection vectors,
/// T upper triangular), as two matrix products.
TSvdResult HouseholderQR(double* const* a, std::size_t m, std::size_t n, double* c, double* d) {
  std::vector<double> beta(kPanel), yStore, wStore, t(kPanel * kPanel);
  std::vector<double*> y, w;
  gemm_internal::GemmWork<double> work;
  for (std::size_t k0 = 0; k0 < n; k0 += kPanel) {
    const std::size_t nb = std::min(kPanel, n - k0), k1 = k0 + nb;
    for (std::size_t k = k0; k < k1; ++k) {
      double* v = a[k] + k;
      const std::size_t len = m - k;
      const double norm = Norm2(v, len);
      double& bk = beta[k - k0];
      if (norm == 0.0) {
        d[k] = bk = 0.0;  // nothing to remove below the diagonal
      } else {
        // H = I − β·v·vᵀ with v = x − α·e1 maps x to α·e1; α takes the sign
        // opposite x0, so v0 does not cancel, and vᵀv = −2·α·v0.
        const double alpha = v[0] > 0.0 ? -norm : norm;
        v[0] -= alpha;
        bk = -1.0 / (alpha * v[0]);
        for (std::size_t j = k + 1; j < k1; ++j) Reflect(v, bk, a[j] + k, len);
        Reflect(v, bk, c + k, len);
        d[k] = alpha;
      }
      ReportMathProgress();
      if (AbortMathProc) return TSvdResult::svdAborted;
    }
    if (k1 == n) break;
    // Y: the panel's vectors over rows k0..m − 1, zero above each one's start.
    const std::size_t len = m - k0, n2 = n - k1;
    yStore.assign(nb * len, 0.0);
    y.resize(nb);
    for (std::size_t i = 0; i < nb; ++i) {
      y[i] = yStore.data() + i * len;
      std::copy(a[k0 + i] + k0 + i, a[k0 + i] + m, y[i] + i);
    }
    // T, column-major: T(j, j) = β_j, T(0..j, j) = −β_j·T(0..j, 0..j)·Yᵀ·y_j.
    for (std::size_t j = 0; j < nb; ++j) {
      double* tj = t.data() + j * kPanel;
      for (std::size_t i = 0; i < j; ++i) tj[i] = Dot(y[i] + j, y[j] + j, len - j);
      for (std::size_t i = 0; i < j; ++i) {
        double s = 0.0;
        for (std::size_t l = i; l < j; ++l) s += t[i + l * kPanel] * tj[l];
        tj[i] = -beta[j] * s;
      }
      tj[j] = beta[j];
    }
    // Qᵀ·A2 = A2 − Y·Tᵀ·(Yᵀ·A2) for the columns right of the panel, worked
    // on as its transpose: W = A2ᵀ·Y, W := W·T, A2ᵀ −= W·Yᵀ.
    wStore.assign(n2 * nb, 0.0);
    w.resize(n2);
    for (std::size_t r = 0; r < n2; ++r) w[r] = wStore.data() + r * nb;
    using gemm_internal::RowsOf;
    using gemm_internal::TOperand;
    const RowsOf<double> a2{a + k1, k0}, yRows{y.data(), 0}, wRows{w.data(), 0};
    gemm_internal::Gemm<double>(n2, nb, len, a2, TOperand<double>(yRows, true), wRows, false, work);
    for (double* wr : w)
      for (std::size_t j = nb; j-- > 0;) {
        double s = 0.0;
        for (std::size_t i = 0; i <= j; ++i) s += wr[i] * t[i + j * kPanel];
        wr[j] = s;
      }
    gemm_internal::Gemm<double>(n2, len, nb, wRows, yRows, a2, true, work);
  }
  return TSvdResult::svdSuccess;
}

/// Solve: zeroes the near-singular values of w, then back-substitutes.
void Solve(const double* const* u, std::size_t m, std::size_t n, std::vector<double>& w,
           const double* const* v, const double* b, TDoubleArray& x, bool& NearSingular,
           TDoubleArray* ErrFactors) {
  const double limit = SvdNearSingularRatio * (n ? *std::max_element(w.begin(), w.end()) : 0.0);
  for (double& wj : w)
    if (wj <= limit) {
      wj = 0.0;
      NearSingular = true;
    }
  BackSubstitute(u, m, n, w.data(), v, b, x, ErrFactors);
}

/// SolveWithoutU: the least-squares solution for the design a (n columns of
/// m rows, destroyed) with the left-hand transformations applied to c
/// (max(m, n) values, b on entry) instead of forming U.
TSvdResult SolveWithoutU(double* const* a, std::size_t m, std::size_t n, double* c, TDoubleArray& x,
                         bool& NearSingular, TDoubleArray* ErrFactors) {
  std::vector<double> vStore(n * n), w(n);
  std::vector<double*> v(n);
  for (std::size_t j = 0; j < n; ++j) v[j] = vStore.data() + j * n;
  if (const TSvdResult r = GolubReinsch(a, m, n, v.data(), w.data(), c); r != TSvdResult::svdSuccess)
    return r;
  Solve(nullptr, n, n, w, v.data(), c, x, NearSingular, ErrFactors);
  return TSvdResult::svdSuccess;
}

/// ReducedLeastSquares: the least-squares solution for a tall design a
/// (n columns of m rows, destroyed): A = Q·R, then R = U_R·W·Vᵀ, so that A
/// has the same W and V and x = V·diag(1/W)·U_Rᵀ·(Qᵀb)[0..n). The
/// decomposition works on n x n values instead of m x n.
TSvdResult ReducedLeastSquares(double* const* a, std::size_t m, std::size_t n, double* c, TDoubleArray& x,
                               bool& NearSingular, TDoubleArray* ErrFactors) {
  std::vector<double> d(n);
  if (const TSvdResult r = HouseholderQR(a, m, n, c, d.data()); r != TSvdResult::svdSuccess) return r;
  std::vector<double> rStore(n * n, 0.0);
  std::vector<double*> r(n);
  for (std::size_t j = 0; j < n; ++j) {
    r[j] = rStore.data() + j * n;
    std::copy(a[j], a[j] + j, r[j]);
    r[j][j] = d[j];
  }
  return SolveWithoutU(r.data(), n, n, c, x, NearSingular, ErrFactors);
}

}  // namespace
}  // namespace svd_internal

TSvdResult SvdBackSubst(TColumnView<const double> U, std::span<const double> W, TColumnView<const double> V,
                        std::span<const double> b, TDoubleArray& x) {
  return svd_internal::BackSubstChecked(U, W, V, b, x, nullptr);
}

TSvdResult SvdBackSubst(TColumnView<const double> U, std::span<const double> W, TColumnView<const double> V,
                        std::span<const double> b, TDoubleArray& x, TDoubleArray& ErrFactors) {
  return svd_internal::BackSubstChecked(U, W, V, b, x, &ErrFactors);
}

TSvdResult SvdBackSubst(TColumnView<double> U, std::span<const double> W, TColumnView<double> V,
                        std::span<const double> b, TDoubleArray& x) {
  return svd_internal::BackSubstChecked(U, W, V, b, x, nullptr);
}

TSvdResult SvdBackSubst(TColumnView<double> U, std::span<const double> W, TColumnView<double> V,
                        std::span<const double> b, TDoubleArray& x, TDoubleArray& ErrFactors) {
  return svd_internal::BackSubstChecked(U, W, V, b, x, &ErrFactors);
}

TSvdResult SvdBackSubst(const TDouble2DArray& U, std::span<const double> W, const TDouble2DArray& V,
                        std::span<const double> b, TDoubleArray& x) {
  return svd_internal::BackSubstChecked(U, W, V, b, x, nullptr);
}

TSvdResult SvdBackSubst(const TDouble2DArray& U, std::span<const double> W, const TDouble2DArray& V,
                        std::span<const double> b, TDoubleArray& x, TDoubleArray& ErrFactors) {
  return svd_internal::BackSubstChecked(U, W, V, b, x, &ErrFactors);
}

namespace {

TSvdResult LeastSquaresOf(TColumnView<double> A, std::span<const double> b, TDoubleArray& x,
                          bool& NearSingular, TDoubleArray* ErrFactors) {
  std::vector<double*> a;
  std::size_t m = 0;
  svd_internal::ColumnTable(A, a, m);
  return svd_internal::LeastSquares(a, m, b, x, NearSingular, ErrFactors);
}

TSvdResult LeastSquaresOf(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                          TDoubleArray* ErrFactors) {
  std::vector<double*> a;
  std::size_t m = 0;
  if (!svd_internal::ColumnTable(A, a, m)) {
    NearSingular = false;
    return TSvdResult::svdBadSize;
  }
  return svd_internal::LeastSquares(a, m, b, x, NearSingular, ErrFactors);
}

}  // namespace

TSvdResult SvdLeastSquares(TColumnView<double> A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular) {
  return LeastSquaresOf(A, b, x, NearSingular, nullptr);
}

TSvdResult SvdLeastSquares(TColumnView<double> A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular, TDoubleArray& ErrFactors) {
  return LeastSquaresOf(A, b, x, NearSingular, &ErrFactors);
}

namespace {

/// NearOneExponent: scales the values by 2^e so that the largest magnitude
/// lies within 2^±kScaleLimit of 1, and returns e (0 when they already do,
/// or are all 0, or hold a NaN or an infinity).
constexpr int kScaleLimit = 250;
int NearOneExponent(std::vector<double>& Values) {
  double big = 0.0;
  for (const double v : Values) big = std::max(big, std::fabs(v));
  if (big == 0.0 || !std::isfinite(big)) return 0;
  const int ex = std::ilogb(big);
  if (ex >= -kScaleLimit && ex <= kScaleLimit) return 0;
  for (double& v : Values) v = std::ldexp(v, -ex);
  return -ex;
}

TSvdResult ReadOnlyLeastSquares(TColumnView<const double> A, std::span<const double> b, TDoubleArray& x,
                                bool& NearSingular, TDoubleArray* ErrFactors) {
  const std::size_t n = A.size(), m = A.Rows();
  NearSingular = false;
  if (b.size() != m) return TSvdResult::svdBadSize;
  // Without U, the reflections meet b directly: design and right-hand side
  // are brought near 1 by powers of two (exact), so that no product of the
  // two can overflow or underflow, and the solution is scaled back.
  std::vector<double> work(A.data(), A.data() + n * m), c(std::max(m, n), 0.0);
  std::copy(b.begin(), b.end(), c.begin());
  const int ea = NearOneExponent(work), eb = NearOneExponent(c);
  std::vector<double*> a(n);
  for (std::size_t k = 0; k < n; ++k) a[k] = work.data() + k * m;
  const TSvdResult r =
      m >= kReduceFirstRatio * n && n > 0
          ? svd_internal::ReducedLeastSquares(a.data(), m, n, c.data(), x, NearSingular, ErrFactors)
          : svd_internal::SolveWithoutU(a.data(), m, n, c.data(), x, NearSingular, ErrFactors);
  if (r == TSvdResult::svdSuccess) {
    for (double& v : x) v = std::ldexp(v, ea - eb);
    if (ErrFactors != nullptr)
      for (double& v : *ErrFactors) v = std::ldexp(v, ea);
  }
  return r;
}

}  // namespace

TSvdResult SvdLeastSquares(TColumnView<const double> A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular) {
  return ReadOnlyLeastSquares(A, b, x, NearSingular, nullptr);
}

TSvdResult SvdLeastSquares(TColumnView<const double> A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular, TDoubleArray& ErrFactors) {
  return ReadOnlyLeastSquares(A, b, x, NearSingular, &ErrFactors);
}

TSvdResult SvdLeastSquares(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular) {
  return LeastSquaresOf(A, b, x, NearSingular, nullptr);
}

TSvdResult SvdLeastSquares(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                           TDoubleArray& ErrFactors) {
  return LeastSquaresOf(A, b, x, NearSingular, &ErrFactors);
}

}  // namespace kvl
