#pragma once
// TBitmap: the runtime layer's raster image, Width x Height pixels of red,
// green, blue and alpha bytes, row 0 at the top. It is what the library
// draws arrays into and what image comparisons read; it saves itself as
// BMP (written here), PNG (through libpng) or JPEG (through libjpeg).
//
//   kvl::TBitmap bmp(64, 32);                   // black, opaque
//   bmp.SetPixel(3, 4, 0x0000FF);               // red (TColor is 0x00BBGGRR)
//   kvl::TRGBA p = bmp.PixelRGBA(3, 4);         // {255, 0, 0, 255}
//   bmp.SaveToFile("out.png");                  // format by extension
//
// Colours are the host's 32-bit values with red in the lowest byte, then
// green, then blue (0x00BBGGRR); the top byte is ignored. Reads outside the
// bitmap give black (transparent), writes outside it are ignored. Saving
// raises EFCreateError when the file cannot be created, EWriteError when
// writing fails and EInvalidGraphic when the encoder refuses the image (a
// JPEG side above 65500 pixels, say); a failed save removes the file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvl/runtime/exceptions.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TColor: a colour as 0x00BBGGRR (red in the lowest byte).
using TColor = std::uint32_t;

/// TRGBA: one pixel's bytes.
struct TRGBA {
  std::uint8_t R = 0, G = 0, B = 0, A = 0;
  friend bool operator==(const TRGBA&, const TRGBA&) = default;
};

/// ColorToRGBA: the bytes of Color with the alpha given (opaque by default).
constexpr TRGBA ColorToRGBA(TColor Color, std::uint8_t Alpha = 255) noexcept {
  return {static_cast<std::uint8_t>(Color & 0xFFu), static_cast<std::uint8_t>((Color >> 8) & 0xFFu),
          static_cast<std::uint8_t>((Color >> 16) & 0xFFu), Alpha};
}
/// RGBAToColor: the colour 0x00BBGGRR of a pixel (alpha dropped).
constexpr TColor RGBAToColor(TRGBA P) noexcept {
  return static_cast<TColor>(P.R) | (static_cast<TColor>(P.G) << 8) | (static_cast<TColor>(P.B) << 16);
}

/// EInvalidGraphic: an image the encoders cannot handle or a bitmap size
/// outside the limits.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

/// TBitmapFormat: the file formats a bitmap saves to.
enum class TBitmapFormat { bfBMP, bfPNG, bfJPEG };

/// TBitmap: an RGBA raster; copyable and movable like a value.
class TBitmap {
 public:
  /// MaxPixels: the largest pixel count a bitmap accepts (1 GiB of pixels).
  static constexpr std::int64_t MaxPixels = std::int64_t{1} << 28;
  /// DefaultJPEGQuality: the quality SaveToFile uses for JPEG (libjpeg's default).
  static constexpr int DefaultJPEGQuality = 75;

  /// An empty bitmap (0 x 0).
  TBitmap() = default;
  /// A Width x Height bitmap filled with Fill, opaque; see SetSize.
  TBitmap(std::int32_t Width, std::int32_t Height, TColor Fill = 0);

  /// Width, Height: the size in pixels.
  std::int32_t Width() const noexcept { return FWidth; }
  std::int32_t Height() const noexcept { return FHeight; }
  /// Empty: true when the bitmap has no pixels.
  bool Empty() const noexcept { return FWidth == 0 || FHeight == 0; }
  /// SetSize: resizes to Width x Height, every pixel Fill and opaque;
  /// EInvalidGraphic for a negative side or more than MaxPixels pixels.
  void SetSize(std::int32_t Width, std::int32_t Height, TColor Fill = 0);

  /// HasAlpha: whether the alpha bytes are saved (32-bit BMP, RGBA PNG);
  /// false by default (24-bit BMP, RGB PNG). JPEG never keeps alpha.
  bool HasAlpha() const noexcept { return FHasAlpha; }
  void SetHasAlpha(bool Value) noexcept { FHasAlpha = Value; }

  /// Pixel: the colour at (X, Y); 0 outside the bitmap.
  TColor Pixel(std::int32_t X, std::int32_t Y) const noexcept;
  /// SetPixel: sets (X, Y) to Color, opaque; ignored outside the bitmap.
  void SetPixel(std::int32_t X, std::int32_t Y, TColor Color) noexcept;
  /// PixelRGBA: the bytes at (X, Y); all 0 outside the bitmap.
  TRGBA PixelRGBA(std::int32_t X, std::int32_t Y) const noexcept;
  /// SetPixelRGBA: sets the bytes at (X, Y); ignored outside the bitmap.
  void SetPixelRGBA(std::int32_t X, std::int32_t Y, TRGBA Value) noexcept;
  /// FillRect: sets the pixels X1..X2 x Y1..Y2 (inclusive, clipped) to Color.
  void FillRect(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor Color) noexcept;

  /// ScanLine: row Y as 4 * Width bytes R, G, B, A (Y must be inside).
  std::span<std::uint8_t> ScanLine(std::int32_t Y) noexcept;
  std::span<const std::uint8_t> ScanLine(std::int32_t Y) const noexcept;

  /// SaveToFile: saves in the format of the file name's extension (.bmp,
  /// .png, .jpg or .jpeg, any case); EInvalidGraphic for another one.
  void SaveToFile(const std::string& FileName) const;
  /// SaveToFile: saves in Format; Quality (1..100) applies to JPEG only.
  void SaveToFile(const std::string& FileName, TBitmapFormat Format, int Quality = DefaultJPEGQuality) const;
  /// SaveToBMP, SaveToPNG, SaveToJPEG: the three writers.
  void SaveToBMP(const std::string& FileName) const;
  void SaveToPNG(const std::string& FileName) const;
  void SaveToJPEG(const std::string& FileName, int Quality = DefaultJPEGQuality) const;

  friend bool operator==(const TBitmap&, const TBitmap&) = default;

 private:
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;
  bool FHasAlpha = false;
  std::vector<std::uint8_t> FPixels;  // RGBA, row after row from the top

  bool Inside(std::int32_t X, std::int32_t Y) const noexcept {
    return X >= 0 && Y >= 0 && X < FWidth && Y < FHeight;
  }
  std::size_t Offset(std::int32_t X, std::int32_t Y) const noexcept {
    return (static_cast<std::size_t>(Y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(X)) * 4;
  }
};

/// LowerExtension: the extension of a file name (from its last dot after the
/// last slash, the dot included) in lower case; empty when it has none.
std::string LowerExtension(const std::string& FileName);

/// BitmapFormatOfName: the format of a file name's extension (.bmp, .png,
/// .jpg, .jpeg in any case); false when it has none of these.
bool BitmapFormatOfName(const std::string& FileName, TBitmapFormat& Format);

}  // namespace kvl

KVL_API_END
