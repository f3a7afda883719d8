// Sign, median, distribution comparison and Wilcoxon tests, and ranking.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/statistics/KVL_statis.h"
#include "kvl/statistics/statis/internal/wilcoxon_table.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;
using test::kTol1e14;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(RankWithTies, MeanRanksTieTermAndNaN) {
  std::vector<double> x{3, 1, 3, NaN, 2, 3}, r(x.size());
  EXPECT_EQ(RankWithTies(x, r), 24.0);  // one run of 3: 27 - 3
  EXPECT_EQ(r[1], 1);
  EXPECT_EQ(r[4], 2);
  EXPECT_EQ(r[0], 4);
  EXPECT_EQ(r[5], 4);
  EXPECT_TRUE(std::isnan(r[3]));
  RankWithTies(x, x);  // in place
  EXPECT_EQ(x[2], 4);
  std::vector<double> shortOut(2);
  EXPECT_TRUE(std::isnan(RankWithTies(r, shortOut)));
}

// The probability goes through LnBinomCoeff, whose LnGamma is good to about
// 2e-10 absolute.
constexpr double kLnGammaTol = 1e-9;

TEST(BinomSignTest, ProbabilityAndCodes) {
  EXPECT_NEAR(BinomSignTest({true, true, true, true, true}, 0.5), 0.03125, kLnGammaTol);
  EXPECT_NEAR(BinomSignTest({true, false, true, false}, 0.3), 6 * 0.09 * 0.49, kLnGammaTol);
  EXPECT_EQ(BinomSignTest({true, false}, 0.5), -1);
  EXPECT_EQ(BinomSignTest({true, false, true}, 1.5), -2);
  EXPECT_EQ(BinomSignTest({true, false, true}, NaN), -2);
  EXPECT_EQ(BinomSignTest({true, false, true}, 0.0), -3);  // p^k = 0
  EXPECT_EQ(BinomSignTest({true, false, true}, 1.0), -3);  // (1-p)^(n-k) = 0
}

TEST(MedianTest, TableCountsAndCodes) {
  double c, pc, cy, py, pf;
  EXPECT_EQ(MedianTest({}, std::vector<double>{1.0}, c, pc, cy, py, pf), -1);
  EXPECT_EQ(pf, -1);
  // Pooled 1..12: median 6.5; A = 1..6 all below, B = 7..12 all above.
  std::vector<double> a{1, 2, 3, 4, 5, 6}, b{7, 8, 9, 10, 11, 12};
  EXPECT_EQ(MedianTest(a, b, c, pc, cy, py, pf), 0);
  EXPECT_NEAR(c, 12.0, kTol1e12);                            // N (ad - bc)^2 / (6^4)
  EXPECT_NEAR(cy, 12.0 * 25 / 36, kTol1e12);                 // (36 - 6)^2 12 / 6^4
  EXPECT_NEAR(pf, 2.0 / 924, kTol1e12);                      // two extreme tables of C(12, 6)
  // Odd count: the median is a value and counts as "not above".
  std::vector<double> a2{1, 2, 3}, b2{4, 5};
  EXPECT_EQ(MedianTest(a2, b2, c, pc, cy, py, pf), 0);       // median 3: A 0|3, B 2|0
  EXPECT_NEAR(c, 5.0, kTol1e12);
  // All equal: nothing above the median, a zero margin.
  std::vector<double> same{2, 2, 2};
  EXPECT_EQ(MedianTest(same, same, c, pc, cy, py, pf), -2);
  EXPECT_EQ(cy, 0);
  EXPECT_EQ(pf, -1);
  std::vector<double> withNaN{1, NaN};
  EXPECT_EQ(MedianTest(withNaN, b, c, pc, cy, py, pf), -3);
}

