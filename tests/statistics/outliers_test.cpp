#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "kvl/containers/KVL_vector.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::array<TSignifLevelEx, 9> kLevels{
    TSignifLevelEx::Dot001, TSignifLevelEx::Dot002, TSignifLevelEx::Dot005,
    TSignifLevelEx::Dot010, TSignifLevelEx::Dot020, TSignifLevelEx::Dot050,
    TSignifLevelEx::Dot100, TSignifLevelEx::Dot200, TSignifLevelEx::Dot500};

// The published rows of the Dixon table, which the library keeps as printed.
struct PrintedRow {
  int n;
  std::array<double, 9> c;
};
const PrintedRow kPrinted[] = {
    {3, {0.999, 0.998, 0.994, 0.988, 0.976, 0.941, 0.886, 0.782, 0.501}},
    {4, {0.964, 0.949, 0.921, 0.889, 0.847, 0.766, 0.679, 0.561, 0.324}},
    {5, {0.895, 0.869, 0.824, 0.782, 0.729, 0.643, 0.559, 0.452, 0.251}},
    {6, {0.822, 0.792, 0.744, 0.698, 0.646, 0.563, 0.484, 0.387, 0.210}},
    {7, {0.763, 0.731, 0.681, 0.636, 0.587, 0.507, 0.433, 0.344, 0.184}},
    {8, {0.799, 0.769, 0.724, 0.682, 0.633, 0.554, 0.480, 0.386, 0.211}},
    {9, {0.750, 0.720, 0.675, 0.634, 0.586, 0.512, 0.441, 0.352, 0.190}},
    {10, {0.713, 0.683, 0.637, 0.597, 0.551, 0.477, 0.409, 0.325, 0.174}},
    {11, {0.770, 0.746, 0.708, 0.674, 0.636, 0.575, 0.518, 0.445, 0.304}},
    {12, {0.739, 0.714, 0.676, 0.643, 0.605, 0.546, 0.489, 0.420, 0.284}},
    {13, {0.713, 0.687, 0.649, 0.617, 0.580, 0.522, 0.467, 0.399, 0.269}},
    {14, {0.732, 0.708, 0.672, 0.640, 0.603, 0.546, 0.491, 0.422, 0.287}},
    {20, {0.627, 0.604, 0.568, 0.538, 0.503, 0.450, 0.401, 0.339, 0.224}},
    {50, {0.460, 0.439, 0.410, 0.384, 0.355, 0.312, 0.272, 0.226, 0.143}},
    {100, {0.387, 0.368, 0.341, 0.317, 0.292, 0.253, 0.219, 0.179, 0.111}},
};

TEST(DeanDixonCriticalValues, PrintedRowsAreKeptExactly) {
  for (const auto& row : kPrinted)
    for (std::size_t j = 0; j < kLevels.size(); ++j)
      EXPECT_EQ(DeanDixonCriticalValues(row.n, kLevels[j]), row.c[j]) << "n = " << row.n << ", level " << j;
}

TEST(DeanDixonCriticalValues, EveryRowFallsWithTheLevelAndWithinARatioWithN) {
  for (int n = 3; n <= 100; ++n) {
    for (std::size_t j = 0; j + 1 < kLevels.size(); ++j) {
      const double c = DeanDixonCriticalValues(n, kLevels[j]);
      EXPECT_GT(c, DeanDixonCriticalValues(n, kLevels[j + 1])) << "n = " << n << ", level " << j;
      EXPECT_LT(c, 1.0);
    }
    EXPECT_GT(DeanDixonCriticalValues(n, TSignifLevelEx::Dot500), 0.0);
    // The ratio changes at n = 8, 11 and 14; within one ratio a larger
    // sample has no larger critical value.
    if (n != 7 && n != 10 && n != 13 && n < 100) {
      for (auto level : kLevels)
        EXPECT_GE(DeanDixonCriticalValues(n, level), DeanDixonCriticalValues(n + 1, level)) << "n = " << n;
    }
  }
}

