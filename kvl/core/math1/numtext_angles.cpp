// Angles as text: degrees, minutes and seconds written, converted and read.

#include <algorithm>
#include <cmath>

#include "kvl/core/KVL_frame.h"
#include "kvl/core/math1/internal/textscan.h"
#include "kvl/core/math1/numtext.h"
#include "kvl/runtime/numfmt.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

constexpr std::string_view kDegreeSign = "\xC2\xB0";  // U+00B0 in UTF-8

// Values this close to an integer are taken as that integer, so that
// minutes and seconds rebuilt from a rounded angle do not show 59.99...
constexpr long double kSnap = 3e-12L;

long double SnapToInteger(long double x) {
  const long double n = std::round(x);
  return std::fabs(x - n) < kSnap ? n : x;
}

// x rounded to Decimals (0..8) decimals, halves to even.
long double RoundToDecimals(long double x, int Decimals) {
  long double scale = 1.0L;
  for (int k = 0; k < Decimals; ++k) scale *= 10.0L;
  return RoundEven(x * scale) / scale;
}

// The whole degrees of a, "-0" for angles between -1 and 0, then "° ".
void AppendWholeDegrees(std::string& s, long double a) {
  const long double d = Int(a);
  if (d == 0.0L) s += a < 0.0L ? "-0" : "0";
  else AppendStrField(s, d, 1, 0);
  s += kDegreeSign;
  s += ' ';
}

}  // namespace

std::string DegreeToStr(double Angle, TDegreeFormat Format, std::int32_t Decimals) {
  const int dec = std::clamp(Decimals, 0, 8);
  std::string s;
  switch (Format) {
    case TDegreeFormat::dfDecDeg:
      AppendStrField(s, Angle, 1, dec);
      s += kDegreeSign;
      break;
    case TDegreeFormat::dfDegMin: {
      const long double a = SnapToInteger(RoundToDecimals(60.0L * Angle, dec) / 60.0L);
      AppendWholeDegrees(s, a);
      AppendStrField(s, Frac(std::fabs(a)) * 60.0L, dec + 3, dec);
      s += '\'';
      break;
    }
    case TDegreeFormat::dfDegMinSec: {
      const long double a = SnapToInteger(RoundToDecimals(3600.0L * Angle, dec) / 3600.0L);
      AppendWholeDegrees(s, a);
      const long double m = SnapToInteger(Frac(std::fabs(a)) * 60.0L);
      AppendStrField(s, Int(m), 2, 0);
      s += "' ";
      AppendStrField(s, Frac(m) * 60.0L, dec + 3, dec);
      s += '"';
      break;
    }
    case TDegreeFormat::dfNumber:
      AppendStrField(s, Angle, 1, dec);
      break;
  }
  return s;
}

void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat InFormat, TDegreeFormat OutFormat) {
  if (!(Min >= 0.0 && Min <= 60.0)) RaiseFunc<EKVLMath1Error>("ConvertDegrees", "invalid range of minutes");
  if (!(Sec >= 0.0 && Sec <= 60.0)) RaiseFunc<EKVLMath1Error>("ConvertDegrees", "invalid range of seconds");
  using enum TDegreeFormat;
  // Minutes and seconds count away from zero: -12 deg 30' is -12.5 deg. The
  // sign bit of Deg also marks angles under one degree (Deg = -0).
  const double sign = std::signbit(Deg) ? -1.0 : 1.0;
  if (OutFormat == dfDecDeg) {
    if (InFormat == dfDegMin) Deg = Int(Deg) + sign * (Min / 60.0);
    else if (InFormat == dfDegMinSec) Deg = Int(Deg) + sign * (Int(Min) / 60.0 + Sec / 3600.0);
    else if (InFormat != dfDecDeg) return;
    Min = 0.0;
    Sec = 0.0;
  } else if (OutFormat == dfDegMin) {
    if (InFormat == dfDecDeg) {
      Min = Frac(std::fabs(Deg)) * 60.0;
      Deg = Int(Deg);
    } else if (InFormat == dfDegMinSec) {
      Min += Sec / 60.0;
    } else if (InFormat != dfDegMin) {
      return;
    }
    Sec = 0.0;
  } else if (OutFormat == dfDegMinSec) {
    if (InFormat == dfDecDeg) {
      const double t = Frac(std::fabs(Deg)) * 60.0;
      Deg = Int(Deg);
      Min = Int(t);
      Sec = Frac(t) * 60.0;
    } else if (InFormat == dfDegMin) {
      Sec = Frac(Min) * 60.0;
      Min = Int(Min);
    }
  }
}

double ScanDegrees(std::string_view Instring, std::int32_t& Pos, bool DegSignRequired, std::int32_t& Format) {
  Format = -1;
  const std::string_view text = numtext_internal::ScanView(Instring);
  std::size_t i = 0;
  if (!numtext_internal::ScanStart(text, Pos, i)) return 0.0;
  i = numtext_internal::SkipWhite(text, i);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || IsWhiteChar(static_cast<unsigned char>(text[i]))) return 0.0;

  const numtext_internal::TFloatRun deg = numtext_internal::ScanFloat(text, i, false, false, 0);
  if (!deg.Ok) return 0.0;
  long double value = deg.Value;
  std::size_t end = deg.End;
  int format = 3;
  const std::size_t signAt = numtext_internal::SkipWhite(text, end);
  if (text.substr(signAt).starts_with(kDegreeSign)) {
    end = signAt + kDegreeSign.size();
    format = 0;
    // Minutes after whole degrees, seconds after whole minutes; each part
    // counts only with its sign behind it.
    bool whole = !deg.HasSep;
    for (const char unit : {'\'', '"'}) {
      if (!whole) break;
      const numtext_internal::TFloatRun part = numtext_internal::ScanFloat(text, end, false, false, 0);
      const std::size_t unitAt = part.Ok ? numtext_internal::SkipWhite(text, part.End) : text.size();
      if (unitAt >= text.size() || text[unitAt] != unit) break;
      if (part.Value > 60.0) return 0.0;
      value += part.Value / (unit == '\'' ? 60.0L : 3600.0L);
      end = unitAt + 1;
      ++format;
      whole = !part.HasSep;
    }
  } else if (DegSignRequired) {
    return 0.0;
  }
  Format = format;
  Pos = numtext_internal::ScanEndPos(end);
  return static_cast<double>(negative ? -value : value);
}

}  // namespace kvl
