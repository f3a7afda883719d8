// TDataTable: cell states, attributes and levels, the CRC fingerprints and
// Serialize.

#include <gtest/gtest.h>

#include <string>

#include "kvl/core/KVL_math1.h"
#include "kvl/datatable/KVL_datatable.h"
#include "table_test_support.h"

namespace kvl {
namespace {

using test::Names;
using test::TableEvents;

// --- cell states -------------------------------------------------------------------------------

struct LogicCase {
  int Op;
  std::uint8_t Expected;  // for s = 0b1100 (12), m = 0b1010 (10)
};

class DataTableSetCellStates : public ::testing::TestWithParam<LogicCase> {};

TEST_P(DataTableSetCellStates, CombinesTheBlockByTheLogicOrdinal) {
  TDataTable t;
  t.Resize(3, 3);
  t.SetAllCellStates(12);
  TableEvents ev(t);
  t.SetCellStates(2, 2, 3, 3, 10, static_cast<TLogicOp>(GetParam().Op));
  EXPECT_EQ(ev.Take(), (Names{"CellState"}));
  EXPECT_EQ(t.CellState(2, 3), GetParam().Expected);
  EXPECT_EQ(t.CellState(1, 2), 12);  // outside the block
  EXPECT_EQ(t.CellState(2, 1), 12);
}

INSTANTIATE_TEST_SUITE_P(Ops, DataTableSetCellStates,
                         ::testing::Values(LogicCase{0, 8}, LogicCase{1, 14}, LogicCase{2, 6}, LogicCase{3, 4},
                                           LogicCase{4, 0xFD}, LogicCase{5, 0xF9}, LogicCase{6, 12},
                                           LogicCase{-1, 12}),
                         [](const auto& info) { return test::CaseName("Op", info.param.Op); });

TEST(DataTableStates, WholeTableOperationsFireOnceEvenWhenEmpty) {
  TDataTable t;
  t.Resize(2, 2);
  TableEvents ev(t);
  t.SetAllCellStates(0x41);
  EXPECT_EQ(t.CellState(2, 2), 0x41);
  t.ExchangeMarkings();
  EXPECT_EQ(t.CellState(1, 2), 0x81);
  t.InvertCellStates(0x03);
  EXPECT_EQ(t.CellState(1, 1), 0x82);
  t.UnmarkAllCells();
  EXPECT_EQ(t.CellState(2, 1), 0x02);
  EXPECT_EQ(ev.Take(), (Names{"CellState", "CellState", "CellState", "CellState"}));
  t.SetCellState(1, 1, 0xC0);
  t.ExchangeMarkings();  // both marks set: unchanged
  EXPECT_EQ(t.CellState(1, 1), 0xC0);
  t.RemoveRows(0, 0);
  ev.Take();
  t.UnmarkAllCells();
  t.SetCellStates(0, 0, 0, 0, 1, TLogicOp::loOr);
  EXPECT_EQ(ev.Take(), (Names{"CellState", "CellState"}));
}

TEST(DataTableStates, TestsAndCountsShareABitWithTheMask) {
  TDataTable t;
  t.Resize(3, 3);
  t.SetCellState(2, 1, 64);
  t.SetCellState(2, 3, 64 | 2);
  t.SetCellState(3, 3, 128);
  EXPECT_TRUE(t.IfColHasCellState(2, 64 | 128));
  EXPECT_FALSE(t.IfColHasCellState(1, 0xFF));
  EXPECT_FALSE(t.IfColHasCellState(4, 0xFF));
  EXPECT_TRUE(t.IfRowHasCellState(3, 128));
  EXPECT_FALSE(t.IfRowHasCellState(2, 0xFF));
  EXPECT_FALSE(t.IfRowHasCellState(0, 0xFF));
  EXPECT_TRUE(t.IfAnyCellHasCellState(2, 2, 3, 3, 2));
  EXPECT_FALSE(t.IfAnyCellHasCellState(1, 1, 3, 2, 128));
  EXPECT_EQ(t.CountMarkedCellsInColumn(2, 64), 2);
  EXPECT_EQ(t.CountMarkedCellsInRow(3, 64 | 128), 2);
  EXPECT_EQ(t.CountMarkedCellsInRow(3, 1), 0);
  EXPECT_EQ(t.CountMarkedCellsInRow(4, 64), 0);
}

// --- attributes and levels ---------------------------------------------------------------------

TEST(DataTableAttrib, BulkSettersMaskAndFireOnce) {
  TDataTable t;
  t.Resize(2, 3);
  TableEvents ev(t);
  t.SetRowAttributes(0x0F);
  t.SetRowAttributes(0x30, 0x3C);  // (0x0F and not 0x3C) or (0x30 and 0x3C)
  EXPECT_EQ(t.RowAttrib(2), 0x33);
  t.SetColAttributes(-1);
  t.SetColAttributes(0, 0x80000000u);
  EXPECT_EQ(t.ColAttrib(1), 0x7FFFFFFF);
  EXPECT_EQ(ev.Take(), (Names{"Attrib", "Attrib", "Attrib", "Attrib"}));
  t.Resize(0, 0);
  t.SetColAttributes(1);
  EXPECT_EQ(ev.Take().back(), "Attrib");
}

TEST(DataTableAttrib, LevelsCountDistinctValuesAlsoOutside0To255) {
  TDataTable t;
  t.Resize(1, 6);
  const std::int32_t att[] = {3, 3, 0, 257, -1, 257};
  for (std::int32_t r = 1; r <= 6; ++r) t.SetRowAttrib(r, att[r - 1]);
  EXPECT_EQ(t.RowAttribLevels(), 4);
  EXPECT_EQ(t.ColAttribLevels(), 1);
}

TEST(DataTableAttrib, ExtremesTakeTheFirstRowInTheRange) {
  TDataTable t;
  t.Resize(4, 5);
  const std::int32_t att[] = {2, 7, 1, 7, 1};
  for (std::int32_t r = 1; r <= 5; ++r) t.SetRowAttrib(r, att[r - 1]);
  std::int32_t row = -1;
  EXPECT_EQ(t.MaxRowAttrib(0, 0, row), 7);
  EXPECT_EQ(row, 2);
  EXPECT_EQ(t.MinRowAttrib(9, 1, row), 1);  // clipped to 1..5
  EXPECT_EQ(row, 3);
  EXPECT_EQ(t.MaxRowAttrib(3, 3, row), 1);
  EXPECT_EQ(row, 3);
  std::int32_t col = -1;
  t.SetColAttrib(3, -5);
  EXPECT_EQ(t.MinColAttrib(0, 0, col), -5);
  EXPECT_EQ(col, 3);
  EXPECT_EQ(t.MaxColAttrib(2, 4, col), 0);
  EXPECT_EQ(col, 2);
  t.Resize(0, 0);
  EXPECT_EQ(t.MaxRowAttrib(0, 0, row), 0);
  EXPECT_EQ(row, 0);
}

TEST(DataTableAttrib, MeasurementLevels) {
  TDataTable t;
  t.Resize(4, 1);
  t.SetMScaleType(1, TMScaleType::stOrdinal);
  t.SetMScaleType(2, TMScaleType::stRatio);
  t.SetMScaleType(4, TMScaleType::stUnknown);
  EXPECT_EQ(t.FindHighestMLevel(0, 0), TMScaleType::stRatio);
  EXPECT_EQ(t.FindHighestMLevel(4, 4), TMScaleType::stNominal);  // never below nominal
  EXPECT_EQ(t.FindLowestMLevel(0, 0), TMScaleType::stUnknown);
  EXPECT_EQ(t.FindLowestMLevel(1, 3), TMScaleType::stOrdinal);
  t.Resize(0, 1);
  EXPECT_EQ(t.FindHighestMLevel(0, 0), TMScaleType::stNominal);
  EXPECT_EQ(t.FindLowestMLevel(0, 0), TMScaleType::stRatio);
}

// --- fingerprints --------------------------------------------------------------------------------

// Reference of the eight-register fingerprint: byte k of Bytes at position k + 1.
std::string ReferenceCRC(const std::vector<std::uint8_t>& Bytes, const std::vector<std::size_t>& Pos) {
  std::uint32_t reg[8];
  for (auto& r : reg) r = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < Bytes.size(); ++i) reg[Pos[i] % 8] = CalcNextCRC32(Bytes[i], reg[Pos[i] % 8]);
  std::string s;
  for (auto r : reg) s += Hex(static_cast<std::int32_t>(~r), 8);
  return s;
}

TEST(DataTableCRC, CellStatesDifferOnlyInRegisterOfTheirRow) {
  TDataTable a;
  TDataTable b;
  b.SetCellState(1, 1, 1);
  const std::string ca = a.CRCofCellStates();
  const std::string cb = b.CRCofCellStates();
  ASSERT_EQ(ca.size(), 64u);
  for (std::size_t g = 0; g < 8; ++g)
    EXPECT_EQ(ca.substr(8 * g, 8) == cb.substr(8 * g, 8), g != 1) << "register " << g;
  EXPECT_EQ(cb, ReferenceCRC({1}, {1}));
}

TEST(DataTableCRC, CellStatesGoColumnByColumnAtTheirRow) {
  TDataTable t;
  t.Resize(2, 3);
  for (std::int32_t c = 1; c <= 2; ++c)
    for (std::int32_t r = 1; r <= 3; ++r) t.SetCellState(c, r, static_cast<std::uint8_t>(10 * c + r));
  EXPECT_EQ(t.CRCofCellStates(), ReferenceCRC({11, 12, 13, 21, 22, 23}, {1, 2, 3, 1, 2, 3}));
}

TEST(DataTableCRC, NamesAndAttributesInTheDocumentedOrder) {
  TDataTable t;
  const std::string fresh = t.CRCofNamesAndAttributes();
  EXPECT_EQ(fresh.size(), 64u);
  EXPECT_EQ(fresh.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  // 1 x 1: comment "ab", column "C-1", attribute 5, row "R-1", attribute 6,
  // scale type 3 (interval), no identifiers.
  t.SetComment("ab");
  t.SetColAttrib(1, 5);
  t.SetRowAttrib(1, 6);
  EXPECT_EQ(t.CRCofNamesAndAttributes(),
            ReferenceCRC({'a', 'b', 'C', '-', '1', 5, 'R', '-', '1', 6, 3}, {1, 2, 1, 2, 3, 1, 1, 2, 3, 1, 1}));
  t.SetColAttrib(1, 5 + 256);  // outside 0..255: still a different fingerprint
  EXPECT_NE(t.CRCofNamesAndAttributes(),
            ReferenceCRC({'a', 'b', 'C', '-', '1', 5, 'R', '-', '1', 6, 3}, {1, 2, 1, 2, 3, 1, 1, 2, 3, 1, 1}));
  t.SetColAttrib(1, 5);
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetNominalID(1, 2, "xy");
  EXPECT_EQ(t.CRCofNamesAndAttributes(), ReferenceCRC({'a', 'b', 'C', '-', '1', 5, 'R', '-', '1', 6, 1, 'x', 'y'},
                                                      {1, 2, 1, 2, 3, 1, 1, 2, 3, 1, 1, 1, 2}));
}

// --- Serialize ---------------------------------------------------------------------------------------

TEST(DataTableSerialize, TwoByThreeWithHeadsAndNumbers) {
  TDataTable t;
  t.Resize(2, 3);
  t.SetColName(2, "temperature");
  t.SetRowName(2, "second");
  t.SetRowAttrib(3, 7);
  test::FillSerial(t);
  t.SetCellState(2, 3, 64);
  TableEvents ev(t);
  t.Serialize(true, true);
  const Names row{"Names", "Attrib", "CellState"};
  Names expected{"Resize 2 3 4 6", "Setup", "Setup", "Setup", "Names",  // identifiers and "(column)"
                 "Names", "Names",                                     // the two index columns
                 "Names", "Setup"};                                    // "(data)" and its type
  for (int n = 0; n < 6; ++n) expected.insert(expected.end(), row.begin(), row.end());
  expected.push_back("Setup");
  EXPECT_EQ(ev.Take(), expected);
  EXPECT_EQ((Names{t.ColName(1), t.ColName(2), t.ColName(3), t.ColName(4)}),
            (Names{"(column)", "(col. index)", "(row index)", "(data)"}));
  EXPECT_EQ(t.NrOfRows(), 6);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stNominal);
  EXPECT_EQ(t.ElemNominal(1, 4), "2:temperat");
  EXPECT_EQ(t.ElemNominal(1, 1), "1:C-1");
  for (std::int32_t n = 1; n <= 6; ++n) {
    const std::int32_t c = (n - 1) / 3 + 1;
    const std::int32_t r = (n - 1) % 3 + 1;
    EXPECT_EQ(t.Elem(1, n), c - 1);
    EXPECT_EQ(t.Elem(2, n), c);
    EXPECT_EQ(t.Elem(3, n), r);
    EXPECT_EQ(t.Elem(4, n), 100 * c + r);
  }
  EXPECT_EQ(t.RowName(5), "second");
  EXPECT_EQ(t.RowAttrib(6), 7);
  EXPECT_EQ(t.CellState(4, 6), 64);
  EXPECT_EQ(t.CellState(1, 6), 0);
  EXPECT_EQ(t.MScaleType(2), TMScaleType::stInterval);
  EXPECT_EQ(t.MScaleType(4), TMScaleType::stInterval);
}

TEST(DataTableSerialize, DataOnlyTakesTheHighestLevelAndRoundedValues) {
  TDataTable t;
  t.Resize(2, 2);
  for (std::int32_t c = 1; c <= 2; ++c) {
    t.SetMScaleType(c, TMScaleType::stOrdinal);
    t.SetNominalID(c, 0, "lo");
    t.SetNominalID(c, 1, "hi");
  }
  t.NumericData->SetVal(2, 1, 0.5);
  t.NumericData->SetVal(2, 2, 1.0);
  t.Serialize(false, false);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.ColName(1), "(data)");
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stOrdinal);
  EXPECT_EQ(t.NumericData->GetVal(1, 3), 0.0);  // 0.5 read through Elem
  EXPECT_EQ(t.ElemNominal(1, 4), "hi");         // one shared dictionary kept
}

TEST(DataTableSerialize, EmptyTableGivesZeroRows) {
  TDataTable t;
  t.Resize(3, 0);
  t.Serialize(true, false);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 0);
}

}  // namespace
}  // namespace kvl
