// Runs the kvl program as a user would and checks its output and exit code.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kvl_test_support.h"

extern char** environ;

namespace {

using kvl::test::ReadFile;
using kvl::test::TempFile;

struct TRun {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

// Runs the program with Args; standard input comes from the file Stdin
// (none: /dev/null).
TRun Kvl(std::vector<std::string> Args, const std::string& Stdin = "/dev/null") {
  TempFile out(".out"), err(".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, Stdin.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.Path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.Path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  Args.insert(Args.begin(), KVL_PROGRAM);
  std::vector<char*> argv;
  for (auto& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  TRun run;
  if (posix_spawn(&pid, KVL_PROGRAM, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.Out = ReadFile(out.Path());
  run.Err = ReadFile(err.Path());
  return run;
}

const std::string kSample = std::string(KVL_DATA_DIR) + "/shaft_diameters.asc";
const std::string kHeader = "title\n1\t;nr. of columns\n%R\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;flags\n";

std::string OneColumn(const std::vector<std::string>& Rows) {
  std::string text = kHeader;
  text.replace(text.find("%R"), 2, std::to_string(Rows.size()));
  for (const auto& r : Rows) text += r + "\n";
  return text;
}

std::string WriteTemp(TempFile& File, const std::string& Text) {
  std::ofstream(File.Path(), std::ios::binary) << Text;
  return File.Path();
}

TEST(KvlProgramTest, HelpAndUsage) {
  const TRun help = Kvl({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_NE(help.Out.find("describe FILE"), std::string::npos);
  const TRun version = Kvl({"--version"});
  EXPECT_EQ(version.Exit, 0);
  EXPECT_EQ(version.Out, std::string("kvl ") + KVL_TOOL_VERSION + "\n");
  const TRun none = Kvl({});
  EXPECT_EQ(none.Exit, 2);
  EXPECT_NE(none.Err.find("usage: kvl COMMAND"), std::string::npos);
  const TRun unknown = Kvl({"summarise", "x"});
  EXPECT_EQ(unknown.Exit, 2);
  EXPECT_EQ(unknown.Err, "kvl: unknown command \"summarise\" (try kvl --help)\n");
  const TRun describeHelp = Kvl({"describe", "--help"});
  EXPECT_EQ(describeHelp.Exit, 0);
  EXPECT_TRUE(describeHelp.Out.starts_with("usage: kvl describe FILE\n"));
  EXPECT_EQ(Kvl({"describe"}).Exit, 2);
  EXPECT_EQ(Kvl({"describe", "a", "b"}).Exit, 2);
}

TEST(KvlProgramTest, DescribesTheSample) {
  const TRun run = Kvl({"describe", kSample});
  ASSERT_EQ(run.Exit, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  // Figures computed independently from the 200 values of the sample.
  for (const char* line : {"values              200\n", "mean                25.00094\n",
                           "std. deviation      0.004755996\n", "variance            2.26195e-05\n",
                           "minimum             24.987\n", "maximum             25.018\n",
                           "1st quartile        24.998\n", "median              25.001\n",
                           "3rd quartile        25.004\n", "5th percentile      24.99495\n",
                           "95th percentile     25.01\n", "skewness            0.4088081\n",
                           "excess kurtosis     1.011872\n", "geometric mean      25.00094\n",
                           "harmonic mean       25.00094\n", "histogram (bin width 0.005)\n"})
    EXPECT_NE(run.Out.find(line), std::string::npos) << line;
  // The histogram bins hold every value once.
  std::istringstream lines(run.Out.substr(run.Out.find("histogram")));
  std::string line;
  std::getline(lines, line);
  int total = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line.substr(line.find(')') + 1));
    int count = 0;
    fields >> count;
    total += count;
  }
  EXPECT_EQ(total, 200);
  // Values on a bin edge (24.990, 25.005, ...) count in the bin they start.
  for (const char* bin : {"[24.985, 24.990)      2 ", "[24.990, 24.995)      8 ", "[25.000, 25.005)     76 ",
                          "[25.005, 25.010)     29 "})
    EXPECT_NE(run.Out.find(bin), std::string::npos) << bin;
}

TEST(KvlProgramTest, MissingValuesAreLeftOutAndSmallFilesWork) {
  TempFile file(".asc");
  const TRun run = Kvl({"describe", WriteTemp(file, OneColumn({"4", "NAN", "-2", "###"}))});
  ASSERT_EQ(run.Exit, 0) << run.Err;
  EXPECT_NE(run.Out.find("values              2\n"), std::string::npos);
  EXPECT_NE(run.Out.find("missing             2 (NAN or ###, left out)\n"), std::string::npos);
  EXPECT_NE(run.Out.find("variance            18\n"), std::string::npos);
  EXPECT_NE(run.Out.find("skewness            n/a (fewer than 4 values)\n"), std::string::npos);
  EXPECT_NE(run.Out.find("geometric mean      n/a (negative values)\n"), std::string::npos);
  const TRun one = Kvl({"describe", WriteTemp(file, OneColumn({"7"}))});
  ASSERT_EQ(one.Exit, 0) << one.Err;
  EXPECT_NE(one.Out.find("std. deviation      n/a (one value)\n"), std::string::npos);
  EXPECT_NE(one.Out.find("median              7\n"), std::string::npos);
}

TEST(KvlProgramTest, DashReadsStandardInput) {
  // From a file and from a pipe (which cannot seek), the same report.
  const TRun file = Kvl({"describe", kSample});
  const TRun redirected = Kvl({"describe", "-"}, kSample);
  ASSERT_EQ(redirected.Exit, 0) << redirected.Err;
  EXPECT_EQ(redirected.Out.substr(redirected.Out.find("title")), file.Out.substr(file.Out.find("title")));
  EXPECT_TRUE(redirected.Out.starts_with("file                standard input\n"));
  const std::string command = std::string("cat '") + kSample + "' | '" + KVL_PROGRAM + "' describe - 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string piped;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) piped.append(buf, n);
  EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 0);
  EXPECT_EQ(piped, redirected.Out);

  TempFile bad(".asc");
  const TRun badInput = Kvl({"describe", "-"}, WriteTemp(bad, OneColumn({"1", "x"})));
  EXPECT_EQ(badInput.Exit, 1);
  EXPECT_EQ(badInput.Err, "kvl: standard input: row 2: a value could not be read or converted\n");
}

struct BadFile {
  const char* Name;
  std::string Text;  // empty: no file at all
  std::string Problem;
};

// Test names already say the case; the parameter prints as its name.
void PrintTo(const BadFile& Case, std::ostream* Out) { *Out << Case.Name; }

class KvlBadFileTest : public testing::TestWithParam<BadFile> {};

TEST_P(KvlBadFileTest, OneLineNamingFileAndProblem) {
  TempFile file(".asc");
  const std::string path = GetParam().Text.empty() ? file.Path() : WriteTemp(file, GetParam().Text);
  const TRun run = Kvl({"describe", path});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err, "kvl: " + path + ": " + GetParam().Problem + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KvlBadFileTest,
    testing::Values(
        BadFile{"Missing", "", "the file does not exist"},
        BadFile{"HeaderCut", "title\n1\n", "the header has no row-count line"},
        BadFile{"RowsNotANumber", "title\n1\nmany\nFALSE FALSE FALSE FALSE\n1\n", "the row count is not a whole number"},
        BadFile{"HugeRowCount", "title\n1\n99999999\nFALSE FALSE FALSE FALSE\n1\n",
                "the column or row count is too large for the file"},
        BadFile{"BadValue", OneColumn({"1.5", "2.5", "2,5", "4"}), "row 3: a value could not be read or converted"},
        BadFile{"TooFewRows", "title\n1\n3\nFALSE FALSE FALSE FALSE\n1\n2\n", "row 3: a value could not be read or converted"},
        BadFile{"TwoColumns", "t\n2\n1\nFALSE FALSE FALSE FALSE\n1 2\n", "the file does not hold exactly one column"},
        BadFile{"NoRows", OneColumn({}), "the file holds no values"},
        BadFile{"OnlyMissing", OneColumn({"NAN", "###"}), "the file holds only missing values"},
        BadFile{"Infinite", OneColumn({"1", "-Inf"}), "row 2: the value is not finite"}),
    [](const testing::TestParamInfo<BadFile>& info) { return info.param.Name; });

}  // namespace
