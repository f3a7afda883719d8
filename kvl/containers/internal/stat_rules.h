#pragma once
// Internal to the container units: the summary rules shared by the vectors
// and the matrices (mean and variance, geometric and harmonic means,
// skewness and kurtosis, quartiles, Pearson's r), written once over a walk
// of values. A walk is a callable that calls f(x) for every value, as a
// double, in order: a vector range, a rectangle of matrix cells, a matrix
// column or row. Sums run in extended precision.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/rounding.h"

namespace kvl::containers_internal {

/// SpanWalk: the walk over the values of a span.
template <class T>
auto SpanWalk(std::span<const T> Values) {
  return [Values](auto&& f) {
    for (const T x : Values) f(static_cast<double>(x));
  };
}

/// WalkMeanVar: the mean and sample variance of TVector::MeanVar (sums of
/// deviations from the first cell in extended precision; variance 1.0 below
/// 3 cells, never negative).
template <class Walk>
void WalkMeanVar(Walk&& W, double& Mean, double& Variance) {
  bool first = true;
  long double shift = 0.0L, sum = 0.0L, sumSq = 0.0L, n = 0.0L;
  W([&](double x) {
    if (first) {
      shift = x;
      first = false;
    }
    const long double d = x - shift;
    sum += d;
    sumSq += d * d;
    n += 1;
  });
  Mean = static_cast<double>(shift + sum / n);
  if (n < 3) {
    Variance = 1.0;
    return;
  }
  const long double var = (sumSq - sum * sum / n) / (n - 1);
  Variance = var < 0 ? 0.0 : static_cast<double>(var);
}

/// WalkSkewKurt: skewness and excess kurtosis of TVector::SkewKurt (both 0
/// for 3 cells or fewer; the raw third and fourth sums for a constant walk).
template <class Walk>
void WalkSkewKurt(Walk&& W, double& Skewness, double& Kurtosis) {
  Skewness = Kurtosis = 0.0;
  long double mean = 0.0L, n = 0.0L;
  W([&](double x) {
    mean += x;
    n += 1;
  });
  if (n <= 3) return;
  mean /= n;
  long double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  W([&](double x) {
    const long double d = x - mean;
    const long double d2 = d * d;
    s1 += d;
    s2 += d2;
    s3 += d2 * d;
    s4 += d2 * d2;
  });
  const long double var = (s2 - s1 * s1 / n) / (n - 1);
  const long double s = var > 0 ? std::sqrt(var) : 0.0L;
  if (s > 0) {
    Skewness = static_cast<double>(s3 / n / (s * s * s));
    Kurtosis = static_cast<double>(s4 / n / (var * var) - 3);
  } else {
    Skewness = static_cast<double>(s3);
    Kurtosis = static_cast<double>(s4);
  }
}

/// SampleSkewKurt: the sample forms of TVector::SkewKurtSample from n and
/// the g1, g2 of WalkSkewKurt (both 0 for n < 4).
inline void SampleSkewKurt(long double n, double g1, double g2, double& Skewness, double& Kurtosis) {
  Skewness = Kurtosis = 0.0;
  if (n < 4) return;
  Skewness = static_cast<double>(n * n * g1 / ((n - 1) * (n - 2)));
  Kurtosis = static_cast<double>((g2 + 3) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
                                 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
}

/// WalkGeometricMean: exp of the mean log; 0 when a value is 0; calls
/// OnNegative (which raises) for a value below 0.
template <class Walk, class Fail>
double WalkGeometricMean(Walk&& W, Fail&& OnNegative) {
  bool zero = false;
  long double sumLn = 0.0L, n = 0.0L;
  W([&](double x) {
    if (x < 0) OnNegative();
    if (x == 0)
      zero = true;
    else
      sumLn += std::log(static_cast<long double>(x));
    n += 1;
  });
  return zero ? 0.0 : static_cast<double>(std::exp(sumLn / n));
}

/// WalkHarmonicMean: n / Σ(1/x); calls OnNotPositive (which raises) for a
/// value not above 0.
template <class Walk, class Fail>
double WalkHarmonicMean(Walk&& W, Fail&& OnNotPositive) {
  long double sumInv = 0.0L, n = 0.0L;
  W([&](double x) {
    if (!(x > 0)) OnNotPositive();
    sumInv += 1.0L / x;
    n += 1;
  });
  return static_cast<double>(n / sumInv);
}

/// QuartilePositions: the sorted positions (0-based, ascending, repeats
/// possible) that the (n + 1)·p quartiles of n >= 2 values read: each
/// quartile reads s[k - 1] and s[k], k = trunc((n + 1)·p), a position below
/// 0 read as 0 and one at or beyond n as n - 1.
inline std::array<std::size_t, 6> QuartilePositions(std::int64_t n) {
  std::array<std::size_t, 6> pos{};
  constexpr long double kP[3] = {0.25L, 0.5L, 0.75L};
  for (std::size_t q = 0; q < 3; ++q) {
    const std::int64_t k = Trunc((n + 1) * kP[q]);
    pos[2 * q] = static_cast<std::size_t>(std::clamp<std::int64_t>(k - 1, 0, n - 1));
    pos[2 * q + 1] = static_cast<std::size_t>(std::clamp<std::int64_t>(k, 0, n - 1));
  }
  std::ranges::sort(pos);
  return pos;
}

/// QuartilesOfSelected: the (n + 1)·p quartiles of TVector::Quartiles from
/// the values s (at least one) once the QuartilePositions hold their sorted
/// values (a sorted s qualifies): a position at or beyond n gives s[n - 1],
/// as the data table's quartiles do.
template <class T>
void QuartilesOfSelected(const std::vector<T>& s, double& Q1, double& Q2, double& Q3) {
  const auto n = static_cast<std::int64_t>(s.size());
  if (n < 2) {
    Q1 = Q2 = Q3 = static_cast<double>(s[0]);
    return;
  }
  auto quartile = [&s, n](long double p) -> double {
    const long double pos = (n + 1) * p;
    const std::int64_t k = Trunc(pos);
    if (k < 1) return static_cast<double>(s[0]);
    if (k >= n) return static_cast<double>(s[static_cast<std::size_t>(n - 1)]);
    // A whole position reads s_k alone, so an infinite neighbour cannot
    // turn it into inf·0.
    const long double lo = s[static_cast<std::size_t>(k - 1)];
    const long double f = Frac(pos);
    if (f == 0) return static_cast<double>(lo);
    return static_cast<double>(lo + (static_cast<long double>(s[static_cast<std::size_t>(k)]) - lo) * f);
  };
  Q1 = quartile(0.25L);
  Q2 = quartile(0.5L);
  Q3 = quartile(0.75L);
}

/// QuartilesBySelection: the quartiles of the working copy s (at least one
/// value; reordered) ordered by Before: the six positions are selected
/// instead of sorting everything, which gives the values a sort would.
template <class T, class Less = std::less<>>
void QuartilesBySelection(std::vector<T>& s, double& Q1, double& Q2, double& Q3, Less Before = {}) {
  if (s.size() >= 2) {
    const auto pos = QuartilePositions(static_cast<std::int64_t>(s.size()));
    detail::SelectPositions(std::span<T>(s), std::span<const std::size_t>(pos), Before);
  }
  QuartilesOfSelected(s, Q1, Q2, Q3);
}

/// PearsonOf: Pearson's r of the pairs (x[i], y[i]) by the sums rule of
/// TPairSums.
template <class T>
double PearsonOf(std::span<const T> x, std::span<const T> y) {
  detail::TPairSums sums;
  for (std::size_t i = 0; i < x.size(); ++i) sums.Add(x[i], y[i]);
  return sums.Pearson();
}

}  // namespace kvl::containers_internal
