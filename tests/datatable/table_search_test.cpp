// TDataTable: search, removal of marked lines, header sorts, constancy,
// dichotomy, contingency tables and code scans.

#include <gtest/gtest.h>

#include "table_test_support.h"

namespace kvl::test {
namespace {

struct FindCase {
  TCompareMode Op;
  double Limit, Limit2;
  std::int32_t Found;
};

TEST(TableSearch, FindCellsByEveryMode) {
  TDataTable t;
  t.Resize(2, 3);
  FillSerial(t);  // 101 102 103 | 201 202 203
  const FindCase cases[] = {
      {TCompareMode::cmLT, 103, 0, 2},       {TCompareMode::cmGT, 201, 0, 2},
      {TCompareMode::cmLE, 103, 0, 3},       {TCompareMode::cmGE, 201, 0, 3},
      {TCompareMode::cmEQ, 202, 0, 1},       {TCompareMode::cmNE, 202, 0, 5},
      {TCompareMode::cmInRange, 102, 201, 3}, {TCompareMode::cmOutOfRange, 102, 201, 3},
      {TCompareMode::cmInRange, 201, 102, 0},
  };
  for (const FindCase& c : cases) {
    TInt2DArray list;
    EXPECT_EQ(t.FindCells(c.Limit, c.Limit2, c.Op, 0, 0, 0, 0, list), c.Found) << IDS_COMPAREMODE[int(c.Op)];
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].size(), static_cast<std::size_t>(c.Found));
  }
  TInt2DArray list;
  ASSERT_EQ(t.FindCells(202, 0, TCompareMode::cmEQ, 0, 0, 0, 0, list), 1);
  EXPECT_EQ(list[0][0], 2);
  EXPECT_EQ(list[1][0], 2);
  EXPECT_EQ(t.FindCells(0, 0, static_cast<TCompareMode>(8), 0, 0, 0, 0, list), -1);
}

TEST(TableSearch, FindCellsStopsAfterTenThousand) {
  TDataTable t;
  t.Resize(1, 10001);
  TInt2DArray list;
  EXPECT_EQ(t.FindCells(0, 0, TCompareMode::cmEQ, 0, 0, 0, 0, list), -2);
  EXPECT_EQ(list[1].size(), 10000u);
  EXPECT_EQ(list[1].back(), 10000);
}

TEST(TableRemove, MarkedColumnsTakeTheirHeadersAlong) {
  TDataTable t;
  t.Resize(4, 2);
  FillSerial(t);
  for (int c = 1; c <= 4; ++c) t.SetColAttrib(c, 10 * c);
  t.SetColName(3, "colour");
  t.SetElemNominal(3, 1, "red");  // column 3 keeps its identifiers when it moves
  t.SetMScaleType(3, TMScaleType::stNominal);
  t.SetCellState(2, 2, 64);
  t.SetCellState(3, 1, 4);
  TableEvents ev(t);
  EXPECT_EQ(t.RemoveMarkedColumns(0, 0, 64), 0);
  EXPECT_EQ(ev.Take(), Names({"Resize 4 2 3 2", "Setup"}));
  ASSERT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.ColName(2), "colour");
  EXPECT_EQ(t.ColAttrib(2), 30);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stNominal);
  EXPECT_EQ(t.ElemNominal(2, 1), "red");
  EXPECT_EQ(t.CellState(2, 1), 4);
  EXPECT_EQ(t.Elem(3, 2), 402.0);
  // unmarked columns of 2..3 (column 2 has state 4, column 3 none)
  EXPECT_EQ(t.RemoveUnmarkedColumns(2, 3, 4), 0);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.ColName(2), "colour");
  EXPECT_EQ(t.RemoveMarkedColumns(0, 5, 64), -1);
  EXPECT_EQ(t.RemoveMarkedColumns(0, 0, 128), 0);  // no marks: nothing moves
  EXPECT_EQ(t.NrOfColumns(), 2);
}

TEST(TableRemove, MarkedRows) {
  TDataTable t;
  t.Resize(2, 4);
  FillSerial(t);
  t.SetRowName(4, "last");
  t.SetCellState(1, 2, 128);
  t.SetCellState(2, 3, 128);
  EXPECT_EQ(t.RemoveMarkedRows(1, 2, 128), 0);  // row 3 lies outside the range
  ASSERT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.Elem(1, 2), 103.0);
  EXPECT_EQ(t.CellState(2, 2), 128);
  EXPECT_EQ(t.RowName(3), "last");
  EXPECT_EQ(t.RemoveUnmarkedRows(0, 0, 128), 0);
  ASSERT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.Elem(2, 1), 203.0);
}

TEST(TableSort, RowNamesCaseAndRange) {
  TDataTable t;
  t.Resize(2, 4);
  FillSerial(t);
  const char* names[] = {"b", "C", "a", "D"};
  for (int r = 1; r <= 4; ++r) t.SetRowName(r, names[r - 1]);
  t.SetCellState(1, 3, 64);
  int exchanges = 0;
  t.OnSortExchange = [&](TObject*, std::int32_t what, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    EXPECT_EQ(what, 2);
    ++exchanges;
  };
  TableEvents ev(t);
  t.SortRowNames(true, true, 1, 0, 1, 0);  // values move in column 1 only
  EXPECT_GT(exchanges, 0);
  EXPECT_EQ(ev.Take(), Names({"Change", "Names"}));
  EXPECT_EQ(t.RowName(1), "a");
  EXPECT_EQ(t.RowName(4), "D");
  EXPECT_EQ(t.Elem(1, 1), 103.0);
  EXPECT_EQ(t.CellState(1, 1), 64);
  EXPECT_EQ(t.Elem(2, 1), 201.0);  // outside the column range
  t.SortRowNames(true, 0, 0, 0, 0);  // case-sensitive: upper case first
  EXPECT_EQ(t.RowName(1), "C");
  EXPECT_EQ(t.RowName(2), "D");
}

