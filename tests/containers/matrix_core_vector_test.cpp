// TMatrix copies to and from vectors and the edge vectors.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl_test_support.h"
#include "matrix_test_helpers.h"
#include "vector_test_util.h"

namespace kvl {
namespace {

using namespace test;  // NOLINT: the shared matrix and vector test helpers

TEST(MatrixVectorCopy, RowToVectorZeroesThenWrites) {
  TMatrix m;
  FillNamed(m, 4, 3);
  TVector v;
  SetAll(v, {9, 9, 9, 9, 9});
  EventLog log;
  v.OnResize = log.Recorder("resize");
  m.CopyRowToVec(&v, 2, 2, 3);
  EXPECT_EQ(Values(v), (std::vector<double>{22, 32, 0, 0, 0}));
  m.CopyRowToVec(&v, 7, 0, 0, 3);  // row clamped to 3; cut to the vector's size
  EXPECT_EQ(Values(v), (std::vector<double>{0, 0, 13, 23, 33}));
  EXPECT_TRUE(log.Events.empty());  // the vector is never resized
  m.CopyRowToVec(nullptr, 1, 1, 1);
}

TEST(MatrixVectorCopy, ColumnToVector) {
  TMatrix m;
  FillNamed(m, 3, 4);
  TVector v;
  SetAll(v, {9, 9, 9});
  m.CopyColToVec(&v, 3, 4, 2);  // rows put in order: 2..4
  EXPECT_EQ(Values(v), (std::vector<double>{32, 33, 34}));
  m.CopyColToVec(&v, 0, 1, 1, 2);  // column clamped to 1
  EXPECT_EQ(Values(v), (std::vector<double>{0, 11, 0}));
}

TEST(MatrixVectorCopy, FromVectorInEveryDirection) {
  TVector v;
  SetAll(v, {1, 2, 3, 4});
  TMatrix m;
  m.Resize(3, 3);
  EventLog log;
  Listen(m, log);
  m.CopyFromVec(&v, 2, 4, 2, 2);  // downwards: 2, 3 fit, 4 is dropped
  EXPECT_EQ(RowsOf(m), (Table{{0, 0, 0}, {0, 2, 0}, {0, 3, 0}}));
  m.CopyFromVec(&v, 0, 0, 1, 1, false);  // the whole vector rightwards along row 1
  EXPECT_EQ(RowsOf(m), (Table{{1, 2, 3}, {0, 2, 0}, {0, 3, 0}}));
  m.CopyFromVec(TDims::dimRows, &v, 1, 2, 3, 2);
  m.CopyFromVec(TDims::dimColumns, &v, 4, 3, 0, 3);  // range put in order; column 0 dropped
  EXPECT_EQ(RowsOf(m), (Table{{1, 2, 3}, {0, 2, 1}, {4, 3, 2}}));
  EXPECT_EQ(log.Events, (Events{"change", "change", "change", "change"}));
  m.CopyFromVec(nullptr, 0, 0, 1, 1);
  EXPECT_EQ(log.Events.size(), 4u);
}

struct EdgeCase {
  const char* Name;
  TOrientation Orient;
  TEdgeOp Op;
  std::vector<std::int32_t> Ix;
  std::int32_t Want;
  std::vector<double> Values;
};

class MatrixEdgeVector : public testing::TestWithParam<EdgeCase> {};

TEST_P(MatrixEdgeVector, AggregatesPerColumnOrRow) {
  const EdgeCase& k = GetParam();
  TMatrix m;  // columns (1, 2, 3, 6) and (4, 4, 4, 4), rows 1..4
  SetRows(m, {{1, 4}, {2, 4}, {3, 4}, {6, 4}});
  TVector dest;
  EXPECT_EQ(m.EdgeVector(k.Orient, k.Op, k.Ix, &dest), k.Want);
  ASSERT_EQ(dest.NrOfElem(), static_cast<std::int32_t>(k.Values.size()));
  constexpr double kTol = 1e-12;  // sums of a few small integers
  for (std::size_t i = 0; i < k.Values.size(); ++i)
    EXPECT_NEAR(dest.GetVal(static_cast<std::int32_t>(i + 1)), k.Values[i], kTol);
}

using enum TEdgeOp;
INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixEdgeVector,
    testing::Values(
        EdgeCase{"minPerColumn", TOrientation::orColumns, eoMin, {}, 0, {1, 4}},
        EdgeCase{"maxPerRow", TOrientation::orRows, eoMax, {}, 0, {4, 4, 4, 6}},
        EdgeCase{"sumListedRows", TOrientation::orColumns, eoSum, {1, 4}, 0, {7, 8}},
        EdgeCase{"meanDividesByAllRows", TOrientation::orColumns, eoMean, {1, 4}, 0, {1.75, 2}},
        EdgeCase{"stdDevPerColumn", TOrientation::orColumns, eoStdDev, {}, 0, {std::sqrt(14.0 / 3.0), 0}},
        EdgeCase{"stdDevBelowThreeCells", TOrientation::orRows, eoStdDev, {}, 0, {0, 0, 0, 0}},
        EdgeCase{"badIndexSkipped", TOrientation::orRows, eoSum, {2, 3, 0}, -2, {4, 4, 4, 4}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MatrixEdgeVectorNull, NullDestination) {
  TMatrix m;
  EXPECT_EQ(m.EdgeVector(TOrientation::orRows, eoSum, nullptr), -3);
  TVector v;
  EXPECT_EQ(m.EdgeVector(TOrientation::orRows, eoSum, &v), 0);
  EXPECT_EQ(v.NrOfElem(), 1);
}

TEST(MatrixVectorCopy, ChecksumMatchesTheVectorOfTheSameCells) {
  TMatrix m;
  m.Resize(3, 2);
  m.FillSerial(0.25, -1.5);
  TVector v;
  v.Resize(6);
  v.FillSerial(0.25, -1.5);
  EXPECT_EQ(m.CRCofData(), v.CRCofData());
}

}  // namespace
}  // namespace kvl
