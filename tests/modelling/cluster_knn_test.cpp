// EstimateByKNN: every weighting mode against a brute-force computation
// (all distances sorted, the first k taken), ties, clamps, NaN and misuse.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// Sums of a few dozen terms and a small least-squares solve on values of order 1.
constexpr double kSumTol = 1e-12;
// The quadratic fit: an SVD against normal equations solved in long double.
constexpr double kFitTol = 1e-8;

using Rows = std::vector<std::vector<double>>;  // one object per entry

void Fill(TMatrix& M, const Rows& R) {
  const auto cols = static_cast<std::int32_t>(R.empty() ? 0 : R[0].size());
  M.Resize(cols, static_cast<std::int32_t>(R.size()));
  for (std::size_t r = 0; r < R.size(); ++r)
    for (std::size_t c = 0; c < R[r].size(); ++c)
      M.SetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1), R[r][c]);
}

void Fill(TVector& v, const std::vector<double>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) v.SetVal(static_cast<std::int32_t>(i + 1), x[i]);
}

Rows RandomRows(std::size_t N, std::size_t P, unsigned Seed) {
  const std::vector<double> v = test::RandomValues(N * P, Seed);
  Rows r(N, std::vector<double>(P));
  for (std::size_t i = 0; i < N; ++i)
    for (std::size_t c = 0; c < P; ++c) r[i][c] = v[i * P + c];
  return r;
}

struct TRef {
  std::vector<double> d, t;
  std::vector<std::size_t> rows;  // 0-based
};

// All distances, sorted by (distance, row), the first k with a finite distance.
TRef Nearest(const Rows& X, const std::vector<double>& T, const std::vector<double>& Probe, std::size_t k) {
  std::vector<std::pair<double, std::size_t>> all;
  for (std::size_t i = 0; i < X.size(); ++i) {
    double s = 0;
    for (std::size_t c = 0; c < Probe.size(); ++c) s += std::pow(Probe[c] - X[i][c], 2);
    if (std::isfinite(s)) all.emplace_back(std::sqrt(s), i);
  }
  std::ranges::sort(all);
  TRef r;
  for (std::size_t j = 0; j < std::min(k, all.size()); ++j) {
    r.d.push_back(all[j].first);
    r.t.push_back(T[all[j].second]);
    r.rows.push_back(all[j].second);
  }
  return r;
}

std::vector<double> Terms(const std::vector<double>& x) {
  std::vector<double> f{1.0};
  for (double v : x) f.push_back(v);
  for (double v : x) f.push_back(v * v);
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = i + 1; j < x.size(); ++j) f.push_back(x[i] * x[j]);
  return f;
}

// Solves the square system A·z = b (row-major, n x n) by Gaussian elimination
// with partial pivoting in long double.
std::vector<long double> Solve(std::vector<std::vector<long double>> A, std::vector<long double> b) {
  const std::size_t n = b.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t piv = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(A[r][c]) > std::fabs(A[piv][c])) piv = r;
    std::swap(A[c], A[piv]);
    std::swap(b[c], b[piv]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const long double f = A[r][c] / A[c][c];
      for (std::size_t j = c; j < n; ++j) A[r][j] -= f * A[c][j];
      b[r] -= f * b[c];
    }
  }
  std::vector<long double> z(n);
  for (std::size_t c = n; c-- > 0;) {
    long double s = b[c];
    for (std::size_t j = c + 1; j < n; ++j) s -= A[c][j] * z[j];
    z[c] = s / A[c][c];
  }
  return z;
}

