#include "kvl/statistics/statis/continuous.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "kvl/statistics/statis/internal/numeric_kernels.h"

namespace kvl {

namespace {

using statis_internal::TTails;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The quantile of p of a distribution on (0, inf): the root of the lower
// tail for p <= 1/2, of the upper tail otherwise (1 - p is exact there).
template <class TailsFn, class DensityFn>
double PositiveQuantile(double p, long double Guess, TailsFn Tails, DensityFn Density) {
  if (!(p >= 0.0 && p <= 1.0)) return kNaN;
  if (p == 0.0) return 0.0;
  if (p == 1.0) return kInf;
  const bool lower = p <= 0.5;
  return static_cast<double>(
      statis_internal::InvertTail(lower ? p : 1.0 - p, lower, Guess, Tails, Density));
}

// --- chi-square ----------------------------------------------------------------

long double Chi2Density(long double x, long double a) {  // a = df / 2
  if (x < 0.0L) return 0.0L;
  if (x == 0.0L) return a < 1.0L ? kInf : (a == 1.0L ? 0.5L : 0.0L);
  if (std::isinf(x)) return 0.0L;
  if (a < 1.0L) return statis_internal::PoissonRaw(a, x / 2.0L) * a / x;
  return statis_internal::PoissonRaw(a - 1.0L, x / 2.0L) / 2.0L;
}

// --- Student t -------------------------------------------------------------------

long double TDensity(long double x, long double n) {
  using namespace statis_internal;
  if (std::isinf(x)) return 0.0L;
  const long double h = n / 2.0L;
  // Gamma((n+1)/2) / (sqrt(n pi) Gamma(n/2)) in saddle-point form.
  const long double c = std::exp(StirlingErr(h + 0.5L) - StirlingErr(h) - Bd0(h, h + 0.5L)) /
                        std::sqrt(2.0L * std::numbers::pi_v<long double>);
  return c * std::exp(-(n + 1.0L) / 2.0L * std::log1p(x * x / n));
}

// P(T <= x) and P(T > x) for x >= 0: P(T > x) = I_z(n/2, 1/2) / 2 with
// z = n / (n + x^2), 1 - z = x^2 / (n + x^2).
TTails TTailsAbove(long double x, long double n) {
  if (std::isinf(x)) return {1.0L, 0.0L};
  const long double x2 = x * x;
  const long double i = statis_internal::BetaTails(n / (n + x2), x2 / (n + x2), n / 2.0L, 0.5L).Lower;
  return {1.0L - i / 2.0L, i / 2.0L};
}

// --- F ------------------------------------------------------------------------------

long double FDensity(long double x, long double m, long double n) {
  if (x < 0.0L) return 0.0L;
  if (x == 0.0L) return m > 2.0L ? 0.0L : (m == 2.0L ? 1.0L : kInf);
  if (std::isinf(x)) return 0.0L;
  const long double f = 1.0L / (n + x * m);
  const long double q = n * f, p = x * m * f;
  if (m >= 2.0L) return m * q / 2.0L * statis_internal::BinomRaw((m - 2.0L) / 2.0L, n / 2.0L, p, q);
  return m * m * q / (2.0L * p * (m + n)) * statis_internal::BinomRaw(m / 2.0L, n / 2.0L, p, q);
}

TTails FTails(long double x, long double m, long double n) {
  if (!(x > 0.0L)) return {0.0L, 1.0L};
  if (std::isinf(x)) return {1.0L, 0.0L};
  const long double d = n + m * x;
  return statis_internal::BetaTails(m * x / d, n / d, m / 2.0L, n / 2.0L);
}

}  // namespace

double Chi2DistriDensity(double x, std::int32_t df) {
  if (df < 1 || std::isnan(x)) return kNaN;
  return static_cast<double>(Chi2Density(x, df / 2.0L));
}

double chi2DistriIntegral(double x, std::int32_t df) {
  if (df < 1 || std::isnan(x)) return kNaN;
  return static_cast<double>(statis_internal::GammaTails(df / 2.0L, x / 2.0L).Lower);
}

double chi2DistriQuantile(double p, std::int32_t df) {
  if (df < 1) return kNaN;
  const long double a = df / 2.0L;
  // Wilson-Hilferty, or the power law of the lower tail where that fails.
  long double guess = 1.0L;
  if (p > 0.0 && p < 1.0) {
    const long double c = 2.0L / (9.0L * df);
    const long double z = statis_internal::NormalQuantileGuess(p);
    const long double w = 1.0L - c + z * std::sqrt(c);
    guess = w > 0.1L ? df * w * w * w
                     : 2.0L * std::exp((std::log(p) + statis_internal::LogGammaL(a + 1.0L)) / a);
  }
  return PositiveQuantile(
      p, guess, [a](long double x) { return statis_internal::GammaTails(a, x / 2.0L); },
      [a](long double x) { return Chi2Density(x, a); });
}

double tDistriDensity(double x, std::int32_t df) {
  if (df < 1 || std::isnan(x)) return kNaN;
  return static_cast<double>(TDensity(x, df));
}

double tDistriIntegral(double x, std::int32_t df) {
  if (df < 1 || std::isnan(x)) return kNaN;
  const TTails t = TTailsAbove(std::fabs(x), df);
  return static_cast<double>(x < 0.0 ? t.Upper : t.Lower);
}

double tDistriQuantile(double p, std::int32_t df) {
  if (df < 1 || !(p >= 0.0 && p <= 1.0)) return kNaN;
  if (p == 0.5) return 0.0;
  if (p == 0.0 || p == 1.0) return p == 0.0 ? -kInf : kInf;
  const long double n = df;
  // Solve P(T > x) = min(p, 1 - p) for x > 0; Cornish-Fisher start.
  const double target = p < 0.5 ? p : 1.0 - p;
  const long double z = -statis_internal::NormalQuantileGuess(target);
  const long double z2 = z * z;
  const long double guess =
      z + z * (z2 + 1.0L) / (4.0L * n) + z * ((5.0L * z2 + 16.0L) * z2 + 3.0L) / (96.0L * n * n);
  const long double x = statis_internal::InvertTail(
      target, false, guess, [n](long double t) { return TTailsAbove(t, n); },
      [n](long double t) { return TDensity(t, n); });
  return static_cast<double>(p < 0.5 ? -x : x);
}

double FDistriDensity(double x, std::int32_t df1, std::int32_t df2) {
  if (df1 < 1 || df2 < 1 || std::isnan(x)) return kNaN;
  return static_cast<double>(FDensity(x, df1, df2));
}

double FDistriIntegral(double x, std::int32_t df1, std::int32_t df2) {
  if (df1 < 1 || df2 < 1 || std::isnan(x)) return kNaN;
  return static_cast<double>(FTails(x, df1, df2).Lower);
}

double FDistriQuantile(double p, std::int32_t df1, std::int32_t df2) {
  if (df1 < 1 || df2 < 1) return kNaN;
  const long double m = df1, n = df2;
  return PositiveQuantile(
      p, 1.0L, [m, n](long double x) { return FTails(x, m, n); },
      [m, n](long double x) { return FDensity(x, m, n); });
}

}  // namespace kvl
