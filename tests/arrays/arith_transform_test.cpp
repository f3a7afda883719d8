#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol16Eps;

TEST(NormalizeTest, ZeroColumnIsKeptAndReported) {
  TDouble2DArray a = {{3, 4}, {0, 0}, {1, 0}};
  EXPECT_EQ(NormalizeColumns(a), -1);
  EXPECT_NEAR(a[0][0], 0.6, kTol16Eps);
  EXPECT_NEAR(a[0][1], 0.8, kTol16Eps);
  EXPECT_EQ(a[1], (TDoubleArray{0, 0}));
  EXPECT_EQ(a[2], (TDoubleArray{1, 0}));
  TDouble2DArray e;
  EXPECT_EQ(NormalizeColumns(e), 0);
}

TEST(NormalizeTest, RowsUseTheInnerIndex) {
  TDouble2DArray a = {{3, 0}, {4, 2}};  // row 0 = (3, 4), row 1 = (0, 2)
  EXPECT_EQ(NormalizeRows(a), 0);
  EXPECT_NEAR(a[0][0], 0.6, kTol16Eps);
  EXPECT_NEAR(a[1][0], 0.8, kTol16Eps);
  EXPECT_EQ(a[0][1], 0.0);
  EXPECT_EQ(a[1][1], 1.0);
  TDouble2DArray z = {{0, 1}, {0, 1}};
  EXPECT_EQ(NormalizeRows(z), -1);
  EXPECT_NEAR(z[0][1], std::sqrt(0.5), kTol16Eps);
}

TEST(CenterTest, MeansOnlyWhenAnArrayIsGiven) {
  TDouble2DArray a = {{1, 2, 3}, {10, 20, 60}};
  TDoubleArray means(1);  // allocated: resized to the columns and filled
  ASSERT_EQ(MeanCenterColumnsOfArray(a, means), 0);
  EXPECT_EQ(a, (TDouble2DArray{{-1, 0, 1}, {-20, -10, 30}}));
  EXPECT_EQ(means, (TDoubleArray{2, 30}));
  TDouble2DArray b = {{1, 2}, {3, 6}};
  ASSERT_EQ(MeanCenterRowsOfArray(b), 0);  // no means wanted
  EXPECT_EQ(b, (TDouble2DArray{{-1, -2}, {1, 2}}));
  ASSERT_EQ(MeanCenterRowsOfArray(b, means), 0);
  EXPECT_EQ(means, (TDoubleArray{0, 0}));
  TDouble2DArray e;
  EXPECT_EQ(MeanCenterColumnsOfArray(e, means), -1);
  EXPECT_EQ(means.size(), 2u);
  TDoubleArray unallocated;  // a null array stays null
  TDouble2DArray c = {{1, 3}};
  ASSERT_EQ(MeanCenterColumnsOfArray(c, unallocated), 0);
  EXPECT_TRUE(unallocated.empty());
  EXPECT_EQ(c, (TDouble2DArray{{-1, 1}}));
}

TEST(DichotomizeTest, ThresholdMembers) {
  const TDouble2DArray a = {{1, 2.5}, {4, 5}};
  TBool2DArray m;
  ASSERT_EQ(DichotomizeArray(a, 4.0, 2.5, m), 0);  // thresholds put in order
  EXPECT_EQ(m, (TBool2DArray{{false, true}, {true, false}}));
  ASSERT_EQ(DichotomizeArray(a, 4.0, m), 0);
  EXPECT_EQ(m, (TBool2DArray{{false, false}, {true, true}}));
  TBoolArray v;
  ASSERT_EQ(DichotomizeArray(TIntArray{-3, 0, 7}, 0, v), 0);
  EXPECT_EQ(v, (TBoolArray{false, true, true}));
  ASSERT_EQ(DichotomizeArray(TIntArray{-3, 0, 7}, -3, -1, v), 0);
  EXPECT_EQ(v, (TBoolArray{true, false, false}));
  EXPECT_EQ(DichotomizeArray(TDoubleArray{}, 1.0, v), -1);
  EXPECT_EQ(v.size(), 3u);
}

