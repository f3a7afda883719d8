#include "kvl/runtime/randgen.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvl {
namespace {

TEST(RandomTest, SeededSequenceIsTheLinearCongruentialOne) {
  RandSeed = 0;
  EXPECT_EQ(Random(1000), 0);  // state 1: 1 * 1000 / 2^32
  EXPECT_EQ(RandSeed, 1);
  EXPECT_DOUBLE_EQ(Random(), 134775814.0 / 4294967296.0);
  RandSeed = 42;
  const double a = Random();
  RandSeed = 42;
  EXPECT_EQ(Random(), a);
}

TEST(RandomTest, RangesHold) {
  RandSeed = 12345;
  for (int i = 0; i < 10000; ++i) {
    const double u = Random();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    const int k = Random(7);
    ASSERT_GE(k, 0);
    ASSERT_LT(k, 7);
  }
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
}

TEST(RandomTest, RandGHasRequestedMoments) {
  // 20000 draws: the standard error of the mean is 3/sqrt(20000) = 0.021.
  RandSeed = 7;
  const int n = 20000;
  double s = 0, s2 = 0;
  for (int i = 0; i < n; ++i) {
    const double g = RandG(5.0, 3.0);
    s += g;
    s2 += g * g;
  }
  const double mean = s / n;
  const double sd = std::sqrt((s2 - s * s / n) / (n - 1));
  // A generous bound of sampling error for the draws above.
  constexpr double kSampleTol = 0.1;
  EXPECT_NEAR(mean, 5.0, kSampleTol);
  EXPECT_NEAR(sd, 3.0, kSampleTol);
}

}  // namespace
}  // namespace kvl
