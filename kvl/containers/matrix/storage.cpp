// TMatrix storage: construction, resizing, element ranges, Assign and Clone,
// Precision, and the structure changes (removing, exchanging, mirroring,
// transposing columns and rows).

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/matrix_detail.h"

namespace kvl {

using matrix_detail::RaiseNoMemory;

TMatrix::TMatrix(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(1, 0.0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(*this);
  }
}

TMatrix::~TMatrix() = default;

void TMatrix::SetNrOfColumns(std::int32_t Value) { Resize(std::max(Value, 0), FNRow); }

void TMatrix::SetNrOfRows(std::int32_t Value) { Resize(FNCol, std::max(Value, 0)); }

void TMatrix::SetPrecision(std::int32_t ix, std::int32_t Value) noexcept {
  FPrecis[ix <= 1 ? 0 : 1] = std::clamp(Value, -1, 25);
}

bool TMatrix::Resize(std::int32_t Nc, std::int32_t Nr) {
  if (Nc < 1 || Nr < 1 || (Nc == FNCol && Nr == FNRow)) return false;
  const std::size_t newCols = static_cast<std::size_t>(Nc);
  const std::size_t newRows = static_cast<std::size_t>(Nr);
  const std::size_t oldRows = Rows();
  const std::size_t keepCols = std::min(Cols(), newCols);
  const std::size_t keepRows = std::min(oldRows, newRows);
  // The block is rearranged in place so that a resize never holds two copies
  // of the cells: growing rows spreads the columns from the last one down,
  // shrinking packs them from the first one up.
  try {
    if (newRows > oldRows) {
      FData.resize(newCols * newRows);
      for (std::size_t c = keepCols; c-- > 0;) {
        double* dst = FData.data() + c * newRows;
        std::memmove(dst, FData.data() + c * oldRows, keepRows * sizeof(double));
        std::fill(dst + keepRows, dst + newRows, 0.0);
      }
      std::fill(FData.begin() + static_cast<std::ptrdiff_t>(keepCols * newRows), FData.end(), 0.0);
    } else {
      for (std::size_t c = 1; c < keepCols; ++c)
        std::memmove(FData.data() + c * newRows, FData.data() + c * oldRows, newRows * sizeof(double));
      FData.resize(newCols * newRows, 0.0);
      std::fill(FData.begin() + static_cast<std::ptrdiff_t>(keepCols * newRows), FData.end(), 0.0);
    }
    if (FData.capacity() > FData.size()) FData.shrink_to_fit();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(*this);
  }
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
  return matrix_detail::MakeValidRange(LowCol, HighCol, FNCol);
}

std::int32_t TMatrix::MakeValidRowRange(std::int32_t& LowRow, std::int32_t& HighRow) const noexcept {
  return matrix_detail::MakeValidRange(LowRow, HighRow, FNRow);
}

void TMatrix::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  try {
    FData = src->FData;
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(*this);
  }
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

}  // namespace kvl
