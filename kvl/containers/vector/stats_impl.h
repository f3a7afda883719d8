#pragma once
// TVectorBase: statistics, quantiles and the histogram. Member definitions
// of the template; instantiated in vector/instances.cpp.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/vector/vector_detail.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

template <class T, class D>
T TVectorBase<T, D>::Sum(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  typename vector_detail::SumType<T>::type sum = 0;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) sum += vector_detail::Wide(FVec[static_cast<std::size_t>(i - 1)]);
  return vector_detail::Narrow<T>(sum);
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
    if (vector_detail::IsNaN(x)) continue;
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
  const long double n = HighElem - LowElem + 1;
  // Sums of deviations from the first element: the same formula, but without
  // the cancellation that large means cause.
  const long double shift = FVec[static_cast<std::size_t>(LowElem - 1)];
  long double sum = 0.0L;
  long double sumSq = 0.0L;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) {
    const long double d = FVec[static_cast<std::size_t>(i - 1)] - shift;
    sum += d;
    sumSq += d * d;
  }
  Mean = static_cast<double>(shift + sum / n);
  if (n < 3) {
    Variance = 1.0;
    return;
  }
  const long double var = (sumSq - sum * sum / n) / (n - 1);
  Variance = var < 0 ? 0.0 : static_cast<double>(var);
}

template <class T, class D>
double TVectorBase<T, D>::GeometricMean(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  bool zero = false;
  long double sumLn = 0.0L;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) {
    const T x = FVec[static_cast<std::size_t>(i - 1)];
    if (x < 0) RaiseComponent<EKVLVectorError>(*this, "negative argument passed to GeometricMean");
    if (x == 0)
      zero = true;
    else
      sumLn += std::log(static_cast<long double>(x));
  }
  if (zero) return 0.0;
  return static_cast<double>(std::exp(sumLn / (HighElem - LowElem + 1)));
}

template <class T, class D>
double TVectorBase<T, D>::HarmonicMean(std::int32_t LowElem, std::int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  long double sumInv = 0.0L;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) {
    const T x = FVec[static_cast<std::size_t>(i - 1)];
    if (!(x > 0)) RaiseComponent<EKVLVectorError>(*this, "negative or zero argument passed to HarmonicMean");
    sumInv += 1.0L / x;
  }
  return static_cast<double>((HighElem - LowElem + 1) / sumInv);
}

template <class T, class D>
void TVectorBase<T, D>::SkewKurt(std::int32_t LowElem, std::int32_t HighElem, double& Skewness,
                                 double& Kurtosis) const {
  Skewness = Kurtosis = 0.0;
  MakeValidElemRange(LowElem, HighElem);
  const long double n = HighElem - LowElem + 1;
  if (n <= 3) return;
  long double mean = 0.0L;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) mean += FVec[static_cast<std::size_t>(i - 1)];
  mean /= n;
  long double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) {
    const long double d = FVec[static_cast<std::size_t>(i - 1)] - mean;
    const long double d2 = d * d;
    s1 += d;
    s2 += d2;
    s3 += d2 * d;
    s4 += d2 * d2;
  }
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

template <class T, class D>
void TVectorBase<T, D>::SkewKurtSample(std::int32_t LowElem, std::int32_t HighElem, double& Skewness,
                                       double& Kurtosis) const {
  Skewness = Kurtosis = 0.0;
  std::int32_t lo = LowElem;
  std::int32_t hi = HighElem;
  MakeValidElemRange(lo, hi);
  const long double n = hi - lo + 1;
  if (n < 4) return;
  double g1 = 0.0;
  double g2 = 0.0;
  SkewKurt(lo, hi, g1, g2);
  Skewness = static_cast<double>(n * n * g1 / ((n - 1) * (n - 2)));
  Kurtosis = static_cast<double>((g2 + 3) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
                                 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
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

// The range copied and sorted ascending. Without NaNs any sort gives the
// same values in the same order, so the fast one is used; with NaNs the
// library's comb sort (SortArray) decides where they end up.
template <class T, class D>
std::vector<T> TVectorBase<T, D>::SortedRange(std::int32_t LowElem, std::int32_t HighElem) const {
  try {
    std::vector<T> s(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
    if (std::ranges::any_of(s, [](T x) { return vector_detail::IsNaN(x); }))
      SortArray(std::span<T>(s), true);
    else
      std::ranges::sort(s);
    return s;
  } catch (const std::bad_alloc&) {
    RaiseComponent<EKVLVectorError>(*this, "not enough memory on heap");
  }
}

template <class T, class D>
bool TVectorBase<T, D>::Quartiles(std::int32_t LowElem, std::int32_t HighElem, double& Q1, double& Q2,
                                  double& Q3) const {
  MakeValidElemRange(LowElem, HighElem);
  const std::vector<T> s = SortedRange(LowElem, HighElem);
  const auto n = static_cast<std::int64_t>(s.size());
  if (n < 2) {
    Q1 = Q2 = Q3 = static_cast<double>(s[0]);
    return true;
  }
  auto quartile = [&s, n](long double p) -> double {
    const long double pos = (n + 1) * p;
    const std::int64_t k = Trunc(pos);
    if (k < 1) return static_cast<double>(s[0]);
    if (k >= n) return static_cast<double>(s[static_cast<std::size_t>(n - 1)]);
    const long double lo = s[static_cast<std::size_t>(k - 1)];
    const long double hi = s[static_cast<std::size_t>(k)];
    return static_cast<double>(lo + (hi - lo) * Frac(pos));
  };
  Q1 = quartile(0.25L);
  Q2 = quartile(0.5L);
  Q3 = quartile(0.75L);
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
  try {
    std::vector<T> s(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
    if (std::ranges::any_of(s, [](T x) { return vector_detail::IsNaN(x); })) {
      s = SortedRange(LowElem, HighElem);
    } else {
      // Selection instead of a full sort: s[k] in place, s[k + 1] the
      // smallest of what follows.
      std::ranges::nth_element(s, s.begin() + static_cast<std::ptrdiff_t>(k));
      if (f > 0) std::iter_swap(s.begin() + static_cast<std::ptrdiff_t>(k + 1),
                                std::min_element(s.begin() + static_cast<std::ptrdiff_t>(k + 1), s.end()));
    }
    // h = n - 1 exactly for Prob 100 (and 0 for n = 1): f is 0 and s[k] the answer.
    const long double lo = s[k];
    return static_cast<double>(f > 0 ? lo + (static_cast<long double>(s[k + 1]) - lo) * f : lo);
  } catch (const std::bad_alloc&) {
    RaiseComponent<EKVLVectorError>(*this, "not enough memory on heap");
  }
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
    if (nBins > 500) vector_detail::RaiseMemberError<EKVLVectorError>(*this, "Histogram", "invalid number of bins");
  }
  if (static_cast<std::int64_t>(Histo.size()) != nBins) Histo.resize(static_cast<std::size_t>(nBins));
  std::ranges::fill(Histo, 0);
  Underflow = Overflow = MaxCnt = 0;
  // Counts Count occurrences of x; a value past the last bin (possible when
  // the bin range is not a whole number of bins) counts as overflow.
  auto count = [&](T x, std::int32_t Count) {
    if (vector_detail::IsNaN(x)) return;
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
