// TDataTable: life cycle, the matrix notification, resizing, the range rules
// and the cell properties that are not inline.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "kvl/base/KVL_stringl.h"
#include "kvl/containers/range_rule.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/runtime/numfmt.h"
#include "kvl/runtime/weak_handler.h"

namespace kvl {

using datatable_internal::DefaultName;
using datatable_internal::TColumns;

std::string_view CutToBytes(std::string_view Text, std::size_t MaxBytes) noexcept {
  return CutUTF8(Text, MaxBytes);
}

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  try {
    NumericData = GuardAllocation<EKVLDataTableError>(*this, [] { return new TMatrix(nullptr); },
                                                      "failed to initialize (out of memory)");
  } catch (const EKVLMatrixError&) {
    RaiseComponent<EKVLDataTableError>(*this, "failed to initialize (out of memory)");
  }
  NumericData->Fill(0.0);
  FExtMatAssigned = false;
  try {
    ResizeStorage(1, 1, false);
    AttachMatrix();
  } catch (...) {
    delete NumericData;
    throw;
  }
}

TDataTable::~TDataTable() {
  if (!FExtMatAssigned) {
    RemoveFreeNotification(FMatComponent);
    delete NumericData;
  } else {
    ReleaseMatrix();
  }
}

// --- matrix notification ------------------------------------------------------------------

void TDataTable::AttachMatrix() {
  NumericData->OnChange = WeakHandler(this, &TDataTable::MatrixChanged);
  NumericData->OnSortExchange = WeakHandler(this, &TDataTable::MatrixSortExchange);
  FMatComponent = NumericData;
  NumericData->FreeNotification(this);
}

void TDataTable::ReleaseMatrix() noexcept {
  // A caller's matrix stays alive without handlers that lead to this table.
  if (FMatComponent == nullptr) return;
  RemoveFreeNotification(FMatComponent);
  NumericData->OnChange = nullptr;
  NumericData->OnSortExchange = nullptr;
  FMatComponent = nullptr;
}

void TDataTable::MatrixChanged(TObject* Sender) {
  if (Sender == NumericData && FMatrixMuted == 0) Fire(OnChange);
}

void TDataTable::MatrixSortExchange(TObject* Sender, std::int32_t ExchgWhat, std::int32_t Index1,
                                    std::int32_t Index2, std::int32_t LowBound, std::int32_t HighBound) {
  // A copy of the handler in another matrix must not move this table's states.
  if (Sender == NumericData) SortExchange(ExchgWhat, Index1, Index2, LowBound, HighBound);
}

void TDataTable::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove || AComponent == nullptr || AComponent != FMatComponent) return;
  // The matrix is being destroyed under the table (a caller freed the matrix
  // it handed over): the table goes on with a fresh owned matrix of its size.
  FMatComponent = nullptr;
  FExtMatAssigned = false;
  NumericData = new TMatrix(nullptr);
  if (FNrOfCols > 0 && FNrOfRows > 0) {
    try {
      NumericData->Resize(FNrOfCols, FNrOfRows);
    } catch (const EKVLMatrixError&) {
      // No room for the cells: the table keeps its 1 x 1 matrix and no cells.
      ResizeStorage(0, 0, false);
    }
  }
  AttachMatrix();
}

datatable_internal::TColumns<double> TDataTable::Cells() const noexcept {
  TColumnView<double> v = NumericData->ColumnView();
  return {v.data(), v.Rows(), std::min(v.size(), static_cast<std::size_t>(FNrOfCols)),
          std::min(v.Rows(), static_cast<std::size_t>(FNrOfRows))};
}

datatable_internal::TColumns<std::uint8_t> TDataTable::States() noexcept {
  const auto rows = static_cast<std::size_t>(FNrOfRows);
  return {FCState.data(), rows, static_cast<std::size_t>(FNrOfCols), rows};
}

// --- resizing -------------------------------------------------------------------------------

