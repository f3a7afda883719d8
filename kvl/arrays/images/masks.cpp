// Masks drawn from shapes (CreateMaskShape), bounding rectangles, lists and
// counts of marked cells, and sums and fills through a mask.

#include <algorithm>
#include <cmath>

#include "kvl/arrays/array_images.h"
#include "kvl/arrays/images/internal/raster_checks.h"

namespace kvl {

namespace {

using images_internal::IsRectangular;

// Sets every cell (x, y) of the box X1..X2 x Y1..Y2, clipped to the mask,
// for which Inside(x, y) holds. The clipping is per column, so a ragged mask
// is safe too; the loops only visit cells of the mask.
template <class F>
void MarkCells(TBool2DArray& Mask, std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2, F Inside) {
  const std::int64_t xLo = std::max<std::int64_t>(X1, 0);
  const std::int64_t xHi = std::min<std::int64_t>(X2, static_cast<std::int64_t>(Mask.size()) - 1);
  for (std::int64_t x = xLo; x <= xHi; ++x) {
    auto& col = Mask[static_cast<std::size_t>(x)];
    const std::int64_t yLo = std::max<std::int64_t>(Y1, 0);
    const std::int64_t yHi = std::min<std::int64_t>(Y2, static_cast<std::int64_t>(col.size()) - 1);
    for (std::int64_t y = yLo; y <= yHi; ++y)
      if (Inside(x, y)) col[static_cast<std::size_t>(y)] = true;
  }
}

// One term (d^2 / S) of the ellipse test. A zero S (a span of 0 or 1) keeps
// the cells on the centre line (term 0) and drops the others.
double EllipseTerm(std::int64_t d, std::uint64_t S) noexcept {
  const double d2 = static_cast<double>(d) * static_cast<double>(d);
  if (S == 0) return d == 0 ? 0.0 : HUGE_VAL;
  return d2 / static_cast<double>(S);
}

template <class A>
void BoundingRectOf(const A& Data, std::int32_t& FirstX, std::int32_t& LastX, std::int32_t& FirstY,
                    std::int32_t& LastY) {
  FirstX = LastX = FirstY = LastY = -1;
  const auto nc = static_cast<std::int64_t>(Data.size());
  auto columnHit = [&](std::int64_t c) {
    const auto& col = Data[static_cast<std::size_t>(c)];
    return std::any_of(col.begin(), col.end(), [](auto v) { return v != 0; });
  };
  std::int64_t rows = 0;
  for (const auto& col : Data) rows = std::max(rows, static_cast<std::int64_t>(col.size()));
  auto rowHit = [&](std::int64_t r) {
    for (const auto& col : Data)
      if (r < static_cast<std::int64_t>(col.size()) && col[static_cast<std::size_t>(r)] != 0) return true;
    return false;
  };
  for (std::int64_t c = 0; c < nc; ++c)
    if (columnHit(c)) {
      FirstX = static_cast<std::int32_t>(c);
      break;
    }
  if (FirstX < 0) return;  // no non-zero cell at all
  for (std::int64_t c = nc - 1; c >= 0; --c)
    if (columnHit(c)) {
      LastX = static_cast<std::int32_t>(c);
      break;
    }
  for (std::int64_t r = 0; r < rows; ++r)
    if (rowHit(r)) {
      FirstY = static_cast<std::int32_t>(r);
      break;
    }
  for (std::int64_t r = rows - 1; r >= 0; --r)
    if (rowHit(r)) {
      LastY = static_cast<std::int32_t>(r);
      break;
    }
}

// Lists the positions (one index or an (x, y) pair each) equal to Value.
std::int32_t ListPositions(std::int64_t Cells, std::int32_t MaxCount, TIntArray& Positions, auto&& Visit) {
  Positions.clear();
  if (Cells == 0) return -1;
  const std::int64_t limit = MaxCount < 1 ? Cells : std::min<std::int64_t>(MaxCount, Cells);
  std::int64_t count = 0;
  Visit([&](std::initializer_list<std::int64_t> pos) {
    if (count >= limit) return false;
    for (std::int64_t p : pos) Positions.push_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(p)));
    ++count;
    return true;
  });
  Positions.shrink_to_fit();
  return static_cast<std::int32_t>(count);
}

