// The scratch file of the file-name readers, and the replay program's table
// of targets.

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "fuzz_target.h"

namespace kvl_fuzz {

std::map<std::string, TTarget>& Targets() {
  static std::map<std::string, TTarget> targets;
  return targets;
}

bool Register(const char* Name, TTarget Body) {
  Targets().emplace(Name, Body);
  return true;
}

namespace {

// Removed when the program ends.
struct TScratch {
  std::string Path = (std::filesystem::temp_directory_path() / ("kvl_fuzz_" + std::to_string(::getpid()) + ".bin"))
                         .string();
  ~TScratch() {
    std::error_code ec;
    std::filesystem::remove(Path, ec);
  }
};

}  // namespace

const std::string& ScratchFile(TBytes Data) {
  static TScratch scratch;
  std::ofstream out(scratch.Path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
  return scratch.Path;
}

}  // namespace kvl_fuzz
