#pragma once
// The standard normal distribution and the error function.
//
//   double p = nDistriIntegral(1.96);       // about 0.975
//   double z = nDistriQuantile(0.975);      // about 1.959964
//
// nDistriIntegral and Erf go through IncompleteGamma and share its relative
// tolerance of 1e-8; nothing here raises.

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// nDistriDensity: the standard normal density exp(-x^2/2) / sqrt(2 pi).
double nDistriDensity(double x);

/// nDistriIntegral: the standard normal distribution function Phi(x), from
/// IncompleteGamma(x^2/2, 0.5); accurate to about 1e-8 relative, and below
/// x = -5.6 only to about 1e-16 absolute (Phi(-8.3) and less give 0).
double nDistriIntegral(double x);

/// nDistriQuantile: Phi^-1(p) by bisection around a rational starting value
/// until |nDistriIntegral(x) - p| < 1e-8 p; 0 for p <= 0, p >= 1 and NaN.
/// Accuracy: Phi(x) within 1e-8 p of p, so x is within about 1e-8 p /
/// phi(x) of the root. Near 1 that test is loose: above p = 1 - 1e-7 the
/// result stays within the starting value's 4.5e-4 of the root. Below
/// about p = 3e-9, where nDistriIntegral cannot resolve 1e-8 p, the
/// bisection ends once its interval no longer shrinks (at most 200 steps)
/// and the result comes from the exact normal tail instead (relative error
/// about 1e-15, down to p = 4.9e-324, x = -38.47).
double nDistriQuantile(double p);

/// Erf: the error function, IncompleteGamma(x^2, 0.5) with the sign of x.
double Erf(double x);

/// ErfApprox: the error function by a fixed Chebyshev-type approximation
/// (absolute error about 1.2e-7; ErfApprox(0) is about -3e-8, not 0).
double ErfApprox(double x);

/// ConfidenceInterval: the half-width nDistriQuantile(1 - Alpha/2) StdDev /
/// sqrt(N) of the two-sided normal confidence interval of a mean; no
/// argument check (N <= 0 gives infinity or NaN).
double ConfidenceInterval(double Alpha, double StdDev, std::int32_t N);

}  // namespace kvl

KVL_API_END
