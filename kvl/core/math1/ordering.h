#pragma once
// Selection, sorting, sorted insertion and swapping of plain values and
// arrays.
//
// The typed members take std::span over the caller's elements. The untyped
// members take the elements as bytes together with a TVarKind code that
// names their type; the elements are the host's native values (vkExtended is
// a long double of sizeof(long double) bytes), so a host passes, for
// example, std::as_writable_bytes(std::span(v)) for a std::vector<int16_t>
// with vkSmallInt. The element count is the byte length divided by the
// element size; trailing bytes that do not fill an element are left alone.
// The byte blocks need no particular alignment.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- selection ----------------------------------------------------------------

/// QuickSelect: the value that would stand at index K if Data[Lo..Hi] were
/// sorted ascending; Data[Lo..Hi] is reordered in place (partitioning around
/// the middle element). Returns 0 when Hi < Lo, and 0 without touching
/// Data when Lo or Hi lie outside Data or K outside Lo..Hi. When all values
/// of the range are equal, that value is returned and nothing moves.
double QuickSelect(std::span<double> Data, std::int32_t K, std::int32_t Lo, std::int32_t Hi);

/// QuickSelect (Exclude): as above on Data[Lo..Hi] with every element equal
/// to Exclude set aside: the others are selected in a work array (Data is
/// not changed), and Exclude itself is returned when K falls among the
/// positions the excluded values take in sorted order.
double QuickSelect(std::span<const double> Data, std::int32_t K, std::int32_t Lo, std::int32_t Hi,
                   double Exclude);

namespace detail {

template <class It, class Less>
void SelectNthIn(It A, std::ptrdiff_t Left, std::ptrdiff_t Right, std::ptrdiff_t K, Less& Before,
                 int Budget) {
  while (Right > Left) {
    if (Budget-- <= 0) {  // far more rounds than any ordinary input needs: the guaranteed bound
      std::nth_element(A + Left, A + K, A + Right + 1, Before);
      return;
    }
    if (Right - Left > 600) {
      // Floyd and Rivest: first select K within a sample-sized stretch around
      // where it will land, so that the partition below splits close to K.
      const double n = static_cast<double>(Right - Left + 1), i = static_cast<double>(K - Left + 1);
      const double z = std::log(n), s = 0.5 * std::exp(2 * z / 3);
      const double sd = 0.5 * std::sqrt(z * s * (n - s) / n) * (i < n / 2 ? -1 : 1);
      const auto lo = std::max(Left, static_cast<std::ptrdiff_t>(static_cast<double>(K) - i * s / n + sd));
      const auto hi =
          std::min(Right, static_cast<std::ptrdiff_t>(static_cast<double>(K) + (n - i) * s / n + sd));
      SelectNthIn(A, lo, hi, K, Before, Budget);
    }
    const auto pivot = A[K];
    std::ptrdiff_t i = Left, j = Right;
    std::iter_swap(A + Left, A + K);
    if (Before(pivot, A[Right])) std::iter_swap(A + Right, A + Left);
    while (i < j) {
      std::iter_swap(A + i, A + j);
      ++i;
      --j;
      while (Before(A[i], pivot)) ++i;
      while (Before(pivot, A[j])) --j;
    }
    if (!Before(A[Left], pivot) && !Before(pivot, A[Left])) {
      std::iter_swap(A + Left, A + j);
    } else {
      ++j;
      std::iter_swap(A + j, A + Right);
    }
    if (j <= K) Left = j + 1;
    if (K <= j) Right = j - 1;
  }
}

/// SelectNth: what std::nth_element(First, Nth, Last, Before) does (Nth
/// holds the value a sort would put there, nothing before it is larger,
/// nothing after it smaller), by the Floyd-Rivest selection, which touches
/// far fewer elements on large ranges; after an unusual number of rounds it
/// hands over to std::nth_element, so the worst case stays O(n log n).
template <class It, class Less = std::less<>>
void SelectNth(It First, It Nth, It Last, Less Before = {}) {
  if (Last - First < 2) return;
  int budget = 16;
  for (auto n = Last - First; n > 1; n >>= 1) budget += 2;
  SelectNthIn(First, 0, Last - First - 1, Nth - First, Before, budget);
}

template <class It, class Less>
void SelectPositionsIn(It Base, It First, It Last, const std::size_t* PosFirst, const std::size_t* PosLast,
                       Less& Before) {
  while (PosFirst != PosLast) {
    const It at = Base + static_cast<std::ptrdiff_t>(*PosFirst);
    const It top = Base + static_cast<std::ptrdiff_t>(PosLast[-1]);
    if (at < First) {  // a repeated position, already in place
      ++PosFirst;
    } else if (top >= Last) {
      --PosLast;
    } else if (at == First) {  // the smallest value of the rest: one pass, no selection
      std::iter_swap(First, std::min_element(First, Last, Before));
      ++First;
      ++PosFirst;
    } else if (top == Last - 1) {  // the largest value of the rest
      std::iter_swap(Last - 1, std::max_element(First, Last, Before));
      --Last;
      --PosLast;
    } else {
      const std::size_t* mid = PosFirst + (PosLast - PosFirst) / 2;
      const It m = Base + static_cast<std::ptrdiff_t>(*mid);
      SelectNth(First, m, Last, Before);
      SelectPositionsIn(Base, First, m, PosFirst, std::lower_bound(PosFirst, mid, *mid), Before);
      First = m + 1;
      PosFirst = mid + 1;
    }
  }
}

/// SelectPositions: reorders Data so that each of the Positions (ascending,
/// repeats allowed, each below Data.size()) holds the value a sort of Data by
/// Before would put there: one copy of the data serves several order
/// statistics at the cost of a few selections instead of a sort. Before must
/// be a strict weak order on the values (std::less only for data without
/// NaNs), as for std::nth_element.
template <class T, class Less = std::less<>>
void SelectPositions(std::span<T> Data, std::span<const std::size_t> Positions, Less Before = {}) {
  SelectPositionsIn(Data.begin(), Data.begin(), Data.end(), Positions.data(),
                    Positions.data() + Positions.size(), Before);
}

/// SelectRank: the value QuickSelect(Data, K, 0, size - 1) returns (Data
/// reordered, K inside Data): found by SelectNth, which gives the same order
/// statistic faster, unless Data holds NaNs, where QuickSelect's own
/// partitioning decides and so runs.
double SelectRank(std::span<double> Data, std::int32_t K);

}  // namespace detail