TEST(DiscretizeTest, LevelsAndTails) {
  TDouble2DArray a = {{-1, 0, 5, 9.99, 10, 12}};
  ASSERT_EQ(DiscretizeArray(a, 3, 0, 10, 0, 1), 0);
  EXPECT_EQ(a, (TDouble2DArray{{0, 0, 0.5, 0.5, 1, 1}}));
  TDouble2DArray b = {{0.5, 2.5, 5.5, 7.5}};
  ASSERT_EQ(DiscretizeArray(b, 6, 0, 8, 0, 10), 0);  // inner steps of 2 onto levels 2, 4, 6, 8
  EXPECT_EQ(b, (TDouble2DArray{{2, 4, 6, 8}}));
  TDouble2DArray c = {{1}};
  EXPECT_EQ(DiscretizeArray(c, 2, 5, 5, 0, 1), -2);  // tested before NLevels
  EXPECT_EQ(DiscretizeArray(c, 2, 0, 5, 0, 1), -1);
  EXPECT_EQ(c, (TDouble2DArray{{1}}));
}

TEST(LinearityTest, BreaksWhereTheStepChanges) {
  TIntArray breaks = {99};
  EXPECT_EQ(CheckLinearity(TDoubleArray{0, 1, 2, 4, 6, 7}, 0.01, breaks), 2);
  EXPECT_EQ(breaks, (TIntArray{2, 4}));
  EXPECT_EQ(CheckLinearity(TDoubleArray{0, 1, 2.005, 3}, 0.01, breaks), 0);
  EXPECT_TRUE(breaks.empty());
  EXPECT_EQ(CheckLinearity(TIntArray{5, 5, 5, 6, 7, 7}, breaks), 2);
  EXPECT_EQ(breaks, (TIntArray{2, 4}));
  EXPECT_EQ(CheckLinearity(TIntArray{1, 9}, breaks), 0);
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(CheckLinearity(TIntArray{0, kMax, -2}, breaks), 1);  // the steps differ only beyond 32 bits
  TIntArray many(250);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<std::int32_t>(i * i);
  EXPECT_EQ(CheckLinearity(many, breaks), 248);
  EXPECT_EQ(breaks.back(), 248);
}

TEST(RescaleTest, ModesMapToTheirRanges) {
  TDoubleArray a = {2, 4, 6};
  ASSERT_EQ(RescaleArray(a, TRescaleMode::rsmMinMax, -1, 1), 0);
  EXPECT_EQ(a, (TDoubleArray{-1, 0, 1}));
  TDouble2DArray b = {{2, 4}, {6, 8}};
  ASSERT_EQ(RescaleArray(b, TRescaleMode::rsmMinMax, 10, 0), 0);  // reversed
  EXPECT_NEAR(b[0][1], 10 - 10.0 / 3, kTol16Eps * 10);
  EXPECT_EQ(b[1][1], 0.0);
  TDoubleArray z = {1, 2, 3};
  ASSERT_EQ(RescaleArray(z, TRescaleMode::rsmZScore), 0);
  EXPECT_EQ(z, (TDoubleArray{-1, 0, 1}));  // sample sd of 1, 2, 3 is 1
  TDoubleArray m = {-4, 2, 1};
  ASSERT_EQ(RescaleArray(m, TRescaleMode::rsmMaxAbs), 0);
  EXPECT_EQ(m, (TDoubleArray{-1, 0.5, 0.25}));
}

TEST(RescaleTest, NoSpreadIsRefused) {
  TDoubleArray flat = {3, 3};
  EXPECT_EQ(RescaleArray(flat, TRescaleMode::rsmMinMax), -2);
  EXPECT_EQ(RescaleArray(flat, TRescaleMode::rsmZScore), -2);
  TDoubleArray one = {5};
  EXPECT_EQ(RescaleArray(one, TRescaleMode::rsmZScore), -2);
  TDouble2DArray zeros = {{0, 0}};
  EXPECT_EQ(RescaleArray(zeros, TRescaleMode::rsmMaxAbs), -2);
  EXPECT_EQ(flat, (TDoubleArray{3, 3}));
  TDoubleArray e;
  EXPECT_EQ(RescaleArray(e, TRescaleMode::rsmMaxAbs), -1);
}

}  // namespace
}  // namespace kvl
