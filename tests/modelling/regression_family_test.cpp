// The regression family: the least-squares contract the learner relies on,
// bad input, the SVD on TMatrix, ridge, SIMPLS, VCA, VIF and formula names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace {

using kvl::TDouble2DArray;
using kvl::TIntVector;
using kvl::TMatrix;
using kvl::TVector;
using kvl::test::kTol1e10;
using kvl::test::kTol1e12;

// Fills M (NCols x NRows) column after column from Values.
void Fill(TMatrix& M, std::size_t NCols, std::size_t NRows, const std::vector<double>& Values) {
  M.Resize(int(NCols), int(NRows));
  for (std::size_t c = 0; c < NCols; ++c)
    for (std::size_t r = 0; r < NRows; ++r) M.SetVal(int(c + 1), int(r + 1), Values[c * NRows + r]);
}
void Fill(TVector& v, const std::vector<double>& Values) {
  v.Resize(int(Values.size()));
  for (std::size_t i = 0; i < Values.size(); ++i) v.SetVal(int(i + 1), Values[i]);
}
std::vector<double> Values(const TVector& v) { return {v.Data().begin(), v.Data().end()}; }
std::vector<double> Column(const TMatrix& M, int c) {
  const auto d = M.Data().subspan(std::size_t(c - 1) * std::size_t(M.NrOfRows()), std::size_t(M.NrOfRows()));
  return {d.begin(), d.end()};
}
// Unit: the values centred and scaled to unit length.
std::vector<double> Unit(std::vector<double> v) {
  const double m = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
  double ss = 0;
  for (double& e : v) {
    e -= m;
    ss += e * e;
  }
  for (double& e : v) e /= std::sqrt(ss);
  return v;
}

// A design of NX random predictors plus a column of ones (last) and
// y = X·Beta + Noise·e.
struct TRegressionCase {
  TMatrix X;
  TVector y;
  TRegressionCase(std::size_t NRows, const std::vector<double>& Beta, double Noise, unsigned Seed) {
    const std::size_t p = Beta.size();
    std::vector<double> x = kvl::test::RandomValues(p * NRows, Seed),
                        e = kvl::test::RandomValues(NRows, Seed + 1);
    std::fill(x.begin() + static_cast<std::ptrdiff_t>((p - 1) * NRows), x.end(), 1.0);
    Fill(X, p, NRows, x);
    std::vector<double> yv(NRows);
    for (std::size_t i = 0; i < NRows; ++i) {
      yv[i] = Noise * e[i];
      for (std::size_t j = 0; j < p; ++j) yv[i] += Beta[j] * x[j * NRows + i];
    }
    Fill(y, yv);
  }
};

// --- the contract of the memory-based learner ------------------------------------------

TEST(MultiLinReg, ExactDataGiveTheCoefficientsConstantLast) {
  TRegressionCase c(12, {2.5, -1.25, 0.5, 7.0}, 0.0, 11);
  TVector b, se;
  bool singular = true;
  ASSERT_TRUE(kvl::MultiLinReg(c.X, c.y, b, se, singular));
  EXPECT_FALSE(singular);
  ASSERT_EQ(b.NrOfElem(), 4);
  const double expect[] = {2.5, -1.25, 0.5, 7.0};
  for (int j = 1; j <= 4; ++j) {
    EXPECT_NEAR(b.Elem(j), expect[j - 1], kTol1e12);
    EXPECT_NEAR(se.Elem(j), 0.0, kTol1e12) << "no residual, no error";
  }
}

