// TMatrix copies between matrices and to and from plain arrays. 2-D arrays
// are [column][row], 0-based; the matrix is 1-based.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <type_traits>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/cell_copy.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

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
  matrix_internal::CopyLineToSpan(*this, Dest, true, Row, FirstCol, LastCol, DestElem);
}

void TMatrix::CopyColTo1DArray(std::span<double> Dest, std::int32_t Col, std::int32_t FirstRow,
                               std::int32_t LastRow, std::int32_t DestElem) const {
  matrix_internal::CopyLineToSpan(*this, Dest, false, Col, FirstRow, LastRow, DestElem);
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
