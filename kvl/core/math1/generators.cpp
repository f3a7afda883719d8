#include "kvl/core/math1/generators.h"

#include <algorithm>
#include <cmath>

namespace kvl {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// Process-wide generator state, constant-initialised as loading leaves it.
constinit bool GRandomHasSpare = false;
constinit double GRandomSpare = 0.0;
constinit detail::TLongRandState LongRandState = detail::LongRandLoadState();

// |t| reduced modulo 990923 (taken in that order it cannot overflow).
std::int32_t NonNegativeMod990923(std::int32_t t) noexcept {
  const std::int32_t r = t % 990923;
  return r < 0 ? -r : r;
}

// The state word mixed from t by a 32-bit shift and exclusive or.
std::int32_t MixSeed(std::int32_t t, int Shift) noexcept {
  const std::uint32_t u = static_cast<std::uint32_t>(t);
  return NonNegativeMod990923(static_cast<std::int32_t>((u << Shift) ^ u));
}

}  // namespace

double GRandom() {
  if (GRandomHasSpare) {
    GRandomHasSpare = false;
    return GRandomSpare;
  }
  double u = 0.0, v = 0.0, w = 0.0;
  // w = 0 (both draws exactly 0.5) is rejected as well: it has no direction.
  do {
    u = 2.0 * Random() - 1.0;
    v = 2.0 * Random() - 1.0;
    w = u * u + v * v;
  } while (w >= 1.0 || w == 0.0);
  const long double r = std::sqrt(-2.0L * std::log(static_cast<long double>(w)) / w);
  GRandomSpare = static_cast<double>(u * r);
  GRandomHasSpare = true;
  return static_cast<double>(v * r);
}

double LongRand(std::int32_t Seed) {
  detail::TLongRandState& s = LongRandState;
  if (Seed != 0) {
    const std::int32_t t = Seed % 990923;
    s.s1 = NonNegativeMod990923(Seed);
    s.s2 = MixSeed(t, 8);
    s.s3 = MixSeed(t, 16);
  }
  // The words stay below their moduli, so the products fit 32 bits.
  s.s1 = static_cast<std::int32_t>((std::int64_t{s.s1} * 1187) % 1001003);
  s.s2 = static_cast<std::int32_t>((std::int64_t{s.s2} * 983) % 990923);
  s.s3 = static_cast<std::int32_t>((std::int64_t{s.s3} * 1283) % 1400423);
  const long double sum = s.s1 / 1001003.0L + s.s2 / 990923.0L + s.s3 / 1400423.0L;
  // A fraction within half a Double step of 1 would round up to 1.
  return std::min(static_cast<double>(Frac(sum)), std::nextafter(1.0, 0.0));
}

double CRandom(double A, double B) {
  return static_cast<double>(A + B * std::tan((static_cast<long double>(Random()) - 0.5L) * kPi));
}

bool BRandom(double P) {
  if (P >= 1.0) return true;
  return Random() < P;
}

}  // namespace kvl
