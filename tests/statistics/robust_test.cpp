#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "kvl/containers/KVL_vector.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
using test::kTol1e14;
using test::kTol1e15;

// The element of 0-based rank round(n / 2) (halves to even) of a sorted
// copy: the 50 % percentile as the library's PercentileArray defines it.
double PercentileArrayMedian(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const double k = std::nearbyint(v.size() / 2.0);  // default rounding: halves to even
  return v[std::min(static_cast<std::size_t>(k), v.size() - 1)];
}

struct TheilSenOut {
  double slope, intercept, slopeLow, slopeHigh, interceptLow, interceptHigh;
};

// Brute force: every pairwise slope, fully sorted.
TheilSenOut BruteTheilSen(const std::vector<double>& x, const std::vector<double>& y) {
  std::vector<double> s;
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = i + 1; j < x.size(); ++j)
      s.push_back(x[j] == x[i] ? 1e99 : (y[j] - y[i]) / (x[j] - x[i]));
  std::sort(s.begin(), s.end());
  const std::size_t m = s.size();
  const double n = static_cast<double>(x.size());
  const double median = m % 2 ? s[m / 2] : (s[m / 2 - 1] + s[m / 2]) / 2;
  const double c = 1.96 * std::sqrt(n * (n - 1) * (2 * n + 5) / 18);
  const auto hi = std::min<std::size_t>(static_cast<std::size_t>(std::nearbyint((c + m) / 2 + 1)), m);
  const auto lo = std::max<std::size_t>(static_cast<std::size_t>(std::nearbyint((m - c) / 2)), 1);
  const auto resid = [&](double k) {
    std::vector<double> r;
    for (std::size_t i = 0; i < x.size(); ++i) r.push_back(y[i] - k * x[i]);
    return PercentileArrayMedian(r);
  };
  return {median, resid(median), s[lo - 1], s[hi - 1], resid(s[lo - 1]), resid(s[hi - 1])};
}

TEST(TheilSenEstimator, EqualsBruteForceMedianOfPairwiseSlopes) {
  std::mt19937 gen(21);
  std::normal_distribution<double> noise(0, 2);
  std::uniform_int_distribution<int> step(0, 2);  // steps of 0 make pairs with equal X
  for (int n : {10, 11, 37, 60}) {
    std::vector<double> x, y;
    double xi = 0;
    for (int i = 0; i < n; ++i) {
      xi += step(gen);
      x.push_back(xi);
      y.push_back(1.5 * xi - 3 + noise(gen));
    }
    const TheilSenOut want = BruteTheilSen(x, y);
    TheilSenOut got{};
    ASSERT_EQ(TheilSenEstimator(x, y, got.slope, got.intercept, got.slopeLow, got.slopeHigh, got.interceptLow,
                                got.interceptHigh),
              0);
    EXPECT_EQ(got.slope, want.slope) << n;
    EXPECT_EQ(got.intercept, want.intercept);
    EXPECT_EQ(got.slopeLow, want.slopeLow);
    EXPECT_EQ(got.slopeHigh, want.slopeHigh);
    EXPECT_EQ(got.interceptLow, want.interceptLow);
    EXPECT_EQ(got.interceptHigh, want.interceptHigh);
  }
}

TEST(TheilSenEstimator, FewPointsStillComputed) {
  const std::vector<double> x{1, 2, 3, 4, 5}, y{3, 5, 7, 9, 11};
  TheilSenOut o{};
  EXPECT_EQ(TheilSenEstimator(x, y, o.slope, o.intercept, o.slopeLow, o.slopeHigh, o.interceptLow,
                              o.interceptHigh),
            -4);
  EXPECT_EQ(o.slope, 2.0);
  EXPECT_EQ(o.intercept, 1.0);
  EXPECT_EQ(o.slopeLow, 2.0);
  EXPECT_EQ(o.slopeHigh, 2.0);
  // A falling X is monotone too.
  EXPECT_EQ(TheilSenEstimator(std::vector<double>{5, 4, 3}, std::vector<double>{1, 2, 3}, o.slope, o.intercept,
                              o.slopeLow, o.slopeHigh, o.interceptLow, o.interceptHigh),
            -4);
  EXPECT_EQ(o.slope, -1.0);
}

TEST(TheilSenEstimator, BadInputReturnsAtOnce) {
  struct Case {
    std::vector<double> x, y;
    std::int32_t status;
  };
  const Case cases[] = {
      {{1, 2}, {1, 2}, -1},
      {{1, 2, 3, 4}, {1, 2, 3}, -2},
      {{1, 3, 2, 4}, {1, 2, 3, 4}, -3},
      {{1, 2, kNaN, 4}, {1, 2, 3, 4}, -3},
      {{1, 2, 3, 4}, {1, kInf, 3, 4}, -3},
      {{-1e308, 0, 1e308}, {1e308, 0, -1e308}, -3},  // inf / inf slope
  };
  for (const auto& c : cases) {
    TheilSenOut o{7, 7, 7, 7, 7, 7};
    EXPECT_EQ(TheilSenEstimator(c.x, c.y, o.slope, o.intercept, o.slopeLow, o.slopeHigh, o.interceptLow,
                                o.interceptHigh),
              c.status);
    EXPECT_EQ(o.slope + o.intercept + o.slopeLow + o.slopeHigh + o.interceptLow + o.interceptHigh, 42.0);
  }
}

