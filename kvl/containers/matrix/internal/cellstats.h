#pragma once
// Internal to the matrix numerics: walks over a rectangle, a column or a
// row of cells for the shared summary rules (internal/stat_rules.h), the
// order of the quantiles and the histogram's bin rule. Rectangles walk their
// cells column by column.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl/containers/internal/stat_rules.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"

namespace kvl::matrix_internal {

using containers_internal::QuartilesBySelection;
using containers_internal::SampleSkewKurt;
using containers_internal::WalkMeanVar;
using containers_internal::WalkSkewKurt;

/// TCellRect: a validated 1-based rectangle of cells of a Rows-row matrix.
struct TCellRect {
  std::int32_t LoC, LoR, HiC, HiR;
  std::int64_t Count() const noexcept { return std::int64_t{HiC - LoC + 1} * (HiR - LoR + 1); }
};

/// RectWalk: the walk over the cells of R in a column-major block with Rows rows.
template <class T>
auto RectWalk(const T* Cells, std::size_t Rows, TCellRect R) {
  return [=](auto&& f) {
    for (std::int32_t c = R.LoC; c <= R.HiC; ++c) {
      const T* col = Cells + static_cast<std::size_t>(c - 1) * Rows;
      for (std::int32_t r = R.LoR; r <= R.HiR; ++r) f(static_cast<double>(col[r - 1]));
    }
  };
}

/// StrideWalk: the walk over N cells starting at First, Stride apart.
template <class T>
auto StrideWalk(const T* First, std::size_t N, std::size_t Stride) {
  return [=](auto&& f) {
    for (std::size_t i = 0; i < N; ++i) f(static_cast<double>(First[i * Stride]));
  };
}

/// NaNLast: the order of the quantiles over cells: ascending, NaNs last (a
/// strict weak order, so any cells sort or select safely).
inline constexpr auto NaNLast = [](double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; };

/// LineMeans: Means[i] := the MeanVar mean of column i (PerColumn) or row
/// i of a column-major block of Cols x Rows cells; Means holds one entry
/// per line.
template <class T>
void LineMeans(const T* Cells, std::size_t Cols, std::size_t Rows, bool PerColumn, std::vector<double>& Means) {
  for (std::size_t i = 0; i < Means.size(); ++i) {
    double var = 0.0;
    WalkMeanVar(PerColumn ? StrideWalk(Cells + i * Rows, Rows, 1) : StrideWalk(Cells + i, Cols, Rows), Means[i], var);
  }
}

/// NearestRank: the nearest-rank value of a work array (reordered): sorted
/// position round(n p), at most n - 1, the value QuickSelect gives (a
/// position beyond the Integer range, possible in the 3-D and 4-D blocks,
/// by nth_element).
inline double NearestRank(std::vector<double>& s, long double p) {
  const auto n = static_cast<std::int64_t>(s.size());
  const std::int64_t k = std::min<std::int64_t>(Round(static_cast<long double>(n) * p), n - 1);
  if (k <= std::numeric_limits<std::int32_t>::max()) return detail::SelectRank(s, static_cast<std::int32_t>(k));
  std::nth_element(s.begin(), s.begin() + k, s.end());
  return s[static_cast<std::size_t>(k)];
}

/// SampledPercentile: the Percentile of SampleSize cells drawn at random
/// (column, then row, uniformly) from R through CellAt(c, r): 0 when p
/// falls between the shares of negative and of non-positive draws, else the
/// nearest-rank value of the draws. Sample is the work array, sized to
/// SampleSize by the caller.
template <class CellFn>
double SampledPercentile(std::vector<double>& Sample, TCellRect R, long double p, CellFn&& CellAt) {
  Randomize();
  const std::int32_t nc = R.HiC - R.LoC + 1, nr = R.HiR - R.LoR + 1;
  std::int64_t negatives = 0, zeros = 0;
  for (double& x : Sample) {
    const std::int32_t c = R.LoC + Random(nc);
    const std::int32_t row = R.LoR + Random(nr);
    x = CellAt(c, row);
    if (x < 0)
      ++negatives;
    else if (x == 0)
      ++zeros;
  }
  const auto n = static_cast<long double>(Sample.size());
  const long double neg = static_cast<long double>(negatives) / n;
  const long double zer = static_cast<long double>(negatives + zeros) / n;
  if (neg < p && p < zer) return 0.0;
  return NearestRank(Sample, p);
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

}  // namespace kvl::matrix_internal