TEST(PerformChi2DistComp, PoolsAndCodes) {
  double chi2, p;
  std::int32_t df, n1, n2;
  EXPECT_EQ(PerformChi2DistComp({}, {}, chi2, p, df, n1, n2), -2);
  EXPECT_EQ(PerformChi2DistComp({1, 2}, {1}, chi2, p, df, n1, n2), -1);
  EXPECT_EQ(PerformChi2DistComp({0, 0}, {1, 2}, chi2, p, df, n1, n2), -3);
  EXPECT_EQ(PerformChi2DistComp({1, -2}, {1, 2}, chi2, p, df, n1, n2), -4);
  const TIntArray obs{3, 8, 10, 7, 2};
  EXPECT_EQ(PerformChi2DistComp(obs, obs, chi2, p, df, n1, n2), 0);
  EXPECT_EQ(chi2, 0);
  EXPECT_EQ(n1, 30);
  // Pools: bins 0-1 (Obs2 11 > 5), bin 2, bin 3, the remainder bin 4: df 3.
  EXPECT_EQ(df, 3);
  const TIntArray other{6, 6, 6, 6, 6};
  EXPECT_EQ(PerformChi2DistComp(obs, other, chi2, p, df, n1, n2), 0);
  // Every bin closes on its own (the last one as the remainder): 5 pools.
  EXPECT_EQ(df, 4);
  const double want = 9.0 / 6 + 4.0 / 6 + 16.0 / 6 + 1.0 / 6 + 16.0 / 6;  // (a1 - a2)^2 / a2, N1 = N2
  EXPECT_NEAR(chi2, want, kTol1e12);
  EXPECT_NEAR(p, 1 - chi2DistriIntegral(want, 4), kTol1e12);
}

TEST(WilcoxonTable, ReproducesThePublishedRows) {
  const std::vector<std::pair<int, std::array<std::int32_t, 5>>> given{
      {8, {5, 3, 1, 0, 0}},          {9, {8, 5, 3, 1, 0}},           {10, {10, 8, 5, 3, 0}},
      {20, {60, 52, 43, 37, 21}},    {50, {466, 434, 397, 373, 304}}, {100, {2045, 1955, 1850, 1779, 1578}}};
  for (const auto& [n, row] : given) EXPECT_EQ(statis_internal::WilcoxonTable[n - 8], row) << "n = " << n;
}

TEST(WilcoxonSRQuantile, TableFitAndNormalBranch) {
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.05, true), 52);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.025, false), 52);  // one-sided at half the level
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.05, true), 3);      // parabola through 3 points
  // Elsewhere the least-squares parabola stays within 0.3 % (at least 1) of
  // every table entry that a level reaches.
  const double levels[5] = {0.1, 0.05, 0.02, 0.01, 0.001};
  for (int n = 11; n <= 100; ++n) {
    for (int j = 0; j < 5; ++j) {
      if (statis_internal::WilcoxonTable[n - 8][j] == 0) continue;
      EXPECT_NEAR(WilcoxonSRQuantile(n, levels[j], true), statis_internal::WilcoxonTable[n - 8][j],
                  std::max(1.0, 0.003 * statis_internal::WilcoxonTable[n - 8][j]))
          << n;
    }
  }
  EXPECT_EQ(WilcoxonSRQuantile(7, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.3, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.0004, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, NaN, true), -1);
  // n > 100: the normal approximation.
  const double z = nDistriQuantile(0.025);
  EXPECT_EQ(WilcoxonSRQuantile(200, 0.05, true),
            static_cast<std::int32_t>(std::nearbyint(200.0 * 201 / 4 + z * std::sqrt(200.0 * 201 * 401 / 24))));
}

