#pragma once
// The chi-square, Student t and F distributions: densities, distribution
// functions (lower tails P(X <= x)) and quantiles.
//
//   double p = 1.0 - chi2DistriIntegral(chi2, df);   // p-value of a chi^2 test
//   double t = tDistriQuantile(0.975, 10);            // 2.228138851986...
//
// Method. The distribution functions are regularised incomplete gamma
// (chi-square) and beta (t, F) functions, evaluated in 80-bit arithmetic by
// series and continued fractions (modified Lentz), always on the side where
// they converge, with the front factor x^a e^-x / Gamma(a + 1) resp.
// x^a (1-x)^b / B(a, b) in Loader's saddle-point form; the densities use the
// same form. Both tails are formed directly, so a small lower or upper
// probability keeps its relative accuracy instead of being 1 minus a number
// near 1. The quantiles invert the tail on the side of p (p or 1 - p) by
// Newton steps on ln x, guarded by bisection, to full double precision.
//
// Accuracy. Relative error below 1e-13 for all degrees of freedom up to
// 2^31 - 1 and every argument whose result is a normal double (measured
// against 40-digit values: below 2e-15); results below the smallest double
// underflow to 0. Where a large shape meets a small one close to the end of
// the support (t with many degrees of freedom, say) the continued fraction
// would cancel; there the integral is expanded in incomplete gamma
// functions instead. The work grows as the square root of the degrees of
// freedom (well under 1 ms at 2^31).
//
// Domain. The degrees of freedom must be at least 1 and a probability must
// lie in 0..1; otherwise, and for NaN arguments, the result is NaN. No
// function raises. Quantiles of p = 0 and p = 1 are the ends of the support
// (0 or -infinity, and +infinity).

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// Chi2DistriDensity: the chi-square density with df degrees of freedom at
/// x; 0 for x < 0; at x = 0: +infinity (df = 1), 0.5 (df = 2), 0 (df > 2).
double Chi2DistriDensity(double x, std::int32_t df);

/// chi2DistriIntegral: P(X <= x) for chi-square with df degrees of freedom;
/// 0 for x <= 0. A chi^2 test's p-value is 1 - chi2DistriIntegral.
double chi2DistriIntegral(double x, std::int32_t df);

/// chi2DistriQuantile: the x with chi2DistriIntegral(x, df) = p.
double chi2DistriQuantile(double p, std::int32_t df);

/// tDistriDensity: the density of Student's t with df degrees of freedom.
double tDistriDensity(double x, std::int32_t df);

/// tDistriIntegral: P(T <= x) for Student's t with df degrees of freedom.
double tDistriIntegral(double x, std::int32_t df);

/// tDistriQuantile: the t with tDistriIntegral(t, df) = p (negative for
/// p < 0.5; 0 for p = 0.5).
double tDistriQuantile(double p, std::int32_t df);

/// FDistriDensity: the density of the F distribution with (df1, df2)
/// degrees of freedom; 0 for x < 0; at x = 0: +infinity (df1 = 1), 1
/// (df1 = 2), 0 (df1 > 2).
double FDistriDensity(double x, std::int32_t df1, std::int32_t df2);

/// FDistriIntegral: P(F <= x) for the F distribution with (df1, df2)
/// degrees of freedom; 0 for x <= 0.
double FDistriIntegral(double x, std::int32_t df1, std::int32_t df2);

/// FDistriQuantile: the x with FDistriIntegral(x, df1, df2) = p.
double FDistriQuantile(double p, std::int32_t df1, std::int32_t df2);

}  // namespace kvl

KVL_API_END
