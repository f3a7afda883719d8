#include "kvl/statistics/statis/kolmogorov.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

constexpr double kScaleLimit = 1e140;  // the decimal scaling step of the exact method
constexpr double kScaleDown = 1e-140;
constexpr int kScaleExponent = 140;

// Square matrices of the exact method, row-major, with a decimal exponent.
class TKSMatrixPower {
 public:
  explicit TKSMatrixPower(int m) : FM(m), FH(m * m), FV(m * m), FB(m * m) {}

  double& H(int i, int j) { return FH[(i - 1) * FM + (j - 1)]; }  // 1-based
  double V(int i, int j) const { return FV[(i - 1) * FM + (j - 1)]; }
  int Exponent() const { return FExp; }

  // V := H^n with FExp the decimal exponent carried alongside.
  void Power(std::int32_t n) {
    if (n == 1) {
      FV = FH;
      FExp = 0;
      return;
    }
    Power(n / 2);
    Multiply(FV, FV, FB);
    FExp *= 2;
    if (n % 2 == 0) {
      std::swap(FV, FB);
    } else {
      Multiply(FH, FB, FV);
    }
    const int c = FM / 2;  // the centre element watches the growth
    if (FV[c * FM + c] > kScaleLimit) {
      for (double& v : FV) v *= kScaleDown;
      FExp += kScaleExponent;
    }
  }

 private:
  void Multiply(const std::vector<double>& A, const std::vector<double>& B, std::vector<double>& C) const {
    const int m = FM;
    for (int i = 0; i < m; ++i) {
      double* c = &C[i * m];
      for (int j = 0; j < m; ++j) c[j] = 0.0;
      for (int k = 0; k < m; ++k) {
        const double a = A[i * m + k];
        if (a == 0.0) continue;
        const double* b = &B[k * m];
        for (int j = 0; j < m; ++j) c[j] += a * b[j];
      }
    }
  }

  int FM;
  std::vector<double> FH, FV, FB;
  int FExp = 0;
};

// P(D_n < d) by the method of Marsaglia, Tsang and Wang.
double KSExactCdf(std::int32_t n, double d) {
  const double nd = n * d;
  const int k = static_cast<int>(Trunc(nd)) + 1;
  const int m = 2 * k - 1;
  const double h = k - nd;
  TKSMatrixPower q(m);
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= m; ++j) q.H(i, j) = (i < j - 1) ? 0.0 : 1.0;
  for (int i = 1; i <= m; ++i) {
    q.H(i, 1) -= std::pow(h, i);
    q.H(m, i) -= std::pow(h, m - i + 1);
  }
  if (2.0 * h - 1.0 > 0.0) q.H(m, 1) += std::pow(2.0 * h - 1.0, m);
  std::vector<long double> fact(m + 1);  // g! for g = 0 .. m
  for (int g = 0; g <= m; ++g) fact[g] = Factorial(g);
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= i; ++j) q.H(i, j) = static_cast<double>(q.H(i, j) / fact[i - j + 1]);
  q.Power(n);
  double s = q.V(k, k);
  int e = q.Exponent();
  for (std::int32_t i = 1; i <= n; ++i) {
    s = s * i / n;
    if (s < kScaleDown) {
      s *= kScaleLimit;
      e -= kScaleExponent;
    }
  }
  // In extended range, so that a large intermediate exponent cannot overflow.
  return static_cast<double>(s * std::pow(10.0L, e));
}

// P(D_n < d) by the asymptotic series of Pelz and Good (1976) in powers of
// 1/sqrt(n), K0(t) + K1(t)/sqrt(n) + K2(t)/n with t = d sqrt(n); every sum
// over k runs over all integers and is folded to k >= 0.
double PelzGoodCdf(std::int32_t n, double d) {
  constexpr double pi2 = std::numbers::pi * std::numbers::pi;
  const double sqn = std::sqrt(static_cast<double>(n));
  const double t = d * sqn, t2 = t * t, t4 = t2 * t2;
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  for (int k = 0; k < 20; ++k) {
    const double h2 = (k + 0.5) * (k + 0.5);
    const double e = std::exp(-pi2 * h2 / (2.0 * t2));
    s0 += e;
    s1 += (pi2 * h2 - t2) * e;
    s2 += (6.0 * t4 * t2 + 2.0 * t4 + pi2 * (2.0 * t4 - 5.0 * t2) * h2 + pi2 * pi2 * (1.0 - 2.0 * t2) * h2 * h2) * e;
    const double k2 = (k + 1.0) * (k + 1.0);
    s3 += pi2 * k2 * std::exp(-pi2 * k2 / (2.0 * t2));
  }
  const double r = std::sqrt(std::numbers::pi / 2.0);
  const double k0 = 2.0 * r / t * s0;  // sqrt(2 pi)/t sum over k >= 1 of e^-((2k-1)^2 pi^2 / 8t^2)
  const double k1 = r / (6.0 * t4) * 2.0 * s1;
  const double k2 = r / (72.0 * t4 * t2 * t) * 2.0 * s2 - r / (36.0 * t2 * t) * 2.0 * s3;
  return k0 + k1 / sqn + k2 / n;
}

}  // namespace

