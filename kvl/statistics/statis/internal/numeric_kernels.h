#pragma once
// Internal kernels of the statistics unit: accurate special functions in
// extended precision behind the chi-square, t, F, binomial and normal tail
// computations, and the safeguarded root finder of their quantiles.
// Not part of the public interface (namespace kvl::statis_internal).
//
// Accuracy: the kernels work in 80-bit arithmetic and keep about 1e-16
// relative accuracy in double results. Densities use Loader's saddle-point
// form (StirlingErr and Bd0), so that large arguments lose nothing to the
// cancellation of large logarithms. The incomplete gamma and beta kernels
// deliver both tails, each with full relative accuracy.

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace kvl::statis_internal {

/// TTails: P(X <= x) and P(X > x), each accurate on its own.
struct TTails {
  long double Lower;
  long double Upper;
};

/// LogGammaL: ln Gamma(x) for x > 0 (Stirling series after upward shift).
long double LogGammaL(long double x);

/// StirlingErr: ln Gamma(x + 1) - (x + 1/2) ln x + x - ln sqrt(2 pi), x > 0.
long double StirlingErr(long double x);

/// Bd0: x ln(x / m) + m - x without cancellation (x >= 0, m > 0).
long double Bd0(long double x, long double m);

/// PoissonRaw: m^x e^-m / Gamma(x + 1) for real x >= 0, m >= 0.
long double PoissonRaw(long double x, long double m);

/// BinomRaw: Gamma(x + y + 1) / (Gamma(x + 1) Gamma(y + 1)) p^x q^y for real
/// x, y >= 0, where q = 1 - p is passed separately to keep its accuracy.
long double BinomRaw(long double x, long double y, long double p, long double q);

/// GammaTails: the regularised incomplete gamma P(a, x) and Q(a, x), a > 0.
TTails GammaTails(long double a, long double x);

/// BetaTails: I_x(a, b) and 1 - I_x(a, b) for a, b > 0, where y = 1 - x is
/// passed separately to keep its accuracy.
TTails BetaTails(long double x, long double y, long double a, long double b);

/// NormalTails: Phi(x) and 1 - Phi(x) of the standard normal distribution.
TTails NormalTails(long double x);

/// NormalQuantileGuess: Phi^-1(p) to about 4.5e-4 (rational approximation),
/// a starting value for the root finders; 0 < p < 1.
long double NormalQuantileGuess(long double p);

/// UExactPmf: P(U = k), k = 0 .. K <= a b / 2, of the Mann-Whitney U of
/// sample sizes a and b (any order), from its generating function.
std::vector<long double> UExactPmf(std::int32_t a, std::int32_t b, std::int64_t K);

/// InvertTail: the root x > 0 of Tail(x) = Target, Tail a lower (Lower =
/// true) or upper distribution tail of a distribution on (0, inf) with
/// density Density; Target in (0, 1/2]. Newton steps on u = ln x (safe for
/// power-law and exponential tails alike), guarded by bisection of the
/// bracket [ln of the smallest, ln of the largest double]. Returns 0 or
/// +infinity when the root lies beyond the doubles.
template <class TailsFn, class DensityFn>
long double InvertTail(long double Target, bool Lower, long double Guess, TailsFn Tails,
                       DensityFn Density) {
  constexpr long double kInf = std::numeric_limits<long double>::infinity();
  constexpr long double kUMin = -745.2L;  // ln of the smallest subnormal double
  constexpr long double kUMax = 709.79L;  // ln of the largest double
  constexpr long double kStepTol = 1e-17L;
  const long double lnTarget = std::log(Target);
  long double lo = kUMin, hi = kUMax;
  bool loSeen = false, hiSeen = false;  // whether h < 0 resp. h > 0 was met
  long double u = (Guess > 0.0L && Guess < kInf) ? std::log(Guess) : 0.0L;
  if (!(u > lo && u < hi)) u = 0.0L;
  long double lastStep = hi - lo;
  for (int iter = 0; iter < 400; ++iter) {
    const long double x = std::exp(u);
    const TTails t = Tails(x);
    const long double tail = Lower ? t.Lower : t.Upper;
    // h(u) increases with u: ln P(X <= x) - ln Target, or ln Target - ln P(X > x).
    long double h, slope = 0.0L;
    if (!(tail > 0.0L)) {
      h = Lower ? -kInf : kInf;
    } else {
      h = Lower ? std::log(tail) - lnTarget : lnTarget - std::log(tail);
      slope = Density(x) * x / tail;
    }
    if (h == 0.0L) return x;
    if (h < 0.0L) {
      lo = u;
      loSeen = true;
    } else {
      hi = u;
      hiSeen = true;
    }
    long double next = 0.5L * (lo + hi);
    if (std::isfinite(h) && slope > 0.0L && std::isfinite(slope)) {
      const long double step = h / slope;
      // Converged once the Newton step drops below the resolution wanted
      // (it may be below the spacing of u itself).
      if (std::fabs(step) <= kStepTol * std::fmax(1.0L, std::fabs(u))) {
        u -= step;
        break;
      }
      // Take the Newton step while it stays inside the bracket and shrinks
      // at least as fast as bisection would.
      const long double newton = u - step;
      if (newton > lo && newton < hi && std::fabs(step) < 0.5L * lastStep) next = newton;
    }
    lastStep = std::fabs(next - u);
    u = next;
    if (hi - lo <= kStepTol * std::fmax(1.0L, std::fabs(hi))) break;
  }
  // A root beyond the doubles leaves the iterates stuck at one end.
  if (!hiSeen && u >= kUMax - 1e-6L) return kInf;
  if (!loSeen && u <= kUMin + 1e-6L) return 0.0L;
  return std::exp(u);
}

}  // namespace kvl::statis_internal
