#pragma once
// Contingency tables: chi-square tests (plain and with Yates' correction),
// the probability of a 2 x 2 table and Fisher's exact test, Goodman and
// Kruskal's lambda and the adjusted Rand index.
//
//   TInt2DArray t{{10, 20, 30}, {30, 40, 70}, {40, 60, 100}};  // 2 x 2 + margins
//   double chi2, p;
//   if (Chi2OfContTab(t, chi2, p) == 0) { ... }
//
// Tables are T[i][j] with 0-based indices. The chi-square functions, Lambda
// and AdjustedRandIx take the table with its margins in the last index of
// each dimension: T[i][last] is the total of row i, T[last][j] the total of
// column j and T[last][last] the grand total N (r x c counts are stored as
// (r + 1) x (c + 1)). Prob2x2Contingency and FisherExactTest take the bare
// 2 x 2 counts. No function changes the table. A table is unusable when it
// is empty or ragged (rows of different lengths), holds a negative count, or
// (where margins are expected) a margin differs from the sum of its cells;
// each function states what it returns then, and leaves its outputs at the
// values they were given at the start.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// Chi2OfContTab: the chi-square statistic of a table with margins
/// (sum of (T - e)^2 / e over the inner cells with expected count
/// e = row total x column total / N > 0) and its p-value with
/// (rows - 1)(columns - 1) degrees of freedom. Chi2 = p = 0 and -1 unless
/// both dimensions (margins included) are at least 3 and the table is
/// usable; else 0.
std::int32_t Chi2OfContTab(const TInt2DArray& T, double& Chi2, double& p);

/// Chi2OfContTabYates: chi-square with Yates' continuity correction of a
/// 2 x 2 table given with margins (3 x 3), N (|ad - bc| - N/2)^2 / (product
/// of the four margins), and its p-value (1 degree of freedom). -1 unless T
/// is a usable 3 x 3 table, -2 if a margin is 0; else 0.
std::int32_t Chi2OfContTabYates(const TInt2DArray& T, double& Chi2, double& p);

/// Prob2x2Contingency: the hypergeometric probability of the bare 2 x 2
/// table T given its margins (from the table of ln n!). p = 0 and -1 unless
/// T is 2 x 2, -2 if N > 1000, -3 if a count is negative; else 0.
std::int32_t Prob2x2Contingency(const TInt2DArray& T, double& p);

/// FisherExactTest: Fisher's exact test of the bare 2 x 2 table T: the
/// probabilities of the tables with T's margins, summed up to the observed
/// one (pLow), from it upwards (pHigh) and over all tables no more probable
/// than it (pTwo). The running cell is T[0][0], T[0][1] or T[1][0] along the
/// smallest margin. Codes as Prob2x2Contingency; outputs 0 on failure.
std::int32_t FisherExactTest(const TInt2DArray& T, double& pLow, double& pHigh, double& pTwo);

/// Lambda: Goodman and Kruskal's lambda of a table with margins, LambdaA
/// predicting the second index from the first and LambdaB the first from
/// the second. Both 0 and -1 if the table is unusable (a margin that
/// disagrees with its cells included) or has no inner cell; else 0. A
/// lambda whose denominator is 0 (all counts in one column resp. row) is
/// NaN.
std::int32_t Lambda(const TInt2DArray& T, double& LambdaA, double& LambdaB);

/// AdjustedRandIx: the adjusted Rand index of the two partitions that a
/// table with margins cross-classifies (1 for identical partitions, about 0
/// for independent ones). Pair counts are formed in 64-bit integers and
/// their products in extended precision, so large tables give the right
/// index. NaN for an unusable table or fewer than two objects (N < 2), and
/// where the index is 0 / 0.
double AdjustedRandIx(const TInt2DArray& T);

}  // namespace kvl

KVL_API_END
