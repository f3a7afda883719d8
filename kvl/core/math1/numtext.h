#pragma once
// Number text: numbers to text in the notations instruments and tables use,
// and text back to numbers.
//
//   strf(3.14159, 8, 2)            "    3.14"     fixed field
//   strf(1234.56, 10, -2)          " 1.235E+03"   exponent with two digits
//   EEngStr(4700, 3)               "4.70k"        SI prefix letter
//   EEngStr(4700, -3)              "4k70"         prefix in place of the point
//   MakeEFormat(1234.56, 12, 4)    "  0.1235E+04" normalised exponent
//   FPNumToHex(1.0)                "3FF0000000000000"
//   Hex(-1, 4)                     "FFFF"
//   Decimal(-42, 5)                "-00042"
//   DegreeToStr(12.5, TDegreeFormat::dfDegMin, 2)   "12° 30.00'"
//
// Texts are UTF-8; digits and letters are ASCII and the degree sign is
// U+00B0. Nothing here depends on the C locale: the decimal separator is
// the point unless a TDecPSep says otherwise.
//
// Scanning
// --------
// The Scan* functions read one number from Instring at the 1-based position
// Pos (the position of the first character, as everywhere in the library;
// a Pos below 1 counts as 1). White space (blank, tab, line feed, vertical
// tab, form feed, carriage return) in front of the number is skipped. On
// success Pos moves to the first character after the number (Length + 1 at
// the end of the text); text after the number is left for the caller. When
// no number of the expected syntax starts there (or Pos lies beyond the
// end) the result is 0 and Pos is left unchanged, so "Pos did not move"
// tells a failed scan. No scanner reads outside Instring or allocates
// memory in proportion to anything but the number's own length.
//
//   ScanDecimal   [+|-] digits 0-9
//   ScanHex       [$ | 0x | 0X] digits 0-9 A-F a-f
//   ScanOctal     [0o | 0O] digits 0-7
//   ScanBin       [0b | 0B] digits 0-1
// Hex, octal and binary numbers are unsigned bit patterns and take no sign.
// A prefix counts only when a digit follows it: "0x" alone scans as 0 and
// stops before the "x". Every digit of the run is consumed; a value beyond
// the Int64 range saturates at the nearest bound (INT64_MAX or INT64_MIN).
//
//   ScanFPNum     [+|-] digits [sep [digits]] [(e|E) [+|-] digits]
//                 or [+|-] sep digits [exponent]
// At least one mantissa digit is needed (".5" and "5." are numbers, "."
// is not). The exponent is read only when AllowExp is true and a digit
// follows the "e" (after its optional sign); otherwise the scan ends before
// the "e". No thousands separators, no "inf" or "nan". The value is rounded
// correctly to Double; a magnitude beyond Double saturates at +-MaxDouble,
// one below the smallest subnormal gives a zero of the number's sign.
//
// The IsValid* functions say whether a whole text, apart from white space
// in front and behind, is exactly one number of the corresponding scanner's
// syntax (and, for the integers and IsValidDouble, within range, so that
// the scanner does not saturate). The empty text is not valid.

#include <cstdint>
#include <string>
#include <string_view>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TDateTime: a point in time as days since 30 December 1899, 00:00, with
/// the time of day as the fraction (the host runtime's date-time type).
using TDateTime = double;

// --- number fields ---------------------------------------------------------------

/// strf: r right-aligned in at least Width characters with Decimals digits
/// after the point (StrField); a negative Decimals gives the exponential
/// form, except -2, which gives it with a two-digit exponent in Width
/// characters, or a row of asterisks when the exponent needs more digits.
std::string strf(double r, std::int32_t Width, std::int32_t Decimals);

/// EEngStr: r in engineering notation with an SI prefix letter (a f p n u m
/// k M G T for 10^-18 .. 10^12) and |Digits| significant digits (Digits
/// clipped to -9..9): 4700 gives "4.70k" for Digits 3 and "4k70" for -3
/// (the letter stands for the point). NaN and infinities give "Nan",
/// "+Inf" and "-Inf".
std::string EEngStr(double r, std::int32_t Digits);

