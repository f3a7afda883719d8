#pragma once
// Internal to the matrix numerics: the summary rules of the vector class
// (mean and variance, skewness and kurtosis, quartiles, histogram bins)
// written over a walk of cells, so that one formula serves a rectangle, a
// column and a row. A walk is a callable that calls f(x) for every cell in
// column-major order; rectangles walk their column stretches, which are
// contiguous.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kvl/runtime/rounding.h"

namespace kvl::matrix_detail {

/// TCellRect: a validated 1-based rectangle of cells of a Rows-row matrix.
struct TCellRect {
  std::int32_t LoC, LoR, HiC, HiR;
  std::int64_t Count() const noexcept { return std::int64_t{HiC - LoC + 1} * (HiR - LoR + 1); }
};

/// RectWalk: the walk over the cells of R in a column-major block with Rows rows.
inline auto RectWalk(const double* Cells, std::size_t Rows, TCellRect R) {
  return [=](auto&& f) {
    for (std::int32_t c = R.LoC; c <= R.HiC; ++c) {
      const double* col = Cells + static_cast<std::size_t>(c - 1) * Rows;
      for (std::int32_t r = R.LoR; r <= R.HiR; ++r) f(col[r - 1]);
    }
  };
}

/// StrideWalk: the walk over N cells starting at First, Stride apart.
inline auto StrideWalk(const double* First, std::size_t N, std::size_t Stride) {
  return [=](auto&& f) {
    for (std::size_t i = 0; i < N; ++i) f(First[i * Stride]);
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

/// SortCells: ascending, NaNs last (a strict weak order, so any cells sort safely).
inline void SortCells(std::vector<double>& s) {
  std::ranges::sort(s, [](double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; });
}

/// QuartilesOfSorted: the (n + 1)·p quartiles of TVector::Quartiles from
/// the sorted values s (at least one).
inline void QuartilesOfSorted(const std::vector<double>& s, double& Q1, double& Q2, double& Q3) {
  const auto n = static_cast<std::int64_t>(s.size());
  if (n < 2) {
    Q1 = Q2 = Q3 = s[0];
    return;
  }
  auto quartile = [&s, n](long double p) -> double {
    const long double pos = (n + 1) * p;
    const std::int64_t k = Trunc(pos);
    if (k < 1) return s[0];
    if (k >= n) return s[static_cast<std::size_t>(n - 1)];
    const long double lo = s[static_cast<std::size_t>(k - 1)];
    const long double hi = s[static_cast<std::size_t>(k)];
    return static_cast<double>(lo + (hi - lo) * Frac(pos));
  };
  Q1 = quartile(0.25L);
  Q2 = quartile(0.5L);
  Q3 = quartile(0.75L);
}

/// THistogramBins: the bin rule of TVector::Histogram (Double): Bins =
/// round(|LastBin - FirstBin| / BinWidth) + 1; invalid (Bins = 0) for more
/// than 500 bins, a non-finite bound or width, or a width not above 0.
struct THistogramBins {
  double First = 0, Last = 0, Width = 0;
  std::int64_t Bins = 0;

  THistogramBins(double FirstBin, double LastBin, double BinWidth) {
    if (!std::isfinite(FirstBin) || !std::isfinite(LastBin) || !std::isfinite(BinWidth) || !(BinWidth > 0)) return;
    if (LastBin < FirstBin) std::swap(FirstBin, LastBin);
    const long double bins = RoundEven((static_cast<long double>(LastBin) - FirstBin) / BinWidth) + 1;
    if (bins > 500) return;
    First = FirstBin;
    Last = LastBin;
    Width = BinWidth;
    Bins = static_cast<std::int64_t>(bins);
  }

  /// Bin: the bin of x, -1 for underflow, Bins for overflow (also a value
  /// past the last bin when the range is not a whole number of bins), -2 for NaN.
  std::int64_t Bin(double x) const {
    if (std::isnan(x)) return -2;
    if (x < First) return -1;
    if (static_cast<long double>(x) >= static_cast<long double>(Last) + Width) return Bins;
    const auto bin = static_cast<std::int64_t>(std::floor((static_cast<long double>(x) - First) / Width));
    return std::min(bin, Bins);
  }
};

}  // namespace kvl::matrix_detail
