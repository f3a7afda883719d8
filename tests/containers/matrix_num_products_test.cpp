// TMatrix products and element-wise arithmetic.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl_test_support.h"
#include "matrix_num_support.h"

namespace kvl {
namespace {

using test::EventLog;
using test::FillSeeded;
using test::ProductMismatch;
using test::SetColumns;

// Shapes around the kernel's tile (6 x 8), its depth blocks (256 terms) and
// its one-row path (a result of one column).
class MatrixProductShapes : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(MatrixProductShapes, AllThreeProductsMatchTheDefinition) {
  const auto [m, k, n] = GetParam();
  TMatrix a, b, res;
  FillSeeded(a, k, m, 1);  // k columns, m rows
  FillSeeded(b, n, k, 2);  // B: k rows for A·B
  auto cell = [](const TMatrix& x) { return [&x](int i, int j) { return x.GetVal(i, j); }; };
  auto transposed = [](const TMatrix& x) { return [&x](int i, int j) { return x.GetVal(j, i); }; };
  ASSERT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(ProductMismatch(res, n, m, k, cell(a), cell(b)), "");

  TMatrix bt;  // A·Bᵀ needs B with A's column count
  FillSeeded(bt, k, n, 3);
  ASSERT_TRUE(a.MultiplyTransposed(&bt, &res));
  EXPECT_EQ(ProductMismatch(res, n, m, k, cell(a), transposed(bt)), "");

