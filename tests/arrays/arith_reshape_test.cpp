#include <gtest/gtest.h>

#include <algorithm>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(TransposeTest, SwapsExtents) {
  TInt2DArray a = {{1, 2, 3}, {4, 5, 6}};
  ASSERT_EQ(TransposeArray(a), 0);
  EXPECT_EQ(a, (TInt2DArray{{1, 4}, {2, 5}, {3, 6}}));
  TBool2DArray b = {{true, false}};
  ASSERT_EQ(TransposeArray(b), 0);
  EXPECT_EQ(b, (TBool2DArray{{true}, {false}}));
  TDouble2DArray e(3);  // columns without rows
  EXPECT_EQ(TransposeArray(e), -1);
  EXPECT_EQ(e.size(), 3u);
}

TEST(FlipTest, EachDimensionOfA3DArray) {
  const TInt3DArray a = {{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}};
  struct Case {
    std::int32_t Dim;
    TInt3DArray Expect;
  };
  for (const Case& c : {Case{1, {{{5, 6}, {7, 8}}, {{1, 2}, {3, 4}}}}, Case{2, {{{3, 4}, {1, 2}}, {{7, 8}, {5, 6}}}},
                        Case{3, {{{2, 1}, {4, 3}}, {{6, 5}, {8, 7}}}}}) {
    TInt3DArray f = a;
    ASSERT_EQ(FlipDimArray(f, c.Dim), 0);
    EXPECT_EQ(f, c.Expect) << "dimension " << c.Dim;
  }
  TInt3DArray f = a;
  EXPECT_EQ(FlipDimArray(f, 0), -2);
  EXPECT_EQ(FlipDimArray(f, 4), -2);
  EXPECT_EQ(f, a);
  TDoubleArray v = {1, 2, 3};
  ASSERT_EQ(FlipDimArray(v, 1), 0);
  EXPECT_EQ(v, (TDoubleArray{3, 2, 1}));
  EXPECT_EQ(FlipDimArray(v, 2), -2);
  TDouble4DArray e;
  EXPECT_EQ(FlipDimArray(e, 1), -1);
}

TEST(RemoveTest, RowsAndColumns) {
  TDouble2DArray a = {{1, 2, 3}, {4, 5, 6}};
  const TDouble2DArray before = a;
  EXPECT_FALSE(RemoveRow(a, 3));  // equal to the row count
  EXPECT_FALSE(RemoveRow(a, -1));
  EXPECT_FALSE(RemoveColumn(a, 2));
  EXPECT_EQ(a, before);
  EXPECT_TRUE(RemoveRow(a, 1));
  EXPECT_EQ(a, (TDouble2DArray{{1, 3}, {4, 6}}));
  EXPECT_TRUE(RemoveColumn(a, 0));
  EXPECT_EQ(a, (TDouble2DArray{{4, 6}}));
  TInt2DArray e;
  EXPECT_FALSE(RemoveRow(e, 0));
  EXPECT_FALSE(RemoveColumn(e, 0));
}

