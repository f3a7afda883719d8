#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/core/KVL_frame.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(CloneTest, ClonesAreIndependentCopies) {
  TDouble4DArray a(2, TDouble3DArray(1, TDouble2DArray(2, TDoubleArray(3, 1.5))));
  TDouble4DArray b;
  ASSERT_EQ(CloneArray(a, b), 0);
  EXPECT_EQ(b, a);
  b[1][0][1][2] = 7;
  EXPECT_EQ(a[1][0][1][2], 1.5);
  TBool2DArray m = {{true, false}, {false, true}}, n;
  ASSERT_EQ(CloneArray(m, n), 0);
  EXPECT_EQ(n, m);
  TInt3DArray e, f = {{{1}}};
  EXPECT_EQ(CloneArray(e, f), -1);
  EXPECT_TRUE(f.empty());
}

TEST(CloneTest, ConversionsRoundAndClip) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TIntArray i;
  ASSERT_EQ(CloneArray(TDoubleArray{2.5, 3.5, -2.5, 1.4999, 1e10, -1e10, nan}, i), 0);
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(i, (TIntArray{2, 4, -2, 1, kMax, kMin, 0}));
  TDouble2DArray d;
  ASSERT_EQ(CloneArray(TInt2DArray{{1, -2}, {3, 4}}, d), 0);
  EXPECT_EQ(d, (TDouble2DArray{{1, -2}, {3, 4}}));
  TSingleArray s;
  ASSERT_EQ(CloneArray(TDoubleArray{0.1, 1e300}, s), 0);
  EXPECT_EQ(s[0], 0.1f);
  EXPECT_TRUE(std::isinf(s[1]));
  TDouble2DArray back;
  ASSERT_EQ(CloneArray(TSingle2DArray{{0.5f}, {0.25f}}, back), 0);
  EXPECT_EQ(back, (TDouble2DArray{{0.5}, {0.25}}));
  EXPECT_EQ(CloneArray(TSingleArray{}, back[0]), -1);
}

TEST(CloneTest, ReversedClonesAlsoInPlace) {
  TDoubleArray a = {1, 2, 3};
  ASSERT_EQ(CloneAndReverseArray(a, a), 0);
  EXPECT_EQ(a, (TDoubleArray{3, 2, 1}));
  TBoolArray b;
  ASSERT_EQ(CloneAndReverseArray(TBoolArray{true, false, false}, b), 0);
  EXPECT_EQ(b, (TBoolArray{false, false, true}));
  TIntArray c;
  ASSERT_EQ(CloneAndReverseArray(TDoubleArray{0.4, 1.6}, c), 0);
  EXPECT_EQ(c, (TIntArray{2, 0}));
  EXPECT_EQ(CloneAndReverseArray(TIntArray{}, a), -1);
  EXPECT_TRUE(a.empty());
}

TEST(CopyArrayTest, BlockStatusCodes) {
  const TIntArray src = {1, 2, 3, 4, 5};
  TIntArray dest(4, 0);
  TIntArray empty;
  struct Case {
    std::int32_t First, Last, DestIx, Status;
  };
  for (const Case& c : {Case{0, 3, 0, 0}, Case{-1, 2, 0, -2}, Case{0, 5, 0, -2}, Case{3, 2, 0, -2},
                        Case{0, 1, 4, -2}, Case{0, 1, -1, -2}, Case{1, 3, 2, -2}, Case{4, 4, 3, 0}}) {
    EXPECT_EQ(CopyArray(src, c.First, c.Last, c.DestIx, dest), c.Status)
        << c.First << ".." << c.Last << " at " << c.DestIx;
  }
  EXPECT_EQ(dest, (TIntArray{1, 2, 3, 5}));
  EXPECT_EQ(CopyArray(empty, 0, 0, 0, dest), -1);
  EXPECT_EQ(CopyArray(src, 0, 0, 0, empty), -1);
}

