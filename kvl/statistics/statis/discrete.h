#pragma once
// Discrete distributions: the binomial distribution and the distribution of
// the Mann-Whitney U statistic.
//
//   double p = BinomDistriIntegral(20, 0.3, 4);   // P(X <= 4), X ~ B(20, 0.3)
//   double a;
//   int k = BinomDistriQuantile(20, 0.3, 0.95, a); // 9, a = P(X <= 9)
//   double u = UDistriIntegral(8, 10, 17);        // P(U <= 17) for sizes 8, 10
//
// Binomial. X counts the successes in n independent trials of probability p.
// The density uses Loader's saddle-point form, the distribution function the
// identity P(X <= k) = I_(1-p)(n - k, k + 1) with the incomplete beta kernel
// of the continuous distributions (see continuous.h): relative error below
// 1e-13 for all n up to 2^31 - 1 (work grows as sqrt(n)).
//
// Mann-Whitney U. For samples of sizes n1 and n2 drawn from one continuous
// distribution (no ties), U counts the pairs (x, y), x from the first and y
// from the second sample, with y < x; it takes the values 0 .. n1 n2 and is
// symmetric about n1 n2 / 2. For n1 n2 <= UExactMaxProduct the distribution
// is exact: the recurrence p(u; a, b) = a/(a+b) p(u; a-1, b) + b/(a+b)
// p(u - a; a, b-1) in probabilities (only additions of positive terms,
// relative error about 1e-14; the work is at most about (n1 + n2) min(n1,
// n2) n1 n2 / 2 steps). Beyond, the normal approximation with continuity
// correction and the Edgeworth term of the fourth cumulant (Fix and Hodges
// 1955), kappa4 = -n1 n2 (n1 + n2 + 1)(n1^2 + n2^2 + n1 n2 + n1 + n2) / 120;
// its absolute error is below 1e-6 for n1 n2 > 2500 and falls as
// 1 / (n1 n2) after that.
//
// Domain. n >= 0 and 0 <= p <= 1 (binomial), n1, n2 >= 1 (U), probabilities
// in 0..1; otherwise densities and distribution functions are NaN and the
// quantiles -1 (with ActualProb 0). No function raises.

#include <cstdint>

namespace kvl {

/// BinomDistriDensity: P(X = k) for X ~ B(n, p); 0 for k outside 0..n.
double BinomDistriDensity(std::int32_t n, double p, std::int32_t k);

/// BinomDistriIntegral: P(X <= k) for X ~ B(n, p); 0 for k < 0, 1 for k >= n.
double BinomDistriIntegral(std::int32_t n, double p, std::int32_t k);

/// BinomDistriQuantile: the smallest k with P(X <= k) >= Prob for
/// X ~ B(n, p); ActualProb receives P(X <= k). -1 for invalid arguments.
std::int32_t BinomDistriQuantile(std::int32_t n, double p, double Prob, double& ActualProb);

/// UExactMaxProduct: the largest n1 n2 for which the U distribution is exact.
inline constexpr std::int64_t UExactMaxProduct = 2500;

/// UDistriDensity: P(U = u) for the Mann-Whitney U of sample sizes n1, n2.
double UDistriDensity(std::int32_t n1, std::int32_t n2, std::int32_t u);

/// UDistriIntegral: P(U <= u) for the Mann-Whitney U of sample sizes n1, n2;
/// 0 for u < 0, 1 for u >= n1 n2.
double UDistriIntegral(std::int32_t n1, std::int32_t n2, std::int32_t u);

/// UDistriQuantile: the smallest u with P(U <= u) >= p for sample sizes n1,
/// n2; -1 for invalid arguments.
std::int32_t UDistriQuantile(std::int32_t n1, std::int32_t n2, double p);

}  // namespace kvl
