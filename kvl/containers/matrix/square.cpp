// TMatrix::Square, the Gram product, on the worker pool of the array
// routines (see detail::GramProduct).

#include <algorithm>
#include <thread>
#include <vector>

#include "kvl/arrays/array_kernels.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

bool TMatrix::Square(TMatrix* MatRes, double Norm, std::int32_t NThreads) const {
  if (MatRes == nullptr) return false;
  const std::size_t n = Cols();
  if (MatRes != this) {
    MatRes->Resize(FNCol, FNCol);
    return detail::GramProduct(FData.data(), Rows(), n, MatRes->ColumnView().data(), Norm, NThreads);
  }
  // The result replaces the operand: compute into a work block first.
  std::vector<double> work = matrix_internal::WorkCells(*this, n * n);
  const bool done = detail::GramProduct(FData.data(), Rows(), n, work.data(), Norm, NThreads);
  MatRes->Resize(FNCol, FNCol);
  std::copy(work.begin(), work.end(), MatRes->ColumnView().data());
  return done;
}

bool TMatrix::Square(TMatrix* MatRes, double Norm) const {
  const auto processors = static_cast<std::int32_t>(std::thread::hardware_concurrency());
  return Square(MatRes, Norm, std::max(processors - 1, 1));
}

}  // namespace kvl
