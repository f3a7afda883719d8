// TDataTable: inserting, removing, exchanging and mirroring rows and
// columns, and Clear.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kvl/datatable/KVL_datatable.h"
#include "table_test_support.h"

namespace kvl {
namespace {

using test::Names;
using test::TableEvents;

// A 3 x 4 table whose every item tells where it came from.
void Build(TDataTable& t) {
  t.Resize(3, 4);
  test::FillSerial(t);
  for (std::int32_t c = 1; c <= 3; ++c) {
    t.SetColAttrib(c, 10 * c);
    for (std::int32_t r = 1; r <= 4; ++r) t.SetCellState(c, r, static_cast<std::uint8_t>(16 * c + r));
  }
  for (std::int32_t r = 1; r <= 4; ++r) t.SetRowAttrib(r, r);
  t.SetMScaleType(2, TMScaleType::stNominal);
  t.SetNominalID(2, 0, "two");
}

std::vector<double> Column(const TDataTable& t, std::int32_t c) {
  std::vector<double> v;
  for (std::int32_t r = 1; r <= t.NrOfRows(); ++r) v.push_back(t.NumericData->GetVal(c, r));
  return v;
}

std::vector<int> StatesOfColumn(const TDataTable& t, std::int32_t c) {
  std::vector<int> v;
  for (std::int32_t r = 1; r <= t.NrOfRows(); ++r) v.push_back(t.CellState(c, r));
  return v;
}

TEST(DataTableRows, InsertRowMovesEverythingDownAndEmptiesTheNewRow) {
  TDataTable t;
  Build(t);
  TableEvents ev(t);
  t.InsertRow(2);
  // Rows 2..4 moved down: one attribute, name and state notice each.
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 4 3 5", "Attrib", "Names", "CellState", "Attrib", "Names", "CellState",
                              "Attrib", "Names", "CellState", "Setup"}));
  EXPECT_EQ(Column(t, 3), (std::vector<double>{301, 0, 302, 303, 304}));
  EXPECT_EQ(StatesOfColumn(t, 1), (std::vector<int>{17, 0, 18, 19, 20}));
  EXPECT_EQ((Names{t.RowName(1), t.RowName(2), t.RowName(3), t.RowName(5)}), (Names{"R-1", "", "R-2", "R-4"}));
  EXPECT_EQ(t.RowAttrib(2), 0);
  EXPECT_EQ(t.RowAttrib(5), 4);
  ev.Take();
  t.InsertRow(6);  // append: no row moves
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 5 3 6", "Setup"}));
  EXPECT_EQ(t.NrOfRows(), 6);
  EXPECT_EQ(t.RowName(6), "");
  t.InsertRow(8);
  t.InsertRow(0);
  EXPECT_EQ(t.NrOfRows(), 6);
}

TEST(DataTableRows, RemoveRowsClosesUpAndReportsTheCount) {
  TDataTable t;
  Build(t);
  TableEvents ev(t);
  EXPECT_EQ(t.RemoveRows(2, 3), 2);
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 4 3 2", "Setup"}));
  EXPECT_EQ(Column(t, 2), (std::vector<double>{201, 204}));
  EXPECT_EQ(StatesOfColumn(t, 3), (std::vector<int>{49, 52}));
  EXPECT_EQ(t.RowName(2), "R-4");
  EXPECT_EQ(t.RowAttrib(2), 4);
  EXPECT_EQ(t.RemoveRows(5, 3), -1);
  EXPECT_EQ(t.RemoveRows(2, 1), -1);
  EXPECT_EQ(t.RemoveRows(0, 2), -1);
  EXPECT_TRUE(ev.Take().empty());
}

TEST(DataTableRows, RemoveAllRowsLeavesZeroRowsAndTheMatrix) {
  TDataTable t;
  Build(t);
  EXPECT_EQ(t.RemoveRows(0, 0), 4);
  EXPECT_EQ(t.NrOfRows(), 0);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.NumericData->NrOfRows(), 4);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 3);
  EXPECT_EQ(t.RemoveRows(0, 0), 0);
  t.InsertRow(1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(Column(t, 1), (std::vector<double>{0}));
}

