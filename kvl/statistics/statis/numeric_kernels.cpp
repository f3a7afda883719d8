#include "kvl/statistics/statis/internal/numeric_kernels.h"

#include <algorithm>
#include <numbers>

namespace kvl::statis_internal {

namespace {

constexpr long double kLnSqrt2Pi = 0.918938533204672741780329736406L;
constexpr long double kLn2Pi = 1.837877066409345483560659472811L;
constexpr long double kEps = std::numeric_limits<long double>::epsilon();
constexpr long double kTiny = std::numeric_limits<long double>::min() / kEps;

// Stirling's series of StirlingErr for x >= 15 (truncation error < 2e-21).
long double StirlingSeries(long double x) {
  constexpr long double S0 = 1.0L / 12, S1 = 1.0L / 360, S2 = 1.0L / 1260, S3 = 1.0L / 1680,
                        S4 = 1.0L / 1188, S5 = 691.0L / 360360, S6 = 1.0L / 156,
                        S7 = 3617.0L / 122400;
  const long double r = 1.0L / (x * x);
  return (S0 - r * (S1 - r * (S2 - r * (S3 - r * (S4 - r * (S5 - r * (S6 - r * S7))))))) / x;
}

// Iteration bound of the series and continued fractions: they need about
// 10 sqrt(shape) steps in the worst case (argument near the mean).
long ShapeIterations(long double shape) {
  return 200 + static_cast<long>(20.0L * std::sqrt(std::min(shape, 1e18L)));
}

// Continued fraction of I_x(a, b) (modified Lentz), x below (a+1)/(a+b+2);
// y = 1 - x. Close to 1 the first denominator 1 - (a+b)x/(a+1) nearly
// vanishes and is formed from y instead.
long double BetaFraction(long double x, long double y, long double a, long double b) {
  const long double qab = a + b, qap = a + 1.0L, qam = a - 1.0L;
  long double c = 1.0L, d = x < 0.5L ? 1.0L - qab * x / qap : (1.0L - b + qab * y) / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0L / d;
  long double h = d;
  const long maxIter = ShapeIterations(std::max(a, b));
  for (long m = 1; m <= maxIter; ++m) {
    const long double m2 = 2.0L * m;
    long double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1.0L + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0L + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0L / d;
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1.0L + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0L + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0L / d;
    const long double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0L) <= kEps) break;
  }
  return h;
}

// x^a y^b / (a B(a, b)), the factor in front of the beta continued fraction.
long double BetaFront(long double x, long double y, long double a, long double b) {
  return b / (a + b) * BinomRaw(a, b, x, y);
}

// Coefficients h_k of ln((1 - e^-v) / v) = -v/2 + sum B_2n v^2n / (2n (2n)!).
constexpr int kLargeATerms = 16;
struct TLogSinhCoeffs {
  long double h[kLargeATerms + 1] = {};
  constexpr TLogSinhCoeffs() {
    constexpr long double B[8] = {1.0L / 6,    -1.0L / 30, 1.0L / 42,  -1.0L / 30,
                                  5.0L / 66,   -691.0L / 2730, 7.0L / 6, -3617.0L / 510};
    h[1] = -0.5L;
    long double fact = 1.0L;  // (2n)!
    for (int n = 1; n <= kLargeATerms / 2; ++n) {
      fact *= (2.0L * n - 1.0L) * (2.0L * n);
      h[2 * n] = B[n - 1] / (2.0L * n * fact);
    }
  }
};
constexpr TLogSinhCoeffs kLogSinh;

// Whether I_x(a, b) with y = 1 - x goes through BetaLargeA: x close to 1
// with a large and b small, where the continued fraction would cancel.
bool UseLargeA(long double y, long double a, long double b) {
  return y <= 1e-3L && (b + kLargeATerms) * (b + kLargeATerms) <= 0.01L * a;
}

