#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "kvl/geometry/KVL_sline.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol16Eps;
using test::kTol1e15;

constexpr double kPi = std::numbers::pi;
constexpr const char* kBothZero = "parameter A and B must not both be zero";

/// Line: a TSLine through two points (they must differ).
std::unique_ptr<TSLine> Line(double X1, double Y1, double X2, double Y2) {
  auto l = std::make_unique<TSLine>();
  EXPECT_TRUE(l->LineFrom2Points(X1, Y1, X2, Y2));
  return l;
}

/// Vertical: the line x = X (B = 0).
std::unique_ptr<TSLine> Vertical(double X) { return Line(X, 0, X, 1); }

TEST(SLineTest, NewLineIsTheXAxis) {
  TSLine l;
  EXPECT_EQ(l.ParA(), 0.0);
  EXPECT_EQ(l.ParB(), 1.0);
  EXPECT_EQ(l.ParC(), 0.0);
  EXPECT_FALSE(l.SubstituteInf());
  EXPECT_EQ(l.Slope(), 0.0);
  EXPECT_EQ(l.Intercept(), 0.0);
  EXPECT_EQ(l.Direction(), 0.0);
  EXPECT_FALSE(std::signbit(l.Direction()));
}

TEST(SLineTest, SettersKeepAAndBFromBothBecomingZero) {
  TSLine l;  // A = 0
  KVL_EXPECT_THROW_MSG(l.SetParB(0), EKVLSLineError, kBothZero);
  EXPECT_EQ(l.ParB(), 1.0);
  l.SetParA(2);
  l.SetParB(0);  // allowed now that A is 2
  KVL_EXPECT_THROW_MSG(l.SetParA(0), EKVLSLineError, kBothZero);
  EXPECT_EQ(l.ParA(), 2.0);
  l.SetParC(-7);
  EXPECT_EQ(l.ParC(), -7.0);
}

TEST(SLineTest, ErrorsAreNotKvlErrors) {
  TSLine l;
  l.SetName("L1");
  try {
    l.SetParB(0);
    FAIL() << "no exception";
  } catch (const EKVLError&) {
    FAIL() << "caught as EKVLError";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), kBothZero) << "no component name in the message";
  }
}

TEST(SLineTest, LineFrom2PointsIsNotNormalised) {
  TSLine l;
  EXPECT_TRUE(l.LineFrom2Points(1, 2, 4, 8));
  EXPECT_EQ(l.ParA(), -6.0);
  EXPECT_EQ(l.ParB(), 3.0);
  EXPECT_EQ(l.ParC(), 0.0);  // 1*8 - 2*4
  EXPECT_FALSE(l.LineFrom2Points(5, 5, 5, 5));
  EXPECT_EQ(l.ParA(), -6.0);
  EXPECT_EQ(l.ParB(), 3.0);
  EXPECT_EQ(l.Slope(), 2.0);
  EXPECT_EQ(l.Intercept(), 0.0);
  EXPECT_TRUE(l.LineFrom2Points(-1, 1, 3, 9));  // y = 2x + 3
  double k = 0, d = 0;
  l.CalcKDForm(k, d);
  EXPECT_EQ(k, 2.0);
  EXPECT_EQ(d, 3.0);
  EXPECT_EQ(l.CalcY(10), 23.0);
  EXPECT_EQ(l.CalcX(23), 10.0);
}

TEST(SLineTest, ConstructionsThroughAPoint) {
  TSLine l;
  l.LineFromSlopeIcpt(3, -2);
  EXPECT_EQ(l.ParA(), 3.0);
  EXPECT_EQ(l.ParB(), -1.0);
  EXPECT_EQ(l.ParC(), -2.0);
  EXPECT_EQ(l.CalcY(2), 4.0);

  TSLine n;
  n.NormalLine(1, 1, l);
  EXPECT_EQ(n.ParA(), 1.0);
  EXPECT_EQ(n.ParB(), 3.0);
  EXPECT_EQ(n.ParC(), -4.0);
  EXPECT_EQ(n.AngleBetweenLines(l), kPi / 2);
  EXPECT_EQ(n.Distance(1, 1), 0.0);

  TSLine p;
  p.ParallelLine(0, 5, l);
  EXPECT_EQ(p.Slope(), 3.0);
  EXPECT_EQ(p.Intercept(), 5.0);

  TSLine t;
  t.LineThroughPoint(2, 3, kPi / 4);
  EXPECT_NEAR(t.Slope(), 1.0, kTol16Eps);
  EXPECT_NEAR(t.Distance(2, 3), 0.0, kTol1e15);
  EXPECT_NEAR(t.Direction(), kPi / 4, kTol16Eps);
  t.LineThroughPoint(2, 3, 0);
  EXPECT_EQ(t.ParA(), 0.0);
  EXPECT_EQ(t.ParB(), 1.0);
  EXPECT_EQ(t.Intercept(), 3.0);
}

