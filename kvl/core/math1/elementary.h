#pragma once
// Elementary functions, angles and rounding helpers.
//
// lg, ld, sinh, cosh, tgh, tg and cot are evaluated in extended precision
// and returned as Double. kvl::sinh and kvl::cosh are this library's own
// functions; inside namespace kvl they hide the C library's ones.

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// lg: the base-10 logarithm ln x / ln 10; raises EMathError "logarithm:
/// invalid argument" for x <= 0.
double lg(double x);
/// ld: the base-2 logarithm ln x / ln 2; raises EMathError "logarithm:
/// invalid argument" for x <= 0.
double ld(double x);
/// sinh: (e - 1/e) / 2 with e = exp(x) rounded to Double.
double sinh(double x) noexcept;
/// cosh: (e + 1/e) / 2 with e = exp(x) rounded to Double.
double cosh(double x) noexcept;
/// tgh: the hyperbolic tangent 1 - 2 / (exp(2x) + 1).
double tgh(double x) noexcept;
/// tg: the tangent sin x / cos x; raises EMathError "tangens overflow" when
/// cos x is exactly 0.
double tg(double x);
/// cot: the cotangent cos x / sin x; raises EMathError "cotangens overflow"
/// when sin x is exactly 0.
double cot(double x);

/// modr: Frac(A / B) * B, the remainder of a real division with the sign of
/// the quotient.
double modr(double A, double B) noexcept;

/// CanonicalAngleDegrees: a brought into [-180, 180] by whole turns.
double CanonicalAngleDegrees(double a) noexcept;
/// CanonicalAngleRadians: a brought into [-pi, pi] by whole turns.
double CanonicalAngleRadians(double a) noexcept;
/// AngleToXAxis: the counter-clockwise angle of the vector (X, Y) against the
/// positive x axis, in [0, 2 pi); 3 pi / 2 for the zero vector.
double AngleToXAxis(double X, double Y) noexcept;

/// Round125: x rounded to the nearest value of the series +-{1, 2, 5} 10^k
/// (mantissa limits 1.5, 3 and 8); 0 stays 0.
double Round125(double x) noexcept;
/// RoundPos125: the smallest value of the 1-2-5 series not below x.
double RoundPos125(double x) noexcept;
/// RoundNeg125: the largest value of the 1-2-5 series not above x.
double RoundNeg125(double x) noexcept;

/// RoundLimit: X rounded to the nearest integer (halves to even) and
/// confined to [Lo, Hi]; raises EInvalidOp for NaN.
std::int64_t RoundLimit(double X, std::int64_t Lo, std::int64_t Hi);
/// IntPos: the smallest integer not below X (the nearest integer, plus 1
/// when that lies below X), saturated to the Integer range; raises
/// EInvalidOp for NaN.
std::int32_t IntPos(double X);
/// Signum: 1 for X >= 0, -1 otherwise.
constexpr std::int32_t Signum(double X) noexcept { return X >= 0.0 ? 1 : -1; }

/// RoundDegrees: snaps the angle Deg degrees Min minutes Sec seconds to the
/// steps 1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360 of its largest
/// non-zero unit (down, or up when Up is true; 60 minutes or seconds carry
/// into the next unit). Negative input sets all three to 0; Min and Sec are
/// first clipped to 59.
void RoundDegrees(std::int32_t& Deg, std::int32_t& Min, std::int32_t& Sec, bool Up) noexcept;

}  // namespace kvl

KVL_API_END
