// TMatrix products and element-wise arithmetic. The matrix products run on
// the cross-product kernel (Xᵀ·Y over contiguous columns); A·B and A·Bᵀ
// first transpose the operands whose rows they need, which costs one pass
// over those cells against a pass per result column.

#include <algorithm>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/kernels.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

using matrix_detail::CrossProducts;
using matrix_detail::ProduceResult;
using matrix_detail::ProduceVector;
using matrix_detail::TransposedCells;

bool TMatrix::Multiply(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNRow) return false;
  const std::size_t m = Rows(), k = Cols(), n = MatB->Cols();
  const std::vector<double> at = TransposedCells(*this);  // column r = row r of A
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, MatB->FNCol, FNRow, true,
                [&](double* c) { CrossProducts(at.data(), k, m, MatB->FData.data(), k, n, k, c, m); });
  Changed();
  return true;
}

bool TMatrix::MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol) return false;
  const std::size_t m = Rows(), k = Cols(), n = MatB->Rows();
  const std::vector<double> at = TransposedCells(*this);
  const std::vector<double> bt = TransposedCells(*MatB);
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, MatB->FNRow, FNRow, true,
                [&](double* c) { CrossProducts(at.data(), k, m, bt.data(), k, n, k, c, m); });
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || FNRow != MatB->FNRow) return false;
  const std::size_t m = Cols(), k = Rows(), n = MatB->Cols();
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, MatB->FNCol, FNCol, true,
                [&](double* c) { CrossProducts(FData.data(), k, m, MatB->FData.data(), k, n, k, c, m); });
  return true;
}

bool TMatrix::EMult(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, FNCol, FNRow, true, [&](double* c) {
    const double* a = FData.data();
    const double* b = MatB->FData.data();
    for (std::size_t i = 0, n = FData.size(); i < n; ++i) c[i] = a[i] * b[i];
  });
  Changed();
  return true;
}

bool TMatrix::Multiply(const TVector* VecB, TVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FNCol != VecB->NrOfElem()) return false;
  ProduceVector(*this, *VecRes, FNRow, [&](double* y) {
    // y := Σ_c A(c, ·)·b(c), column after column over contiguous cells.
    const std::size_t m = Rows();
    std::fill_n(y, m, 0.0);
    const std::span<const double> b = VecB->Data();
    for (std::size_t c = 0; c < Cols(); ++c) {
      const double bc = b[c];
      const double* a = FData.data() + c * m;
      for (std::size_t r = 0; r < m; ++r) y[r] += a[r] * bc;
    }
  });
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TVector* VecB, TVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || FNRow != VecB->NrOfElem()) return false;
  ProduceVector(*this, *VecRes, FNCol, [&](double* y) {
    CrossProducts(FData.data(), Rows(), Cols(), VecB->Data().data(), Rows(), 1, Rows(), y, Cols());
  });
  return true;
}

bool TMatrix::Add(const TMatrix* MatB) {
  if (MatB == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  const double* b = MatB->FData.data();
  for (std::size_t i = 0, n = FData.size(); i < n; ++i) FData[i] += b[i];
  Changed();
  return true;
}

bool TMatrix::Subtract(const TMatrix* MatB) {
  if (MatB == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  const double* b = MatB->FData.data();
  for (std::size_t i = 0, n = FData.size(); i < n; ++i) FData[i] -= b[i];
  Changed();
  return true;
}

void TMatrix::SMult(double Scalar) {
  for (double& x : FData) x *= Scalar;
  Changed();
}

void TMatrix::SAdd(double Scalar) {
  for (double& x : FData) x += Scalar;
  Changed();
}

double TMatrix::Trace() const {
  if (FNCol != FNRow) return 0.0;
  long double sum = 0.0L;
  for (std::size_t i = 0; i < Cols(); ++i) sum += FData[i * Rows() + i];
  return static_cast<double>(sum);
}

}  // namespace kvl
