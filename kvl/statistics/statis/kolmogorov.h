#pragma once
// The distribution of the Kolmogorov-Smirnov statistic D of n observations:
// exact p-values (Marsaglia, Tsang and Wang 2003), quantiles, the classic
// table of critical values, and Lilliefors' version for a normal
// distribution whose mean and variance are estimated from the data.
//
//   double p = KSPValue(50, 0.12);                     // P(D >= 0.12)
//   double c = KolmogSmir1SampleTestStat(10, TSignifLevel::Dot05);  // 0.410

#include <cstdint>

#include "kvl/statistics/statis/signiflevel.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// KSPValue: the probability that the Kolmogorov statistic of n observations
/// is d or more. For n d^2 > 7.24 (or > 3.76 when n > 99) the asymptotic
/// form 2 exp(-(2.000071 + 0.331/sqrt n + 1.409/n) n d^2); otherwise the
/// exact matrix method of Marsaglia, Tsang and Wang (13 or more digits) for
/// n up to KSExactMaxN, and beyond that the asymptotic series of Pelz and
/// Good (1976) to the term in 1/n (absolute error below 3.5e-7, falling as
/// n^-1.5). 1 for d <= 0, NaN for NaN d, -1 for n < 1.
double KSPValue(std::int32_t n, double d);

/// KSExactMaxN: the largest n for which KSPValue uses the exact method in
/// the centre of the distribution (its cost grows as n^1.5 log n: about
/// 30 ms at n = 4000, where the asymptotic series is accurate to 3.5e-7).
inline constexpr std::int32_t KSExactMaxN = 4000;

/// KSQuantile: the d at which KSPValue(n, d) equals the level, found from the
/// tabulated critical value by the steps d := (1 + diff) d until |diff| <=
/// 1e-4 (at most 1000 steps); -1 for a bad level or n < 1.
double KSQuantile(std::int32_t n, TSignifLevel SigLevel);

/// KolmogSmir1SampleTestStat: the tabulated critical value of D for
/// 1 <= n <= 20, c / sqrt(n) above (c = 1.073, 1.138, 1.224, 1.358, 1.628 for
/// Dot20 .. Dot01); -1 for a level outside the enumeration and for n < 1.
double KolmogSmir1SampleTestStat(std::int32_t n, TSignifLevel SigLevel);

/// LillieforsPValue: the p-value of D when mean and variance were estimated
/// (the analytic approximation of Dallal and Wilkinson, for n > 100 with D
/// scaled by (n/100)^0.49 and n = 100); -1 for n <= 5.
double LillieforsPValue(std::int32_t n, double D);

/// LillieforsQuantile: the critical value of D at level Alpha for n
/// observations with estimated mean and variance, 1 / sqrt(n P1(1 - Alpha) +
/// P2(1 - Alpha)) with two polynomials of degree 6 fitted by Molin and Abdi;
/// no argument check (NaN where the radicand is negative).
double LillieforsQuantile(std::int32_t n, double Alpha);

}  // namespace kvl

KVL_API_END
