// kvl: the command-line program of the KVL library. The commands are listed
// in the table of commands.cpp; `kvl --help` shows them.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);  // standard input is read in blocks
  const std::vector<std::string> args(argv + 1, argv + argc);
  const kvl::tool::TStreams io{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
  const int code = kvl::tool::RunKvl(args, io, kvl::tool::Commands());
  std::cout.flush();
  return code;
}
