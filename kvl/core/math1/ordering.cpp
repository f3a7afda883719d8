#include "kvl/core/math1/ordering.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

namespace kvl {

namespace {

// --- typed cores, written once for every element type ------------------------

// The comb sort of SortArray: the gap starts at the element count, and
// every pass reports progress.
template <bool Ascending, class T>
void CombSort(std::span<T> Data) {
  T* d = Data.data();
  detail::CombSortBy(
      Data.size(), Data.size(),
      [d](std::size_t i, std::size_t j) { return Ascending ? d[j] < d[i] : d[i] < d[j]; },
      [d](std::size_t i, std::size_t j) { std::swap(d[i], d[j]); }, [] { ReportMathProgress(); });
}

template <class T>
void SortTyped(std::span<T> Data, bool Ascending) {
  if (Ascending)
    CombSort<true>(Data);
  else
    CombSort<false>(Data);
}

template <class T>
void InsertTyped(std::span<T> Data, T Value, std::size_t Position) {
  std::move_backward(Data.begin() + static_cast<std::ptrdiff_t>(Position), Data.end() - 1, Data.end());
  Data[Position] = Value;
}

template <class T>
std::int32_t SortIntoTyped(std::span<T> Data, T Value, bool Ascending, bool AllowEqual) {
  const std::size_t n = Data.size();
  std::size_t pos = 0;
  if (Ascending)
    while (pos < n && Data[pos] < Value) ++pos;
  else
    while (pos < n && Value < Data[pos]) ++pos;
  if (pos == n) return -1;
  if (!AllowEqual && Data[pos] == Value) return -1;
  InsertTyped(Data, Value, pos);
  return static_cast<std::int32_t>(pos);
}

template <class T>
void InsertAt(std::span<T> Data, T Value, std::int32_t Position) {
  if (Position < 0 || static_cast<std::size_t>(Position) >= Data.size()) return;
  InsertTyped(Data, Value, static_cast<std::size_t>(Position));
}

// --- untyped members: element kind dispatch ------------------------------------

// Calls F with the std::type_identity of the element type Kind names;
// false for an unknown kind.
template <class Fn>
bool VisitVarKind(TVarKind Kind, Fn&& F) {
  switch (Kind) {
    case TVarKind::vkByte:
      F(std::type_identity<std::uint8_t>{});
      return true;
    case TVarKind::vkShortInt:
      F(std::type_identity<std::int8_t>{});
      return true;
    case TVarKind::vkWord:
      F(std::type_identity<std::uint16_t>{});
      return true;
    case TVarKind::vkSmallInt:
      F(std::type_identity<std::int16_t>{});
      return true;
    case TVarKind::vkCardinal:
      F(std::type_identity<std::uint32_t>{});
      return true;
    case TVarKind::vkInteger:
      F(std::type_identity<std::int32_t>{});
      return true;
    case TVarKind::vkInt64:
      F(std::type_identity<std::int64_t>{});
      return true;
    case TVarKind::vkSingle:
      F(std::type_identity<float>{});
      return true;
    case TVarKind::vkDouble:
      F(std::type_identity<double>{});
      return true;
    case TVarKind::vkExtended:
      F(std::type_identity<long double>{});
      return true;
  }
  return false;
}

// Runs Fn on the bytes viewed as a span of T. Aligned blocks are used in
// place; a misaligned block is worked on in a copy that is written back.
template <class T, class Fn>
void WithElements(std::span<std::byte> Bytes, Fn&& F) {
  const std::size_t n = Bytes.size() / sizeof(T);
  if (reinterpret_cast<std::uintptr_t>(Bytes.data()) % alignof(T) == 0) {
    F(std::span<T>(reinterpret_cast<T*>(Bytes.data()), n));
    return;
  }
  std::vector<T> copy(n);
  std::memcpy(copy.data(), Bytes.data(), n * sizeof(T));
  F(std::span<T>(copy));
  std::memcpy(Bytes.data(), copy.data(), n * sizeof(T));
}

template <class T>
T LoadValue(const void* Value) {
  T v;
  std::memcpy(&v, Value, sizeof(T));
  return v;
}

}  // namespace

// --- selection ------------------------------------------------------------------

double detail::SelectRank(std::span<double> Data, std::int32_t K) {
  if (std::ranges::any_of(Data, [](double x) { return std::isnan(x); }))
    return QuickSelect(Data, K, 0, static_cast<std::int32_t>(Data.size()) - 1);
  const auto at = Data.begin() + K;
  SelectNth(Data.begin(), at, Data.end());
  return *at;
}

double QuickSelect(std::span<double> Data, std::int32_t K, std::int32_t Lo, std::int32_t Hi) {
  if (Hi < Lo) return 0.0;
  if (Lo < 0 || static_cast<std::size_t>(Hi) >= Data.size() || K < Lo || K > Hi) return 0.0;
  const double first = Data[Lo];
  if (std::all_of(Data.begin() + Lo + 1, Data.begin() + Hi + 1, [first](double v) { return v == first; }))
    return first;
  for (;;) {
    std::swap(Data[Lo + (Hi - Lo) / 2], Data[Lo]);
    const double pivot = Data[Lo];
    std::int32_t last = Lo;
    for (std::int32_t i = Lo + 1; i <= Hi; ++i)
      if (Data[i] < pivot) std::swap(Data[++last], Data[i]);
    std::swap(Data[Lo], Data[last]);
    // Keeping the pivot in the lower part still shrinks the range: a pivot
    // that ends at Hi is the range's maximum, so the next pivot ends below.
    if (last > K)
      Hi = last;
    else if (last < K)
      Lo = last + 1;
    else
      return Data[K];
  }
}

double QuickSelect(std::span<const double> Data, std::int32_t K, std::int32_t Lo, std::int32_t Hi,
                   double Exclude) {
  if (Hi < Lo) return 0.0;
  if (Lo < 0 || static_cast<std::size_t>(Hi) >= Data.size() || K < Lo || K > Hi) return 0.0;
  std::vector<double> work;
  work.reserve(static_cast<std::size_t>(Hi - Lo) + 1);
  std::int32_t smaller = 0;
  for (std::int32_t i = Lo; i <= Hi; ++i) {
    const double v = Data[i];
    if (v == Exclude) continue;
    if (v < Exclude) ++smaller;
    work.push_back(v);
  }
  const auto excluded = static_cast<std::int32_t>(static_cast<std::size_t>(Hi - Lo) + 1 - work.size());
  std::int32_t k = K - Lo;
  if (k >= smaller && k < smaller + excluded) return Exclude;
  if (k >= smaller) k -= excluded;
  return QuickSelect(work, k, 0, static_cast<std::int32_t>(work.size()) - 1);
}

// --- sorting ----------------------------------------------------------------------

bool SortSwap(double& A, double& B, bool Ascending) noexcept {
  if (Ascending ? B > A : A > B) return false;
  std::swap(A, B);
  return true;
}

void SortArray(std::span<double> Data, bool Ascending) { SortTyped(Data, Ascending); }
void SortArray(std::span<float> Data, bool Ascending) { SortTyped(Data, Ascending); }
void SortArray(std::span<std::int32_t> Data, bool Ascending) { SortTyped(Data, Ascending); }

void SortArray(std::span<std::byte> Data, TVarKind ElemKind, bool Ascending) {
  VisitVarKind(ElemKind, [&](auto tag) {
    using T = typename decltype(tag)::type;
    WithElements<T>(Data, [&](std::span<T> elems) { SortTyped(elems, Ascending); });
  });
}

std::int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowEqual) {
  return SortIntoTyped(Data, Value, Ascending, AllowEqual);
}
std::int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowEqual) {
  return SortIntoTyped(Data, Value, Ascending, AllowEqual);
}
std::int32_t SortIntoArray(std::span<std::int32_t> Data, std::int32_t Value, bool Ascending,
                           bool AllowEqual) {
  return SortIntoTyped(Data, Value, Ascending, AllowEqual);
}

