#include "kvl/runtime/bitmap.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <jpeglib.h>
#include <png.h>

namespace kvl {

TBitmap::TBitmap(std::int32_t Width, std::int32_t Height, TColor Fill) { SetSize(Width, Height, Fill); }

void TBitmap::SetSize(std::int32_t Width, std::int32_t Height, TColor Fill) {
  if (Width < 0 || Height < 0 || static_cast<std::int64_t>(Width) * Height > MaxPixels)
    throw EInvalidGraphic("Invalid bitmap size " + std::to_string(Width) + " x " + std::to_string(Height));
  if (Width == 0 || Height == 0) Width = Height = 0;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height) * 4);
  const TRGBA p = ColorToRGBA(Fill);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = p.R;
    pixels[i + 1] = p.G;
    pixels[i + 2] = p.B;
    pixels[i + 3] = p.A;
  }
  FPixels = std::move(pixels);
  FWidth = Width;
  FHeight = Height;
}

TColor TBitmap::Pixel(std::int32_t X, std::int32_t Y) const noexcept { return RGBAToColor(PixelRGBA(X, Y)); }

void TBitmap::SetPixel(std::int32_t X, std::int32_t Y, TColor Color) noexcept {
  SetPixelRGBA(X, Y, ColorToRGBA(Color));
}

TRGBA TBitmap::PixelRGBA(std::int32_t X, std::int32_t Y) const noexcept {
  if (!Inside(X, Y)) return {};
  const std::uint8_t* p = FPixels.data() + Offset(X, Y);
  return {p[0], p[1], p[2], p[3]};
}

void TBitmap::SetPixelRGBA(std::int32_t X, std::int32_t Y, TRGBA Value) noexcept {
  if (!Inside(X, Y)) return;
  std::uint8_t* p = FPixels.data() + Offset(X, Y);
  p[0] = Value.R;
  p[1] = Value.G;
  p[2] = Value.B;
  p[3] = Value.A;
}

void TBitmap::FillRect(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor Color) noexcept {
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
  X1 = std::max(X1, 0);
  Y1 = std::max(Y1, 0);
  X2 = std::min(X2, FWidth - 1);
  Y2 = std::min(Y2, FHeight - 1);
  if (X1 > X2 || Y1 > Y2) return;
  const TRGBA p = ColorToRGBA(Color);
  for (std::int32_t y = Y1; y <= Y2; ++y) {
    std::uint8_t* q = FPixels.data() + Offset(X1, y);
    for (std::int32_t x = X1; x <= X2; ++x, q += 4) {
      q[0] = p.R;
      q[1] = p.G;
      q[2] = p.B;
      q[3] = p.A;
    }
  }
}

std::span<std::uint8_t> TBitmap::ScanLine(std::int32_t Y) noexcept {
  return {FPixels.data() + Offset(0, Y), static_cast<std::size_t>(FWidth) * 4};
}

std::span<const std::uint8_t> TBitmap::ScanLine(std::int32_t Y) const noexcept {
  return {FPixels.data() + Offset(0, Y), static_cast<std::size_t>(FWidth) * 4};
}

