// TMatrix copies to and from vectors, and the edge vectors (one aggregate
// per column or row).

#include <algorithm>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/cell_copy.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"

namespace kvl {

void TMatrix::CopyRowToVec(TVector* DestVec, std::int32_t Row, std::int32_t FirstCol,
                           std::int32_t LastCol) const {
  CopyRowToVec(DestVec, Row, FirstCol, LastCol, 1);
}

void TMatrix::CopyRowToVec(TVector* DestVec, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                           std::int32_t DestElem) const {
  matrix_internal::CopyLineToVec(*this, DestVec, true, Row, FirstCol, LastCol, DestElem);
}

void TMatrix::CopyColToVec(TVector* DestVec, std::int32_t Col, std::int32_t FirstRow,
                           std::int32_t LastRow) const {
  CopyColToVec(DestVec, Col, FirstRow, LastRow, 1);
}

void TMatrix::CopyColToVec(TVector* DestVec, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow,
                           std::int32_t DestElem) const {
  matrix_internal::CopyLineToVec(*this, DestVec, false, Col, FirstRow, LastRow, DestElem);
}

void TMatrix::CopyFromVec(const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                          std::int32_t DestCol, std::int32_t DestRow) {
  CopyFromVec(Src, FirstElem, LastElem, DestCol, DestRow, true);
}

void TMatrix::CopyFromVec(const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                          std::int32_t DestCol, std::int32_t DestRow, bool AsColumn) {
  if (Src == nullptr) return;
  Src->MakeValidElemRange(FirstElem, LastElem);
  for (std::int32_t k = FirstElem; k <= LastElem; ++k) {
    const std::int64_t c = AsColumn ? DestCol : static_cast<std::int64_t>(DestCol) + k - FirstElem;
    const std::int64_t r = AsColumn ? static_cast<std::int64_t>(DestRow) + k - FirstElem : DestRow;
    if (c >= 1 && c <= FNCol && r >= 1 && r <= FNRow)
      FData[Offset(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r))] = Src->GetVal(k);
  }
  Changed();
}

void TMatrix::CopyFromVec(TDims Dim, const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                          std::int32_t DestCol, std::int32_t DestRow) {
  // Along a row for dimColumns (one element per column), down a column otherwise.
  CopyFromVec(Src, FirstElem, LastElem, DestCol, DestRow, Dim != TDims::dimColumns);
}

std::int32_t TMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, std::span<const std::int32_t> EdgeIx,
                                 TVector* Dest) const {
  if (Dest == nullptr) return -3;
  std::vector<double> values;
  const std::int32_t status =
      matrix_internal::EdgeAggregates(ColumnView(), Orient != TOrientation::orRows, EdgeOp, EdgeIx, values);
  Dest->Resize(static_cast<std::int32_t>(values.size()));
  Dest->CopyFrom(std::span<const double>(values), 0, 0, 1);
  return status;
}

std::int32_t TMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* Dest) const {
  return EdgeVector(Orient, EdgeOp, std::span<const std::int32_t>(), Dest);
}

}  // namespace kvl
