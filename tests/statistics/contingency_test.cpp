#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;
using test::kTol1e14;
using test::kTol1e15;

// 128-bit integers for exact reference values of large pair counts.
__extension__ using Int128 = __int128;

// A p-value of the chi-square functions is 1 minus the library's
// distribution function, itself good to 1e-13 relative.
constexpr double kPValueTol = 1e-12;

// The counts with their margins appended (row totals last in each row, the
// column totals and N as the last row).
TInt2DArray WithMargins(const TInt2DArray& Counts) {
  TInt2DArray t = Counts;
  std::vector<std::int32_t> colTotals(Counts[0].size() + 1, 0);
  for (auto& row : t) {
    std::int32_t sum = 0;
    for (std::size_t j = 0; j < row.size(); ++j) {
      sum += row[j];
      colTotals[j] += row[j];
    }
    row.push_back(sum);
    colTotals.back() += sum;
  }
  t.push_back(colTotals);
  return t;
}

// The upper tail of chi-square in closed form for the degrees of freedom
// the random tables below have.
double Chi2UpperTail(double x, int df) {
  const double h = x / 2;
  switch (df) {
    case 1: return std::erfc(std::sqrt(h));
    case 2: return std::exp(-h);
    case 3: return std::erfc(std::sqrt(h)) + std::sqrt(2 * x / std::numbers::pi) * std::exp(-h);
    case 4: return std::exp(-h) * (1 + h);
    case 6: return std::exp(-h) * (1 + h + h * h / 2);
    default: return -1;
  }
}

TEST(Chi2OfContTab, MatchesDirectSumAndClosedFormTailOnRandomTables) {
  std::mt19937 gen(15);
  std::uniform_int_distribution<std::int32_t> count(0, 40);
  const int shapes[][2] = {{2, 2}, {2, 3}, {2, 4}, {3, 3}, {3, 4}};
  for (const auto& shape : shapes) {
    for (int rep = 0; rep < 20; ++rep) {
      TInt2DArray counts(shape[0], std::vector<std::int32_t>(shape[1]));
      for (auto& row : counts)
        for (auto& v : row) v = count(gen) + 1;
      const TInt2DArray t = WithMargins(counts);
      const double n = t.back().back();
      double want = 0;
      for (int i = 0; i < shape[0]; ++i)
        for (int j = 0; j < shape[1]; ++j) {
          const double e = t[i].back() * static_cast<double>(t.back()[j]) / n;
          want += (counts[i][j] - e) * (counts[i][j] - e) / e;
        }
      double chi2 = -1, p = -1;
      ASSERT_EQ(Chi2OfContTab(t, chi2, p), 0);
      EXPECT_NEAR(chi2, want, kTol1e12 * want);
      EXPECT_NEAR(p, Chi2UpperTail(want, (shape[0] - 1) * (shape[1] - 1)), kPValueTol);
    }
  }
}

TEST(Chi2OfContTab, RejectsTablesWithoutUsableMargins) {
  const TInt2DArray good = WithMargins({{3, 4}, {5, 6}});
  TInt2DArray ragged = good;
  ragged[1].pop_back();
  TInt2DArray wrongMargin = good;
  wrongMargin[0][2] += 1;
  TInt2DArray wrongTotal = good;
  wrongTotal[2][2] += 1;
  TInt2DArray negative = WithMargins({{3, -4}, {5, 6}});
  const TInt2DArray cases[] = {{{3, 4}, {5, 6}}, {}, {{}, {}, {}}, ragged, wrongMargin, wrongTotal, negative};
  for (const auto& t : cases) {
    double chi2 = 7, p = 7;
    EXPECT_EQ(Chi2OfContTab(t, chi2, p), -1);
    EXPECT_EQ(chi2, 0.0);
    EXPECT_EQ(p, 0.0);
  }
  double chi2 = 0, p = 0;
  EXPECT_EQ(Chi2OfContTab(good, chi2, p), 0);
}

TEST(Chi2OfContTabYates, EqualsTheCellwiseContinuityCorrection) {
  std::mt19937 gen(16);
  std::uniform_int_distribution<std::int32_t> count(1, 200);
  for (int rep = 0; rep < 50; ++rep) {
    const TInt2DArray counts{{count(gen), count(gen)}, {count(gen), count(gen)}};
    const TInt2DArray t = WithMargins(counts);
    const double n = t[2][2];
    double want = 0;  // sum over the cells of (|O - E| - 1/2)^2 / E
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) {
        const double e = t[i][2] * static_cast<double>(t[2][j]) / n;
        want += std::pow(std::fabs(counts[i][j] - e) - 0.5, 2) / e;
      }
    double chi2 = 0, p = 0;
    ASSERT_EQ(Chi2OfContTabYates(t, chi2, p), 0);
    EXPECT_NEAR(chi2, want, kTol1e12 * want);
    EXPECT_NEAR(p, Chi2UpperTail(want, 1), kPValueTol);
  }
}

