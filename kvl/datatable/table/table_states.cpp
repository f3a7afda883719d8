// TDataTable: cell states, the CRC fingerprints and Serialize.

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "kvl/core/KVL_math1.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

// TCRC8: eight CRC-32 registers; a byte at position p goes to register p mod 8.
class TCRC8 {
 public:
  void Feed(std::uint8_t Byte, std::size_t Pos) noexcept { FReg[Pos % 8] = CalcNextCRC32(Byte, FReg[Pos % 8]); }
  // FeedText: every byte of Text at its 1-based position in Text.
  void FeedText(std::string_view Text) noexcept {
    for (std::size_t i = 0; i < Text.size(); ++i) Feed(static_cast<std::uint8_t>(Text[i]), i + 1);
  }
  // FeedAttrib: the low byte of an attribute; a value outside 0..255 adds its
  // three higher bytes at the same position.
  void FeedAttrib(std::int32_t Attrib, std::size_t Pos) noexcept {
    const auto v = static_cast<std::uint32_t>(Attrib);
    Feed(static_cast<std::uint8_t>(v), Pos);
    if (v > 255)
      for (int shift = 8; shift < 32; shift += 8) Feed(static_cast<std::uint8_t>(v >> shift), Pos);
  }
  std::string Text() const {
    std::string out;
    out.reserve(64);
    for (std::uint32_t r : FReg) out += Hex(static_cast<std::int32_t>(~r), 8);
    return out;
  }

 private:
  std::array<std::uint32_t, 8> FReg = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                                       0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};

}  // namespace

// --- whole-table state operations --------------------------------------------------------------

template <class Op>
void TDataTable::ForEachState(Op&& op) {
  for (std::uint8_t& s : FCState) s = op(s);
  Fire(OnChangeCellState);
}

void TDataTable::SetAllCellStates(std::uint8_t CellState) {
  ForEachState([CellState](std::uint8_t) { return CellState; });
}

void TDataTable::UnmarkAllCells() {
  ForEachState([](std::uint8_t s) { return static_cast<std::uint8_t>(s & 63); });
}

void TDataTable::InvertCellStates(std::uint8_t StateMask) {
  ForEachState([StateMask](std::uint8_t s) { return static_cast<std::uint8_t>(s ^ StateMask); });
}

void TDataTable::ExchangeMarkings() {
  ForEachState([](std::uint8_t s) { return static_cast<std::uint8_t>((s & 63) | ((s & 64) << 1) | ((s & 128) >> 1)); });
}

void TDataTable::SetCellStates(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                               std::uint8_t CellState, TLogicOp LogicOp) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const auto m = static_cast<unsigned>(CellState);
  const auto op = static_cast<int>(LogicOp);
  if (op >= 0 && op <= 5) {
    for (std::int32_t c = LowCol; c <= HighCol; ++c)
      for (std::int32_t r = LowRow; r <= HighRow; ++r) {
        std::uint8_t& s = FCState[StOff(c, r)];
        switch (op) {
          case 0: s = static_cast<std::uint8_t>(s & m); break;
          case 1: s = static_cast<std::uint8_t>(s | m); break;
          case 2: s = static_cast<std::uint8_t>(s ^ m); break;
          case 3: s = static_cast<std::uint8_t>(s & ~m); break;
          case 4: s = static_cast<std::uint8_t>(s | ~m); break;
          default: s = static_cast<std::uint8_t>(s ^ ~m); break;
        }
      }
  }
  Fire(OnChangeCellState);
}

// --- tests and counts --------------------------------------------------------------------------

bool TDataTable::IfRowHasCellState(std::int32_t row, std::uint8_t CellState) const {
  return ValidRow(row) && CountMarkedCellsInRow(row, CellState) > 0;
}

bool TDataTable::IfColHasCellState(std::int32_t col, std::uint8_t CellState) const {
  return ValidCol(col) && CountMarkedCellsInColumn(col, CellState) > 0;
}

bool TDataTable::IfAnyCellHasCellState(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                       std::int32_t HighRow, std::uint8_t CellState) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  unsigned all = 0;
  for (std::int32_t c = LowCol; c <= HighCol; ++c)
    for (std::int32_t r = LowRow; r <= HighRow; ++r) all |= FCState[StOff(c, r)];
  return (all & CellState) != 0;
}

std::int32_t TDataTable::CountMarkedCellsInRow(std::int32_t Row, std::uint8_t StateMask) const {
  if (!ValidRow(Row)) return 0;
  std::int32_t n = 0;
  for (std::int32_t c = 1; c <= FNrOfCols; ++c) n += (FCState[StOff(c, Row)] & StateMask) != 0;
  return n;
}

std::int32_t TDataTable::CountMarkedCellsInColumn(std::int32_t Col, std::uint8_t StateMask) const {
  if (!ValidCol(Col)) return 0;
  const auto first = FCState.begin() + static_cast<std::ptrdiff_t>(StOff(Col, 1));
  return static_cast<std::int32_t>(
      std::count_if(first, first + FNrOfRows, [StateMask](std::uint8_t s) { return (s & StateMask) != 0; }));
}

// --- fingerprints --------------------------------------------------------------------------------

