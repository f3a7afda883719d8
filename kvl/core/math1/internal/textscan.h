#pragma once
// Scanning primitives shared by the number and date scanners of the number
// text topic (internal). Indices here are 0-based; the public functions
// translate from and to the library's 1-based positions.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "kvl/base/KVL_stringl.h"

namespace kvl::numtext_internal {

/// ScanView: the part of Text that 1-based Int32 positions can address.
inline std::string_view ScanView(std::string_view Text) noexcept {
  constexpr std::size_t kMax = std::numeric_limits<std::int32_t>::max() - 1;
  return Text.substr(0, std::min(Text.size(), kMax));
}

/// ScanStart: the 0-based index for the 1-based Pos (below 1 counts as 1);
/// false when it lies at or beyond the end of Text.
inline bool ScanStart(std::string_view Text, std::int32_t Pos, std::size_t& Ix) noexcept {
  Ix = Pos < 1 ? 0 : static_cast<std::size_t>(Pos) - 1;
  return Ix < Text.size();
}

/// ScanEndPos: the 1-based position of the 0-based index Ix.
inline std::int32_t ScanEndPos(std::size_t Ix) noexcept { return static_cast<std::int32_t>(Ix + 1); }

/// SkipWhite: Ix moved past white space.
inline std::size_t SkipWhite(std::string_view Text, std::size_t Ix) noexcept {
  while (Ix < Text.size() && IsWhiteChar(static_cast<unsigned char>(Text[Ix]))) ++Ix;
  return Ix;
}

/// OnlyWhiteFrom: true when Text holds nothing but white space from Ix on.
inline bool OnlyWhiteFrom(std::string_view Text, std::size_t Ix) noexcept { return SkipWhite(Text, Ix) == Text.size(); }

/// DigitValue: the value of c as a digit of Base (up to 16), or -1.
constexpr int DigitValue(char c, int Base) noexcept {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < Base ? v : -1;
}

/// TDigitRun: a run of digits read from a text.
struct TDigitRun {
  std::uint64_t Value = 0;  ///< the value, UINT64_MAX when Overflow
  std::size_t End = 0;      ///< index after the last digit read
  std::size_t Count = 0;    ///< number of digits read
  bool Overflow = false;    ///< the value exceeded 64 bits
};

/// ReadDigits: the digits of Base from Ix on, at most MaxDigits of them.
inline TDigitRun ReadDigits(std::string_view Text, std::size_t Ix, int Base,
                            std::size_t MaxDigits = std::numeric_limits<std::size_t>::max()) noexcept {
  TDigitRun run;
  run.End = Ix;
  const auto base = static_cast<std::uint64_t>(Base);
  while (run.End < Text.size() && run.Count < MaxDigits) {
    const int d = DigitValue(Text[run.End], Base);
    if (d < 0) break;
    const auto digit = static_cast<std::uint64_t>(d);
    if (!run.Overflow && run.Value > (std::numeric_limits<std::uint64_t>::max() - digit) / base) run.Overflow = true;
    run.Value = run.Overflow ? std::numeric_limits<std::uint64_t>::max() : run.Value * base + digit;
    ++run.End;
    ++run.Count;
  }
  return run;
}

/// StartsWithFolded: true when Text holds Word at Ix, ASCII letters in
/// either case.
inline bool StartsWithFolded(std::string_view Text, std::size_t Ix, std::string_view Word) noexcept {
  if (Ix > Text.size() || Text.size() - Ix < Word.size()) return false;
  return EqualStrings(Text.substr(Ix, Word.size()), Word, false);
}

/// TFloatRun: a floating-point number read by ScanFloat.
struct TFloatRun {
  double Value = 0.0;     ///< the value, correctly rounded; saturated on overflow
  std::size_t End = 0;    ///< index after the number
  bool Ok = false;        ///< a number stood there
  bool Overflow = false;  ///< its magnitude exceeded MaxDouble
  bool HasSep = false;    ///< it was written with a decimal separator
};

/// ScanFloat: the number of ScanFPNum's syntax at Ix (white space in front
/// skipped); a sign only when AllowSign, an exponent only when AllowExp.
/// SepMode is the TDecPSep ordinal (0 point, 1 comma, 2 either).
TFloatRun ScanFloat(std::string_view Text, std::size_t Ix, bool AllowSign, bool AllowExp, int SepMode);

}  // namespace kvl::numtext_internal
