#pragma once
// Kernels of the array routines on column-major storage, for the matrix
// containers: column c of a Rows x Cols operand starts at Data + c * Rows.
// Every product runs on the one kernel of the array routines, with its one
// summation order (see docs/arrays_linalg.md), so a cell has the same bits
// whichever routine, tile or thread computes it.

#include <cstddef>
#include <cstdint>
#include <span>

#include "kvl/arrays/array_svd.h"

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

/// SingularValues: the W of SvdDecompose(A, V, W) without U and V (the
/// same values, the same progress steps and results); A is left with
/// intermediate cells. svdBadSize when W has not n values or overlaps A.
TSvdResult SingularValues(TColumnView<double> A, std::span<double> W);

}  // namespace kvl::arrays_detail
