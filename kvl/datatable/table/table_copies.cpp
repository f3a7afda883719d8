// TDataTable: copies between tables and the two sorts with their exchange hook.

#include <algorithm>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

}  // namespace

// --- copies between tables ----------------------------------------------------------------------

void TDataTable::Clone(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab == this) return;
  const std::int32_t oldCols = FNrOfCols;
  const std::int32_t oldRows = FNrOfRows;
  TEventMute muted(*this, OnChange, OnChangeSetup, OnChangeNames, OnChangeCellState, OnChangeAttrib);
  // Everything is copied once, straight into its place (no default names or
  // zeroed cells first); the resize notice follows when the size changed.
  CopyContents(*ExtTab, true);
  if (FNrOfCols != oldCols || FNrOfRows != oldRows) FireResize(oldCols, oldRows);
  muted.Release();
  Fire(OnChange);
  Fire(OnChangeCellState);
  Fire(OnChangeSetup);
  Fire(OnChangeNames);
  Fire(OnChangeAttrib);
  FireResize(oldCols, oldRows);
}

void TDataTable::CopyFrom(const TDataTable* ExtTab, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                          std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                          std::int32_t DestRow) {
  if (ExtTab == nullptr) return;
  ExtTab->MakeValidColRange(SourceColLo, SourceColHi);
  ExtTab->MakeValidRowRange(SourceRowLo, SourceRowHi);
  TEventMute muted(*this, OnChange, OnChangeSetup, OnChangeNames, OnChangeCellState, OnChangeAttrib);
  // The block is read first, so a copy within this table may overlap itself.
  const std::size_t cols = static_cast<std::size_t>(std::max(0, SourceColHi - SourceColLo + 1));
  const std::size_t rows = static_cast<std::size_t>(std::max(0, SourceRowHi - SourceRowLo + 1));
  std::vector<double> values(cols * rows);
  std::vector<std::uint8_t> states(cols * rows);
  for (std::size_t c = 0; c < cols; ++c)
    for (std::size_t r = 0; r < rows; ++r) {
      const auto sc = SourceColLo + static_cast<std::int32_t>(c);
      const auto sr = SourceRowLo + static_cast<std::int32_t>(r);
      values[c * rows + r] = ExtTab->Elem(sc, sr);
      states[c * rows + r] = ExtTab->CellState(sc, sr);
    }
  const TColumns<double> cells = Cells();
  for (std::size_t c = 0; c < cols; ++c)
    for (std::size_t r = 0; r < rows; ++r) {
      const std::int64_t dc = std::int64_t{DestCol} + static_cast<std::int64_t>(c);
      const std::int64_t dr = std::int64_t{DestRow} + static_cast<std::int64_t>(r);
      if (dc < 1 || dc > FNrOfCols || dr < 1 || dr > FNrOfRows) continue;
      const auto col = static_cast<std::int32_t>(dc);
      const auto row = static_cast<std::int32_t>(dr);
      if (cells.Holds(col, row)) cells.At(col, row) = values[c * rows + r];
      FCState[StOff(col, row)] = states[c * rows + r];
    }
  muted.Release();
  Fire(OnChange);
  Fire(OnChangeCellState);
}

std::int32_t TDataTable::CopyColumnFrom(const TDataTable* ExtTab, std::int32_t SrcCol, std::int32_t DestCol) {
  if (ExtTab == nullptr) return -4;
  if (!ValidCol(DestCol)) return -2;
  if (!ExtTab->ValidCol(SrcCol)) return -1;
  FColName[Ix(DestCol)] = ExtTab->FColName[Ix(SrcCol)];
  FColAtt[Ix(DestCol)] = ExtTab->FColAtt[Ix(SrcCol)];
  FVType[Ix(DestCol)] = ExtTab->FVType[Ix(SrcCol)];
  const std::int32_t rows = std::min(FNrOfRows, ExtTab->FNrOfRows);
  const TColumns<double> src = ExtTab->Cells();
  const TColumns<double> dst = Cells();
  for (std::int32_t r = 1; r <= rows; ++r) {
    if (dst.Holds(DestCol, r)) dst.At(DestCol, r) = src.Holds(SrcCol, r) ? src.At(SrcCol, r) : 0.0;
    FCState[StOff(DestCol, r)] = ExtTab->FCState[ExtTab->StOff(SrcCol, r)];
  }
  Fire(OnChange);
  Fire(OnChangeCellState);
  Fire(OnChangeSetup);
  Fire(OnChangeNames);
  Fire(OnChangeAttrib);
  return FNrOfRows == ExtTab->FNrOfRows ? 0 : -3;
}

