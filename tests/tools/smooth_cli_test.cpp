// `kvl smooth`: the command run on ASC texts, its output read back as ASC.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "kvl/containers/asc_format.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"
#include "smooth.h"

namespace kvl::tool {
namespace {

using test::TempFile;

using test_cli::TResult;

TResult Smooth(const std::vector<std::string>& Args, const std::string& Stdin = "") {
  return test_cli::Run(RunSmooth, Args, Stdin);
}

std::string Column(const std::vector<std::string>& Rows, const std::string& Title = "sensor") {
  std::string text = Title + "\n1\t;nr. of columns\n" + std::to_string(Rows.size()) + "\t;nr. of rows\nFALSE FALSE FALSE FALSE\n";
  for (const auto& r : Rows) text += r + "\n";
  return text;
}

std::string Write(TempFile& File, const std::string& Text) {
  test::WriteFile(File.Path(), Text);
  return File.Path();
}

TASCColumn ReadBack(const std::string& Text) {
  std::istringstream in(Text);
  TASCColumn c;
  EXPECT_EQ(ReadASCColumn(in, c), 0) << Text;
  return c;
}

TEST(SmoothCommandTest, SlopeOfARampAndMedianOfASpike) {
  std::vector<std::string> ramp;
  for (int i = 0; i < 12; ++i) ramp.push_back(std::to_string(0.5 * i + 1));
  TempFile file(".asc");
  const TResult slope = Smooth({Write(file, Column(ramp)), "--method", "golay", "--deriv", "1", "--window", "7"});
  ASSERT_EQ(slope.Exit, 0) << slope.Err;
  const TASCColumn s = ReadBack(slope.Out);
  EXPECT_EQ(s.Header.Comment, "Savitzky-Golay first derivative (window 7) of sensor");
  ASSERT_EQ(s.Values.size(), 12u);
  for (double v : s.Values) EXPECT_NEAR(v, 0.5, test::kTol1e15);

  const TResult median = Smooth({"-", "--method", "median", "--window", "3"}, Column({"1", "2", "90", "3", "4", "5"}));
  ASSERT_EQ(median.Exit, 0) << median.Err;
  EXPECT_EQ(ReadBack(median.Out).Values, (std::vector<double>{2, 2, 3, 4, 4, 4}));

  // --out writes the same text; values keep every digit.
  TempFile out(".asc");
  const std::vector<std::string> rows = {"0.1", "0.7", "0.2", "0.3000000000000001", "1e-300", "5"};
  const TResult toStdout = Smooth({Write(file, Column(rows)), "--method", "average", "--window", "3"});
  ASSERT_EQ(Smooth({file.Path(), "--method", "average", "--window", "3", "--out", out.Path()}).Exit, 0);
  EXPECT_EQ(test::ReadFile(out.Path()), toStdout.Out);
  TVector src, want;
  src.Resize(6);
  want.Resize(6);
  for (std::int32_t i = 1; i <= 6; ++i) src.SetVal(i, std::stod(rows[static_cast<std::size_t>(i - 1)]));
  MovingAverageSmooth(&src, 1, 6, &want, 3);
  EXPECT_EQ(ReadBack(toStdout.Out).Values, std::vector<double>(want.Data().begin(), want.Data().end()));
}

TEST(SmoothCommandTest, HelpAndTheCommandTable) {
  const TResult help = Smooth({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_TRUE(help.Out.starts_with("usage: kvl smooth FILE --method NAME"));
  EXPECT_NE(Usage(Commands()).find("  smooth FILE --method NAME smooths or differentiates"), std::string::npos);
}

struct TBadLine {
  const char* Name;
  std::vector<std::string> Args;  // after FILE
  std::string Err;
};

void PrintTo(const TBadLine& c, std::ostream* os) { *os << c.Name; }

class SmoothUsageTest : public testing::TestWithParam<TBadLine> {};

TEST_P(SmoothUsageTest, ExitTwoWithOneLine) {
  TempFile file(".asc");
  std::vector<std::string> args = {Write(file, Column({"1", "2", "3", "4", "5", "6", "7"}))};
  args.insert(args.end(), GetParam().Args.begin(), GetParam().Args.end());
  const TResult r = Smooth(args);
  EXPECT_EQ(r.Exit, kExitUsage);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "kvl smooth: " + GetParam().Err + " (try kvl smooth --help)\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmoothUsageTest,
    testing::Values(TBadLine{"NoMethod", {}, "--method is required"},
                    TBadLine{"UnknownMethod", {"--method", "spline"}, "unknown method \"spline\""},
                    TBadLine{"EvenWindow", {"--method", "average", "--window", "4"}, "the window of average must be odd and at least 3"},
                    TBadLine{"GolayWindow", {"--method", "golay", "--window", "27"}, "the window of golay must be odd and between 5 and 25"},
                    TBadLine{"NotANumber", {"--method", "median", "--window", "5x"}, "--window takes a whole number, not \"5x\""},
                    TBadLine{"OrderWithAverage", {"--method", "average", "--order", "2"}, "--order and --deriv go with --method golay only"},
                    TBadLine{"Deriv3", {"--method", "golay", "--deriv", "3"}, "--deriv must be 0, 1 or 2"},
                    TBadLine{"CubicSlope", {"--method", "golay", "--deriv", "1", "--order", "3"}, "--order with --deriv 1 must be 1 or 2"},
                    TBadLine{"NoValue", {"--method"}, "--method needs a value"},
                    TBadLine{"TwoFiles", {"other.asc", "--method", "median"}, "expected one FILE"},
                    TBadLine{"UnknownOption", {"--method", "median", "--width", "3"}, "unknown option \"--width\""}),
    [](const testing::TestParamInfo<TBadLine>& info) { return std::string(info.param.Name); });

TEST(SmoothCommandTest, BadInputExitsOneNamingTheProblem) {
  TempFile file(".asc");
  struct TCase {
    std::string Text;
    std::vector<std::string> Args;
    std::string Problem;
  };
  for (const TCase& c :
       {TCase{Column({"1", "2", "3", "4", "5"}), {"--method", "golay"},
              "the file holds 5 values, too few for a window of 5 (at least 6 needed)"},
        TCase{Column({"1", "NAN", "3", "4", "5", "6"}), {"--method", "average", "--window", "3"},
              "row 2: a missing value (smoothing needs every value)"},
        TCase{Column({"1", "2", "x"}), {"--method", "average"}, "row 3: a value could not be read or converted"},
        TCase{Column({"1", "inf", "3", "4"}), {"--method", "average", "--window", "3"}, "row 2: the value is not finite"},
        TCase{Column({}), {"--method", "average"}, "the file holds no values"}}) {
    std::vector<std::string> args = {Write(file, c.Text)};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const TResult r = Smooth(args);
    EXPECT_EQ(r.Exit, kExitBadInput) << c.Problem;
    EXPECT_EQ(r.Err, "kvl: " + file.Path() + ": " + c.Problem + "\n");
  }
  const TResult missing = Smooth({"/nonexistent/x.asc", "--method", "median"});
  EXPECT_EQ(missing.Exit, kExitBadInput);
  EXPECT_EQ(missing.Err, "kvl: /nonexistent/x.asc: the file does not exist\n");
  const TResult unwritable =
      Smooth({Write(file, Column({"1", "2", "3", "4"})), "--method", "median", "--window", "3", "--out", "/nonexistent/y.asc"});
  EXPECT_EQ(unwritable.Exit, kExitBadInput);
  EXPECT_EQ(unwritable.Err, "kvl: /nonexistent/y.asc: the file cannot be written\n");
}

}  // namespace
}  // namespace kvl::tool