TEST(MultiLinReg, StandardErrorsMatchTheClosedFormOfTheStraightLine) {
  // y = a + b·x: se(b) = s/√Sxx, se(a) = s·√(1/n + x̄²/Sxx).
  const std::vector<double> x = {1, 2, 3, 4, 5, 6}, yv = {2.1, 3.9, 6.2, 7.8, 10.1, 12.2};
  TMatrix X;
  std::vector<double> cells(x);
  cells.insert(cells.end(), x.size(), 1.0);
  Fill(X, 2, x.size(), cells);
  TVector y, b, se;
  Fill(y, yv);
  bool singular = true;
  ASSERT_TRUE(kvl::MultiLinReg(X, y, b, se, singular));
  const double n = 6, xm = 3.5, sxx = 17.5;
  double sxy = 0, ym = std::accumulate(yv.begin(), yv.end(), 0.0) / n;
  for (std::size_t i = 0; i < x.size(); ++i) sxy += (x[i] - xm) * (yv[i] - ym);
  const double slope = sxy / sxx, icpt = ym - slope * xm;
  double rss = 0;
  for (std::size_t i = 0; i < x.size(); ++i) rss += std::pow(yv[i] - icpt - slope * x[i], 2);
  const double s = std::sqrt(rss / (n - 2));
  EXPECT_NEAR(b.Elem(1), slope, kTol1e12);
  EXPECT_NEAR(b.Elem(2), icpt, kTol1e12);
  EXPECT_NEAR(se.Elem(1), s / std::sqrt(sxx), kTol1e12);
  EXPECT_NEAR(se.Elem(2), s * std::sqrt(1 / n + xm * xm / sxx), kTol1e12);
}

TEST(MultiLinReg, SingularDesignSetsNearSingularWithTheMinimumNormSolution) {
  // Columns 1 and 2 identical: b1 = b2 = half the joint effect.
  TRegressionCase c(10, {3.0, 0.0, 1.0}, 0.0, 5);
  for (int r = 1; r <= 10; ++r) c.X.SetVal(2, r, c.X.Elem(1, r));
  TVector b, se;
  bool singular = false;
  ASSERT_TRUE(kvl::MultiLinReg(c.X, c.y, b, se, singular));
  EXPECT_TRUE(singular);
  EXPECT_NEAR(b.Elem(1), 1.5, kTol1e12);
  EXPECT_NEAR(b.Elem(2), 1.5, kTol1e12);
  EXPECT_NEAR(b.Elem(3), 1.0, kTol1e12);
}

TEST(MultiLinReg, ColumnFormAddsStatisticsOfTheFit) {
  TRegressionCase c(30, {1.0, -2.0, 4.0}, 0.1, 21);
  // Data: the two predictors, then y in column 3.
  TMatrix data;
  data.Resize(3, 30);
  for (int r = 1; r <= 30; ++r) {
    data.SetVal(1, r, c.X.Elem(1, r));
    data.SetVal(2, r, c.X.Elem(2, r));
    data.SetVal(3, r, c.y.Elem(r));
  }
  const std::int32_t cols[] = {1, 2};
  double r2 = 0, sd = 0, f = 0;
  TVector b, se, b1, se1;
  bool singular = true;
  ASSERT_TRUE(kvl::MultiLinReg(data, cols, 3, true, r2, sd, f, b, se, singular));
  ASSERT_TRUE(kvl::MultiLinReg(c.X, c.y, b1, se1, singular));
  EXPECT_EQ(Values(b), Values(b1));
  EXPECT_EQ(Values(se), Values(se1));
  double ym = 0, tss = 0, rss = 0;
  for (int r = 1; r <= 30; ++r) ym += c.y.Elem(r) / 30;
  for (int r = 1; r <= 30; ++r) {
    tss += std::pow(c.y.Elem(r) - ym, 2);
    rss += std::pow(c.y.Elem(r) - b.Elem(1) * data.Elem(1, r) - b.Elem(2) * data.Elem(2, r) - b.Elem(3), 2);
  }
  EXPECT_NEAR(r2, 1 - rss / tss, kTol1e12);
  EXPECT_NEAR(sd, std::sqrt(rss / 27), kTol1e12);
  EXPECT_NEAR(f, ((tss - rss) / 2) / (rss / 27), 1e-9 * f);
  // Without the constant: two coefficients, R² about 0.
  ASSERT_TRUE(kvl::MultiLinReg(data, cols, 3, false, r2, sd, f, b, se, singular));
  EXPECT_EQ(b.NrOfElem(), 2);
}