// The quadratic at the probe: normal equations when the k neighbours are at
// least as many as the terms, else the minimum-norm solution Bᵀ(BBᵀ)⁻¹t.
double BiQuadRef(const Rows& X, const TRef& N, const std::vector<double>& Probe) {
  std::vector<std::vector<double>> B;
  for (std::size_t r : N.rows) B.push_back(Terms(std::vector<double>(X[r].begin(), X[r].begin() + Probe.size())));
  const std::size_t k = B.size(), q = B[0].size();
  std::vector<long double> coef(q, 0);
  if (k >= q) {
    std::vector<std::vector<long double>> A(q, std::vector<long double>(q, 0));
    std::vector<long double> b(q, 0);
    for (std::size_t i = 0; i < k; ++i)
      for (std::size_t a = 0; a < q; ++a) {
        b[a] += static_cast<long double>(B[i][a]) * N.t[i];
        for (std::size_t c = 0; c < q; ++c) A[a][c] += static_cast<long double>(B[i][a]) * B[i][c];
      }
    coef = Solve(A, b);
  } else {
    std::vector<std::vector<long double>> G(k, std::vector<long double>(k, 0));
    for (std::size_t i = 0; i < k; ++i)
      for (std::size_t j = 0; j < k; ++j)
        for (std::size_t a = 0; a < q; ++a) G[i][j] += static_cast<long double>(B[i][a]) * B[j][a];
    const std::vector<long double> y = Solve(G, std::vector<long double>(N.t.begin(), N.t.end()));
    for (std::size_t i = 0; i < k; ++i)
      for (std::size_t a = 0; a < q; ++a) coef[a] += B[i][a] * y[i];
  }
  const std::vector<double> f = Terms(Probe);
  long double e = 0;
  for (std::size_t a = 0; a < q; ++a) e += coef[a] * f[a];
  return static_cast<double>(e);
}

double Reference(TKnnWMode Mode, const Rows& X, const TRef& N, const std::vector<double>& Probe, double KWidth) {
  const double mean = std::accumulate(N.d.begin(), N.d.end(), 0.0) / static_cast<double>(N.d.size());
  const double m = mean == 0 ? 0.001 : mean;
  switch (Mode) {
    case TKnnWMode::kwmAverage: return std::accumulate(N.t.begin(), N.t.end(), 0.0) / static_cast<double>(N.t.size());
    case TKnnWMode::kwmMedian: {
      std::vector<double> s = N.t;
      std::ranges::sort(s);
      const std::size_t n = s.size();
      return n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
    }
    case TKnnWMode::kwmGauss:
    case TKnnWMode::kwmLinear: {
      double sw = 0, swt = 0;
      for (std::size_t i = 0; i < N.d.size(); ++i) {
        const double w = Mode == TKnnWMode::kwmGauss ? std::exp(-std::pow(N.d[i] * KWidth / m, 2))
                                                     : 1 - N.d[i] / m / KWidth;
        if (w > 0) {
          sw += w;
          swt += w * N.t[i];
        }
      }
      return sw > 0 ? swt / sw : 0.0;
    }
    case TKnnWMode::kwmBiQuad: return BiQuadRef(X, N, Probe);
  }
  return 0;
}

struct TKnnCase {
  const char* Name;
  TKnnWMode Mode;
  std::int32_t k;
  double KWidth;
  std::size_t Vars;
};

class EstimateByKNNModes : public ::testing::TestWithParam<TKnnCase> {};

