// TCurveFit: the rank statistics (Kendall's tau, Goodman–Kruskal gamma,
// Spearman's rho) of the stored pairs.
//
// The Kendall pair counts take O(n log n) (Knight's method): sort the
// pairs by x then y, count the pairs tied in x and tied in both, then
// merge-sort by y counting the exchanges (each one a discordant pair) and
// the pairs tied in y. The counts are exactly those of the definition over
// all pairs i < j with p = (xi − xj)(yi − yj): p > 0 concordant, p < 0
// discordant, p = 0 a tie in y (Ties1) when xi ≠ xj, a tie in x (Ties2)
// when yi ≠ yj; a pair with a NaN counts nowhere.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/curvefit/curvefit.h"
#include "kvl/statistics/KVL_statis.h"

namespace kvl {

namespace {

// Pairs within runs of equal values of a sorted sequence: Σ t(t − 1)/2.
template <class TEqual>
std::int64_t TiedPairs(std::size_t n, TEqual Equal) {
  std::int64_t tied = 0, run = 1;
  for (std::size_t i = 1; i <= n; ++i) {
    if (i < n && Equal(i - 1, i)) {
      ++run;
    } else {
      tied += run * (run - 1) / 2;
      run = 1;
    }
  }
  return tied;
}

// Merge sort of Y by value, counting the exchanges (pairs out of order).
std::int64_t SortCountingExchanges(std::vector<double>& Y) {
  std::vector<double> buf(Y.size());
  std::int64_t exchanges = 0;
  const std::size_t n = Y.size();
  for (std::size_t width = 1; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        if (Y[j] < Y[i]) {
          exchanges += static_cast<std::int64_t>(mid - i);
          buf[k++] = Y[j++];
        } else {
          buf[k++] = Y[i++];
        }
      }
      while (i < mid) buf[k++] = Y[i++];
      while (j < hi) buf[k++] = Y[j++];
    }
    Y.swap(buf);
  }
  return exchanges;
}

// Average ranks (1-based) of V in Rank, and the tie term Σ (t³ − t)/12.
double AverageRanks(const double* V, std::size_t n, std::vector<double>& Rank) {
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  // NaN sorts last, so that the order is a strict weak one whatever the data.
  auto less = [V](std::size_t a, std::size_t b) {
    return V[a] < V[b] || (std::isnan(V[b]) && !std::isnan(V[a]));
  };
  std::sort(order.begin(), order.end(), less);
  Rank.assign(n, 0.0);
  double ties = 0;
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    while (j < n && V[order[j]] == V[order[i]]) ++j;
    const double t = static_cast<double>(j - i), avg = (static_cast<double>(i + 1) + static_cast<double>(j)) / 2;
    for (std::size_t k = i; k < j; ++k) Rank[order[k]] = avg;
    if (j - i >= 2) ties += (t * t * t - t) / 12;
    i = j;
  }
  return ties;
}

}  // namespace

void TCurveFit::CountRankPairs() {
  if (FKendallValid) return;
  FKendallConcord = FKendallDiscord = FKendallTies1 = FKendallTies2 = 0;
  FKendallValid = true;
  if (FNumData < 3) return;
  const double *x = XData(), *y = YData();
  std::vector<std::pair<double, double>> pairs;
  pairs.reserve(static_cast<std::size_t>(FNumData));
  for (std::int32_t i = 0; i < FNumData; ++i)
    if (!std::isnan(x[i]) && !std::isnan(y[i])) pairs.emplace_back(x[i], y[i]);
  std::sort(pairs.begin(), pairs.end());
  const std::size_t m = pairs.size();
  const std::int64_t tiedX = TiedPairs(m, [&](std::size_t a, std::size_t b) { return pairs[a].first == pairs[b].first; });
  const std::int64_t tiedXY = TiedPairs(m, [&](std::size_t a, std::size_t b) { return pairs[a] == pairs[b]; });
  std::vector<double> ys(m);
  for (std::size_t i = 0; i < m; ++i) ys[i] = pairs[i].second;
  const std::int64_t discord = SortCountingExchanges(ys);
  const std::int64_t tiedY = TiedPairs(m, [&](std::size_t a, std::size_t b) { return ys[a] == ys[b]; });
  const auto all = static_cast<std::int64_t>(m) * static_cast<std::int64_t>(m - 1) / 2;
  FKendallDiscord = discord;
  FKendallConcord = all - tiedX - tiedY + tiedXY - discord;
  FKendallTies1 = tiedY - tiedXY;
  FKendallTies2 = tiedX - tiedXY;
}

double TCurveFit::KendallsTau(double& prob) {
  CountRankPairs();
  prob = 0;
  const auto c = static_cast<double>(FKendallConcord), d = static_cast<double>(FKendallDiscord);
  const double root = std::sqrt((c + d + static_cast<double>(FKendallTies1)) * (c + d + static_cast<double>(FKendallTies2)));
  if (root == 0) return 0.0;
  const double tau = (c - d) / root;
  const double n = FNumData;
  const double sigma = std::sqrt((4 * n + 10) / (9 * n * (n - 1)));
  prob = 1 - ErfApprox(std::fabs(tau / sigma) / std::sqrt(2.0));
  return tau;
}

double TCurveFit::KruskalGamma() {
  CountRankPairs();
  const std::int64_t cd = FKendallConcord + FKendallDiscord;
  return cd == 0 ? 0.0 : static_cast<double>(FKendallConcord - FKendallDiscord) / static_cast<double>(cd);
}

double TCurveFit::SpearmanRankCorr() {
  const std::int32_t n = FNumData;
  if (n < 3) return 0.0;
  std::vector<double> rx, ry;
  const auto un = static_cast<std::size_t>(n);
  const double tx = AverageRanks(XData(), un, rx);
  const double ty = AverageRanks(YData(), un, ry);
  TKahanSum d;
  for (std::size_t i = 0; i < un; ++i) d.Add((rx[i] - ry[i]) * (rx[i] - ry[i]));
  const double nn = n, n3 = nn * (nn * nn - 1);
  if (tx == 0 && ty == 0) return 1 - 6 * d.Sum / n3;
  if (n3 == 12 * tx || n3 == 12 * ty) return 0.0;
  return (n3 - 6 * (d.Sum + tx + ty)) / std::sqrt((n3 - 12 * tx) * (n3 - 12 * ty));
}

}  // namespace kvl
