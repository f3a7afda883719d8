// TMatrix copies between matrices and plain arrays, with their status codes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"
#include "matrix_test_helpers.h"

namespace kvl {
namespace {

using namespace test;  // NOLINT: the shared matrix test helpers

TEST(MatrixCopy, RowAndColumnIntoA1DArray) {
  TMatrix m;
  FillNamed(m, 4, 3);
  std::vector<double> a(4, -1);
  m.CopyRowTo1DArray(a, 2, 3, 2, 1);  // columns 2..3 of row 2 from position 1
  EXPECT_EQ(a, (std::vector<double>{-1, 22, 32, -1}));
  m.CopyRowTo1DArray(a, 9, 0, 0, 2);  // row clamped to 3; positions past the end dropped
  EXPECT_EQ(a, (std::vector<double>{-1, 22, 13, 23}));
  m.CopyColTo1DArray(a, 4, 0, 0, -1);  // position -1 dropped
  EXPECT_EQ(a, (std::vector<double>{42, 43, 13, 23}));
}

TEST(MatrixCopy, FromAnotherMatrixClipsToThisOne) {
  TMatrix src, dst;
  FillNamed(src, 3, 3);
  dst.Resize(3, 3);
  EventLog log;
  dst.OnChange = log.Recorder("change");
  dst.CopyFrom(&src, 1, 1, 2, 2, 2, 3);  // 2 x 2 block to (2, 3): only its first row fits
  EXPECT_EQ(RowsOf(dst), (Table{{0, 0, 0}, {0, 0, 0}, {0, 11, 21}}));
  EXPECT_EQ(log.Events, Events{"change"});
  dst.CopyFrom(&src, 3, 3, 3, 3, 0, -5);  // the cell lands outside: dropped
  dst.CopyFrom(static_cast<const TMatrix*>(nullptr), 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(log.Events, (Events{"change", "change"}));
  EXPECT_EQ(RowsOf(dst)[0], (std::vector<double>{0, 0, 0}));
}

TEST(MatrixCopy, OverlappingCopyWithinOneMatrix) {
  TMatrix m;
  FillNamed(m, 3, 3);
  m.CopyFrom(&m, 1, 1, 2, 2, 2, 2);
  EXPECT_EQ(RowsOf(m), (Table{{11, 21, 31}, {12, 11, 21}, {13, 12, 22}}));
}

TEST(MatrixCopy, DuplicateDataAsArray) {
  TMatrix m;
  FillNamed(m, 2, 3);
  TDouble2DArray a{{1}};
  EXPECT_EQ(m.DuplicateDataAsArray(a), 0);
  EXPECT_EQ(a, (TDouble2DArray{{11, 12, 13}, {21, 22, 23}}));
}

struct ToArrayCase {
  const char* Name;
  std::int32_t ColLo, RowLo, ColHi, RowHi, DestCol, DestRow;
  std::int32_t Want;
};

class MatrixCopyToArray : public testing::TestWithParam<ToArrayCase> {};

TEST_P(MatrixCopyToArray, StatusCodes) {
  const ToArrayCase& k = GetParam();
  TMatrix m;
  FillNamed(m, 3, 3);
  TDouble2DArray a(2, std::vector<double>(2, 0));
  const TDouble2DArray before = a;
  EXPECT_EQ(m.CopyToArray(a, k.ColLo, k.RowLo, k.ColHi, k.RowHi, k.DestCol, k.DestRow), k.Want);
  if (k.Want != 0) {
    EXPECT_EQ(a, before);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, MatrixCopyToArray,
                         testing::Values(ToArrayCase{"whole", 0, 0, 0, 0, 0, 0, 0},
                                         ToArrayCase{"block", 2, 2, 3, 3, 1, 1, 0},
                                         ToArrayCase{"colsClamped", 2, 1, 4, 1, 0, 0, -2},
                                         ToArrayCase{"colsExchanged", 3, 1, 2, 1, 0, 0, -2},
                                         ToArrayCase{"rowsClamped", 1, 0, 1, 2, 0, 0, -3},
                                         ToArrayCase{"destColOutside", 1, 1, 1, 1, 2, 0, -4},
                                         ToArrayCase{"destRowNegative", 1, 1, 1, 1, 0, -1, -4}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(MatrixCopy, ToArrayCutsToTheExtent) {
  TMatrix m;
  FillNamed(m, 3, 3);
  TDouble2DArray a(2, std::vector<double>(2, 0));
  ASSERT_EQ(m.CopyToArray(a, 1, 1, 3, 3, 1, 0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{0, 0}, {11, 12}}));
  TDouble2DArray empty;
  EXPECT_EQ(m.CopyToArray(empty, 0, 0, 0, 0, 0, 0), -1);
}

TEST(MatrixCopy, ToIntegerArrayRoundsHalvesToEvenAndSaturates) {
  TMatrix m;
  m.Resize(4, 1);
  m.SetVal(1, 1, 2.5);
  m.SetVal(2, 1, -3.5);
  m.SetVal(3, 1, 1e12);
  m.SetVal(4, 1, -1e12);
  TInt2DArray a(4, TIntArray(1));
  ASSERT_EQ(m.CopyToArray(a, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(a, (TInt2DArray{{2},
                            {-4},
                            {std::numeric_limits<std::int32_t>::max()},
                            {std::numeric_limits<std::int32_t>::min()}}));
}

TEST(MatrixCopy, ToIntegerArrayConvertsLikeCloneArray) {
  // NaN gives 0 and infinities the Integer limits, as for every copy into
  // an Integer array (CloneArray, the data table), instead of raising.
  constexpr double kInf = std::numeric_limits<double>::infinity();
  TMatrix m;
  m.Resize(3, 1);
  m.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  m.SetVal(2, 1, kInf);
  m.SetVal(3, 1, -kInf);
  TInt2DArray a(3, TIntArray(1, 7));
  ASSERT_EQ(m.CopyToArray(a, 0, 0, 0, 0, 0, 0), 0);
  TInt2DArray cloned;
  ASSERT_EQ(CloneArray(TDouble2DArray{{m.GetVal(1, 1)}, {kInf}, {-kInf}}, cloned), 0);
  EXPECT_EQ(a, cloned);
  EXPECT_EQ(
      a, (TInt2DArray{
             {0}, {std::numeric_limits<std::int32_t>::max()}, {std::numeric_limits<std::int32_t>::min()}}));
}

struct FromLineCase {
  const char* Name;
  std::int32_t First, Last, Col, Row;
  bool AsColumn;
  std::int32_t Want;
  Table Rows;  // expected matrix on success
};

class MatrixCopyFromLine : public testing::TestWithParam<FromLineCase> {};

TEST_P(MatrixCopyFromLine, StatusAndPlacement) {
  const FromLineCase& k = GetParam();
  TMatrix m;
  m.Resize(3, 3);
  EventLog log;
  m.OnChange = log.Recorder("change");
  const std::vector<double> src{1, 2, 3, 4};
  EXPECT_EQ(m.CopyFromArray(src, k.First, k.Last, k.Col, k.Row, k.AsColumn), k.Want);
  if (k.Want == 0) {
    EXPECT_EQ(RowsOf(m), k.Rows);
    EXPECT_EQ(log.Events, Events{"change"});
  } else {
    EXPECT_TRUE(log.Events.empty());
  }
  // The Integer overload follows the same rule.
  TMatrix n;
  n.Resize(3, 3);
  const std::vector<std::int32_t> isrc{1, 2, 3, 4};
  EXPECT_EQ(n.CopyFromArray(isrc, k.First, k.Last, k.Col, k.Row, k.AsColumn), k.Want);
  EXPECT_EQ(RowsOf(n), RowsOf(m));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixCopyFromLine,
    testing::Values(FromLineCase{"wholeDown", 0, 0, 2, 1, true, 0, Table{{0, 1, 0}, {0, 2, 0}, {0, 3, 0}}},
                    FromLineCase{"rightwards", 2, 1, 1, 3, false, 0, Table{{0, 0, 0}, {0, 0, 0}, {2, 3, 0}}},
                    FromLineCase{"boundOutside", 1, 4, 1, 1, true, -4, {}},
                    FromLineCase{"negativeBound", -1, 2, 1, 1, true, -4, {}},
                    FromLineCase{"destOutside", 0, 0, 4, 1, true, -5, {}},
                    FromLineCase{"destRowZero", 0, 0, 1, 0, false, -5, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MatrixCopy, FromEmptyArrays) {
  TMatrix m;
  EXPECT_EQ(m.CopyFromArray(std::vector<double>{}, 0, 0, 1, 1, true), -1);
  EXPECT_EQ(m.CopyFromArray(TDouble2DArray{}, 0, 0, 0, 0, 1, 1), -1);
  EXPECT_EQ(m.CopyFromArray(TInt2DArray{{}}, 0, 0, 0, 0, 1, 1), -1);
}

struct FromRectCase {
  const char* Name;
  std::int32_t ColLo, RowLo, ColHi, RowHi, Col, Row;
  std::int32_t Want;
  Table Rows;
};

class MatrixCopyFromRect : public testing::TestWithParam<FromRectCase> {};

TEST_P(MatrixCopyFromRect, StatusAndPlacement) {
  const FromRectCase& k = GetParam();
  const TDouble2DArray src{{1, 2, 3}, {4, 5, 6}};  // two columns of three rows
  TMatrix m;
  m.Resize(3, 2);
  EXPECT_EQ(m.CopyFromArray(src, k.ColLo, k.RowLo, k.ColHi, k.RowHi, k.Col, k.Row), k.Want);
  if (k.Want == 0) {
    EXPECT_EQ(RowsOf(m), k.Rows);
  }
  TInt2DArray isrc{{1, 2, 3}, {4, 5, 6}};
  TMatrix n;
  n.Resize(3, 2);
  EXPECT_EQ(n.CopyFromArray(isrc, k.ColLo, k.RowLo, k.ColHi, k.RowHi, k.Col, k.Row), k.Want);
  EXPECT_EQ(RowsOf(n), RowsOf(m));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixCopyFromRect,
    testing::Values(FromRectCase{"all", 0, 0, 1, 2, 1, 1, 0, Table{{1, 4, 0}, {2, 5, 0}}},
                    FromRectCase{"reversedBounds", 1, 2, 0, 1, 2, 1, 0, Table{{0, 2, 5}, {0, 3, 6}}},
                    FromRectCase{"clippedAtTheEdge", 0, 0, 1, 2, 3, 2, 0, Table{{0, 0, 0}, {0, 0, 1}}},
                    FromRectCase{"colOutside", 0, 0, 2, 0, 1, 1, -2, {}},
                    FromRectCase{"rowOutside", 0, 0, 0, 3, 1, 1, -3, {}},
                    FromRectCase{"rowNegative", 0, -1, 0, 0, 1, 1, -3, {}},
                    FromRectCase{"destOutside", 0, 0, 0, 0, 1, 3, -5, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MatrixCopy, FromARaggedArrayChecksEveryColumn) {
  const TDouble2DArray ragged{{1, 2, 3}, {4}};
  TMatrix m;
  m.Resize(2, 3);
  EXPECT_EQ(m.CopyFromArray(ragged, 0, 0, 1, 2, 1, 1), -3);
  EXPECT_EQ(m.CopyFromArray(ragged, 0, 0, 1, 0, 1, 1), 0);
  EXPECT_EQ(m.GetVal(2, 1), 4);
}

}  // namespace
}  // namespace kvl