TEST(GiniCoeff, SortedFormEqualsTheDoubleSum) {
  std::mt19937 gen(22);
  std::lognormal_distribution<double> income(0, 1);
  std::vector<double> x(700);
  for (auto& v : x) v = income(gen);
  long double pairs = 0, sum = 0;
  for (double a : x) {
    sum += a;
    for (double b : x) pairs += std::fabs(a - b);
  }
  const double want = static_cast<double>(pairs / sum / 2 / x.size());
  const std::vector<double> before = x;
  EXPECT_NEAR(GiniCoeff(x), want, kTol1e14);
  EXPECT_EQ(x, before);
}

TEST(GiniCoeff, SmallCases) {
  EXPECT_EQ(GiniCoeff(std::vector<double>{}), 0.0);
  EXPECT_EQ(GiniCoeff(std::vector<double>{4, 4, 4}), 0.0);
  EXPECT_NEAR(GiniCoeff(std::vector<double>{0, 0, 0, 1}), 0.75, kTol1e15);
  EXPECT_TRUE(std::isnan(GiniCoeff(std::vector<double>{1, kNaN, 2})));
}

TEST(AkaikeInfCrit, Formula) {
  EXPECT_NEAR(AkaikeInfCrit(20, 3, 5.0), 20 * std::log(0.25) + 6, kTol1e12);
}

TEST(PercentileOfArray, RanksOfTheRange) {
  const std::vector<double> data{9, 1, 7, 3, 5, 8, 2};
  struct Case {
    double prob;
    std::int32_t lo, hi;
    double want;
  };
  const Case cases[] = {
      {100, 0, 4, 9},  // the largest of 5 values
      {0, 0, 4, 1},    {50, 0, 4, 5},  // k = round(2.5) = 2
      {50, 0, 6, 7},                   // k = round(3.5) = 4 of 1 2 3 5 7 8 9
      {50, 1, 4, 5},                   // k = 2 of 1 3 5 7
      {25, 2, 2, 7},
  };
  for (const auto& c : cases) {
    double r = -1;
    EXPECT_EQ(PercentileOfArray(data, c.prob, c.lo, c.hi, r), 0);
    EXPECT_EQ(r, c.want) << c.prob << " " << c.lo << " " << c.hi;
  }
  EXPECT_EQ(data, (std::vector<double>{9, 1, 7, 3, 5, 8, 2}));
}

TEST(PercentileOfArray, StatusCodesLaterCheckWins) {
  const std::vector<double> data{1, 2, 3, 4, 5};
  struct Case {
    double prob;
    std::int32_t lo, hi, status;
  };
  const Case cases[] = {{50, 3, 1, -3}, {50, -1, 2, -1}, {50, 0, 5, -1}, {101, 0, 4, -2},
                        {kNaN, 0, 4, -2}, {50, 7, 1, -3}, {-1, 7, 1, -2}};
  for (const auto& c : cases) {
    double r = 9;
    EXPECT_EQ(PercentileOfArray(data, c.prob, c.lo, c.hi, r), c.status);
    EXPECT_EQ(r, 0.0);
  }
  double r = 9;
  EXPECT_EQ(PercentileOfArray(std::vector<double>{}, 50, 0, 0, r), -1);
}

// Density at x of Gaussian kernels of widths w around the points.
double DirectDensity(const std::vector<double>& pts, const std::vector<double>& w, double x) {
  double s = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) s += std::exp(-0.5 * std::pow((x - pts[i]) / w[i], 2)) / w[i];
  return s / std::sqrt(2 * std::numbers::pi) / static_cast<double>(pts.size());
}

TEST(EstimateProbDensity, IsolatedPointsUseWidthTimesSmooth) {
  // Every gap is at least Width, so no point has a neighbour near it.
  std::vector<double> data{7.5, 1, 4, 12, 2.5};
  const double width = 1.5, smooth = 0.8, lo = -2, hi = 15;
  const std::int32_t npts = 200;
  std::vector<double> density;
  std::int32_t ixMin = -1, ixMax = -1;
  ASSERT_EQ(EstimateProbDensity(data, density, lo, hi, smooth, width, npts, ixMin, ixMax, nullptr), 0);
  EXPECT_EQ(data, (std::vector<double>{1, 2.5, 4, 7.5, 12}));
  ASSERT_EQ(density.size(), static_cast<std::size_t>(npts) + 1);
  const std::vector<double> w(5, width * smooth);
  for (std::int32_t j = 0; j <= npts; ++j)
    EXPECT_NEAR(density[j], DirectDensity(data, w, lo + j * (hi - lo) / npts), kTol1e15) << j;
  EXPECT_EQ(density[ixMax], *std::max_element(density.begin(), density.end()));
  EXPECT_EQ(ixMin, static_cast<std::int32_t>(std::min_element(density.begin(), density.end()) - density.begin()));
}

