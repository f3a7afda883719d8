#pragma once
// Element-type rules of the vector classes (internal): integer arithmetic
// wraps modulo 2^32, Double arithmetic is plain; sums run in extended
// precision or 64-bit integers; the comb sort of SortElems.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/numfmt.h"
#include "kvl/runtime/rounding.h"

namespace kvl::vector_internal {

/// InRange: Lo <= x <= Hi.
constexpr bool InRange(std::int64_t x, std::int64_t Lo, std::int64_t Hi) noexcept { return x >= Lo && x <= Hi; }

/// ClampIndex: Ix clamped into 0 .. Size - 1 (Size > 0).
constexpr std::int64_t ClampIndex(std::int64_t Ix, std::size_t Size) noexcept {
  return std::clamp<std::int64_t>(Ix, 0, static_cast<std::int64_t>(Size) - 1);
}

// --- element arithmetic ---------------------------------------------------------------

template <class T>
constexpr T Plus(T a, T b) noexcept {
  if constexpr (std::is_integral_v<T>)
    return static_cast<T>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  else
    return a + b;
}
template <class T>
constexpr T Minus(T a, T b) noexcept {
  if constexpr (std::is_integral_v<T>)
    return static_cast<T>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
  else
    return a - b;
}
template <class T>
constexpr T Times(T a, T b) noexcept {
  if constexpr (std::is_integral_v<T>)
    return static_cast<T>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
  else
    return a * b;
}
template <class T>
constexpr T Abs(T a) noexcept {
  if constexpr (std::is_integral_v<T>)
    return a < 0 ? Minus(T(0), a) : a;  // the smallest value stays as it is
  else
    return std::fabs(a);
}

/// SumType: the accumulator of integer sums (wrapping at the end) and of
/// Double sums (extended precision).
template <class T>
struct SumType {
  using type = long double;
};
template <std::integral T>
struct SumType<T> {
  using type = std::uint64_t;
};

/// Wide: an element as accumulator operand.
template <class T>
constexpr typename SumType<T>::type Wide(T x) noexcept {
  if constexpr (std::is_integral_v<T>)
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(x));
  else
    return x;
}

/// Narrow: an accumulated sum as element value (integers wrap to 32 bits).
template <class T, class S>
constexpr T Narrow(S Sum) noexcept {
  if constexpr (std::is_integral_v<T>)
    return static_cast<T>(static_cast<std::uint32_t>(Sum));
  else
    return static_cast<T>(Sum);
}

/// IsNaN: x is a NaN (never for integers).
template <class T>
constexpr bool IsNaN(T x) noexcept {
  if constexpr (std::is_floating_point_v<T>)
    return std::isnan(x);
  else
    return false;
}

// --- conversions to and from text ---------------------------------------------------

/// FromReal: a value read as a real number, as element: Doubles as they
/// are; integers rounded to nearest (halves to even), false when the value
/// is not finite or lies outside the 32-bit range.
template <class T>
bool FromReal(double x, T& Out) noexcept {
  if constexpr (std::is_floating_point_v<T>) {
    Out = x;
    return true;
  } else {
    if (!std::isfinite(x)) return false;
    const double r = RoundEven(x);
    if (r < std::numeric_limits<T>::min() || r > std::numeric_limits<T>::max()) return false;
    Out = static_cast<T>(r);
    return true;
  }
}

/// AppendElem: x as text: Doubles by StrField(x, Width, Decimals), integers
/// as plain decimal numbers.
template <class T>
void AppendElem(std::string& Out, T x, int Width, int Decimals) {
  if constexpr (std::is_floating_point_v<T>) {
    AppendStrField(Out, x, Width, Decimals);
  } else {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, x);
    Out.append(buf, res.ptr);
  }
}

}  // namespace kvl::vector_internal
