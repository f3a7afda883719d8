#pragma once
// Tests on means and variances of normal samples: the F test of two
// variances, the one-sample chi-square test of a variance, the one- and
// two-sample t tests (paired, pooled variance, Welch).
//
//   double p = Perform2SampleTTest(a, b, TtTestVersion::ttHeteroScedastic, false);
//
// p-values. Two-sided unless OneSided; a one-sided p-value is the tail in
// the direction of the observed statistic (half the two-sided one for the
// symmetric t; the smaller of the two F or chi-square tails), so it is at
// most 1/2. Tails come from the incomplete beta and gamma functions in
// 80-bit arithmetic, each computed directly (relative error below 1e-13),
// which also serves Welch's fractional degrees of freedom. SciPy's
// ttest_1samp, ttest_ind (equal_var true/false) and ttest_rel give the
// same statistics and two-sided p-values.
//
// Bad input: -1 for a sample of fewer than 2 values, -2 as stated below;
// a NaN value makes the statistic and the p-value NaN. Outputs are 0
// first.
#include <cstdint>
#include <span>
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// TtTestVersion: the variant of the two-sample t test.
enum class TtTestVersion { ttPaired, ttHomoScedastic, ttHeteroScedastic };

/// PerformFTest: the F test of equal variances of A and B: sample means and
/// variances (divisor n - 1), F = Var1 / Var2 with df1 = |A| - 1, df2 = |B|
/// - 1; returns the p-value (two-sided: twice the smaller tail, at most 1).
double PerformFTest(std::span<const double> A, std::span<const double> B, bool OneSided, double& Mean1,
                    double& Var1, double& Mean2, double& Var2, double& F, std::int32_t& df1, std::int32_t& df2);

/// Perform1SampleChi2Test: the test that Data come from a normal
/// distribution of variance Sigma2: Mean, Var (divisor n - 1), Chi2 = (n -
/// 1) Var / Sigma2 with df = n - 1 degrees of freedom; returns the p-value
/// (two-sided: twice the smaller tail, at most 1). -2 if Sigma2 is not
/// above 0.
double Perform1SampleChi2Test(std::span<const double> Data, double Sigma2, bool OneSided, double& Mean, double& Var,
                              double& Chi2, std::int32_t& df);

/// Perform1SampleTTest: Student's test of the mean Mu0: Mean, StdDev
/// (divisor n - 1), t = (Mean - Mu0) sqrt(n) / StdDev, df = n - 1; returns
/// the p-value.
double Perform1SampleTTest(std::span<const double> Data, double Mu0, bool OneSided, double& Mean, double& StdDev,
                           double& t, std::int32_t& df);

/// Perform2SampleTTest: the two-sample t test of equal means: Mean1, Var1,
/// Mean2, Var2 of A and B, t = difference / StdErr and the degrees of
/// freedom dfExact (df its integral part). ttPaired: the one-sample test of
/// the differences A[i] - B[i] (df = n - 1; -2 if the lengths differ);
/// ttHomoScedastic: pooled variance (df = |A| + |B| - 2);
/// ttHeteroScedastic: Welch's test with the Welch-Satterthwaite degrees of
/// freedom. Returns the p-value.
double Perform2SampleTTest(std::span<const double> A, std::span<const double> B, TtTestVersion Version,
                           bool OneSided, double& Mean1, double& Var1, double& Mean2, double& Var2, double& t,
                           double& StdErr, double& dfExact, std::int32_t& df);
/// Perform2SampleTTest (vector form): the same for the elements of A and B.
double Perform2SampleTTest(const TVector& A, const TVector& B, TtTestVersion Version, bool OneSided,
                           double& Mean1, double& Var1, double& Mean2, double& Var2, double& t, double& StdErr,
                           double& dfExact, std::int32_t& df);
/// Perform2SampleTTest (short form): the p-value alone.
double Perform2SampleTTest(const TVector& A, const TVector& B, TtTestVersion Version, bool OneSided);
}  // namespace kvl
KVL_API_END
