// Masks from shapes, bounding rectangles, listing and counting cells, masked
// sums and fills, edge vectors.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TBool2DArray Mask(int W, int H) { return TBool2DArray(W, std::vector<bool>(H, false)); }

// The marked cells as (x, y) pairs, x ascending.
TIntArray Marked(const TBool2DArray& M) {
  TIntArray p;
  ListCellPositions(M, true, 0, 0, p);
  return p;
}

struct TShapeCase {
  const char* Name;
  TShapeKind Shape;
  TIntArray Params;
  std::int32_t Status;
  TIntArray Cells;  // (x, y) pairs on a 5 x 5 mask
};

TEST(CreateMaskShapeTest, ShapesOnAFiveByFiveMask) {
  const TShapeCase cases[] = {
      {"circle r 0", TShapeKind::skCircle, {2, 2, 0}, 0, {2, 2}},
      {"circle r 1", TShapeKind::skCircle, {2, 2, 1}, 0, {1, 2, 2, 1, 2, 2, 2, 3, 3, 2}},
      {"ring 1 1", TShapeKind::skRing, {2, 2, 1, 1}, 0, {1, 2, 2, 1, 2, 3, 3, 2}},
      {"ring radii swapped", TShapeKind::skRing, {0, 0, 1, 0}, 0, {0, 0, 0, 1, 1, 0}},
      {"rectangle", TShapeKind::skRectangle, {1, 2, 2, 3}, 0, {1, 2, 1, 3, 2, 2, 2, 3}},
      {"rectangle reversed", TShapeKind::skRectangle, {2, 2, 1, 1}, 0, {}},
      {"ellipse even spans", TShapeKind::skEllipse, {0, 0, 2, 2}, 0, {0, 0, 0, 1, 0, 2, 1, 0, 1, 1, 1, 2, 2, 0, 2, 1, 2, 2}},
      {"ellipse odd spans", TShapeKind::skEllipse, {0, 0, 3, 3}, 0,
       {0, 0, 0, 1, 0, 2, 1, 0, 1, 1, 1, 2, 1, 3, 2, 0, 2, 1, 2, 2, 3, 1}},  // centre (1, 1), A = B = 4
      {"ellipse x1 = x2", TShapeKind::skEllipse, {3, 0, 3, 4}, 0, {3, 0, 3, 1, 3, 2, 3, 3, 3, 4}},
      {"ellipse point", TShapeKind::skEllipse, {1, 4, 1, 4}, 0, {1, 4}},
      {"circle clipped", TShapeKind::skCircle, {0, 0, 1}, 0, {0, 0, 0, 1, 1, 0}},
      {"circle far outside", TShapeKind::skCircle, {INT_MIN, INT_MAX, INT_MAX}, 0, {}},
      {"rectangle over all", TShapeKind::skRectangle, {INT_MIN, INT_MIN, 0, INT_MAX}, 0, {0, 0, 0, 1, 0, 2, 0, 3, 0, 4}},
      {"ellipse huge", TShapeKind::skEllipse, {INT_MIN, 4, INT_MAX, 4}, 0, {0, 4, 1, 4, 2, 4, 3, 4, 4, 4}},
      {"ring too few", TShapeKind::skRing, {2, 2, 1}, -1, {}},
      {"circle too many", TShapeKind::skCircle, {2, 2, 1, 1}, -1, {}},
      {"circle negative", TShapeKind::skCircle, {2, 2, -1}, -2, {}},
      {"ring negative", TShapeKind::skRing, {2, 2, 1, -3}, -2, {}},
      {"count before radius", TShapeKind::skCircle, {-1}, -1, {}},
  };
  for (const TShapeCase& c : cases) {
    TBool2DArray m = Mask(5, 5);
    EXPECT_EQ(CreateMaskShape(m, c.Shape, c.Params), c.Status) << c.Name;
    EXPECT_EQ(Marked(m), c.Cells) << c.Name;
  }
}

