// TMatrix statistics over rectangles, column and row preparation, Correlate.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"
#include "matrix_num_support.h"

namespace kvl {
namespace {

using test::EventLog;
using test::FillSeeded;
using test::SetColumns;

constexpr double kTol = 1e-12;

// The cells of the rectangle in column-major order, as a vector.
void RectToVector(const TMatrix& m, int lc, int lr, int hc, int hr, TVector& v) {
  std::vector<double> cells;
  for (int c = lc; c <= hc; ++c)
    for (int r = lr; r <= hr; ++r) cells.push_back(m.GetVal(c, r));
  v.Resize(static_cast<std::int32_t>(cells.size()));
  v.CopyFrom(std::span<const double>(cells), 0, 0, 1);
}

// The rectangle statistics follow the vector's rules on the same cells; the
// rectangle is given reversed and partly outside to exercise validation.
TEST(MatrixStats, RectangleStatisticsFollowTheVector) {
  TMatrix m;
  FillSeeded(m, 7, 9, 31);
  m.SAdd(1.5);  // positive cells for the geometric and harmonic means
  TVector v;
  RectToVector(m, 2, 3, 7, 8, v);
  const int lc = 7, lr = 8, hc = 2, hr = 3;
  EXPECT_NEAR(m.Sum(lc, lr, hc, hr), v.Sum(0, 0), kTol);
  double a, b, va, vb;
  m.MeanVar(lc, lr, hc, hr, a, b);
  v.MeanVar(0, 0, va, vb);
  EXPECT_EQ(a, va);
  EXPECT_EQ(b, vb);
  m.SkewKurt(lc, lr, hc, hr, a, b);
  v.SkewKurt(0, 0, va, vb);
  EXPECT_EQ(a, va);
  EXPECT_EQ(b, vb);
  m.SkewKurtSample(lc, lr, hc, hr, a, b);
  v.SkewKurtSample(0, 0, va, vb);
  EXPECT_EQ(a, va);
  EXPECT_EQ(b, vb);
  EXPECT_EQ(m.GeometricMean(lc, lr, hc, hr), v.GeometricMean(0, 0));
  EXPECT_EQ(m.HarmonicMean(lc, lr, hc, hr), v.HarmonicMean(0, 0));
  double q1, q2, q3, v1, v2, v3;
  ASSERT_TRUE(m.Quartiles(lc, lr, hc, hr, q1, q2, q3));
  v.Quartiles(0, 0, v1, v2, v3);
  EXPECT_EQ(q1, v1);
  EXPECT_EQ(q2, v2);
  EXPECT_EQ(q3, v3);
  m.MinMax(0, 0, 0, 0, a, b);
  v.Resize(63);
  RectToVector(m, 1, 1, 7, 9, v);
  v.MinMax(0, 0, va, vb);
  EXPECT_EQ(a, va);
  EXPECT_EQ(b, vb);
}

TEST(MatrixStats, MeanErrorsNameTheMatrix) {
  TMatrix m;
  m.SetName("M1");
  SetColumns(m, {{1, 0}, {-1, 2}});
  KVL_EXPECT_THROW_MSG(m.GeometricMean(0, 0, 0, 0), EKVLMatrixError,
                       "Component \"M1\": negative argument passed to GeometricMean");
  KVL_EXPECT_THROW_MSG(m.HarmonicMean(1, 1, 1, 2), EKVLMatrixError,
                       "Component \"M1\": negative or zero argument passed to HarmonicMean");
  EXPECT_EQ(m.GeometricMean(1, 1, 1, 2), 0.0);  // a zero cell
}

TEST(MatrixStats, NearestRankPercentile) {
  TMatrix m;
  SetColumns(m, {{5, 1, 9}, {3, 7, 2}});  // sorted: 1 2 3 5 7 9
  EXPECT_EQ(m.Percentile(100, 0, 0, 0, 0), 9);
  EXPECT_EQ(m.Percentile(150, 0, 0, 0, 0), 9);
  EXPECT_EQ(m.Percentile(0, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.Percentile(-3, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0), 5);   // K = round(3) = 3
  EXPECT_EQ(m.Percentile(25, 0, 0, 0, 0), 3);   // K = round(1.5) = 2 (halves to even)
  EXPECT_EQ(m.Percentile(75, 0, 0, 0, 0), 7);   // K = round(4.5) = 4
  EXPECT_EQ(m.Percentile(50, 2, 1, 2, 3), 7);   // column 2 sorted 2 3 7, K = round(1.5) = 2
  // A sample size of 0 or of all cells falls back to the full percentile.
  EXPECT_EQ(m.Percentile(75, 0, 0, 0, 0, 0), 7);
  EXPECT_EQ(m.Percentile(75, 0, 0, 0, 0, 6), 7);
}

TEST(MatrixStats, SampledPercentile) {
  TMatrix m;
  FillSeeded(m, 50, 40, 32);
  // Half the cells negative, none zero: a sample percentile lies in the range.
  const double p = m.Percentile(30, 0, 0, 0, 0, 500);
  double lo, hi;
  m.MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_GE(p, lo);
  EXPECT_LE(p, hi);
  // Mostly zeros with a few negatives: p between the negative and the
  // non-positive fractions gives exactly 0.
  TMatrix z;
  z.Resize(40, 50);
  z.SetVal(1, 1, -1.0);
  z.SetVal(2, 2, 5.0);
  EXPECT_EQ(z.Percentile(50, 0, 0, 0, 0, 100), 0.0);
}

TEST(MatrixStats, HistogramOverTheRectangle) {
  TMatrix m;
  SetColumns(m, {{0.5, 1.5, 2.5}, {-1, 9, 1.2}});
  TIntArray h;
  std::int32_t under = -1, over = -1, maxCnt = -1;
  ASSERT_TRUE(m.Histogram(0, 0, 0, 0, 0.0, 2.0, 1.0, h, under, over, maxCnt));
  ASSERT_EQ(h.size(), 3u);
  EXPECT_EQ(h, (TIntArray{1, 2, 1}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);
  EXPECT_EQ(maxCnt, 2);
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0.0, 600.0, 1.0, h, under, over, maxCnt));  // 601 bins
  EXPECT_EQ(h.size(), 3u);
  TIntVector hv;
  ASSERT_TRUE(m.Histogram(1, 1, 1, 3, 0.0, 2.0, 1.0, &hv, under, over, maxCnt));  // column 1 only
  ASSERT_EQ(hv.NrOfElem(), 3);
  EXPECT_EQ(hv.GetVal(1), 1);
  EXPECT_EQ(hv.GetVal(3), 1);
  EXPECT_EQ(over, 0);
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0.0, 2.0, 1.0, nullptr, under, over, maxCnt));
}

