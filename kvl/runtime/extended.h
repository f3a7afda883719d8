#pragma once
// The 10-byte x87 extended encoding used wherever an Extended value is
// written to a file or stream: 64-bit significand with explicit integer
// bit, 15-bit biased exponent and the sign, little-endian.

#include <array>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

static_assert(LDBL_MANT_DIG == 64 && sizeof(long double) >= 10,
              "KVL needs long double to be the 80-bit x87 extended type");

/// TExtendedBytes: the ten bytes of one encoded Extended value.
using TExtendedBytes = std::array<std::uint8_t, 10>;

/// EncodeExtended: the ten bytes of X in file order.
inline TExtendedBytes EncodeExtended(long double X) noexcept {
  TExtendedBytes b;
  std::memcpy(b.data(), &X, b.size());
  return b;
}

/// DecodeExtended: the Extended value that ten bytes spell.
inline long double DecodeExtended(const std::uint8_t* Bytes) noexcept {
  long double x = 0.0L;  // clears the padding bytes beyond the ten
  std::memcpy(&x, Bytes, 10);
  return x;
}

}  // namespace kvl

KVL_API_END
