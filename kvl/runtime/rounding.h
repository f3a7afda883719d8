#pragma once
// The rounding and integer-division rules the whole library relies on.
//
// One helper per rule; every unit uses these instead of writing its own:
//   Round  nearest integer, halves to even (Round(2.5) = 2, Round(3.5) = 4)
//   Trunc  integer part towards zero, as an integer
//   Int    integer part towards zero, as a floating-point value
//   Frac   x - Int(x); keeps the sign of x
//   Div    integer quotient truncated towards zero
//   Mod    remainder with the sign of the dividend
// Round and Trunc raise EInvalidOp for NaN, infinities and values outside
// the Int64 range instead of invoking undefined behaviour.

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

namespace detail {
[[noreturn]] void RaiseInvalidOp();
[[noreturn]] void RaiseDivByZero();

template <std::floating_point F>
constexpr bool FitsInt64(F x) {
  // 2^63 is exactly representable in every floating-point type used here.
  return x >= F(-9223372036854775808.0L) && x < F(9223372036854775808.0L);
}
}  // namespace detail

/// Int: the integer part of x (rounded towards zero), same type as x.
template <std::floating_point F>
constexpr F Int(F x) {
  return std::trunc(x);
}

/// Frac: the fractional part x - Int(x), with the sign of x.
template <std::floating_point F>
constexpr F Frac(F x) {
  return x - std::trunc(x);
}

/// Trunc: x rounded towards zero as Int64; EInvalidOp outside the range.
template <std::floating_point F>
std::int64_t Trunc(F x) {
  const F t = std::trunc(x);
  if (!detail::FitsInt64(t)) detail::RaiseInvalidOp();
  return static_cast<std::int64_t>(t);
}

/// RoundEven: x rounded to the nearest integral value, halves to even, in
/// the type of x (independent of the current rounding mode).
template <std::floating_point F>
constexpr F RoundEven(F x) {
  F r = std::floor(x);
  const F diff = x - r;
  if (diff > F(0.5) || (diff == F(0.5) && std::fmod(r, F(2)) != F(0))) r += F(1);
  return r;
}

/// Round: x rounded to the nearest Int64, halves to even; EInvalidOp for NaN,
/// infinities and values outside the Int64 range.
template <std::floating_point F>
std::int64_t Round(F x) {
  const F r = RoundEven(x);
  if (!detail::FitsInt64(r)) detail::RaiseInvalidOp();
  return static_cast<std::int64_t>(r);
}

/// Div: the quotient a / b truncated towards zero. The one overflowing case,
/// the smallest value divided by -1, wraps around as the hardware word does.
/// b = 0 raises EMathError "Division by zero".
template <std::signed_integral I>
I Div(I a, I b) {
  if (b == 0) detail::RaiseDivByZero();
  if (b == -1) return static_cast<I>(static_cast<std::make_unsigned_t<I>>(0) -
                                     static_cast<std::make_unsigned_t<I>>(a));
  return a / b;
}

/// Mod: the remainder a - Div(a, b) * b, with the sign of a.
template <std::signed_integral I>
I Mod(I a, I b) {
  if (b == 0) detail::RaiseDivByZero();
  if (b == -1) return 0;
  return a % b;
}

}  // namespace kvl

KVL_API_END
