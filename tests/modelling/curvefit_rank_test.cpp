// TCurveFit: the rank statistics. Kendall's counts (taken in O(n log n))
// are checked against the pair-by-pair definition on data full of ties;
// Spearman's tie-corrected rho against Pearson's r of the average ranks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

struct TPairCounts {
  double C = 0, D = 0, T1 = 0, T2 = 0;
};

// The definition: p = (xi − xj)(yi − yj) over all pairs i < j.
TPairCounts CountPairs(const std::vector<double>& x, const std::vector<double>& y) {
  TPairCounts c;
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = i + 1; j < x.size(); ++j) {
      const double p = (x[i] - x[j]) * (y[i] - y[j]);
      if (p > 0) ++c.C;
      if (p < 0) ++c.D;
      if (p == 0 && x[i] != x[j]) ++c.T1;
      if (p == 0 && y[i] != y[j]) ++c.T2;
    }
  return c;
}

double PearsonOfRanks(const std::vector<double>& v, const std::vector<double>& w) {
  auto ranks = [](const std::vector<double>& a) {
    std::vector<double> r(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      double less = 0, equal = 0;
      for (double b : a) {
        less += b < a[i];
        equal += b == a[i];
      }
      r[i] = less + (equal + 1) / 2;
    }
    return r;
  };
  const std::vector<double> rv = ranks(v), rw = ranks(w);
  const double n = static_cast<double>(v.size()), m = (n + 1) / 2;
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    sxy += (rv[i] - m) * (rw[i] - m);
    sxx += (rv[i] - m) * (rv[i] - m);
    syy += (rw[i] - m) * (rw[i] - m);
  }
  return sxy / std::sqrt(sxx * syy);
}

struct TRankCase {
  const char* Name;
  int N;
  int XLevels, YLevels;  // 0: continuous values
};

class CurveFitRanks : public ::testing::TestWithParam<TRankCase> {};

TEST_P(CurveFitRanks, KendallAndGammaEqualThePairCountSpearmanThePearsonOfRanks) {
  const TRankCase& c = GetParam();
  std::mt19937 gen(7 + c.N);
  std::vector<double> x, y;
  TCurveFit f;
  for (int i = 0; i < c.N; ++i) {
    const double u = c.XLevels ? static_cast<double>(gen() % c.XLevels) : std::ldexp(static_cast<double>(gen()), -32);
    const double v = c.YLevels ? static_cast<double>(gen() % c.YLevels) + (u > 2 ? 1 : 0)
                               : u + std::ldexp(static_cast<double>(gen()), -33);
    x.push_back(u);
    y.push_back(v);
    f.EnterStatValue(u, v);
  }
  const TPairCounts p = CountPairs(x, y);
  const double root = std::sqrt((p.C + p.D + p.T1) * (p.C + p.D + p.T2));
  double prob = -1;
  const double tau = f.KendallsTau(prob);
  EXPECT_DOUBLE_EQ(tau, (p.C - p.D) / root);
  const double n = c.N, sigma = std::sqrt((4 * n + 10) / (9 * n * (n - 1)));
  EXPECT_DOUBLE_EQ(prob, 1 - ErfApprox(std::fabs(tau / sigma) / std::sqrt(2.0)));
  EXPECT_DOUBLE_EQ(f.KruskalGamma(), (p.C - p.D) / (p.C + p.D));
  EXPECT_NEAR(f.SpearmanRankCorr(), PearsonOfRanks(x, y), kTol1e12);
}

INSTANTIATE_TEST_SUITE_P(All, CurveFitRanks,
                         ::testing::Values(TRankCase{"Continuous", 300, 0, 0}, TRankCase{"TiesInX", 257, 6, 0},
                                           TRankCase{"TiesInBoth", 400, 5, 4}, TRankCase{"Binary", 64, 2, 2},
                                           TRankCase{"Three", 3, 0, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(CurveFitRanks, SmallSamplesNaNsAndTheCache) {
  TCurveFit f;
  f.EnterStatValue(1, 1);
  f.EnterStatValue(2, 2);
  double prob = 5;
  EXPECT_EQ(f.KendallsTau(prob), 0);  // below 3 pairs
  EXPECT_EQ(prob, 0);
  EXPECT_EQ(f.SpearmanRankCorr(), 0);
  f.EnterStatValue(3, 3);
  EXPECT_DOUBLE_EQ(f.KendallsTau(prob), 1);
  EXPECT_DOUBLE_EQ(f.SpearmanRankCorr(), 1);
  f.EnterStatValue(4, 0);  // the cache is renewed on entry
  EXPECT_DOUBLE_EQ(f.KruskalGamma(), 0);
  f.RemoveStatValue(4);  // and on removal
  EXPECT_DOUBLE_EQ(f.KruskalGamma(), 1);
  // A pair with a NaN counts nowhere, as in the pair-by-pair definition.
  f.EnterStatValue(std::numeric_limits<double>::quiet_NaN(), 1);
  f.EnterStatValue(5, 4);
  EXPECT_DOUBLE_EQ(f.KendallsTau(prob), 1);
}

}  // namespace
}  // namespace kvl
