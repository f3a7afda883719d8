// Normality statistics and tests.

#include "kvl/statistics/statis/normality.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/statistics/statis/internal/numeric_kernels.h"
#include "kvl/statistics/statis/normal.h"
#include "kvl/statistics/statis/shapirowilk.h"

namespace kvl {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

bool HasNaN(std::span<const double> x) {
  return std::any_of(x.begin(), x.end(), [](double v) { return std::isnan(v); });
}

/// KSDistance: the distance of the sorted values from Phi.
double KSDistance(std::span<const double> x) {
  const auto n = static_cast<double>(x.size());
  double d = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double f = nDistriIntegral(x[i]);
    const double hi = static_cast<double>(i + 1) / n, lo = static_cast<double>(i) / n;
    d = std::max({d, std::fabs(hi - f), std::fabs(lo - f)});
  }
  return d;
}

double KSInPlace(std::span<double> Data, bool IsSorted, bool Standardise) {
  if (HasNaN(Data)) return NaN;
  if (Data.empty()) return 0;
  if (!IsSorted) std::sort(Data.begin(), Data.end());
  if (Standardise) {
    const TDoubleArray copy(Data.begin(), Data.end());
    double mean = 0, var = 0;
    MeanVarArray(copy, 0, static_cast<std::int32_t>(copy.size()) - 1, mean, var);
    double s = std::sqrt(var);
    if (s == 0) s = 1;
    for (double& v : Data) v = (v - mean) / s;
  }
  return KSDistance(Data);
}

double KSOfVector(TVector& Data, bool IsSorted, bool Standardise) {
  std::vector<double> v(Data.Data().begin(), Data.Data().end());
  if (HasNaN(v)) return NaN;
  const double d = KSInPlace(v, IsSorted, Standardise);
  if (!IsSorted || Standardise) Data.CopyFrom(std::span<const double>(v), 0, static_cast<std::int32_t>(v.size()) - 1, 1);
  return d;
}

/// NormalQuantile: Phi^-1(p) to full precision (Newton steps on the
/// accurate tails from the rational starting value), 0 < p < 1.
long double NormalQuantile(long double p) {
  long double x = statis_internal::NormalQuantileGuess(p);
  for (int step = 0; step < 4; ++step) {
    const statis_internal::TTails t = statis_internal::NormalTails(x);
    const long double dens = std::exp(-x * x / 2) / std::sqrt(2 * 3.14159265358979323846264338327950288L);
    const long double diff = p < 0.5L ? t.Lower - p : (1 - p) - t.Upper;
    x -= diff / dens;
  }
  return x;
}

long double Poly(const double* c, int n, long double x) {
  long double r = 0;
  for (int i = n - 1; i >= 0; --i) r = r * x + c[i];
  return r;
}

void ShapiroWilk(std::vector<double> x, std::int32_t N1, double& W, double& PW) {
  W = PW = NaN;
  const auto n = static_cast<std::int32_t>(x.size());
  const std::int32_t n1 = N1 == 0 ? n : N1;
  if (n < 3 || n1 < 3 || n1 > n || HasNaN(x)) return;
  std::sort(x.begin(), x.end());
  const double range = x[static_cast<std::size_t>(n1 - 1)] - x[0];
  if (!(range > 0)) return;
  // Coefficients a[0 .. n/2 - 1] (Royston 1992, 1995).
  const std::int32_t nn2 = n / 2;
  std::vector<long double> a(static_cast<std::size_t>(nn2));
  if (n == 3) {
    a[0] = std::sqrt(0.5L);
  } else {
    static constexpr double c1[6] = {0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056};
    static constexpr double c2[6] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
    const long double an25 = n + 0.25L;
    std::vector<long double> m(static_cast<std::size_t>(nn2));
    long double summ2 = 0;
    for (std::int32_t i = 0; i < nn2; ++i) {
      m[i] = NormalQuantile((i + 1 - 0.375L) / an25);
      summ2 += m[i] * m[i];
    }
    summ2 *= 2;
    const long double ssumm2 = std::sqrt(summ2), rsn = 1 / std::sqrt(static_cast<long double>(n));
    const long double a1 = Poly(c1, 6, rsn) - m[0] / ssumm2;
    std::int32_t i1;
    long double fac;
    if (n > 5) {
      i1 = 2;
      const long double a2 = -m[1] / ssumm2 + Poly(c2, 6, rsn);
      fac = std::sqrt((summ2 - 2 * m[0] * m[0] - 2 * m[1] * m[1]) / (1 - 2 * a1 * a1 - 2 * a2 * a2));
      a[1] = a2;
    } else {
      i1 = 1;
      fac = std::sqrt((summ2 - 2 * m[0] * m[0]) / (1 - 2 * a1 * a1));
    }
    a[0] = a1;
    for (std::int32_t i = i1; i < nn2; ++i) a[i] = -m[i] / fac;
  }
  // W: the squared correlation of the observed ordered values with the
  // signed coefficients (scaled by the range for safety).
  const auto coef = [&](std::int32_t i) -> long double {
    const std::int32_t j = n - 1 - i;
    if (i == j) return 0;
    return i < j ? -a[i] : a[j];
  };
  long double sa = 0, sx = 0;
  for (std::int32_t i = 0; i < n1; ++i) {
    sa += coef(i);
    sx += x[i] / range;
  }
  sa /= n1;
  sx /= n1;
  long double ssa = 0, ssx = 0, sax = 0;
  for (std::int32_t i = 0; i < n1; ++i) {
    const long double asa = coef(i) - sa, xsx = x[i] / range - sx;
    ssa += asa * asa;
    ssx += xsx * xsx;
    sax += asa * xsx;
  }
  const long double ssassx = std::sqrt(ssa * ssx);
  const long double w1 = (ssassx - sax) * (ssassx + sax) / (ssa * ssx);
  W = static_cast<double>(1 - w1);
  PW = ShapiroWilkIntegral(W, n, n1);
}

