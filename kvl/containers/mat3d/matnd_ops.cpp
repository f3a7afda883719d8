// TMatNDBase: the percentiles of a block, the sampled checksum and the
// reshaping operations (mirror, block copy, cut, resample, transpose) shared
// by TMat3D and TMat4D.

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/containers/mat3d/matnd_base.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/internal/cell_crc.h"
#include "kvl/containers/matrix/internal/cellstats.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

using matrix_internal::NearestRank;

template <std::size_t N>
double TMatNDBase<N>::BlockPercentile(TIndex Lo, TIndex Hi, double prob) const {
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  ValidBlock(Lo, Hi);
  std::vector<double> s = GuardAllocation<EKVLMatrixError>(*this, [&] {
    std::vector<double> work;
    TIndex n;
    for (std::size_t d = 0; d < N; ++d) n[d] = Hi[d] - Lo[d] + 1;
    work.reserve(CellCount(n));
    return work;
  });
  ForBlock(Lo, Hi, [&](const TIndex&, std::size_t o) { s.push_back(FCells[o]); });
  return NearestRank(s, std::clamp(prob, 0.0, 100.0) / 100.0L);
}

template <std::size_t N>
double TMatNDBase<N>::BlockSampledPercentile(TIndex Lo, TIndex Hi, double prob, std::int32_t SampleSize,
                                             double AbundantVal) const {
  ValidBlock(Lo, Hi);
  TIndex extent;
  for (std::size_t d = 0; d < N; ++d) extent[d] = Hi[d] - Lo[d] + 1;
  if (SampleSize <= 0 || static_cast<std::size_t>(SampleSize) >= CellCount(extent))
    return BlockPercentile(Lo, Hi, prob);
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  const long double p = std::clamp(prob, 0.0, 100.0) / 100.0L;
  std::vector<double> s = GuardAllocation<EKVLMatrixError>(
      *this, [SampleSize] { return std::vector<double>(static_cast<std::size_t>(SampleSize)); });
  Randomize();
  std::int64_t below = 0, equal = 0;
  for (double& x : s) {
    TIndex ix;
    for (std::size_t d = 0; d < N; ++d) ix[d] = Lo[d] + Random(extent[d]);
    x = FCells[OffsetOf(ix)];
    if (x < AbundantVal)
      ++below;
    else if (x == AbundantVal)
      ++equal;
  }
  const long double lower = static_cast<long double>(below) / SampleSize;
  const long double upper = static_cast<long double>(below + equal) / SampleSize;
  if (lower < p && p < upper) return AbundantVal;
  return NearestRank(s, p);
}

template <std::size_t N>
std::string TMatNDBase<N>::CRCofSample(std::int32_t Sample) const {
  if (Sample <= 1) return CRCofData();
  // Every Sample-th cell is gathered once, at most half of the cells.
  const auto step = static_cast<std::size_t>(Sample);
  std::vector<double> picked = GuardAllocation<EKVLMatrixError>(
      *this, [&] { return std::vector<double>((FCells.size() + step - 1) / step); });
  for (std::size_t k = 0, o = 0; k < picked.size(); ++k, o += step) picked[k] = FCells[o];
  return containers_internal::ByteLaneCRC(std::span<const double>(picked));
}

template <std::size_t N>
void TMatNDBase<N>::MirrorDim(std::size_t D) {
  TIndex lo, hi = FDims;
  lo.fill(1);
  hi[D] = FDims[D] / 2;
  const std::size_t stride = FStride[D];
  ForBlock(lo, hi, [&](const TIndex& ix, std::size_t o) {
    const std::size_t mirrored = o + static_cast<std::size_t>(FDims[D] + 1 - 2 * ix[D]) * stride;
    std::swap(FCells[o], FCells[mirrored]);
  });
  Changed();
}

template <std::size_t N>
void TMatNDBase<N>::CopyBlockFrom(const TMatNDBase& Source, TIndex Lo, TIndex Hi, const TIndex& DestAt) {
  Source.ValidBlock(Lo, Hi);
  // The destination part of the block that lies inside this object.
  TIndex from = Lo, to = Hi;
  for (std::size_t d = 0; d < N; ++d) {
    const std::int64_t shift = std::int64_t{DestAt[d]} - Lo[d];
    from[d] = static_cast<std::int32_t>(std::max<std::int64_t>(Lo[d], 1 - shift));
    to[d] = static_cast<std::int32_t>(std::min<std::int64_t>(Hi[d], FDims[d] - shift));
  }
  // From a copy of the source when both are this object and may overlap.
  matrix_internal::TCellBlock copy;
  if (&Source == this) GuardAllocation<EKVLMatrixError>(*this, [&] { copy = FCells; });
  const double* src = &Source == this ? copy.data() : Source.FCells.data();
  Source.ForBlock(from, to, [&](const TIndex& ix, std::size_t o) {
    TIndex at;
    for (std::size_t d = 0; d < N; ++d) at[d] = DestAt[d] + (ix[d] - Lo[d]);
    FCells[OffsetOf(at)] = src[o];
  });
  Changed();
}