TEST(CopyArrayTest, OverlappingBlocksOfOneArray) {
  TDoubleArray a = {1, 2, 3, 4, 5};
  ASSERT_EQ(CopyArray(a, 0, 2, 1, a), 0);
  EXPECT_EQ(a, (TDoubleArray{1, 1, 2, 3, 5}));
  ASSERT_EQ(CopyArray(a, 2, 4, 0, a), 0);
  EXPECT_EQ(a, (TDoubleArray{2, 3, 5, 3, 5}));
}

TEST(CopyArrayTest, BlocksOfMoreDimensions) {
  TDouble2DArray src(3, TDoubleArray(3));
  FillArraySerial(src);  // cell (c, r) holds 3c + r
  TDouble2DArray dest(2, TDoubleArray(4, 0.0));
  ASSERT_EQ(CopyArray(src, 1, 0, 2, 1, 0, 2, dest), 0);
  EXPECT_EQ(dest, (TDouble2DArray{{0, 0, 3, 4}, {0, 0, 6, 7}}));
  EXPECT_EQ(CopyArray(src, 1, 0, 2, 1, 0, 3, dest), -2);  // would run past row 3
  TInt4DArray s4(2, TInt3DArray(2, TInt2DArray(2, TIntArray(2, 5))));
  TInt4DArray d4(3, TInt3DArray(3, TInt2DArray(3, TIntArray(3, 0))));
  ASSERT_EQ(CopyArray(s4, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, d4), 0);
  EXPECT_EQ(d4[1][1][1][1], 5);
  EXPECT_EQ(d4[2][2][2][2], 5);
  EXPECT_EQ(d4[0][1][1][1], 0);
}

TEST(LineCopyTest, ColumnsAndRowsIntoNewVectors) {
  const TInt2DArray a = {{1, 2, 3}, {4, 5, 6}};  // two columns of three rows
  TIntArray v = {9};
  ASSERT_EQ(CopyArrayColumn(a, 1, 1, 2, v), 0);
  EXPECT_EQ(v, (TIntArray{5, 6}));
  ASSERT_EQ(CopyArrayRow(a, 2, 0, 1, v), 0);
  EXPECT_EQ(v, (TIntArray{3, 6}));
  EXPECT_EQ(CopyArrayColumn(a, 0, 1, 3, v), -2);
  EXPECT_EQ(CopyArrayColumn(a, 0, 2, 1, v), -2);
  EXPECT_EQ(CopyArrayColumn(a, 2, 0, 0, v), -3);
  EXPECT_EQ(CopyArrayRow(a, 0, 0, 2, v), -2);  // only two columns
  EXPECT_EQ(CopyArrayRow(a, 3, 0, 1, v), -3);
  EXPECT_EQ(CopyArrayRow(TInt2DArray{}, 0, 0, 0, v), -1);
  EXPECT_EQ(v, (TIntArray{3, 6}));
}

TEST(LineCopyTest, ColumnsAndRowsIntoAllocatedVectors) {
  const TDouble2DArray a = {{1, 2, 3}, {4, 5, 6}};
  TDoubleArray v(4, 0.0);
  ASSERT_EQ(Copy2DColTo1DArray(a, 0, 0, 2, v, 2), 0);
  EXPECT_EQ(v, (TDoubleArray{0, 0, 1, 2}));  // clipped at the end of v
  ASSERT_EQ(Copy2DRowTo1DArray(a, 1, 0, 1, v, 0), 0);
  EXPECT_EQ(v, (TDoubleArray{2, 5, 1, 2}));
  EXPECT_EQ(Copy2DRowTo1DArray(a, 1, 0, 1, v, 9), 0);  // nothing fits
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 0, 2, v, -1), -4);
  EXPECT_EQ(Copy2DColTo1DArray(a, 5, 0, 2, v, 0), -3);
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 0, 3, v, 0), -2);
  TDoubleArray empty;
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 0, 1, empty, 0), -1);
  EXPECT_EQ(v, (TDoubleArray{2, 5, 1, 2}));
}

