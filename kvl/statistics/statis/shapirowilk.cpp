#include "kvl/statistics/statis/shapirowilk.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "kvl/core/KVL_math1.h"
#include "kvl/statistics/statis/internal/numeric_kernels.h"

namespace kvl {

namespace {

// Royston's coefficients: gamma for n <= 11; mean and log standard deviation
// of the transformed statistic in n (n <= 11) and ln n (n >= 12).
constexpr double kGamma[2] = {-2.273, 0.459};
constexpr double kMeanSmall[4] = {0.544, -0.39978, 0.025054, -6.714e-4};
constexpr double kLnSdSmall[4] = {1.3822, -0.77857, 0.062767, -0.0020322};
constexpr double kMeanLarge[4] = {-1.5861, -0.31082, -0.083751, 0.0038915};
constexpr double kLnSdLarge[3] = {-0.4803, -0.082676, 0.0030302};

// Censoring: normal deviates of the 90, 95 and 99 % points, their mean and
// sum of squares, and the fitted shifts of those points.
constexpr double kZ90 = 1.2816, kZ95 = 1.6449, kZ99 = 2.3263;
constexpr double kZMean = 1.7509, kZSumSq = 0.56268;
constexpr double kBF1 = 0.8378, kXX90 = 0.556, kXX95 = 0.622;
constexpr double kC7[2] = {0.164, 0.533};
constexpr double kC8[2] = {0.1736, 0.315};
constexpr double kC9[2] = {0.256, -0.00635};

}  // namespace

double ShapiroWilkIntegral(double w, std::int32_t n, std::int32_t n1) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  if (n < 3 || n1 < 3 || n1 > n || std::isnan(w)) return kNaN;
  const std::int32_t ncens = n - n1;
  const double an = n;
  const double delta = ncens / an;
  if ((ncens > 0 && n < 20) || delta > 0.8) return kNaN;
  if (w >= 1.0) return 1.0;
  if (w <= 0.0) return 0.0;
  if (n == 3) {
    const double p = 6.0 / std::numbers::pi * (std::asin(std::sqrt(w)) - std::numbers::pi / 3.0);
    return p < 0.0 ? 0.0 : p;
  }
  double y = std::log1p(-w);
  const double xx = std::log(an);
  double m, s;
  if (n <= 11) {
    const double gamma = Polynomial(kGamma, 1, an);
    if (y >= gamma) return 0.0;
    y = -std::log(gamma - y);
    m = Polynomial(kMeanSmall, 3, an);
    s = std::exp(Polynomial(kLnSdSmall, 3, an));
  } else {
    m = Polynomial(kMeanLarge, 3, xx);
    s = std::exp(Polynomial(kLnSdLarge, 2, xx));
  }
  if (ncens > 0) {
    // Shifted 90, 95 and 99 % points; their regression on the normal
    // deviates gives a pseudo-mean and pseudo-deviation of z.
    const double ld = -std::log(delta);
    const double bf = 1.0 + xx * kBF1;
    const double z90f = kZ90 + bf * std::pow(Polynomial(kC7, 1, std::pow(kXX90, xx)), ld);
    const double z95f = kZ95 + bf * std::pow(Polynomial(kC8, 1, std::pow(kXX95, xx)), ld);
    const double z99f = kZ99 + bf * std::pow(Polynomial(kC9, 1, xx), ld);
    const double zfm = (z90f + z95f + z99f) / 3.0;
    const double zsd = (kZ90 * (z90f - zfm) + kZ95 * (z95f - zfm) + kZ99 * (z99f - zfm)) / kZSumSq;
    const double zbar = zfm - zsd * kZMean;
    m += zbar * s;
    s *= zsd;
  }
  return static_cast<double>(statis_internal::NormalTails((y - m) / s).Upper);
}

}  // namespace kvl
