// The convex hull of a point set and the point-in-hull test.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/polygon/internal/polygon_edges.h"
#include "kvl/modelling/polygon/polygons.h"

namespace kvl {

using polygon_internal::Cross;
using polygon_internal::ForEachEdge;
using polygon_internal::IsFinitePoint;

namespace {

/// TPolarPoint: a point with its angle and squared distance about the centroid.
struct TPolarPoint {
  double Angle;
  double Dist2;
  TPointDouble P;
};

/// LowerLeft: P comes before Q by y, then by x.
bool LowerLeft(const TPointDouble& P, const TPointDouble& Q) { return P.Y < Q.Y || (P.Y == Q.Y && P.X < Q.X); }

}  // namespace

std::vector<TPointDouble> Convex2DHull(std::span<const TPointDouble> Points) {
  if (Points.size() < 4) return {Points.begin(), Points.end()};

  long double sx = 0.0L, sy = 0.0L;
  std::size_t m = 0;
  for (const TPointDouble& p : Points)
    if (IsFinitePoint(p)) {
      sx += p.X;
      sy += p.Y;
      ++m;
    }
  if (m == 0) return {};
  const long double cx = sx / m, cy = sy / m;

  // Points strictly inside the quadrilateral of the four extreme points
  // cannot be corners; leaving them out early spares most of the sort for
  // evenly spread points and changes nothing in the result.
  TPointDouble quad[4];  // lowest, rightmost, highest, leftmost: counter-clockwise
  bool first = true;
  for (const TPointDouble& p : Points)
    if (IsFinitePoint(p)) {
      if (first || p.Y < quad[0].Y) quad[0] = p;
      if (first || p.X > quad[1].X) quad[1] = p;
      if (first || p.Y > quad[2].Y) quad[2] = p;
      if (first || p.X < quad[3].X) quad[3] = p;
      first = false;
    }
  const auto insideQuad = [&quad](const TPointDouble& p) {
    return Cross(quad[0], quad[1], p) > 0.0L && Cross(quad[1], quad[2], p) > 0.0L &&
           Cross(quad[2], quad[3], p) > 0.0L && Cross(quad[3], quad[0], p) > 0.0L;
  };

  std::vector<TPolarPoint> polar;
  polar.reserve(m);
  for (const TPointDouble& p : Points)
    if (IsFinitePoint(p) && !insideQuad(p)) {
      const long double dx = p.X - cx, dy = p.Y - cy;
      polar.push_back({AngleToXAxis(static_cast<double>(dx), static_cast<double>(dy)),
                       static_cast<double>(dx * dx + dy * dy), p});
    }
  std::sort(polar.begin(), polar.end(), [](const TPolarPoint& a, const TPolarPoint& b) {
    return a.Angle < b.Angle || (a.Angle == b.Angle && a.Dist2 > b.Dist2);
  });
  // Of the points on one ray from the centroid only the farthest can be a corner.
  const auto last = std::unique(polar.begin(), polar.end(),
                                [](const TPolarPoint& a, const TPolarPoint& b) { return a.Angle == b.Angle; });
  polar.erase(last, polar.end());

  // Walk the star-shaped polygon of the sorted points from a sure corner,
  // the lowest (then leftmost) point, dropping every vertex where the
  // boundary does not turn counter-clockwise.
  const auto start = std::min_element(polar.begin(), polar.end(),
                                      [](const TPolarPoint& a, const TPolarPoint& b) { return LowerLeft(a.P, b.P); });
  std::rotate(polar.begin(), start, polar.end());
  std::vector<TPointDouble> hull;
  hull.reserve(polar.size());
  for (const TPolarPoint& q : polar) {
    while (hull.size() >= 2 && Cross(hull[hull.size() - 2], hull.back(), q.P) <= 0.0L) hull.pop_back();
    hull.push_back(q.P);
  }
  while (hull.size() >= 3 && Cross(hull[hull.size() - 2], hull.back(), hull.front()) <= 0.0L) hull.pop_back();
  // The result runs in angular order about the centroid: from the corner of
  // the smallest angle.
  const auto angleOf = [cx, cy](const TPointDouble& p) {
    const long double dx = p.X - cx, dy = p.Y - cy;
    return AngleToXAxis(static_cast<double>(dx), static_cast<double>(dy));
  };
  std::rotate(hull.begin(),
              std::min_element(hull.begin(), hull.end(),
                               [&](const TPointDouble& a, const TPointDouble& b) { return angleOf(a) < angleOf(b); }),
              hull.end());
  hull.shrink_to_fit();
  return hull;
}

bool PointIsInsideConvexHull(double x, double y, std::span<const TPointDouble> Hull) noexcept {
  if (Hull.empty() || std::isnan(x) || std::isnan(y)) return false;
  const TPointDouble p{x, y};
  bool left = false, right = false;
  ForEachEdge(Hull, true, [&](const TPointDouble& a, const TPointDouble& b) {
    const long double c = Cross(a, b, p);
    left = left || c > 0.0L;
    right = right || c < 0.0L;
    return !(left && right);
  });
  if (left || right) return !(left && right);
  // On the line of every edge: a hull without area holds its segment only.
  double x0 = Hull[0].X, y0 = Hull[0].Y, x1 = x0, y1 = y0;
  OuterRectOfPolygon(Hull, x0, y0, x1, y1);
  return x0 <= x && x <= x1 && y0 <= y && y <= y1;
}

}  // namespace kvl