TEST(SLineTest, IntersectionsAreExactOnIntegerLines) {
  struct TCase {
    double a[4], b[4], x, y;
  };
  const TCase cases[] = {
      {{0, 0, 4, 2}, {0, 3, 3, 0}, 2, 1},
      {{-5, -5, 5, 5}, {-5, 5, 5, -5}, 0, 0},
      {{1, 7, 1, -3}, {0, 2, 10, 2}, 1, 2},        // vertical and horizontal
      {{0, 0, 3, 1}, {0, 1, 3, 0}, 1.5, 0.5},
      {{-1000000, 3, 2000000, 6}, {1000001, 6, 999999, 4}, 1000000, 5},
  };
  for (const TCase& c : cases) {
    auto a = Line(c.a[0], c.a[1], c.a[2], c.a[3]);
    auto b = Line(c.b[0], c.b[1], c.b[2], c.b[3]);
    double x = 0, y = 0;
    ASSERT_TRUE(a->InterSection(*b, x, y));
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    ASSERT_TRUE(b->InterSection(*a, x, y));
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

TEST(SLineTest, ParallelAndCoincidentLinesHaveNoIntersection) {
  auto a = Line(0, 0, 2, 1);
  auto parallel = Line(0, 1, 4, 3);
  auto coincident = Line(4, 2, -2, -1);  // same line, other scale and sign
  for (const TSLine* other : {parallel.get(), coincident.get(), a.get()}) {
    double x = 17, y = 19;
    EXPECT_FALSE(a->InterSection(*other, x, y));
    EXPECT_EQ(x, 17.0);
    EXPECT_EQ(y, 19.0);
    EXPECT_EQ(a->AngleBetweenLines(*other), 0.0);
  }
  double x = 17, y = 19;
  EXPECT_FALSE(Vertical(1)->InterSection(*Vertical(-3), x, y));
  EXPECT_EQ(x, 17.0);
}

TEST(SLineTest, AngleBetweenLinesIsAcute) {
  auto diag = Line(0, 0, 1, 1);
  auto anti = Line(0, 0, -1, 1);
  TSLine xaxis;
  EXPECT_EQ(diag->AngleBetweenLines(*anti), kPi / 2);
  EXPECT_EQ(Vertical(3)->AngleBetweenLines(xaxis), kPi / 2);
  EXPECT_NEAR(diag->AngleBetweenLines(xaxis), kPi / 4, kTol16Eps);
  // 135 degrees between the directions is 45 between the lines.
  EXPECT_NEAR(anti->AngleBetweenLines(xaxis), kPi / 4, kTol16Eps);
  auto steep = Line(0, 0, 1, std::sqrt(3.0));
  EXPECT_NEAR(steep->AngleBetweenLines(xaxis), kPi / 3, kTol16Eps);
}

TEST(SLineTest, DistanceIsSignedByTheSide) {
  auto l = Line(0, 0, 4, 3);  // 3x - 4y = 0 scaled by -1
  EXPECT_EQ(std::fabs(l->Distance(3, -4)), 5.0);
  EXPECT_EQ(l->Distance(3, -4), -l->Distance(-3, 4));
  EXPECT_EQ(l->Distance(8, 6), 0.0);
  TSLine xaxis;
  EXPECT_EQ(xaxis.Distance(7, 2), 2.0);
  EXPECT_EQ(xaxis.Distance(7, -2), -2.0);
  EXPECT_EQ(Vertical(1)->Distance(4, 100), -3.0);  // A = -1 for points listed upwards
}

TEST(SLineTest, VerticalLinesRaiseOrSubstitute) {
  auto v = Vertical(2);
  double k = 5, d = 6;
  KVL_EXPECT_THROW_MSG(v->CalcKDForm(k, d), EKVLSLineError, "cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(k, 5.0);
  KVL_EXPECT_THROW_MSG(v->CalcY(1), EKVLSLineError, "cannot calculate y");
  KVL_EXPECT_THROW_MSG(v->GetSlope(), EKVLSLineError, "slope is infinite");
  KVL_EXPECT_THROW_MSG(v->GetIntercept(), EKVLSLineError,
                       "cannot calculate intercept (line is parallel to y axis)");
  EXPECT_EQ(v->CalcX(123), 2.0);
  v->SetSubstituteInf(true);
  EXPECT_EQ(v->CalcY(1), -1e100);  // (-X A - C) / 1e-100 = (1 - 2) / 1e-100, a huge stand-in
  EXPECT_EQ(v->CalcY(3), 1e100);
  EXPECT_EQ(v->CalcY(2), 0.0);  // on the line the numerator is 0

  TSLine h;  // the x axis
  KVL_EXPECT_THROW_MSG(h.CalcX(1), EKVLSLineError, "cannot calculate x");
  h.SetSubstituteInf(true);
  EXPECT_EQ(h.CalcX(0), 0.0);
  EXPECT_GT(std::fabs(h.CalcX(1)), 1e99);
}

TEST(SLineTest, DirectionCoversAllQuadrants) {
  // Direction of (B, -A); LineFrom2Points gives (B, -A) = P2 - P1.
  struct TCase {
    double dx, dy, angle;
  };
  const TCase cases[] = {{1, 0, 0},          {1, 1, kPi / 4},          {0, 1, kPi / 2},
                         {-1, 1, 3 * kPi / 4}, {-1, 0, kPi},           {-1, -1, 5 * kPi / 4},
                         {0, -1, 3 * kPi / 2}, {1, -1, 7 * kPi / 4}};
  for (const TCase& c : cases) {
    auto l = Line(0, 0, c.dx, c.dy);
    EXPECT_NEAR(l->Direction(), c.angle, kTol16Eps) << c.dx << "," << c.dy;
    EXPECT_GE(l->Direction(), 0.0);
    EXPECT_LT(l->Direction(), 2 * kPi);
  }
}

struct TClipCase {
  std::string Name;
  double p[4];
  bool Hit;
  double x1, y1, x2, y2;
};

TEST(SLineTest, ClipBoxFindsTheCrossings) {
  // Box 0 <= x <= 10, 0 <= y <= 5.
  const TClipCase cases[] = {
      {"diagonal", {0, 0, 2, 1}, true, 0, 0, 10, 5},
      {"left and top", {0, 1, 1, 2}, true, 0, 1, 4, 5},
      {"bottom and top", {3, 0, 5, 5}, true, 3, 0, 5, 5},
      {"horizontal", {0, 2, 1, 2}, true, 0, 2, 10, 2},
      {"vertical", {7, 0, 7, 1}, true, 7, 0, 7, 5},
      {"through the lower left corner to the top", {0, 0, 1, 1}, true, 0, 0, 5, 5},
      {"through the upper left corner to the bottom", {0, 5, 1, 4}, true, 0, 5, 5, 0},
      {"touching the upper right corner only", {10, 5, 11, 4}, true, 10, 5, 10, 5},
      {"along the bottom edge", {0, 0, 1, 0}, true, 0, 0, 10, 0},
      {"along the left edge", {0, 0, 0, 1}, true, 0, 0, 0, 5},
      {"missing", {0, 6, 1, 7}, false, 0, 0, 0, 0},
      {"vertical beside", {11, 0, 11, 1}, false, 0, 0, 0, 0},
  };
  for (const TClipCase& c : cases) {
    auto l = Line(c.p[0], c.p[1], c.p[2], c.p[3]);
    double x1 = -1, y1 = -1, x2 = -1, y2 = -1;
    EXPECT_EQ(l->ClipBox(0, 0, 10, 5, x1, y1, x2, y2), c.Hit) << c.Name;
    if (c.Hit) {
      EXPECT_EQ(x1, c.x1) << c.Name;
      EXPECT_EQ(y1, c.y1) << c.Name;
      EXPECT_EQ(x2, c.x2) << c.Name;
      EXPECT_EQ(y2, c.y2) << c.Name;
    } else {
      EXPECT_EQ(x1, -1.0) << c.Name;
      EXPECT_EQ(y2, -1.0) << c.Name;
    }
    EXPECT_FALSE(l->SubstituteInf()) << c.Name;
    l->SetSubstituteInf(true);
    l->ClipBox(0, 0, 10, 5, x1, y1, x2, y2);
    EXPECT_TRUE(l->SubstituteInf()) << c.Name;
  }
}

TEST(SLineTest, DegenerateInputsNeverDivideByZero) {
  TSLine l;
  l.SetParA(1e-300);
  l.SetParB(0);
  EXPECT_EQ(l.Distance(0, 5), 0.0);
  EXPECT_EQ(l.Distance(1, 0), 1.0);
  EXPECT_EQ(l.Direction(), 3 * kPi / 2);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(l.Distance(nan, 0)));
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  EXPECT_FALSE(l.ClipBox(nan, 0, 10, 5, x1, y1, x2, y2));
}

}  // namespace
}  // namespace kvl
