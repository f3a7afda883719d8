#pragma once
// The product kernels of the array routines on column-major storage, for
// the matrix containers: column c of a Rows x Cols operand starts at
// Data + c * Rows. Every product runs on the one kernel of the array
// routines, with its one summation order (see docs/arrays_linalg.md), so a
// cell has the same bits whichever routine, tile or thread computes it.

#include <cstddef>
#include <cstdint>

namespace kvl::arrays_detail {

/// TColumnMajor: a Rows x Cols operand in column-major storage, used
/// transposed when Trans.
struct TColumnMajor {
  const double* Data = nullptr;
  std::size_t Rows = 0;
  std::size_t Cols = 0;
  bool Trans = false;
};

/// ColumnMajorProduct: C := op(A)·op(B) (op the transpose where asked), C of
/// op(A)'s rows and op(B)'s columns in column-major storage; the inner sizes
/// must agree and C overlaps neither operand.
void ColumnMajorProduct(const TColumnMajor& A, const TColumnMajor& B, double* C);

/// GramProduct: G (N x N) := AᵀA / Norm for A of Rows rows and N columns, in
/// panels of columns on at most NThreads worker threads. Every column is one
/// progress step; ProcStat, MathFeedBackProc and AbortMathProc are used by
/// the calling thread only (see the worker pool). False when aborted (G
/// partly filled). G must not overlap A. Unscaled (Norm 1) it equals
/// ColumnMajorProduct(Aᵀ, A) bit for bit, with any number of threads.
bool GramProduct(const double* A, std::size_t Rows, std::size_t N, double* G, double Norm, std::int32_t NThreads);

}  // namespace kvl::arrays_detail
