// kvl: the command-line program of the KVL library.
//
//   kvl describe FILE      summary statistics of a one-column ASC file
//   kvl --help             usage

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "describe.h"

namespace {

const char* const kUsage =
    "kvl - command-line companion of the KVL numerics library\n"
    "\n"
    "usage: kvl COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  describe FILE   summary statistics and a histogram of the values of a\n"
    "                  one-column ASC file\n"
    "\n"
    "options:\n"
    "  -h, --help      this text; kvl COMMAND --help explains a command\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace kvl::tool;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return kExitUsage;
  }
  if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    std::cout << kUsage;
    return kExitOK;
  }
  try {
    if (args[0] == "describe") return RunDescribe(std::span(args).subspan(1), std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "kvl: " << e.what() << '\n';
    return kExitFileError;
  }
  std::cerr << "kvl: unknown command \"" << args[0] << "\" (try kvl --help)\n";
  return kExitUsage;
}
