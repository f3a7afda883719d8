#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e15;
using test::kTol16Eps;

using TPoly = std::vector<TPointDouble>;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

/// The unit square listed counter-clockwise and a concave "U" of area 8:
/// a 4 x 3 block with a 2 x 2 notch cut from the middle of its top.
const TPoly kSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
const TPoly kU{{0, 0}, {4, 0}, {4, 3}, {3, 3}, {3, 1}, {1, 1}, {1, 3}, {0, 3}};

TPoly Reversed(TPoly p) { return {p.rbegin(), p.rend()}; }

// --- ReducePolygon ---------------------------------------------------------------------------------

TEST(PolygonReduceTest, DropsRepeatsAndStraightRuns) {
  TPoly p{{0, 0}, {1, 0}, {2, 0}, {2, 1}};
  EXPECT_EQ(ReducePolygon(p), 3);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1].X, 2.0);
  EXPECT_EQ(p[2].Y, 1.0);

  struct TCase {
    std::string Name;
    TPoly In, Out;
  };
  const TCase cases[] = {
      {"empty", {}, {}},
      {"repeats", {{1, 1}, {1, 1}, {1, 1}, {2, 5}, {2, 5}}, {{1, 1}, {2, 5}}},
      {"diagonal run", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {3, 0}}, {{0, 0}, {3, 3}, {3, 0}}},
      {"vertical run", {{5, 0}, {5, 1}, {5, 1}, {5, 4}, {0, 4}}, {{5, 0}, {5, 4}, {0, 4}}},
      {"corner then horizontal", {{0, 0}, {0, 2}, {3, 2}, {4, 2}}, {{0, 0}, {0, 2}, {4, 2}}},
      {"first and last stay on a run", {{0, 0}, {1, 0}, {2, 0}}, {{0, 0}, {2, 0}}},
      {"square unchanged", kSquare, kSquare},
      {"slopes within 1e-10", {{0, 0}, {1, 1}, {2, 2 + 1e-11}}, {{0, 0}, {2, 2 + 1e-11}}},
      {"slopes beyond 1e-10", {{0, 0}, {1, 1}, {2, 2 + 1e-9}}, {{0, 0}, {1, 1}, {2, 2 + 1e-9}}},
  };
  for (const TCase& c : cases) {
    TPoly p = c.In;
    EXPECT_EQ(ReducePolygon(p), static_cast<int>(c.Out.size())) << c.Name;
    ASSERT_EQ(p.size(), c.Out.size()) << c.Name;
    for (size_t i = 0; i < p.size(); ++i) {
      EXPECT_EQ(p[i].X, c.Out[i].X) << c.Name << " " << i;
      EXPECT_EQ(p[i].Y, c.Out[i].Y) << c.Name << " " << i;
    }
  }
}

TEST(PolygonReduceTest, IntegerPointsUseWideDifferences) {
  std::vector<TPoint> p{{INT32_MIN, 0}, {0, 0}, {INT32_MAX, 0}, {INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX}};
  EXPECT_EQ(ReducePolygon(p), 3);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].X, INT32_MIN);
  EXPECT_EQ(p[1].X, INT32_MAX);
  EXPECT_EQ(p[2].Y, INT32_MAX);
  std::vector<TPoint> none;
  EXPECT_EQ(ReducePolygon(none), 0);
}

// --- PointIsInsidePolygon -------------------------------------------------------------------------

TEST(PolygonInsideTest, ConcavePolygonVerticesAndEdges) {
  struct TCase {
    double x, y;
    int Expected;
  };
  const TCase cases[] = {
      {0.5, 0.5, 1},  {3.5, 2.5, 1},  {2, 0.5, 1},    // inside: legs and base
      {2, 2, -1},     {2, 3, -1},     {5, 1, -1},     // in the notch, on its open top, right of it
      {-1, 1, -1},    {2, -0.5, -1},  {0.5, 3.5, -1},
      {0, 0, 0},      {3, 3, 0},      {1, 1, 0},      // vertices
      {2, 0, 0},      {4, 1.5, 0},    {2, 1, 0},      // edges
      {3, 2, 0},      {0.5, 3, 0},    {0, 2, 0},
      {-1, 3, -1},    {-1, 1, -1},    {-1, 0, -1},    // rays through vertices and along edges
      {0.5, 1, 1},    {3.5, 1, 1},    {0.5, 3 - 1e-12, 1},
  };
  for (const auto& poly : {kU, Reversed(kU)})
    for (const TCase& c : cases)
      EXPECT_EQ(PointIsInsidePolygon(c.x, c.y, poly), c.Expected) << c.x << "," << c.y;
}

