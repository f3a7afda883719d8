#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "svd_test_helpers.h"

namespace kvl {
namespace {

using test::Columns;
using test::TDense;

// Small well-conditioned systems: the solution is good to a few eps.
constexpr double kSolveTol = 1e-13;

void ExpectVectorNear(const std::vector<double>& got, const std::vector<double>& want, double tol) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], tol) << "i=" << i;
}

// --- least squares against hand solutions ----------------------------------

struct LsqCase {
  const char* Name;
  TDense A;                      // design matrix: rows = observations
  std::vector<double> b;
  std::vector<double> x;         // the (minimum-norm) solution
  std::vector<double> Err;       // error factors (empty: not checked)
  bool NearSingular;
};

void PrintTo(const LsqCase& c, std::ostream* os) { *os << c.Name; }

class SvdLeastSquaresTest : public ::testing::TestWithParam<LsqCase> {};

TEST_P(SvdLeastSquaresTest, SolvesOnEveryForm) {
  const LsqCase& c = GetParam();
  TDense a = c.A;
  TDouble2DArray nested = c.A.Nested();
  std::vector<double> x, err, x2, err2;
  bool nearSingular = !c.NearSingular, nearSingular2 = !c.NearSingular;
  ASSERT_EQ(SvdLeastSquares(a.View(), c.b, x, nearSingular, err), TSvdResult::svdSuccess);
  ASSERT_EQ(SvdLeastSquares(nested, c.b, x2, nearSingular2, err2), TSvdResult::svdSuccess);
  ExpectVectorNear(x, c.x, kSolveTol);
  if (!c.Err.empty()) ExpectVectorNear(err, c.Err, kSolveTol);
  EXPECT_EQ(nearSingular, c.NearSingular);
  EXPECT_EQ(x2, x);
  EXPECT_EQ(err2, err);
  EXPECT_EQ(nearSingular2, nearSingular);
  // the read-only form (which reduces designs of m >= 2n rows first)
  const TDense kept = c.A;
  std::vector<double> x3, err3;
  bool nearSingular3 = !c.NearSingular;
  ASSERT_EQ(SvdLeastSquares(TColumnView<const double>(kept.d.data(), kept.n, kept.m), c.b, x3, nearSingular3, err3),
            TSvdResult::svdSuccess);
  ExpectVectorNear(x3, c.x, kSolveTol);
  if (!c.Err.empty()) ExpectVectorNear(err3, c.Err, kSolveTol);
  EXPECT_EQ(nearSingular3, c.NearSingular);
  EXPECT_EQ(kept.d, c.A.d);
}

// Line through (0,1), (1,3), (2,2), (3,4): slope Sxy/Sxx = 4/5, intercept
// 2.5 − 0.8·1.5 = 1.3; XᵀX = [[14, 6], [6, 4]], its inverse has the diagonal
// 0.2, 0.7 (the squared error factors).
const TDense kLineDesign = Columns({{0, 1, 2, 3}, {1, 1, 1, 1}});
const std::vector<double> kLineY = {1, 3, 2, 4};

