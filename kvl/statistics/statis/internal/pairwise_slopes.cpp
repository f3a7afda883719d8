#include "kvl/statistics/statis/internal/pairwise_slopes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/core/KVL_math1.h"

namespace kvl::statis_internal {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// The sample: a fixed seed keeps results and timings reproducible (the
// values themselves never depend on it, only the work done).
constexpr std::uint64_t kSampleSeed = 0x7e115e7a5eed0001ULL;
constexpr std::size_t kMinSample = std::size_t{1} << 12;
constexpr std::size_t kMaxSample = std::size_t{1} << 20;
// Half-width of a bracket in binomial standard deviations of the sample
// rank (a miss has a probability far below 1e-8), plus a few ranks.
constexpr double kMarginSigmas = 6.0;
constexpr double kMarginRanks = 4.0;

std::uint64_t SplitMix64(std::uint64_t& State) {
  std::uint64_t z = (State += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// The slopes of point i with every later point, into Out[0 .. n - i - 2];
// false when one of them is NaN.
bool RowSlopes(std::span<const double> X, std::span<const double> Y, std::size_t i, double* Out) {
  const double xi = X[i], yi = Y[i];
  const double* x = X.data() + i + 1;
  const double* y = Y.data() + i + 1;
  const std::size_t count = X.size() - i - 1;
  bool nan = false;
  for (std::size_t j = 0; j < count; ++j) {
    const double s = PairSlope(xi, yi, x[j], y[j]);
    nan |= s != s;
    Out[j] = s;
  }
  return !nan;
}

// Calls Each with the slopes of every point with the later ones (a row);
// false when a slope is NaN.
template <class Fn>
bool ForEachSlopeRow(std::span<const double> X, std::span<const double> Y, Fn&& Each) {
  std::vector<double> row(X.size());
  bool finite = true;
  for (std::size_t i = 0; i + 1 < X.size(); ++i) {
    finite &= RowSlopes(X, Y, i, row.data());
    Each(std::span<const double>(row.data(), X.size() - i - 1));
  }
  return finite;
}

bool StoreAll(std::span<const double> X, std::span<const double> Y, std::span<const std::size_t> Ranks,
              std::span<double> Values) {
  const std::size_t n = X.size(), m = n * (n - 1) / 2;
  std::vector<double> slopes(m);
  double* out = slopes.data();
  bool finite = true;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    finite &= RowSlopes(X, Y, i, out);
    out += n - i - 1;
  }
  if (!finite) return false;
  detail::SelectPositions(std::span<double>(slopes), Ranks);
  for (std::size_t k = 0; k < Ranks.size(); ++k) Values[k] = slopes[Ranks[k]];
  return true;
}

// A stretch of slope values [Lo, Hi] around one or more ranks: the counts
// of the slopes below it and equal to its ends, and the slopes inside.
struct TBracket {
  double Lo, Hi;
  double LoIx, HiIx;                // the positions of Lo and Hi in the sample
  std::size_t FirstRank, LastRank;  // positions in Ranks
  std::size_t Below = 0, AtLo = 0, AtHi = 0;
  std::vector<double> Inside;
};

}  // namespace

bool PairSlopeRanks(std::span<const double> X, std::span<const double> Y, std::span<const std::size_t> Ranks,
                    std::span<double> Values, std::size_t StoreAllLimit) {
  const std::size_t n = X.size(), m = n * (n - 1) / 2;
  if (m <= StoreAllLimit) return StoreAll(X, Y, Ranks, Values);
  // A sample of slopes of random pairs, sorted.
  const std::size_t size = std::clamp(m / 64, kMinSample, kMaxSample);
  std::vector<double> sample(size);
  std::uint64_t state = kSampleSeed;
  for (double& s : sample) {
    std::size_t i = SplitMix64(state) % n, j = SplitMix64(state) % (n - 1);
    if (j >= i) ++j;
    if (j < i) std::swap(i, j);
    s = PairSlope(X[i], Y[i], X[j], Y[j]);
    if (std::isnan(s)) return false;
  }
  std::sort(sample.begin(), sample.end());
  // One bracket per rank, merged where they overlap in the sample (by
  // position: a value repeated many times may end one and start the next
  // without the slopes between them being many).
  std::vector<TBracket> brackets;
  const auto dm = static_cast<double>(m), ds = static_cast<double>(size);
  for (std::size_t k = 0; k < Ranks.size(); ++k) {
    const double p = (static_cast<double>(Ranks[k]) + 0.5) / dm;
    const double margin = kMarginSigmas * std::sqrt(ds * p * (1 - p)) + kMarginRanks;
    const double loIx = std::floor(p * ds - margin), hiIx = std::ceil(p * ds + margin);
    const double lo = loIx < 0 ? -kInf : sample[static_cast<std::size_t>(loIx)];
    const double hi = hiIx >= ds ? kInf : sample[static_cast<std::size_t>(hiIx)];
    if (!brackets.empty() && loIx <= brackets.back().HiIx) {
      brackets.back().Hi = hi;
      brackets.back().HiIx = hiIx;
      brackets.back().LastRank = k;
    } else {
      brackets.push_back({lo, hi, loIx, hiIx, k, k, 0, 0, 0, {}});
    }
  }
  sample = std::vector<double>();
  // Room for the share of slopes the sample puts inside each bracket (and a
  // little more), so that the buffers do not grow by doubling.
  constexpr double kReserveFactor = 1.1;
  // A quarter of all slopes at most, so that even growing buffers (twice
  // their size while they move) stay below storing them all.
  const std::size_t keepLimit = m / 4;
  for (TBracket& b : brackets)
    b.Inside.reserve(std::min(keepLimit / brackets.size(),
                              static_cast<std::size_t>(kReserveFactor * (b.HiIx - b.LoIx) / ds * dm)));
  // One pass over all pairs. Should the slopes kept reach the limit, the
  // brackets are dropped and the slopes stored.
  std::size_t kept = 0;
  bool overflow = false;
  // The brackets ascend (Lo and Hi alike), so a slope below the first Lo is
  // below every bracket and one above the last Hi concerns none: only the
  // few slopes between them need the walk over the brackets.
  const double firstLo = brackets.front().Lo, lastHi = brackets.back().Hi;
  std::size_t belowAll = 0;
  const bool finite = ForEachSlopeRow(X, Y, [&](std::span<const double> row) {
    for (const double s : row) {
      const bool below = s < firstLo;
      belowAll += below;
      if (below || s > lastHi) continue;
      for (TBracket& b : brackets) {
        if (s < b.Lo) {
          ++b.Below;
        } else if (s > b.Hi) {
        } else if (s == b.Lo) {
          ++b.AtLo;
        } else if (s == b.Hi) {
          ++b.AtHi;
        } else if (kept < keepLimit) {
          b.Inside.push_back(s);
          ++kept;
        } else {
          overflow = true;
        }
      }
    }
  });
  for (TBracket& b : brackets) b.Below += belowAll;
  if (!finite) return false;
  std::vector<double> found(Ranks.size());
  bool missed = overflow;
  for (TBracket& b : brackets) {
    for (std::size_t k = b.FirstRank; k <= b.LastRank && !missed; ++k) {
      std::size_t r = Ranks[k];
      if (r < b.Below) {
        missed = true;
        break;
      }
      r -= b.Below;
      if (r < b.AtLo) {
        found[k] = b.Lo;
      } else if (r - b.AtLo < b.Inside.size()) {
        const auto at = b.Inside.begin() + static_cast<std::ptrdiff_t>(r - b.AtLo);
        detail::SelectNth(b.Inside.begin(), at, b.Inside.end());
        found[k] = *at;
      } else if (r - b.AtLo - b.Inside.size() < b.AtHi) {
        found[k] = b.Hi;
      } else {
        missed = true;
      }
    }
  }
  if (missed) {
    brackets.clear();
    brackets.shrink_to_fit();
    return StoreAll(X, Y, Ranks, Values);
  }
  std::copy(found.begin(), found.end(), Values.begin());
  return true;
}

}  // namespace kvl::statis_internal
