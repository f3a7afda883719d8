// TDataTable: the transfer of values between the table and vectors.

#include "kvl/containers/KVL_vector.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/transfer_internal.h"

namespace kvl {

using namespace datatable_internal;

std::int32_t TDataTable::CopyDataColumnToVector(std::int32_t Col, TVector* Dest) const {
  if (Dest == nullptr) return -4;
  return WholeLine<true>(
      *this, Col, [&](std::int32_t n) { Dest->Resize(n); }, [&](std::int32_t k, double v) { Dest->SetVal(k, v); });
}

std::int32_t TDataTable::CopyDataRowToVector(std::int32_t Row, TVector* Dest) const {
  if (Dest == nullptr) return -4;
  return WholeLine<false>(
      *this, Row, [&](std::int32_t n) { Dest->Resize(n); }, [&](std::int32_t k, double v) { Dest->SetVal(k, v); });
}

std::int32_t TDataTable::CopyDataColumnToVector(TVector* Dest, std::int32_t Col, std::int32_t FirstRow,
                                                std::int32_t LastRow, std::int32_t DestElem) const {
  return LineToVector<true>(*this, Dest, Col, FirstRow, LastRow, DestElem);
}

std::int32_t TDataTable::CopyDataColumnToVector(TIntVector* Dest, std::int32_t Col, std::int32_t FirstRow,
                                                std::int32_t LastRow, std::int32_t DestElem) const {
  return LineToVector<true>(*this, Dest, Col, FirstRow, LastRow, DestElem);
}

std::int32_t TDataTable::CopyDataRowToVector(TVector* Dest, std::int32_t Row, std::int32_t FirstCol,
                                             std::int32_t LastCol, std::int32_t DestElem) const {
  return LineToVector<false>(*this, Dest, Row, FirstCol, LastCol, DestElem);
}

std::int32_t TDataTable::CopyDataRowToVector(TIntVector* Dest, std::int32_t Row, std::int32_t FirstCol,
                                             std::int32_t LastCol, std::int32_t DestElem) const {
  return LineToVector<false>(*this, Dest, Row, FirstCol, LastCol, DestElem);
}

std::int32_t TDataTable::CopyDataColumnFromVector(std::int32_t Col, const TVector* SrcVec) {
  return SrcVec == nullptr ? -4 : LineIn<true>(*this, Col, SrcVec->Data());
}

std::int32_t TDataTable::CopyDataRowFromVector(std::int32_t Row, const TVector* SrcVec) {
  return SrcVec == nullptr ? -4 : LineIn<false>(*this, Row, SrcVec->Data());
}

std::int32_t TDataTable::CopyDataFromVector(const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                                            std::int32_t Col, std::int32_t Row, bool AsColumn) {
  if (Src == nullptr) return -1;
  if (OrderedBounds(FirstElem, LastElem, 1, Src->NrOfElem()) != 0) return -4;
  return CopyRunFrom(Src->Data(), FirstElem - 1, LastElem - 1, Col, Row, AsColumn);
}

std::int32_t TDataTable::CopyDataFromVector(const TIntVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                                            std::int32_t Col, std::int32_t Row, bool AsColumn) {
  if (Src == nullptr) return -1;
  if (OrderedBounds(FirstElem, LastElem, 1, Src->NrOfElem()) != 0) return -4;
  return CopyRunFrom(Src->Data(), FirstElem - 1, LastElem - 1, Col, Row, AsColumn);
}

}  // namespace kvl
