#pragma once
// Ranking with ties, shared by the rank tests and the rank correlations.
//
//   std::vector<double> r(x.size());
//   double ties = RankWithTies(x, r);   // r: 1..n, ties share their mean rank
#include <span>
#include "kvl/runtime/export.h"
KVL_API_BEGIN
namespace kvl {
/// RankWithTies: Ranks[i] := the rank of x[i] in ascending order (1..m over
/// the m values that are not NaN), equal values sharing the mean of their
/// ranks; a NaN gets the rank NaN. Returns the tie term sum(t^3 - t) over
/// the runs of t equal values. Ranks must be as long as x (otherwise
/// nothing is written and the result is NaN); x and Ranks may be the same.
double RankWithTies(std::span<const double> x, std::span<double> Ranks);
}  // namespace kvl
KVL_API_END
