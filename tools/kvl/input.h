#pragma once
// The input FILE of a kvl command and the one form of its error lines.

#include <fstream>
#include <istream>
#include <string>
#include <string_view>

#include "commands.h"
#include "kvl/containers/asc_format.h"

namespace kvl::tool {

/// BadInput: writes "kvl: NAME: PROBLEM" to IO.Err and returns
/// kExitBadInput; the one form of every input or output file problem.
int BadInput(const TStreams& IO, std::string_view Name, std::string_view Problem);

/// TInput: the input FILE of a command: the named file, or standard input
/// for "-" (a pipe as well as a redirected file). A named pipe (the shell's
/// <(...)) is read as well; a directory or a device is not.
class TInput {
 public:
  /// TInput: opens File; Problem() says why when it cannot be opened.
  TInput(const std::string& File, const TStreams& IO);
  TInput(const TInput&) = delete;
  TInput& operator=(const TInput&) = delete;

  /// IsOpen: true when the input can be read.
  bool IsOpen() const { return FProblem.empty(); }
  /// Problem: why the file cannot be opened ("" when it is open).
  const std::string& Problem() const { return FProblem; }
  /// Name: the file's name, or "standard input": the subject of error lines.
  const std::string& Name() const { return FName; }
  /// IsStdin: true for "-".
  bool IsStdin() const { return FStdin; }
  /// Stream: the open input.
  std::istream& Stream() { return FStdin ? FIO.In : FFile; }
  /// ReadAll: the rest of the input as one text.
  std::string ReadAll();

  /// Fail: BadInput about this input.
  int Fail(std::string_view Problem) const { return BadInput(FIO, FName, Problem); }

 private:
  const TStreams& FIO;
  bool FStdin;
  std::string FName, FProblem;
  std::ifstream FFile;
};

/// ReadFiniteColumn: the one-column ASC text of In into Column; "" or the
/// problem for In.Fail: a malformed header or row ("row N: ..."), no values,
/// or a value that is not finite. Missing values (NAN, ###) pass, listed in
/// Column.MissingRows.
std::string ReadFiniteColumn(TInput& In, TASCColumn& Column);

}  // namespace kvl::tool
