// TIntMatrix products, element-wise product, and the per-line routines
// (edge vectors, means, dichotomy, sorted-column search). Products run in
// 32-bit unsigned arithmetic, which wraps around exactly as a 64-bit sum
// cut to 32 bits would; a sparse operand enters through its dense image.
// The product kernel is compiled in CPU clones (cpu_clones.h): its
// register tiles are eight-lane integer vectors.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/internal/sorted_search.h"
#include "kvl/containers/matrix/internal/cellstats.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/containers/matrix/internal/results.h"
#include "kvl/runtime/cpu_clones.h"

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

/// V8: eight 32-bit lanes (one AVX2 register, two SSE registers).
typedef std::uint32_t V8 __attribute__((vector_size(32)));

/// ColumnTile: C(:, j) for the NJ columns whose B columns start at Bj[]
/// and C columns at Cj[]: sixteen rows at a time in registers, each step p
/// adding column p of A times the NJ scalars B(p, j); the last m mod 16 rows
/// one by one. A is m x k, column-major.
template <int NJ>
[[gnu::always_inline]] inline void ColumnTile(const std::uint32_t* A, std::size_t m, std::size_t k,
                                              const std::uint32_t* const* Bj, std::uint32_t* const* Cj) {
  const std::size_t mVec = m / 16 * 16;
  for (std::size_t i0 = 0; i0 < mVec; i0 += 16) {
    V8 acc0[NJ] = {}, acc1[NJ] = {};
    const std::uint32_t* a = A + i0;
    for (std::size_t p = 0; p < k; ++p, a += m) {
      V8 a0, a1;
      std::memcpy(&a0, a, sizeof a0);
      std::memcpy(&a1, a + 8, sizeof a1);
      for (int jj = 0; jj < NJ; ++jj) {
        const std::uint32_t b = Bj[jj][p];
        acc0[jj] += a0 * b;
        acc1[jj] += a1 * b;
      }
    }
    for (int jj = 0; jj < NJ; ++jj) {
      std::memcpy(Cj[jj] + i0, &acc0[jj], sizeof(V8));
      std::memcpy(Cj[jj] + i0 + 8, &acc1[jj], sizeof(V8));
    }
  }
  for (std::size_t i = mVec; i < m; ++i)
    for (int jj = 0; jj < NJ; ++jj) {
      std::uint32_t sum = 0;
      for (std::size_t p = 0; p < k; ++p) sum += A[i + p * m] * Bj[jj][p];
      Cj[jj][i] = sum;
    }
}

/// PlainProduct: C (m x n) := A (m x k) B (k x n), all column-major,
/// modulo 2^32: four columns of C at a time share the loads of A.
KVL_CPU_CLONES void PlainProduct(const std::uint32_t* A, std::size_t m, std::size_t k, const std::uint32_t* B,
                                 std::size_t n, std::uint32_t* C) {
  std::size_t j = 0;
  for (; j + 4 <= n; j += 4) {
    const std::uint32_t* bj[4] = {B + j * k, B + (j + 1) * k, B + (j + 2) * k, B + (j + 3) * k};
    std::uint32_t* cj[4] = {C + j * m, C + (j + 1) * m, C + (j + 2) * m, C + (j + 3) * m};
    ColumnTile<4>(A, m, k, bj, cj);
  }
  for (; j < n; ++j) {
    const std::uint32_t* bj[1] = {B + j * k};
    std::uint32_t* cj[1] = {C + j * m};
    ColumnTile<1>(A, m, k, bj, cj);
  }
}

/// Unsigned: the cells of X as their unsigned counterparts (allowed aliasing).
const std::uint32_t* Unsigned(const std::int32_t* X) { return reinterpret_cast<const std::uint32_t*>(X); }

/// IntProduct: C := op(A) op(B), column-major, modulo 2^32. A transposed
/// operand is transposed into a work block first (O(size) against the
/// product's O(m n k)), so one register-tiled kernel serves every form.
void IntProduct(const TComponent& Sender, const TIntOperand& A, const TIntOperand& B, std::int32_t* Out) {
  std::vector<std::int32_t> ta, tb;
  auto plain = [&Sender](const TIntOperand& X, std::vector<std::int32_t>& Work) {
    if (!X.Trans) return Unsigned(X.Data);
    Work = matrix_internal::WorkCells<std::int32_t>(Sender, X.Rows * X.Cols);
    matrix_internal::TransposeCells(X.Data, Work.data(), X.Cols, X.Rows);
    return Unsigned(Work.data());
  };
  const std::size_t m = A.Trans ? A.Cols : A.Rows;
  const std::size_t k = A.Trans ? A.Rows : A.Cols;
  const std::size_t n = B.Trans ? B.Rows : B.Cols;
  PlainProduct(plain(A, ta), m, k, plain(B, tb), n, reinterpret_cast<std::uint32_t*>(Out));
}

}  // namespace

// --- products ----------------------------------------------------------------------------

void TIntMatrix::ProductInto(const TIntMatrix& MatB, TIntMatrix& MatRes, bool TransA, bool TransB) const {
  std::vector<std::int32_t> sa, sb;
  const std::int32_t cols = TransB ? MatB.FNRow : MatB.FNCol;
  const std::int32_t rows = TransA ? FNCol : FNRow;
  std::vector<std::int32_t> work = matrix_internal::WorkCells<std::int32_t>(
      *this, static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
  IntProduct(*this, Operand(CellImage(sa), TransA), Operand(MatB.CellImage(sb), TransB), work.data());
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
  matrix_internal::ProduceVector(*this, *VecRes, FNRow, [&](std::int32_t* y) { IntProduct(*this, a, b, y); });
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) const {
  if (VecB == nullptr || VecRes == nullptr || FNRow != VecB->NrOfElem()) return false;
  std::vector<std::int32_t> sa;
  const TIntOperand a = Operand(CellImage(sa), true);
  const TIntOperand b{VecB->Data().data(), VecB->Data().size(), 1, false};
  matrix_internal::ProduceVector(*this, *VecRes, FNCol, [&](std::int32_t* y) { IntProduct(*this, a, b, y); });
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
