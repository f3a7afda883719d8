// TDataTable: inserting, removing, exchanging and mirroring rows and columns.
// Values and states move together, column by column, in O(rows x columns).

#include <algorithm>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

// MoveToEnd / MoveFromEnd: the element at i moves to the end (the rest close
// up) or the last element moves to i (the rest make room).
template <class V>
void MoveToEnd(V& v, std::size_t i) {
  std::rotate(v.begin() + static_cast<std::ptrdiff_t>(i), v.begin() + static_cast<std::ptrdiff_t>(i) + 1, v.end());
}
template <class V>
void MoveFromEnd(V& v, std::size_t i) {
  std::rotate(v.begin() + static_cast<std::ptrdiff_t>(i), v.end() - 1, v.end());
}

}  // namespace

void TDataTable::InsertRow(std::int32_t ix) {
  if (ix < 1 || ix > FNrOfRows + 1) return;
  TEventMute muted(*this, OnChange);
  Resize(FNrOfCols, FNrOfRows + 1);
  ForCellsAndStates([ix](const auto& b) { InsertRowAt(b, Ix(ix)); });
  MoveFromEnd(FRowAtt, Ix(ix));
  FRowAtt[Ix(ix)] = 0;
  MoveFromEnd(FRowName, Ix(ix));
  FRowName[Ix(ix)].clear();
  // Each row that moved down announces its attribute, name and states.
  FireMoveEvents(FNrOfRows - ix);
  muted.Release();
  Fire(OnChangeSetup);
}

void TDataTable::RemoveRowRange(std::int32_t FirstRow, std::int32_t LastRow) {
  const auto count = static_cast<std::size_t>(LastRow - FirstRow + 1);
  ForCellsAndStates([&](const auto& b) { RemoveRowsAt(b, Ix(FirstRow), count); });
  const auto first = static_cast<std::ptrdiff_t>(Ix(FirstRow));
  std::rotate(FRowAtt.begin() + first, FRowAtt.begin() + first + static_cast<std::ptrdiff_t>(count), FRowAtt.end());
  std::rotate(FRowName.begin() + first, FRowName.begin() + first + static_cast<std::ptrdiff_t>(count),
              FRowName.end());
  Resize(FNrOfCols, FNrOfRows - static_cast<std::int32_t>(count));
  Fire(OnChangeSetup);
}

void TDataTable::RemoveRow(std::int32_t ix) {
  if (ValidRow(ix) && FNrOfRows >= 2) RemoveRowRange(ix, ix);
}

std::int32_t TDataTable::RemoveRows(std::int32_t FirstRow, std::int32_t LastRow) {
  if (FirstRow == 0 && LastRow == 0) {
    if (FNrOfRows == 0) return 0;
    FirstRow = 1;
    LastRow = FNrOfRows;
  }
  if (!ValidRow(FirstRow) || !ValidRow(LastRow) || FirstRow > LastRow) return -1;
  RemoveRowRange(FirstRow, LastRow);
  return LastRow - FirstRow + 1;
}

void TDataTable::InsertColumn(std::int32_t ix) {
  if (ix < 1 || ix > FNrOfCols + 1) return;
  TEventMute muted(*this, OnChange, OnChangeSetup);
  Resize(FNrOfCols + 1, FNrOfRows);
  ForCellsAndStates([ix](const auto& b) { InsertColumnAt(b, Ix(ix)); });
  MoveFromEnd(FColAtt, Ix(ix));
  FColAtt[Ix(ix)] = 0;
  MoveFromEnd(FColName, Ix(ix));
  FColName[Ix(ix)].clear();
  MoveFromEnd(FVType, Ix(ix));
  FVType[Ix(ix)] = TVTypeSpec{};
  // Each column that moved right announces its attribute, name and states
  // (its type and identifiers count as setup, muted until the end).
  FireMoveEvents(FNrOfCols - ix);
  muted.Release();
  Fire(OnChangeSetup);
}

void TDataTable::RemoveColumn(std::int32_t ix) {
  if (!ValidCol(ix) || FNrOfCols < 2) return;
  ForCellsAndStates([ix](const auto& b) { RemoveColumnAt(b, Ix(ix)); });
  MoveToEnd(FColAtt, Ix(ix));
  MoveToEnd(FColName, Ix(ix));
  MoveToEnd(FVType, Ix(ix));
  Resize(FNrOfCols - 1, FNrOfRows);
  Fire(OnChangeSetup);
}

// --- exchanging and mirroring ---------------------------------------------------------------------

void TDataTable::FireExchangeEvents() {
  for (const TNotifyEvent* e : {&OnChange, &OnChangeCellState, &OnChangeAttrib, &OnChangeNames, &OnChangeSetup})
    Fire(*e);
}

void TDataTable::FireMoveEvents(std::int32_t Count) {
  for (std::int32_t i = 0; i < Count; ++i) {
    Fire(OnChangeAttrib);
    Fire(OnChangeNames);
    Fire(OnChangeCellState);
  }
}

void TDataTable::ExchangeColumns(std::int32_t c1, std::int32_t c2) {
  if (!ValidCol(c1) || !ValidCol(c2)) return;
  ForCellsAndStates([c1, c2](const auto& b) { SwapColumns(b, Ix(c1), Ix(c2)); });
  std::swap(FColAtt[Ix(c1)], FColAtt[Ix(c2)]);
  std::swap(FColName[Ix(c1)], FColName[Ix(c2)]);
  std::swap(FVType[Ix(c1)], FVType[Ix(c2)]);
  FireExchangeEvents();
}

void TDataTable::ExchangeRows(std::int32_t r1, std::int32_t r2) {
  if (!ValidRow(r1) || !ValidRow(r2)) return;
  ForCellsAndStates([r1, r2](const auto& b) { SwapRows(b, Ix(r1), Ix(r2)); });
  std::swap(FRowAtt[Ix(r1)], FRowAtt[Ix(r2)]);
  std::swap(FRowName[Ix(r1)], FRowName[Ix(r2)]);
  FireExchangeEvents();
}

void TDataTable::MirrorColumns() {
  ForCellsAndStates([](const auto& b) { datatable_internal::MirrorColumns(b); });
  std::reverse(FColAtt.begin(), FColAtt.end());
  std::reverse(FColName.begin(), FColName.end());
  std::reverse(FVType.begin(), FVType.end());
  FireExchangeEvents();
}

void TDataTable::MirrorRows() {
  ForCellsAndStates([](const auto& b) { datatable_internal::MirrorRows(b); });
  std::reverse(FRowAtt.begin(), FRowAtt.end());
  std::reverse(FRowName.begin(), FRowName.end());
  FireExchangeEvents();
}

}  // namespace kvl
