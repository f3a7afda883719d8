// TDataTable: creation, resizing, cell access, nominal coding, names,
// attributes and scale types.

#include <gtest/gtest.h>

#include <string>

#include "kvl/datatable/KVL_datatable.h"
#include "table_test_support.h"

namespace kvl {
namespace {

using test::Names;
using test::TableEvents;

TEST(DataTableCreate, NewTableIsOneByOneWithDefaults) {
  TDataTable t;
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.RowName(1), "R-1");
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(t.CellState(1, 1), 0);
  EXPECT_EQ(t.ColAttrib(1), 0);
  EXPECT_EQ(t.RowAttrib(1), 0);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stInterval);
  EXPECT_EQ(t.Comment(), "");
  ASSERT_NE(t.NumericData, nullptr);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 1);
  EXPECT_EQ(t.NumericData->NrOfRows(), 1);
}

TEST(DataTableCreate, NameTables) {
  EXPECT_EQ(MScaleTypeNames[static_cast<int>(TMScaleType::stOrdinal)], "Ordinal");
  EXPECT_EQ(MScaleTypeNames[static_cast<int>(TMScaleType::stRatio)], "Ratio");
  EXPECT_EQ(IDS_COMPAREMODE[static_cast<int>(TCompareMode::cmInRange)], "cmInRange");
  EXPECT_EQ(IDS_COMPAREMODE[static_cast<int>(TCompareMode::cmOutOfRange)], "cmOutOfRange");
  EXPECT_EQ(static_cast<int>(TDataSelMode::selmInterleave), 2);
  EXPECT_EQ(static_cast<int>(TDataSetSplitMode::splitTstTrn), 2);
}

// --- resizing -------------------------------------------------------------------------------

TEST(DataTableResize, NewColumnsAndRowsGetDefaultNames) {
  TDataTable t;
  t.SetNrOfColumns(2);
  t.SetColName(1, "height");
  t.SetNrOfColumns(4);
  EXPECT_EQ((Names{t.ColName(1), t.ColName(2), t.ColName(3), t.ColName(4)}),
            (Names{"height", "C-2", "C-3", "C-4"}));
  t.SetColName(3, "weight");
  t.SetNrOfColumns(2);
  t.SetNrOfColumns(3);
  EXPECT_EQ(t.ColName(3), "C-3");  // returns by default, not by its old name
  t.Resize(3, 12);
  EXPECT_EQ(t.RowName(12), "R-12");
}

TEST(DataTableResize, FiresOnlyOnResizeAndOnlyOnChange) {
  TDataTable t;
  TableEvents ev(t);
  t.SetNrOfColumns(1);
  EXPECT_TRUE(ev.Take().empty());
  t.SetNrOfColumns(3);
  EXPECT_EQ(ev.Take(), (Names{"Resize 1 1 3 1"}));
  t.SetNrOfRows(5);
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 1 3 5"}));
  t.Resize(2, 2);
  EXPECT_EQ(ev.Take(), (Names{"Resize 3 5 2 2"}));
}

TEST(DataTableResize, SurvivingCellsKeepValuesAndStatesNewOnesAreZero) {
  TDataTable t;
  t.Resize(3, 3);
  test::FillSerial(t);
  t.SetCellState(2, 2, 7);
  t.SetColAttrib(2, 9);
  t.SetMScaleType(2, TMScaleType::stRatio);
  t.Resize(2, 4);
  EXPECT_EQ(t.Elem(2, 2), 202.0);
  EXPECT_EQ(t.CellState(2, 2), 7);
  EXPECT_EQ(t.ColAttrib(2), 9);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stRatio);
  EXPECT_EQ(t.Elem(1, 4), 0.0);
  t.Resize(4, 4);
  EXPECT_EQ(t.Elem(3, 1), 0.0);
  EXPECT_EQ(t.CellState(3, 1), 0);
  EXPECT_EQ(t.MScaleType(3), TMScaleType::stInterval);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 4);
  EXPECT_EQ(t.NumericData->NrOfRows(), 4);
}

TEST(DataTableResize, ZeroCountKeepsTheMatrixAndGrowsBackWithZeroCells) {
  TDataTable t;
  t.Resize(2, 3);
  test::FillSerial(t);
  t.SetNrOfRows(0);
  EXPECT_EQ(t.NrOfRows(), 0);
  EXPECT_EQ(t.NumericData->NrOfRows(), 3);  // a matrix keeps at least one row
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(t.RowName(1), "");
  t.SetNrOfRows(2);
  EXPECT_EQ(t.NumericData->NrOfRows(), 2);
  EXPECT_EQ(t.Elem(1, 1), 0.0);  // the old cells do not come back
  EXPECT_EQ(t.Elem(2, 2), 0.0);
  EXPECT_EQ(t.RowName(2), "R-2");
}

