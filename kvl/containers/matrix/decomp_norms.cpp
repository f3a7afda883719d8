// TMatrix decompositions and solvers (inversion, determinant, LU and
// Cholesky factors, hat matrix, balancing), the four norms and the
// differences of columns or rows. The array routines work on the cells in
// place through a column view; the spectral norm runs the values-only path
// of the array routines' singular value decomposition on a copy.

#include <algorithm>
#include <cmath>
#include <vector>

#include "kvl/arrays/array_kernels.h"
#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/array_svd.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

using matrix_internal::WorkCells;

namespace {

// Copies an n x n work block into Res (resized to n x n), firing OnChange once.
void DeliverSquare(TMatrix& Res, std::int32_t n, const std::vector<double>& Work) {
  Res.Resize(n, n);
  std::copy(Work.begin(), Work.end(), Res.ColumnView().data());
  Res.Changed();
}

}  // namespace

bool TMatrix::Invert() {
  if (FNCol != FNRow) return false;
  // A failed inversion leaves intermediate values in the routine's array:
  // the cells are restored from a copy so that a singular matrix survives.
  std::vector<double> original = WorkCells(*this, FData.size());
  std::copy(FData.begin(), FData.end(), original.begin());
  if (InvertArray(ColumnView()) != 0) {
    std::copy(original.begin(), original.end(), FData.begin());
    return false;
  }
  Changed();
  return true;
}

double TMatrix::Determinant() const {
  double det = 0.0;
  kvl::Determinant(ColumnView(), det);
  return det;
}

bool TMatrix::LUdecomposition(TMatrix* MatL, TMatrix* MatU) const {
  if (MatL == nullptr || MatU == nullptr || FNCol != FNRow) return false;
  const std::size_t n = Cols();
  std::vector<double> l = WorkCells(*this, n * n), u = WorkCells(*this, n * n);
  if (kvl::LUdecomposition(ColumnView(), TColumnView<double>(l.data(), n, n), TColumnView<double>(u.data(), n, n)) !=
      0)
    return false;
  DeliverSquare(*MatL, FNCol, l);
  DeliverSquare(*MatU, FNCol, u);
  return true;
}

bool TMatrix::CholeskyDecomp(TMatrix* MatL) const {
  if (MatL == nullptr || FNCol != FNRow) return false;
  const std::size_t n = Cols();
  // Row i of L is kept in column i of the work block, so that the sums
  // Σ_k L(i, k)·L(j, k) run over contiguous cells.
  std::vector<double> lt = WorkCells(*this, n * n);
  for (std::size_t j = 0; j < n; ++j) {
    const double* lj = lt.data() + j * n;
    for (std::size_t i = j; i < n; ++i) {
      const double* li = lt.data() + i * n;
      long double s = FData[j * n + i];  // A(j, i): lower triangle, column j
      for (std::size_t k = 0; k < j; ++k) s -= static_cast<long double>(li[k]) * lj[k];
      if (i == j) {
        if (!(s > 0)) return false;
        lt[j * n + j] = static_cast<double>(std::sqrt(s));
      } else {
        lt[i * n + j] = static_cast<double>(s / lj[j]);
      }
    }
  }
  std::vector<double> l = WorkCells(*this, n * n);  // zero above the diagonal
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t k = 0; k <= i; ++k) l[k * n + i] = lt[i * n + k];
  DeliverSquare(*MatL, FNCol, l);
  return true;
}

std::int32_t TMatrix::CalcHatMatrix(TMatrix* HatMat) const {
  if (HatMat == nullptr) return -1;
  const std::size_t n = Rows();
  std::vector<double> h = WorkCells(*this, n * n);
  const std::int32_t status = kvl::CalcHatMatrix(ColumnView(), TColumnView<double>(h.data(), n, n));
  if (status == 0) DeliverSquare(*HatMat, FNRow, h);
  return status;
}

