#pragma once
// Shape checks shared by the raster and file routines of the array images.

#include <cstdint>
#include <vector>

#include "kvl/arrays/array_core.h"

namespace kvl::images_internal {

/// IsRectangular: true when every sub-array of each level has the extent
/// read at element 0 (what the routines assume and a hostile caller may
/// break). An array with an empty level is rectangular when every level
/// above it is.
template <class A>
bool IsRectangular(const A& a) {
  if constexpr (detail::Rank<A> <= 1) {
    return true;
  } else {
    if (a.empty()) return true;
    const auto ext = detail::ExtentsOf(a);
    bool ok = true;
    detail::Index<detail::Rank<A> - 1> inner{};
    for (int d = 1; d < detail::Rank<A>; ++d) inner[d - 1] = ext[d];
    for (const auto& sub : a) {
      if (detail::ExtentsOf(sub) != inner || !IsRectangular(sub)) {
        ok = false;
        break;
      }
    }
    return ok;
  }
}

/// InsideCell: true when (X, Y) addresses a cell of the (possibly ragged)
/// 2-D array.
template <class A>
bool InsideCell(const A& a, std::int64_t X, std::int64_t Y) noexcept {
  return X >= 0 && Y >= 0 && X < static_cast<std::int64_t>(a.size()) &&
         Y < static_cast<std::int64_t>(a[static_cast<std::size_t>(X)].size());
}

}  // namespace kvl::images_internal