/// MakeEFormat: r as [sign]0.ddddE+xx with Digits (2..15) significant digits
/// right-aligned in Width (8..40) characters; the exponent has two digits,
/// three where needed (beyond 1e98). NaN and infinities give "Nan", "+Inf",
/// "-Inf" right-aligned.
std::string MakeEFormat(double r, std::int32_t Width, std::int32_t Digits);

// --- floating-point bytes ----------------------------------------------------------

/// FPNumToHex: the 8 bytes of x, most significant first, as 16 upper-case
/// hex digits: 1.0 gives "3FF0000000000000".
std::string FPNumToHex(double x);
/// FPNumToHex: the 10 bytes of the extended x as 20 hex digits.
std::string FPNumToHex(long double x);
/// FPNumToHex: the 4 bytes of the single x as 8 hex digits.
std::string FPNumToHex(float x);

/// HexToDouble: the Double whose 8 bytes the 16 hex digits of s spell (either
/// case), the first pair the most significant byte when MSBFirst, else the
/// least. Raises EKVLError 'HexToDouble: invalid hex string "s"' for any
/// other text.
double HexToDouble(std::string_view s, bool MSBFirst = true);
/// HexToSingle: the same for a Single spelled by 8 hex digits; raises
/// EKVLError 'HexToSingle: invalid hex string "s"'.
float HexToSingle(std::string_view s, bool MSBFirst = true);
/// HexToExtended: the Extended spelled by 20 hex digits, most significant
/// byte first; raises EKVLError 'HexToExtended: invalid hex string "s"'.
long double HexToExtended(std::string_view s);

// --- integers as digit strings -------------------------------------------------------

/// Hex: the lowest Digits (0 counts as 1, at most 16) hex digits of x taken
/// as an unsigned 32-bit value, upper case, zero-padded: Hex(-1, 4) "FFFF".
std::string Hex(std::int32_t x, std::uint8_t Digits);
/// Octal: the lowest Digits (0 counts as 1, at most 11) octal digits of x
/// taken as an unsigned 32-bit value, zero-padded.
std::string Octal(std::int32_t x, std::uint8_t Digits);
/// Bin: the lowest Digits (0 counts as 1, at most 32) binary digits of x
/// taken as an unsigned 32-bit value, zero-padded: Bin(5, 8) "00000101".
std::string Bin(std::int32_t x, std::uint8_t Digits);
/// Decimal: the lowest Digits (0 counts as 1) decimal digits of |x|,
/// zero-padded, with "-" in front for negative x: Decimal(-42, 5) "-00042".
std::string Decimal(std::int32_t x, std::uint8_t Digits);

/// StrToIntDefault: the Integer that s spells, or Default when s is empty or
/// no Integer. Accepted: white space in front, an optional sign, then
/// decimal digits within -2147483648..2147483647, or "$", "0x" or "0X"
/// and at most 32 bits of hex digits taken as a 32-bit pattern ("$FFFFFFFF"
/// is -1); nothing may follow.
std::int32_t StrToIntDefault(std::string_view s, std::int32_t Default);

// --- angles --------------------------------------------------------------------------

/// DegreeToStr: Angle (degrees) as text in Format with Decimals (0..8)
/// decimals: dfDecDeg "12.50°", dfDegMin "12° 30.00'", dfDegMinSec
/// "12° 30'  0.00\"", dfNumber "12.50" (no unit signs); any other value
/// gives "". Values are rounded to Decimals decimals of the last unit,
/// halves to even; "-0" marks angles between -1 and 0 degrees.
std::string DegreeToStr(double Angle, TDegreeFormat Format, std::int32_t Decimals);

/// ConvertDegrees: converts the angle Deg, Min, Sec in place from InFormat to
/// OutFormat (dfDecDeg, dfDegMin, dfDegMinSec; other pairs leave it as it
/// is). Raises EKVLMath1Error "ConvertDegrees: invalid range of minutes"
/// (or "... of seconds") unless 0 <= Min, Sec <= 60; the sign lives in Deg.
void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat InFormat, TDegreeFormat OutFormat);

// --- scanners (syntax and positions above) -------------------------------------------

