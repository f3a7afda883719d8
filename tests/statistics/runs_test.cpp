// Correlation, runs tests and Durbin-Watson (statistic and 5 % bounds).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvl/base/KVL_dstruct.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;
using test::kTol1e14;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(PearsonCorrCoeff, CodesConstantAndOffset) {
  double r = -5;
  EXPECT_EQ(PearsonCorrCoeff(std::vector<double>{1, 2}, std::vector<double>{1, 2}, r), -1);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(PearsonCorrCoeff(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2}, r), -2);
  EXPECT_EQ(PearsonCorrCoeff(std::vector<double>{4, 4, 4}, std::vector<double>{1, 2, 3}, r), 0);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(PearsonCorrCoeff(std::vector<double>{1, 2, 3, 4}, std::vector<double>{2, 1, 4, 3}, r), 0);
  EXPECT_NEAR(r, 0.6, kTol1e14);
  // A large common offset: the raw sums would lose every digit.
  EXPECT_EQ(PearsonCorrCoeff(std::vector<double>{1e12 + 1, 1e12 + 2, 1e12 + 3, 1e12 + 4},
                             std::vector<double>{2, 1, 4, 3}, r),
            0);
  EXPECT_NEAR(r, 0.6, kTol1e14);
  PearsonCorrCoeff(std::vector<double>{1, NaN, 3}, std::vector<double>{1, 2, 3}, r);
  EXPECT_TRUE(std::isnan(r));
}

TEST(CorrTest, TStatisticAndCodes) {
  double r, p;
  EXPECT_EQ(CorrTest(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2, 3}, 1.5, r, p), -3);
  const std::vector<double> x{1, 2, 3, 4}, y{2, 1, 4, 3};
  EXPECT_EQ(CorrTest(x, y, 0.0, r, p), 0);
  const double t = std::sqrt(2.0) * 0.6 / std::sqrt(1 - 0.36);
  EXPECT_NEAR(p, 1 - tDistriIntegral(t, 2), kTol1e12);
  EXPECT_EQ(CorrTest(x, x, 0.5, r, p), 0);  // r = 1 != Rho0
  EXPECT_EQ(p, 0);
  EXPECT_EQ(CorrTest(x, y, 0.6, r, p), 0);  // r = Rho0: t = 0
  EXPECT_NEAR(p, 0.5, kTol1e12);
}

TEST(ExactRunsTest, SmallCountsAndLargeCounts) {
  EXPECT_EQ(ExactRunsTest(3, 2, 1), 0);
  // NA = NB = 2: arrangements 6; 2 runs: AABB, BBAA.
  EXPECT_NEAR(ExactRunsTest(2, 2, 2), 2.0 / 6, kTol1e14);
  EXPECT_NEAR(ExactRunsTest(2, 2, 4), 1.0, kTol1e14);
  EXPECT_NEAR(ExactRunsTest(2, 3, 3), ExactRunsTest(3, 2, 3), kTol1e14);  // counts reordered
  // 25 + 25: C(50, 25) is beyond 32 bits; the distribution still sums to 1.
  EXPECT_NEAR(ExactRunsTest(25, 25, 50), 1.0, kTol1e14);
  EXPECT_NEAR(ExactRunsTest(25, 25, 2), 2.0 / 126410606437752.0, 1e-25);
  EXPECT_TRUE(std::isnan(ExactRunsTest(-1, 3, 2)));
}

TEST(RunsTest, ExactBranchAndBitFieldBounds) {
  TBoolArray alt;
  for (int i = 0; i < 10; ++i) alt.push_back(i % 2 == 0);
  double p;
  EXPECT_FALSE(RunsTest(alt, p));  // 10 runs: the most possible
  EXPECT_NEAR(p, 1.0, kTol1e14);
  TBoolArray blocks{true, true, true, true, true, false, false, false, false, false};
  EXPECT_TRUE(RunsTest(blocks, p));
  EXPECT_NEAR(p, 2.0 / 252, kTol1e14);
  // The bit field form reads bits 0 .. Size - 1 and gives the same answer.
  TBitFld bits(10);
  for (int i = 0; i < 5; ++i) bits.SetBit(i);
  double pb;
  EXPECT_TRUE(RunsTest(bits, pb));
  EXPECT_EQ(pb, p);
  TBoolArray none;
  EXPECT_FALSE(RunsTest(none, p));
  // Normal branch: 30 + 30 alternating in pairs.
  TBoolArray pairs;
  for (int i = 0; i < 60; ++i) pairs.push_back((i / 2) % 2 == 0);
  EXPECT_FALSE(RunsTest(pairs, p));
  const double s = std::sqrt(2.0 * 900 * (1800 - 60) / (3600.0 * 59));
  const double z = (30 - 31) / s;
  EXPECT_NEAR(p, nDistriIntegral(z), kTol1e14);
}

