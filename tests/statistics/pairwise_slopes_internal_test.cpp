#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "kvl/statistics/statis/internal/pairwise_slopes.h"

namespace kvl::statis_internal {
namespace {

std::vector<double> SortedSlopes(const std::vector<double>& x, const std::vector<double>& y) {
  std::vector<double> s;
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = i + 1; j < x.size(); ++j) s.push_back(PairSlope(x[i], y[i], x[j], y[j]));
  std::sort(s.begin(), s.end());
  return s;
}

// The bracketing path (forced with a store limit of 0) against a full sort,
// on data with many equal slopes, equal X (1e99) and infinite slopes.
TEST(PairSlopeRanks, BracketsGiveTheRanksOfAFullSort) {
  std::mt19937 gen(31);
  struct Case {
    const char* name;
    int n;
    int yRange;  // small: many ties
    bool huge;   // values near the largest double: some slopes overflow to inf
  };
  for (const Case& c : {Case{"distinct", 700, 1000000, false}, Case{"ties", 600, 3, false},
                        Case{"overflow", 400, 1000, true}, Case{"constant", 300, 0, false}}) {
    SCOPED_TRACE(c.name);
    std::vector<double> x, y;
    std::uniform_int_distribution<int> step(0, 1), val(-c.yRange, c.yRange);
    double xi = 0;
    for (int i = 0; i < c.n; ++i) {
      xi += step(gen);
      x.push_back(xi);
      y.push_back(c.huge ? (i % 2 ? 1.7e308 : -1.7e308) * (val(gen) > 0 ? 1 : 0.5) : val(gen));
    }
    const std::vector<double> want = SortedSlopes(x, y);
    const std::size_t m = want.size();
    const std::vector<std::size_t> ranks{0, 1, m / 100, m / 3, m / 2 - 1, m / 2, m - m / 50, m - 1};
    std::vector<double> got(ranks.size()), stored(ranks.size());
    ASSERT_TRUE(PairSlopeRanks(x, y, ranks, got, 0));
    ASSERT_TRUE(PairSlopeRanks(x, y, ranks, stored));
    for (std::size_t k = 0; k < ranks.size(); ++k) {
      EXPECT_EQ(got[k], want[ranks[k]]) << "rank " << ranks[k];
      EXPECT_EQ(stored[k], want[ranks[k]]) << "rank " << ranks[k];
    }
  }
}

TEST(PairSlopeRanks, NaNSlopeIsReported) {
  const std::vector<double> x{-1e308, 0, 1e308}, y{1e308, 0, -1e308};  // inf / inf
  const std::vector<std::size_t> ranks{1};
  std::vector<double> got{5};
  EXPECT_FALSE(PairSlopeRanks(x, y, ranks, got, 0));
  EXPECT_FALSE(PairSlopeRanks(x, y, ranks, got));
  EXPECT_EQ(got[0], 5.0);
}

}  // namespace
}  // namespace kvl::statis_internal
