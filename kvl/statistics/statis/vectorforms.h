#pragma once
// What the statistics functions need of a vector container for their
// vector forms. The statistics unit stands below the containers, so those
// forms are templates over this concept rather than functions of TVector;
// TVector (kvl/containers/KVL_vector.h) satisfies it.

#include <concepts>
#include <cstdint>
#include <span>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl::detail {

/// TReadableStatisVector: a 1-based vector of Doubles whose elements Data()
/// shows in order (element i at position i - 1).
template <class V>
concept TReadableStatisVector = requires(const V& v) {
  { v.Data() } -> std::convertible_to<std::span<const double>>;
  { v.NrOfElem() } -> std::convertible_to<std::int32_t>;
};

/// TWritableStatisVector: one that can also be resized (Resize) and
/// overwritten from an array (CopyFrom(array, 0, 0, 1)).
template <class V>
concept TWritableStatisVector = TReadableStatisVector<V> && requires(V& v, std::span<const double> s) {
  v.Resize(std::int32_t{1});
  v.CopyFrom(s, std::int32_t{0}, std::int32_t{0}, std::int32_t{1});
};

}  // namespace kvl::detail

KVL_API_END
