// TCurveFit: pair entry and removal, the running sums and their flags,
// FlipXY, and the statistics read from the sums and the stored pairs.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>
#include <numbers>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e15;
using test::kTol1e12;

// Pairs whose reciprocals and products are exact in binary: the sums can be
// checked exactly, and entering then removing a pair restores them exactly.
void EnterExact(TCurveFit& f) {
  f.EnterStatValue(1, 2);
  f.EnterStatValue(2, 4);
  f.EnterStatValue(4, 1);
}

struct TSumCase {
  const char* Name;
  long double TCurveFitSums::*Sum;
  long double Expected;
};

// Every sum with its value for the pairs of EnterExact.
std::vector<TSumCase> ExactCases() {
  const long double ln2 = std::numbers::ln2_v<long double>;
  return {
      {"sumx", &TCurveFitSums::sumx, 7},          {"sumy", &TCurveFitSums::sumy, 7},
      {"sumxq", &TCurveFitSums::sumxq, 21},       {"sumyq", &TCurveFitSums::sumyq, 21},
      {"sumDiff", &TCurveFitSums::sumDiff, 0},    {"SumDiffq", &TCurveFitSums::SumDiffq, 1 + 4 + 9},
      {"sumxy", &TCurveFitSums::sumxy, 14},       {"sumx2y", &TCurveFitSums::sumx2y, 2 + 16 + 16},
      {"sumxy2", &TCurveFitSums::sumxy2, 4 + 32 + 4}, {"sumx3", &TCurveFitSums::sumx3, 73},
      {"sumy3", &TCurveFitSums::sumy3, 73},       {"sumx4", &TCurveFitSums::sumx4, 1 + 16 + 256},
      {"sumy4", &TCurveFitSums::sumy4, 16 + 256 + 1}, {"sum1byx", &TCurveFitSums::sum1byx, 1.75L},
      {"sum1byy", &TCurveFitSums::sum1byy, 1.75L}, {"sum1byxy", &TCurveFitSums::sum1byxy, 0.5L + 0.125L + 0.25L},
      {"sum1byyq", &TCurveFitSums::sum1byyq, 0.25L + 0.0625L + 1}, {"sumxbyy", &TCurveFitSums::sumxbyy, 0.5L + 0.5L + 4},
      {"sumybyx", &TCurveFitSums::sumybyx, 2 + 2 + 0.25L}, {"sum1byxq", &TCurveFitSums::sum1byxq, 1 + 0.25L + 0.0625L},
      {"sumlnx", &TCurveFitSums::sumlnx, 3 * ln2}, {"sumlny", &TCurveFitSums::sumlny, 3 * ln2},
      {"sumlnxlny", &TCurveFitSums::sumlnxlny, 2 * ln2 * ln2}, {"sumlnxq", &TCurveFitSums::sumlnxq, 5 * ln2 * ln2},
      {"sumylnx", &TCurveFitSums::sumylnx, 4 * ln2 + 2 * ln2}, {"sumxlnx", &TCurveFitSums::sumxlnx, 2 * ln2 + 8 * ln2},
      {"sumlnxbyy", &TCurveFitSums::sumlnxbyy, ln2 / 4 + 2 * ln2}, {"sumlnybyx", &TCurveFitSums::sumlnybyx, ln2 + ln2},
      {"sumxlny", &TCurveFitSums::sumxlny, ln2 + 4 * ln2}, {"sumxqlny", &TCurveFitSums::sumxqlny, ln2 + 8 * ln2},
      {"sumyqlnx", &TCurveFitSums::sumyqlnx, 16 * ln2 + 2 * ln2}, {"sumylny", &TCurveFitSums::sumylny, 2 * ln2 + 8 * ln2},
      {"sumlnyq", &TCurveFitSums::sumlnyq, 5 * ln2 * ln2}};
}

TEST(CurveFitSums, EachSumOfThreeExactPairs) {
  const std::vector<TSumCase> cases = ExactCases();
  ASSERT_EQ(cases.size(), 33u);
  TCurveFit f;
  EnterExact(f);
  for (const TSumCase& c : cases) EXPECT_NEAR(static_cast<double>(f.Sums().*c.Sum), static_cast<double>(c.Expected), kTol1e12) << c.Name;
  EXPECT_FALSE(f.ErrIndic(TCurveFitError::cfeXEQ0) || f.ErrIndic(TCurveFitError::cfeYEQ0) ||
               f.ErrIndic(TCurveFitError::cfeXLE0) || f.ErrIndic(TCurveFitError::cfeYLE0));
}

