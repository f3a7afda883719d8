// Text to numbers: the integer and floating-point scanners, the validity
// checks built on them, and StrToIntDefault.

#include <array>
#include <charconv>
#include <limits>
#include <string>

#include "kvl/core/math1/internal/textscan.h"
#include "kvl/core/math1/numtext.h"

namespace kvl {

namespace numtext_internal {

namespace {

constexpr bool IsDecimalSep(char c, int SepMode) noexcept {
  switch (SepMode) {
    case 1: return c == ',';
    case 2: return c == '.' || c == ',';
    default: return c == '.';
  }
}

// The decimal order of magnitude of the mantissa digits Int (before the
// separator) and Frac (after it): k such that the value is 0.d... x 10^k.
std::int64_t LeadingOrder(std::string_view Int, std::string_view Frac) noexcept {
  const std::size_t i = Int.find_first_not_of('0');
  if (i != std::string_view::npos) return static_cast<std::int64_t>(Int.size() - i);
  const std::size_t f = Frac.find_first_not_of('0');
  return f == std::string_view::npos ? 0 : -static_cast<std::int64_t>(f);
}

}  // namespace

TFloatRun ScanFloat(std::string_view Text, std::size_t Ix, bool AllowSign, bool AllowExp, int SepMode) {
  TFloatRun run;
  std::size_t i = SkipWhite(Text, Ix);
  bool negative = false;
  if (AllowSign && i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';

  const std::size_t mantStart = i;
  const TDigitRun intPart = ReadDigits(Text, i, 10);
  i = intPart.End;
  std::size_t sepIx = std::string_view::npos;
  TDigitRun fracPart;
  if (i < Text.size() && IsDecimalSep(Text[i], SepMode)) {
    fracPart = ReadDigits(Text, i + 1, 10);
    if (intPart.Count + fracPart.Count > 0) {
      sepIx = i;
      i = fracPart.End;
    }
  }
  if (intPart.Count + fracPart.Count == 0) return run;

  std::int64_t exponent = 0;
  if (AllowExp && i < Text.size() && (Text[i] == 'e' || Text[i] == 'E')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < Text.size() && (Text[j] == '+' || Text[j] == '-')) expNegative = Text[j++] == '-';
    const TDigitRun expPart = ReadDigits(Text, j, 10);
    if (expPart.Count > 0) {
      i = expPart.End;
      // Far beyond any Double; only the direction of an overflow matters then.
      constexpr std::uint64_t kExpCap = 1'000'000;
      exponent = static_cast<std::int64_t>(std::min(expPart.Value, kExpCap)) * (expNegative ? -1 : 1);
    }
  }
  run.Ok = true;
  run.End = i;
  run.HasSep = sepIx != std::string_view::npos;

  // from_chars reads the unsigned number with a point; a comma needs a copy.
  std::string_view digits = Text.substr(mantStart, i - mantStart);
  std::string copy;
  if (run.HasSep && Text[sepIx] != '.') {
    copy.assign(digits);
    copy[sepIx - mantStart] = '.';
    digits = copy;
  }
  double value = 0.0;
  const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    const std::string_view intDigits = Text.substr(mantStart, intPart.Count);
    const std::string_view fracDigits = run.HasSep ? Text.substr(sepIx + 1, fracPart.Count) : std::string_view{};
    run.Overflow = LeadingOrder(intDigits, fracDigits) + exponent > 0;
    value = run.Overflow ? std::numeric_limits<double>::max() : 0.0;
  }
  run.Value = negative ? -value : value;
  return run;
}

}  // namespace numtext_internal

