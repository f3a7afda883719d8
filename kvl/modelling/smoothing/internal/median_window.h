#pragma once
// The median of a sliding window of odd length in O(log w) per step.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kvl::smoothing_internal {

/// TMedianWindow: the values of a window of odd length L = 2h + 1 in two
/// heaps: the h + 1 smallest in a max-heap, the h largest in a min-heap,
/// so the top of the first is the median. Each value sits in slot
/// (its position mod L); Replace puts a new value in the slot of the one
/// that leaves, in O(log L). A NaN makes the median NaN while it is in the
/// window.
class TMedianWindow {
 public:
  /// Starts with the window Values (odd length, at least 1).
  explicit TMedianWindow(std::span<const double> Values);

  /// Replace: the value in Slot (0..L-1) leaves and Value takes its place.
  void Replace(std::size_t Slot, double Value);
  /// Median: the middle value of the window (NaN while it holds a NaN).
  double Median() const noexcept;

 private:
  void SiftUp(bool Low, std::size_t Pos) noexcept;
  void SiftDown(bool Low, std::size_t Pos) noexcept;
  bool Before(bool Low, std::uint32_t a, std::uint32_t b) const noexcept;  // a belongs above b
  void Place(bool Low, std::size_t Pos, std::uint32_t Slot) noexcept;

  std::vector<double> FVal;          // per slot (a NaN is kept as +infinity and counted)
  std::vector<bool> FIsNaN;          // per slot
  std::vector<std::uint32_t> FLow;   // max-heap of slots, h + 1 of them
  std::vector<std::uint32_t> FHigh;  // min-heap of slots, h of them
  std::vector<std::uint32_t> FPos;   // per slot: its index in its heap
  std::vector<bool> FInLow;          // per slot: which heap holds it
  std::size_t FNaNs = 0;
};

}  // namespace kvl::smoothing_internal