void TDataTable::FireResize(std::int32_t OldCols, std::int32_t OldRows) {
  FireEvent(OnResize, OldCols, OldRows, FNrOfCols, FNrOfRows);
}

void TDataTable::Resize(std::int32_t NrCols, std::int32_t NrRows) {
  const std::int32_t oldCols = FNrOfCols;
  const std::int32_t oldRows = FNrOfRows;
  if (ResizeStorage(NrCols, NrRows, true)) FireResize(oldCols, oldRows);
}

void TDataTable::ResizeMatrix(std::int32_t NrCols, std::int32_t NrRows, bool ZeroAll) {
  // A matrix keeps at least one column and row: with a count of 0 it keeps
  // its last size, and its cells count as new when the table grows again.
  if (NrCols == 0 || NrRows == 0) return;
  try {
    GuardAllocation<EKVLDataTableError>(*this, [&] { NumericData->Resize(NrCols, NrRows); },
                                        "data matrix cannot take the new size");
  } catch (const EKVLMatrixError&) {
    RaiseComponent<EKVLDataTableError>(*this, "data matrix cannot take the new size");
  }
  if (ZeroAll) {
    TColumnView<double> v = NumericData->ColumnView();
    std::fill_n(v.data(), v.size() * v.Rows(), 0.0);
  }
}

bool TDataTable::ResizeStorage(std::int32_t NrCols, std::int32_t NrRows, bool WithMatrix) {
  if (NrCols < 0) RaiseComponent<EKVLDataTableError>(*this, "negative number of columns");
  if (NrRows < 0) RaiseComponent<EKVLDataTableError>(*this, "negative number of rows");
  if (NrCols == FNrOfCols && NrRows == FNrOfRows) return false;
  const auto nc = static_cast<std::size_t>(NrCols);
  const auto nr = static_cast<std::size_t>(NrRows);

  // Everything that can fail comes first, so a failure changes nothing.
  std::vector<std::uint8_t> states;
  GuardAllocation<EKVLDataTableError>(*this, [&] {
    states.assign(nc * nr, 0);
    FColAtt.reserve(nc);
    FColName.reserve(nc);
    FVType.reserve(nc);
    FRowAtt.reserve(nr);
    FRowName.reserve(nr);
  });
  if (WithMatrix) {
    TMatrixMute mute(*this);
    ResizeMatrix(NrCols, NrRows, FNrOfCols == 0 || FNrOfRows == 0);
  }

  // Commit: within the reserved capacity; default names fit the short-string buffer.
  const std::size_t keepCols = std::min(nc, static_cast<std::size_t>(FNrOfCols));
  const std::size_t keepRows = std::min(nr, static_cast<std::size_t>(FNrOfRows));
  for (std::size_t c = 0; c < keepCols; ++c)
    std::copy_n(FCState.begin() + static_cast<std::ptrdiff_t>(c * static_cast<std::size_t>(FNrOfRows)), keepRows,
                states.begin() + static_cast<std::ptrdiff_t>(c * nr));
  FCState.swap(states);
  FColAtt.resize(nc, 0);
  FVType.resize(nc);
  FColName.resize(nc);
  for (std::size_t c = static_cast<std::size_t>(FNrOfCols); c < nc; ++c)
    FColName[c] = DefaultName('C', static_cast<std::int32_t>(c + 1));
  FRowAtt.resize(nr, 0);
  FRowName.resize(nr);
  for (std::size_t r = static_cast<std::size_t>(FNrOfRows); r < nr; ++r)
    FRowName[r] = DefaultName('R', static_cast<std::int32_t>(r + 1));
  FNrOfCols = NrCols;
  FNrOfRows = NrRows;
  return true;
}

// --- range rules ------------------------------------------------------------------------------

