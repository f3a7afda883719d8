// The container layer of the singular value routines and the pseudo-inverse.

#include "kvl/modelling/decomp/decomp_svd.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/modelling/decomp/internal/decomp_store.h"

namespace kvl {
namespace {

using decomp_internal::StoreVector;

std::size_t Cols(const TMatrix& M) { return static_cast<std::size_t>(M.NrOfColumns()); }
std::size_t Rows(const TMatrix& M) { return static_cast<std::size_t>(M.NrOfRows()); }

bool BackSubst(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x,
               TVector* ErrFactors) {
  TDoubleArray res, err;
  const TSvdResult r = ErrFactors ? SvdBackSubst(U.ColumnView(), W.Data(), V.ColumnView(), b.Data(), res, err)
                                  : SvdBackSubst(U.ColumnView(), W.Data(), V.ColumnView(), b.Data(), res);
  if (r != TSvdResult::svdSuccess) return false;
  StoreVector(x, res);
  if (ErrFactors) StoreVector(*ErrFactors, err);
  return true;
}

bool LeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& NearSingular, TVector* ErrFactors) {
  NearSingular = false;
  if (b.NrOfElem() != A.NrOfRows()) return false;
  // The solver works on its own copy of the design matrix.
  TDoubleArray res, err;
  const TColumnView<const double> view(A.Data().data(), Cols(A), Rows(A));
  const TSvdResult r = ErrFactors ? SvdLeastSquares(view, b.Data(), res, NearSingular, err)
                                  : SvdLeastSquares(view, b.Data(), res, NearSingular);
  if (r != TSvdResult::svdSuccess) return false;
  StoreVector(x, res);
  if (ErrFactors) StoreVector(*ErrFactors, err);
  return true;
}

}  // namespace

bool SvdDecompose(TMatrix& A, TMatrix& V, TVector& W) {
  if (&A == &V) return false;
  const std::size_t n = Cols(A);
  std::vector<double> v(n * n), w(n);
  const TSvdResult r = SvdDecompose(A.ColumnView(), TColumnView<double>(v.data(), n, n), w);
  A.Changed();
  V.Resize(A.NrOfColumns(), A.NrOfColumns());
  std::copy(v.begin(), v.end(), V.ColumnView().data());
  V.Changed();
  StoreVector(W, w);
  return r == TSvdResult::svdSuccess;
}

bool SvdBackSubst(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x) {
  return BackSubst(U, W, V, b, x, nullptr);
}

bool SvdBackSubst(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x,
                  TVector& ErrFactors) {
  return BackSubst(U, W, V, b, x, &ErrFactors);
}

bool SvdLeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& NearSingular) {
  return LeastSquares(A, b, x, NearSingular, nullptr);
}

bool SvdLeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& NearSingular,
                     TVector& ErrFactors) {
  return LeastSquares(A, b, x, NearSingular, &ErrFactors);
}

bool PseudoInverse(const TMatrix& A, TMatrix& APinv, double Tolerance) {
  const std::int32_t nCols = A.NrOfColumns(), nRows = A.NrOfRows();
  const std::size_t n = Cols(A), m = Rows(A);
  // U starts as the copy of A; V·diag(1/W) becomes the left factor of V·Uᵀ.
  TMatrix U, VScaled;
  U.Resize(nCols, nRows);
  std::copy(A.Data().begin(), A.Data().end(), U.ColumnView().data());
  VScaled.Resize(nCols, nCols);
  std::vector<double> w(n);
  const TColumnView<double> v = VScaled.ColumnView();
  if (SvdDecompose(U.ColumnView(), v, w) != TSvdResult::svdSuccess) return false;
  if (Tolerance <= 0.0) {
    const auto [lo, hi] = std::minmax_element(w.begin(), w.end());
    Tolerance = static_cast<double>(std::max(m, n)) * std::max(std::abs(*lo), std::abs(*hi)) * 1.2e-16;
  }
  for (std::size_t j = 0; j < n; ++j) {
    const bool keep = std::abs(w[j]) > Tolerance && w[j] != 0.0;
    const double f = keep ? 1.0 / w[j] : 0.0;
    for (double& e : v[j]) e *= f;
  }
  VScaled.MultiplyTransposed(&U, &APinv);
  return true;
}

}  // namespace kvl
