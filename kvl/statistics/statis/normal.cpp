#include "kvl/statistics/statis/normal.h"

#include <cmath>
#include <numbers>

#include "kvl/statistics/statis/gammabeta.h"
#include "kvl/statistics/statis/internal/numeric_kernels.h"

namespace kvl {

namespace {

constexpr double kQuantileTolerance = 1e-8;  // relative tolerance on p
constexpr int kMaxBisections = 200;          // far more than a double interval allows

// Phi^-1(p) for p < 1/2 from the exact normal tail.
double ExactLowerNormalQuantile(double p, double Guess) {
  using namespace statis_internal;
  const long double y = InvertTail(
      p, false, -Guess, [](long double x) { return NormalTails(x); },
      [](long double x) { return std::exp(-x * x / 2.0L) / std::sqrt(2.0L * std::numbers::pi_v<long double>); });
  return -static_cast<double>(y);
}

}  // namespace

double nDistriDensity(double x) { return std::exp(-x * x / 2.0) * 0.3989422804014327; }

double nDistriIntegral(double x) {
  const double g = IncompleteGamma(x * x / 2.0, 0.5);
  return x > 0.0 ? 0.5 * (1.0 + g) : 0.5 * (1.0 - g);
}

double nDistriQuantile(double p) {
  if (!(p > 0.0 && p < 1.0)) return 0.0;
  double q = p, sign = 1.0;
  if (p < 0.5) {
    q = 1.0 - p;
    sign = -1.0;
  }
  const double t = std::sqrt(-2.0 * std::log(1.0 - q));
  const double x0 = sign * (t - (2.515517 + 0.802853 * t + 0.010328 * t * t) /
                                    (1.0 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t));
  const double a = std::fmax(std::fabs(x0), 0.1);
  double lo = x0 - 0.1 * a, hi = x0 + 0.1 * a, mid = x0;
  for (int i = 0; i < kMaxBisections; ++i) {
    mid = (lo + hi) / 2.0;
    if (mid == lo || mid == hi) break;  // the interval cannot shrink any more
    const double P = nDistriIntegral(mid);
    if (P <= p) lo = mid; else hi = mid;
    if (std::fabs(P - p) / p < kQuantileTolerance) return mid;
  }
  // Only a p too small for nDistriIntegral to resolve gets here.
  return p < 0.5 ? ExactLowerNormalQuantile(p, x0) : mid;
}

double Erf(double x) {
  const double g = IncompleteGamma(x * x, 0.5);
  return x >= 0.0 ? g : -g;
}

double ErfApprox(double x) {
  const double z = std::fabs(x);
  const double t = 1.0 / (1.0 + 0.5 * z);
  double erfc =
      t * std::exp(-z * z - 1.26551223 +
                   t * (1.00002368 +
                        t * (0.37409196 +
                             t * (0.09678418 +
                                  t * (-0.18628806 +
                                       t * (0.27886807 +
                                            t * (-1.13520398 +
                                                 t * (1.48851587 + t * (-0.82215223 + 0.17087277 * t)))))))));
  if (x < 0.0) erfc = 2.0 - erfc;
  return 1.0 - erfc;
}

double ConfidenceInterval(double Alpha, double StdDev, std::int32_t N) {
  return nDistriQuantile(1.0 - Alpha / 2.0) * StdDev / std::sqrt(static_cast<double>(N));
}

}  // namespace kvl
