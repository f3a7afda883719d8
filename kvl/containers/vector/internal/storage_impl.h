#pragma once
// TVectorBase: storage, copying, filling, arithmetic, searching and
// sorting. Member definitions of the template; instantiated once for each
// element type in vector/instances.cpp.

#include <algorithm>
#include <cmath>
#include <new>
#include <type_traits>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/internal/sorted_search.h"
#include "kvl/containers/internal/stat_rules.h"
#include "kvl/containers/range_rule.h"
#include "kvl/containers/vector/internal/vector_internal.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

// --- lifecycle and element access ------------------------------------------------

template <class T, class D>
TVectorBase<T, D>::TVectorBase(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKVLVectorError>(*this, [this] { FVec.assign(1, T(0)); });
}

template <class T, class D>
bool TVectorBase<T, D>::Resize(std::int32_t NE) {
  if (NE == FNElem) return true;
  if (NE < 1) return false;
  GuardAllocation<EKVLVectorError>(
      *this,
      [this, NE] {
        FVec.resize(static_cast<std::size_t>(NE), T(0));
        if (FVec.capacity() / 2 > FVec.size()) FVec.shrink_to_fit();
      },
      "not enough memory");
  FNElem = NE;
  Changed();
  Resized();
  return true;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::MakeValidElemRange(std::int32_t& LowElem, std::int32_t& HighElem) const noexcept {
  return detail::MakeValidRange(LowElem, HighElem, FNElem, detail::TSwapRule::Silent);
}

template <class T, class D>
void TVectorBase<T, D>::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const D*>(Source);
  if (!src) return TComponent::Assign(Source);
  FVec = src->FVec;
  FNElem = src->FNElem;
  FIsEmpty = src->FIsEmpty;
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnSortExchange = src->OnSortExchange;
}

template <class T, class D>
void TVectorBase<T, D>::Clone(const D* VecSource) {
  if (!VecSource) return;
  Resize(VecSource->NrOfElem());
  for (std::int32_t i = 1; i <= FNElem; ++i) SetVal(i, VecSource->GetVal(i));
  Changed();
}

// --- copying -----------------------------------------------------------------------

