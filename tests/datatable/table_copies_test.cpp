// TDataTable: copies between tables, Assign, the ownership of NumericData,
// the muting rule and the sorts.

#include <gtest/gtest.h>

#include <memory>

#include "kvl/datatable/KVL_datatable.h"
#include "table_test_support.h"

namespace kvl {
namespace {

using test::Names;
using test::TableEvents;

void Build(TDataTable& t, std::int32_t Cols, std::int32_t Rows) {
  t.Resize(Cols, Rows);
  test::FillSerial(t);
  for (std::int32_t c = 1; c <= Cols; ++c)
    for (std::int32_t r = 1; r <= Rows; ++r) t.SetCellState(c, r, static_cast<std::uint8_t>(16 * c + r));
  for (std::int32_t c = 1; c <= Cols; ++c) t.SetColAttrib(c, 10 * c);
  for (std::int32_t r = 1; r <= Rows; ++r) t.SetRowAttrib(r, r);
}

// --- Clone and CopyFrom --------------------------------------------------------------------------

TEST(DataTableClone, CopiesEverythingAndFiresSummaryThenResize) {
  TDataTable src;
  Build(src, 3, 2);
  src.SetComment("source");
  src.SetColName(2, "two");
  src.SetMScaleType(1, TMScaleType::stNominal);
  src.SetNominalID(1, 0, "kept");
  src.SetMScaleType(3, TMScaleType::stOrdinal);
  src.SetNominalID(3, 0, "dropped");
  src.SetMScaleType(3, TMScaleType::stRatio);
  src.NumericData->SetVal(1, 1, 2.5);
  TDataTable t;
  TableEvents ev(t);
  t.Clone(&src);
  EXPECT_EQ(ev.Take(),
            (Names{"Resize 1 1 3 2", "Change", "CellState", "Setup", "Names", "Attrib", "Resize 1 1 3 2"}));
  EXPECT_EQ(t.Comment(), "source");
  EXPECT_EQ(t.ColName(2), "two");
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 2.5);  // raw values
  EXPECT_EQ(t.Elem(3, 2), 302.0);
  EXPECT_EQ(t.CellState(2, 2), 34);
  EXPECT_EQ(t.RowAttrib(2), 2);
  EXPECT_EQ(t.ColAttrib(3), 30);
  EXPECT_EQ(t.NominalID(1, 0), "kept");
  t.SetMScaleType(3, TMScaleType::stOrdinal);
  EXPECT_EQ(t.NominalID(3, 0), "");  // a ratio column receives no identifiers
  t.Clone(&src);                     // same size: one OnResize at the end
  ev.Take();
  t.Clone(&src);
  EXPECT_EQ(ev.Take(), (Names{"Change", "CellState", "Setup", "Names", "Attrib", "Resize 3 2 3 2"}));
  t.Clone(nullptr);
  t.Clone(&t);
  EXPECT_TRUE(ev.Take().empty());
}

TEST(DataTableClone, HandlerAssignedWhileMutedIsKeptAndFires) {
  TDataTable src;
  Build(src, 2, 2);
  TDataTable t;
  Names log;
  t.OnChange = [&](TObject*) { log.push_back("original"); };
  t.OnResize = [&](TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    log.push_back(t.OnChange ? "resize sees a handler" : "resize sees none");
    t.OnChange = [&](TObject*) { log.push_back("replacement"); };
  };
  t.Clone(&src);
  // Muting leaves the handlers in place: the one assigned inside the first
  // OnResize is the one the summary fires.
  EXPECT_EQ(log, (Names{"resize sees a handler", "replacement", "resize sees a handler"}));
  log.clear();
  t.SetElem(1, 1, 1.0);
  EXPECT_EQ(log, (Names{"replacement", "replacement"}));
}

TEST(DataTableCopyFrom, CopiesValuesThroughElemAndStatesOnly) {
  TDataTable src;
  Build(src, 3, 3);
  src.SetMScaleType(2, TMScaleType::stOrdinal);
  src.NumericData->SetVal(2, 2, 6.5);
  TDataTable t;
  t.Resize(3, 3);
  TableEvents ev(t);
  t.CopyFrom(&src, 2, 2, 9, 9, 2, 2);  // source bounds clipped to 2..3
  EXPECT_EQ(ev.Take(), (Names{"Change", "CellState"}));
  EXPECT_EQ(t.Elem(2, 2), 6.0);  // rounded on the way
  EXPECT_EQ(t.Elem(3, 3), 303.0);
  EXPECT_EQ(t.CellState(3, 2), 16 * 3 + 2);
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stInterval);  // types are not copied
  EXPECT_EQ(t.ColAttrib(3), 0);
  t.CopyFrom(&src, 0, 0, 0, 0, 3, 0);  // whole source at (3, 0): only (3, 1..2) land
  EXPECT_EQ(t.Elem(3, 1), 102.0);
  EXPECT_EQ(t.Elem(3, 2), 103.0);
}

