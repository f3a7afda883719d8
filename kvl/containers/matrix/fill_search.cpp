// TMatrix fills, searching and counting, and the data checksum.

#include <algorithm>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/internal/cell_crc.h"
#include "kvl/containers/internal/sorted_search.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

using matrix_internal::ForEachCell;
using matrix_internal::ValidRect;

// --- fills ------------------------------------------------------------------------------------

void TMatrix::Fill(double value) {
  std::ranges::fill(FData, value);
  Changed();
}

void TMatrix::Fill(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                   double value) {
  ForEachCell(ColumnView(), ValidRect(*this, LowCol, HighCol, LowRow, HighRow),
              [value](double& x) { x = value; });
  Changed();
}

void TMatrix::FillDiag(double value) {
  const std::int32_t n = std::min(FNCol, FNRow);
  for (std::int32_t i = 1; i <= n; ++i) FData[Offset(i, i)] = value;
  Changed();
}

void TMatrix::FillSerial(double Offset, double Diff) { FillArraySerial(ColumnView(), Offset, Diff); }

void TMatrix::FillRandomUniform(double RangeLow, double RangeHigh) {
  FillRandomUniform(0, 0, 0, 0, RangeLow, RangeHigh);
}

void TMatrix::FillRandomUniform(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                                std::int32_t HighRow, double RangeLow, double RangeHigh) {
  const double width = RangeHigh - RangeLow;
  ForEachCell(ColumnView(), ValidRect(*this, LowCol, HighCol, LowRow, HighRow),
              [&](double& x) { x = Random() * width + RangeLow; });
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) { FillRandomGauss(0, 0, 0, 0, Mean, StdDev); }

void TMatrix::FillRandomGauss(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                              std::int32_t HighRow, double Mean, double StdDev) {
  ForEachCell(ColumnView(), ValidRect(*this, LowCol, HighCol, LowRow, HighRow),
              [&](double& x) { x = GRandom() * StdDev + Mean; });
  Changed();
}

// --- searching and counting --------------------------------------------------------------------

void TMatrix::Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                   double Value, std::int32_t& ColIx, std::int32_t& RowIx) const {
  matrix_internal::FindNearest(ColumnView(), ValidRect(*this, LowCol, HighCol, LowRow, HighRow), Value, ColIx,
                             RowIx);
}

std::int32_t TMatrix::FindInSortedColumn(std::int32_t Col, bool ColIsAscending, double Value) const {
  if (Col < 1 || Col > FNCol) return 0;
  return containers_internal::FindInSorted(Column(Col), ColIsAscending, Value);
}

std::int32_t TMatrix::CountValues(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                                  std::int32_t HighRow, double RangeLow, double RangeHigh) const {
  std::int32_t count = 0;
  ForEachCell(ColumnView(), ValidRect(*this, LowCol, HighCol, LowRow, HighRow),
              [&](double x) { count += (x >= RangeLow && x <= RangeHigh) ? 1 : 0; });
  return count;
}

std::int32_t TMatrix::Dichotomize(double Threshold, TBool2DArray& ResultArray) const {
  return matrix_internal::DichotomizeCells(ColumnView(), Threshold, ResultArray);
}

std::string TMatrix::CRCofData() const { return containers_internal::ByteLaneCRC(Data()); }

}  // namespace kvl