TEST(Chi2OfContTabYates, StatusCodes) {
  double chi2 = 5, p = 5;
  EXPECT_EQ(Chi2OfContTabYates(WithMargins({{1, 2, 3}, {4, 5, 6}}), chi2, p), -1);  // 2 x 3
  EXPECT_EQ(Chi2OfContTabYates({{1, 2}, {3, 4}}, chi2, p), -1);                     // no margins
  EXPECT_EQ(Chi2OfContTabYates(WithMargins({{0, 0}, {4, 5}}), chi2, p), -2);        // empty row
  EXPECT_EQ(chi2, 0.0);
  EXPECT_EQ(p, 0.0);
}

// Exact binomial coefficient (small arguments).
std::uint64_t Choose(int n, int k) {
  if (k < 0 || k > n) return 0;
  std::uint64_t r = 1;
  for (int i = 1; i <= k; ++i) r = r * static_cast<std::uint64_t>(n - k + i) / static_cast<std::uint64_t>(i);
  return r;
}

TEST(FisherExactTest, MatchesExactEnumerationOnRandomTables) {
  std::mt19937 gen(17);
  std::uniform_int_distribution<std::int32_t> count(0, 10);
  for (int rep = 0; rep < 200; ++rep) {
    const std::int32_t a = count(gen), b = count(gen), c = count(gen), d = count(gen);
    const TInt2DArray t{{a, b}, {c, d}};
    // Reference: every table with the margins of t, indexed by its cell a;
    // weights C(a + b, a') C(c + d, c') are exact integers, so ties are exact.
    const int r1 = a + b, r2 = c + d, c1 = a + c, n = r1 + r2;
    const std::uint64_t total = Choose(n, c1);
    const auto weight = [&](int x) { return Choose(r1, x) * Choose(r2, c1 - x); };
    const std::uint64_t wObs = weight(a);
    std::uint64_t le = 0, ge = 0, two = 0;
    for (int x = 0; x <= c1; ++x) {
      const std::uint64_t w = weight(x);
      if (x <= a) le += w;
      if (x >= a) ge += w;
      if (w <= wObs) two += w;
    }
    const double pLe = static_cast<double>(le) / total, pGe = static_cast<double>(ge) / total;
    // The running cell is a for the margins a + c and a + b; for b + d and
    // c + d it is b resp. c, which grow as a falls.
    const std::int32_t margins[] = {a + c, b + d, a + b, c + d};
    const int smallest = static_cast<int>(std::min_element(margins, margins + 4) - margins);
    const bool runsA = smallest == 0 || smallest == 2;
    double p = 0, pLow = 0, pHigh = 0, pTwo = 0;
    ASSERT_EQ(Prob2x2Contingency(t, p), 0);
    EXPECT_NEAR(p, static_cast<double>(wObs) / total, kTol1e12);
    ASSERT_EQ(FisherExactTest(t, pLow, pHigh, pTwo), 0);
    EXPECT_NEAR(pLow, runsA ? pLe : pGe, kTol1e12) << a << " " << b << " " << c << " " << d;
    EXPECT_NEAR(pHigh, runsA ? pGe : pLe, kTol1e12);
    EXPECT_NEAR(pTwo, static_cast<double>(two) / total, kTol1e12);
  }
}

TEST(FisherExactTest, ExampleWithFourEqualMargins) {
  double pLow = 0, pHigh = 0, pTwo = 0;
  ASSERT_EQ(FisherExactTest({{3, 1}, {1, 3}}, pLow, pHigh, pTwo), 0);
  EXPECT_NEAR(pLow, 69.0 / 70, kTol1e14);
  EXPECT_NEAR(pHigh, 17.0 / 70, kTol1e14);
  EXPECT_NEAR(pTwo, 34.0 / 70, kTol1e14);
}

TEST(FisherExactTest, StatusCodesShared) {
  struct Case {
    TInt2DArray t;
    std::int32_t status;
  };
  const Case cases[] = {
      {{{1, 2, 3}, {4, 5, 6}}, -1}, {{{1, 2}}, -1},           {{{1, 2}, {3}}, -1},
      {{}, -1},                     {{{500, 1}, {0, 500}}, -2}, {{{3, -1}, {2, 2}}, -3},
      {{{2147483647, 2147483647}, {1, 1}}, -2},  // a total beyond 32 bits
  };
  for (const auto& c : cases) {
    double p = 9, pLow = 9, pHigh = 9, pTwo = 9;
    EXPECT_EQ(Prob2x2Contingency(c.t, p), c.status);
    EXPECT_EQ(FisherExactTest(c.t, pLow, pHigh, pTwo), c.status);
    EXPECT_EQ(p, 0.0);
    EXPECT_EQ(pLow + pHigh + pTwo, 0.0);
  }
  double p = 0;
  EXPECT_EQ(Prob2x2Contingency({{500, 0}, {0, 500}}, p), 0);  // N = 1000 is the last allowed
  EXPECT_GT(p, 0.0);
}

