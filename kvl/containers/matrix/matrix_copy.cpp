// TMatrix copies between matrices and to and from plain arrays. 2-D arrays
// are [column][row], 0-based; the matrix is 1-based.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <type_traits>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

bool InIndex(std::int64_t i, std::size_t n) noexcept { return i >= 0 && i < static_cast<std::int64_t>(n); }

// CellWriter: stores cells of Mat directly (the copy fires OnChange once).
auto CellWriter(TMatrix& Mat) {
  return [cells = Mat.ColumnView()](std::int32_t c, std::int32_t r, double v) {
    cells[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] = v;
  };
}

// ChangedOnSuccess: fires Mat's OnChange when a copy returned 0.
std::int32_t ChangedOnSuccess(TMatrix& Mat, std::int32_t Status) {
  if (Status == 0) Mat.Changed();
  return Status;
}

}  // namespace

void TMatrix::CopyRowTo1DArray(std::span<double> Dest, std::int32_t Row, std::int32_t FirstCol,
                               std::int32_t LastCol, std::int32_t DestElem) const {
  MakeValidColRange(FirstCol, LastCol);
  Row = std::clamp(Row, 1, FNRow);
  for (std::int32_t c = FirstCol; c <= LastCol; ++c) {
    const std::int64_t pos = static_cast<std::int64_t>(DestElem) + c - FirstCol;
    if (InIndex(pos, Dest.size())) Dest[static_cast<std::size_t>(pos)] = FData[Offset(c, Row)];
  }
}

void TMatrix::CopyColTo1DArray(std::span<double> Dest, std::int32_t Col, std::int32_t FirstRow,
                               std::int32_t LastRow, std::int32_t DestElem) const {
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::clamp(Col, 1, FNCol);
  const auto column = Column(Col);
  for (std::int32_t r = FirstRow; r <= LastRow; ++r) {
    const std::int64_t pos = static_cast<std::int64_t>(DestElem) + r - FirstRow;
    if (InIndex(pos, Dest.size()))
      Dest[static_cast<std::size_t>(pos)] = column[static_cast<std::size_t>(r - 1)];
  }
}

void TMatrix::CopyFrom(const TMatrix* MatSource, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                       std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                       std::int32_t DestRow) {
  if (MatSource == nullptr) return;
  MatSource->MakeValidColRange(SourceColLo, SourceColHi);
  MatSource->MakeValidRowRange(SourceRowLo, SourceRowHi);
  // The rows of the source stretch that land inside this matrix.
  const std::int64_t shiftRow = static_cast<std::int64_t>(DestRow) - SourceRowLo;
  const std::int64_t rLo = std::max<std::int64_t>(SourceRowLo, 1 - shiftRow);
  const std::int64_t rHi = std::min<std::int64_t>(SourceRowHi, FNRow - shiftRow);
  if (rLo <= rHi) {
    // A copy within this matrix reads from a snapshot of the source block.
    std::vector<double> snapshot;
    const TMatrix* src = MatSource;
    if (MatSource == this) {
      snapshot = GuardAllocation<EKVLMatrixError>(*this, [this] { return std::vector<double>(FData.begin(), FData.end()); });
    }
    const double* srcData = (MatSource == this) ? snapshot.data() : src->FData.data();
    for (std::int32_t c = SourceColLo; c <= SourceColHi; ++c) {
      const std::int64_t dc = static_cast<std::int64_t>(DestCol) + c - SourceColLo;
      if (dc < 1 || dc > FNCol) continue;
      const double* from = srcData + src->Offset(c, static_cast<std::int32_t>(rLo));
      std::copy(
          from, from + (rHi - rLo + 1),
          FData.begin() + static_cast<std::ptrdiff_t>(Offset(static_cast<std::int32_t>(dc),
                                                             static_cast<std::int32_t>(rLo + shiftRow))));
    }
  }
  Changed();
}