TEST(PolygonInsideTest, EveryVertexIsOnTheBoundary) {
  const TPoly star{{0, 10}, {2, 3}, {9, 3}, {3, -1}, {6, -8}, {0, -3}, {-6, -8}, {-3, -1}, {-9, 3}, {-2, 3}};
  for (const TPointDouble& v : star) EXPECT_EQ(PointIsInsidePolygon(v.X, v.Y, star), 0);
  EXPECT_EQ(PointIsInsidePolygon(0, 0, star), 1);
  EXPECT_EQ(PointIsInsidePolygon(0, -5, star), -1);  // between two spikes
  EXPECT_EQ(PointIsInsidePolygon(5, 3, star), 0);
}

TEST(PolygonInsideTest, DegenerateInput) {
  EXPECT_EQ(PointIsInsidePolygon(0, 0, TPoly{}), -1);
  EXPECT_EQ(PointIsInsidePolygon(1, 2, TPoly{{1, 2}}), 0);
  EXPECT_EQ(PointIsInsidePolygon(1, 3, TPoly{{1, 2}}), -1);
  EXPECT_EQ(PointIsInsidePolygon(1.5, 1.5, TPoly{{1, 1}, {2, 2}}), 0);
  EXPECT_EQ(PointIsInsidePolygon(kNaN, 0.5, kSquare), -1);
  EXPECT_EQ(PointIsInsidePolygon(0.5, kNaN, kSquare), -1);
  const TPoly broken{{0, 0}, {4, 0}, {kNaN, 2}, {0, 4}};
  EXPECT_NE(PointIsInsidePolygon(1, 1, broken), 0);
  // A closing vertex repeated at the end changes nothing.
  TPoly closed = kU;
  closed.push_back(kU.front());
  EXPECT_EQ(PointIsInsidePolygon(0.5, 0.5, closed), 1);
  EXPECT_EQ(PointIsInsidePolygon(2, 2, closed), -1);
}

// --- areas, crossings, lengths, bounds -------------------------------------------------------------

TEST(PolygonAreaTest, KnownShapes) {
  EXPECT_EQ(PolygonArea(kSquare), 1.0);
  EXPECT_EQ(PolygonArea(Reversed(kSquare)), -1.0);
  EXPECT_EQ(PolygonArea(kU), 8.0);
  EXPECT_EQ(PolygonArea(TPoly{{0, 0}, {4, 0}, {0, 3}}), 6.0);
  EXPECT_EQ(PolygonArea(TPoly{{1e9, 1e9}, {1e9 + 4, 1e9}, {1e9, 1e9 + 3}}), 6.0);
  EXPECT_EQ(PolygonArea(TPoly{}), 0.0);
  EXPECT_EQ(PolygonArea(TPoly{{3, 4}}), 0.0);
  EXPECT_EQ(PolygonArea(TPoly{{3, 4}, {7, 9}}), 0.0);
  TPoly circle;
  const int n = 3600;
  for (int i = 0; i < n; ++i)
    circle.push_back({std::cos(2 * std::numbers::pi * i / n), std::sin(2 * std::numbers::pi * i / n)});
  EXPECT_NEAR(PolygonArea(circle), n / 2.0 * std::sin(2 * std::numbers::pi / n), kTol1e15);
  // A figure eight: the two lobes cancel.
  EXPECT_EQ(PolygonArea(TPoly{{0, 0}, {2, 2}, {2, 0}, {0, 2}}), 0.0);
}

TEST(PolygonAreaTest, CrossingsCountOnlyEdgesThatAreNotNeighbours) {
  struct TCase {
    std::string Name;
    TPoly Poly;
    int Crossings;
  };
  const TCase cases[] = {
      {"empty", {}, 0},
      {"triangle", {{0, 0}, {4, 0}, {0, 3}}, 0},
      {"square", kSquare, 0},
      {"concave U", kU, 0},
      {"figure eight", {{0, 0}, {2, 2}, {2, 0}, {0, 2}}, 1},
      {"figure eight, closing edge crosses", {{0, 0}, {2, 0}, {0, 2}, {2, 2}}, 1},
      {"pentagram", {{0, 10}, {6, -8}, {-9, 3}, {9, 3}, {-6, -8}}, 5},
      // Four edges meet at the repeated vertex (1, 1): four pairs of them are not neighbours.
      {"touching at a vertex", {{0, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 2}, {1, 1}}, 4},
      {"collinear edges apart", {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 0}, {3, 0}, {3, 2}, {0, 2}}, 0},
      {"collinear edges overlapping", {{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 0}, {2, -1}}, 2},
  };
  for (const TCase& c : cases) {
    int crossings = -1;
    EXPECT_EQ(PolygonArea(c.Poly, crossings), PolygonArea(c.Poly)) << c.Name;
    EXPECT_EQ(crossings, c.Crossings) << c.Name;
  }
}

