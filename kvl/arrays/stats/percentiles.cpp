// Percentiles by selection on a copy, and the local (windowed) mean and median.

#include <algorithm>
#include <cmath>
#include <compare>
#include <limits>
#include <vector>

#include "kvl/arrays/array_stats.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/rounding.h"

namespace kvl {
namespace {

using namespace detail;

// Clips every bound into 0..extent-1 and orders each low/high pair (the
// array is not empty).
template <std::size_t N>
void ClipAndOrder(const std::array<std::int64_t, N>& Ext, std::array<std::int64_t, N>& Lo,
                  std::array<std::int64_t, N>& Hi) {
  for (std::size_t d = 0; d < N; ++d) {
    Lo[d] = std::clamp<std::int64_t>(Lo[d], 0, Ext[d] - 1);
    Hi[d] = std::clamp<std::int64_t>(Hi[d], 0, Ext[d] - 1);
    if (Lo[d] > Hi[d]) std::swap(Lo[d], Hi[d]);
  }
}

// The element at sorted position round(n * Pct / 100) of the range, the
// value QuickSelect gives, selected in a copy so that the caller's array
// keeps its order.
template <class A>
double PercentileOf(double Pct, const A& Data, Index<Rank<A>> Lo, Index<Rank<A>> Hi) {
  if (std::isnan(Pct)) return std::numeric_limits<double>::quiet_NaN();
  const auto ext = ExtentsOf(Data);
  if (IsEmpty(ext)) return 0.0;
  ClipAndOrder(ext, Lo, Hi);
  Pct = std::clamp(Pct, 0.0, 100.0);
  std::vector<double> work;
  work.reserve(static_cast<std::size_t>(CountInRange(Lo, Hi)));
  ForEachInRange(Data, Lo, Hi, [&work](auto v) { work.push_back(static_cast<double>(v)); });
  const auto n = static_cast<std::int32_t>(work.size());
  const auto k = static_cast<std::int32_t>(
      std::min<long double>(RoundEven(static_cast<long double>(n) * Pct / 100.0L), n - 1));
  return detail::SelectRank(work, k);
}

// The values LocalMean and LocalMedian summarise: Data[Center] and the
// neighbours up to HalfWidth away inside LowLimit..HighLimit, all four
// arguments clipped to 0..n-1 first (Data is not empty).
template <class T>
std::vector<double> Neighbourhood(const std::vector<T>& Data, std::int32_t Center, std::int32_t HalfWidth,
                                  std::int32_t LowLimit, std::int32_t HighLimit) {
  const auto last = static_cast<std::int64_t>(Data.size()) - 1;
  const std::int64_t c = std::clamp<std::int64_t>(Center, 0, last);
  const std::int64_t hw = std::clamp<std::int64_t>(HalfWidth, 0, last);
  const std::int64_t lo = std::clamp<std::int64_t>(LowLimit, 0, last);
  const std::int64_t hi = std::clamp<std::int64_t>(HighLimit, 0, last);
  std::vector<double> vals{static_cast<double>(Data[static_cast<std::size_t>(c)])};
  for (std::int64_t k = 1; k <= hw; ++k) {
    if (c - k >= lo && c - k <= hi)
      vals.push_back(static_cast<double>(Data[static_cast<std::size_t>(c - k)]));
    if (c + k >= lo && c + k <= hi)
      vals.push_back(static_cast<double>(Data[static_cast<std::size_t>(c + k)]));
  }
  return vals;
}

template <class T>
double LocalMeanOf(const std::vector<T>& Data, std::int32_t Center, std::int32_t HalfWidth,
                   std::int32_t LowLimit, std::int32_t HighLimit) {
  if (Data.empty()) return 0.0;
  const auto vals = Neighbourhood(Data, Center, HalfWidth, LowLimit, HighLimit);
  long double sum = 0.0L;
  for (double v : vals) sum += v;
  return static_cast<double>(sum / static_cast<long double>(vals.size()));
}

template <class T>
double LocalMedianOf(const std::vector<T>& Data, std::int32_t Center, std::int32_t HalfWidth,
                     std::int32_t LowLimit, std::int32_t HighLimit) {
  if (Data.empty()) return 0.0;
  auto vals = Neighbourhood(Data, Center, HalfWidth, LowLimit, HighLimit);
  // IEEE total order: a NaN in the data must not break the sort's ordering rule.
  std::sort(vals.begin(), vals.end(), [](double a, double b) { return std::strong_order(a, b) < 0; });
  const std::size_t m = vals.size() / 2;
  if (vals.size() % 2 != 0) return vals[m];
  return static_cast<double>((static_cast<long double>(vals[m - 1]) + vals[m]) / 2.0L);
}

}  // namespace

using std::int32_t;

double PercentileArray(double Pct, const TDoubleArray& Data) {
  return PercentileOf(Pct, Data, {0}, {static_cast<std::int64_t>(Data.size()) - 1});
}
double PercentileArray(double Pct, const TDoubleArray& Data, int32_t First, int32_t Last) {
  return PercentileOf(Pct, Data, {First}, {Last});
}
double PercentileArray(double Pct, const TIntArray& Data) {
  return PercentileOf(Pct, Data, {0}, {static_cast<std::int64_t>(Data.size()) - 1});
}
double PercentileArray(double Pct, const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1,
                       int32_t Hi2) {
  return PercentileOf(Pct, Data, {Lo1, Lo2}, {Hi1, Hi2});
}

double LocalMean(const TDoubleArray& Data, int32_t Center, int32_t HalfWidth, int32_t LowLimit,
                 int32_t HighLimit) {
  return LocalMeanOf(Data, Center, HalfWidth, LowLimit, HighLimit);
}
double LocalMean(const TIntArray& Data, int32_t Center, int32_t HalfWidth, int32_t LowLimit,
                 int32_t HighLimit) {
  return LocalMeanOf(Data, Center, HalfWidth, LowLimit, HighLimit);
}
double LocalMedian(const TDoubleArray& Data, int32_t Center, int32_t HalfWidth, int32_t LowLimit,
                   int32_t HighLimit) {
  return LocalMedianOf(Data, Center, HalfWidth, LowLimit, HighLimit);
}
double LocalMedian(const TIntArray& Data, int32_t Center, int32_t HalfWidth, int32_t LowLimit,
                   int32_t HighLimit) {
  return LocalMedianOf(Data, Center, HalfWidth, LowLimit, HighLimit);
}

}  // namespace kvl
