#pragma once
// Runs tests of randomness and the Durbin-Watson statistic of serial
// correlation.
//
//   double p;
//   bool nonRandom = RunsTestSerial(residuals, p);   // p < 0.05
//
// A run is a maximal stretch of equal neighbours in a sequence of two
// kinds; too few or too many runs speak against a random order.
#include <cstdint>
#include <span>
#include "kvl/base/KVL_dstruct.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// ExactRunsTest: P(at most R runs) in a random order of NA elements of one
/// kind and NB of the other (the counts are ordered so that NA <= NB); 0 for
/// R < 2, 1 when one kind is absent and R >= 1, NaN for a negative count.
/// The binomial coefficients are exact (80-bit, integral up to 2^64), so
/// large counts do not overflow.
double ExactRunsTest(std::int32_t NA, std::int32_t NB, std::int32_t R);

/// RunsTest: the runs test of the bits 0 .. Size - 1 of Bits: with T true
/// and F false bits and r runs, p = ExactRunsTest(T, F, r) when T, F <= 25,
/// else the normal approximation of r, one-tailed towards the side r lies
/// on. Returns p < 0.05. p = 1 and false for an empty field.
bool RunsTest(const TBitFld& Bits, double& p);
/// RunsTest (array form): the same for the elements of Bits.
bool RunsTest(const TBoolArray& Bits, double& p);

/// RunsTestSerial: the runs test of the values above (true) and not above
/// the median: PercentileOfArray(Data, 50, 0, n - 1), an element of Data.
/// p = -1 first; false with p = -1 when the median fails (no data) or a
/// value is NaN.
bool RunsTestSerial(std::span<const double> Data, double& p);
/// RunsTestSerial (vector form): the same about Q2 of TVector::Quartiles.
bool RunsTestSerial(const TVector& Data, double& p);

/// DurbinWatson: d = sum_{i>=2} (e_i - e_{i-1})^2 / sum e_i^2 of the
/// residuals; 2.0 for fewer than 3 values, 0 when all are 0.
double DurbinWatson(std::span<const double> Resid);

/// DurbinWatsonCrit5pct: the 5 % bounds dL and dU of d for n observations
/// and a model of k regressors besides the constant (d < dL: positive
/// serial correlation; d > dU: none; between: inconclusive). dL = dU = 0
/// and false unless n - k >= 5, 1 <= k <= 20 and 5 <= n <= 2000. Exact
/// bounds (Imhof) for n <= 100, fitted curves above (see durbin_watson
/// notes in docs/statistics.md).
bool DurbinWatsonCrit5pct(std::int32_t n, std::int32_t k, double& dL, double& dU);
}  // namespace kvl
KVL_API_END
