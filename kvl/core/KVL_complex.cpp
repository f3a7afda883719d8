#include "kvl/core/KVL_complex.h"

#include <cmath>

namespace kvl {

constinit long double CpxNearZero = 1e-15L;

long double CpxAbs(const TComplex& a) noexcept { return std::sqrt(a.re * a.re + a.im * a.im); }

TComplex CpxDiv(const TComplex& a, const TComplex& b) {
  // The division must report failure instead of yielding inf or NaN: d = 0
  // (division by zero), an overflow and an invalid operation all raise.
  const long double d = b.re * b.re + b.im * b.im;
  if (!(d != 0.0L) || !std::isfinite(d)) RaiseFunc<EKVLComplexError>("CpxDiv", "division by zero");
  const TComplex q{(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
  if (!std::isfinite(q.re) || !std::isfinite(q.im))
    RaiseFunc<EKVLComplexError>("CpxDiv", "division by zero");
  return q;
}

bool CpxIsNearEqual(const TComplex& a, const TComplex& b) noexcept {
  return std::fabs(a.re - b.re) < CpxNearZero && std::fabs(a.im - b.im) < CpxNearZero;
}

bool CpxIsZero(const TComplex& a) noexcept {
  return (a.re == 0.0L || std::fabs(a.re) < CpxNearZero) &&
         (a.im == 0.0L || std::fabs(a.im) < CpxNearZero);
}

TComplexPolar ConvertRectToPolar(const TComplex& a) noexcept {
  return {CpxAbs(a), std::atan2(a.im, a.re)};
}

TComplex ConvertPolarToRect(const TComplexPolar& p) noexcept {
  return {p.r * std::cos(p.phi), p.r * std::sin(p.phi)};
}

}  // namespace kvl
