// The container forms of the singular value routines and the pseudo-inverse.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kEps;
using test::kTol1e13;

using TCols = std::vector<std::vector<double>>;

void Fill(TMatrix& M, const TCols& Cols) {
  M.Resize(static_cast<std::int32_t>(Cols.size()), static_cast<std::int32_t>(Cols[0].size()));
  for (std::size_t c = 0; c < Cols.size(); ++c)
    std::copy(Cols[c].begin(), Cols[c].end(), M.ColumnView()[c].begin());
}

void Fill(TVector& v, const std::vector<double>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  v.CopyFrom(std::span<const double>(x), 0, static_cast<std::int32_t>(x.size() - 1), 1);
}

std::vector<double> Values(const TVector& v) { return {v.Data().begin(), v.Data().end()}; }

/// Product: C = A·B of dense column-major matrices (rows x inner, inner x cols).
std::vector<double> Product(const std::vector<double>& a, const std::vector<double>& b, std::size_t rows,
                            std::size_t inner, std::size_t cols) {
  std::vector<double> c(rows * cols, 0.0);
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t k = 0; k < inner; ++k)
      for (std::size_t i = 0; i < rows; ++i) c[j * rows + i] += a[k * rows + i] * b[j * inner + k];
  return c;
}

double MaxAbsDiff(const std::vector<double>& a, const std::vector<double>& b) {
  double d = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) d = std::max(d, std::abs(a[i] - b[i]));
  return d;
}

double MaxAbs(const std::vector<double>& a) {
  double d = 0.0;
  for (double x : a) d = std::max(d, std::abs(x));
  return d;
}

std::vector<double> Cells(const TMatrix& M) { return {M.Data().begin(), M.Data().end()}; }

/// Graded: an m x n matrix of rank k, U·diag(σ)·Vᵀ with σ from 1 down to
/// 1/Cond (geometric), U and V orthonormal columns from the decompositions
/// of random matrices: its 2-norm condition (on the non-zero part) is Cond.
std::vector<double> Graded(std::size_t m, std::size_t n, std::size_t k, double Cond, unsigned Seed) {
  std::vector<double> u = test::RandomValues(m * k, Seed), v = test::RandomValues(n * k, Seed + 1);
  std::vector<double> scratch(k * k), w(k);
  EXPECT_EQ(SvdDecompose(TColumnView<double>(u.data(), k, m), TColumnView<double>(scratch.data(), k, k), w),
            TSvdResult::svdSuccess);
  EXPECT_EQ(SvdDecompose(TColumnView<double>(v.data(), k, n), TColumnView<double>(scratch.data(), k, k), w),
            TSvdResult::svdSuccess);
  for (std::size_t j = 0; j < k; ++j) {
    const double s = k > 1 ? std::pow(Cond, -static_cast<double>(j) / static_cast<double>(k - 1)) : 1.0;
    for (std::size_t i = 0; i < m; ++i) u[j * m + i] *= s;
  }
  std::vector<double> vt(k * n);
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < k; ++i) vt[j * k + i] = v[i * n + j];
  return Product(u, vt, m, k, n);
}

// --- least squares ----------------------------------------------------------

TEST(DecompSvdLeastSquares, IdenticalColumnsGiveTheMinimumNormSolution) {
  // y = 2x + 1 on two equal x columns: the weight 2 is split evenly.
  TMatrix X;
  Fill(X, {{0, 1, 2, 3}, {0, 1, 2, 3}, {1, 1, 1, 1}});
  const std::vector<double> before = Cells(X);
  TVector y, b, err;
  Fill(y, {1, 3, 5, 7});
  bool nearSingular = false;
  ASSERT_TRUE(SvdLeastSquares(X, y, b, nearSingular, err));
  EXPECT_TRUE(nearSingular);
  ASSERT_EQ(b.NrOfElem(), 3);
  EXPECT_NEAR(b.Elem(1), 1.0, kTol1e13);
  EXPECT_NEAR(b.Elem(2), 1.0, kTol1e13);
  EXPECT_NEAR(b.Elem(3), 1.0, kTol1e13);
  EXPECT_EQ(err.NrOfElem(), 3);
  EXPECT_EQ(Cells(X), before);  // the design matrix is only read
}

