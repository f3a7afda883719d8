#pragma once
// The engine of agglomerative clustering: Lance–Williams updates of the
// distance matrix, merges in the order of a full scan for the closest pair
// (strict less-than, first pair in scan order), found in O(n²) overall
// through cached row minima. The public AgglomClustering wraps it and
// copies the tree into its integer matrix.

#include <cstdint>
#include <functional>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/modelling/cluster/cluster.h"

namespace kvl::cluster_internal {

/// TAgglomResult: merge s (1-based) joined the clusters Tree[3(s−1)] and
/// Tree[3(s−1) + 1] into the new identifier Tree[3(s−1) + 2] = n + s at
/// distance MergeDist[s − 1]; Positions[id − 1] is the dendrogram position
/// of identifier id (objects 1..n, merges n + 1..2n − 1).
struct TAgglomResult {
  std::vector<std::int32_t> Tree;
  std::vector<double> MergeDist;
  std::vector<double> Positions;
};

/// AgglomMerges: clusters the rows of Data under DistMode (distances by
/// CalcDistMat) and Method (FlexParam capped at 0.5). FeedBack, when set,
/// receives 0 at the start and step·100/n after each merge; each merge is
/// one ReportMathProgress(). Returns 0, or −1 when AbortMathProc stopped it
/// (Result then holds a zero tree and empty vectors). When no pair lies
/// below uc_MaxReal (infinite or NaN distances) the first active pair in
/// scan order merges.
std::int32_t AgglomMerges(TMatrix& Data, TDistMode DistMode, TClusterMethod Method, double FlexParam,
                          const std::function<void(double Percent)>& FeedBack, TAgglomResult& Result);

}  // namespace kvl::cluster_internal
