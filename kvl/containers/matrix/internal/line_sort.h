#pragma once
// Internal to the matrix classes: the comb sorts of rows by a key column
// and of columns by a key row, written once over the element type of a
// column-major block of cells.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "kvl/core/KVL_math1.h"

namespace kvl::matrix_internal {

/// SortLines: the comb sort of the lines Lo..Hi (rows or columns) by
/// Key(line), the gap starting at Hi - Lo; Exchange(i, j) swaps two lines
/// and their keys.
template <class KeyFn, class ExchangeFn>
void SortLines(std::int32_t Lo, std::int32_t Hi, bool Ascending, KeyFn&& Key, ExchangeFn&& Exchange) {
  const auto n = static_cast<std::size_t>(Hi - Lo + 1);
  auto line = [Lo](std::size_t i) { return Lo + static_cast<std::int32_t>(i); };
  detail::CombSortBy(
      n, n - 1,
      [&](std::size_t i, std::size_t j) {
        const auto a = Key(line(i)), b = Key(line(j));
        return Ascending ? b < a : a < b;
      },
      [&](std::size_t i, std::size_t j) { Exchange(line(i), line(j)); });
}

/// TBlockRect: a validated 1-based rectangle of a column-major block of
/// NCol columns of NRow rows.
struct TBlockRect {
  std::int32_t NCol, NRow, LowCol, LowRow, HighCol, HighRow;
  std::size_t Offset(std::int32_t c, std::int32_t r) const noexcept {
    return static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(NRow) + static_cast<std::size_t>(r - 1);
  }
};

/// SortRowsOfBlock: SortRows on the cells of a block: rows LowRow..HighRow
/// (at least two) ordered by column SortColIx; the cells of LowCol..HighCol
/// exchange, and the key cells when the key column lies outside them;
/// Exchanged(i, j) follows every exchange. A key column outside the block
/// reads as all zeros: nothing moves.
template <class T, class EventFn>
void SortRowsOfBlock(T* Cells, const TBlockRect& B, std::int32_t SortColIx, bool Ascending, EventFn&& Exchanged) {
  if (SortColIx < 1 || SortColIx > B.NCol) return;
  const bool keyOutside = SortColIx < B.LowCol || SortColIx > B.HighCol;
  const T* key = Cells + B.Offset(SortColIx, 1) - 1;  // key[r], r 1-based
  SortLines(
      B.LowRow, B.HighRow, Ascending, [key](std::int32_t r) { return key[r]; },
      [&](std::int32_t i, std::int32_t j) {
        for (std::int32_t c = B.LowCol; c <= B.HighCol; ++c) std::swap(Cells[B.Offset(c, i)], Cells[B.Offset(c, j)]);
        if (keyOutside) std::swap(Cells[B.Offset(SortColIx, i)], Cells[B.Offset(SortColIx, j)]);
        Exchanged(i, j);
      });
}

/// SortColsOfBlock: SortCols on the cells of a block, columns keyed by row
/// SortRowIx, each exchange moving the stretch LowRow..HighRow.
template <class T, class EventFn>
void SortColsOfBlock(T* Cells, const TBlockRect& B, std::int32_t SortRowIx, bool Ascending, EventFn&& Exchanged) {
  if (SortRowIx < 1 || SortRowIx > B.NRow) return;
  const bool keyOutside = SortRowIx < B.LowRow || SortRowIx > B.HighRow;
  const auto stretch = static_cast<std::ptrdiff_t>(B.HighRow - B.LowRow + 1);
  SortLines(
      B.LowCol, B.HighCol, Ascending, [&](std::int32_t c) { return Cells[B.Offset(c, SortRowIx)]; },
      [&](std::int32_t i, std::int32_t j) {
        T* a = Cells + B.Offset(i, B.LowRow);
        std::swap_ranges(a, a + stretch, Cells + B.Offset(j, B.LowRow));
        if (keyOutside) std::swap(Cells[B.Offset(i, SortRowIx)], Cells[B.Offset(j, SortRowIx)]);
        Exchanged(i, j);
      });
}

/// SortMatrixLines: the frame of SortRows (ByRows) and SortCols on a
/// matrix class M: both ranges validated, nothing for fewer than two lines
/// to sort, then Sort(B, Exchanged) on the validated rectangle B, where
/// Exchanged(i, j) fires OnSortExchange(Mat, 2 for rows or 1 for columns,
/// i, j, and the other range's bounds); OnChange at the end.
template <class M, class SortFn>
void SortMatrixLines(M& Mat, bool ByRows, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                     std::int32_t HighRow, SortFn&& Sort) {
  Mat.MakeValidColRange(LowCol, HighCol);
  Mat.MakeValidRowRange(LowRow, HighRow);
  if (ByRows ? HighRow - LowRow < 1 : HighCol - LowCol < 1) return;
  const std::int32_t crossLo = ByRows ? LowCol : LowRow, crossHi = ByRows ? HighCol : HighRow;
  Sort(TBlockRect{Mat.NrOfColumns(), Mat.NrOfRows(), LowCol, LowRow, HighCol, HighRow},
       [&](std::int32_t i, std::int32_t j) {
         if (Mat.OnSortExchange) Mat.OnSortExchange(&Mat, ByRows ? 2 : 1, i, j, crossLo, crossHi);
       });
  Mat.Changed();
}

}  // namespace kvl::matrix_internal
