#pragma once
// Internal to the containers: the search of a sorted line shared by the
// vectors and the matrix columns.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kvl::containers_internal {

/// FindInSorted: binary search of Value in Line, sorted as Ascending says
/// (1-based positions 1..size): the position of Value, or of the nearer of
/// the two last bracketing positions (the upper one on ties; distances in
/// extended precision). 0 for an empty line.
template <class T>
std::int32_t FindInSorted(std::span<const T> Line, bool Ascending, double Value) {
  if (Line.empty()) return 0;
  const auto at = [&](std::int32_t i) { return static_cast<double>(Line[static_cast<std::size_t>(i - 1)]); };
  std::int32_t lo = 1;
  std::int32_t hi = static_cast<std::int32_t>(Line.size());
  while (hi - lo >= 2) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const double x = at(mid);
    if (x == Value) return mid;
    if ((x > Value) == Ascending)
      hi = mid;
    else
      lo = mid;
  }
  const long double dLo = std::fabs(static_cast<long double>(at(lo)) - Value);
  const long double dHi = std::fabs(static_cast<long double>(at(hi)) - Value);
  return dLo < dHi ? lo : hi;
}

}  // namespace kvl::containers_internal
