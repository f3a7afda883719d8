// Polygon routines: reduction, point location, area, length, bounds,
// difference lists and distances.

#include "kvl/modelling/polygon/polygons.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/polygon/internal/polygon_edges.h"

namespace kvl {

using polygon_internal::Cross;
using polygon_internal::ForEachEdge;

namespace {

constexpr long double kStraightRunTol = 1e-10L;
constexpr double kVerticalSlope = 2147483647.0;

/// OnStraightRun: the vertex between the differences d1 and d2 adds nothing.
bool OnStraightRun(long double d1x, long double d1y, long double d2x, long double d2y) {
  if (d1x != 0.0L && d2x != 0.0L) return std::fabs(d1y / d1x - d2y / d2x) <= kStraightRunTol;
  if (d1x != 0.0L) return d2y == 0.0L;
  return d2x == 0.0L;
}

/// Delta: the difference B - A of one coordinate in extended precision (exact
/// for integer points, whose differences are taken in 64 bits).
long double Delta(double A, double B) { return static_cast<long double>(B) - A; }
long double Delta(std::int32_t A, std::int32_t B) {
  return static_cast<long double>(static_cast<std::int64_t>(B) - static_cast<std::int64_t>(A));
}

template <class TPt>
std::int32_t ReduceVertices(std::vector<TPt>& Poly) {
  // Repeated vertices first, so that no difference below is zero by repetition.
  std::size_t n = 0;
  for (std::size_t i = 0; i < Poly.size(); ++i)
    if (n == 0 || !(Poly[i].X == Poly[n - 1].X && Poly[i].Y == Poly[n - 1].Y)) Poly[n++] = Poly[i];
  if (n > 2) {
    // Each vertex is tested against the last one kept and its successor.
    std::size_t kept = 1;
    for (std::size_t i = 1; i + 1 < n; ++i) {
      const TPt& prev = Poly[kept - 1];
      const TPt& cur = Poly[i];
      const TPt& next = Poly[i + 1];
      if (!OnStraightRun(Delta(cur.X, prev.X), Delta(cur.Y, prev.Y), Delta(next.X, cur.X), Delta(next.Y, cur.Y)))
        Poly[kept++] = cur;
    }
    Poly[kept++] = Poly[n - 1];
    n = kept;
  }
  Poly.resize(n);
  return static_cast<std::int32_t>(n);
}

/// EdgeCrossing: 0 when A lies on the edge B-C, -1 when the ray from A
/// towards +x crosses it, 1 otherwise. The edge counts for A.y in the
/// half-open range (lower end, upper end], so a ray through a vertex is
/// counted once where the boundary passes it and not at all where it only
/// touches it.
int EdgeCrossing(double ax, double ay, TPointDouble B, TPointDouble C) {
  if (ay == B.Y && ay == C.Y) return ((B.X <= ax && ax <= C.X) || (C.X <= ax && ax <= B.X)) ? 0 : 1;
  if (ay == B.Y && ax == B.X) return 0;
  if (B.Y > C.Y) std::swap(B, C);
  if (ay <= B.Y || ay > C.Y) return 1;
  const long double d = Cross({ax, ay}, B, C);
  if (d > 0.0L) return -1;
  return d == 0.0L ? 0 : 1;  // NaN: not crossed
}

/// EdgesMeet: the segments cross or touch; collinear ones only when they
/// overlap.
bool EdgesMeet(const TPointDouble& A1, const TPointDouble& A2, const TPointDouble& B1, const TPointDouble& B2) {
  const std::int32_t a1 = CcwTriangle(A1, A2, B1), a2 = CcwTriangle(A1, A2, B2);
  const std::int32_t b1 = CcwTriangle(B1, B2, A1), b2 = CcwTriangle(B1, B2, A2);
  if (a1 * a2 > 0 || b1 * b2 > 0) return false;
  if (a1 != 0 || a2 != 0 || b1 != 0 || b2 != 0) return true;
  const auto overlap = [](double p1, double p2, double q1, double q2) {
    return std::fmax(std::fmin(p1, p2), std::fmin(q1, q2)) <= std::fmin(std::fmax(p1, p2), std::fmax(q1, q2));
  };
  return overlap(A1.X, A2.X, B1.X, B2.X) && overlap(A1.Y, A2.Y, B1.Y, B2.Y);
}

std::int32_t CountCrossings(std::span<const TPointDouble> Poly) {
  // Edge i runs from vertex i to vertex i + 1; edge n - 1 is the closing edge.
  const std::size_t n = Poly.size();
  if (n < 4) return 0;  // every pair of edges of a triangle shares a vertex
  const auto edgeEnd = [&](std::size_t i) { return Poly[i + 1 == n ? 0 : i + 1]; };
  std::int32_t count = 0;
  for (std::size_t i = 0; i + 2 < n; ++i)
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours through vertex 0
      if (EdgesMeet(Poly[i], edgeEnd(i), Poly[j], edgeEnd(j))) ++count;
    }
  return count;
}

/// SlopeOf: dy/dx of a difference, with the fixed slope of a vertical one.
double SlopeOf(const TPointDouble& D) { return D.X == 0.0 ? kVerticalSlope : D.Y / D.X; }

}  // namespace