std::string LowerExtension(const std::string& FileName) {
  const auto dot = FileName.find_last_of("./");
  if (dot == std::string::npos || FileName[dot] != '.') return {};
  std::string ext = FileName.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool BitmapFormatOfName(const std::string& FileName, TBitmapFormat& Format) {
  const std::string ext = LowerExtension(FileName);
  if (ext == ".bmp") {
    Format = TBitmapFormat::bfBMP;
  } else if (ext == ".png") {
    Format = TBitmapFormat::bfPNG;
  } else if (ext == ".jpg" || ext == ".jpeg") {
    Format = TBitmapFormat::bfJPEG;
  } else {
    return false;
  }
  return true;
}

void TBitmap::SaveToFile(const std::string& FileName) const {
  TBitmapFormat format{};
  if (!BitmapFormatOfName(FileName, format))
    throw EInvalidGraphic("Unknown picture file extension of \"" + FileName + "\"");
  SaveToFile(FileName, format);
}

void TBitmap::SaveToFile(const std::string& FileName, TBitmapFormat Format, int Quality) const {
  switch (Format) {
    case TBitmapFormat::bfBMP:
      SaveToBMP(FileName);
      return;
    case TBitmapFormat::bfPNG:
      SaveToPNG(FileName);
      return;
    case TBitmapFormat::bfJPEG:
      SaveToJPEG(FileName, Quality);
      return;
  }
}

namespace {

[[noreturn]] void CannotCreate(const std::string& FileName) {
  throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
}

void PutLE(std::vector<std::uint8_t>& Out, std::uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<std::uint8_t>(Value >> (8 * i)));
}

// A FILE opened for writing that is closed (and, unless kept, removed) when
// the save ends, also by an exception.
class TOutFile {
 public:
  explicit TOutFile(const std::string& Name) : FName(Name), FFile(std::fopen(Name.c_str(), "wb")) {
    if (!FFile) CannotCreate(Name);
  }
  ~TOutFile() {
    if (FFile) std::fclose(FFile);
    if (!FKept) std::remove(FName.c_str());
  }
  TOutFile(const TOutFile&) = delete;
  TOutFile& operator=(const TOutFile&) = delete;
  std::FILE* Get() const noexcept { return FFile; }
  // Keep: closes the file and keeps it; EWriteError when the data did not
  // all reach it.
  void Keep() {
    const bool ok = std::ferror(FFile) == 0;
    const bool closed = std::fclose(FFile) == 0;
    FFile = nullptr;
    if (!ok || !closed) throw EWriteError("Stream write error");
    FKept = true;
  }

 private:
  std::string FName;
  std::FILE* FFile;
  bool FKept = false;
};

// --- PNG ---------------------------------------------------------------------

struct TPngError {
  std::jmp_buf Jump;
  char Message[200];
};

void PngErrorExit(png_structp Png, png_const_charp Msg) {
  auto* err = static_cast<TPngError*>(png_get_error_ptr(Png));
  std::snprintf(err->Message, sizeof err->Message, "%s", Msg);
  std::longjmp(err->Jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// Encodes the rows into File; false (with Err.Message) when libpng fails.
// No object with a destructor lives in this frame across the jump.
bool EncodePng(std::FILE* File, std::uint8_t* const* Rows, std::int32_t Width, std::int32_t Height, bool Alpha,
               TPngError& Err) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &Err, PngErrorExit, PngWarning);
  if (!png) {
    std::snprintf(Err.Message, sizeof Err.Message, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(Err.Message, sizeof Err.Message, "out of memory");
    return false;
  }
  if (setjmp(Err.Jump)) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, File);
  png_set_IHDR(png, info, static_cast<png_uint_32>(Width), static_cast<png_uint_32>(Height), 8,
               Alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (!Alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // the rows carry RGBA; drop the A
  png_write_image(png, const_cast<png_bytepp>(Rows));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// --- JPEG --------------------------------------------------------------------

struct TJpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr Info) {
  auto* err = reinterpret_cast<TJpegError*>(Info->err);
  (*Info->err->format_message)(Info, err->Message);
  std::longjmp(err->Jump, 1);
}

void JpegSilent(j_common_ptr) {}

// Encodes the bitmap's RGBA rows into File, converting each to RGB in Row
// (3 * Width bytes); false (with Err.Message) when libjpeg fails.
bool EncodeJpeg(std::FILE* File, const TBitmap& Bmp, std::uint8_t* Row, int Quality, TJpegError& Err) {
  jpeg_compress_struct cinfo;
  cinfo.err = jpeg_std_error(&Err.Mgr);
  Err.Mgr.error_exit = JpegErrorExit;
  Err.Mgr.output_message = JpegSilent;
  if (setjmp(Err.Jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, File);
  cinfo.image_width = static_cast<JDIMENSION>(Bmp.Width());
  cinfo.image_height = static_cast<JDIMENSION>(Bmp.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, Quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint8_t* src = Bmp.ScanLine(static_cast<std::int32_t>(cinfo.next_scanline)).data();
    for (std::int32_t x = 0; x < Bmp.Width(); ++x) {
      Row[3 * x] = src[4 * x];
      Row[3 * x + 1] = src[4 * x + 1];
      Row[3 * x + 2] = src[4 * x + 2];
    }
    JSAMPROW rows[1] = {Row};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

void RequirePixels(const TBitmap& Bmp) {
  if (Bmp.Empty()) throw EInvalidGraphic("Cannot save an empty bitmap");
}

}  // namespace

// BMP: a BITMAPFILEHEADER, a 40-byte BITMAPINFOHEADER, then the rows from the
// bottom up, each padded to a multiple of 4 bytes; 24-bit B, G, R pixels, or
// 32-bit B, G, R, A when HasAlpha.
void TBitmap::SaveToBMP(const std::string& FileName) const {
  RequirePixels(*this);
  const std::uint32_t bpp = FHasAlpha ? 4 : 3;
  const std::uint64_t stride = (static_cast<std::uint64_t>(FWidth) * bpp + 3) / 4 * 4;
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(FHeight);
  if (imageSize + 54 > 0xFFFFFFFFu) throw EInvalidGraphic("Bitmap too large for a BMP file");
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(imageSize) + 54);
  out.push_back('B');
  out.push_back('M');
  PutLE(out, static_cast<std::uint32_t>(imageSize + 54), 4);
  PutLE(out, 0, 4);   // reserved
  PutLE(out, 54, 4);  // offset of the pixels
  PutLE(out, 40, 4);  // info header size
  PutLE(out, static_cast<std::uint32_t>(FWidth), 4);
  PutLE(out, static_cast<std::uint32_t>(FHeight), 4);  // positive: bottom-up
  PutLE(out, 1, 2);                                     // planes
  PutLE(out, bpp * 8, 2);
  PutLE(out, 0, 4);  // BI_RGB
  PutLE(out, static_cast<std::uint32_t>(imageSize), 4);
  PutLE(out, 2835, 4);  // 72 dpi
  PutLE(out, 2835, 4);
  PutLE(out, 0, 4);
  PutLE(out, 0, 4);
  for (std::int32_t y = FHeight - 1; y >= 0; --y) {
    const std::uint8_t* p = FPixels.data() + Offset(0, y);
    for (std::int32_t x = 0; x < FWidth; ++x, p += 4) {
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      if (FHasAlpha) out.push_back(p[3]);
    }
    for (std::uint64_t pad = static_cast<std::uint64_t>(FWidth) * bpp; pad < stride; ++pad) out.push_back(0);
  }
  TOutFile file(FileName);
  if (std::fwrite(out.data(), 1, out.size(), file.Get()) != out.size()) throw EWriteError("Stream write error");
  file.Keep();
}

void TBitmap::SaveToPNG(const std::string& FileName) const {
  RequirePixels(*this);
  std::vector<std::uint8_t*> rows(static_cast<std::size_t>(FHeight));
  for (std::int32_t y = 0; y < FHeight; ++y)
    rows[static_cast<std::size_t>(y)] = const_cast<std::uint8_t*>(FPixels.data() + Offset(0, y));
  TOutFile file(FileName);
  TPngError err{};
  if (!EncodePng(file.Get(), rows.data(), FWidth, FHeight, FHasAlpha, err))
    throw EInvalidGraphic(std::string("PNG encoder: ") + err.Message);
  file.Keep();
}

void TBitmap::SaveToJPEG(const std::string& FileName, int Quality) const {
  RequirePixels(*this);
  if (FWidth > JPEG_MAX_DIMENSION || FHeight > JPEG_MAX_DIMENSION)
    throw EInvalidGraphic("Bitmap too large for a JPEG file");
  std::vector<std::uint8_t> row(static_cast<std::size_t>(FWidth) * 3);
  TOutFile file(FileName);
  TJpegError err{};
  if (!EncodeJpeg(file.Get(), *this, row.data(), std::clamp(Quality, 1, 100), err))
    throw EInvalidGraphic(std::string("JPEG encoder: ") + err.Message);
  file.Keep();
}

}  // namespace kvl
