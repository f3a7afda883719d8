// Clones, conversions, block copies and column / row copies.

#include "kvl/arrays/arith/copy.h"

#include <algorithm>

#include "kvl/arrays/arith/internal/arith_internal.h"
#include "kvl/arrays/arith/internal/arith_lists.h"
#include "kvl/core/KVL_frame.h"

namespace kvl {
namespace {

using namespace arith_internal;
using detail::CheckRange;

template <class A>
std::int32_t Clone(const A& a, A& b) {
  if (&a != &b) b = a;
  return IsEmpty(ExtentsOf(a)) ? -1 : 0;
}

template <class A, class B>
std::int32_t CloneConverted(const A& a, B& b) {
  const std::int32_t st = MapInto(a, b, [](auto x) { return detail::ConvertElem<Elem<B>>(x); });
  if (st != 0) detail::ResizeTo(b, ExtentsOf(a));  // an empty copy of an empty A
  return st;
}

template <class A, class B>
std::int32_t CloneReversed(const A& a, B& b) {
  const std::size_t n = a.size();
  B out(n);  // built aside, so that B may be A
  for (std::size_t i = 0; i < n; ++i)
    out[i] = detail::ConvertElem<Elem<B>>(static_cast<Elem<A>>(a[n - 1 - i]));
  b = std::move(out);
  return n == 0 ? -1 : 0;
}

template <int D, int N, class S, class T>
void CopyBlockImpl(const S& s, T& t, const Index<N>& lo, const Index<N>& hi, const Index<N>& at) {
  const auto shift = at[D] - lo[D];
  for (auto i = lo[D]; i <= hi[D]; ++i) {
    if constexpr (D == N - 1)
      t[static_cast<std::size_t>(i + shift)] = s[static_cast<std::size_t>(i)];
    else
      CopyBlockImpl<D + 1, N>(s[static_cast<std::size_t>(i)], t[static_cast<std::size_t>(i + shift)], lo, hi, at);
  }
}

template <class A>
std::int32_t CopyBlock(const A& src, const Index<Rank<A>>& lo, const Index<Rank<A>>& hi, const Index<Rank<A>>& at,
                       A& dest) {
  const auto es = ExtentsOf(src);
  const auto ed = ExtentsOf(dest);
  if (IsEmpty(es) || IsEmpty(ed)) return -1;
  if (CheckRange(es, lo, hi) != 0) return -2;
  for (int d = 0; d < Rank<A>; ++d)
    if (at[d] < 0 || at[d] + (hi[d] - lo[d]) >= ed[d]) return -2;
  if (&src == &dest) {
    // Overlapping blocks of one array: copy from a snapshot of the source.
    const A snapshot = src;
    CopyBlockImpl<0, Rank<A>>(snapshot, dest, lo, hi, at);
  } else {
    CopyBlockImpl<0, Rank<A>>(src, dest, lo, hi, at);
  }
  return 0;
}

// A "line" of a 2-D array: a column (cells a[idx][k]) or a row (a[k][idx]).
template <bool Column, class A2>
decltype(auto) LineCell(A2& a, std::int64_t idx, std::int64_t k) {
  if constexpr (Column)
    return a[static_cast<std::size_t>(idx)][static_cast<std::size_t>(k)];
  else
    return a[static_cast<std::size_t>(k)][static_cast<std::size_t>(idx)];
}

// Status of a line request: -1 empty, -2 bad First/Last along the line, -3
// line index outside the array.
template <bool Column>
std::int32_t CheckLine(const Index<2>& ext, std::int64_t idx, std::int64_t first, std::int64_t last) {
  if (IsEmpty(ext)) return -1;
  const std::int64_t along = Column ? ext[1] : ext[0];
  const std::int64_t across = Column ? ext[0] : ext[1];
  if (first < 0 || last < first || last >= along) return -2;
  if (idx < 0 || idx >= across) return -3;
  return 0;
}

template <bool Column, class A2, class V>
std::int32_t LineToVector(const A2& a, std::int64_t idx, std::int64_t first, std::int64_t last, V& v) {
  const std::int32_t st = CheckLine<Column>(ExtentsOf(a), idx, first, last);
  if (st != 0) return st;
  v.resize(static_cast<std::size_t>(last - first + 1));
  for (auto k = first; k <= last; ++k) v[static_cast<std::size_t>(k - first)] = LineCell<Column>(a, idx, k);
  return 0;
}

template <bool Column, class A2, class V>
std::int32_t LineIntoVector(const A2& a, std::int64_t idx, std::int64_t first, std::int64_t last, V& v,
                            std::int64_t at) {
  if (v.empty()) return -1;
  const std::int32_t st = CheckLine<Column>(ExtentsOf(a), idx, first, last);
  if (st != 0) return st;
  if (at < 0) return -4;
  const std::int64_t n = std::min(last - first + 1, static_cast<std::int64_t>(v.size()) - at);
  for (std::int64_t k = 0; k < n; ++k) v[static_cast<std::size_t>(at + k)] = LineCell<Column>(a, idx, first + k);
  return 0;
}

template <bool Column, class V, class A2>
std::int32_t VectorToLine(const V& v, std::int64_t first, std::int64_t last, std::int64_t col, std::int64_t row,
                          A2& a) {
  const auto n = static_cast<std::int64_t>(v.size());
  if (first == 0 && last == 0) last = n - 1;
  if (n == 0 || first < 0 || first >= n || last < first) return -1;
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext) || col < 0 || col >= ext[0] || row < 0 || row >= ext[1]) return -2;
  const std::int64_t room = Column ? ext[1] - row : ext[0] - col;
  const std::int64_t count = std::min(std::min(last, n - 1) - first + 1, room);
  const std::int64_t idx = Column ? col : row;
  const std::int64_t start = Column ? row : col;
  for (std::int64_t k = 0; k < count; ++k) LineCell<Column>(a, idx, start + k) = v[static_cast<std::size_t>(first + k)];
  return 0;
}

