#pragma once
// Bounded sorted candidate lists of the neighbour searches, the one scan
// of the rows of a matrix against a probe that fills them, and the
// row-major copy of a matrix that the object loops walk contiguously.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_matrix.h"

namespace kvl::cluster_internal {

/// TNearestList: the Capacity smallest distances seen so far, ascending,
/// with the object index of each; entries start at uc_MaxReal. A candidate
/// enters only when strictly smaller than an entry, so among equal distances
/// the one offered first stays first. Lives on the stack: no allocation.
template <std::size_t Capacity>
class TNearestList {
 public:
  TNearestList() { Clear(); }
  void Clear() noexcept {
    FDist.fill(uc_MaxReal);
    FIndex.fill(0);
  }
  /// Offer: inserts (Dist, Index) in order when it beats the last entry.
  void Offer(double Dist, std::int32_t Index) noexcept {
    if (!(Dist < FDist[Capacity - 1])) return;
    std::size_t p = Capacity - 1;
    while (p > 0 && Dist < FDist[p - 1]) {
      FDist[p] = FDist[p - 1];
      FIndex[p] = FIndex[p - 1];
      --p;
    }
    FDist[p] = Dist;
    FIndex[p] = Index;
  }
  double Dist(std::size_t i) const noexcept { return FDist[i]; }
  /// Index: the object of entry i; 0 while the entry is still a filler.
  std::int32_t Index(std::size_t i) const noexcept { return FIndex[i]; }

 private:
  std::array<double, Capacity> FDist;
  std::array<std::int32_t, Capacity> FIndex;
};

/// OfferRowsByEuclid: offers every row i of First..Last (1-based, valid) of
/// Data to List with its Euclidean distance to Probe over Probe's length
/// (cells past Data's columns count as 0). Rows are read column by column
/// in blocks: contiguous reads, each row's sum still in variable order, and
/// no allocation.
template <std::size_t Capacity>
void OfferRowsByEuclid(const TMatrix& Data, std::int32_t First, std::int32_t Last, std::span<const double> Probe,
                       TNearestList<Capacity>& List) noexcept {
  constexpr std::size_t Block = 256;
  const std::size_t n = static_cast<std::size_t>(Last - First + 1);
  const std::size_t rows = static_cast<std::size_t>(Data.NrOfRows());
  const std::size_t cols = static_cast<std::size_t>(Data.NrOfColumns());
  const std::size_t len = Probe.size();
  const double* p = Probe.data();
  const double* cells = Data.Data().data();
  std::array<double, Block> acc;
  for (std::size_t b0 = 0; b0 < n; b0 += Block) {
    const std::size_t bn = std::min(Block, n - b0);
    acc.fill(0.0);
    const std::size_t r0 = static_cast<std::size_t>(First - 1) + b0;
    for (std::size_t c = 0; c < len; ++c) {
      if (c < cols) {
        const double* col = cells + c * rows + r0;
        for (std::size_t r = 0; r < bn; ++r) {
          const double d = p[c] - col[r];
          acc[r] += d * d;
        }
      } else {
        for (std::size_t r = 0; r < bn; ++r) acc[r] += p[c] * p[c];
      }
    }
    for (std::size_t r = 0; r < bn; ++r) List.Offer(std::sqrt(acc[r]), static_cast<std::int32_t>(r0 + r + 1));
  }
}

/// RowMajorCopy: rows First..Last (1-based) of M, each row's cells
/// contiguous: element (r, c) of the result at (r − First)·Cols + c − 1.
inline std::vector<double> RowMajorCopy(const TMatrix& M, std::int32_t First, std::int32_t Last) {
  const std::size_t rows = static_cast<std::size_t>(M.NrOfRows());
  const std::size_t cols = static_cast<std::size_t>(M.NrOfColumns());
  const std::size_t n = static_cast<std::size_t>(Last - First + 1);
  const double* src = M.Data().data() + static_cast<std::size_t>(First - 1);
  std::vector<double> out(n * cols);
  for (std::size_t c = 0; c < cols; ++c) {
    const double* col = src + c * rows;
    for (std::size_t r = 0; r < n; ++r) out[r * cols + c] = col[r];
  }
  return out;
}

/// SquaredEuclid: Σ (x_c − y_c)² over Cols cells, in cell order.
inline double SquaredEuclid(const double* x, const double* y, std::size_t Cols) noexcept {
  double s = 0.0;
  for (std::size_t c = 0; c < Cols; ++c) {
    const double d = x[c] - y[c];
    s += d * d;
  }
  return s;
}

}  // namespace kvl::cluster_internal
