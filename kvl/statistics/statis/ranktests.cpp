// Sign, median and rank tests.

#include "kvl/statistics/statis/ranktests.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/runtime/rounding.h"
#include "kvl/statistics/statis/contingency.h"
#include "kvl/statistics/statis/continuous.h"
#include "kvl/statistics/statis/discrete.h"
#include "kvl/statistics/statis/gammabeta.h"
#include "kvl/statistics/statis/internal/numeric_kernels.h"
#include "kvl/statistics/statis/internal/wilcoxon_table.h"
#include "kvl/statistics/statis/normal.h"
#include "kvl/statistics/statis/ranks.h"

namespace kvl {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<double, 5> WilcoxonLevels{0.1, 0.05, 0.02, 0.01, 0.001};

bool HasNaN(std::span<const double> x) {
  return std::any_of(x.begin(), x.end(), [](double v) { return std::isnan(v); });
}

/// MedianOfSorted: Q2 of the sorted values s by the (n + 1)/2 rule of the
/// quartiles (a whole position reads one value, a position at or beyond n
/// the largest); s holds at least one value.
double MedianOfSorted(const std::vector<double>& s) {
  const auto n = static_cast<std::int64_t>(s.size());
  if (n < 2) return s[0];
  const long double pos = (n + 1) * 0.5L;
  const auto k = static_cast<std::int64_t>(pos);
  if (k >= n) return s[static_cast<std::size_t>(n - 1)];
  const long double lo = s[static_cast<std::size_t>(k - 1)];
  const long double f = pos - static_cast<long double>(k);
  if (f == 0) return static_cast<double>(lo);
  return static_cast<double>(lo + (s[static_cast<std::size_t>(k)] - lo) * f);
}

/// UPValue: the p-value of U (the U of the first of two samples of sizes n1,
/// n2) whose pooled ranks have the tie term Ties; see PerformMannWhitneyUTest.
double UPValue(double U, std::int64_t n1, std::int64_t n2, double Ties, bool OneSided) {
  const long double prod = static_cast<long double>(n1) * static_cast<long double>(n2);
  const long double mu = prod / 2;
  long double tail;  // the tail in the direction of U
  if (Ties == 0 && prod <= UExactMaxProduct && std::min(n1, n2) * prod <= UExactMaxWork) {
    // P(U' <= min(U, n1 n2 - U)), by the symmetry of the U distribution.
    const long double low = std::min<long double>(U, prod - U);
    tail = UDistriIntegral(static_cast<std::int32_t>(n1), static_cast<std::int32_t>(n2),
                           static_cast<std::int32_t>(low));
  } else {
    const long double n = static_cast<long double>(n1 + n2);
    const long double var = prod / 12.0L * ((n + 1) - Ties / (n * (n - 1)));
    if (!(var > 0)) return 1.0;
    const long double z = (std::fabs(U - mu) - 0.5L) / std::sqrt(var);
    tail = statis_internal::NormalTails(z).Upper;
  }
  const long double p = OneSided ? tail : 2 * tail;
  return static_cast<double>(std::min<long double>(p, 1.0L));
}

/// MannWhitney: U of A against B and its p-value from the pooled values.
double MannWhitney(std::span<const double> A, std::span<const double> B, bool OneSided, double& U) {
  U = 0;
  if (A.empty() || B.empty()) return -1;
  if (HasNaN(A) || HasNaN(B)) {
    U = NaN;
    return NaN;
  }
  std::vector<double> pooled(A.begin(), A.end());
  pooled.insert(pooled.end(), B.begin(), B.end());
  std::vector<double> ranks(pooled.size());
  const double ties = RankWithTies(pooled, ranks);
  long double r1 = 0;
  for (std::size_t i = 0; i < A.size(); ++i) r1 += ranks[i];
  const auto n1 = static_cast<std::int64_t>(A.size()), n2 = static_cast<std::int64_t>(B.size());
  U = static_cast<double>(r1 - static_cast<long double>(n1) * static_cast<long double>(n1 + 1) / 2);
  return UPValue(U, n1, n2, ties, OneSided);
}

/// FitParabola: least-squares a, b, c of y = a + b x + c x^2 through the
/// points (x[i], y[i]); x is centred on its mean xm for conditioning and
/// the result evaluated at t.
double EvalParabolaFit(std::span<const double> x, std::span<const double> y, double t) {
  const std::size_t n = x.size();
  long double xm = 0;
  for (const double v : x) xm += v;
  xm /= static_cast<long double>(n);
  // Normal equations M [a b c]' = r in the centred variable u = x - xm.
  long double m[3][4] = {};
  for (std::size_t i = 0; i < n; ++i) {
    const long double u = x[i] - xm;
    const long double pw[3] = {1, u, u * u};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) m[r][c] += pw[r] * pw[c];
      m[r][3] += pw[r] * y[i];
    }
  }
  for (int c = 0; c < 3; ++c) {  // Gaussian elimination with partial pivoting
    int piv = c;
    for (int r = c + 1; r < 3; ++r)
      if (std::fabs(m[r][c]) > std::fabs(m[piv][c])) piv = r;
    for (int k = 0; k < 4; ++k) std::swap(m[c][k], m[piv][k]);
    for (int r = c + 1; r < 3; ++r) {
      const long double f = m[r][c] / m[c][c];
      for (int k = c; k < 4; ++k) m[r][k] -= f * m[c][k];
    }
  }
  long double coef[3];
  for (int r = 2; r >= 0; --r) {
    long double s = m[r][3];
    for (int k = r + 1; k < 3; ++k) s -= m[r][k] * coef[k];
    coef[r] = s / m[r][r];
  }
  const long double u = t - xm;
  return static_cast<double>(coef[0] + coef[1] * u + coef[2] * u * u);
}

}  // namespace

