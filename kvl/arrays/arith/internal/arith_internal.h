#pragma once
// Internal helpers of the arithmetic and manipulation routines: a parallel
// walker over several arrays of one shape, 32-bit wrap-around integer
// arithmetic and the shape helpers of the arithmetic. Not part of the public
// interface (the element conversion is detail::ConvertElem).

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "kvl/arrays/array_core.h"
#include "kvl/runtime/rounding.h"

namespace kvl::arith_internal {

using detail::Elem;
using detail::ExtentsOf;
using detail::Index;
using detail::IsEmpty;
using detail::Rank;

template <int Depth, int N, class F, class... Subs>
void ZipImpl(const Index<N>& ext, F& f, Subs&&... subs) {
  const auto n = static_cast<std::size_t>(ext[Depth]);
  for (std::size_t i = 0; i < n; ++i) {
    if constexpr (Depth == N - 1)
      f(subs[i]...);
    else
      ZipImpl<Depth + 1, N>(ext, f, subs[i]...);
  }
}

/// ZipEach: calls f(a[i..], b[i..], ...) for every cell of the extents ext,
/// the outer index varying slowest; every array must cover ext.
template <std::size_t N, class F, class... As>
void ZipEach(const std::array<std::int64_t, N>& ext, F&& f, As&&... arrays) {
  if (IsEmpty(ext)) return;
  ZipImpl<0, static_cast<int>(N)>(ext, f, arrays...);
}

/// MapInto: out (sized like a) := f(a) cell by cell; out may be a itself.
/// Returns -1 when a is empty (out untouched), otherwise 0.
template <class A, class B, class F>
std::int32_t MapInto(const A& a, B& out, F f) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  if (static_cast<const void*>(&a) != static_cast<const void*>(&out)) detail::ResizeTo(out, ext);
  ZipEach(ext, [&f](auto x, auto&& y) { y = f(x); }, a, out);
  return 0;
}

/// Wrap: the 32-bit word arithmetic of Integer elements (wrap-around, never
/// signed overflow); floating-point values pass through.
template <class T>
struct Wrap {
  static T Add(T a, T b) noexcept { return a + b; }
  static T Sub(T a, T b) noexcept { return a - b; }
  static T Mul(T a, T b) noexcept { return a * b; }
  static T Neg(T a) noexcept { return -a; }
};
template <>
struct Wrap<std::int32_t> {
  using U = std::uint32_t;
  static std::int32_t Add(std::int32_t a, std::int32_t b) noexcept {
    return static_cast<std::int32_t>(static_cast<U>(a) + static_cast<U>(b));
  }
  static std::int32_t Sub(std::int32_t a, std::int32_t b) noexcept {
    return static_cast<std::int32_t>(static_cast<U>(a) - static_cast<U>(b));
  }
  static std::int32_t Mul(std::int32_t a, std::int32_t b) noexcept {
    return static_cast<std::int32_t>(static_cast<U>(a) * static_cast<U>(b));
  }
  static std::int32_t Neg(std::int32_t a) noexcept { return static_cast<std::int32_t>(U{0} - static_cast<U>(a)); }
};

/// AllEqual: true when every extent equals the first (a "square" array).
template <std::size_t N>
constexpr bool AllEqual(const std::array<std::int64_t, N>& ext) noexcept {
  for (auto e : ext)
    if (e != ext[0]) return false;
  return true;
}

/// ToIndex: turns a list of Integer bounds into an index of the array type A.
template <class A, class... I>
constexpr Index<Rank<A>> ToIndex(I... b) noexcept {
  static_assert(sizeof...(I) == static_cast<std::size_t>(Rank<A>));
  return {static_cast<std::int64_t>(b)...};
}

}  // namespace kvl::arith_internal
