// Images of colour rasters (SaveArrayAsImg, ArrayToBitmap) and the colour
// scales that turn values into colours (ScaleColor, ScaleArrayToColors).

#include <algorithm>
#include <cmath>

#include "kvl/arrays/array_images.h"
#include "kvl/arrays/images/internal/raster_checks.h"
#include "kvl/runtime/clipboard.h"

namespace kvl {

namespace {

constexpr std::int32_t kMinMagnification = 1;
constexpr std::int32_t kMaxMagnification = 10;

// The extension test of SaveArrayAsImg: only .bmp, .png and .jpg, any case.
bool ImageFormatOf(const std::string& FileName, TBitmapFormat& Format) {
  return BitmapFormatOfName(FileName, Format) && LowerExtension(FileName) != ".jpeg";
}

// Control points of each scale at equal steps from 0 to 1.
struct TScalePoints {
  const TColor* Colors;
  int Count;
};
constexpr TColor kGray[] = {0x000000, 0xFFFFFF};
constexpr TColor kHeat[] = {0x000000, 0x0000FF, 0x00FFFF, 0xFFFFFF};
constexpr TColor kRainbow[] = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
constexpr TColor kBlueRed[] = {0xFF0000, 0xFFFFFF, 0x0000FF};

TScalePoints PointsOf(TColorScale Scale) noexcept {
  switch (Scale) {
    case TColorScale::csGray:
      return {kGray, 2};
    case TColorScale::csHeat:
      return {kHeat, 4};
    case TColorScale::csRainbow:
      return {kRainbow, 5};
    case TColorScale::csBlueRed:
      return {kBlueRed, 3};
  }
  return {kGray, 2};
}

}  // namespace

std::int32_t ArrayToBitmap(const TInt2DArray& Data, std::int32_t Magnification, TBitmap& Bitmap) {
  if (Magnification < kMinMagnification || Magnification > kMaxMagnification) return -2;
  const auto ext = detail::ExtentsOf(Data);
  if (detail::IsEmpty(ext) || !images_internal::IsRectangular(Data)) return -3;
  const std::int64_t w = ext[0] * Magnification, h = ext[1] * Magnification;
  if (w > 0x7FFFFFFF || h > 0x7FFFFFFF || w * h > TBitmap::MaxPixels) return -3;
  TBitmap bmp(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
  const auto m = static_cast<std::size_t>(Magnification);
  for (std::int32_t y = 0; y < bmp.Height(); ++y) {
    std::uint8_t* p = bmp.ScanLine(y).data();
    const auto r = static_cast<std::size_t>(y) / m;
    for (std::size_t c = 0; c < Data.size(); ++c) {
      const TRGBA q = ColorToRGBA(static_cast<TColor>(Data[c][r]));
      for (std::size_t k = 0; k < m; ++k, p += 4) {
        p[0] = q.R;
        p[1] = q.G;
        p[2] = q.B;
        p[3] = q.A;
      }
    }
  }
  Bitmap = std::move(bmp);
  return 0;
}

std::int32_t SaveArrayAsImg(const std::string& FileName, const TInt2DArray& Data, std::int32_t Magnification) {
  if (Magnification < kMinMagnification || Magnification > kMaxMagnification) return -2;
  TBitmapFormat format{};
  if (!FileName.empty() && !ImageFormatOf(FileName, format)) return -1;
  TBitmap bmp;
  if (const std::int32_t status = ArrayToBitmap(Data, Magnification, bmp); status != 0) return status;
  if (FileName.empty())
    Clipboard().SetBitmap(std::move(bmp));
  else
    bmp.SaveToFile(FileName, format);
  return 0;
}

TColor ScaleColor(TColorScale Scale, double T, TColor NaNColor) {
  if (std::isnan(T)) return NaNColor;
  const TScalePoints pts = PointsOf(Scale);
  const double pos = std::clamp(T, 0.0, 1.0) * (pts.Count - 1);
  const int i = std::min(static_cast<int>(pos), pts.Count - 2);
  const double f = pos - i;
  TColor out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double a = (pts.Colors[i] >> shift) & 0xFFu, b = (pts.Colors[i + 1] >> shift) & 0xFFu;
    out |= static_cast<TColor>(std::lround(a + (b - a) * f)) << shift;
  }
  return out;
}

std::int32_t ScaleArrayToColors(const TDouble2DArray& Data, double Low, double High, TColorScale Scale,
                                TInt2DArray& Colors, TColor NaNColor) {
  const auto ext = detail::ExtentsOf(Data);
  if (detail::IsEmpty(ext)) return -1;
  if (!(Low < High)) {
    Low = HUGE_VAL;
    High = -HUGE_VAL;
    for (const auto& col : Data)
      for (double v : col)
        if (std::isfinite(v)) {
          Low = std::min(Low, v);
          High = std::max(High, v);
        }
  }
  // A constant (or all-NaN) array maps to the scale's low end.
  const double span = High > Low ? High - Low : 0.0;
  Colors.assign(Data.size(), {});
  for (std::size_t c = 0; c < Data.size(); ++c) {
    Colors[c].resize(Data[c].size());
    for (std::size_t r = 0; r < Data[c].size(); ++r) {
      const double v = Data[c][r];
      const double t = std::isnan(v) ? v : span > 0.0 ? (v - Low) / span : 0.0;
      Colors[c][r] = static_cast<std::int32_t>(ScaleColor(Scale, t, NaNColor));
    }
  }
  return 0;
}

}  // namespace kvl
