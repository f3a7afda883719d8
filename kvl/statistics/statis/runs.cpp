// Runs tests and the Durbin-Watson statistic.

#include "kvl/statistics/statis/runs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/statistics/statis/internal/durbin_watson_table.h"
#include "kvl/statistics/statis/normal.h"
#include "kvl/statistics/statis/robust.h"

namespace kvl {
namespace {

/// Choose: C(n, k) in 80-bit arithmetic, exact while it stays below 2^64;
/// 0 for k outside 0..n.
long double Choose(std::int64_t n, std::int64_t k) {
  if (k < 0 || k > n) return 0;
  k = std::min(k, n - k);
  long double r = 1;
  for (std::int64_t i = 1; i <= k; ++i) r = r * static_cast<long double>(n - k + i) / static_cast<long double>(i);
  return r;  // each partial product is C(n - k + i, i), an integer
}

/// RunsOf: the runs test of a sequence of n elements, Bit(i) its i-th.
template <class BitFn>
bool RunsOf(std::int64_t n, BitFn Bit, double& p) {
  if (n == 0) {
    p = 1;
    return false;
  }
  std::int64_t t = 0, runs = 1;
  bool prev = Bit(0);
  for (std::int64_t i = 0; i < n; ++i) {
    const bool b = Bit(i);
    if (b) ++t;
    if (i > 0 && b != prev) ++runs;
    prev = b;
  }
  const std::int64_t f = n - t;
  if (t <= 25 && f <= 25) {
    p = ExactRunsTest(static_cast<std::int32_t>(t), static_cast<std::int32_t>(f), static_cast<std::int32_t>(runs));
    return p < 0.05;
  }
  const long double tt = static_cast<long double>(t), ff = static_cast<long double>(f), nn = tt + ff;
  const long double s2 = 2 * tt * ff * (2 * tt * ff - tt - ff) / (nn * nn * (nn - 1));
  if (!(s2 > 0)) {
    p = 0;
    return true;
  }
  const long double z = (static_cast<long double>(runs) - 2 * tt * ff / nn - 1) / std::sqrt(s2);
  p = nDistriIntegral(static_cast<double>(z));
  if (z > 0) p = 1 - p;
  return p < 0.05;
}

bool RunsAbout(std::span<const double> x, double median, double& p) {
  return RunsOf(static_cast<std::int64_t>(x.size()), [&](std::int64_t i) { return x[static_cast<std::size_t>(i)] > median; },
                p);
}

bool HasNaN(std::span<const double> x) {
  return std::any_of(x.begin(), x.end(), [](double v) { return std::isnan(v); });
}

}  // namespace

double ExactRunsTest(std::int32_t NA, std::int32_t NB, std::int32_t R) {
  if (NA < 0 || NB < 0) return std::numeric_limits<double>::quiet_NaN();
  if (NA > NB) std::swap(NA, NB);
  if (R < 2) return 0;
  if (NA == 0) return 1;
  const std::int64_t a = NA, b = NB;
  long double sum = 0;
  for (std::int64_t k = 2; k <= R; ++k) {
    if (k % 2 == 0) {
      const std::int64_t h = k / 2;
      sum += 2 * Choose(a - 1, h - 1) * Choose(b - 1, h - 1);
    } else {
      const std::int64_t j = (k + 1) / 2;
      sum += Choose(a - 1, j - 1) * Choose(b - 1, j - 2) + Choose(a - 1, j - 2) * Choose(b - 1, j - 1);
    }
    if (k > 2 * a + 1) break;  // no more runs are possible
  }
  return static_cast<double>(std::min<long double>(sum / Choose(a + b, a), 1.0L));
}

bool RunsTest(const TBitFld& Bits, double& p) {
  return RunsOf(Bits.Size(), [&](std::int64_t i) { return Bits.GetBit(static_cast<std::int32_t>(i)); }, p);
}

bool RunsTest(const TBoolArray& Bits, double& p) {
  return RunsOf(static_cast<std::int64_t>(Bits.size()), [&](std::int64_t i) { return Bits[static_cast<std::size_t>(i)]; },
                p);
}

bool RunsTestSerial(std::span<const double> Data, double& p) {
  p = -1;
  if (HasNaN(Data)) return false;
  double median = 0;
  if (Data.empty() ||
      PercentileOfArray(Data, 50, 0, static_cast<std::int32_t>(Data.size()) - 1, median) != 0)
    return false;
  return RunsAbout(Data, median, p);
}

bool RunsTestSerial(const TVector& Data, double& p) {
  p = -1;
  if (HasNaN(Data.Data())) return false;
  double q1 = 0, q2 = 0, q3 = 0;
  Data.Quartiles(1, Data.NrOfElem(), q1, q2, q3);
  return RunsAbout(Data.Data(), q2, p);
}

double DurbinWatson(std::span<const double> Resid) {
  if (Resid.size() < 3) return 2.0;
  long double num = 0, den = static_cast<long double>(Resid[0]) * Resid[0];
  for (std::size_t i = 1; i < Resid.size(); ++i) {
    const long double d = static_cast<long double>(Resid[i]) - Resid[i - 1];
    num += d * d;
    den += static_cast<long double>(Resid[i]) * Resid[i];
  }
  if (den == 0) return 0;
  return static_cast<double>(num / den);
}

bool DurbinWatsonCrit5pct(std::int32_t n, std::int32_t k, double& dL, double& dU) {
  using namespace statis_internal;
  dL = dU = 0;
  if (!(n - k >= 5 && k >= 1 && k <= 20 && n >= 5 && n <= 2000)) return false;
  const auto kk = static_cast<std::size_t>(k - 1);
  if (n <= DWTableLastN) {
    if (n < DWTableFirstN) return false;
    dL = DWLower[static_cast<std::size_t>(n - DWTableFirstN)][kk];
    dU = DWUpper[static_cast<std::size_t>(n - DWTableFirstN)][kk];
    return true;
  }
  const double z0 = 2 + nDistriQuantile(0.05) * std::sqrt(4.0 / n);
  const auto poly = [](const std::array<double, 7>& c, double x) {
    long double s = 0;
    for (int i = 6; i >= 0; --i) s = s * x + c[static_cast<std::size_t>(i)];
    return static_cast<double>(s);
  };
  if (n <= 200) {
    dL = z0 + poly(DWLower150[kk], n - 150.0);
    dU = z0 + poly(DWUpper150[kk], n - 150.0);
  } else if (n <= 500) {
    dL = z0 + poly(DWLower350[kk], n - 350.0);
    dU = z0 + poly(DWUpper350[kk], n - 350.0);
  } else {
    dL = z0 + 1 / (DWLowerRecip[kk][0] + DWLowerRecip[kk][1] * n);
    dU = z0 + 1 / (DWUpperRecip[kk][0] + DWUpperRecip[kk][1] * n);
  }
  return true;
}

}  // namespace kvl
