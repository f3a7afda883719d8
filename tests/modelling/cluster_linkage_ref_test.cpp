// AgglomClustering against SciPy's hierarchical linkage on stored random
// objects (cluster_linkage_ref_data.h, written by gen_linkage_refs.py): the
// same merges in the same order at the same distances, for every method
// whose update SciPy shares.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "cluster_linkage_ref_data.h"
#include "kvl/modelling/KVL_math2.h"

namespace kvl {
namespace {

using linkage_ref::kLinkageRefs;
using linkage_ref::TLinkageRef;

// Our method beside a SciPy method: the distance it runs on, the flexible
// parameter, and whether our merge distance is the square of SciPy's.
struct Mapping {
  const char* SciPy;
  TClusterMethod Method;
  double Flex = 0.0;
  bool Squared = false;  // Ward on dmEuclidSqr: SciPy reports the root
};

constexpr Mapping kMappings[] = {
    {"single", TClusterMethod::cmSingleLink},
    {"complete", TClusterMethod::cmCompleteLink},
    {"average", TClusterMethod::cmUpgma},
    {"weighted", TClusterMethod::cmAvgLink},
    {"weighted", TClusterMethod::cmFlexLink, 0.5},
    {"ward", TClusterMethod::cmWard, 0.0, true},
};

TDistMode ModeOf(const TLinkageRef& ref, const Mapping& m) {
  if (m.Squared) return TDistMode::dmEuclidSqr;
  return std::string(ref.Metric) == "cityblock" ? TDistMode::dmManhattan : TDistMode::dmEuclid;
}

TEST(AgglomClusteringVsSciPy, SameMergesInTheSameOrderAtTheSameDistances) {
  int compared = 0;
  for (const TLinkageRef& ref : kLinkageRefs) {
    for (const Mapping& m : kMappings) {
      if (std::string(ref.Method) != m.SciPy) continue;
      ++compared;
      const std::string what = std::string(ref.Metric) + " " + ref.Method + " as " +
                               std::string(ClusterMethodID[static_cast<std::size_t>(m.Method)]);
      TMatrix data;
      data.Resize(ref.Cols, ref.Rows);
      for (std::int32_t r = 0; r < ref.Rows; ++r)
        for (std::int32_t c = 0; c < ref.Cols; ++c) data.SetVal(c + 1, r + 1, ref.Objects[r * ref.Cols + c]);
      TIntMatrix tree;
      TVector dist, pos;
      ASSERT_EQ(AgglomClustering(nullptr, data, ModeOf(ref, m), m.Method, m.Flex, tree, dist, pos), 0) << what;
      const std::int32_t merges = ref.Rows - 1;
      ASSERT_EQ(tree.NrOfRows(), merges) << what;
      ASSERT_EQ(dist.NrOfElem(), merges) << what;
      for (std::int32_t s = 1; s <= merges; ++s) {
        // SciPy: 0-based labels, smaller first; ours 1-based, survivor first.
        const std::int32_t a = tree.GetVal(1, s) - 1, b = tree.GetVal(2, s) - 1;
        const std::pair<std::int32_t, std::int32_t> got{std::min(a, b), std::max(a, b)};
        const std::pair<std::int32_t, std::int32_t> want{ref.Pairs[2 * (s - 1)], ref.Pairs[2 * (s - 1) + 1]};
        ASSERT_EQ(got, want) << what << ", merge " << s;
        EXPECT_EQ(tree.GetVal(3, s), ref.Rows + s) << what;
        const double d = ref.Dist[s - 1];
        const double expected = m.Squared ? d * d : d;
        EXPECT_NEAR(dist.Elem(s), expected, 1e-12 * expected) << what << ", merge " << s;
      }
    }
  }
  EXPECT_EQ(compared, 11);  // 6 mappings on the Euclidean objects, 5 without Ward on city-block
}

}  // namespace
}  // namespace kvl
