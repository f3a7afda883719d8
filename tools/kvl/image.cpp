#include "image.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <ostream>

#include "args.h"
#include "input.h"
#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/containers/asc_format.h"
#include "kvl/runtime/bitmap.h"

namespace kvl::tool {

namespace {

struct TScaleName {
  std::string_view Name;
  TColorScale Scale;
  std::string_view Colours;
};

constexpr TScaleName kScales[] = {
    {"gray", TColorScale::csGray, "black to white"},
    {"heat", TColorScale::csHeat, "black, red, yellow, white"},
    {"rainbow", TColorScale::csRainbow, "blue, cyan, green, yellow, red"},
    {"bluered", TColorScale::csBlueRed, "blue, white, red"},
};

constexpr TColor kMissingColor = 0x00FF00FF;  // magenta: stands out on every scale

// Reads the matrix of an ASC text: Data[column][row], missing values NaN.
// Returns 0 or the reader's status; Row is the row that failed.
std::int32_t ReadMatrix(std::istream& In, TDouble2DArray& Data, std::int32_t& Row) {
  TASCColumnReader reader(In);
  Row = 0;
  if (const std::int32_t st = reader.ReadHeader()) return st;
  const TASCHeader& h = reader.Header();
  Data.assign(static_cast<std::size_t>(h.NrColumns), TDoubleArray(static_cast<std::size_t>(h.NrRows)));
  for (std::int32_t r = 0; r < h.NrRows; ++r) {
    Row = r + 1;
    if (const std::int32_t st = reader.ReadRowLead()) return st;
    for (std::int32_t c = 0; c < h.NrColumns; ++c) {
      double v = 0.0;
      bool missing = false;
      if (!reader.ReadValue(v, missing)) return kASCBadValue;
      Data[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = missing ? std::nan("") : v;
    }
  }
  return 0;
}

}  // namespace

std::string ImageHelp() {
  std::string text =
      "usage: kvl image FILE --out IMAGE [--scale NAME] [--range LOW HIGH] [--magnify M]\n"
      "\n"
      "Reads FILE, an ASC text of a matrix (one line per row, the columns side by\n"
      "side; see kvl describe --help for the header), and draws it as an image:\n"
      "column c is pixel column c from the left, row 1 the top pixel row. Each\n"
      "value takes the colour of its place between LOW and HIGH on the scale.\n"
      "IMAGE is written as PNG, BMP or JPEG by its extension (.png, .bmp, .jpg).\n"
      "\n"
      "scales:\n";
  for (const TScaleName& s : kScales) {
    std::string head = "  " + std::string(s.Name);
    head.resize(12, ' ');
    text.append(head).append(s.Colours).append("\n");
  }
  text +=
      "\n"
      "--scale defaults to gray. --range defaults to the smallest and largest\n"
      "value of FILE; values outside it take the colour of its nearer end.\n"
      "--magnify draws every value as M x M pixels (1 to 10, default 1).\n"
      "Missing values (NAN, ###) are drawn magenta.\n"
      "\n"
      "A FILE of - reads the text from standard input.\n"
      "\n"
      "Exit status: 0 done, 1 the file is missing, malformed or holds no values,\n"
      "or IMAGE cannot be written (one line on standard error says which),\n"
      "2 wrong command line, 3 internal error of the program.\n";
  return text;
}

int RunImage(std::span<const std::string> Args, const TStreams& IO) {
  std::string file, outFile;
  const TScaleName* scale = &kScales[0];
  std::optional<double> low, high;
  std::int32_t magnify = 1;
  TArgParser args("image", IO, ImageHelp);
  args.Positional("FILE", file)
      .Text("--out", outFile)
      .Choice("--scale", kScales, &TScaleName::Name, scale)
      .Number("--magnify", magnify, 1, 10)
      .Option("--range", 2, [&low, &high](std::span<const std::string> v) {
        double lo = 0, hi = 0;
        if (!ParseNumber(v[0], lo) || !ParseNumber(v[1], hi) || !(lo < hi) || !std::isfinite(lo) ||
            !std::isfinite(hi))
          return std::string("--range takes two finite numbers LOW < HIGH");
        low = lo;
        high = hi;
        return std::string();
      });
  if (const auto code = args.Parse(Args)) return *code;
  if (outFile.empty()) return args.Usage("--out is required");
  const std::string ext = LowerExtension(outFile);
  if (ext != ".png" && ext != ".bmp" && ext != ".jpg")
    return args.Usage("--out must name a .png, .bmp or .jpg file");

  TInput in(file, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  TDouble2DArray data;
  std::int32_t row = 0;
  const std::int32_t status = ReadMatrix(in.Stream(), data, row);
  if (status == kASCBadRowAttribute || status == kASCBadValue)
    return in.Fail("row " + std::to_string(row) + ": " + ASCStatusText(status));
  if (status != 0) return in.Fail(ASCStatusText(status));
  if (data.empty() || data[0].empty()) return in.Fail("holds no values");
  TInt2DArray colors;
  ScaleArrayToColors(data, low.value_or(0.0), high.value_or(0.0), scale->Scale, colors, kMissingColor);
  try {
    const std::int32_t st = SaveArrayAsImg(outFile, colors, magnify);
    if (st == -3) return in.Fail("too large for an image");
    if (st != 0) return BadInput(IO, outFile, "cannot be written (status " + std::to_string(st) + ")");
  } catch (const Exception& e) {
    return BadInput(IO, outFile, e.Message());
  }
  return kExitOK;
}

}  // namespace kvl::tool
