// TSLine: the straight line in general form.

#include "kvl/geometry/KVL_sline.h"

#include <cmath>
#include <string>

namespace kvl {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
/// The divisor that stands in for 0 when SubstituteInf is set.
constexpr long double kSubstituteZero = 1e-100L;

constexpr const char* kBothZero = "parameter A and B must not both be zero";

[[noreturn, gnu::cold]] void RaiseLine(const char* Text) { Raise<EKVLSLineError>(std::string(Text)); }

}  // namespace

void TSLine::SetParA(double v) {
  if (v == 0.0 && FParB == 0.0) RaiseLine(kBothZero);
  FParA = v;
}

void TSLine::SetParB(double v) {
  if (v == 0.0 && FParA == 0.0) RaiseLine(kBothZero);
  FParB = v;
}

bool TSLine::LineFrom2Points(double X1, double Y1, double X2, double Y2) noexcept {
  if (X1 == X2 && Y1 == Y2) return false;
  FParA = static_cast<double>(static_cast<long double>(Y1) - Y2);
  FParB = static_cast<double>(static_cast<long double>(X2) - X1);
  FParC = static_cast<double>(static_cast<long double>(X1) * Y2 - static_cast<long double>(Y1) * X2);
  return true;
}

void TSLine::LineFromSlopeIcpt(double K, double D) noexcept {
  FParA = K;
  FParB = -1.0;
  FParC = D;
}

void TSLine::LineThroughPoint(double X, double Y, double Phi) noexcept {
  // Adding 0 turns -0 (Phi = 0) into 0.
  FParA = static_cast<double>(-std::sin(static_cast<long double>(Phi)) + 0.0L);
  FParB = static_cast<double>(std::cos(static_cast<long double>(Phi)));
  FParC = static_cast<double>(-static_cast<long double>(FParA) * X - static_cast<long double>(FParB) * Y);
}

void TSLine::NormalLine(double X, double Y, const TSLine& Line) noexcept {
  const double a = -Line.FParB, b = Line.FParA;
  FParA = a;
  FParB = b;
  FParC = static_cast<double>(-static_cast<long double>(a) * X - static_cast<long double>(b) * Y);
}

void TSLine::ParallelLine(double X, double Y, const TSLine& Line) noexcept {
  const double a = Line.FParA, b = Line.FParB;
  FParA = a;
  FParB = b;
  FParC = static_cast<double>(-static_cast<long double>(a) * X - static_cast<long double>(b) * Y);
}

bool TSLine::InterSection(const TSLine& Line, double& X, double& Y) const noexcept {
  const long double a1 = FParA, b1 = FParB, c1 = FParC;
  const long double a2 = Line.FParA, b2 = Line.FParB, c2 = Line.FParC;
  const long double det = a1 * b2 - a2 * b1;
  if (static_cast<double>(det) == 0.0) return false;
  X = static_cast<double>((b1 * c2 - b2 * c1) / det);
  Y = static_cast<double>((c1 * a2 - c2 * a1) / det);
  return true;
}

double TSLine::AngleBetweenLines(const TSLine& Line) const noexcept {
  const long double a1 = FParA, b1 = FParB, a2 = Line.FParA, b2 = Line.FParB;
  const long double s = a1 * a2 + b1 * b2;
  if (static_cast<double>(s) == 0.0) return static_cast<double>(kPi / 2.0L);
  return static_cast<double>(std::fabs(std::atan((a1 * b2 - b1 * a2) / s)));
}

double TSLine::Distance(double X, double Y) const noexcept {
  const long double a = FParA, b = FParB;
  return static_cast<double>((a * X + b * Y + FParC) / std::sqrt(a * a + b * b));
}

void TSLine::CalcKDForm(double& K, double& D) const {
  if (FParB == 0.0) RaiseLine("cannot convert to k-d-form if ParB is zero");
  K = static_cast<double>(-static_cast<long double>(FParA) / FParB);
  D = static_cast<double>(-static_cast<long double>(FParC) / FParB);
}

double TSLine::CalcYOf(double X, bool Substitute) const {
  const long double num = -static_cast<long double>(X) * FParA - FParC;
  if (FParB != 0.0) return static_cast<double>(num / FParB);
  if (!Substitute) RaiseLine("cannot calculate y");
  return static_cast<double>(num / kSubstituteZero);
}

double TSLine::CalcXOf(double Y, bool Substitute) const {
  const long double num = -static_cast<long double>(Y) * FParB - FParC;
  if (FParA != 0.0) return static_cast<double>(num / FParA);
  if (!Substitute) RaiseLine("cannot calculate x");
  return static_cast<double>(num / kSubstituteZero);
}

double TSLine::CalcY(double X) const { return CalcYOf(X, FSubstInf); }
double TSLine::CalcX(double Y) const { return CalcXOf(Y, FSubstInf); }

double TSLine::GetSlope() const {
  if (FParB == 0.0) RaiseLine("slope is infinite");
  return static_cast<double>(-static_cast<long double>(FParA) / FParB + 0.0L);
}

double TSLine::GetIntercept() const {
  if (FParB == 0.0) RaiseLine("cannot calculate intercept (line is parallel to y axis)");
  return static_cast<double>(-static_cast<long double>(FParC) / FParB + 0.0L);
}

double TSLine::GetDirect() const noexcept {
  const long double a = FParA, b = FParB;
  long double angle = b != 0.0L ? std::atan(-a / b) : (a > 0.0L ? kPi / 2.0L : -kPi / 2.0L);
  if (b <= 0.0L)
    angle += kPi;
  else if (a > 0.0L)
    angle += 2.0L * kPi;
  return static_cast<double>(angle + 0.0L);
}

bool TSLine::ClipBox(double XLeft, double YBottom, double XRight, double YTop, double& X1, double& Y1,
                     double& X2, double& Y2) const noexcept {
  // SubstituteInf is in force for the edge tests: an axis-parallel line
  // gives huge values that no bound accepts instead of raising.
  TPointDouble found[2];
  int count = 0;
  const auto accept = [&](double x, double y) {
    if (count == 1 && found[0].X == x && found[0].Y == y) return;  // a corner met again
    if (count < 2) found[count++] = {x, y};
  };
  double y = CalcYOf(XLeft, true);
  if (YBottom <= y && y <= YTop) accept(XLeft, y);
  y = CalcYOf(XRight, true);
  if (YBottom <= y && y <= YTop) accept(XRight, y);
  double x = CalcXOf(YBottom, true);
  if (XLeft <= x && x <= XRight) accept(x, YBottom);
  x = CalcXOf(YTop, true);
  if (XLeft <= x && x <= XRight) accept(x, YTop);
  if (count == 0) return false;
  X1 = found[0].X;
  Y1 = found[0].Y;
  X2 = found[count - 1].X;
  Y2 = found[count - 1].Y;
  return true;
}

}  // namespace kvl
