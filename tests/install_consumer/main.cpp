#include <cstdio>

#include "kvl/kvl.h"

// Uses the installed library as a host would: free functions, a component
// with owned parts, a matrix routine and an exception caught by its class
// across the library boundary.
int main() {
  const kvl::TComplex q = kvl::CpxDiv(kvl::COMPLEX_1, kvl::Cpx(0, 1));
  const std::uint32_t crc = kvl::CalcCRC32("123456789", 9);

  kvl::TComponent owner;
  auto* m = new kvl::TMatrix(&owner);
  m->Resize(2, 2);
  m->SetVal(1, 1, 4.0);
  m->SetVal(2, 2, 0.5);
  const double det = m->Determinant();

  bool caught = false;
  try {
    kvl::CpxDiv(kvl::COMPLEX_1, kvl::COMPLEX_0);
  } catch (const kvl::EKVLError&) {
    caught = true;
  }
  std::printf("1/i = (%g, %g), crc = %08X, det = %g, error caught: %d\n",
              static_cast<double>(q.re), static_cast<double>(q.im), crc, det, caught);
  return (q.im == -1.0L && crc == 0xCBF43926u && det == 2.0 && caught) ? 0 : 1;
}