// A reversed column range is put in order silently; a reversed row range
// counts as a correction.
std::int32_t TDataTable::MakeValidColRange(std::int32_t& Low, std::int32_t& High) const noexcept {
  return detail::MakeValidRange(Low, High, FNrOfCols, detail::TSwapRule::Silent);
}

std::int32_t TDataTable::MakeValidRowRange(std::int32_t& Low, std::int32_t& High) const noexcept {
  return detail::MakeValidRange(Low, High, FNrOfRows, detail::TSwapRule::Corrects);
}

// --- cell properties ------------------------------------------------------------------------

void TDataTable::SetStateBit(std::int32_t ACol, std::int32_t ARow, std::uint8_t Bit, bool Value) {
  if (!InTable(ACol, ARow)) return;
  const std::uint8_t s = FCState[StOff(ACol, ARow)];
  SetCellState(ACol, ARow, Value ? static_cast<std::uint8_t>(s | Bit) : static_cast<std::uint8_t>(s & ~Bit));
  Fire(OnChange);
}

TNominalIDStr TDataTable::ElemNominal(std::int32_t ACol, std::int32_t ARow) const {
  if (!InTable(ACol, ARow)) return {};
  if (!IsCategorial(FVType[static_cast<std::size_t>(ACol - 1)].MScaleType)) return {};
  const double v = RoundEven(NumericData->GetVal(ACol, ARow));
  if (v >= 0.0 && v < NrOfNominalSlots) return FVType[static_cast<std::size_t>(ACol - 1)].IDs[static_cast<std::size_t>(v)];
  return StrField(v, 0, 0);
}

void TDataTable::SetElemNominal(std::int32_t ACol, std::int32_t ARow, std::string_view Value) {
  if (!InTable(ACol, ARow) || Value.empty()) return;
  const std::string_view id = CutToBytes(Value, NominalIDLength);
  std::int32_t slot = FindSlot(ACol, id);
  if (slot < 0) {
    slot = FreeSlot(ACol);
    if (slot < 0) RaiseComponent<EKVLDataTableError>(*this, "number of available nominal values exceeded");
    FVType[static_cast<std::size_t>(ACol - 1)].IDs.Set(static_cast<std::size_t>(slot), id);
    Fire(OnChangeSetup);
  }
  SetElem(ACol, ARow, slot);
}

void TDataTable::SetComment(std::string_view Value) {
  FComment = RemoveControlChars(Value);
  Fire(OnChangeSetup);
}

// --- life cycle -----------------------------------------------------------------------------

void TDataTable::CopyContents(const TDataTable& Src, bool Cloning) {
  // Copies first, so a failure leaves this table as it was.
  std::string comment = Src.FComment;
  auto rowAtt = Src.FRowAtt;
  auto colAtt = Src.FColAtt;
  auto vType = Src.FVType;
  auto cState = Src.FCState;
  auto colName = Src.FColName;
  auto rowName = Src.FRowName;
  if (Cloning)
    for (TVTypeSpec& t : vType)
      if (t.MScaleType == TMScaleType::stInterval || t.MScaleType == TMScaleType::stRatio) t.IDs.clear();
  {
    // The matrix's own Assign (one copy of the block, no events) also copies
    // the source matrix's handlers, which lead to the source table: this
    // matrix keeps its own, and a clone keeps its identification too.
    TMatrix& m = *NumericData;
    struct TKeep {
      TMatrix& M;
      bool All;
      TNotifyEvent Change = M.OnChange, Resize = M.OnResize;
      TSortExchgEvent Exchange = M.OnSortExchange;
      TOnCalcDistanceEvent Distance = M.OnCalcDistance;
      TOnPercentDoneEvent Percent = M.OnPercentDone;
      std::string DataID = All ? M.DataID() : std::string();
      std::int32_t Precision[2] = {M.Precision(1), M.Precision(2)};
      ~TKeep() {
        M.OnChange = std::move(Change);
        M.OnResize = std::move(Resize);
        M.OnSortExchange = std::move(Exchange);
        M.OnCalcDistance = std::move(Distance);
        M.OnPercentDone = std::move(Percent);
        if (!All) return;
        M.SetDataID(DataID);
        M.SetPrecision(1, Precision[0]);
        M.SetPrecision(2, Precision[1]);
      }
    } keep{m, Cloning};
    m.Assign(Src.NumericData);
  }
  FComment.swap(comment);
  FRowAtt.swap(rowAtt);
  FColAtt.swap(colAtt);
  FVType.swap(vType);
  FCState.swap(cState);
  FColName.swap(colName);
  FRowName.swap(rowName);
  FNrOfCols = Src.FNrOfCols;
  FNrOfRows = Src.FNrOfRows;
}

