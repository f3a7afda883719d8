// Extremes of 1-D to 4-D arrays: MaxArray, MinArray and MinMaxArray, all on one
// scanning template.

#include <limits>
#include <type_traits>

#include "kvl/arrays/array_stats.h"
#include "kvl/base/KVL_univconst.h"

namespace kvl {
namespace {

using namespace detail;

template <class A>
struct TExtremes {
  Elem<A> Min{};
  Elem<A> Max{};
  Index<Rank<A>> MinIx{};
  Index<Rank<A>> MaxIx{};
};

// Scans the validated, non-empty range [Lo, Hi]: both extremes start at the
// element at Lo and move only on strictly smaller / greater elements, so the
// first occurrence wins (the outer index varies slowest).
template <class A>
TExtremes<A> ScanExtremes(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi) {
  TExtremes<A> r;
  r.Min = r.Max = ElemAt(Data, Lo);
  r.MinIx = r.MaxIx = Lo;
  ForEachInRange(Data, Lo, Hi, [&r](const Index<Rank<A>>& ix, const Elem<A>& v) {
    if (v < r.Min) {
      r.Min = v;
      r.MinIx = ix;
    }
    if (v > r.Max) {
      r.Max = v;
      r.MaxIx = ix;
    }
  });
  return r;
}

// MaxArray / MinArray: the sentinel for an empty array (positions untouched),
// otherwise the extreme with its position copied to Pos[0..Rank-1].
template <bool Largest, class A>
Elem<A> ExtremeOf(const A& Data, std::int32_t* const* Pos = nullptr) {
  using T = Elem<A>;
  const auto ext = ExtentsOf(Data);
  if (IsEmpty(ext)) return Largest ? static_cast<T>(-2147483648.0) : static_cast<T>(2147483647);
  Index<Rank<A>> lo, hi;
  FullRange(ext, lo, hi);
  const auto r = ScanExtremes(Data, lo, hi);
  if (Pos != nullptr)
    for (int d = 0; d < Rank<A>; ++d) *Pos[d] = static_cast<std::int32_t>(Largest ? r.MaxIx[d] : r.MinIx[d]);
  return Largest ? r.Max : r.Min;
}

// The start values: the largest value of the element type and its negative.
template <class T>
void InitMinMax(T& Min, T& Max) {
  if constexpr (std::is_same_v<T, double>)
    Min = uc_MaxDouble;
  else if constexpr (std::is_same_v<T, float>)
    Min = uc_MaxSingle;
  else
    Min = std::numeric_limits<T>::max();
  Max = -Min;
}

template <class A>
std::int32_t MinMaxOf(const A& Data, Elem<A>& Min, Elem<A>& Max) {
  InitMinMax(Min, Max);
  const auto ext = ExtentsOf(Data);
  if (IsEmpty(ext)) return -1;
  Index<Rank<A>> lo, hi;
  FullRange(ext, lo, hi);
  const auto r = ScanExtremes(Data, lo, hi);
  Min = r.Min;
  Max = r.Max;
  return 0;
}

// The range members: -1 empty, -2 a bound outside its dimension; a high bound
// below its low bound is no error but an empty scan.
template <class A>
std::int32_t MinMaxInRange(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, Elem<A>& Min,
                           Elem<A>& Max, std::int32_t* const* MinPos, std::int32_t* const* MaxPos) {
  constexpr int N = Rank<A>;
  InitMinMax(Min, Max);
  for (int d = 0; d < N; ++d) *MinPos[d] = *MaxPos[d] = 0;
  const auto ext = ExtentsOf(Data);
  if (IsEmpty(ext)) return -1;
  for (int d = 0; d < N; ++d)
    if (Lo[d] < 0 || Hi[d] < 0 || Lo[d] >= ext[d] || Hi[d] >= ext[d]) return -2;
  for (int d = 0; d < N; ++d)
    if (Hi[d] < Lo[d]) return 0;
  const auto r = ScanExtremes(Data, Lo, Hi);
  Min = r.Min;
  Max = r.Max;
  for (int d = 0; d < N; ++d) {
    *MinPos[d] = static_cast<std::int32_t>(r.MinIx[d]);
    *MaxPos[d] = static_cast<std::int32_t>(r.MaxIx[d]);
  }
  return 0;
}

}  // namespace

using std::int32_t;

double MaxArray(const TDoubleArray& Data, int32_t& Index) {
  int32_t* const pos[] = {&Index};
  return ExtremeOf<true>(Data, pos);
}
double MaxArray(const TDoubleArray& Data) { return ExtremeOf<true>(Data); }
double MaxArray(const TDouble2DArray& Data, int32_t& Index1, int32_t& Index2) {
  int32_t* const pos[] = {&Index1, &Index2};
  return ExtremeOf<true>(Data, pos);
}
double MaxArray(const TDouble2DArray& Data) { return ExtremeOf<true>(Data); }
double MaxArray(const TDouble3DArray& Data) { return ExtremeOf<true>(Data); }
double MaxArray(const TDouble4DArray& Data) { return ExtremeOf<true>(Data); }
int32_t MaxArray(const TIntArray& Data, int32_t& Index) {
  int32_t* const pos[] = {&Index};
  return ExtremeOf<true>(Data, pos);
}
int32_t MaxArray(const TIntArray& Data) { return ExtremeOf<true>(Data); }
int32_t MaxArray(const TInt2DArray& Data, int32_t& Index1, int32_t& Index2) {
  int32_t* const pos[] = {&Index1, &Index2};
  return ExtremeOf<true>(Data, pos);
}
int32_t MaxArray(const TInt2DArray& Data) { return ExtremeOf<true>(Data); }
int32_t MaxArray(const TInt3DArray& Data) { return ExtremeOf<true>(Data); }
int32_t MaxArray(const TInt4DArray& Data) { return ExtremeOf<true>(Data); }

double MinArray(const TDoubleArray& Data, int32_t& Index) {
  int32_t* const pos[] = {&Index};
  return ExtremeOf<false>(Data, pos);
}
double MinArray(const TDoubleArray& Data) { return ExtremeOf<false>(Data); }
double MinArray(const TDouble2DArray& Data, int32_t& Index1, int32_t& Index2) {
  int32_t* const pos[] = {&Index1, &Index2};
  return ExtremeOf<false>(Data, pos);
}
double MinArray(const TDouble2DArray& Data) { return ExtremeOf<false>(Data); }
double MinArray(const TDouble3DArray& Data) { return ExtremeOf<false>(Data); }
double MinArray(const TDouble4DArray& Data) { return ExtremeOf<false>(Data); }
int32_t MinArray(const TIntArray& Data, int32_t& Index) {
  int32_t* const pos[] = {&Index};
  return ExtremeOf<false>(Data, pos);
}
int32_t MinArray(const TIntArray& Data) { return ExtremeOf<false>(Data); }
int32_t MinArray(const TInt2DArray& Data, int32_t& Index1, int32_t& Index2) {
  int32_t* const pos[] = {&Index1, &Index2};
  return ExtremeOf<false>(Data, pos);
}
int32_t MinArray(const TInt2DArray& Data) { return ExtremeOf<false>(Data); }
int32_t MinArray(const TInt3DArray& Data) { return ExtremeOf<false>(Data); }
int32_t MinArray(const TInt4DArray& Data) { return ExtremeOf<false>(Data); }

int32_t MinMaxArray(const TDoubleArray& Data, double& Min, double& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TDouble2DArray& Data, double& Min, double& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TDouble3DArray& Data, double& Min, double& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TDouble4DArray& Data, double& Min, double& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TSingleArray& Data, float& Min, float& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(std::span<const double> Data, double& Min, double& Max) {
  return MinMaxOf(Data, Min, Max);
}
int32_t MinMaxArray(const TIntArray& Data, int32_t& Min, int32_t& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TInt2DArray& Data, int32_t& Min, int32_t& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TInt3DArray& Data, int32_t& Min, int32_t& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(const TInt4DArray& Data, int32_t& Min, int32_t& Max) { return MinMaxOf(Data, Min, Max); }
int32_t MinMaxArray(std::span<const int32_t> Data, int32_t& Min, int32_t& Max) {
  return MinMaxOf(Data, Min, Max);
}

int32_t MinMaxArray(const TDoubleArray& Data, int32_t First, int32_t Last, double& Min, double& Max,
                    int32_t& MinIx, int32_t& MaxIx) {
  int32_t* const minPos[] = {&MinIx};
  int32_t* const maxPos[] = {&MaxIx};
  return MinMaxInRange(Data, {First}, {Last}, Min, Max, minPos, maxPos);
}
int32_t MinMaxArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                    double& Min, double& Max, int32_t& MinIx1, int32_t& MinIx2, int32_t& MaxIx1,
                    int32_t& MaxIx2) {
  int32_t* const minPos[] = {&MinIx1, &MinIx2};
  int32_t* const maxPos[] = {&MaxIx1, &MaxIx2};
  return MinMaxInRange(Data, {Lo1, Lo2}, {Hi1, Hi2}, Min, Max, minPos, maxPos);
}
int32_t MinMaxArray(const TIntArray& Data, int32_t First, int32_t Last, int32_t& Min, int32_t& Max,
                    int32_t& MinIx, int32_t& MaxIx) {
  int32_t* const minPos[] = {&MinIx};
  int32_t* const maxPos[] = {&MaxIx};
  return MinMaxInRange(Data, {First}, {Last}, Min, Max, minPos, maxPos);
}
int32_t MinMaxArray(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, int32_t& Min,
                    int32_t& Max, int32_t& MinIx1, int32_t& MinIx2, int32_t& MaxIx1, int32_t& MaxIx2) {
  int32_t* const minPos[] = {&MinIx1, &MinIx2};
  int32_t* const maxPos[] = {&MaxIx1, &MaxIx2};
  return MinMaxInRange(Data, {Lo1, Lo2}, {Hi1, Hi2}, Min, Max, minPos, maxPos);
}

}  // namespace kvl
