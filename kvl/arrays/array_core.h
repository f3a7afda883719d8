#pragma once
// The mechanism under every array routine: rank and element type of nested
// dynamic arrays, their extents, the one index-range validator and the
// element walkers, plus TColumnView, which lets the same routines run on a
// container's contiguous column-major storage without copying.
//
// A routine is written once as a template over "2-D arrays" and accepts
// both forms, because both spell a cell A[c][r] (outer index = column):
//   TDouble2DArray a = {{1, 2}, {3, 4}};            // two columns of two rows
//   TColumnView<double> v(storage, cols, rows);     // cell (c, r) at c*rows + r
//   InvertArray(a);  InvertArray(v);
//
// Nested arrays are taken as rectangular: each extent is read at the first
// element of its level, and an empty level makes every deeper extent 0.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <vector>

#include "kvl/runtime/rounding.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TColumnView: a 2-D array view on nCols x nRows values stored column after
/// column; View[c] is column c as a span of nRows values.
template <class T>
class TColumnView {
 public:
  using value_type = std::span<T>;
  TColumnView() = default;
  TColumnView(T* Data, std::size_t NCols, std::size_t NRows) noexcept
      : FData(Data), FCols(NCols), FRows(NRows) {}
  /// Column c (no range check, as for a nested array).
  std::span<T> operator[](std::size_t c) const noexcept { return {FData + c * FRows, FRows}; }
  /// size: the number of columns (the outer extent).
  std::size_t size() const noexcept { return FCols; }
  bool empty() const noexcept { return FCols == 0; }
  /// Rows: the number of rows (the inner extent), also for zero columns.
  std::size_t Rows() const noexcept { return FRows; }
  /// data: the first cell; the cells are contiguous.
  T* data() const noexcept { return FData; }

 private:
  T* FData = nullptr;
  std::size_t FCols = 0;
  std::size_t FRows = 0;
};

