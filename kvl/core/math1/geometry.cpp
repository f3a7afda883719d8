#include "kvl/core/math1/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

template <class T>
T Confine(T X, T B1, T B2) noexcept {
  if (B1 > B2) std::swap(B1, B2);
  if (X < B1) return B1;
  if (X > B2) return B2;
  return X;
}

long double Hypot(long double dx, long double dy) noexcept { return std::sqrt(dx * dx + dy * dy); }

// Eberly's bisection for the root s of
// (r0 z0 / (s + r0))^2 + (z1 / (s + 1))^2 - 1 = 0, with g its value at s = 0.
double EllipseRoot(double r0, double z0, double z1, double g) noexcept {
  const double p0 = r0 * z0;
  double s0 = z1 - 1.0;
  double s1 = g > 0.0 ? static_cast<double>(Hypot(p0, z1)) - 1.0 : 0.0;
  double s = 0.0;
  for (int i = 0; i < 1075; ++i) {
    s = (s0 + s1) / 2.0;
    if (s == s0 || s == s1) break;
    const double ratio0 = p0 / (s + r0);
    const double ratio1 = z1 / (s + 1.0);
    const double q = ratio0 * ratio0 + ratio1 * ratio1 - 1.0;
    if (q > 0.0)
      s0 = s;
    else if (q < 0.0)
      s1 = s;
    else
      break;
  }
  return s;
}

// The nearest point (x0, x1) to (y0, y1), both coordinates >= 0, on the
// ellipse with semi-axes e0 >= e1 >= 0; returns the distance.
double NearestInFirstQuadrant(double e0, double e1, double y0, double y1, double& x0, double& x1) noexcept {
  if (y1 > 0.0) {
    if (y0 > 0.0) {
      const double z0 = y0 / e0;
      const double z1 = y1 / e1;
      const double g = z0 * z0 + z1 * z1 - 1.0;
      if (g == 0.0) {
        x0 = y0;
        x1 = y1;
        return 0.0;
      }
      const double r0 = (e0 / e1) * (e0 / e1);
      const double s = EllipseRoot(r0, z0, z1, g);
      x0 = r0 * y0 / (s + r0);
      x1 = y1 / (s + 1.0);
      return static_cast<double>(Hypot(static_cast<long double>(x0) - y0, static_cast<long double>(x1) - y1));
    }
    x0 = 0.0;
    x1 = e1;
    return std::fabs(y1 - e1);
  }
  const double numer = e0 * y0;
  const double denom = e0 * e0 - e1 * e1;
  if (numer < denom) {
    const double t = numer / denom;
    x0 = e0 * t;
    x1 = e1 * std::sqrt(1.0 - t * t);
    return static_cast<double>(Hypot(static_cast<long double>(x0) - y0, x1));
  }
  x0 = e0;
  x1 = 0.0;
  return std::fabs(y0 - e0);
}

}  // namespace

double EuclideanDistance(double X1, double Y1, double X2, double Y2) noexcept {
  return static_cast<double>(Hypot(static_cast<long double>(X2) - X1, static_cast<long double>(Y2) - Y1));
}

double EuclideanDistance(const TPointDouble& P1, const TPointDouble& P2) noexcept {
  return EuclideanDistance(P1.X, P1.Y, P2.X, P2.Y);
}

bool WithinBounds(double X, double B1, double B2) noexcept { return WithinBounds(X, B1, B2, 0.0); }

bool WithinBounds(double X, double B1, double B2, double Tol) noexcept {
  if (B1 > B2) std::swap(B1, B2);
  return X >= B1 - Tol && X <= B2 + Tol;
}

bool WithinRect(const TPointDouble& P, const TRectDouble& R) noexcept {
  const double x1 = std::min(R.Left, R.Right);
  const double x2 = std::max(R.Left, R.Right);
  const double y1 = std::max(R.Top, R.Bottom);  // the first y is the larger
  const double y2 = std::min(R.Top, R.Bottom);
  return x2 >= P.X && P.X >= x1 && y1 >= P.Y && P.Y >= y2;
}

