#pragma once
// Writing computed arrays into the caller's containers.

#include <cstdint>
#include <span>

#include "kvl/containers/KVL_vector.h"

namespace kvl::decomp_internal {

/// StoreVector: Dest := Values (resized to their number, at least one).
inline void StoreVector(TVector& Dest, std::span<const double> Values) {
  if (Values.empty()) return;
  Dest.Resize(static_cast<std::int32_t>(Values.size()));
  Dest.CopyFrom(Values, 0, static_cast<std::int32_t>(Values.size() - 1), 1);
}

}  // namespace kvl::decomp_internal
