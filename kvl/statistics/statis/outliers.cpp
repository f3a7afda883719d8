#include "kvl/statistics/statis/outliers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "kvl/core/KVL_frame.h"
#include "kvl/statistics/statis/continuous.h"
#include "kvl/statistics/statis/internal/dean_dixon_values.h"

namespace kvl {

namespace {

constexpr std::int32_t kDixonMaxN = 100;
constexpr std::int32_t kGrubbsMinN = 4;

// Num / Den, or 0 when the denominator is 0.
double Ratio(double Num, double Den) { return Den == 0.0 ? 0.0 : Num / Den; }

bool HasNaN(std::span<const double> Data) {
  return std::any_of(Data.begin(), Data.end(), [](double v) { return std::isnan(v); });
}

// Grubbs' test with either rule for equal maxima, position base and
// comparison with the critical value.
std::int32_t Grubbs(std::span<const double> Data, double Alpha, double& G, std::int32_t& Index,
                    bool VectorForm) {
  G = 0.0;
  Index = -1;
  std::int32_t status = 0;
  if (!(Alpha > 0.0 && Alpha < 1.0)) status = -1;
  if (Data.size() < kGrubbsMinN) status = -2;
  if (status != 0) return status;
  const auto n = static_cast<std::int32_t>(Data.size());
  long double sum = 0.0L;
  for (double v : Data) sum += v;
  const long double mean = sum / n;
  long double ss = 0.0L;
  for (double v : Data) ss += (v - mean) * (v - mean);
  const double s = static_cast<double>(std::sqrt(ss / (n - 1)));
  if (!(s > 0.0)) return 0;  // no spread, or a NaN in the data
  double gMax = -1.0;
  std::size_t at = 0;
  for (std::size_t i = 0; i < Data.size(); ++i) {
    const double g = static_cast<double>(std::fabs(Data[i] - mean)) / s;
    if (VectorForm ? g > gMax : g >= gMax) {
      gMax = g;
      at = i;
    }
  }
  G = gMax;
  const double critical = GrubbsCriticalValues(n, Alpha, true);
  if (VectorForm ? G > critical : G >= critical) Index = static_cast<std::int32_t>(at) + (VectorForm ? 1 : 0);
  return 0;
}

}  // namespace

double DeanDixonCriticalValues(std::int32_t n, TSignifLevelEx SigLevel) {
  const auto level = static_cast<std::size_t>(SigLevel);
  if (n < statis_internal::DeanDixonFirstN || n > kDixonMaxN || level >= NUMERICSIGLEVEL.size()) return -1.0;
  return statis_internal::DeanDixonTable[static_cast<std::size_t>(n - statis_internal::DeanDixonFirstN)][level];
}

std::int32_t DeanDixonTest(std::span<const double> Data, TSignifLevelEx SigLevel, double& Q) {
  Q = 0.0;
  if (Data.size() < 3) RaiseFunc<EKVLStatisError>("DeanDixonTest", "number of data points is too low");
  if (Data.size() > kDixonMaxN) RaiseFunc<EKVLStatisError>("DeanDixonTest", "number of data points is too high");
  if (HasNaN(Data)) return -1;
  std::vector<double> s(Data.begin(), Data.end());
  std::sort(s.begin(), s.end());
  const std::size_t n = s.size(), last = n - 1;
  double low = 0.0, high = 0.0;
  if (n <= 7) {
    low = Ratio(s[1] - s[0], s[last] - s[0]);
    high = Ratio(s[last] - s[last - 1], s[last] - s[0]);
  } else if (n <= 10) {
    low = Ratio(s[1] - s[0], s[last - 1] - s[0]);
    high = Ratio(s[last] - s[last - 1], s[last] - s[1]);
  } else if (n <= 13) {
    low = Ratio(s[2] - s[0], s[last - 1] - s[0]);
    high = Ratio(s[last] - s[last - 2], s[last] - s[1]);
  } else {
    low = Ratio(s[2] - s[0], s[last - 2] - s[0]);
    high = Ratio(s[last] - s[last - 2], s[last] - s[2]);
  }
  const bool lowSide = !(high > low);
  Q = lowSide ? low : high;
  const double candidate = lowSide ? s[0] : s[last];
  const double critical = DeanDixonCriticalValues(static_cast<std::int32_t>(n), SigLevel);
  if (critical < 0.0 || !(Q > critical)) return -1;
  return static_cast<std::int32_t>(std::find(Data.begin(), Data.end(), candidate) - Data.begin());
}

double GrubbsCriticalValues(std::int32_t n, double Alpha, bool TwoSided) {
  if (!(Alpha > 0.0 && Alpha < 1.0) || n <= 2) return -1.0;
  const double a = TwoSided ? Alpha / 2.0 : Alpha;
  const double t = tDistriQuantile(1.0 - a / n, n - 2);
  const double t2 = t * t;
  return (n - 1) / std::sqrt(static_cast<double>(n)) * std::sqrt(t2 / (n - 2 + t2));
}

std::int32_t GrubbsTest(std::span<const double> Data, double Alpha, double& G, std::int32_t& Index) {
  return Grubbs(Data, Alpha, G, Index, false);
}

std::int32_t detail::GrubbsTestFirstMax(std::span<const double> Data, double Alpha, double& G,
                                        std::int32_t& Index) {
  return Grubbs(Data, Alpha, G, Index, true);
}

}  // namespace kvl
