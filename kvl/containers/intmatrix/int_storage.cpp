// TIntMatrix storage: construction, the two storage modes, cell access,
// resizing, Assign and Clone, and the structure changes.

#include <algorithm>
#include <cstring>
#include <utility>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/containers/range_rule.h"

namespace kvl {

TIntMatrix::TIntMatrix(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKVLMatrixError>(*this, [&] { FData.assign(1, 0); });
}

TIntMatrix::~TIntMatrix() = default;

TIntMatrix* TIntMatrix::CreateSparse(TComponent* AOwner, std::int32_t AllocBy) {
  auto* m = new TIntMatrix(AOwner);
  m->BecomeSparse(AllocBy);
  m->FNCol = 0;
  m->FNRow = 0;
  return m;
}

void TIntMatrix::BecomeSparse(std::int32_t AllocBy) {
  FAllocBy = std::max(AllocBy, 1);
  FSparse.Clear();
  GuardAllocation<EKVLMatrixError>(*this, [&] { FSparse.Reserve(static_cast<std::size_t>(FAllocBy)); });
  FNumAllocated = FAllocBy;
  ResetBox();
  FData = {};
  FIsSparse = true;
}

void TIntMatrix::ResetStore() noexcept {
  FSparse.Clear();
  FNumAllocated = FAllocBy;
  ResetBox();
}

void TIntMatrix::ResetBox() noexcept {
  FSparseLowCol = FSparseLowRow = 2147483647;
  FSparseHighCol = FSparseHighRow = 1;
}

void TIntMatrix::WidenBox(std::int32_t c, std::int32_t r) noexcept {
  FSparseLowCol = std::min(FSparseLowCol, c);
  FSparseHighCol = std::max(FSparseHighCol, c);
  FSparseLowRow = std::min(FSparseLowRow, r);
  FSparseHighRow = std::max(FSparseHighRow, r);
}

void TIntMatrix::RebuildBox() {
  ResetBox();
  for (const TSpMatElemInt& e : FSparse.Entries()) WidenBox(e.colidx, e.rowidx);
}

void TIntMatrix::GrowCapacity(std::size_t N) {
  if (N <= static_cast<std::size_t>(FNumAllocated)) return;
  const std::size_t step = static_cast<std::size_t>(FAllocBy);
  const std::size_t grown = (N + step - 1) / step * step;
  FNumAllocated = static_cast<std::int32_t>(std::min<std::size_t>(grown, 2147483647));
}

void TIntMatrix::SparseToArray() {
  if (!FIsSparse) return;
  const std::int32_t nc = FSparseHighCol;
  const std::int32_t nr = FSparseHighRow;
  matrix_internal::TCellBlockOf<std::int32_t> cells;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    cells.assign(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr), 0);
  });
  for (const TSpMatElemInt& e : FSparse.Entries())
    cells[static_cast<std::size_t>(e.colidx - 1) * static_cast<std::size_t>(nr) + static_cast<std::size_t>(e.rowidx - 1)] =
        e.value;
  FSparse.Clear();
  FNumAllocated = 0;
  FData.swap(cells);
  FNCol = nc;
  FNRow = nr;
  FIsSparse = false;
  Resized();
}

void TIntMatrix::ArrayToSparse(std::int32_t AllocBy) {
  if (FIsSparse) return;
  std::vector<TSpMatElemInt> list;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    const auto nonZero = static_cast<std::size_t>(std::count_if(FData.begin(), FData.end(), [](std::int32_t x) { return x != 0; }));
    list.reserve(nonZero);
  });
  // Column by column, row by row: the list comes out sorted.
  for (std::int32_t c = 1; c <= FNCol; ++c)
    for (std::int32_t r = 1; r <= FNRow; ++r)
      if (const std::int32_t x = FData[Offset(c, r)]; x != 0) list.push_back({c, r, x});
  const std::int32_t nc = FNCol, nr = FNRow;
  BecomeSparse(AllocBy);
  GrowCapacity(list.size());
  FSparse.Replace(std::move(list));
  RebuildBox();
  FNCol = nc;
  FNRow = nr;
  Resized();
}

void TIntMatrix::SetVal(std::int32_t Nc, std::int32_t Nr, std::int32_t Value) {
  if (!FIsSparse) {
    if (!InMatrix(Nc, Nr)) return;
    FData[Offset(Nc, Nr)] = Value;
  } else {
    if (Nc < 1 || Nr < 1) return;
    GuardAllocation<EKVLMatrixError>(*this, [&] {
      if (FSparse.Set(Nc, Nr, Value)) {
        GrowCapacity(FSparse.Count());
        WidenBox(Nc, Nr);
        FNCol = FSparseHighCol;
        FNRow = FSparseHighRow;
      }
    });
  }
  Changed();
}

void TIntMatrix::StoreCell(std::int32_t c, std::int32_t r, std::int32_t v) {
  if (!FIsSparse) {
    if (InMatrix(c, r)) FData[Offset(c, r)] = v;
    return;
  }
  if (c < 1 || r < 1 || (v == 0 && FSparse.Find(c, r) == nullptr)) return;
  if (FSparse.Set(c, r, v)) {
    GrowCapacity(FSparse.Count());
    WidenBox(c, r);
    FNCol = std::max(FNCol, c);
    FNRow = std::max(FNRow, r);
  }
}