// --- sorting ------------------------------------------------------------------

/// SortSwap: exchanges A and B unless they already stand strictly in the
/// requested order (B > A for ascending, A > B for descending); returns true
/// when it exchanged them, so equal values are exchanged in both directions.
bool SortSwap(double& A, double& B, bool Ascending) noexcept;

namespace detail {

/// CombNextGap: the next gap of the library's comb sorts: Gap / 1.3 in
/// extended precision, truncated, at least 1.
constexpr std::size_t CombNextGap(std::size_t Gap) noexcept {
  return std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<long double>(Gap) / 1.3L));
}

/// CombSortBy: the comb sort every sort of the library runs, over the
/// positions 0..Count-1. The gap starts at StartGap and shrinks by
/// CombNextGap before each pass; a pass visits the pairs (i, i + gap) in
/// order and calls Exchange(i, i + gap) for each pair where OutOfOrder(i, i
/// + gap) is true; AfterPass() follows every pass. Sorting ends after a
/// gap-1 pass without exchange (so fewer than two positions still make one
/// pass). The callbacks decide what a position is (an
/// element, a row, a column) and what an exchange moves.
template <class OutOfOrderFn, class ExchangeFn, class AfterPassFn>
void CombSortBy(std::size_t Count, std::size_t StartGap, OutOfOrderFn&& OutOfOrder, ExchangeFn&& Exchange,
                AfterPassFn&& AfterPass) {
  std::size_t gap = StartGap;
  bool exchanged = false;
  do {
    gap = CombNextGap(gap);
    exchanged = false;
    for (std::size_t i = 0; i + gap < Count; ++i) {
      if (OutOfOrder(i, i + gap)) {
        Exchange(i, i + gap);
        exchanged = true;
      }
    }
    AfterPass();
  } while (gap > 1 || exchanged);
}

