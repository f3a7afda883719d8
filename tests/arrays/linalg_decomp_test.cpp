#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"
#include "linalg_support.h"

namespace kvl {
namespace {

using test::MaxDeviation;
using test::NaiveProduct;
using test::RandomMatrix;

// Reconstruction error of factorisations of random matrices with cells below 1.
constexpr double kFactorTol = 1e-12;

TEST(DeterminantTest, HandCheckedValues) {
  struct Case {
    const char* Name;
    TDouble2DArray A;
    double Det;
  };
  const Case cases[] = {
      {"1x1", {{-2.5}}, -2.5},
      {"2x2", {{4, 2}, {7, 6}}, 10},
      {"exchange", {{0, 1}, {1, 0}}, -1},
      {"3x3", {{6, 4, 2}, {1, -2, 8}, {1, 5, 7}}, -306},
      {"singular", {{2, 1, 1}, {0, 3, 1}, {1, 2, 1}}, 0},
      {"zeros", {{0, 0}, {0, 0}}, 0},
  };
  for (const auto& c : cases) {
    double det = 99;
    EXPECT_EQ(Determinant(c.A, det), 0) << c.Name;
    EXPECT_NEAR(det, c.Det, test::kTol1e12) << c.Name;
  }
}

TEST(DeterminantTest, StatusCodesAndViews) {
  double det = 99;
  EXPECT_EQ(Determinant(TDouble2DArray{}, det), -1);
  EXPECT_EQ(det, 0.0);
  EXPECT_EQ(Determinant(TDouble2DArray{{1, 2, 3}, {4, 5, 6}}, det), -2);
  EXPECT_EQ(Determinant(TDouble2DArray{{1, 2}, {3}}, det), -2);

  const TDouble2DArray a = RandomMatrix(90, 90, 4), b = RandomMatrix(90, 90, 5);
  double da, db, dab;
  ASSERT_EQ(Determinant(a, da), 0);
  ASSERT_EQ(Determinant(b, db), 0);
  ASSERT_EQ(Determinant(NaiveProduct(a, b), dab), 0);
  EXPECT_NEAR(dab / (da * db), 1.0, test::kTol1e10);  // det(AB) = det A det B
  TDoubleArray storage = test::Flatten(a);
  double dv;
  ASSERT_EQ(Determinant(TColumnView<double>(storage.data(), 90, 90), dv), 0);
  EXPECT_EQ(dv, da);
}

TEST(LUdecompositionTest, HandCheckedDoolittle) {
  // A = [4 3; 6 3]: L = [1 0; 1.5 1], U = [4 3; 0 -1.5].
  TDouble2DArray l, u;
  ASSERT_EQ(LUdecomposition({{4, 6}, {3, 3}}, l, u), 0);
  EXPECT_EQ(l, (TDouble2DArray{{1, 1.5}, {0, 1}}));
  EXPECT_EQ(u, (TDouble2DArray{{4, 0}, {3, -1.5}}));
  // A zero pivot over a zero column still has a decomposition.
  ASSERT_EQ(LUdecomposition({{0, 0}, {0, 1}}, l, u), 0);
  EXPECT_EQ(l, (TDouble2DArray{{1, 0}, {0, 1}}));
  EXPECT_EQ(u, (TDouble2DArray{{0, 0}, {0, 1}}));
}

TEST(LUdecompositionTest, StatusCodes) {
  TDouble2DArray l = {{7}}, u = {{8}};
  EXPECT_EQ(LUdecomposition({}, l, u), -1);
  EXPECT_EQ(LUdecomposition({{1, 2}}, l, u), -2);
  EXPECT_EQ(LUdecomposition({{0, 1}, {1, 0}}, l, u), -3);  // needs a row exchange
  EXPECT_EQ(l, (TDouble2DArray{{7}}));
  EXPECT_EQ(u, (TDouble2DArray{{8}}));
  TDoubleArray a = {1, 2, 3, 4}, ls(4), us(3);
  EXPECT_EQ(LUdecomposition(TColumnView<double>(a.data(), 2, 2), TColumnView<double>(ls.data(), 2, 2),
                            TColumnView<double>(us.data(), 3, 1)),
            -2);
}

TEST(LUdecompositionTest, ReconstructsLargeMatricesOnViews) {
  // Diagonally dominant, so no exchange is needed; 150 crosses the block edges.
  TDouble2DArray a = RandomMatrix(150, 150, 8);
  for (std::size_t i = 0; i < 150; ++i) a[i][i] += 150.0;
  TDouble2DArray l, u;
  ASSERT_EQ(LUdecomposition(a, l, u), 0);
  for (std::size_t c = 0; c < 150; ++c)
    for (std::size_t r = 0; r < 150; ++r) {
      if (c > r) {
        ASSERT_EQ(l[c][r], 0.0);
      }
      if (r > c) {
        ASSERT_EQ(u[c][r], 0.0);
      }
    }
  EXPECT_LT(MaxDeviation(NaiveProduct(l, u), a), kFactorTol * 150);

  TDoubleArray as = test::Flatten(a), ls(150 * 150), us(150 * 150);
  ASSERT_EQ(LUdecomposition(TColumnView<double>(as.data(), 150, 150), TColumnView<double>(ls.data(), 150, 150),
                            TColumnView<double>(us.data(), 150, 150)),
            0);
  EXPECT_EQ(ls, test::Flatten(l));
  EXPECT_EQ(us, test::Flatten(u));
}

TEST(LUPdecompositionTest, HandChecked) {
  // A = [1 2; 3 4]: row 1 is the pivot row; L = [1 0; 1/3 1], U = [3 4; 0 2/3].
  TDouble2DArray l, u;
  TIntArray p;
  ASSERT_EQ(LUPdecomposition({{1, 3}, {2, 4}}, l, u, p), 0);
  EXPECT_EQ(p, (TIntArray{1, 0}));
  EXPECT_LT(MaxDeviation(l, {{1, 1.0 / 3}, {0, 1}}), test::kTol2Eps);
  EXPECT_LT(MaxDeviation(u, {{3, 0}, {4, 2.0 / 3}}), test::kTol16Eps);
  EXPECT_EQ(LUPdecomposition({}, l, u, p), -1);
  EXPECT_EQ(LUPdecomposition({{1}, {2}}, l, u, p), -2);
}

TEST(LUPdecompositionTest, PermutedRowsEqualLTimesU) {
  for (const std::size_t n : {2u, 40u, 129u}) {
    const TDouble2DArray a = RandomMatrix(n, n, static_cast<unsigned>(n + 100));
    TDouble2DArray l, u;
    TIntArray p;
    ASSERT_EQ(LUPdecomposition(a, l, u, p), 0);
    TDouble2DArray pa(n, TDoubleArray(n));
    for (std::size_t c = 0; c < n; ++c)
      for (std::size_t r = 0; r < n; ++r) {
        pa[c][r] = a[c][static_cast<std::size_t>(p[r])];
        ASSERT_LE(std::fabs(l[c][r]), 1.0);  // partial pivoting bounds the multipliers
      }
    EXPECT_LT(MaxDeviation(NaiveProduct(l, u), pa), kFactorTol * static_cast<double>(n)) << n;
  }
  // A singular matrix still factorises, with a zero on U's diagonal.
  TDouble2DArray l, u;
  TIntArray p;
  ASSERT_EQ(LUPdecomposition({{1, 2}, {2, 4}}, l, u, p), 0);
  EXPECT_EQ(u[1][1], 0.0);
}

TEST(EigenDecompositionTest, HandCheckedValues) {
  TDoubleArray values;
  TDouble2DArray vectors;
  ASSERT_EQ(EigenDecomposition({{1, 0, 0}, {0, 3, 0}, {0, 0, 2}}, values, vectors), 0);
  EXPECT_EQ(values, (TDoubleArray{3, 2, 1}));
  EXPECT_EQ(vectors, (TDouble2DArray{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}));

  ASSERT_EQ(EigenDecomposition({{2, 1}, {1, 2}}, values, vectors), 0);
  const double h = std::sqrt(0.5);
  EXPECT_LT(MaxDeviation({values}, {{3, 1}}), test::kTol16Eps);
  EXPECT_LT(MaxDeviation(vectors, {{h, h}, {h, -h}}), test::kTol16Eps);
}

// Symmetric matrices of several spectra: well separated (inverse iteration
// for every vector), one tight cluster (the QL rotations instead), wide
// clusters at both ends of the spectrum (orthogonalised inverse iteration)
// and a matrix that splits into independent tridiagonal blocks.
struct TEigenCase {
  const char* Name;
  std::size_t N;
  double (*Cell)(std::size_t c, std::size_t r, double random);
};

const TEigenCase kEigenCases[] = {
    {"Random", 30, [](std::size_t, std::size_t, double x) { return x; }},
    {"NearIdentity", 60, [](std::size_t c, std::size_t r, double x) { return (c == r ? 1.0 : 0.0) + 1e-13 * x; }},
    {"SecondDifference", 120,
     [](std::size_t c, std::size_t r, double) { return c == r ? 2.0 : (c + 1 == r || r + 1 == c ? -1.0 : 0.0); }},
    {"SplitBlocks", 40,
     [](std::size_t c, std::size_t r, double x) { return (c / 10 == r / 10) ? x : 0.0; }},
};

class EigenSpectrumTest : public ::testing::TestWithParam<TEigenCase> {};

TEST_P(EigenSpectrumTest, PairsAreOrthonormalAndOrdered) {
  const std::size_t n = GetParam().N;
  const TDouble2DArray random = RandomMatrix(n, n, 9);
  TDouble2DArray a(n, TDoubleArray(n));
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r <= c; ++r) a[c][r] = a[r][c] = GetParam().Cell(c, r, random[c][r]);
  TDoubleArray values;
  TDouble2DArray vectors;
  ASSERT_EQ(EigenDecomposition(a, values, vectors), 0);
  const TDouble2DArray av = NaiveProduct(a, vectors);
  double trace = 0.0, sum = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    trace += a[k][k];
    sum += values[k];
    if (k > 0) {
      EXPECT_GE(values[k - 1], values[k]);
    }
    std::size_t big = 0;
    for (std::size_t r = 0; r < n; ++r) {
      EXPECT_NEAR(av[k][r], values[k] * vectors[k][r], test::kTol1e12) << k << ", " << r;
      if (std::fabs(vectors[k][r]) > std::fabs(vectors[k][big])) big = r;
    }
    EXPECT_GT(vectors[k][big], 0.0) << k;  // the sign convention
  }
  EXPECT_NEAR(trace, sum, test::kTol1e12);
  TDouble2DArray vt(n, TDoubleArray(n));
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) vt[c][r] = vectors[r][c];
  EXPECT_LT(MaxDeviation(NaiveProduct(vt, vectors), test::Identity(n)), 1e-13);  // orthonormal
}