/// ScanDecimal: the signed decimal integer at Pos, saturated to Int64.
std::int64_t ScanDecimal(std::string_view Instring, std::int32_t& Pos);
/// ScanHex: the hexadecimal number at Pos ("$", "0x" prefix optional).
std::int64_t ScanHex(std::string_view Instring, std::int32_t& Pos);
/// ScanOctal: the octal number at Pos ("0o" prefix optional).
std::int64_t ScanOctal(std::string_view Instring, std::int32_t& Pos);
/// ScanBin: the binary number at Pos ("0b" prefix optional).
std::int64_t ScanBin(std::string_view Instring, std::int32_t& Pos);

/// ScanFPNum: the floating-point number at Pos. AllowExp admits an exponent
/// part; DecPSep is the decimal separator by the ordinal of TDecPSep: 0 the
/// point, 1 the comma, 2 either of them (other values count as 0).
double ScanFPNum(std::string_view Instring, bool AllowExp, std::int32_t DecPSep, std::int32_t& Pos);

/// ScanDegrees: the angle at Pos in the notations of DegreeToStr, as decimal
/// degrees; Format receives the notation found (TDegreeFormat ordinal 0..2,
/// 3 for a plain number) or -1 on failure. Syntax, blanks allowed between
/// the parts, the sign applying to the whole angle:
///   [+|-] D.d °   |   [+|-] D ° M.m '   |   [+|-] D ° M ' S.s "
/// Minutes follow only whole degrees and seconds only whole minutes; M and S
/// must lie in 0..60 or the scan fails. A plain number without "°" is
/// accepted (Format 3) unless DegSignRequired. The point is the separator.
double ScanDegrees(std::string_view Instring, std::int32_t& Pos, bool DegSignRequired, std::int32_t& Format);

/// ScanDateTime: the date and time at Pos that FormatStr describes, as a
/// TDateTime; 0 with Pos unchanged when the text does not match or the date
/// does not exist. FormatStr elements (letters in either case):
///   d dd        day 1..31, one or two digits
///   ddd dddd    day name, abbreviated or full (read and not checked)
///   m mm        month 1..12, one or two digits; minutes right after an
///               hour field or right before a seconds field
///   mmm mmmm    month name, abbreviated or full (either is accepted)
///   yy          year in two digits: 00..49 is 2000..2049, 50..99 1950..1999
///   yyyy        year 1..9999, one to four digits
///   h hh        hour 0..23 (1..12 with am/pm); n nn minute; s ss second
///   z zzz       fraction of the second, one to three digits ("5" is 0.5 s)
///   am/pm       "am" or "pm"
///   "..." '...' literal text; white space matches any white space (or none)
/// Any other character must stand in the text as it is (ASCII letters in
/// either case). Names are English or German by Language. A format with a
/// date element needs day, month and year; without one the result is the
/// time of day alone. Dates before 1899-12-30 have the time subtracted.
TDateTime ScanDateTime(std::string_view Instring, std::string_view FormatStr, TLanguage Language,
                       std::int32_t& Pos);

// --- validity checks (whole text, white space around allowed) --------------------------

/// IsValidDouble: true when Instring is one number of ScanFPNum's syntax
/// (exponent only when AllowExp) whose magnitude lies within Double's range.
bool IsValidDouble(std::string_view Instring, bool AllowExp, TDecPSep DecPSep);
/// IsValidFPNum: true when Instring is one number of ScanFPNum's syntax with
/// an optional exponent, whatever its magnitude.
bool IsValidFPNum(std::string_view Instring, TDecPSep DecPSep);
/// IsValidHex: true when Instring is one hexadecimal number of ScanHex.
bool IsValidHex(std::string_view Instring);
/// IsValidOct: true when Instring is one octal number of ScanOctal.
bool IsValidOct(std::string_view Instring);
/// IsValidBin: true when Instring is one binary number of ScanBin.
bool IsValidBin(std::string_view Instring);
/// IsValidDecInt: true when Instring is one decimal integer of ScanDecimal.
bool IsValidDecInt(std::string_view Instring);

}  // namespace kvl

KVL_API_END
