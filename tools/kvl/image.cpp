#include "image.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <fstream>
#include <optional>
#include <ostream>

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

struct TOptions {
  std::string File, Out, Scale = "gray";
  std::optional<double> Low, High;
  std::int32_t Magnify = 1;
};

// Reads the command line into Opt; an empty result means it is sound,
// otherwise it is the problem.
std::string ParseArgs(std::span<const std::string> Args, TOptions& Opt) {
  for (std::size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--out" || a == "--scale" || a == "--magnify") {
      if (i + 1 >= Args.size()) return a + " needs a value";
      const std::string& v = Args[++i];
      if (a == "--out") {
        Opt.Out = v;
      } else if (a == "--scale") {
        Opt.Scale = v;
      } else if (!ParseNumber(v, Opt.Magnify) || Opt.Magnify < 1 || Opt.Magnify > 10) {
        return "--magnify takes a whole number from 1 to 10, not \"" + v + "\"";
      }
    } else if (a == "--range") {
      if (i + 2 >= Args.size()) return "--range needs two values";
      double lo = 0, hi = 0;
      if (!ParseNumber(Args[i + 1], lo) || !ParseNumber(Args[i + 2], hi) || !(lo < hi) || !std::isfinite(lo) ||
          !std::isfinite(hi))
        return "--range takes two finite numbers LOW < HIGH";
      Opt.Low = lo;
      Opt.High = hi;
      i += 2;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option \"" + a + "\"";
    } else if (!Opt.File.empty()) {
      return "expected one FILE";
    } else {
      Opt.File = a;
    }
  }
  if (Opt.File.empty()) return "expected one FILE";
  if (Opt.Out.empty()) return "--out is required";
  const std::string ext = LowerExtension(Opt.Out);
  if (ext != ".png" && ext != ".bmp" && ext != ".jpg") return "--out must name a .png, .bmp or .jpg file";
  if (std::ranges::find(kScales, std::string_view(Opt.Scale), &TScaleName::Name) == std::end(kScales))
    return "unknown scale \"" + Opt.Scale + "\"";
  return {};
}

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
  if (WantsHelp(Args)) {
    IO.Out << ImageHelp();
    return kExitOK;
  }
  TOptions opt;
  if (const std::string problem = ParseArgs(Args, opt); !problem.empty()) return UsageError(IO, "image", problem);
  const auto fail = [&IO](const std::string& Name, const std::string& Problem) {
    IO.Err << "kvl: " << Name << ": " << Problem << '\n';
    return kExitBadInput;
  };
  const bool fromStdin = opt.File == "-";
  const std::string fname = fromStdin ? std::string("standard input") : opt.File;
  std::ifstream file;
  if (!fromStdin)
    if (const std::int32_t status = OpenASCFile(opt.File, file)) return fail(fname, ASCStatusText(status));
  TDouble2DArray data;
  std::int32_t row = 0;
  const std::int32_t status = ReadMatrix(fromStdin ? IO.In : file, data, row);
  if (status == kASCBadRowAttribute || status == kASCBadValue)
    return fail(fname, "row " + std::to_string(row) + ": " + ASCStatusText(status));
  if (status != 0) return fail(fname, ASCStatusText(status));
  if (data.empty() || data[0].empty()) return fail(fname, "holds no values");
  const TColorScale scale = std::ranges::find(kScales, std::string_view(opt.Scale), &TScaleName::Name)->Scale;
  TInt2DArray colors;
  ScaleArrayToColors(data, opt.Low.value_or(0.0), opt.High.value_or(0.0), scale, colors, kMissingColor);
  try {
    const std::int32_t st = SaveArrayAsImg(opt.Out, colors, opt.Magnify);
    if (st == -3) return fail(fname, "too large for an image");
    if (st != 0) return fail(opt.Out, "cannot be written (status " + std::to_string(st) + ")");
  } catch (const Exception& e) {
    return fail(opt.Out, e.Message());
  }
  return kExitOK;
}

}  // namespace kvl::tool