INSTANTIATE_TEST_SUITE_P(Spectra, EigenSpectrumTest, ::testing::ValuesIn(kEigenCases),
                         [](const auto& info) { return test::CaseName(info.param.Name); });

// A = H·diag(λ)·H with a Householder reflection H: the spectrum is known,
// with a repeated value, and n = 150 spans several blocks of reflectors.
TEST(EigenDecompositionTest, KnownSpectrumWithRepeatedValues) {
  constexpr std::size_t n = 150;
  constexpr double kTol = 1e-12;  // a few hundred rounding errors of values near 1
  std::vector<double> lambda(n);
  for (std::size_t i = 0; i < n; ++i) lambda[i] = i < 3 ? 0.5 : 1.0 + static_cast<double>(i) / n;
  const TDouble2DArray v = RandomMatrix(1, n, 31);
  double vv = 0.0;
  for (double x : v[0]) vv += x * x;
  TDouble2DArray a(n, TDoubleArray(n));
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) {
      long double s = 0.0L;
      for (std::size_t k = 0; k < n; ++k) {
        const double hrk = (r == k ? 1.0 : 0.0) - 2.0 * v[0][r] * v[0][k] / vv;
        const double hkc = (k == c ? 1.0 : 0.0) - 2.0 * v[0][k] * v[0][c] / vv;
        s += static_cast<long double>(hrk) * lambda[k] * hkc;
      }
      a[c][r] = static_cast<double>(s);
    }
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < c; ++r) a[c][r] = a[r][c];
  TDoubleArray values;
  TDouble2DArray vectors;
  ASSERT_EQ(EigenDecomposition(a, values, vectors), 0);
  std::sort(lambda.begin(), lambda.end(), std::greater<>());
  for (std::size_t k = 0; k < n; ++k) EXPECT_NEAR(values[k], lambda[k], kTol) << k;
  const TDouble2DArray av = NaiveProduct(a, vectors);
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t big = 0;
    for (std::size_t r = 0; r < n; ++r) {
      EXPECT_NEAR(av[k][r], values[k] * vectors[k][r], kTol) << k << ", " << r;
      if (std::fabs(vectors[k][r]) > std::fabs(vectors[k][big])) big = r;
    }
    EXPECT_GT(vectors[k][big], 0.0) << k;  // the sign convention
  }
}

TEST(EigenDecompositionTest, StatusCodes) {
  TDoubleArray values = {5};
  TDouble2DArray vectors;
  EXPECT_EQ(EigenDecomposition({}, values, vectors), -1);
  EXPECT_EQ(EigenDecomposition({{1, 2}}, values, vectors), -2);
  EXPECT_EQ(EigenDecomposition({{1, 2}, {3, 4}}, values, vectors), -3);
  EXPECT_EQ(EigenDecomposition({{1, 1 + 1e-12}, {1, 1}}, values, vectors), 0);  // within rounding
  values = {5};
  EXPECT_EQ(EigenDecomposition({{1, NAN}, {NAN, 4}}, values, vectors), -3);
  EXPECT_EQ(values, (TDoubleArray{5}));
  test::ProgressHookGuard guard;
  ProcStat = 0.0;
  AbortMathProc = true;
  EXPECT_EQ(EigenDecomposition({{2, 1}, {1, 2}}, values, vectors), -4);
  EXPECT_EQ(ProcStat, 1.0);
}

}  // namespace
}  // namespace kvl
