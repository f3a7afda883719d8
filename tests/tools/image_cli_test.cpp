// `kvl image`: a matrix ASC file drawn as an image, read back through libpng
// and the BMP headers; command-line and input errors.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../arrays/images_readers.h"
#include "cli_run.h"
#include "commands.h"
#include "image.h"
#include "kvl/arrays/array_images.h"
#include "kvl_test_support.h"

namespace kvl::tool {
namespace {

using test::TempFile;

using test_cli::TResult;

TResult Image(const std::vector<std::string>& Args, const std::string& Stdin = "") {
  return test_cli::RunProgram(Args, Stdin);
}

// Three columns, two rows: row 1 is 0 5 10, row 2 is 10 NAN 0.
const std::string kMatrix =
    "title\n3\t;nr. of columns\n2\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;flags\n0 5 10\n10 NAN 0\n";

TEST(ImageCommandTest, DrawsTheMatrixOnTheGrayScale) {
  TempFile asc(".asc"), png(".png");
  std::ofstream(asc.Path()) << kMatrix;
  const TResult r = Image({"image", asc.Path(), "--out", png.Path()});
  ASSERT_EQ(r.Exit, kExitOK) << r.Err;
  test::TImage img;
  ASSERT_TRUE(test::ReadPngImage(png.Path(), img));
  ASSERT_EQ(img.Width, 3);
  ASSERT_EQ(img.Height, 2);
  const std::vector<std::uint32_t> want = {0x000000, 0x808080, 0xFFFFFF, 0xFFFFFF, 0xFF00FF, 0x000000};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(img.At(x, y), want[3 * y + x]) << x << "," << y;
}

TEST(ImageCommandTest, ScaleRangeAndMagnificationFromStandardInput) {
  TempFile bmp(".BMP");
  const TResult r =
      Image({"image", "-", "--out", bmp.Path(), "--scale", "heat", "--range", "0", "20", "--magnify", "2"}, kMatrix);
  ASSERT_EQ(r.Exit, kExitOK) << r.Err;
  test::TImage img;
  test::TBmpHeader h;
  ASSERT_TRUE(test::ReadBmpImage(bmp.Path(), img, h));
  ASSERT_EQ(img.Width, 6);
  ASSERT_EQ(img.Height, 4);
  EXPECT_EQ(img.At(1, 1), 0x000000u);                       // 0: black
  EXPECT_EQ(img.At(5, 0), ScaleColor(TColorScale::csHeat, 0.5));  // 10 of 0..20
}

TEST(ImageCommandTest, ClearErrors) {
  TempFile asc(".asc"), png(".png");
  std::ofstream(asc.Path()) << kMatrix;
  struct TCase {
    std::vector<std::string> Args;
    int Exit;
    std::string ErrPart;
  };
  const TCase cases[] = {
      {{"image"}, kExitUsage, "expected one FILE"},
      {{"image", asc.Path()}, kExitUsage, "--out is required"},
      {{"image", asc.Path(), "--out", "x.gif"}, kExitUsage, ".png, .bmp or .jpg"},
      {{"image", asc.Path(), "--out", png.Path(), "--scale", "sepia"}, kExitUsage, "unknown scale \"sepia\""},
      {{"image", asc.Path(), "--out", png.Path(), "--magnify", "11"}, kExitUsage, "--magnify"},
      {{"image", asc.Path(), "--out", png.Path(), "--range", "3", "1"}, kExitUsage, "LOW < HIGH"},
      {{"image", asc.Path(), "--out", png.Path(), "--colour"}, kExitUsage, "unknown option"},
      {{"image", "/nonexistent.asc", "--out", png.Path()}, kExitBadInput, "/nonexistent.asc"},
      {{"image", asc.Path(), "--out", "/nonexistent-dir/a.png"}, kExitBadInput, "/nonexistent-dir/a.png"},
  };
  for (const TCase& c : cases) {
    const TResult r = Image(c.Args);
    EXPECT_EQ(r.Exit, c.Exit) << c.Args.back();
    EXPECT_NE(r.Err.find(c.ErrPart), std::string::npos) << r.Err;
  }
  const TResult bad = Image({"image", "-", "--out", png.Path()},
                            "t\n2\t;c\n2\t;r\nFALSE FALSE FALSE FALSE\t;f\n1 2\n3 x\n");
  EXPECT_EQ(bad.Exit, kExitBadInput);
  EXPECT_NE(bad.Err.find("row 2"), std::string::npos) << bad.Err;
  const TResult help = Image({"image", "--help"});
  EXPECT_EQ(help.Exit, kExitOK);
  EXPECT_NE(help.Out.find("rainbow"), std::string::npos);
  EXPECT_NE(Usage(Commands()).find("  image FILE --out IMAGE"), std::string::npos);
}

}  // namespace
}  // namespace kvl::tool
