// dean_dixon_table: computes the critical values of Dixon's outlier ratios
// for normal samples of n = 3 .. 100 at the nine levels 0.001 .. 0.5, the
// table behind DeanDixonCriticalValues (kvl/statistics/statis/internal/
// dean_dixon_values.h).
//
// Build and run (a standalone program, not part of the test run):
//   cmake --build build --target kvl_dean_dixon_table   (or: g++ -std=c++20 -O2
//     -o /tmp/dean_dixon_table tools/dean_dixon_table.cpp)
//   /tmp/dean_dixon_table table            # the table as C++ rows (about 1 min)
//   /tmp/dean_dixon_table check            # classic rows, conventions, quadrature error
//   /tmp/dean_dixon_table mc 1000000       # Monte Carlo check of a few rows (seeded)
//
// Ratios (s1 <= ... <= sn sorted, the upper-side form; the lower side is the
// mirror image and has the same distribution):
//   n = 3 .. 7    r10 = (sn - sn-1) / (sn - s1)
//   n = 8 .. 10   r11 = (sn - sn-1) / (sn - s2)
//   n = 11 .. 13  r21 = (sn - sn-2) / (sn - s2)
//   n = 14 .. 100 r22 = (sn - sn-2) / (sn - s3)
// Convention: the entry at level alpha is the c with P(r > c) = alpha for
// ONE ratio (Dixon's one-sided tables); the test that compares the larger
// of the low and the high ratio with it therefore works at about 2 alpha.
// `check` shows that this convention reproduces the printed rows within
// 0.002, and that the two-sided reading (the larger of both ratios exceeds c
// with probability alpha) does not.
//
// Method: numerical integration, no sampling. With l points below the lower
// reference point s(l+1) of the denominator and m = n - 2 - l points between
// s(l+1) = a and sn = b, the joint density of (a, b) is
//   n! / (l! m!) F(a)^l f(a) (F(b) - F(a))^m f(b)
// (F, f: the standard normal distribution and density), and given (a, b) the
// m inner points are independent normals truncated to (a, b). The ratio
// exceeds c when at most k of them (k = 0 for r1x, 1 for r2x) lie above
// t = b - c (b - a), so
//   P(r > c) = n!/(l! m!) \int\int F(a)^l f(a) f(b)
//              sum_{j<=k} C(m, j) (F(t) - F(a))^(m-j) (F(b) - F(t))^j da db.
// The double integral runs over a in [-8.5, 8.5], b = a + s, s in [0, 17]
// with composite 16-point Gauss-Legendre rules; nodes whose weight is below
// 1e-16 of the largest are dropped. Each critical value is the root in c of
// P(r > c) = alpha (bisection to 1e-10). Normal probabilities of intervals
// are taken from the tail on the side of the interval (erfc), so nothing is
// lost to cancellation. `check` compares 24 and 48 panels per axis: the
// largest change of any critical value is the error estimate printed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::array<double, 9> kLevels{0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5};
constexpr double kLimit = 8.5;

// The classic rows, as the library keeps them, to compare with.
struct GivenRow {
  int n;
  std::array<double, 9> c;
};
const GivenRow kGiven[] = {
    {3, {0.999, 0.998, 0.994, 0.988, 0.976, 0.941, 0.886, 0.782, 0.501}},
    {4, {0.964, 0.949, 0.921, 0.889, 0.847, 0.766, 0.679, 0.561, 0.324}},
    {5, {0.895, 0.869, 0.824, 0.782, 0.729, 0.643, 0.559, 0.452, 0.251}},
    {6, {0.822, 0.792, 0.744, 0.698, 0.646, 0.563, 0.484, 0.387, 0.210}},
    {7, {0.763, 0.731, 0.681, 0.636, 0.587, 0.507, 0.433, 0.344, 0.184}},
    {8, {0.799, 0.769, 0.724, 0.682, 0.633, 0.554, 0.480, 0.386, 0.211}},
    {9, {0.750, 0.720, 0.675, 0.634, 0.586, 0.512, 0.441, 0.352, 0.190}},
    {10, {0.713, 0.683, 0.637, 0.597, 0.551, 0.477, 0.409, 0.325, 0.174}},
    {11, {0.770, 0.746, 0.708, 0.674, 0.636, 0.575, 0.518, 0.445, 0.304}},
    {12, {0.739, 0.714, 0.676, 0.643, 0.605, 0.546, 0.489, 0.420, 0.284}},
    {13, {0.713, 0.687, 0.649, 0.617, 0.580, 0.522, 0.467, 0.399, 0.269}},
    {14, {0.732, 0.708, 0.672, 0.640, 0.603, 0.546, 0.491, 0.422, 0.287}},
    {20, {0.627, 0.604, 0.568, 0.538, 0.503, 0.450, 0.401, 0.339, 0.224}},
    {50, {0.460, 0.439, 0.410, 0.384, 0.355, 0.312, 0.272, 0.226, 0.143}},
    {100, {0.387, 0.368, 0.341, 0.317, 0.292, 0.253, 0.219, 0.179, 0.111}},
};

