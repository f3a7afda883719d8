#pragma once

#include "kvl/runtime/export.h"

KVL_API_BEGIN
// KVL_kvlcolors: colour conversions of the base layer.
//
// The components R, G, B are intensities >= 0, usually the bytes 0 .. 255 of
// a pixel; gray value and intensity come out in the same scale.

namespace kvl {

/// RGBtoGray: the luma 0.299 R + 0.587 G + 0.114 B (ITU-R BT.601 weights,
/// summing to 1, so gray input keeps its value: 0 .. 255 for byte input).
double RGBtoGray(double R, double G, double B) noexcept;

/// RGBtoHSI: hue, saturation and intensity of a colour.
///   I = (R + G + B) / 3, in the scale of the input;
///   S = 1 - min(R, G, B) / I, in 0 .. 1 (0 for black);
///   H = the angle of the colour in degrees, 0 .. < 360: red 0, yellow 60,
///       green 120, cyan 180, blue 240, magenta 300; computed as
///       theta = arccos(((R - G) + (R - B)) / (2 sqrt((R - G)^2 + (R - B)(G - B)))),
///       H = theta when B <= G, else 360 - theta; 0 for grays (R = G = B).
void RGBtoHSI(double R, double G, double B, double& H, double& S, double& I) noexcept;

}  // namespace kvl

KVL_API_END
