// Replays every stored input of every fuzz target (tests/fuzz/corpus/<target>/):
// the seeds and the inputs that once found a fault. A reader that crashes,
// trips a sanitizer or lets anything but its documented exceptions escape
// fails the test; so does a target without stored inputs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzReplay, EveryStoredInputOfEveryTargetIsReadSafely) {
  const std::filesystem::path corpus = KVL_FUZZ_CORPUS_DIR;
  ASSERT_FALSE(kvl_fuzz::Targets().empty());
  for (const auto& [name, body] : kvl_fuzz::Targets()) {
    SCOPED_TRACE(name);
    const std::filesystem::path dir = corpus / name;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    EXPECT_FALSE(files.empty()) << "no stored inputs in " << dir;
    for (const auto& f : files) {
      SCOPED_TRACE(f.filename().string());
      const std::vector<std::uint8_t> bytes = ReadAll(f);
      EXPECT_NO_THROW(body(kvl_fuzz::TBytes(bytes)));
    }
  }
}

}  // namespace
