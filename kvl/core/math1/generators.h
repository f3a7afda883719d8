#pragma once
// Random numbers beyond the runtime's uniform generator: Gaussian, a
// long-period combined generator, Cauchy and Bernoulli deviates.
//
// GRandom, CRandom and BRandom draw from the runtime's Random(); LongRand
// keeps three state words of its own. All of this state is process-wide and
// unlocked: a host that draws from several threads serialises the calls.

#include <cstdint>

#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// GRandom: a standard normal deviate (polar method); every second call
/// returns the spare value kept by the call before.
double GRandom();

/// LongRand: a uniform value in [0, 1) from a combined multiplicative
/// generator of three state words (moduli 1001003, 990923, 1400423).
/// Seed != 0 reseeds the state first; Seed = 0 continues the sequence.
double LongRand(std::int32_t Seed);

/// CRandom: a Cauchy deviate A + B tan((r - 0.5) pi) with location A and
/// scale B.
double CRandom(double A, double B);

/// BRandom: true with probability P (always true for P >= 1).
bool BRandom(double P);

namespace detail {
/// TLongRandState: the three state words of LongRand.
struct TLongRandState {
  std::int32_t s1 = 0;
  std::int32_t s2 = 0;
  std::int32_t s3 = 0;
};

/// LongRandLoadState: the state loading the library gives LongRand: each
/// word round(r * 990000) of one of the first three draws of the runtime
/// generator started at 0. The draw r is state / 2^32, so r * 990000 is the
/// exact fraction state * 990000 / 2^32, rounded here (halves to even) in
/// integers: a constant expression on every compiler.
constexpr TLongRandState LongRandLoadState() noexcept {
  std::int32_t seed = 0;
  std::int32_t words[3] = {};
  for (std::int32_t& w : words) {
    seed = NextRandSeed(seed);
    const std::uint64_t scaled = std::uint64_t{static_cast<std::uint32_t>(seed)} * 990000u;
    const std::uint64_t whole = scaled >> 32, rest = scaled & 0xFFFFFFFFu, half = std::uint64_t{1} << 31;
    const bool up = rest > half || (rest == half && (whole & 1u) != 0);
    w = static_cast<std::int32_t>(whole + (up ? 1u : 0u));
  }
  return {words[0], words[1], words[2]};
}
}  // namespace detail

}  // namespace kvl

KVL_API_END
