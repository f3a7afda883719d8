#include "kvl/statistics/statis/discrete.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "kvl/statistics/statis/internal/numeric_kernels.h"

namespace kvl {

namespace statis_internal {

std::vector<long double> UExactPmf(std::int32_t a, std::int32_t b, std::int64_t K) {
  if (a > b) std::swap(a, b);
  // The generating function of U is the Gaussian binomial coefficient
  // prod over i = 1..a of (1 - q^(b+i)) / (1 - q^i). Each factor is applied
  // to the probabilities of the sizes (i - 1, b): a subtraction at stride
  // b + i, a running sum at stride i, and the factor i / (b + i) that keeps
  // the total at 1. Below degree b + 1 nothing is subtracted, so the lower
  // tail is formed from sums of positive terms only.
  std::vector<long double> c(static_cast<std::size_t>(K + 1), 0.0L);
  c[0] = 1.0L;
  for (std::int64_t i = 1; i <= a; ++i) {
    const std::int64_t stride = b + i;
    for (std::int64_t k = K; k >= stride; --k) c[k] -= c[k - stride];
    const long double scale = static_cast<long double>(i) / stride;
    for (std::int64_t k = 0; k < std::min(i, K + 1); ++k) c[k] *= scale;
    for (std::int64_t k = i; k <= K; ++k) c[k] = c[k] * scale + c[k - i];
  }
  return c;
}

}  // namespace statis_internal

namespace {

using statis_internal::TTails;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool ValidProbability(double p) { return p >= 0.0 && p <= 1.0; }

// --- binomial ------------------------------------------------------------------

// P(X <= k) and P(X > k) for X ~ B(n, p).
TTails BinomTails(std::int32_t n, double p, std::int32_t k) {
  if (k < 0) return {0.0L, 1.0L};
  if (k >= n) return {1.0L, 0.0L};
  return statis_internal::BetaTails(1.0L - p, p, static_cast<long double>(n) - k, k + 1.0L);
}

// --- Mann-Whitney U ------------------------------------------------------------

// Exact when the table stays small (n1 n2 / 2 + 1 values) and the work
// (about min(n1, n2) n1 n2 steps) stays below some 25 ms.
bool UIsExact(std::int32_t n1, std::int32_t n2) {
  const std::int64_t a = std::min(n1, n2), N = std::int64_t{n1} * n2;
  return N <= UExactMaxProduct && a * N <= UExactMaxWork;
}

// Second-order Edgeworth expansion with continuity correction. The
// cumulants of U are kappa_r = B_r / r sum over i = 1..m of ((n+i)^r - i^r)
// (B_r the Bernoulli numbers); expanded in powers of n, every term of the
// sum is positive.
TTails UApproxTails(std::int32_t n1, std::int32_t n2, std::int64_t u) {
  const long double m = std::min(n1, n2), n = std::max(n1, n2), N = m * n;
  const long double s1 = m * (m + 1.0L) / 2.0L, s2 = s1 * (2.0L * m + 1.0L) / 3.0L, s3 = s1 * s1,
                    s4 = s2 * (3.0L * m * m + 3.0L * m - 1.0L) / 5.0L,
                    s5 = s3 * (2.0L * m * m + 2.0L * m - 1.0L) / 3.0L;
  const long double n2p = n * n, n3p = n2p * n;
  const long double k2 = N * (m + n + 1.0L) / 12.0L;
  const long double k4 = -N * (m + n + 1.0L) * (m * m + n * n + m * n + m + n) / 120.0L;
  const long double k6 = (m * n3p * n3p + 6.0L * n2p * n3p * s1 + 15.0L * n2p * n2p * s2 + 20.0L * n3p * s3 +
                          15.0L * n2p * s4 + 6.0L * n * s5) / 252.0L;
  const long double g2 = k4 / (k2 * k2), g4 = k6 / (k2 * k2 * k2);
  const long double z = (u + 0.5L - N / 2.0L) / std::sqrt(k2), z2 = z * z;
  const long double he3 = z * (z2 - 3.0L), he5 = z * ((z2 - 10.0L) * z2 + 15.0L),
                    he7 = z * (((z2 - 21.0L) * z2 + 105.0L) * z2 - 105.0L);
  const long double phi = std::exp(-z2 / 2.0L) / std::sqrt(2.0L * std::numbers::pi_v<long double>);
  const long double corr = phi * (g2 / 24.0L * he3 + g4 / 720.0L * he5 + g2 * g2 / 1152.0L * he7);
  const TTails t = statis_internal::NormalTails(z);
  return {std::clamp(t.Lower - corr, 0.0L, 1.0L), std::clamp(t.Upper + corr, 0.0L, 1.0L)};
}

// P(U <= u) by the exact distribution, summing the shorter side.
double UExactIntegral(std::int32_t n1, std::int32_t n2, std::int64_t u) {
  const std::int64_t N = std::int64_t{n1} * n2;
  const bool lowerHalf = 2 * u <= N;
  const std::int64_t K = lowerHalf ? u : N - u - 1;
  const std::vector<long double> pmf = statis_internal::UExactPmf(n1, n2, K);
  long double sum = 0.0L;
  for (long double v : pmf) sum += v;
  return static_cast<double>(lowerHalf ? sum : 1.0L - sum);
}

}  // namespace

double BinomDistriDensity(std::int32_t n, double p, std::int32_t k) {
  if (n < 0 || !ValidProbability(p)) return kNaN;
  if (k < 0 || k > n) return 0.0;
  return static_cast<double>(
      statis_internal::BinomRaw(k, static_cast<long double>(n) - k, p, 1.0L - p));
}

double BinomDistriIntegral(std::int32_t n, double p, std::int32_t k) {
  if (n < 0 || !ValidProbability(p)) return kNaN;
  return static_cast<double>(BinomTails(n, p, k).Lower);
}

std::int32_t BinomDistriQuantile(std::int32_t n, double p, double Prob, double& ActualProb) {
  ActualProb = 0.0;
  if (n < 0 || !ValidProbability(p) || !ValidProbability(Prob)) return -1;
  // Smallest k in 0..n with P(X <= k) >= Prob; P(X <= n) = 1.
  std::int32_t lo = 0, hi = n;
  long double atHi = 1.0L;
  const long double atZero = BinomTails(n, p, 0).Lower;
  if (atZero >= Prob) {
    hi = 0;
    atHi = atZero;
  }
  while (hi - lo > 1) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const long double c = BinomTails(n, p, mid).Lower;
    if (c >= Prob) {
      hi = mid;
      atHi = c;
    } else {
      lo = mid;
    }
  }
  ActualProb = static_cast<double>(atHi);
  return hi;
}