double ConfineValue(double X, double B1, double B2) noexcept { return Confine(X, B1, B2); }
float ConfineValue(float X, float B1, float B2) noexcept { return Confine(X, B1, B2); }
std::int32_t ConfineValue(std::int32_t X, std::int32_t B1, std::int32_t B2) noexcept {
  return Confine(X, B1, B2);
}

bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R) noexcept {
  // Confine leaves a NaN coordinate as it is, which does not count as a move.
  const auto confine = [](double& v, double b1, double b2) {
    const double c = Confine(v, b1, b2);
    const bool moved = !std::isnan(v) && c != v;
    v = c;
    return moved;
  };
  const bool movedX = confine(P.X, R.Left, R.Right);
  const bool movedY = confine(P.Y, R.Top, R.Bottom);
  return movedX || movedY;
}

std::int32_t CcwTriangle(const TPointDouble& P0, const TPointDouble& P1, const TPointDouble& P2) noexcept {
  const long double d = (static_cast<long double>(P1.X) - P0.X) * (static_cast<long double>(P2.Y) - P0.Y) -
                        (static_cast<long double>(P2.X) - P0.X) * (static_cast<long double>(P1.Y) - P0.Y);
  return d > 0.0L ? 1 : d < 0.0L ? -1 : 0;
}

bool SegmentsIntersect(const TPointDouble& A1, const TPointDouble& A2, const TPointDouble& B1,
                       const TPointDouble& B2) noexcept {
  if (CcwTriangle(A1, A2, B1) * CcwTriangle(A1, A2, B2) > 0) return false;
  return CcwTriangle(B1, B2, A1) * CcwTriangle(B1, B2, A2) <= 0;
}

double DistanceToSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B) noexcept {
  const long double dx = static_cast<long double>(B.X) - A.X;
  const long double dy = static_cast<long double>(B.Y) - A.Y;
  const long double px = static_cast<long double>(P.X) - A.X;
  const long double py = static_cast<long double>(P.Y) - A.Y;
  const long double t = (A.X == B.X && A.Y == B.Y) ? -1.0L : (px * dx + py * dy) / (dx * dx + dy * dy);
  if (t < 0.0L) return EuclideanDistance(P, A);
  if (t > 1.0L) return EuclideanDistance(P, B);
  return static_cast<double>(Hypot(px - t * dx, py - t * dy));
}

std::int32_t DistFromRect(const TPoint& P, const TRect& R) noexcept {
  const std::int64_t x = P.X, y = P.Y;
  const std::int64_t left = R.Left, top = R.Top, right = R.Right, bottom = R.Bottom;
  std::int64_t d = 0;
  if (x >= left && x <= right && y >= top && y <= bottom) {
    d = 0;
  } else if (x > left && x < right) {
    d = y < top ? top - y : y - bottom;
  } else if (y > top && y < bottom) {
    d = x < left ? left - x : x - right;
  } else {
    const auto corner = [&](std::int64_t cx, std::int64_t cy) {
      return Round(Hypot(static_cast<long double>(x - cx), static_cast<long double>(y - cy)));
    };
    d = std::min({corner(left, top), corner(right, top), corner(left, bottom), corner(right, bottom)});
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(d, std::numeric_limits<std::int32_t>::max()));
}

double DistFromEllipse(const TPointDouble& P, double Cx, double Cy, double A, double B,
                       TPointDouble& Nearest) noexcept {
  double y0 = P.X - Cx;
  double y1 = P.Y - Cy;
  double e0 = std::fabs(A);
  double e1 = std::fabs(B);
  const bool exchanged = e0 < e1;
  if (exchanged) {
    std::swap(y0, y1);
    std::swap(e0, e1);
  }
  const bool negative0 = y0 < 0.0;
  const bool negative1 = y1 < 0.0;
  double x0 = 0.0, x1 = 0.0;
  const double distance = NearestInFirstQuadrant(e0, e1, std::fabs(y0), std::fabs(y1), x0, x1);
  if (negative0) x0 = -x0;
  if (negative1) x1 = -x1;
  if (exchanged) std::swap(x0, x1);
  Nearest.X = x0 + Cx;
  Nearest.Y = x1 + Cy;
  return distance;
}

}  // namespace kvl