// I_x(a, b) for large a, small b and x near 1 (y = 1 - x, s = -ln x): with
// t = e^-v the integral becomes the sum over k of g_k Gamma(b+k, a s)/a^(b+k),
// g_k the coefficients of ((1 - e^-v)/v)^(b-1); so
//   I = Gamma(a+b)/(Gamma(a) a^b) sum g_k (b)_k Q(b+k, a s) / a^k.
long double BetaLargeA(long double y, long double a, long double b) {
  long double g[kLargeATerms + 1];
  g[0] = 1.0L;
  for (int n = 1; n <= kLargeATerms; ++n) {
    long double sum = 0.0L;
    for (int k = 1; k <= n; ++k) sum += k * kLogSinh.h[k] * g[n - k];
    g[n] = (b - 1.0L) * sum / n;
  }
  const long double z = -a * std::log1p(-y);
  long double q = GammaTails(b, z).Upper;  // Q(b + k, z), raised step by step
  long double sum = q, poch = 1.0L, shape = b;
  for (int k = 1; k <= kLargeATerms; ++k) {
    q += PoissonRaw(shape, z);
    poch *= shape / a;
    shape += 1.0L;
    const long double term = g[k] * poch * q;
    sum += term;
    if (std::fabs(term) <= kEps * std::fabs(sum)) break;
  }
  // Gamma(a+b) / (Gamma(a) a^b) without the cancellation of large logarithms.
  const long double lnR = (a + b - 0.5L) * std::log1p(b / a) - b + StirlingErr(a + b) - StirlingErr(a);
  return std::exp(lnR) * sum;
}

// I_x(a, b) on the side where x lies below (a+1)/(a+b+2).
long double BetaLowerSide(long double x, long double y, long double a, long double b) {
  if (UseLargeA(y, a, b)) return BetaLargeA(y, a, b);
  return BetaFront(x, y, a, b) * BetaFraction(x, y, a, b);
}

}  // namespace

long double StirlingErr(long double x) {
  // StirlingErr(n/2) for n = 1 .. 30 (40-digit values): the half-integers
  // are the shapes of the chi-square, t and F distributions.
  static constexpr long double kHalves[30] = {
    0.153426409720027345291384L, 0.0810614667953272582196703L, 0.0548141210519176538961387L,
    0.0413406959554092940938221L, 0.0331628735199362874851105L, 0.0276779256849983391487893L,
    0.0237461636562974959713303L, 0.0207906721037650931115228L, 0.0184884505326731852307794L,
    0.0166446911898211921631949L, 0.0151349732219173788735138L, 0.0138761288230707479987457L,
    0.0128104652429202269242507L, 0.0118967099458917700950557L, 0.0111045597582069173266308L,
    0.0104112652619720964974786L, 0.00979941612615880329839037L, 0.00925546218271273291772864L,
    0.00876870013413938546295505L, 0.00833056343336287125646932L, 0.00793411456431402054724956L,
    0.00757367548795184079497202L, 0.0072445543013203831795462L, 0.00694284010720952986566415L,
    0.00666524703270768244235618L, 0.00640899418800420706843963L, 0.0061717122630394576475346L,
    0.00595137011275884773562442L, 0.0057462165130101156820261L, 0.00555473355196280137103869L,
  };
  if (x <= 15.0L) {
    const long double twice = 2.0L * x;
    if (twice >= 1.0L && twice == std::floor(twice)) return kHalves[static_cast<int>(twice) - 1];
  }
  // Shift up with StirlingErr(x) = StirlingErr(x + 1) + (x + 1/2) ln(1 + 1/x) - 1;
  // every correction is small, so nothing cancels.
  long double corr = 0.0L;
  while (x < 15.0L) {
    corr += (x + 0.5L) * std::log1p(1.0L / x) - 1.0L;
    x += 1.0L;
  }
  return StirlingSeries(x) + corr;
}

long double LogGammaL(long double x) {
  if (std::isinf(x)) return x;
  return kLnSqrt2Pi + (x - 0.5L) * std::log(x) - x + StirlingErr(x);
}

