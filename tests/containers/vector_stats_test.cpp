#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/containers/KVL_vector.h"
#include "kvl_test_support.h"
#include "vector_test_util.h"

namespace kvl {
namespace {

using test::SetAll;
using test::EventLog;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Statistics sum in extended precision; a few Double roundings remain.
constexpr double kStatTol = 1e-13;

template <class V>
class VectorStatsTwinTest : public testing::Test {};
using VectorTypes = testing::Types<TVector, TIntVector>;
TYPED_TEST_SUITE(VectorStatsTwinTest, VectorTypes);

TYPED_TEST(VectorStatsTwinTest, SumMinMaxAndMean) {
  using T = typename TypeParam::TElem;
  TypeParam v;
  SetAll(v, {4, -2, 9, -2, 9, 1});
  EXPECT_EQ(v.Sum(0, 0), T(19));
  EXPECT_EQ(v.Sum(5, 2), T(14));
  T lo = 0, hi = 0;
  std::int32_t loIx = 0, hiIx = 0;
  v.MinMax(0, 0, lo, hi, loIx, hiIx);
  EXPECT_EQ(lo, T(-2));
  EXPECT_EQ(hi, T(9));
  EXPECT_EQ(loIx, 2);  // the first of equal extremes
  EXPECT_EQ(hiIx, 3);
  v.MinMax(4, 6, lo, hi);
  EXPECT_EQ(lo, T(-2));
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  EXPECT_NEAR(mean, 19.0 / 6, kStatTol);
  EXPECT_NEAR(var, (16 + 4 + 81 + 4 + 81 + 1 - 19.0 * 19 / 6) / 5, kStatTol);
  v.MeanVar(1, 2, mean, var);  // two elements: variance 1.0 by definition
  EXPECT_EQ(mean, 1.0);
  EXPECT_EQ(var, 1.0);
}

TYPED_TEST(VectorStatsTwinTest, GeometricAndHarmonicMeans) {
  TypeParam v;
  SetAll(v, {1, 2, 4, 8});
  v.SetName("G");
  EXPECT_NEAR(v.GeometricMean(0, 0), std::sqrt(8.0), kStatTol);
  EXPECT_NEAR(v.HarmonicMean(0, 0), 4.0 / (1 + 0.5 + 0.25 + 0.125), kStatTol);
  v.SetVal(2, 0);
  EXPECT_EQ(v.GeometricMean(0, 0), 0.0);
  KVL_EXPECT_THROW_MSG(v.HarmonicMean(0, 0), EKVLVectorError,
                       "Component \"G\": negative or zero argument passed to HarmonicMean");
  v.SetVal(4, -1);
  KVL_EXPECT_THROW_MSG(v.GeometricMean(0, 0), EKVLVectorError,
                       "Component \"G\": negative argument passed to GeometricMean");
  EXPECT_NEAR(v.GeometricMean(1, 1), 1.0, kStatTol);
}

TYPED_TEST(VectorStatsTwinTest, SkewnessAndKurtosis) {
  TypeParam v;
  SetAll(v, {2, 4, 4, 4, 5, 5, 7, 9});
  double skew = 0, kurt = 0;
  v.SkewKurt(0, 0, skew, kurt);
  EXPECT_NEAR(skew, 0.5371324568903997, test::kTol1e12);
  EXPECT_NEAR(kurt, -0.8706054687500004, test::kTol1e12);
  v.SkewKurtSample(0, 0, skew, kurt);  // the adjusted figures of common spreadsheets
  EXPECT_NEAR(skew, 0.8184875533567995, test::kTol1e12);
  EXPECT_NEAR(kurt, 0.9406249999999989, test::kTol1e12);
  v.SkewKurt(1, 3, skew, kurt);  // n <= 3
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
  v.SkewKurt(2, 4, skew, kurt);
  EXPECT_EQ(skew, 0.0);
  TypeParam flat;
  SetAll(flat, {3, 3, 3, 3, 3});
  flat.SkewKurt(0, 0, skew, kurt);  // s = 0: the raw sums, 0 for a constant range
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
}

TYPED_TEST(VectorStatsTwinTest, ModeTakesTheSmallestOfEquallyLongRuns) {
  using T = typename TypeParam::TElem;
  TypeParam m;
  EXPECT_EQ(SetAll(m, {3, 1, 3, 2, 2, 5}).Mode(0, 0), T(2));
  EXPECT_EQ(SetAll(m, {7, 1, 5}).Mode(0, 0), T(1));
  EXPECT_EQ(SetAll(m, {4, 9, 9, 4, 9}).Mode(0, 0), T(9));
  EXPECT_EQ(SetAll(m, {4, 9, 9, 4, 9}).Mode(1, 4), T(4));
}

TYPED_TEST(VectorStatsTwinTest, Quartiles) {
  double q1 = 0, q2 = 0, q3 = 0;
  TypeParam v;
  SetAll(v, {43, 6, 41, 15, 36, 49, 40, 7, 42, 39, 47});
  EXPECT_TRUE(v.Quartiles(0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 15.0);
  EXPECT_EQ(q2, 40.0);
  EXPECT_EQ(q3, 43.0);
  v.Quartiles(1, 4, q1, q2, q3);  // 6, 15, 41, 43: positions 1.25, 2.5, 3.75
  EXPECT_EQ(q1, 6 + 0.25 * 9);
  EXPECT_EQ(q2, 28.0);
  EXPECT_EQ(q3, 41 + 0.75 * 2);
  v.Quartiles(3, 2, q1, q2, q3);  // two values: Q3 is the larger, never below the median
  EXPECT_EQ(q1, 6.0);
  EXPECT_EQ(q2, 23.5);
  EXPECT_EQ(q3, 41.0);
  v.Quartiles(2, 4, q1, q2, q3);  // three values: Q3 at position 3
  EXPECT_EQ(q3, 41.0);
  v.Quartiles(5, 5, q1, q2, q3);
  EXPECT_EQ(q1, 36.0);
  EXPECT_EQ(q3, 36.0);
}

TYPED_TEST(VectorStatsTwinTest, Percentiles) {
  TypeParam v;
  SetAll(v, {10, 50, 20, 40, 30});
  EXPECT_EQ(v.Percentile(150, 0, 0), 50.0);
  EXPECT_EQ(v.Percentile(100, 0, 0), 50.0);
  EXPECT_EQ(v.Percentile(-5, 0, 0), 10.0);
  EXPECT_EQ(v.Percentile(50, 0, 0), 30.0);
  EXPECT_NEAR(v.Percentile(10, 0, 0), 14.0, kStatTol);
  EXPECT_NEAR(v.Percentile(95, 0, 0), 48.0, kStatTol);
  EXPECT_EQ(v.Percentile(50, 1, 2), 30.0);
  EXPECT_EQ(v.Percentile(37, 3, 3), 20.0);
  EXPECT_TRUE(std::isnan(v.Percentile(kNaN, 0, 0)));
}

TYPED_TEST(VectorStatsTwinTest, HistogramCountsAndTheTIntVectorForm) {
  TypeParam v;
  SetAll(v, {-1, 0, 1, 2, 2, 3, 5, 9});
  TIntArray histo{7, 7, 7};
  std::int32_t under = -1, over = -1, maxCnt = -1;
  // Bins [0,2) [2,4) [4,6); 6 and above overflow.
  ASSERT_TRUE(v.Histogram(1, 8, 0, 4, 2, histo, under, over, maxCnt));
  EXPECT_EQ(histo, (TIntArray{2, 3, 1}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);
  EXPECT_EQ(maxCnt, 3);
  // Indices outside the vector read as 0 (two of them here).
  ASSERT_TRUE(v.Histogram(-1, 3, 0, 4, 2, histo, under, over, maxCnt));
  EXPECT_EQ(histo, (TIntArray{4, 0, 0}));
  EXPECT_EQ(under, 1);
  // LastBin below FirstBin: the two are exchanged.
  ASSERT_TRUE(v.Histogram(1, 8, 4, 0, 2, histo, under, over, maxCnt));
  EXPECT_EQ(histo, (TIntArray{2, 3, 1}));

  TIntVector bins;
  EventLog log;
  bins.OnResize = log.Recorder("resize");
  ASSERT_TRUE(v.Histogram(0, 9, 0, 4, 2, &bins, under, over, maxCnt));
  EXPECT_EQ(bins.NrOfElem(), 3);
  EXPECT_EQ(bins.GetVal(1), 4);  // element 1 holds bin 0 (element 0 reads as 0)
  EXPECT_EQ(bins.GetVal(3), 1);
  EXPECT_EQ(log.Events, std::vector<std::string>{"resize"});
  EXPECT_FALSE(v.Histogram(0, 9, 0, 4, 2, nullptr, under, over, maxCnt));
}

// --- Double histogram choices ------------------------------------------------------------

TEST(VectorHistogramTest, RejectsBadBinsWithoutTouchingTheOutputs) {
  TVector v;
  SetAll(v, {1, 2, 3});
  TIntArray histo{5};
  std::int32_t under = 9, over = 9, maxCnt = 9;
  EXPECT_FALSE(v.Histogram(1, 3, 0, 500, 1, histo, under, over, maxCnt));  // 501 bins
  EXPECT_FALSE(v.Histogram(1, 3, 0, 10, 0, histo, under, over, maxCnt));
  EXPECT_FALSE(v.Histogram(1, 3, 0, 10, -1, histo, under, over, maxCnt));
  EXPECT_FALSE(v.Histogram(1, 3, 0, kNaN, 1, histo, under, over, maxCnt));
  EXPECT_EQ(histo, TIntArray{5});
  EXPECT_EQ(under + over + maxCnt, 27);
  EXPECT_TRUE(v.Histogram(1, 3, 0, 499, 1, histo, under, over, maxCnt));
  EXPECT_EQ(histo.size(), 500u);
}

TEST(VectorHistogramTest, ValuesPastTheLastWholeBinOverflowAndNaNsAreNotCounted) {
  // |LastBin - FirstBin| / BinWidth = 2.5 rounds to 2: bins [0,.4) [.4,.8) [.8,1.2);
  // 1.3 passes the overflow test (x < LastBin + BinWidth = 1.4) but has no bin.
  TVector v;
  SetAll(v, {0.1, 0.5, 1.0, 1.3, kNaN, 1.5});
  TIntArray histo;
  std::int32_t under = 0, over = 0, maxCnt = 0;
  ASSERT_TRUE(v.Histogram(1, 6, 0.0, 1.0, 0.4, histo, under, over, maxCnt));
  EXPECT_EQ(histo, (TIntArray{1, 1, 1}));
  EXPECT_EQ(under, 0);
  EXPECT_EQ(over, 2);
}

TEST(IntVectorHistogramTest, IntegerBinsAndTheirLimit) {
  TIntVector v;
  SetAll(v, {0, 1, 2, 5, 6, 7, -3});
  v.SetName("H");
  TIntArray histo;
  std::int32_t under = 0, over = 0, maxCnt = 0;
  // 5 div 2 + 1 = 3 bins [0,2) [2,4) [4,6); 6 passes x < 7 but has no bin.
  ASSERT_TRUE(v.Histogram(1, 7, 0, 5, 2, histo, under, over, maxCnt));
  EXPECT_EQ(histo, (TIntArray{2, 1, 1}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 2);
  ASSERT_TRUE(v.Histogram(1, 7, 0, 2, 0, histo, under, over, maxCnt));  // BinWidth 0 counts as 1
  EXPECT_EQ(histo, (TIntArray{1, 1, 1}));
  KVL_EXPECT_THROW_MSG(v.Histogram(1, 7, 0, 500, 1, histo, under, over, maxCnt), EKVLVectorError,
                       "Component \"H.Histogram\": invalid number of bins");
  KVL_EXPECT_THROW_MSG(v.Histogram(1, 7, INT32_MIN, INT32_MAX, 1, histo, under, over, maxCnt), EKVLVectorError,
                       "Component \"H.Histogram\": invalid number of bins");
}

// --- TVector's own statistics --------------------------------------------------------------

TEST(VectorStatsTest, MinMaxPassesOverNaNsAndFindsExtremeValues) {
  TVector v;
  SetAll(v, {kNaN, 1.75e308, -1.75e308, kNaN});
  double lo = 0, hi = 0;
  std::int32_t loIx = 0, hiIx = 0;
  v.MinMax(0, 0, lo, hi, loIx, hiIx);
  EXPECT_EQ(lo, -1.75e308);
  EXPECT_EQ(hi, 1.75e308);
  EXPECT_EQ(loIx, 3);
  EXPECT_EQ(hiIx, 2);
  v.MinMax(1, 1, lo, hi, loIx, hiIx);  // nothing comparable: the neutral values
  EXPECT_EQ(lo, 1.7e308);
  EXPECT_EQ(hi, -1.7e308);
  EXPECT_EQ(loIx, 0);
}

TEST(VectorStatsTest, MeanVarStaysAccurateFarFromZero) {
  TVector v;
  SetAll(v, {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4});
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 1e9 + 2.5);
  EXPECT_NEAR(var, 5.0 / 3, kStatTol);
}

TEST(VectorStatsTest, QuantilesWithNaNsDoNotFail) {
  TVector v;
  SetAll(v, {3, kNaN, 1, 2});
  double q1 = 0, q2 = 0, q3 = 0;
  EXPECT_TRUE(v.Quartiles(0, 0, q1, q2, q3));
  EXPECT_EQ(v.Percentile(0, 1, 1), 3.0);
  EXPECT_NO_THROW(v.Percentile(40, 0, 0));
}

TEST(VectorStatsTest, CentringAndNormalisingFireNothing) {
  TVector v;
  SetAll(v, {1, 2, 3, 4, 10});
  EventLog log;
  v.OnChange = log.Recorder("change");
  EXPECT_EQ(v.MeanCenter(), 4.0);
  EXPECT_EQ(v.GetVal(5), 6.0);
  double mean = 0, sd = 0;
  SetAll(v, {2, 4, 6});
  v.OnChange = log.Recorder("change");
  log.Events.clear();
  v.Standardize(mean, sd);
  EXPECT_EQ(mean, 4.0);
  EXPECT_EQ(sd, 2.0);
  EXPECT_EQ(v.GetVal(1), -1.0);
  SetAll(v, {1, 2, 3, 4, 5});
  v.OnChange = log.Recorder("change");
  log.Events.clear();
  double median = 0, diff = 0;
  v.QNormalize(25, median, diff);
  EXPECT_EQ(median, 3.0);
  EXPECT_EQ(diff, 1.0);
  EXPECT_EQ(v.GetVal(5), 2.0);
  EXPECT_TRUE(log.Events.empty());
}

// --- integration ------------------------------------------------------------------------------

TEST(VectorIntegrateTest, EdgeCasesAndLinearData) {
  TVector c;
  c.Resize(6);
  c.Fill(2.5);
  for (auto m : {TIntegMethod::imSimple, TIntegMethod::imTrapezoidal, TIntegMethod::imSimpson}) {
    EXPECT_EQ(c.Integrate(2, 2, m), 0.0);
    EXPECT_NEAR(c.Integrate(1, 6, m), 2.5 * 5, kStatTol);
    EXPECT_NEAR(c.Integrate(-3, 99, m), 2.5 * 5, kStatTol);  // bounds clamped into 1..n
    EXPECT_EQ(c.Integrate(kNaN, 3, m), 0.0);
  }
  EXPECT_EQ(c.Integrate(1, 6, static_cast<TIntegMethod>(7)), 0.0);

  TVector y;  // y(x) = 2x + 1 at x = 1..8
  y.Resize(8);
  y.FillSerial(3, 2);
  auto exact = [](double a, double b) { return (b * b + b) - (a * a + a); };
  for (double lo : {1.0, 1.5, 2.25, 3.0})
    for (double hi : {3.5, 4.0, 6.75, 8.0}) {
      EXPECT_NEAR(y.Integrate(lo, hi, TIntegMethod::imTrapezoidal), exact(lo, hi), test::kTol1e12) << lo << " " << hi;
      EXPECT_NEAR(y.Integrate(hi, lo, TIntegMethod::imSimpson), exact(lo, hi), test::kTol1e12) << lo << " " << hi;
    }
  EXPECT_NEAR(y.Integrate(2.2, 2.8, TIntegMethod::imTrapezoidal), exact(2.2, 2.8), test::kTol1e12);  // one interval
  EXPECT_NEAR(y.Integrate(2.2, 2.8, TIntegMethod::imSimple), (5 + 7) / 2.0 * 0.6, test::kTol1e12);
  EXPECT_NEAR(y.Integrate(1.5, 3.5, TIntegMethod::imSimple), (5 + 7) / 2.0 * 2, test::kTol1e12);
}

TEST(VectorIntegrateTest, SimpsonRulesAreExactForCubics) {
  TVector y;
  y.Resize(12);
  for (std::int32_t k = 1; k <= 12; ++k) y.SetVal(k, static_cast<double>(k) * k * k);
  for (std::int32_t m = 3; m <= 12; ++m) {  // m samples from 1 to m
    const double exact = (std::pow(m, 4) - 1) / 4;
    EXPECT_NEAR(y.Integrate(1, m, TIntegMethod::imSimpson), exact, test::kTol1e9) << "m = " << m;
  }
  EXPECT_NEAR(y.Integrate(1, 3, TIntegMethod::imTrapezoidal), (1 + 8) / 2.0 + (8 + 27) / 2.0, test::kTol1e12);
}

}  // namespace
}  // namespace kvl
