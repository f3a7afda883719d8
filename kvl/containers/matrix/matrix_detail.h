#pragma once
// Internal helpers of the matrix implementation files: the one range rule of
// the matrix classes, the allocation-failure message, and the cell kernels
// written once over the element type so that the integer matrix can share
// them.

#include <algorithm>
#include <cstdint>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/core/KVL_frame.h"

namespace kvl::matrix_detail {

/// RaiseNoMemory: EKVLMatrixError 'Component "Name": not enough memory on heap'.
[[noreturn, gnu::cold, gnu::noinline]] inline void RaiseNoMemory(const TComponent& Sender) {
  RaiseComponent<EKVLMatrixError>(Sender, "not enough memory on heap");
}

/// MakeValidRange: the range rule of the matrix dimensions: (0, 0) selects
/// 1..n with result 0; otherwise both bounds are clamped into 1..n and put
/// in order, and the result is -1 when anything was clamped or exchanged.
constexpr std::int32_t MakeValidRange(std::int32_t& Low, std::int32_t& High, std::int32_t n) noexcept {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = n;
    return 0;
  }
  std::int32_t result = 0;
  const std::int32_t lo = std::clamp(Low, 1, n);
  const std::int32_t hi = std::clamp(High, 1, n);
  if (lo != Low || hi != High) result = -1;
  Low = lo;
  High = hi;
  if (Low > High) {
    std::swap(Low, High);
    result = -1;
  }
  return result;
}

}  // namespace kvl::matrix_detail
