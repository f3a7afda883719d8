// k-means against a direct Lloyd iteration, its renumbering, messages and
// the step estimate.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using Rows = std::vector<std::vector<double>>;  // [object][variable]

void Fill(TMatrix& M, const Rows& x) {
  M.Resize(static_cast<std::int32_t>(x[0].size()), static_cast<std::int32_t>(x.size()));
  for (std::size_t r = 0; r < x.size(); ++r)
    for (std::size_t c = 0; c < x[r].size(); ++c)
      M.SetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1), x[r][c]);
}

Rows RandomRows(std::size_t n, std::size_t p, unsigned Seed) {
  const std::vector<double> v = test::RandomValues(n * p, Seed);
  Rows x(n, std::vector<double>(p));
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = 0; c < p; ++c) x[r][c] = v[r * p + c] + 3.0 * static_cast<double>(r % 3);
  return x;
}

// The textbook iteration, one object and one centre at a time: nearest
// centre by strict less-than, centres as member means, stop when stable.
struct Lloyd {
  Rows Centres;
  std::vector<int> Assign;
  std::vector<int> Sizes;
};

Lloyd DirectLloyd(const Rows& x, std::size_t K, std::int32_t Seed) {
  Lloyd L;
  if (Seed > 0) RandSeed = Seed;
  for (std::size_t j = 0; j < K; ++j)
    L.Centres.push_back(x[Seed > 0 ? static_cast<std::size_t>(Random(static_cast<std::int32_t>(x.size()))) : j]);
  L.Assign.assign(x.size(), -1);
  for (;;) {
    bool changed = false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      double best = std::numeric_limits<double>::max();
      int arg = 0;
      for (std::size_t j = 0; j < K; ++j) {
        double d = 0;
        for (std::size_t c = 0; c < x[i].size(); ++c) d += (x[i][c] - L.Centres[j][c]) * (x[i][c] - L.Centres[j][c]);
        if (d < best) best = d, arg = static_cast<int>(j);
      }
      changed |= L.Assign[i] != arg;
      L.Assign[i] = arg;
    }
    if (!changed) break;
    L.Sizes.assign(K, 0);
    for (auto& c : L.Centres) std::fill(c.begin(), c.end(), 0.0);
    for (std::size_t i = 0; i < x.size(); ++i) {
      ++L.Sizes[static_cast<std::size_t>(L.Assign[i])];
      for (std::size_t c = 0; c < x[i].size(); ++c) L.Centres[static_cast<std::size_t>(L.Assign[i])][c] += x[i][c];
    }
    for (std::size_t j = 0; j < K; ++j)
      if (L.Sizes[j] > 0)
        for (double& v : L.Centres[j]) v /= L.Sizes[j];
  }
  return L;
}

struct LloydCase {
  const char* Name;
  std::size_t n, p, K;
  std::int32_t Seed;
  bool Duplicates;  // rows repeat in pairs: equal distances and empty clusters
};
void PrintTo(const LloydCase& c, std::ostream* os) { *os << c.Name; }

class KMeansLloyd : public ::testing::TestWithParam<LloydCase> {};

TEST_P(KMeansLloyd, EqualsDirectIterationRenumberedBySize) {
  const LloydCase& tc = GetParam();
  Rows x = RandomRows(tc.n, tc.p, 7);
  if (tc.Duplicates)
    for (std::size_t r = 1; r < x.size(); r += 2) x[r] = x[r - 1];
  TMatrix data, centers;
  TIntVector assign, sizes;
  Fill(data, x);
  const double sum = kMeansClustering(data, 0, 0, static_cast<std::int32_t>(tc.K), tc.Seed, centers, assign, sizes);
  const Lloyd ref = DirectLloyd(x, tc.K, tc.Seed);

  // The reference labels in order of decreasing size, lower label first.
  std::vector<std::size_t> order(tc.K);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return ref.Sizes[a] > ref.Sizes[b]; });
  ASSERT_EQ(centers.NrOfColumns(), static_cast<std::int32_t>(tc.p));
  ASSERT_EQ(centers.NrOfRows(), static_cast<std::int32_t>(tc.K));
  ASSERT_EQ(sizes.NrOfElem(), static_cast<std::int32_t>(tc.K));
  std::vector<int> label(tc.K);
  for (std::size_t r = 0; r < tc.K; ++r) {
    label[order[r]] = static_cast<int>(r + 1);
    EXPECT_EQ(sizes.Elem(static_cast<std::int32_t>(r + 1)), ref.Sizes[order[r]]);
    for (std::size_t c = 0; c < tc.p; ++c)
      EXPECT_EQ(centers.Elem(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1)),
                ref.Centres[order[r]][c]);
  }
  ASSERT_EQ(assign.NrOfElem(), static_cast<std::int32_t>(tc.n));
  double refSum = 0;
  for (std::size_t i = 0; i < tc.n; ++i) {
    EXPECT_EQ(assign.Elem(static_cast<std::int32_t>(i + 1)), label[static_cast<std::size_t>(ref.Assign[i])]);
    for (std::size_t c = 0; c < tc.p; ++c) {
      const double d = x[i][c] - ref.Centres[static_cast<std::size_t>(ref.Assign[i])][c];
      refSum += d * d;
    }
  }
  EXPECT_NEAR(sum, refSum, test::kTol1e12 * refSum);  // same terms; the library sums each object first
}