// Writes Count values ReadElem(0 .. Count - 1) through SetVal from DestElem
// on (positions outside the vector are dropped), then fires OnChange.
template <class T, class D>
template <class Read>
std::int32_t TVectorBase<T, D>::CopyStretch(std::int64_t Count, std::int32_t DestElem, Read&& ReadElem) {
  for (std::int64_t k = 0; k < Count; ++k) {
    const std::int64_t pos = DestElem + k;
    if (pos > FNElem) break;
    if (pos >= 1) SetVal(static_cast<std::int32_t>(pos), ReadElem(k));
  }
  Changed();
  return 0;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::CopyFrom(const D* Src, std::int32_t SrcElemLo, std::int32_t SrcElemHi,
                                         std::int32_t DestElem) {
  if (!Src) return -1;
  if (SrcElemLo == 0 && SrcElemHi == 0) {
    SrcElemLo = 1;
    SrcElemHi = Src->NrOfElem();
  } else {
    if (DestElem < 1 || DestElem > FNElem) return -3;
    if (!vector_internal::InRange(SrcElemLo, 1, Src->NrOfElem()) || !vector_internal::InRange(SrcElemHi, 1, Src->NrOfElem()))
      return -2;
    if (SrcElemLo > SrcElemHi) std::swap(SrcElemLo, SrcElemHi);
  }
  // Reading from a snapshot keeps a copy within one vector correct when the
  // stretches overlap.
  const std::vector<T> snapshot =
      Src == this ? std::vector<T>(FVec.begin() + (SrcElemLo - 1), FVec.begin() + SrcElemHi) : std::vector<T>();
  const T* from = Src == this ? snapshot.data() : Src->FVec.data() + (SrcElemLo - 1);
  return CopyStretch(SrcElemHi - SrcElemLo + 1, DestElem, [from](std::int64_t k) { return from[k]; });
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::CopyFrom(std::span<const T> Src, std::int32_t SrcElemLo, std::int32_t SrcElemHi,
                                         std::int32_t DestElem) {
  if (Src.empty()) return -1;
  const auto last = static_cast<std::int64_t>(Src.size()) - 1;
  if (SrcElemLo == 0 && SrcElemHi == 0) {
    return CopyStretch(last + 1, DestElem, [Src](std::int64_t k) { return Src[static_cast<std::size_t>(k)]; });
  }
  if (DestElem < 1 || DestElem > FNElem) return -3;
  if (!vector_internal::InRange(SrcElemLo, 0, last) || !vector_internal::InRange(SrcElemHi, 0, last)) return -2;
  if (SrcElemLo > SrcElemHi) std::swap(SrcElemLo, SrcElemHi);
  const std::span<const T> part = Src.subspan(static_cast<std::size_t>(SrcElemLo));
  return CopyStretch(SrcElemHi - SrcElemLo + 1, DestElem,
                     [part](std::int64_t k) { return part[static_cast<std::size_t>(k)]; });
}

template <class T, class D>
void TVectorBase<T, D>::CopyFrom2DArrayRow(const std::vector<std::vector<T>>& SrcArray, std::int32_t Row,
                                           std::int32_t FirstCol, std::int32_t LastCol, std::int32_t DestElem) {
  if (SrcArray.empty() || SrcArray[0].empty()) return;
  const auto row = static_cast<std::size_t>(vector_internal::ClampIndex(Row, SrcArray[0].size()));
  auto first = vector_internal::ClampIndex(FirstCol, SrcArray.size());
  auto last = vector_internal::ClampIndex(LastCol, SrcArray.size());
  if (first > last) std::swap(first, last);
  CopyStretch(last - first + 1, DestElem, [&](std::int64_t k) {
    const auto& column = SrcArray[static_cast<std::size_t>(first + k)];
    return row < column.size() ? column[row] : T(0);  // a short (ragged) column reads as 0
  });
}

template <class T, class D>
void TVectorBase<T, D>::CopyFrom2DArrayColumn(const std::vector<std::vector<T>>& SrcArray, std::int32_t Col,
                                              std::int32_t FirstRow, std::int32_t LastRow, std::int32_t DestElem) {
  if (SrcArray.empty() || SrcArray[0].empty()) return;
  const auto& column = SrcArray[static_cast<std::size_t>(vector_internal::ClampIndex(Col, SrcArray.size()))];
  auto first = vector_internal::ClampIndex(FirstRow, SrcArray[0].size());
  auto last = vector_internal::ClampIndex(LastRow, SrcArray[0].size());
  if (first > last) std::swap(first, last);
  CopyStretch(last - first + 1, DestElem, [&](std::int64_t k) {
    const auto r = static_cast<std::size_t>(first + k);
    return r < column.size() ? column[r] : T(0);
  });
}

template <class T, class D>
void TVectorBase<T, D>::CopyToArray(std::vector<T>& DestArray, std::int32_t LowElem, std::int32_t HighElem,
                                    std::int32_t DestElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const auto dest = static_cast<std::size_t>(std::max(DestElem, 0));
  DestArray.resize(static_cast<std::size_t>(HighElem - LowElem + 1) + dest);
  std::copy(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem, DestArray.begin() + static_cast<std::ptrdiff_t>(dest));
}

template <class T, class D>
void TVectorBase<T, D>::CopyToArray(std::vector<std::vector<T>>& DestArray, std::int32_t LowElem,
                                    std::int32_t HighElem, std::int32_t DestCol, std::int32_t DestRow,
                                    bool AsColumn) const {
  if (DestArray.empty() || DestArray[0].empty()) return;
  MakeValidElemRange(LowElem, HighElem);
  auto col = static_cast<std::size_t>(vector_internal::ClampIndex(DestCol, DestArray.size()));
  auto row = static_cast<std::size_t>(vector_internal::ClampIndex(DestRow, DestArray[0].size()));
  for (std::int32_t k = LowElem; k <= HighElem && col < DestArray.size(); ++k) {
    auto& column = DestArray[col];
    if (row < column.size()) column[row] = FVec[static_cast<std::size_t>(k - 1)];
    if (AsColumn) {
      if (++row >= DestArray[0].size()) break;
    } else {
      ++col;
    }
  }
}

// --- filling ------------------------------------------------------------------------

template <class T, class D>
void TVectorBase<T, D>::Fill(T Value) {
  std::ranges::fill(FVec, Value);
  FIsEmpty = false;
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::FillSerial(T Offset, T Diff) {
  T value = Offset;
  for (T& x : FVec) {
    x = value;
    value = vector_internal::Plus(value, Diff);
  }
  FIsEmpty = false;
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Clear() {
  std::ranges::fill(FVec, T(0));
  FIsEmpty = true;
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::AbsVal() {
  for (T& x : FVec) x = vector_internal::Abs(x);
  Changed();
}

// --- arithmetic and geometry ------------------------------------------------------

template <class T, class D>
template <bool Subtracting>
void TVectorBase<T, D>::AddOrSubtract(const D* OtherVec) {
  if (!OtherVec) return;
  if (OtherVec->FNElem != FNElem) RaiseComponent<EKVLVectorError>(*this, "vectors have different dimensions");
  const T* other = OtherVec->FVec.data();
  for (std::size_t i = 0; i < FVec.size(); ++i)
    FVec[i] = Subtracting ? vector_internal::Minus(FVec[i], other[i]) : vector_internal::Plus(FVec[i], other[i]);
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Add(const D* OtherVec) {
  AddOrSubtract<false>(OtherVec);
}

template <class T, class D>
void TVectorBase<T, D>::Subtract(const D* OtherVec) {
  AddOrSubtract<true>(OtherVec);
}

template <class T, class D>
void TVectorBase<T, D>::SMult(T Scalar) {
  for (T& x : FVec) x = vector_internal::Times(x, Scalar);
  Changed();
}

template <class T, class D>
T TVectorBase<T, D>::DotProduct(const D* OtherVec) const {
  if (!OtherVec) return T(0);
  if (OtherVec->FNElem != FNElem) RaiseComponent<EKVLVectorError>(*this, "vectors have different dimensions");
  typename vector_internal::SumType<T>::type sum = 0;
  for (std::size_t i = 0; i < FVec.size(); ++i) sum += vector_internal::Wide(FVec[i]) * OtherVec->FVec[i];
  return vector_internal::Narrow<T>(sum);
}

template <class T, class D>
double TVectorBase<T, D>::EuclideanDistance(const D* OtherVec) const {
  if (!OtherVec) return 0.0;
  if (OtherVec->FNElem != FNElem) RaiseFunc<EKVLVectorError>("EuclideanDistance", "dimensions of vectors do not match");
  long double sum = 0.0L;
  for (std::size_t i = 0; i < FVec.size(); ++i) {
    const long double d = static_cast<long double>(FVec[i]) - OtherVec->FVec[i];
    sum += d * d;
  }
  return static_cast<double>(std::sqrt(sum));
}

template <class T, class D>
double TVectorBase<T, D>::Correlate(const D* OtherVec, std::int32_t ElemShift) const {
  if (!OtherVec) return 0.0;
  const std::int64_t lo = std::max<std::int64_t>(1, std::int64_t{ElemShift} + 1);
  const std::int64_t hi = std::min<std::int64_t>(FNElem, std::int64_t{OtherVec->FNElem} + ElemShift);
  if (lo >= hi) return 0.0;
  long double sum = 0.0L;
  for (std::int64_t i = lo; i <= hi; ++i)
    sum += static_cast<long double>(FVec[static_cast<std::size_t>(i - 1)]) *
           OtherVec->FVec[static_cast<std::size_t>(i - ElemShift - 1)];
  return static_cast<double>(sum);
}

template <class T, class D>
double TVectorBase<T, D>::PearsonCorrCoeff(const D* OtherVec) const {
  if (!OtherVec || OtherVec->FNElem != FNElem || FNElem < 2) return 0.0;
  return containers_internal::PearsonOf<T>(FVec, OtherVec->FVec);
}

template <class T, class D>
double TVectorBase<T, D>::CalcVecLeng() const noexcept {
  long double sum = 0.0L;
  for (const T x : FVec) sum += static_cast<long double>(x) * x;
  return static_cast<double>(std::sqrt(sum));
}

template <class T, class D>
bool TVectorBase<T, D>::IsDichotomous(T& v1, T& v2) const {
  v1 = v2 = T(0);
  if (FNElem < 2) return false;
  v1 = FVec[0];
  std::size_t i = 1;
  while (i < FVec.size() && FVec[i] == v1) ++i;
  v2 = i < FVec.size() ? FVec[i] : v1;
  for (; i < FVec.size(); ++i)
    if (FVec[i] != v1 && FVec[i] != v2) return false;
  return true;
}

// --- searching ---------------------------------------------------------------------

template <class T, class D>
std::int32_t TVectorBase<T, D>::Find(std::int32_t LowElem, std::int32_t HighElem, T Value) const {
  MakeValidElemRange(LowElem, HighElem);
  long double best = uc_MaxDouble;
  std::int32_t result = 0;
  for (std::int32_t i = LowElem; i <= HighElem; ++i) {
    const long double dist = std::fabs(static_cast<long double>(FVec[static_cast<std::size_t>(i - 1)]) - Value);
    if (dist < best) {
      best = dist;
      result = i;
    }
  }
  return result;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::FindExact(std::int32_t LowElem, std::int32_t HighElem, T Value) const {
  MakeValidElemRange(LowElem, HighElem);
  for (std::int32_t i = LowElem; i <= HighElem; ++i)
    if (FVec[static_cast<std::size_t>(i - 1)] == Value) return i;
  return 0;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::FindInSortedVector(bool Ascending, T Value) const {
  return containers_internal::FindInSorted(std::span<const T>(FVec.data(), static_cast<std::size_t>(FNElem)), Ascending,
                                           static_cast<double>(Value));
}

// --- sorting and reordering ------------------------------------------------------

template <class T, class D>
void TVectorBase<T, D>::SortElems(bool Ascending, std::int32_t RangeFirst, std::int32_t RangeLast) {
  MakeValidElemRange(RangeFirst, RangeLast);
  if (RangeLast - RangeFirst < 1) return;
  const std::span<T> range(FVec.data() + (RangeFirst - 1), static_cast<std::size_t>(RangeLast - RangeFirst + 1));
  // The exchange handler receives 1-based element indices.
  T* d = range.data();
  detail::CombSortBy(
      range.size(), range.size() - 1,
      [d, Ascending](std::size_t i, std::size_t j) { return Ascending ? d[j] < d[i] : d[i] < d[j]; },
      [this, d, RangeFirst](std::size_t i, std::size_t j) {
        std::swap(d[i], d[j]);
        if (OnSortExchange)
          OnSortExchange(this, 0, RangeFirst + static_cast<std::int32_t>(i),
                         RangeFirst + static_cast<std::int32_t>(j), 0, 0);
      });
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Mirror() {
  std::ranges::reverse(FVec);
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::ShuffleElems() {
  Randomize();
  for (std::int32_t k = 0; k < FNElem; ++k) {
    const auto i = static_cast<std::size_t>(Random(FNElem));
    const auto j = static_cast<std::size_t>(Random(FNElem));
    std::swap(FVec[i], FVec[j]);
  }
}

}  // namespace kvl
