// Kolmogorov-Smirnov and Lilliefors statistics (in-place effects), and the
// Shapiro-Wilk, skewness and kurtosis tests' edge cases (their values are
// compared with SciPy in hyptests_scipy_test.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e14;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// nDistriIntegral's stated relative accuracy.
constexpr double kPhiTol = test::kTol1e8;

TEST(KSNormality, SortsInPlaceAndMeasuresAsGiven) {
  std::vector<double> x{0.5, -1.0, 2.0, 0.0};
  const double d = PerformKSNormalityTest(x, false);
  EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
  // Sorted -1, 0, 0.5, 2: the largest gap is at 0, |1/4 - Phi(0)| = 1/4.
  EXPECT_NEAR(d, 0.25, kPhiTol);
  // IsSorted: the data stay as given (and are read as given).
  std::vector<double> y{1.0, 0.0};
  PerformKSNormalityTest(y, true);
  EXPECT_EQ(y[0], 1.0);
  std::vector<double> withNaN{1.0, NaN, 0.0};
  EXPECT_TRUE(std::isnan(PerformKSNormalityTest(withNaN, false)));
  EXPECT_EQ(withNaN[0], 1.0);  // untouched
  std::vector<double> none;
  EXPECT_EQ(PerformKSNormalityTest(none, false), 0);
}

TEST(Lilliefors, StandardisesInPlaceArrayAndVector) {
  std::vector<double> x{10, 14, 12, 11, 13};
  const double d = PerformLillieforsTest(x, false);
  // Mean 12, s = sqrt(2.5).
  const double s = std::sqrt(2.5);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(x[i], (10.0 + i - 12) / s, kTol1e14);
  std::vector<double> again(x);
  EXPECT_NEAR(PerformKSNormalityTest(again, true), d, kTol1e14);
  TVector v;
  v.Resize(5);
  const double raw[5] = {10, 14, 12, 11, 13};
  for (int i = 1; i <= 5; ++i) v.SetElem(i, raw[i - 1]);
  EXPECT_NEAR(PerformLillieforsTest(v, false), d, kTol1e14);
  EXPECT_NEAR(v.Elem(1), -2 / s, kTol1e14);
  // A constant sample: s replaced by 1, values become 0.
  std::vector<double> c{3, 3, 3};
  PerformLillieforsTest(c, false);
  EXPECT_EQ(c[1], 0);
}

TEST(ShapiroWilk, ExactSmallCaseAndBadInput) {
  double W, PW;
  // n = 3: a = (-sqrt(1/2), 0, sqrt(1/2)); equally spaced values give W = 1.
  ShapiroWilkTest(std::vector<double>{1, 2, 3}, 0, W, PW);
  EXPECT_NEAR(W, 1.0, kTol1e14);
  ShapiroWilkTest(std::vector<double>{1, 2}, 0, W, PW);
  EXPECT_TRUE(std::isnan(W));
  ShapiroWilkTest(std::vector<double>{4, 4, 4, 4}, 0, W, PW);
  EXPECT_TRUE(std::isnan(W));
  ShapiroWilkTest(std::vector<double>{1, NaN, 3, 4}, 0, W, PW);
  EXPECT_TRUE(std::isnan(PW));
  ShapiroWilkTest(std::vector<double>{1, 2, 3, 4}, 5, W, PW);
  EXPECT_TRUE(std::isnan(W));
  TVector v;
  v.Resize(4);
  for (int i = 1; i <= 4; ++i) v.SetElem(i, i * i);
  double W2, PW2;
  ShapiroWilkTest(v, 0, W, PW);
  ShapiroWilkTest(std::vector<double>{16, 1, 9, 4}, 0, W2, PW2);  // order does not matter
  EXPECT_EQ(W, W2);
  EXPECT_EQ(PW, PW2);
}

TEST(SkewnessKurtosis, CodesSymmetryAndOneSided) {
  double s, sa, z;
  EXPECT_EQ(CalcAndTestSkewness(std::vector<double>(7, 1.0), false, s, sa, z), -1);
  EXPECT_EQ(CalcAndTestKurtosis(std::vector<double>(4, 1.0), false, s, sa, z), -1);
  EXPECT_TRUE(std::isnan(CalcAndTestSkewness(std::vector<double>(9, 1.0), false, s, sa, z)));
  const std::vector<double> x{1, 2, 2, 3, 3, 3, 4, 9, 12, 15};
  std::vector<double> mirrored;
  for (const double v : x) mirrored.push_back(-v);
  double s2, sa2, z2;
  const double p = CalcAndTestSkewness(x, false, s, sa, z);
  const double p2 = CalcAndTestSkewness(mirrored, false, s2, sa2, z2);
  EXPECT_NEAR(s, -s2, kTol1e14);
  EXPECT_NEAR(z, -z2, kTol1e14);
  EXPECT_NEAR(p, p2, kTol1e14);
  EXPECT_NEAR(CalcAndTestSkewness(x, true, s, sa, z), p / 2, kTol1e14);
  EXPECT_NEAR(sa, s * std::sqrt(90.0) / 8, kTol1e14);
  const double pk = CalcAndTestKurtosis(x, false, s, sa, z);
  EXPECT_NEAR(CalcAndTestKurtosis(x, true, s, sa, z), pk / 2, kTol1e14);
  EXPECT_NEAR(sa, ((11) * s + 6) * 9 / (8.0 * 7), kTol1e14);
}

}  // namespace
}  // namespace kvl
