// The correlation of a quantity of the pixels of two image regions.

#include <cmath>
#include <cstdint>

#include "kvl/base/KVL_kvlcolors.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/modelling/cluster/cluster.h"

namespace kvl {

namespace {

// The compared quantity of the pixel whose bytes start at P (R, G, B).
double Quantity(const std::uint8_t* P, TImgCompareMode Mode) noexcept {
  const double r = P[0], g = P[1], b = P[2];
  double h = 0, s = 0, i = 0;
  switch (Mode) {
    case TImgCompareMode::icmRed: return r;
    case TImgCompareMode::icmBlue: return b;
    case TImgCompareMode::icmGreen: return g;
    case TImgCompareMode::icmGrayValues: return RGBtoGray(r, g, b);
    case TImgCompareMode::icmHue:
    case TImgCompareMode::icmLightness:
    case TImgCompareMode::icmSaturation: break;
  }
  RGBtoHSI(r, g, b, h, s, i);
  return Mode == TImgCompareMode::icmHue ? h : Mode == TImgCompareMode::icmSaturation ? s : i;
}

// One row of a bitmap for the loop over a region: the row's bytes, or none
// when Y lies outside; X outside the bitmap reads black as Pixel does.
class TRowReader {
 public:
  TRowReader(const TBitmap& Img, std::int64_t Y) noexcept {
    if (Y >= 0 && Y < Img.Height() && Img.Width() > 0) {
      FRow = Img.ScanLine(static_cast<std::int32_t>(Y)).data();
      FWidth = Img.Width();
    }
  }
  const std::uint8_t* At(std::int64_t X) const noexcept {
    static constexpr std::uint8_t Black[4] = {0, 0, 0, 0};
    return FRow && X >= 0 && X < FWidth ? FRow + 4 * X : Black;
  }

 private:
  const std::uint8_t* FRow = nullptr;
  std::int64_t FWidth = 0;
};

}  // namespace

double CalcImgCorrelation(const TBitmap& Img1, const TBitmap& Img2, const TRect& Rect1, const TRect& Rect2,
                          TImgCompareMode Mode) {
  // 64-bit: the corners may lie anywhere in the 32-bit range.
  const std::int64_t dx = std::int64_t{Rect2.Left} - Rect1.Left, dy = std::int64_t{Rect2.Top} - Rect1.Top;
  if (std::int64_t{Rect1.Right} - Rect1.Left != std::int64_t{Rect2.Right} - Rect2.Left)
    Raise<EKVLMath2Error>("image ranges to compare are not of equal size");
  // The sums and the coefficient of TCurveFit::CalcStatistics.
  long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  std::int64_t n = 0;
  for (std::int64_t y = Rect1.Top; y <= Rect1.Bottom; ++y) {
    const TRowReader row1(Img1, y), row2(Img2, y + dy);
    for (std::int64_t x = Rect1.Left; x <= Rect1.Right; ++x) {
      const long double a = Quantity(row1.At(x), Mode), b = Quantity(row2.At(x + dx), Mode);
      sx += a;
      sy += b;
      sxx += a * a;
      syy += b * b;
      sxy += a * b;
      ++n;
    }
  }
  if (n < 3) return 0.0;
  const long double vx = sxx - sx * sx / n, vy = syy - sy * sy / n;
  if (!(sxx > 0 && syy > 0 && vx != 0 && vy != 0)) return 0.0;
  return static_cast<double>((sxy - sx * sy / n) / std::sqrt(std::fabs(vx * vy)));
}

}  // namespace kvl
