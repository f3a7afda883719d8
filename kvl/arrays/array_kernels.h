#pragma once
// Kernels of the array routines on column-major storage, for the matrix
// containers: column c of a Rows x Cols operand starts at Data + c * Rows.
// Every product runs on the one kernel of the array routines, with its one
// summation order (see docs/arrays_linalg.md), so a cell has the same bits
// whichever routine, tile or thread computes it.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

#include "kvl/arrays/array_svd.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl::detail {

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

/// TEdgeSums: what an edge aggregate (EdgeVector of the arrays and the
/// matrices) needs of its cells; Value gives the aggregate of kind Op, the
/// mean dividing by Divisor (0 when Divisor is not positive) and the
/// standard deviation 0 for fewer than three cells.
struct TEdgeSums {
  long double Sum = 0.0L;
  long double SumSqr = 0.0L;
  double Min = std::numeric_limits<double>::max();
  double Max = -std::numeric_limits<double>::max();
  std::int64_t Count = 0;
  void Add(double x) noexcept {
    Sum += x;
    SumSqr += static_cast<long double>(x) * x;
    if (x < Min) Min = x;
    if (x > Max) Max = x;
    ++Count;
  }
  double Value(TEdgeOp Op, std::int64_t Divisor) const noexcept {
    switch (Op) {
      case TEdgeOp::eoMin:
        return Min;
      case TEdgeOp::eoMax:
        return Max;
      case TEdgeOp::eoSum:
        return static_cast<double>(Sum);
      case TEdgeOp::eoMean:
        return Divisor > 0 ? static_cast<double>(Sum / static_cast<long double>(Divisor)) : 0.0;
      case TEdgeOp::eoStdDev: {
        if (Count < 3) return 0.0;
        const long double var = (SumSqr - Sum * Sum / Count) / (Count - 1);
        return var > 0.0L ? static_cast<double>(std::sqrt(var)) : 0.0;
      }
    }
    return 0.0;
  }
};

/// DistanceTerm: the per-pair term of distance mode M summed over the
/// features: |x - y| (Manhattan), (x - y)² (Euclidean, squared Euclidean),
/// x·y (the cross sum of Tanimoto and Dice).
template <TDistMode M>
[[gnu::always_inline]] inline double DistanceTerm(double x, double y) {
  if constexpr (M == TDistMode::dmManhattan) {
    return std::fabs(x - y);
  } else if constexpr (M == TDistMode::dmEuclid || M == TDistMode::dmEuclidSqr) {
    const double d = x - y;
    return d * d;
  } else {
    return x * y;
  }
}

/// DistanceSums: Acc[j] += Σ_k DistanceTerm(A(k, i), A(k, j)) for every
/// later object j in (i, n), summed over the Cols features in order, for
/// objects stored as the rows of a column-major n x Cols block (Mode's
/// term; the cross sum for Tanimoto and Dice). The same bits as summing one
/// pair at a time in feature order.
void DistanceSums(TDistMode Mode, const double* A, std::size_t n, std::size_t Cols, std::size_t i, double* Acc);

}  // namespace kvl::detail

KVL_API_END
