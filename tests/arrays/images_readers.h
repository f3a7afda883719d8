#pragma once
// Independent readers of the written images for the tests: PNG through
// libpng, JPEG through libjpeg, BMP by parsing its headers here. Each gives
// the pixels as R, G, B bytes, rows from the top.

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace kvl::test {

struct TImage {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> RGB;
  std::uint32_t At(int x, int y) const {  // as 0x00BBGGRR
    const std::uint8_t* p = RGB.data() + 3 * (static_cast<std::size_t>(y) * Width + x);
    return p[0] | (p[1] << 8) | (p[2] << 16);
  }
  int Channel(int x, int y, int c) const { return RGB[3 * (static_cast<std::size_t>(y) * Width + x) + c]; }
};

inline bool ReadPngImage(const std::string& Name, TImage& Img) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, Name.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  Img.Width = static_cast<int>(image.width);
  Img.Height = static_cast<int>(image.height);
  Img.RGB.resize(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, Img.RGB.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

struct TJpegReadError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
};

inline bool ReadJpegImage(const std::string& Name, TImage& Img) {
  std::FILE* f = std::fopen(Name.c_str(), "rb");
  if (!f) return false;
  jpeg_decompress_struct cinfo;
  TJpegReadError err;
  cinfo.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<TJpegReadError*>(c->err)->Jump, 1); };
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  Img.Width = static_cast<int>(cinfo.output_width);
  Img.Height = static_cast<int>(cinfo.output_height);
  Img.RGB.resize(static_cast<std::size_t>(Img.Width) * Img.Height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = Img.RGB.data() + static_cast<std::size_t>(cinfo.output_scanline) * Img.Width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return true;
}

/// TBmpHeader: the fields of the two BMP headers a test checks.
struct TBmpHeader {
  std::uint32_t FileSize = 0, PixelOffset = 0, InfoSize = 0, Compression = 0;
  std::int32_t Width = 0, Height = 0;
  std::uint16_t Bits = 0;
};

inline std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

// Reads an uncompressed bottom-up 24- or 32-bit BMP; false for anything else.
inline bool ReadBmpImage(const std::string& Name, TImage& Img, TBmpHeader& H) {
  std::ifstream in(Name, std::ios::binary);
  const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  H.FileSize = Le(b, 2, 4);
  H.PixelOffset = Le(b, 10, 4);
  H.InfoSize = Le(b, 14, 4);
  H.Width = static_cast<std::int32_t>(Le(b, 18, 4));
  H.Height = static_cast<std::int32_t>(Le(b, 22, 4));
  H.Bits = static_cast<std::uint16_t>(Le(b, 28, 2));
  H.Compression = Le(b, 30, 4);
  if (H.FileSize != b.size() || (H.Bits != 24 && H.Bits != 32) || H.Width <= 0 || H.Height <= 0) return false;
  const std::size_t bpp = H.Bits / 8, stride = (H.Width * bpp + 3) / 4 * 4;
  if (H.PixelOffset + stride * H.Height > b.size()) return false;
  Img.Width = H.Width;
  Img.Height = H.Height;
  Img.RGB.resize(static_cast<std::size_t>(H.Width) * H.Height * 3);
  for (int y = 0; y < H.Height; ++y)
    for (int x = 0; x < H.Width; ++x) {
      const std::size_t src = H.PixelOffset + (H.Height - 1 - y) * stride + x * bpp;
      std::uint8_t* dst = Img.RGB.data() + 3 * (static_cast<std::size_t>(y) * H.Width + x);
      dst[0] = b[src + 2];
      dst[1] = b[src + 1];
      dst[2] = b[src];
    }
  return true;
}

}  // namespace kvl::test
