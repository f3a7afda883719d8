#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using TPoly = std::vector<TPointDouble>;

/// Turn: (B - A) x (C - A), exact for the integer coordinates used here.
long double Turn(const TPointDouble& A, const TPointDouble& B, const TPointDouble& C) {
  return (static_cast<long double>(B.X) - A.X) * (static_cast<long double>(C.Y) - A.Y) -
         (static_cast<long double>(B.Y) - A.Y) * (static_cast<long double>(C.X) - A.X);
}

/// CheckHull: by brute force, the hull turns strictly counter-clockwise at
/// every vertex, holds every point (on or left of every edge), and each of
/// its vertices is a point of the set that no other point replaces as the
/// extreme one in the direction of the outer normal bisector at it.
void CheckHull(const TPoly& Points, const TPoly& Hull, const std::string& Name) {
  const size_t h = Hull.size();
  ASSERT_GE(h, 3u) << Name;
  for (size_t i = 0; i < h; ++i) {
    const TPointDouble &a = Hull[i], &b = Hull[(i + 1) % h], &c = Hull[(i + 2) % h];
    EXPECT_GT(Turn(a, b, c), 0.0L) << Name << ": no strict left turn at hull vertex " << (i + 1) % h;
    for (const TPointDouble& p : Points) ASSERT_GE(Turn(a, b, p), 0.0L) << Name << ": point outside edge " << i;
  }
  for (size_t i = 0; i < h; ++i) {
    const TPointDouble &prev = Hull[(i + h - 1) % h], &v = Hull[i], &next = Hull[(i + 1) % h];
    bool member = false;
    for (const TPointDouble& p : Points) member = member || (p.X == v.X && p.Y == v.Y);
    EXPECT_TRUE(member) << Name << ": hull vertex " << i << " is no input point";
    // The outer normals of the two edges at v; their sum is a direction in
    // which v alone is extreme.
    const long double nx = (v.Y - prev.Y) + (next.Y - v.Y), ny = (prev.X - v.X) + (v.X - next.X);
    for (const TPointDouble& p : Points) {
      if (p.X == v.X && p.Y == v.Y) continue;
      EXPECT_LT(nx * p.X + ny * p.Y, nx * v.X + ny * v.Y) << Name << ": vertex " << i << " not extreme";
    }
  }
}

TEST(PolygonHullTest, RandomSetsAgainstBruteForce) {
  std::mt19937 gen(4242);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 4 + trial * 7;
    // Small integer grids give many collinear and repeated points.
    std::uniform_int_distribution<int> coord(-(trial % 5 + 2), trial % 5 + 2);
    TPoly pts;
    for (int i = 0; i < n; ++i) pts.push_back({double(coord(gen)), double(coord(gen))});
    TPoly hull = Convex2DHull(pts);
    // A set that happens to be collinear has no area; the others must pass.
    bool flat = true;
    for (const TPointDouble& p : pts) flat = flat && Turn(pts[0], pts[1], p) == 0.0L;
    if (flat) continue;
    CheckHull(pts, hull, "trial " + std::to_string(trial));
    for (const TPointDouble& p : pts) EXPECT_TRUE(PointIsInsideConvexHull(p.X, p.Y, hull));
  }
}

TEST(PolygonHullTest, KnownSets) {
  // A square with points on its edges, inside and repeated.
  const TPoly square{{0, 0}, {2, 0}, {4, 0}, {4, 2}, {4, 4}, {2, 4}, {0, 4}, {0, 2},
                     {1, 1}, {2, 2}, {3, 1}, {4, 4}, {0, 0}};
  const TPoly hull = Convex2DHull(square);
  ASSERT_EQ(hull.size(), 4u);
  // Counter-clockwise in angular order about the centroid (2, 24/13): the
  // corner (4, 4) at about 47° comes first.
  const TPoly expected{{4, 4}, {0, 4}, {0, 0}, {4, 0}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(hull[i].X, expected[i].X) << i;
    EXPECT_EQ(hull[i].Y, expected[i].Y) << i;
  }
  EXPECT_EQ(PolygonArea(hull), 16.0);

  // Points on a circle are all corners.
  TPoly circle;
  for (int i = 0; i < 360; ++i)
    circle.push_back({100 * std::cos(i * std::numbers::pi / 180), 100 * std::sin(i * std::numbers::pi / 180)});
  EXPECT_EQ(Convex2DHull(circle).size(), 360u);
}

TEST(PolygonHullTest, SmallAndDegenerateSets) {
  const TPoly three{{5, 5}, {0, 0}, {5, 5}};
  const TPoly same = Convex2DHull(three);  // fewer than four: returned as given
  ASSERT_EQ(same.size(), 3u);
  EXPECT_EQ(same[1].X, 0.0);
  EXPECT_TRUE(Convex2DHull(TPoly{}).empty());

  const TPoly line{{3, 3}, {0, 0}, {1, 1}, {2, 2}, {-1, -1}};
  const TPoly ends = Convex2DHull(line);
  ASSERT_EQ(ends.size(), 2u);  // from the end at 45° about the centroid (1, 1)
  EXPECT_EQ(ends[0].X, 3.0);
  EXPECT_EQ(ends[1].X, -1.0);

  const TPoly one = Convex2DHull(TPoly(6, TPointDouble{7, -2}));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].Y, -2.0);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const TPoly dirty{{0, 0}, {nan, 1}, {4, 0}, {inf, 0}, {4, 4}, {0, nan}, {0, 4}, {2, 2}};
  const TPoly clean = Convex2DHull(dirty);
  EXPECT_EQ(clean.size(), 4u);
  EXPECT_EQ(PolygonArea(clean), 16.0);
  EXPECT_TRUE(Convex2DHull(TPoly(5, TPointDouble{nan, nan})).empty());
}

TEST(PolygonHullTest, PointInsideConvexHull) {
  const TPoly ccw{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  const TPoly cw{{0, 4}, {4, 4}, {4, 0}, {0, 0}};
  const TPoly triangle{{0, 0}, {4, 0}, {0, 4}};
  for (const TPoly& hull : {ccw, cw}) {
    EXPECT_TRUE(PointIsInsideConvexHull(2, 2, hull));
    EXPECT_TRUE(PointIsInsideConvexHull(0, 0, hull));  // a vertex
    EXPECT_TRUE(PointIsInsideConvexHull(4, 1, hull));  // an edge
    EXPECT_FALSE(PointIsInsideConvexHull(5, 1, hull));
    EXPECT_FALSE(PointIsInsideConvexHull(6, 0, hull));  // on an edge's line, beyond it
  }
  // Without the closing edge the triangle would hold (3, 3).
  EXPECT_FALSE(PointIsInsideConvexHull(3, 3, triangle));
  EXPECT_TRUE(PointIsInsideConvexHull(2, 2, triangle));

  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, TPoly{}));
  EXPECT_TRUE(PointIsInsideConvexHull(1, 2, TPoly{{1, 2}}));
  EXPECT_FALSE(PointIsInsideConvexHull(1, 3, TPoly{{1, 2}}));
  const TPoly segment{{0, 0}, {2, 2}};
  EXPECT_TRUE(PointIsInsideConvexHull(1, 1, segment));
  EXPECT_FALSE(PointIsInsideConvexHull(3, 3, segment));
  EXPECT_FALSE(PointIsInsideConvexHull(1, 0, segment));
  EXPECT_FALSE(PointIsInsideConvexHull(std::nan(""), 1, ccw));
}

}  // namespace
}  // namespace kvl