TEST(DataTableCopyFrom, OverlappingCopyWithinOneTable) {
  TDataTable t;
  Build(t, 1, 5);
  t.CopyFrom(&t, 1, 1, 1, 4, 1, 2);
  std::vector<double> col;
  for (std::int32_t r = 1; r <= 5; ++r) col.push_back(t.Elem(1, r));
  EXPECT_EQ(col, (std::vector<double>{101, 101, 102, 103, 104}));
}

TEST(DataTableCopyColumnFrom, CodesAndShorterColumns) {
  TDataTable src;
  Build(src, 2, 5);
  src.SetColName(2, "b");
  src.SetMScaleType(2, TMScaleType::stNominal);
  src.SetNominalID(2, 3, "x");
  TDataTable t;
  t.Resize(2, 3);
  TableEvents ev(t);
  EXPECT_EQ(t.CopyColumnFrom(nullptr, 1, 1), -4);
  EXPECT_EQ(t.CopyColumnFrom(&src, 3, 1), -1);
  EXPECT_EQ(t.CopyColumnFrom(&src, 3, 3), -2);  // -2 wins over -1
  EXPECT_TRUE(ev.Take().empty());
  EXPECT_EQ(t.CopyColumnFrom(&src, 2, 1), -3);
  EXPECT_EQ(ev.Take(), (Names{"Change", "CellState", "Setup", "Names", "Attrib"}));
  EXPECT_EQ(t.ColName(1), "b");
  EXPECT_EQ(t.ColAttrib(1), 20);
  EXPECT_EQ(t.NominalID(1, 3), "x");
  EXPECT_EQ(t.Elem(1, 3), 203.0);
  EXPECT_EQ(t.CellState(1, 3), 35);
  TDataTable same;
  same.Resize(1, 5);
  EXPECT_EQ(same.CopyColumnFrom(&src, 1, 1), 0);
}

TEST(DataTableCopyCellStates, OnlyBetweenEqualSizes) {
  TDataTable src;
  Build(src, 2, 2);
  TDataTable t;
  EXPECT_FALSE(t.CopyCellStatesFrom(&src));
  EXPECT_FALSE(t.CopyCellStatesFrom(nullptr));
  t.Resize(2, 2);
  TableEvents ev(t);
  EXPECT_TRUE(t.CopyCellStatesFrom(&src));
  EXPECT_EQ(ev.Take(), (Names{"CellState"}));
  EXPECT_EQ(t.CellState(2, 1), 33);
}

// --- Assign -------------------------------------------------------------------------------------------

