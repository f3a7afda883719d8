// TIntMatrix copies to and from vectors and plain arrays, and the sorts.
// The copy and sort rules are TMatrix's (matrix/internal/cell_copy.h,
// line_sort.h); cells are read through GetVal and written through
// StoreCell, so both storage modes take the same path.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/cell_copy.h"
#include "kvl/containers/matrix/internal/line_sort.h"

namespace kvl {

// --- vectors and 1-D arrays ----------------------------------------------------------------

void TIntMatrix::CopyRowToVec(TIntVector* DestVec, std::int32_t Row, std::int32_t FirstCol,
                              std::int32_t LastCol) const {
  CopyRowToVec(DestVec, Row, FirstCol, LastCol, 1);
}

void TIntMatrix::CopyRowToVec(TIntVector* DestVec, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                              std::int32_t DestElem) const {
  matrix_internal::CopyLineToVec(*this, DestVec, true, Row, FirstCol, LastCol, DestElem);
}

void TIntMatrix::CopyColToVec(TIntVector* DestVec, std::int32_t Col, std::int32_t FirstRow,
                              std::int32_t LastRow) const {
  CopyColToVec(DestVec, Col, FirstRow, LastRow, 1);
}

void TIntMatrix::CopyColToVec(TIntVector* DestVec, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow,
                              std::int32_t DestElem) const {
  matrix_internal::CopyLineToVec(*this, DestVec, false, Col, FirstRow, LastRow, DestElem);
}

void TIntMatrix::CopyRowTo1DArray(std::span<std::int32_t> Dest, std::int32_t Row, std::int32_t FirstCol,
                                  std::int32_t LastCol, std::int32_t DestElem) const {
  matrix_internal::CopyLineToSpan(*this, Dest, true, Row, FirstCol, LastCol, DestElem);
}

void TIntMatrix::CopyRowTo1DArray(std::span<double> Dest, std::int32_t Row, std::int32_t FirstCol,
                                  std::int32_t LastCol, std::int32_t DestElem) const {
  matrix_internal::CopyLineToSpan(*this, Dest, true, Row, FirstCol, LastCol, DestElem);
}

void TIntMatrix::CopyColTo1DArray(std::span<std::int32_t> Dest, std::int32_t Col, std::int32_t FirstRow,
                                  std::int32_t LastRow, std::int32_t DestElem) const {
  matrix_internal::CopyLineToSpan(*this, Dest, false, Col, FirstRow, LastRow, DestElem);
}

void TIntMatrix::CopyColTo1DArray(std::span<double> Dest, std::int32_t Col, std::int32_t FirstRow,
                                  std::int32_t LastRow, std::int32_t DestElem) const {
  matrix_internal::CopyLineToSpan(*this, Dest, false, Col, FirstRow, LastRow, DestElem);
}

// --- 2-D arrays ------------------------------------------------------------------------------

std::int32_t TIntMatrix::CopyToArray(TInt2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                     std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                     std::int32_t DestRow) const {
  return matrix_internal::CopyRectToArray(*this, Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

std::int32_t TIntMatrix::CopyToArray(TDouble2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                     std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                     std::int32_t DestRow) const {
  return matrix_internal::CopyRectToArray(*this, Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

template <class RuleFn>
std::int32_t TIntMatrix::CopyInCells(RuleFn&& Rule) {
  auto put = [this](std::int32_t c, std::int32_t r, double v) { StoreCell(c, r, detail::ConvertElem<std::int32_t>(v)); };
  const std::int32_t status = GuardAllocation<EKVLMatrixError>(*this, [&] { return Rule(put); });
  if (status == 0) Changed();
  return status;
}

std::int32_t TIntMatrix::CopyFromArray(std::span<const std::int32_t> Src, std::int32_t FirstElem,
                                       std::int32_t LastElem, std::int32_t Col, std::int32_t Row, bool AsColumn) {
  return CopyInCells([&](auto& put) {
    return matrix_internal::CopyLineFromArray(*this, Src, FirstElem, LastElem, Col, Row, AsColumn, put);
  });
}

std::int32_t TIntMatrix::CopyFromArray(std::span<const double> Src, std::int32_t FirstElem, std::int32_t LastElem,
                                       std::int32_t Col, std::int32_t Row, bool AsColumn) {
  return CopyInCells([&](auto& put) {
    return matrix_internal::CopyLineFromArray(*this, Src, FirstElem, LastElem, Col, Row, AsColumn, put);
  });
}

std::int32_t TIntMatrix::CopyFromArray(const TInt2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                       std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                                       std::int32_t Row) {
  return CopyInCells([&](auto& put) {
    return matrix_internal::CopyRectFromArray(*this, Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, Col, Row, put);
  });
}

std::int32_t TIntMatrix::CopyFromArray(const TDouble2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                       std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                                       std::int32_t Row) {
  return CopyInCells([&](auto& put) {
    return matrix_internal::CopyRectFromArray(*this, Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, Col, Row, put);
  });
}

// --- sorts -----------------------------------------------------------------------------------

template <class F>
void TIntMatrix::SortSparseLines(bool ByRows, std::int32_t KeyIx, bool Ascending, std::int32_t Lo, std::int32_t Hi,
                                 std::int32_t CrossLo, std::int32_t CrossHi, F&& Exchanged) {
  const auto n = static_cast<std::size_t>(Hi - Lo + 1);
  std::vector<std::int32_t> keys, line, where;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    keys.resize(n);
    line.resize(n);
    where.resize(n);
  });
  for (std::size_t k = 0; k < n; ++k) {
    const auto ix = Lo + static_cast<std::int32_t>(k);
    keys[k] = ByRows ? GetVal(KeyIx, ix) : GetVal(ix, KeyIx);
    line[k] = ix;
  }
  // The comb sort runs on the keys alone (same exchanges and events as on
  // dense cells); the entries then move once to where their line ended.
  matrix_internal::SortLines(
      Lo, Hi, Ascending, [&](std::int32_t i) { return keys[static_cast<std::size_t>(i - Lo)]; },
      [&](std::int32_t i, std::int32_t j) {
        std::swap(keys[static_cast<std::size_t>(i - Lo)], keys[static_cast<std::size_t>(j - Lo)]);
        std::swap(line[static_cast<std::size_t>(i - Lo)], line[static_cast<std::size_t>(j - Lo)]);
        Exchanged(i, j);
      });
  for (std::size_t k = 0; k < n; ++k) where[static_cast<std::size_t>(line[k] - Lo)] = Lo + static_cast<std::int32_t>(k);
  const bool keyOutside = KeyIx < CrossLo || KeyIx > CrossHi;
  FSparse.Remap([&](TSpMatElemInt& e) {
    std::int32_t& along = ByRows ? e.rowidx : e.colidx;
    const std::int32_t cross = ByRows ? e.colidx : e.rowidx;
    if (along >= Lo && along <= Hi && ((cross >= CrossLo && cross <= CrossHi) || (keyOutside && cross == KeyIx)))
      along = where[static_cast<std::size_t>(along - Lo)];
    return true;
  });
  RebuildBox();
}

void TIntMatrix::SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                          std::int32_t HighCol, std::int32_t HighRow) {
  matrix_internal::SortMatrixLines(*this, true, LowCol, LowRow, HighCol, HighRow, [&](const auto& B, auto&& fire) {
    if (!FIsSparse)
      matrix_internal::SortRowsOfBlock(FData.data(), B, SortColIx, Ascending, fire);
    else if (SortColIx >= 1 && SortColIx <= FNCol)
      SortSparseLines(true, SortColIx, Ascending, B.LowRow, B.HighRow, B.LowCol, B.HighCol, fire);
  });
}

void TIntMatrix::SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                          std::int32_t HighCol, std::int32_t HighRow) {
  matrix_internal::SortMatrixLines(*this, false, LowCol, LowRow, HighCol, HighRow, [&](const auto& B, auto&& fire) {
    if (!FIsSparse)
      matrix_internal::SortColsOfBlock(FData.data(), B, SortRowIx, Ascending, fire);
    else if (SortRowIx >= 1 && SortRowIx <= FNRow)
      SortSparseLines(false, SortRowIx, Ascending, B.LowCol, B.HighCol, B.LowRow, B.HighRow, fire);
  });
}

}  // namespace kvl
