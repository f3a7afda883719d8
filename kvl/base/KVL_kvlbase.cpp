#include "kvl/base/KVL_kvlbase.h"

#include <array>

namespace kvl {

constinit double ProcStat = 0.0;
constinit TMathFeedBackProc MathFeedBackProc;
constinit bool AbortMathProc = false;

void ReportMathProgress(double Increment) {
  ProcStat += Increment;
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
}

namespace {
constexpr std::array<std::uint32_t, 256> MakeCRCTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr auto kCRCTable = MakeCRCTable();
}  // namespace

std::uint32_t CalcNextCRC32(std::uint8_t Data, std::uint32_t CRC) noexcept {
  return kCRCTable[(CRC ^ Data) & 0xFFu] ^ (CRC >> 8);
}

std::uint32_t CalcCRC32(const void* Data, std::size_t Count) noexcept {
  const auto* p = static_cast<const std::uint8_t*>(Data);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < Count; ++i) crc = CalcNextCRC32(p[i], crc);
  return ~crc;
}

}  // namespace kvl