TEST(LineCopyTest, VectorsIntoColumnsAndRows) {
  TInt2DArray a(3, TIntArray(3, 0));
  ASSERT_EQ(CopyToArrayColumn(TIntArray{1, 2, 3, 4}, 0, 0, 1, 1, a), 0);  // all of V, stops at the column end
  EXPECT_EQ(a, (TInt2DArray{{0, 0, 0}, {0, 1, 2}, {0, 0, 0}}));
  ASSERT_EQ(CopyToArrayRow(TIntArray{7, 8, 9}, 1, 5, 0, 2, a), 0);  // Last clipped at V's end
  EXPECT_EQ(a, (TInt2DArray{{0, 0, 8}, {0, 1, 9}, {0, 0, 0}}));
  EXPECT_EQ(CopyToArrayRow(TIntArray{}, 0, 0, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayRow(TIntArray{1, 2}, 2, 3, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayRow(TIntArray{1, 2}, 1, 0, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayColumn(TIntArray{1, 2}, -1, 1, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayColumn(TIntArray{1, 2}, 0, 1, 3, 0, a), -2);
  EXPECT_EQ(CopyToArrayColumn(TIntArray{1, 2}, 0, 1, 0, -1, a), -2);
  TBool2DArray b(2, TBoolArray(2, false));
  ASSERT_EQ(CopyToArrayRow(TBoolArray{true, true}, 0, 1, 0, 1, b), 0);
  EXPECT_EQ(b, (TBool2DArray{{false, true}, {false, true}}));
}

TEST(LineCopyTest, RetiredRoutinesRaiseAndTouchNothing) {
  TDouble2DArray a = {{1, 2}, {3, 4}};
  const TDouble2DArray before = a;
  KVL_EXPECT_THROW_MSG(CopyVectorToArrayRow(TDoubleArray{9, 9}, a, 0), EKVLError,
                       "deprecated function, see help for details");
  KVL_EXPECT_THROW_MSG(CopyVectorToArrayColumn(TDoubleArray{9, 9}, a, 1), EKVLError,
                       "deprecated function, see help for details");
  EXPECT_EQ(a, before);
  TInt2DArray i(1, TIntArray(1));
  TBool2DArray b(1, TBoolArray(1));
  EXPECT_THROW(CopyVectorToArrayColumn(TIntArray{1}, i, 0), EKVLError);
  EXPECT_THROW(CopyVectorToArrayRow(TIntArray{1}, i, 0), EKVLError);
  EXPECT_THROW(CopyVectorToArrayColumn(TBoolArray{true}, b, 0), EKVLError);
  EXPECT_THROW(CopyVectorToArrayRow(TBoolArray{true}, b, 0), EKVLError);
  EXPECT_EQ(b[0][0], false);
}

TEST(ConversionTest, BoolToNumAndEquality) {
  TDouble2DArray n;
  ASSERT_EQ(BoolToNumArray(TBool2DArray{{true, false}, {false, false}}, -1.0, 2.5, n), 0);
  EXPECT_EQ(n, (TDouble2DArray{{2.5, -1}, {-1, -1}}));
  TIntArray i = {3};
  ASSERT_EQ(BoolToNumArray(TBoolArray{false, true}, 0, 1, i), 0);
  EXPECT_EQ(i, (TIntArray{0, 1}));
  EXPECT_EQ(BoolToNumArray(TBoolArray{}, 0, 1, i), -1);
  EXPECT_EQ(i, (TIntArray{0, 1}));

  EXPECT_TRUE(EqualArrays(TInt2DArray{{1, 2}, {3, 4}}, TInt2DArray{{1, 2}, {3, 4}}));
  EXPECT_FALSE(EqualArrays(TInt2DArray{{1, 2}, {3, 4}}, TInt2DArray{{1, 2}, {3, 5}}));
  EXPECT_FALSE(EqualArrays(TInt2DArray{{1, 2}}, TInt2DArray{{1}, {2}}));  // same cells, other shape
  EXPECT_TRUE(EqualArrays(TIntArray{}, TIntArray{}));
  EXPECT_FALSE(EqualArrays(TInt4DArray(1, TInt3DArray(1, TInt2DArray(1, TIntArray(2, 0)))),
                           TInt4DArray(1, TInt3DArray(1, TInt2DArray(1, TIntArray(3, 0))))));
}

}  // namespace
}  // namespace kvl