TEST(CurveFitSums, ZeroXRaisesFlagsThatOutliveItsRemovalAndRemovalRestoresTheSums) {
  TCurveFit f;
  EnterExact(f);
  const TCurveFitSums before = f.Sums();
  EXPECT_EQ(f.EnterStatValue(0, 8), 4);
  EXPECT_TRUE(f.ErrIndic(TCurveFitError::cfeXEQ0));
  EXPECT_TRUE(f.ErrIndic(TCurveFitError::cfeXLE0));
  EXPECT_FALSE(f.ErrIndic(TCurveFitError::cfeYEQ0));
  // uc_MaxReal stands in for 1/0
  EXPECT_EQ(f.Sums().sum1byx - before.sum1byx, static_cast<long double>(uc_MaxReal));
  EXPECT_EQ(f.Sums().sumybyx - before.sumybyx, 8.0L * uc_MaxReal);
  f.RemoveStatValue(4);
  EXPECT_EQ(f.NumData(), 3);
  EXPECT_TRUE(f.ErrIndic(TCurveFitError::cfeXEQ0));
  EXPECT_TRUE(f.ErrIndic(TCurveFitError::cfeXLE0));
  EXPECT_EQ(f.Sums().sumx, before.sumx);
  EXPECT_EQ(f.Sums().sumxy2, before.sumxy2);
  EXPECT_EQ(f.Sums().sumlnx, before.sumlnx);
  // A tiny non-zero y: the 1/y terms use uc_MaxReal on entry and removal alike.
  f.EnterStatValue(2, 1e-31);
  EXPECT_TRUE(f.ErrIndic(TCurveFitError::cfeYEQ0));
  f.RemoveStatValue(4);
  EXPECT_EQ(f.Sums().sumlnxbyy, before.sumlnxbyy);
  EXPECT_EQ(f.Sums().sumlnxlny, before.sumlnxlny);
}

TEST(CurveFitSums, SumsFormedInBlocksEqualSumsFormedPairByPair) {
  // Reading the sums after every pair adds each pair alone; reading them
  // once adds all in blocks. Each sum sees its terms in the same order.
  TCurveFit each, once;
  const std::vector<double> v = test::RandomValues(1500, 3);
  for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
    const double x = (i % 7 == 0) ? 0.0 : v[i] * 10, y = (i % 11 == 0) ? -v[i + 1] : v[i + 1];
    each.EnterStatValue(x, y);
    (void)each.Sums();
    once.EnterStatValue(x, y);
  }
  const TCurveFitSums &a = each.Sums(), &b = once.Sums();
  for (const TSumCase& c : ExactCases()) EXPECT_EQ(a.*c.Sum, b.*c.Sum) << c.Name;
  for (TCurveFitError e : {TCurveFitError::cfeXLE0, TCurveFitError::cfeYLE0, TCurveFitError::cfeXEQ0})
    EXPECT_TRUE(once.ErrIndic(e));
}

TEST(CurveFitData, RemoveShiftsTheRowsAndIgnoresBadIndices) {
  TCurveFit f;
  EnterExact(f);
  f.RemoveStatValue(0);
  f.RemoveStatValue(4);
  EXPECT_EQ(f.NumData(), 3);
  f.RemoveStatValue(1);
  EXPECT_EQ(f.NumData(), 2);
  EXPECT_EQ(f.DataX(1), 2);
  EXPECT_EQ(f.DataY(2), 1);
  EXPECT_EQ(f.DataX(3), 0);  // outside 1..NumData
  EXPECT_EQ(f.MinX(), 1);    // extremes are not recomputed
}

TEST(CurveFitData, GrowsBeyondAThousandPairsKeepingThemAndInitKeepsTheCapacity) {
  TCurveFit f;
  EXPECT_EQ(f.Capacity(), 1000);
  for (int i = 1; i <= 2500; ++i) f.EnterStatValue(i, -i);
  EXPECT_GE(f.Capacity(), 2500);
  EXPECT_EQ(f.Capacity() % 1000, 0);
  EXPECT_EQ(f.DataX(1000), 1000);
  EXPECT_EQ(f.DataY(2500), -2500);
  EXPECT_EQ(f.MinY(), -2500);
  const std::int32_t capacity = f.Capacity();
  f.Init();
  EXPECT_EQ(f.Capacity(), capacity);
  EXPECT_EQ(f.NumData(), 0);
  EXPECT_EQ(f.MinX(), uc_MaxDouble);
  EXPECT_EQ(f.MaxY(), -uc_MaxDouble);
  EXPECT_EQ(f.Sums().sumx4, 0);
}

TEST(CurveFitData, FlipXYExchangesColumnsSumsAndExtremes) {
  TCurveFit f;
  f.EnterStatValue(1, 3);
  f.EnterStatValue(2, 5);
  f.EnterStatValue(4, 6);
  const TCurveFitSums s = f.Sums();
  f.FlipXY();
  EXPECT_EQ(f.DataX(2), 5);
  EXPECT_EQ(f.DataY(2), 2);
  EXPECT_EQ(f.MinX(), 3);
  EXPECT_EQ(f.MaxY(), 4);
  EXPECT_EQ(f.Sums().sumx, s.sumy);
  EXPECT_EQ(f.Sums().sumxy2, s.sumx2y);
  EXPECT_EQ(f.Sums().sumlnxbyy, s.sumlnybyx);
  EXPECT_EQ(f.Sums().sumDiff, -s.sumDiff);
  EXPECT_EQ(f.Sums().sumxy, s.sumxy);
}

