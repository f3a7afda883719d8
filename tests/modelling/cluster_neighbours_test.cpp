// Mahalanobis distance, nearest neighbours, mean kNN distance and centres.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

void FillVec(TVector& v, const std::vector<double>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) v.SetVal(static_cast<std::int32_t>(i + 1), x[i]);
}

void FillRandom(TMatrix& M, std::int32_t Cols, std::int32_t Rows, unsigned Seed) {
  M.Resize(Cols, Rows);
  const std::vector<double> v = test::RandomValues(static_cast<std::size_t>(Cols * Rows), Seed);
  for (std::int32_t c = 1; c <= Cols; ++c)
    for (std::int32_t r = 1; r <= Rows; ++r) M.SetVal(c, r, v[static_cast<std::size_t>((c - 1) * Rows + r - 1)]);
}

double RowDistance(const TMatrix& M, std::int32_t a, std::int32_t b) {
  double s = 0;
  for (std::int32_t c = 1; c <= M.NrOfColumns(); ++c) s += std::pow(M.Elem(c, a) - M.Elem(c, b), 2);
  return std::sqrt(s);
}

// --- MahalanobisDistance ---

TEST(Mahalanobis, IdentityGivesTheEuclideanDistance) {
  TVector x, y;
  TMatrix I;
  FillVec(x, {1, 2, 3});
  FillVec(y, {4, 6, 3});
  I.Resize(3, 3);
  for (std::int32_t i = 1; i <= 3; ++i) I.SetVal(i, i, 1.0);
  EXPECT_EQ(MahalanobisDistance(x, y, I), 5.0);
}

TEST(Mahalanobis, EqualsTheQuadraticForm) {
  // InvCov = AᵀA + I (symmetric, positive definite) from random A.
  constexpr std::int32_t n = 5;
  TMatrix A, S;
  FillRandom(A, n, n, 11);
  S.Resize(n, n);
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = 1; j <= n; ++j) {
      double s = i == j ? 1.0 : 0.0;
      for (std::int32_t k = 1; k <= n; ++k) s += A.Elem(i, k) * A.Elem(j, k);
      S.SetVal(i, j, s);
    }
  TVector x, y;
  FillVec(x, test::RandomValues(n, 12));
  FillVec(y, test::RandomValues(n, 13));
  long double q = 0;
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = 1; j <= n; ++j)
      q += static_cast<long double>(x.Elem(i) - y.Elem(i)) * S.Elem(i, j) * (x.Elem(j) - y.Elem(j));
  EXPECT_NEAR(MahalanobisDistance(x, y, S), std::sqrt(static_cast<double>(q)), test::kTol1e13);
}

TEST(Mahalanobis, Messages) {
  TVector x2, y2, y3;
  TMatrix sq2, sq3, rect;
  FillVec(x2, {1, 2});
  FillVec(y2, {2, 1});
  FillVec(y3, {1, 2, 3});
  sq2.Resize(2, 2);
  sq3.Resize(3, 3);
  rect.Resize(2, 3);
  const std::string f = "MahalanobisDistance: ";
  KVL_EXPECT_THROW_MSG(MahalanobisDistance(x2, y3, sq2), EKVLVectorError, f + "dimensions of vectors do not match");
  KVL_EXPECT_THROW_MSG(MahalanobisDistance(x2, y2, rect), EKVLVectorError,
                       f + "inverse covariance matrix is not quadratric");
  KVL_EXPECT_THROW_MSG(MahalanobisDistance(x2, y2, sq3), EKVLVectorError,
                       f + "dimension of vectors and inverse covariance matrix do not match");
  sq2.SetVal(1, 1, 1.0);
  sq2.SetVal(2, 2, -3.0);  // d = (−1, 1): D² = 1 − 3 < 0
  KVL_EXPECT_THROW_MSG(MahalanobisDistance(x2, y2, sq2), EKVLVectorError,
                       f + "the inverse covariance matrix must be symmetric and positive definite");
  x2.SetVal(1, std::numeric_limits<double>::quiet_NaN());
  sq2.SetVal(2, 2, 1.0);
  EXPECT_TRUE(std::isnan(MahalanobisDistance(x2, y2, sq2)));
}

// --- FindNearestNeighbors ---

TEST(NearestNeighbors, EqualsASortOfAllDistancesWithTiesByRow) {
  TMatrix data, nn;
  FillRandom(data, 3, 500, 21);
  for (std::int32_t c = 1; c <= 3; ++c) data.SetVal(c, 400, data.Elem(c, 30));  // a tie: row 30 first
  TVector probe;
  FillVec(probe, {data.Elem(1, 30) + 0.01, data.Elem(2, 30), data.Elem(3, 30)});
  nn.Resize(2, 12);
  FindNearestNeighbors(12, data, 0, 0, probe, nn);
  std::vector<std::pair<double, std::int32_t>> all;
  for (std::int32_t r = 1; r <= 500; ++r) {
    double s = 0;
    for (std::int32_t c = 1; c <= 3; ++c) s += std::pow(probe.Elem(c) - data.Elem(c, r), 2);
    all.emplace_back(std::sqrt(s), r);
  }
  std::stable_sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.first < b.first; });
  EXPECT_EQ(nn.Elem(1, 1), 30.0);
  EXPECT_EQ(nn.Elem(1, 2), 400.0);
  for (std::int32_t r = 1; r <= 12; ++r) {
    EXPECT_EQ(nn.Elem(1, r), all[static_cast<std::size_t>(r - 1)].second);
    EXPECT_NEAR(nn.Elem(2, r), all[static_cast<std::size_t>(r - 1)].first, test::kTol1e15);
  }
}

