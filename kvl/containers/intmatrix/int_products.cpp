// TIntMatrix products, element-wise product, and the per-line routines
// (edge vectors, means, dichotomy, sorted-column search). Products run in
// 32-bit unsigned arithmetic, which wraps around exactly as a 64-bit sum
// cut to 32 bits would; a sparse operand enters through its dense image.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/internal/sorted_search.h"
#include "kvl/containers/matrix/internal/cellstats.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

namespace {

/// TIntOperand: a column-major block of Rows x Cols integers, read
/// transposed when Trans.
struct TIntOperand {
  const std::int32_t* Data;
  std::size_t Rows, Cols;
  bool Trans;
};

TIntOperand Operand(TColumnView<const std::int32_t> V, bool Trans) { return {V.data(), V.Rows(), V.size(), Trans}; }

/// IntProduct: C := op(A) op(B), column-major, modulo 2^32. A plain A runs
/// as column updates (C(:, j) += A(:, p) b(p, j)), a transposed A as dot
/// products of two columns: both walk contiguous cells.
void IntProduct(const TIntOperand& A, const TIntOperand& B, std::int32_t* Out) {
  const std::size_t m = A.Trans ? A.Cols : A.Rows;
  const std::size_t k = A.Trans ? A.Rows : A.Cols;
  const std::size_t n = B.Trans ? B.Rows : B.Cols;
  auto bAt = [&B](std::size_t p, std::size_t j) {
    return static_cast<std::uint32_t>(B.Trans ? B.Data[j + p * B.Rows] : B.Data[p + j * B.Rows]);
  };
  // int32_t cells are written through their unsigned counterpart (allowed aliasing).
  auto* C = reinterpret_cast<std::uint32_t*>(Out);
  if (!A.Trans) {
    std::fill(C, C + m * n, 0u);
    for (std::size_t j = 0; j < n; ++j) {
      std::uint32_t* cj = C + j * m;
      for (std::size_t p = 0; p < k; ++p) {
        const std::uint32_t b = bAt(p, j);
        if (b == 0) continue;
        const auto* ap = reinterpret_cast<const std::uint32_t*>(A.Data + p * A.Rows);
        for (std::size_t i = 0; i < m; ++i) cj[i] += ap[i] * b;
      }
    }
    return;
  }
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < m; ++i) {
      const auto* ai = reinterpret_cast<const std::uint32_t*>(A.Data + i * A.Rows);
      std::uint32_t sum = 0;
      if (!B.Trans) {
        const auto* bj = reinterpret_cast<const std::uint32_t*>(B.Data + j * B.Rows);
        for (std::size_t p = 0; p < k; ++p) sum += ai[p] * bj[p];
      } else {
        for (std::size_t p = 0; p < k; ++p) sum += ai[p] * bAt(p, j);
      }
      C[j * m + i] = sum;
    }
}

}  // namespace

// --- products ----------------------------------------------------------------------------

void TIntMatrix::ProductInto(const TIntMatrix& MatB, TIntMatrix& MatRes, bool TransA, bool TransB) const {
  std::vector<std::int32_t> sa, sb;
  const std::int32_t cols = TransB ? MatB.FNRow : MatB.FNCol;
  const std::int32_t rows = TransA ? FNCol : FNRow;
  std::vector<std::int32_t> work = matrix_internal::WorkCells<std::int32_t>(
      *this, static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
  IntProduct(Operand(CellImage(sa), TransA), Operand(MatB.CellImage(sb), TransB), work.data());
  MatRes.TakeCells(cols, rows, work.data(), true);
}

bool TIntMatrix::Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNRow) return false;
  ProductInto(*MatB, *MatRes, false, false);
  Changed();
  return true;
}

bool TIntMatrix::MultiplyTransposed(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol) return false;
  ProductInto(*MatB, *MatRes, false, true);
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes) const {
  if (MatB == nullptr || MatRes == nullptr || FNRow != MatB->FNRow) return false;
  ProductInto(*MatB, *MatRes, true, false);
  return true;
}