std::int32_t SortIntoArray(std::span<std::byte> Data, TVarKind ElemKind, const void* Value, bool Ascending,
                           bool AllowEqual) {
  std::int32_t pos = -1;
  if (Value == nullptr) return pos;
  VisitVarKind(ElemKind, [&](auto tag) {
    using T = typename decltype(tag)::type;
    const T v = LoadValue<T>(Value);
    WithElements<T>(Data, [&](std::span<T> elems) { pos = SortIntoTyped(elems, v, Ascending, AllowEqual); });
  });
  return pos;
}

void InsertIntoArray(std::span<double> Data, double Value, std::int32_t Position) {
  InsertAt(Data, Value, Position);
}
void InsertIntoArray(std::span<float> Data, float Value, std::int32_t Position) {
  InsertAt(Data, Value, Position);
}
void InsertIntoArray(std::span<std::int32_t> Data, std::int32_t Value, std::int32_t Position) {
  InsertAt(Data, Value, Position);
}

void InsertIntoArray(std::span<std::byte> Data, TVarKind ElemKind, const void* Value, std::int32_t Position) {
  if (Value == nullptr) return;
  VisitVarKind(ElemKind, [&](auto tag) {
    using T = typename decltype(tag)::type;
    const T v = LoadValue<T>(Value);
    WithElements<T>(Data, [&](std::span<T> elems) { InsertAt(elems, v, Position); });
  });
}

// --- swapping ---------------------------------------------------------------------

void ExChange(void* A, void* B, std::size_t Size) noexcept {
  if (A == nullptr || B == nullptr || A == B) return;
  auto* a = static_cast<unsigned char*>(A);
  auto* b = static_cast<unsigned char*>(B);
  unsigned char buf[256];
  while (Size > 0) {
    const std::size_t chunk = std::min(Size, sizeof buf);
    std::memcpy(buf, a, chunk);
    std::memmove(a, b, chunk);
    std::memcpy(b, buf, chunk);
    a += chunk;
    b += chunk;
    Size -= chunk;
  }
}

}  // namespace kvl