namespace detail {

// --- rank and element type ----------------------------------------------------

template <class A>
struct NestedTraits {
  static constexpr int Rank = 0;
  using Elem = A;
};
template <class T, class Alloc>
struct NestedTraits<std::vector<T, Alloc>> {
  static constexpr int Rank = 1 + NestedTraits<T>::Rank;
  using Elem = typename NestedTraits<T>::Elem;
};
template <class T>
struct NestedTraits<TColumnView<T>> {
  static constexpr int Rank = 2;
  using Elem = std::remove_const_t<T>;
};
template <class T, std::size_t E>
struct NestedTraits<std::span<T, E>> {
  static constexpr int Rank = 1;
  using Elem = std::remove_const_t<T>;
};

template <class A>
inline constexpr bool IsColumnView = false;
template <class T>
inline constexpr bool IsColumnView<TColumnView<T>> = true;

/// Rank: the number of dimensions of a nested array type.
template <class A>
inline constexpr int Rank = NestedTraits<std::remove_cvref_t<A>>::Rank;
/// Elem: the element type of a nested array type.
template <class A>
using Elem = typename NestedTraits<std::remove_cvref_t<A>>::Elem;

/// Extents of an array, outermost first (the index type of ranges too).
template <int N>
using Index = std::array<std::int64_t, N>;

/// ExtentsOf: the extents, each read at the first element of its level; an
/// empty level makes the deeper extents 0.
template <class A>
Index<Rank<A>> ExtentsOf(const A& a) {
  Index<Rank<A>> ext{};
  if constexpr (Rank<A> == 1) {
    ext[0] = static_cast<std::int64_t>(a.size());
  } else {
    ext[0] = static_cast<std::int64_t>(a.size());
    if constexpr (IsColumnView<std::remove_cvref_t<A>>) {
      ext[1] = static_cast<std::int64_t>(a.Rows());
    } else if (!a.empty()) {
      const auto inner = ExtentsOf(a[0]);
      for (int d = 1; d < Rank<A>; ++d) ext[d] = inner[d - 1];
    }
  }
  return ext;
}

/// IsEmpty: true when any extent is 0.
template <std::size_t N>
constexpr bool IsEmpty(const std::array<std::int64_t, N>& ext) noexcept {
  for (auto e : ext)
    if (e <= 0) return true;
  return false;
}

/// CheckRange: the one index-range validator of the array routines:
/// -1 when the array is empty, -2 when a bound lies outside 0..extent-1 or a
/// high bound is below its low bound, 0 otherwise.
template <std::size_t N>
constexpr std::int32_t CheckRange(const std::array<std::int64_t, N>& ext, const std::array<std::int64_t, N>& lo,
                                  const std::array<std::int64_t, N>& hi) noexcept {
  if (IsEmpty(ext)) return -1;
  for (std::size_t d = 0; d < N; ++d)
    if (lo[d] < 0 || hi[d] < 0 || lo[d] >= ext[d] || hi[d] >= ext[d] || hi[d] < lo[d]) return -2;
  return 0;
}

/// FullRange: the range [0, extent-1] of every dimension.
template <std::size_t N>
constexpr void FullRange(const std::array<std::int64_t, N>& ext, std::array<std::int64_t, N>& lo,
                         std::array<std::int64_t, N>& hi) noexcept {
  for (std::size_t d = 0; d < N; ++d) {
    lo[d] = 0;
    hi[d] = ext[d] - 1;
  }
}

template <int Depth, int N, class Sub, class F>
void ForEachImpl(Sub&& sub, Index<N>& ix, const Index<N>& lo, const Index<N>& hi, F& f) {
  for (ix[Depth] = lo[Depth]; ix[Depth] <= hi[Depth]; ++ix[Depth]) {
    auto&& s = sub[static_cast<std::size_t>(ix[Depth])];
    if constexpr (Depth == N - 1) {
      if constexpr (std::is_invocable_v<F&, const Index<N>&, decltype(s)>)
        f(static_cast<const Index<N>&>(ix), s);
      else
        f(s);
    } else {
      ForEachImpl<Depth + 1, N>(s, ix, lo, hi, f);
    }
  }
}

/// ForEachInRange: calls f for every element in [lo, hi] (a validated
/// range), the outermost index varying slowest. f is called as f(elem) or,
/// when it takes two arguments, as f(index, elem); elem is a reference, so
/// f may change it.
template <class A, class F>
void ForEachInRange(A&& a, const Index<Rank<A>>& lo, const Index<Rank<A>>& hi, F&& f) {
  Index<Rank<A>> ix = lo;
  ForEachImpl<0, Rank<A>>(a, ix, lo, hi, f);
}

/// ForEachElem: ForEachInRange over the whole (rectangular) array.
template <class A, class F>
void ForEachElem(A&& a, F&& f) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return;
  Index<Rank<A>> lo, hi;
  FullRange(ext, lo, hi);
  ForEachInRange(a, lo, hi, f);
}

/// ResizeTo: sizes dest to the given extents (rectangular).
template <class T, class Alloc, std::size_t N>
void ResizeTo(std::vector<T, Alloc>& dest, const std::array<std::int64_t, N>& ext, std::size_t level = 0) {
  dest.resize(static_cast<std::size_t>(ext[level]));
  if constexpr (NestedTraits<T>::Rank > 0)
    for (auto& sub : dest) ResizeTo(sub, ext, level + 1);
}

// --- statistics helpers -------------------------------------------------------

template <int Depth, std::size_t N, class Sub>
decltype(auto) ElemAtImpl(Sub&& sub, const std::array<std::int64_t, N>& ix) {
  if constexpr (Depth == static_cast<int>(N) - 1)
    return sub[static_cast<std::size_t>(ix[Depth])];
  else
    return ElemAtImpl<Depth + 1>(sub[static_cast<std::size_t>(ix[Depth])], ix);
}

/// ElemAt: the element at a full index (no range check, as for a nested array).
template <class A>
decltype(auto) ElemAt(A&& a, const Index<Rank<A>>& ix) {
  return ElemAtImpl<0>(a, ix);
}

/// CountInRange: the number of elements in [lo, hi] (a validated range).
template <std::size_t N>
constexpr std::int64_t CountInRange(const std::array<std::int64_t, N>& lo,
                                    const std::array<std::int64_t, N>& hi) noexcept {
  std::int64_t n = 1;
  for (std::size_t d = 0; d < N; ++d) n *= hi[d] - lo[d] + 1;
  return n;
}

