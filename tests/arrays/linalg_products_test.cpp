#include <gtest/gtest.h>

#include <cmath>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"
#include "linalg_support.h"

namespace kvl {
namespace {

using test::MaxDeviation;
using test::NaiveProduct;
using test::RandomMatrix;

TEST(MultiplyArraysTest, HandCheckedProduct) {
  // A = [1 4; 2 5; 3 6] (2 columns of 3 rows), B = [1 2; 3 4].
  const TDouble2DArray a = {{1, 2, 3}, {4, 5, 6}}, b = {{1, 3}, {2, 4}};
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArrays(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{13, 17, 21}, {18, 24, 30}}));

  const TInt2DArray ai = {{1, 2, 3}, {4, 5, 6}}, bi = {{1, 3}, {2, 4}};
  TInt2DArray ci;
  ASSERT_EQ(MultiplyArrays(ai, bi, ci), 0);
  EXPECT_EQ(ci, (TInt2DArray{{13, 17, 21}, {18, 24, 30}}));
}

TEST(MultiplyArraysTest, StatusCodes) {
  const TDouble2DArray a = {{1, 2, 3}, {4, 5, 6}}, b = {{1, 3}, {2, 4}};
  TDouble2DArray c = {{7}};
  EXPECT_EQ(MultiplyArrays(TDouble2DArray{}, b, c), -1);
  EXPECT_EQ(MultiplyArrays(a, TDouble2DArray{{}}, c), -1);
  EXPECT_EQ(MultiplyArrays(b, a, c), -2);  // 2 columns against 3 rows
  EXPECT_EQ(MultiplyArrays(TDouble2DArray{{1, 2}, {3}}, b, c), -2);
  EXPECT_EQ(c, (TDouble2DArray{{7}}));
  TInt2DArray ci;
  EXPECT_EQ(MultiplyArrays(TInt2DArray{{1}}, TInt2DArray{{1, 2}}, ci), -2);
}

TEST(MultiplyArraysTest, ResultMayReplaceAnOperand) {
  TDouble2DArray a = {{1, 2}, {3, 4}};
  const TDouble2DArray b = {{0, 1}, {1, 0}};  // exchanges the columns of a
  ASSERT_EQ(MultiplyArrays(a, b, a), 0);
  EXPECT_EQ(a, (TDouble2DArray{{3, 4}, {1, 2}}));
  ASSERT_EQ(MultiplyArrays(a, a, a), 0);
  EXPECT_EQ(a, (TDouble2DArray{{13, 20}, {5, 8}}));
}

TEST(MultiplyArraysTest, LargeProductsMatchTheNaiveSum) {
  struct Shape {
    std::size_t M, K, N;
  };
  // Odd sizes cross every tile and panel edge of the kernel.
  for (const Shape s : {Shape{1, 1, 1}, Shape{5, 3, 7}, Shape{70, 130, 50}, Shape{131, 300, 9}}) {
    const TDouble2DArray a = RandomMatrix(s.K, s.M, 1), b = RandomMatrix(s.N, s.K, 2);
    TDouble2DArray c;
    ASSERT_EQ(MultiplyArrays(a, b, c), 0);
    // Each cell sums K products of magnitude below 1 in double precision.
    EXPECT_LT(MaxDeviation(c, NaiveProduct(a, b)), 1e-15 * static_cast<double>(s.K) * 4) << s.M << "x" << s.K;
  }
}

TEST(MultiplyArraysTest, IntegerProductsWrapAround) {
  // One row (65536, 46341) times diag(65536, 46341).
  TInt2DArray c;
  ASSERT_EQ(MultiplyArrays(TInt2DArray{{65536}, {46341}}, TInt2DArray{{65536, 0}, {0, 46341}}, c), 0);
  EXPECT_EQ(c, (TInt2DArray{{0}, {-2147479015}}));  // 2^32 wraps to 0, 46341^2 passes 2^31

  // A random Integer product equals the 64-bit sum reduced modulo 2^32.
  TInt2DArray x(37, TIntArray(23)), y(11, TIntArray(37));
  std::int32_t seed = 1;
  for (auto* m : {&x, &y})
    for (auto& col : *m)
      for (auto& v : col) v = seed = static_cast<std::int32_t>(static_cast<std::uint32_t>(seed) * 1103515245u + 12345u);
  TInt2DArray z;
  ASSERT_EQ(MultiplyArrays(x, y, z), 0);
  for (std::size_t j = 0; j < 11; ++j)
    for (std::size_t i = 0; i < 23; ++i) {
      std::uint64_t s = 0;
      for (std::size_t p = 0; p < 37; ++p)
        s += static_cast<std::uint64_t>(static_cast<std::int64_t>(x[p][i]) * y[j][p]);
      ASSERT_EQ(z[j][i], static_cast<std::int32_t>(static_cast<std::uint32_t>(s))) << j << "," << i;
    }
}

TEST(MultiplyArraysTest, OuterProduct) {
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArrays(TDoubleArray{1, 2, 3}, TDoubleArray{4, 5}, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{4, 8, 12}, {5, 10, 15}}));
  TInt2DArray ci;
  ASSERT_EQ(MultiplyArrays(TIntArray{-1, 2}, TIntArray{3}, ci), 0);
  EXPECT_EQ(ci, (TInt2DArray{{-3, 6}}));
  EXPECT_EQ(MultiplyArrays(TDoubleArray{}, TDoubleArray{1}, c), -1);
  EXPECT_EQ(MultiplyArrays(TIntArray{1}, TIntArray{}, ci), -1);
}

TEST(VectorProductTest, DotProduct) {
  double d = 5;
  EXPECT_EQ(VectorDotProduct({1, 2, 3}, {4, 5, 6}, d), 0);
  EXPECT_EQ(d, 32.0);
  // Summed in extended precision: 1e16 + 1 - 1e16 keeps the 1.
  EXPECT_EQ(VectorDotProduct({1e16, 1, -1e16}, {1, 1, 1}, d), 0);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(VectorDotProduct({1, 2}, {1, 2, 3}, d), -2);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(VectorDotProduct({}, {1}, d), -1);
}

TEST(VectorProductTest, CrossProduct) {
  TDoubleArray c;
  ASSERT_EQ(VectorCrossProduct({1, 0, 0}, {0, 1, 0}, c), 0);
  EXPECT_EQ(c, (TDoubleArray{0, 0, 1}));
  TDoubleArray a = {1, 2, 3};
  ASSERT_EQ(VectorCrossProduct(a, {4, 5, 6}, a), 0);  // the result may replace A
  EXPECT_EQ(a, (TDoubleArray{-3, 6, -3}));
  c = {9};
  EXPECT_EQ(VectorCrossProduct({1, 2}, {1, 2, 3}, c), -2);
  EXPECT_EQ(c, (TDoubleArray{9}));
  EXPECT_EQ(VectorCrossProduct({1, 2, 3}, {}, c), -1);
}

}  // namespace
}  // namespace kvl
