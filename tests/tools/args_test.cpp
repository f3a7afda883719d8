// The shared argument parser of the kvl commands, on a made-up command.

#include "args.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli_run.h"

namespace kvl::tool {
namespace {

struct TShape {
  std::string_view Name;
  int Corners;
};
constexpr TShape kShapes[] = {{"square", 4}, {"triangle", 3}};

struct TParsed {
  std::string File, Out;
  std::optional<std::int32_t> K;
  double Scale = 1;
  bool Quiet = false;
  const TShape* Shape = &kShapes[0];
  std::vector<std::string> Pair;
};

TParsed gParsed;

std::string DemoHelp() { return "usage: kvl demo FILE\n"; }

int Demo(std::span<const std::string> Args, const TStreams& IO) {
  gParsed = {};
  TArgParser args("demo", IO, DemoHelp);
  args.Positional("FILE", gParsed.File)
      .Text("--out", gParsed.Out)
      .Number("--k", gParsed.K, 1, 100)
      .Number("--scale", gParsed.Scale)
      .Flag("--quiet", gParsed.Quiet)
      .Choice("--shape", kShapes, &TShape::Name, gParsed.Shape)
      .Option("--pair", 2, [](std::span<const std::string> v) {
        gParsed.Pair.assign(v.begin(), v.end());
        return std::string();
      });
  if (const auto code = args.Parse(Args)) return *code;
  return kExitOK;
}

test_cli::TResult RunDemo(const std::vector<std::string>& Args) { return test_cli::Run(Demo, Args); }

TEST(ArgParser, ReadsEveryKindOfOption) {
  const auto r = RunDemo({"--k=7", "data.asc", "--scale", "-2.5e-3", "--quiet", "--shape", "triangle",
                          "--pair", "-1", "x", "--out", "o.txt", "--k", "9"});
  ASSERT_EQ(r.Exit, kExitOK) << r.Err;
  EXPECT_EQ(gParsed.File, "data.asc");
  EXPECT_EQ(gParsed.K, 9);  // the last of a repeated option counts
  EXPECT_EQ(gParsed.Scale, -2.5e-3);
  EXPECT_TRUE(gParsed.Quiet);
  EXPECT_EQ(gParsed.Shape->Corners, 3);
  EXPECT_EQ(gParsed.Pair, (std::vector<std::string>{"-1", "x"}));
  EXPECT_EQ(gParsed.Out, "o.txt");
  // "-" is standard input, and after "--" a word is never an option
  EXPECT_EQ(RunDemo({"-"}).Exit, kExitOK);
  EXPECT_EQ(gParsed.File, "-");
  EXPECT_EQ(RunDemo({"--", "--help"}).Exit, kExitOK);
  EXPECT_EQ(gParsed.File, "--help");
}

TEST(ArgParser, HelpAnywhereWins) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"x", "--bogus", "-h"}, {"--k", "0", "--help"}}) {
    const auto r = RunDemo(args);
    EXPECT_EQ(r.Exit, kExitOK);
    EXPECT_EQ(r.Out, DemoHelp());
    EXPECT_EQ(r.Err, "");
  }
}

TEST(ArgParser, ProblemsAreOneUsageLine) {
  struct TCase {
    std::vector<std::string> Args;
    std::string Problem;
  };
  const TCase cases[] = {
      {{}, "expected one FILE"},
      {{"a", "b"}, "expected one FILE"},
      {{""}, "expected one FILE"},
      {{"a", "--size", "3"}, "unknown option \"--size\""},
      {{"a", "--k"}, "--k needs a value"},
      {{"a", "--k", "0"}, "--k takes a whole number from 1 to 100, not \"0\""},
      {{"a", "--k", "2.5"}, "--k takes a whole number from 1 to 100, not \"2.5\""},
      {{"a", "--scale", "inf"}, "--scale takes a number, not \"inf\""},
      {{"a", "--scale="}, "--scale takes a number, not \"\""},
      {{"a", "--out", ""}, "--out needs a value"},
      {{"a", "--quiet=yes"}, "--quiet takes no value"},
      {{"a", "--pair", "1"}, "--pair needs 2 values"},
      {{"a", "--pair=1"}, "--pair takes its values as separate words"},
      {{"a", "--shape", "circle"}, "unknown shape \"circle\""},
  };
  for (const TCase& c : cases) {
    const auto r = RunDemo(c.Args);
    EXPECT_EQ(r.Exit, kExitUsage) << c.Problem;
    EXPECT_EQ(r.Err, "kvl demo: " + c.Problem + " (try kvl demo --help)\n");
    EXPECT_EQ(r.Out, "");
  }
}

}  // namespace
}  // namespace kvl::tool
