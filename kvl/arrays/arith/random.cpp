// Random fills, the cyclic shuffle and random resampling.

#include "kvl/arrays/arith/random.h"

#include <cmath>
#include <utility>

#include "kvl/arrays/arith/internal/arith_internal.h"
#include "kvl/arrays/arith/internal/arith_lists.h"
#include "kvl/runtime/randgen.h"

namespace kvl {
namespace {

using namespace arith_internal;
using detail::ForEachElem;

/// The most values FillRandomUniform lays out to draw distinct ones from.
constexpr std::int64_t MaxDistinctRange = 1000000;

// A uniform integer of 0..n-1 for 1 <= n <= 2^32: Random(n)'s rule
// (one generator step, state x n div 2^32) widened to 64 bits.
std::uint32_t RandomBelow(std::uint64_t n) {
  Random();
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(RandSeed)) * n) >> 32);
}

template <class A>
std::int32_t Normal(A& a, double Mean, double StdDev) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  if (!(StdDev >= 0.0)) return -2;
  Randomize();
  ForEachElem(a, [&](double& x) { x = RandG(Mean, StdDev); });
  return 0;
}

template <class A, class T>
std::int32_t Uniform(A& a, T Low, T High) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  if (Low > High) return -2;
  Randomize();
  if constexpr (std::is_floating_point_v<T>) {
    ForEachElem(a, [&](T& x) { x = Low + (High - Low) * Random(); });
  } else {
    const double low = Low;
    const double width = static_cast<double>(High) - low;  // exact: |width| < 2^32
    ForEachElem(a, [&](T& x) {
      // floor of a value below High; the guard only catches rounding up to High.
      const double v = std::floor(low + width * Random());
      x = (v >= High && Low < High) ? High - 1 : static_cast<T>(v);
    });
  }
  return 0;
}

// n distinct values of Low..High by a partial Fisher-Yates shuffle of the
// list Low, Low+1, ..., High: every n-subset in every order is equally
// likely. The caller bounds High - Low + 1 and ensures n <= that count.
void DrawDistinct(TIntArray& a, std::int32_t Low, std::int32_t High) {
  const std::uint64_t count = static_cast<std::uint64_t>(static_cast<std::int64_t>(High) - Low + 1);
  TIntArray list(count);
  for (std::uint64_t k = 0; k < count; ++k) list[k] = static_cast<std::int32_t>(Low + static_cast<std::int64_t>(k));
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::swap(list[i], list[i + RandomBelow(count - i)]);
    a[i] = list[i];
  }
}

std::int32_t UniformInclusive(TIntArray& a, std::int32_t Low, std::int32_t High, bool Duplicates) {
  if (a.empty()) return -1;
  if (High < Low) return -2;
  const std::int64_t count = static_cast<std::int64_t>(High) - Low + 1;
  if (!Duplicates) {
    if (count < static_cast<std::int64_t>(a.size())) return -3;
    if (count > MaxDistinctRange) return -4;
  }
  Randomize();
  if (Duplicates) {
    for (auto& x : a) x = static_cast<std::int32_t>(Low + static_cast<std::int64_t>(RandomBelow(count)));
  } else {
    DrawDistinct(a, Low, High);
  }
  return 0;
}

template <class T>
std::int32_t Shuffle(std::vector<T>& a) {
  if (a.size() < 2) return -1;
  for (std::size_t i = a.size() - 1; i >= 1; --i) std::swap(a[i], a[RandomBelow(i)]);
  return 0;
}

std::int32_t Resample(const TDouble2DArray& src, TDouble2DArray& dest, double ColPercent, double RowPercent,
                      bool RowDuplicates, TIntArray& colIx, TIntArray& rowIx) {
  const auto ext = ExtentsOf(src);
  if (IsEmpty(ext)) return -3;
  // Empty output arrays are the null arrays the caller did not allocate.
  if (dest.empty()) return -4;
  if (colIx.empty() || rowIx.empty()) return -5;
  // NaN percentages fail the comparisons and are refused like too large ones.
  if (!(ColPercent <= 100.0)) return -1;
  const double nc = RoundEven(static_cast<double>(ext[0]) * ColPercent / 100.0);
  if (nc <= 0) return -1;
  if (!(RowPercent <= 100.0)) return -2;
  const double nr = RoundEven(static_cast<double>(ext[1]) * RowPercent / 100.0);
  if (nr <= 0) return -2;

  Randomize();
  // Built in locals and handed over at the end, so that Dest may be Src.
  TIntArray ci(static_cast<std::size_t>(nc));
  TIntArray ri(static_cast<std::size_t>(nr));
  // The extents exist in memory, so laying out 1..extent needs no limit.
  const auto cols = static_cast<std::int32_t>(ext[0]);
  const auto rows = static_cast<std::int32_t>(ext[1]);
  if (static_cast<std::int64_t>(nc) == ext[0]) {
    for (std::int32_t c = 0; c < cols; ++c) ci[c] = c + 1;
  } else {
    DrawDistinct(ci, 1, cols);
  }
  if (RowDuplicates) {
    for (auto& r : ri) r = 1 + static_cast<std::int32_t>(RandomBelow(static_cast<std::uint64_t>(rows)));
  } else {
    DrawDistinct(ri, 1, rows);
  }
  TDouble2DArray d(ci.size(), TDoubleArray(ri.size()));
  for (std::size_t i = 0; i < ci.size(); ++i) {
    const TDoubleArray& column = src[static_cast<std::size_t>(ci[i] - 1)];
    for (std::size_t j = 0; j < ri.size(); ++j) d[i][j] = column[static_cast<std::size_t>(ri[j] - 1)];
  }
  dest = std::move(d);
  colIx = std::move(ci);
  rowIx = std::move(ri);
  return 0;
}

}  // namespace

#define KVL_RANDOM_DOUBLE(A, T)                                                                    \
  std::int32_t FillRandomNormal(A& a, T Mean, T StdDev) { return Normal(a, Mean, StdDev); }        \
  std::int32_t FillRandomUniform(A& a, T Low, T High) { return Uniform(a, Low, High); }
KVL_FOR_DOUBLE_ARRAYS_1TO4(KVL_RANDOM_DOUBLE)
#undef KVL_RANDOM_DOUBLE

#define KVL_RANDOM_INT(A, T) \
  std::int32_t FillRandomUniform(A& a, T Low, T High) { return Uniform(a, Low, High); }
KVL_FOR_INT_ARRAYS_1TO4(KVL_RANDOM_INT)
#undef KVL_RANDOM_INT

std::int32_t FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High, bool Duplicates) {
  return UniformInclusive(A, Low, High, Duplicates);
}

std::int32_t ShuffleArray(TDoubleArray& A) { return Shuffle(A); }
std::int32_t ShuffleArray(TIntArray& A) { return Shuffle(A); }

std::int32_t Resample2DArray(const TDouble2DArray& Src, TDouble2DArray& Dest, double ColPercent,
                             double RowPercent, bool RowDuplicates, TIntArray& ColIx, TIntArray& RowIx) {
  return Resample(Src, Dest, ColPercent, RowPercent, RowDuplicates, ColIx, RowIx);
}

}  // namespace kvl
