#include "kvl/runtime/randgen.h"

#include <chrono>
#include <cmath>

namespace kvl {

// The state starts at 0 when the process starts; loading the library then
// draws three values to seed the long-period generator of the math unit.
// Both happen before any caller can run, so the state a host sees first is
// the one after those three draws, constant-initialised here.
constinit std::int32_t RandSeed = NextRandSeed(NextRandSeed(NextRandSeed(0)));

void Randomize() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  RandSeed = static_cast<std::int32_t>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
}

double Random() {
  RandSeed = NextRandSeed(RandSeed);
  return SeedToUniform(RandSeed);
}

std::int32_t Random(std::int32_t n) {
  RandSeed = NextRandSeed(RandSeed);
  if (n <= 0) return 0;
  return static_cast<std::int32_t>(
      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(RandSeed)) *
       static_cast<std::uint64_t>(n)) >> 32);
}

double RandG(double Mean, double StdDev) {
  double u1, s2;
  do {
    u1 = 2.0 * Random() - 1.0;
    const double u2 = 2.0 * Random() - 1.0;
    s2 = u1 * u1 + u2 * u2;
  } while (s2 >= 1.0 || s2 == 0.0);
  return std::sqrt(-2.0 * std::log(s2) / s2) * u1 * StdDev + Mean;
}

}  // namespace kvl
