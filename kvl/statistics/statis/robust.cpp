#include "kvl/statistics/statis/robust.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/rounding.h"
#include "kvl/statistics/statis/internal/pairwise_slopes.h"

namespace kvl {

namespace {

constexpr std::size_t kTheilSenFewPoints = 10;
constexpr std::int32_t kMinDensityPts = 10;
constexpr std::int32_t kMaxDensityPts = 10000;

bool AllFinite(std::span<const double> A) {
  return std::all_of(A.begin(), A.end(), [](double v) { return std::isfinite(v); });
}

// True when no two non-zero neighbour differences have opposite signs.
bool IsMonotoneSeq(std::span<const double> A) {
  int dir = 0;
  for (std::size_t i = 0; i + 1 < A.size(); ++i) {
    const int s = A[i] < A[i + 1] ? 1 : (A[i] > A[i + 1] ? -1 : 0);
    if (s == 0) continue;
    if (dir == 0) dir = s;
    if (s != dir) return false;
  }
  return true;
}

// The median as PercentileArray takes it: the element of 0-based rank
// round(n / 2) (halves to even, at most n - 1) of Values, which it reorders.
double MedianElement(std::vector<double>& Values) {
  const auto n = static_cast<std::int32_t>(Values.size());
  const auto k = static_cast<std::int32_t>(
      std::min<long double>(RoundEven(static_cast<long double>(n) * 50.0L / 100.0L), n - 1));
  return detail::SelectRank(Values, k);
}

// The median of Y - Slope X.
double MedianResidual(std::span<const double> X, std::span<const double> Y, double Slope,
                      std::vector<double>& Work) {
  for (std::size_t i = 0; i < X.size(); ++i) Work[i] = Y[i] - Slope * X[i];
  return MedianElement(Work);
}

}  // namespace

std::int32_t TheilSenEstimator(std::span<const double> X, std::span<const double> Y, double& Slope,
                               double& Intercept, double& SlopeLow, double& SlopeHigh, double& InterceptLow,
                               double& InterceptHigh) {
  if (Y.size() <= 2) return -1;
  if (X.size() != Y.size()) return -2;
  if (!IsMonotoneSeq(X) || !AllFinite(X) || !AllFinite(Y)) return -3;
  const std::size_t n = X.size(), m = n * (n - 1) / 2;
  // Ranks (1-based) of the ends of the band, from the variance of Kendall's
  // tau: C = 1.96 sqrt(n (n - 1)(2n + 5) / 18).
  const double dn = static_cast<double>(n), dm = static_cast<double>(m);
  const double c = 1.96 * std::sqrt(dn * (dn - 1) * (2 * dn + 5) / 18);
  const auto rankHigh = static_cast<std::size_t>(std::min<std::int64_t>(Round((c + dm) / 2 + 1), m));
  const auto rankLow = static_cast<std::size_t>(std::max<std::int64_t>(Round((dm - c) / 2), 1));
  // Only these order statistics of the sorted slopes are needed.
  const std::array<std::size_t, 4> ranks{rankLow - 1, (m - 1) / 2, m / 2, rankHigh - 1};
  std::array<double, 4> at{};
  if (!statis_internal::PairSlopeRanks(X, Y, ranks, at)) return -3;  // an inf / inf slope
  const double median = m % 2 != 0 ? at[1] : (at[1] + at[2]) / 2;
  const double low = at[0], high = at[3];
  std::vector<double> work(n);
  Slope = median;
  SlopeLow = low;
  SlopeHigh = high;
  Intercept = MedianResidual(X, Y, median, work);
  InterceptLow = MedianResidual(X, Y, low, work);
  InterceptHigh = MedianResidual(X, Y, high, work);
  return n < kTheilSenFewPoints ? -4 : 0;
}

double GiniCoeff(std::span<const double> Data) {
  if (Data.empty()) return 0.0;
  if (std::any_of(Data.begin(), Data.end(), [](double v) { return std::isnan(v); }))
    return std::numeric_limits<double>::quiet_NaN();
  std::vector<double> s(Data.begin(), Data.end());
  std::sort(s.begin(), s.end());
  // sum_i sum_j |x_i - x_j| = 2 sum_k (2k - n - 1) x_(k) over the sorted
  // values (k = 1 .. n): each x_(k) is the larger of k - 1 pairs and the
  // smaller of n - k.
  const auto n = static_cast<long double>(s.size());
  long double weighted = 0.0L, sum = 0.0L;
  for (std::size_t k = 0; k < s.size(); ++k) {
    weighted += (2.0L * static_cast<long double>(k) + 1.0L - n) * s[k];
    sum += s[k];
  }
  return static_cast<double>(weighted / sum / n);
}

double AkaikeInfCrit(std::int32_t n, std::int32_t k, double RSS) {
  return n * std::log(RSS / n) + 2.0 * k;
}

std::int32_t PercentileOfArray(std::span<const double> Data, double Prob, std::int32_t LowIx, std::int32_t HighIx,
                               double& Result) {
  Result = 0.0;
  const auto high = static_cast<std::int64_t>(Data.size()) - 1;
  std::int32_t status = 0;
  if (LowIx < 0 || LowIx > high || HighIx < 0 || HighIx > high) status = -1;
  if (LowIx > HighIx) status = -3;
  if (!(Prob >= 0.0 && Prob <= 100.0)) status = -2;
  if (status != 0) return status;
  std::vector<double> copy(Data.begin() + LowIx, Data.begin() + HighIx + 1);
  const auto m = static_cast<std::int32_t>(copy.size());
  const auto k = static_cast<std::int32_t>(std::min<std::int64_t>(Round(m * Prob / 100.0), m - 1));
  Result = detail::SelectRank(copy, k);
  return 0;
}

std::int32_t EstimateProbDensity(std::span<double> Data, std::vector<double>& Density, double Lo, double Hi,
                                 double Smooth, double Width, std::int32_t NPts, std::int32_t& IxMin,
                                 std::int32_t& IxMax, const TOnPercentDoneEvent& FeedBack) {
  std::int32_t status = 0;
  if (NPts < kMinDensityPts || NPts > kMaxDensityPts) status = -1;
  if (!(Smooth > 0.0)) status = -2;
  if (status == 0 && Data.empty()) status = -3;
  if (status != 0) return status;
  // NaNs last, so that the order is strict and weak.
  std::sort(Data.begin(), Data.end(),
            [](double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); });
  const auto n = static_cast<std::int64_t>(Data.size());
  const double total = static_cast<double>(n) + NPts;
  std::int64_t steps = 0;
  const auto report = [&] {
    ++steps;
    if (FeedBack) FeedBack(nullptr, static_cast<double>(Round(100.0 * static_cast<double>(steps) / total)));
  };
  // x(p) for the 1-based position p.
  const auto x = [&Data](std::int64_t p) { return Data[static_cast<std::size_t>(p - 1)]; };
  const auto inside = [n](std::int64_t p) { return p >= 1 && p <= n; };
  // Local widths: the mean gap between neighbours near each point. A walk
  // ends where it leaves the data (no point lies beyond the ends).
  std::vector<double> h(static_cast<std::size_t>(n), Width);
  for (std::int64_t i = 1; i <= n; ++i) {
    const double xi = x(i);
    const auto near = [&](std::int64_t p) { return inside(p) && std::fabs(x(p) - xi) < Width; };
    double sum = 0.0;
    std::int64_t count = 0;
    for (std::int64_t p = i + 1; near(p); --p) {
      if (inside(p - 1)) {
        sum += std::fabs(x(p) - x(p - 1));
        ++count;
      }
    }
    for (std::int64_t p = i - 1; near(p); ++p) {
      if (inside(p + 1)) {
        sum += std::fabs(x(p) - x(p + 1));
        ++count;
      }
    }
    if (count > 0) h[static_cast<std::size_t>(i - 1)] = (sum != 0.0 ? sum : Width) / static_cast<double>(count);
    report();
  }
  std::vector<double> w(h.size());
  for (std::size_t i = 0; i < h.size(); ++i) {
    w[i] = h[i] * Smooth;
    if (w[i] == 0.0) w[i] = Smooth;
  }
  Density.assign(static_cast<std::size_t>(NPts) + 1, 0.0);
  const double scale = (1.0 / std::sqrt(2.0 * std::numbers::pi)) / static_cast<double>(n);
  IxMin = IxMax = 0;
  for (std::int32_t j = 0; j <= NPts; ++j) {
    const double at = Lo + j * (Hi - Lo) / NPts;
    double sum = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double z = (at - Data[i]) / w[i];
      sum += std::exp(-0.5 * z * z) / w[i];
    }
    const double d = scale * sum;
    Density[static_cast<std::size_t>(j)] = d;
    if (d > Density[static_cast<std::size_t>(IxMax)]) IxMax = j;
    if (d < Density[static_cast<std::size_t>(IxMin)]) IxMin = j;
    report();
  }
  return 0;
}

}  // namespace kvl