double UDistriDensity(std::int32_t n1, std::int32_t n2, std::int32_t u) {
  if (n1 < 1 || n2 < 1) return kNaN;
  const std::int64_t N = std::int64_t{n1} * n2;
  if (u < 0 || u > N) return 0.0;
  if (UIsExact(n1, n2))
    return static_cast<double>(statis_internal::UExactPmf(n1, n2, std::min<std::int64_t>(u, N - u)).back());
  // Difference of the approximate distribution on the side where it is small.
  const std::int64_t v = std::min<std::int64_t>(u, N - u);
  return static_cast<double>(UApproxTails(n1, n2, v).Lower - UApproxTails(n1, n2, v - 1).Lower);
}

double UDistriIntegral(std::int32_t n1, std::int32_t n2, std::int32_t u) {
  if (n1 < 1 || n2 < 1) return kNaN;
  const std::int64_t N = std::int64_t{n1} * n2;
  if (u < 0) return 0.0;
  if (u >= N) return 1.0;
  if (UIsExact(n1, n2)) return UExactIntegral(n1, n2, u);
  return static_cast<double>(UApproxTails(n1, n2, u).Lower);
}

std::int32_t UDistriQuantile(std::int32_t n1, std::int32_t n2, double p) {
  if (n1 < 1 || n2 < 1 || !ValidProbability(p)) return -1;
  const std::int64_t N = std::int64_t{n1} * n2;
  std::int64_t result = N;
  if (UIsExact(n1, n2)) {
    // One pass over the lower half; the upper half by symmetry.
    const std::int64_t K = N / 2;
    std::vector<long double> cum = statis_internal::UExactPmf(n1, n2, K);
    for (std::size_t k = 1; k < cum.size(); ++k) cum[k] += cum[k - 1];
    for (std::int64_t u = 0; u < N; ++u) {
      const long double c = u <= K ? cum[static_cast<std::size_t>(u)]
                                   : 1.0L - cum[static_cast<std::size_t>(N - u - 1)];
      if (c >= p) {
        result = u;
        break;
      }
    }
  } else {
    std::int64_t lo = -1, hi = N;  // P(U <= hi) >= p, P(U <= lo) < p
    while (hi - lo > 1) {
      const std::int64_t mid = lo + (hi - lo) / 2;
      if (UApproxTails(n1, n2, mid).Lower >= p) hi = mid; else lo = mid;
    }
    result = hi;
  }
  return result > std::numeric_limits<std::int32_t>::max() ? -1 : static_cast<std::int32_t>(result);
}

}  // namespace kvl
