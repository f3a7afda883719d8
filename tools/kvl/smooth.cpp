#include "smooth.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

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

struct TOptions {
  std::string File;
  std::string Method;
  std::optional<std::int32_t> Window, Order, Deriv;
  std::optional<std::string> Out;
};

// Reads the command line into Opt; an empty result means it is sound,
// otherwise it is the problem.
std::string ParseArgs(std::span<const std::string> Args, TOptions& Opt) {
  for (std::size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--method" || a == "--window" || a == "--order" || a == "--deriv" || a == "--out") {
      if (i + 1 >= Args.size()) return a + " needs a value";
      const std::string& v = Args[++i];
      if (a == "--method") {
        Opt.Method = v;
      } else if (a == "--out") {
        if (v.empty()) return "--out needs a file name";
        Opt.Out = v;
      } else {
        std::int32_t n = 0;
        if (!ParseNumber(v, n)) return a + " takes a whole number, not \"" + v + "\"";
        (a == "--window" ? Opt.Window : a == "--order" ? Opt.Order : Opt.Deriv) = n;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option \"" + a + "\"";
    } else if (!Opt.File.empty()) {
      return "expected one FILE";
    } else {
      Opt.File = a;
    }
  }
  if (Opt.File.empty()) return "expected one FILE";
  if (Opt.Method.empty()) return "--method is required";
  return {};
}

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
  if (WantsHelp(Args)) {
    IO.Out << SmoothHelp();
    return kExitOK;
  }
  TOptions opt;
  auto usage = [&](const std::string& Problem) { return UsageError(IO, "smooth", Problem); };
  if (const std::string problem = ParseArgs(Args, opt); !problem.empty()) return usage(problem);
  const auto method = std::ranges::find(kMethods, std::string_view(opt.Method), &TMethod::Name);
  if (method == std::end(kMethods)) return usage("unknown method \"" + opt.Method + "\"");
  const std::int32_t window = opt.Window.value_or(5);
  if (window < method->MinWindow || window > method->MaxWindow || window % 2 == 0)
    return usage(method->MaxWindow == kNoLimit
                     ? "the window of " + opt.Method + " must be odd and at least 3"
                     : "the window of golay must be odd and between 5 and 25");
  std::string title(method->Title);
  TSmoother run = method->Run;
  if (method->Name == "golay") {
    const std::int32_t deriv = opt.Deriv.value_or(0);
    if (deriv < 0 || deriv > 2) return usage("--deriv must be 0, 1 or 2");
    const TGolayRoutine& g = kGolay[deriv];
    const std::int32_t order = opt.Order.value_or(deriv == 1 ? 1 : 2);
    if (order < g.OrderLow || order > g.OrderHigh)
      return usage("--order with --deriv " + std::to_string(deriv) + " must be " + std::to_string(g.OrderLow) +
                   " or " + std::to_string(g.OrderHigh));
    title = g.Title;
    run = g.Run;
  } else if (opt.Order || opt.Deriv) {
    return usage("--order and --deriv go with --method golay only");
  }

  const bool fromStdin = opt.File == "-";
  const std::string fname = fromStdin ? "standard input" : opt.File;
  auto fail = [&](const std::string& Name, const std::string& Problem) {
    IO.Err << "kvl: " << Name << ": " << Problem << '\n';
    return kExitBadInput;
  };
  std::ifstream file;
  if (!fromStdin)
    if (const std::int32_t status = OpenASCFile(fname, file)) return fail(fname, ASCStatusText(status));
  TASCColumn column;
  const std::int32_t status = ReadASCColumn(fromStdin ? IO.In : file, column);
  const auto rows = static_cast<std::int32_t>(column.Values.size());
  if (status == kASCBadRowAttribute || status == kASCBadValue)
    return fail(fname, "row " + std::to_string(rows + 1) + ": " + ASCStatusText(status));
  if (status != 0) return fail(fname, ASCStatusText(status));
  if (rows == 0) return fail(fname, "the file holds no values");
  if (!column.MissingRows.empty())
    return fail(fname, "row " + std::to_string(column.MissingRows.front()) +
                           ": a missing value (smoothing needs every value)");
  for (std::int32_t i = 0; i < rows; ++i)
    if (!std::isfinite(column.Values[static_cast<std::size_t>(i)]))
      return fail(fname, "row " + std::to_string(i + 1) + ": the value is not finite");
  if (rows - 1 < window)
    return fail(fname, "the file holds " + std::to_string(rows) + " values, too few for a window of " +
                           std::to_string(window) + " (at least " + std::to_string(window + 1) + " needed)");

  TVector source, result;
  source.Resize(rows);
  source.CopyFrom(std::span<const double>(column.Values), 0, rows - 1, 1);
  result.Resize(rows);
  run(&source, 1, rows, &result, window);

  title += " (window " + std::to_string(window) + ") of " +
           (column.Header.Comment.empty() ? fname : column.Header.Comment);
  if (!opt.Out) {
    WriteColumn(IO.Out, title, result.Data());
    return kExitOK;
  }
  std::ostringstream text;
  WriteColumn(text, title, result.Data());
  std::ofstream out(*opt.Out, std::ios::binary);
  if (!(out << text.str()) || !out.flush()) return fail(*opt.Out, "the file cannot be written");
  return kExitOK;
}

}  // namespace kvl::tool
