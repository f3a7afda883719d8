#pragma once
// Polygons of the plane and distances on the sphere.
//
//   std::vector<TPointDouble> poly{{0, 0}, {4, 0}, {4, 3}, {0, 3}};
//   double a = PolygonArea(poly);                     // 12 (counter-clockwise)
//   int32_t where = PointIsInsidePolygon(1, 1, poly);  // 1 inside, 0 on, -1 out
//   auto hull = Convex2DHull(points);                 // counter-clockwise
//   double d = SphereGreatCircleDist(6371, 48.2, 16.4, 51.5, -0.1);   // km
//
// A polygon is an open vertex list: the last vertex is not a copy of the
// first. The closing edge from the last vertex back to the first is used by
// PointIsInsidePolygon, PolygonArea and the hull routines always, and by
// PolygonLength and DistanceToPolygon when Closed is true. Angles are in
// degrees. Sums run in extended precision. Nothing raises: empty polygons,
// too few vertices and NaN coordinates give the neutral values stated below.
// Every function is free of state and may be called from any thread.

#include <cstdint>
#include <span>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// SphereGreatCircleDist: the great-circle distance between (Lat1, Long1)
/// and (Lat2, Long2) on a sphere of the given Radius; angles in degrees. The
/// central angle is the arccos of cos(Lat1)cos(Lat2)cos(Long1 - Long2) +
/// sin(Lat1)sin(Lat2), evaluated in a form that stays accurate for near and
/// antipodal points. Latitudes beyond +-90 continue over the pole (Lat 100
/// is Lat 80 on the opposite meridian); a NaN angle gives NaN.
double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) noexcept;

/// ReducePolygon: removes redundant vertices and returns the new count.
/// First every vertex equal to its predecessor goes (the first vertex
/// stays); then every interior vertex on a straight run: with d1 = (last
/// kept vertex - vertex) and d2 = (vertex - next vertex) it goes when both
/// x parts are nonzero and the slopes differ by at most 1e-10, when only
/// d2.x is zero and d2.y is zero too, or when both x parts are zero. The
/// first and the last vertex always stay.
std::int32_t ReducePolygon(std::vector<TPointDouble>& Poly);
/// ReducePolygon: the same for integer points (differences taken in 64 bits).
std::int32_t ReducePolygon(std::vector<TPoint>& Poly);

/// PointIsInsidePolygon: 1 when (x, y) lies inside the closed polygon, 0 on
/// its boundary (a vertex or an edge), -1 outside; a crossing test with a
/// ray towards +x, exact for coordinates whose differences and products are
/// exact in extended precision (integers below 2^31). Self-intersecting
/// polygons follow the even-odd rule. An empty polygon and a point with a
/// NaN coordinate give -1; edges with a NaN coordinate are never crossed.
std::int32_t PointIsInsidePolygon(double x, double y, std::span<const TPointDouble> Poly) noexcept;

/// PolygonArea: the signed area of the closed polygon (shoelace sum),
/// positive when the vertices run counter-clockwise with y upwards; 0 for
/// fewer than three vertices.
double PolygonArea(std::span<const TPointDouble> Poly) noexcept;
/// PolygonArea: the same, and NumCrossings receives the number of pairs of
/// edges of the closed polygon that cross or touch although they are not
/// neighbours (edges that share a vertex are not compared; collinear edges
/// count only when they overlap). 0 tells a simple polygon, whose area is
/// meaningful. Takes O(n^2) edge tests.
double PolygonArea(std::span<const TPointDouble> Poly, std::int32_t& NumCrossings) noexcept;

/// PolygonLength: the sum of the edge lengths, with the closing edge when
/// Closed; 0 for an empty polygon.
double PolygonLength(std::span<const TPointDouble> Poly, bool Closed) noexcept;

/// OuterRectOfPolygon: MinX, MinY, MaxX, MaxY receive the bounds of the
/// vertices. NaN coordinates are passed over (a bound is NaN only when all
/// its coordinates are NaN); an empty polygon leaves the four unchanged.
void OuterRectOfPolygon(std::span<const TPointDouble> Poly, double& MinX, double& MinY, double& MaxX,
                        double& MaxY) noexcept;

/// ConvertToDiffPolygon: Diff[i] = Poly[i+1] - Poly[i]. Mode > 0 drops zero
/// differences; Mode 2 also adds a difference to the last kept one when
/// their slopes dy/dx are equal (a vertical difference has the slope
/// 2147483647.0). Diff is sized to the kept count, which is returned.
std::int32_t ConvertToDiffPolygon(std::span<const TPointDouble> Poly, std::vector<TPointDouble>& Diff,
                                  std::int32_t Mode);

/// ConvertFromDiffPolygon: Poly receives Start followed by the running sums
/// of Diff; returns its length, Diff.size() + 1.
std::int32_t ConvertFromDiffPolygon(const TPointDouble& Start, std::span<const TPointDouble> Diff,
                                    std::vector<TPointDouble>& Poly);

/// DistanceToPolygon: the smallest distance from P to an edge of
/// consecutive vertices, and to the closing edge when Closed. A single
/// vertex gives its distance; an empty polygon gives +infinity, a P with a
/// NaN coordinate NaN; edges with NaN coordinates are passed over.
double DistanceToPolygon(const TPointDouble& P, std::span<const TPointDouble> Poly, bool Closed) noexcept;

/// PointIsInsideConvexHull: true when (x, y) lies inside the convex polygon
/// Hull or on its boundary, that is on the same side of every edge (the
/// closing edge included) or on it; either orientation of Hull is accepted.
/// A hull of collinear vertices (or one vertex) holds the points of the
/// segment they span. False for an empty hull and for NaN coordinates.
bool PointIsInsideConvexHull(double x, double y, std::span<const TPointDouble> Hull) noexcept;

/// Convex2DHull: the vertices of the convex hull of Points, counter-
/// clockwise (y upwards) in angular order about the centroid of the points
/// from the smallest angle (AngleToXAxis), each a strict corner: points on a hull edge are
/// left out. Fewer than four points are returned as they are. Points with a
/// NaN or infinite coordinate are passed over; all points equal give that
/// point, collinear points the two ends. Takes O(n log n).
std::vector<TPointDouble> Convex2DHull(std::span<const TPointDouble> Points);

}  // namespace kvl

KVL_API_END
