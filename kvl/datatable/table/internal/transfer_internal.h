#pragma once
// The pieces of TDataTable's value transfers shared by the array, matrix and
// vector forms: a line (column or row) of a table, and the checked copies
// along a line, a run of elements and a block.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <vector>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl::datatable_internal {

template <class T>
T ConvertValue(double v) noexcept {
  if constexpr (std::is_same_v<T, double>)
    return v;
  else
    return ToInteger(v);
}

// TLine: column Index of a table (AlongColumn) or its row Index.
template <bool AlongColumn>
struct TLine {
  const TDataTable& Table;
  std::int32_t Index;
  static std::int32_t Count(const TDataTable& t) { return AlongColumn ? t.NrOfColumns() : t.NrOfRows(); }
  bool Valid() const { return Index >= 1 && Index <= Count(Table); }
  std::int32_t Length() const { return AlongColumn ? Table.NrOfRows() : Table.NrOfColumns(); }
  double Raw(std::int32_t k) const {
    return AlongColumn ? Table.NumericData->GetVal(Index, k) : Table.NumericData->GetVal(k, Index);
  }
  double Value(std::int32_t k) const { return AlongColumn ? Table.Elem(Index, k) : Table.Elem(k, Index); }
};

// WholeLine: Dest := the raw values of the line (Dest sized by Size(n)).
template <bool AlongColumn, class Sized, class Put>
std::int32_t WholeLine(const TDataTable& t, std::int32_t Index, Sized&& Size, Put&& put) {
  const TLine<AlongColumn> line{t, Index};
  if (!line.Valid()) return -1;
  Size(line.Length());
  for (std::int32_t k = 1; k <= line.Length(); ++k) put(k, line.Raw(k));
  return 0;
}

// LineOut: the values (through Elem) of positions First..Last of the line
// to destination positions DestElem.. within DestBase..DestBase + DestSize - 1.
template <bool AlongColumn, class Put>
std::int32_t LineOut(const TDataTable& t, std::int32_t Index, std::int32_t First, std::int32_t Last,
                     std::int32_t DestElem, std::int64_t DestBase, std::int64_t DestSize, Put&& put) {
  const TLine<AlongColumn> line{t, Index};
  if (!line.Valid()) return -1;
  const std::int32_t n = line.Length();
  if (First == 0 && Last == 0) {
    First = 1;
    Last = n;
  }
  if (First < 1 || First > n || Last < 1 || Last > n) return -2;
  if (First > Last) std::swap(First, Last);
  if (DestElem < DestBase || DestElem >= DestBase + DestSize) return -3;
  for (std::int32_t k = First; k <= Last && DestElem + std::int64_t{k - First} < DestBase + DestSize; ++k)
    put(DestElem + (k - First), line.Value(k));
  return 0;
}

template <bool AlongColumn, class T>
std::int32_t LineToArray(const TDataTable& t, std::vector<T>& Dest, std::int32_t Index, std::int32_t First,
                         std::int32_t Last, std::int32_t DestElem) {
  if (Dest.empty()) return -4;
  return LineOut<AlongColumn>(t, Index, First, Last, DestElem, 0, static_cast<std::int64_t>(Dest.size()),
                              [&](std::int32_t pos, double v) { Dest[static_cast<std::size_t>(pos)] = ConvertValue<T>(v); });
}

template <bool AlongColumn, class Vec>
std::int32_t LineToVector(const TDataTable& t, Vec* Dest, std::int32_t Index, std::int32_t First,
                          std::int32_t Last, std::int32_t DestElem) {
  if (Dest == nullptr) return -4;
  return LineOut<AlongColumn>(t, Index, First, Last, DestElem, 1, Dest->NrOfElem(), [&](std::int32_t pos, double v) {
    Dest->SetVal(pos, ConvertValue<typename Vec::TElem>(v));
  });
}

template <bool AlongColumn>
std::int32_t Slice(const TDataTable& t, std::int32_t Index, std::int32_t First, std::int32_t Last, std::int32_t Step,
                   TDoubleArray& DstVec) {
  if (Step < 1) return -3;
  const TLine<AlongColumn> line{t, Index};
  const std::int32_t n = line.Length();
  if (First == 0 && Last == 0) {
    First = 1;
    Last = n;
  }
  if (First < 1 || First > n || Last < 1 || Last > n) return -2;
  if (!line.Valid()) return -1;
  if (First > Last) std::swap(First, Last);
  DstVec.clear();
  DstVec.reserve(static_cast<std::size_t>((Last - First) / Step + 1));
  for (std::int64_t k = First; k <= Last; k += Step) DstVec.push_back(line.Raw(static_cast<std::int32_t>(k)));
  return static_cast<std::int32_t>(DstVec.size());
}

// LineIn: the first min(length, count) values into the line through the
// matrix's cell setter (its notification stays active).
template <bool AlongColumn>
std::int32_t LineIn(TDataTable& t, std::int32_t Index, std::span<const double> Src) {
  const TLine<AlongColumn> line{t, Index};
  if (!line.Valid()) return -1;
  const std::int32_t n = std::min<std::int64_t>(line.Length(), static_cast<std::int64_t>(Src.size()));
  for (std::int32_t k = 1; k <= n; ++k) {
    if (AlongColumn)
      t.NumericData->SetVal(Index, k, Src[static_cast<std::size_t>(k - 1)]);
    else
      t.NumericData->SetVal(k, Index, Src[static_cast<std::size_t>(k - 1)]);
  }
  return 0;
}