INSTANTIATE_TEST_SUITE_P(Cases, KMeansLloyd,
                         ::testing::Values(LloydCase{"FirstRowsAsSeeds", 300, 4, 5, 0, false},
                                           LloydCase{"RandomSeeds", 300, 3, 7, 1234, false},
                                           LloydCase{"RepeatedRows", 40, 2, 6, 0, true},
                                           LloydCase{"OneCluster", 25, 3, 1, 0, false}),
                         [](const auto& info) { return info.param.Name; });

TEST(KMeans, SmallClusterIsRenumberedAfterTheLargeOne) {
  TMatrix data, centers;
  TIntVector assign, sizes;
  Fill(data, {{0}, {10}, {11}, {12}});
  EXPECT_EQ(kMeansClustering(data, 0, 0, 2, 0, centers, assign, sizes), 2.0);
  EXPECT_EQ(centers.Elem(1, 1), 11.0);
  EXPECT_EQ(centers.Elem(1, 2), 0.0);
  EXPECT_EQ(sizes.Elem(1), 3);
  EXPECT_EQ(sizes.Elem(2), 1);
  const std::vector<std::int32_t> expected{2, 1, 1, 1};
  EXPECT_EQ(std::vector<std::int32_t>(assign.Data().begin(), assign.Data().end()), expected);
}

TEST(KMeans, AsManyClustersAsObjectsGivesSingletons) {
  TMatrix data, centers;
  TIntVector assign;
  const Rows x = RandomRows(9, 2, 3);
  Fill(data, x);
  EXPECT_EQ(kMeansClustering(data, 5, 6, 9, centers, assign), 0.0);
  for (std::int32_t i = 1; i <= 9; ++i) {
    EXPECT_EQ(assign.Elem(i), i);  // all sizes 1: the stable renumbering keeps the order
    EXPECT_EQ(centers.Elem(2, i), x[static_cast<std::size_t>(i - 1)][1]);
  }
}

TEST(KMeans, BadClusterCountsLeaveTheOutputsUntouched) {
  TMatrix data, centers;
  TIntVector assign, sizes;
  Fill(data, RandomRows(4, 2, 5));
  centers.Resize(2, 2);
  centers.SetVal(1, 1, 42.0);
  assign.Resize(3);
  KVL_EXPECT_THROW_MSG(kMeansClustering(data, 0, 0, 5, 0, centers, assign, sizes), EKVLMath2Error,
                       "kMeansClustering: number of clusters is greater than number of objects");
  KVL_EXPECT_THROW_MSG(kMeansClustering(data, 0, 0, 0, centers, assign), EKVLMath2Error,
                       "kMeansClustering: number of clusters must be at least 1");
  EXPECT_EQ(centers.NrOfRows(), 2);
  EXPECT_EQ(centers.Elem(1, 1), 42.0);
  EXPECT_EQ(assign.NrOfElem(), 3);
}

TEST(KMeans, AbortStopsBeforeTheFirstPass) {
  TMatrix data, centers;
  TIntVector assign, sizes;
  Fill(data, RandomRows(20, 2, 9));
  AbortMathProc = true;
  const double r = kMeansClustering(data, 0, 0, 3, 0, centers, assign, sizes);
  AbortMathProc = false;
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(assign.NrOfElem(), 20);
  EXPECT_EQ(centers.Elem(1, 3), data.Elem(1, 3));  // the seeds, untouched by any pass
}

TEST(KMeans, EstimatedSteps) {
  EXPECT_EQ(kMeansEstimatedSteps(10, 2, 3), 20);
  EXPECT_EQ(kMeansEstimatedSteps(100000, 10, 20), 179);  // 179.114...
  EXPECT_EQ(kMeansEstimatedSteps(1000000, 10, 20), 20);  // the a·c term wins
  EXPECT_EQ(kMeansEstimatedSteps(-5, 2, 3), 20);
}

}  // namespace
}  // namespace kvl
