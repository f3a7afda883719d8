// `kvl spectrum`: the command run in process on ASC text, its options and
// its errors.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "kvl/transforms/KVL_fourier.h"
#include "kvl_test_support.h"
#include "fourier_cmd.h"

namespace kvl::tool {
namespace {

using test::TempFile;

using test_cli::TResult;

TResult Spectrum(std::vector<std::string> Args, const std::string& Stdin = "") {
  Args.insert(Args.begin(), "spectrum");
  return test_cli::RunProgram(Args, Stdin);
}

// An ASC text of Columns columns; Rows holds the data lines.
std::string Asc(int Columns, const std::vector<std::string>& Rows) {
  std::string text = "signal\n" + std::to_string(Columns) + "\t;nr. of columns\n" + std::to_string(Rows.size()) +
                     "\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;flags\n";
  for (const auto& r : Rows) text += r + "\n";
  return text;
}

// A cosine of amplitude 2 at line 3 of 16 samples, with its row index beside it.
std::string CosineFile(TempFile& File) {
  std::vector<std::string> rows;
  for (int k = 0; k < 16; ++k) {
    std::ostringstream row;
    row.precision(17);
    row << k << ' ' << 2 * std::cos(2 * std::numbers::pi * 3 * k / 16);
    rows.push_back(row.str());
  }
  std::ofstream(File.Path()) << Asc(2, rows);
  return File.Path();
}

// The data rows of the output: line, power, magnitude.
std::vector<std::vector<double>> Rows(const std::string& Out) {
  std::istringstream in(Out);
  std::string line;
  for (int i = 0; i < 5; ++i) std::getline(in, line);  // header and column names
  std::vector<std::vector<double>> rows;
  double l, p, m;
  while (in >> l >> p >> m) rows.push_back({l, p, m});
  return rows;
}

TEST(KvlSpectrum, CosineColumnGivesItsAmplitude) {
  TempFile f(".asc");
  const TResult r = Spectrum({CosineFile(f), "--column", "2"});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("16 values in a block of 16, rectangle window"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("3\t;nr. of columns\n9\t;nr. of rows\nFALSE TRUE FALSE FALSE"), std::string::npos);
  EXPECT_NE(r.Out.find("\"line\" \"power\" \"magnitude\""), std::string::npos);
  const auto rows = Rows(r.Out);
  ASSERT_EQ(rows.size(), 9u);
  for (std::size_t L = 0; L < rows.size(); ++L) {
    EXPECT_EQ(rows[L][0], static_cast<double>(L));
    EXPECT_NEAR(rows[L][2], L == 3 ? 2.0 : 0.0, test::kTol1e14) << L;
    EXPECT_NEAR(rows[L][1], L == 3 ? 16 * 4 / 2.0 : 0.0, test::kTol1e12) << L;
  }
}

TEST(KvlSpectrum, WindowPaddingAndTruncation) {
  TempFile f(".asc");
  const std::string path = CosineFile(f);
  // Column 1 holds 0..15; a Hamming window as the library applies it.
  const TResult r = Spectrum({path, "--window", "Hamming"});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  TFastFourier fft;
  fft.SetSpectrumSize(16);
  for (int k = 1; k <= 16; ++k) fft.SetRealSpec(k, k - 1);
  fft.SetWeightingWindow(TFastFourierWgtWin::fwHamming);
  fft.Transform();
  const auto rows = Rows(r.Out);
  ASSERT_EQ(rows.size(), 9u);
  for (int L = 0; L <= 8; ++L) EXPECT_NEAR(rows[static_cast<std::size_t>(L)][1], fft.PowerSpec(L), 1e-12 * fft.PowerSpec(0));
  // --size 4 cuts after four values; five values are padded to eight.
  const TResult cut = Spectrum({path, "--size", "4", "--window", "tukey:0.25"});
  ASSERT_EQ(cut.Exit, 0) << cut.Err;
  EXPECT_NE(cut.Out.find("4 values in a block of 4, tukey:0.25 window"), std::string::npos);
  EXPECT_EQ(Rows(cut.Out).size(), 3u);
  const TResult padded = Spectrum({"-"}, Asc(1, {"1", "1", "1", "1", "1"}));
  ASSERT_EQ(padded.Exit, 0) << padded.Err;
  EXPECT_NE(padded.Out.find("standard input column 1: 5 values in a block of 8"), std::string::npos);
  EXPECT_NEAR(Rows(padded.Out)[0][2], 5.0 / 8, test::kTol1e15);
}

TEST(KvlSpectrum, HelpAndCommandLineErrors) {
  const TResult help = Spectrum({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_EQ(help.Out, SpectrumHelp());
  struct TCase {
    std::vector<std::string> Args;
    std::string Message;
  };
  const std::vector<TCase> cases = {
      {{}, "expected one FILE"},
      {{"a.asc", "b.asc"}, "expected one FILE"},
      {{"a.asc", "--window", "kaiser"}, "unknown window \"kaiser\""},
      {{"a.asc", "--window", "hamming:0.5"}, "unknown window \"hamming:0.5\""},
      {{"a.asc", "--window", "tukey:1.5"}, "unknown window \"tukey:1.5\""},
      {{"a.asc", "--size", "100"}, "--size takes a power of two from 1 to 8388608, not \"100\""},
      {{"a.asc", "--size", "16777216"}, "--size takes a power of two from 1 to 8388608"},
      {{"a.asc", "--size=8x"}, "--size takes a power of two"},
      {{"a.asc", "--column", "0"}, "--column must be at least 1"},
      {{"a.asc", "--size"}, "--size needs a value"},
      {{"a.asc", "--sample-rate", "5"}, "unknown option \"--sample-rate\""},
  };
  for (const auto& c : cases) {
    const TResult r = Spectrum(c.Args);
    EXPECT_EQ(r.Exit, kExitUsage) << c.Message;
    EXPECT_NE(r.Err.find("kvl spectrum: " + c.Message), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Out.empty());
  }
}

TEST(KvlSpectrum, BadInputIsReportedWithItsRow) {
  struct TCase {
    std::string Text;
    std::vector<std::string> Extra;
    std::string Message;
  };
  const std::vector<TCase> cases = {
      {Asc(1, {"1", "NAN", "3"}), {}, "row 2: missing value"},
      {Asc(1, {"1", "2", "abc"}), {}, "row 3: "},
      {Asc(2, {"1 2", "3 4"}), {"--column", "3"}, "--column 3 is beyond the file's 2 column(s)"},
      {Asc(1, {"1", "1e999"}), {}, "row 2: "},
      {"signal\n1\t;c\n99999999\t;r\nFALSE FALSE FALSE FALSE\n1\n", {}, ""},
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-"};
    args.insert(args.end(), c.Extra.begin(), c.Extra.end());
    const TResult r = Spectrum(args, c.Text);
    EXPECT_EQ(r.Exit, kExitBadInput) << c.Text;
    EXPECT_NE(r.Err.find("kvl: standard input: " + c.Message), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Out.empty());
  }
  const TResult missing = Spectrum({"/nonexistent/signal.asc"});
  EXPECT_EQ(missing.Exit, kExitBadInput);
  EXPECT_NE(missing.Err.find("kvl: /nonexistent/signal.asc: "), std::string::npos);
}

}  // namespace
}  // namespace kvl::tool
