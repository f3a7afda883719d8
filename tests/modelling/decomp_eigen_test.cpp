// Jacobi eigen analysis, the unit's eigen store and principal components.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kEps;
using test::kTol1e13;

/// Square: an n x n TMatrix with cell (c, r) = f(c, r) (1-based).
template <class F>
void Square(TMatrix& M, std::int32_t n, F f) {
  M.Resize(n, n);
  for (std::int32_t c = 1; c <= n; ++c)
    for (std::int32_t r = 1; r <= n; ++r) M.ColumnView()[c - 1][r - 1] = f(c, r);
}

/// RandomSymmetric: (B + Bᵀ)/2 of a random B, entries in [-1, 1].
void RandomSymmetric(TMatrix& M, std::int32_t n, unsigned Seed) {
  const std::vector<double> b = test::RandomValues(static_cast<std::size_t>(n) * n, Seed);
  Square(M, n, [&](std::int32_t c, std::int32_t r) {
    return (b[static_cast<std::size_t>((c - 1) * n + r - 1)] +
            b[static_cast<std::size_t>((r - 1) * n + c - 1)]) /
           2;
  });
}

double FrobeniusNorm(const TMatrix& M) {
  double s = 0.0;
  for (double x : M.Data()) s += x * x;
  return std::sqrt(s);
}

/// Stored: the stored eigen results as (values, vectors vector by vector).
void Stored(std::vector<double>& Values, std::vector<std::vector<double>>& Vectors) {
  const std::int32_t n = GetEigenSize();
  Values.assign(static_cast<std::size_t>(n), 0.0);
  Vectors.assign(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n)));
  for (std::int32_t k = 1; k <= n; ++k) {
    Values[static_cast<std::size_t>(k - 1)] = GetEigenResult(k, 0);
    for (std::int32_t i = 1; i <= n; ++i)
      Vectors[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(i - 1)] = GetEigenResult(i, k);
  }
}

/// ExpectEigenPairs: ‖A·v − λ·v‖ and ‖VᵀV − I‖ within Tol (times ‖A‖ for the first).
void ExpectEigenPairs(const TMatrix& A, double Tol) {
  std::vector<double> val;
  std::vector<std::vector<double>> vec;
  Stored(val, vec);
  const std::size_t n = val.size();
  ASSERT_EQ(n, static_cast<std::size_t>(A.NrOfColumns()));
  const double norm = FrobeniusNorm(A);
  double residual = 0.0, orth = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    for (std::size_t i = 0; i < n; ++i) {
      double av = 0.0;
      for (std::size_t j = 0; j < n; ++j) av += A.Data()[j * n + i] * vec[k][j];
      residual = std::max(residual, std::abs(av - val[k] * vec[k][i]));
    }
    for (std::size_t l = 0; l < n; ++l) {
      double d = 0.0;
      for (std::size_t i = 0; i < n; ++i) d += vec[k][i] * vec[l][i];
      orth = std::max(orth, std::abs(d - (k == l ? 1.0 : 0.0)));
    }
  }
  EXPECT_LT(residual, Tol * norm);
  EXPECT_LT(orth, Tol);
}

// --- CalcEigVec ------------------------------------------------------------------

TEST(DecompCalcEigVec, DiagonalMatrixNeedsNoSweep) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  TMatrix D;
  const std::vector<double> diag = {3.0, -1.0, 7.0, 0.5};
  Square(D, 4, [&](std::int32_t c, std::int32_t r) {
    return c == r ? diag[static_cast<std::size_t>(c - 1)] : 0.0;
  });
  ASSERT_TRUE(CalcEigVec(D));
  EXPECT_EQ(ProcStat, 0.0);
  ASSERT_EQ(GetEigenSize(), 4);
  for (std::int32_t k = 1; k <= 4; ++k) {
    EXPECT_EQ(GetEigenResult(k, 0), diag[static_cast<std::size_t>(k - 1)]);
    for (std::int32_t i = 1; i <= 4; ++i) EXPECT_EQ(GetEigenResult(i, k), i == k ? 1.0 : 0.0);
  }
  // Indices outside the store read 0.
  EXPECT_EQ(GetEigenResult(0, 0), 0.0);
  EXPECT_EQ(GetEigenResult(5, 0), 0.0);
  EXPECT_EQ(GetEigenResult(1, 5), 0.0);
  EXPECT_EQ(GetEigenResult(1, -1), 0.0);
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenSize(), 0);
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);
}

