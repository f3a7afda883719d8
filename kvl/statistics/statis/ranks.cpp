// Ranking with ties.

#include "kvl/statistics/statis/ranks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kvl {

double RankWithTies(std::span<const double> x, std::span<double> Ranks) {
  if (Ranks.size() != x.size()) return std::numeric_limits<double>::quiet_NaN();
  std::vector<std::size_t> order;
  order.reserve(x.size());
  for (std::size_t i = 0; i < x.size(); ++i)
    if (!std::isnan(x[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) { return x[i] < x[j]; });
  // Ranks may alias x: collect the ranks first, write them afterwards.
  std::vector<double> ranks(x.size(), std::numeric_limits<double>::quiet_NaN());
  double ties = 0.0;
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i + 1;
    while (j < order.size() && x[order[j]] == x[order[i]]) ++j;
    const double t = static_cast<double>(j - i);
    const double rank = (static_cast<double>(i + 1) + static_cast<double>(j)) / 2.0;  // mean of i+1..j
    for (std::size_t k = i; k < j; ++k) ranks[order[k]] = rank;
    ties += t * t * t - t;
    i = j;
  }
  std::copy(ranks.begin(), ranks.end(), Ranks.begin());
  return ties;
}

}  // namespace kvl