TEST(WilcoxonSignedRankTest, RankSumsAndCodes) {
  double med, w, lo, hi;
  std::vector<double> a{1, 2, 3, 4, 5, 6, 7}, b(7, 0.0);
  EXPECT_EQ(WilcoxonSignedRankTest(a, b, 0.05, false, med, w, lo, hi), -1);
  std::vector<double> a8{5, 7, 9, 2, 4, 6, 8, 10}, b8{4, 5, 6, 3, 4, 4, 5, 5};
  EXPECT_EQ(WilcoxonSignedRankTest(a, std::vector<double>(8, 0.0), 0.05, false, med, w, lo, hi), -1);
  EXPECT_EQ(WilcoxonSignedRankTest(a8, b8, 0.0, false, med, w, lo, hi), -3);
  std::vector<double> b9(b8);
  b9.push_back(1);
  std::vector<double> a9(a8);
  a9.push_back(1);
  a9.push_back(1);
  EXPECT_EQ(WilcoxonSignedRankTest(a9, b9, 0.05, false, med, w, lo, hi), -2);
  // d = 1, 2, 3, -1, 0, 2, 3, 5: m = 7; |d| ranks 1.5, 3.5, 5.5, 1.5, 3.5, 5.5, 7.
  EXPECT_EQ(WilcoxonSignedRankTest(a8, b8, 0.05, false, med, w, lo, hi), 0);
  EXPECT_EQ(w, 28 - 1.5);
  EXPECT_EQ(med, 2);  // sorted d: -1 1 2 2 3 3 5
  EXPECT_EQ(lo, -1);  // m = 7 has no critical value
  EXPECT_EQ(hi, -1);
  // All pairs equal: m = 0.
  EXPECT_EQ(WilcoxonSignedRankTest(a8, a8, 0.05, false, med, w, lo, hi), 0);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(med, 0);
  // m = 10 pairs, all positive: W+ = 55, TLow = 8 at 0.05 two-sided.
  std::vector<double> a10{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, b10(10, 0.0);
  EXPECT_EQ(WilcoxonSignedRankTest(a10, b10, 0.05, false, med, w, lo, hi), 0);
  EXPECT_EQ(w, 55);
  EXPECT_EQ(lo, 8);
  EXPECT_EQ(hi, 47);
  EXPECT_EQ(med, 5.5);
  a10[3] = NaN;
  EXPECT_EQ(WilcoxonSignedRankTest(a10, b10, 0.05, false, med, w, lo, hi), -4);
}

TEST(MannWhitney, ExactOneSidedAndBadInput) {
  double U;
  std::vector<double> a{1, 2, 3}, b{4, 5, 6, 7};
  // Complete separation: U = 0, P(U <= 0) = 1 / C(7, 3).
  EXPECT_NEAR(PerformMannWhitneyUTest(a, b, true, U), 1.0 / 35, kTol1e14);
  EXPECT_EQ(U, 0);
  EXPECT_NEAR(PerformMannWhitneyUTest(b, a, false, U), 2.0 / 35, kTol1e14);
  EXPECT_EQ(U, 12);
  EXPECT_EQ(PerformMannWhitneyUTest({}, b, false, U), -1);
  std::vector<double> same{1, 1, 1};
  EXPECT_EQ(PerformMannWhitneyUTest(same, same, false, U), 1.0);  // all tied
  std::vector<double> bad{1, NaN};
  EXPECT_TRUE(std::isnan(PerformMannWhitneyUTest(bad, b, false, U)));
  EXPECT_TRUE(std::isnan(U));
  TVector va, vb;
  va.Resize(3);
  vb.Resize(4);
  for (int i = 1; i <= 3; ++i) va.SetElem(i, a[i - 1]);
  for (int i = 1; i <= 4; ++i) vb.SetElem(i, b[i - 1]);
  EXPECT_NEAR(PerformMannWhitneyUTest(va, vb, true, U), 1.0 / 35, kTol1e14);
}

TEST(SiegelTukey, RanksFromBothEnds) {
  // Pooled sorted 1..6 get ranks 1, 4, 5, 6, 3, 2: A = {1, 6} has 1 + 2 = 3.
  std::vector<double> a{1, 6}, b{2, 3, 4, 5};
  double U;
  const double p = PerformSiegelTukeyTest(a, b, U);
  EXPECT_EQ(U, 0);  // rank sum 3 - 2 * 3 / 2
  EXPECT_NEAR(p, 2.0 / 15, kTol1e14);
  EXPECT_EQ(PerformSiegelTukeyTest(a, {}, U), -1);
}

}  // namespace
}  // namespace kvl