// The shape check of the masked routines: -2 empty data, -1 a mask of another
// shape (or a ragged one), 0 otherwise.
template <class A>
std::int32_t CheckMasked(const A& Data, const TBool2DArray* Mask) {
  const auto ext = detail::ExtentsOf(Data);
  if (detail::IsEmpty(ext)) return -2;
  if (Mask) {
    if (Mask->size() != Data.size() || !IsRectangular(*Mask)) return -1;
    if (static_cast<std::int64_t>((*Mask)[0].size()) != ext[1]) return -1;
  }
  return 0;
}

// Visits every cell of Data (up to the first column's row count, so a
// ragged array is safe) that the mask lets through.
template <class A, class F>
std::int32_t ForMaskedCells(A& Data, const TBool2DArray* Mask, F f) {
  if (const std::int32_t status = CheckMasked(Data, Mask); status != 0) return status;
  const std::size_t rows = Data[0].size();
  std::int64_t count = 0;
  for (std::size_t c = 0; c < Data.size(); ++c) {
    auto& col = Data[c];
    const std::size_t n = std::min(rows, col.size());
    for (std::size_t r = 0; r < n; ++r) {
      if (Mask && (*Mask)[c][r]) continue;
      f(col[r]);
      ++count;
    }
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(count, 0x7FFFFFFF));
}

template <class A>
std::int32_t SumMasked(const A& Data, const TBool2DArray* Mask, double& Sum) {
  Sum = 0.0;
  long double acc = 0.0L;
  const std::int32_t n = ForMaskedCells(Data, Mask, [&acc](auto v) { acc += static_cast<long double>(v); });
  if (n >= 0) Sum = static_cast<double>(acc);
  return n;
}

std::int64_t CountTrue(const std::vector<bool>& v, std::size_t First, std::size_t Last) {
  return std::count(v.begin() + static_cast<std::ptrdiff_t>(First), v.begin() + static_cast<std::ptrdiff_t>(Last) + 1,
                    true);
}

std::int32_t Clamp32(std::int64_t n) { return static_cast<std::int32_t>(std::min<std::int64_t>(n, 0x7FFFFFFF)); }

}  // namespace

std::int32_t CreateMaskShape(TBool2DArray& Mask, TShapeKind Shape, const TIntArray& Params) {
  const std::size_t n = Params.size();
  const auto P = [&Params](std::size_t i) { return static_cast<std::int64_t>(Params[i]); };
  switch (Shape) {
    case TShapeKind::skRectangle:
      if (n != 4) return -1;
      MarkCells(Mask, P(0), P(1), P(2), P(3), [](std::int64_t, std::int64_t) { return true; });
      return 0;
    case TShapeKind::skEllipse: {
      if (n != 4) return -1;
      const std::int64_t x1 = P(0), y1 = P(1), x2 = P(2), y2 = P(3);
      const std::int64_t cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
      // Halved squared spans; a span reaches 2^32 - 1, whose square fits
      // an unsigned 64-bit integer.
      const auto half = [](std::int64_t span) {
        const auto s = static_cast<std::uint64_t>(span < 0 ? -span : span);
        return s * s / 2;
      };
      const std::uint64_t A = half(x2 - x1), B = half(y2 - y1);
      MarkCells(Mask, x1, y1, x2, y2, [&](std::int64_t x, std::int64_t y) {
        return EllipseTerm(x - cx, A) + EllipseTerm(y - cy, B) <= 1.0;
      });
      return 0;
    }
    case TShapeKind::skCircle: {
      if (n != 3) return -1;
      const std::int64_t cx = P(0), cy = P(1), r = P(2);
      if (r < 0) return -2;
      MarkCells(Mask, cx - r, cy - r, cx + r, cy + r, [&](std::int64_t x, std::int64_t y) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
      });
      return 0;
    }
    case TShapeKind::skRing: {
      if (n != 4) return -1;
      std::int64_t cx = P(0), cy = P(1), r1 = P(2), r2 = P(3);
      if (r1 < 0 || r2 < 0) return -2;
      if (r1 > r2) std::swap(r1, r2);
      MarkCells(Mask, cx - r2, cy - r2, cx + r2, cy + r2, [&](std::int64_t x, std::int64_t y) {
        const std::int64_t d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return r1 * r1 <= d2 && d2 <= r2 * r2;
      });
      return 0;
    }
  }
  return 0;
}

