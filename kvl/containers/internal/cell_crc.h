#pragma once
// The data checksum of the containers (CRCofData): one CRC-32 accumulator per
// byte position of the element type, each fed that byte of every element in
// storage order, then inverted and written as 8 hex digits. Doubles give 64
// digits, 32-bit integers 32.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/core/KVL_math1.h"

namespace kvl::containers_internal {

/// ByteLaneCRC: the checksum text of Cells (bytes in memory order, least
/// significant first); empty for no cells.
template <class T>
std::string ByteLaneCRC(std::span<const T> Cells) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (Cells.empty()) return {};
  std::uint32_t crc[sizeof(T)];
  for (auto& c : crc) c = 0xFFFFFFFFu;
  for (const T x : Cells) {
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &x, sizeof(T));
    for (std::size_t b = 0; b < sizeof(T); ++b) crc[b] = CalcNextCRC32(bytes[b], crc[b]);
  }
  std::string result;
  result.reserve(8 * sizeof(T));
  for (const std::uint32_t c : crc) result += Hex(static_cast<std::int32_t>(~c), 8);
  return result;
}

}  // namespace kvl::containers_internal
