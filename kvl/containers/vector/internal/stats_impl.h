#pragma once
// TVectorBase: statistics, quantiles and the histogram. Member definitions
// of the template; instantiated in vector/instances.cpp.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/internal/stat_rules.h"
#include "kvl/containers/vector/internal/vector_internal.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace vector_internal {
/// RangeWalk: the walk of the shared summary rules over the elements
/// LowElem..HighElem (a validated range) of Vec.
template <class T>
auto RangeWalk(const std::vector<T>& Vec, std::int32_t LowElem, std::int32_t HighElem) {
  return containers_internal::SpanWalk(std::span<const T>(Vec).subspan(
      static_cast<std::size_t>(LowElem - 1), static_cast<std::size_t>(HighElem - LowElem + 1)));
}
}  // namespace vector_internal

template <class T, class D>
T TVectorBase<T, D>::Sum(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  typename vector_internal::SumType<T>::type sum = 0;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) sum += vector_internal::Wide(FVec[static_cast<std::size_t>(i - 1)]);
  return vector_internal::Narrow<T>(sum);
}

template <class T, class D>
void TVectorBase<T, D>::MinMax(std::int32_t LowElem, std::int32_t HighElem, T& Minimum, T& Maximum) const {
  std::int32_t minIx = 0;
  std::int32_t maxIx = 0;
  MinMax(LowElem, HighElem, Minimum, Maximum, minIx, maxIx);
}

template <class T, class D>
void TVectorBase<T, D>::MinMax(std::int32_t LowElem, std::int32_t HighElem, T& Minimum, T& Maximum,
                               std::int32_t& MinIx, std::int32_t& MaxIx) const {
  MakeValidElemRange(LowElem, HighElem);
  if constexpr (std::is_floating_point_v<T>) {
    Minimum = 1.7e308;
    Maximum = -1.7e308;
  } else {
    Minimum = std::numeric_limits<T>::max();
    Maximum = std::numeric_limits<T>::min();
  }
  MinIx = MaxIx = 0;
  // The first comparable element starts both extremes, so that values
  // beyond the starting bounds are found too; later ones replace an extreme
  // only when strictly beyond it.
  for (std::int32_t i = LowElem; i <= HighElem; ++i) {
    const T x = FVec[static_cast<std::size_t>(i - 1)];
    if (vector_internal::IsNaN(x)) continue;
    if (MinIx == 0 || x < Minimum) {
      Minimum = x;
      MinIx = i;
    }
    if (MaxIx == 0 || x > Maximum) {
      Maximum = x;
      MaxIx = i;
    }
  }
}

template <class T, class D>
void TVectorBase<T, D>::MeanVar(std::int32_t LowElem, std::int32_t HighElem, double& Mean, double& Variance) const {
  MakeValidElemRange(LowElem, HighElem);
  containers_internal::WalkMeanVar(vector_internal::RangeWalk(FVec, LowElem, HighElem), Mean, Variance);
}

template <class T, class D>
double TVectorBase<T, D>::GeometricMean(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  return containers_internal::WalkGeometricMean(vector_internal::RangeWalk(FVec, LowElem, HighElem), [this] {
    RaiseComponent<EKVLVectorError>(*this, "negative argument passed to GeometricMean");
  });
}

template <class T, class D>
double TVectorBase<T, D>::HarmonicMean(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  return containers_internal::WalkHarmonicMean(vector_internal::RangeWalk(FVec, LowElem, HighElem), [this] {
    RaiseComponent<EKVLVectorError>(*this, "negative or zero argument passed to HarmonicMean");
  });
}

template <class T, class D>
void TVectorBase<T, D>::SkewKurt(std::int32_t LowElem, std::int32_t HighElem, double& Skewness,
                                 double& Kurtosis) const {
  MakeValidElemRange(LowElem, HighElem);
  containers_internal::WalkSkewKurt(vector_internal::RangeWalk(FVec, LowElem, HighElem), Skewness, Kurtosis);
}

template <class T, class D>
void TVectorBase<T, D>::SkewKurtSample(std::int32_t LowElem, std::int32_t HighElem, double& Skewness,
                                       double& Kurtosis) const {
  MakeValidElemRange(LowElem, HighElem);
  double g1 = 0.0;
  double g2 = 0.0;
  containers_internal::WalkSkewKurt(vector_internal::RangeWalk(FVec, LowElem, HighElem), g1, g2);
  containers_internal::SampleSkewKurt(HighElem - LowElem + 1, g1, g2, Skewness, Kurtosis);
}