TEST(CurveFitStatistics, MomentsCorrelationAndTheirSmallSampleZeros) {
  TCurveFit f;
  f.EnterStatValue(1, 2);
  f.EnterStatValue(2, 4);
  EXPECT_EQ(f.StdDevX(), 0);  // below 3 pairs
  EXPECT_EQ(f.CorrCoeff(), 0);
  f.EnterStatValue(3, 7);
  std::int32_t n = 0;
  double mx, my, sx, sy, md, sd, r;
  f.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 3);
  EXPECT_DOUBLE_EQ(mx, 2);
  EXPECT_DOUBLE_EQ(my, 13.0 / 3);
  EXPECT_DOUBLE_EQ(sx, 1);
  EXPECT_NEAR(sy, std::sqrt(19.0 / 3), kTol1e15 * 10);
  EXPECT_DOUBLE_EQ(md, -7.0 / 3);
  // r of (1,2),(2,4),(3,7): Sxy = 5, Sxx = 2, Syy = 38/3
  EXPECT_NEAR(r, 5 / std::sqrt(2 * 38.0 / 3), kTol1e15 * 10);
  EXPECT_DOUBLE_EQ(f.CorrCoeff(), r);
  EXPECT_NEAR(f.RMSDiff(), std::sqrt((1 + 4 + 16) / 3.0), kTol1e15 * 10);
}

TEST(CurveFitStatistics, CircularMeansInEachQuadrant) {
  struct TCase {
    double A, B, Mean;
  } cases[] = {{10, 30, 20}, {350, 30, 10}, {170, 230, 200}, {300, 320, 310}, {80, 120, 100}};
  for (const TCase& c : cases) {
    TCurveFit f;
    f.EnterStatValue(c.A, 0);
    f.EnterStatValue(c.B, 0);
    EXPECT_NEAR(f.MeanAngleX(), c.Mean, kTol1e12) << c.A << " " << c.B;
    EXPECT_NEAR(f.MeanAngleY(), 0, kTol1e12);
  }
  TCurveFit empty;
  EXPECT_EQ(empty.MeanAngleX(), 0);
}

TEST(CurveFitStatistics, QuartilesPercentilesSkewnessOfAColumn) {
  TCurveFit f;
  for (double v : {1.0, 2.0, 3.0, 4.0, 100.0}) f.EnterStatValue(v, -v);
  double q1, q2, q3;
  f.QuartilesX(q1, q2, q3);
  EXPECT_EQ(q2, 3);
  f.QuartilesY(q1, q2, q3);
  EXPECT_EQ(q2, -3);
  EXPECT_EQ(f.PercentileX(100), 100);
  EXPECT_EQ(f.PercentileY(0), -100);
  EXPECT_GT(f.SkewnessX(), 1);
  EXPECT_NEAR(f.SkewnessY(), -f.SkewnessX(), kTol1e12);
  EXPECT_NEAR(f.KurtosisY(), f.KurtosisX(), kTol1e12);
}

TEST(CurveFitData, AssignCopiesPairsSumsAndModel) {
  TCurveFit a, b;
  EnterExact(a);
  double k, d, q;
  a.CalcLinFit(k, d, q);
  b.Assign(&a);
  EXPECT_EQ(b.NumData(), 3);
  EXPECT_EQ(b.DataY(2), 4);
  EXPECT_EQ(b.Sums().sumx3, a.Sums().sumx3);
  EXPECT_EQ(b.ModelPar(1, 1), k);
  EXPECT_EQ(b.RegModel(), TRegModel::rmLinear);
}

// Entering a pair drops the model whatever fit made it, again after each
// new fit (entry skips the clearing only while the model is already clear).
TEST(CurveFitData, EnteringAPairDropsTheModelOfEveryFit) {
  using TFit = void (*)(TCurveFit&);
  const std::pair<const char*, TFit> fits[] = {
      {"line", [](TCurveFit& f) { double k, d, q; f.CalcLinFit(k, d, q); }},
      {"parabola", [](TCurveFit& f) { double a, b, c, q; f.CalcParabolFit(a, b, c, q); }},
      {"circle", [](TCurveFit& f) { double r, dx, dy; f.CalcCircleFit(r, dx, dy); }},
      {"model", [](TCurveFit& f) { ASSERT_EQ(f.CalcRegModel(TRegModel::rmPower, 0), 0); }},
  };
  TCurveFit f;
  EnterExact(f);
  f.EnterStatValue(4, 9);
  for (int round = 0; round < 2; ++round)
    for (const auto& [name, fit] : fits) {
      fit(f);
      ASSERT_NE(f.RegModel(), TRegModel::rmNone) << name;
      f.EnterStatValue(5 + round, 7);
      EXPECT_EQ(f.RegModel(), TRegModel::rmNone) << name;
      EXPECT_EQ(f.FitQual(), 0.0) << name;
      EXPECT_EQ(f.Residual(1), 0.0) << name;
    }
}

}  // namespace
}  // namespace kvl