TEST(DecompSvdLeastSquares, ErrorFactorsAreTheRootsOfTheInverseNormalMatrix) {
  // Line through (0,1), (1,3), (2,2), (3,4): slope 0.8, intercept 1.3, and
  // (XᵀX)⁻¹ = [[0.2, −0.3], [−0.3, 0.7]].
  TMatrix X;
  Fill(X, {{0, 1, 2, 3}, {1, 1, 1, 1}});
  TVector y, b, err;
  Fill(y, {1, 3, 2, 4});
  bool nearSingular = true;
  ASSERT_TRUE(SvdLeastSquares(X, y, b, nearSingular, err));
  EXPECT_FALSE(nearSingular);
  EXPECT_NEAR(b.Elem(1), 0.8, kTol1e13);
  EXPECT_NEAR(b.Elem(2), 1.3, kTol1e13);
  EXPECT_NEAR(err.Elem(1), std::sqrt(0.2), kTol1e13);
  EXPECT_NEAR(err.Elem(2), std::sqrt(0.7), kTol1e13);
}

TEST(DecompSvdLeastSquares, RefusesBadInputAndLeavesTheResult) {
  TMatrix X;
  Fill(X, {{0, 1, 2}, {1, 1, 1}});
  TVector y, b;
  Fill(b, {42});
  bool nearSingular = true;
  Fill(y, {1, 2});  // one value short
  EXPECT_FALSE(SvdLeastSquares(X, y, b, nearSingular));
  EXPECT_FALSE(nearSingular);
  Fill(y, {1, 2, 3});
  X.SetVal(1, 2, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(SvdLeastSquares(X, y, b, nearSingular));
  EXPECT_EQ(Values(b), std::vector<double>{42});
}

TEST(DecompSvdLeastSquares, AbortStopsIt) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  TMatrix X;
  Fill(X, {{0, 1, 2, 3}, {1, 1, 1, 1}});
  TVector y, b;
  Fill(y, {1, 3, 2, 4});
  bool nearSingular = false;
  AbortMathProc = true;
  EXPECT_FALSE(SvdLeastSquares(X, y, b, nearSingular));
  EXPECT_EQ(ProcStat, 1.0);  // stopped after the first step
}

// --- decomposition and back-substitution ---------------------------------------

TEST(DecompSvdDecompose, FactorsSolveAnExactSystem) {
  const std::size_t m = 7, n = 4;
  const std::vector<double> a = test::RandomValues(m * n, 11);
  TMatrix A, V;
  A.Resize(n, m);
  std::copy(a.begin(), a.end(), A.ColumnView().data());
  TVector W;
  ASSERT_TRUE(SvdDecompose(A, V, W));
  ASSERT_EQ(V.NrOfColumns(), static_cast<std::int32_t>(n));
  ASSERT_EQ(V.NrOfRows(), static_cast<std::int32_t>(n));
  ASSERT_EQ(W.NrOfElem(), static_cast<std::int32_t>(n));
  // The factors in their places: back-substitution of an exact right-hand
  // side returns its coefficients.
  const std::vector<double> coef = {1.5, -2.0, 0.25, 3.0};
  TVector b, x, err;
  Fill(b, Product(a, coef, m, n, 1));
  ASSERT_TRUE(SvdBackSubst(A, W, V, b, x, err));
  for (std::size_t j = 0; j < n; ++j)
    EXPECT_NEAR(x.Elem(static_cast<std::int32_t>(j + 1)), coef[j], kTol1e13);
  TVector shortB;
  Fill(shortB, {1, 2});
  EXPECT_FALSE(SvdBackSubst(A, W, V, shortB, x));
  EXPECT_NEAR(x.Elem(1), coef[0], kTol1e13);  // unchanged
}

TEST(DecompSvdDecompose, RefusesVBeingA) {
  TMatrix A;
  Fill(A, {{1, 2}, {3, 4}});
  TVector W;
  EXPECT_FALSE(SvdDecompose(A, A, W));
  EXPECT_EQ(A.Elem(2, 2), 4.0);
}

// --- pseudo-inverse ------------------------------------------------------------------

TEST(DecompPseudoInverse, OfAnInvertibleMatrixIsItsInverse) {
  // Hilbert matrix of order 6 (condition ~1.5e7) against the LU inverse: both
  // are backward stable, so they agree to about n·cond·eps relative.
  const std::size_t n = 6;
  const double cond = 1.5e7;
  TMatrix H, P;
  H.Resize(n, n);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) H.ColumnView()[c][r] = 1.0 / static_cast<double>(r + c + 1);
  std::vector<double> inv = Cells(H);
  ASSERT_EQ(InvertArray(TColumnView<double>(inv.data(), n, n)), 0);
  ASSERT_TRUE(PseudoInverse(H, P, 0.0));
  ASSERT_EQ(P.NrOfColumns(), 6);
  EXPECT_LT(MaxAbsDiff(Cells(P), inv), 10.0 * n * cond * kEps * MaxAbs(inv));
}

struct PinvCase {
  const char* Name;
  std::size_t Rows, Cols, Rank;
  double Cond;  // of the non-zero part
};