TEST(DeanDixonCriticalValues, OutsideTheTable) {
  EXPECT_EQ(DeanDixonCriticalValues(2, TSignifLevelEx::Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(101, TSignifLevelEx::Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(10, static_cast<TSignifLevelEx>(9)), -1.0);
}

TEST(DeanDixonTest, FlagsAFarHighValueInBothForms) {
  const std::vector<double> data{1, 2, 3, 4, 100};
  double q = 0;
  EXPECT_EQ(DeanDixonTest(data, TSignifLevelEx::Dot050, q), 4);
  EXPECT_NEAR(q, 96.0 / 99, kTol1e12);
  TVector v;
  v.Resize(static_cast<std::int32_t>(data.size()));
  v.CopyFrom(std::span<const double>(data), 0, 0, 1);
  q = 0;
  EXPECT_EQ(DeanDixonTest(v, TSignifLevelEx::Dot050, q), 5);
  EXPECT_NEAR(q, 96.0 / 99, kTol1e12);
}

TEST(DeanDixonTest, EachRatioPicksItsOrderStatistics) {
  struct Case {
    std::vector<double> data;
    double q;
    std::int32_t ix;  // at Dot010
  };
  const Case cases[] = {
      // n = 8 .. 10: low ratio (s2 - s1)/(sn-1 - s1); the first equal value is reported
      {{10, 11, 12, 13, 14, 15, 16, 0, 0}, 1.0 / 16, -1},  // s1 = s2: low ratio 0, high 1/16
      {{10, 11, 12, 13, 14, 15, 16, 17, -30}, 40.0 / 46, 8},
      // n = 11 .. 13: (sn - sn-2)/(sn - s2)
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 50, 60}, 51.0 / 58, 10},
      // n = 14 .. 100: (s3 - s1)/(sn-2 - s1) with two low values
      {{-40, -41, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 42.0 / 51, 1},
  };
  for (const auto& c : cases) {
    double q = -1;
    EXPECT_EQ(DeanDixonTest(c.data, TSignifLevelEx::Dot010, q), c.ix);
    EXPECT_NEAR(q, c.q, kTol1e12);
  }
}

TEST(DeanDixonTest, SizeLimitsRaiseAndNaNGivesNoOutlier) {
  double q = 5;
  KVL_EXPECT_THROW_MSG(DeanDixonTest(std::vector<double>{1, 2}, TSignifLevelEx::Dot050, q), EKVLStatisError,
                       "DeanDixonTest: number of data points is too low");
  EXPECT_EQ(q, 0.0);
  KVL_EXPECT_THROW_MSG(DeanDixonTest(std::vector<double>(101, 1.0), TSignifLevelEx::Dot050, q),
                       EKVLStatisError, "DeanDixonTest: number of data points is too high");
  EXPECT_EQ(DeanDixonTest(std::vector<double>{1, 2, kNaN, 4, 100}, TSignifLevelEx::Dot050, q), -1);
  EXPECT_EQ(DeanDixonTest(std::vector<double>{3, 3, 3}, TSignifLevelEx::Dot500, q), -1);  // no spread
  EXPECT_EQ(q, 0.0);
}

// Student t quantiles in closed form for 1, 2 and 4 degrees of freedom.
double TQuantileClosedForm(double p, int df) {
  switch (df) {
    case 1: return std::tan(std::numbers::pi * (p - 0.5));
    case 2: return (2 * p - 1) / std::sqrt(2 * p * (1 - p));
    case 4: {
      const double a = 4 * p * (1 - p), q = std::cos(std::acos(std::sqrt(a)) / 3) / std::sqrt(a);
      return (p < 0.5 ? -2 : 2) * std::sqrt(q - 1);
    }
    default: return kNaN;
  }
}

TEST(GrubbsCriticalValues, ClosedFormWithTheTQuantile) {
  for (int n : {3, 4, 6})
    for (double alpha : {0.001, 0.01, 0.05, 0.1, 0.5})
      for (bool two : {false, true}) {
        const double a = two ? alpha / 2 : alpha;
        const double t = TQuantileClosedForm(1 - a / n, n - 2);
        const double want = (n - 1) / std::sqrt(n) * std::sqrt(t * t / (n - 2 + t * t));
        EXPECT_NEAR(GrubbsCriticalValues(n, alpha, two), want, kTol1e12) << n << " " << alpha << " " << two;
      }
}

TEST(GrubbsCriticalValues, TailOfTheImpliedTIsTheLevel) {
  // Solving the closed form for t and taking the t tail must give a/n back.
  for (int n : {5, 10, 30, 100, 1000}) {
    for (double alpha : {0.01, 0.05}) {
      const double g = GrubbsCriticalValues(n, alpha, true);
      const double t2 = (n - 2.0) * n * g * g / ((n - 1.0) * (n - 1.0) - n * g * g);
      EXPECT_NEAR(1 - tDistriIntegral(std::sqrt(t2), n - 2), alpha / 2 / n, 1e-9 * alpha / n) << n;
    }
  }
  // Published two-sided values at alpha = 0.05 (three decimals).
  constexpr double kTableTol = 5e-4;
  EXPECT_NEAR(GrubbsCriticalValues(10, 0.05, true), 2.290, kTableTol);
  EXPECT_NEAR(GrubbsCriticalValues(20, 0.05, true), 2.708, kTableTol);
}

TEST(GrubbsCriticalValues, Domain) {
  for (double alpha : {0.0, 1.0, -0.1, 1.5, kNaN}) EXPECT_EQ(GrubbsCriticalValues(10, alpha, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(2, 0.05, true), -1.0);
}

TEST(GrubbsTest, StatusCodesAndOutputs) {
  double g = 7;
  std::int32_t ix = 7;
  EXPECT_EQ(GrubbsTest(std::vector<double>{1, 2, 3}, 0.05, g, ix), -2);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(ix, -1);
  EXPECT_EQ(GrubbsTest(std::vector<double>{1, 2, 3, 4}, 1.0, g, ix), -1);
  EXPECT_EQ(GrubbsTest(std::vector<double>{1, 2, 3}, 1.0, g, ix), -2);  // -2 wins
  EXPECT_EQ(GrubbsTest(std::vector<double>{2, 2, 2, 2}, 0.05, g, ix), 0);  // no spread
  EXPECT_EQ(ix, -1);
  EXPECT_EQ(GrubbsTest(std::vector<double>{1, kNaN, 2, 3}, 0.05, g, ix), 0);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(ix, -1);
}

TEST(GrubbsTest, FormsDifferInTiesAndPositionBase) {
  // Two equally extreme values at both ends: the array form reports the
  // later one (0-based), the vector form the first (1-based).
  const std::vector<double> data{-10, 0, 0, 0, 0, 0, 0, 0, 0, 10};
  const double alpha = 0.9;
  const double g = 10 / std::sqrt(200.0 / 9);  // |x - 0| / s
  ASSERT_LT(GrubbsCriticalValues(10, alpha, true), g);
  double gArr = 0, gVec = 0;
  std::int32_t ixArr = 0, ixVec = 0;
  EXPECT_EQ(GrubbsTest(data, alpha, gArr, ixArr), 0);
  TVector v;
  v.Resize(static_cast<std::int32_t>(data.size()));
  v.CopyFrom(std::span<const double>(data), 0, 0, 1);
  EXPECT_EQ(GrubbsTest(v, alpha, gVec, ixVec), 0);
  EXPECT_NEAR(gArr, g, kTol1e12);
  EXPECT_EQ(gVec, gArr);
  EXPECT_EQ(ixArr, 9);
  EXPECT_EQ(ixVec, 1);
  // Not extreme enough at 5 %: both report no outlier but keep G.
  EXPECT_EQ(GrubbsTest(data, 0.05, gArr, ixArr), 0);
  EXPECT_EQ(ixArr, -1);
  EXPECT_NEAR(gArr, g, kTol1e12);
}

TEST(GrubbsTest, FindsAClearOutlier) {
  const std::vector<double> data{5.1, 4.9, 5.0, 5.2, 4.8, 5.05, 9.0, 4.95};
  double g = 0;
  std::int32_t ix = 0;
  ASSERT_EQ(GrubbsTest(data, 0.05, g, ix), 0);
  EXPECT_EQ(ix, 6);
  EXPECT_GT(g, GrubbsCriticalValues(8, 0.05, true));
}

}  // namespace
}  // namespace kvl
