// Pearson's correlation and its test.

#include "kvl/statistics/statis/correlation.h"

#include <cmath>

#include "kvl/statistics/statis/continuous.h"

namespace kvl {

std::int32_t PearsonCorrCoeff(std::span<const double> X, std::span<const double> Y, double& r) {
  r = 0;
  if (X.size() != Y.size()) return -2;
  if (X.size() < 3) return -1;
  const auto n = static_cast<long double>(X.size());
  long double sx = 0, sy = 0;
  for (std::size_t i = 0; i < X.size(); ++i) {
    sx += X[i];
    sy += Y[i];
  }
  const long double mx = sx / n, my = sy / n;
  long double sxx = 0, syy = 0, sxy = 0, cx = 0, cy = 0, rawx = 0, rawy = 0;
  for (std::size_t i = 0; i < X.size(); ++i) {
    const long double dx = X[i] - mx, dy = Y[i] - my;
    cx += dx;
    cy += dy;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
    rawx += static_cast<long double>(X[i]) * X[i];
    rawy += static_cast<long double>(Y[i]) * Y[i];
  }
  // Deviations from the rounded means: remove their mean (exact identity).
  sxx -= cx * cx / n;
  syy -= cy * cy / n;
  sxy -= cx * cy / n;
  if (std::isnan(static_cast<double>(sxx + syy + sxy))) {
    r = std::nan("");
    return 0;
  }
  if (rawx > 0 && rawy > 0 && sxx != 0 && syy > 0) r = static_cast<double>(sxy / std::sqrt(std::fabs(sxx * syy)));
  return 0;
}

std::int32_t CorrTest(std::span<const double> X, std::span<const double> Y, double Rho0, double& r, double& p) {
  r = p = 0;
  std::int32_t code = PearsonCorrCoeff(X, Y, r);
  if (!(Rho0 >= -1 && Rho0 <= 1)) code = -3;
  if (code != 0) return code;
  const auto df = static_cast<std::int32_t>(X.size()) - 2;
  if (r * r >= 1 && r != Rho0) {
    p = 0;
    return 0;
  }
  const double t = r == Rho0 ? 0.0 : std::sqrt(static_cast<double>(df)) * (r - Rho0) / std::sqrt((1 - r * r) * (1 - Rho0 * Rho0));
  p = 1.0 - tDistriIntegral(std::fabs(t), df);
  return 0;
}

}  // namespace kvl