std::int32_t ReducePolygon(std::vector<TPointDouble>& Poly) { return ReduceVertices(Poly); }
std::int32_t ReducePolygon(std::vector<TPoint>& Poly) { return ReduceVertices(Poly); }

std::int32_t PointIsInsidePolygon(double x, double y, std::span<const TPointDouble> Poly) noexcept {
  if (std::isnan(x) || std::isnan(y)) return -1;
  std::int32_t result = -1;
  ForEachEdge(Poly, true, [&](const TPointDouble& B, const TPointDouble& C) {
    result *= EdgeCrossing(x, y, B, C);
    return result != 0;
  });
  return result;
}

double PolygonArea(std::span<const TPointDouble> Poly) noexcept {
  long double sum = 0.0L;
  ForEachEdge(Poly, true, [&](const TPointDouble& P, const TPointDouble& Q) {
    sum += (static_cast<long double>(P.X) - Q.X) * (static_cast<long double>(P.Y) + Q.Y);
    return true;
  });
  return static_cast<double>(sum / 2.0L);
}

double PolygonArea(std::span<const TPointDouble> Poly, std::int32_t& NumCrossings) noexcept {
  NumCrossings = CountCrossings(Poly);
  return PolygonArea(Poly);
}

double PolygonLength(std::span<const TPointDouble> Poly, bool Closed) noexcept {
  long double sum = 0.0L;
  ForEachEdge(Poly, Closed, [&](const TPointDouble& P, const TPointDouble& Q) {
    sum += std::hypot(static_cast<long double>(Q.X) - P.X, static_cast<long double>(Q.Y) - P.Y);
    return true;
  });
  return static_cast<double>(sum);
}

void OuterRectOfPolygon(std::span<const TPointDouble> Poly, double& MinX, double& MinY, double& MaxX,
                        double& MaxY) noexcept {
  if (Poly.empty()) return;
  double x0 = Poly[0].X, y0 = Poly[0].Y, x1 = x0, y1 = y0;
  for (const TPointDouble& p : Poly) {
    // A NaN bound gives way to the first number.
    if (p.X < x0 || std::isnan(x0)) x0 = p.X;
    if (p.X > x1 || std::isnan(x1)) x1 = p.X;
    if (p.Y < y0 || std::isnan(y0)) y0 = p.Y;
    if (p.Y > y1 || std::isnan(y1)) y1 = p.Y;
  }
  MinX = x0;
  MinY = y0;
  MaxX = x1;
  MaxY = y1;
}

std::int32_t ConvertToDiffPolygon(std::span<const TPointDouble> Poly, std::vector<TPointDouble>& Diff,
                                  std::int32_t Mode) {
  // Built apart, so that Poly may be a view of Diff itself.
  std::vector<TPointDouble> out;
  if (Poly.size() > 1) out.reserve(Poly.size() - 1);
  for (std::size_t i = 0; i + 1 < Poly.size(); ++i) {
    const TPointDouble d{Poly[i + 1].X - Poly[i].X, Poly[i + 1].Y - Poly[i].Y};
    if (Mode > 0 && d.X == 0.0 && d.Y == 0.0) continue;
    if (Mode == 2 && !out.empty() && SlopeOf(d) == SlopeOf(out.back())) {
      out.back().X += d.X;
      out.back().Y += d.Y;
      continue;
    }
    out.push_back(d);
  }
  Diff = std::move(out);
  return static_cast<std::int32_t>(Diff.size());
}

std::int32_t ConvertFromDiffPolygon(const TPointDouble& Start, std::span<const TPointDouble> Diff,
                                    std::vector<TPointDouble>& Poly) {
  // Built apart, so that Diff may be a view of Poly itself.
  std::vector<TPointDouble> out(Diff.size() + 1);
  out[0] = Start;
  for (std::size_t i = 1; i < out.size(); ++i) out[i] = {out[i - 1].X + Diff[i - 1].X, out[i - 1].Y + Diff[i - 1].Y};
  Poly = std::move(out);
  return static_cast<std::int32_t>(Poly.size());
}

double DistanceToPolygon(const TPointDouble& P, std::span<const TPointDouble> Poly, bool Closed) noexcept {
  if (std::isnan(P.X) || std::isnan(P.Y)) return std::numeric_limits<double>::quiet_NaN();
  if (Poly.size() == 1) return DistanceToSegment(P, Poly[0], Poly[0]);
  double best = std::numeric_limits<double>::infinity();
  ForEachEdge(Poly, Closed, [&](const TPointDouble& A, const TPointDouble& B) {
    const double d = DistanceToSegment(P, A, B);
    if (d < best) best = d;
    return true;
  });
  return best;
}

}  // namespace kvl