// RunIn: Src[First..Last] (0-based, valid, ordered) down from (Col, Row) or
// rightwards; cells outside the table are skipped.
template <class T>
void RunIn(const TColumns<double>& Cells, std::span<const T> Src, std::int64_t First, std::int64_t Last,
           std::int32_t Col, std::int32_t Row, bool AsColumn) {
  for (std::int64_t i = First; i <= Last; ++i) {
    const std::int64_t c = AsColumn ? Col : Col + (i - First);
    const std::int64_t r = AsColumn ? Row + (i - First) : Row;
    if (c > static_cast<std::int64_t>(Cells.Cols) || r > static_cast<std::int64_t>(Cells.Rows)) break;
    Cells.At(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)) = static_cast<double>(Src[static_cast<std::size_t>(i)]);
  }
}

// OrderedBounds: (0, 0) becomes Base..Base + n - 1; -1 when a bound lies
// outside that span; reversed bounds are swapped.
inline std::int32_t OrderedBounds(std::int32_t& First, std::int32_t& Last, std::int64_t Base, std::int64_t n) {
  if (First == 0 && Last == 0) {
    First = static_cast<std::int32_t>(Base);
    Last = static_cast<std::int32_t>(Base + n - 1);
  }
  if (First < Base || First >= Base + n || Last < Base || Last >= Base + n) return -1;
  if (First > Last) std::swap(First, Last);
  return 0;
}

// BlockIn: checks and copies Src[ColLo..ColHi][RowLo..RowHi] to top-left (Col, Row).
template <class T>
std::int32_t BlockIn(const TColumns<double>& Cells, bool InTable, const std::vector<std::vector<T>>& Src,
                     std::int32_t ColLo, std::int32_t RowLo, std::int32_t ColHi, std::int32_t RowHi, std::int32_t Col,
                     std::int32_t Row) {
  if (Src.empty() || Src[0].empty()) return -1;
  const auto nc = static_cast<std::int64_t>(Src.size());
  const auto nr = static_cast<std::int64_t>(Src[0].size());
  if (ColLo == 0 && ColHi == 0) ColHi = static_cast<std::int32_t>(nc - 1);
  if (RowLo == 0 && RowHi == 0) RowHi = static_cast<std::int32_t>(nr - 1);
  if (ColLo < 0 || ColLo >= nc || ColHi < 0 || ColHi >= nc) return -2;
  if (RowLo < 0 || RowLo >= nr || RowHi < 0 || RowHi >= nr) return -3;
  if (!InTable) return -5;
  for (std::int32_t c = ColLo; c <= ColHi; ++c) {
    const std::vector<T>& column = Src[static_cast<std::size_t>(c)];
    const std::int64_t hi = std::min<std::int64_t>(RowHi, static_cast<std::int64_t>(column.size()) - 1);
    const std::int64_t dc = std::int64_t{Col} + (c - ColLo);
    if (dc > static_cast<std::int64_t>(Cells.Cols)) break;
    for (std::int64_t r = RowLo; r <= hi; ++r) {
      const std::int64_t dr = std::int64_t{Row} + (r - RowLo);
      if (dr > static_cast<std::int64_t>(Cells.Rows)) break;
      Cells.At(static_cast<std::int32_t>(dc), static_cast<std::int32_t>(dr)) =
          static_cast<double>(column[static_cast<std::size_t>(r)]);
    }
  }
  return 0;
}

// BlockOut: the raw cells ColLo..ColHi x RowLo..RowHi (valid) to put(c, r, v)
// with 0-based offsets c, r inside Cols x Rows of the destination.
template <class Put>
void BlockOut(const TColumns<double>& Cells, std::int32_t ColLo, std::int32_t RowLo, std::int32_t ColHi,
              std::int32_t RowHi, std::int64_t Cols, std::int64_t Rows, Put&& put) {
  for (std::int64_t c = 0; c <= ColHi - ColLo && c < Cols; ++c)
    for (std::int64_t r = 0; r <= RowHi - RowLo && r < Rows; ++r) {
      const auto sc = static_cast<std::int32_t>(ColLo + c);
      const auto sr = static_cast<std::int32_t>(RowLo + r);
      put(c, r, Cells.Holds(sc, sr) ? Cells.At(sc, sr) : 0.0);
    }
}

}  // namespace kvl::datatable_internal

namespace kvl {

template <class T>
std::int32_t TDataTable::CopyRunFrom(std::span<const T> Src, std::int32_t FirstElem, std::int32_t LastElem,
                                     std::int32_t Col, std::int32_t Row, bool AsColumn) {
  // Src's positions are 0-based here; the vector forms shift their bounds.
  if (!InTable(Col, Row)) return -5;
  datatable_internal::RunIn(Cells(), Src, FirstElem, LastElem, Col, Row, AsColumn);
  Fire(OnChange);
  return 0;
}

}  // namespace kvl
