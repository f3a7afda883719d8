// Every command of the kvl program through the dispatcher: its help, a run
// on the bundled samples and a run on malformed standard input.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "kvl_test_support.h"

namespace kvl::tool {
namespace {

using test::TempFile;
using test_cli::RunProgram;

const std::string kData = KVL_DATA_DIR;
const std::string kColumn = kData + "/shaft_diameters.asc";  // one column
const std::string kPairs = kData + "/galileo_ramp.asc";      // two columns
const std::string kStations = kData + "/alpine_stations.csv";

// Runs of one command; "@IMAGE" and "@MODEL" stand for files the test
// provides (the sample run of learn writes the model its malformed run reads).
struct TCommandCase {
  std::string Name;
  std::vector<std::string> Sample;     // a run on the bundled samples
  std::string SampleShows;             // a text its output holds
  std::vector<std::string> Malformed;  // a run that reads standard input
};

const std::vector<TCommandCase>& Cases() {
  static const std::vector<TCommandCase> cases = {
      {"describe", {kColumn}, "median              25.001\n", {"-"}},
      {"fit", {kPairs, "--model", "parabolic"}, "pairs               7\n", {"-"}},
      {"smooth", {kColumn, "--method", "median"}, "moving median (window 5)", {"-", "--method", "average"}},
      {"spectrum", {kColumn, "--window=hamming"}, "\"line\" \"power\" \"magnitude\"\n", {"-"}},
      {"table", {kStations, "--info"}, "rows: ", {"-", "--to", "csv"}},
      {"cluster", {kPairs, "--k", "2"}, "within-cluster SS", {"-", "--method", "ward"}},
      {"image", {kPairs, "--out", "@IMAGE"}, "", {"-", "--out", "@IMAGE"}},
      {"learn",
       {"train", kPairs, "--target", "distance", "--out", "@MODEL"},
       "leave-one-out RMSE",
       {"predict", "@MODEL", "-"}},
  };
  return cases;
}

struct EveryCommand : ::testing::Test {
  TempFile Image{".png"}, Model{".xml"};

  std::vector<std::string> Args(const std::string& Name, std::vector<std::string> A) const {
    for (std::string& a : A) a = a == "@IMAGE" ? Image.Path() : a == "@MODEL" ? Model.Path() : a;
    A.insert(A.begin(), Name);
    return A;
  }
};

TEST_F(EveryCommand, IsCoveredHere) {
  for (const TCommand& c : Commands())
    EXPECT_TRUE(std::ranges::any_of(Cases(), [&](const TCommandCase& k) { return k.Name == c.Name; }))
        << c.Name;
}

TEST_F(EveryCommand, HelpSampleAndMalformedInput) {
  for (const TCommandCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    const auto help = RunProgram({c.Name, "--help"});
    EXPECT_EQ(help.Exit, kExitOK);
    EXPECT_TRUE(help.Out.starts_with("usage: kvl " + c.Name)) << help.Out;

    const auto sample = RunProgram(Args(c.Name, c.Sample));
    EXPECT_EQ(sample.Exit, kExitOK) << sample.Err;
    EXPECT_EQ(sample.Err, "");
    EXPECT_NE(sample.Out.find(c.SampleShows), std::string::npos) << sample.Out;

    const auto bad = RunProgram(Args(c.Name, c.Malformed), "<kvl>\n2\n");
    EXPECT_EQ(bad.Exit, kExitBadInput) << bad.Out;
    EXPECT_TRUE(bad.Err.starts_with("kvl: standard input: ")) << bad.Err;
    EXPECT_EQ(std::ranges::count(bad.Err, '\n'), 1) << bad.Err;

    const auto usage = RunProgram(Args(c.Name, {"--no-such-option"}));
    EXPECT_EQ(usage.Exit, kExitUsage);
    EXPECT_TRUE(usage.Err.starts_with("kvl " + c.Name + ": ")) << usage.Err;
    EXPECT_TRUE(usage.Err.ends_with(" (try kvl " + c.Name + " --help)\n")) << usage.Err;
  }
}

TEST(KvlInput, NamedPipeIsReadDirectoryAndDeviceAreNot) {
  TempFile fifo(".fifo");
  ASSERT_EQ(mkfifo(fifo.Path().c_str(), 0600), 0);
  std::atomic<bool> written = false;
  std::thread writer([&] {
    std::ifstream in(kColumn, std::ios::binary);
    std::ofstream(fifo.Path(), std::ios::binary) << in.rdbuf();
    written = true;
  });
  const auto piped = RunProgram({"describe", fifo.Path()});
  // Should the program not have read the pipe, the writer waits for a
  // reader: hold one open (without waiting for a writer) until it is done.
  const int drain = written ? -1 : ::open(fifo.Path().c_str(), O_RDONLY | O_NONBLOCK);
  for (char buf[4096]; !written;)
    if (drain < 0 || ::read(drain, buf, sizeof buf) <= 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (drain >= 0) ::close(drain);
  writer.join();
  const auto direct = RunProgram({"describe", kColumn});
  ASSERT_EQ(piped.Exit, kExitOK) << piped.Err;
  EXPECT_EQ(piped.Out.substr(piped.Out.find('\n')), direct.Out.substr(direct.Out.find('\n')));

  for (const std::string& name : {std::filesystem::temp_directory_path().string(), std::string("/dev/zero")}) {
    const auto refused = RunProgram({"describe", name});
    EXPECT_EQ(refused.Exit, kExitBadInput);
    EXPECT_EQ(refused.Err, "kvl: " + name + ": the file cannot be opened\n");
  }
}

}  // namespace
}  // namespace kvl::tool
