#pragma once
// Pearson's correlation coefficient and the t test of a hypothesised
// correlation.
//
//   double r, p;
//   if (CorrTest(x, y, 0.0, r, p) == 0 && p < 0.05) { ... }
//
// The sums of squares and products are formed about the means (two
// passes, 80-bit sums), equal in exact arithmetic to the raw-sum formulas
// but free of their cancellation when the data share a large offset.
#include <cstdint>
#include <span>
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// PearsonCorrCoeff: r = Sxy / sqrt(|Sxx Syy|) of the pairs (X[i], Y[i]);
/// r = 0 when X or Y is constant (or all 0). Result -2 if the lengths
/// differ, -1 for fewer than 3 pairs (r = 0 then); else 0. A NaN gives r
/// = NaN with result 0.
std::int32_t PearsonCorrCoeff(std::span<const double> X, std::span<const double> Y, double& r);

/// CorrTest: r as PearsonCorrCoeff and the one-tailed p-value
/// 1 - tDistriIntegral(|t|, n - 2) of t = sqrt(n - 2)(r - Rho0) /
/// sqrt((1 - r^2)(1 - Rho0^2)) (t = 0 when r = Rho0; p = 0 when r^2 >= 1
/// and r != Rho0). r = p = 0 first; the result is PearsonCorrCoeff's code,
/// or -3 when Rho0 lies outside -1..1 (or is NaN).
std::int32_t CorrTest(std::span<const double> X, std::span<const double> Y, double Rho0, double& r, double& p);
}  // namespace kvl
KVL_API_END