TEST(DecompCalcEigVec, TwoByTwoTakesOneRotation) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  // [[2, 1], [1, 2]]: eigenvalues 1 and 3, vectors (1, ∓1)/√2.
  TMatrix A;
  Square(A, 2, [](std::int32_t c, std::int32_t r) { return c == r ? 2.0 : 1.0; });
  ASSERT_TRUE(CalcEigVec(A));
  EXPECT_EQ(ProcStat, 1.0);  // one sweep of one element; the next pass finds 0
  std::vector<double> val = {GetEigenResult(1, 0), GetEigenResult(2, 0)};
  std::sort(val.begin(), val.end());
  EXPECT_NEAR(val[0], 1.0, kTol1e13);
  EXPECT_NEAR(val[1], 3.0, kTol1e13);
  EXPECT_NEAR(std::abs(GetEigenResult(1, 1)), std::numbers::sqrt2 / 2, kTol1e13);
}

TEST(DecompCalcEigVec, ProgressCountsWholeSweeps) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  double calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  TMatrix A;
  RandomSymmetric(A, 12, 3);
  ASSERT_TRUE(CalcEigVec(A));
  const double perSweep = 12.0 * 11.0 / 2.0;
  EXPECT_EQ(calls, ProcStat);
  EXPECT_EQ(std::fmod(ProcStat, perSweep), 0.0);
  // Quadratic convergence: a handful of sweeps, well below the limit.
  EXPECT_GE(ProcStat / perSweep, 4.0);
  EXPECT_LE(ProcStat / perSweep, 15.0);
}

TEST(DecompCalcEigVec, AbortEndsWithFalseAndNoResults) {
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  TMatrix A;
  RandomSymmetric(A, 6, 4);
  ASSERT_TRUE(CalcEigVec(A));
  ProcStat = 0.0;
  MathFeedBackProc = [](double stat) {
    if (stat >= 20) AbortMathProc = true;
  };
  EXPECT_FALSE(CalcEigVec(A));
  EXPECT_EQ(ProcStat, 20.0);
  EXPECT_EQ(GetEigenSize(), 0);
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);
}

// The path matrix (2 on the diagonal, −1 beside it) has the eigenvalues
// 2 − 2cos(kπ/(n+1)) and the vectors sin(jkπ/(n+1)): an analytic reference.
TEST(DecompCalcEigVec, MatchesTheAnalyticPathSpectrum) {
  const std::int32_t n = 20;
  TMatrix A;
  Square(A, n,
         [](std::int32_t c, std::int32_t r) { return c == r ? 2.0 : (std::abs(c - r) == 1 ? -1.0 : 0.0); });
  ASSERT_TRUE(CalcEigVec(A));
  std::vector<double> val;
  std::vector<std::vector<double>> vec;
  Stored(val, vec);
  const double h = std::numbers::pi / (n + 1);
  // Eigenvalues of a symmetric matrix are perfectly conditioned: a backward
  // stable method is within a small multiple of n·eps·‖A‖ of them.
  const double valTol = 10.0 * n * kEps * FrobeniusNorm(A);
  for (std::size_t k = 0; k < val.size(); ++k) {
    // identify the analytic index by the value, then compare the vector
    const double kk = std::acos((2.0 - val[k]) / 2.0) / h;
    const double ki = std::round(kk);
    EXPECT_NEAR(val[k], 2.0 - 2.0 * std::cos(ki * h), valTol);
    double dot = 0.0, norm = 0.0;
    for (std::int32_t j = 1; j <= n; ++j) {
      const double s = std::sin(j * ki * h);
      dot += s * vec[k][static_cast<std::size_t>(j - 1)];
      norm += s * s;
    }
    // vector error ~ eps·‖A‖/gap, the smallest gap being about (π/(n+1))²·... ≈ 0.02
    EXPECT_NEAR(std::abs(dot) / std::sqrt(norm), 1.0, valTol / 0.02);
  }
}

struct EigenCase {
  const char* Name;
  std::int32_t N;
  unsigned Seed;
  bool Hilbert;
};

void PrintTo(const EigenCase& c, std::ostream* os) { *os << c.Name; }

