#pragma once
// KVL_math1: the library's scalar helpers.
//
//   TKahanSum sum;                               // compensated summation
//   for (double x : data) sum.Add(x);
//   double med = QuickSelect(data, n / 2, 0, n - 1);   // k-th smallest
//   double y = Polynomial(coeffs, 3, x);         // c0 + c1 x + c2 x^2 + c3 x^3
//   SortArray(data, true);                       // in-place comb sort
//   long double f = Factorial(20);
//
// Every function is free except the component TKahanSum. Errors are raised
// as EKVLMath1Error through the frame's message helpers; lg, ld, tg and cot
// raise the runtime's EMathError. The generators GRandom, LongRand, CRandom
// and BRandom share process-wide state without a lock.
//
// The declarations live in topic headers below kvl/core/math1/:
//   kahansum.h    TKahanSum
//   ordering.h    QuickSelect, SortSwap, SortArray, SortIntoArray,
//                 InsertIntoArray, ExChange
//   evaluation.h  polynomials, table interpolation, Squash, HistoBinRef,
//                 CalcScalePars
//   integers.h    Factorial, Roman, primes, bit utilities, ConvertEndian,
//                 fractions and integer products
//   elementary.h  logarithms, hyperbolic and circular functions, angles,
//                 1-2-5 rounding, RoundDegrees and small rounding helpers
//   geometry.h    plane geometry, bounds and distances, DistFromEllipse
//   random.h      GRandom, LongRand, CRandom, BRandom

#include "kvl/core/math1/elementary.h"
#include "kvl/core/math1/evaluation.h"
#include "kvl/core/math1/geometry.h"
#include "kvl/core/math1/integers.h"
#include "kvl/core/math1/kahansum.h"
#include "kvl/core/math1/numtext.h"
#include "kvl/core/math1/ordering.h"
#include "kvl/core/math1/generators.h"