TEST(MultiLinReg, BadInputIsFalseOrRaises) {
  TRegressionCase c(6, {1.0, 2.0, 3.0}, 0.0, 3);
  TVector b, se, shortY;
  Fill(b, {42.0});
  bool singular = false;
  Fill(shortY, {1, 2, 3});
  KVL_EXPECT_THROW_MSG(kvl::MultiLinReg(c.X, shortY, b, se, singular), kvl::EKVLMath2Error,
                       "MultiLinReg: sizes of X and y do not match");
  // Fewer rows than parameters.
  TMatrix wide;
  wide.Resize(4, 3);
  EXPECT_FALSE(kvl::MultiLinReg(wide, shortY, b, se, singular));
  // NaN in X, infinity in y.
  TMatrix x2;
  x2.Assign(&c.X);
  x2.SetVal(1, 2, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(kvl::MultiLinReg(x2, c.y, b, se, singular));
  TVector y2;
  y2.Assign(&c.y);
  y2.SetVal(3, std::numeric_limits<double>::infinity());
  EXPECT_FALSE(kvl::MultiLinReg(c.X, y2, b, se, singular));
  EXPECT_EQ(Values(b), std::vector<double>{42.0}) << "results untouched on false";
  // Column numbers outside the matrix.
  const std::int32_t bad[] = {1, 4};
  double r2, sd, f;
  KVL_EXPECT_THROW_MSG(kvl::MultiLinReg(c.X, bad, 1, true, r2, sd, f, b, se, singular), kvl::EKVLMath2Error,
                       "MultiLinReg: column number out of range");
  KVL_EXPECT_THROW_MSG(
      kvl::MultiLinReg(c.X, std::span<const std::int32_t>(), 1, false, r2, sd, f, b, se, singular),
      kvl::EKVLMath2Error, "MultiLinReg: no parameters to fit");
}

TEST(MultiLinReg, AbortStopsTheFit) {
  kvl::test::ProgressHookGuard guard;
  TRegressionCase c(8, {1.0, 1.0}, 0.0, 9);
  kvl::AbortMathProc = true;
  TVector b, se;
  bool singular;
  EXPECT_FALSE(kvl::MultiLinReg(c.X, c.y, b, se, singular));
}

// --- SVD on TMatrix --------------------------------------------------------------------

TEST(SingValDecomp, ReconstructsAndSolvesInDecreasingOrder) {
  const std::vector<double> a = kvl::test::RandomValues(4 * 7, 31);
  TMatrix A, U, V;
  Fill(A, 4, 7, a);
  U.Assign(&A);
  TVector W, b, x, ef;
  ASSERT_TRUE(kvl::SingValDecomp(U, V, W));
  ASSERT_EQ(W.NrOfElem(), 4);
  for (int k = 1; k < 4; ++k) EXPECT_GE(W.Elem(k), W.Elem(k + 1));
  for (int c = 1; c <= 4; ++c)
    for (int r = 1; r <= 7; ++r) {
      double s = 0;
      for (int k = 1; k <= 4; ++k) s += U.Elem(k, r) * W.Elem(k) * V.Elem(k, c);
      EXPECT_NEAR(s, A.Elem(c, r), kTol1e12);
    }
  // Solving against b = A·(1, 2, 3, 4) returns (1, 2, 3, 4).
  std::vector<double> bv(7, 0.0);
  for (int r = 1; r <= 7; ++r)
    for (int c = 1; c <= 4; ++c) bv[r - 1] += A.Elem(c, r) * c;
  Fill(b, bv);
  ASSERT_TRUE(kvl::SingValEquSolve(U, W, V, b, x, ef));
  for (int c = 1; c <= 4; ++c) EXPECT_NEAR(x.Elem(c), c, kTol1e12);
  TVector shortB;
  Fill(shortB, {1.0, 2.0});
  EXPECT_FALSE(kvl::SingValEquSolve(U, W, V, shortB, x, ef));
  A.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(kvl::SingValDecomp(A, V, W));
}

// --- ridge -----------------------------------------------------------------------------

// (XᵀX + λI)⁻¹ through the library's LU inversion, independent of the SVD.
std::vector<double> RidgeClosedForm(const TMatrix& X, const TVector& y, double Lambda) {
  const int p = X.NrOfColumns(), n = X.NrOfRows();
  TDouble2DArray g(p, std::vector<double>(p, 0.0));
  std::vector<double> xty(p, 0.0), b(p, 0.0);
  for (int a = 0; a < p; ++a) {
    for (int r = 1; r <= n; ++r) xty[a] += X.Elem(a + 1, r) * y.Elem(r);
    for (int c = 0; c < p; ++c)
      for (int r = 1; r <= n; ++r) g[c][a] += X.Elem(a + 1, r) * X.Elem(c + 1, r);
    g[a][a] += Lambda;
  }
  EXPECT_EQ(kvl::InvertArray(g), 0);
  for (int a = 0; a < p; ++a)
    for (int c = 0; c < p; ++c) b[a] += g[c][a] * xty[c];
  return b;
}

TEST(RidgeReg, MatchesTheClosedFormAndShrinks) {
  TRegressionCase c(9, {2.0, -1.0, 0.5}, 0.2, 41);
  TVector b, se;
  bool singular = true;
  double lastNorm = std::numeric_limits<double>::infinity();
  for (double lambda : {0.0, 0.3, 2.0}) {
    ASSERT_TRUE(kvl::RidgeReg(c.X, c.y, lambda, b, se, singular));
    EXPECT_FALSE(singular);
    const std::vector<double> expect = RidgeClosedForm(c.X, c.y, lambda);
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(b.Elem(j), expect[j - 1], kTol1e12) << "lambda " << lambda;
    EXPECT_LT(b.Leng(), lastNorm);
    lastNorm = b.Leng();
  }
  TVector b0, se0;
  ASSERT_TRUE(kvl::RidgeReg(c.X, c.y, 0.0, b, se, singular));
  ASSERT_TRUE(kvl::MultiLinReg(c.X, c.y, b0, se0, singular));
  for (int j = 1; j <= 3; ++j) EXPECT_NEAR(se.Elem(j), se0.Elem(j), kTol1e12) << "λ = 0 is least squares";
  // More columns than rows: unique for k > 0, and still the closed form.
  TRegressionCase wide(3, {1.0, 2.0, -1.0, 0.5, 3.0}, 0.0, 43);
  ASSERT_TRUE(kvl::RidgeReg(wide.X, wide.y, 0.7, b, se, singular));
  EXPECT_TRUE(singular);
  const std::vector<double> expectWide = RidgeClosedForm(wide.X, wide.y, 0.7);
  for (int j = 1; j <= 5; ++j) EXPECT_NEAR(b.Elem(j), expectWide[j - 1], kTol1e12);
  KVL_EXPECT_THROW_MSG(kvl::RidgeReg(c.X, c.y, -0.1, b, se, singular), kvl::EKVLMath2Error,
                       "RidgeReg: ridge factor must not be negative");
}

TEST(RidgeRegStd, CorrelationFormBackTransformsToOriginalUnits) {
  // Predictors of very different scale; the standardised fit at k = 0 is
  // least squares, at k > 0 the closed form (R + kI)⁻¹r_xy.
  TRegressionCase c(15, {3.0, -2.0, 1.0}, 0.3, 51);
  TMatrix x;
  x.Resize(2, 15);
  for (int r = 1; r <= 15; ++r) {
    x.SetVal(1, r, 1000 * c.X.Elem(1, r));
    x.SetVal(2, r, c.X.Elem(2, r));
  }
  TVector sb, sse, b, se, ols, olsSe;
  bool singular = true;
  ASSERT_TRUE(kvl::RidgeRegStd(x, c.y, 0.0, sb, sse, b, se, singular));
  TMatrix design;
  design.Resize(3, 15);
  for (int r = 1; r <= 15; ++r) {
    design.SetVal(1, r, x.Elem(1, r));
    design.SetVal(2, r, x.Elem(2, r));
    design.SetVal(3, r, 1.0);
  }
  ASSERT_TRUE(kvl::MultiLinReg(design, c.y, ols, olsSe, singular));
  ASSERT_EQ(b.NrOfElem(), 3);
  for (int j = 1; j <= 3; ++j) {
    EXPECT_NEAR(b.Elem(j), ols.Elem(j), kTol1e10 * std::fabs(ols.Elem(j)));
    EXPECT_NEAR(se.Elem(j), olsSe.Elem(j), kTol1e10 * olsSe.Elem(j));
  }
  // k = 0.5 against (R + kI)⁻¹·r_xy on unit-length columns.
  ASSERT_TRUE(kvl::RidgeRegStd(x, c.y, 0.5, sb, sse, b, se, singular));
  TMatrix z;
  TVector zy;
  std::vector<double> zcells = Unit(Column(x, 1)), z2 = Unit(Column(x, 2));
  zcells.insert(zcells.end(), z2.begin(), z2.end());
  Fill(z, 2, 15, zcells);
  Fill(zy, Unit(Values(c.y)));
  const std::vector<double> beta = RidgeClosedForm(z, zy, 0.5);
  EXPECT_NEAR(sb.Elem(1), beta[0], kTol1e12);
  EXPECT_NEAR(sb.Elem(2), beta[1], kTol1e12);
  // A constant column carries nothing: coefficient 0, NearSingular.
  for (int r = 1; r <= 15; ++r) x.SetVal(2, r, 4.0);
  ASSERT_TRUE(kvl::RidgeRegStd(x, c.y, 0.1, sb, sse, b, se, singular));
  EXPECT_TRUE(singular);
  EXPECT_EQ(sb.Elem(2), 0.0);
  EXPECT_EQ(b.Elem(2), 0.0);
}

// --- SIMPLS ----------------------------------------------------------------------------

TEST(SimPLS, AllFactorsGiveLeastSquaresAndOrthonormalScores) {
  TRegressionCase c(20, {1.5, -0.5, 2.0, 0.25}, 0.05, 61);
  TMatrix X, Y;
  X.Resize(3, 20);
  Y.Resize(2, 20);
  for (int r = 1; r <= 20; ++r) {
    for (int j = 1; j <= 3; ++j) X.SetVal(j, r, c.X.Elem(j, r));
    Y.SetVal(1, r, c.y.Elem(r));
    Y.SetVal(2, r, 2 * X.Elem(1, r) - X.Elem(3, r) + 0.1 * std::sin(r));
  }
  TMatrix R, T, P, Q, U, V, B;
  TVector xv, yv;
  for (bool scale : {false, true}) {
    ASSERT_TRUE(kvl::SimPLS(X, Y, 3, scale, R, T, P, Q, U, V, xv, yv, B));
    ASSERT_EQ(B.NrOfColumns(), 2);
    ASSERT_EQ(B.NrOfRows(), 4);
    for (int k = 1; k <= 2; ++k) {
      TVector y, b, se;
      y.Resize(20);
      for (int r = 1; r <= 20; ++r) y.SetVal(r, Y.Elem(k, r));
      bool singular;
      ASSERT_TRUE(kvl::MultiLinReg(c.X, y, b, se, singular));
      for (int j = 1; j <= 4; ++j) EXPECT_NEAR(B.Elem(k, j), b.Elem(j), kTol1e10) << "response " << k;
    }
    for (int a = 1; a <= 3; ++a)
      for (int e = 1; e <= 3; ++e) {
        double s = 0;
        for (int r = 1; r <= 20; ++r) s += T.Elem(a, r) * T.Elem(e, r);
        EXPECT_NEAR(s, a == e ? 1.0 : 0.0, kTol1e12);
      }
    // All of X's variance is explained by its full rank.
    EXPECT_NEAR(xv.Elem(1) + xv.Elem(2) + xv.Elem(3), 1.0, kTol1e12);
  }
  KVL_EXPECT_THROW_MSG(kvl::SimPLS(X, Y, 4, false, R, T, P, Q, U, V, xv, yv, B), kvl::EKVLMath2Error,
                       "SimPLS: number of factors out of range");
}

// --- VCA -------------------------------------------------------------------------------

struct TVcaCase {
  double Level;  // amplitude of the uniform noise per band
  bool AutoSNR;
};

class VcaMixtures : public ::testing::TestWithParam<TVcaCase> {};

TEST_P(VcaMixtures, RecoverTheSignaturesWithinTheNoise) {
  // 400 pixels of three signatures over 8 bands, the pure pixels first,
  // plus uniform noise; at the highest level the estimated SNR takes the
  // PCA (low-SNR) projection. A signature counts as recovered when an
  // end-member lies within 1.5 times the noise amplitude in every band.
  constexpr double kNoiseBound = 1.5;
  const TVcaCase& c = GetParam();
  const std::size_t L = 8, N = 400, p = 3;
  std::vector<double> sig(p * L);
  for (std::size_t e = 0; e < p; ++e)
    for (std::size_t j = 0; j < L; ++j)
      sig[e * L + j] = 0.2 + 0.1 * double(e) + std::fabs(std::sin(double(j * (e + 2))));
  const std::vector<double> w = kvl::test::RandomValues(p * N, 71),
                            noise = kvl::test::RandomValues(L * N, 72);
  std::vector<double> cells(L * N, 0.0);
  for (std::size_t i = 0; i < N; ++i) {
    double a[3], sum = 0;
    for (std::size_t e = 0; e < p; ++e) sum += a[e] = std::pow(std::fabs(w[e * N + i]), 4);
    for (std::size_t e = 0; e < p; ++e) a[e] = i < p ? double(e == i) : a[e] / sum;
    for (std::size_t j = 0; j < L; ++j) {
      cells[j * N + i] = c.Level * noise[j * N + i];
      for (std::size_t e = 0; e < p; ++e) cells[j * N + i] += a[e] * sig[e * L + j];
    }
  }
  TMatrix data, M, proj;
  TIntVector ix;
  Fill(data, L, N, cells);
  kvl::RandSeed = 12345;
  ASSERT_TRUE(kvl::VertexCompAnalysis(data, 3, c.AutoSNR, M, proj, ix));
  EXPECT_EQ(proj.NrOfColumns(), 3);
  EXPECT_EQ(proj.NrOfRows(), int(N));
  if (c.Level == 0) {
    std::vector<int> rows = {ix.Elem(1), ix.Elem(2), ix.Elem(3)};
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 3})) << "the pure pixels are the vertices";
  }
  for (std::size_t s = 0; s < p; ++s) {
    double best = std::numeric_limits<double>::infinity();
    for (int e = 1; e <= 3; ++e) {
      double d = 0;
      for (std::size_t j = 0; j < L; ++j) d = std::max(d, std::fabs(M.Elem(e, int(j + 1)) - sig[s * L + j]));
      best = std::min(best, d);
    }
    EXPECT_LE(best, std::max(kNoiseBound * c.Level, kTol1e12)) << "signature " << s;
  }
  for (int bad : {1, 9})
    KVL_EXPECT_THROW_MSG(kvl::VertexCompAnalysis(data, bad, false, M, proj, ix), kvl::EKVLMath2Error,
                         "VertexCompAnalysis: number of end-members out of range");
}