class DecompCalcEigVecReference : public ::testing::TestWithParam<EigenCase> {};

// Against the Householder-QL decomposition of the array routines (another
// algorithm): eigenvalues within c·n·eps·‖A‖ of each other whatever the
// conditioning; the pairs themselves by residual and orthonormality.
TEST_P(DecompCalcEigVecReference, AgreesWithTheQLDecomposition) {
  const EigenCase& c = GetParam();
  TMatrix A;
  if (c.Hilbert)
    Square(A, c.N, [](std::int32_t col, std::int32_t row) { return 1.0 / (col + row - 1); });
  else
    RandomSymmetric(A, c.N, c.Seed);
  ASSERT_TRUE(CalcEigVec(A));
  const double tol = 10.0 * c.N * kEps;
  ExpectEigenPairs(A, tol);
  TDouble2DArray nested(static_cast<std::size_t>(c.N));
  for (std::int32_t k = 0; k < c.N; ++k)
    nested[static_cast<std::size_t>(k)].assign(A.ColumnView()[k].begin(), A.ColumnView()[k].end());
  TDoubleArray refVal;
  TDouble2DArray refVec;
  ASSERT_EQ(EigenDecomposition(nested, refVal, refVec), 0);
  std::vector<double> val;
  std::vector<std::vector<double>> vec;
  Stored(val, vec);
  std::sort(val.begin(), val.end(), std::greater<>());  // the reference is decreasing
  for (std::size_t k = 0; k < val.size(); ++k) EXPECT_NEAR(val[k], refVal[k], tol * FrobeniusNorm(A)) << k;
}

INSTANTIATE_TEST_SUITE_P(Matrices, DecompCalcEigVecReference,
                         ::testing::Values(EigenCase{"Random5", 5, 1, false},
                                           EigenCase{"Random40", 40, 2, false},
                                           EigenCase{"Random90", 90, 3, false},
                                           EigenCase{"Hilbert10", 10, 0, true}),  // condition ~1.6e13
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(DecompCalcEigVec, RepeatedEigenvaluesKeepAnOrthonormalBasis) {
  // I + 𝟙𝟙ᵀ/n (order 8): eigenvalue 2 once and 1 seven times.
  TMatrix A;
  Square(A, 8, [](std::int32_t c, std::int32_t r) { return (c == r ? 1.0 : 0.0) + 1.0 / 8.0; });
  ASSERT_TRUE(CalcEigVec(A));
  ExpectEigenPairs(A, 100 * kEps);
}

TEST(DecompCalcEigVec, RefusesWhatItCannotTake) {
  TMatrix ok, bad;
  Square(ok, 2, [](std::int32_t c, std::int32_t r) { return c == r ? 1.0 : 0.0; });
  struct Row {
    const char* Name;
    std::int32_t Cols, Rows;
    double Cell12, Cell21;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Row& row :
       {Row{"NotSquare", 3, 2, 0.5, 0.5}, Row{"NaN", 3, 3, nan, nan},
        Row{"Infinity", 3, 3, 0.5, std::numeric_limits<double>::infinity()},
        Row{"NotSymmetric", 3, 3, 0.5, 0.5 + 1e-6}, Row{"BeyondTheOrderLimit", 10001, 1, 0, 0}}) {
    ASSERT_TRUE(CalcEigVec(ok));  // earlier results go with the next call
    bad.Resize(row.Cols, row.Rows);
    bad.SetVal(1, 1, 1.0);
    bad.SetVal(1, 2, row.Cell12);
    bad.SetVal(2, 1, row.Cell21);
    EXPECT_FALSE(CalcEigVec(bad)) << row.Name;
    EXPECT_EQ(GetEigenSize(), 0) << row.Name;
  }
}

TEST(DecompCalcEigVec, NearlySymmetricUsesTheUpperTriangle) {
  TMatrix A, Upper;
  RandomSymmetric(A, 7, 8);
  Upper.Assign(&A);
  A.SetVal(5, 2, A.Elem(5, 2) * (1 + 1e-12));  // (column 5, row 2) lies above the diagonal
  Upper.SetVal(5, 2, A.Elem(5, 2));
  Upper.SetVal(2, 5, A.Elem(5, 2));
  A.SetVal(3, 6, A.Elem(3, 6) * (1 - 1e-12));  // below: ignored
  ASSERT_TRUE(CalcEigVec(A));
  std::vector<double> v1, v2;
  std::vector<std::vector<double>> e1, e2;
  Stored(v1, e1);
  ASSERT_TRUE(CalcEigVec(Upper));
  Stored(v2, e2);
  EXPECT_EQ(v1, v2);
  EXPECT_EQ(e1, e2);
}

// --- CalcPrincComp --------------------------------------------------------------------

TEST(DecompCalcPrincComp, OrdersUncorrelatedVariancesDecreasing) {
  // Centred, mutually orthogonal columns: the covariance is diag(4/3, 16/3, 12).
  TMatrix D;
  D.Resize(3, 4);
  const double cols[3][4] = {{1, -1, 1, -1}, {2, 2, -2, -2}, {3, -3, -3, 3}};
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 4; ++r) D.SetVal(c + 1, r + 1, cols[c][r]);
  ASSERT_TRUE(CalcPrincComp(D, 0, 0, 0, 0, 1, false));
  ASSERT_EQ(GetEigenSize(), 3);
  EXPECT_NEAR(GetEigenResult(1, 0), 12.0, kTol1e13);
  EXPECT_NEAR(GetEigenResult(2, 0), 16.0 / 3, kTol1e13);
  EXPECT_NEAR(GetEigenResult(3, 0), 4.0 / 3, kTol1e13);
  // the vectors travel with their values: vector 1 is the third unit vector
  EXPECT_EQ(std::abs(GetEigenResult(3, 1)), 1.0);
  EXPECT_EQ(std::abs(GetEigenResult(2, 2)), 1.0);
  EXPECT_EQ(std::abs(GetEigenResult(1, 3)), 1.0);

  ASSERT_TRUE(CalcPrincComp(D, 0, 0, 0, 0, 1));  // normalised: shares of 18.666...
  const double total = 4.0 / 3 + 16.0 / 3 + 12.0;
  EXPECT_NEAR(GetEigenResult(1, 0), 12.0 / total, kTol1e13);
  EXPECT_NEAR(GetEigenResult(3, 0), (4.0 / 3) / total, kTol1e13);
}

