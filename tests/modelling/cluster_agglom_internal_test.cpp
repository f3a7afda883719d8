// The agglomerative engine (internal: static builds only) against a full
// scan of the distance matrix per merge, the dendrogram positions, progress
// and abort, and the public AgglomClustering against the engine.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl/modelling/cluster/internal/agglom_engine.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using cluster_internal::AgglomMerges;
using cluster_internal::TAgglomResult;

// The described O(n³) procedure, written out directly.
TAgglomResult FullScan(const TMatrix& Data, TClusterMethod M, double Flex) {
  const std::int32_t n = Data.NrOfRows();
  std::vector<std::vector<double>> d(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n)));
  for (std::int32_t a = 1; a <= n; ++a)
    for (std::int32_t b = 1; b <= n; ++b) {
      double s = 0;
      for (std::int32_t c = 1; c <= Data.NrOfColumns(); ++c) s += std::pow(Data.Elem(c, a) - Data.Elem(c, b), 2);
      d[static_cast<std::size_t>(a - 1)][static_cast<std::size_t>(b - 1)] = std::sqrt(s);
    }
  std::vector<int> id(static_cast<std::size_t>(n)), sz(static_cast<std::size_t>(n), 1), act(static_cast<std::size_t>(n), 1);
  for (std::int32_t i = 0; i < n; ++i) id[static_cast<std::size_t>(i)] = i + 1;
  TAgglomResult r;
  for (std::int32_t s = 1; s < n; ++s) {
    double best = uc_MaxReal;
    std::size_t bi = 0, bj = 0;
    for (std::size_t i = 0; i < d.size(); ++i)
      for (std::size_t j = i + 1; j < d.size(); ++j)
        if (act[i] && act[j] && d[i][j] < best) best = d[i][j], bi = i, bj = j;
    const double dij = d[bi][bj], ni = sz[bi], nj = sz[bj];
    for (std::size_t k = 0; k < d.size(); ++k) {
      if (!act[k] || k == bi || k == bj) continue;
      const double a = d[bi][k], b = d[bj][k], nk = sz[k];
      double v = 0;
      switch (M) {
        case TClusterMethod::cmSingleLink: v = std::min(a, b); break;
        case TClusterMethod::cmCompleteLink: v = std::max(a, b); break;
        case TClusterMethod::cmWard: v = ((nk + ni) * a + (nk + nj) * b - nk * dij) / (ni + nj + nk); break;
        case TClusterMethod::cmAvgLink: v = (a + b) / 2; break;
        case TClusterMethod::cmFlexLink: v = Flex * (a + b) + (1 - 2 * Flex) * dij; break;
        case TClusterMethod::cmUpgma: v = (ni * a + nj * b) / (ni + nj); break;
      }
      d[bi][k] = d[k][bi] = v;
    }
    r.Tree.insert(r.Tree.end(), {id[bi], id[bj], n + s});
    r.MergeDist.push_back(dij);
    id[bi] = n + s;
    sz[bi] += sz[bj];
    act[bj] = 0;
  }
  return r;
}

struct AgglomCase {
  const char* Name;
  TClusterMethod Method;
  bool Grid;  // small integer values: many equal distances
  std::int32_t Cols = 2;
};
void PrintTo(const AgglomCase& c, std::ostream* os) { *os << c.Name; }

class AgglomScan : public ::testing::TestWithParam<AgglomCase> {};

TEST_P(AgglomScan, SameMergesAndDistancesAsAFullScan) {
  const AgglomCase& tc = GetParam();
  TMatrix data;
  constexpr std::int32_t n = 60;
  const std::int32_t p = tc.Cols;
  data.Resize(p, n);
  const std::vector<double> v = test::RandomValues(static_cast<std::size_t>(p * n), 41);
  for (std::int32_t r = 1; r <= n; ++r)
    for (std::int32_t c = 1; c <= p; ++c) {
      const double x = v[static_cast<std::size_t>((r - 1) * p + c - 1)];
      data.SetVal(c, r, tc.Grid ? std::round(3 * x) : x);
    }
  TAgglomResult got;
  ASSERT_EQ(AgglomMerges(data, TDistMode::dmEuclid, tc.Method, 0.7, nullptr, got), 0);
  const TAgglomResult ref = FullScan(data, tc.Method, 0.5);  // 0.7 is capped at 0.5
  EXPECT_EQ(got.Tree, ref.Tree);
  ASSERT_EQ(got.MergeDist.size(), ref.MergeDist.size());
  for (std::size_t s = 0; s < ref.MergeDist.size(); ++s)
    EXPECT_NEAR(got.MergeDist[s], ref.MergeDist[s], test::kTol1e14) << s;  // the library's distance kernel
}

INSTANTIATE_TEST_SUITE_P(Methods, AgglomScan,
                         ::testing::Values(AgglomCase{"Single", TClusterMethod::cmSingleLink, false},
                                           AgglomCase{"Complete", TClusterMethod::cmCompleteLink, false},
                                           AgglomCase{"Ward", TClusterMethod::cmWard, false},
                                           AgglomCase{"Average", TClusterMethod::cmAvgLink, false},
                                           AgglomCase{"Flexible", TClusterMethod::cmFlexLink, false},
                                           AgglomCase{"Upgma", TClusterMethod::cmUpgma, false},
                                           AgglomCase{"SingleTies", TClusterMethod::cmSingleLink, true},
                                           AgglomCase{"CompleteTies", TClusterMethod::cmCompleteLink, true},
                                           AgglomCase{"WardTies", TClusterMethod::cmWard, true},
                                           AgglomCase{"SingleTiesOnALine", TClusterMethod::cmSingleLink, true, 1},
                                           AgglomCase{"AverageTiesOnALine", TClusterMethod::cmAvgLink, true, 1},
                                           AgglomCase{"UpgmaTiesOnALine", TClusterMethod::cmUpgma, true, 1}),
                         [](const auto& info) { return info.param.Name; });

