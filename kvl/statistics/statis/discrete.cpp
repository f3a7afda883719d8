#include "kvl/statistics/statis/discrete.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "kvl/statistics/statis/specfun.h"

namespace kvl {

namespace statis_detail {

std::vector<double> UExactPmf(std::int32_t a, std::int32_t b, std::int64_t K) {
  if (a > b) std::swap(a, b);
  // Row j holds P(U = k) for the sizes (j, N - j) while N grows to a + b:
  // the largest of N values belongs to the first sample with probability
  // j/N (U unchanged) or to the second (U grows by j).
  const std::int64_t width = K + 1;
  std::vector<double> g(static_cast<std::size_t>((a + 1) * width), 0.0);
  g[0] = 1.0;
  for (std::int64_t N = 1; N <= a + b; ++N) {
    const std::int64_t jmax = std::min<std::int64_t>(N, a), jmin = std::max<std::int64_t>(0, N - b);
    for (std::int64_t j = jmax; j >= jmin; --j) {
      double* row = &g[static_cast<std::size_t>(j * width)];
      const double* prev = j > 0 ? &g[static_cast<std::size_t>((j - 1) * width)] : nullptr;
      const double wa = static_cast<double>(j) / N, wb = static_cast<double>(N - j) / N;
      const std::int64_t deg = std::min(K, j * (N - j));
      for (std::int64_t k = deg; k >= 0; --k) {
        double v = prev ? wa * prev[k] : 0.0;
        if (N > j && k >= j) v += wb * row[k - j];
        row[k] = v;
      }
    }
  }
  return std::vector<double>(g.end() - width, g.end());
}

}  // namespace statis_detail

namespace {

using statis_detail::TTails;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool ValidProbability(double p) { return p >= 0.0 && p <= 1.0; }

// --- binomial ------------------------------------------------------------------

// P(X <= k) and P(X > k) for 0 <= k < n and 0 < p < 1.
TTails BinomTails(std::int32_t n, double p, std::int32_t k) {
  if (k < 0) return {0.0L, 1.0L};
  if (k >= n) return {1.0L, 0.0L};
  return statis_detail::BetaTails(1.0L - p, p, static_cast<long double>(n) - k, k + 1.0L);
}

// --- Mann-Whitney U ------------------------------------------------------------

bool UIsExact(std::int64_t N) { return N <= UExactMaxProduct; }

// Normal approximation with continuity correction and Edgeworth term.
TTails UApproxTails(std::int32_t n1, std::int32_t n2, std::int64_t u) {
  const long double m = n1, n = n2, N = m * n;
  const long double var = N * (m + n + 1.0L) / 12.0L;
  const long double k4 = -N * (m + n + 1.0L) * (m * m + n * n + m * n + m + n) / 120.0L;
  const long double g2 = k4 / (var * var);
  const long double z = (u + 0.5L - N / 2.0L) / std::sqrt(var);
  const long double corr = std::exp(-z * z / 2.0L) / std::sqrt(2.0L * std::numbers::pi_v<long double>) *
                           g2 / 24.0L * z * (z * z - 3.0L);
  const TTails t = statis_detail::NormalTails(z);
  return {std::clamp(t.Lower - corr, 0.0L, 1.0L), std::clamp(t.Upper + corr, 0.0L, 1.0L)};
}

// P(U <= u) by the exact distribution, summing the shorter side.
double UExactIntegral(std::int32_t n1, std::int32_t n2, std::int64_t u) {
  const std::int64_t N = std::int64_t{n1} * n2;
  const bool lowerHalf = 2 * u <= N;
  const std::int64_t K = lowerHalf ? u : N - u - 1;
  const std::vector<double> pmf = statis_detail::UExactPmf(n1, n2, K);
  long double sum = 0.0L;
  for (double v : pmf) sum += v;
  return static_cast<double>(lowerHalf ? sum : 1.0L - sum);
}

}  // namespace

double BinomDistriDensity(std::int32_t n, double p, std::int32_t k) {
  if (n < 0 || !ValidProbability(p)) return kNaN;
  if (k < 0 || k > n) return 0.0;
  return static_cast<double>(
      statis_detail::BinomRaw(k, static_cast<long double>(n) - k, p, 1.0L - p));
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
  if (UIsExact(N)) return statis_detail::UExactPmf(n1, n2, std::min<std::int64_t>(u, N - u)).back();
  // Difference of the approximate distribution on the side where it is small.
  const std::int64_t v = std::min<std::int64_t>(u, N - u);
  return static_cast<double>(UApproxTails(n1, n2, v).Lower - UApproxTails(n1, n2, v - 1).Lower);
}

double UDistriIntegral(std::int32_t n1, std::int32_t n2, std::int32_t u) {
  if (n1 < 1 || n2 < 1) return kNaN;
  const std::int64_t N = std::int64_t{n1} * n2;
  if (u < 0) return 0.0;
  if (u >= N) return 1.0;
  if (UIsExact(N)) return UExactIntegral(n1, n2, u);
  return static_cast<double>(UApproxTails(n1, n2, u).Lower);
}

std::int32_t UDistriQuantile(std::int32_t n1, std::int32_t n2, double p) {
  if (n1 < 1 || n2 < 1 || !ValidProbability(p)) return -1;
  const std::int64_t N = std::int64_t{n1} * n2;
  std::int64_t result = N;
  if (UIsExact(N)) {
    // One pass over the lower half; the upper half by symmetry.
    const std::int64_t K = N / 2;
    const std::vector<double> pmf = statis_detail::UExactPmf(n1, n2, K);
    std::vector<long double> cum(pmf.size());
    long double sum = 0.0L;
    for (std::size_t k = 0; k < pmf.size(); ++k) cum[k] = sum += pmf[k];
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
