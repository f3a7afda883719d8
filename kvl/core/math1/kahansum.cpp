#include "kvl/core/math1/kahansum.h"

namespace kvl {

void TKahanSum::Add(double ANumber) noexcept {
  // Each expression is evaluated in extended precision; y and t are stored
  // as Double, so cps catches exactly what rounding t to Double lost.
  const double y = static_cast<double>(static_cast<long double>(ANumber) - cps);
  const double t = static_cast<double>(static_cast<long double>(Sum) + y);
  cps = static_cast<double>((static_cast<long double>(t) - Sum) - y);
  Sum = t;
}

}  // namespace kvl