TEST(DataTableResize, NegativeCountsAreRejected) {
  TDataTable t;
  t.SetName("T1");
  KVL_EXPECT_THROW_MSG(t.SetNrOfColumns(-1), EKVLDataTableError, "Component \"T1\": negative number of columns");
  KVL_EXPECT_THROW_MSG(t.Resize(2, -3), EKVLDataTableError, "Component \"T1\": negative number of rows");
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
}

// --- cells --------------------------------------------------------------------------------------

struct RoundCase {
  TMScaleType Type;
  double Stored;
  double Read;
};

class DataTableElemRead : public ::testing::TestWithParam<RoundCase> {};

TEST_P(DataTableElemRead, RoundsNominalAndOrdinalHalvesToEven) {
  TDataTable t;
  t.SetMScaleType(1, GetParam().Type);
  t.SetElem(1, 1, GetParam().Stored);
  EXPECT_EQ(t.Elem(1, 1), GetParam().Read);
  EXPECT_EQ(t.NumericData->GetVal(1, 1), GetParam().Stored);  // stored as given
}

INSTANTIATE_TEST_SUITE_P(Cases, DataTableElemRead,
                         ::testing::Values(RoundCase{TMScaleType::stOrdinal, 2.5, 2.0},
                                           RoundCase{TMScaleType::stOrdinal, 3.5, 4.0},
                                           RoundCase{TMScaleType::stNominal, 1.4999, 1.0},
                                           RoundCase{TMScaleType::stNominal, -2.5, -2.0},
                                           RoundCase{TMScaleType::stInterval, 2.5, 2.5},
                                           RoundCase{TMScaleType::stRatio, 3.5, 3.5},
                                           RoundCase{TMScaleType::stUnknown, 0.5, 0.5}),
                         [](const auto& info) {
                           return test::CaseName(MScaleTypeNames[static_cast<int>(info.param.Type)], info.param.Stored);
                         });

TEST(DataTableElem, WriteFiresOnChangeTwiceAndIgnoresOutsideIndices) {
  TDataTable t;
  t.Resize(2, 2);
  TableEvents ev(t);
  t.SetElem(2, 2, 1.5);
  EXPECT_EQ(ev.Take(), (Names{"Change", "Change"}));
  t.SetElem(3, 1, 1.0);
  t.SetElem(0, 1, 1.0);
  t.SetElem(1, -1, 1.0);
  EXPECT_TRUE(ev.Take().empty());
  EXPECT_EQ(t.Elem(3, 1), 0.0);
  EXPECT_EQ(t.NumericData->GetVal(2, 2), 1.5);
}

TEST(DataTableElem, CellStateFiresOnlyWhenChangedAndFlagsFireOnChange) {
  TDataTable t;
  TableEvents ev(t);
  t.SetCellState(1, 1, 0);
  EXPECT_TRUE(ev.Take().empty());
  t.SetCellState(1, 1, 1);
  EXPECT_EQ(ev.Take(), (Names{"CellState"}));
  EXPECT_FALSE(t.IsNumber(1, 1));
  t.SetCellState(1, 1, 2);
  ev.Take();
  t.SetIsEmpty(1, 1, true);  // already set: no state event, OnChange all the same
  EXPECT_EQ(ev.Take(), (Names{"Change"}));
  EXPECT_TRUE(t.IsEmpty(1, 1));
  t.SetIsImputed(1, 1, true);
  EXPECT_EQ(ev.Take(), (Names{"CellState", "Change"}));
  EXPECT_EQ(t.CellState(1, 1), 34);
  t.SetIsEmpty(1, 1, false);
  EXPECT_EQ(t.CellState(1, 1), 32);
  EXPECT_TRUE(t.IsNumber(1, 1));
  EXPECT_TRUE(t.IsImputed(1, 1));
  EXPECT_FALSE(t.IsNumber(2, 1));
  EXPECT_EQ(t.CellState(2, 1), 0);
}

// --- nominal coding --------------------------------------------------------------------------------

