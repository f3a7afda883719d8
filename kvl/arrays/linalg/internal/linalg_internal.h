#pragma once
// Internal engine of the matrix routines. Every matrix is reached through an
// array of row pointers, so one kernel serves nested arrays (a row per inner
// array), column views (a row per stored column) and work buffers alike:
// - Gemm, the product kernel of kvl/arrays/internal/gemm_kernel.h;
// - FactorLU, a blocked right-looking LU factorisation with the pivoting
//   rules of the unit (Crout-style scaled pivoting with the 1e-100 floor,
//   plain partial pivoting, or none);
// - InvertFactored, the in-place inverse from the factors (upper triangle
//   inverted, then X*L = U^-1 solved, then the column interchanges).
// The loops run along rows, whose cells are contiguous; a row of the
// algorithm is a stored inner array, i.e. a column of the caller's 2-D array.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "kvl/arrays/array_core.h"
#include "kvl/arrays/internal/gemm_kernel.h"

namespace kvl::linalg_internal {

// The array traits and walkers of array_core.h, unqualified as in the routines.
using namespace kvl::detail;  // NOLINT(google-build-using-namespace)

using gemm_internal::Gemm;
using gemm_internal::GemmWork;
using gemm_internal::RowsOf;
using gemm_internal::TOperand;

/// LuRows: the n x n matrix being factorised. When Vecs is given, row i is
/// Vecs[i] and rows are exchanged by swapping the inner arrays (and their
/// pointers); otherwise the cells of the two rows are exchanged.
struct LuRows {
  double** R = nullptr;
  std::vector<double>* Vecs = nullptr;
  std::size_t N = 0;
};

/// TLuMode: the pivoting rule of FactorLU.
enum class TLuMode {
  lmInvert,   ///< scaled partial pivoting, tiny pivots floored at 1e-100, progress and abort hooks
  lmPartial,  ///< plain partial pivoting (largest magnitude); a zero column is skipped
  lmNone      ///< no row exchanges
};

/// TLuResult: how FactorLU ended.
enum class TLuResult { lrOk, lrSingular, lrAborted, lrNoPivot };

/// LuPivotFloor: pivots below this magnitude make InvertArray's matrix singular.
inline constexpr double LuPivotFloor = 1e-100;

/// FactorLU: P*M = L*U in place (L unit lower below the diagonal, U on and
/// above it). Swaps[j] receives the row exchanged with row j at step j.
/// lmInvert: lrSingular for a zero row or a floored pivot (the factorisation
/// is still completed in the second case), lrAborted when AbortMathProc
/// stops it. lmNone: lrNoPivot when a zero pivot has a non-zero cell below it.
TLuResult FactorLU(const LuRows& M, TLuMode Mode, std::int32_t* Swaps, GemmWork<double>& Work);

/// InvertFactored: replaces the factors left by FactorLU with the inverse of
/// M; reports progress once per column and returns false when aborted.
bool InvertFactored(const LuRows& M, const std::int32_t* Swaps, GemmWork<double>& Work);

/// PointRows: pointers to the rows of a 2-D array or column view.
template <class A>
auto PointRows(A& a) {
  using T = std::remove_reference_t<decltype(*a[0].data())>;
  std::vector<T*> rows(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) rows[i] = a[i].data();
  return rows;
}

/// PrepareOut: gives an output array nCols x nRows cells: a nested array is
/// sized, a column view must already have that shape (false otherwise).
template <class T>
bool PrepareOut(std::vector<std::vector<T>>& Out, std::size_t NCols, std::size_t NRows) {
  ResizeTo(Out, Index<2>{static_cast<std::int64_t>(NCols), static_cast<std::int64_t>(NRows)});
  return true;
}
template <class T>
bool PrepareOut(TColumnView<T> Out, std::size_t NCols, std::size_t NRows) {
  return Out.size() == NCols && Out.Rows() == NRows;
}

/// ReadOnly: the same cells as a read-only column view.
template <class T>
TColumnView<const T> ReadOnly(TColumnView<T> v) noexcept {
  return {v.data(), v.size(), v.Rows()};
}

/// SquareSize: n for a non-empty rectangular n x n array, 0 otherwise.
template <class A>
std::size_t SquareSize(const A& a) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext) || ext[0] != ext[1] || !IsRectangular(a)) return 0;
  return static_cast<std::size_t>(ext[0]);
}

/// KernelT: the type Gemm computes in (Integer products wrap as uint32_t).
template <class T>
using KernelT = std::conditional_t<std::is_integral_v<T>, std::uint32_t, T>;

/// MultiplyInto: C := A * B for 2-D arrays or column views in the library's
/// orientation (A[c][r]); C is a nested array (sized here) or a column view
/// of the result's shape. Status as MultiplyArrays; C must not overlap A or B.
template <class MA, class MB, class MC>
std::int32_t MultiplyInto(const MA& a, const MB& b, MC&& c) {
  using K = KernelT<Elem<MA>>;
  const auto ea = ExtentsOf(a), eb = ExtentsOf(b);
  if (IsEmpty(ea) || IsEmpty(eb)) return -1;
  if (!IsRectangular(a) || !IsRectangular(b) || ea[0] != eb[1]) return -2;
  const auto m = static_cast<std::size_t>(ea[1]), k = static_cast<std::size_t>(ea[0]),
             n = static_cast<std::size_t>(eb[0]);
  if (!PrepareOut(c, n, m)) return -2;
  // Column j of C is the sum over p of B[j][p] times column p of A: in row
  // terms C_rows = B_rows * A_rows, which keeps every inner loop contiguous.
  std::vector<const K*> bRows(n), aRows(k);
  std::vector<K*> cRows(n);
  for (std::size_t j = 0; j < n; ++j) {
    bRows[j] = reinterpret_cast<const K*>(b[j].data());
    cRows[j] = reinterpret_cast<K*>(c[j].data());
    std::fill(c[j].begin(), c[j].end(), Elem<MA>{});
  }
  for (std::size_t p = 0; p < k; ++p) aRows[p] = reinterpret_cast<const K*>(a[p].data());
  GemmWork<K> work;
  Gemm<K>(n, m, k, RowsOf<const K>{bRows.data(), 0}, RowsOf<const K>{aRows.data(), 0}, RowsOf<K>{cRows.data(), 0},
          false, work);
  return 0;
}

}  // namespace kvl::linalg_internal