INSTANTIATE_TEST_SUITE_P(
    Hand, SvdLeastSquaresTest,
    ::testing::Values(
        LsqCase{"StraightLine", kLineDesign, kLineY, {0.8, 1.3}, {std::sqrt(0.2), std::sqrt(0.7)}, false},
        // x split evenly over the two equal columns: the minimum-norm solution
        LsqCase{"TwoIdenticalColumns", Columns({{0, 1, 2, 3}, {0, 1, 2, 3}, {1, 1, 1, 1}}), kLineY, {0.4, 0.4, 1.3},
                {}, true},
        // 2x + y = 3, x + 3y = 5
        LsqCase{"SquareSystem", Columns({{2, 1}, {1, 3}}), {3, 5}, {0.8, 1.4}, {}, false},
        // one equation x1 + x2 = 2: the shortest solution is (1, 1)
        LsqCase{"Underdetermined", Columns({{1}, {1}}), {2}, {1, 1}, {}, true},
        LsqCase{"ZeroDesign", TDense(3, 2), {1, 2, 3}, {0, 0}, {0, 0}, true},
        // a line through six points (slope 15.5/17.5), its slope split over
        // two equal columns; tall enough to be reduced first
        LsqCase{"TallTwoIdenticalColumns", Columns({{0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}, {1, 1, 1, 1, 1, 1}}),
                {1, 3, 2, 4, 6, 5}, {15.5 / 35, 15.5 / 35, 3.5 - 2.5 * 15.5 / 17.5}, {}, true},
        LsqCase{"TallZeroColumn", Columns({{0, 0, 0, 0, 0}, {1, 2, 3, 4, 5}}), {2, 4, 6, 8, 10}, {0, 2}, {0, std::sqrt(1.0 / 55)},
                true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SvdLeastSquaresTest, NearSingularRuleIsRelativeToTheLargestValue) {
  // Columns (1, 0) and (0, t): singular values 1 and t.
  struct Row {
    double t;
    bool nearSingular;
  };
  for (const Row row : {Row{1e-13, false}, Row{1e-14, true}, Row{1e-15, true}}) {
    TDense a = Columns({{1, 0}, {0, row.t}});
    std::vector<double> x;
    bool nearSingular = false;
    ASSERT_EQ(SvdLeastSquares(a.View(), std::vector<double>{2, 1}, x, nearSingular), TSvdResult::svdSuccess);
    EXPECT_EQ(nearSingular, row.nearSingular) << "t=" << row.t;
    EXPECT_NEAR(x[0], 2.0, kSolveTol);
    EXPECT_NEAR(x[1], row.nearSingular ? 0.0 : 1.0 / row.t, kSolveTol / row.t);
  }
}

TEST(SvdLeastSquaresTest, FailuresArePassedOnAndClearNearSingular) {
  test::ProgressHookGuard guard;
  TDense a = kLineDesign;
  std::vector<double> x = {7};
  bool nearSingular = true;
  EXPECT_EQ(SvdLeastSquares(a.View(), std::vector<double>{1, 2, 3}, x, nearSingular), TSvdResult::svdBadSize);
  EXPECT_FALSE(nearSingular);
  EXPECT_EQ(x, std::vector<double>{7});

  TDouble2DArray ragged = {{1, 2}, {1}};
  nearSingular = true;
  EXPECT_EQ(SvdLeastSquares(ragged, std::vector<double>{1, 2}, x, nearSingular), TSvdResult::svdBadSize);
  EXPECT_FALSE(nearSingular);

  AbortMathProc = true;
  EXPECT_EQ(SvdLeastSquares(a.View(), kLineY, x, nearSingular), TSvdResult::svdAborted);
  EXPECT_EQ(x, std::vector<double>{7});
}

TEST(SvdLeastSquaresTest, ReadOnlyFormMatchesTheInPlaceForm) {
  test::ProgressHookGuard guard;
  struct TShape {
    std::size_t Rows, Cols;
  };
  // reduced first from twice as many rows as columns, in panels of 32 columns
  for (const TShape shape : {TShape{300, 6}, {13, 6}, {12, 6}, {7, 6}, {4, 6}, {230, 75}}) {
    const std::size_t rows = shape.Rows, cols = shape.Cols;
    SCOPED_TRACE(rows);
    TDense a(rows, cols);
    a.d = test::RandomValues(a.d.size(), static_cast<unsigned>(rows));
    const std::vector<double> b = test::RandomValues(rows, 99);
    const TDense kept = a;
    const TColumnView<const double> readOnly(kept.d.data(), kept.n, kept.m);
    std::vector<double> x, err, xr, errr;
    bool ns = true, nsr = true;
    ASSERT_EQ(SvdLeastSquares(a.View(), b, x, ns, err), TSvdResult::svdSuccess);
    ASSERT_EQ(SvdLeastSquares(readOnly, b, xr, nsr, errr), TSvdResult::svdSuccess);
    ExpectVectorNear(xr, x, 1e-12);
    ExpectVectorNear(errr, err, 1e-12);
    EXPECT_EQ(nsr, ns);

    TDense bad = kept;
    bad(rows / 2, cols / 2) = std::nan("");
    const TSvdResult failed = SvdLeastSquares(bad.View(), b, x, ns);
    EXPECT_NE(failed, TSvdResult::svdSuccess);
    EXPECT_EQ(SvdLeastSquares(TColumnView<const double>(bad.d.data(), cols, rows), b, xr, nsr), failed);

    AbortMathProc = true;
    EXPECT_EQ(SvdLeastSquares(readOnly, b, xr, nsr), TSvdResult::svdAborted);
    AbortMathProc = false;
  }
}

TEST(SvdLeastSquaresTest, ReadOnlyFormAtExtremeMagnitudes) {
  // The product of design and right-hand side lies far outside the doubles.
  struct TScale {
    double Design, Rhs;
  };
  for (const TScale sc : {TScale{1e200, 1e250}, {1e-200, 1e-250}, {1e-60, 1e200}, {1e280, 1e100}}) {
    for (const std::size_t rows : {40, 5}) {  // reduced first, and not
      SCOPED_TRACE(rows);
      TDense a(rows, 3);
      a.d = test::RandomValues(a.d.size(), 7);
      for (double& v : a.d) v *= sc.Design;
      std::vector<double> b = test::RandomValues(rows, 8);
      for (double& v : b) v *= sc.Rhs;
      const TDense kept = a;
      std::vector<double> x, err, xr, errr;
      bool ns = true, nsr = true;
      ASSERT_EQ(SvdLeastSquares(a.View(), b, x, ns, err), TSvdResult::svdSuccess);
      ASSERT_EQ(SvdLeastSquares(TColumnView<const double>(kept.d.data(), 3, rows), b, xr, nsr, errr),
                TSvdResult::svdSuccess);
      for (std::size_t j = 0; j < 3; ++j) {
        EXPECT_NEAR(xr[j] / x[j], 1.0, 1e-12) << sc.Design << " " << sc.Rhs;
        EXPECT_NEAR(errr[j] / err[j], 1.0, 1e-12);
      }
    }
  }
}

TEST(SvdLeastSquaresTest, RightHandSideInsideTheDesignMatrix) {
  // Regressing column 0 on itself and a constant: x = (1, 0), although the
  // decomposition overwrites b's storage with U.
  TDouble2DArray a = {{1, 2, 4}, {1, 1, 1}};
  std::vector<double> x;
  bool nearSingular = true;
  ASSERT_EQ(SvdLeastSquares(a, a[0], x, nearSingular), TSvdResult::svdSuccess);
  ExpectVectorNear(x, {1, 0}, kSolveTol);
  EXPECT_FALSE(nearSingular);
}

// --- back-substitution -------------------------------------------------------

TEST(SvdBackSubstTest, SolvesFromADecompositionAndAcceptsBAsX) {
  TDense u = kLineDesign, v(2, 2);
  std::vector<double> w(2);
  ASSERT_EQ(SvdDecompose(u.View(), v.View(), w), TSvdResult::svdSuccess);
  std::vector<double> x, err;
  ASSERT_EQ(SvdBackSubst(u.View(), w, v.View(), kLineY, x, err), TSvdResult::svdSuccess);
  ExpectVectorNear(x, {0.8, 1.3}, kSolveTol);
  ExpectVectorNear(err, {std::sqrt(0.2), std::sqrt(0.7)}, kSolveTol);

  // Square system with b passed in x itself.
  TDense s = Columns({{2, 1}, {1, 3}}), sv(2, 2);
  ASSERT_EQ(SvdDecompose(s.View(), sv.View(), w), TSvdResult::svdSuccess);
  std::vector<double> bx = {3, 5};
  ASSERT_EQ(SvdBackSubst(s.View(), w, sv.View(), bx, bx), TSvdResult::svdSuccess);
  ExpectVectorNear(bx, {0.8, 1.4}, kSolveTol);
}

TEST(SvdBackSubstTest, ZeroSingularValuesAreSkipped) {
  // U = I, V = I, W = (2, 0): x = (b1/2, 0); error factors (1/2, 0).
  const TDouble2DArray I = {{1, 0}, {0, 1}};
  std::vector<double> x, err;
  ASSERT_EQ(SvdBackSubst(I, std::vector<double>{2, 0}, I, std::vector<double>{3, 4}, x, err),
            TSvdResult::svdSuccess);
  EXPECT_EQ(x, (std::vector<double>{1.5, 0}));
  EXPECT_EQ(err, (std::vector<double>{0.5, 0}));
}

TEST(SvdBackSubstTest, MismatchedExtentsChangeNothing) {
  const TDouble2DArray U = {{1, 0, 0}, {0, 1, 0}}, V = {{1, 0}, {0, 1}};
  const std::vector<double> w = {1, 1}, b = {1, 2, 3};
  std::vector<double> x = {9}, err = {9};
  EXPECT_EQ(SvdBackSubst(U, w, V, std::vector<double>{1, 2}, x, err), TSvdResult::svdBadSize);
  EXPECT_EQ(SvdBackSubst(U, std::vector<double>{1}, V, b, x, err), TSvdResult::svdBadSize);
  EXPECT_EQ(SvdBackSubst(U, w, TDouble2DArray{{1, 0}}, b, x, err), TSvdResult::svdBadSize);
  EXPECT_EQ(SvdBackSubst(TDouble2DArray{{1, 0, 0}, {0, 1}}, w, V, b, x, err), TSvdResult::svdBadSize);
  EXPECT_EQ(x, std::vector<double>{9});
  EXPECT_EQ(err, std::vector<double>{9});
  ASSERT_EQ(SvdBackSubst(U, w, V, b, x, err), TSvdResult::svdSuccess);
  EXPECT_EQ(x, (std::vector<double>{1, 2}));
}

}  // namespace
}  // namespace kvl
