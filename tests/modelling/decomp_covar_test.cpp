// Covariance modes, ranks, class scatter matrices and Fisher's quotient.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e14;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// x = (1, 2, 3, 4) and y = (1, 3, 2, 6) in columns 2 and 3 of a 3-column
// matrix: means 2.5 and 3, Σdx² = 5, Σdy² = 14, Σdx·dy = 7; Σx² = 30,
// Σy² = 50, Σxy = 37; Σ(x − y)² = 6.
void XY(TMatrix& M) {
  M.Resize(3, 4);
  const double x[] = {1, 2, 3, 4}, y[] = {1, 3, 2, 6};
  for (std::int32_t r = 1; r <= 4; ++r) {
    M.SetVal(1, r, 100.0 * r);
    M.SetVal(2, r, x[r - 1]);
    M.SetVal(3, r, y[r - 1]);
  }
}

struct CovarCase {
  const char* Name;
  std::int32_t Mode;
  double xx, xy, yy;
};

void PrintTo(const CovarCase& c, std::ostream* os) { *os << c.Name; }

class DecompCalcCovarModes : public ::testing::TestWithParam<CovarCase> {};

TEST_P(DecompCalcCovarModes, GiveTheMeasureOfEachPair) {
  const CovarCase& c = GetParam();
  TMatrix D, C;
  XY(D);
  C.Resize(3, 3);
  C.SetVal(3, 3, -5.0);                              // beyond the 2 x 2 result: kept
  ASSERT_TRUE(CalcCovar(D, C, 3, 2, 0, 0, c.Mode));  // bounds are put in order
  EXPECT_NEAR(C.Elem(1, 1), c.xx, kTol1e14);
  EXPECT_NEAR(C.Elem(1, 2), c.xy, kTol1e14);
  EXPECT_EQ(C.Elem(2, 1), C.Elem(1, 2));
  EXPECT_NEAR(C.Elem(2, 2), c.yy, kTol1e14);
  EXPECT_EQ(C.Elem(3, 3), -5.0);
}

INSTANTIATE_TEST_SUITE_P(Modes, DecompCalcCovarModes,
                         ::testing::Values(CovarCase{"Scatter", 0, 10.0, 37.0 / 3, 50.0 / 3},
                                           CovarCase{"Covariance", 1, 5.0 / 3, 7.0 / 3, 14.0 / 3},
                                           CovarCase{"Correlation", 2, 1.0, 7.0 / std::sqrt(70.0), 1.0},
                                           CovarCase{"SquaredCorrelation", 3, 1.0, 0.7, 1.0},
                                           CovarCase{"SquaredDifferences", 4, 0.0, 2.0, 0.0}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(DecompCalcCovar, ConstantColumnUsesTheRootGuard) {
  // Column 1 constant: its correlations are 0 (not NaN), its forced diagonal
  // 1 in mode 2, while mode 3 squares the unforced 0/1e-38 = 0.
  TMatrix D, C;
  XY(D);
  for (std::int32_t r = 1; r <= 4; ++r) D.SetVal(1, r, 5.0);
  C.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(D, C, 0, 0, 0, 0, 2));
  EXPECT_EQ(C.Elem(1, 1), 1.0);
  EXPECT_EQ(C.Elem(1, 2), 0.0);
  ASSERT_TRUE(CalcCovar(D, C, 0, 0, 0, 0, 3));
  EXPECT_EQ(C.Elem(1, 1), 0.0);
}

TEST(DecompCalcCovar, RowRangeAndSameMatrix) {
  // Rows 2..4 of x, y: x = (2, 3, 4), y = (3, 2, 6): Σdx·dy = 3, n − 1 = 2.
  TMatrix D;
  XY(D);
  ASSERT_TRUE(CalcCovar(D, D, 2, 3, 2, 4, 1));  // the result overwrites the data
  EXPECT_NEAR(D.Elem(1, 2), 1.5, kTol1e14);
  EXPECT_NEAR(D.Elem(1, 1), 1.0, kTol1e14);
  EXPECT_EQ(D.Elem(3, 4), 6.0);  // outside the 2 x 2 block
}

TEST(DecompCalcCovar, RefusesAndLeavesCovUnchanged) {
  TMatrix D, C;
  XY(D);
  struct Row {
    const char* Name;
    std::int32_t CovSize, FirstRow, LastRow, Mode;
  };
  for (const Row& row : {Row{"CovTooSmall", 2, 0, 0, 1}, Row{"OneRow", 3, 2, 2, 1},
                         Row{"ModeBelow", 3, 0, 0, -1}, Row{"ModeAbove", 3, 0, 0, 5}}) {
    C.Resize(row.CovSize, row.CovSize);
    C.SetVal(1, 1, 42.0);
    EXPECT_FALSE(CalcCovar(D, C, 0, 0, row.FirstRow, row.LastRow, row.Mode)) << row.Name;
    EXPECT_EQ(C.Elem(1, 1), 42.0) << row.Name;
  }
}

TEST(DecompCalcCovar, ProgressPerPairAbortAndClearedFlag) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  TMatrix D, C;
  XY(D);
  C.Resize(3, 3);
  AbortMathProc = true;  // cleared first
  ASSERT_TRUE(CalcCovar(D, C, 0, 0, 0, 0, 1));
  EXPECT_EQ(ProcStat, 6.0);  // 3 columns: 6 pairs a ≤ b
  MathFeedBackProc = [](double stat) {
    if (stat >= 8) AbortMathProc = true;
  };
  EXPECT_FALSE(CalcCovar(D, C, 0, 0, 0, 0, 1));
  EXPECT_EQ(ProcStat, 8.0);
}

