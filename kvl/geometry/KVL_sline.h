#pragma once
// KVL_sline: the straight line of the plane in general form A x + B y + C = 0.
//
//   TSLine a, b;
//   a.LineFrom2Points(0, 0, 4, 2);          // y = x / 2
//   b.LineFromSlopeIcpt(-1, 3);             // y = -x + 3
//   double x, y;
//   if (a.InterSection(b, x, y)) ...        // (2, 1)
//   double d = a.Distance(1, 3);            // signed: the side of the line
//   a.ClipBox(0, 0, 10, 10, x1, y1, x2, y2);
//
// Arithmetic runs in extended precision; results are Doubles. Errors are
// raised as EKVLSLineError, which derives from the runtime's Exception and
// not from EKVLError, with fixed texts that name no component. Degenerate
// cases that have an answer (equal points, parallel lines) are reported by a
// false result instead. A TSLine is not thread-safe.

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TSLine: one straight line A x + B y + C = 0; A and B are never both 0. A
/// new line is the x axis (A = 0, B = 1, C = 0).
class TSLine : public TComponent {
 public:
  explicit TSLine(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

  /// ParA, ParB, ParC: the coefficients. SetParA and SetParB raise
  /// "parameter A and B must not both be zero" and keep the line when the
  /// other coefficient is 0 and the new value is 0 too; SetParC takes any value.
  double ParA() const noexcept { return FParA; }
  void SetParA(double v);
  double ParB() const noexcept { return FParB; }
  void SetParB(double v);
  double ParC() const noexcept { return FParC; }
  void SetParC(double v) noexcept { FParC = v; }
  /// SubstituteInf: when true, CalcY of a vertical line and CalcX of a
  /// horizontal one divide by 1e-100 instead of raising (false by default).
  bool SubstituteInf() const noexcept { return FSubstInf; }
  void SetSubstituteInf(bool v) noexcept { FSubstInf = v; }

  /// LineFrom2Points: the line through (X1, Y1) and (X2, Y2), not
  /// normalised: A = Y1 - Y2, B = X2 - X1, C = X1 Y2 - Y1 X2. False, line
  /// unchanged, when the points are equal.
  bool LineFrom2Points(double X1, double Y1, double X2, double Y2) noexcept;
  /// LineFromSlopeIcpt: the line y = K x + D (A = K, B = -1, C = D).
  void LineFromSlopeIcpt(double K, double D) noexcept;
  /// LineThroughPoint: the line through (X, Y) at the angle Phi (radians)
  /// from the x axis: A = -sin Phi, B = cos Phi.
  void LineThroughPoint(double X, double Y, double Phi) noexcept;
  /// NormalLine: this line becomes the perpendicular to Line through (X, Y).
  void NormalLine(double X, double Y, const TSLine& Line) noexcept;
  /// ParallelLine: this line becomes the parallel to Line through (X, Y).
  void ParallelLine(double X, double Y, const TSLine& Line) noexcept;

  /// InterSection: X, Y receive the common point of this line and Line and
  /// the result is true; false, X and Y untouched, when the lines are
  /// parallel or coincide (A1 B2 - A2 B1 is 0 as a Double).
  bool InterSection(const TSLine& Line, double& X, double& Y) const noexcept;
  /// AngleBetweenLines: the acute angle between this line and Line, in
  /// [0, pi/2]; pi/2 exactly for perpendicular lines.
  double AngleBetweenLines(const TSLine& Line) const noexcept;
  /// Distance: the signed distance of (X, Y) from the line, (A X + B Y + C) /
  /// sqrt(A^2 + B^2); its sign tells the side.
  double Distance(double X, double Y) const noexcept;
  /// CalcKDForm: K and D of the form y = K x + D; raises "cannot convert to
  /// k-d-form if ParB is zero" for a vertical line.
  void CalcKDForm(double& K, double& D) const;
  /// CalcY: the y of the line at X. A vertical line raises "cannot calculate
  /// y", or with SubstituteInf gives (-X A - C) / 1e-100 (0 on the line).
  double CalcY(double X) const;
  /// CalcX: the x of the line at Y. A horizontal line raises "cannot
  /// calculate x", or with SubstituteInf gives (-Y B - C) / 1e-100.
  double CalcX(double Y) const;

  /// GetSlope (property Slope): -A / B; raises "slope is infinite" for a
  /// vertical line.
  double GetSlope() const;
  double Slope() const { return GetSlope(); }
  /// GetIntercept (property Intercept): -C / B; raises "cannot calculate
  /// intercept (line is parallel to y axis)" for a vertical line.
  double GetIntercept() const;
  double Intercept() const { return GetIntercept(); }
  /// GetDirect (property Direction): the angle of the direction vector
  /// (B, -A) against the x axis, in [0, 2 pi).
  double GetDirect() const noexcept;
  double Direction() const noexcept { return GetDirect(); }

  /// ClipBox: where the line meets the box XLeft <= x <= XRight, YBottom <=
  /// y <= YTop (bounds inclusive). The edges are tested left, right, bottom,
  /// top (with SubstituteInf in force, restored afterwards); X1, Y1 receive
  /// the first point found and X2, Y2 the next one that differs from it, so
  /// a corner met by two edge tests counts once. One point only (the line
  /// touches a corner): X2, Y2 repeat it. False, outputs untouched, when the
  /// line misses the box.
  bool ClipBox(double XLeft, double YBottom, double XRight, double YTop, double& X1, double& Y1, double& X2,
               double& Y2) const noexcept;

 private:
  double CalcYOf(double X, bool Substitute) const;
  double CalcXOf(double Y, bool Substitute) const;

  double FParA = 0.0;
  double FParB = 1.0;
  double FParC = 0.0;
  bool FSubstInf = false;
};

}  // namespace kvl

KVL_API_END
