// TCurveFit: the interpolating cubic spline (natural and clamped ends) and
// the penalised smoothing spline between interpolation and the line.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

TEST(CurveFitSpline, InterpolatesReproducesCubicsWhenClampedAndAveragesEqualX) {
  TCurveFit f;
  auto cubic = [](double x) { return x * x * x - 2 * x + 1; };
  for (double x : {3.0, 0.0, 1.0, 2.5, 4.0, 1.5}) f.EnterStatValue(x, cubic(x));  // unsorted on purpose
  for (double x : {0.0, 1.5, 4.0}) EXPECT_NEAR(f.CubicSpline(x), cubic(x), kTol1e12);
  // Natural ends do not reproduce a cubic between the knots; clamped ends with
  // the true end slopes do.
  EXPECT_GT(std::fabs(f.CubicSpline(0.5) - cubic(0.5)), 1e-3);
  f.SetSplineNatural1(false);
  f.SetSplineNaturalN(false);
  f.SetSplineDerivY1(-2);      // 3x² − 2 at 0
  f.SetSplineDerivYN(46);      // at 4
  EXPECT_NEAR(f.CubicSpline(0.5), cubic(0.5), kTol1e12);
  EXPECT_NEAR(f.CubicSpline(3.7), cubic(3.7), kTol1e12);

  TCurveFit dup;
  dup.EnterStatValue(0, 0);
  dup.EnterStatValue(1, 1);
  dup.EnterStatValue(1, 3);
  dup.EnterStatValue(2, 4);
  EXPECT_NEAR(dup.CubicSpline(1), 2, kTol1e12);
  TCurveFit one;
  one.EnterStatValue(1, 1);
  one.EnterStatValue(1, 2);
  KVL_EXPECT_THROW_MSG(one.CubicSpline(1), EKVLMath2Error, "CubicSpline: at least two distinct x values are needed");
}

TEST(CurveFitSpline, SmoothingFactorRunsFromInterpolationToTheLine) {
  std::vector<double> x, y;
  TCurveFit f;
  for (int i = 0; i < 15; ++i) {
    x.push_back(i * 0.7);
    y.push_back(std::sin(i * 0.7) + ((i % 3) - 1) * 0.2);
    f.EnterStatValue(x.back(), y.back());
  }
  std::vector<double> g, d2;
  ASSERT_EQ(PenalizedCubicSpline(x, y, 1.0, g, d2), 0);
  for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(g[i], y[i], kTol1e12);
  ASSERT_EQ(PenalizedCubicSpline(x, y, 0.0, g, d2), 0);
  EXPECT_NEAR(g[2] - g[1], g[14] - g[13], kTol1e12);  // a straight line
  // A tiny weight on the data is nearly the line too: the limit is continuous.
  std::vector<double> gs, d2s;
  ASSERT_EQ(PenalizedCubicSpline(x, y, 1e-9, gs, d2s), 0);
  for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(gs[i], g[i], 1e-6);

  double q1 = 0, q2 = 0;
  bool valid = false;
  f.SetSplineSmoothingFactor(0.999);
  const double near = f.SmoothedSpline(2.1, q1, valid);
  EXPECT_TRUE(valid);
  f.SetSplineSmoothingFactor(0.5);
  const double smooth = f.SmoothedSpline(2.1, q2, valid);
  EXPECT_GT(q1, q2);  // less smoothing, closer fit
  EXPECT_LE(q1, 1.0);
  EXPECT_NE(near, smooth);
  EXPECT_EQ(PenalizedCubicSpline(std::vector<double>{0, 1}, std::vector<double>{0, 1}, 0.5, g, d2), -1);
  EXPECT_EQ(PenalizedCubicSpline(std::vector<double>{0, 2, 1}, std::vector<double>{0, 1, 2}, 0.5, g, d2), -2);
  EXPECT_EQ(PenalizedCubicSpline(std::vector<double>{0, 1, 2}, std::vector<double>{0, 1}, 0.5, g, d2), -3);
  TCurveFit two;
  two.EnterStatValue(1, 1);
  two.EnterStatValue(2, 1);
  EXPECT_EQ(two.SmoothedSpline(1.5, q1, valid), 0);
  EXPECT_FALSE(valid);
}

}  // namespace
}  // namespace kvl