TEST(DataTableAssign, CopiesContentsAndHandlersWithoutEvents) {
  TDataTable src;
  Build(src, 2, 3);
  src.SetComment("c");
  src.SetMScaleType(2, TMScaleType::stNominal);
  src.SetNominalID(2, 1, "id");
  Names srcLog;
  src.OnChangeSetup = [&](TObject* s) { srcLog.push_back(s == &src ? "src" : "other"); };
  TDataTable t;
  TMatrix* own = t.NumericData;
  TableEvents ev(t);
  t.Assign(&src);
  EXPECT_TRUE(ev.Take().empty());
  EXPECT_EQ(t.NumericData, own);  // the table keeps its matrix object
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.Elem(2, 3), 203.0);
  EXPECT_EQ(t.CellState(1, 2), 18);
  EXPECT_EQ(t.NominalID(2, 1), "id");
  EXPECT_EQ(t.Comment(), "c");
  t.SetComment("x");  // the source's handler came along
  EXPECT_EQ(srcLog, (Names{"other"}));
  // This table's matrix still reports to this table, not to the source.
  Names mine;
  t.OnChange = [&](TObject* s) { mine.push_back(s == &t ? "t" : "src"); };
  src.OnChange = [&](TObject*) { mine.push_back("source table"); };
  t.NumericData->SetVal(1, 1, 5.0);
  EXPECT_EQ(mine, (Names{"t"}));
}

TEST(DataTableAssign, AssignToAndOtherSources) {
  TDataTable src;
  Build(src, 2, 2);
  TDataTable t;
  src.AssignTo(&t);  // through the public Assign of the destination
  EXPECT_EQ(t.Elem(2, 2), 202.0);
  TComponent other;
  EXPECT_THROW(t.Assign(&other), EConvertError);
}

// --- ownership of NumericData ---------------------------------------------------------------------

TEST(DataTableMatrix, AdoptedMatrixGivesSizeAndIntervalTypesAndFiresInOrder) {
  TDataTable t;
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetNominalID(1, 0, "keep");
  TableEvents ev(t);
  auto m = std::make_unique<TMatrix>();
  m->Resize(3, 2);
  m->SetVal(3, 2, 32.0);
  t.AssignAnotherDataMatrix(m.get());
  // OnResize once for the resize and once more for the adoption.
  EXPECT_EQ(ev.Take(),
            (Names{"Resize 1 1 3 2", "Resize 1 1 3 2", "Change", "Setup", "Names", "Attrib", "CellState"}));
  EXPECT_EQ(t.NumericData, m.get());
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.ColName(3), "C-3");
  EXPECT_EQ(t.Elem(3, 2), 32.0);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stInterval);
  t.SetMScaleType(1, TMScaleType::stNominal);
  EXPECT_EQ(t.NominalID(1, 0), "keep");
  m->SetVal(1, 1, 1.0);  // the matrix reports to the table
  EXPECT_EQ(ev.Take(), (Names{"Setup", "Change"}));
}

TEST(DataTableMatrix, CallersMatrixOutlivesTheTableDetached) {
  TMatrix m;
  m.Resize(2, 2);
  {
    TDataTable t;
    t.AssignAnotherDataMatrix(&m);
    EXPECT_TRUE(static_cast<bool>(m.OnChange));
  }
  EXPECT_FALSE(static_cast<bool>(m.OnChange));
  EXPECT_FALSE(static_cast<bool>(m.OnSortExchange));
  m.SetVal(1, 1, 3.0);
  EXPECT_EQ(m.GetVal(1, 1), 3.0);
}

TEST(DataTableMatrix, ReplacedCallersMatrixIsReleasedUnchanged) {
  TMatrix a;
  a.Resize(4, 4);
  a.SetVal(4, 4, 44.0);
  TMatrix b;
  b.Resize(2, 1);
  TDataTable t;
  t.AssignAnotherDataMatrix(&a);
  t.AssignAnotherDataMatrix(&b);
  EXPECT_EQ(a.NrOfColumns(), 4);  // not resized to b's size
  EXPECT_EQ(a.GetVal(4, 4), 44.0);
  EXPECT_FALSE(static_cast<bool>(a.OnChange));
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 1);
  t.AssignAnotherDataMatrix(nullptr);
  EXPECT_EQ(t.NumericData, &b);
}

TEST(DataTableMatrix, MatrixFreedFirstByACommonOwnerIsNotTouched) {
  // The owner frees the matrix (inserted last) before the table.
  auto owner = std::make_unique<TComponent>();
  auto* t = new TDataTable(owner.get());
  auto* m = new TMatrix(owner.get());
  t->AssignAnotherDataMatrix(m);
  owner.reset();  // no use of the freed matrix (checked under the sanitizers)
  SUCCEED();
}

