#pragma once
// Internal to the matrix classes: the copy rules between a matrix and
// vectors or plain arrays, written once over the matrix class and the
// element types. 2-D arrays are [column][row], 0-based; matrices 1-based.
// A matrix class M offers NrOfColumns, NrOfRows, MakeValidColRange,
// MakeValidRowRange and GetVal; cells are written through a Put(col, row,
// value) callback so that each class stores them its own way.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

#include "kvl/arrays/array_core.h"

namespace kvl::matrix_internal {

/// InIndex: i is a valid 0-based index of a container of n elements.
inline bool InIndex(std::int64_t i, std::size_t n) noexcept { return i >= 0 && i < static_cast<std::int64_t>(n); }

/// CopyLineTo1D: Count values Value(k) (k from 0) into Dest from position
/// DestElem (0-based) onward; positions outside Dest are dropped.
template <class U, class ValueFn>
void CopyLineTo1D(std::span<U> Dest, std::int64_t Count, std::int32_t DestElem, ValueFn&& Value) {
  for (std::int64_t k = 0; k < Count; ++k) {
    const std::int64_t pos = static_cast<std::int64_t>(DestElem) + k;
    if (InIndex(pos, Dest.size())) Dest[static_cast<std::size_t>(pos)] = static_cast<U>(Value(k));
  }
}

/// ZeroThenWrite: fills the vector Dest with 0, then writes Count values
/// Value(k) (k from 0) from element DestElem onward through SetVal, cut to
/// Dest's size.
template <class V, class ValueFn>
void ZeroThenWrite(V& Dest, std::int64_t Count, std::int32_t DestElem, ValueFn&& Value) {
  Dest.Fill(0);
  const std::int64_t room = static_cast<std::int64_t>(Dest.NrOfElem()) - DestElem + 1;
  const std::int64_t n = std::min(Count, room);
  for (std::int64_t k = 0; k < n; ++k) Dest.SetVal(static_cast<std::int32_t>(DestElem + k), Value(k));
}

/// ClampLine: a line index held into 1..N (1 when there are no lines).
inline std::int32_t ClampLine(std::int32_t Ix, std::int32_t N) noexcept { return std::max(1, std::min(Ix, N)); }

/// LineReader: validates First..Last along a row (RowLine; Line clamped to
/// the rows) or a column of Mat and returns the reader of its k-th cell.
template <class M>
auto LineReader(const M& Mat, bool RowLine, std::int32_t& Line, std::int32_t& First, std::int32_t& Last) {
  if (RowLine) {
    Mat.MakeValidColRange(First, Last);
    Line = ClampLine(Line, Mat.NrOfRows());
  } else {
    Mat.MakeValidRowRange(First, Last);
    Line = ClampLine(Line, Mat.NrOfColumns());
  }
  return [&Mat, RowLine, Line, First](std::int64_t k) {
    const auto i = First + static_cast<std::int32_t>(k);
    return RowLine ? Mat.GetVal(i, Line) : Mat.GetVal(Line, i);
  };
}

/// CopyLineToVec: CopyRowToVec (RowLine) / CopyColToVec of any matrix
/// class into its vector class; nothing for a null vector.
template <class M, class V>
void CopyLineToVec(const M& Mat, V* Dest, bool RowLine, std::int32_t Line, std::int32_t First, std::int32_t Last,
                   std::int32_t DestElem) {
  if (Dest == nullptr) return;
  const auto cell = LineReader(Mat, RowLine, Line, First, Last);
  ZeroThenWrite(*Dest, Last - First + 1, DestElem, cell);
}

/// CopyLineToSpan: CopyRowTo1DArray (RowLine) / CopyColTo1DArray.
template <class M, class U>
void CopyLineToSpan(const M& Mat, std::span<U> Dest, bool RowLine, std::int32_t Line, std::int32_t First,
                    std::int32_t Last, std::int32_t DestElem) {
  const auto cell = LineReader(Mat, RowLine, Line, First, Last);
  CopyLineTo1D(Dest, Last - First + 1, DestElem, cell);
}

/// CopyRectToArray: the CopyToArray rule for a destination of element U:
/// 0, -1 Dest empty, -2 / -3 the column / row range was invalid or
/// adjusted, -4 the start lies outside Dest.
template <class U, class M>
std::int32_t CopyRectToArray(const M& Mat, std::vector<std::vector<U>>& Dest, std::int32_t ColLo,
                             std::int32_t RowLo, std::int32_t ColHi, std::int32_t RowHi, std::int32_t DestCol,
                             std::int32_t DestRow) {
  if (Dest.empty() || Dest[0].empty()) return -1;
  if (Mat.MakeValidColRange(ColLo, ColHi) != 0) return -2;
  if (Mat.MakeValidRowRange(RowLo, RowHi) != 0) return -3;
  if (!InIndex(DestCol, Dest.size()) || !InIndex(DestRow, Dest[static_cast<std::size_t>(DestCol)].size()))
    return -4;
  for (std::int32_t c = ColLo; c <= ColHi; ++c) {
    const std::size_t dc = static_cast<std::size_t>(DestCol) + static_cast<std::size_t>(c - ColLo);
    if (dc >= Dest.size()) break;
    auto& out = Dest[dc];
    for (std::int32_t r = RowLo; r <= RowHi; ++r) {
      const std::size_t dr = static_cast<std::size_t>(DestRow) + static_cast<std::size_t>(r - RowLo);
      if (dr >= out.size()) break;
      out[dr] = detail::ConvertElem<U>(Mat.GetVal(c, r));
    }
  }
  return 0;
}

/// CopyLineFromArray: the 1-D CopyFromArray rule; Put(col, row, value)
/// stores one cell (the caller fires the change event).
template <class U, class M, class PutFn>
std::int32_t CopyLineFromArray(const M& Mat, std::span<const U> Src, std::int32_t First, std::int32_t Last,
                               std::int32_t Col, std::int32_t Row, bool AsColumn, PutFn&& Put) {
  if (Src.empty()) return -1;
  if (First == 0 && Last == 0) {
    Last = static_cast<std::int32_t>(
        std::min<std::size_t>(Src.size() - 1, std::numeric_limits<std::int32_t>::max()));
  } else if (First > Last) {
    std::swap(First, Last);
  }
  if (!InIndex(First, Src.size()) || !InIndex(Last, Src.size())) return -4;
  if (Col < 1 || Col > Mat.NrOfColumns() || Row < 1 || Row > Mat.NrOfRows()) return -5;
  const std::int64_t room = AsColumn ? Mat.NrOfRows() - Row + 1 : Mat.NrOfColumns() - Col + 1;
  const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(Last) - First + 1, room);
  for (std::int32_t k = 0; k < count; ++k) {
    const double v = static_cast<double>(Src[static_cast<std::size_t>(First + k)]);
    if (AsColumn)
      Put(Col, Row + k, v);
    else
      Put(Col + k, Row, v);
  }
  return 0;
}