void PrintTo(const PinvCase& c, std::ostream* os) { *os << c.Name; }

class DecompPseudoInverseConditions : public ::testing::TestWithParam<PinvCase> {};

// The four Moore–Penrose conditions. With A = Ã + E, ‖E‖ ~ eps‖A‖ from the
// decomposition, XAX − X, (AX)ᵀ − AX and (XA)ᵀ − XA grow to O(eps·cond)
// relative to ‖X‖ and ‖AX‖; AXA − A is O(eps‖A‖) in exact arithmetic, but
// forming A·X·A in double already costs eps·cond·‖A‖.
TEST_P(DecompPseudoInverseConditions, Hold) {
  const PinvCase& c = GetParam();
  const std::size_t m = c.Rows, n = c.Cols, k = c.Rank;
  const std::size_t big = std::max(m, n);
  const std::vector<double> a = Graded(m, n, k, c.Cond, 5);
  TMatrix A, X;
  A.Resize(n, m);
  std::copy(a.begin(), a.end(), A.ColumnView().data());
  ASSERT_TRUE(PseudoInverse(A, X, 0.0));
  ASSERT_EQ(X.NrOfColumns(), static_cast<std::int32_t>(m));
  ASSERT_EQ(X.NrOfRows(), static_cast<std::int32_t>(n));
  const std::vector<double> x = Cells(X);
  const std::vector<double> ax = Product(a, x, m, n, m), xa = Product(x, a, n, m, n);
  const double tol = 100.0 * static_cast<double>(big) * kEps;
  const double condTol = tol * c.Cond;
  EXPECT_LT(MaxAbsDiff(Product(ax, a, m, m, n), a), condTol * MaxAbs(a));
  EXPECT_LT(MaxAbsDiff(Product(xa, x, n, n, m), x), condTol * MaxAbs(x));
  for (std::size_t i = 0; i < m; ++i)
    for (std::size_t j = 0; j < m; ++j) EXPECT_NEAR(ax[j * m + i], ax[i * m + j], condTol);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) EXPECT_NEAR(xa[j * n + i], xa[i * n + j], condTol);
}

INSTANTIATE_TEST_SUITE_P(Shapes, DecompPseudoInverseConditions,
                         ::testing::Values(PinvCase{"TallFullRank", 12, 5, 5, 10.0},
                                           PinvCase{"WideFullRank", 4, 9, 4, 10.0},
                                           PinvCase{"SquareRankDeficient", 8, 8, 5, 10.0},
                                           PinvCase{"IllConditioned", 10, 6, 6, 1e10},
                                           PinvCase{"TallRankDeficientIll", 15, 7, 4, 1e8}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(DecompPseudoInverse, ToleranceCutsSmallSingularValues) {
  // diag(2, 1e-3): a tolerance of 1e-2 drops the second value.
  TMatrix A, X;
  Fill(A, {{2, 0}, {0, 1e-3}});
  ASSERT_TRUE(PseudoInverse(A, X, 1e-2));
  EXPECT_NEAR(X.Elem(1, 1), 0.5, kTol1e13);
  EXPECT_EQ(X.Elem(2, 2), 0.0);
  ASSERT_TRUE(PseudoInverse(A, X, 0.0));
  EXPECT_NEAR(X.Elem(2, 2), 1e3, 1e3 * kTol1e13);
}

TEST(DecompPseudoInverse, InPlaceZeroAndBadInput) {
  TMatrix A;
  Fill(A, {{1, 0, 0}, {0, 2, 0}});  // 2 columns of 3 rows
  ASSERT_TRUE(PseudoInverse(A, A, 0.0));
  ASSERT_EQ(A.NrOfColumns(), 3);
  ASSERT_EQ(A.NrOfRows(), 2);
  EXPECT_NEAR(A.Elem(1, 1), 1.0, kTol1e13);
  EXPECT_NEAR(A.Elem(2, 2), 0.5, kTol1e13);
  EXPECT_EQ(A.Elem(3, 1), 0.0);

  TMatrix Z, X;
  Z.Resize(2, 3);  // zeros: the pseudo-inverse is zero, not a division by 0
  ASSERT_TRUE(PseudoInverse(Z, X, 0.0));
  EXPECT_EQ(Cells(X), std::vector<double>(6, 0.0));

  Z.SetVal(1, 1, std::numeric_limits<double>::infinity());
  X.SetVal(1, 1, 7.0);
  EXPECT_FALSE(PseudoInverse(Z, X, 0.0));
  EXPECT_EQ(X.Elem(1, 1), 7.0);
}

}  // namespace
}  // namespace kvl
