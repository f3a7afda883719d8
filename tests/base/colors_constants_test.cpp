#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "kvl/base/KVL_kvlcolors.h"
#include "kvl/base/KVL_univconst.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// Hue angles come out of acos; a few ulps of 360 degrees.
constexpr double kHueTol = 1e-12;

TEST(ColorTest, HSIOfPrimariesAndMixtures) {
  struct Case {
    double R, G, B, H, S, I;
  };
  const Case cases[] = {
      {255, 0, 0, 0, 1, 85},      {255, 255, 0, 60, 1, 170},  {0, 255, 0, 120, 1, 85},
      {0, 255, 255, 180, 1, 170}, {0, 0, 255, 240, 1, 85},    {255, 0, 255, 300, 1, 170},
      {0, 0, 0, 0, 0, 0},         {128, 128, 128, 0, 0, 128}, {200, 100, 100, 0, 0.25, 400.0 / 3},
  };
  for (const Case& c : cases) {
    double h = -1, s = -1, i = -1;
    RGBtoHSI(c.R, c.G, c.B, h, s, i);
    EXPECT_NEAR(h, c.H, kHueTol) << c.R << "," << c.G << "," << c.B;
    EXPECT_NEAR(s, c.S, test::kTol16Eps) << c.R << "," << c.G << "," << c.B;
    EXPECT_NEAR(i, c.I, test::kTol1e12) << c.R << "," << c.G << "," << c.B;
  }
  // A hue just below red on the blue side stays below 360.
  double h, s, i;
  RGBtoHSI(255, 0, 1, h, s, i);
  EXPECT_GT(h, 359.0);
  EXPECT_LT(h, 360.0);
}

TEST(ColorTest, GrayIsTheWeightedLuma) {
  EXPECT_DOUBLE_EQ(RGBtoGray(255, 0, 0), 0.299 * 255);
  EXPECT_DOUBLE_EQ(RGBtoGray(0, 255, 0), 0.587 * 255);
  EXPECT_DOUBLE_EQ(RGBtoGray(0, 0, 255), 0.114 * 255);
  for (const double g : {0.0, 1.0, 77.0, 255.0}) EXPECT_NEAR(RGBtoGray(g, g, g), g, test::kTol1e12);
}

TEST(ConstantsTest, Limits) {
  EXPECT_EQ(uc_MaxDouble, DBL_MAX);
  EXPECT_EQ(uc_MaxReal, DBL_MAX);
  EXPECT_EQ(uc_MaxSingle, FLT_MAX);
  EXPECT_EQ(uc_MaxInt64, INT64_MAX);
  EXPECT_EQ(uc_sqrt2, std::sqrt(2.0));
  EXPECT_NEAR(uc_sqrt2pitom1, 1.0 / std::sqrt(2.0 * 3.14159265358979323846), test::kTol2Eps);
}

TEST(ConstantsTest, LnFactorialTable) {
  EXPECT_EQ(uc_LnFactorial.size(), 1001u);
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], std::log(2.0));
  EXPECT_EQ(uc_LnFactorial[10], std::log(3628800.0));
  // Each entry within a few ulps of the library's log-gamma and of the
  // previous entry plus ln n (both carry their own rounding).
  for (int n = 2; n <= 1000; ++n) {
    const double v = uc_LnFactorial[static_cast<std::size_t>(n)];
    EXPECT_NEAR(v, std::lgamma(n + 1.0), 4 * test::kEps * v) << n;
    EXPECT_NEAR(v - uc_LnFactorial[static_cast<std::size_t>(n) - 1], std::log(static_cast<double>(n)),
                8 * test::kEps * v)
        << n;
  }
  // ln 1000! = 5912.128178488163348878130886...
  EXPECT_NEAR(uc_LnFactorial[1000], 5912.128178488163348878L, test::kEps * 5912.0);
}

}  // namespace
}  // namespace kvl