template <int Depth, int N, class Sub, class F>
void ForEachRunImpl(Sub&& sub, const Index<N>& lo, const Index<N>& hi, F& f) {
  if constexpr (Depth == N - 1) {
    f(std::span(sub.data() + lo[Depth], static_cast<std::size_t>(hi[Depth] - lo[Depth] + 1)));
  } else {
    for (auto i = lo[Depth]; i <= hi[Depth]; ++i)
      ForEachRunImpl<Depth + 1, N>(sub[static_cast<std::size_t>(i)], lo, hi, f);
  }
}

/// ForEachRunInRange: calls f(std::span) once per innermost run of [lo, hi]
/// (a validated range), in the order of ForEachInRange, so that a kernel can
/// work on contiguous memory (not for Boolean arrays).
template <class A, class F>
void ForEachRunInRange(A&& a, const Index<Rank<A>>& lo, const Index<Rank<A>>& hi, F&& f) {
  ForEachRunImpl<0, Rank<A>>(a, lo, hi, f);
}

// --- rules shared with the containers -------------------------------------------

/// ConvertElem: one element converted to another element type, the rule of
/// every numeric copy between element types (CloneArray, the matrix's and
/// the data table's copies to Integer arrays): Double to Integer rounds half
/// to even and holds at the Integer limits (infinities included); NaN gives
/// 0, so no input makes the conversion undefined. Double to Single follows
/// IEEE 754 (values beyond the Single range become infinities).
template <class To, class From>
To ConvertElem(From x) noexcept {
  static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);
  if constexpr (std::is_same_v<To, std::int32_t> && std::is_floating_point_v<From>) {
    if (std::isnan(x)) return 0;
    const From r = RoundEven(x);
    if (r <= From(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (r >= From(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
  } else {
    return static_cast<To>(x);
  }
}

/// TPairSums: the sums over pairs (x, y) in extended precision that
/// Pearson's r is formed from (columns of an array, two vectors, two
/// matrices).
struct TPairSums {
  long double N = 0, X = 0, Y = 0, XX = 0, YY = 0, XY = 0;

  void Add(long double x, long double y) noexcept {
    N += 1;
    X += x;
    Y += y;
    XX += x * x;
    YY += y * y;
    XY += x * y;
  }

  /// Pearson: r = (Σxy - Σx Σy / n) / sqrt(|Sxx Syy|) with Sxx = Σx² - (Σx)²/n
  /// and Syy likewise; 0 unless Σx² > 0, Σy² > 0, Sxx != 0 and Syy != 0.
  double Pearson() const noexcept {
    if (!(XX > 0) || !(YY > 0)) return 0.0;
    const long double sxx = XX - X * X / N, syy = YY - Y * Y / N;
    if (sxx == 0 || syy == 0) return 0.0;
    return static_cast<double>((XY - X * Y / N) / std::sqrt(std::fabs(sxx * syy)));
  }
};

/// Tanimoto: the Tanimoto similarity Σxy / (Σx² + Σy² - Σxy) of two objects
/// from their sums; two all-zero objects (denominator 0) give 0.
template <class F>
constexpr F Tanimoto(F Sxy, F Sxx, F Syy) noexcept {
  const F d = Sxx + Syy - Sxy;
  return d == 0 ? F(0) : Sxy / d;
}

/// Dice: the Dice similarity 2 Σxy / (Σx² + Σy²) from the sums; two all-zero
/// objects (denominator 0) give 0.
template <class F>
constexpr F Dice(F Sxy, F Sxx, F Syy) noexcept {
  const F d = Sxx + Syy;
  return d == 0 ? F(0) : 2 * Sxy / d;
}

// --- shape checks -------------------------------------------

/// IsRectangular: true when every inner array has the extent read at the first
/// element of its level, so that raw loops over the extents stay inside every
/// inner array (a column view always is).
template <class A>
bool IsRectangular(const A& a) {
  if constexpr (Rank<A> <= 1 || IsColumnView<std::remove_cvref_t<A>>) {
    return true;
  } else {
    if (a.empty()) return true;
    const auto inner = ExtentsOf(a[0]);
    for (const auto& sub : a)
      if (ExtentsOf(sub) != inner || !IsRectangular(sub)) return false;
    return true;
  }
}

}  // namespace detail
}  // namespace kvl

KVL_API_END
