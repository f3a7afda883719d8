#include "kvl/statistics/statis/normal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvl_test_support.h"

namespace kvl {
namespace {

// nDistriIntegral inherits the 1e-8 relative tolerance of IncompleteGamma,
// and in the lower tail an absolute floor of about 1e-16.
constexpr double kIntegralTol = 1e-8;
constexpr double kIntegralFloor = 1e-16;
// The bisection stops at |Phi(x) - p| < 1e-8 p.
constexpr double kQuantileTol = 1e-8;
// Below 1e-8 the exact tail takes over.
constexpr double kTailQuantileTol = 1e-14;
// ErfApprox is accurate to 1.2e-7.
constexpr double kErfApproxTol = 1.2e-7;

TEST(nDistriTest, DensityAndIntegral) {
  EXPECT_EQ(nDistriIntegral(0.0), 0.5);
  EXPECT_DOUBLE_EQ(nDistriDensity(0.0), 0.3989422804014327);
  EXPECT_DOUBLE_EQ(nDistriDensity(-1.5), nDistriDensity(1.5));
  EXPECT_NEAR(nDistriDensity(2.0), 0.05399096651318806, test::kTol1e17);
  const std::vector<std::pair<double, double>> rows = {  // 40-digit Phi(x)
      {-8.0, 6.2209605742717841e-16}, {-6.0, 9.8658764503769814e-10}, {-3.0, 1.3498980316300945e-3},
      {-1.5, 6.6807201268858066e-2},  {-0.2, 4.2074029056089697e-1},  {0.7, 7.5803634777692697e-1},
      {2.0, 9.7724986805182079e-1},   {5.0, 9.9999971334842812e-1},
  };
  for (const auto& [x, phi] : rows)
    EXPECT_NEAR(nDistriIntegral(x), phi, kIntegralTol * phi + kIntegralFloor) << "x = " << x;
}

TEST(nDistriTest, QuantileStopsAtTheRelativeTolerance) {
  for (double p : {1e-6, 0.001, 0.025, 0.3, 0.5, 0.7, 0.975, 0.999999}) {
    const double x = nDistriQuantile(p);
    EXPECT_LT(std::fabs(nDistriIntegral(x) - p) / p, kQuantileTol) << "p = " << p;
  }
  EXPECT_NEAR(nDistriQuantile(0.975), 1.959964, test::kTol1e6);
  EXPECT_NEAR(nDistriQuantile(0.5), 0.0, 2e-8);  // zero to the bisection's accuracy
}

TEST(nDistriTest, QuantileFallbacks) {
  EXPECT_EQ(nDistriQuantile(0.0), 0.0);
  EXPECT_EQ(nDistriQuantile(1.0), 0.0);
  EXPECT_EQ(nDistriQuantile(-0.5), 0.0);
  EXPECT_EQ(nDistriQuantile(1.5), 0.0);
  EXPECT_EQ(nDistriQuantile(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(nDistriTest, QuantileEndsAndIsExactFarInTheLowerTail) {
  // Where nDistriIntegral cannot resolve 1e-8 p the bisection used to run
  // for ever; now it ends and the exact tail gives the root.
  const std::vector<std::pair<double, double>> rows = {
      {1e-300, -3.7047096299361199e+1}, {1e-100, -2.1273453560965324e+1},
      {1e-20, -9.2623400897984076},     {1e-9, -5.9978070150076869},
  };
  for (const auto& [p, x] : rows)
    EXPECT_NEAR(nDistriQuantile(p), x, kTailQuantileTol * std::fabs(x)) << "p = " << p;
  EXPECT_NEAR(nDistriQuantile(std::numeric_limits<double>::denorm_min()), -38.4674, test::kTol1e4);
}

TEST(ErfTest, ExactAndApproximate) {
  for (double x : {0.1, 0.5, 1.0, 2.0, 3.5}) {
    EXPECT_EQ(Erf(-x), -Erf(x));
    EXPECT_NEAR(Erf(x), std::erf(x), kIntegralTol * std::erf(x)) << "x = " << x;
    EXPECT_NEAR(ErfApprox(x), std::erf(x), kErfApproxTol) << "x = " << x;
    EXPECT_NEAR(ErfApprox(-x), -ErfApprox(x), test::kTol1e15);
  }
  EXPECT_EQ(Erf(0.0), 0.0);
  // The fixed approximation is not exact at 0: erfc(0) = 1.00000003.
  EXPECT_NEAR(ErfApprox(0.0), -3.0e-8, test::kTol1e10);
}

TEST(ConfidenceIntervalTest, HalfWidth) {
  EXPECT_NEAR(ConfidenceInterval(0.05, 2.0, 16), nDistriQuantile(0.975) * 2.0 / 4.0, test::kTol1e15);
  EXPECT_NEAR(ConfidenceInterval(0.05, 2.0, 16), 0.979982, test::kTol1e6);
}

}  // namespace
}  // namespace kvl