TEST(RunsTestSerial, AboutTheMedian) {
  double p = 0;
  EXPECT_FALSE(RunsTestSerial(std::vector<double>{}, p));
  EXPECT_EQ(p, -1);
  EXPECT_FALSE(RunsTestSerial(std::vector<double>{1, NaN, 2}, p));
  EXPECT_EQ(p, -1);
  // Trend: all low values first, then all high ones: 2 runs. The array
  // form's median is the element 6 (4 values above it), the vector's Q2 5.5.
  std::vector<double> trend{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_TRUE(RunsTestSerial(trend, p));
  EXPECT_NEAR(p, 2.0 / 210, kTol1e14);
  TVector v;
  v.Resize(10);
  for (int i = 1; i <= 10; ++i) v.SetElem(i, i);
  double pv;
  EXPECT_TRUE(RunsTestSerial(v, pv));
  EXPECT_NEAR(pv, 2.0 / 252, kTol1e14);
}

TEST(DurbinWatson, Statistic) {
  EXPECT_NEAR(DurbinWatson(std::vector<double>{1, -1, 1, -1}), 3.0, kTol1e14);
  EXPECT_EQ(DurbinWatson(std::vector<double>{1, 2}), 2.0);
  EXPECT_EQ(DurbinWatson(std::vector<double>{0, 0, 0}), 0.0);
}

// The published 5 % bounds, to their printed digits.
struct TDWGiven {
  int n, k;
  double L, U;
  int LDigits, UDigits;
};

TEST(DurbinWatsonCrit5pct, ReproducesThePublishedBounds) {
  const std::vector<TDWGiven> given{
      {6, 1, 0.61018, 1.4, 5, 1},       {10, 1, 0.879, 1.32, 3, 2},    {10, 2, 0.697, 1.641, 3, 3},
      {10, 3, 0.525, 2.016, 3, 3},      {10, 4, 0.376, 2.414, 3, 3},   {10, 5, 0.243, 2.822, 3, 3},
      {20, 1, 1.201, 1.411, 3, 3},      {20, 2, 1.1, 1.537, 1, 3},     {20, 3, 0.998, 1.676, 3, 3},
      {20, 4, 0.894, 1.828, 3, 3},      {20, 5, 0.792, 1.991, 3, 3},   {100, 1, 1.654, 1.694, 3, 3},
      {100, 2, 1.634, 1.715, 3, 3},     {100, 3, 1.613, 1.736, 3, 3},  {100, 4, 1.592, 1.758, 3, 3},
      {100, 5, 1.571, 1.78, 3, 2}};
  for (const TDWGiven& g : given) {
    double dL, dU;
    ASSERT_TRUE(DurbinWatsonCrit5pct(g.n, g.k, dL, dU));
    const double sl = std::pow(10.0, g.LDigits), su = std::pow(10.0, g.UDigits);
    EXPECT_EQ(std::round(dL * sl) / sl, g.L) << "n " << g.n << " k " << g.k;
    EXPECT_EQ(std::round(dU * su) / su, g.U) << "n " << g.n << " k " << g.k;
  }
}

TEST(DurbinWatsonCrit5pct, RangeAndLargeN) {
  double dL = 1, dU = 1;
  EXPECT_FALSE(DurbinWatsonCrit5pct(10, 6, dL, dU));  // n - k < 5
  EXPECT_EQ(dL, 0);
  EXPECT_FALSE(DurbinWatsonCrit5pct(100, 21, dL, dU));
  EXPECT_FALSE(DurbinWatsonCrit5pct(2001, 1, dL, dU));
  EXPECT_TRUE(DurbinWatsonCrit5pct(25, 20, dL, dU));
  EXPECT_GT(dL, 0);
  // Above 100 the fitted curves against exact bounds (Imhof, computed with
  // tools/durbin_watson_table.py's bounds() at n not used by the fits).
  struct TExact {
    int n, k;
    double L, U;
  };
  const TExact exact[] = {{101, 1, 1.6558244, 1.6957700},
                          {137, 3, 1.6764476, 1.7658448},
                          {333, 10, 1.7587061, 1.8823096},
                          {777, 1, 1.8795471, 1.8847008},
                          {1234, 20, 1.8735308, 1.9393927}};
  constexpr double kFitTol = 1e-4;  // the fits' largest error is 2e-5
  for (const TExact& e : exact) {
    ASSERT_TRUE(DurbinWatsonCrit5pct(e.n, e.k, dL, dU));
    EXPECT_NEAR(dL, e.L, kFitTol) << e.n << " " << e.k;
    EXPECT_NEAR(dU, e.U, kFitTol) << e.n << " " << e.k;
  }
}

}  // namespace
}  // namespace kvl
