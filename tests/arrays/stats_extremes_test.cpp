#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"

namespace kvl {
namespace {

constexpr double kMaxD = std::numeric_limits<double>::max();

TEST(MaxMinArrayTest, FirstOccurrenceWinsAndEmptyGivesTheSentinel) {
  std::int32_t ix = -7;
  EXPECT_EQ(MaxArray(TDoubleArray{3, 7, 7}, ix), 7.0);
  EXPECT_EQ(ix, 1);
  EXPECT_EQ(MinArray(TDoubleArray{3, 1, 5, 1}, ix), 1.0);
  EXPECT_EQ(ix, 1);
  ix = -7;
  EXPECT_EQ(MaxArray(TDoubleArray{}, ix), -2147483648.0);
  EXPECT_EQ(MinArray(TDoubleArray{}, ix), 2147483647.0);
  EXPECT_EQ(ix, -7);
  EXPECT_EQ(MaxArray(TIntArray{}), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(MinArray(TIntArray{}), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(MaxArray(TIntArray{-5, -2, -9}), -2);
  EXPECT_EQ(MinArray(TIntArray{-5, -2, -9}), -9);
  EXPECT_EQ(MaxArray(TDoubleArray{-1e300, -2e300}), -1e300);  // below the sentinel
}

TEST(MaxMinArrayTest, TwoDimensionalPositionsRunOuterSlowest) {
  // 9 stands at [0][2] and [1][0]; the outer index varies slowest, so [0][2] is first.
  const TDouble2DArray a = {{1, 4, 9}, {9, 0, 0}};
  std::int32_t c = -1, r = -1;
  EXPECT_EQ(MaxArray(a, c, r), 9.0);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(MinArray(a, c, r), 0.0);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  const TInt2DArray b = {{3, 8}, {8, -4}};
  EXPECT_EQ(MaxArray(b, c, r), 8);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 1);
  c = r = -1;
  EXPECT_EQ(MaxArray(TDouble2DArray(3), c, r), -2147483648.0);  // columns without rows
  EXPECT_EQ(c, -1);
}

TEST(MaxMinArrayTest, ThreeAndFourDimensions) {
  TDouble3DArray a(2, TDouble2DArray(2, TDoubleArray(2, 1.0)));
  a[1][0][1] = 5.0;
  a[0][1][0] = -3.0;
  EXPECT_EQ(MaxArray(a), 5.0);
  EXPECT_EQ(MinArray(a), -3.0);
  TInt4DArray b(2, TInt3DArray(1, TInt2DArray(2, TIntArray(3, 0))));
  b[1][0][1][2] = 42;
  EXPECT_EQ(MaxArray(b), 42);
  EXPECT_EQ(MinArray(b), 0);
  EXPECT_EQ(MaxArray(TInt4DArray(2, TInt3DArray(1))), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(MinArray(TDouble3DArray(1, TDouble2DArray(1))), 2147483647.0);
}

TEST(MinMaxArrayTest, WholeArrayMembersStartAtTheLargestValues) {
  double mn = 0, mx = 0;
  EXPECT_EQ(MinMaxArray(TDoubleArray{}, mn, mx), -1);
  EXPECT_EQ(mn, kMaxD);
  EXPECT_EQ(mx, -kMaxD);
  EXPECT_EQ(MinMaxArray(TDoubleArray{2, -1, 8, 3}, mn, mx), 0);
  EXPECT_EQ(mn, -1.0);
  EXPECT_EQ(mx, 8.0);
  const std::array<double, 3> open = {5, 6, 4};
  EXPECT_EQ(MinMaxArray(std::span<const double>(open), mn, mx), 0);
  EXPECT_EQ(mn, 4.0);
  EXPECT_EQ(mx, 6.0);
  EXPECT_EQ(MinMaxArray(TDouble4DArray(1, TDouble3DArray(1, TDouble2DArray(1, TDoubleArray{7, -7}))), mn, mx),
            0);
  EXPECT_EQ(mn, -7.0);
  EXPECT_EQ(mx, 7.0);

  float fmn = 0, fmx = 0;
  EXPECT_EQ(MinMaxArray(TSingleArray{}, fmn, fmx), -1);
  EXPECT_EQ(fmn, std::numeric_limits<float>::max());
  EXPECT_EQ(MinMaxArray(TSingleArray{1.5f, -2.5f}, fmn, fmx), 0);
  EXPECT_EQ(fmn, -2.5f);
  EXPECT_EQ(fmx, 1.5f);

  std::int32_t imn = 0, imx = 0;
  EXPECT_EQ(MinMaxArray(TInt3DArray(2), imn, imx), -1);
  EXPECT_EQ(imn, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(imx, -std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(MinMaxArray(TInt2DArray{{4, 9}, {-3, 0}}, imn, imx), 0);
  EXPECT_EQ(imn, -3);
  EXPECT_EQ(imx, 9);
  const std::int32_t iopen[] = {3, 3, 1};
  EXPECT_EQ(MinMaxArray(std::span<const std::int32_t>(iopen), imn, imx), 0);
  EXPECT_EQ(imn, 1);
  EXPECT_EQ(imx, 3);
}

TEST(MinMaxArrayTest, RangeMembersCheckBoundsAndReportPositions) {
  const TDoubleArray a = {9, 2, 5, 2, 8, 0};
  double mn, mx;
  std::int32_t imn = -1, imx = -1;
  EXPECT_EQ(MinMaxArray(a, 1, 4, mn, mx, imn, imx), 0);
  EXPECT_EQ(mn, 2.0);
  EXPECT_EQ(imn, 1);  // the first 2
  EXPECT_EQ(mx, 8.0);
  EXPECT_EQ(imx, 4);
  struct Case {
    std::int32_t First, Last, Status;
  };
  for (const Case c : {Case{-1, 2, -2}, Case{0, 6, -2}, Case{6, 6, -2}, Case{4, 2, 0}}) {
    imn = imx = -1;
    EXPECT_EQ(MinMaxArray(a, c.First, c.Last, mn, mx, imn, imx), c.Status) << c.First << ".." << c.Last;
    EXPECT_EQ(mn, kMaxD);  // nothing scanned: the initial values stay
    EXPECT_EQ(mx, -kMaxD);
    EXPECT_EQ(imn, 0);
    EXPECT_EQ(imx, 0);
  }
  EXPECT_EQ(MinMaxArray(TDoubleArray{}, 0, 0, mn, mx, imn, imx), -1);

  const TInt2DArray b = {{5, 6, 7}, {1, 9, 4}, {9, 0, 3}};
  std::int32_t lo, hi, c0, r0, c1, r1;
  EXPECT_EQ(MinMaxArray(b, 1, 1, 2, 2, lo, hi, c0, r0, c1, r1), 0);  // columns 1..2, rows 1..2
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(c0, 2);
  EXPECT_EQ(r0, 1);
  EXPECT_EQ(hi, 9);
  EXPECT_EQ(c1, 1);
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(MinMaxArray(b, 0, 0, 2, 3, lo, hi, c0, r0, c1, r1), -2);
  EXPECT_EQ(MinMaxArray(b, 2, 0, 1, 2, lo, hi, c0, r0, c1, r1), 0);
  EXPECT_EQ(lo, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace kvl