TEST(DecompCalcPrincComp, ReconstructsTheCovarianceOfASelection) {
  // 6 of 8 columns, rows 3..40, correlation mode: V·Λ·Vᵀ gives back the
  // correlation matrix (well conditioned: a few eps times n), values decrease.
  TMatrix D;
  D.Resize(8, 50);
  const std::vector<double> x = test::RandomValues(400, 21);
  std::copy(x.begin(), x.end(), D.ColumnView().data());
  for (std::int32_t r = 1; r <= 50; ++r)
    D.SetVal(3, r, D.Elem(3, r) + 0.8 * D.Elem(2, r));  // some correlation
  ASSERT_TRUE(CalcPrincComp(D, 2, 7, 3, 40, 2, false));
  TMatrix C;
  C.Resize(6, 6);
  ASSERT_TRUE(CalcCovar(D, C, 2, 7, 3, 40, 2));
  ASSERT_EQ(GetEigenSize(), 6);
  for (std::int32_t k = 2; k <= 6; ++k) EXPECT_GE(GetEigenResult(k - 1, 0), GetEigenResult(k, 0));
  for (std::int32_t i = 1; i <= 6; ++i)
    for (std::int32_t j = 1; j <= 6; ++j) {
      double s = 0.0;
      for (std::int32_t k = 1; k <= 6; ++k)
        s += GetEigenResult(i, k) * GetEigenResult(k, 0) * GetEigenResult(j, k);
      EXPECT_NEAR(s, C.Elem(i, j), 100 * kEps);
    }
}

TEST(DecompCalcPrincComp, PassesOnTheFailuresOfCovarAndEigen) {
  TMatrix D;
  D.Resize(3, 1);  // one row: no covariance
  EXPECT_FALSE(CalcPrincComp(D, 0, 0, 0, 0, 1));
  D.Resize(3, 5);
  EXPECT_FALSE(CalcPrincComp(D, 0, 0, 0, 0, 9));  // no such mode
  D.SetVal(2, 3, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(CalcPrincComp(D, 0, 0, 0, 0, 1));  // a NaN covariance is refused by CalcEigVec
  EXPECT_EQ(GetEigenSize(), 0);
}

}  // namespace
}  // namespace kvl