template <std::size_t N>
void TMatNDBase<N>::LayerRectToMatrix(TMatrix* DestMat, TIndex At, std::int32_t LowCol, std::int32_t HighCol,
                                      std::int32_t LowRow, std::int32_t HighRow) const {
  if (DestMat == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  DestMat->Resize(HighCol - LowCol + 1, HighRow - LowRow + 1);
  auto view = DestMat->ColumnView();
  for (std::int32_t c = LowCol; c <= HighCol; ++c) {
    At[0] = c;
    At[1] = LowRow;
    const double* from = FCells.data() + OffsetOf(At);
    const auto column = view[static_cast<std::size_t>(c - LowCol)];
    for (std::size_t r = 0; r < column.size(); ++r) column[r] = from[r * FStride[1]];
  }
  DestMat->Changed();
}

template <std::size_t N>
void TMatNDBase<N>::MatrixRectToLayer(const TMatrix* SrcMat, std::int32_t LowCol, std::int32_t HighCol,
                                      std::int32_t LowRow, std::int32_t HighRow, TIndex At) {
  if (SrcMat == nullptr || SrcMat->NrOfColumns() < 1 || SrcMat->NrOfRows() < 1) return;
  SrcMat->MakeValidColRange(LowCol, HighCol);
  SrcMat->MakeValidRowRange(LowRow, HighRow);
  // The part of the rectangle that lands inside this object.
  const std::int64_t dc = std::int64_t{At[0]} - LowCol, dr = std::int64_t{At[1]} - LowRow;
  const auto c0 = static_cast<std::int32_t>(std::max<std::int64_t>(LowCol, 1 - dc));
  const auto c1 = static_cast<std::int32_t>(std::min<std::int64_t>(HighCol, FDims[0] - dc));
  const auto r0 = static_cast<std::int32_t>(std::max<std::int64_t>(LowRow, 1 - dr));
  const auto r1 = static_cast<std::int32_t>(std::min<std::int64_t>(HighRow, FDims[1] - dr));
  const auto view = SrcMat->ColumnView();
  for (std::int32_t c = c0; c <= c1; ++c) {
    At[0] = static_cast<std::int32_t>(c + dc);
    At[1] = static_cast<std::int32_t>(r0 + dr);
    double* to = FCells.data() + OffsetOf(At);
    const auto column = view[static_cast<std::size_t>(c - 1)];
    for (std::int32_t r = r0; r <= r1; ++r) to[static_cast<std::size_t>(r - r0) * FStride[1]] = column[static_cast<std::size_t>(r - 1)];
  }
  Changed();
}

template <std::size_t N>
void TMatNDBase<N>::FinishReshape(const TIndex& OldDims) {
  Changed();
  if (OldDims != FDims) Resized();
}

template <std::size_t N>
void TMatNDBase<N>::CutTo(TIndex Lo, TIndex Hi) {
  ValidBlock(Lo, Hi);
  const TIndex old = FDims;
  TIndex dims;
  for (std::size_t d = 0; d < N; ++d) dims[d] = Hi[d] - Lo[d] + 1;
  const double* cells = FCells.data();
  Rebuild(dims, [&](const TIndex& ix) {
    TIndex at;
    for (std::size_t d = 0; d < N; ++d) at[d] = ix[d] + Lo[d] - 1;
    return cells[OffsetOf(at)];
  });
  FinishReshape(old);
}

template <std::size_t N>
void TMatNDBase<N>::ResampleBy(TIndex Div, TIndex Offset, bool Average) {
  const TIndex old = FDims;
  TIndex dims;
  for (std::size_t d = 0; d < N; ++d) {
    Div[d] = std::max(Div[d], 1);
    Offset[d] = std::clamp(Offset[d], 0, FDims[d] - 1);
    dims[d] = (FDims[d] - Offset[d] - 1) / Div[d] + 1;
  }
  const double* cells = FCells.data();
  Rebuild(dims, [&](const TIndex& ix) {
    TIndex lo, hi;
    for (std::size_t d = 0; d < N; ++d) {
      lo[d] = Offset[d] + (ix[d] - 1) * Div[d] + 1;
      hi[d] = Average ? static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{lo[d]} + Div[d] - 1, old[d])) : lo[d];
    }
    if (!Average) return cells[OffsetOf(lo)];
    long double sum = 0.0L;
    std::size_t n = 0;
    ForBlock(lo, hi, [&](const TIndex&, std::size_t o) {
      sum += cells[o];
      ++n;
    });
    return static_cast<double>(sum / static_cast<long double>(n));
  });
  FinishReshape(old);
}

template <std::size_t N>
void TMatNDBase<N>::TransposeColRow() {
  const TIndex old = FDims;
  TIndex dims = FDims;
  std::swap(dims[0], dims[1]);
  const double* cells = FCells.data();
  Rebuild(dims, [&](const TIndex& ix) {
    TIndex at = ix;
    std::swap(at[0], at[1]);
    return cells[OffsetOf(at)];
  });
  FinishReshape(old);
}

#define KVL_MATND_OPS(N)                                                                                      \
  template double TMatNDBase<N>::BlockPercentile(TIndex, TIndex, double) const;                             \
  template double TMatNDBase<N>::BlockSampledPercentile(TIndex, TIndex, double, std::int32_t, double) const; \
  template std::string TMatNDBase<N>::CRCofSample(std::int32_t) const;                                      \
  template void TMatNDBase<N>::MirrorDim(std::size_t);                                                      \
  template void TMatNDBase<N>::CopyBlockFrom(const TMatNDBase&, TIndex, TIndex, const TIndex&);             \
  template void TMatNDBase<N>::FinishReshape(const TIndex&);                                                \
  template void TMatNDBase<N>::LayerRectToMatrix(TMatrix*, TIndex, std::int32_t, std::int32_t, std::int32_t,   \
                                                 std::int32_t) const;                                         \
  template void TMatNDBase<N>::MatrixRectToLayer(const TMatrix*, std::int32_t, std::int32_t, std::int32_t,     \
                                                 std::int32_t, TIndex);                                       \
  template void TMatNDBase<N>::CutTo(TIndex, TIndex);                                                       \
  template void TMatNDBase<N>::ResampleBy(TIndex, TIndex, bool);                                            \
  template void TMatNDBase<N>::TransposeColRow();

KVL_MATND_OPS(3)
KVL_MATND_OPS(4)
#undef KVL_MATND_OPS

}  // namespace kvl
