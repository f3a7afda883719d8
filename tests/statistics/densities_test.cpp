#include "kvl/statistics/statis/densities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/core/KVL_frame.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// The densities go through LnGamma (about 2e-10 absolute per logarithm).
constexpr double kLnGammaTol = 1e-9;

TEST(HyperGeoDistriDensityTest, ProbabilityOfKSuccesses) {
  // M = round(10 * 0.5) = 5: C(5,2) C(5,2) / C(10,4) = 100/210.
  EXPECT_NEAR(HyperGeoDistriDensity(0.5, 10, 4, 2), 100.0 / 210.0, kLnGammaTol);
  // M = round(20 * 0.25) = 5: C(5,0) C(15,3) / C(20,3) = 455/1140.
  EXPECT_NEAR(HyperGeoDistriDensity(0.25, 20, 3, 0), 455.0 / 1140.0, kLnGammaTol);
  // M = round(2.5) = 2 (halves to even): C(2,2) C(8,0) / C(10,2) = 1/45.
  EXPECT_NEAR(HyperGeoDistriDensity(0.25, 10, 2, 2), 1.0 / 45.0, kLnGammaTol);
  double sum = 0.0;
  for (int k = 0; k <= 6; ++k) sum += HyperGeoDistriDensity(0.3, 30, 6, k);
  EXPECT_NEAR(sum, 1.0, 10 * kLnGammaTol);
}

TEST(HyperGeoDistriDensityTest, ImpossibleCountsHaveProbabilityZero) {
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, 4, 5), 0.0);   // k > nsample
  EXPECT_EQ(HyperGeoDistriDensity(0.2, 10, 4, 3), 0.0);   // k > M = 2
  EXPECT_EQ(HyperGeoDistriDensity(0.9, 10, 4, 2), 0.0);   // k < nsample - (npop - M) = 3
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, 4, -1), 0.0);
}

TEST(HyperGeoDistriDensityTest, ChecksInOrder) {
  KVL_EXPECT_THROW_MSG(HyperGeoDistriDensity(1.2, 0, 11, 0), EKVLStatisError,
                       "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  KVL_EXPECT_THROW_MSG(HyperGeoDistriDensity(std::numeric_limits<double>::quiet_NaN(), 10, 4, 2),
                       EKVLStatisError, "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  KVL_EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 0, 11, 0), EKVLStatisError,
                       "HyperGeoDistriDensity: npop must be greater than 0");
  KVL_EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 10, 11, 0), EKVLStatisError,
                       "HyperGeoDistriDensity: nsample must not be greater than npop");
  KVL_EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 10, 0, 0), EKVLStatisError,
                       "HyperGeoDistriDensity: nsample must not be less than 1");
}

TEST(WeibullDensityTest, ValuesAndFallback) {
  // K/L (x/L)^(K-1) exp(-(x/L)^K)
  for (double x : {0.3, 1.0, 2.5}) {
    for (double k : {0.5, 1.0, 3.0}) {
      const double l = 1.7;
      const double expected = k / l * std::pow(x / l, k - 1) * std::exp(-std::pow(x / l, k));
      EXPECT_NEAR(WeibullDensity(x, k, l), expected, 1e-14 * expected) << x << " " << k;
    }
  }
  EXPECT_EQ(WeibullDensity(0.0, 2.0, 1.0), 0.0);
  EXPECT_EQ(WeibullDensity(-1.0, 2.0, 1.0), 0.0);
  EXPECT_EQ(WeibullDensity(1.0, 2.0, 0.0), 0.0);
}

TEST(FisherTransformTest, TransformAndInverse) {
  EXPECT_EQ(FisherTransform(0.0), 0.0);
  EXPECT_NEAR(FisherTransform(0.5), std::atanh(0.5), test::kTol1e15);
  EXPECT_NEAR(FisherTransform(-0.99), std::atanh(-0.99), test::kTol1e14);
  for (double z : {-3.0, -0.4, 0.0, 0.8, 5.0})
    EXPECT_NEAR(FisherTransformInv(z), std::tanh(z), test::kTol1e15) << "z = " << z;
  EXPECT_NEAR(FisherTransformInv(FisherTransform(0.37)), 0.37, test::kTol1e15);
  // e^2z overflows beyond z = 355; the quotient is 1 there, not inf/inf.
  EXPECT_EQ(FisherTransformInv(400.0), 1.0);
  EXPECT_EQ(FisherTransformInv(-400.0), -1.0);
}

TEST(FisherTransformTest, OutOfRangeRaises) {
  for (double r : {1.0, -1.0, 1.5, std::numeric_limits<double>::quiet_NaN()})
    KVL_EXPECT_THROW_MSG(FisherTransform(r), EKVLStatisError, "FisherTransform: argument out of range");
}

TEST(CalcFishQTest, QuotientAndFloorOfTheDenominator) {
  EXPECT_EQ(CalcFishQ(3.0, 1.0, 1.0, 1.0), 2.0);
  EXPECT_EQ(CalcFishQ(1.0, 1.0, 0.0, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(CalcFishQ(2.0, 1.0, 0.0, 0.0), 1e6);
  EXPECT_DOUBLE_EQ(CalcFishQ(2.0, 1.0, 0.0005, 0.0005), 1e6);  // 5e-7 is raised to 1e-6
}

}  // namespace
}  // namespace kvl