std::string TDataTable::CRCofNamesAndAttributes() const {
  TCRC8 crc;
  crc.FeedText(FComment);
  for (const TDTNameStr& n : FColName) crc.FeedText(n);
  for (std::size_t c = 0; c < FColAtt.size(); ++c) crc.FeedAttrib(FColAtt[c], c + 1);
  for (const TDTNameStr& n : FRowName) crc.FeedText(n);
  for (std::size_t r = 0; r < FRowAtt.size(); ++r) crc.FeedAttrib(FRowAtt[r], r + 1);
  for (std::size_t c = 0; c < FVType.size(); ++c) crc.Feed(static_cast<std::uint8_t>(FVType[c].MScaleType), c + 1);
  for (const TVTypeSpec& t : FVType)
    for (const TNominalIDStr& id : t.IDs) crc.FeedText(id);
  return crc.Text();
}

std::string TDataTable::CRCofCellStates() const {
  TCRC8 crc;
  const auto rows = static_cast<std::size_t>(FNrOfRows);
  for (std::size_t i = 0; i < FCState.size(); ++i) crc.Feed(FCState[i], i % rows + 1);
  return crc.Text();
}

// --- Serialize ------------------------------------------------------------------------------------

void TDataTable::Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers) {
  const std::int32_t oldCols = FNrOfCols;
  const std::int32_t oldRows = FNrOfRows;
  const std::int64_t cells = static_cast<std::int64_t>(oldCols) * oldRows;
  if (cells > std::numeric_limits<std::int32_t>::max())
    RaiseComponent<EKVLDataTableError>(*this, "too many cells to serialize");
  const auto n = static_cast<std::int32_t>(cells);
  const std::int32_t k = 1 + (ColHeadsAsVar ? 1 : 0) + (IncludeColRowNumbers ? 2 : 0);
  const TMScaleType h = FindHighestMLevel(0, 0);

  // What the new rows need of the old table: values through Elem, states,
  // row headers, column names and the identifiers of the categorial columns.
  std::vector<double> values(static_cast<std::size_t>(n));
  const TColumns<double> old = Cells();
  for (std::int32_t c = 1; c <= oldCols; ++c) {
    const bool round = IsCategorial(FVType[Ix(c)].MScaleType);
    for (std::int32_t r = 1; r <= oldRows; ++r) {
      const double v = old.Holds(c, r) ? old.At(c, r) : 0.0;
      values[StOff(c, r)] = round ? RoundEven(v) : v;
    }
  }
  std::vector<std::uint8_t> states = FCState;
  std::vector<TDTNameStr> rowNames = FRowName;
  std::vector<std::int32_t> rowAtt = FRowAtt;
  std::vector<TDTNameStr> colNames = FColName;
  // The data column keeps a dictionary only when all categorial columns share it.
  const TVTypeSpec* shared = nullptr;
  bool oneDictionary = true;
  for (const TVTypeSpec& t : FVType) {
    if (!IsCategorial(t.MScaleType)) continue;
    if (shared == nullptr) shared = &t;
    oneDictionary = oneDictionary && t.IDs == shared->IDs;
  }
  TVTypeSpec dataType;
  if (IsCategorial(h) && shared != nullptr && oneDictionary) dataType.IDs = shared->IDs;
  dataType.MScaleType = h;

  TEventMute muted(*this, OnChange);
  Resize(k, n);
  std::fill(FColAtt.begin(), FColAtt.end(), 0);
  std::fill(FVType.begin(), FVType.end(), TVTypeSpec{});
  std::fill(FCState.begin(), FCState.end(), std::uint8_t{0});
  std::vector<std::int32_t> slots(static_cast<std::size_t>(oldCols) + 1, 0);
  if (ColHeadsAsVar) {
    TVTypeSpec& heads = FVType[0];
    heads.IDs.clear();
    Fire(OnChangeSetup);
    heads.MScaleType = TMScaleType::stNominal;
    for (std::int32_t c = 1; c <= oldCols; ++c) {
      std::string id = std::to_string(c);
      id += ':';
      id += colNames[Ix(c)];
      const std::string_view cut = CutToBytes(id, NominalIDLength);
      std::int32_t slot = FindSlot(1, cut);
      if (slot < 0) {
        slot = FreeSlot(1);
        if (slot >= 0) {
          heads.IDs.Set(static_cast<std::size_t>(slot), cut);
          Fire(OnChangeSetup);
        }
      }
      slots[static_cast<std::size_t>(c)] = slot >= 0 ? slot : c;
    }
    FColName[0] = "(column)";
    Fire(OnChangeNames);
  }
  if (IncludeColRowNumbers) {
    FColName[Ix(k - 2)] = "(col. index)";
    Fire(OnChangeNames);
    FColName[Ix(k - 1)] = "(row index)";
    Fire(OnChangeNames);
  }
  FColName[Ix(k)] = "(data)";
  Fire(OnChangeNames);
  FVType[Ix(k)] = std::move(dataType);
  Fire(OnChangeSetup);

  const TColumns<double> cellsOut = Cells();
  std::int32_t row = 0;
  for (std::int32_t c = 1; c <= oldCols; ++c)
    for (std::int32_t r = 1; r <= oldRows; ++r) {
      ++row;
      const std::size_t from = static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(oldRows) + Ix(r);
      if (ColHeadsAsVar) cellsOut.At(1, row) = slots[static_cast<std::size_t>(c)];
      if (IncludeColRowNumbers) {
        cellsOut.At(k - 2, row) = c;
        cellsOut.At(k - 1, row) = r;
      }
      cellsOut.At(k, row) = values[from];
      FRowName[Ix(row)] = rowNames[Ix(r)];
      FRowAtt[Ix(row)] = rowAtt[Ix(r)];
      FCState[StOff(k, row)] = states[from];
      Fire(OnChangeNames);
      Fire(OnChangeAttrib);
      Fire(OnChangeCellState);
    }
  muted.Release();
  Fire(OnChangeSetup);
}

}  // namespace kvl
