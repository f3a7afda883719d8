// TMatrix fills, searching, counting, sorting, resampling and the checksum.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"
#include "matrix_test_helpers.h"

namespace kvl {
namespace {

using namespace test;  // NOLINT: the shared matrix test helpers

// --- fills ----------------------------------------------------------------------------------------

TEST(MatrixFill, RectangleIsValidatedAndFiresOnce) {
  TMatrix m;
  m.Resize(3, 3);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.Fill(9, 2, 3, 0, 7);  // columns 3..2 clamped to 2..3; rows 0..3 from 1
  EXPECT_EQ(RowsOf(m), (Table{{0, 7, 7}, {0, 7, 7}, {0, 7, 7}}));
  m.Fill(1, 1, 2, 2, 5);
  EXPECT_EQ(m.GetVal(1, 2), 5);
  EXPECT_EQ(log.Events, (Events{"change", "change"}));
  m.Fill(-1.5);
  EXPECT_EQ(RowsOf(m), (Table(3, {-1.5, -1.5, -1.5})));
}

TEST(MatrixFill, DiagonalOfANonSquareMatrix) {
  TMatrix m;
  m.Resize(4, 2);
  m.Fill(3);
  m.FillDiag(1);
  EXPECT_EQ(RowsOf(m), (Table{{1, 3, 3, 3}, {3, 1, 3, 3}}));
}

TEST(MatrixFill, SerialNumbersColumnMajorWithoutEvent) {
  TMatrix m;
  m.Resize(2, 3);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.FillSerial(1, 0.5);
  EXPECT_TRUE(log.Events.empty());
  EXPECT_EQ(RowsOf(m), (Table{{1, 2.5}, {1.5, 3}, {2, 3.5}}));
}

TEST(MatrixFill, RandomFillsStayInRangeAndRepeatWithTheSeed) {
  TMatrix a, b;
  a.Resize(50, 40);
  b.Resize(50, 40);
  RandSeed = 7;
  a.FillRandomUniform(-2, 3);
  RandSeed = 7;
  b.FillRandomUniform(-2, 3);
  EXPECT_EQ(a.CRCofData(), b.CRCofData());
  const auto [lo, hi] = std::ranges::minmax(a.Data());
  EXPECT_GE(lo, -2);
  EXPECT_LT(hi, 3);

  // Only the rectangle changes.
  a.Fill(0);
  a.FillRandomUniform(2, 3, 5, 6, 10, 11);
  for (std::int32_t c = 1; c <= 50; ++c)
    for (std::int32_t r = 1; r <= 40; ++r) {
      const bool inside = c >= 2 && c <= 3 && r >= 5 && r <= 6;
      EXPECT_EQ(a.GetVal(c, r) >= 10, inside);
    }
}

TEST(MatrixFill, GaussFillHasTheRequestedMoments) {
  TMatrix m;
  m.Resize(100, 100);
  RandSeed = 11;
  m.FillRandomGauss(5, 2);
  double s = 0, s2 = 0;
  for (double x : m.Data()) {
    s += x;
    s2 += x * x;
  }
  const double n = 10000, mean = s / n, sd = std::sqrt((s2 - s * s / n) / (n - 1));
  // 10000 draws: the standard error of the mean is 0.02, of the sd about 0.014.
  constexpr double kMeanTol = 0.1, kSdTol = 0.08;
  EXPECT_NEAR(mean, 5, kMeanTol);
  EXPECT_NEAR(sd, 2, kSdTol);
  m.Fill(0);
  m.FillRandomGauss(1, 1, 1, 1, 100, 0);
  EXPECT_EQ(m.GetVal(1, 1), 100);
  EXPECT_EQ(m.GetVal(2, 1), 0);
}

// --- searching and counting ----------------------------------------------------------------------

TEST(MatrixSearch, FindTakesTheFirstStrictlyNearestColumnByColumn) {
  TMatrix m;
  SetRows(m, {{1, 4, 9}, {6, 4.5, 2}});
  std::int32_t c = -1, r = -1;
  m.Find(0, 0, 0, 0, 5.25, c, r);  // 6 at (1, 2) and 4.5 at (2, 2) tie: the first stays
  EXPECT_EQ(std::tie(c, r), std::make_tuple(1, 2));
  m.Find(2, 3, 0, 0, 5.25, c, r);
  EXPECT_EQ(std::tie(c, r), std::make_tuple(2, 2));
  m.Find(3, 3, 1, 1, -100, c, r);
  EXPECT_EQ(std::tie(c, r), std::make_tuple(3, 1));
  m.Fill(std::nan(""));
  m.Find(0, 0, 0, 0, 1, c, r);  // nothing is nearer than the largest Double
  EXPECT_EQ(std::tie(c, r), std::make_tuple(0, 0));
}

struct SortedCase {
  std::vector<double> Column;
  bool Ascending;
  double Value;
  std::int32_t Want;
};

class MatrixFindInSorted : public testing::TestWithParam<SortedCase> {};

TEST_P(MatrixFindInSorted, BinarySearchOfOneColumn) {
  const SortedCase& k = GetParam();
  TMatrix m;
  m.Resize(2, static_cast<std::int32_t>(k.Column.size()));
  for (std::size_t i = 0; i < k.Column.size(); ++i)
    m.SetVal(2, static_cast<std::int32_t>(i + 1), k.Column[i]);
  EXPECT_EQ(m.FindInSortedColumn(2, k.Ascending, k.Value), k.Want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixFindInSorted,
    testing::Values(SortedCase{{1, 3, 5, 7, 9}, true, 7, 4}, SortedCase{{1, 3, 5, 7, 9}, true, 6.1, 4},
                    SortedCase{{1, 3, 5, 7, 9}, true, -5, 1}, SortedCase{{1, 3, 5, 7, 9}, true, 50, 5},
                    SortedCase{{9, 7, 5, 3, 1}, false, 3, 4}, SortedCase{{9, 7, 5, 3, 1}, false, 8.5, 1},
                    SortedCase{{1, 2}, true, 1.5, 2},  // a tie goes to the upper one
                    SortedCase{{4}, true, 0, 1}),
    [](const auto& info) {
      const SortedCase& c = info.param;
      return test::CaseName(c.Ascending ? "Ascending" : "Descending", c.Column.size(), "Find", c.Value);
    });

TEST(MatrixSearch, FindInSortedColumnOutsideGivesZero) {
  TMatrix m;
  EXPECT_EQ(m.FindInSortedColumn(2, true, 0), 0);
  EXPECT_EQ(m.FindInSortedColumn(0, true, 0), 0);
}

TEST(MatrixSearch, CountValuesIncludesBothLimits) {
  TMatrix m;
  SetRows(m, {{1, 2, 3}, {4, 5, 6}});
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 2, 5), 4);
  EXPECT_EQ(m.CountValues(3, 3, 0, 0, 2, 5), 1);
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 5, 2), 0);
}