TEST(MatrixStats, Correlate) {
  TMatrix a, b;
  SetColumns(a, {{1, 2}, {3, 4}});
  SetColumns(b, {{2, 4}, {6, 8}});
  EXPECT_NEAR(a.Correlate(&b), 1.0, kTol);
  b.SMult(-1);
  EXPECT_NEAR(a.Correlate(&b), -1.0, kTol);
  TMatrix small1, small2;
  small1.Resize(2, 1);
  small2.Resize(2, 1);
  EXPECT_EQ(small1.Correlate(&small2), 0.0);  // n < 3
  a.SetName("A");
  b.Resize(2, 3);
  KVL_EXPECT_THROW_MSG(a.Correlate(&b), EKVLMatrixError, "Component \"A\": matrices do not match");
}

TEST(MatrixPrep, MeansCentringAndStandardising) {
  TMatrix m;
  SetColumns(m, {{1, 2, 3, 6}, {10, 10, 10, 10}});  // 2 columns, 4 rows
  TVector means, sds;
  m.MeanVec(TDims::dimColumns, &means);
  ASSERT_EQ(means.NrOfElem(), 2);
  EXPECT_EQ(means.GetVal(1), 3);
  m.MeanVec(TDims::dimRows, &means);
  ASSERT_EQ(means.NrOfElem(), 4);
  EXPECT_EQ(means.GetVal(4), 8);
  TMatrix c;
  c.Assign(&m);
  c.MeanCenterRows(nullptr);  // null outputs are allowed
  EXPECT_EQ(c.GetVal(1, 1), -4.5);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.StandardizeColumns(&means, &sds);
  EXPECT_EQ(log.Events.size(), 1u);
  EXPECT_NEAR(sds.GetVal(1), std::sqrt(14.0 / 3), kTol);  // deviations -2 -1 0 3
  EXPECT_EQ(sds.GetVal(2), 0);
  EXPECT_NEAR(m.GetVal(1, 4), 3 / std::sqrt(14.0 / 3), kTol);
  EXPECT_EQ(m.GetVal(2, 4), 10);  // a constant column stays
  m.MeanCenterColumns(&means);
  EXPECT_NEAR(m.GetVal(2, 1), 0.0, kTol);
}

TEST(MatrixPrep, QuantileNormalisation) {
  TMatrix m;
  SetColumns(m, {{4, 1, 3, 2, 5}, {7, 7, 7, 7, 7}});
  TVector med, qd;
  m.QNormalizeColumns(100, &med, &qd);
  EXPECT_EQ(med.GetVal(1), 3);  // K = round(2.5) = 2
  EXPECT_EQ(qd.GetVal(1), 2);   // |3 - 5|
  EXPECT_EQ(m.GetVal(1, 1), 0.5);
  EXPECT_EQ(qd.GetVal(2), 0);
  EXPECT_EQ(m.GetVal(2, 3), 7);
  TMatrix r;
  SetColumns(r, {{1}, {2}, {3}});
  r.QNormalizeRows(0, &med, &qd);
  EXPECT_EQ(med.GetVal(1), 3);  // K = round(1.5) = 2 of 1 2 3
  EXPECT_EQ(qd.GetVal(1), 2);
  EXPECT_EQ(r.GetVal(1, 1), -1);
}

}  // namespace
}  // namespace kvl
