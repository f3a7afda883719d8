// TDataTable: the transfer of values between the table and arrays and
// matrices. Every form validates all its arguments before it copies
// anything; the column and row forms are written once over the direction.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/datatable/table/internal/transfer_internal.h"

namespace kvl {

using namespace datatable_internal;

// --- out of the table ----------------------------------------------------------------------------

std::int32_t TDataTable::CopyDataColumnToArray(std::int32_t Col, TDoubleArray& Dest) const {
  return WholeLine<true>(
      *this, Col, [&](std::int32_t n) { Dest.assign(static_cast<std::size_t>(n), 0.0); },
      [&](std::int32_t k, double v) { Dest[static_cast<std::size_t>(k - 1)] = v; });
}

std::int32_t TDataTable::CopyDataRowToArray(std::int32_t Row, TDoubleArray& Dest) const {
  return WholeLine<false>(
      *this, Row, [&](std::int32_t n) { Dest.assign(static_cast<std::size_t>(n), 0.0); },
      [&](std::int32_t k, double v) { Dest[static_cast<std::size_t>(k - 1)] = v; });
}

std::int32_t TDataTable::CopyDataColumnToArray(TDoubleArray& Dest, std::int32_t Col, std::int32_t FirstRow,
                                               std::int32_t LastRow, std::int32_t DestElem) const {
  return LineToArray<true>(*this, Dest, Col, FirstRow, LastRow, DestElem);
}

std::int32_t TDataTable::CopyDataColumnToArray(TIntArray& Dest, std::int32_t Col, std::int32_t FirstRow,
                                               std::int32_t LastRow, std::int32_t DestElem) const {
  return LineToArray<true>(*this, Dest, Col, FirstRow, LastRow, DestElem);
}

std::int32_t TDataTable::CopyDataRowToArray(TDoubleArray& Dest, std::int32_t Row, std::int32_t FirstCol,
                                            std::int32_t LastCol, std::int32_t DestElem) const {
  return LineToArray<false>(*this, Dest, Row, FirstCol, LastCol, DestElem);
}

std::int32_t TDataTable::CopyDataRowToArray(TIntArray& Dest, std::int32_t Row, std::int32_t FirstCol,
                                            std::int32_t LastCol, std::int32_t DestElem) const {
  return LineToArray<false>(*this, Dest, Row, FirstCol, LastCol, DestElem);
}

std::int32_t TDataTable::SliceCol(std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow, std::int32_t Step,
                                  TDoubleArray& DstVec) const {
  return Slice<true>(*this, Col, FirstRow, LastRow, Step, DstVec);
}

std::int32_t TDataTable::SliceRow(std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol, std::int32_t Step,
                                  TDoubleArray& DstVec) const {
  return Slice<false>(*this, Row, FirstCol, LastCol, Step, DstVec);
}

std::int32_t TDataTable::CopyDataToMatrix(TMatrix* Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                          std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                          std::int32_t DestRow) const {
  if (Dest == nullptr) return -1;
  if (MakeValidColRange(SrcColLo, SrcColHi) != 0) return -2;
  if (MakeValidRowRange(SrcRowLo, SrcRowHi) != 0) return -3;
  if (DestCol < 1 || DestCol > Dest->NrOfColumns() || DestRow < 1 || DestRow > Dest->NrOfRows()) return -4;
  // Read first: Dest may be NumericData itself.
  std::vector<double> block;
  const std::int64_t cols = Dest->NrOfColumns() - DestCol + 1;
  const std::int64_t rows = Dest->NrOfRows() - DestRow + 1;
  const std::int64_t height = std::min<std::int64_t>(rows, std::max(0, SrcRowHi - SrcRowLo + 1));
  const std::int64_t width = std::min<std::int64_t>(cols, std::max(0, SrcColHi - SrcColLo + 1));
  block.resize(static_cast<std::size_t>(width * height));
  BlockOut(Cells(), SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, width, height,
           [&](std::int64_t c, std::int64_t r, double v) { block[static_cast<std::size_t>(c * height + r)] = v; });
  TColumnView<double> out = Dest->ColumnView();
  for (std::int64_t c = 0; c < width; ++c)
    std::copy_n(block.begin() + c * height, height,
                out[static_cast<std::size_t>(DestCol - 1 + c)].begin() + (DestRow - 1));
  Dest->Changed();
  return 0;
}

template <class T>
static std::int32_t BlockToArray(std::int32_t Code, const TColumns<double>& Cells,
                                 std::vector<std::vector<T>>& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                 std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                 std::int32_t DestRow) {
  if (Code != 0) return Code;
  if (DestCol < 0 || static_cast<std::size_t>(DestCol) >= Dest.size() || DestRow < 0 ||
      static_cast<std::size_t>(DestRow) >= Dest[0].size())
    return -4;
  BlockOut(Cells, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, static_cast<std::int64_t>(Dest.size()) - DestCol,
           std::numeric_limits<std::int32_t>::max(), [&](std::int64_t c, std::int64_t r, double v) {
             std::vector<T>& column = Dest[static_cast<std::size_t>(DestCol + c)];
             const auto at = static_cast<std::size_t>(DestRow + r);
             if (at < column.size()) column[at] = ConvertValue<T>(v);
           });
  return 0;
}

std::int32_t TDataTable::CopyDataToArray(TDouble2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                         std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                         std::int32_t DestRow) const {
  if (Dest.empty() || Dest[0].empty()) return -1;
  std::int32_t code = MakeValidColRange(SrcColLo, SrcColHi) != 0 ? -2 : 0;
  if (code == 0 && MakeValidRowRange(SrcRowLo, SrcRowHi) != 0) code = -3;
  return BlockToArray(code, Cells(), Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

std::int32_t TDataTable::CopyDataToArray(TInt2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                         std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                         std::int32_t DestRow) const {
  if (Dest.empty() || Dest[0].empty()) return -1;
  std::int32_t code = MakeValidColRange(SrcColLo, SrcColHi) != 0 ? -2 : 0;
  if (code == 0 && MakeValidRowRange(SrcRowLo, SrcRowHi) != 0) code = -3;
  return BlockToArray(code, Cells(), Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol, DestRow);
}

std::int32_t TDataTable::DuplicateDataAsArray(TDouble2DArray& Dest) const {
  if (Dest.empty()) return -1;
  Dest.assign(static_cast<std::size_t>(FNrOfCols), std::vector<double>(static_cast<std::size_t>(FNrOfRows), 0.0));
  BlockOut(Cells(), 1, 1, FNrOfCols, FNrOfRows, FNrOfCols, FNrOfRows,
           [&](std::int64_t c, std::int64_t r, double v) {
             Dest[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = v;
           });
  return 0;
}

// --- into the table ------------------------------------------------------------------------------

std::int32_t TDataTable::CopyDataColumnFromArray(std::int32_t Col, std::span<const double> SrcArray) {
  return LineIn<true>(*this, Col, SrcArray);
}

std::int32_t TDataTable::CopyDataRowFromArray(std::int32_t Row, std::span<const double> SrcArray) {
  return LineIn<false>(*this, Row, SrcArray);
}

std::int32_t TDataTable::CopyDataFromArray(std::span<const double> Src, std::int32_t FirstElem,
                                           std::int32_t LastElem, std::int32_t Col, std::int32_t Row, bool AsColumn) {
  if (Src.empty()) return -1;
  if (OrderedBounds(FirstElem, LastElem, 0, static_cast<std::int64_t>(Src.size())) != 0) return -4;
  return CopyRunFrom(Src, FirstElem, LastElem, Col, Row, AsColumn);
}

std::int32_t TDataTable::CopyDataFromArray(std::span<const std::int32_t> Src, std::int32_t FirstElem,
                                           std::int32_t LastElem, std::int32_t Col, std::int32_t Row, bool AsColumn) {
  if (Src.empty()) return -1;
  if (OrderedBounds(FirstElem, LastElem, 0, static_cast<std::int64_t>(Src.size())) != 0) return -4;
  return CopyRunFrom(Src, FirstElem, LastElem, Col, Row, AsColumn);
}

template <class T>
std::int32_t TDataTable::CopyBlockFrom(const std::vector<std::vector<T>>& Src, std::int32_t SrcColLo,
                                       std::int32_t SrcRowLo, std::int32_t SrcColHi, std::int32_t SrcRowHi,
                                       std::int32_t Col, std::int32_t Row) {
  const std::int32_t code = BlockIn(Cells(), InTable(Col, Row), Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, Col, Row);
  if (code == 0) Fire(OnChange);
  return code;
}

std::int32_t TDataTable::CopyDataFromArray(const TDouble2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                           std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                                           std::int32_t Row) {
  return CopyBlockFrom(Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, Col, Row);
}

std::int32_t TDataTable::CopyDataFromArray(const TInt2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                           std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                                           std::int32_t Row) {
  return CopyBlockFrom(Src, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, Col, Row);
}

std::int32_t TDataTable::CopyDataFromMatrix(const TMatrix* MatSrc, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                            std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DstCol,
                                            std::int32_t DstRow) {
  if (MatSrc == nullptr) return -2;
  MatSrc->MakeValidColRange(SrcColLo, SrcColHi);
  MatSrc->MakeValidRowRange(SrcRowLo, SrcRowHi);
  if (!InTable(DstCol, DstRow)) return -1;
  // Copied through a buffer: MatSrc may be NumericData itself.
  const std::int32_t width = std::min(FNrOfCols, SrcColHi - SrcColLo + 1);
  const std::int32_t height = std::min(FNrOfRows, SrcRowHi - SrcRowLo + 1);
  TDouble2DArray block(static_cast<std::size_t>(width), std::vector<double>(static_cast<std::size_t>(height)));
  for (std::int32_t c = 0; c < width; ++c)
    for (std::int32_t r = 0; r < height; ++r)
      block[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = MatSrc->GetVal(SrcColLo + c, SrcRowLo + r);
  if (width > 0 && height > 0) BlockIn(Cells(), true, block, 0, 0, width - 1, height - 1, DstCol, DstRow);
  Fire(OnChange);
  return 0;
}

}  // namespace kvl