TEST(DataTableNominal, WriteLooksUpIgnoringCaseAndFillsSlotsFromZero) {
  TDataTable t;
  t.Resize(1, 4);
  t.SetMScaleType(1, TMScaleType::stNominal);
  TableEvents ev(t);
  t.SetElemNominal(1, 1, "red");
  EXPECT_EQ(ev.Take(), (Names{"Setup", "Change", "Change"}));
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(t.NominalID(1, 0), "red");
  t.SetElemNominal(1, 2, "RED");
  EXPECT_EQ(ev.Take(), (Names{"Change", "Change"}));  // found: the dictionary stays
  EXPECT_EQ(t.Elem(1, 2), 0.0);
  t.SetElemNominal(1, 3, "green");
  EXPECT_EQ(t.Elem(1, 3), 1.0);
  EXPECT_EQ(t.ElemNominal(1, 3), "green");
  EXPECT_EQ(t.ElemNominal(1, 2), "red");
  EXPECT_EQ(t.CountNominalIDs(1), 2);
  ev.Take();
  t.SetElemNominal(1, 4, "");  // an empty identifier changes nothing
  EXPECT_TRUE(ev.Take().empty());
  EXPECT_EQ(t.CountNominalIDs(1), 2);
}

TEST(DataTableNominal, The152ndIdentifierRaisesAndLeavesTheCell) {
  TDataTable t;
  t.SetName("Tab");
  t.Resize(1, 2);
  t.SetMScaleType(1, TMScaleType::stNominal);
  for (int i = 0; i < 151; ++i) t.SetElemNominal(1, 1, "v" + std::to_string(i));
  EXPECT_EQ(t.Elem(1, 1), 150.0);
  t.SetElem(1, 2, 7.0);
  KVL_EXPECT_THROW_MSG(t.SetElemNominal(1, 2, "one more"), EKVLDataTableError,
                       "Component \"Tab\": number of available nominal values exceeded");
  EXPECT_EQ(t.Elem(1, 2), 7.0);
  t.SetElemNominal(1, 2, "V3");  // existing identifiers still work
  EXPECT_EQ(t.Elem(1, 2), 3.0);
}

TEST(DataTableNominal, ReadOfOutsideCodesAndOfOtherScaleTypes) {
  TDataTable t;
  t.Resize(2, 1);
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetElem(1, 1, 200.0);
  EXPECT_EQ(t.ElemNominal(1, 1), "200");
  t.SetElem(1, 1, -1.0);
  EXPECT_EQ(t.ElemNominal(1, 1), "-1");
  t.SetElem(1, 1, 2.5);
  EXPECT_EQ(t.ElemNominal(1, 1), "");  // slot 2 is free
  t.SetElem(2, 1, 0.0);
  EXPECT_EQ(t.ElemNominal(2, 1), "");  // interval
  EXPECT_EQ(t.ElemNominal(3, 1), "");
}

TEST(DataTableNominal, WriteToAnIntervalColumnReusesItsSlotAndKeepsTheType) {
  TDataTable t;
  t.Resize(1, 2);
  t.SetElemNominal(1, 1, "low");
  t.SetElemNominal(1, 2, "LOW");
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stInterval);
  EXPECT_EQ(t.CountNominalIDs(1), 1);
  EXPECT_EQ(t.Elem(1, 2), 0.0);
}

TEST(DataTableNominal, AddOrdinalOfClearAndList) {
  TDataTable t;
  t.Resize(4, 1);
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  TableEvents ev(t);
  EXPECT_EQ(t.AddNominalID(2, "Small"), 0);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stNominal);  // ordinal becomes nominal
  EXPECT_EQ(t.AddNominalID(2, "large"), 1);
  EXPECT_EQ(ev.Take(), (Names{"Setup", "Setup"}));
  EXPECT_EQ(t.AddNominalID(2, "SMALL"), 0);
  EXPECT_TRUE(ev.Take().empty());
  EXPECT_EQ(t.AddNominalID(5, "x"), -1);
  EXPECT_EQ(t.AddNominalID(2, ""), -1);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "LARGE", true), 1);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "LARGE", false), -1);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "large", false), 1);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "large", true), -1);  // interval column
  EXPECT_EQ(t.AddNominalID(1, "a"), 0);                   // interval becomes nominal
  t.SetMScaleType(4, TMScaleType::stOrdinal);
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{1, 2, 4}));
  t.ClearNominalIDs(2);
  EXPECT_EQ(t.CountNominalIDs(2), 0);
  EXPECT_EQ(t.CountNominalIDs(9), 0);
}

TEST(DataTableNominal, NominalIDPropertyRules) {
  TDataTable t;
  t.Resize(2, 1);
  t.SetMScaleType(1, TMScaleType::stNominal);
  TableEvents ev(t);
  t.SetNominalID(1, 150, "last");
  t.SetNominalID(2, 0, "ignored");  // interval: not stored, Setup all the same
  t.SetNominalID(1, 151, "bad");    // outside: nothing
  EXPECT_EQ(ev.Take(), (Names{"Setup", "Setup"}));
  EXPECT_EQ(t.NominalID(1, 150), "last");
  EXPECT_EQ(t.CountNominalIDs(2), 0);
  t.SetMScaleType(1, TMScaleType::stRatio);
  EXPECT_EQ(t.NominalID(1, 150), "");  // hidden, not lost
  t.SetMScaleType(1, TMScaleType::stOrdinal);
  EXPECT_EQ(t.NominalID(1, 150), "last");
  t.SetMScaleType(1, TMScaleType::stInterval);
  t.SetNominalID(1, 150, "");  // an empty text clears in any column
  t.SetMScaleType(1, TMScaleType::stNominal);
  EXPECT_EQ(t.NominalID(1, 150), "");
}