/// CopyRectFromArray: the 2-D CopyFromArray rule (bounds put in order).
template <class U, class M, class PutFn>
std::int32_t CopyRectFromArray(const M& Mat, const std::vector<std::vector<U>>& Src, std::int32_t ColLo,
                               std::int32_t RowLo, std::int32_t ColHi, std::int32_t RowHi, std::int32_t Col,
                               std::int32_t Row, PutFn&& Put) {
  if (Src.empty() || Src[0].empty()) return -1;
  if (ColLo > ColHi) std::swap(ColLo, ColHi);
  if (RowLo > RowHi) std::swap(RowLo, RowHi);
  if (!InIndex(ColLo, Src.size()) || !InIndex(ColHi, Src.size())) return -2;
  for (std::int32_t c = ColLo; c <= ColHi; ++c)
    if (RowLo < 0 || !InIndex(RowHi, Src[static_cast<std::size_t>(c)].size())) return -3;
  if (Col < 1 || Col > Mat.NrOfColumns() || Row < 1 || Row > Mat.NrOfRows()) return -5;
  const std::int32_t lastCol =
      static_cast<std::int32_t>(std::min<std::int64_t>(ColHi, ColLo + Mat.NrOfColumns() - Col));
  const std::int32_t lastRow =
      static_cast<std::int32_t>(std::min<std::int64_t>(RowHi, RowLo + Mat.NrOfRows() - Row));
  for (std::int32_t c = ColLo; c <= lastCol; ++c) {
    const auto& column = Src[static_cast<std::size_t>(c)];
    for (std::int32_t r = RowLo; r <= lastRow; ++r)
      Put(Col + c - ColLo, Row + r - RowLo, static_cast<double>(column[static_cast<std::size_t>(r)]));
  }
  return 0;
}

}  // namespace kvl::matrix_internal
