#pragma once
// TSparseList: the sparse store of TIntMatrix, a list of (column, row, value)
// entries sorted by column and within a column by row, with no duplicate pair.
//
// Inserting into the middle of one sorted array moves the later entries, so
// n inserts in random order would cost O(n^2). The list therefore keeps new
// pairs in a balanced tree beside the sorted array and merges the two (one
// linear pass) once the tree holds more than a quarter of the array: every
// entry is moved O(1) times on average and each insert costs O(log n), so n
// random inserts take O(n log n). Every reader that walks the entries in
// order (Entries, Flush) sees one sorted array; lookups search both parts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TSpMatElemInt: one entry of the sparse store, 12 bytes.
struct TSpMatElemInt {
  std::int32_t colidx;
  std::int32_t rowidx;
  std::int32_t value;
  bool operator==(const TSpMatElemInt&) const = default;
};
static_assert(sizeof(TSpMatElemInt) == 12);

}  // namespace kvl

namespace kvl::intmatrix_internal {

/// PairBefore: the order of the list: by column, then by row.
constexpr bool PairBefore(std::int32_t c1, std::int32_t r1, std::int32_t c2, std::int32_t r2) noexcept {
  return c1 < c2 || (c1 == c2 && r1 < r2);
}

class TSparseList {
 public:
  /// Count: the number of stored entries.
  std::size_t Count() const noexcept { return FSorted.size() + FPending.size(); }

  /// Find: the stored value of (c, r) or nullptr. The sorted part is
  /// searched as the library describes: lo, hi over the entries, the entry
  /// at lo compared with the pair at the end.
  const std::int32_t* Find(std::int32_t c, std::int32_t r) const noexcept {
    if (!FSorted.empty()) {
      std::size_t lo = 0, hi = FSorted.size() - 1;
      while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (PairBefore(FSorted[mid].colidx, FSorted[mid].rowidx, c, r))
          lo = mid + 1;
        else
          hi = mid;
      }
      if (FSorted[lo].colidx == c && FSorted[lo].rowidx == r) return &FSorted[lo].value;
    }
    if (FPending.empty()) return nullptr;
    const auto it = FPending.find(Key(c, r));
    return it == FPending.end() ? nullptr : &it->second;
  }

  /// Set: stores Value at (c, r); true when the pair was new.
  bool Set(std::int32_t c, std::int32_t r, std::int32_t Value) {
    if (const std::int32_t* v = Find(c, r)) {
      *const_cast<std::int32_t*>(v) = Value;
      return false;
    }
    // Appending in ascending order needs no tree.
    if (FPending.empty() && (FSorted.empty() || PairBefore(FSorted.back().colidx, FSorted.back().rowidx, c, r))) {
      FSorted.push_back({c, r, Value});
      return true;
    }
    FPending.emplace(Key(c, r), Value);
    if (FPending.size() > std::max<std::size_t>(64, FSorted.size() / 4)) Flush();
    return true;
  }

  /// Flush: merges the pending pairs into the sorted array.
  void Flush() const {
    if (FPending.empty()) return;
    const std::size_t old = FSorted.size();
    FSorted.resize(old + FPending.size());
    // Merge from the back so that no entry is moved twice.
    std::size_t dst = FSorted.size();
    std::size_t src = old;
    auto it = FPending.rbegin();
    while (it != FPending.rend()) {
      const std::int32_t pc = static_cast<std::int32_t>(it->first >> 32);
      const std::int32_t pr = static_cast<std::int32_t>(it->first & 0xFFFFFFFFu);
      if (src > 0 && PairBefore(pc, pr, FSorted[src - 1].colidx, FSorted[src - 1].rowidx)) {
        FSorted[--dst] = FSorted[--src];
      } else {
        FSorted[--dst] = {pc, pr, it->second};
        ++it;
      }
    }
    FPending.clear();
  }

  /// Entries: every entry in order.
  std::span<const TSpMatElemInt> Entries() const {
    Flush();
    return FSorted;
  }
  /// MutableEntries: the entries in order, for changing values in place.
  std::span<TSpMatElemInt> MutableEntries() {
    Flush();
    return FSorted;
  }

  /// Clear: no entries; the memory is given back.
  void Clear() noexcept {
    FPending.clear();
    std::vector<TSpMatElemInt>().swap(FSorted);
  }

  /// Replace: the entries become List (sorted, without duplicates).
  void Replace(std::vector<TSpMatElemInt>&& List) noexcept {
    FPending.clear();
    FSorted = std::move(List);
  }

  /// Reserve: room for N entries in the sorted array.
  void Reserve(std::size_t N) { FSorted.reserve(N); }

  /// Remap: each entry goes through F(entry&) -> keep?; the kept ones are
  /// sorted again (F may move an entry to another pair, never onto another
  /// kept entry's pair).
  template <class F>
  void Remap(F&& Fn) {
    Flush();
    std::erase_if(FSorted, [&](TSpMatElemInt& e) { return !Fn(e); });
    std::sort(FSorted.begin(), FSorted.end(), [](const TSpMatElemInt& a, const TSpMatElemInt& b) {
      return PairBefore(a.colidx, a.rowidx, b.colidx, b.rowidx);
    });
  }

 private:
  static std::uint64_t Key(std::int32_t c, std::int32_t r) noexcept {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(c)) << 32) | static_cast<std::uint32_t>(r);
  }

  // Both parts are mutable: a const reader may merge them (Entries) without
  // changing what the list holds.
  mutable std::vector<TSpMatElemInt> FSorted;
  mutable std::map<std::uint64_t, std::int32_t> FPending;
};

}  // namespace kvl::intmatrix_internal

KVL_API_END