namespace {

using numtext_internal::TDigitRun;

// How an integer scanner reads: digits of Base, or of PrefixBase after one
// of the prefixes (ASCII letters in either case), with or without a sign.
struct TIntSyntax {
  int Base;
  int PrefixBase;
  std::array<std::string_view, 2> Prefixes;
  bool Signed;
};

constexpr TIntSyntax kDecimalSyntax{10, 10, {}, true};
constexpr TIntSyntax kHexSyntax{16, 16, {"$", "0x"}, false};
constexpr TIntSyntax kOctalSyntax{8, 8, {"0o", ""}, false};
constexpr TIntSyntax kBinarySyntax{2, 2, {"0b", ""}, false};
// The runtime's integer conversion: decimal, or hex after "$" or "0x".
constexpr TIntSyntax kRuntimeIntSyntax{10, 16, {"$", "0x"}, true};

struct TIntScan {
  bool Ok = false;
  bool Negative = false;
  int Base = 10;
  TDigitRun Digits;
};

TIntScan ScanIntText(std::string_view Text, std::size_t Ix, const TIntSyntax& Syntax) {
  TIntScan scan;
  Ix = numtext_internal::SkipWhite(Text, Ix);
  if (Syntax.Signed && Ix < Text.size() && (Text[Ix] == '+' || Text[Ix] == '-')) scan.Negative = Text[Ix++] == '-';
  scan.Base = Syntax.Base;
  for (const std::string_view prefix : Syntax.Prefixes) {
    const std::size_t after = Ix + prefix.size();
    if (!prefix.empty() && numtext_internal::StartsWithFolded(Text, Ix, prefix) && after < Text.size() &&
        numtext_internal::DigitValue(Text[after], Syntax.PrefixBase) >= 0) {
      Ix = after;
      scan.Base = Syntax.PrefixBase;
      break;
    }
  }
  scan.Digits = numtext_internal::ReadDigits(Text, Ix, scan.Base);
  scan.Ok = scan.Digits.Count > 0;
  return scan;
}

// The scanned integer as Int64, saturated at the nearer bound.
std::int64_t ToInt64(const TIntScan& Scan, bool& Saturated) {
  constexpr std::uint64_t kMaxPos = std::numeric_limits<std::int64_t>::max();
  const std::uint64_t limit = Scan.Negative ? kMaxPos + 1 : kMaxPos;
  Saturated = Scan.Digits.Value > limit;
  const std::uint64_t mag = Saturated ? limit : Scan.Digits.Value;
  return static_cast<std::int64_t>(Scan.Negative ? 0 - mag : mag);
}

std::int64_t ScanInteger(std::string_view Instring, std::int32_t& Pos, const TIntSyntax& Syntax) {
  const std::string_view text = numtext_internal::ScanView(Instring);
  std::size_t ix = 0;
  if (!numtext_internal::ScanStart(text, Pos, ix)) return 0;
  const TIntScan scan = ScanIntText(text, ix, Syntax);
  if (!scan.Ok) return 0;
  bool saturated = false;
  const std::int64_t value = ToInt64(scan, saturated);
  Pos = numtext_internal::ScanEndPos(scan.Digits.End);
  return value;
}

bool IsValidInteger(std::string_view Instring, const TIntSyntax& Syntax) {
  const TIntScan scan = ScanIntText(Instring, 0, Syntax);
  bool saturated = true;
  if (scan.Ok) ToInt64(scan, saturated);
  return scan.Ok && !saturated && numtext_internal::OnlyWhiteFrom(Instring, scan.Digits.End);
}

int SepMode(TDecPSep DecPSep) { return static_cast<int>(DecPSep); }

}  // namespace

std::int64_t ScanDecimal(std::string_view Instring, std::int32_t& Pos) { return ScanInteger(Instring, Pos, kDecimalSyntax); }
std::int64_t ScanHex(std::string_view Instring, std::int32_t& Pos) { return ScanInteger(Instring, Pos, kHexSyntax); }
std::int64_t ScanOctal(std::string_view Instring, std::int32_t& Pos) { return ScanInteger(Instring, Pos, kOctalSyntax); }
std::int64_t ScanBin(std::string_view Instring, std::int32_t& Pos) { return ScanInteger(Instring, Pos, kBinarySyntax); }

bool IsValidDecInt(std::string_view Instring) { return IsValidInteger(Instring, kDecimalSyntax); }
bool IsValidHex(std::string_view Instring) { return IsValidInteger(Instring, kHexSyntax); }
bool IsValidOct(std::string_view Instring) { return IsValidInteger(Instring, kOctalSyntax); }
bool IsValidBin(std::string_view Instring) { return IsValidInteger(Instring, kBinarySyntax); }

std::int32_t StrToIntDefault(std::string_view s, std::int32_t Default) {
  const TIntScan scan = ScanIntText(s, 0, kRuntimeIntSyntax);
  if (!scan.Ok || scan.Digits.End != s.size()) return Default;
  const std::uint64_t mag = scan.Digits.Value;  // UINT64_MAX on overflow
  std::uint32_t bits = 0;
  if (scan.Base == 16) {
    if (mag > std::numeric_limits<std::uint32_t>::max()) return Default;
    bits = static_cast<std::uint32_t>(mag);
  } else {
    const std::uint64_t limit = scan.Negative ? 0x80000000u : 0x7FFFFFFFu;
    if (mag > limit) return Default;
    bits = static_cast<std::uint32_t>(mag);
  }
  return static_cast<std::int32_t>(scan.Negative ? 0u - bits : bits);
}

double ScanFPNum(std::string_view Instring, bool AllowExp, std::int32_t DecPSep, std::int32_t& Pos) {
  const std::string_view text = numtext_internal::ScanView(Instring);
  std::size_t ix = 0;
  if (!numtext_internal::ScanStart(text, Pos, ix)) return 0.0;
  const int sepMode = (DecPSep >= 0 && DecPSep <= 2) ? DecPSep : 0;
  const numtext_internal::TFloatRun run = numtext_internal::ScanFloat(text, ix, true, AllowExp, sepMode);
  if (!run.Ok) return 0.0;
  Pos = numtext_internal::ScanEndPos(run.End);
  return run.Value;
}

bool IsValidDouble(std::string_view Instring, bool AllowExp, TDecPSep DecPSep) {
  const numtext_internal::TFloatRun run = numtext_internal::ScanFloat(Instring, 0, true, AllowExp, SepMode(DecPSep));
  return run.Ok && !run.Overflow && numtext_internal::OnlyWhiteFrom(Instring, run.End);
}

bool IsValidFPNum(std::string_view Instring, TDecPSep DecPSep) {
  const numtext_internal::TFloatRun run = numtext_internal::ScanFloat(Instring, 0, true, true, SepMode(DecPSep));
  return run.Ok && numtext_internal::OnlyWhiteFrom(Instring, run.End);
}

}  // namespace kvl