// Lower and upper normal tails.
double Phi(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
double Q(double x) { return 0.5 * std::erfc(x / std::sqrt(2.0)); }
// P(x < Z < y) for x <= y, from the tail on the side of the interval.
double Mass(double x, double y) {
  if (x >= 0) return Q(x) - Q(y);
  if (y <= 0) return Phi(y) - Phi(x);
  return 1.0 - Phi(x) - Q(y);
}

struct Ratio {
  int l;  // points below the lower reference point of the denominator
  int k;  // inner points allowed above t (0: gap to sn-1, 1: gap to sn-2)
  const char* name;
};
Ratio RatioOf(int n) {
  if (n <= 7) return {0, 0, "r10"};
  if (n <= 10) return {1, 0, "r11"};
  if (n <= 13) return {1, 1, "r21"};
  return {2, 1, "r22"};
}

// Gauss-Legendre nodes and weights of order 16 on [-1, 1] (Newton on P16).
struct Rule {
  std::vector<double> x, w;
};
Rule Legendre(int order) {
  Rule r;
  for (int i = 1; i <= order; ++i) {
    double z = std::cos(M_PI * (i - 0.25) / (order + 0.5)), dp = 0;
    for (int it = 0; it < 100; ++it) {
      double p0 = 1, p1 = z;
      for (int j = 2; j <= order; ++j) {
        const double p2 = ((2 * j - 1) * z * p1 - (j - 1) * p0) / j;
        p0 = p1;
        p1 = p2;
      }
      dp = order * (z * p1 - p0) / (z * z - 1);
      const double dz = p1 / dp;
      z -= dz;
      if (std::fabs(dz) < 1e-16) break;
    }
    r.x.push_back(z);
    r.w.push_back(2 / ((1 - z * z) * dp * dp));
  }
  return r;
}
Rule Composite(double lo, double hi, int panels) {
  const Rule g = Legendre(16);
  Rule r;
  const double h = (hi - lo) / panels;
  for (int p = 0; p < panels; ++p)
    for (std::size_t i = 0; i < g.x.size(); ++i) {
      r.x.push_back(lo + h * (p + 0.5 * (g.x[i] + 1)));
      r.w.push_back(0.5 * h * g.w[i]);
    }
  return r;
}

// The quadrature nodes of the joint density of (s(l+1), sn) for one n.
struct Node {
  double a, s, w, mass;  // w: node weight times the joint density; mass = F(b) - F(a)
};
struct Integrand {
  int n, m, k;
  std::vector<Node> nodes;
  double total = 0;  // the integral of the joint density (1 up to quadrature error)
};

Integrand Prepare(int n, int panels) {
  const Ratio r = RatioOf(n);
  Integrand in{n, n - 2 - r.l, r.k, {}, 0};
  const double logC = std::lgamma(n + 1.0) - std::lgamma(r.l + 1.0) - std::lgamma(in.m + 1.0);
  const Rule ra = Composite(-kLimit, kLimit, panels), rs = Composite(0, 2 * kLimit, panels);
  const double logf0 = -0.5 * std::log(2 * M_PI);
  double wmax = 0;
  std::vector<Node> all;
  for (std::size_t i = 0; i < ra.x.size(); ++i) {
    const double a = ra.x[i];
    for (std::size_t j = 0; j < rs.x.size(); ++j) {
      const double s = rs.x[j], b = a + s;
      if (b > kLimit) break;
      const double mass = Mass(a, b);
      if (!(mass > 0)) continue;
      const double logw = logC + r.l * std::log(Phi(a)) + (logf0 - 0.5 * a * a) + (logf0 - 0.5 * b * b) +
                          in.m * std::log(mass) + std::log(ra.w[i] * rs.w[j]);
      const double w = std::exp(logw);
      wmax = std::max(wmax, w);
      all.push_back({a, s, w, mass});
    }
  }
  for (const Node& nd : all)
    if (nd.w > 1e-16 * wmax) {
      in.nodes.push_back(nd);
      in.total += nd.w;
    }
  return in;
}

// P(r > c): the conditional probability that at most k inner points lie
// above t, integrated over the nodes.
double Tail(const Integrand& in, double c) {
  double sum = 0;
  for (const Node& nd : in.nodes) {
    const double t = nd.a + (1 - c) * nd.s;
    const double g = Mass(nd.a, t) / nd.mass, h = Mass(t, nd.a + nd.s) / nd.mass;
    double p = std::pow(g, in.m);
    if (in.k == 1 && in.m >= 1) p += in.m * std::pow(g, in.m - 1) * h;
    sum += nd.w * p;
  }
  return sum;
}

// The c in (0, 1) with P(r > c) = alpha (the tail falls from 1 to 0).
double Critical(const Integrand& in, double alpha) {
  double lo = 0, hi = 1;
  while (hi - lo > 1e-10) {
    const double mid = 0.5 * (lo + hi);
    (Tail(in, mid) > alpha ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

std::array<double, 9> Row(int n, int panels, double levelScale = 1.0) {
  const Integrand in = Prepare(n, panels);
  std::array<double, 9> c{};
  for (int j = 0; j < 9; ++j) c[j] = Critical(in, kLevels[j] * levelScale);
  return c;
}

int RunTable() {
  std::printf("// n = 3 .. 100; levels 0.001 0.002 0.005 0.01 0.02 0.05 0.1 0.2 0.5\n");
  for (int n = 3; n <= 100; ++n) {
    const auto c = Row(n, 24);
    std::printf("    {");
    for (int j = 0; j < 9; ++j) std::printf("%.3f%s", c[j], j < 8 ? ", " : "");
    std::printf("},  // %d\n", n);
    std::fflush(stdout);
  }
  return 0;
}

int RunCheck() {
  double worstOne = 0, worstTwo = 0, worstQuad = 0;
  std::printf("n    ratio  max|one-sided - printed|  max|alpha/2 reading - printed|  quadrature change  total\n");
  for (const GivenRow& g : kGiven) {
    const auto one = Row(g.n, 24), fine = Row(g.n, 48);
    // The two-sided reading P(max(low, high) > c) = alpha is at least as
    // extreme as the one-sided value at alpha / 2 (Bonferroni bound).
    const auto half = Row(g.n, 24, 0.5);
    double d1 = 0, d2 = 0, dq = 0;
    for (int j = 0; j < 9; ++j) {
      d1 = std::max(d1, std::fabs(one[j] - g.c[j]));
      d2 = std::max(d2, std::fabs(half[j] - g.c[j]));
      dq = std::max(dq, std::fabs(one[j] - fine[j]));
    }
    worstOne = std::max(worstOne, d1);
    worstTwo = std::max(worstTwo, d2);
    worstQuad = std::max(worstQuad, dq);
    std::printf("%-4d %-6s %.5f                    %.5f                        %.1e            %.12f\n", g.n,
                RatioOf(g.n).name, d1, d2, dq, Prepare(g.n, 24).total);
  }
  std::printf("largest: one-sided %.5f, two-sided reading %.5f, quadrature change %.1e\n", worstOne, worstTwo,
              worstQuad);
  return worstOne <= 0.002 ? 0 : 1;
}

// Monte Carlo check: the share of normal samples whose ratio exceeds the
// computed critical value, beside alpha and its binomial standard error.
int RunMonteCarlo(long reps) {
  std::mt19937_64 gen(20261208);
  std::normal_distribution<double> z;
  for (int n : {5, 9, 12, 30, 75}) {
    const auto c = Row(n, 24);
    const Ratio r = RatioOf(n);
    std::array<long, 9> hits{};
    std::vector<double> x(static_cast<std::size_t>(n));
    for (long rep = 0; rep < reps; ++rep) {
      for (double& v : x) v = z(gen);
      std::sort(x.begin(), x.end());
      const double top = x[n - 1], gapEnd = x[n - 2 - r.k], low = x[r.l];
      const double ratio = (top - gapEnd) / (top - low);
      for (int j = 0; j < 9; ++j) hits[j] += ratio > c[j];
    }
    std::printf("n = %d (%s), %ld samples: level / observed share (standard error)\n", n, r.name, reps);
    for (int j = 0; j < 9; ++j) {
      const double p = kLevels[j], se = std::sqrt(p * (1 - p) / reps);
      std::printf("  %.3f  c = %.4f  %.5f (%.5f)\n", p, c[j], static_cast<double>(hits[j]) / reps, se);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "table";
  if (mode == "table") return RunTable();
  if (mode == "check") return RunCheck();
  if (mode == "mc") return RunMonteCarlo(argc > 2 ? std::atol(argv[2]) : 1000000);
  std::fprintf(stderr, "usage: dean_dixon_table [table | check | mc [samples]]\n");
  return 2;
}