TEST(CreateMaskShapeTest, NeverClearsAndToleratesAnEmptyOrRaggedMask) {
  TBool2DArray m = Mask(3, 3);
  m[0][0] = true;
  ASSERT_EQ(CreateMaskShape(m, TShapeKind::skCircle, {2, 2, 0}), 0);
  EXPECT_EQ(Marked(m), (TIntArray{0, 0, 2, 2}));
  TBool2DArray empty;
  EXPECT_EQ(CreateMaskShape(empty, TShapeKind::skRectangle, {0, 0, 5, 5}), 0);
  TBool2DArray ragged = {std::vector<bool>(4), std::vector<bool>(1)};
  EXPECT_EQ(CreateMaskShape(ragged, TShapeKind::skRectangle, {0, 0, 9, 9}), 0);
  EXPECT_EQ(CountTrueCellsOfArray(ragged), 5);
}

TEST(BoundingRectTest, ExtentOfNonZeroCells) {
  std::int32_t fx, lx, fy, ly;
  TInt2DArray a(4, TIntArray(3, 0));
  BoundingRect(a, fx, lx, fy, ly);
  EXPECT_EQ((TIntArray{fx, lx, fy, ly}), (TIntArray{-1, -1, -1, -1}));
  a[3][2] = 7;
  BoundingRect(a, fx, lx, fy, ly);
  EXPECT_EQ((TIntArray{fx, lx, fy, ly}), (TIntArray{3, 3, 2, 2}));
  TDouble2DArray d(4, TDoubleArray(3, 0.0));
  d[1][2] = -0.5;
  d[2][0] = std::nan("");
  BoundingRect(d, fx, lx, fy, ly);
  EXPECT_EQ((TIntArray{fx, lx, fy, ly}), (TIntArray{1, 2, 0, 2}));
}

TEST(ListCellPositionsTest, LimitOffsetAndEmpty) {
  const TBoolArray m = {true, false, true, true, false};
  TIntArray p;
  EXPECT_EQ(ListCellPositions(m, true, 0, 0, p), 3);
  EXPECT_EQ(p, (TIntArray{0, 2, 3}));
  EXPECT_EQ(ListCellPositions(m, true, 2, 10, p), 2);
  EXPECT_EQ(p, (TIntArray{10, 12}));
  EXPECT_EQ(ListCellPositions(m, false, 99, -1, p), 2);
  EXPECT_EQ(p, (TIntArray{0, 3}));
  EXPECT_EQ(ListCellPositions(TBoolArray{}, true, 0, 0, p), -1);
  EXPECT_TRUE(p.empty());
  TBool2DArray m2 = Mask(2, 3);
  m2[1][0] = m2[0][2] = m2[1][2] = true;
  EXPECT_EQ(ListCellPositions(m2, true, 2, 1, p), 2);
  EXPECT_EQ(p, (TIntArray{1, 3, 2, 1}));
}

TEST(MaskedSumAndFillTest, MaskLeavesTrueCellsOut) {
  const TDouble2DArray d = {{1, 2}, {3, 4}, {5, 6}};
  TBool2DArray m = Mask(3, 2);
  m[0][1] = m[2][0] = true;
  double sum = -1;
  EXPECT_EQ(SumArrayMasked(d, &m, sum), 4);
  EXPECT_EQ(sum, 1 + 3 + 4 + 6);
  EXPECT_EQ(SumArrayMasked(d, nullptr, sum), 6);
  EXPECT_EQ(sum, 21);
  TBool2DArray all(3, std::vector<bool>(2, true));
  EXPECT_EQ(SumArrayMasked(d, &all, sum), 0);
  EXPECT_EQ(sum, 0);
  TBool2DArray wrong = Mask(3, 3);
  EXPECT_EQ(SumArrayMasked(d, &wrong, sum), -1);
  EXPECT_EQ(SumArrayMasked(TDouble2DArray{}, &wrong, sum), -2);
  EXPECT_EQ(sum, 0);
  TInt2DArray i = {{1, 2}, {3, 4}, {5, 6}};
  EXPECT_EQ(FillArrayMasked(i, 9, &m), 4);
  EXPECT_EQ(i, (TInt2DArray{{9, 2}, {9, 9}, {5, 9}}));
  TDouble2DArray dd = d;
  EXPECT_EQ(FillArrayMasked(dd, 0.5, nullptr), 6);
  EXPECT_EQ(dd, TDouble2DArray(3, TDoubleArray(2, 0.5)));
  EXPECT_EQ(FillArrayMasked(dd, 1.0, &wrong), -1);
  EXPECT_EQ(SumArrayMasked(i, nullptr, sum), 6);
  EXPECT_EQ(sum, 9 + 2 + 9 + 9 + 5 + 9);
}