TEST(NearestNeighbors, RangeCallbackAndClampedK) {
  TMatrix data, nn;
  FillRandom(data, 2, 20, 22);
  nn.Resize(2, 6);
  nn.SetVal(1, 6, -7.0);
  TVector probe;
  FillVec(probe, {0, 0});
  // The caller's distance |i − 12| over rows 10..14 only: 5 rows, k = 50.
  FindNearestNeighbors(50, data, 14, 10, probe, nn, [](std::int32_t i) { return std::abs(i - 12.0); });
  const double rows[] = {12, 11, 13, 10, 14}, dists[] = {0, 1, 1, 2, 2};
  for (std::int32_t r = 1; r <= 5; ++r) {
    EXPECT_EQ(nn.Elem(1, r), rows[r - 1]);
    EXPECT_EQ(nn.Elem(2, r), dists[r - 1]);
  }
  EXPECT_EQ(nn.Elem(1, 6), -7.0);  // beyond the range: untouched
  EXPECT_EQ(nn.NrOfRows(), 6);
}

TEST(NearestNeighbors, ProbeLongerThanTheRowsCountsMissingCellsAsZero) {
  TMatrix data, nn;
  data.Resize(1, 2);
  data.SetVal(1, 1, 3.0);
  data.SetVal(1, 2, 0.0);
  TVector probe;
  FillVec(probe, {0, 4});
  nn.Resize(2, 2);
  FindNearestNeighbors(2, data, 0, 0, probe, nn);
  EXPECT_EQ(nn.Elem(1, 1), 2.0);
  EXPECT_EQ(nn.Elem(2, 1), 4.0);
  EXPECT_EQ(nn.Elem(2, 2), 5.0);
}

// --- MeanDistanceKNN ---

TEST(MeanDistanceKNN, MeanOfTheKSmallestIncludingItself) {
  TMatrix data;
  FillRandom(data, 2, 30, 31);
  TVector md;
  md.Resize(30);
  md.SetVal(4, -1.0);
  MeanDistanceKNN(data, 4, 5, 25, md);
  EXPECT_EQ(md.Elem(4), -1.0);  // outside the range
  for (std::int32_t i = 5; i <= 25; ++i) {
    std::vector<double> d;
    for (std::int32_t j = 5; j <= 25; ++j) d.push_back(RowDistance(data, i, j));
    std::sort(d.begin(), d.end());
    EXPECT_NEAR(md.Elem(i), (d[0] + d[1] + d[2] + d[3]) / 4, test::kTol1e14) << i;
  }
}

TEST(MeanDistanceKNN, KBeyondTheRangeAveragesTheRangeOnly) {
  TMatrix data;
  data.Resize(1, 5);
  for (std::int32_t r = 1; r <= 5; ++r) data.SetVal(1, r, r * r);  // 1 4 9 16 25
  TVector md;
  md.Resize(2);  // shorter than the range: the rest is dropped
  MeanDistanceKNN(data, 80, 1, 3, md);
  EXPECT_EQ(md.Elem(1), (0.0 + 3 + 8) / 3);
  EXPECT_EQ(md.Elem(2), (0.0 + 3 + 5) / 3);
}

// --- FindCenters ---

TEST(FindCenters, MergesTheClosestPairIntoWeightedMeans) {
  TMatrix data, centers;
  data.Resize(1, 6);
  const double v[] = {99, 0, 1, 10, 11, 99};
  for (std::int32_t r = 1; r <= 6; ++r) data.SetVal(1, r, v[r - 1]);
  centers.Resize(2, 2);
  double md = 0;
  FindCenters(data, 2, 5, 2, centers, md);
  EXPECT_EQ(centers.Elem(1, 1), 0.5);
  EXPECT_EQ(centers.Elem(1, 2), 10.5);
  EXPECT_EQ(centers.Elem(2, 1), 0.0);  // no second variable
  EXPECT_EQ(md, 10.0);
  EXPECT_EQ(data.Elem(1, 3), 1.0);  // data left as it was
}

TEST(FindCenters, OneCentreIsTheWeightedMeanOfAll) {
  TMatrix data, centers;
  data.Resize(1, 3);
  for (std::int32_t r = 1; r <= 3; ++r) data.SetVal(1, r, r - 1.0);
  // 0 and 1 merge first (first pair on the tie) into 0.5 of weight 2, then
  // with 2: (2·0.5 + 2)/3 = 1.
  centers.Resize(1, 1);
  double md = 0;
  FindCenters(data, 1, 3, 1, centers, md);
  EXPECT_EQ(centers.Elem(1, 1), 1.0);
  EXPECT_EQ(md, 1e5);  // no other centre: the root of the search start
}

TEST(ClusterMethodID, NamesInOrdinalOrder) {
  EXPECT_EQ(ClusterMethodID[static_cast<std::size_t>(TClusterMethod::cmWard)], "Ward's method");
  EXPECT_EQ(ClusterMethodID[static_cast<std::size_t>(TClusterMethod::cmUpgma)], "unweighted pair group");
}

}  // namespace
}  // namespace kvl