TEST(EstimateProbDensity, LocalWidthsAverageTheNearGaps) {
  // x = 0, 1, 3 with Width 2.5: the walks around each point count the gaps
  // {1}, {2, 1, 1, 2} and {2}: widths 1, 1.5 and 2.
  std::vector<double> data{3, 0, 1};
  std::vector<double> density;
  std::int32_t ixMin = 0, ixMax = 0;
  ASSERT_EQ(EstimateProbDensity(data, density, -1, 4, 1.0, 2.5, 10, ixMin, ixMax, nullptr), 0);
  for (std::int32_t j = 0; j <= 10; ++j)
    EXPECT_NEAR(density[j], DirectDensity({0, 1, 3}, {1, 1.5, 2}, -1 + j * 0.5), kTol1e15);
}

TEST(EstimateProbDensity, FeedbackAfterEveryStepOfBothPhases) {
  std::vector<double> data(30);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::sin(static_cast<double>(i));
  std::vector<double> percents;
  bool nullSender = true;
  std::vector<double> density;
  std::int32_t ixMin = 0, ixMax = 0;
  ASSERT_EQ(EstimateProbDensity(data, density, -1, 1, 1.0, 0.3, 20, ixMin, ixMax,
                                [&](TObject* s, double p) {
                                  nullSender &= s == nullptr;
                                  percents.push_back(p);
                                }),
            0);
  ASSERT_EQ(percents.size(), 30u + 21u);
  EXPECT_TRUE(nullSender);
  EXPECT_EQ(percents.front(), 2.0);  // round(100 / 50)
  EXPECT_EQ(percents.back(), 102.0);  // the 51st step of 50
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST(EstimateProbDensity, BadArgumentsLeaveDataUnsorted) {
  const std::vector<double> original{5, 3, 9, 1};
  struct Case {
    std::int32_t npts;
    double smooth;
    std::int32_t status;
  };
  for (const Case& c : {Case{5, 1.0, -1}, Case{10001, 1.0, -1}, Case{50, 0.0, -2}, Case{5, -1.0, -2}}) {
    std::vector<double> data = original, density{1, 2};
    std::int32_t ixMin = 7, ixMax = 7;
    EXPECT_EQ(EstimateProbDensity(data, density, 0, 1, c.smooth, 1, c.npts, ixMin, ixMax, nullptr), c.status);
    EXPECT_EQ(data, original);
    EXPECT_EQ(density, (std::vector<double>{1, 2}));
    EXPECT_EQ(ixMin + ixMax, 14);
  }
  std::vector<double> empty, density;
  std::int32_t ixMin = 0, ixMax = 0;
  EXPECT_EQ(EstimateProbDensity(empty, density, 0, 1, 1, 1, 10, ixMin, ixMax, nullptr), -3);
}

TEST(EstimateProbDensity, VectorFormSortsDataAndIndexesFromOne) {
  TVector data, density;
  const std::vector<double> values{4, 1, 3, 2, 10};
  data.Resize(static_cast<std::int32_t>(values.size()));
  data.CopyFrom(std::span<const double>(values), 0, 0, 1);
  std::int32_t ixMin = 0, ixMax = 0;
  ASSERT_EQ(EstimateProbDensity(data, density, 0, 10, 1.0, 1.5, 10, ixMin, ixMax, nullptr), 0);
  EXPECT_EQ(std::vector<double>(data.Data().begin(), data.Data().end()), (std::vector<double>{1, 2, 3, 4, 10}));
  ASSERT_EQ(density.NrOfElem(), 11);
  std::vector<double> plain = values, dens;
  std::int32_t lo = 0, hi = 0;
  ASSERT_EQ(EstimateProbDensity(plain, dens, 0, 10, 1.0, 1.5, 10, lo, hi, nullptr), 0);
  EXPECT_EQ(ixMin, lo + 1);
  EXPECT_EQ(ixMax, hi + 1);
  for (std::int32_t j = 1; j <= 11; ++j) EXPECT_EQ(density.Elem(j), dens[j - 1]);
  int changes = 0;
  data.OnChange = [&changes](TObject*) { ++changes; };
  EXPECT_EQ(EstimateProbDensity(data, density, 0, 10, 1.0, 1.5, 5, ixMin, ixMax, nullptr), -1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(density.NrOfElem(), 11);
}

}  // namespace
}  // namespace kvl
