#pragma once
// KVL_univconst: numeric constants of the base layer.

#include <array>
#include <cstdint>
#include <limits>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// uc_MaxDouble: the largest finite Double, 1.7976931348623157e308.
inline constexpr double uc_MaxDouble = std::numeric_limits<double>::max();
/// uc_MaxReal: the largest finite Real; Real is Double, so uc_MaxDouble.
inline constexpr double uc_MaxReal = uc_MaxDouble;
/// uc_MaxSingle: the largest finite Single, 3.40282347e38.
inline constexpr float uc_MaxSingle = std::numeric_limits<float>::max();
/// uc_MaxInt64: the largest Int64, 9223372036854775807.
inline constexpr std::int64_t uc_MaxInt64 = std::numeric_limits<std::int64_t>::max();
/// uc_sqrt2: the square root of 2.
inline constexpr double uc_sqrt2 = 1.41421356237309504880168872420969808;
/// uc_sqrt2pitom1: 1 / sqrt(2 pi), the peak of the standard normal density.
inline constexpr double uc_sqrt2pitom1 = 0.398942280401432677939946059934381868;

/// uc_LnFactorial: ln n! for n = 0 .. 1000 (uc_LnFactorial[n]), each entry the
/// Double nearest to the exact value.
extern const std::array<double, 1001> uc_LnFactorial;

}  // namespace kvl

KVL_API_END
