#include <cstdio>

#include "kvl/kvl.h"

int main() {
  const kvl::TComplex q = kvl::CpxDiv(kvl::COMPLEX_1, kvl::Cpx(0, 1));
  const std::uint32_t crc = kvl::CalcCRC32("123456789", 9);
  std::printf("1/i = (%g, %g), crc = %08X\n", static_cast<double>(q.re), static_cast<double>(q.im), crc);
  return (q.im == -1.0L && crc == 0xCBF43926u) ? 0 : 1;
}