bool TIntMatrix::EMult(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  std::vector<std::int32_t> sa, sb;
  const std::int32_t* a = CellImage(sa).data();
  const std::int32_t* b = MatB->CellImage(sb).data();
  const std::size_t n = static_cast<std::size_t>(FNCol) * static_cast<std::size_t>(FNRow);
  std::vector<std::int32_t> work = matrix_internal::WorkCells<std::int32_t>(*this, n);
  for (std::size_t i = 0; i < n; ++i)
    work[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(a[i]) * static_cast<std::uint32_t>(b[i]));
  MatRes->TakeCells(FNCol, FNRow, work.data(), true);
  Changed();
  return true;
}

bool TIntMatrix::Multiply(const TIntVector* VecB, TIntVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FNCol != VecB->NrOfElem()) return false;
  std::vector<std::int32_t> sa;
  const TIntOperand a = Operand(CellImage(sa), false);
  const TIntOperand b{VecB->Data().data(), VecB->Data().size(), 1, false};
  matrix_internal::ProduceVector(*this, *VecRes, FNRow, [&](std::int32_t* y) { IntProduct(a, b, y); });
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || FNRow != VecB->NrOfElem()) return false;
  std::vector<std::int32_t> sa;
  const TIntOperand a = Operand(CellImage(sa), true);
  const TIntOperand b{VecB->Data().data(), VecB->Data().size(), 1, false};
  matrix_internal::ProduceVector(*this, *VecRes, FNCol, [&](std::int32_t* y) { IntProduct(a, b, y); });
  return true;
}

// --- per-line routines -------------------------------------------------------------------

std::int32_t TIntMatrix::FindInSortedColumn(std::int32_t Col, bool ColIsAscending, std::int32_t Value) const {
  if (Col < 1 || Col > FNCol) return 0;
  if (!FIsSparse) return containers_internal::FindInSorted(ColumnView()[static_cast<std::size_t>(Col - 1)], ColIsAscending, Value);
  std::vector<std::int32_t> column;
  GuardAllocation<EKVLMatrixError>(*this, [&] { column.resize(static_cast<std::size_t>(FNRow)); });
  for (std::int32_t r = 1; r <= FNRow; ++r) column[static_cast<std::size_t>(r - 1)] = GetVal(Col, r);
  return containers_internal::FindInSorted(std::span<const std::int32_t>(column), ColIsAscending, Value);
}

std::int32_t TIntMatrix::Dichotomize(std::int32_t Threshold, TBool2DArray& ResultArray) const {
  std::vector<std::int32_t> scratch;
  return matrix_internal::DichotomizeCells(CellImage(scratch), Threshold, ResultArray);
}

std::int32_t TIntMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, std::span<const std::int32_t> EdgeIx,
                                    TVector* Dest) const {
  if (Dest == nullptr) return -3;
  if (FNCol < 1 || FNRow < 1) return -1;
  std::vector<std::int32_t> scratch;
  std::vector<double> values;
  const std::int32_t status = matrix_internal::EdgeAggregates(CellImage(scratch), Orient != TOrientation::orRows,
                                                              EdgeOp, EdgeIx, values);
  Dest->Resize(static_cast<std::int32_t>(values.size()));
  Dest->CopyFrom(std::span<const double>(values), 0, 0, 1);
  return status;
}

std::int32_t TIntMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* Dest) const {
  return EdgeVector(Orient, EdgeOp, std::span<const std::int32_t>(), Dest);
}

void TIntMatrix::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr) return;
  const bool perColumn = Dim == TDims::dimColumns;
  std::vector<std::int32_t> scratch;
  const TColumnView<const std::int32_t> cells = CellImage(scratch);
  std::vector<double> means = matrix_internal::WorkCells(*this, perColumn ? cells.size() : cells.Rows());
  matrix_internal::LineMeans(cells.data(), cells.size(), cells.Rows(), perColumn, means);
  matrix_internal::Deliver(*this, Means, means);
}

}  // namespace kvl
