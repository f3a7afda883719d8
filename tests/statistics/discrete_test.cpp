#include "kvl/statistics/statis/discrete.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kvl_test_support.h"

namespace kvl {
namespace {

// The header promises 1e-13 relative for the binomial distribution.
constexpr double kBinomTol = 1e-13;
// The exact U distribution keeps 1e-15 relative.
constexpr double kUExactTol = 1e-14;

struct BinomRow {
  std::int32_t n;
  double p;
  std::int32_t k;
  double density, integral;
};

// 40-digit sums of the binomial probabilities (reference_values.py).
const std::vector<BinomRow> kBinom = {
    {10, 0.3, 0, 2.8247524900000004e-2, 2.8247524900000004e-2},
    {10, 0.3, 3, 2.66827932e-1, 6.4961071840000003e-1},
    {10, 0.3, 7, 9.0016919999999981e-3, 9.984096136e-1},
    {10, 0.3, 9, 1.3778099999999996e-4, 9.999940951e-1},
    {20, 0.5, 4, 4.6205520629882813e-3, 5.908966064453125e-3},
    {20, 0.5, 10, 1.7619705200195313e-1, 5.8809852600097656e-1},
    {20, 0.5, 15, 1.47857666015625e-2, 9.9409103393554688e-1},
    {100, 0.01, 0, 3.660323412732295e-1, 3.660323412732295e-1},
    {100, 0.01, 1, 3.6972963764972677e-1, 7.3576197892295627e-1},
    {100, 0.01, 5, 2.8977871237614822e-3, 9.9946546553600697e-1},
    {100, 0.01, 20, 2.3986500044707206e-20, 1.0},
    {1000, 0.5, 400, 4.6339080740497339e-11, 1.3642320780330092e-10},
    {1000, 0.5, 500, 2.5225018178360802e-2, 5.126125090891804e-1},
    {1000, 0.5, 560, 1.8642776113082094e-5, 9.9993611784083786e-1},
    {1000, 0.999, 980, 1.273492088955825e-19, 1.3357486992362777e-19},
    {1000, 0.999, 995, 3.0488079277588226e-3, 3.6368780295218037e-3},
    {1000, 0.999, 999, 3.6806348825922327e-1, 6.3230457522903628e-1},
    {100000, 0.0001, 0, 4.5377233958961151e-5, 4.5377233958961151e-5},
    {100000, 0.0001, 10, 1.2511629168169369e-1, 5.8303975029725424e-1},
    {100000, 0.0001, 30, 1.7084077233956287e-7, 9.9999992033305561e-1},
    {1000000, 0.3, 298000, 6.2982495055668135e-8, 6.3299684047719269e-6},
    {1000000, 0.3, 300000, 8.7056315463668078e-4, 5.0049331906667927e-1},
    {1000000, 0.3, 302500, 3.0638089393926125e-10, 9.9999997514908533e-1},
    {2147483647, 1e-8, 5, 1.7950025720906102e-5, 2.3027149054844567e-5},
    {2147483647, 1e-8, 21, 8.6254206616556703e-2, 5.1658486993078561e-1},
    {2147483647, 1e-8, 40, 1.0943255465102597e-4, 9.9988529441292948e-1},
};

TEST(BinomDistriTest, MatchesReferenceValues) {
  for (const auto& r : kBinom) {
    SCOPED_TRACE(testing::Message() << "n = " << r.n << ", p = " << r.p << ", k = " << r.k);
    EXPECT_NEAR(BinomDistriDensity(r.n, r.p, r.k), r.density, kBinomTol * r.density);
    EXPECT_NEAR(BinomDistriIntegral(r.n, r.p, r.k), r.integral, kBinomTol * r.integral);
  }
}

TEST(BinomDistriTest, EdgesAndDomain) {
  EXPECT_EQ(BinomDistriDensity(10, 0.3, -1), 0.0);
  EXPECT_EQ(BinomDistriDensity(10, 0.3, 11), 0.0);
  EXPECT_EQ(BinomDistriIntegral(10, 0.3, -1), 0.0);
  EXPECT_EQ(BinomDistriIntegral(10, 0.3, 10), 1.0);
  EXPECT_EQ(BinomDistriIntegral(10, 0.3, 25), 1.0);
  EXPECT_EQ(BinomDistriDensity(10, 0.0, 0), 1.0);
  EXPECT_EQ(BinomDistriDensity(10, 1.0, 10), 1.0);
  EXPECT_EQ(BinomDistriDensity(10, 1.0, 9), 0.0);
  EXPECT_EQ(BinomDistriIntegral(10, 0.0, 0), 1.0);
  EXPECT_EQ(BinomDistriIntegral(10, 1.0, 9), 0.0);
  EXPECT_EQ(BinomDistriDensity(0, 0.4, 0), 1.0);
  EXPECT_TRUE(std::isnan(BinomDistriDensity(-1, 0.4, 0)));
  EXPECT_TRUE(std::isnan(BinomDistriIntegral(10, 1.5, 3)));
  EXPECT_TRUE(std::isnan(BinomDistriIntegral(10, -0.1, 3)));
}

TEST(BinomDistriTest, SymmetryForHalfAtTheLargestN) {
  // P(X <= k) + P(X <= n - k - 1) = 1 for p = 1/2 and odd n.
  const std::int32_t n = 2147483647;
  for (std::int32_t k : {n / 2 - 200000, n / 2 - 10000, n / 2}) {
    EXPECT_NEAR(BinomDistriIntegral(n, 0.5, k) + BinomDistriIntegral(n, 0.5, n - k - 1), 1.0, test::kTol1e13);
  }
  EXPECT_NEAR(BinomDistriIntegral(n, 0.5, n / 2), 0.5, test::kTol1e13);
}

TEST(BinomDistriQuantileTest, SmallestKReachingTheProbability) {
  double actual = -1.0;
  EXPECT_EQ(BinomDistriQuantile(20, 0.3, 0.95, actual), 9);  // P(X <= 8) = 0.8867
  EXPECT_NEAR(actual, 0.9520381026686565, test::kTol1e15);
  EXPECT_EQ(BinomDistriQuantile(20, 0.3, 0.0, actual), 0);
  EXPECT_EQ(BinomDistriQuantile(10, 0.5, 1.0, actual), 10);
  EXPECT_EQ(actual, 1.0);
  for (std::int32_t n : {1, 7, 100, 100000}) {
    for (double prob : {0.001, 0.3, 0.5, 0.975}) {
      const std::int32_t k = BinomDistriQuantile(n, 0.37, prob, actual);
      EXPECT_GE(actual, prob);
      EXPECT_EQ(actual, BinomDistriIntegral(n, 0.37, k));
      if (k > 0) {
        EXPECT_LT(BinomDistriIntegral(n, 0.37, k - 1), prob) << n << " " << prob;
      }
    }
  }
}

TEST(BinomDistriQuantileTest, InvalidArguments) {
  double actual = 0.5;
  EXPECT_EQ(BinomDistriQuantile(-1, 0.3, 0.5, actual), -1);
  EXPECT_EQ(actual, 0.0);
  EXPECT_EQ(BinomDistriQuantile(10, 1.3, 0.5, actual), -1);
  EXPECT_EQ(BinomDistriQuantile(10, 0.3, -0.5, actual), -1);
}

// The distribution of U by enumeration of every assignment of the ranks
// 1..n1+n2 to the first sample: U = (rank sum of sample 1) - n1(n1+1)/2.
std::vector<double> EnumeratedU(int n1, int n2) {
  const int N = n1 + n2;
  std::vector<double> counts(n1 * n2 + 1, 0.0);
  double total = 0.0;
  for (std::uint32_t mask = 0; mask < (1u << N); ++mask) {
    if (__builtin_popcount(mask) != n1) continue;
    int rankSum = 0;
    for (int r = 0; r < N; ++r)
      if (mask & (1u << r)) rankSum += r + 1;
    counts[rankSum - n1 * (n1 + 1) / 2] += 1.0;
    total += 1.0;
  }
  for (double& c : counts) c /= total;
  return counts;
}

TEST(UDistriTest, ExactDistributionMatchesEnumeration) {
  for (auto [n1, n2] : {std::pair{1, 1}, {1, 6}, {3, 4}, {4, 6}, {7, 5}, {8, 10}}) {
    const std::vector<double> pmf = EnumeratedU(n1, n2);
    double cum = 0.0;
    for (int u = 0; u <= n1 * n2; ++u) {
      cum += pmf[u];
      SCOPED_TRACE(testing::Message() << n1 << " x " << n2 << ", u = " << u);
      EXPECT_NEAR(UDistriDensity(n1, n2, u), pmf[u], kUExactTol * pmf[u]);
      EXPECT_NEAR(UDistriIntegral(n1, n2, u), cum, kUExactTol * cum);
    }
  }
}

TEST(UDistriTest, TabulatedCriticalValue) {
  // n1 = n2 = 10, two-sided 5 %: the critical value 23 is the largest u
  // with P(U <= u) <= 0.025 (exact sums of the enumeration).
  EXPECT_NEAR(UDistriIntegral(10, 10, 23), 0.02162852627248912, kUExactTol);
  EXPECT_NEAR(UDistriIntegral(10, 10, 24), 0.026212951135551756, kUExactTol);
  EXPECT_EQ(UDistriQuantile(10, 10, 0.025), 24);
}

TEST(UDistriTest, QuantileIsSmallestUReachingP) {
  for (auto [n1, n2] : {std::pair{4, 6}, {9, 3}, {30, 40}, {120, 150}}) {
    for (double p : {0.0, 0.01, 0.5, 0.9}) {
      const std::int32_t u = UDistriQuantile(n1, n2, p);
      EXPECT_GE(UDistriIntegral(n1, n2, u), p) << n1 << " x " << n2 << ", p = " << p;
      if (u > 0) {
        EXPECT_LT(UDistriIntegral(n1, n2, u - 1), p) << n1 << " x " << n2 << ", p = " << p;
      }
    }
    EXPECT_EQ(UDistriIntegral(n1, n2, UDistriQuantile(n1, n2, 1.0)), 1.0);
  }
}

TEST(UDistriTest, SymmetryEdgesAndDomain) {
  // P(U <= 599) = P(U >= 601) around the centre 600 of n1 n2 = 1200.
  EXPECT_NEAR(UDistriIntegral(30, 40, 599) + UDistriIntegral(30, 40, 600), 1.0, test::kTol1e15);
  EXPECT_NEAR(UDistriDensity(6, 9, 10), UDistriDensity(6, 9, 44), test::kTol1e16);
  EXPECT_NEAR(UDistriDensity(6, 9, 10), UDistriDensity(9, 6, 10), test::kTol1e16);
  EXPECT_EQ(UDistriIntegral(6, 9, -1), 0.0);
  EXPECT_EQ(UDistriIntegral(6, 9, 54), 1.0);
  EXPECT_EQ(UDistriDensity(6, 9, 55), 0.0);
  EXPECT_TRUE(std::isnan(UDistriIntegral(0, 9, 3)));
  EXPECT_TRUE(std::isnan(UDistriDensity(6, -1, 3)));
  EXPECT_EQ(UDistriQuantile(0, 9, 0.5), -1);
  EXPECT_EQ(UDistriQuantile(6, 9, 1.5), -1);
  // Beyond the exact range: symmetric and summing to 1 as well.
  EXPECT_NEAR(UDistriIntegral(1000, 1000, 499999) + UDistriIntegral(1000, 1000, 500000), 1.0, test::kTol1e15);
}

}  // namespace
}  // namespace kvl
