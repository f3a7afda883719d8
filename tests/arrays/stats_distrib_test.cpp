#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"

namespace kvl {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PercentileArrayTest, NearestRankWithHalvesToEven) {
  struct Case {
    double Pct;
    TDoubleArray Data;
    double Expected;
  };
  const Case cases[] = {
      {50, {4, 1, 3, 2}, 3},     // k = round(2) = 2
      {50, {5, 3, 1, 4, 2}, 3},  // k = round(2.5) = 2
      {30, {5, 3, 1, 4, 2}, 3},  // k = round(1.5) = 2
      {10, {5, 3, 1, 4, 2}, 1},  // k = round(0.5) = 0
      {150, {2, 9, 4}, 9},       // clipped to 100, k limited to n - 1
      {-5, {2, 9, 4}, 2},        // clipped to 0
      {100, {7}, 7},
      {50, {}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentileArray(c.Pct, c.Data), c.Expected) << c.Pct;
  EXPECT_TRUE(std::isnan(PercentileArray(kNaN, TDoubleArray{1, 2})));
}

TEST(PercentileArrayTest, RangesAreClippedAndOrderedAndTheDataKeepItsOrder) {
  const TDoubleArray a = {9, 1, 8, 2, 7, 3};
  const TDoubleArray before = a;
  EXPECT_EQ(PercentileArray(0, a, 1, 3), 1.0);
  EXPECT_EQ(PercentileArray(100, a, 3, 1), 8.0);    // swapped
  EXPECT_EQ(PercentileArray(100, a, -4, 99), 9.0);  // clipped to 0..5
  EXPECT_EQ(PercentileArray(50, a, 5, 5), 3.0);
  EXPECT_EQ(a, before);
  EXPECT_EQ(PercentileArray(50, TIntArray{40, 10, 30, 20}), 30.0);
  const TDouble2DArray m = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  EXPECT_EQ(PercentileArray(100, m, 0, 0, 1, 1), 5.0);  // cells 1 2 4 5
  EXPECT_EQ(PercentileArray(0, m, 2, 2, 1, 1), 5.0);    // cells 5 6 8 9
  EXPECT_EQ(PercentileArray(50, m, 0, 0, 9, 9), 5.0);   // clipped to the whole array
  EXPECT_EQ(PercentileArray(50, TDouble2DArray(2), 0, 0, 1, 1), 0.0);
}

TEST(PercentileArrayTest, NaNElementsDoNotBreakTheSelection) {
  // Whatever NaN does to the order, the result is one of the elements and the
  // selection stays inside the copy (the sanitizer build checks the latter).
  const TDoubleArray a = {kNaN, 3, kNaN, 1, 2, kNaN, 5};
  for (double pct : {0.0, 25.0, 50.0, 75.0, 100.0}) {
    const double p = PercentileArray(pct, a);
    EXPECT_TRUE(std::isnan(p) || p == 1 || p == 2 || p == 3 || p == 5) << pct;
  }
}

struct FreqResult {
  std::int32_t Status;
  TIntArray Freq;
  std::int32_t Below, Above, MaxCount;
};

FreqResult Freq1D(const TDoubleArray& d, std::int32_t first, std::int32_t last, double low, double high,
                  double width) {
  FreqResult r{1, {99}, 9, 9, 9};
  r.Status = FrequDistOfArray(d, first, last, low, high, width, r.Freq, r.Below, r.Above, r.MaxCount);
  return r;
}

TEST(FrequDistOfArrayTest, BinsBelowAndAbove) {
  // 11 bins of width 1 from 0; 10.5 falls in bin 10, 11 is above, -0.5 below.
  const TDoubleArray d = {0, 0.5, 3, 3.2, 3.9, 10, 10.5, 11, -0.5, 2};
  const FreqResult r = Freq1D(d, 0, 0, 0, 10, 1);
  ASSERT_EQ(r.Status, 0);
  EXPECT_EQ(r.Freq, (TIntArray{2, 0, 1, 3, 0, 0, 0, 0, 0, 0, 2}));
  EXPECT_EQ(r.Below, 1);
  EXPECT_EQ(r.Above, 1);
  EXPECT_EQ(r.MaxCount, 3);
  const FreqResult part = Freq1D(d, 2, 4, 0, 10, 1);  // 3, 3.2, 3.9
  EXPECT_EQ(part.Freq[3], 3);
  EXPECT_EQ(part.Below + part.Above, 0);
}

TEST(FrequDistOfArrayTest, ValuesPastTheLastBinCountAbove) {
  // (10.3 - 0) / 1 rounds to 10: 11 bins cover [0, 11); 11.1 is past the last
  // bin although below High + Width = 11.3, and counts above.
  const FreqResult r = Freq1D({10.9, 11.1, 11.3, kNaN}, 0, 0, 0, 10.3, 1);
  ASSERT_EQ(r.Status, 0);
  EXPECT_EQ(r.Freq.size(), 11u);
  EXPECT_EQ(r.Freq[10], 1);
  EXPECT_EQ(r.Above, 2);
  EXPECT_EQ(r.Below, 0);  // NaN counts nowhere
}

TEST(FrequDistOfArrayTest, StatusCodesInTheirOrder) {
  const TDoubleArray d = {1, 2, 3};
  struct Case {
    const char* Name;
    std::int32_t First, Last;
    double Low, High, Width;
    std::int32_t Status;
  };
  const Case cases[] = {
      {"negative first", -1, 2, 0, 1, 1, -1},  {"last beyond", 0, 3, 0, 1, 1, -1},
      {"last below first", 2, 1, 0, 1, 1, -2}, {"low equals high", 0, 2, 1, 1, 1, -3},
      {"NaN low", 0, 2, kNaN, 1, 1, -3},       {"zero width", 0, 2, 0, 1, 0, -4},
      {"NaN width", 0, 2, 0, 1, kNaN, -4},     {"1001 bins", 0, 2, 0, 100, 0.1, -5},
      {"10001 bins", 0, 2, 0, 100, 0.01, -5},  {"infinite span", 0, 2, 0, INFINITY, 1, -5},
      {"1000 bins", 0, 2, 0, 99.9, 0.1, 0},
  };
  for (const Case& c : cases) {
    const FreqResult r = Freq1D(d, c.First, c.Last, c.Low, c.High, c.Width);
    EXPECT_EQ(r.Status, c.Status) << c.Name;
    if (c.Status != 0) {
      EXPECT_TRUE(r.Freq.empty()) << c.Name;
      EXPECT_EQ(r.Below + r.Above + r.MaxCount, 0) << c.Name;
    }
  }
  EXPECT_EQ(Freq1D({}, 0, 0, 0, 1, 1).Status, -1);
}

TEST(FrequDistOfArrayTest, TwoDimensionalAndMasked) {
  const TDouble2DArray d = {{0.5, 1.5, 2.5}, {1.2, 1.7, 5.0}};
  TIntArray freq;
  std::int32_t below, above, maxCount;
  EXPECT_EQ(FrequDistOfArray(d, 0, 0, 0, 0, 0, 3, 1, freq, below, above, maxCount), 0);  // whole array
  EXPECT_EQ(freq, (TIntArray{1, 3, 1, 0}));
  EXPECT_EQ(above, 1);
  EXPECT_EQ(maxCount, 3);
  EXPECT_EQ(FrequDistOfArray(d, 1, 0, 1, 1, 0, 3, 1, freq, below, above, maxCount),
            0);  // column 1, rows 0..1
  EXPECT_EQ(freq, (TIntArray{0, 2, 0, 0}));
  EXPECT_EQ(FrequDistOfArray(d, 0, 0, 1, 3, 0, 3, 1, freq, below, above, maxCount), -1);
  EXPECT_EQ(FrequDistOfArray(d, 1, 0, 0, 2, 0, 3, 1, freq, below, above, maxCount), -2);

  const TBool2DArray mask = {{false, true, false}, {true, false, false}};
  EXPECT_EQ(FrequDistOfArray(d, mask, 0, 0, 0, 0, 0, 3, 1, freq, below, above, maxCount), 0);
  EXPECT_EQ(freq, (TIntArray{1, 1, 1, 0}));  // 1.5 and 1.2 skipped
  EXPECT_EQ(maxCount, 1);
  const TBool2DArray shortMask = {{false, false}, {false, false}};
  EXPECT_EQ(FrequDistOfArray(d, shortMask, 0, 0, 0, 0, 0, 3, 1, freq, below, above, maxCount), -6);
  EXPECT_EQ(FrequDistOfArray(d, TBool2DArray{}, 0, 0, 0, 0, 0, 3, 1, freq, below, above, maxCount), -6);
  EXPECT_EQ(FrequDistOfArray(d, shortMask, 0, 0, 0, 0, 3, 0, 1, freq, below, above, maxCount), -3);  // first
}

TEST(CountValuesTest, InclusiveLimitsAndStatus) {
  const TDoubleArray d = {1, 2, 2.5, 3, 4, kNaN};
  EXPECT_EQ(CountValues(d, 0, 5, 2, 3), 3);  // 2, 2.5 and 3; NaN is in no range
  EXPECT_EQ(CountValues(d, 2, 2, 2, 3), 1);
  EXPECT_EQ(CountValues(d, 0, 5, 3, 2), -2);
  EXPECT_EQ(CountValues(d, 0, 6, 2, 3), -2);
  EXPECT_EQ(CountValues(d, 3, 2, 2, 3), -2);
  EXPECT_EQ(CountValues(TDoubleArray{}, 0, 0, 2, 3), -1);
  const TInt2DArray m = {{1, 5, 9}, {5, 5, 0}};
  EXPECT_EQ(CountValues(m, 0, 0, 1, 2, 5, 5), 3);
  EXPECT_EQ(CountValues(m, 1, 1, 1, 2, 0, 5), 2);
  const TInt4DArray q(2, TInt3DArray(2, TInt2DArray(2, TIntArray{7, 8})));
  EXPECT_EQ(CountValues(q, 0, 0, 0, 0, 1, 1, 1, 1, 8, 100), 8);
  EXPECT_EQ(CountValues(TDouble3DArray(2, TDouble2DArray(1)), 0, 0, 0, 1, 0, 0, 0.0, 1.0), -1);
}

TEST(LocalMeanMedianTest, WindowClippedToTheLimits) {
  const TDoubleArray d = {10, 1, 2, 30, 4, 5};
  struct Case {
    std::int32_t Center, Half, Low, High;
    double Mean, Median;
  };
  const Case cases[] = {
      {2, 1, 0, 5, (1 + 2 + 30) / 3.0, 2},  // 1, 2, 30
      {2, 2, 0, 5, 47 / 5.0, 4},            // 10, 1, 2, 30, 4
      {2, 2, 2, 3, 16, 16},                 // limits keep 2 and 30: even count
      {0, 1, 0, 5, 5.5, 5.5},               // the left neighbour does not exist
      {9, 1, -3, 99, 4.5, 4.5},             // centre clipped to 5: 4 and 5
      {3, 0, 0, 0, 30, 30},                 // the centre always counts
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(LocalMean(d, c.Center, c.Half, c.Low, c.High), c.Mean) << c.Center << "/" << c.Half;
    EXPECT_DOUBLE_EQ(LocalMedian(d, c.Center, c.Half, c.Low, c.High), c.Median) << c.Center << "/" << c.Half;
  }
  EXPECT_EQ(LocalMean(TDoubleArray{}, 0, 1, 0, 0), 0.0);
  EXPECT_EQ(LocalMedian(TIntArray{}, 0, 1, 0, 0), 0.0);
  EXPECT_EQ(LocalMedian(TIntArray{7, 1, 4}, 1, 1, 0, 2), 4.0);
  EXPECT_DOUBLE_EQ(LocalMean(TIntArray{7, 1, 4}, 1, 1, 0, 2), 4.0);
}

}  // namespace
}  // namespace kvl