double KSPValue(std::int32_t n, double d) {
  if (n < 1) return -1.0;
  if (std::isnan(d)) return d;
  if (d <= 0.0) return 1.0;
  const double s = d * d * n;
  const double sqn = std::sqrt(static_cast<double>(n));
  if (s > 7.24 || (s > 3.76 && n > 99)) return 2.0 * std::exp(-(2.000071 + 0.331 / sqn + 1.409 / n) * s);
  // Rounding can leave either method a hair above 1 far in the tail.
  const double cdf = n > KSExactMaxN ? PelzGoodCdf(n, d) : KSExactCdf(n, d);
  return std::fmax(0.0, 1.0 - cdf);
}

double KSQuantile(std::int32_t n, TSignifLevel SigLevel) {
  double d = KolmogSmir1SampleTestStat(n, SigLevel);
  if (d < 0.0) return -1.0;
  const double level = NUMERICSIGNIFLEVEL[SigLevel];
  double diff = KSPValue(n, d) - level;
  for (int step = 0; std::fabs(diff) > 1e-4 && step < 1000; ++step) {
    d = (1.0 + diff) * d;
    diff = KSPValue(n, d) - level;
  }
  return d;
}

double KolmogSmir1SampleTestStat(std::int32_t n, TSignifLevel SigLevel) {
  static constexpr double kTable[20][5] = {
      {0.900, 0.925, 0.950, 0.975, 0.995}, {0.684, 0.726, 0.776, 0.842, 0.929},
      {0.565, 0.597, 0.642, 0.708, 0.828}, {0.494, 0.525, 0.564, 0.624, 0.733},
      {0.446, 0.474, 0.510, 0.565, 0.669}, {0.410, 0.436, 0.470, 0.521, 0.618},
      {0.381, 0.405, 0.438, 0.486, 0.577}, {0.358, 0.381, 0.411, 0.457, 0.543},
      {0.339, 0.360, 0.388, 0.432, 0.514}, {0.322, 0.342, 0.368, 0.410, 0.490},
      {0.307, 0.326, 0.352, 0.391, 0.468}, {0.295, 0.313, 0.338, 0.375, 0.450},
      {0.284, 0.302, 0.325, 0.361, 0.433}, {0.274, 0.292, 0.314, 0.349, 0.418},
      {0.266, 0.283, 0.304, 0.338, 0.404}, {0.258, 0.274, 0.295, 0.328, 0.392},
      {0.250, 0.266, 0.286, 0.318, 0.381}, {0.244, 0.259, 0.278, 0.309, 0.371},
      {0.237, 0.252, 0.272, 0.301, 0.363}, {0.231, 0.246, 0.264, 0.294, 0.356}};
  static constexpr double kLarge[5] = {1.073, 1.138, 1.224, 1.358, 1.628};
  const auto level = static_cast<unsigned>(SigLevel);
  if (level >= NUMERICSIGNIFLEVEL.size() || n < 1) return -1.0;
  if (n <= 20) return kTable[n - 1][level];
  return kLarge[level] / std::sqrt(static_cast<double>(n));
}

double LillieforsPValue(std::int32_t n, double D) {
  if (n <= 5) return -1.0;
  double nn = n;
  if (n > 100) {
    D *= std::pow(nn / 100.0, 0.49);
    nn = 100.0;
  }
  const double e = 2.99587 * D * std::sqrt(nn + 2.78019) - 7.01256 * D * D * (nn + 2.78019) - 0.122119 +
                   0.97498 / std::sqrt(nn) + 1.67997 / nn;
  return std::exp(std::fmin(e, 0.0));
}

double LillieforsQuantile(std::int32_t n, double Alpha) {
  static constexpr double P1[7] = {6.32207539843126,   -17.1398870006148, 38.42812675101057,
                                   -45.93241384693391, 7.88697700041829,  29.79317711037858,
                                   -18.48090137098585};
  static constexpr double P2[7] = {12.940399038404,   -53.458334259532, 186.923866119699,
                                   -410.582178349305, 517.377862566267, -343.581476222384,
                                   92.123451358715};
  const double q = 1.0 - Alpha;
  return 1.0 / std::sqrt(n * Polynomial(P1, 6, q) + Polynomial(P2, 6, q));
}

}  // namespace kvl