// --- sorting ------------------------------------------------------------------------------------------

TEST(DataTableSort, RowsCarryNamesAttributesAndStatesWhenAsked) {
  TDataTable t;
  t.Resize(2, 4);
  const double keys[] = {3, 1, 4, 2};
  for (std::int32_t r = 1; r <= 4; ++r) {
    t.NumericData->SetVal(1, r, keys[r - 1]);
    t.NumericData->SetVal(2, r, 10 * keys[r - 1]);
    t.SetCellState(1, r, static_cast<std::uint8_t>(keys[r - 1]));
    t.SetCellState(2, r, static_cast<std::uint8_t>(10 * keys[r - 1]));
    t.SetRowAttrib(r, static_cast<std::int32_t>(keys[r - 1]));
  }
  TableEvents ev(t);
  int exchanges = 0;
  t.OnSortExchange = [&](TObject* s, std::int32_t what, std::int32_t, std::int32_t, std::int32_t lo, std::int32_t hi) {
    EXPECT_EQ(s, &t);
    EXPECT_EQ(what, 2);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 2);
    ++exchanges;
  };
  t.SortRows(1, true, 0, 0, 0, 0, true);
  EXPECT_GT(exchanges, 0);
  EXPECT_EQ(ev.Take(), (Names{"Change", "Names", "Attrib"}));
  for (std::int32_t r = 1; r <= 4; ++r) {
    EXPECT_EQ(t.Elem(1, r), r);
    EXPECT_EQ(t.Elem(2, r), 10 * r);
    EXPECT_EQ(t.CellState(1, r), r);
    EXPECT_EQ(t.CellState(2, r), 10 * r);
    EXPECT_EQ(t.RowAttrib(r), r);
  }
  EXPECT_EQ(t.RowName(1), "R-2");
  t.SortRows(1, false, 0, 0, 0, 0, false);  // headers stay
  EXPECT_EQ(ev.Take(), (Names{"Change"}));
  EXPECT_EQ(t.Elem(1, 1), 4.0);
  EXPECT_EQ(t.CellState(1, 1), 4);
  EXPECT_EQ(t.RowAttrib(1), 1);
}

TEST(DataTableSort, KeyOutsideTheSortedColumnsTakesItsStatesAlong) {
  TDataTable t;
  t.Resize(3, 3);
  const double keys[] = {2, 3, 1};
  for (std::int32_t r = 1; r <= 3; ++r) {
    t.NumericData->SetVal(1, r, keys[r - 1]);
    t.SetCellState(1, r, static_cast<std::uint8_t>(keys[r - 1]));
    t.NumericData->SetVal(2, r, r);
    t.SetCellState(2, r, static_cast<std::uint8_t>(r));
  }
  t.SortRows(1, true, 2, 0, 3, 0, false);
  for (std::int32_t r = 1; r <= 3; ++r) EXPECT_EQ(t.CellState(1, r), static_cast<int>(t.Elem(1, r)));
  for (std::int32_t r = 1; r <= 3; ++r) EXPECT_EQ(t.CellState(2, r), static_cast<int>(t.Elem(2, r)));
}

TEST(DataTableSort, ColumnsCarryTypeRecords) {
  TDataTable t;
  t.Resize(3, 1);
  t.NumericData->SetVal(1, 1, 9.0);
  t.NumericData->SetVal(2, 1, 1.0);
  t.NumericData->SetVal(3, 1, 5.0);
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetNominalID(1, 9, "nine");
  t.SetCellState(1, 1, 9);
  t.SortCols(1, true, 0, 0, 0, 0, true);
  EXPECT_EQ(t.ColName(3), "C-1");
  EXPECT_EQ(t.MScaleType(3), TMScaleType::stNominal);
  EXPECT_EQ(t.ElemNominal(3, 1), "nine");
  EXPECT_EQ(t.CellState(3, 1), 9);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stInterval);
}

}  // namespace
}  // namespace kvl
