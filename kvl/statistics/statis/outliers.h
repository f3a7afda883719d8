#pragma once
// Outlier tests for normal samples: Dean and Dixon's ratio test and Grubbs'
// test, with their critical values.
//
//   std::vector<double> x{1, 2, 3, 4, 100};
//   double q;
//   std::int32_t ix = DeanDixonTest(x, TSignifLevelEx::Dot050, q);  // 4, q = 96/99
//   double g;  std::int32_t at;
//   GrubbsTest(x, 0.05, g, at);                                    // at = 4
//
// Each test has an array form (0-based positions) and a vector form for a
// TVector (1-based positions); see each declaration for how they differ.
//
// Dixon's ratios (s1 <= ... <= sn the sorted data; the high ratio, the low
// one is its mirror image): r10 = (sn - sn-1)/(sn - s1) for n = 3 .. 7,
// r11 = (sn - sn-1)/(sn - s2) for 8 .. 10, r21 = (sn - sn-2)/(sn - s2) for
// 11 .. 13 and r22 = (sn - sn-2)/(sn - s3) for 14 .. 100. The critical value
// at level alpha is the c with P(r > c) = alpha for one of the two ratios
// under normality (Dixon's one-sided tables); as the test takes the larger
// of both, it flags a normal sample with probability of about 2 alpha.

#include <cstdint>
#include <span>

#include "kvl/runtime/export.h"
#include "kvl/statistics/statis/signiflevel.h"
#include "kvl/statistics/statis/vectorforms.h"

KVL_API_BEGIN

namespace kvl {

/// DeanDixonCriticalValues: the critical value of Dixon's ratio for n
/// observations at level SigLevel, for 3 <= n <= 100; -1 otherwise (and for
/// a level outside the enumeration).
double DeanDixonCriticalValues(std::int32_t n, TSignifLevelEx SigLevel);

/// DeanDixonTest: Dean and Dixon's test for one outlier at either end of
/// Data (3 to 100 values, else EKVLStatisError "DeanDixonTest: number of
/// data points is too low" / "... too high"). Q is the larger of the low
/// and the high ratio (the low one when they are equal; a ratio whose
/// denominator is 0 counts 0). Returns the 0-based position of the first
/// element equal to the extreme value that Q belongs to when Q exceeds the
/// critical value, else -1; -1 with Q = 0 also when Data holds a NaN.
std::int32_t DeanDixonTest(std::span<const double> Data, TSignifLevelEx SigLevel, double& Q);

/// DeanDixonTest (vector form): the same for the elements of a TVector;
/// the position returned is 1-based (or -1).
template <detail::TReadableStatisVector V>
std::int32_t DeanDixonTest(const V& Data, TSignifLevelEx SigLevel, double& Q) {
  const std::int32_t ix = DeanDixonTest(std::span<const double>(Data.Data()), SigLevel, Q);
  return ix < 0 ? ix : ix + 1;
}

/// GrubbsCriticalValues: the critical value of Grubbs' statistic for n
/// observations at level Alpha (split over both ends when TwoSided):
/// (n - 1)/sqrt(n) sqrt(t^2/(n - 2 + t^2)) with t the (1 - a/n) quantile of
/// Student's t with n - 2 degrees of freedom, a = Alpha/2 or Alpha. -1
/// unless 0 < Alpha < 1 and n > 2.
double GrubbsCriticalValues(std::int32_t n, double Alpha, bool TwoSided);

/// GrubbsTest: Grubbs' two-sided test for one outlier. G is the largest
/// |x - mean| / s (s the sample standard deviation) and Index the 0-based
/// position of that value when G >= the two-sided critical value (a later
/// equal maximum replacing an earlier one), else -1. G = 0, Index = -1 and
/// -1 unless 0 < Alpha < 1, -2 for fewer than 4 values (-2 wins); else 0.
/// A sample without spread (s = 0) or with a NaN gives G = 0, Index = -1.
std::int32_t GrubbsTest(std::span<const double> Data, double Alpha, double& G, std::int32_t& Index);

namespace detail {
/// GrubbsTestFirstMax: the vector form's rule: the first of equal maxima,
/// 1-based Index, outlier only when G > the critical value.
std::int32_t GrubbsTestFirstMax(std::span<const double> Data, double Alpha, double& G, std::int32_t& Index);
}  // namespace detail

/// GrubbsTest (vector form): as the array form on the elements of a
/// TVector, but it keeps the first of equal maxima, Index is 1-based, and
/// the value counts as an outlier only when G exceeds the critical value.
template <detail::TReadableStatisVector V>
std::int32_t GrubbsTest(const V& Data, double Alpha, double& G, std::int32_t& Index) {
  return detail::GrubbsTestFirstMax(std::span<const double>(Data.Data()), Alpha, G, Index);
}

}  // namespace kvl

KVL_API_END
