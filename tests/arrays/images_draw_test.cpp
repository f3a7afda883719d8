// Images of arrays written and read back by independent readers (libpng,
// libjpeg, the BMP headers parsed here), the clipboard, and colour scales.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "images_readers.h"
#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/runtime/clipboard.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::TempFile;
using test::TImage;

// JPEG keeps the interior of uniform 8 x 8 blocks close to their colour; its
// chroma is stored at half resolution and quantised (quality 75), so where
// cells of other colours share a chroma block a channel rings by up to about
// 16 units.
constexpr int kJpegChannelTol = 24;

// A 3 x 2 raster of distinct colours.
const TInt2DArray kRaster = {{0x0000FF, 0x00FF00}, {0xFF0000, 0x808080}, {0x123456, 0xFFFFFF}};

TEST(SaveArrayAsImgTest, MagnifiedTwoByOneRasterFillsBlocks) {
  const TInt2DArray data = {{0x00336699}, {0x00CC0011}};
  for (const char* ext : {".bmp", ".png"}) {
    TempFile f(ext);
    ASSERT_EQ(SaveArrayAsImg(f.Path(), data, 3), 0);
    TImage img;
    test::TBmpHeader h;
    ASSERT_TRUE(std::string(ext) == ".png" ? test::ReadPngImage(f.Path(), img) : test::ReadBmpImage(f.Path(), img, h));
    ASSERT_EQ(img.Width, 6);
    ASSERT_EQ(img.Height, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 6; ++x)
        EXPECT_EQ(img.At(x, y), static_cast<std::uint32_t>(data[x / 3][0])) << ext << " pixel " << x << "," << y;
  }
}

TEST(SaveArrayAsImgTest, PngAndBmpRoundTripEveryPixelExactly) {
  for (int m : {1, 2, 7}) {
    TempFile png(".png"), bmp(".bmp");
    ASSERT_EQ(SaveArrayAsImg(png.Path(), kRaster, m), 0);
    ASSERT_EQ(SaveArrayAsImg(bmp.Path(), kRaster, m), 0);
    TImage a, b;
    test::TBmpHeader h;
    ASSERT_TRUE(test::ReadPngImage(png.Path(), a));
    ASSERT_TRUE(test::ReadBmpImage(bmp.Path(), b, h));
    EXPECT_EQ(h.Bits, 24);
    EXPECT_EQ(h.Compression, 0u);
    EXPECT_EQ(h.PixelOffset, 54u);
    ASSERT_EQ(a.Width, 3 * m);
    ASSERT_EQ(a.Height, 2 * m);
    for (int y = 0; y < a.Height; ++y)
      for (int x = 0; x < a.Width; ++x) {
        const auto want = static_cast<std::uint32_t>(kRaster[x / m][y / m]);
        ASSERT_EQ(a.At(x, y), want) << "png m " << m << " at " << x << "," << y;
        ASSERT_EQ(b.At(x, y), want) << "bmp m " << m << " at " << x << "," << y;
      }
  }
}

TEST(SaveArrayAsImgTest, JpegKeepsBlockColoursWithinItsError) {
  // Cells of 8 x 8 pixels aligned to JPEG's blocks; compare block interiors.
  TempFile f(".jpg");
  const TInt2DArray data = {{0x2040C0, 0xC04020}, {0x808080, 0x10E010}};
  ASSERT_EQ(SaveArrayAsImg(f.Path(), data, 8), 0);
  TImage img;
  ASSERT_TRUE(test::ReadJpegImage(f.Path(), img));
  ASSERT_EQ(img.Width, 16);
  ASSERT_EQ(img.Height, 16);
  for (int y = 2; y < 16; y += 8)
    for (int x = 2; x < 16; x += 8)
      for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx) {
          const TRGBA want = ColorToRGBA(static_cast<TColor>(data[(x + dx) / 8][(y + dy) / 8]));
          EXPECT_NEAR(img.Channel(x + dx, y + dy, 0), want.R, kJpegChannelTol);
          EXPECT_NEAR(img.Channel(x + dx, y + dy, 1), want.G, kJpegChannelTol);
          EXPECT_NEAR(img.Channel(x + dx, y + dy, 2), want.B, kJpegChannelTol);
        }
}