TEST_P(EstimateByKNNModes, MatchBruteForceOverSeveralProbes) {
  const TKnnCase& c = GetParam();
  const Rows X = RandomRows(60, c.Vars, 11);
  const std::vector<double> T = test::RandomValues(60, 12);
  TMatrix data;
  TVector target, probe;
  Fill(data, X);
  Fill(target, T);
  for (unsigned s = 0; s < 4; ++s) {
    const std::vector<double> p = test::RandomValues(c.Vars, 100 + s);
    Fill(probe, p);
    double est = -1, mean = -1;
    EstimateByKNN(data, target, c.k, c.Mode, c.KWidth, probe, est, mean);
    const TRef ref = Nearest(X, T, p, static_cast<std::size_t>(c.k));
    EXPECT_NEAR(mean, std::accumulate(ref.d.begin(), ref.d.end(), 0.0) / static_cast<double>(ref.d.size()),
                kSumTol);
    EXPECT_NEAR(est, Reference(c.Mode, X, ref, p, c.KWidth), c.Mode == TKnnWMode::kwmBiQuad ? kFitTol : kSumTol)
        << "probe " << s;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EstimateByKNNModes,
    ::testing::Values(TKnnCase{"GaussNarrow", TKnnWMode::kwmGauss, 7, 0.5, 3},
                      TKnnCase{"GaussWide", TKnnWMode::kwmGauss, 12, 2.0, 3},
                      TKnnCase{"AverageOne", TKnnWMode::kwmAverage, 1, 1.0, 2},
                      TKnnCase{"Average", TKnnWMode::kwmAverage, 9, 1.0, 4},
                      TKnnCase{"MedianOdd", TKnnWMode::kwmMedian, 7, 1.0, 3},
                      TKnnCase{"MedianEven", TKnnWMode::kwmMedian, 8, 1.0, 3},
                      TKnnCase{"Linear", TKnnWMode::kwmLinear, 10, 1.5, 3},
                      TKnnCase{"LinearSomeCut", TKnnWMode::kwmLinear, 10, 0.9, 2},
                      TKnnCase{"BiQuadOverdetermined", TKnnWMode::kwmBiQuad, 25, 1.0, 2},
                      TKnnCase{"BiQuadUnderdetermined", TKnnWMode::kwmBiQuad, 6, 1.0, 3},
                      TKnnCase{"BiQuadOneVariable", TKnnWMode::kwmBiQuad, 5, 1.0, 1}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(EstimateByKNN, BiQuadReproducesAQuadraticExactly) {
  const Rows X = RandomRows(40, 3, 21);
  std::vector<double> T;
  const auto f = [](const std::vector<double>& x) {
    return 1.5 - x[0] + 2 * x[1] + 0.5 * x[2] + x[0] * x[0] - 3 * x[2] * x[2] + x[0] * x[1] - 2 * x[1] * x[2];
  };
  for (const auto& x : X) T.push_back(f(x));
  TMatrix data;
  TVector target, probe;
  Fill(data, X);
  Fill(target, T);
  const std::vector<double> p{0.1, -0.2, 0.3};
  Fill(probe, p);
  double est = 0, mean = 0;
  EstimateByKNN(data, target, 20, TKnnWMode::kwmBiQuad, 1.0, probe, est, mean);
  EXPECT_NEAR(est, f(p), kFitTol);
}

TEST(EstimateByKNN, EqualDistancesKeepTheLowerRows) {
  // Rows 1 to 4 all lie at distance 1 from the probe 0, row 5 at 2.
  TMatrix data;
  TVector target, probe;
  Fill(data, {{1}, {-1}, {1}, {-1}, {2}});
  Fill(target, {10, 20, 30, 40, 50});
  Fill(probe, {0});
  double est = 0, mean = 0;
  EstimateByKNN(data, target, 2, TKnnWMode::kwmAverage, 1.0, probe, est, mean);
  EXPECT_EQ(est, 15);
  EXPECT_EQ(mean, 1);
  EstimateByKNN(data, target, 3, TKnnWMode::kwmMedian, 1.0, probe, est, mean);
  EXPECT_EQ(est, 20);
  // Equal distances, KWidth 0.5: every linear weight is 1 − 2 = −1, none counts.
  EstimateByKNN(data, target, 4, TKnnWMode::kwmLinear, 0.5, probe, est, mean);
  EXPECT_EQ(est, 0);
}

TEST(EstimateByKNN, NeighboursOnTheProbeUseTheSmallScale) {
  // MeanDist 0: the scale is 0.001, so every weight is 1.
  TMatrix data;
  TVector target, probe;
  Fill(data, {{3, 3}, {3, 3}, {5, 5}});
  Fill(target, {1, 4, 100});
  Fill(probe, {3, 3});
  for (TKnnWMode mode : {TKnnWMode::kwmGauss, TKnnWMode::kwmLinear, TKnnWMode::kwmAverage}) {
    double est = 0, mean = -1;
    EstimateByKNN(data, target, 2, mode, 1.0, probe, est, mean);
    EXPECT_EQ(mean, 0);
    EXPECT_EQ(est, 2.5);
  }
}

TEST(EstimateByKNN, GaussWeightsDoNotAllVanish) {
  // exp(−(d·KWidth/m)²) underflows to 0 for every neighbour here; the
  // quotient's limit is the nearest neighbour's target.
  TMatrix data;
  TVector target, probe;
  Fill(data, {{10}, {11}, {13}});
  Fill(target, {7, 8, 9});
  Fill(probe, {0});
  double est = 0, mean = 0;
  EstimateByKNN(data, target, 3, TKnnWMode::kwmGauss, 100.0, probe, est, mean);
  EXPECT_EQ(est, 7);
  EXPECT_NEAR(mean, 34.0 / 3, kSumTol);
}

TEST(EstimateByKNN, KIsClampedIntoOneToTheRowsAndOneHundred) {
  const Rows X = RandomRows(150, 2, 31);
  const std::vector<double> T = test::RandomValues(150, 32);
  TMatrix data;
  TVector target, probe;
  Fill(data, X);
  Fill(target, T);
  Fill(probe, {0.2, 0.1});
  double a = 0, b = 0, ma = 0, mb = 0;
  EstimateByKNN(data, target, 500, TKnnWMode::kwmAverage, 1, probe, a, ma);
  EstimateByKNN(data, target, 100, TKnnWMode::kwmAverage, 1, probe, b, mb);
  EXPECT_EQ(a, b);
  EXPECT_EQ(ma, mb);
  EstimateByKNN(data, target, 0, TKnnWMode::kwmAverage, 1, probe, a, ma);
  EXPECT_EQ(a, T[Nearest(X, T, {0.2, 0.1}, 1).rows[0]]);
  // Fewer rows than k: all of them.
  TMatrix small;
  TVector st;
  Fill(small, {{0, 0}, {1, 1}, {2, 2}});
  Fill(st, {1, 2, 6});
  EstimateByKNN(small, st, 10, TKnnWMode::kwmAverage, 1, probe, a, ma);
  EXPECT_EQ(a, 3);
}

TEST(EstimateByKNN, NaNRowsAreSkippedAndANaNProbeGivesNaN) {
  TMatrix data;
  TVector target, probe;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Fill(data, {{0.1}, {nan}, {0.3}, {5}});
  Fill(target, {1, 1000, 3, 5});
  Fill(probe, {0});
  double est = 0, mean = 0;
  EstimateByKNN(data, target, 2, TKnnWMode::kwmAverage, 1, probe, est, mean);
  EXPECT_EQ(est, 2);
  EXPECT_NEAR(mean, 0.2, kSumTol);
  // Only three rows have a distance: k = 4 takes those three.
  EstimateByKNN(data, target, 4, TKnnWMode::kwmAverage, 1, probe, est, mean);
  EXPECT_EQ(est, 3);
  Fill(probe, {nan});
  EstimateByKNN(data, target, 2, TKnnWMode::kwmGauss, 1, probe, est, mean);
  EXPECT_TRUE(std::isnan(est));
  EXPECT_TRUE(std::isnan(mean));
}

TEST(EstimateByKNN, ShortProbeComparesItsOwnVariables) {
  // Only the first variable counts: row 2 is nearest although its second
  // variable is far off.
  TMatrix data;
  TVector target, probe;
  Fill(data, {{1, 0}, {0.1, 50}, {2, 0}});
  Fill(target, {1, 2, 3});
  Fill(probe, {0});
  double est = 0, mean = 0;
  EstimateByKNN(data, target, 1, TKnnWMode::kwmAverage, 1, probe, est, mean);
  EXPECT_EQ(est, 2);
}

TEST(EstimateByKNN, BiQuadGivesZeroWhenTheSolverIsAborted) {
  const Rows X = RandomRows(20, 2, 41);
  TMatrix data;
  TVector target, probe;
  Fill(data, X);
  Fill(target, test::RandomValues(20, 42));
  Fill(probe, {0, 0});
  double est = 1, mean = 0;
  AbortMathProc = true;
  EstimateByKNN(data, target, 10, TKnnWMode::kwmBiQuad, 1, probe, est, mean);
  AbortMathProc = false;
  EXPECT_EQ(est, 0);
  EXPECT_GT(mean, 0);
}

TEST(EstimateByKNN, TargetsMustMatchTheObjects) {
  TMatrix data;
  TVector target, probe;
  Fill(probe, {0});
  Fill(data, {{1}, {2}});
  double est = 0, mean = 0;
  for (const std::vector<double>& t : {std::vector<double>{1}, std::vector<double>{1, 2, 3}}) {
    Fill(target, t);
    try {
      EstimateByKNN(data, target, 1, TKnnWMode::kwmAverage, 1, probe, est, mean);
      ADD_FAILURE() << "no exception for " << t.size() << " targets";
    } catch (const EKVLMath2Error& e) {
      EXPECT_STREQ(e.what(), "EstimateByKNN: number of targets does not match number of objects");
    }
  }
}

}  // namespace
}  // namespace kvl