double BinomSignTest(const TBoolArray& Signs, double p) {
  if (Signs.size() < 3) return -1;
  if (!(p >= 0 && p <= 1)) return -2;
  const auto n = static_cast<std::int32_t>(Signs.size());
  const auto k = static_cast<std::int32_t>(std::count(Signs.begin(), Signs.end(), true));
  const double pk = std::pow(p, k), qk = std::pow(1 - p, n - k);
  if (pk == 0 || !(qk > 0)) return -3;
  return std::exp(std::log(pk) + LnBinomCoeff(n, k) + std::log(qk));
}

std::int32_t MedianTest(std::span<const double> A, std::span<const double> B, double& Chi2, double& pChi2,
                        double& Chi2Yates, double& pYates, double& pFisher) {
  Chi2 = pChi2 = Chi2Yates = pYates = 0;
  pFisher = -1;
  if (A.empty() || B.empty()) return -1;
  if (HasNaN(A) || HasNaN(B)) return -3;
  std::vector<double> all(A.begin(), A.end());
  all.insert(all.end(), B.begin(), B.end());
  std::sort(all.begin(), all.end());
  const double median = MedianOfSorted(all);
  // T[sample][side] with margins; side 0: above the median, side 1: not above.
  TInt2DArray t(3, TIntArray(3, 0));
  const auto count = [&](std::span<const double> x, std::size_t s) {
    for (const double v : x) ++t[s][v > median ? 0 : 1];
  };
  count(A, 0);
  count(B, 1);
  for (std::size_t i = 0; i < 2; ++i) {
    t[i][2] = t[i][0] + t[i][1];
    t[2][i] = t[0][i] + t[1][i];
  }
  t[2][2] = t[2][0] + t[2][1];
  Chi2OfContTab(t, Chi2, pChi2);
  if (Chi2OfContTabYates(t, Chi2Yates, pYates) != 0) {
    Chi2Yates = pYates = 0;
    return -2;
  }
  const TInt2DArray bare{{t[0][0], t[0][1]}, {t[1][0], t[1][1]}};
  double pLow = 0, pHigh = 0, pTwo = 0;
  if (FisherExactTest(bare, pLow, pHigh, pTwo) == 0) pFisher = pTwo;
  return 0;
}

std::int32_t PerformChi2DistComp(const TIntArray& Obs1, const TIntArray& Obs2, double& Chi2, double& p,
                                 std::int32_t& df, std::int32_t& N1, std::int32_t& N2) {
  Chi2 = p = 0;
  df = N1 = N2 = 0;
  if (Obs1.size() != Obs2.size()) return -1;
  if (Obs1.empty()) return -2;
  std::int64_t n1 = 0, n2 = 0;
  for (std::size_t i = 0; i < Obs1.size(); ++i) {
    if (Obs1[i] < 0 || Obs2[i] < 0) return -4;
    n1 += Obs1[i];
    n2 += Obs2[i];
  }
  if (n1 == 0 || n2 == 0) return -3;
  N1 = static_cast<std::int32_t>(std::min<std::int64_t>(n1, INT32_MAX));
  N2 = static_cast<std::int32_t>(std::min<std::int64_t>(n2, INT32_MAX));
  const long double f1 = std::sqrt(static_cast<long double>(n2) / n1);
  const long double f2 = std::sqrt(static_cast<long double>(n1) / n2);
  long double chi2 = 0, a1 = 0, a2 = 0;
  std::int32_t d = -1;
  const auto close = [&] {
    const long double e = a1 * f1 - a2 * f2;
    chi2 += e * e / a2;
    ++d;
    a1 = a2 = 0;
  };
  const std::size_t last = Obs1.size() - 1;
  for (std::size_t i = 0; i <= last; ++i) {
    a1 += Obs1[i];
    a2 += Obs2[i];
    if (a2 > 5 && i != last && Obs2[i + 1] != 0) close();
  }
  if (a1 + a2 > 0) close();
  Chi2 = static_cast<double>(chi2);
  df = d;
  p = 1.0 - chi2DistriIntegral(Chi2, df);
  return 0;
}

