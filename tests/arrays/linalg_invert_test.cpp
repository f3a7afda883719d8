#include <gtest/gtest.h>

#include <cmath>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"
#include "linalg_support.h"

namespace kvl {
namespace {

using test::Identity;
using test::MaxDeviation;
using test::NaiveProduct;
using test::RandomMatrix;

// Residual of A * inv(A) for random matrices of moderate condition.
constexpr double kInverseTol = 1e-9;

TEST(InvertArrayTest, HandCheckedValues) {
  TDouble2DArray one = {{4.0}};
  EXPECT_EQ(InvertArray(one), 0);
  EXPECT_EQ(one[0][0], 0.25);

  TDouble2DArray a = {{4, 2}, {7, 6}};  // det 10
  EXPECT_EQ(InvertArray(a), 0);
  EXPECT_LT(MaxDeviation(a, {{0.6, -0.2}, {-0.7, 0.4}}), test::kTol16Eps);

  TDouble2DArray swap = {{0, 1}, {1, 0}};  // needs a row exchange
  EXPECT_EQ(InvertArray(swap), 0);
  EXPECT_EQ(swap, (TDouble2DArray{{0, 1}, {1, 0}}));
}

TEST(InvertArrayTest, StatusCodes) {
  struct Case {
    const char* Name;
    TDouble2DArray A;
    std::int32_t Status;
  };
  const Case cases[] = {
      {"empty", {}, -1},
      {"no rows", {{}, {}}, -1},
      {"2x3", {{1, 2, 3}, {4, 5, 6}}, -1},
      {"ragged", {{1, 2}, {3}}, -1},
      {"zeros", {{0, 0}, {0, 0}}, -3},
      {"zero row", {{1, 0}, {2, 0}}, -3},
      {"rank one", {{1, 2}, {2, 4}}, -3},
      {"NaN", {{NAN, 1}, {1, 1}}, -3},
      {"pivot below 1e-100", {{1e-120, 0}, {0, 1}}, -3},
  };
  for (const auto& c : cases) {
    TDouble2DArray a = c.A;
    EXPECT_EQ(InvertArray(a), c.Status) << c.Name;
  }
}

TEST(InvertArrayTest, RandomMatricesAcrossBlockSizes) {
  for (const std::size_t n : {3u, 17u, 63u, 64u, 65u, 130u, 211u}) {
    const TDouble2DArray a = RandomMatrix(n, n, static_cast<unsigned>(n));
    TDouble2DArray inv = a;
    ASSERT_EQ(InvertArray(inv), 0) << n;
    EXPECT_LT(MaxDeviation(NaiveProduct(a, inv), Identity(n)), kInverseTol) << n;
    EXPECT_LT(MaxDeviation(NaiveProduct(inv, a), Identity(n)), kInverseTol) << n;
  }
}

TEST(InvertArrayTest, ColumnViewGivesTheNestedResult) {
  const TDouble2DArray a = RandomMatrix(100, 100, 3);
  TDouble2DArray nested = a;
  TDoubleArray storage = test::Flatten(a);
  ASSERT_EQ(InvertArray(nested), 0);
  ASSERT_EQ(InvertArray(TColumnView<double>(storage.data(), 100, 100)), 0);
  EXPECT_EQ(storage, test::Flatten(nested));

  TDoubleArray notSquare(6);
  EXPECT_EQ(InvertArray(TColumnView<double>(notSquare.data(), 2, 3)), -1);
}

TEST(InvertArrayTest, ProgressOncePerColumnInEachPhase) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  int calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  TDouble2DArray a = RandomMatrix(70, 70, 5);
  ASSERT_EQ(InvertArray(a), 0);
  EXPECT_EQ(calls, 140);
  EXPECT_EQ(ProcStat, 140.0);
}

TEST(InvertArrayTest, AbortInEitherPhaseReturnsMinus3) {
  for (const double stopAt : {1.0, 5.0, 75.0}) {
    test::ProgressHookGuard guard;
    ProcStat = 0.0;
    MathFeedBackProc = [&](double stat) {
      if (stat >= stopAt) AbortMathProc = true;
    };
    TDouble2DArray a = RandomMatrix(70, 70, 5);
    EXPECT_EQ(InvertArray(a), -3) << stopAt;
    EXPECT_EQ(ProcStat, stopAt);
  }
}

TEST(InvertArrayTest, BooleanMembersNegateEveryCell) {
  TBoolArray v = {true, false, false};
  EXPECT_EQ(InvertArray(v), 0);
  EXPECT_EQ(v, (TBoolArray{false, true, true}));
  TBool2DArray m = {{true, false}, {false, false}};
  EXPECT_EQ(InvertArray(m), 0);
  EXPECT_EQ(m, (TBool2DArray{{false, true}, {true, true}}));
  TBoolArray none;
  TBool2DArray noneRows = {{}};
  EXPECT_EQ(InvertArray(none), -1);
  EXPECT_EQ(InvertArray(noneRows), -1);
}

TEST(CalcHatMatrixTest, StraightLineLeverages) {
  // Intercept and slope over x = 1, 2, 3: leverages 5/6, 1/3, 5/6.
  const TDouble2DArray x = {{1, 1, 1}, {1, 2, 3}};
  TDouble2DArray h;
  ASSERT_EQ(CalcHatMatrix(x, h), 0);
  const TDouble2DArray expected = {{5.0 / 6, 2.0 / 6, -1.0 / 6}, {2.0 / 6, 2.0 / 6, 2.0 / 6}, {-1.0 / 6, 2.0 / 6, 5.0 / 6}};
  EXPECT_LT(MaxDeviation(h, expected), 1e-14);
}

TEST(CalcHatMatrixTest, ProjectionPropertiesAndViews) {
  const TDouble2DArray x = RandomMatrix(4, 30, 11);  // 4 variables, 30 objects
  TDouble2DArray h;
  ASSERT_EQ(CalcHatMatrix(x, h), 0);
  ASSERT_EQ(h.size(), 30u);
  EXPECT_LT(MaxDeviation(NaiveProduct(h, h), h), 1e-12);  // idempotent
  EXPECT_LT(MaxDeviation(NaiveProduct(h, x), x), 1e-12);  // leaves X's columns in place
  double trace = 0.0;
  for (std::size_t i = 0; i < 30; ++i) trace += h[i][i];
  EXPECT_NEAR(trace, 4.0, test::kTol1e12);

  TDoubleArray xs = test::Flatten(x), hs(30 * 30);
  ASSERT_EQ(CalcHatMatrix(TColumnView<double>(xs.data(), 4, 30), TColumnView<double>(hs.data(), 30, 30)), 0);
  EXPECT_EQ(hs, test::Flatten(h));
  EXPECT_EQ(CalcHatMatrix(TColumnView<double>(xs.data(), 4, 30), TColumnView<double>(hs.data(), 30, 29)), -2);
}

TEST(CalcHatMatrixTest, StatusCodes) {
  TDouble2DArray h = {{9}};
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{}, h), -1);
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{{1, 2}, {3}}, h), -1);
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{{1, 2, 3}, {1, 2, 3}}, h), -3);  // X'X singular
  EXPECT_EQ(h, (TDouble2DArray{{9}}));
  TDouble2DArray same = {{1, 1, 1}, {1, 2, 3}};
  ASSERT_EQ(CalcHatMatrix(same, same), 0);  // the result may replace X
  EXPECT_NEAR(same[1][1], 1.0 / 3, test::kTol1e14);
}

}  // namespace
}  // namespace kvl