TEST(SerializeTest, RowAndColumnOrder) {
  const TInt2DArray a = {{1, 2, 3}, {4, 5, 6}};  // 2 columns x 3 rows
  TIntArray v;
  ASSERT_EQ(SerializeArray(a, true, v), 0);
  EXPECT_EQ(v, (TIntArray{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(SerializeArray(a, false, v), 0);
  EXPECT_EQ(v, (TIntArray{1, 4, 2, 5, 3, 6}));
  EXPECT_EQ(SerializeArray(TInt2DArray{}, false, v), -1);
  EXPECT_EQ(v.size(), 6u);
}

TEST(SortIndexTest, IndexHoldsFormerPositions) {
  TDoubleArray a = {3, 1, 2};
  TIntArray ix;
  ASSERT_EQ(SortArray(true, a, ix), 0);
  EXPECT_EQ(a, (TDoubleArray{1, 2, 3}));
  EXPECT_EQ(ix, (TIntArray{2, 3, 1}));
  TIntArray b = {5, -1, 5, 9};
  ASSERT_EQ(SortArray(false, b, ix), 0);
  EXPECT_EQ(b, (TIntArray{9, 5, 5, -1}));
  EXPECT_EQ(ix[0], 4);
  EXPECT_EQ(ix[3], 2);
  TDoubleArray one = {7};
  EXPECT_EQ(SortArray(true, one, ix), -1);
  EXPECT_EQ(ix, (TIntArray{1}));  // still filled
}

TEST(SortIndexTest, LongArraysAreSortedAndIndexedConsistently) {
  RandSeed = 2024;
  for (const std::size_t n : {2u, 3u, 10u, 97u, 1000u}) {
    TIntArray a(n);
    for (auto& x : a) x = Random(50) - 25;
    const TIntArray orig = a;
    TIntArray ix;
    ASSERT_EQ(SortArray(true, a, ix), 0);
    EXPECT_TRUE(std::is_sorted(a.begin(), a.end())) << n;
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(a[i], orig[ix[i] - 1]);
    TIntArray perm = ix;
    std::sort(perm.begin(), perm.end());
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(perm[i], static_cast<int>(i + 1));
  }
}

TEST(SortIndexTest, DuplicatesAreRemovedAfterSorting) {
  TIntArray a = {4, 1, 4, 4, -2, 1, 9};
  EXPECT_EQ(SortAndRemoveDuplicates(a, true), 3);
  EXPECT_EQ(a, (TIntArray{-2, 1, 4, 9}));
  TIntArray d = {2, 3, 2};
  EXPECT_EQ(SortAndRemoveDuplicates(d, false), 1);
  EXPECT_EQ(d, (TIntArray{3, 2}));
  TIntArray distinct = {3, 1, 2};
  EXPECT_EQ(SortAndRemoveDuplicates(distinct, true), 0);
  EXPECT_EQ(distinct, (TIntArray{1, 2, 3}));
  TIntArray one = {5};
  EXPECT_EQ(SortAndRemoveDuplicates(one, true), -1);
}

TEST(PermuteTest, SortIndexAppliesToCompanionData) {
  TDoubleArray key = {30, 10, 20};
  TIntArray ix;
  SortArray(true, key, ix);
  TIntArray names = {300, 100, 200};
  ASSERT_EQ(PermuteArray(names, ix), 0);
  EXPECT_EQ(names, (TIntArray{100, 200, 300}));
  TDouble2DArray table = {{30, 10, 20}, {3, 1, 2}};  // rows are objects
  ASSERT_EQ(PermuteArray(table, ix, TApplyColRow::acrRows), 0);
  EXPECT_EQ(table, (TDouble2DArray{{10, 20, 30}, {1, 2, 3}}));
  ASSERT_EQ(PermuteArray(table, TIntArray{2, 1}, TApplyColRow::acrColumns), 0);
  EXPECT_EQ(table, (TDouble2DArray{{1, 2, 3}, {10, 20, 30}}));
}

TEST(PermuteTest, BadPermutationsLeaveTheArray) {
  TInt2DArray a = {{1, 2}, {3, 4}, {5, 6}};
  const TInt2DArray before = a;
  EXPECT_EQ(PermuteArray(a, TIntArray{1, 2}, TApplyColRow::acrColumns), -2);
  EXPECT_EQ(PermuteArray(a, TIntArray{1, 2, 2}, TApplyColRow::acrColumns), -3);
  EXPECT_EQ(PermuteArray(a, TIntArray{0, 1}, TApplyColRow::acrRows), -3);
  EXPECT_EQ(PermuteArray(a, TIntArray{1, 3}, TApplyColRow::acrRows), -3);
  EXPECT_EQ(a, before);
  TDoubleArray e;
  EXPECT_EQ(PermuteArray(e, TIntArray{}), -1);
}

}  // namespace
}  // namespace kvl
