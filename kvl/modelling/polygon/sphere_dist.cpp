// The great-circle distance on a sphere.

#include <cmath>

#include "kvl/modelling/polygon/polygons.h"

namespace kvl {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

/// SinCosDegrees: sine and cosine of an angle in degrees, reduced by whole
/// quarter turns first so that multiples of 90 degrees give exact 0 and +-1.
void SinCosDegrees(long double Deg, long double& S, long double& C) {
  if (!std::isfinite(Deg)) {
    S = C = std::nanl("");
    return;
  }
  const long double r = std::fmod(Deg, 360.0L);  // exact
  const long double q = std::nearbyint(r / 90.0L);
  const long double t = r - q * 90.0L;  // in [-45, 45], exact
  const long double s = std::sin(t * (kPi / 180.0L)), c = std::cos(t * (kPi / 180.0L));
  switch ((static_cast<int>(q) % 4 + 4) % 4) {
    case 0: S = s; C = c; break;
    case 1: S = c; C = -s; break;
    case 2: S = -s; C = -c; break;
    default: S = -c; C = s; break;
  }
}

}  // namespace

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) noexcept {
  long double s1, c1, s2, c2, sd, cd;
  SinCosDegrees(Lat1, s1, c1);
  SinCosDegrees(Lat2, s2, c2);
  SinCosDegrees(static_cast<long double>(Long1) - Long2, sd, cd);
  // The cosine of the central angle and its sine (the length of the cross
  // product of the two unit vectors); atan2 of both keeps full accuracy
  // where arccos of the cosine alone loses half the digits.
  const long double cosAngle = c1 * c2 * cd + s1 * s2;
  const long double sinAngle = std::hypot(c2 * sd, c1 * s2 - s1 * c2 * cd);
  return static_cast<double>(std::atan2(sinAngle, cosAngle) * Radius);
}

}  // namespace kvl