void BoundingRect(const TInt2DArray& Data, std::int32_t& FirstX, std::int32_t& LastX, std::int32_t& FirstY,
                  std::int32_t& LastY) {
  BoundingRectOf(Data, FirstX, LastX, FirstY, LastY);
}

void BoundingRect(const TDouble2DArray& Data, std::int32_t& FirstX, std::int32_t& LastX, std::int32_t& FirstY,
                  std::int32_t& LastY) {
  BoundingRectOf(Data, FirstX, LastX, FirstY, LastY);
}

std::int32_t ListCellPositions(const TBoolArray& Mask, bool Value, std::int32_t MaxCount, std::int32_t Offset,
                               TIntArray& Positions) {
  return ListPositions(static_cast<std::int64_t>(Mask.size()), MaxCount, Positions, [&](auto&& emit) {
    for (std::size_t i = 0; i < Mask.size(); ++i)
      if (Mask[i] == Value && !emit({static_cast<std::int64_t>(i) + Offset})) return;
  });
}

std::int32_t ListCellPositions(const TBool2DArray& Mask, bool Value, std::int32_t MaxCount, std::int32_t Offset,
                               TIntArray& Positions) {
  std::int64_t cells = 0;
  for (const auto& col : Mask) cells += static_cast<std::int64_t>(col.size());
  return ListPositions(cells, MaxCount, Positions, [&](auto&& emit) {
    for (std::size_t x = 0; x < Mask.size(); ++x)
      for (std::size_t y = 0; y < Mask[x].size(); ++y)
        if (Mask[x][y] == Value &&
            !emit({static_cast<std::int64_t>(x) + Offset, static_cast<std::int64_t>(y) + Offset}))
          return;
  });
}

std::int32_t SumArrayMasked(const TDouble2DArray& Data, const TBool2DArray* Mask, double& Sum) {
  return SumMasked(Data, Mask, Sum);
}

std::int32_t SumArrayMasked(const TInt2DArray& Data, const TBool2DArray* Mask, double& Sum) {
  return SumMasked(Data, Mask, Sum);
}

std::int32_t FillArrayMasked(TDouble2DArray& Data, double Value, const TBool2DArray* Mask) {
  return ForMaskedCells(Data, Mask, [Value](double& v) { v = Value; });
}

std::int32_t FillArrayMasked(TInt2DArray& Data, std::int32_t Value, const TBool2DArray* Mask) {
  return ForMaskedCells(Data, Mask, [Value](std::int32_t& v) { v = Value; });
}

std::int32_t CountTrueCellsOfArray(const TBoolArray& Mask) {
  if (Mask.empty()) return -1;
  return Clamp32(CountTrue(Mask, 0, Mask.size() - 1));
}

std::int32_t CountTrueCellsOfArray(const TBool2DArray& Mask) {
  if (detail::IsEmpty(detail::ExtentsOf(Mask))) return -1;
  std::int64_t n = 0;
  for (const auto& col : Mask)
    if (!col.empty()) n += CountTrue(col, 0, col.size() - 1);
  return Clamp32(n);
}

std::int32_t CountTrueCellsOfArray(const TBoolArray& Mask, std::int32_t First, std::int32_t Last) {
  const std::int32_t status = detail::CheckRange(detail::ExtentsOf(Mask), {First}, {Last});
  if (status != 0) return status;
  return Clamp32(CountTrue(Mask, static_cast<std::size_t>(First), static_cast<std::size_t>(Last)));
}

std::int32_t CountTrueCellsOfArray(const TBool2DArray& Mask, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                                   std::int32_t Hi2) {
  const std::int32_t status = detail::CheckRange(detail::ExtentsOf(Mask), {Lo1, Lo2}, {Hi1, Hi2});
  if (status != 0) return status;
  std::int64_t n = 0;
  for (std::int32_t c = Lo1; c <= Hi1; ++c) {
    const auto& col = Mask[static_cast<std::size_t>(c)];
    if (static_cast<std::int64_t>(col.size()) <= Hi2) return -2;  // a ragged mask
    n += CountTrue(col, static_cast<std::size_t>(Lo2), static_cast<std::size_t>(Hi2));
  }
  return Clamp32(n);
}

}  // namespace kvl
