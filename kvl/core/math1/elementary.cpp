#include "kvl/core/math1/elementary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

constexpr long double kLn10 = 2.302585092994045684017991454684364208L;
constexpr long double kLn2 = 0.693147180559945309417232121458176568L;
constexpr long double kPi = 3.141592653589793238462643383279502884L;

[[noreturn, gnu::cold]] void RaiseLogarithm() { Raise<EMathError>("logarithm: invalid argument"); }

// Brings a into [-Turn / 2, Turn / 2] by whole turns.
double CanonicalAngle(long double a, long double Turn) noexcept {
  if (a > Turn) a = Frac(a / Turn) * Turn;
  if (a < -Turn) a = Frac(-a / Turn) * -Turn;
  if (a > Turn / 2) a -= Turn;
  if (a < -Turn / 2) a += Turn;
  return static_cast<double>(a);
}

// --- the 1-2-5 series ----------------------------------------------------------

enum class TSeriesRounding { srNearest, srUp, srDown };

// The series mantissa (1, 2, 5 or 10) chosen for a mantissa m in [1, 10].
double ChooseMantissa(double m, TSeriesRounding Mode) noexcept {
  switch (Mode) {
    case TSeriesRounding::srNearest:
      return m < 1.5 ? 1.0 : m < 3.0 ? 2.0 : m < 8.0 ? 5.0 : 10.0;
    case TSeriesRounding::srUp:
      return m <= 1.0 ? 1.0 : m <= 2.0 ? 2.0 : m <= 5.0 ? 5.0 : 10.0;
    case TSeriesRounding::srDown:
      break;
  }
  return m < 2.0 ? 1.0 : m < 5.0 ? 2.0 : m < 10.0 ? 5.0 : 10.0;
}

// Mantissa times 10^k, exact (or correctly rounded) while 10^|k| is exact.
double ScaleByPowerOf10(double Mantissa, long double k) noexcept {
  if (k >= 0.0L && k <= 22.0L) return Mantissa * std::pow(10.0, static_cast<double>(k));
  if (k < 0.0L && k >= -22.0L) return Mantissa / std::pow(10.0, static_cast<double>(-k));
  return static_cast<double>(Mantissa * std::pow(10.0L, k));
}

// Rounds |x| in the series in direction Magnitude and restores the sign.
double RoundSeries125(double x, TSeriesRounding Magnitude) noexcept {
  if (x == 0.0 || !std::isfinite(x)) return x;
  const long double a = std::fabs(static_cast<long double>(x));
  long double e = std::log(a) / kLn10;
  const long double nearest = RoundEven(e);
  if (std::fabs(e - nearest) < 1e-14L) e = nearest;
  const long double k = std::floor(e);
  // Rounding the mantissa to Double makes exact series values (2, 0.5, ...)
  // come out exact, so that they map onto themselves.
  const double m = static_cast<double>(std::pow(10.0L, e - k));
  double result = ScaleByPowerOf10(ChooseMantissa(m, Magnitude), k);
  if (result > 1.0) result = RoundEven(result);
  return x < 0.0 ? -result : result;
}

// The largest step <= Value (the first step when none is), or with Up the
// smallest step >= Value (the last step when none is); steps in Unit.
std::int32_t SnapToSteps(std::int64_t Value, std::int64_t Unit, std::size_t Count, bool Up) noexcept {
  static constexpr std::array<std::int32_t, 12> kDegreeSteps{1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};
  if (Up) {
    for (std::size_t i = 0; i < Count; ++i)
      if (kDegreeSteps[i] * Unit >= Value) return kDegreeSteps[i];
    return kDegreeSteps[Count - 1];
  }
  for (std::size_t i = Count; i-- > 0;)
    if (kDegreeSteps[i] * Unit <= Value) return kDegreeSteps[i];
  return kDegreeSteps[0];
}

}  // namespace

double lg(double x) {
  if (x <= 0.0) RaiseLogarithm();
  return static_cast<double>(std::log(static_cast<long double>(x)) / kLn10);
}

double ld(double x) {
  if (x <= 0.0) RaiseLogarithm();
  return static_cast<double>(std::log(static_cast<long double>(x)) / kLn2);
}

