#pragma once
// Variance homogeneity (Bartlett, Levene), one-way analysis of variance and
// Friedman's rank test.
//
//   double F;
//   double p = LeveneTest(data, groups, F);   // p-value, or a code below 0
//
// Groups. LeveneTest and Anova1F take the group label of each value in a
// TIntVector parallel to the data; equal labels form a group, and groups are
// numbered in the order in which their first member appears.
//
// Accuracy. The sums of squares are formed about the group means and the
// grand mean (data shifted by their first value, 80-bit sums, a correcting
// second pass) rather than as differences of raw sums such as sum(x^2) -
// (sum x)^2 / n, which are equal in exact arithmetic but lose every digit
// when the data share a large offset. On the NIST StRD one-way sets SSB,
// SSW and F agree to 15 digits with exact arithmetic on the given doubles
// (docs/statistics.md lists the figures).
//
// NaN. A NaN among the values makes the statistic NaN and the p-value NaN;
// nothing raises.
#include <cstdint>
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// BartlettTest: Bartlett's chi-square test that the groups Data[i][0 ..
/// N[i] - 1] share one variance. Chi2 (0 first) receives the corrected
/// statistic; the result is its p-value with k - 1 degrees of freedom. -1 if
/// Data and N differ in length or a group holds fewer than N[i] values, -2
/// if any N[i] < 6. A group variance of 0 enters as ln s^2 = -9999999.
double BartlettTest(const TDouble2DArray& Data, const TIntArray& N, double& Chi2);

/// LeveneTest: Levene's test of equal variances on the absolute deviations
/// from the group means; F (0 first) receives the statistic and the result
/// is its p-value with (g - 1, n - g) degrees of freedom. -4 if Data and
/// Groups differ in length, -1 for a single group, -2 if there are as many
/// groups as values, -3 (F = 0) if every deviation equals its group's mean
/// deviation and the group means of the deviations agree; F = uc_MaxReal and
/// result 0 if only the within-group part is 0.
double LeveneTest(const TVector& Data, const TIntVector& Groups, double& F);

/// Anova1F: the one-way analysis of variance of Data under Groups: sums of
/// squares between (SSB), within (SSW) and in total (SST), their degrees of
/// freedom and F = (SSB/dfB)/(SSW/dfW); the result is the p-value of F.
/// Outputs are 0 first; codes -1 .. -4 and the zero cases as LeveneTest.
double Anova1F(const TVector& Data, const TIntVector& Groups, double& SSB, double& SSW, double& SST,
               std::int32_t& dfB, std::int32_t& dfW, std::int32_t& dfT, double& F);

/// FriedmanTest: Friedman's test of k treatments (the columns of Mat) over b
/// blocks (its rows): each row is ranked (ties share their mean rank), Chi2
/// (0 first) receives the statistic, corrected for ties, and the result is
/// its p-value with k - 1 degrees of freedom. -1 for fewer than 3 columns.
double FriedmanTest(const TMatrix& Mat, double& Chi2);
}  // namespace kvl
KVL_API_END