bool TDataTable::CopyCellStatesFrom(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab->FNrOfCols != FNrOfCols || ExtTab->FNrOfRows != FNrOfRows) return false;
  FCState = ExtTab->FCState;
  Fire(OnChangeCellState);
  return true;
}

// --- sorting --------------------------------------------------------------------------------------

void TDataTable::SortBy(bool Columns, std::int32_t Key, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                        std::int32_t HighCol, std::int32_t HighRow, bool IncludeHeaders) {
  if (Columns ? !ValidRow(Key) : !ValidCol(Key)) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  FSortIncludeHd = IncludeHeaders;
  FSortKey = Key;
  struct Reset {
    std::int32_t& SortKey;
    ~Reset() { SortKey = 0; }
  } reset{FSortKey};
  if (Columns)
    NumericData->SortCols(Key, Ascending, LowCol, LowRow, HighCol, HighRow);
  else
    NumericData->SortRows(Key, Ascending, LowCol, LowRow, HighCol, HighRow);
  if (IncludeHeaders) {
    Fire(OnChangeNames);
    Fire(OnChangeAttrib);
  }
}

void TDataTable::SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                          std::int32_t HighCol, std::int32_t HighRow, bool IncludeHeaders) {
  SortBy(true, SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow, IncludeHeaders);
}

void TDataTable::SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                          std::int32_t HighCol, std::int32_t HighRow, bool IncludeHeaders) {
  SortBy(false, SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow, IncludeHeaders);
}

void TDataTable::SortExchange(std::int32_t ExchgWhat, std::int32_t Index1, std::int32_t Index2,
                              std::int32_t LowBound, std::int32_t HighBound) {
  // The states move with the cells the matrix exchanged: the stretch
  // LowBound..HighBound of the other dimension and, during a sort of this
  // table, the key cells when the key lies outside that stretch.
  const bool columns = ExchgWhat == 1;
  const std::int32_t other = columns ? FNrOfRows : FNrOfCols;
  const std::int32_t lo = std::max(LowBound, 1);
  const std::int32_t hi = std::min(HighBound, other);
  const bool keyOutside = FSortKey >= 1 && FSortKey <= other && (FSortKey < lo || FSortKey > hi);
  auto swapStates = [&](std::int32_t k) {
    if (columns)
      std::swap(FCState[StOff(Index1, k)], FCState[StOff(Index2, k)]);
    else
      std::swap(FCState[StOff(k, Index1)], FCState[StOff(k, Index2)]);
  };
  if (columns ? ValidCol(Index1) && ValidCol(Index2) : ValidRow(Index1) && ValidRow(Index2)) {
    auto& att = columns ? FColAtt : FRowAtt;
    auto& names = columns ? FColName : FRowName;
    if (FSortIncludeHd) {
      std::swap(att[Ix(Index1)], att[Ix(Index2)]);
      std::swap(names[Ix(Index1)], names[Ix(Index2)]);
      if (columns) std::swap(FVType[Ix(Index1)], FVType[Ix(Index2)]);
    }
    for (std::int32_t k = lo; k <= hi; ++k) swapStates(k);
    if (keyOutside) swapStates(FSortKey);
  }
  if (OnSortExchange) OnSortExchange(this, ExchgWhat, Index1, Index2, LowBound, HighBound);
}

}  // namespace kvl
