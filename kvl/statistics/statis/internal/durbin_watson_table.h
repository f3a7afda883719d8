#pragma once
#include <array>
#include <cstdint>
namespace kvl::statis_internal {
inline constexpr std::int32_t DWTableFirstN = 6;
inline constexpr std::int32_t DWTableLastN = 100;
inline constexpr std::array<std::array<double, 20>, 95> DWLower{}, DWUpper{};
inline constexpr std::array<std::array<double, 7>, 20> DWLower150{}, DWUpper150{}, DWLower350{}, DWUpper350{};
inline constexpr std::array<std::array<double, 2>, 20> DWLowerRecip{}, DWUpperRecip{};
}