bool TMatrix::Balance(double Tolerance) {
  if (FNCol != FNRow) return false;
  const std::size_t n = Cols();
  Tolerance = std::clamp(Tolerance, 1.000001, 1.05);
  double* a = FData.data();  // A(c, r) at a[c·n + r]
  double factor = 2.1;
  for (int sweep = 0; sweep < 100 && factor > Tolerance; ++sweep) {
    factor = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      long double r = 0.0L, c = 0.0L;
      for (std::size_t j = 0; j < n; ++j) {
        if (j == i) continue;
        r += std::fabs(a[j * n + i]);
        c += std::fabs(a[i * n + j]);
      }
      // A row without off-diagonal weight would get the factor 0 and turn
      // into infinities: such an index is left as it is, like c = 0.
      if (c == 0 || r == 0) continue;
      const double f = static_cast<double>(std::sqrt(r / c));
      factor = std::max(factor, f);
      for (std::size_t j = 0; j < n; ++j) {
        if (j == i) continue;
        a[j * n + i] /= f;
        a[i * n + j] *= f;
      }
    }
  }
  return true;
}

double TMatrix::Norm(TNormType nt) const {
  const std::size_t rows = Rows(), cols = Cols();
  switch (nt) {
    case TNormType::ntColwise: {
      long double best = 0.0L;
      for (std::size_t c = 0; c < cols; ++c) {
        long double s = 0.0L;
        for (std::size_t r = 0; r < rows; ++r) s += std::fabs(FData[c * rows + r]);
        best = std::max(best, s);
      }
      return static_cast<double>(best);
    }
    case TNormType::ntRowwise: {
      std::vector<long double> sums(rows, 0.0L);
      for (std::size_t c = 0; c < cols; ++c)
        for (std::size_t r = 0; r < rows; ++r) sums[r] += std::fabs(FData[c * rows + r]);
      return static_cast<double>(*std::max_element(sums.begin(), sums.end()));
    }
    case TNormType::ntFrobenius: {
      long double s = 0.0L;
      for (double x : FData) s += static_cast<long double>(x) * x;
      return static_cast<double>(std::sqrt(s));
    }
    case TNormType::ntSpectral: {
      std::vector<double> a = WorkCells(*this, FData.size());
      std::copy(FData.begin(), FData.end(), a.begin());
      std::vector<double> w = WorkCells(*this, cols);
      const TSvdResult res = detail::SingularValues(TColumnView<double>(a.data(), cols, rows), w);
      if (res == TSvdResult::svdNoConvergence) Raise<EKVLMatrixError>("near singular covariance matrix");
      if (res != TSvdResult::svdSuccess) return 0.0;  // stopped by AbortMathProc
      return *std::max_element(w.begin(), w.end());
    }
  }
  return 0.0;
}

std::int32_t TMatrix::Diff(std::int32_t Order, TApplyColRow Mode) {
  if (Order < 1 || Order > 10) return -1;
  const bool inColumns = Mode == TApplyColRow::acrColumns;
  if (!inColumns && Mode != TApplyColRow::acrRows) return 0;
  const std::int32_t len = inColumns ? FNRow : FNCol;
  if (len <= Order) return -2;
  const std::size_t rows = Rows(), lines = inColumns ? Cols() : Rows();
  const std::size_t step = inColumns ? 1 : rows;  // distance of neighbours along a line
  for (std::size_t l = 0; l < lines; ++l) {
    double* x = FData.data() + (inColumns ? l * rows : l);
    for (std::int32_t pass = 0; pass < Order; ++pass)
      for (std::size_t k = 0; k + 1 < static_cast<std::size_t>(len - pass); ++k)
        x[k * step] = x[(k + 1) * step] - x[k * step];
  }
  if (inColumns)
    Resize(FNCol, FNRow - Order);
  else
    Resize(FNCol - Order, FNRow);
  return 0;
}

}  // namespace kvl