INSTANTIATE_TEST_SUITE_P(Levels, VcaMixtures,
                         ::testing::Values(TVcaCase{0, false}, TVcaCase{0, true}, TVcaCase{0.01, true},
                                           TVcaCase{0.05, true}, TVcaCase{0.3, true}, TVcaCase{0.3, false}),
                         [](const auto& info) {
                           return kvl::test::CaseName("noise", info.param.Level,
                                                      info.param.AutoSNR ? "auto" : "projective");
                         });

// --- VIF -------------------------------------------------------------------------------

TEST(VarInflatFactor, EqualsTheDiagonalOfTheInverseCorrelationMatrix) {
  const std::size_t n = 25, k = 3;
  std::vector<double> v = kvl::test::RandomValues(4 * n, 81);
  for (std::size_t i = 0; i < n; ++i) v[2 * n + i] += 0.8 * v[i];  // column 3 leans on column 1
  TMatrix data;
  Fill(data, 4, n, v);
  const std::int32_t cols[] = {1, 3, 4};
  std::vector<double> progress;
  kvl::TDoubleArray vif;
  ASSERT_EQ(kvl::VarInflatFactor(data, cols, vif, [&](kvl::TObject*, double pc) { progress.push_back(pc); }),
            0);
  EXPECT_EQ(progress, (std::vector<double>{100.0 / 3, 200.0 / 3, 100.0}));
  // Correlation matrix of the listed columns, inverted by LU.
  TDouble2DArray r(k, std::vector<double>(k));
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = 0; b < k; ++b) {
      const std::vector<double> ua = Unit(Column(data, cols[a])), ub = Unit(Column(data, cols[b]));
      r[b][a] = std::inner_product(ua.begin(), ua.end(), ub.begin(), 0.0);
    }
  ASSERT_EQ(kvl::InvertArray(r), 0);
  for (std::size_t j = 0; j < k; ++j) EXPECT_NEAR(vif[j], r[j][j], kTol1e10 * r[j][j]);
  EXPECT_GT(vif[1], vif[2]);
  // An exact dependence and a constant column are unbounded.
  for (std::size_t i = 1; i <= n; ++i) {
    data.SetVal(4, int(i), 2 * data.Elem(1, int(i)) - data.Elem(3, int(i)));
    data.SetVal(2, int(i), 5.0);
  }
  ASSERT_EQ(kvl::VarInflatFactor(data, cols, vif, nullptr), 0);
  for (double f : vif) EXPECT_EQ(f, std::numeric_limits<double>::infinity());
  const std::int32_t withConst[] = {1, 2};
  ASSERT_EQ(kvl::VarInflatFactor(data, withConst, vif, nullptr), 0);
  EXPECT_EQ(vif[1], std::numeric_limits<double>::infinity());
}

