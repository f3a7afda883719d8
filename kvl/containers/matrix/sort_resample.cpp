// TMatrix sorts (rows by a key column, columns by a key row) and the random
// resampling of another matrix.

#include <algorithm>
#include <cmath>
#include <new>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

// SortLines: the comb sort of the lines Lo..Hi (rows or columns) by Key(line),
// the gap starting at Hi - Lo; Exchange(i, j) swaps two lines and their keys.
template <class KeyFn, class ExchangeFn>
void SortLines(std::int32_t Lo, std::int32_t Hi, bool Ascending, KeyFn&& Key, ExchangeFn&& Exchange) {
  const auto n = static_cast<std::size_t>(Hi - Lo + 1);
  auto line = [Lo](std::size_t i) { return Lo + static_cast<std::int32_t>(i); };
  detail::CombSortBy(
      n, n - 1,
      [&](std::size_t i, std::size_t j) {
        const auto a = Key(line(i)), b = Key(line(j));
        return Ascending ? b < a : a < b;
      },
      [&](std::size_t i, std::size_t j) { Exchange(line(i), line(j)); });
}

}  // namespace

void TMatrix::SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                       std::int32_t HighCol, std::int32_t HighRow) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighRow - LowRow < 1) return;
  // A key column outside the matrix reads as all zeros: nothing is out of order.
  if (SortColIx >= 1 && SortColIx <= FNCol) {
    const bool keyOutside = SortColIx < LowCol || SortColIx > HighCol;
    const double* key = FData.data() + Offset(SortColIx, 1) - 1;  // key[r], r 1-based
    SortLines(
        LowRow, HighRow, Ascending, [key](std::int32_t r) { return key[r]; },
        [&](std::int32_t i, std::int32_t j) {
          for (std::int32_t c = LowCol; c <= HighCol; ++c)
            std::swap(FData[Offset(c, i)], FData[Offset(c, j)]);
          if (keyOutside) std::swap(FData[Offset(SortColIx, i)], FData[Offset(SortColIx, j)]);
          if (OnSortExchange) OnSortExchange(this, 2, i, j, LowCol, HighCol);
        });
  }
  Changed();
}

void TMatrix::SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                       std::int32_t HighCol, std::int32_t HighRow) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighCol - LowCol < 1) return;
  if (SortRowIx >= 1 && SortRowIx <= FNRow) {
    const bool keyOutside = SortRowIx < LowRow || SortRowIx > HighRow;
    const auto stretch = static_cast<std::ptrdiff_t>(HighRow - LowRow + 1);
    SortLines(
        LowCol, HighCol, Ascending, [&](std::int32_t c) { return FData[Offset(c, SortRowIx)]; },
        [&](std::int32_t i, std::int32_t j) {
          const auto a = FData.begin() + static_cast<std::ptrdiff_t>(Offset(i, LowRow));
          std::swap_ranges(a, a + stretch, FData.begin() + static_cast<std::ptrdiff_t>(Offset(j, LowRow)));
          if (keyOutside) std::swap(FData[Offset(i, SortRowIx)], FData[Offset(j, SortRowIx)]);
          if (OnSortExchange) OnSortExchange(this, 1, i, j, LowRow, HighRow);
        });
  }
  Changed();
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
