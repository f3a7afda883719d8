#pragma once
// KVL_complex: complex arithmetic on plain records in extended precision.
//
//   TComplex q = CpxDiv(Cpx(1, 2), Cpx(3, -1));   // (0.1, 0.7)
//   if (CpxIsNearEqual(q, Cpx(0.1L, 0.7L))) ...    // tolerance CpxNearZero
//
// Nothing allocates; only CpxDiv raises (EKVLComplexError).

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TComplex: a complex number in rectangular form.
struct TComplex {
  long double re = 0.0L;
  long double im = 0.0L;
};

/// TComplexPolar: a complex number as magnitude r and angle phi (radians).
struct TComplexPolar {
  long double r = 0.0L;
  long double phi = 0.0L;
};

/// COMPLEX_0 and COMPLEX_1: the constants 0 and 1.
inline constexpr TComplex COMPLEX_0{0.0L, 0.0L};
inline constexpr TComplex COMPLEX_1{1.0L, 0.0L};

/// CpxNearZero: tolerance of the near-comparisons; 1e-15 after loading, the
/// host may change it (not locked).
extern long double CpxNearZero;

/// Cpx: the complex number (re, im).
constexpr TComplex Cpx(long double re, long double im) noexcept { return {re, im}; }
/// CpxAbs: the magnitude sqrt(re^2 + im^2).
long double CpxAbs(const TComplex& a) noexcept;
/// CpxAbsSqr: re^2 + im^2.
constexpr long double CpxAbsSqr(const TComplex& a) noexcept { return a.re * a.re + a.im * a.im; }
/// CpxAdd, CpxSub: sum and difference.
constexpr TComplex CpxAdd(const TComplex& a, const TComplex& b) noexcept { return {a.re + b.re, a.im + b.im}; }
constexpr TComplex CpxSub(const TComplex& a, const TComplex& b) noexcept { return {a.re - b.re, a.im - b.im}; }
/// CpxNeg: (-re, -im). CpxConj: (re, -im).
constexpr TComplex CpxNeg(const TComplex& a) noexcept { return {-a.re, -a.im}; }
constexpr TComplex CpxConj(const TComplex& a) noexcept { return {a.re, -a.im}; }
/// CpxMult: the product.
constexpr TComplex CpxMult(const TComplex& a, const TComplex& b) noexcept {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
/// CpxDiv: a / b; raises EKVLComplexError "CpxDiv: division by zero" when
/// the division fails (b = 0, overflow or an invalid operation).
TComplex CpxDiv(const TComplex& a, const TComplex& b);
/// CpxIsEqual: exact equality of both parts.
constexpr bool CpxIsEqual(const TComplex& a, const TComplex& b) noexcept { return a.re == b.re && a.im == b.im; }
/// CpxIsNearEqual: both parts differ by less than CpxNearZero.
bool CpxIsNearEqual(const TComplex& a, const TComplex& b) noexcept;
/// CpxIsZero: each part is 0 or smaller in magnitude than CpxNearZero.
bool CpxIsZero(const TComplex& a) noexcept;
/// ConvertRectToPolar: r = CpxAbs(a), phi = atan2(im, re) in (-pi, pi].
TComplexPolar ConvertRectToPolar(const TComplex& a) noexcept;
/// ConvertPolarToRect: (r cos phi, r sin phi).
TComplex ConvertPolarToRect(const TComplexPolar& p) noexcept;

}  // namespace kvl

KVL_API_END
