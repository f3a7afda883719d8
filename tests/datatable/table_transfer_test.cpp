// TDataTable: the transfer of values to and from arrays and matrices.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/datatable/KVL_datatable.h"
#include "table_test_support.h"

namespace kvl {
namespace {

using test::Names;
using test::TableEvents;

using test::BuildOrdinalSample;

TEST(DataTableToArray, WholeLinesAreRawAndSized) {
  TDataTable t;
  BuildOrdinalSample(t);
  TDoubleArray d;
  EXPECT_EQ(t.CopyDataColumnToArray(2, d), 0);
  EXPECT_EQ(d, (TDoubleArray{2.5, 202, 203, 204}));
  EXPECT_EQ(t.CopyDataRowToArray(1, d), 0);
  EXPECT_EQ(d, (TDoubleArray{101, 2.5, 301}));
  EXPECT_EQ(t.CopyDataColumnToArray(4, d), -1);
  EXPECT_EQ(t.CopyDataRowToArray(0, d), -1);
  EXPECT_EQ(d, (TDoubleArray{101, 2.5, 301}));
}

struct LineCase {
  const char* Name;
  bool Column;
  std::int32_t Index, First, Last, DestElem, DestLength;
  std::int32_t Code;
  TDoubleArray Expected;  // Dest afterwards (starting filled with -1)
};

class DataTableLineToArray : public ::testing::TestWithParam<LineCase> {};

TEST_P(DataTableLineToArray, CodesAndPlacement) {
  const LineCase& p = GetParam();
  TDataTable t;
  BuildOrdinalSample(t);
  TDoubleArray d(static_cast<std::size_t>(p.DestLength), -1.0);
  const std::int32_t code = p.Column ? t.CopyDataColumnToArray(d, p.Index, p.First, p.Last, p.DestElem)
                                     : t.CopyDataRowToArray(d, p.Index, p.First, p.Last, p.DestElem);
  EXPECT_EQ(code, p.Code);
  EXPECT_EQ(d, p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataTableLineToArray,
    ::testing::Values(LineCase{"AllRowsThroughElem", true, 2, 0, 0, 0, 4, 0, {2, 202, 203, 204}},
                      LineCase{"ReversedBoundsCutToFit", true, 3, 4, 2, 2, 3, 0, {-1, -1, 302}},
                      LineCase{"RowRange", false, 4, 3, 2, 1, 3, 0, {-1, 204, 304}},
                      LineCase{"EmptyDest", true, 1, 0, 0, 0, 0, -4, {}},
                      LineCase{"BadIndex", true, 4, 0, 0, 0, 2, -1, {-1, -1}},
                      LineCase{"BadBound", true, 1, 1, 5, 0, 2, -2, {-1, -1}},
                      LineCase{"BadDestElem", false, 1, 0, 0, 2, 2, -3, {-1, -1}},
                      LineCase{"NegativeDestElem", false, 1, 0, 0, -1, 2, -3, {-1, -1}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DataTableToArray, IntegerFormRoundsHalvesToEvenAndClips) {
  TDataTable t;
  t.Resize(1, 4);
  t.NumericData->SetVal(1, 1, 0.5);
  t.NumericData->SetVal(1, 2, 1.5);
  t.NumericData->SetVal(1, 3, std::numeric_limits<double>::quiet_NaN());
  t.NumericData->SetVal(1, 4, 1e12);
  TIntArray d(4, -1);
  EXPECT_EQ(t.CopyDataColumnToArray(d, 1, 0, 0, 0), 0);
  EXPECT_EQ(d, (TIntArray{0, 2, 0, std::numeric_limits<std::int32_t>::max()}));
}

TEST(DataTableSlice, StepsAndCodes) {
  TDataTable t;
  BuildOrdinalSample(t);
  TDoubleArray d{9};
  EXPECT_EQ(t.SliceCol(3, 4, 1, 2, d), 2);
  EXPECT_EQ(d, (TDoubleArray{301, 303}));
  EXPECT_EQ(t.SliceRow(2, 0, 0, 1, d), 3);
  EXPECT_EQ(d, (TDoubleArray{102, 202, 302}));
  EXPECT_EQ(t.SliceCol(5, 1, 9, 1, d), -2);  // bound wins over index
  EXPECT_EQ(t.SliceCol(5, 1, 2, 1, d), -1);
  EXPECT_EQ(t.SliceCol(5, 1, 9, 0, d), -3);  // step wins over both
  EXPECT_EQ(t.SliceRow(1, 1, 3, 1000000000, d), 1);
  EXPECT_EQ(d, (TDoubleArray{101}));
}

TEST(DataTableToArray, DuplicateNeedsAnAssignedArray) {
  TDataTable t;
  BuildOrdinalSample(t);
  TDouble2DArray d;
  EXPECT_EQ(t.DuplicateDataAsArray(d), -1);
  EXPECT_TRUE(d.empty());
  d.resize(1);
  EXPECT_EQ(t.DuplicateDataAsArray(d), 0);
  ASSERT_EQ(d.size(), 3u);
  ASSERT_EQ(d[0].size(), 4u);
  EXPECT_EQ(d[1][0], 2.5);
  EXPECT_EQ(d[2][3], 304.0);
}

TEST(DataTableToMatrix, ColumnSwapIsSilentRowSwapIsACode) {
  TDataTable t;
  BuildOrdinalSample(t);
  TMatrix m;
  m.Resize(3, 3);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(t.CopyDataToMatrix(&m, 3, 1, 1, 3, 1, 1), 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(m.GetVal(1, 1), 101.0);
  EXPECT_EQ(m.GetVal(3, 3), 303.0);
  EXPECT_EQ(t.CopyDataToMatrix(&m, 1, 3, 1, 1, 1, 1), -3);
  EXPECT_EQ(t.CopyDataToMatrix(&m, 1, 1, 5, 1, 1, 1), -2);
  EXPECT_EQ(t.CopyDataToMatrix(&m, 1, 0, 1, 2, 1, 1), -3);
  EXPECT_EQ(t.CopyDataToMatrix(&m, 0, 0, 0, 0, 4, 1), -4);
  EXPECT_EQ(t.CopyDataToMatrix(nullptr, 0, 0, 0, 0, 1, 1), -1);
  EXPECT_EQ(t.CopyDataToMatrix(&m, 0, 0, 0, 0, 2, 2), 0);  // cut to fit
  EXPECT_EQ(m.GetVal(2, 2), 101.0);
  EXPECT_EQ(m.GetVal(3, 2), 2.5);  // raw values
  EXPECT_EQ(m.GetVal(3, 3), 202.0);
  EXPECT_EQ(changes, 2);
}

TEST(DataTableToMatrix, IntoItsOwnMatrixOverlapping) {
  TDataTable t;
  t.Resize(1, 4);
  test::FillSerial(t);
  EXPECT_EQ(t.CopyDataToMatrix(t.NumericData, 1, 1, 1, 3, 1, 2), 0);
  EXPECT_EQ(t.Elem(1, 4), 103.0);
  EXPECT_EQ(t.Elem(1, 2), 101.0);
}

TEST(DataTableToArray, BlockIntoTwoDimensionalArrays) {
  TDataTable t;
  BuildOrdinalSample(t);
  TDouble2DArray d(2, TDoubleArray(3, -1.0));
  EXPECT_EQ(t.CopyDataToArray(d, 2, 1, 3, 4, 1, 1), 0);
  EXPECT_EQ(d[0], (TDoubleArray{-1, -1, -1}));
  EXPECT_EQ(d[1], (TDoubleArray{-1, 2.5, 202}));  // cut to the array
  TInt2DArray n(1, TIntArray(2, 0));
  EXPECT_EQ(t.CopyDataToArray(n, 2, 1, 2, 2, 0, 0), 0);
  EXPECT_EQ(n[0], (TIntArray{2, 202}));
  EXPECT_EQ(t.CopyDataToArray(n, 0, 2, 0, 1, 0, 0), -3);
  EXPECT_EQ(t.CopyDataToArray(n, 0, 0, 0, 0, 1, 0), -4);
  TInt2DArray none;
  EXPECT_EQ(t.CopyDataToArray(none, 0, 0, 0, 0, 0, 0), -1);
  TDouble2DArray ragged{{0, 0, 0}, {0}};
  EXPECT_EQ(t.CopyDataToArray(ragged, 1, 1, 2, 3, 0, 0), 0);
  EXPECT_EQ(ragged[1], (TDoubleArray{2.5}));
}

// --- into the table -----------------------------------------------------------------------------

TEST(DataTableFromArray, LinesFireOnChangePerValue) {
  TDataTable t;
  t.Resize(3, 2);
  TableEvents ev(t);
  const TDoubleArray src{1, 2, 3};
  EXPECT_EQ(t.CopyDataColumnFromArray(2, src), 0);
  EXPECT_EQ(ev.Take(), (Names{"Change", "Change"}));
  EXPECT_EQ(t.Elem(2, 2), 2.0);
  EXPECT_EQ(t.CopyDataRowFromArray(1, src), 0);
  EXPECT_EQ(t.Elem(3, 1), 3.0);
  EXPECT_EQ(t.CopyDataRowFromArray(3, src), -1);
  EXPECT_EQ(t.CopyDataColumnFromArray(0, src), -1);
}

TEST(DataTableFromArray, RunsFireOnChangeOnceAndSkipOutsideCells) {
  TDataTable t;
  t.Resize(3, 3);
  TableEvents ev(t);
  const TDoubleArray src{1, 2, 3, 4};
  EXPECT_EQ(t.CopyDataFromArray(src, 3, 1, 2, 2, true), 0);  // elements 1..3 down from (2, 2)
  EXPECT_EQ(ev.Take(), (Names{"Change"}));
  EXPECT_EQ(t.Elem(2, 2), 2.0);
  EXPECT_EQ(t.Elem(2, 3), 3.0);
  const TIntArray ints{7, 8, 9};
  EXPECT_EQ(t.CopyDataFromArray(std::span<const std::int32_t>(ints), 0, 0, 2, 1, false), 0);
  EXPECT_EQ(t.Elem(2, 1), 7.0);
  EXPECT_EQ(t.Elem(3, 1), 8.0);
  EXPECT_EQ(t.CopyDataFromArray(src, 0, 4, 1, 1, true), -4);
  EXPECT_EQ(t.CopyDataFromArray(src, 0, 0, 4, 1, true), -5);
  EXPECT_EQ(t.CopyDataFromArray(TDoubleArray{}, 0, 0, 1, 1, true), -1);
}

TEST(DataTableFromArray, BlocksCheckBothExtentsAndTolerateRaggedSources) {
  TDataTable t;
  t.Resize(3, 3);
  const TDouble2DArray src{{1, 2}, {3, 4}, {5}};
  TableEvents ev(t);
  EXPECT_EQ(t.CopyDataFromArray(src, 0, 0, 0, 0, 2, 2), 0);
  EXPECT_EQ(ev.Take(), (Names{"Change"}));
  EXPECT_EQ(t.Elem(2, 2), 1.0);
  EXPECT_EQ(t.Elem(3, 3), 4.0);
  EXPECT_EQ(t.CopyDataFromArray(src, 1, 0, 2, 1, 1, 1), 0);  // column 2 holds one row only
  EXPECT_EQ(t.Elem(2, 1), 5.0);
  EXPECT_EQ(t.Elem(2, 2), 1.0);
  EXPECT_EQ(t.CopyDataFromArray(src, 0, 0, 3, 1, 1, 1), -2);
  EXPECT_EQ(t.CopyDataFromArray(src, 0, 0, 1, 2, 1, 1), -3);
  EXPECT_EQ(t.CopyDataFromArray(src, 0, 0, 0, 0, 0, 1), -5);
  EXPECT_EQ(t.CopyDataFromArray(TDouble2DArray{{}}, 0, 0, 0, 0, 1, 1), -1);
  EXPECT_EQ(t.CopyDataFromArray(src, 1, 0, 0, 1, 1, 1), 0);  // reversed: nothing
  EXPECT_EQ(t.Elem(1, 1), 3.0);
  const TInt2DArray ints{{9}};
  EXPECT_EQ(t.CopyDataFromArray(ints, 0, 0, 0, 0, 1, 1), 0);
  EXPECT_EQ(t.Elem(1, 1), 9.0);
}

TEST(DataTableFromMatrix, BlockLimitedToTheTable) {
  TDataTable t;
  t.Resize(2, 2);
  TMatrix m;
  m.Resize(3, 3);
  m.FillSerial(1.0, 1.0);  // column-major 1..9
  TableEvents ev(t);
  EXPECT_EQ(t.CopyDataFromMatrix(&m, 0, 0, 0, 0, 1, 1), 0);
  EXPECT_EQ(ev.Take(), (Names{"Change"}));
  EXPECT_EQ(t.Elem(2, 2), 5.0);
  EXPECT_EQ(t.CopyDataFromMatrix(&m, 3, 3, 9, 9, 2, 1), 0);
  EXPECT_EQ(t.Elem(2, 1), 9.0);
  EXPECT_EQ(t.CopyDataFromMatrix(&m, 0, 0, 0, 0, 3, 1), -1);
  EXPECT_EQ(t.CopyDataFromMatrix(nullptr, 0, 0, 0, 0, 1, 1), -2);
  EXPECT_EQ(t.CopyDataFromMatrix(t.NumericData, 1, 1, 1, 1, 2, 2), 0);  // its own matrix
  EXPECT_EQ(t.Elem(2, 2), 1.0);
}

}  // namespace
}  // namespace kvl
