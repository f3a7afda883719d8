#pragma once
// The host's process-wide pseudo-random generators.
//
// Random draws from a 32-bit linear congruential generator,
//   RandSeed := RandSeed * 134775813 + 1 (mod 2^32),
// returning RandSeed / 2^32 for Random() and (RandSeed * n) div 2^32 for
// Random(n). The state is the public variable RandSeed; tests seed it
// (RandSeed = 42) to get repeatable sequences. The state is not locked: a
// host that draws from several threads serialises the calls itself.

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// RandSeed: the generator state; assign it to restart a sequence.
extern std::int32_t RandSeed;

/// NextRandSeed: the generator step applied to a state (constexpr so that
/// load-time state can be computed at compile time).
constexpr std::int32_t NextRandSeed(std::int32_t Seed) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(Seed) * 134775813u + 1u);
}

/// SeedToUniform: the uniform value in [0, 1) that a state stands for.
constexpr double SeedToUniform(std::int32_t Seed) noexcept {
  return static_cast<double>(static_cast<std::uint32_t>(Seed)) * (1.0 / 4294967296.0);
}

/// Randomize: seeds RandSeed from the system clock.
void Randomize();

/// Random: the next uniform value in [0, 1).
double Random();

/// Random(n): the next uniform integer in [0, n); 0 (after a step) for n <= 0.
std::int32_t Random(std::int32_t n);

/// RandG: a Gaussian deviate with the given mean and standard deviation
/// (Marsaglia's polar method on Random(); no value is kept between calls).
double RandG(double Mean, double StdDev);

}  // namespace kvl

KVL_API_END