/// CombSortBy: the same without anything to do after a pass.
template <class OutOfOrderFn, class ExchangeFn>
void CombSortBy(std::size_t Count, std::size_t StartGap, OutOfOrderFn&& OutOfOrder, ExchangeFn&& Exchange) {
  CombSortBy(Count, StartGap, OutOfOrder, Exchange, [] {});
}

}  // namespace detail

/// SortArray: in-place comb sort of Data (gap shrinking by 1.3 from the
/// element count down to 1). After each pass ProcStat grows by 1 and
/// MathFeedBackProc is called with it when assigned.
void SortArray(std::span<double> Data, bool Ascending);
/// SortArray: the same for Single elements.
void SortArray(std::span<float> Data, bool Ascending);
/// SortArray: the same for Integer elements.
void SortArray(std::span<std::int32_t> Data, bool Ascending);
/// SortArray (untyped): the same for elements of the type ElemKind names,
/// given as bytes (see the top of this header). An unknown ElemKind leaves
/// Data alone.
void SortArray(std::span<std::byte> Data, TVarKind ElemKind, bool Ascending);

/// SortIntoArray: puts Value into Data, which is sorted in the given
/// direction and keeps its length. Finds the first element not on the near
/// side of Value (ascending: the first element >= Value, descending: the
/// first <= Value), shifts it and the following elements one place towards
/// the end (the last one drops out) and stores Value there. Returns that
/// position, or -1 (Data unchanged) when Value lies beyond the last element,
/// when Data is empty, or when the element found equals Value and AllowEqual
/// is false.
std::int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowEqual);
/// SortIntoArray: the same for Single elements.
std::int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowEqual);
/// SortIntoArray: the same for Integer elements.
std::int32_t SortIntoArray(std::span<std::int32_t> Data, std::int32_t Value, bool Ascending, bool AllowEqual);
/// SortIntoArray (untyped): the same for elements of the type ElemKind
/// names, given as bytes (see the top of this header); Value points to one
/// element of that same type and is compared by value. Returns -1 without
/// change for an unknown ElemKind or a null Value.
std::int32_t SortIntoArray(std::span<std::byte> Data, TVarKind ElemKind, const void* Value, bool Ascending,
                           bool AllowEqual);

/// InsertIntoArray: shifts Data[Position..] one place towards the end (the
/// last element drops out) and stores Value at Position. A Position outside
/// Data changes nothing.
void InsertIntoArray(std::span<double> Data, double Value, std::int32_t Position);
/// InsertIntoArray: the same for Single elements.
void InsertIntoArray(std::span<float> Data, float Value, std::int32_t Position);
/// InsertIntoArray: the same for Integer elements.
void InsertIntoArray(std::span<std::int32_t> Data, std::int32_t Value, std::int32_t Position);
/// InsertIntoArray (untyped): the same for elements of the type ElemKind
/// names, given as bytes; Value points to one element of that type. An
/// unknown ElemKind or a null Value changes nothing.
void InsertIntoArray(std::span<std::byte> Data, TVarKind ElemKind, const void* Value, std::int32_t Position);

// --- swapping -------------------------------------------------------------------

/// TExChangeable: the value types ExChange swaps (Integer, Byte, Single,
/// Double, Extended, string, Boolean, WideChar, Word, ShortInt, Cardinal,
/// Int64).
template <class T>
concept TExChangeable =
    std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::uint8_t> || std::is_same_v<T, float> ||
    std::is_same_v<T, double> || std::is_same_v<T, long double> || std::is_same_v<T, std::string> ||
    std::is_same_v<T, bool> || std::is_same_v<T, char16_t> || std::is_same_v<T, std::uint16_t> ||
    std::is_same_v<T, std::int8_t> || std::is_same_v<T, std::uint32_t> || std::is_same_v<T, std::int64_t>;

/// ExChange: swaps A and B.
template <TExChangeable T>
constexpr void ExChange(T& A, T& B) noexcept {
  std::swap(A, B);
}

/// ExChange (memory blocks): swaps the Size bytes at A with the Size bytes
/// at B. Null pointers or Size 0 change nothing.
void ExChange(void* A, void* B, std::size_t Size) noexcept;

}  // namespace kvl

KVL_API_END
