// TMatrix sorts (rows by a key column, columns by a key row) and the random
// resampling of another matrix.

#include <algorithm>
#include <cmath>
#include <new>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/line_sort.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

void TMatrix::SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                       std::int32_t HighCol, std::int32_t HighRow) {
  matrix_internal::SortMatrixLines(*this, true, LowCol, LowRow, HighCol, HighRow, [&](const auto& B, auto&& fire) {
    matrix_internal::SortRowsOfBlock(FData.data(), B, SortColIx, Ascending, fire);
  });
}

void TMatrix::SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                       std::int32_t HighCol, std::int32_t HighRow) {
  matrix_internal::SortMatrixLines(*this, false, LowCol, LowRow, HighCol, HighRow, [&](const auto& B, auto&& fire) {
    matrix_internal::SortColsOfBlock(FData.data(), B, SortRowIx, Ascending, fire);
  });
}

namespace {

// The number of lines a percentage of Total selects, or 0 when the
// percentage is above 100, not a number, or selects less than one line.
std::int32_t SampleCount(std::int32_t Total, double Percent) {
  if (!(Percent <= 100.0)) return 0;
  const double n = RoundEven(static_cast<double>(Total) * Percent / 100.0);
  return n >= 1.0 ? static_cast<std::int32_t>(n) : 0;
}

// Count distinct random indices of 1..Total, or Count random indices with
// repetition. The array routine lays out at most a million candidates for
// distinct draws; beyond that the indices come from a shuffled 1..Total.
void DrawIndices(TIntArray& Ix, std::int32_t Count, std::int32_t Total, bool Repeat) {
  Ix.assign(static_cast<std::size_t>(Count), 0);
  if (FillRandomUniform(Ix, 1, Total, Repeat) == 0) return;
  Ix.resize(static_cast<std::size_t>(Total));
  FillArraySerial(Ix, 1, 1);
  Randomize();
  ShuffleArray(Ix);
  Ix.resize(static_cast<std::size_t>(Count));
}

}  // namespace

std::int32_t TMatrix::ResampleExtMat(const TMatrix* SrcMat, double colpct, double rowpct, bool BootStrap,
                                     TIntArray& RndColIx, TIntArray& RndRowIx) {
  if (SrcMat == nullptr) return -3;
  if (RndColIx.empty() || RndRowIx.empty()) return -5;
  const std::int32_t nc = SampleCount(SrcMat->FNCol, colpct);
  const std::int32_t nr = SampleCount(SrcMat->FNRow, rowpct);
  std::int32_t status = 0;
  if (nc < 1) status = -1;
  if (nr < 1) status = -2;
  if (status != 0) return status;

  if (nc == SrcMat->FNCol) {
    RndColIx.resize(static_cast<std::size_t>(nc));
    FillArraySerial(RndColIx, 1, 1);
  } else {
    DrawIndices(RndColIx, nc, SrcMat->FNCol, false);
  }
  DrawIndices(RndRowIx, nr, SrcMat->FNRow, BootStrap);

  std::vector<double> sample = GuardAllocation<EKVLMatrixError>(*this, [nc, nr] {
    return std::vector<double>(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr));
  });
  // Gathered into a new block first, so that SrcMat may be this matrix.
  double* out = sample.data();
  for (const std::int32_t c : RndColIx) {
    const auto column = SrcMat->Column(c);
    for (const std::int32_t r : RndRowIx) *out++ = column[static_cast<std::size_t>(r - 1)];
  }
  Resize(nc, nr);
  std::copy(sample.begin(), sample.end(), FData.begin());
  Changed();
  Resized();
  return 0;
}

}  // namespace kvl
