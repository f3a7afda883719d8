#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol16Eps;

TEST(GeometryTest, EuclideanDistanceDoesNotOverflow) {
  EXPECT_EQ(EuclideanDistance(0, 0, 3, 4), 5.0);
  EXPECT_EQ(EuclideanDistance(TPointDouble{1, 1}, TPointDouble{-2, 5}), 5.0);
  EXPECT_NEAR(EuclideanDistance(0, 0, 3e200, 4e200), 5e200, 5e200 * kTol16Eps);
}

TEST(GeometryTest, BoundsInEitherOrder) {
  EXPECT_TRUE(WithinBounds(1, 0, 2));
  EXPECT_TRUE(WithinBounds(1, 2, 0));
  EXPECT_TRUE(WithinBounds(2, 0, 2));
  EXPECT_FALSE(WithinBounds(2.01, 2, 0));
  EXPECT_TRUE(WithinBounds(2.05, 0, 2, 0.1));
  EXPECT_TRUE(WithinBounds(-0.05, 2, 0, 0.1));
  EXPECT_FALSE(WithinBounds(-0.2, 0, 2, 0.1));
  EXPECT_FALSE(WithinBounds(std::nan(""), 0, 2));

  EXPECT_EQ(ConfineValue(5.0, 2.0, 1.0), 2.0);
  EXPECT_EQ(ConfineValue(-5.0, 2.0, 1.0), 1.0);
  EXPECT_EQ(ConfineValue(1.5f, 2.0f, 1.0f), 1.5f);
  EXPECT_EQ(ConfineValue(7, 3, -3), 3);
  EXPECT_EQ(ConfineValue(-7, 3, -3), -3);
}

TEST(GeometryTest, WithinRectOrdersTheCorners) {
  const TRectDouble r{0, 10, 10, 0};  // first y the larger
  const TRectDouble flipped{10, 0, 0, 10};
  for (const TRectDouble& rect : {r, flipped}) {
    EXPECT_TRUE(WithinRect({5, 5}, rect));
    EXPECT_TRUE(WithinRect({10, 0}, rect));
    EXPECT_FALSE(WithinRect({11, 5}, rect));
    EXPECT_FALSE(WithinRect({5, -0.1}, rect));
    EXPECT_FALSE(WithinRect({std::nan(""), 5}, rect));
  }
}

TEST(GeometryTest, ConfinePointToRectReportsMoves) {
  TPointDouble p{12, -3};
  EXPECT_TRUE(ConfinePointToRect(p, TRectDouble{10, 10, 0, 0}));
  EXPECT_EQ(p.X, 10.0);
  EXPECT_EQ(p.Y, 0.0);
  EXPECT_FALSE(ConfinePointToRect(p, TRectDouble{0, 0, 10, 10}));
  TPointDouble q{std::nan(""), 20};
  EXPECT_TRUE(ConfinePointToRect(q, TRectDouble{0, 0, 10, 10}));
  EXPECT_EQ(q.Y, 10.0);
}

TEST(GeometryTest, OrientationAndIntersection) {
  const TPointDouble o{0, 0}, x{1, 0}, y{0, 1};
  EXPECT_EQ(CcwTriangle(o, x, y), 1);
  EXPECT_EQ(CcwTriangle(o, y, x), -1);
  EXPECT_EQ(CcwTriangle(o, x, TPointDouble{5, 0}), 0);

  struct Case {
    TPointDouble A1, A2, B1, B2;
    bool Intersect;
  };
  const std::vector<Case> cases{
      {{0, 0}, {2, 2}, {0, 2}, {2, 0}, true},     // crossing
      {{0, 0}, {2, 0}, {0, 1}, {2, 1}, false},    // parallel apart
      {{0, 0}, {1, 1}, {1, 1}, {2, 0}, true},     // touching at an end
      {{0, 0}, {1, 0}, {2, 0}, {3, 0}, true},     // collinear, apart: counts
      {{0, 0}, {2, 0}, {1, 1}, {1, 0.5}, false},  // T not reaching
      {{0, 0}, {2, 0}, {1, 1}, {1, 0}, true},     // T touching
  };
  for (const Case& c : cases) EXPECT_EQ(SegmentsIntersect(c.A1, c.A2, c.B1, c.B2), c.Intersect);
}

