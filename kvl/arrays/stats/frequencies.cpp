// Frequency distributions (FrequDistOfArray) and counts in a value range
// (CountValues) over index ranges of arrays.

#include <cmath>
#include <type_traits>

#include "kvl/arrays/array_stats.h"
#include "kvl/runtime/rounding.h"

namespace kvl {
namespace {

using namespace detail;

constexpr std::int32_t kMaxBins = 1000;

// The one histogram template. Mask is nullptr or points to a Boolean 2-D
// array of the data's shape whose true cells are skipped. Bins are [Low + b * Width,
// Low + (b + 1) * Width); a value beyond the last bin's upper edge counts in
// Above even when it lies below High + Width, so that every bin keeps the
// width asked for.
template <class A, class MaskPtr>
std::int32_t FrequDist(const A& Data, MaskPtr Mask, Index<Rank<A>> Lo, Index<Rank<A>> Hi, double Low,
                       double High, double Width, TIntArray& Freq, std::int32_t& Below, std::int32_t& Above,
                       std::int32_t& MaxCount) {
  constexpr int N = Rank<A>;
  constexpr bool kMasked = !std::is_same_v<MaskPtr, std::nullptr_t>;
  Freq.clear();
  Below = Above = MaxCount = 0;
  const auto ext = ExtentsOf(Data);
  for (int d = 0; d < N; ++d)
    if (Lo[d] < 0 || Hi[d] < 0 || Lo[d] >= ext[d] || Hi[d] >= ext[d]) return -1;
  for (int d = 0; d < N; ++d)
    if (Hi[d] < Lo[d]) return -2;
  if (!(Low < High)) return -3;
  if (!(Width > 0.0)) return -4;
  const double bins = RoundEven(std::fabs(High - Low) / Width);  // infinite for an infinite span
  if (!(bins < kMaxBins)) return -5;
  if constexpr (kMasked) {
    if (static_cast<std::int64_t>(Mask->size()) != ext[0] ||
        static_cast<std::int64_t>((*Mask)[0].size()) != ext[1])
      return -6;
  }
  bool whole = true;
  for (int d = 0; d < N; ++d) whole = whole && Lo[d] == 0 && Hi[d] == 0;
  if (whole) FullRange(ext, Lo, Hi);

  const auto nb = static_cast<std::int32_t>(bins) + 1;
  Freq.assign(static_cast<std::size_t>(nb), 0);
  const double top = High + Width;
  ForEachInRange(Data, Lo, Hi, [&](const Index<N>& ix, double v) {
    if constexpr (kMasked) {
      if ((*Mask)[static_cast<std::size_t>(ix[0])][static_cast<std::size_t>(ix[1])]) return;
    }
    if (std::isnan(v)) return;
    if (v < Low) {
      ++Below;
      return;
    }
    const double b = std::floor((v - Low) / Width);
    if (v >= top || !(b < nb)) {
      ++Above;
      return;
    }
    const std::int32_t count = ++Freq[static_cast<std::size_t>(b)];
    if (count > MaxCount) MaxCount = count;
  });
  return 0;
}

template <class A>
std::int32_t CountValuesOf(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, Elem<A> Low,
                           Elem<A> High) {
  const std::int32_t status = CheckRange(ExtentsOf(Data), Lo, Hi);
  if (status != 0) return status;
  if (Low > High) return -2;
  std::int32_t count = 0;
  ForEachInRange(Data, Lo, Hi, [&count, Low, High](Elem<A> v) { count += (Low <= v && v <= High) ? 1 : 0; });
  return count;
}

}  // namespace

using std::int32_t;

int32_t FrequDistOfArray(const TDoubleArray& Data, int32_t First, int32_t Last, double Low, double High,
                         double Width, TIntArray& Freq, int32_t& Below, int32_t& Above, int32_t& MaxCount) {
  return FrequDist(Data, nullptr, {First}, {Last}, Low, High, Width, Freq, Below, Above, MaxCount);
}
int32_t FrequDistOfArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                         double Low, double High, double Width, TIntArray& Freq, int32_t& Below,
                         int32_t& Above, int32_t& MaxCount) {
  return FrequDist(Data, nullptr, {Lo1, Lo2}, {Hi1, Hi2}, Low, High, Width, Freq, Below, Above, MaxCount);
}
int32_t FrequDistOfArray(const TDouble2DArray& Data, const TBool2DArray& Mask, int32_t Lo1, int32_t Lo2,
                         int32_t Hi1, int32_t Hi2, double Low, double High, double Width, TIntArray& Freq,
                         int32_t& Below, int32_t& Above, int32_t& MaxCount) {
  return FrequDist(Data, &Mask, {Lo1, Lo2}, {Hi1, Hi2}, Low, High, Width, Freq, Below, Above, MaxCount);
}

int32_t CountValues(const TDoubleArray& Data, int32_t First, int32_t Last, double Low, double High) {
  return CountValuesOf(Data, {First}, {Last}, Low, High);
}
int32_t CountValues(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                    double Low, double High) {
  return CountValuesOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Low, High);
}
int32_t CountValues(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1,
                    int32_t Hi2, int32_t Hi3, double Low, double High) {
  return CountValuesOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Low, High);
}
int32_t CountValues(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4,
                    int32_t Hi1, int32_t Hi2, int32_t Hi3, int32_t Hi4, double Low, double High) {
  return CountValuesOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Low, High);
}
int32_t CountValues(const TIntArray& Data, int32_t First, int32_t Last, int32_t Low, int32_t High) {
  return CountValuesOf(Data, {First}, {Last}, Low, High);
}
int32_t CountValues(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, int32_t Low,
                    int32_t High) {
  return CountValuesOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Low, High);
}
int32_t CountValues(const TInt3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                    int32_t Hi3, int32_t Low, int32_t High) {
  return CountValuesOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Low, High);
}
int32_t CountValues(const TInt4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                    int32_t Hi2, int32_t Hi3, int32_t Hi4, int32_t Low, int32_t High) {
  return CountValuesOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Low, High);
}

}  // namespace kvl
