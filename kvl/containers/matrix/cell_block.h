#pragma once
// TCellBlockOf<T>: the cells of a TMatrix (T = double) or of a dense
// TIntMatrix (T = int32_t), one heap block, column after column. Unlike
// std::vector it can change the matrix's shape in place:
// Reshape asks the allocator to grow or shrink the block where it lies
// (large blocks are remapped, not copied), moves every kept cell once and
// zeroes only the cells that are new.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include <sys/mman.h>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl::matrix_internal {

template <class T>
class TCellBlockOf {
  static_assert(std::is_trivially_copyable_v<T>, "cells are moved with memmove");

 public:
  TCellBlockOf() noexcept = default;
  TCellBlockOf(const TCellBlockOf& Other) { CopyFrom(Other); }
  TCellBlockOf(TCellBlockOf&& Other) noexcept { swap(Other); }
  TCellBlockOf& operator=(const TCellBlockOf& Other) {
    if (this != &Other) CopyFrom(Other);
    return *this;
  }
  TCellBlockOf& operator=(TCellBlockOf&& Other) noexcept {
    swap(Other);
    return *this;
  }
  ~TCellBlockOf() { std::free(FData); }

  T* data() noexcept { return FData; }
  const T* data() const noexcept { return FData; }
  std::size_t size() const noexcept { return FSize; }
  bool empty() const noexcept { return FSize == 0; }
  T* begin() noexcept { return FData; }
  T* end() noexcept { return FData + FSize; }
  const T* begin() const noexcept { return FData; }
  const T* end() const noexcept { return FData + FSize; }
  T& operator[](std::size_t i) noexcept { return FData[i]; }
  const T& operator[](std::size_t i) const noexcept { return FData[i]; }
  void swap(TCellBlockOf& Other) noexcept {
    std::swap(FData, Other.FData);
    std::swap(FSize, Other.FSize);
    std::swap(FCapacity, Other.FCapacity);
  }

  /// assign: N cells of Value (throws std::bad_alloc).
  void assign(std::size_t N, T Value) {
    SetSizeUninitialized(N);
    for (std::size_t i = 0; i < N; ++i) FData[i] = Value;
  }

  /// SetSizeUninitialized: N cells whose values are left as they happen to
  /// be (for callers that overwrite every one); throws std::bad_alloc.
  void SetSizeUninitialized(std::size_t N) {
    const bool fresh = FCapacity < N;
    Reserve(N);
    FSize = N;
    ShrinkTo(N);
    if (fresh) AdviseHugePages();
  }

  /// Reshape: from OldCols x OldRows (the current cells) to NewCols x
  /// NewRows; the overlapping block keeps its values, new cells are 0.
  /// Throws std::bad_alloc with the cells unchanged.
  void Reshape(std::size_t OldCols, std::size_t OldRows, std::size_t NewCols, std::size_t NewRows) {
    const std::size_t newSize = NewCols * NewRows;
    const std::size_t keepCols = OldCols < NewCols ? OldCols : NewCols;
    const std::size_t keepRows = OldRows < NewRows ? OldRows : NewRows;
    const bool fresh = FCapacity < newSize;
    Reserve(newSize);  // the only step that can fail
    if (fresh) AdviseHugePages();  // before the zeros below touch the pages
    if (NewRows > OldRows) {
      // Spread from the last column down: a column's target never lies
      // below its source, and the columns after it have already moved.
      for (std::size_t c = keepCols; c-- > 0;) {
        T* dst = FData + c * NewRows;
        if (c > 0) std::memmove(dst, FData + c * OldRows, keepRows * sizeof(T));
        std::memset(dst + keepRows, 0, (NewRows - keepRows) * sizeof(T));
      }
    } else if (NewRows < OldRows) {
      for (std::size_t c = 1; c < keepCols; ++c)
        std::memmove(FData + c * NewRows, FData + c * OldRows, NewRows * sizeof(T));
    }
    if (newSize > keepCols * NewRows)
      std::memset(FData + keepCols * NewRows, 0, (newSize - keepCols * NewRows) * sizeof(T));
    FSize = newSize;
    ShrinkTo(newSize);
  }

 private:
  /// Reserve: room for N cells, keeping the current ones (realloc grows in
  /// place where it can).
  void Reserve(std::size_t N) {
    if (N <= FCapacity) return;
    if (N > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* p = std::realloc(FData, N * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    FData = static_cast<T*>(p);
    FCapacity = N;
  }
  /// AdviseHugePages: asks for transparent huge pages on the whole 2 MiB
  /// pages inside a large block (a hint: page faults and TLB misses drop
  /// by a factor of up to 512; nothing changes where it is not honoured).
  void AdviseHugePages() const noexcept {
    constexpr std::size_t kHuge = std::size_t{1} << 21;
    const std::size_t bytes = FCapacity * sizeof(T);
    if (bytes < 2 * kHuge) return;
    const auto first = (reinterpret_cast<std::uintptr_t>(FData) + kHuge - 1) & ~(kHuge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(FData) + bytes) & ~(kHuge - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
  /// ShrinkTo: gives back the room beyond N cells (kept when the allocator
  /// cannot shrink; N is then the size and the room stays reserved).
  void ShrinkTo(std::size_t N) noexcept {
    if (N >= FCapacity || N == 0) return;
    if (void* p = std::realloc(FData, N * sizeof(T))) {
      FData = static_cast<T*>(p);
      FCapacity = N;
    }
  }
  void CopyFrom(const TCellBlockOf& Other) {
    SetSizeUninitialized(Other.FSize);
    if (Other.FSize > 0) std::memcpy(FData, Other.FData, Other.FSize * sizeof(T));
  }

  T* FData = nullptr;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
};

/// TCellBlock: the cell block of TMatrix.
using TCellBlock = TCellBlockOf<double>;

}  // namespace kvl::matrix_internal

KVL_API_END