TColumnView<const std::int32_t> TIntMatrix::CellImage(std::vector<std::int32_t>& Scratch) const {
  if (!FIsSparse) return ColumnView();
  const auto nc = static_cast<std::size_t>(FNCol), nr = static_cast<std::size_t>(FNRow);
  GuardAllocation<EKVLMatrixError>(*this, [&] { Scratch.assign(nc * nr, 0); });
  for (const TSpMatElemInt& e : FSparse.Entries())
    if (e.colidx <= FNCol && e.rowidx <= FNRow) Scratch[Offset(e.colidx, e.rowidx)] = e.value;
  return {Scratch.data(), nc, nr};
}

void TIntMatrix::TakeCells(std::int32_t Cols, std::int32_t Rows, const std::int32_t* Cells, bool PerCellEvents) {
  Resize(Cols, Rows);
  if (FIsSparse) {
    ResetStore();
    GuardAllocation<EKVLMatrixError>(*this, [&] {
      // Column-major order is the store's order: every entry is appended.
      for (std::int32_t c = 1; c <= Cols; ++c)
        for (std::int32_t r = 1; r <= Rows; ++r, ++Cells)
          if (*Cells != 0) StoreCell(c, r, *Cells);
    });
    FNCol = Cols;
    FNRow = Rows;
    if (PerCellEvents) Changed();
    return;
  }
  if (PerCellEvents && OnChange) {
    for (std::int32_t c = 1; c <= Cols; ++c)
      for (std::int32_t r = 1; r <= Rows; ++r) SetVal(c, r, *Cells++);
    return;
  }
  std::copy_n(Cells, FData.size(), FData.data());
}

std::int32_t TIntMatrix::MakeValidColRange(std::int32_t& LowCol, std::int32_t& HighCol) const noexcept {
  return detail::MakeValidRange(LowCol, HighCol, FNCol, detail::TSwapRule::Corrects);
}

std::int32_t TIntMatrix::MakeValidRowRange(std::int32_t& LowRow, std::int32_t& HighRow) const noexcept {
  return detail::MakeValidRange(LowRow, HighRow, FNRow, detail::TSwapRule::Corrects);
}

bool TIntMatrix::Resize(std::int32_t Nc, std::int32_t Nr) {
  if (Nc < 1 || Nr < 1 || (Nc == FNCol && Nr == FNRow)) return false;
  if (FIsSparse) {
    FSparse.Remap([&](const TSpMatElemInt& e) { return e.colidx <= Nc && e.rowidx <= Nr; });
    FSparseHighCol = std::min(FSparseHighCol, Nc);
    FSparseHighRow = std::min(FSparseHighRow, Nr);
    FSparseLowCol = std::min(FSparseLowCol, FSparseHighCol);
    FSparseLowRow = std::min(FSparseLowRow, FSparseHighRow);
  } else {
    GuardAllocation<EKVLMatrixError>(*this, [&] {
      FData.Reshape(Cols(), Rows(), static_cast<std::size_t>(Nc), static_cast<std::size_t>(Nr));
    });
  }
  FNCol = Nc;
  FNRow = Nr;
  Changed();
  Resized();
  return true;
}

bool TIntMatrix::ResizeAndClear(std::int32_t Nc, std::int32_t Nr) {
  if (!Resize(Nc, Nr)) return false;
  if (FIsSparse) {
    ResetStore();
  } else {
    std::fill(FData.begin(), FData.end(), 0);
  }
  Changed();
  Resized();
  return true;
}

void TIntMatrix::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TIntMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    auto entries = std::vector<TSpMatElemInt>(src->FSparse.Entries().begin(), src->FSparse.Entries().end());
    FData = src->FData;
    FSparse.Replace(std::move(entries));
  });
  FNCol = src->FNCol;
  FNRow = src->FNRow;
  FDataID = src->FDataID;
  FIsSparse = src->FIsSparse;
  FAllocBy = src->FAllocBy;
  FNumAllocated = src->FNumAllocated;
  FSparseLowCol = src->FSparseLowCol;
  FSparseHighCol = src->FSparseHighCol;
  FSparseLowRow = src->FSparseLowRow;
  FSparseHighRow = src->FSparseHighRow;
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnPercentDone = src->OnPercentDone;
  OnSortExchange = src->OnSortExchange;
}