TEST(Lambda, GoodmanKruskalOfAKnownTable) {
  double la = 0, lb = 0;
  ASSERT_EQ(Lambda(WithMargins({{10, 5}, {2, 8}}), la, lb), 0);
  EXPECT_NEAR(la, 5.0 / 12, kTol1e15);  // (10 + 8 - 13) / (25 - 13)
  EXPECT_NEAR(lb, 3.0 / 10, kTol1e15);  // (10 + 8 - 15) / (25 - 15)
  ASSERT_EQ(Lambda(WithMargins({{4, 0}, {6, 0}}), la, lb), 0);
  EXPECT_TRUE(std::isnan(la));  // every count in one column: no prediction error to reduce
}

TEST(Lambda, RejectsDisagreeingMarginsAndBadTables) {
  TInt2DArray t = WithMargins({{10, 5}, {2, 8}});
  t[1][2] = 11;
  const TInt2DArray cases[] = {t, {}, {{1, 2, 3}, {4, 5}}, WithMargins({{-1, 2}, {3, 4}})};
  for (const auto& c : cases) {
    double la = 3, lb = 3;
    EXPECT_EQ(Lambda(c, la, lb), -1);
    EXPECT_EQ(la, 0.0);
    EXPECT_EQ(lb, 0.0);
  }
}

TEST(AdjustedRandIx, MatchesPairCountingOfRandomPartitions) {
  std::mt19937 gen(18);
  for (int rep = 0; rep < 30; ++rep) {
    const int n = 40, k1 = 3, k2 = 4;
    std::vector<int> u(n), v(n);
    for (int i = 0; i < n; ++i) {
      u[i] = static_cast<int>(gen() % k1);
      v[i] = static_cast<int>(gen() % k2);
    }
    TInt2DArray counts(k1, std::vector<std::int32_t>(k2, 0));
    for (int i = 0; i < n; ++i) ++counts[u[i]][v[i]];
    // Pairs together in both partitions, in the first, in the second.
    double both = 0, inU = 0, inV = 0, pairs = 0;
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        both += (u[i] == u[j] && v[i] == v[j]);
        inU += u[i] == u[j];
        inV += v[i] == v[j];
        ++pairs;
      }
    const double expected = inU * inV / pairs;
    const double want = (both - expected) / ((inU + inV) / 2 - expected);
    EXPECT_NEAR(AdjustedRandIx(WithMargins(counts)), want, kTol1e12);
  }
  EXPECT_DOUBLE_EQ(AdjustedRandIx(WithMargins({{5, 0, 0}, {0, 7, 0}, {0, 0, 3}})), 1.0);
}

TEST(AdjustedRandIx, LargeCountsDoNotOverflow) {
  // C(50000, 2) and the product of the pair sums lie far beyond 32 bits.
  EXPECT_DOUBLE_EQ(AdjustedRandIx(WithMargins({{50000, 0}, {0, 70000}})), 1.0);
  const TInt2DArray counts{{300000, 200000, 1000}, {150000, 400000, 2000}};
  const TInt2DArray t = WithMargins(counts);
  // Exact reference in 128-bit integers: (S C - a b) / ((a + b) C / 2 - a b).
  const auto pairs = [](Int128 x) { return x * (x - 1) / 2; };
  Int128 s = 0, a = 0, b = 0;
  for (const auto& row : counts)
    for (auto v : row) s += pairs(v);
  for (std::size_t j = 0; j + 1 < t[2].size(); ++j) a += pairs(t[2][j]);
  for (std::size_t i = 0; i < 2; ++i) b += pairs(t[i].back());
  const Int128 cn = pairs(t[2].back());
  const long double want = static_cast<long double>(s * cn - a * b) /
                           static_cast<long double>((a + b) * cn / 2 - a * b);
  EXPECT_NEAR(AdjustedRandIx(t), static_cast<double>(want), kTol1e12);
}

TEST(AdjustedRandIx, UnusableTablesGiveNaN) {
  TInt2DArray wrong = WithMargins({{1, 2}, {3, 4}});
  wrong[0][2] = 0;
  for (const TInt2DArray& t : {TInt2DArray{}, wrong, WithMargins({{1}}), WithMargins({{1, 0}, {0, 0}})})
    EXPECT_TRUE(std::isnan(AdjustedRandIx(t)));
}

}  // namespace
}  // namespace kvl
