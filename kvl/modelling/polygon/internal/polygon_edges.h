#pragma once
// Shared pieces of the polygon routines: the orientation of three points in
// extended precision and the walk over the edges of a vertex list.

#include <cmath>
#include <cstddef>
#include <span>

#include "kvl/base/KVL_kvlbase.h"

namespace kvl::polygon_internal {

/// Cross: (A - O) x (B - O) in extended precision; positive when O, A, B
/// turn counter-clockwise (y upwards), 0 when collinear. Exact for integer
/// coordinates below 2^31.
inline long double Cross(const TPointDouble& O, const TPointDouble& A, const TPointDouble& B) noexcept {
  return (static_cast<long double>(A.X) - O.X) * (static_cast<long double>(B.Y) - O.Y) -
         (static_cast<long double>(A.Y) - O.Y) * (static_cast<long double>(B.X) - O.X);
}

/// IsFinitePoint: both coordinates finite.
inline bool IsFinitePoint(const TPointDouble& P) noexcept { return std::isfinite(P.X) && std::isfinite(P.Y); }

/// ForEachEdge: calls Edge(from, to) for the edges between consecutive
/// vertices, then for the closing edge (last to first) when Closed and the
/// list is not empty. Edge returns false to stop the walk.
template <class EdgeFn>
void ForEachEdge(std::span<const TPointDouble> Poly, bool Closed, EdgeFn&& Edge) {
  const std::size_t n = Poly.size();
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (!Edge(Poly[i], Poly[i + 1])) return;
  if (Closed && n > 0) Edge(Poly[n - 1], Poly[0]);
}

}  // namespace kvl::polygon_internal