void TIntMatrix::AssignTo(TPersistent* Dest) const {
  if (auto* dst = dynamic_cast<TIntMatrix*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

void TIntMatrix::Clone(const TIntMatrix* MatSource) {
  if (MatSource == nullptr || MatSource == this || MatSource->FIsSparse != FIsSparse) return;
  if (FIsSparse) {
    GuardAllocation<EKVLMatrixError>(*this, [&] {
      FSparse.Replace(std::vector<TSpMatElemInt>(MatSource->SpMat().begin(), MatSource->SpMat().end()));
    });
    FNumAllocated = MatSource->FNumAllocated;
    FSparseLowCol = MatSource->FSparseLowCol;
    FSparseHighCol = MatSource->FSparseHighCol;
    FSparseLowRow = MatSource->FSparseLowRow;
    FSparseHighRow = MatSource->FSparseHighRow;
    FNCol = MatSource->FNCol;
    FNRow = MatSource->FNRow;
  } else {
    Resize(MatSource->FNCol, MatSource->FNRow);
    std::memcpy(FData.data(), MatSource->FData.data(), FData.size() * sizeof(std::int32_t));
  }
  Changed();
  Resized();
}

// --- structure changes -------------------------------------------------------------------

bool TIntMatrix::RemoveColumn(std::int32_t col) {
  if (col < 1 || col > FNCol || FNCol == 1) return false;
  if (FIsSparse) {
    FSparse.Remap([&](TSpMatElemInt& e) {
      if (e.colidx == col) return false;
      if (e.colidx > col) --e.colidx;
      return true;
    });
    RebuildBox();
    --FNCol;
    Changed();
    Resized();
    return true;
  }
  const auto first = FData.begin() + static_cast<std::ptrdiff_t>(Offset(col, 1));
  std::copy(first + FNRow, FData.end(), first);
  Resize(FNCol - 1, FNRow);
  return true;
}

bool TIntMatrix::RemoveRow(std::int32_t row) {
  if (row < 1 || row > FNRow || FNRow == 1) return false;
  if (FIsSparse) {
    FSparse.Remap([&](TSpMatElemInt& e) {
      if (e.rowidx == row) return false;
      if (e.rowidx > row) --e.rowidx;
      return true;
    });
    RebuildBox();
    --FNRow;
    Changed();
    Resized();
    return true;
  }
  for (std::int32_t c = 1; c <= FNCol; ++c) {
    auto* column = FData.data() + Offset(c, 1);
    std::copy(column + row, column + FNRow, column + (row - 1));
  }
  Resize(FNCol, FNRow - 1);
  return true;
}

void TIntMatrix::ExchangeColumns(std::int32_t c1, std::int32_t c2) {
  if (c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol) return;
  if (FIsSparse) {
    FSparse.Remap([&](TSpMatElemInt& e) {
      if (e.colidx == c1)
        e.colidx = c2;
      else if (e.colidx == c2)
        e.colidx = c1;
      return true;
    });
    RebuildBox();
  } else if (c1 != c2) {
    std::swap_ranges(FData.data() + Offset(c1, 1), FData.data() + Offset(c1, 1) + FNRow, FData.data() + Offset(c2, 1));
  }
  Changed();
}

void TIntMatrix::ExchangeRows(std::int32_t r1, std::int32_t r2) {
  if (r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow) return;
  if (FIsSparse) {
    FSparse.Remap([&](TSpMatElemInt& e) {
      if (e.rowidx == r1)
        e.rowidx = r2;
      else if (e.rowidx == r2)
        e.rowidx = r1;
      return true;
    });
    RebuildBox();
  } else {
    for (std::int32_t c = 1; c <= FNCol; ++c) std::swap(FData[Offset(c, r1)], FData[Offset(c, r2)]);
  }
  Changed();
}

void TIntMatrix::MirrorColumns() {
  if (FIsSparse) {
    FSparse.Remap([&](TSpMatElemInt& e) {
      e.colidx = FNCol + 1 - e.colidx;
      return true;
    });
    RebuildBox();
  } else {
    for (std::int32_t c = 1, d = FNCol; c < d; ++c, --d)
      std::swap_ranges(FData.data() + Offset(c, 1), FData.data() + Offset(c, 1) + FNRow, FData.data() + Offset(d, 1));
  }
  Changed();
}

void TIntMatrix::MirrorRows() {
  if (FIsSparse) {
    FSparse.Remap([&](TSpMatElemInt& e) {
      e.rowidx = FNRow + 1 - e.rowidx;
      return true;
    });
    RebuildBox();
  } else {
    for (std::int32_t c = 1; c <= FNCol; ++c) std::reverse(FData.data() + Offset(c, 1), FData.data() + Offset(c, 1) + FNRow);
  }
  Changed();
}

bool TIntMatrix::Transpose() {
  if (FIsSparse) {
    FSparse.Remap([](TSpMatElemInt& e) {
      std::swap(e.colidx, e.rowidx);
      return true;
    });
    std::swap(FSparseLowCol, FSparseLowRow);
    std::swap(FSparseHighCol, FSparseHighRow);
  } else {
    matrix_internal::TCellBlockOf<std::int32_t> work;
    GuardAllocation<EKVLMatrixError>(*this, [&] { work.SetSizeUninitialized(FData.size()); });
    matrix_internal::TransposeCells(FData.data(), work.data(), Cols(), Rows());
    FData.swap(work);
  }
  std::swap(FNCol, FNRow);
  Changed();
  Resized();
  return true;
}

}  // namespace kvl
