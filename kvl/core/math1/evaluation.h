#pragma once
// Evaluation helpers: polynomials, interpolation in equidistant and XY
// tables, bilinear interpolation, histogram bins, the squashing function and
// the 1-2-5 axis scaling.

#include <cstdint>
#include <span>
#include <vector>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// Polynomial: Coeffs[0] + Coeffs[1] X + ... + Coeffs[Order] X^Order, the
/// powers accumulated term by term in extended precision. Raises
/// EKVLMath1Error "Polynomial: invalid order of polynomial" unless
/// 0 <= Order <= High(Coeffs).
double Polynomial(std::span<const double> Coeffs, std::int32_t Order, double X);

/// CenteredPolynomial: Polynomial of (X - Center); raises the same error as
/// Polynomial.
double CenteredPolynomial(std::span<const double> Coeffs, std::int32_t Order, double X, double Center);

/// InterpolTable: linear interpolation in a table of n >= 2 values standing
/// at equal steps from XFirst (Table[0]) to XLast (Table[n-1]); XFirst may
/// exceed XLast. Outside the range the two end values nearest to X are
/// extrapolated. Raises EKVLMath1Error "InterpolTable: pivot array must
/// contain at least 2 values" or "InterpolTable: specified range of pivot
/// array is zero".
double InterpolTable(double X, double XFirst, double XLast, std::span<const double> Table);
/// InterpolTable: the same for a table of Integer values.
double InterpolTable(double X, double XFirst, double XLast, std::span<const std::int32_t> Table);

/// InterpolXYTable: linear interpolation in Table[0] (monotone abscissae,
/// ascending or descending) against Table[1] (ordinates). At or beyond the
/// first or last pivot the result is the extrapolation through the two end
/// pivots on that side when Extrapolate is true, else 0. Uses as many pivots
/// as the shorter of the two columns. Raises EKVLMath1Error
/// "InterpolXYTable: pivot array must contain 2 columns" or
/// "InterpolXYTable: pivot array must contain at least 2 rows".
double InterpolXYTable(double X, std::span<const std::vector<double>> Table, bool Extrapolate);

/// InterpolZofXYRect: bilinear interpolation in a cell with corner values
/// Z1, Z2 (at Fx = 0) and Z3, Z4 (at Fx = 1), Z1/Z3 at Fy = 0 and Z2/Z4 at
/// Fy = 1.
double InterpolZofXYRect(double Z1, double Z2, double Z3, double Z4, double Fx, double Fy) noexcept;

/// HistoBinRef: the left edge floor((X - Offset) / Width) * Width + Offset
/// of the bin holding X; Dist receives X minus that edge.
double HistoBinRef(double X, double Offset, double Width, double& Dist) noexcept;

/// Squash: a logistic curve through 0 at Center running from -Range to
/// +Range, steepness set by Slope: (2 / (e^a + 1) - 1) Range with
/// a = -2 Slope / Range (X - Center); saturates at +-Range for |a| >= 200.
double Squash(double X, double Center, double Slope, double Range) noexcept;

/// CalcScalePars: tick marks in a 1-2-5 series for an axis from X1 to X2
/// with about NTicks intervals: the first tick at or beyond X1, the signed
/// tick Distance and the number of sub-intervals per tick (4 or 5). NTicks 0
/// gives unit steps; X1 = X2 gives Distance 0; a negative NTicks has no
/// logarithm and gives NaN ticks.
void CalcScalePars(std::int32_t NTicks, long double X1, long double X2, long double& FirstTick,
                   long double& Distance, std::uint16_t& NSubTicks) noexcept;

}  // namespace kvl

KVL_API_END
