// Element-wise arithmetic: one template per family over element type and
// rank; the public overloads below only forward to it.

#include "kvl/arrays/arith/elementwise.h"

#include <cmath>

#include "kvl/arrays/arith/internal/arith_internal.h"
#include "kvl/arrays/arith/internal/arith_lists.h"

namespace kvl {
namespace {

using namespace arith_internal;

// C := op(A, B) cell by cell; C is resized only when both operands are valid.
template <class A, class Op>
std::int32_t Binary(const A& a, const A& b, A& c, Op op) {
  const auto ea = ExtentsOf(a);
  const auto eb = ExtentsOf(b);
  if (IsEmpty(ea) || IsEmpty(eb)) return -1;
  if (ea != eb) return -2;
  detail::ResizeTo(c, ea);
  ZipEach(ea, [&](auto x, auto y, auto& z) { z = op(x, y); }, a, b, c);
  return 0;
}

template <class T>
struct Plus {
  T operator()(T a, T b) const noexcept { return Wrap<T>::Add(a, b); }
};
template <class T>
struct Minus {
  T operator()(T a, T b) const noexcept { return Wrap<T>::Sub(a, b); }
};
template <class T>
struct Times {
  T operator()(T a, T b) const noexcept { return Wrap<T>::Mul(a, b); }
};
template <class T>
struct PlusScalar {
  T s;
  T operator()(T a) const noexcept { return Wrap<T>::Add(a, s); }
};
template <class T>
struct TimesScalar {
  T s;
  T operator()(T a) const noexcept { return Wrap<T>::Mul(a, s); }
};
template <class T>
struct Absolute {
  T operator()(T a) const noexcept { return a < 0 ? Wrap<T>::Neg(a) : a; }
};
struct Reciprocal {
  double ZeroValue;
  double operator()(double a) const noexcept { return a == 0.0 ? ZeroValue : 1.0 / a; }
};

template <class A, class T>
std::int32_t Trace(const A& a, T& t) {
  t = 0;
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  if (ext[0] != ext[1]) return -2;
  using Sum = std::conditional_t<std::is_floating_point_v<T>, long double, std::int64_t>;
  Sum s = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(ext[0]); ++i) s += a[i][i];
  t = static_cast<T>(s);
  return 0;
}

template <class T>
std::int32_t Accumulate(std::vector<T>& a) {
  if (a.empty()) return -1;
  if constexpr (std::is_floating_point_v<T>) {
    long double s = 0;
    for (auto& x : a) x = static_cast<T>(s += x);
  } else {
    T s = 0;
    for (auto& x : a) x = s = Wrap<T>::Add(s, x);
  }
  return 0;
}

}  // namespace

#define KVL_ELEMWISE(A, T)                                                                    \
  std::int32_t AddArrays(const A& a, const A& b, A& c) { return Binary(a, b, c, Plus<T>{}); } \
  std::int32_t SubtractArrays(const A& a, const A& b, A& c) { return Binary(a, b, c, Minus<T>{}); } \
  std::int32_t AddScalarToArray(const A& a, T s, A& c) { return MapInto(a, c, PlusScalar<T>{s}); } \
  std::int32_t MultiplyArrayByScalar(const A& a, T s, A& c) { return MapInto(a, c, TimesScalar<T>{s}); } \
  std::int32_t MultiplyArrayByScalar(A& a, T s) { return MapInto(a, a, TimesScalar<T>{s}); }   \
  std::int32_t IncArray(A& a, T s) { return MapInto(a, a, PlusScalar<T>{s}); }                   \
  std::int32_t AbsValArray(A& a) { return MapInto(a, a, Absolute<T>{}); }
KVL_FOR_NUM_ARRAYS_1TO4(KVL_ELEMWISE)
#undef KVL_ELEMWISE

#define KVL_ELEMW_PRODUCT(A, T) \
  std::int32_t MultiplyArraysElemw(const A& a, const A& b, A& c) { return Binary(a, b, c, Times<T>{}); }
KVL_FOR_NUM_ARRAYS_1TO2(KVL_ELEMW_PRODUCT)
#undef KVL_ELEMW_PRODUCT

#define KVL_RECIPROCAL(A, T) \
  std::int32_t ReciprocalArray(A& a, T ZeroValue) { return MapInto(a, a, Reciprocal{ZeroValue}); }
KVL_FOR_DOUBLE_ARRAYS_1TO4(KVL_RECIPROCAL)
#undef KVL_RECIPROCAL

std::int32_t TraceOfArray(const TDouble2DArray& A, double& T) { return Trace(A, T); }
std::int32_t TraceOfArray(const TInt2DArray& A, std::int64_t& T) { return Trace(A, T); }

std::int32_t AccumulateArray(TDoubleArray& A) { return Accumulate(A); }
std::int32_t AccumulateArray(TIntArray& A) { return Accumulate(A); }

}  // namespace kvl
