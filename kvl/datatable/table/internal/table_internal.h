#pragma once
// Pieces shared by the sources of TDataTable: the column-major views of the
// cells and states with the row and column moves on them, the matrix mute,
// and the text helpers of names and identifiers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/datatable/KVL_datatable.h"

namespace kvl {

namespace datatable_internal {

/// TColumns: column-major storage seen as Cols columns of Rows elements;
/// column c (0-based) starts at Data + c * Stride (Stride >= Rows). For the
/// cells, the part of NumericData inside the table (the matrix may be larger
/// in the zero-count case).
template <class T>
struct TColumns {
  T* Data = nullptr;
  std::size_t Stride = 0;
  std::size_t Cols = 0;
  std::size_t Rows = 0;
  std::span<T> Column(std::size_t c) const noexcept { return {Data + c * Stride, Rows}; }
  T& At(std::int32_t c, std::int32_t r) const noexcept {
    return Data[static_cast<std::size_t>(c - 1) * Stride + static_cast<std::size_t>(r - 1)];
  }
  bool Holds(std::int32_t c, std::int32_t r) const noexcept {
    return c >= 1 && r >= 1 && static_cast<std::size_t>(c) <= Cols && static_cast<std::size_t>(r) <= Rows;
  }
};

// Row and column moves on TColumns, applied alike to cells and states
// (indices 0-based; each is a no-op outside the storage).

/// InsertRowAt: rows Row.. move down one place (the last drops out); Row := 0.
template <class T>
void InsertRowAt(const TColumns<T>& b, std::size_t Row) {
  if (Row >= b.Rows) return;
  for (std::size_t c = 0; c < b.Cols; ++c) {
    std::span<T> col = b.Column(c);
    std::move_backward(col.begin() + static_cast<std::ptrdiff_t>(Row), col.end() - 1, col.end());
    col[Row] = T{};
  }
}

/// RemoveRowsAt: rows after First + Count - 1 move up by Count places.
template <class T>
void RemoveRowsAt(const TColumns<T>& b, std::size_t First, std::size_t Count) {
  if (First + Count > b.Rows) return;
  for (std::size_t c = 0; c < b.Cols; ++c) {
    std::span<T> col = b.Column(c);
    std::move(col.begin() + static_cast<std::ptrdiff_t>(First + Count), col.end(),
              col.begin() + static_cast<std::ptrdiff_t>(First));
  }
}

/// InsertColumnAt: columns Col.. move right one place (the last drops out); Col := 0.
template <class T>
void InsertColumnAt(const TColumns<T>& b, std::size_t Col) {
  if (Col >= b.Cols) return;
  for (std::size_t c = b.Cols - 1; c > Col; --c) std::ranges::copy(b.Column(c - 1), b.Column(c).begin());
  std::ranges::fill(b.Column(Col), T{});
}

/// RemoveColumnAt: the columns after Col move left one place.
template <class T>
void RemoveColumnAt(const TColumns<T>& b, std::size_t Col) {
  for (std::size_t c = Col; c + 1 < b.Cols; ++c) std::ranges::copy(b.Column(c + 1), b.Column(c).begin());
}

/// SwapColumns, SwapRows: exchange two columns (rows).
template <class T>
void SwapColumns(const TColumns<T>& b, std::size_t c1, std::size_t c2) {
  if (c1 < b.Cols && c2 < b.Cols && c1 != c2) std::ranges::swap_ranges(b.Column(c1), b.Column(c2));
}
template <class T>
void SwapRows(const TColumns<T>& b, std::size_t r1, std::size_t r2) {
  if (r1 >= b.Rows || r2 >= b.Rows) return;
  for (std::size_t c = 0; c < b.Cols; ++c) std::swap(b.Column(c)[r1], b.Column(c)[r2]);
}

/// MirrorColumns, MirrorRows: reverse the order of the columns (rows).
template <class T>
void MirrorColumns(const TColumns<T>& b) {
  for (std::size_t i = 0, j = b.Cols; i + 1 < j; ++i, --j) SwapColumns(b, i, j - 1);
}
template <class T>
void MirrorRows(const TColumns<T>& b) {
  for (std::size_t c = 0; c < b.Cols; ++c) std::ranges::reverse(b.Column(c));
}


/// DefaultName: Prefix followed by the decimal Number ("C-12").
std::string DefaultName(char Prefix, std::int32_t Number);

/// ToInteger: Double to Integer as the library converts (halves to even,
/// clipped to the Integer range, NaN as 0).
inline std::int32_t ToInteger(double x) noexcept { return detail::ConvertElem<std::int32_t>(x); }

}  // namespace datatable_internal

template <class Op>
void TDataTable::ForCellsAndStates(Op&& op) {
  op(Cells());
  op(States());
}

/// TDataTable::TMatrixMute: while it lives, the matrix's OnChange does not
/// reach the table's OnChange (the mutes nest).
class TDataTable::TMatrixMute {
 public:
  explicit TMatrixMute(TDataTable& Table) noexcept : FTable(Table) { ++FTable.FMatrixMuted; }
  ~TMatrixMute() { --FTable.FMatrixMuted; }
  TMatrixMute(const TMatrixMute&) = delete;
  TMatrixMute& operator=(const TMatrixMute&) = delete;

 private:
  TDataTable& FTable;
};

}  // namespace kvl
