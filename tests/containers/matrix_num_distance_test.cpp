// TMatrix distances between rows and the distance matrix.

#include <gtest/gtest.h>

#include <cmath>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"
#include "matrix_num_support.h"

namespace kvl {
namespace {

using test::EventLog;
using test::FillSeeded;
using test::SetColumns;

struct DistCase {
  TDistMode Mode;
  double Expect;
};

class MatrixDistanceModes : public ::testing::TestWithParam<DistCase> {};

// Rows x = (1, 2, 3) and y = (2, 0, 3): Σxy = 11, Σx² = 14, Σy² = 13,
// Σ|x - y| = 3, Σ(x - y)² = 5.
TEST_P(MatrixDistanceModes, DistanceOfTwoRows) {
  TMatrix m;
  SetColumns(m, {{1, 2}, {2, 0}, {3, 3}});
  EXPECT_NEAR(m.DistanceOfObjects(GetParam().Mode, 1, 2), GetParam().Expect, test::kTol1e15);
}

INSTANTIATE_TEST_SUITE_P(Modes, MatrixDistanceModes,
                         ::testing::Values(DistCase{TDistMode::dmTanimoto, 11.0 / 16}, DistCase{TDistMode::dmManhattan, 3},
                                           DistCase{TDistMode::dmEuclid, std::sqrt(5.0)},
                                           DistCase{TDistMode::dmEuclidSqr, 5}, DistCase{TDistMode::dmDice, 22.0 / 27},
                                           DistCase{TDistMode::dmMahalanobis, 0}, DistCase{static_cast<TDistMode>(7), 0}),
                         [](const auto& info) { return test::CaseName("Mode", static_cast<int>(info.param.Mode)); });

TEST(MatrixDistance, UserDistanceAndZeroObjects) {
  TMatrix m;
  SetColumns(m, {{0, 0, 1}, {0, 0, 2}});
  m.OnCalcDistance = [&m](TObject* Sender, std::int32_t r1, std::int32_t r2, double& d) {
    EXPECT_EQ(Sender, &m);
    d = 100 * r1 + r2;
  };
  EXPECT_EQ(m.DistanceOfObjects(TDistMode::dmMahalanobis, 3, 1), 301);
  // Two all-zero rows: the similarity quotients would divide 0 by 0.
  EXPECT_EQ(m.DistanceOfObjects(TDistMode::dmTanimoto, 1, 2), 0.0);
  EXPECT_EQ(m.DistanceOfObjects(TDistMode::dmDice, 1, 2), 0.0);
}

TEST(MatrixDistance, DistanceMatrixEqualsPairwiseDistances) {
  TMatrix m, d;
  FillSeeded(m, 13, 37, 41);
  d.Resize(37, 37);
  EventLog log;
  d.OnChange = log.Recorder("change");
  for (auto mode : {TDistMode::dmTanimoto, TDistMode::dmManhattan, TDistMode::dmEuclid, TDistMode::dmEuclidSqr,
                    TDistMode::dmDice}) {
    log.Events.clear();
    ASSERT_EQ(m.CalcDistMat(mode, &d), 0);
    EXPECT_EQ(log.Events.size(), 1u);
    for (int i = 1; i <= 37; ++i) {
      ASSERT_EQ(d.GetVal(i, i), 0.0);
      for (int j = i + 1; j <= 37; ++j) {
        const double expect = m.DistanceOfObjects(mode, i, j);
        ASSERT_EQ(d.GetVal(i, j), expect) << static_cast<int>(mode) << " " << i << " " << j;
        ASSERT_EQ(d.GetVal(j, i), expect);
      }
    }
  }
  int calls = 0;
  m.OnCalcDistance = [&calls](TObject*, std::int32_t, std::int32_t, double& dist) { dist = ++calls; };
  ASSERT_EQ(m.CalcDistMat(TDistMode::dmMahalanobis, &d), 0);
  EXPECT_EQ(calls, 37 * 36 / 2);  // once per pair i < j
}

TEST(MatrixDistance, WrongSizesAndIntoItself) {
  TMatrix m, d;
  FillSeeded(m, 2, 4, 42);
  d.Resize(3, 3);
  d.SetVal(1, 1, 9);
  EXPECT_EQ(m.CalcDistMat(TDistMode::dmEuclid, &d), -2);  // wrong size wins
  d.Resize(4, 3);
  EXPECT_EQ(m.CalcDistMat(TDistMode::dmEuclid, &d), -1);  // right columns, not square
  EXPECT_EQ(d.GetVal(1, 1), 9);
  EXPECT_EQ(m.CalcDistMat(TDistMode::dmEuclid, nullptr), -2);
  TMatrix sq, ref;
  FillSeeded(sq, 5, 5, 43);
  ref.Resize(5, 5);
  ASSERT_EQ(sq.CalcDistMat(TDistMode::dmManhattan, &ref), 0);
  ASSERT_EQ(sq.CalcDistMat(TDistMode::dmManhattan, &sq), 0);
  EXPECT_EQ(sq.GetVal(2, 4), ref.GetVal(2, 4));
}

}  // namespace
}  // namespace kvl
