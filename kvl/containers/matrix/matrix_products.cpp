// TMatrix products and element-wise arithmetic. Every product runs on the
// product kernel of the array routines (ColumnMajorProduct), which reads a
// transposed operand in place: no product copies or transposes its operands.

#include <algorithm>
#include <vector>

#include "kvl/arrays/array_kernels.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

using detail::ColumnMajorProduct;
using detail::TColumnMajor;
using matrix_internal::ProduceResult;
using matrix_internal::ProduceVector;

namespace {

TColumnMajor Operand(const TMatrix& M, bool Trans) {
  return {M.Data().data(), static_cast<std::size_t>(M.NrOfRows()), static_cast<std::size_t>(M.NrOfColumns()), Trans};
}

TColumnMajor Operand(const TVector& V) { return {V.Data().data(), V.Data().size(), 1, false}; }

}  // namespace

bool TMatrix::Multiply(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNRow) return false;
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, MatB->FNCol, FNRow, true,
                [&](double* c) { ColumnMajorProduct(Operand(*this, false), Operand(*MatB, false), c); });
  Changed();
  return true;
}

bool TMatrix::MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol) return false;
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, MatB->FNRow, FNRow, true,
                [&](double* c) { ColumnMajorProduct(Operand(*this, false), Operand(*MatB, true), c); });
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || FNRow != MatB->FNRow) return false;
  ProduceResult(*this, *MatRes, MatRes == this || MatRes == MatB, MatB->FNCol, FNCol, true,
                [&](double* c) { ColumnMajorProduct(Operand(*this, true), Operand(*MatB, false), c); });
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
  ProduceVector(*this, *VecRes, FNRow, [&](double* y) { ColumnMajorProduct(Operand(*this, false), Operand(*VecB), y); });
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TVector* VecB, TVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || FNRow != VecB->NrOfElem()) return false;
  ProduceVector(*this, *VecRes, FNCol, [&](double* y) { ColumnMajorProduct(Operand(*this, true), Operand(*VecB), y); });
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
