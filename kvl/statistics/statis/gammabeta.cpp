#include "kvl/statistics/statis/gammabeta.h"

#include <cmath>
#include <limits>

#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

constexpr double kIncTolerance = 1e-8;  // relative tolerance of both incomplete functions

// The series would need no cap for any sane shape; for a shape so large that
// adding 1 no longer changes it, the terms would shrink by a constant ratio
// close to 1 for ever, so the number of terms is bounded.
constexpr long kMaxSeriesTerms = 10'000'000;

// Continued fraction of the incomplete beta function (modified Lentz form of
// the even/odd recurrence); x is below the switch point (a + 1)/(a + b + 2).
double BetaContinuedFraction(double x, double a, double b) {
  double am = 1.0, bm = 1.0, az = 1.0;
  const double qab = a + b, qap = a + 1.0, qam = a - 1.0;
  double bz = 1.0 - qab * x / qap;
  for (int m = 1; m <= 100; ++m) {
    const double em = m, tem = 2.0 * m;
    double d = em * (b - em) * x / ((qam + tem) * (a + tem));
    const double ap = az + d * am;
    const double bp = bz + d * bm;
    d = -(a + em) * (qab + em) * x / ((a + tem) * (qap + tem));
    const double app = ap + d * az;
    const double bpp = bp + d * bz;
    const double aold = az;
    am = ap / bpp;
    bm = bp / bpp;
    az = app / bpp;
    bz = 1.0;
    if (std::fabs(az - aold) < kIncTolerance * std::fabs(az)) break;
  }
  return az;
}

}  // namespace

double LnGamma(double x) {
  if (x <= 0.0) return 0.0;
  static constexpr double c[6] = {76.18009173, -86.50532033, 24.01409822,
                                  -1.231739516, 0.00120858003, -0.536382e-5};
  double ser = 1.0;
  for (int j = 1; j <= 6; ++j) ser += c[j - 1] / (x + j - 1);
  return std::log(2.5066282746310005 * ser) + (x - 0.5) * std::log(x + 4.5) - (x + 4.5);
}

double IncompleteGamma(double X, double A) {
  if (X <= 0.0 || A <= 0.0) return 0.0;
  if (X == std::numeric_limits<double>::infinity()) return 1.0;
  const double f = std::exp(A * std::log(X) - X - LnGamma(A));
  if (X < A + 1.0) {
    double term = 1.0 / A, sum = term, ap = A;
    for (long n = 0; n < kMaxSeriesTerms; ++n) {
      ap += 1.0;
      term *= X / ap;
      sum += term;
      if (std::fabs(term) < kIncTolerance * std::fabs(sum)) break;
    }
    return sum * f;
  }
  double gold = 0.0, g = 0.0, a0 = 1.0, a1 = X, b0 = 0.0, b1 = 1.0, fac = 1.0;
  for (int n = 1; n <= 99; ++n) {
    const double an = n, ana = an - A;
    a0 = (a1 + a0 * ana) * fac;
    b0 = (b1 + b0 * ana) * fac;
    const double anf = an * fac;
    a1 = X * a0 + anf * a1;
    b1 = X * b0 + anf * b1;
    if (a1 != 0.0) {
      fac = 1.0 / a1;
      g = b1 * fac;
      if (std::fabs((g - gold) / g) < kIncTolerance) break;
      gold = g;
    }
  }
  return 1.0 - g * f;
}

double LnBeta(double A, double B) {
  if (A < 0.0 || B < 0.0) return 0.0;
  return LnGamma(A) + LnGamma(B) - LnGamma(A + B);
}

double IncompleteBeta(double X, double A, double B) {
  if (X < 0.0) return 0.0;
  if (X > 1.0) return 1.0;
  const double bt = (X == 0.0 || X == 1.0)
                        ? 0.0
                        : std::exp(LnGamma(A + B) - LnGamma(A) - LnGamma(B) + A * std::log(X) +
                                   B * std::log(1.0 - X));
  if (X < (A + 1.0) / (A + B + 2.0)) return BetaContinuedFraction(X, A, B) * bt / A;
  return 1.0 - BetaContinuedFraction(1.0 - X, B, A) * bt / B;
}

std::int32_t BinomCoeff(std::int32_t n, std::int32_t k) {
  if (k < 0 || k > n) return 0;
  const double r = std::exp(LnBinomCoeff(n, k));
  // Compared before rounding, so that a coefficient too large even for the
  // 64-bit rounding (or an infinite one) is reported as -1 as well.
  if (!(RoundEven(r) <= 2147483647.0)) return -1;
  return static_cast<std::int32_t>(Round(r));
}

double LnBinomCoeff(std::int32_t n, std::int32_t k) {
  if (k < 0 || k > n) return -1.0;
  return LnGamma(n + 1.0) - LnGamma(k + 1.0) - LnGamma(static_cast<double>(n) - k + 1.0);
}

}  // namespace kvl
