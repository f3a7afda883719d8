// The parenthesis check of formula texts.

#include "kvl/modelling/formula/formula_operators.h"

#include <algorithm>
#include <cstdint>

namespace kvl {

namespace {

constexpr std::int64_t kIntegerMax = 2147483647;

/// TUtf16Counter: counts UTF-16 units of UTF-8 text byte by byte; a byte that
/// does not continue a sequence counts as one unit of its own.
class TUtf16Counter {
 public:
  void Add(unsigned char b) {
    if (b >= 0x80 && b < 0xC0 && FPending > 0) {
      --FPending;
      return;
    }
    FPending = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC0 && b < 0xE0 ? 1 : 0;
    FUnits += FPending == 3 ? 2 : 1;  // four-byte characters are surrogate pairs
  }
  std::int64_t Units() const { return FUnits; }

 private:
  std::int64_t FUnits = 0;
  int FPending = 0;
};

}  // namespace

std::int32_t CheckParanthInExp(std::string_view Expression) noexcept {
  std::int64_t depth = 0;
  TUtf16Counter position;
  for (const char ch : Expression) {
    position.Add(static_cast<unsigned char>(ch));
    if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      if (depth == 0) return static_cast<std::int32_t>(-std::min(position.Units(), kIntegerMax));
      --depth;
    }
  }
  return static_cast<std::int32_t>(std::min(depth, kIntegerMax));
}

}  // namespace kvl
