#pragma once
// Savitzky-Golay smoothing and derivatives of a vector stretch: the centre
// value, slope and curvature of a least-squares polynomial over a window of
// 5 to 25 points.
//
//   PolynomialSmooth(&signal, 1, signal.NrOfElem(), &smooth, 11);
//   FirstDeriv(&signal, 1, signal.NrOfElem(), &slope, 11);    // per sample step
//
// The frame is that of the moving smoothers (moving_filters.h): element
// i - first + 1 of DestVec, edges repeat their nearest computed value, one
// OnChange, EKVLMath2Error for bad arguments before anything is written.

#include <array>
#include <cstdint>

#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TGolayTable: eleven rows (half-widths m = 2..12, row m - 2) of fourteen
/// entries: the divisor N, the weight of the centre point, the weight of
/// the points at offset +-k for k = 1..m, zeros after.
using TGolayTable = std::array<std::array<std::int32_t, 14>, 11>;

/// GolayPoly: the smoothing weights of a quadratic (or cubic) fit,
/// proportional to 3m^2 + 3m - 1 - 5k^2 and summing to N over -m..m.
inline constexpr TGolayTable GolayPoly = {{
    {35, 17, 12, -3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {21, 7, 6, 3, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {231, 59, 54, 39, 14, -21, 0, 0, 0, 0, 0, 0, 0, 0},
    {429, 89, 84, 69, 44, 9, -36, 0, 0, 0, 0, 0, 0, 0},
    {143, 25, 24, 21, 16, 9, 0, -11, 0, 0, 0, 0, 0, 0},
    {1105, 167, 162, 147, 122, 87, 42, -13, -78, 0, 0, 0, 0, 0},
    {323, 43, 42, 39, 34, 27, 18, 7, -6, -21, 0, 0, 0, 0},
    {2261, 269, 264, 249, 224, 189, 144, 89, 24, -51, -136, 0, 0, 0},
    {3059, 329, 324, 309, 284, 249, 204, 149, 84, 9, -76, -171, 0, 0},
    {805, 79, 78, 75, 70, 63, 54, 43, 30, 15, -2, -21, -42, 0},
    {5175, 467, 462, 447, 422, 387, 342, 287, 222, 147, 62, -33, -138, -253},
}};

/// Golay2ndDeriv: the second-derivative weights, proportional to
/// 3k^2 - m(m + 1), with N = sum over k = 1..m of w_k k^2 (x^2 gives 2).
inline constexpr TGolayTable Golay2ndDeriv = {{
    {7, -2, -1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {42, -4, -3, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {462, -20, -17, -8, 7, 28, 0, 0, 0, 0, 0, 0, 0, 0},
    {429, -10, -9, -6, -1, 6, 15, 0, 0, 0, 0, 0, 0, 0},
    {1001, -14, -13, -10, -5, 2, 11, 22, 0, 0, 0, 0, 0, 0},
    {6188, -56, -53, -44, -29, -8, 19, 52, 91, 0, 0, 0, 0, 0},
    {3876, -24, -23, -20, -15, -8, 1, 12, 25, 40, 0, 0, 0, 0},
    {6783, -30, -29, -26, -21, -14, -5, 6, 19, 34, 51, 0, 0, 0},
    {33649, -110, -107, -98, -83, -62, -35, -2, 37, 82, 133, 190, 0, 0},
    {17710, -44, -43, -40, -35, -28, -19, -8, 5, 20, 37, 56, 77, 0},
    {26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92},
}};

/// PolynomialSmooth: (w0 x[i] + sum w_k (x[i + k] + x[i - k])) / N with the
/// GolayPoly row of m = L div 2, for a window length L odd in 5..25 and at
/// most last - first.
void PolynomialSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                      std::int32_t length);

/// SecondDeriv: the same with Golay2ndDeriv: the second derivative per
/// squared sample step.
void SecondDeriv(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                 std::int32_t length);

/// FirstDeriv: sum over k = -m..m of k x[i + k], divided by m(m + 1)(2m + 1)/3:
/// the slope per sample step of the least-squares line (or parabola).
void FirstDeriv(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                std::int32_t length);

}  // namespace kvl

KVL_API_END
