#pragma once
// Robust estimators and summaries: the Theil-Sen line, the Gini
// coefficient, Akaike's information criterion, a percentile of an index
// range and a kernel estimate of a probability density.
//
//   double k, d, kLo, kHi, dLo, dHi;
//   TheilSenEstimator(x, y, k, d, kLo, kHi, dLo, dHi);  // median of pairwise slopes
//   double g = GiniCoeff(incomes);                      // 0 .. 1 for positive data
//   double med;
//   PercentileOfArray(data, 50, 0, 99, med);            // an element of data[0..99]

#include <cstdint>
#include <span>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"
#include "kvl/statistics/statis/vectorforms.h"

KVL_API_BEGIN

namespace kvl {

/// TheilSenEstimator: the line Y = Slope X + Intercept through the median
/// of the n(n-1)/2 pairwise slopes (a pair with equal X counts 1e99), the
/// intercept the 50 % percentile (an element, as PercentileArray) of
/// Y - Slope X, and the 95 % band of the slope (ranks from Kendall's tau)
/// with the intercepts that belong to its ends. Returns -1 if Y has at most
/// 2 values, -2 if X and Y differ in length, -3 if X is not monotone or X or
/// Y holds a value that is not finite (outputs unchanged), else 0, or -4 when
/// fewer than 10 points gave (all outputs still computed). Up to 2^22
/// slopes are stored and the ranks needed selected; beyond that a sample
/// brackets each rank and one pass over the pairs keeps only the slopes
/// inside the brackets (a few MB for 20,000 points instead of 1.6 GB), with
/// the same result as a full sort.
std::int32_t TheilSenEstimator(std::span<const double> X, std::span<const double> Y, double& Slope,
                               double& Intercept, double& SlopeLow, double& SlopeHigh, double& InterceptLow,
                               double& InterceptHigh);

/// GiniCoeff: the Gini coefficient sum_i sum_j |x_i - x_j| / (sum x) / 2 / n,
/// from the sorted values in O(n log n); 0 for an empty array, NaN when Data
/// holds a NaN, not finite when the sum of Data is 0.
double GiniCoeff(std::span<const double> Data);

/// AkaikeInfCrit: Akaike's information criterion n ln(RSS/n) + 2k of a model
/// with k parameters whose n residuals have the sum of squares RSS.
double AkaikeInfCrit(std::int32_t n, std::int32_t k, double RSS);

/// PercentileOfArray: the value of 0-based rank round(m Prob / 100) (at most
/// m - 1, halves to even, no interpolation) among the m values
/// Data[LowIx..HighIx]; Data is not changed. Result = 0 and -1 if LowIx or
/// HighIx lies outside Data, -3 if LowIx > HighIx, -2 if Prob lies outside
/// 0..100 or is NaN (the later check wins); else 0.
std::int32_t PercentileOfArray(std::span<const double> Data, double Prob, std::int32_t LowIx, std::int32_t HighIx,
                               double& Result);

/// EstimateProbDensity (array form): sorts Data ascending in place and
/// fills Density (resized to NPts + 1) with a Gaussian kernel estimate of
/// the density of Data at the NPts + 1 points Lo + j (Hi - Lo)/NPts, each
/// point's kernel width the mean gap to its neighbours within Width, times
/// Smooth. IxMin and IxMax are the 0-based positions of the first smallest
/// and largest density. FeedBack (when assigned) is called with a null
/// sender and the percentage done (a whole number) after each point of both
/// phases. -1 unless 10 <= NPts <= 10000, -2 if Smooth <= 0 (-2 wins), -3 if
/// Data is empty; then nothing is changed. A NaN in Data makes the density
/// NaN (NaNs are sorted to the end).
std::int32_t EstimateProbDensity(std::span<double> Data, std::vector<double>& Density, double Lo, double Hi,
                                 double Smooth, double Width, std::int32_t NPts, std::int32_t& IxMin,
                                 std::int32_t& IxMax, const TOnPercentDoneEvent& FeedBack);

/// EstimateProbDensity (vector form): the same for TVector Data and Density:
/// Data is sorted (written back through CopyFrom, with its change events),
/// Density resized to NPts + 1 and filled, IxMin and IxMax 1-based. -1 and
/// -2 as above; then neither vector is touched.
template <detail::TWritableStatisVector V>
std::int32_t EstimateProbDensity(V& Data, V& Density, double Lo, double Hi, double Smooth, double Width,
                                 std::int32_t NPts, std::int32_t& IxMin, std::int32_t& IxMax,
                                 const TOnPercentDoneEvent& FeedBack) {
  std::vector<double> values(Data.Data().begin(), Data.Data().end()), dens;
  std::int32_t lo = 0, hi = 0;
  const std::int32_t status = EstimateProbDensity(values, dens, Lo, Hi, Smooth, Width, NPts, lo, hi, FeedBack);
  if (status != 0) return status;
  Data.CopyFrom(std::span<const double>(values), 0, 0, 1);
  Density.Resize(NPts + 1);
  Density.CopyFrom(std::span<const double>(dens), 0, 0, 1);
  IxMin = lo + 1;
  IxMax = hi + 1;
  return 0;
}

}  // namespace kvl

KVL_API_END
