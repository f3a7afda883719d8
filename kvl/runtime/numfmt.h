#pragma once
// The runtime's number-to-text field conversion, on which every formatting
// routine of the library rests.
//
// StrField(r, Width, Decimals):
//   Decimals >= 0  fixed notation with Decimals digits after the point,
//                  right-aligned in at least Width characters:
//                    StrField(3.14159, 8, 2)  -> "    3.14"
//   Decimals < 0   exponential notation: a sign position (blank or "-"), one
//                  digit, the point, n - 1 digits, "E", the exponent sign and
//                  four exponent digits, where n = Width - 8 clipped to 2..18
//                  significant digits; the field is then right-aligned in
//                  Width characters:
//                    StrField(1234.56, 12, -1) -> " 1.235E+0003"
// Digits are correctly rounded (ties to even on the exact binary value).
// NaN and infinities give "Nan", "+Inf" and "-Inf", right-aligned.

#include <string>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// StrField: r formatted in a field of at least Width characters (above).
std::string StrField(long double r, int Width, int Decimals);

/// AppendStrField: as StrField, appending to Out (no temporary string).
void AppendStrField(std::string& Out, long double r, int Width, int Decimals);

}  // namespace kvl

KVL_API_END
