#include "kvl/statistics/statis/shapirowilk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "kvl_test_support.h"

namespace kvl {
namespace {

// Royston's approximation against Shapiro and Wilk's percentage points.
constexpr double kTableTol = 0.005;

TEST(ShapiroWilkIntegralTest, ExactForThreeValues) {
  EXPECT_NEAR(ShapiroWilkIntegral(0.9, 3, 3), 0.38550170590259986, test::kTol1e15);
  EXPECT_EQ(ShapiroWilkIntegral(0.75, 3, 3), 0.0);  // the support starts at 3/4
  EXPECT_EQ(ShapiroWilkIntegral(0.7, 3, 3), 0.0);
  EXPECT_EQ(ShapiroWilkIntegral(1.0, 3, 3), 1.0);
}

TEST(ShapiroWilkIntegralTest, AgreesWithPercentagePoints) {
  struct Point {
    int n;
    double w, level;
  };
  for (const Point p : {Point{10, 0.842, 0.05}, Point{10, 0.781, 0.01}, Point{20, 0.905, 0.05},
                        Point{20, 0.868, 0.01}})
    EXPECT_NEAR(ShapiroWilkIntegral(p.w, p.n, p.n), p.level, kTableTol) << "n = " << p.n << ", W = " << p.w;
}

TEST(ShapiroWilkIntegralTest, DistributionFunctionShape) {
  for (int n : {4, 8, 11, 12, 40, 500}) {
    double previous = 0.0;
    for (double w = 0.5; w < 1.0; w += 0.01) {
      const double p = ShapiroWilkIntegral(w, n, n);
      EXPECT_GE(p, previous) << "n = " << n << ", W = " << w;
      EXPECT_LE(p, 1.0);
      previous = p;
    }
  }
  // Beyond the small-sample transformation's support the probability is 0.
  EXPECT_EQ(ShapiroWilkIntegral(0.3, 4, 4), 0.0);  // ln(1 - W) >= gamma = -0.437
  EXPECT_EQ(ShapiroWilkIntegral(0.0, 30, 30), 0.0);
  EXPECT_EQ(ShapiroWilkIntegral(1.0, 30, 30), 1.0);
}

TEST(ShapiroWilkIntegralTest, CensoredSamples) {
  // n1 = n is the complete sample; censoring changes the distribution but
  // keeps it a distribution function.
  const double complete = ShapiroWilkIntegral(0.95, 50, 50);
  EXPECT_NE(ShapiroWilkIntegral(0.95, 50, 40), complete);
  for (int n1 : {45, 40, 30, 20, 10}) {
    const double lo = ShapiroWilkIntegral(0.93, 50, n1), hi = ShapiroWilkIntegral(0.96, 50, n1);
    EXPECT_GT(lo, 0.0);
    EXPECT_LT(lo, hi) << "n1 = " << n1;
    EXPECT_LT(hi, 1.0);
  }
}

TEST(ShapiroWilkIntegralTest, OutsideTheDomainGivesNaN) {
  EXPECT_TRUE(std::isnan(ShapiroWilkIntegral(0.9, 2, 2)));
  EXPECT_TRUE(std::isnan(ShapiroWilkIntegral(0.9, 10, 2)));
  EXPECT_TRUE(std::isnan(ShapiroWilkIntegral(0.9, 10, 11)));
  EXPECT_TRUE(std::isnan(ShapiroWilkIntegral(0.9, 19, 15)));  // censoring needs n >= 20
  EXPECT_TRUE(std::isnan(ShapiroWilkIntegral(0.9, 50, 9)));   // more than 80 % censored
  EXPECT_TRUE(std::isnan(ShapiroWilkIntegral(std::numeric_limits<double>::quiet_NaN(), 10, 10)));
}

}  // namespace
}  // namespace kvl