TEST(MatrixSearch, DichotomizeIsStrictlyAbove) {
  TMatrix m;
  SetRows(m, {{1, 2, 3}, {4, 5, 6}});
  TBool2DArray flags;
  EXPECT_EQ(m.Dichotomize(3, flags), 3);
  EXPECT_EQ(flags, (TBool2DArray{{false, true}, {false, true}, {false, true}}));
}

// --- sorting --------------------------------------------------------------------------------------

using Exchange = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

std::vector<Exchange>* Record(TMatrix& m, std::vector<Exchange>& log) {
  m.OnSortExchange = [&log](TObject*, std::int32_t what, std::int32_t i, std::int32_t j, std::int32_t lo,
                            std::int32_t hi) { log.emplace_back(what, i, j, lo, hi); };
  return &log;
}

TEST(MatrixSort, RowsByKeyWithTheCombSortGapSequence) {
  TMatrix m;
  SetRows(m, {{4, 40}, {3, 30}, {2, 20}, {1, 10}});
  std::vector<Exchange> ex;
  Record(m, ex);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(RowsOf(m), (Table{{1, 10}, {2, 20}, {3, 30}, {4, 40}}));
  // Gap 3 / 1.3 = 2 first, then 1.
  EXPECT_EQ(ex, (std::vector<Exchange>{{2, 1, 3, 1, 2}, {2, 2, 4, 1, 2}, {2, 1, 2, 1, 2}, {2, 3, 4, 1, 2}}));
  EXPECT_EQ(log.Events, Events{"change"});
}