TEST(PolygonAreaTest, LengthAndBounds) {
  const TPoly p{{0, 0}, {3, 4}, {3, -2}};
  EXPECT_EQ(PolygonLength(p, false), 11.0);
  EXPECT_EQ(PolygonLength(p, true), 11.0 + std::sqrt(13.0));
  EXPECT_EQ(PolygonLength(TPoly{}, true), 0.0);
  EXPECT_EQ(PolygonLength(TPoly{{1, 1}}, true), 0.0);

  double x0 = 99, y0 = 99, x1 = 99, y1 = 99;
  OuterRectOfPolygon(p, x0, y0, x1, y1);
  EXPECT_EQ(x0, 0.0);
  EXPECT_EQ(y0, -2.0);
  EXPECT_EQ(x1, 3.0);
  EXPECT_EQ(y1, 4.0);
  x0 = y0 = x1 = y1 = 99;
  OuterRectOfPolygon(TPoly{}, x0, y0, x1, y1);
  EXPECT_EQ(x0, 99.0);
  EXPECT_EQ(y1, 99.0);
  OuterRectOfPolygon(TPoly{{kNaN, 5}, {2, kNaN}, {-1, 7}}, x0, y0, x1, y1);
  EXPECT_EQ(x0, -1.0);
  EXPECT_EQ(x1, 2.0);
  EXPECT_EQ(y0, 5.0);
  EXPECT_EQ(y1, 7.0);
}

// --- difference lists ------------------------------------------------------------------------------

TEST(PolygonDiffTest, ModesAndRoundTrip) {
  const TPoly p{{0, 0}, {1, 0}, {1, 0}, {3, 0}, {3, 2}, {3, 5}, {4, 6}, {4, 6}, {6, 8}, {6, 7}};
  TPoly diff{{9, 9}};
  EXPECT_EQ(ConvertToDiffPolygon(p, diff, 0), 9);
  ASSERT_EQ(diff.size(), 9u);
  EXPECT_EQ(diff[1].X, 0.0);
  EXPECT_EQ(diff[3].Y, 2.0);
  TPoly back;
  EXPECT_EQ(ConvertFromDiffPolygon(p[0], diff, back), 10);
  ASSERT_EQ(back.size(), p.size());
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_EQ(back[i].X, p[i].X);
    EXPECT_EQ(back[i].Y, p[i].Y);
  }

  EXPECT_EQ(ConvertToDiffPolygon(p, diff, 1), 7);  // the two zero steps dropped
  EXPECT_EQ(ConvertToDiffPolygon(p, diff, 2), 4);  // runs of one slope merged; downward vertical too
  ASSERT_EQ(diff.size(), 4u);
  const TPoly merged{{3, 0}, {0, 5}, {3, 3}, {0, -1}};
  for (size_t i = 0; i < merged.size(); ++i) {
    EXPECT_EQ(diff[i].X, merged[i].X) << i;
    EXPECT_EQ(diff[i].Y, merged[i].Y) << i;
  }
  EXPECT_EQ(ConvertFromDiffPolygon({0, 0}, diff, back), 5);
  EXPECT_EQ(back.back().X, 6.0);
  EXPECT_EQ(back.back().Y, 7.0);

  EXPECT_EQ(ConvertToDiffPolygon(TPoly{{1, 1}}, diff, 2), 0);
  EXPECT_TRUE(diff.empty());
  EXPECT_EQ(ConvertFromDiffPolygon({2, 3}, TPoly{}, back), 1);
  EXPECT_EQ(back[0].Y, 3.0);

  // In place: the source may be the target itself.
  TPoly inPlace = p;
  EXPECT_EQ(ConvertToDiffPolygon(inPlace, inPlace, 0), 9);
  EXPECT_EQ(ConvertFromDiffPolygon(p[0], inPlace, inPlace), 10);
  EXPECT_EQ(inPlace.back().Y, 7.0);
}

// --- distances -------------------------------------------------------------------------------------

TEST(PolygonDistanceTest, NearestEdge) {
  EXPECT_EQ(DistanceToPolygon({2, 2}, kU, true), 1.0);      // the notch floor
  EXPECT_EQ(DistanceToPolygon({0.5, 1.5}, kU, true), 0.5);  // inside the left leg
  EXPECT_EQ(DistanceToPolygon({-3, 4}, kU, true), std::hypot(3.0, 1.0));  // the corner (0, 3)
  // Open: the edge from (0, 3) back to (0, 0) is missing.
  EXPECT_EQ(DistanceToPolygon({-3, 1.5}, kU, false), std::hypot(3.0, 1.5));
  EXPECT_EQ(DistanceToPolygon({-3, 1.5}, kU, true), 3.0);
  EXPECT_EQ(DistanceToPolygon({3, 4}, TPoly{{0, 0}}, false), 5.0);
  EXPECT_EQ(DistanceToPolygon({3, 4}, TPoly{}, true), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(DistanceToPolygon({kNaN, 4}, kU, true)));
  EXPECT_EQ(DistanceToPolygon({2, -1}, TPoly{{0, 0}, {4, 0}, {kNaN, 3}}, true), 1.0);
}

}  // namespace
}  // namespace kvl