TEST(SaveArrayAsImgTest, StatusCodesAndNothingWrittenOnError) {
  struct TCase {
    std::string Suffix;
    std::int32_t Magnification;
    std::int32_t Status;
  };
  const TCase cases[] = {{".BMP", 1, 0}, {".Png", 2, 0}, {".JPG", 1, 0}, {".gif", 1, -1}, {".jpeg", 1, -1},
                         {"", 1, -1},    {".bmp", 0, -2}, {".png", 11, -2}, {".gif", 0, -2}};
  for (const TCase& c : cases) {
    TempFile f(c.Suffix);
    std::filesystem::remove(f.Path());
    EXPECT_EQ(SaveArrayAsImg(f.Path(), kRaster, c.Magnification), c.Status) << c.Suffix << " m " << c.Magnification;
    EXPECT_EQ(std::filesystem::exists(f.Path()), c.Status == 0) << c.Suffix;
  }
  TempFile f(".png");
  std::filesystem::remove(f.Path());
  EXPECT_EQ(SaveArrayAsImg(f.Path(), TInt2DArray{}, 1), -3);
  EXPECT_EQ(SaveArrayAsImg(f.Path(), TInt2DArray{{1, 2}, {3}}, 1), -3);  // ragged
  EXPECT_FALSE(std::filesystem::exists(f.Path()));
}

TEST(SaveArrayAsImgTest, FileErrorsPassAsRuntimeExceptions) {
  EXPECT_THROW(SaveArrayAsImg("/nonexistent-dir/x.png", kRaster, 1), EFCreateError);
}

TEST(SaveArrayAsImgTest, EmptyNamePutsTheBitmapOnTheClipboard) {
  Clipboard().SetAsText("before");
  ASSERT_EQ(SaveArrayAsImg("", kRaster, 2), 0);
  ASSERT_TRUE(Clipboard().HasBitmap());
  EXPECT_FALSE(Clipboard().HasText());
  const TBitmap bmp = Clipboard().Bitmap();
  ASSERT_EQ(bmp.Width(), 6);
  ASSERT_EQ(bmp.Height(), 4);
  EXPECT_EQ(bmp.Pixel(5, 3), 0xFFFFFFu);
  EXPECT_EQ(bmp.Pixel(2, 1), 0xFF0000u);
  Clipboard().Clear();
}

TEST(ColorScaleTest, EndsMiddlesAndNaN) {
  struct TCase {
    TColorScale Scale;
    double T;
    TColor Want;
  };
  const TCase cases[] = {
      {TColorScale::csGray, 0.0, 0x000000},    {TColorScale::csGray, 1.0, 0xFFFFFF},
      {TColorScale::csGray, 0.5, 0x808080},    {TColorScale::csGray, -3.0, 0x000000},
      {TColorScale::csGray, 7.0, 0xFFFFFF},    {TColorScale::csHeat, 1.0 / 3, 0x0000FF},
      {TColorScale::csHeat, 2.0 / 3, 0x00FFFF}, {TColorScale::csRainbow, 0.0, 0xFF0000},
      {TColorScale::csRainbow, 0.5, 0x00FF00}, {TColorScale::csRainbow, 1.0, 0x0000FF},
      {TColorScale::csBlueRed, 0.5, 0xFFFFFF},
  };
  for (const TCase& c : cases) EXPECT_EQ(ScaleColor(c.Scale, c.T), c.Want) << static_cast<int>(c.Scale) << " " << c.T;
  EXPECT_EQ(ScaleColor(TColorScale::csHeat, std::nan(""), 0x00FF00FF), 0x00FF00FFu);
}

TEST(ColorScaleTest, ArrayRangeFromDataOrGiven) {
  const TDouble2DArray data = {{10, 20}, {30, std::nan("")}};
  TInt2DArray colors;
  ASSERT_EQ(ScaleArrayToColors(data, 0, 0, TColorScale::csGray, colors, 0x0000FF), 0);
  EXPECT_EQ(colors, (TInt2DArray{{0x000000, 0x808080}, {0xFFFFFF, 0x0000FF}}));
  ASSERT_EQ(ScaleArrayToColors(data, 10, 50, TColorScale::csGray, colors), 0);
  EXPECT_EQ(colors[1][0], 0x808080);
  EXPECT_EQ(ScaleArrayToColors(TDouble2DArray{}, 0, 1, TColorScale::csGray, colors), -1);
}

}  // namespace
}  // namespace kvl
