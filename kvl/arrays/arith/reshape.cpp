// Transpose, flip, row and column removal, serialising, permutations and
// the index sort.

#include "kvl/arrays/arith/reshape.h"

#include <algorithm>
#include <span>
#include <utility>

#include "kvl/arrays/arith/internal/arith_internal.h"
#include "kvl/arrays/arith/internal/arith_lists.h"
#include "kvl/core/KVL_math1.h"

namespace kvl {
namespace {

using namespace arith_internal;

template <class A2>
std::int32_t Transpose(A2& a) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  using Column = typename A2::value_type;
  A2 t(static_cast<std::size_t>(ext[1]), Column(static_cast<std::size_t>(ext[0])));
  for (std::size_t c = 0; c < t.size(); ++c)
    for (std::size_t r = 0; r < t[c].size(); ++r) t[c][r] = a[r][c];
  a = std::move(t);
  return 0;
}

// Reverses every sub-array that lies `level` levels below v.
template <class V>
void FlipLevel(V& v, int level) {
  if (level == 0) {
    std::reverse(v.begin(), v.end());
  } else if constexpr (Rank<V> > 1) {
    for (auto& sub : v) FlipLevel(sub, level - 1);
  }
}

template <class A>
std::int32_t Flip(A& a, std::int32_t dim) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  if (dim < 1 || dim > Rank<A>) return -2;
  FlipLevel(a, dim - 1);
  return 0;
}

template <class A2>
bool DropRow(A2& a, std::int32_t row) {
  const auto ext = ExtentsOf(a);
  if (row < 0 || row >= ext[1]) return false;
  for (auto& column : a)
    if (static_cast<std::size_t>(row) < column.size()) column.erase(column.begin() + row);
  return true;
}

template <class A2>
bool DropColumn(A2& a, std::int32_t col) {
  if (col < 0 || static_cast<std::size_t>(col) >= a.size()) return false;
  a.erase(a.begin() + col);
  return true;
}

template <class A2, class V>
std::int32_t Serialize(const A2& a, bool ColumnMajor, V& v) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  const auto nc = static_cast<std::size_t>(ext[0]);
  const auto nr = static_cast<std::size_t>(ext[1]);
  v.resize(nc * nr);
  for (std::size_t c = 0; c < nc; ++c)
    for (std::size_t r = 0; r < nr; ++r) v[ColumnMajor ? r + nr * c : c + nc * r] = a[c][r];
  return 0;
}

// 0 when Perm holds each of 1..n once, -2 for a wrong length, -3 otherwise.
std::int32_t CheckPermutation(const TIntArray& perm, std::int64_t n) {
  if (static_cast<std::int64_t>(perm.size()) != n) return -2;
  std::vector<bool> seen(perm.size(), false);
  for (const std::int32_t p : perm) {
    if (p < 1 || p > n || seen[static_cast<std::size_t>(p - 1)]) return -3;
    seen[static_cast<std::size_t>(p - 1)] = true;
  }
  return 0;
}

// v := v reordered by perm; scratch is a buffer of v's length, reused.
template <class V>
void ApplyPermutation(V& v, const TIntArray& perm, V& scratch) {
  for (std::size_t i = 0; i < perm.size(); ++i) scratch[i] = std::move(v[static_cast<std::size_t>(perm[i] - 1)]);
  std::swap(v, scratch);
}

template <class V>
std::int32_t Permute1D(V& a, const TIntArray& perm) {
  if (a.empty()) return -1;
  const std::int32_t st = CheckPermutation(perm, static_cast<std::int64_t>(a.size()));
  if (st != 0) return st;
  V scratch(a.size());
  ApplyPermutation(a, perm, scratch);
  return 0;
}

template <class A2>
std::int32_t Permute2D(A2& a, const TIntArray& perm, TApplyColRow ApplyTo) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  if (ApplyTo == TApplyColRow::acrColumns) return Permute1D(a, perm);
  const std::int32_t st = CheckPermutation(perm, ext[1]);
  if (st != 0) return st;
  typename A2::value_type scratch(static_cast<std::size_t>(ext[1]));
  for (auto& column : a) ApplyPermutation(column, perm, scratch);
  return 0;
}

template <class T>
std::int32_t SortWithIndex(bool Ascending, std::vector<T>& a, TIntArray& ix) {
  const std::size_t n = a.size();
  ix.resize(n);
  for (std::size_t i = 0; i < n; ++i) ix[i] = static_cast<std::int32_t>(i + 1);
  if (n < 2) return -1;
  detail::CombSortBy(
      n, n - 1,
      [&a, Ascending](std::size_t i, std::size_t j) { return Ascending ? a[i] > a[j] : a[i] < a[j]; },
      [&a, &ix](std::size_t i, std::size_t j) {
        std::swap(a[i], a[j]);
        std::swap(ix[i], ix[j]);
      });
  return 0;
}

std::int32_t SortUnique(TIntArray& a, bool Ascending) {
  if (a.size() < 2) return -1;
  SortArray(std::span<std::int32_t>(a), Ascending);
  const auto kept = std::unique(a.begin(), a.end());
  const auto removed = a.end() - kept;
  a.erase(kept, a.end());
  return static_cast<std::int32_t>(removed);
}

}  // namespace

std::int32_t SortAndRemoveDuplicates(TIntArray& A, bool Ascending) { return SortUnique(A, Ascending); }

std::int32_t TransposeArray(TDouble2DArray& A) { return Transpose(A); }
std::int32_t TransposeArray(TInt2DArray& A) { return Transpose(A); }
std::int32_t TransposeArray(TBool2DArray& A) { return Transpose(A); }

#define KVL_FLIP(A, T) \
  std::int32_t FlipDimArray(A& a, std::int32_t Dim) { return Flip(a, Dim); }
KVL_FOR_NUM_ARRAYS_1TO4(KVL_FLIP)
#undef KVL_FLIP

#define KVL_2D_RESHAPE(A2, V)                                                                             \
  bool RemoveRow(A2& a, std::int32_t Row) { return DropRow(a, Row); }                                     \
  bool RemoveColumn(A2& a, std::int32_t Col) { return DropColumn(a, Col); }                               \
  std::int32_t SerializeArray(const A2& a, bool ColumnMajor, V& v) { return Serialize(a, ColumnMajor, v); } \
  std::int32_t PermuteArray(V& a, const TIntArray& Perm) { return Permute1D(a, Perm); }                   \
  std::int32_t PermuteArray(A2& a, const TIntArray& Perm, TApplyColRow ApplyTo) {                         \
    return Permute2D(a, Perm, ApplyTo);                                                                   \
  }                                                                                                       \
  std::int32_t SortArray(bool Ascending, V& a, TIntArray& Ix) { return SortWithIndex(Ascending, a, Ix); }
KVL_2D_RESHAPE(TDouble2DArray, TDoubleArray)
KVL_2D_RESHAPE(TInt2DArray, TIntArray)
#undef KVL_2D_RESHAPE

}  // namespace kvl