TEST(DecompCalcCovar, NaNStaysInItsRowAndColumn) {
  TMatrix D, C;
  XY(D);
  D.SetVal(2, 3, kNaN);
  C.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(D, C, 0, 0, 0, 0, 1));
  EXPECT_TRUE(std::isnan(C.Elem(2, 1)));
  EXPECT_TRUE(std::isnan(C.Elem(2, 3)));
  EXPECT_TRUE(std::isnan(C.Elem(2, 2)));
  EXPECT_NEAR(C.Elem(3, 3), 14.0 / 3, kTol1e14);
}

// --- CalcRanks ---------------------------------------------------------------------

TEST(DecompCalcRanks, TiesShareTheMeanRank) {
  struct Row {
    const char* Name;
    std::vector<double> x, ranks;
    double ties;
  };
  for (const Row& row : {
           Row{"Distinct", {3, 1, 2}, {3, 1, 2}, 0.0},
           // 1 twice (ranks 1, 2), 5 three times (ranks 7..9): 6 + 24
           Row{"Ties",
               {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5},
               {4.5, 1.5, 6, 1.5, 8, 11, 3, 10, 8, 4.5, 8},
               6.0 + 24.0 + 6.0},
           Row{"AllEqual", {7, 7, 7, 7}, {2.5, 2.5, 2.5, 2.5}, 60.0},
           Row{"One", {-2}, {1}, 0.0},
       }) {
    TVector x, r;
    x.Resize(static_cast<std::int32_t>(row.x.size()));
    x.CopyFrom(std::span<const double>(row.x), 0, static_cast<std::int32_t>(row.x.size() - 1), 1);
    EXPECT_EQ(CalcRanks(x, r), row.ties) << row.Name;
    EXPECT_EQ(std::vector<double>(r.Data().begin(), r.Data().end()), row.ranks) << row.Name;
  }
}

TEST(DecompCalcRanks, NaNGetsNoRankAndInPlaceWorks) {
  TVector x;
  const std::vector<double> v = {2, kNaN, 1, 2};
  x.Resize(4);
  x.CopyFrom(std::span<const double>(v), 0, 3, 1);
  EXPECT_EQ(CalcRanks(x, x), 6.0);
  EXPECT_EQ(x.Elem(1), 2.5);
  EXPECT_TRUE(std::isnan(x.Elem(2)));
  EXPECT_EQ(x.Elem(3), 1.0);
  EXPECT_EQ(x.Elem(4), 2.5);
}