template <class B, class N, class T>
std::int32_t BoolToNum(const B& b, T FalseValue, T TrueValue, N& n) {
  return MapInto(b, n, [=](bool x) { return x ? TrueValue : FalseValue; });
}

}  // namespace

#define KVL_CLONE(A, T) \
  std::int32_t CloneArray(const A& a, A& b) { return Clone(a, b); }
KVL_FOR_NUM_ARRAYS_1TO4(KVL_CLONE)
KVL_CLONE(TBoolArray, bool)
KVL_CLONE(TBool2DArray, bool)
KVL_CLONE(TBool3DArray, bool)
KVL_CLONE(TBool4DArray, bool)
#undef KVL_CLONE

#define KVL_CONVERSIONS(X) \
  X(TSingleArray, TDoubleArray) X(TDoubleArray, TSingleArray) X(TIntArray, TDoubleArray) X(TDoubleArray, TIntArray)
#define KVL_CLONE_CONVERTED(A, B) \
  std::int32_t CloneArray(const A& a, B& b) { return CloneConverted(a, b); }
KVL_CONVERSIONS(KVL_CLONE_CONVERTED)
KVL_CLONE_CONVERTED(TSingle2DArray, TDouble2DArray)
KVL_CLONE_CONVERTED(TDouble2DArray, TSingle2DArray)
KVL_CLONE_CONVERTED(TInt2DArray, TDouble2DArray)
KVL_CLONE_CONVERTED(TDouble2DArray, TInt2DArray)
#undef KVL_CLONE_CONVERTED

#define KVL_CLONE_REVERSED(A, B) \
  std::int32_t CloneAndReverseArray(const A& a, B& b) { return CloneReversed(a, b); }
KVL_CLONE_REVERSED(TDoubleArray, TDoubleArray)
KVL_CLONE_REVERSED(TIntArray, TIntArray)
KVL_CLONE_REVERSED(TBoolArray, TBoolArray)
KVL_CONVERSIONS(KVL_CLONE_REVERSED)
#undef KVL_CLONE_REVERSED
#undef KVL_CONVERSIONS

