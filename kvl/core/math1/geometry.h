#pragma once
// Plane geometry and bounds: distances, orientation, segment intersection,
// clipping into intervals and rectangles, and the distance from an ellipse.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// EuclideanDistance: sqrt((X2 - X1)^2 + (Y2 - Y1)^2).
double EuclideanDistance(double X1, double Y1, double X2, double Y2) noexcept;
/// EuclideanDistance: the distance between P1 and P2.
double EuclideanDistance(const TPointDouble& P1, const TPointDouble& P2) noexcept;

/// WithinBounds: true when X lies in the closed interval between B1 and B2
/// (in either order).
bool WithinBounds(double X, double B1, double B2) noexcept;
/// WithinBounds: the same with the interval widened by Tol on both sides.
bool WithinBounds(double X, double B1, double B2, double Tol) noexcept;

/// WithinRect: true when P lies in R, edges included; R's x bounds (Left,
/// Right) and y bounds (Top, Bottom) may come in either order. False for
/// NaN coordinates.
bool WithinRect(const TPointDouble& P, const TRectDouble& R) noexcept;

/// ConfineValue: X clipped to the closed interval between B1 and B2 (in
/// either order).
double ConfineValue(double X, double B1, double B2) noexcept;
/// ConfineValue: the same for Single values.
float ConfineValue(float X, float B1, float B2) noexcept;
/// ConfineValue: the same for Integer values.
std::int32_t ConfineValue(std::int32_t X, std::int32_t B1, std::int32_t B2) noexcept;

/// ConfinePointToRect: moves P onto the nearest edge of R (bounds in either
/// order) where it lies outside; true when P was moved.
bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R) noexcept;

/// CcwTriangle: 1 when P0, P1, P2 turn counter-clockwise (y up), -1 when
/// clockwise, 0 when collinear.
std::int32_t CcwTriangle(const TPointDouble& P0, const TPointDouble& P1, const TPointDouble& P2) noexcept;

/// SegmentsIntersect: true when the segments A1-A2 and B1-B2 cross or touch;
/// collinear segments count as intersecting even when they do not overlap.
bool SegmentsIntersect(const TPointDouble& A1, const TPointDouble& A2, const TPointDouble& B1,
                       const TPointDouble& B2) noexcept;

/// DistanceToSegment: the distance from P to the nearest point of the
/// segment A-B (to A when A = B).
double DistanceToSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B) noexcept;

/// DistFromRect: the distance from P to the integer rectangle R (Left, Top,
/// Right, Bottom with Top above Bottom): 0 inside or on an edge, the gap to
/// the nearest edge beside it, else the nearest corner's distance rounded
/// to an integer (saturated to the Integer range).
std::int32_t DistFromRect(const TPoint& P, const TRect& R) noexcept;

/// DistFromEllipse: the distance from P to the axis-parallel ellipse with
/// centre (Cx, Cy) and semi-axes A (along x) and B (along y); Nearest
/// receives the nearest point of the ellipse. Negative semi-axes count by
/// their size.
double DistFromEllipse(const TPointDouble& P, double Cx, double Cy, double A, double B,
                       TPointDouble& Nearest) noexcept;

}  // namespace kvl

KVL_API_END