TEST(VarInflatFactor, StatusCodes) {
  TMatrix data;
  Fill(data, 3, 3, kvl::test::RandomValues(9, 91));
  kvl::TDoubleArray vif = {7.0};
  const std::int32_t outside[] = {1, 4}, three[] = {1, 2, 3}, two[] = {1, 2};
  EXPECT_EQ(kvl::VarInflatFactor(data, std::span<const std::int32_t>(), vif, nullptr), -1);
  EXPECT_EQ(kvl::VarInflatFactor(data, outside, vif, nullptr), -1);
  EXPECT_EQ(kvl::VarInflatFactor(data, three, vif, nullptr), -2);
  data.SetVal(2, 2, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(kvl::VarInflatFactor(data, two, vif, nullptr), -3);
  EXPECT_EQ(vif, (kvl::TDoubleArray{7.0}));
  kvl::test::ProgressHookGuard guard;
  data.SetVal(2, 2, 0.5);
  kvl::AbortMathProc = true;
  EXPECT_EQ(kvl::VarInflatFactor(data, two, vif, nullptr), -4);
}

// --- formula names ---------------------------------------------------------------------

struct TNamesCase {
  const char* Expression;
  std::int32_t Result;
  std::vector<std::string> Names;
};

class ExtractVarNamesCases : public ::testing::TestWithParam<TNamesCase> {};

TEST_P(ExtractVarNamesCases, FindsEachVariableOnce) {
  const TNamesCase& c = GetParam();
  std::vector<std::string> names = {"stale"};
  EXPECT_EQ(kvl::ExtractVarNames(c.Expression, names), c.Result);
  EXPECT_EQ(names, c.Names);
}

INSTANTIATE_TEST_SUITE_P(Texts, ExtractVarNamesCases,
                         ::testing::Values(TNamesCase{"", 0, {}}, TNamesCase{"a+b*A", 2, {"a", "b"}},
                                           TNamesCase{"sin(x1) + 2.5e-3*Temp^2 - pi", 2, {"x1", "Temp"}},
                                           TNamesCase{"max (a, b) > 1 and not flag", 3, {"a", "b", "flag"}},
                                           TNamesCase{
                                               "[Oxygen level] / .5 + [oxygen LEVEL]", 1, {"Oxygen level"}},
                                           TNamesCase{"a + 2x", -6, {}}, TNamesCase{"a $ b", -3, {}},
                                           TNamesCase{"[a + b", -1, {}}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
