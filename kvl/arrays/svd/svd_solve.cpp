// Solving with a singular value decomposition: back-substitution with the
// optional error factors, and the least-squares solver with its
// near-singularity rule.

#include <algorithm>
#include <cmath>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/arrays/svd/internal/svd_engine.h"

namespace kvl {
namespace svd_internal {

void BackSubstitute(const double* const* u, std::size_t m, std::size_t n, const double* w, const double* const* v,
                    const double* b, TDoubleArray& x, TDoubleArray* err) {
  // Built apart from x, so that b may be x itself.
  TDoubleArray res(n, 0.0);
  for (std::size_t j = 0; j < n; ++j)
    if (w[j] != 0.0) Axpy(Dot(u[j], b, m) / w[j], v[j], res.data(), n);
  if (err) {
    TDoubleArray e(n, 0.0);
    for (std::size_t k = 0; k < n; ++k) {
      if (w[k] == 0.0) continue;
      const double inv = 1.0 / w[k];
      const double* vk = v[k];
      for (std::size_t j = 0; j < n; ++j) {
        const double t = vk[j] * inv;
        e[j] += t * t;
      }
    }
    for (double& t : e) t = std::sqrt(t);
    *err = std::move(e);
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
  const double limit = SvdNearSingularRatio * (n ? *std::max_element(w.begin(), w.end()) : 0.0);
  for (double& wj : w)
    if (wj <= limit) {
      wj = 0.0;
      NearSingular = true;
    }
  BackSubstitute(a.data(), m, n, w.data(), v.data(), b.data(), x, ErrFactors);
  return TSvdResult::svdSuccess;
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

TSvdResult LeastSquaresOf(TColumnView<double> A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                          TDoubleArray* ErrFactors) {
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

TSvdResult SvdLeastSquares(TColumnView<double> A, std::span<const double> b, TDoubleArray& x, bool& NearSingular) {
  return LeastSquaresOf(A, b, x, NearSingular, nullptr);
}

TSvdResult SvdLeastSquares(TColumnView<double> A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                           TDoubleArray& ErrFactors) {
  return LeastSquaresOf(A, b, x, NearSingular, &ErrFactors);
}

TSvdResult SvdLeastSquares(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x, bool& NearSingular) {
  return LeastSquaresOf(A, b, x, NearSingular, nullptr);
}

TSvdResult SvdLeastSquares(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                           TDoubleArray& ErrFactors) {
  return LeastSquaresOf(A, b, x, NearSingular, &ErrFactors);
}

}  // namespace kvl