TEST(MatrixSort, KeyOutsideTheColumnRangeMovesWithItsRow) {
  TMatrix m;
  SetRows(m, {{3, 30, 300}, {1, 10, 100}, {2, 20, 200}});
  std::vector<Exchange> ex;
  Record(m, ex);
  m.SortRows(1, false, 2, 0, 2, 0);  // only column 2 and the key move
  EXPECT_EQ(RowsOf(m), (Table{{3, 30, 300}, {2, 20, 100}, {1, 10, 200}}));
  ASSERT_FALSE(ex.empty());
  EXPECT_EQ(std::get<3>(ex[0]), 2);
  EXPECT_EQ(std::get<4>(ex[0]), 2);
}

TEST(MatrixSort, ColumnsByKeyRowOverARowStretch) {
  TMatrix m;
  SetRows(m, {{3, 1, 2}, {30, 10, 20}, {300, 100, 200}});
  std::vector<Exchange> ex;
  Record(m, ex);
  m.SortCols(1, true, 0, 1, 0, 2);
  EXPECT_EQ(RowsOf(m), (Table{{1, 2, 3}, {10, 20, 30}, {300, 100, 200}}));
  EXPECT_EQ(ex, (std::vector<Exchange>{{1, 1, 2, 1, 2}, {1, 2, 3, 1, 2}}));
  m.SortCols(3, false, 0, 1, 0, 1);  // key row 3 outside rows 1..1: key cells move too
  EXPECT_EQ(RowsOf(m), (Table{{1, 3, 2}, {10, 20, 30}, {300, 200, 100}}));
}

TEST(MatrixSort, ShortRangesEqualKeysAndBadKeys) {
  TMatrix m;
  SetRows(m, {{2, 1}, {2, 2}, {2, 3}});
  std::vector<Exchange> ex;
  Record(m, ex);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.SortRows(1, true, 0, 2, 0, 2);  // one row: returns at once
  EXPECT_TRUE(log.Events.empty());
  m.SortRows(1, true, 0, 0, 0, 0);  // equal keys never move
  m.SortRows(5, true, 0, 0, 0, 0);  // a key outside the matrix reads as zeros
  EXPECT_TRUE(ex.empty());
  EXPECT_EQ(RowsOf(m), (Table{{2, 1}, {2, 2}, {2, 3}}));
  EXPECT_EQ(log.Events, (Events{"change", "change"}));
}

TEST(MatrixSort, LargeRandomSortIsOrderedAndKeepsRowsTogether) {
  TMatrix m;
  m.Resize(3, 500);
  RandSeed = 5;
  m.FillRandomUniform(0, 1);
  for (std::int32_t r = 1; r <= 500; ++r) m.SetVal(3, r, m.GetVal(2, r) * 2);
  m.SortRows(2, false, 0, 0, 0, 0);
  for (std::int32_t r = 1; r <= 500; ++r) {
    if (r > 1) {
      EXPECT_GE(m.GetVal(2, r - 1), m.GetVal(2, r));
    }
    EXPECT_EQ(m.GetVal(3, r), m.GetVal(2, r) * 2);
  }
}

// --- resampling -----------------------------------------------------------------------------------

