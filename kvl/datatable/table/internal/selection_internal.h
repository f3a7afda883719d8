#pragma once
// The cell selections of the table statistics: which columns (by scale
// type) and which states (by byte) a statistic takes.

#include <cstdint>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl::datatable_internal {

/// IsMetric: interval and ratio columns, the ones the num-cell statistics read.
constexpr bool IsMetric(TMScaleType t) noexcept {
  return t == TMScaleType::stInterval || t == TMScaleType::stRatio;
}

/// TNumCells: a number in an interval or ratio column.
struct TNumCells {
  static constexpr bool Column(TMScaleType t) noexcept { return IsMetric(t); }
  static constexpr bool State(std::uint8_t s) noexcept { return (s & 3) == 0; }
};
/// TMarkedCells: a num cell sharing a mark bit (4..128) with Mask.
struct TMarkedCells {
  std::uint8_t Mask;
  static constexpr bool Column(TMScaleType t) noexcept { return IsMetric(t); }
  constexpr bool State(std::uint8_t s) const noexcept { return (s & 3) == 0 && (s & Mask & 252) != 0; }
};
/// TValidCells: a number in a column of any type.
struct TValidCells {
  static constexpr bool Column(TMScaleType) noexcept { return true; }
  static constexpr bool State(std::uint8_t s) noexcept { return (s & 3) == 0; }
};
/// TValidMaskCells: a valid cell sharing a bit with Mask.
struct TValidMaskCells {
  std::uint8_t Mask;
  static constexpr bool Column(TMScaleType) noexcept { return true; }
  constexpr bool State(std::uint8_t s) const noexcept { return (s & 3) == 0 && (s & Mask) != 0; }
};
/// TBitCells: any cell with a bit of Mask set.
struct TBitCells {
  std::uint8_t Mask;
  static constexpr bool Column(TMScaleType) noexcept { return true; }
  constexpr bool State(std::uint8_t s) const noexcept { return (s & Mask) != 0; }
};

}  // namespace kvl::datatable_internal

namespace kvl {

// ForSelected: op(value) for each cell of the block that Selected
// (column type, state) admits; the columns are walked as contiguous runs.
template <class Sel, class Op>
void TDataTable::ForSelected(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                             Sel&& Selected, Op&& op) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (LowCol < 1 || LowRow < 1 || HighCol < LowCol || HighRow < LowRow) return;
  const datatable_internal::TColumns<double> cells = Cells();
  for (std::int32_t c = LowCol; c <= HighCol; ++c) {
    const TMScaleType type = FVType[static_cast<std::size_t>(c - 1)].MScaleType;
    if (!Selected.Column(type)) continue;
    const double* v = &cells.At(c, LowRow);
    const std::uint8_t* s = &FCState[StOff(c, LowRow)];
    const std::size_t n = static_cast<std::size_t>(HighRow - LowRow + 1);
    for (std::size_t i = 0; i < n; ++i)
      if (Selected.State(s[i])) op(v[i]);
  }
}

}  // namespace kvl
