// Determinant, LU and LUP decompositions: a copy of the matrix is factorised
// by the blocked LU engine, the caller's array is only read.

#include <algorithm>
#include <numeric>

#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/linalg/internal/linalg_internal.h"

namespace kvl {
namespace {

using namespace detail;
using namespace linalg_internal;

// A factorised copy of an n x n matrix: row r of Rows is row r of the matrix
// (cells A[c][r] over c) when Transposed, else the inner array A[r].
struct TFactorCopy {
  std::vector<double> Cells;
  std::vector<double*> Rows;
  std::vector<std::int32_t> Swaps;
  TLuResult Result = TLuResult::lrOk;
};

// Calls Cell(c, r) for every cell of an n x n matrix in tiles of 32 x 32,
// so that a copy that transposes touches few cache lines at a time.
template <class F>
void ForEachCellTiled(std::size_t n, F&& Cell) {
  constexpr std::size_t B = 32;
  for (std::size_t c0 = 0; c0 < n; c0 += B)
    for (std::size_t r0 = 0; r0 < n; r0 += B)
      for (std::size_t c = c0, c1 = std::min(n, c0 + B); c < c1; ++c)
        for (std::size_t r = r0, r1 = std::min(n, r0 + B); r < r1; ++r) Cell(c, r);
}

template <class A>
TFactorCopy FactorCopy(const A& a, std::size_t n, TLuMode Mode, bool Transposed) {
  TFactorCopy f;
  f.Cells.resize(n * n);
  f.Rows.resize(n);
  f.Swaps.resize(n);
  for (std::size_t r = 0; r < n; ++r) f.Rows[r] = f.Cells.data() + r * n;
  if (Transposed)
    ForEachCellTiled(n, [&](std::size_t c, std::size_t r) { f.Rows[r][c] = a[c][r]; });
  else
    for (std::size_t c = 0; c < n; ++c) std::copy_n(a[c].data(), n, f.Rows[c]);
  GemmWork<double> work;
  f.Result = FactorLU(LuRows{f.Rows.data(), nullptr, n}, Mode, f.Swaps.data(), work);
  return f;
}

// Status of a matrix that must be square: 0, -1 empty, -2 not square or ragged.
template <class A>
std::int32_t SquareStatus(const A& a, std::size_t& n) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  n = SquareSize(a);
  return n == 0 ? -2 : 0;
}

template <class A>
std::int32_t DeterminantImpl(const A& a, double& det) {
  det = 0.0;
  std::size_t n = 0;
  if (const std::int32_t status = SquareStatus(a, n)) return status;
  // det A = det A', so the inner arrays can serve as rows directly.
  const TFactorCopy f = FactorCopy(a, n, TLuMode::lmPartial, false);
  long double d = 1.0L;
  for (std::size_t i = 0; i < n; ++i) {
    d *= f.Rows[i][i];
    if (f.Swaps[i] != static_cast<std::int32_t>(i)) d = -d;
  }
  det = static_cast<double>(d);
  return 0;
}

// L and U of P*A = L*U (P the identity when Perm is null: no exchanges).
template <class A, class OL, class OU>
std::int32_t LuImpl(const A& a, OL&& l, OU&& u, TIntArray* Perm) {
  std::size_t n = 0;
  if (const std::int32_t status = SquareStatus(a, n)) return status;
  if constexpr (IsColumnView<std::remove_cvref_t<OL>>)
    if (!PrepareOut(l, n, n) || !PrepareOut(u, n, n)) return -2;
  const TFactorCopy f = FactorCopy(a, n, Perm ? TLuMode::lmPartial : TLuMode::lmNone, true);
  if (f.Result == TLuResult::lrNoPivot) return -3;
  PrepareOut(l, n, n);
  PrepareOut(u, n, n);
  ForEachCellTiled(n, [&](std::size_t c, std::size_t r) {
    const double v = f.Rows[r][c];
    l[c][r] = r > c ? v : (r == c ? 1.0 : 0.0);
    u[c][r] = r <= c ? v : 0.0;
  });
  if (Perm) {
    Perm->resize(n);
    std::iota(Perm->begin(), Perm->end(), 0);
    for (std::size_t j = 0; j < n; ++j) std::swap((*Perm)[j], (*Perm)[static_cast<std::size_t>(f.Swaps[j])]);
  }
  return 0;
}

}  // namespace

std::int32_t Determinant(const TDouble2DArray& A, double& Det) { return DeterminantImpl(A, Det); }
std::int32_t Determinant(TColumnView<const double> A, double& Det) { return DeterminantImpl(A, Det); }
std::int32_t Determinant(TColumnView<double> A, double& Det) { return DeterminantImpl(ReadOnly(A), Det); }

std::int32_t LUdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U) {
  return LuImpl(A, L, U, nullptr);
}
std::int32_t LUdecomposition(TColumnView<const double> A, TColumnView<double> L, TColumnView<double> U) {
  return LuImpl(A, L, U, nullptr);
}
std::int32_t LUdecomposition(TColumnView<double> A, TColumnView<double> L, TColumnView<double> U) {
  return LuImpl(ReadOnly(A), L, U, nullptr);
}

std::int32_t LUPdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U, TIntArray& P) {
  return LuImpl(A, L, U, &P);
}

}  // namespace kvl