TEST(Agglom, ThreePointsTreePositionsAndProgress) {
  TMatrix data;
  data.Resize(1, 3);
  data.SetVal(1, 2, 1.0);
  data.SetVal(1, 3, 5.0);
  std::vector<double> progress;
  TAgglomResult r;
  ASSERT_EQ(AgglomMerges(data, TDistMode::dmEuclid, TClusterMethod::cmSingleLink, 0, [&](double p) { progress.push_back(p); }, r), 0);
  EXPECT_EQ(r.Tree, (std::vector<std::int32_t>{1, 2, 4, 4, 3, 5}));
  EXPECT_EQ(r.MergeDist, (std::vector<double>{1, 4}));
  EXPECT_EQ(r.Positions, (std::vector<double>{1, 2, 3, 1.5, 2.25}));
  EXPECT_EQ(progress, (std::vector<double>{0, 100.0 / 3, 200.0 / 3}));
}

TEST(Agglom, AbortGivesAZeroTreeAndEmptyVectors) {
  TMatrix data;
  data.Resize(1, 4);
  for (std::int32_t r = 1; r <= 4; ++r) data.SetVal(1, r, r * r);
  TAgglomResult r;
  AbortMathProc = true;
  const std::int32_t rc = AgglomMerges(data, TDistMode::dmEuclid, TClusterMethod::cmWard, 0, nullptr, r);
  AbortMathProc = false;
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(r.Tree, std::vector<std::int32_t>(9, 0));
  EXPECT_TRUE(r.MergeDist.empty());
  EXPECT_TRUE(r.Positions.empty());
}

TEST(Agglom, NaNDistancesStillMergeEveryObject) {
  TMatrix data;
  data.Resize(1, 3);
  for (std::int32_t r = 1; r <= 3; ++r) data.SetVal(1, r, std::nan(""));
  TAgglomResult r;
  ASSERT_EQ(AgglomMerges(data, TDistMode::dmEuclid, TClusterMethod::cmAvgLink, 0, nullptr, r), 0);
  EXPECT_EQ(r.Tree, (std::vector<std::int32_t>{1, 2, 4, 4, 3, 5}));  // first active pairs
}

// The public form stores the engine's tree, distances and positions in the
// containers and passes Sender to the progress method.
TEST(AgglomClustering, StoresTheEnginesResultInTheContainers) {
  TMatrix data;
  data.Resize(2, 6);
  const double cells[6][2] = {{0, 0}, {1, 0}, {5, 5}, {6, 5}, {0, 9}, {2, 1}};
  for (std::int32_t r = 0; r < 6; ++r)
    for (std::int32_t c = 0; c < 2; ++c) data.SetVal(c + 1, r + 1, cells[r][c]);
  TAgglomResult engine;
  TMatrix copy;
  copy.Assign(&data);
  ASSERT_EQ(AgglomMerges(copy, TDistMode::dmEuclid, TClusterMethod::cmAvgLink, 0, nullptr, engine), 0);

  TIntMatrix tree;
  TVector dist, pos;
  TObject sender;
  std::vector<double> progress;
  const TOnPercentDoneEvent feedBack = [&](TObject* s, double p) {
    EXPECT_EQ(s, &sender);
    progress.push_back(p);
  };
  ASSERT_EQ(AgglomClustering(&sender, data, TDistMode::dmEuclid, TClusterMethod::cmAvgLink, 0, tree, dist, pos, feedBack), 0);
  ASSERT_EQ(tree.NrOfColumns(), 3);
  ASSERT_EQ(tree.NrOfRows(), 5);
  for (std::int32_t s = 0; s < 5; ++s)
    for (std::int32_t c = 0; c < 3; ++c) EXPECT_EQ(tree.GetVal(c + 1, s + 1), engine.Tree[3 * s + c]) << s;
  EXPECT_EQ(std::vector<double>(dist.Data().begin(), dist.Data().end()), engine.MergeDist);
  EXPECT_EQ(std::vector<double>(pos.Data().begin(), pos.Data().end()), engine.Positions);
  EXPECT_EQ(progress.size(), 6u);

  // One object: nothing merges.
  TMatrix one;
  one.Resize(2, 1);
  ASSERT_EQ(AgglomClustering(nullptr, one, TDistMode::dmEuclid, TClusterMethod::cmWard, 0, tree, dist, pos), 0);
  EXPECT_EQ(tree.NrOfRows(), 1);
  EXPECT_EQ(tree.GetVal(3, 1), 0);
  EXPECT_TRUE(dist.IsEmpty());

  // Abort: a zero tree and empty vectors.
  AbortMathProc = true;
  EXPECT_EQ(AgglomClustering(nullptr, data, TDistMode::dmEuclid, TClusterMethod::cmWard, 0, tree, dist, pos), -1);
  AbortMathProc = false;
  EXPECT_EQ(tree.NrOfRows(), 5);
  EXPECT_EQ(tree.GetVal(3, 5), 0);
  EXPECT_TRUE(dist.IsEmpty());
  EXPECT_TRUE(pos.IsEmpty());
  EXPECT_EQ(dist.NrOfElem(), 1);
}

}  // namespace
}  // namespace kvl
