// AgglomClustering: the public form of the merge engine, with the tree in
// an integer matrix and the distances and positions in vectors.

#include <cstdint>
#include <span>

#include "kvl/modelling/cluster/cluster.h"
#include "kvl/modelling/cluster/internal/agglom_engine.h"

namespace kvl {
namespace {

/// StoreValues: V := Values (1-based), or one element 0 with IsEmpty when
/// there are none; one OnChange.
void StoreValues(TVector& V, std::span<const double> Values) {
  if (Values.empty()) {
    V.Resize(1);
    V.Clear();
    return;
  }
  V.Resize(static_cast<std::int32_t>(Values.size()));
  V.CopyFrom(Values, 0, static_cast<std::int32_t>(Values.size()) - 1, 1);
}

}  // namespace

std::int32_t AgglomClustering(TObject* Sender, TMatrix& Data, TDistMode DistMode, TClusterMethod Method,
                              double FlexParam, TIntMatrix& Tree, TVector& MergeDist, TVector& Positions,
                              const TOnPercentDoneEvent& FeedBack) {
  cluster_internal::TAgglomResult r;
  std::function<void(double)> report;
  if (FeedBack) report = [&](double Percent) { FeedBack(Sender, Percent); };
  const std::int32_t status = cluster_internal::AgglomMerges(Data, DistMode, Method, FlexParam, report, r);
  const auto merges = static_cast<std::int32_t>(r.Tree.size() / 3);
  Tree.Resize(3, merges > 0 ? merges : 1);
  Tree.Fill(0);
  for (std::int32_t s = 0; s < merges; ++s)
    for (std::int32_t c = 0; c < 3; ++c) Tree.SetVal(c + 1, s + 1, r.Tree[static_cast<std::size_t>(3 * s + c)]);
  StoreValues(MergeDist, r.MergeDist);
  StoreValues(Positions, r.Positions);
  return status;
}

}  // namespace kvl
