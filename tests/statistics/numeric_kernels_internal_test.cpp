// The extended-precision kernels behind the distributions, where their
// regimes meet: the table and the series of StirlingErr, and the continued
// fraction and the large-shape expansion of the incomplete beta function.

#include "kvl/statistics/statis/internal/numeric_kernels.h"
#include "kvl/statistics/statis/discrete.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kvl_test_support.h"

namespace kvl::statis_internal {
namespace {

// 80-bit kernels: a few units of 1e-19 relative where nothing cancels.
constexpr long double kKernelTol = 1e-17L;
// The incomplete beta kernel: well inside the 1e-13 the distributions promise.
constexpr long double kBetaTol = 1e-14L;

TEST(SpecFunTest, LogGammaAcrossTableShiftAndSeries) {
  // 40-digit ln Gamma: shifted points, table points (0.5, 7.5), and the
  // series on both sides of 15.
  const std::vector<std::pair<long double, long double>> rows = {
      {1e-10L, 23.025850929882735237L}, {0.3L, 1.0957979948180755606L}, {0.5L, 0.57236494292470008707L},
      {2.5L, 0.28468287047291915963L},  {7.5L, 7.5343642367587329552L}, {7.7L, 7.9265413562690047789L},
      {14.9L, 24.9241320022172783L},    {15.1L, 25.458999750992663083L}, {1e6L, 12815504.56914761166L},
  };
  for (const auto& [x, lg] : rows)
    EXPECT_NEAR(static_cast<double>(LogGammaL(x)), static_cast<double>(lg),
                static_cast<double>(kKernelTol * std::fabs(lg) + 1e-19L))
        << "x = " << static_cast<double>(x);
}

TEST(SpecFunTest, StirlingErrTableMatchesTheShiftedSeries) {
  // The table of half-integers and the shift recurrence are independent.
  for (int n = 1; n <= 30; ++n) {
    const long double x = n / 2.0L;
    const long double nearby = StirlingErr(x * (1.0L + 1e-15L));
    EXPECT_NEAR(static_cast<double>(StirlingErr(x)), static_cast<double>(nearby), test::kTol1e15) << "x = " << n / 2.0;
  }
}

TEST(SpecFunTest, BetaTailsWhereTheRegimesMeet) {
  struct Row {
    long double a, b, y, lower;  // I_(1-y)(a, b), 40 digits
  };
  const std::vector<Row> rows = {
      {5e5L, 2.5L, 9.9e-4L, 6.8759936768969447e-212L},  // large-shape expansion
      {5e5L, 2.5L, 1.01e-3L, 3.1845391474325117e-216L}, // continued fraction just beyond it
      {3e4L, 0.5L, 5e-4L, 4.3043342031054022e-8L},      // large-shape expansion
      {1e4L, 0.5L, 5e-4L, 1.563490192255675e-3L},       // continued fraction
      {1e9L, 30.0L, 4e-8L, 4.3228663039976329e-2L},     // expansion, near the mean
      {1e9L, 30.0L, 1e-7L, 5.8932325610427997e-17L},    // expansion, in the tail
  };
  for (const auto& r : rows) {
    // y is given as a double, as the reference took it.
    const long double y = static_cast<double>(r.y);
    const TTails t = BetaTails(1.0L - y, y, r.a, r.b);
    EXPECT_NEAR(static_cast<double>(t.Lower), static_cast<double>(r.lower),
                static_cast<double>(kBetaTol * r.lower))
        << "a = " << static_cast<double>(r.a) << ", b = " << static_cast<double>(r.b)
        << ", y = " << static_cast<double>(y);
  }
}

TEST(SpecFunTest, TailsAddUpToOne) {
  for (long double a : {0.5L, 3.0L, 250.0L}) {
    for (long double x : {0.01L, 1.0L, 7.0L, 300.0L}) {
      const TTails g = GammaTails(a, x);
      EXPECT_NEAR(static_cast<double>(g.Lower + g.Upper), 1.0, test::kTol1e18);
    }
  }
  const TTails n = NormalTails(-3.0L), m = NormalTails(3.0L);
  EXPECT_EQ(n.Lower, m.Upper);
  EXPECT_EQ(n.Upper, m.Lower);
}

TEST(UDistriTest, ApproximationAgreesWithTheExactDistribution) {
  // Sizes just beyond the exact range against the exact distribution, to
  // the errors the header states.
  struct Case {
    int n1, n2;
    double tol;
  };
  for (const Case c : {Case{10, 20100, 6e-6}, Case{20, 5100, 7e-7}, Case{100, 201, 2e-8}}) {
    ASSERT_GT(std::int64_t{std::min(c.n1, c.n2)} * c.n1 * c.n2, UExactMaxWork);
    const std::int64_t N = std::int64_t{c.n1} * c.n2;
    const std::vector<long double> pmf = UExactPmf(c.n1, c.n2, N / 2);
    long double cum = 0.0L, maxErr = 0.0L;
    for (std::int64_t u = 0; u <= N / 2; ++u) {
      cum += pmf[u];
      maxErr = std::max(maxErr, std::fabs(UDistriIntegral(c.n1, c.n2, static_cast<std::int32_t>(u)) - cum));
    }
    EXPECT_LT(maxErr, c.tol) << c.n1 << " x " << c.n2;
  }
}

}  // namespace
}  // namespace kvl::statis_internal