TEST(TableSort, ColumnAttributesMoveTypeRecords) {
  TDataTable t;
  t.Resize(3, 2);
  FillSerial(t);
  t.SetColAttrib(1, 5);
  t.SetColAttrib(2, -1);
  t.SetColAttrib(3, 2);
  t.SetMScaleType(1, TMScaleType::stRatio);
  TableEvents ev(t);
  t.SortColAttributes(false, 0, 0, 0, 0);
  EXPECT_EQ(ev.Take(), Names({"Change", "Attrib"}));
  EXPECT_EQ(t.ColAttrib(1), 5);
  EXPECT_EQ(t.ColAttrib(3), -1);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stRatio);
  EXPECT_EQ(t.Elem(3, 1), 201.0);
  t.SortColAttributes(true, 0, 0, 0, 0);
  EXPECT_EQ(t.ColAttrib(1), -1);
  EXPECT_EQ(t.MScaleType(3), TMScaleType::stRatio);
}

TEST(TableTests, ConstancyAndDichotomy) {
  TDataTable t;
  t.Resize(2, 3);
  for (int r = 1; r <= 3; ++r) {
    t.SetElem(1, r, 7);
    t.SetElem(2, r, r == 2 ? 4 : 9);
  }
  double v = 0, v1 = 0, v2 = 0;
  EXPECT_TRUE(t.IsConstantColumn(1, v));
  EXPECT_EQ(v, 7.0);
  EXPECT_FALSE(t.IsConstantColumn(2));
  EXPECT_FALSE(t.IsConstantColumn(3));
  EXPECT_FALSE(t.IsConstantRow(1));
  EXPECT_TRUE(t.CheckDichotomousColumn(2, v1, v2));
  EXPECT_EQ(v1, 4.0);
  EXPECT_EQ(v2, 9.0);
  EXPECT_TRUE(t.CheckDichotomousColumn(1, v1, v2));  // constant: both the constant
  EXPECT_EQ(v1, 7.0);
  EXPECT_EQ(v2, 7.0);
  t.SetElem(2, 3, 1);
  EXPECT_FALSE(t.IsDichotomousColumn(2));
  t.Resize(2, 1);
  EXPECT_FALSE(t.CheckDichotomousColumn(1, v1, v2));
  EXPECT_EQ(v1, 0.0);
  EXPECT_FALSE(t.IsConstantRow(1, v));  // 7 and 9
  t.SetElem(2, 1, 7);
  EXPECT_TRUE(t.IsConstantRow(1, v));
}

TEST(TableCodes, ContingencyTableLayout) {
  TDataTable t;
  t.Resize(2, 6);
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  const double a[] = {1, 2, 1, 2, 1, 2}, b[] = {1, 2, 3, 1, 3, 3};
  for (int r = 0; r < 6; ++r) {
    t.SetElem(1, r + 1, a[r]);
    t.SetElem(2, r + 1, b[r]);
  }
  TInt2DArray ct;
  ASSERT_EQ(t.CreateContingencyTable(1, 2, 0, 0, ct), 0);
  ASSERT_EQ(ct.size(), 3u);
  ASSERT_EQ(ct[0].size(), 4u);
  EXPECT_EQ(ct[0][0], 1);  // codes (1, 1)
  EXPECT_EQ(ct[0][2], 2);  // codes (1, 3)
  EXPECT_EQ(ct[1][3], 3);  // margin of code 2 in column 1
  EXPECT_EQ(ct[2][2], 3);  // margin of code 3 in column 2
  EXPECT_EQ(ct[2][3], 6);  // the rows counted
  // code 0 and a code beyond 150 leave their rows out and report -3
  t.SetElem(1, 1, 0);
  t.SetElem(2, 2, 151);
  ASSERT_EQ(t.CreateContingencyTable(1, 2, 0, 0, ct), -3);
  EXPECT_EQ(ct[2][3], 4);
  // a cell that is no number is not counted and is no error
  t.SetIsEmpty(1, 3, true);
  ASSERT_EQ(t.CreateContingencyTable(1, 2, 3, 6, ct), 0);
  EXPECT_EQ(ct.back().back(), 3);
  EXPECT_EQ(t.CreateContingencyTable(1, 3, 0, 0, ct), -1);
  t.SetMScaleType(2, TMScaleType::stInterval);
  EXPECT_EQ(t.CreateContingencyTable(1, 2, 0, 0, ct), -2);
}

TEST(TableCodes, ScanForCatValues) {
  TDataTable t;
  t.Resize(1, 4);
  t.SetElem(1, 1, 2.5);  // rounds to 2
  t.SetElem(1, 2, 2);
  t.SetElem(1, 3, -1);
  t.SetElem(1, 4, 150);
  TIntArray list{42};
  EXPECT_EQ(t.ScanForCatValues(1, 0, 0, list), -2);  // interval: untouched
  EXPECT_EQ(list, TIntArray{42});
  t.SetMScaleType(1, TMScaleType::stOrdinal);
  EXPECT_EQ(t.ScanForCatValues(1, 0, 0, list), 1);
  ASSERT_EQ(list.size(), 151u);
  EXPECT_EQ(list[2], 2);
  EXPECT_EQ(list[150], 1);
  EXPECT_EQ(t.ScanForCatValues(2, 0, 0, list), -1);
}

}  // namespace
}  // namespace kvl::test