TEST(GeometryTest, DistanceToSegment) {
  const TPointDouble a{-1, 0}, b{1, 0};
  EXPECT_EQ(DistanceToSegment({0, 1}, a, b), 1.0);
  EXPECT_EQ(DistanceToSegment({3, 0}, a, b), 2.0);
  EXPECT_EQ(DistanceToSegment({-4, 4}, a, b), 5.0);
  EXPECT_EQ(DistanceToSegment({3, 4}, {0, 0}, {0, 0}), 5.0);
  EXPECT_NEAR(DistanceToSegment({1, 0}, {0, 0}, {1, 1}), std::sqrt(0.5), kTol16Eps);
}

TEST(GeometryTest, DistFromRect) {
  const TRect r{0, 0, 10, 10};
  struct Case {
    TPoint P;
    std::int32_t Dist;
  };
  for (const Case& c :
       {Case{{5, 5}, 0}, Case{{0, 10}, 0}, Case{{5, -3}, 3}, Case{{5, 14}, 4}, Case{{-2, 5}, 2},
        Case{{13, 5}, 3}, Case{{-3, -4}, 5}, Case{{13, 14}, 5}, Case{{0, -3}, 3}, Case{{11, 11}, 1}}) {
    EXPECT_EQ(DistFromRect(c.P, r), c.Dist) << c.P.X << "," << c.P.Y;
  }
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(DistFromRect({kMin, kMin}, TRect{kMax - 1, kMax - 1, kMax, kMax}), kMax);
  EXPECT_EQ(DistFromRect({0, kMin}, TRect{-5, kMax - 1, 5, kMax}), kMax);
}

// --- DistFromEllipse -------------------------------------------------------------------

// A point on an ellipse satisfies (x/a)^2 + (y/b)^2 = 1; the nearest point is
// found by bisection to full Double precision.
constexpr double kEllipseTol = 1e-12;

TEST(DistFromEllipseTest, DocumentedCases) {
  TPointDouble nearest;
  EXPECT_EQ(DistFromEllipse({3, 4}, 3, 4, 2, 2, nearest), 2.0);  // centre of a circle
  EXPECT_NEAR(std::hypot(nearest.X - 3, nearest.Y - 4), 2.0, kEllipseTol);

  EXPECT_EQ(DistFromEllipse({1 + 5, -2}, 1, -2, 5, 3, nearest), 0.0);  // (Cx + A, Cy)
  EXPECT_EQ(nearest.X, 6.0);
  EXPECT_EQ(nearest.Y, -2.0);

  EXPECT_EQ(DistFromEllipse({0, 5}, 0, 0, 3, 2, nearest), 3.0);  // on the short axis
  EXPECT_EQ(nearest.X, 0.0);
  EXPECT_EQ(nearest.Y, 2.0);

  EXPECT_EQ(DistFromEllipse({0, -7}, 0, 0, 2, 3, nearest), 4.0);  // on the long y axis
  EXPECT_EQ(nearest.Y, -3.0);
}

TEST(DistFromEllipseTest, NearestPointIsOnTheEllipseAndClosest) {
  struct Case {
    TPointDouble P;
    double Cx, Cy, A, B;
  };
  const std::vector<Case> cases{
      {{4, 3}, 0, 0, 3, 2},      {{-4, 3}, 0, 0, 3, 2},   {{-1, -0.5}, 0, 0, 3, 2},
      {{0.5, -1.5}, 0, 0, 3, 2}, {{10, 12}, 8, 9, 1, 4},  {{7.9, 5}, 8, 9, 1, 4},
      {{2, 0.3}, 0, 0, 3, 2},    {{-2.5, 0}, 0, 0, 3, 2}, {{1, 1}, 0, 0, -3, -2},
  };
  for (const Case& c : cases) {
    TPointDouble n;
    const double d = DistFromEllipse(c.P, c.Cx, c.Cy, c.A, c.B, n);
    const double a = std::fabs(c.A), b = std::fabs(c.B);
    const double u = (n.X - c.Cx) / a, v = (n.Y - c.Cy) / b;
    EXPECT_NEAR(u * u + v * v, 1.0, kEllipseTol) << c.P.X << "," << c.P.Y;
    EXPECT_NEAR(d, std::hypot(c.P.X - n.X, c.P.Y - n.Y), kEllipseTol);
    // No sampled point of the ellipse is closer.
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < 20000; ++i) {
      const double t = 2 * std::numbers::pi * i / 20000;
      best = std::min(best, std::hypot(c.P.X - (c.Cx + a * std::cos(t)), c.P.Y - (c.Cy + b * std::sin(t))));
    }
    EXPECT_LE(d, best + kEllipseTol) << c.P.X << "," << c.P.Y;
    EXPECT_GE(d, best - 1e-3) << "sampling step bounds how far below the samples d may be";
  }
}

}  // namespace
}  // namespace kvl