template <class T, class D>
T TVectorBase<T, D>::Mode(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  std::vector<T> s(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
  SortArray(std::span<T>(s), true);
  T result = s[0];
  std::size_t run = 1;
  std::size_t best = 1;
  for (std::size_t i = 1; i < s.size(); ++i) {
    run = s[i] == s[i - 1] ? run + 1 : 1;
    if (run > best) {
      best = run;
      result = s[i];
    }
  }
  return result;
}

// --- quantiles ----------------------------------------------------------------------

// The working copy of the quantiles: the range copied; Sorted is true when
// it holds NaNs and has been sorted by the library's comb sort (SortArray),
// which decides where they end up. Without NaNs every order gives the same
// order statistics, so the callers select instead of sorting.
template <class T, class D>
std::vector<T> TVectorBase<T, D>::QuantileCopy(std::int32_t LowElem, std::int32_t HighElem,
                                               bool& Sorted) const {
  std::vector<T> s = GuardAllocation<EKVLVectorError>(
      *this, [&] { return std::vector<T>(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem); });
  Sorted = std::ranges::any_of(s, [](T x) { return vector_internal::IsNaN(x); });
  if (Sorted) SortArray(std::span<T>(s), true);
  return s;
}

template <class T, class D>
bool TVectorBase<T, D>::Quartiles(std::int32_t LowElem, std::int32_t HighElem, double& Q1, double& Q2,
                                  double& Q3) const {
  MakeValidElemRange(LowElem, HighElem);
  bool sorted = false;
  std::vector<T> s = QuantileCopy(LowElem, HighElem, sorted);
  if (sorted)
    containers_internal::QuartilesOfSelected(s, Q1, Q2, Q3);
  else
    containers_internal::QuartilesBySelection(s, Q1, Q2, Q3);
  return true;
}

template <class T, class D>
double TVectorBase<T, D>::Percentile(double Prob, std::int32_t LowElem, std::int32_t HighElem) const {
  if (std::isnan(Prob)) return std::numeric_limits<double>::quiet_NaN();
  Prob = std::clamp(Prob, 0.0, 100.0);
  MakeValidElemRange(LowElem, HighElem);
  const std::int64_t n = HighElem - LowElem + 1;
  const long double h = (n - 1) * static_cast<long double>(Prob) / 100.0L;
  const auto k = static_cast<std::size_t>(Trunc(h));
  const long double f = Frac(h);
  bool sorted = false;
  std::vector<T> s = QuantileCopy(LowElem, HighElem, sorted);
  // s[k] and, when interpolating, s[k + 1]; h = n - 1 exactly for Prob 100
  // (and 0 for n = 1): f is 0 and s[k] the answer.
  if (!sorted) {
    const std::size_t pos[2] = {k, std::min(k + 1, s.size() - 1)};
    detail::SelectPositions(std::span<T>(s), std::span<const std::size_t>(pos, f > 0 ? 2 : 1));
  }
  const long double lo = s[k];
  return static_cast<double>(f > 0 ? lo + (static_cast<long double>(s[k + 1]) - lo) * f : lo);
}

// --- histogram ------------------------------------------------------------------------

template <class T, class D>
bool TVectorBase<T, D>::Histogram(std::int32_t FirstElem, std::int32_t LastElem, T FirstBin, T LastBin, T BinWidth,
                                  TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                                  std::int32_t& MaxCnt) const {
  std::int64_t nBins = 0;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(FirstBin) || !std::isfinite(LastBin) || !std::isfinite(BinWidth) || !(BinWidth > 0))
      return false;
    if (LastBin < FirstBin) std::swap(FirstBin, LastBin);
    const long double bins = RoundEven((static_cast<long double>(LastBin) - FirstBin) / BinWidth) + 1;
    if (bins > 500) return false;
    nBins = static_cast<std::int64_t>(bins);
  } else {
    BinWidth = std::max(BinWidth, 1);
    if (LastBin < FirstBin) std::swap(FirstBin, LastBin);
    nBins = (std::int64_t{LastBin} - FirstBin) / BinWidth + 1;
    if (nBins > 500) RaiseMember<EKVLVectorError>(*this, "Histogram", "invalid number of bins");
  }
  if (static_cast<std::int64_t>(Histo.size()) != nBins) Histo.resize(static_cast<std::size_t>(nBins));
  std::ranges::fill(Histo, 0);
  Underflow = Overflow = MaxCnt = 0;
  // Counts Count occurrences of x; a value past the last bin (possible when
  // the bin range is not a whole number of bins) counts as overflow.
  auto count = [&](T x, std::int32_t Count) {
    if (vector_internal::IsNaN(x)) return;
    using W = std::conditional_t<std::is_floating_point_v<T>, long double, std::int64_t>;
    const W offset = static_cast<W>(x) - FirstBin;
    if (x < FirstBin) {
      Underflow += Count;
    } else if (static_cast<W>(x) >= static_cast<W>(LastBin) + BinWidth) {
      Overflow += Count;
    } else {
      std::int64_t bin = 0;
      if constexpr (std::is_floating_point_v<T>)
        bin = static_cast<std::int64_t>(std::floor(offset / BinWidth));
      else
        bin = offset / BinWidth;
      if (bin >= nBins) {
        Overflow += Count;
      } else {
        Histo[static_cast<std::size_t>(bin)] += Count;
        MaxCnt = std::max(MaxCnt, Histo[static_cast<std::size_t>(bin)]);
      }
    }
  };
  // Indices outside the vector read as 0: they are counted together.
  const std::int64_t lo = FirstElem;
  const std::int64_t hi = LastElem;
  const std::int64_t validLo = std::max<std::int64_t>(lo, 1);
  const std::int64_t validHi = std::min<std::int64_t>(hi, FNElem);
  const std::int64_t outside = hi < lo ? 0 : (hi - lo + 1) - std::max<std::int64_t>(0, validHi - validLo + 1);
  if (outside > 0) count(T(0), static_cast<std::int32_t>(std::min<std::int64_t>(outside, std::numeric_limits<std::int32_t>::max())));
  for (std::int64_t i = validLo; i <= validHi; ++i) count(FVec[static_cast<std::size_t>(i - 1)], 1);
  return true;
}

template <class T, class D>
bool TVectorBase<T, D>::Histogram(std::int32_t FirstElem, std::int32_t LastElem, T FirstBin, T LastBin, T BinWidth,
                                  TIntVector* Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                                  std::int32_t& MaxCnt) const {
  if (!Histo) return false;
  TIntArray bins;
  if (!Histogram(FirstElem, LastElem, FirstBin, LastBin, BinWidth, bins, Underflow, Overflow, MaxCnt)) return false;
  Histo->Resize(static_cast<std::int32_t>(bins.size()));
  for (std::size_t k = 0; k < bins.size(); ++k) Histo->SetVal(static_cast<std::int32_t>(k + 1), bins[k]);
  return true;
}

}  // namespace kvl
