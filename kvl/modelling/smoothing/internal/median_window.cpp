#include "kvl/modelling/smoothing/internal/median_window.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace kvl::smoothing_internal {

TMedianWindow::TMedianWindow(std::span<const double> Values)
    : FVal(Values.size()), FIsNaN(Values.size()), FPos(Values.size()), FInLow(Values.size()) {
  const std::size_t n = Values.size();
  for (std::size_t s = 0; s < n; ++s) {
    FIsNaN[s] = std::isnan(Values[s]);
    FNaNs += FIsNaN[s] ? 1 : 0;
    FVal[s] = FIsNaN[s] ? std::numeric_limits<double>::infinity() : Values[s];
  }
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::ranges::sort(order, [this](std::uint32_t a, std::uint32_t b) { return FVal[a] < FVal[b]; });
  // Descending is a max-heap, ascending a min-heap.
  const std::size_t low = n / 2 + 1;
  FLow.resize(low);
  FHigh.resize(n - low);
  for (std::size_t k = 0; k < low; ++k) Place(true, k, order[low - 1 - k]);
  for (std::size_t k = low; k < n; ++k) Place(false, k - low, order[k]);
}

bool TMedianWindow::Before(bool Low, std::uint32_t a, std::uint32_t b) const noexcept {
  return Low ? FVal[a] > FVal[b] : FVal[a] < FVal[b];
}

void TMedianWindow::Place(bool Low, std::size_t Pos, std::uint32_t Slot) noexcept {
  (Low ? FLow : FHigh)[Pos] = Slot;
  FPos[Slot] = static_cast<std::uint32_t>(Pos);
  FInLow[Slot] = Low;
}

void TMedianWindow::SiftUp(bool Low, std::size_t Pos) noexcept {
  std::vector<std::uint32_t>& heap = Low ? FLow : FHigh;
  const std::uint32_t slot = heap[Pos];
  while (Pos > 0) {
    const std::size_t parent = (Pos - 1) / 2;
    if (!Before(Low, slot, heap[parent])) break;
    Place(Low, Pos, heap[parent]);
    Pos = parent;
  }
  Place(Low, Pos, slot);
}

void TMedianWindow::SiftDown(bool Low, std::size_t Pos) noexcept {
  std::vector<std::uint32_t>& heap = Low ? FLow : FHigh;
  const std::size_t n = heap.size();
  const std::uint32_t slot = heap[Pos];
  for (;;) {
    std::size_t child = 2 * Pos + 1;
    if (child >= n) break;
    if (child + 1 < n && Before(Low, heap[child + 1], heap[child])) ++child;
    if (!Before(Low, heap[child], slot)) break;
    Place(Low, Pos, heap[child]);
    Pos = child;
  }
  Place(Low, Pos, slot);
}

void TMedianWindow::Replace(std::size_t Slot, double Value) {
  const bool isNaN = std::isnan(Value);
  FNaNs = FNaNs - (FIsNaN[Slot] ? 1 : 0) + (isNaN ? 1 : 0);
  FIsNaN[Slot] = isNaN;
  FVal[Slot] = isNaN ? std::numeric_limits<double>::infinity() : Value;
  const bool low = FInLow[Slot];
  SiftUp(low, FPos[Slot]);
  SiftDown(low, FPos[Slot]);
  // Only the changed value can break the order between the heaps, and then
  // it is the top of its heap: one exchange of the tops restores it.
  if (!FHigh.empty() && FVal[FLow[0]] > FVal[FHigh[0]]) {
    const std::uint32_t a = FLow[0];
    const std::uint32_t b = FHigh[0];
    Place(true, 0, b);
    Place(false, 0, a);
    SiftDown(true, 0);
    SiftDown(false, 0);
  }
}

double TMedianWindow::Median() const noexcept {
  return FNaNs > 0 ? std::numeric_limits<double>::quiet_NaN() : FVal[FLow[0]];
}

}  // namespace kvl::smoothing_internal