void TDataTable::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TDataTable*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  CopyContents(*src, false);
  FSortIncludeHd = src->FSortIncludeHd;
  OnChange = src->OnChange;
  OnChangeSetup = src->OnChangeSetup;
  OnChangeNames = src->OnChangeNames;
  OnChangeCellState = src->OnChangeCellState;
  OnChangeAttrib = src->OnChangeAttrib;
  OnPercentDone = src->OnPercentDone;
  OnResize = src->OnResize;
  OnSortExchange = src->OnSortExchange;
  OnExportText = src->OnExportText;
}

void TDataTable::AssignTo(TPersistent* Dest) const {
  if (auto* table = dynamic_cast<TDataTable*>(Dest)) {
    table->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

void TDataTable::AssignAnotherDataMatrix(TMatrix* NewDMat) {
  if (NewDMat == nullptr) return;
  const std::int32_t oldCols = FNrOfCols;
  const std::int32_t oldRows = FNrOfRows;
  TEventMute muted(*this, OnChange, OnChangeSetup);
  // The table's own arrays follow the new matrix; the old matrix is never
  // resized (a caller's matrix keeps its data).
  if (ResizeStorage(NewDMat->NrOfColumns(), NewDMat->NrOfRows(), false)) FireResize(oldCols, oldRows);
  if (NewDMat != NumericData) {
    if (!FExtMatAssigned) {
      RemoveFreeNotification(FMatComponent);
      delete NumericData;
    } else {
      ReleaseMatrix();
    }
    FMatComponent = nullptr;
    NumericData = NewDMat;
    FExtMatAssigned = true;
  }
  AttachMatrix();
  for (TVTypeSpec& t : FVType) t.MScaleType = TMScaleType::stInterval;
  FireResize(oldCols, oldRows);
  muted.Release();
  Fire(OnChange);
  Fire(OnChangeSetup);
  Fire(OnChangeNames);
  Fire(OnChangeAttrib);
  Fire(OnChangeCellState);
}

void TDataTable::Clear() {
  for (std::int32_t c = 1; c <= FNrOfCols; ++c) FColName[static_cast<std::size_t>(c - 1)] = DefaultName('C', c);
  for (std::int32_t r = 1; r <= FNrOfRows; ++r) FRowName[static_cast<std::size_t>(r - 1)] = DefaultName('R', r);
  std::fill(FCState.begin(), FCState.end(), std::uint8_t{0});
  std::fill(FRowAtt.begin(), FRowAtt.end(), 0);
  std::fill(FColAtt.begin(), FColAtt.end(), 0);
  for (TVTypeSpec& t : FVType) t = TVTypeSpec{};
  FComment.clear();
  NumericData->Fill(0.0);
  Fire(OnChangeNames);
  Fire(OnChangeAttrib);
  Fire(OnChangeCellState);
  Fire(OnChangeSetup);
}

// --- helpers of the unit ----------------------------------------------------------------------

namespace datatable_internal {

std::string DefaultName(char Prefix, std::int32_t Number) {
  std::string name(1, Prefix);
  name += '-';
  name += std::to_string(Number);
  return name;
}

}  // namespace datatable_internal
}  // namespace kvl