TEST(DataTableRows, RemoveRowNeedsTwoRows) {
  TDataTable t;
  TableEvents ev(t);
  t.RemoveRow(1);
  EXPECT_EQ(t.NrOfRows(), 1);
  Build(t);
  ev.Take();
  t.RemoveRow(1);
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 4 3 3", "Setup"}));
  EXPECT_EQ(Column(t, 1), (std::vector<double>{102, 103, 104}));
  t.RemoveRow(4);
  EXPECT_EQ(t.NrOfRows(), 3);
}

TEST(DataTableColumns, InsertColumnMovesHeadersTypesValuesAndStates) {
  TDataTable t;
  Build(t);
  TableEvents ev(t);
  t.InsertColumn(2);
  // Columns 2 and 3 moved right.
  EXPECT_EQ(ev.Take(),
            (Names{"Resize 3 4 4 4", "Attrib", "Names", "CellState", "Attrib", "Names", "CellState", "Setup"}));
  EXPECT_EQ(Column(t, 2), (std::vector<double>{0, 0, 0, 0}));
  EXPECT_EQ(Column(t, 3), (std::vector<double>{201, 202, 203, 204}));
  EXPECT_EQ(StatesOfColumn(t, 4), (std::vector<int>{49, 50, 51, 52}));
  EXPECT_EQ((Names{t.ColName(1), t.ColName(2), t.ColName(3), t.ColName(4)}), (Names{"C-1", "", "C-2", "C-3"}));
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stInterval);
  EXPECT_EQ(t.MScaleType(3), TMScaleType::stNominal);
  EXPECT_EQ(t.NominalID(3, 0), "two");
  EXPECT_EQ(t.ColAttrib(4), 30);
  ev.Take();
  t.InsertColumn(5);  // append: no column moves
  EXPECT_EQ(ev.Take(), (Names{"Resize 4 4 5 4", "Setup"}));
  EXPECT_EQ(t.ColName(5), "");
  t.InsertColumn(7);
  EXPECT_EQ(t.NrOfColumns(), 5);
}

TEST(DataTableColumns, RemoveColumnMovesWholeTypeRecords) {
  TDataTable t;
  Build(t);
  t.SetMScaleType(3, TMScaleType::stOrdinal);
  t.SetNominalID(3, 4, "three");
  t.SetMScaleType(3, TMScaleType::stInterval);  // identifiers kept, hidden
  TableEvents ev(t);
  t.RemoveColumn(2);
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 4 2 4", "Setup"}));
  EXPECT_EQ(Column(t, 2), (std::vector<double>{301, 302, 303, 304}));
  EXPECT_EQ(t.ColName(2), "C-3");
  EXPECT_EQ(t.ColAttrib(2), 30);
  EXPECT_EQ(StatesOfColumn(t, 2), (std::vector<int>{49, 50, 51, 52}));
  t.SetMScaleType(2, TMScaleType::stNominal);
  EXPECT_EQ(t.NominalID(2, 0), "");  // not the removed column's identifier
  EXPECT_EQ(t.NominalID(2, 4), "three");
  t.RemoveColumn(1);
  t.RemoveColumn(1);  // one column left: nothing
  EXPECT_EQ(t.NrOfColumns(), 1);
}

