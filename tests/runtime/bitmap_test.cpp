// The runtime bitmap: pixel access, the BMP file written by the library
// (headers parsed here), save errors, and the clipboard's bitmap slot.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "kvl/runtime/bitmap.h"
#include "kvl/runtime/clipboard.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::TempFile;

std::vector<std::uint8_t> FileBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t At) {
  return b[At] | (b[At + 1] << 8) | (b[At + 2] << 16) | (static_cast<std::uint32_t>(b[At + 3]) << 24);
}

TEST(BitmapTest, PixelAccessInsideAndOutside) {
  TBitmap bmp(3, 2, 0x00112233);
  EXPECT_EQ(bmp.Pixel(2, 1), 0x112233u);
  EXPECT_EQ(bmp.PixelRGBA(0, 0), (TRGBA{0x33, 0x22, 0x11, 255}));
  bmp.SetPixel(1, 0, 0xFF0000FF);  // the top byte is not part of the colour
  EXPECT_EQ(bmp.Pixel(1, 0), 0x0000FFu);
  bmp.SetPixelRGBA(0, 1, {1, 2, 3, 4});
  EXPECT_EQ(bmp.PixelRGBA(0, 1), (TRGBA{1, 2, 3, 4}));
  EXPECT_EQ(bmp.ScanLine(1)[0], 1);
  EXPECT_EQ(bmp.ScanLine(1)[3], 4);
  bmp.SetPixel(3, 0, 0xFFFFFF);  // outside: ignored
  bmp.SetPixel(-1, 0, 0xFFFFFF);
  EXPECT_EQ(bmp.Pixel(3, 0), 0u);
  EXPECT_EQ(bmp.PixelRGBA(0, -1), TRGBA{});
  bmp.FillRect(5, 5, 1, 1, 0xABCDEF);  // clipped, corners in any order
  EXPECT_EQ(bmp.Pixel(1, 1), 0xABCDEFu);
  EXPECT_EQ(bmp.Pixel(2, 1), 0xABCDEFu);
  EXPECT_EQ(bmp.Pixel(0, 1), 0x030201u);
  EXPECT_THROW(bmp.SetSize(-1, 5), EInvalidGraphic);
  EXPECT_THROW(bmp.SetSize(1 << 20, 1 << 20), EInvalidGraphic);
  EXPECT_EQ(bmp.Width(), 3);  // unchanged by a refused size
  bmp.SetSize(0, 7);
  EXPECT_TRUE(bmp.Empty());
  EXPECT_EQ(bmp.Height(), 0);
}

TEST(BitmapTest, BmpHeadersRowsAndPadding) {
  // 3 pixels of 3 bytes: rows padded from 9 to 12 bytes, bottom row first.
  TBitmap bmp(3, 2, 0x000000);
  bmp.SetPixel(0, 0, 0x0000FF);   // top left red
  bmp.SetPixel(2, 1, 0xFF0000);   // bottom right blue
  TempFile f(".bmp");
  bmp.SaveToBMP(f.Path());
  const auto b = FileBytes(f.Path());
  ASSERT_EQ(b.size(), 54u + 2 * 12);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(Le32(b, 10), 54u);
  EXPECT_EQ(Le32(b, 14), 40u);
  EXPECT_EQ(Le32(b, 18), 3u);
  EXPECT_EQ(Le32(b, 22), 2u);
  EXPECT_EQ(b[28], 24);
  EXPECT_EQ(Le32(b, 34), 24u);
  // Bottom row (y = 1) first: its last pixel blue, stored B, G, R.
  EXPECT_EQ(b[54 + 6], 0xFF);
  EXPECT_EQ(b[54 + 8], 0x00);
  // Top row: first pixel red.
  EXPECT_EQ(b[66 + 0], 0x00);
  EXPECT_EQ(b[66 + 2], 0xFF);
  bmp.SetHasAlpha(true);
  bmp.SetPixelRGBA(0, 1, {10, 20, 30, 40});
  bmp.SaveToFile(f.Path());
  const auto a = FileBytes(f.Path());
  ASSERT_EQ(a.size(), 54u + 2 * 12);
  EXPECT_EQ(a[28], 32);
  EXPECT_EQ((std::vector<std::uint8_t>(a.begin() + 54, a.begin() + 58)), (std::vector<std::uint8_t>{30, 20, 10, 40}));
}

TEST(BitmapTest, SaveErrorsRaiseAndLeaveNoFile) {
  TBitmap bmp(2, 2);
  TempFile f(".gif");
  EXPECT_THROW(bmp.SaveToFile(f.Path()), EInvalidGraphic);
  EXPECT_THROW(bmp.SaveToFile("/nonexistent-dir/a.png"), EFCreateError);
  EXPECT_THROW(TBitmap().SaveToFile("empty.png"), EInvalidGraphic);
  TempFile j(".jpg");
  TBitmap wide(65501, 1);
  EXPECT_THROW(wide.SaveToFile(j.Path()), EInvalidGraphic);
  EXPECT_FALSE(std::filesystem::exists(j.Path()));
  TBitmapFormat fmt{};
  EXPECT_TRUE(BitmapFormatOfName("a.b/C.JPEG", fmt));
  EXPECT_EQ(fmt, TBitmapFormat::bfJPEG);
  EXPECT_FALSE(BitmapFormatOfName("dir.png/noext", fmt));
}

TEST(ClipboardBitmapTest, OneContentAtATime) {
  TClipboard& clip = Clipboard();
  TBitmap bmp(2, 1, 0x0000FF);
  clip.SetAsText("text");
  clip.SetBitmap(bmp);
  EXPECT_TRUE(clip.HasBitmap());
  EXPECT_FALSE(clip.HasText());
  EXPECT_EQ(clip.Bitmap(), bmp);
  clip.SetAsText("again");
  EXPECT_FALSE(clip.HasBitmap());
  EXPECT_TRUE(clip.Bitmap().Empty());
  clip.SetBitmap(bmp);
  clip.Clear();
  EXPECT_FALSE(clip.HasBitmap());
}

}  // namespace
}  // namespace kvl