#define KVL_COPY_BLOCKS(T, A1, A2, A3, A4)                                                            \
  std::int32_t CopyArray(const A1& s, KVL_RANGE1, std::int32_t d1, A1& t) {                           \
    return CopyBlock(s, KVL_LO1, KVL_HI1, {d1}, t);                                                   \
  }                                                                                                   \
  std::int32_t CopyArray(const A2& s, KVL_RANGE2, std::int32_t d1, std::int32_t d2, A2& t) {          \
    return CopyBlock(s, KVL_LO2, KVL_HI2, {d1, d2}, t);                                               \
  }                                                                                                   \
  std::int32_t CopyArray(const A3& s, KVL_RANGE3, std::int32_t d1, std::int32_t d2, std::int32_t d3,  \
                         A3& t) {                                                                     \
    return CopyBlock(s, KVL_LO3, KVL_HI3, {d1, d2, d3}, t);                                           \
  }                                                                                                   \
  std::int32_t CopyArray(const A4& s, KVL_RANGE4, std::int32_t d1, std::int32_t d2, std::int32_t d3,  \
                         std::int32_t d4, A4& t) {                                                    \
    return CopyBlock(s, KVL_LO4, KVL_HI4, {d1, d2, d3, d4}, t);                                       \
  }
KVL_FOR_NUM_RANKS(KVL_COPY_BLOCKS)
#undef KVL_COPY_BLOCKS

#define KVL_LINES(A2, V)                                                                                  \
  std::int32_t CopyArrayColumn(const A2& a, std::int32_t Col, std::int32_t First, std::int32_t Last, V& v) { \
    return LineToVector<true>(a, Col, First, Last, v);                                                    \
  }                                                                                                       \
  std::int32_t CopyArrayRow(const A2& a, std::int32_t Row, std::int32_t First, std::int32_t Last, V& v) {    \
    return LineToVector<false>(a, Row, First, Last, v);                                                   \
  }                                                                                                       \
  std::int32_t Copy2DColTo1DArray(const A2& a, std::int32_t Col, std::int32_t First, std::int32_t Last, V& v, \
                                  std::int32_t DestIx) {                                                  \
    return LineIntoVector<true>(a, Col, First, Last, v, DestIx);                                          \
  }                                                                                                       \
  std::int32_t Copy2DRowTo1DArray(const A2& a, std::int32_t Row, std::int32_t First, std::int32_t Last, V& v, \
                                  std::int32_t DestIx) {                                                  \
    return LineIntoVector<false>(a, Row, First, Last, v, DestIx);                                         \
  }
KVL_LINES(TDouble2DArray, TDoubleArray)
KVL_LINES(TInt2DArray, TIntArray)
#undef KVL_LINES

#define KVL_TO_LINES(V, A2)                                                                                \
  std::int32_t CopyToArrayColumn(const V& v, std::int32_t First, std::int32_t Last, std::int32_t Col,       \
                                 std::int32_t Row, A2& a) {                                                \
    return VectorToLine<true>(v, First, Last, Col, Row, a);                                                \
  }                                                                                                        \
  std::int32_t CopyToArrayRow(const V& v, std::int32_t First, std::int32_t Last, std::int32_t Col,          \
                              std::int32_t Row, A2& a) {                                                   \
    return VectorToLine<false>(v, First, Last, Col, Row, a);                                               \
  }                                                                                                        \
  void CopyVectorToArrayColumn(const V&, A2&, std::int32_t) { RaiseDeprecated(); }                         \
  void CopyVectorToArrayRow(const V&, A2&, std::int32_t) { RaiseDeprecated(); }
KVL_TO_LINES(TDoubleArray, TDouble2DArray)
KVL_TO_LINES(TIntArray, TInt2DArray)
KVL_TO_LINES(TBoolArray, TBool2DArray)
#undef KVL_TO_LINES

std::int32_t BoolToNumArray(const TBoolArray& B, double FalseValue, double TrueValue, TDoubleArray& N) {
  return BoolToNum(B, FalseValue, TrueValue, N);
}
std::int32_t BoolToNumArray(const TBool2DArray& B, double FalseValue, double TrueValue, TDouble2DArray& N) {
  return BoolToNum(B, FalseValue, TrueValue, N);
}
std::int32_t BoolToNumArray(const TBoolArray& B, std::int32_t FalseValue, std::int32_t TrueValue, TIntArray& N) {
  return BoolToNum(B, FalseValue, TrueValue, N);
}
std::int32_t BoolToNumArray(const TBool2DArray& B, std::int32_t FalseValue, std::int32_t TrueValue,
                            TInt2DArray& N) {
  return BoolToNum(B, FalseValue, TrueValue, N);
}

#define KVL_EQUAL(A, T) \
  bool EqualArrays(const A& a, const A& b) { return a == b; }
KVL_FOR_INT_ARRAYS_1TO4(KVL_EQUAL)
#undef KVL_EQUAL

}  // namespace kvl