void TMatrix::CopyFrom(const TIntMatrix* MatSource, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                       std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                       std::int32_t DestRow) {
  if (MatSource == nullptr) return;
  MatSource->MakeValidColRange(SourceColLo, SourceColHi);
  MatSource->MakeValidRowRange(SourceRowLo, SourceRowHi);
  const std::int64_t shiftRow = static_cast<std::int64_t>(DestRow) - SourceRowLo;
  const std::int64_t rLo = std::max<std::int64_t>(SourceRowLo, 1 - shiftRow);
  const std::int64_t rHi = std::min<std::int64_t>(SourceRowHi, FNRow - shiftRow);
  for (std::int32_t c = SourceColLo; rLo <= rHi && c <= SourceColHi; ++c) {
    const std::int64_t dc = static_cast<std::int64_t>(DestCol) + c - SourceColLo;
    if (dc < 1 || dc > FNCol) continue;
    double* to = FData.data() + Offset(static_cast<std::int32_t>(dc), static_cast<std::int32_t>(rLo + shiftRow));
    if (!MatSource->IsSparse()) {
      const std::int32_t* from = MatSource->FData.data() + MatSource->Offset(c, static_cast<std::int32_t>(rLo));
      std::copy(from, from + (rHi - rLo + 1), to);
    } else {
      for (std::int64_t r = rLo; r <= rHi; ++r) *to++ = MatSource->GetVal(c, static_cast<std::int32_t>(r));
    }
  }
  Changed();
}

std::int32_t TMatrix::DuplicateDataAsArray(TDouble2DArray& Dest) const {
  Dest.resize(Cols());
  for (std::int32_t c = 1; c <= FNCol; ++c) {
    const auto column = Column(c);
    Dest[static_cast<std::size_t>(c - 1)].assign(column.begin(), column.end());
  }
  return 0;
}

namespace matrix_internal {

/// CopyRectToArray: the CopyToArray rule for a destination of element U.
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

}  // namespace matrix_internal

std::int32_t TMatrix::CopyToArray(TDouble2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                  std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                  std::int32_t DestRow) const {
  return matrix_internal::CopyRectToArray(*this, Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol,
                                        DestRow);
}

std::int32_t TMatrix::CopyToArray(TInt2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                  std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                                  std::int32_t DestRow) const {
  return matrix_internal::CopyRectToArray(*this, Dest, SrcColLo, SrcRowLo, SrcColHi, SrcRowHi, DestCol,
                                        DestRow);
}

std::int32_t TMatrix::CopyFromArray(std::span<const double> Src, std::int32_t FirstElem,
                                    std::int32_t LastElem, std::int32_t Col, std::int32_t Row,
                                    bool AsColumn) {
  return ChangedOnSuccess(*this, matrix_internal::CopyLineFromArray(*this, Src, FirstElem, LastElem, Col, Row,
                                                                  AsColumn, CellWriter(*this)));
}

std::int32_t TMatrix::CopyFromArray(std::span<const std::int32_t> Src, std::int32_t FirstElem,
                                    std::int32_t LastElem, std::int32_t Col, std::int32_t Row,
                                    bool AsColumn) {
  return ChangedOnSuccess(*this, matrix_internal::CopyLineFromArray(*this, Src, FirstElem, LastElem, Col, Row,
                                                                  AsColumn, CellWriter(*this)));
}

std::int32_t TMatrix::CopyFromArray(const TDouble2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                    std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                                    std::int32_t Row) {
  return ChangedOnSuccess(*this, matrix_internal::CopyRectFromArray(*this, Src, SrcColLo, SrcRowLo, SrcColHi,
                                                                  SrcRowHi, Col, Row, CellWriter(*this)));
}

std::int32_t TMatrix::CopyFromArray(const TInt2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                    std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                                    std::int32_t Row) {
  return ChangedOnSuccess(*this, matrix_internal::CopyRectFromArray(*this, Src, SrcColLo, SrcRowLo, SrcColHi,
                                                                  SrcRowHi, Col, Row, CellWriter(*this)));
}

}  // namespace kvl
