// TMatrix storage: construction, resizing, element ranges, Assign and Clone,
// Precision, and the structure changes (removing, exchanging, mirroring,
// transposing columns and rows).

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/containers/range_rule.h"

namespace kvl {


TMatrix::TMatrix(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKVLMatrixError>(*this, [&] { FData.assign(1, 0.0); });
}

TMatrix::~TMatrix() = default;

void TMatrix::SetNrOfColumns(std::int32_t Value) { Resize(std::max(Value, 0), FNRow); }

void TMatrix::SetNrOfRows(std::int32_t Value) { Resize(FNCol, std::max(Value, 0)); }

void TMatrix::SetPrecision(std::int32_t ix, std::int32_t Value) noexcept {
  FPrecis[ix <= 1 ? 0 : 1] = std::clamp(Value, -1, 25);
}

bool TMatrix::Resize(std::int32_t Nc, std::int32_t Nr) {
  if (Nc < 1 || Nr < 1 || (Nc == FNCol && Nr == FNRow)) return false;
  // In place: the block grows or shrinks where it lies, each kept cell
  // moves once and only the new cells are zeroed.
  GuardAllocation<EKVLMatrixError>(*this, [&] { FData.Reshape(Cols(), Rows(), static_cast<std::size_t>(Nc), static_cast<std::size_t>(Nr)); });
  FNCol = Nc;
  FNRow = Nr;
  Changed();
  Resized();
  return true;
}

bool TMatrix::ResizeAndClear(std::int32_t Nc, std::int32_t Nr) {
  if (!Resize(Nc, Nr)) return false;
  std::fill(FData.begin(), FData.end(), 0.0);
  Changed();
  Resized();
  return true;
}

std::int32_t TMatrix::MakeValidColRange(std::int32_t& LowCol, std::int32_t& HighCol) const noexcept {
  return detail::MakeValidRange(LowCol, HighCol, FNCol, detail::TSwapRule::Corrects);
}

std::int32_t TMatrix::MakeValidRowRange(std::int32_t& LowRow, std::int32_t& HighRow) const noexcept {
  return detail::MakeValidRange(LowRow, HighRow, FNRow, detail::TSwapRule::Corrects);
}

void TMatrix::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  GuardAllocation<EKVLMatrixError>(*this, [&] { FData = src->FData; });
  FNCol = src->FNCol;
  FNRow = src->FNRow;
  FDataID = src->FDataID;
  FPrecis[0] = src->FPrecis[0];
  FPrecis[1] = src->FPrecis[1];
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnSortExchange = src->OnSortExchange;
  OnCalcDistance = src->OnCalcDistance;
  OnPercentDone = src->OnPercentDone;
}

void TMatrix::AssignTo(TPersistent* Dest) const {
  if (auto* dst = dynamic_cast<TMatrix*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

void TMatrix::Clone(const TMatrix* MatSource) {
  if (MatSource == nullptr || MatSource == this) return;
  Resize(MatSource->FNCol, MatSource->FNRow);
  // The cells go through the cell setter: a listener sees one OnChange per
  // cell, as for every copy that writes through SetVal.
  for (std::int32_t c = 1; c <= FNCol; ++c)
    for (std::int32_t r = 1; r <= FNRow; ++r) SetVal(c, r, MatSource->FData[MatSource->Offset(c, r)]);
  Changed();
  Resized();
}

// --- structure changes -------------------------------------------------------------------

bool TMatrix::RemoveColumn(std::int32_t col) {
  if (col < 1 || col > FNCol || FNCol == 1) return false;
  // Later columns move down by one; Resize then drops the last one.
  const auto first = FData.begin() + static_cast<std::ptrdiff_t>(Offset(col, 1));
  std::copy(first + static_cast<std::ptrdiff_t>(Rows()), FData.end(), first);
  Resize(FNCol - 1, FNRow);
  return true;
}

bool TMatrix::RemoveRow(std::int32_t row) {
  if (row < 1 || row > FNRow || FNRow == 1) return false;
  for (std::int32_t c = 1; c <= FNCol; ++c) {
    const auto column = Column(c);
    std::copy(column.begin() + row, column.end(), column.begin() + (row - 1));
  }
  Resize(FNCol, FNRow - 1);
  return true;
}

void TMatrix::ExchangeColumns(std::int32_t c1, std::int32_t c2) {
  if (c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol) return;
  if (c1 != c2) std::ranges::swap_ranges(Column(c1), Column(c2));
  Changed();
}

void TMatrix::ExchangeRows(std::int32_t r1, std::int32_t r2) {
  if (r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow) return;
  for (std::int32_t c = 1; c <= FNCol; ++c) std::swap(FData[Offset(c, r1)], FData[Offset(c, r2)]);
  Changed();
}

void TMatrix::MirrorColumns() {
  for (std::int32_t c = 1, d = FNCol; c < d; ++c, --d) std::ranges::swap_ranges(Column(c), Column(d));
  Changed();
}

void TMatrix::MirrorRows() {
  for (std::int32_t c = 1; c <= FNCol; ++c) std::ranges::reverse(Column(c));
  Changed();
}

bool TMatrix::Transpose() {
  matrix_internal::TCellBlock work;
  GuardAllocation<EKVLMatrixError>(*this, [&] { work.SetSizeUninitialized(FData.size()); });
  matrix_internal::TransposeCells(FData.data(), work.data(), Cols(), Rows());
  FData.swap(work);
  std::swap(FNCol, FNRow);
  Changed();
  Resized();
  return true;
}

}  // namespace kvl
