#pragma once
// Running a command of the kvl program in a test: its arguments, the text
// of standard input, and what it wrote and returned.

#include <functional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"

namespace kvl::tool::test_cli {

/// TResult: the exit status and the text written to each stream.
struct TResult {
  int Exit = -1;
  std::string Out, Err;
};

/// Run: Command(Args) with Stdin as standard input.
inline TResult Run(const std::function<int(std::span<const std::string>, const TStreams&)>& Command,
                   const std::vector<std::string>& Args, const std::string& Stdin = "") {
  std::istringstream in(Stdin);
  std::ostringstream out, err;
  TResult r;
  r.Exit = Command(Args, {in, out, err});
  r.Out = out.str();
  r.Err = err.str();
  return r;
}

/// RunProgram: the whole program's command line Args (command word first).
inline TResult RunProgram(const std::vector<std::string>& Args, const std::string& Stdin = "",
                          std::span<const TCommand> Table = Commands()) {
  return Run([Table](std::span<const std::string> A, const TStreams& IO) { return RunKvl(A, IO, Table); }, Args,
             Stdin);
}

}  // namespace kvl::tool::test_cli
