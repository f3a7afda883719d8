// `kvl fit`: the bundled sample, models and predictions, and the errors of
// bad files and command lines (one line on standard error, status 1 or 2).

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "fit.h"
#include "kvl/containers/asc_format.h"
#include "kvl_test_support.h"

namespace kvl::tool {
namespace {

using test::TempFile;

using test_cli::TResult;

TResult Fit(const std::vector<std::string>& Args, const std::string& Stdin = "") {
  return test_cli::RunProgram(Args, Stdin);
}

const std::string kSample = std::string(KVL_DATA_DIR) + "/galileo_ramp.asc";

std::string Pairs(const std::string& Rows, int N) {
  return "t\n2\t;c\n" + std::to_string(N) + "\t;r\nFALSE FALSE FALSE\n" + Rows;
}

TEST(FitCommand, LineOfTheBundledSampleAndAQuadraticWithAPrediction) {
  const TResult line = Fit({"fit", kSample});
  ASSERT_EQ(line.Exit, 0) << line.Err;
  EXPECT_EQ(line.Err, "");
  EXPECT_NE(line.Out.find("pairs               7\n"), std::string::npos) << line.Out;
  EXPECT_NE(line.Out.find("model               rmLinear  y = k0 + k1*x\n"), std::string::npos);
  EXPECT_NE(line.Out.find("k1                  0.33333704"), std::string::npos) << line.Out;
  // Galileo's heights and distances lie on a parabola (the textbook fit).
  const TResult quad = Fit({"fit", kSample, "--model", "poly", "--order", "2", "--predict", "700", "--p", "0.9"});
  ASSERT_EQ(quad.Exit, 0) << quad.Err;
  EXPECT_NE(quad.Out.find("k0                  199.91"), std::string::npos) << quad.Out;
  EXPECT_NE(quad.Out.find("k2                  -0.00034369"), std::string::npos);
  EXPECT_NE(quad.Out.find("prediction int.     +/- "), std::string::npos);
  EXPECT_NE(quad.Out.find("(p = 0.9)"), std::string::npos);
}

TEST(FitCommand, StandardInputAndHelp) {
  const TResult r = Fit({"fit", "-", "--model", "expo"}, Pairs("0 1\n1 2\n2 4\n3 8\n", 4));
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("k1                  0.6931471806"), std::string::npos) << r.Out;
  const TResult help = Fit({"fit", "--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_EQ(help.Out, FitHelp());
  EXPECT_NE(Usage(Commands()).find("fit FILE [--model NAME]"), std::string::npos);
}

struct TErrorCase {
  const char* Name;
  std::vector<std::string> Args;  // "@" stands for the file holding Text
  std::string Text;
  int Exit;
  std::string Err;
};

class FitCommandErrors : public ::testing::TestWithParam<TErrorCase> {};

TEST_P(FitCommandErrors, OneLineAndTheStatus) {
  const TErrorCase& c = GetParam();
  TempFile file(".asc");
  test::WriteFile(file.Path(), c.Text);
  std::vector<std::string> args{"fit"};
  for (const std::string& a : c.Args) args.push_back(a == "@" ? file.Path() : a);
  const TResult r = Fit(args);
  EXPECT_EQ(r.Exit, c.Exit);
  EXPECT_EQ(r.Out, "");
  std::string expected = c.Err;
  if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, file.Path());
  EXPECT_EQ(r.Err, expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, FitCommandErrors,
    ::testing::Values(
        TErrorCase{"Malformed", {"@"}, "t\nzwei\t;c\n", 1, "kvl: @: " + ASCStatusText(-15) + "\n"},
        TErrorCase{"OneColumn", {"@"}, "t\n1\t;c\n2\t;r\nFALSE FALSE FALSE\n1\n2\n", 1,
                   "kvl: @: the file must hold two columns (x and y)\n"},
        TErrorCase{"BadValue", {"@"}, Pairs("1 2\n3 x\n", 2), 1, "kvl: @: " + ASCStatusText(-6) + "\n"},
        TErrorCase{"LogOfNegative", {"@", "--model", "log"}, Pairs("-1 2\n3 4\n5 6\n", 3), 1,
                   "kvl: @: CalcLogFit: x values must be positive\n"},
        TErrorCase{"SameX", {"@"}, Pairs("1 2\n1 4\n", 2), 1, "kvl: @: CalcLinFit: slope is infinite\n"},
        TErrorCase{"UnknownModel", {"@", "--model", "spline"}, "", 2,
                   "kvl fit: unknown model \"spline\" (try kvl fit --help)\n"},
        TErrorCase{"OrderTooHigh", {"@", "--model", "poly", "--order", "11"}, "", 2,
                   "kvl fit: --order takes a whole number from 0 to 10, not \"11\" (try kvl fit --help)\n"},
        TErrorCase{"BadP", {"@", "--predict", "1", "--p", "1"}, "", 2,
                   "kvl fit: --p must be at least 0.5 and below 1 (try kvl fit --help)\n"},
        TErrorCase{"NoFile", {}, "", 2, "kvl fit: expected one FILE (try kvl fit --help)\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kvl::tool