std::int32_t WilcoxonSRQuantile(std::int32_t n, double Alpha, bool TwoSided) {
  if (!(n >= 8 && n <= 1000000 && Alpha >= 0.000499999 && Alpha <= 0.20000001)) return -1;
  if (n <= statis_internal::WilcoxonTableLastN) {
    const auto& row = statis_internal::WilcoxonTable[static_cast<std::size_t>(n - 8)];
    const std::size_t points = n == 8 ? 3 : (n <= 10 ? 4 : 5);
    std::array<double, 5> x{}, y{};
    for (std::size_t j = 0; j < points; ++j) {
      x[j] = std::log(WilcoxonLevels[j]);
      y[j] = row[j];
    }
    const double at = TwoSided ? std::log(Alpha) : std::log(2 * Alpha);
    const double t = EvalParabolaFit(std::span(x).first(points), std::span(y).first(points), at);
    const std::int64_t r = Round(t);
    return r < 0 ? 0 : static_cast<std::int32_t>(r);
  }
  const double z = nDistriQuantile(TwoSided ? Alpha / 2 : Alpha);
  const long double nn = n;
  const long double t = nn * (nn + 1) / 4 + z * std::sqrt(nn * (nn + 1) * (2 * nn + 1) / 24);
  const std::int64_t r = Round(t);
  return r < 0 ? 0 : static_cast<std::int32_t>(r);
}

std::int32_t WilcoxonSignedRankTest(std::span<const double> A, std::span<const double> B, double Alpha,
                                    bool OneSided, double& Median, double& WPlus, double& TLow, double& THigh) {
  Median = WPlus = TLow = THigh = 0;
  if (A.size() < 8 || B.size() < 8) return -1;
  if (A.size() != B.size()) return -2;
  if (!(Alpha > 0 && Alpha < 1)) return -3;
  if (HasNaN(A) || HasNaN(B)) return -4;
  std::vector<double> diff, absDiff;
  for (std::size_t i = 0; i < A.size(); ++i)
    if (A[i] != B[i]) {
      diff.push_back(A[i] - B[i]);
      absDiff.push_back(std::fabs(A[i] - B[i]));
    }
  const std::size_t m = diff.size();
  std::vector<double> ranks(m);
  RankWithTies(absDiff, ranks);
  long double wPlus = 0;
  for (std::size_t i = 0; i < m; ++i)
    if (diff[i] > 0) wPlus += ranks[i];
  WPlus = static_cast<double>(wPlus);
  if (m > 0) {
    std::sort(diff.begin(), diff.end());
    Median = MedianOfSorted(diff);
  }
  const std::int32_t t = WilcoxonSRQuantile(static_cast<std::int32_t>(std::min<std::size_t>(m, INT32_MAX)), Alpha,
                                            !OneSided);
  if (t < 0) {
    TLow = THigh = -1;
  } else {
    TLow = t;
    THigh = static_cast<double>(m) * static_cast<double>(m + 1) / 2 - t;
  }
  return 0;
}

double PerformMannWhitneyUTest(std::span<const double> A, std::span<const double> B, bool OneSided, double& U) {
  return MannWhitney(A, B, OneSided, U);
}

double PerformMannWhitneyUTest(const TVector& A, const TVector& B, bool OneSided, double& U) {
  return MannWhitney(A.Data(), B.Data(), OneSided, U);
}

double PerformSiegelTukeyTest(std::span<const double> A, std::span<const double> B, double& U) {
  U = 0;
  if (A.empty() || B.empty()) return -1;
  if (HasNaN(A) || HasNaN(B)) {
    U = NaN;
    return NaN;
  }
  const std::size_t n = A.size() + B.size();
  std::vector<std::size_t> order(n);
  const auto value = [&](std::size_t i) { return i < A.size() ? A[i] : B[i - A.size()]; };
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) { return value(i) < value(j); });
  // Ranks from the ends: 1 low; 2, 3 high; 4, 5 low; 6, 7 high; ...
  std::vector<double> st(n);
  std::size_t lo = 0, hi = n;
  for (std::size_t r = 1; r <= n; ++r) {
    const bool low = (r % 4 == 0 || r % 4 == 1);
    st[low ? lo++ : --hi] = static_cast<double>(r);
  }
  // Equal values share the mean of their ranks.
  std::vector<double> rank(n);
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    while (j < n && value(order[j]) == value(order[i])) ++j;
    long double s = 0;
    for (std::size_t k = i; k < j; ++k) s += st[k];
    const double mean = static_cast<double>(s / static_cast<long double>(j - i));
    for (std::size_t k = i; k < j; ++k) rank[order[k]] = mean;
    i = j;
  }
  return MannWhitney(std::span(rank).first(A.size()), std::span(rank).subspan(A.size()), false, U);
}

}  // namespace kvl