  TMatrix b2;  // Aᵀ·B needs B with A's row count
  FillSeeded(b2, n, m, 4);
  ASSERT_TRUE(a.TransposeAndMultiply(&b2, &res));
  EXPECT_EQ(ProductMismatch(res, n, k, m, transposed(a), cell(b2)), "");
}

INSTANTIATE_TEST_SUITE_P(Shapes, MatrixProductShapes,
                         ::testing::Values(std::make_tuple(1, 1, 1), std::make_tuple(3, 2, 5),
                                           std::make_tuple(7, 9, 4), std::make_tuple(13, 261, 11),
                                           std::make_tuple(5, 600, 200), std::make_tuple(14, 257, 1),
                                           std::make_tuple(1, 300, 17)),
                         [](const auto& info) {
                           return test::CaseName("M", std::get<0>(info.param), "K", std::get<1>(info.param), "N",
                                                 std::get<2>(info.param));
                         });

TEST(MatrixProducts, MismatchOrNullReturnsFalseAndLeavesResult) {
  TMatrix a, b, res;
  a.Resize(3, 2);
  b.Resize(2, 2);  // A columns 3 <> B rows 2
  res.Resize(4, 4);
  res.SetVal(4, 4, 7);
  EXPECT_FALSE(a.Multiply(&b, &res));
  EXPECT_FALSE(a.MultiplyTransposed(&b, &res));   // columns 3 <> 2
  b.Resize(2, 3);
  EXPECT_FALSE(a.TransposeAndMultiply(&b, &res));  // rows 2 <> 3
  EXPECT_FALSE(a.EMult(&b, &res));
  EXPECT_FALSE(a.Multiply(nullptr, &res));
  EXPECT_FALSE(a.Multiply(&b, nullptr));
  EXPECT_EQ(res.NrOfColumns(), 4);
  EXPECT_EQ(res.GetVal(4, 4), 7);
}

TEST(MatrixProducts, EventsOfOperandAndResult) {
  TMatrix a, b, res;
  SetColumns(a, {{1, 2}, {3, 4}});
  SetColumns(b, {{5, 6}, {7, 8}});
  EventLog aLog, resLog;
  a.OnChange = aLog.Recorder("A");
  res.OnChange = resLog.Recorder("change");
  res.OnResize = resLog.Recorder("resize");
  ASSERT_TRUE(a.Multiply(&b, &res));
  // The size change, then one OnChange per result cell; then A's OnChange.
  EXPECT_EQ(resLog.Events, (std::vector<std::string>{"change", "resize", "change", "change", "change", "change"}));
  EXPECT_EQ(aLog.Events, std::vector<std::string>{"A"});
  // A·B of columns (1,2), (3,4) times (5,6), (7,8): column 1 = 5·(1,2) + 6·(3,4).
  EXPECT_EQ(res.GetVal(1, 1), 23);
  EXPECT_EQ(res.GetVal(1, 2), 34);
  EXPECT_EQ(res.GetVal(2, 1), 31);
  EXPECT_EQ(res.GetVal(2, 2), 46);
  aLog.Events.clear();
  resLog.Events.clear();
  ASSERT_TRUE(a.TransposeAndMultiply(&b, &res));
  EXPECT_TRUE(aLog.Events.empty());  // Aᵀ·B leaves A's handler alone
  EXPECT_EQ(resLog.Events.size(), 4u);
}

TEST(MatrixProducts, ResultMayBeAnOperand) {
  TMatrix a, b, expect;
  FillSeeded(a, 6, 6, 5);
  FillSeeded(b, 6, 6, 6);
  ASSERT_TRUE(a.Multiply(&b, &expect));
  ASSERT_TRUE(a.Multiply(&b, &a));
  for (int c = 1; c <= 6; ++c)
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(a.GetVal(c, r), expect.GetVal(c, r));
  FillSeeded(a, 5, 8, 7);
  ASSERT_TRUE(a.TransposeAndMultiply(&a, &expect));
  ASSERT_TRUE(a.TransposeAndMultiply(&a, &a));
  EXPECT_EQ(a.NrOfColumns(), 5);
  EXPECT_EQ(a.NrOfRows(), 5);
  EXPECT_EQ(a.GetVal(2, 4), expect.GetVal(2, 4));
}

TEST(MatrixProducts, VectorProducts) {
  TMatrix a;
  SetColumns(a, {{1, 2, 3}, {4, 5, 6}});  // 2 columns, 3 rows
  TVector v, res;
  v.Resize(2);
  v.SetVal(1, 10);
  v.SetVal(2, 1);
  ASSERT_TRUE(a.Multiply(&v, &res));
  ASSERT_EQ(res.NrOfElem(), 3);
  EXPECT_EQ(res.GetVal(1), 14);
  EXPECT_EQ(res.GetVal(3), 36);
  TVector w;
  w.Resize(3);
  w.Fill(1);
  ASSERT_TRUE(a.TransposeAndMultiply(&w, &res));
  ASSERT_EQ(res.NrOfElem(), 2);
  EXPECT_EQ(res.GetVal(1), 6);
  EXPECT_EQ(res.GetVal(2), 15);
  EXPECT_FALSE(a.Multiply(&w, &res));  // 3 elements for 2 columns
  EXPECT_FALSE(a.TransposeAndMultiply(&v, &res));
  ASSERT_TRUE(a.TransposeAndMultiply(&w, &w));  // result into the operand
  EXPECT_EQ(w.GetVal(2), 15);
}

// Every product sums a cell in the same order, so the routines agree bit
// for bit: a column of A·B is A times that column of B, and a transposed
// operand gives the product of its explicit transpose.
TEST(MatrixProducts, EveryProductSumsInOneOrder) {
  TMatrix a, b, ab;
  FillSeeded(a, 600, 19, 21);  // 600 terms: three depth blocks
  FillSeeded(b, 11, 600, 22);
  ASSERT_TRUE(a.Multiply(&b, &ab));
  TMatrix at, bt, res;
  at.Resize(19, 600);
  bt.Resize(600, 11);
  for (int c = 1; c <= 600; ++c) {
    for (int r = 1; r <= 19; ++r) at.SetVal(r, c, a.GetVal(c, r));
    for (int r = 1; r <= 11; ++r) bt.SetVal(c, r, b.GetVal(r, c));
  }
  ASSERT_TRUE(a.MultiplyTransposed(&bt, &res));
  EXPECT_TRUE(std::equal(res.Data().begin(), res.Data().end(), ab.Data().begin(), ab.Data().end()));
  ASSERT_TRUE(at.TransposeAndMultiply(&b, &res));
  EXPECT_TRUE(std::equal(res.Data().begin(), res.Data().end(), ab.Data().begin(), ab.Data().end()));
  TVector col, y;
  col.Resize(600);
  for (int c = 1; c <= 11; ++c) {
    for (int r = 1; r <= 600; ++r) col.SetVal(r, b.GetVal(c, r));
    ASSERT_TRUE(a.Multiply(&col, &y));
    for (int r = 1; r <= 19; ++r) EXPECT_EQ(y.GetVal(r), ab.GetVal(c, r)) << c << ", " << r;
    ASSERT_TRUE(at.TransposeAndMultiply(&col, &y));
    for (int r = 1; r <= 19; ++r) EXPECT_EQ(y.GetVal(r), ab.GetVal(c, r)) << c << ", " << r;
  }
}

TEST(MatrixArithmetic, ElementwiseScalarAndTrace) {
  TMatrix a, b, res;
  SetColumns(a, {{1, 2}, {3, 4}});
  SetColumns(b, {{2, 2}, {-1, 0.5}});
  EventLog log;
  a.OnChange = log.Recorder("change");
  ASSERT_TRUE(a.EMult(&b, &res));
  EXPECT_EQ(res.GetVal(2, 1), -3);
  EXPECT_EQ(res.GetVal(2, 2), 2);
  ASSERT_TRUE(a.Add(&b));
  EXPECT_EQ(a.GetVal(1, 2), 4);
  ASSERT_TRUE(a.Subtract(&b));
  EXPECT_EQ(a.GetVal(1, 2), 2);
  a.SMult(2);
  a.SAdd(1);
  EXPECT_EQ(a.GetVal(2, 2), 9);
  EXPECT_EQ(log.Events.size(), 5u);  // EMult, Add, Subtract, SMult, SAdd: once each
  EXPECT_EQ(a.Trace(), 3 + 9);
  b.Resize(3, 2);
  EXPECT_FALSE(a.Add(&b));
  EXPECT_FALSE(a.Subtract(nullptr));
  EXPECT_EQ(b.Trace(), 0.0);  // not square
}

}  // namespace
}  // namespace kvl