// --- ClassScatterMatrices ------------------------------------------------------------

TEST(DecompClassScatter, StatisticsOfTwoClasses) {
  // Variable 1: class 1 = {1, 3}, class 2 = {4, 6, 8}; variable 2: {2, 2}, {1, 5, 3}.
  const TDouble2DArray data = {{1, 4, 3, 6, 8}, {2, 1, 2, 5, 3}};
  const TIntArray classes = {1, 2, 1, 2, 2};
  std::int32_t nc = -1;
  TIntArray sizes;
  TDouble2DArray means, vars, sb, sw;
  ASSERT_EQ(ClassScatterMatrices(data, classes, nc, sizes, means, vars, sb, sw), 0);
  EXPECT_EQ(nc, 2);
  EXPECT_EQ(sizes, (TIntArray{2, 3}));
  EXPECT_EQ(means, (TDouble2DArray{{2, 6}, {2, 3}}));
  EXPECT_EQ(vars, (TDouble2DArray{{2, 4}, {0, 4}}));
  // Sw: class deviations (−1, 1 | −2, 0, 2) and (0, 0 | −2, 2, 0).
  EXPECT_EQ(sw, (TDouble2DArray{{10, 4}, {4, 8}}));
  // Sb + Sw is the total scatter about the overall means (4.4, 2.6).
  for (std::size_t a = 0; a < 2; ++a)
    for (std::size_t b = 0; b < 2; ++b) {
      double total = 0.0;
      for (std::size_t o = 0; o < 5; ++o)
        total += (data[a][o] - (a ? 2.6 : 4.4)) * (data[b][o] - (b ? 2.6 : 4.4));
      EXPECT_NEAR(sb[a][b] + sw[a][b], total, kTol1e14) << a << b;
    }
  EXPECT_EQ(sb[0][1], sb[1][0]);
}

TEST(DecompClassScatter, StatusCodesLeaveTheOutputs) {
  struct Row {
    const char* Name;
    TDouble2DArray Data;
    TIntArray Classes;
    std::int32_t Status;
  };
  for (const Row& row :
       {Row{"ClassesTooShort", {{1, 2, 3}}, {1, 1}, -1},
        Row{"RaggedData", {{1, 2, 3}, {1, 2}}, {1, 1, 2}, -1}, Row{"NoVariables", {}, {1}, -1},
        Row{"ClassZero", {{1, 2, 3}}, {1, 0, 1}, -2}, Row{"ClassBeyondObjects", {{1, 2, 3}}, {1, 4, 1}, -2},
        Row{"Gap", {{1, 2, 3}}, {1, 3, 1}, -3}, Row{"NoClassOne", {{1, 2, 3}}, {2, 2, 2}, -3}}) {
    std::int32_t nc = -7;
    TIntArray sizes = {9};
    TDouble2DArray means = {{9}}, vars = {{9}}, sb = {{9}}, sw = {{9}};
    EXPECT_EQ(ClassScatterMatrices(row.Data, row.Classes, nc, sizes, means, vars, sb, sw), row.Status)
        << row.Name;
    EXPECT_EQ(nc, -7) << row.Name;
    EXPECT_EQ(sizes, TIntArray{9}) << row.Name;
    EXPECT_EQ(sw, TDouble2DArray{{9}}) << row.Name;
  }
}

// --- CalcFishQ ---------------------------------------------------------------------------

TEST(DecompCalcFishQ, QuotientAndFloor) {
  EXPECT_EQ(KVL_math2::CalcFishQ(1, 2, 3, 7), 16.0 / 5.0);
  EXPECT_EQ(KVL_math2::CalcFishQ(0, 0, 1, 2), 1.0 / 1e-6);  // denominator floored
  EXPECT_EQ(KVL_math2::CalcFishQ(0, 1e-3, 0, 1), 1.0 / 1e-6);
  // The statistics unit's quotient reads its arguments in another order.
  EXPECT_EQ(CalcFishQ(1, 2, 3, 7), 1.0 / 58.0);
}

}  // namespace
}  // namespace kvl
