// Scan-line flood fill of Integer and Double rasters with an explicit stack.
//
// The fill is the recursive scan-line fill: fill the run through a cell along
// x, then, for each x of the run, start the run above (y - 1) and then the
// run below (y + 1) when that cell still belongs to the region. A frame of
// the stack is one run and how far its loop over x has come, so the cells
// are visited in the recursive order while the memory grows with the number
// of pending runs on the heap instead of the call stack. The last call of a
// run (below its last x) replaces the run's frame, as a tail call would, so
// a region walked downwards keeps the stack short.

#include <algorithm>
#include <cmath>
#include <vector>

#include "kvl/arrays/array_images.h"
#include "kvl/arrays/images/internal/raster_checks.h"

namespace kvl {

namespace {

struct TRunFrame {
  std::int32_t Lo, Hi, Y;
  std::int32_t X;  // the column of the run whose neighbours come next
  bool AboveDone;  // the neighbour above X has been handled
};

template <class A, class InRegion, class V>
std::int64_t ScanLineFill(A& Data, std::int64_t X, std::int64_t Y, V NewValue, InRegion In, std::int64_t& MaxY,
                          std::int64_t& MinY, std::int64_t& MinX, std::int64_t& MaxX) {
  using images_internal::InsideCell;
  const auto belongs = [&](std::int64_t x, std::int64_t y) {
    return InsideCell(Data, x, y) && In(Data[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)]);
  };
  std::int64_t count = 0;
  const auto fillRun = [&](std::int64_t x, std::int64_t y) {
    std::int64_t lo = x, hi = x;
    Data[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] = NewValue;
    while (belongs(lo - 1, y)) Data[static_cast<std::size_t>(--lo)][static_cast<std::size_t>(y)] = NewValue;
    while (belongs(hi + 1, y)) Data[static_cast<std::size_t>(++hi)][static_cast<std::size_t>(y)] = NewValue;
    count += hi - lo + 1;
    MinX = std::min(MinX, lo);
    MaxX = std::max(MaxX, hi);
    return TRunFrame{static_cast<std::int32_t>(lo), static_cast<std::int32_t>(hi), static_cast<std::int32_t>(y),
                     static_cast<std::int32_t>(lo), false};
  };
  if (!belongs(X, Y)) return 0;
  std::vector<TRunFrame> stack;
  stack.push_back(fillRun(X, Y));
  while (!stack.empty()) {
    TRunFrame& f = stack.back();
    const std::int64_t x = f.X, y = f.Y;
    if (!f.AboveDone) {
      f.AboveDone = true;
      if (belongs(x, y - 1)) {
        MinY = std::min(MinY, y - 1);
        stack.push_back(fillRun(x, y - 1));  // f is not used after this
      }
      continue;
    }
    if (x == f.Hi) {
      stack.pop_back();  // nothing of this run is left after its last call
    } else {
      ++f.X;
      f.AboveDone = false;
    }
    if (belongs(x, y + 1)) {
      MaxY = std::max(MaxY, y + 1);
      stack.push_back(fillRun(x, y + 1));
    }
  }
  return count;
}

template <class A, class InRegion, class V>
std::int32_t FloodFill(A& Data, std::int32_t X, std::int32_t Y, V NewValue, InRegion In, std::int32_t& MaxY,
                       std::int32_t& MinY, std::int32_t& MinX, std::int32_t& MaxX) {
  std::int64_t maxY = Y, minY = Y, minX = X, maxX = X;
  const std::int64_t n = ScanLineFill(Data, X, Y, NewValue, In, maxY, minY, minX, maxX);
  MaxY = static_cast<std::int32_t>(maxY);
  MinY = static_cast<std::int32_t>(minY);
  MinX = static_cast<std::int32_t>(minX);
  MaxX = static_cast<std::int32_t>(maxX);
  return static_cast<std::int32_t>(std::min<std::int64_t>(n, 0x7FFFFFFF));
}

}  // namespace

std::int32_t FloodFillArray(std::int32_t X, std::int32_t Y, std::int32_t NewValue, TInt2DArray& Data,
                            std::int32_t& MaxY, std::int32_t& MinY, std::int32_t& MinX, std::int32_t& MaxX) {
  if (!images_internal::InsideCell(Data, X, Y)) return -1;
  const std::int32_t old = Data[static_cast<std::size_t>(X)][static_cast<std::size_t>(Y)];
  if (old == NewValue) return -2;
  return FloodFill(Data, X, Y, NewValue, [old](std::int32_t v) { return v == old; }, MaxY, MinY, MinX, MaxX);
}

std::int32_t FloodFillArray(std::int32_t X, std::int32_t Y, double Tolerance, double NewValue, TDouble2DArray& Data,
                            std::int32_t& MaxY, std::int32_t& MinY, std::int32_t& MinX, std::int32_t& MaxX) {
  if (!images_internal::InsideCell(Data, X, Y)) return -1;
  const double seed = Data[static_cast<std::size_t>(X)][static_cast<std::size_t>(Y)];
  const double tol = std::fabs(Tolerance);
  const auto in = [seed, tol](double v) { return std::fabs(v - seed) <= tol; };
  if (in(NewValue)) return -2;  // the filled cells would stay in the region
  return FloodFill(Data, X, Y, NewValue, in, MaxY, MinY, MinX, MaxX);
}

}  // namespace kvl
