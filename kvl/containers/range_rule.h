#pragma once
// The range rule of the 1-based containers (vectors, matrices, data tables
// and the deeper matrices), written once for any number of dimensions:
//   (0, 0)        selects the whole dimension, 1..n, result 0;
//   other bounds  are clamped into 1..n and put in order; the result is -1
//                 when a bound had to move, and also when the bounds had to
//                 be exchanged if the container counts an exchange as a
//                 correction (TSwapRule::Corrects), else 0.
// A dimension of n < 1 holds nothing: (0, 0) gives (1, n) with result 0, any
// other pair the empty range (1, 0) with result -1.
//
//   TRangeRule<2> rule({NrOfColumns, NrOfRows}, TSwapRule::Corrects);
//   rule.Apply(1, LowRow, HighRow);          // one dimension (0-based Dim)
//   rule.ApplyAll(Low, High);                // every dimension at once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl::detail {

/// TSwapRule: whether putting a reversed pair in order counts as a
/// correction (-1) or not.
enum class TSwapRule { Silent, Corrects };

/// MakeValidRange: the range rule on one dimension of N elements; returns 0
/// or -1 as described at the top of this header.
constexpr std::int32_t MakeValidRange(std::int32_t& Low, std::int32_t& High, std::int32_t N,
                                      TSwapRule Swap) noexcept {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = N;
    return 0;
  }
  if (N < 1) {
    Low = 1;
    High = 0;
    return -1;
  }
  const std::int32_t lo = std::clamp(Low, 1, N);
  const std::int32_t hi = std::clamp(High, 1, N);
  std::int32_t result = lo != Low || hi != High ? -1 : 0;
  Low = lo;
  High = hi;
  if (Low > High) {
    std::swap(Low, High);
    if (Swap == TSwapRule::Corrects) result = -1;
  }
  return result;
}

/// TRangeRule: the range rule of a container of Dims dimensions with the
/// given extents (outermost first: columns, rows, layers, time slots).
template <std::size_t Dims>
class TRangeRule {
 public:
  using TBounds = std::array<std::int32_t, Dims>;

  constexpr TRangeRule(const TBounds& Extents, TSwapRule Swap) noexcept : FExtents(Extents), FSwap(Swap) {}

  /// Apply: the rule on dimension Dim (0-based); returns 0 or -1.
  constexpr std::int32_t Apply(std::size_t Dim, std::int32_t& Low, std::int32_t& High) const noexcept {
    return MakeValidRange(Low, High, FExtents[Dim], FSwap);
  }

  /// ApplyAll: the rule on every dimension; -1 when any of them needed a
  /// correction, else 0.
  constexpr std::int32_t ApplyAll(TBounds& Low, TBounds& High) const noexcept {
    std::int32_t result = 0;
    for (std::size_t d = 0; d < Dims; ++d)
      if (Apply(d, Low[d], High[d]) != 0) result = -1;
    return result;
  }

 private:
  TBounds FExtents;
  TSwapRule FSwap;
};

}  // namespace kvl::detail

KVL_API_END
