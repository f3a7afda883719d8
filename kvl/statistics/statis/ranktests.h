#pragma once
// Sign, median and rank tests: the binomial sign test, the median test, the
// comparison of two binned distributions, the Wilcoxon signed-rank test and
// its critical values, the Mann-Whitney U test and the Siegel-Tukey test.
//
//   double U;
//   double p = PerformMannWhitneyUTest(a, b, false, U);   // two-sided p-value
//
// Every function sets its var outputs first (to 0 unless stated) and
// leaves them there when it fails. A NaN among the values gives the code
// or NaN result each declaration states; nothing is sorted in place.
#include <cstdint>
#include <span>
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// BinomSignTest: the binomial probability C(n, k) p^k (1 - p)^(n - k) of
/// exactly the k true signs among the n = |Signs| (not a tail sum). -1 for
/// fewer than 3 signs, -2 for p outside 0..1 (or NaN), -3 if p^k is 0 or
/// (1 - p)^(n - k) is not positive.
double BinomSignTest(const TBoolArray& Signs, double p);

/// MedianTest: the median test of two samples: the 2 x 2 table of sample
/// (A, B) against side (above the common median, not above), with its
/// chi-square (Chi2, pChi2), Yates-corrected chi-square (Chi2Yates, pYates)
/// and Fisher's two-sided exact p-value (pFisher, -1 when Fisher's test is
/// not possible, e.g. more than 1000 values). The median is Q2 at position
/// (n + 1)/2 of the sorted |A| + |B| values (a position at or beyond n reads
/// the largest value), the rule of the data table's quartiles; the table and
/// its margins are counted directly, with the results a temporary data
/// table and its contingency table would give. Outputs 0 (pFisher -1)
/// first; -1 if either sample is empty, -2 if Yates' correction fails (a
/// margin is 0; Chi2Yates, pYates 0, Fisher not computed), -3 for a NaN
/// among the values; else 0.
std::int32_t MedianTest(std::span<const double> A, std::span<const double> B, double& Chi2, double& pChi2,
                        double& Chi2Yates, double& pYates, double& pFisher);

/// PerformChi2DistComp: chi-square comparison of two binned distributions
/// of counts Obs1 and Obs2 (N1, N2 their totals): bins are pooled from the
/// left until the pooled Obs2 count exceeds 5 (and the next Obs2 bin is
/// not 0), each pool adding (a1 sqrt(N2/N1) - a2 sqrt(N1/N2))^2 / a2 to Chi2
/// and 1 to df (which starts at -1); p = 1 - chi2DistriIntegral(Chi2, df).
/// Outputs 0 first; -1 if the lengths differ, -2 if either is empty, -3 if
/// N1 or N2 is 0, -4 for a negative count; else 0. A pool with counts only
/// in Obs1 gives Chi2 = infinity (p = 0); a single pool (df = 0) gives p NaN.
std::int32_t PerformChi2DistComp(const TIntArray& Obs1, const TIntArray& Obs2, double& Chi2, double& p,
                                 std::int32_t& df, std::int32_t& N1, std::int32_t& N2);

/// WilcoxonSRQuantile: the critical value T of the Wilcoxon signed-rank
/// statistic for n pairs at level Alpha (two-sided, or one-sided with
/// TwoSided false): W+ <= T is significant. For n <= 100 a parabola in
/// ln Alpha (least squares) through the exact critical values at alpha =
/// 0.1, 0.05, 0.02, 0.01, 0.001 (the largest t with P(W+ <= t) <= alpha/2,
/// 0 where none; the first 3 levels for n = 8, 4 for n = 9, 10, all 5
/// otherwise), rounded, at least 0; above 100 the normal approximation. -1 unless 8 <= n <= 1000000 and 0.000499999 <= Alpha <=
/// 0.20000001.
std::int32_t WilcoxonSRQuantile(std::int32_t n, double Alpha, bool TwoSided);

/// WilcoxonSignedRankTest: the signed-rank test of the paired samples A and
/// B: over the m pairs with A[i] != B[i], WPlus = the rank sum of the
/// positive differences (ties share their mean rank), Median = Q2 of the m
/// differences ((n + 1)/2 rule; 0 for m = 0), TLow = WilcoxonSRQuantile(m,
/// Alpha, not OneSided) and THigh = m(m + 1)/2 - TLow: WPlus outside
/// TLow..THigh is significant. TLow = THigh = -1 when no critical value
/// exists (m < 8). Outputs 0 first; -1 if a sample has fewer than 8
/// values, -2 if the lengths differ, -3 unless 0 < Alpha < 1, -4 for a NaN
/// in A or B; else 0.
std::int32_t WilcoxonSignedRankTest(std::span<const double> A, std::span<const double> B, double Alpha,
                                    bool OneSided, double& Median, double& WPlus, double& TLow, double& THigh);

/// PerformMannWhitneyUTest: the Mann-Whitney U test (Wilcoxon rank-sum
/// test) of two independent samples. U (0 first) = the number of pairs
/// (a, b) with a > b plus half the pairs with a = b (the U of A; that of B
/// is |A||B| - U). The result is the p-value: two-sided, or with OneSided
/// the one tail in the direction the data lean (P(U' >= U) when U is above
/// |A||B|/2, else P(U' <= U)). Exact from the U distribution when there are
/// no ties and the distribution is exact (see discrete.h); otherwise the
/// normal approximation with tie correction of the variance and continuity
/// correction 0.5 (SciPy's mannwhitneyu, method "exact" resp.
/// "asymptotic", gives the same). A two-sided p is at most 1; 1 when
/// every value is tied. -1 if a sample is empty; NaN (U NaN) for a NaN
/// value.
double PerformMannWhitneyUTest(std::span<const double> A, std::span<const double> B, bool OneSided, double& U);
/// PerformMannWhitneyUTest (vector form): the same for the elements of two
/// vectors.
double PerformMannWhitneyUTest(const TVector& A, const TVector& B, bool OneSided, double& U);

/// PerformSiegelTukeyTest: the Siegel-Tukey test of equal dispersion of two
/// samples: the pooled sorted values get the ranks 1 (smallest), 2, 3 (the
/// two largest), 4, 5 (the next two smallest), ... alternating between the
/// ends, equal values sharing the mean of their ranks; U (0 first) and the
/// two-sided p-value are those of the Mann-Whitney test on these ranks. -1
/// if a sample is empty; NaN for a NaN value.
double PerformSiegelTukeyTest(std::span<const double> A, std::span<const double> B, double& U);
}  // namespace kvl
KVL_API_END