TEST(DataTableExchange, ColumnsRowsAndMirrorsFireFiveEventsInOrder) {
  const Names five{"Change", "CellState", "Attrib", "Names", "Setup"};
  TDataTable t;
  Build(t);
  TableEvents ev(t);
  t.ExchangeColumns(1, 2);
  EXPECT_EQ(ev.Take(), five);
  EXPECT_EQ(Column(t, 1), (std::vector<double>{201, 202, 203, 204}));
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stNominal);
  EXPECT_EQ(t.NominalID(1, 0), "two");
  EXPECT_EQ(t.ColName(2), "C-1");
  EXPECT_EQ(StatesOfColumn(t, 2), (std::vector<int>{17, 18, 19, 20}));
  t.ExchangeRows(1, 4);
  EXPECT_EQ(ev.Take(), five);
  EXPECT_EQ(Column(t, 3), (std::vector<double>{304, 302, 303, 301}));
  EXPECT_EQ(StatesOfColumn(t, 3), (std::vector<int>{52, 50, 51, 49}));
  EXPECT_EQ(t.RowName(1), "R-4");
  EXPECT_EQ(t.RowAttrib(4), 1);
  t.ExchangeRows(1, 5);
  t.ExchangeColumns(0, 1);
  EXPECT_TRUE(ev.Take().empty());
  t.MirrorRows();
  EXPECT_EQ(ev.Take(), five);
  EXPECT_EQ(Column(t, 3), (std::vector<double>{301, 303, 302, 304}));
  EXPECT_EQ(t.RowName(1), "R-1");
  t.MirrorColumns();
  EXPECT_EQ(ev.Take(), five);
  EXPECT_EQ((Names{t.ColName(1), t.ColName(2), t.ColName(3)}), (Names{"C-3", "C-1", "C-2"}));
  EXPECT_EQ(t.MScaleType(3), TMScaleType::stNominal);
  EXPECT_EQ(StatesOfColumn(t, 1), (std::vector<int>{49, 51, 50, 52}));
}

TEST(DataTableClear, KeepsSizeResetsEverythingAndFiresInOrder) {
  TDataTable t;
  Build(t);
  t.SetColName(1, "x");
  t.SetComment("note");
  TableEvents ev(t);
  t.Clear();
  EXPECT_EQ(ev.Take(), (Names{"Change", "Names", "Attrib", "CellState", "Setup"}));
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.Comment(), "");
  EXPECT_EQ(t.Elem(3, 4), 0.0);
  EXPECT_EQ(t.CellState(3, 4), 0);
  EXPECT_EQ(t.RowAttrib(2), 0);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stInterval);
  t.SetMScaleType(2, TMScaleType::stNominal);
  EXPECT_EQ(t.CountNominalIDs(2), 0);
}

// Blocks of several MiB take the allocator's large-block paths (remapped
// growth, huge-page hints): the moves must keep every value.
TEST(DataTableStructure, LargeTableKeepsEveryValueThroughInsertRemoveAndClone) {
  constexpr std::int32_t cols = 3;
  constexpr std::int32_t rows = 400000;
  TDataTable t;
  t.Resize(cols, rows);
  double* cells = t.NumericData->ColumnView().data();
  for (std::size_t i = 0; i < std::size_t{cols} * rows; ++i) cells[i] = static_cast<double>(i);
  const std::vector<double> original(t.NumericData->Data().begin(), t.NumericData->Data().end());
  auto at = [](std::int32_t c, std::int32_t r) { return static_cast<double>((c - 1) * rows + (r - 1)); };

  t.InsertRow(rows / 2);
  EXPECT_EQ(t.Elem(3, rows / 2 - 1), at(3, rows / 2 - 1));
  EXPECT_EQ(t.Elem(3, rows / 2), 0.0);
  EXPECT_EQ(t.Elem(3, rows + 1), at(3, rows));
  t.RemoveRow(rows / 2);
  EXPECT_TRUE(std::ranges::equal(t.NumericData->Data(), original));

  t.InsertColumn(2);
  EXPECT_EQ(t.Elem(2, rows), 0.0);
  EXPECT_EQ(t.Elem(4, rows), at(3, rows));
  t.RemoveColumn(2);
  EXPECT_TRUE(std::ranges::equal(t.NumericData->Data(), original));

  TDataTable copy;
  copy.Clone(&t);
  EXPECT_TRUE(std::ranges::equal(copy.NumericData->Data(), original));
  EXPECT_EQ(copy.RowName(rows), "R-" + std::to_string(rows));
}

}  // namespace
}  // namespace kvl
