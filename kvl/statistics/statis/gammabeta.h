#pragma once
// Gamma and beta functions of the statistics unit: log-gamma, the
// regularised incomplete gamma and beta functions, binomial coefficients.
//
// These are the library's classic fixed-accuracy routines (about 1e-8
// relative for the incomplete functions, about 2e-10 absolute for LnGamma;
// NaN arguments give NaN);
// arguments outside their domain give a fixed fallback value, never an
// exception. The chi-square, t, F and binomial distributions are computed
// with more accurate kernels of their own (see continuous.h, discrete.h).

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// LnGamma: ln Gamma(x) by the six-term Lanczos series (absolute error about
/// 2e-10); 0 for x <= 0.
double LnGamma(double x);

/// IncompleteGamma: the regularised lower incomplete gamma function P(A, X);
/// note that the point X comes first and the shape A second. Series for
/// X < A + 1 (stopped when a term falls below 1e-8 of the sum, so the
/// error grows to a few 1e-8 as X nears A + 1), continued fraction otherwise
/// (relative change below 1e-8). 0 if X <= 0 or A <= 0; 1 for X = +infinity.
double IncompleteGamma(double X, double A);

/// LnBeta: ln B(A, B) = LnGamma(A) + LnGamma(B) - LnGamma(A + B); 0 if A < 0
/// or B < 0.
double LnBeta(double A, double B);

/// IncompleteBeta: the regularised incomplete beta function I_X(A, B), the
/// point X first; continued fraction to a relative tolerance of 1e-8 (at
/// most 100 steps). 0 for X < 0, 1 for X > 1.
double IncompleteBeta(double X, double A, double B);

/// BinomCoeff: the binomial coefficient C(n, k) from LnGamma, rounded to the
/// nearest integer; 0 unless 0 <= k <= n, -1 if it exceeds 2147483647.
std::int32_t BinomCoeff(std::int32_t n, std::int32_t k);

/// LnBinomCoeff: ln C(n, k) from LnGamma; -1 unless 0 <= k <= n.
double LnBinomCoeff(std::int32_t n, std::int32_t k);

}  // namespace kvl

KVL_API_END
