#include "smooth.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "args.h"
#include "input.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/asc_format.h"
#include "kvl/modelling/KVL_math2.h"

namespace kvl::tool {

namespace {

using TSmoother = void (*)(const TVector*, std::int32_t, std::int32_t, TVector*, std::int32_t);

struct TMethod {
  std::string_view Name;
  std::string_view Title;  // for the output's title line
  TSmoother Run;
  std::int32_t MinWindow;
  std::int32_t MaxWindow;
};

constexpr std::int32_t kNoLimit = 0x7fffffff;

constexpr TMethod kMethods[] = {
    {"average", "moving average", MovingAverageSmooth, 3, kNoLimit},
    {"median", "moving median", MovingMedianSmooth, 3, kNoLimit},
    {"weighted", "triangular weighted average", WeightedAverageSmooth, 3, kNoLimit},
    {"golay", "Savitzky-Golay smoothing", PolynomialSmooth, 5, 25},
};

// The Savitzky-Golay routines by derivative: the polynomial orders each
// one serves (the same weights serve both orders of a pair).
struct TGolayRoutine {
  std::string_view Title;
  TSmoother Run;
  int OrderLow, OrderHigh;
};
constexpr TGolayRoutine kGolay[3] = {{"Savitzky-Golay smoothing", PolynomialSmooth, 2, 3},
                                     {"Savitzky-Golay first derivative", FirstDeriv, 1, 2},
                                     {"Savitzky-Golay second derivative", SecondDeriv, 2, 3}};

std::string Num(double x) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  return ec == std::errc() ? std::string(buf, end) : std::string("NAN");
}

void WriteColumn(std::ostream& Out, const std::string& Title, std::span<const double> Values) {
  constexpr bool flags[4] = {false, false, false, false};
  WriteASCHeader(Out, Title, 1, static_cast<std::int32_t>(Values.size()), flags);
  for (double v : Values) Out << Num(v) << '\n';
}

}  // namespace

std::string SmoothHelp() {
  return "usage: kvl smooth FILE --method NAME [--window W] [--order K] [--deriv D] [--out FILE]\n"
         "\n"
         "Reads FILE, an ASC column text of one column (see kvl describe --help),\n"
         "smooths or differentiates its values and writes them as an ASC column of\n"
         "the same length to standard output, or to the file given by --out.\n"
         "\n"
         "methods:\n"
         "  average    moving average over W values (W odd, at least 3)\n"
         "  median     moving median over W values (W odd, at least 3)\n"
         "  weighted   moving average with triangular weights (W odd, at least 3)\n"
         "  golay      Savitzky-Golay least-squares polynomial (W odd, 5 to 25):\n"
         "             --deriv 0 smooths (--order 2 or 3), --deriv 1 gives the slope\n"
         "             per sample (--order 1 or 2), --deriv 2 the curvature per\n"
         "             squared sample (--order 2 or 3)\n"
         "\n"
         "W defaults to 5, K to 2 (1 for --deriv 1) and D to 0. The window must be\n"
         "shorter than the data. The first and last W div 2 results repeat the\n"
         "nearest full-window result. Missing values (NAN, ###) are not allowed.\n"
         "\n"
         "A FILE of - reads the text from standard input.\n"
         "\n"
         "Exit status: 0 done, 1 the file is missing, malformed, holds a missing or\n"
         "bad value or is too short for the window, or --out cannot be written\n"
         "(one line on standard error says which), 2 wrong command line,\n"
         "3 internal error of the program.\n";
}

int RunSmooth(std::span<const std::string> Args, const TStreams& IO) {
  std::string file;
  const TMethod* method = nullptr;
  std::optional<std::int32_t> windowOpt, orderOpt, derivOpt;
  std::optional<std::string> outFile;
  TArgParser args("smooth", IO, SmoothHelp);
  args.Positional("FILE", file)
      .Choice("--method", kMethods, &TMethod::Name, method)
      .Number("--window", windowOpt)
      .Number("--order", orderOpt)
      .Number("--deriv", derivOpt)
      .Text("--out", outFile);
  if (const auto code = args.Parse(Args)) return *code;
  if (method == nullptr) return args.Usage("--method is required");
  const std::int32_t window = windowOpt.value_or(5);
  if (window < method->MinWindow || window > method->MaxWindow || window % 2 == 0)
    return args.Usage(method->MaxWindow == kNoLimit
                          ? "the window of " + std::string(method->Name) + " must be odd and at least 3"
                          : "the window of golay must be odd and between 5 and 25");
  std::string title(method->Title);
  TSmoother run = method->Run;
  if (method->Name == "golay") {
    const std::int32_t deriv = derivOpt.value_or(0);
    if (deriv < 0 || deriv > 2) return args.Usage("--deriv must be 0, 1 or 2");
    const TGolayRoutine& g = kGolay[deriv];
    const std::int32_t order = orderOpt.value_or(deriv == 1 ? 1 : 2);
    if (order < g.OrderLow || order > g.OrderHigh)
      return args.Usage("--order with --deriv " + std::to_string(deriv) + " must be " +
                        std::to_string(g.OrderLow) + " or " + std::to_string(g.OrderHigh));
    title = g.Title;
    run = g.Run;
  } else if (orderOpt || derivOpt) {
    return args.Usage("--order and --deriv go with --method golay only");
  }

  TInput in(file, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  const std::string& fname = in.Name();
  TASCColumn column;
  if (const std::string problem = ReadFiniteColumn(in, column); !problem.empty()) return in.Fail(problem);
  const auto rows = static_cast<std::int32_t>(column.Values.size());
  if (!column.MissingRows.empty())
    return in.Fail("row " + std::to_string(column.MissingRows.front()) +
                   ": a missing value (smoothing needs every value)");
  if (rows - 1 < window)
    return in.Fail("the file holds " + std::to_string(rows) + " values, too few for a window of " +
                   std::to_string(window) + " (at least " + std::to_string(window + 1) + " needed)");

  TVector source, result;
  source.Resize(rows);
  source.CopyFrom(std::span<const double>(column.Values), 0, rows - 1, 1);
  result.Resize(rows);
  run(&source, 1, rows, &result, window);

  title += " (window " + std::to_string(window) + ") of " +
           (column.Header.Comment.empty() ? fname : column.Header.Comment);
  if (!outFile) {
    WriteColumn(IO.Out, title, result.Data());
    return kExitOK;
  }
  std::ostringstream text;
  WriteColumn(text, title, result.Data());
  std::ofstream out(*outFile, std::ios::binary);
  if (!(out << text.str()) || !out.flush()) return BadInput(IO, *outFile, "the file cannot be written");
  return kExitOK;
}

}  // namespace kvl::tool