// --- byte-limited texts -----------------------------------------------------------------------------

TEST(DataTableText, CutToBytesNeverSplitsACharacter) {
  const std::string e = "\xC3\xA9";          // é, 2 bytes
  const std::string euro = "\xE2\x82\xAC";   // €, 3 bytes
  const std::string clef = "\xF0\x9D\x84\x9E";  // 4 bytes
  EXPECT_EQ(CutToBytes("abc", 3), "abc");
  EXPECT_EQ(CutToBytes("abcd", 3), "abc");
  EXPECT_EQ(CutToBytes("ab" + e, 3), "ab");
  EXPECT_EQ(CutToBytes("a" + e + "x", 3), "a" + e);
  EXPECT_EQ(CutToBytes("a" + euro, 3), "a");
  EXPECT_EQ(CutToBytes("a" + clef, 4), "a");
  EXPECT_EQ(CutToBytes(clef + "b", 4), clef);
}

TEST(DataTableText, NamesKeep50BytesAndIdentifiers10) {
  TDataTable t;
  const std::string name49 = std::string(49, 'n');
  t.SetColName(1, name49 + "\xC3\xA9" + "tail");
  EXPECT_EQ(t.ColName(1), name49);
  t.SetRowName(1, "  padded  ");
  EXPECT_EQ(t.RowName(1), "  padded  ");  // stored as given
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetElemNominal(1, 1, "abcdefghijKLM");
  EXPECT_EQ(t.ElemNominal(1, 1), "abcdefghij");
  t.SetElemNominal(1, 1, "ABCDEFGHIJxyz");  // the same after the cut
  EXPECT_EQ(t.CountNominalIDs(1), 1);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "abcdefghij-anything", false), 0);
}

// --- names, attributes, scale types -------------------------------------------------------------

TEST(DataTableNames, FindTrimsBlanksAndIgnoresCase) {
  TDataTable t;
  t.Resize(3, 2);
  t.SetRowName(2, " Mean ");
  EXPECT_EQ(t.FindColIndex("  c-2 "), 2);
  EXPECT_EQ(t.FindColIndex("C-4"), 0);
  EXPECT_EQ(t.FindRowIndex("MEAN"), 2);
  EXPECT_EQ(t.FindRowIndex("\tMEAN"), 0);  // only blanks are stripped
  t.SetColName(1, "C-2");
  EXPECT_EQ(t.FindColIndex("c-2"), 1);  // the first equal name
}

TEST(DataTableNames, MaxNameLengthCountsCharacters) {
  TDataTable t;
  t.Resize(2, 1);
  t.SetColName(2, "d\xC3\xA9j\xC3\xA0");
  EXPECT_EQ(t.MaxColNameLength(), 4);
  EXPECT_EQ(t.MaxRowNameLength(), 3);
  t.SetNrOfRows(0);
  EXPECT_EQ(t.MaxRowNameLength(), 0);
}

TEST(DataTableHeaders, SettersFireTheirEventsAndIgnoreOutsideIndices) {
  TDataTable t;
  TableEvents ev(t);
  t.SetColName(1, "x");
  t.SetRowName(1, "y");
  t.SetColAttrib(1, 3);
  t.SetRowAttrib(1, -4);
  t.SetMScaleType(1, TMScaleType::stRatio);
  t.SetComment("two\nlines\t!");
  EXPECT_EQ(ev.Take(), (Names{"Names", "Names", "Attrib", "Attrib", "Setup", "Setup"}));
  EXPECT_EQ(t.Comment(), "twolines!");
  t.SetColName(2, "x");
  t.SetRowAttrib(0, 1);
  t.SetMScaleType(2, TMScaleType::stNominal);
  t.SetMScaleType(1, static_cast<TMScaleType>(9));
  EXPECT_TRUE(ev.Take().empty());
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stRatio);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stUnknown);
  EXPECT_EQ(t.ColAttrib(1), 3);
  EXPECT_EQ(t.RowAttrib(1), -4);
  EXPECT_EQ(t.ColName(0), "");
}

}  // namespace
}  // namespace kvl