/// TMoments: n and the central moments m2, m3, m4 (over n), two passes.
struct TMoments {
  long double n = 0, m2 = 0, m3 = 0, m4 = 0;
};

TMoments Moments(std::span<const double> x) {
  TMoments r;
  r.n = static_cast<long double>(x.size());
  long double mean = 0;
  for (const double v : x) mean += v;
  mean /= r.n;
  long double corr = 0;
  for (const double v : x) corr += v - mean;
  mean += corr / r.n;
  for (const double v : x) {
    const long double d = v - mean, d2 = d * d;
    r.m2 += d2;
    r.m3 += d2 * d;
    r.m4 += d2 * d2;
  }
  r.m2 /= r.n;
  r.m3 /= r.n;
  r.m4 /= r.n;
  return r;
}

double NormalP(long double Z, bool OneSided) {
  const long double tail = statis_internal::NormalTails(std::fabs(Z)).Upper;
  return static_cast<double>(OneSided ? tail : 2 * tail);
}

}  // namespace

double PerformKSNormalityTest(std::span<double> Data, bool IsSorted) { return KSInPlace(Data, IsSorted, false); }
double PerformKSNormalityTest(TVector& Data, bool IsSorted) { return KSOfVector(Data, IsSorted, false); }
double PerformLillieforsTest(std::span<double> Data, bool IsSorted) { return KSInPlace(Data, IsSorted, true); }
double PerformLillieforsTest(TVector& Data, bool IsSorted) { return KSOfVector(Data, IsSorted, true); }

void ShapiroWilkTest(std::span<const double> Data, std::int32_t N1, double& W, double& PW) {
  ShapiroWilk(std::vector<double>(Data.begin(), Data.end()), N1, W, PW);
}
void ShapiroWilkTest(const TVector& Data, std::int32_t N1, double& W, double& PW) {
  ShapiroWilk(std::vector<double>(Data.Data().begin(), Data.Data().end()), N1, W, PW);
}

double CalcAndTestSkewness(std::span<const double> Data, bool OneSided, double& Skew, double& SkewAdj, double& Z) {
  Skew = SkewAdj = Z = 0;
  if (Data.size() < 8) return -1;
  const TMoments m = Moments(Data);
  const long double n = m.n;
  const long double g1 = m.m3 / std::pow(m.m2, 1.5L);
  Skew = static_cast<double>(g1);
  SkewAdj = static_cast<double>(g1 * std::sqrt(n * (n - 1)) / (n - 2));
  long double y = g1 * std::sqrt((n + 1) * (n + 3) / (6 * (n - 2)));
  const long double beta2 = 3 * (n * n + 27 * n - 70) * (n + 1) * (n + 3) / ((n - 2) * (n + 5) * (n + 7) * (n + 9));
  const long double w2 = -1 + std::sqrt(2 * (beta2 - 1));
  const long double delta = 1 / std::sqrt(0.5L * std::log(w2));
  const long double alpha = std::sqrt(2 / (w2 - 1));
  if (y == 0) y = 1;  // as SciPy: a skewness of 0 scores delta ln(1/alpha + ...)
  const long double z = delta * std::asinh(y / alpha);
  Z = static_cast<double>(z);
  return NormalP(z, OneSided);
}

double CalcAndTestKurtosis(std::span<const double> Data, bool OneSided, double& Kurt, double& KurtAdj, double& Z) {
  Kurt = KurtAdj = Z = 0;
  if (Data.size() < 5) return -1;
  const TMoments m = Moments(Data);
  const long double n = m.n;
  const long double b2 = m.m4 / (m.m2 * m.m2);
  Kurt = static_cast<double>(b2 - 3);
  KurtAdj = static_cast<double>(((n + 1) * (b2 - 3) + 6) * (n - 1) / ((n - 2) * (n - 3)));
  const long double e = 3 * (n - 1) / (n + 1);
  const long double varb2 = 24 * n * (n - 2) * (n - 3) / ((n + 1) * (n + 1) * (n + 3) * (n + 5));
  const long double x = (b2 - e) / std::sqrt(varb2);
  const long double sqrtbeta1 =
      6 * (n * n - 5 * n + 2) / ((n + 7) * (n + 9)) * std::sqrt(6 * (n + 3) * (n + 5) / (n * (n - 2) * (n - 3)));
  const long double a = 6 + 8 / sqrtbeta1 * (2 / sqrtbeta1 + std::sqrt(1 + 4 / (sqrtbeta1 * sqrtbeta1)));
  const long double term1 = 1 - 2 / (9 * a);
  const long double denom = 1 + x * std::sqrt(2 / (a - 4));
  if (denom == 0) {
    Z = NaN;
    return NaN;
  }
  const long double term2 = (denom > 0 ? 1 : -1) * std::cbrt((1 - 2 / a) / std::fabs(denom));
  const long double z = (term1 - term2) / std::sqrt(2 / (9 * a));
  Z = static_cast<double>(z);
  return NormalP(z, OneSided);
}

}  // namespace kvl
