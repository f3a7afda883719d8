#pragma once
// Normality: the Kolmogorov-Smirnov statistic against the standard normal
// distribution, the Lilliefors statistic, the Shapiro-Wilk test (Royston)
// and D'Agostino's tests of skewness and kurtosis.
//
//   double W, pW;
//   ShapiroWilkTest(data, 0, W, pW);   // pW small: not normal
//
// PerformKSNormalityTest and PerformLillieforsTest sort the caller's data in
// place unless told they are sorted, and PerformLillieforsTest replaces them
// by their standardised values; the other functions leave the data alone.
// A NaN among the data gives a NaN statistic and leaves the data unchanged.
#include <cstdint>
#include <span>
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// PerformKSNormalityTest: D = max over the sorted values x_i of
/// max(|i/n - Phi(x_i)|, |(i - 1)/n - Phi(x_i)|), the Kolmogorov-Smirnov
/// distance of the data as they are from the standard normal distribution;
/// sorts Data ascending in place unless IsSorted. 0 for no data.
double PerformKSNormalityTest(std::span<double> Data, bool IsSorted);
/// PerformKSNormalityTest (vector form): the same on the vector's elements.
double PerformKSNormalityTest(TVector& Data, bool IsSorted);

/// PerformLillieforsTest: sorts Data in place unless IsSorted, replaces each
/// value by (x - mean)/s (s the sample standard deviation, 1 if it is 0)
/// and returns the Kolmogorov-Smirnov distance D of the result from the
/// standard normal distribution (compare with LillieforsQuantile). 0 for
/// no data.
double PerformLillieforsTest(std::span<double> Data, bool IsSorted);
/// PerformLillieforsTest (vector form): the same on the vector's elements.
double PerformLillieforsTest(TVector& Data, bool IsSorted);

/// ShapiroWilkTest: the Shapiro-Wilk W of the data and its p-value PW
/// (ShapiroWilkIntegral; small PW speaks against normality). Royston's
/// approximation of the coefficients (algorithm AS R94), W as the squared
/// correlation of the ordered data with them. N1: the number of smallest
/// values observed in a sample censored on the right (0 or n: complete).
/// W = PW = NaN for fewer than 3 values, N1 outside 3..n (other than 0),
/// all values equal, or a NaN value.
void ShapiroWilkTest(std::span<const double> Data, std::int32_t N1, double& W, double& PW);
/// ShapiroWilkTest (vector form): the same on the vector's elements.
void ShapiroWilkTest(const TVector& Data, std::int32_t N1, double& W, double& PW);

/// CalcAndTestSkewness: D'Agostino's test of zero skewness. Skew (0 first)
/// = g1 = m3 / m2^1.5 (central moments over n), SkewAdj = the sample-
/// adjusted G1 = g1 sqrt(n(n - 1))/(n - 2), Z = D'Agostino's normal score
/// of g1. Result: the p-value, two-sided, or with OneSided the upper tail
/// of |Z| (the direction the data lean); -1 for fewer than 8 values; NaN
/// when all values are equal or one is NaN. SciPy's skewtest gives the same.
double CalcAndTestSkewness(std::span<const double> Data, bool OneSided, double& Skew, double& SkewAdj,
                           double& Z);

/// CalcAndTestKurtosis: Anscombe and Glynn's test of normal kurtosis. Kurt
/// (0 first) = g2 = m4 / m2^2 - 3 (excess kurtosis, moments over n),
/// KurtAdj = the sample-adjusted G2 = ((n + 1) g2 + 6)(n - 1)/((n - 2)(n -
/// 3)), Z = the normal score of g2. Result: the p-value as for
/// CalcAndTestSkewness; -1 for fewer than 5 values; NaN as there. SciPy's
/// kurtosistest gives the same.
double CalcAndTestKurtosis(std::span<const double> Data, bool OneSided, double& Kurt, double& KurtAdj,
                           double& Z);
}  // namespace kvl
KVL_API_END