TEST(MatrixResample, StatusCodes) {
  TMatrix src, dst;
  src.Resize(10, 20);
  TIntArray ci(1), ri(1), unallocated;  // an empty index array is a null one
  EXPECT_EQ(dst.ResampleExtMat(nullptr, 50, 50, false, ci, ri), -3);
  EXPECT_EQ(dst.ResampleExtMat(&src, 50, 50, false, unallocated, ri), -5);
  EXPECT_EQ(dst.ResampleExtMat(&src, 50, 50, false, ci, unallocated), -5);
  EXPECT_EQ(dst.ResampleExtMat(&src, 101, 50, false, ci, ri), -1);
  EXPECT_EQ(dst.ResampleExtMat(&src, 4, 50, false, ci, ri), -1);  // round(0.4) = 0 columns
  EXPECT_EQ(dst.ResampleExtMat(&src, 50, 2, false, ci, ri), -2);
  EXPECT_EQ(dst.ResampleExtMat(&src, 0, 0, false, ci, ri), -2);  // rows checked last
  EXPECT_EQ(dst.ResampleExtMat(&src, std::nan(""), 50, false, ci, ri), -1);
  EXPECT_EQ(dst.NrOfColumns(), 1);
}

TEST(MatrixResample, AllColumnsInOrderAndRowsDrawnAsAsked) {
  TMatrix src, dst;
  src.Resize(4, 30);
  for (std::int32_t c = 1; c <= 4; ++c)
    for (std::int32_t r = 1; r <= 30; ++r) src.SetVal(c, r, 100 * c + r);
  TIntArray ci(1), ri(1);
  EventLog log;
  dst.OnChange = log.Recorder("change");
  dst.OnResize = log.Recorder("resize");
  ASSERT_EQ(dst.ResampleExtMat(&src, 100, 50, false, ci, ri), 0);
  EXPECT_EQ(ci, (TIntArray{1, 2, 3, 4}));
  ASSERT_EQ(ri.size(), 15u);
  EXPECT_EQ(std::set<std::int32_t>(ri.begin(), ri.end()).size(), 15u);  // distinct
  EXPECT_EQ(log.Events, (Events{"change", "resize", "change", "resize"}));
  for (std::int32_t i = 1; i <= 4; ++i)
    for (std::int32_t j = 1; j <= 15; ++j) EXPECT_EQ(dst.GetVal(i, j), 100 * ci[i - 1] + ri[j - 1]);

  ASSERT_EQ(dst.ResampleExtMat(&src, 50, 100, true, ci, ri), 0);
  ASSERT_EQ(ci.size(), 2u);
  EXPECT_NE(ci[0], ci[1]);
  ASSERT_EQ(ri.size(), 30u);
  for (std::int32_t r : ri) EXPECT_TRUE(r >= 1 && r <= 30);
  EXPECT_EQ(dst.NrOfColumns(), 2);
  EXPECT_EQ(dst.GetVal(2, 30), 100 * ci[1] + ri[29]);
}

TEST(MatrixResample, FromItself) {
  TMatrix m;
  m.Resize(3, 3);
  m.FillSerial(1, 1);
  TIntArray ci(1), ri(1);
  ASSERT_EQ(m.ResampleExtMat(&m, 100, 100, false, ci, ri), 0);
  // All rows, distinct: a permutation of the rows of the old matrix.
  for (std::int32_t j = 1; j <= 3; ++j)
    for (std::int32_t i = 1; i <= 3; ++i) EXPECT_EQ(m.GetVal(i, j), 3 * (i - 1) + ri[j - 1]);
}

// --- checksum -------------------------------------------------------------------------------------

TEST(MatrixChecksum, OneCrcPerBytePosition) {
  TMatrix m;
  // Every byte of the single cell 0.0 is 0: each lane is the CRC-32 of one zero byte.
  std::string want;
  for (int k = 0; k < 8; ++k) want += "D202EF8D";
  EXPECT_EQ(m.CRCofData(), want);

  m.Resize(2, 2);
  m.FillSerial(-1.25, 3.5);
  std::string lanes;
  for (int b = 0; b < 8; ++b) {
    std::vector<std::uint8_t> lane;
    for (double x : m.Data()) {
      std::uint8_t bytes[8];
      std::memcpy(bytes, &x, 8);
      lane.push_back(bytes[b]);
    }
    lanes += Hex(static_cast<std::int32_t>(CalcCRC32(lane.data(), lane.size())), 8);
  }
  EXPECT_EQ(m.CRCofData(), lanes);
  EXPECT_EQ(m.CRCofData().size(), 64u);
}

}  // namespace
}  // namespace kvl
