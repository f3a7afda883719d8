#pragma once
// Internal helpers of the matrix implementation files: the one range rule of
// the matrix classes, the allocation-failure message, and the cell kernels
// written once over the element type so that the integer matrix can share
// them.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

#include "kvl/arrays/array_kernels.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/core/KVL_frame.h"

namespace kvl::matrix_internal {

// --- cell kernels over [column][row] views (0-based inside) --------------------------------------

/// TRect1: a validated 1-based rectangle of cells.
struct TRect1 {
  std::int32_t LowCol, HighCol, LowRow, HighRow;
};

/// ValidRect: the rectangle after MakeValidColRange and MakeValidRowRange
/// of M (any matrix class with those two members).
template <class M>
TRect1 ValidRect(const M& Mat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                 std::int32_t HighRow) noexcept {
  Mat.MakeValidColRange(LowCol, HighCol);
  Mat.MakeValidRowRange(LowRow, HighRow);
  return {LowCol, HighCol, LowRow, HighRow};
}

/// ForEachCell: f(value) for every cell of the rectangle, column by column,
/// each column's stretch as one contiguous run.
template <class T, class F>
void ForEachCell(TColumnView<T> V, const TRect1& R, F&& f) {
  for (std::int32_t c = R.LowCol; c <= R.HighCol; ++c) {
    const auto column = V[static_cast<std::size_t>(c - 1)];
    for (std::int32_t r = R.LowRow; r <= R.HighRow; ++r) f(column[static_cast<std::size_t>(r - 1)]);
  }
}

/// FindNearest: the first cell of the rectangle (column by column) strictly
/// nearer to Value than every earlier one, starting from the largest
/// Double as distance; (0, 0) when none is nearer than that.
template <class T>
void FindNearest(TColumnView<const T> V, const TRect1& R, double Value, std::int32_t& ColIx,
                 std::int32_t& RowIx) {
  ColIx = 0;
  RowIx = 0;
  double best = std::numeric_limits<double>::max();
  for (std::int32_t c = R.LowCol; c <= R.HighCol; ++c) {
    const auto column = V[static_cast<std::size_t>(c - 1)];
    for (std::int32_t r = R.LowRow; r <= R.HighRow; ++r) {
      const double d = std::fabs(static_cast<double>(column[static_cast<std::size_t>(r - 1)]) - Value);
      if (d < best) {
        best = d;
        ColIx = c;
        RowIx = r;
      }
    }
  }
}

/// TransposeCells: Dst (NRows columns of NCols) := the transpose of Src
/// (NCols columns of NRows), both column-major. Blocked, so that both the
/// reads and the strided writes stay in cache.
template <class T>
void TransposeCells(const T* Src, T* Dst, std::size_t NCols, std::size_t NRows) noexcept {
  constexpr std::size_t kBlock = 32;
  for (std::size_t c0 = 0; c0 < NCols; c0 += kBlock)
    for (std::size_t r0 = 0; r0 < NRows; r0 += kBlock)
      for (std::size_t c = c0; c < std::min(NCols, c0 + kBlock); ++c)
        for (std::size_t r = r0; r < std::min(NRows, r0 + kBlock); ++r) Dst[r * NCols + c] = Src[c * NRows + r];
}

/// DichotomizeCells: Result := [columns][rows] flags, true where the cell
/// is greater than Threshold; returns the number of true flags.
template <class T>
std::int32_t DichotomizeCells(TColumnView<const T> V, T Threshold, TBool2DArray& Result) {
  Result.assign(V.size(), std::vector<bool>(V.Rows()));
  std::int32_t count = 0;
  for (std::size_t c = 0; c < V.size(); ++c) {
    const auto column = V[c];
    auto& flags = Result[c];
    for (std::size_t r = 0; r < column.size(); ++r) {
      const bool above = column[r] > Threshold;
      flags[r] = above;
      count += above ? 1 : 0;
    }
  }
  return count;
}

using detail::TEdgeSums;

/// EdgeAggregates: one aggregate per column (PerColumn) over the rows
/// listed in Ix, or per row over the listed columns (all when Ix is empty).
/// Out receives one value per line; the result is 0, or -2 when Ix lists an
/// index outside the aggregated dimension (skipped).
template <class T>
std::int32_t EdgeAggregates(TColumnView<const T> V, bool PerColumn, TEdgeOp Op,
                            std::span<const std::int32_t> Ix, std::vector<double>& Out) {
  const auto nc = static_cast<std::int32_t>(V.size());
  const auto nr = static_cast<std::int32_t>(V.Rows());
  const std::int32_t lines = PerColumn ? nc : nr;
  const std::int32_t across = PerColumn ? nr : nc;
  std::int32_t status = 0;
  std::vector<std::int32_t> listed;
  if (Ix.empty()) {
    listed.resize(static_cast<std::size_t>(across));
    for (std::int32_t k = 0; k < across; ++k) listed[static_cast<std::size_t>(k)] = k + 1;
  } else {
    listed.reserve(Ix.size());
    for (const std::int32_t k : Ix) {
      if (k >= 1 && k <= across)
        listed.push_back(k);
      else
        status = -2;
    }
  }
  Out.assign(static_cast<std::size_t>(lines), 0.0);
  std::vector<TEdgeSums> sums(static_cast<std::size_t>(lines));
  if (PerColumn) {
    for (std::int32_t c = 0; c < nc; ++c) {
      const auto column = V[static_cast<std::size_t>(c)];
      for (const std::int32_t r : listed)
        sums[static_cast<std::size_t>(c)].Add(column[static_cast<std::size_t>(r - 1)]);
    }
  } else {
    // Per row: walk each listed column once, contiguously, adding to every row.
    for (const std::int32_t c : listed) {
      const auto column = V[static_cast<std::size_t>(c - 1)];
      for (std::int32_t r = 0; r < nr; ++r)
        sums[static_cast<std::size_t>(r)].Add(column[static_cast<std::size_t>(r)]);
    }
  }
  for (std::size_t k = 0; k < sums.size(); ++k) Out[k] = sums[k].Value(Op, across);
  return status;
}

}  // namespace kvl::matrix_internal
