#include "fourier_cmd.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <vector>

#include "args.h"
#include "input.h"
#include "kvl/containers/asc_format.h"
#include "kvl/transforms/KVL_fourier.h"

namespace kvl::tool {

namespace {

struct TWindowName {
  std::string_view Name;
  TFastFourierWgtWin Window;
};

constexpr TWindowName kWindows[] = {
    {"rectangle", TFastFourierWgtWin::fwRectangle},
    {"triangle", TFastFourierWgtWin::fwTriangle},
    {"cos2", TFastFourierWgtWin::fwCos2},
    {"gauss", TFastFourierWgtWin::fwGauss},
    {"hamming", TFastFourierWgtWin::fwHamming},
    {"blackman", TFastFourierWgtWin::fwBlackman},
    {"blkmharris", TFastFourierWgtWin::fwBlkmHarris},
    {"blkmnuttall", TFastFourierWgtWin::fwBlkmNuttall},
    {"tukey", TFastFourierWgtWin::fwTukey},
};

constexpr double kDefaultTukeyAlpha = 0.5;

struct TWindowChoice {
  TFastFourierWgtWin Window = TFastFourierWgtWin::fwRectangle;
  std::string WindowText = "rectangle";
  double Alpha = kDefaultTukeyAlpha;
};

std::string Lower(std::string_view s) {
  std::string t(s);
  for (char& c : t) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return t;
}

// NAME or tukey:ALPHA with 0 <= ALPHA <= 1.
bool ParseWindow(const std::string& Text, TWindowChoice& Opt) {
  const std::string word = Lower(Text);
  const std::size_t colon = word.find(':');
  const std::string name = word.substr(0, colon);
  const auto w = std::ranges::find(kWindows, std::string_view(name), &TWindowName::Name);
  if (w == std::end(kWindows)) return false;
  Opt.Window = w->Window;
  Opt.WindowText = name;
  if (colon == std::string::npos) return true;
  if (w->Window != TFastFourierWgtWin::fwTukey) return false;
  const std::string a = word.substr(colon + 1);
  double alpha = 0;
  if (!ParseNumber(a, alpha) || !(alpha >= 0 && alpha <= 1)) return false;
  Opt.Alpha = alpha;
  Opt.WindowText = "tukey:" + a;
  return true;
}

std::string Num(double x) { return FormatNumber(x, 15); }

}  // namespace

std::string SpectrumHelp() {
  return "usage: kvl spectrum FILE [--window NAME] [--size N] [--column C]\n"
         "\n"
         "Reads column C (default 1) of FILE, an ASC column text, as equally spaced\n"
         "samples, weights them with a window and prints, for every spectral line\n"
         "L = 0..N/2 of their fast Fourier transform, the power and the magnitude:\n"
         "\n"
         "  power      |X_0|^2 / N at line 0, (|X_L|^2 + |X_N-L|^2) / N above\n"
         "  magnitude  |X_0| / N at line 0, |X_L + conj X_N-L| / N above (the\n"
         "             amplitude of a cosine at line L)\n"
         "\n"
         "Line L stands for the frequency L / (N dt) at a sampling interval dt.\n"
         "\n"
         "options:\n"
         "  --window NAME  rectangle (default), triangle, cos2, gauss, hamming,\n"
         "                 blackman, blkmharris, blkmnuttall or tukey[:ALPHA]\n"
         "                 (ALPHA from 0 to 1, default 0.5)\n"
         "  --size N       the block length, a power of two from 1 to 8388608: the\n"
         "                 values are cut after N or padded with zeros to N\n"
         "                 (default: the smallest power of two that holds them)\n"
         "  --column C     the column of a multi-column file (default 1)\n"
         "\n"
         "The output is an ASC column text of three named columns (line, power,\n"
         "magnitude), one row per line. The input must hold every sample: a\n"
         "missing value (NAN or ###) is an error. A FILE of - reads standard input.\n"
         "\n"
         "Exit status: 0 done, 1 the file is missing, malformed or holds a bad\n"
         "value (one line on standard error says which), 2 wrong command line,\n"
         "3 internal error of the program.\n";
}

int RunSpectrum(std::span<const std::string> Args, const TStreams& IO) {
  std::string file;
  TWindowChoice win;
  std::int32_t size = 0;  // 0: the smallest power of two that holds the values
  std::int32_t column = 1;
  TArgParser args("spectrum", IO, SpectrumHelp);
  args.Positional("FILE", file)
      .Option("--window", 1,
              [&win](std::span<const std::string> v) {
                return ParseWindow(v[0], win) ? std::string() : "unknown window \"" + v[0] + "\"";
              })
      .Option("--size", 1,
              [&size](std::span<const std::string> v) {
                if (ParseNumber(v[0], size) && size >= 1 && size <= TFastFourier::kMaxSpectrumSize &&
                    std::has_single_bit(static_cast<std::uint32_t>(size)))
                  return std::string();
                return "--size takes a power of two from 1 to " +
                       std::to_string(TFastFourier::kMaxSpectrumSize) + ", not \"" + v[0] + "\"";
              })
      .Number("--column", column);
  if (const auto code = args.Parse(Args)) return *code;
  if (column < 1) return args.Usage("--column must be at least 1");

  TInput in(file, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  const std::string& fname = in.Name();
  TASCColumnReader reader(in.Stream());
  if (const std::int32_t status = reader.ReadHeader()) return in.Fail(ASCStatusText(status));
  const TASCHeader& header = reader.Header();
  if (column > header.NrColumns)
    return in.Fail("--column " + std::to_string(column) + " is beyond the file's " +
                   std::to_string(header.NrColumns) + " column(s)");
  if (header.NrRows < 1) return in.Fail("the file holds no values");
  // Rows past the block are not needed; the header's count fits the stream.
  const std::int32_t wanted = size > 0 ? std::min(size, header.NrRows) : header.NrRows;
  if (size == 0 && wanted > TFastFourier::kMaxSpectrumSize)
    return in.Fail("more than " + std::to_string(TFastFourier::kMaxSpectrumSize) +
                   " values: choose a block with --size");
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(wanted));
  for (std::int32_t row = 1; row <= wanted; ++row) {
    if (const std::int32_t status = reader.ReadRowLead())
      return in.Fail("row " + std::to_string(row) + ": " + ASCStatusText(status));
    for (std::int32_t c = 1; c <= header.NrColumns; ++c) {
      double v = 0;
      bool missing = false;
      if (!reader.ReadValue(v, missing))
        return in.Fail("row " + std::to_string(row) + ": " + ASCStatusText(kASCBadValue));
      if (c != column) continue;
      if (missing)
        return in.Fail("row " + std::to_string(row) + ": missing value (a spectrum needs every sample)");
      if (!std::isfinite(v)) return in.Fail("row " + std::to_string(row) + ": the value is not finite");
      values.push_back(v);
    }
  }

  const std::int32_t N =
      size > 0 ? size : static_cast<std::int32_t>(std::bit_ceil(static_cast<std::uint32_t>(wanted)));
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  for (std::int32_t k = 1; k <= static_cast<std::int32_t>(values.size()); ++k)
    fft.SetRealSpec(k, values[static_cast<std::size_t>(k - 1)]);
  fft.SetWeightingWindow(win.Window);
  fft.SetTukeyAlpha(win.Alpha);
  fft.Transform();

  const std::string title = "Spectrum of " + fname + " column " + std::to_string(column) + ": " +
                            std::to_string(values.size()) + " values in a block of " + std::to_string(N) +
                            ", " + win.WindowText + " window";
  const bool flags[] = {false, true, false, false};
  WriteASCHeader(IO.Out, ASCTitle(title, "", ""), 3, N / 2 + 1, flags);
  IO.Out << "\"line\" \"power\" \"magnitude\"\n";
  for (std::int32_t L = 0; L <= N / 2; ++L)
    IO.Out << L << ' ' << Num(fft.PowerSpec(L)) << ' ' << Num(fft.Magnitude(L)) << '\n';
  return kExitOK;
}

}  // namespace kvl::tool
