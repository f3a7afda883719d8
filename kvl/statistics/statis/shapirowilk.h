#pragma once
// The null distribution of the Shapiro-Wilk W statistic of a normal sample.
//
//   double p = ShapiroWilkIntegral(0.842, 10, 10);   // about 0.047
//
// Method: Royston's normalising transformations (P. Royston, "Approximating
// the Shapiro-Wilk W-test for non-normality", Statistics and Computing 2,
// 1992, 117-119; algorithm AS R94, Applied Statistics 44, 1995, 547-551):
// ln(1 - W) for n >= 12, and -ln(gamma - ln(1 - W)) with gamma = 0.459 n -
// 2.273 for 4 <= n <= 11, are close to normal with mean and standard
// deviation given as polynomials in n or ln n. For a sample censored on the
// right (only the n1 smallest of n values observed; Royston 1995) mean and
// deviation are adjusted by the fraction censored. For n = 3 the
// distribution is exact: P(W <= w) = 6/pi (asin(sqrt w) - pi/3), w >= 3/4.
//
// Accuracy: that of the approximation, fitted for 4 to 5000 values (larger
// n extrapolate). A simulation of 400,000 normal samples per size
// (tools/shapiro_wilk_simulation.py) gives P(W <= w) = 0.0368, 0.0464, 0.0513
// and 0.0256 (standard error 0.0003) at n = 5, 10, 20, 50 for w = 0.762,
// 0.842, 0.905, 0.947; this routine gives 0.038, 0.047, 0.051 and 0.026. So
// the 1965 table's entries at n = 5 and 50 are not 5 % points of W.

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// ShapiroWilkIntegral: P(W <= w) for the W statistic of n values of which
/// the n1 smallest are observed (n1 = n: a complete sample); this is the
/// test's p-value. 0 for w <= 0 (and where the approximation's support
/// ends below w), 1 for w >= 1. NaN for n < 3, n1 < 3, n1 > n, a censored
/// sample of fewer than 20 values or more than 80 % censored, and NaN w.
double ShapiroWilkIntegral(double w, std::int32_t n, std::int32_t n1);

}  // namespace kvl

KVL_API_END