double sinh(double x) noexcept {
  const long double e = static_cast<double>(std::exp(static_cast<long double>(x)));
  return static_cast<double>((e - 1.0L / e) / 2.0L);
}

double cosh(double x) noexcept {
  const long double e = static_cast<double>(std::exp(static_cast<long double>(x)));
  return static_cast<double>((e + 1.0L / e) / 2.0L);
}

double tgh(double x) noexcept { return static_cast<double>(1.0L - 2.0L / (std::exp(2.0L * x) + 1.0L)); }

double tg(double x) {
  const long double c = std::cos(static_cast<long double>(x));
  if (c == 0.0L) Raise<EMathError>("tangens overflow");
  return static_cast<double>(std::sin(static_cast<long double>(x)) / c);
}

double cot(double x) {
  const long double s = std::sin(static_cast<long double>(x));
  if (s == 0.0L) Raise<EMathError>("cotangens overflow");
  return static_cast<double>(std::cos(static_cast<long double>(x)) / s);
}

double modr(double A, double B) noexcept {
  return static_cast<double>(Frac(static_cast<long double>(A) / B) * B);
}

double CanonicalAngleDegrees(double a) noexcept { return CanonicalAngle(a, 360.0L); }

double CanonicalAngleRadians(double a) noexcept { return CanonicalAngle(a, 2.0L * kPi); }

double AngleToXAxis(double X, double Y) noexcept {
  if (X == 0.0) return static_cast<double>(Y > 0.0 ? kPi / 2.0L : 1.5L * kPi);
  long double a = std::atan(static_cast<long double>(Y) / X);
  if (X < 0.0) a += kPi;
  if (a < 0.0L) a += 2.0L * kPi;
  if (a >= 2.0L * kPi) a -= 2.0L * kPi;
  return static_cast<double>(a);
}

double Round125(double x) noexcept { return RoundSeries125(x, TSeriesRounding::srNearest); }

double RoundPos125(double x) noexcept {
  return RoundSeries125(x, x < 0.0 ? TSeriesRounding::srDown : TSeriesRounding::srUp);
}

double RoundNeg125(double x) noexcept {
  return RoundSeries125(x, x < 0.0 ? TSeriesRounding::srUp : TSeriesRounding::srDown);
}

std::int64_t RoundLimit(double X, std::int64_t Lo, std::int64_t Hi) {
  // Values at or beyond a bound need no rounding (and may lie beyond Int64).
  std::int64_t r = 0;
  if (X >= static_cast<long double>(Hi))
    r = Hi;
  else if (X <= static_cast<long double>(Lo))
    r = Lo;
  else
    r = Round(X);
  if (r > Hi) r = Hi;
  if (r < Lo) r = Lo;
  return r;
}

std::int32_t IntPos(double X) {
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  if (X >= kMax) return kMax;
  if (X <= kMin) return kMin;
  std::int64_t r = Round(X);
  if (static_cast<double>(r) < X) ++r;
  return static_cast<std::int32_t>(std::min<std::int64_t>(r, kMax));
}

void RoundDegrees(std::int32_t& Deg, std::int32_t& Min, std::int32_t& Sec, bool Up) noexcept {
  if (Deg < 0 || Min < 0 || Sec < 0) {
    Deg = 0;
    Min = 0;
    Sec = 0;
    return;
  }
  Min = std::min(Min, 59);
  Sec = std::min(Sec, 59);
  // The angle in whole seconds, so that comparisons with the steps are exact.
  const std::int64_t seconds = std::int64_t{Deg} * 3600 + std::int64_t{Min} * 60 + Sec;
  constexpr std::size_t kAllSteps = 12;
  constexpr std::size_t kStepsBelow60 = 9;  // 1 to 60
  if (Deg > 0) {
    Min = 0;
    Sec = 0;
    Deg = SnapToSteps(seconds, 3600, kAllSteps, Up);
  } else if (Min > 0) {
    Sec = 0;
    Min = SnapToSteps(seconds, 60, kStepsBelow60, Up);
    if (Min == 60) {
      Deg = 1;
      Min = 0;
    }
  } else if (Sec > 0) {
    Sec = SnapToSteps(seconds, 1, kStepsBelow60, Up);
    if (Sec == 60) {
      Min = 1;
      Sec = 0;
    }
  }
}

}  // namespace kvl
