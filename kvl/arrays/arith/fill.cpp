// Constant, serial and diagonal fills: one template per family.

#include "kvl/arrays/arith/fill.h"

#include "kvl/arrays/arith/internal/arith_internal.h"
#include "kvl/arrays/arith/internal/arith_lists.h"

namespace kvl {
namespace {

using namespace arith_internal;
using detail::CheckRange;
using detail::ForEachElem;
using detail::ForEachInRange;

template <class A, class T>
std::int32_t FillAll(A& a, T v) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  ForEachElem(a, [v](auto& x) { x = v; });
  return 0;
}

template <class A, class T>
std::int32_t FillRange(A& a, T v, const Index<Rank<A>>& lo, const Index<Rank<A>>& hi) {
  const std::int32_t st = CheckRange(ExtentsOf(a), lo, hi);
  if (st != 0) return st;
  ForEachInRange(a, lo, hi, [v](auto& x) { x = v; });
  return 0;
}

// The value of serial number k: computed from k, not accumulated, so that
// no rounding error builds up along the array.
inline double SerialValue(double First, double Step, std::uint64_t k) noexcept {
  return First + static_cast<double>(k) * Step;
}
inline std::int32_t SerialValue(std::int32_t First, std::int32_t Step, std::uint64_t k) noexcept {
  return Wrap<std::int32_t>::Add(First, Wrap<std::int32_t>::Mul(Step, static_cast<std::int32_t>(k)));
}

template <class A, class T>
std::int32_t Serial(A& a, T First, T Step) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  std::uint64_t k = 0;
  ForEachElem(a, [&](auto& x) { x = SerialValue(First, Step, k++); });
  return 0;
}

template <class A, class T>
std::int32_t Diag(A& a, T v) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  if (!AllEqual(ext)) return -2;
  ForEachElem(a, [v](const auto& ix, auto& x) { x = AllEqual(ix) ? v : T(0); });
  return 0;
}

}  // namespace

#define KVL_FILL(A, T)                                                                     \
  std::int32_t FillArray(A& a, T v) { return FillAll(a, v); }                              \
  std::int32_t FillArraySerial(A& a, T First, T Step) { return Serial(a, First, Step); }  \
  std::int32_t FillArraySerial(A& a) { return Serial(a, T(0), T(1)); }
KVL_FOR_NUM_ARRAYS_1TO4(KVL_FILL)
#undef KVL_FILL

#define KVL_FILL_RANGES(T, A1, A2, A3, A4)                                                              \
  std::int32_t FillArray(A1& a, T v, KVL_RANGE1) { return FillRange(a, v, KVL_LO1, KVL_HI1); }          \
  std::int32_t FillArray(A2& a, T v, KVL_RANGE2) { return FillRange(a, v, KVL_LO2, KVL_HI2); }          \
  std::int32_t FillArray(A3& a, T v, KVL_RANGE3) { return FillRange(a, v, KVL_LO3, KVL_HI3); }          \
  std::int32_t FillArray(A4& a, T v, KVL_RANGE4) { return FillRange(a, v, KVL_LO4, KVL_HI4); }
KVL_FOR_NUM_RANKS(KVL_FILL_RANGES)
#undef KVL_FILL_RANGES

#define KVL_FILL_DIAG(A, T) \
  std::int32_t FillDiagArray(A& a, T v) { return Diag(a, v); }
KVL_FOR_NUM_ARRAYS_2TO4(KVL_FILL_DIAG)
#undef KVL_FILL_DIAG

std::int32_t FillArraySerial(TColumnView<double> A, double First, double Step) { return Serial(A, First, Step); }
std::int32_t FillArraySerial(TColumnView<double> A) { return Serial(A, 0.0, 1.0); }

}  // namespace kvl
