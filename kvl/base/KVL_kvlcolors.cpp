#include "kvl/base/KVL_kvlcolors.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kvl {

double RGBtoGray(double R, double G, double B) noexcept { return 0.299 * R + 0.587 * G + 0.114 * B; }

void RGBtoHSI(double R, double G, double B, double& H, double& S, double& I) noexcept {
  I = (R + G + B) / 3.0;
  S = I > 0.0 ? 1.0 - std::min({R, G, B}) / I : 0.0;
  const double den = std::sqrt((R - G) * (R - G) + (R - B) * (G - B));
  if (den <= 0.0) {
    H = 0.0;
    return;
  }
  // Rounding can push the cosine a hair beyond +-1.
  const double cosTheta = std::clamp(0.5 * ((R - G) + (R - B)) / den, -1.0, 1.0);
  const double theta = std::acos(cosTheta) * (180.0 / std::numbers::pi);
  H = B <= G ? theta : 360.0 - theta;
  if (H >= 360.0) H = 0.0;
}

}  // namespace kvl