TEST(CountTrueCellsTest, WholeAndRanged) {
  TBool2DArray m = Mask(3, 4);
  m[0][0] = m[1][2] = m[2][3] = true;
  EXPECT_EQ(CountTrueCellsOfArray(m), 3);
  EXPECT_EQ(CountTrueCellsOfArray(m, 1, 1, 2, 3), 2);
  EXPECT_EQ(CountTrueCellsOfArray(m, 0, 0, 3, 0), -2);
  EXPECT_EQ(CountTrueCellsOfArray(m, 1, 0, 0, 0), -2);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{}), -1);
  const TBoolArray v = {true, true, false, true};
  EXPECT_EQ(CountTrueCellsOfArray(v), 3);
  EXPECT_EQ(CountTrueCellsOfArray(v, 1, 2), 1);
  EXPECT_EQ(CountTrueCellsOfArray(v, 2, 4), -2);
  EXPECT_EQ(CountTrueCellsOfArray(TBoolArray{}), -1);
}

TEST(EdgeVectorTest, PerColumnAndPerRowAggregates) {
  // Three columns of four rows.
  const TDouble2DArray d = {{1, 2, 3, 4}, {-1, 0, 5, 2}, {10, 10, 10, 10}};
  TDoubleArray r;
  ASSERT_EQ(EdgeVector(d, TOrientation::orColumns, TEdgeOp::eoSum, r), 0);
  EXPECT_EQ(r, (TDoubleArray{10, 6, 40}));
  ASSERT_EQ(EdgeVector(d, TOrientation::orRows, TEdgeOp::eoMax, r), 0);
  EXPECT_EQ(r, (TDoubleArray{10, 10, 10, 10}));
  ASSERT_EQ(EdgeVector(d, TOrientation::orColumns, TEdgeOp::eoMin, {1, 3}, r), 0);
  EXPECT_EQ(r, (TDoubleArray{2, 0, 10}));
  // Per column: the mean divides by the listed rows inside the data; the
  // index 7 is skipped and reported.
  ASSERT_EQ(EdgeVector(d, TOrientation::orColumns, TEdgeOp::eoMean, {0, 7, 2}, r), -2);
  EXPECT_EQ(r, (TDoubleArray{2, 2, 10}));
  // Per row: the mean divides by all three columns also when two are listed.
  ASSERT_EQ(EdgeVector(d, TOrientation::orRows, TEdgeOp::eoMean, {0, 1}, r), 0);
  EXPECT_EQ(r, (TDoubleArray{0, 2.0 / 3, 8.0 / 3, 2}));
  ASSERT_EQ(EdgeVector(d, TOrientation::orColumns, TEdgeOp::eoStdDev, r), 0);
  EXPECT_NEAR(r[0], std::sqrt(5.0 / 3), test::kTol1e15);
  EXPECT_EQ(r[2], 0.0);
  ASSERT_EQ(EdgeVector(d, TOrientation::orRows, TEdgeOp::eoStdDev, {0, 1}, r), 0);
  EXPECT_EQ(r, TDoubleArray(4, 0.0));  // two cells a row: n < 3
  const TInt2DArray i = {{1, 2}, {3, 4}};
  ASSERT_EQ(EdgeVector(i, TOrientation::orRows, TEdgeOp::eoSum, {}, r), 0);
  EXPECT_EQ(r, (TDoubleArray{4, 6}));
  r = {42};
  EXPECT_EQ(EdgeVector(TDouble2DArray{{}}, TOrientation::orRows, TEdgeOp::eoSum, r), -1);
  EXPECT_EQ(r, TDoubleArray{42});
}

}  // namespace
}  // namespace kvl