long double Bd0(long double x, long double m) {
  if (x == 0.0L) return m;
  if (std::fabs(x - m) < 0.1L * (x + m)) {
    long double v = (x - m) / (x + m);
    long double s = (x - m) * v;
    long double ej = 2.0L * x * v;
    v *= v;
    for (int j = 1; j < 1000; ++j) {
      ej *= v;
      const long double s1 = s + ej / (2 * j + 1);
      if (s1 == s) return s1;
      s = s1;
    }
    return s;
  }
  return x * std::log(x / m) + m - x;
}

long double PoissonRaw(long double x, long double m) {
  if (m == 0.0L) return x == 0.0L ? 1.0L : 0.0L;
  if (!std::isfinite(m) || x < 0.0L) return 0.0L;
  if (x == 0.0L) return std::exp(-m);
  return std::exp(-StirlingErr(x) - Bd0(x, m)) / std::sqrt(2.0L * std::numbers::pi_v<long double> * x);
}

long double BinomRaw(long double x, long double y, long double p, long double q) {
  if (p == 0.0L) return x == 0.0L ? 1.0L : 0.0L;
  if (q == 0.0L) return y == 0.0L ? 1.0L : 0.0L;
  if (x == 0.0L) return y == 0.0L ? 1.0L : std::exp(y * (p < 0.5L ? std::log1p(-p) : std::log(q)));
  if (y == 0.0L) return std::exp(x * (q < 0.5L ? std::log1p(-q) : std::log(p)));
  const long double n = x + y;
  const long double lc =
      StirlingErr(n) - StirlingErr(x) - StirlingErr(y) - Bd0(x, n * p) - Bd0(y, n * q);
  const long double lf = kLn2Pi + std::log(x) + std::log(y) - std::log(n);
  return std::exp(lc - 0.5L * lf);
}

TTails GammaTails(long double a, long double x) {
  if (std::isnan(x)) return {x, x};
  if (!(x > 0.0L)) return {0.0L, 1.0L};
  if (std::isinf(x)) return {1.0L, 0.0L};
  const long maxIter = ShapeIterations(std::max(a, x));
  if (x < a + 1.0L) {
    long double sum = 1.0L, term = 1.0L;
    for (long n = 1; n <= maxIter; ++n) {
      term *= x / (a + n);
      sum += term;
      if (term <= sum * kEps) break;
    }
    const long double p = PoissonRaw(a, x) * sum;
    return {p, 1.0L - p};
  }
  long double b = x + 1.0L - a, c = 1.0L / kTiny, d = 1.0L / b, h = d;
  for (long i = 1; i <= maxIter; ++i) {
    const long double an = -i * (i - a);
    b += 2.0L;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0L / d;
    const long double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0L) <= kEps) break;
  }
  const long double q = a * PoissonRaw(a, x) * h;
  return {1.0L - q, q};
}

TTails BetaTails(long double x, long double y, long double a, long double b) {
  if (std::isnan(x) || std::isnan(y)) return {x + y, x + y};
  if (!(x > 0.0L)) return {0.0L, 1.0L};
  if (!(y > 0.0L)) return {1.0L, 0.0L};
  if (x < (a + 1.0L) / (a + b + 2.0L)) {
    const long double i = BetaLowerSide(x, y, a, b);
    return {i, 1.0L - i};
  }
  const long double j = BetaLowerSide(y, x, b, a);
  return {1.0L - j, j};
}

TTails NormalTails(long double x) {
  const TTails g = GammaTails(0.5L, 0.5L * x * x);
  const long double outer = 0.5L * g.Upper, inner = 0.5L + 0.5L * g.Lower;
  return x < 0.0L ? TTails{outer, inner} : TTails{inner, outer};
}

long double NormalQuantileGuess(long double p) {
  const long double q = p < 0.5L ? p : 1.0L - p;
  const long double t = std::sqrt(-2.0L * std::log(q));
  const long double x = t - (2.515517L + 0.802853L * t + 0.010328L * t * t) /
                                (1.0L + 1.432788L * t + 0.189269L * t * t + 0.001308L * t * t * t);
  return p < 0.5L ? -x : x;
}

}  // namespace kvl::statis_internal
