#pragma once
// The `kvl` program's command table and dispatcher.
//
// Every command is one row of the table returned by Commands(): its name,
// the synopsis and summary shown by `kvl --help`, and the function that runs
// it. A new command adds a row; the dispatcher, the help text and the exit
// codes come with it.

#include <charconv>
#include <iosfwd>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace kvl::tool {

/// Exit codes of the program.
inline constexpr int kExitOK = 0;
inline constexpr int kExitBadInput = 1;  ///< the input is missing, malformed or holds a bad value
inline constexpr int kExitUsage = 2;     ///< the command line is wrong
inline constexpr int kExitInternal = 3;  ///< the program failed (a fault, or out of memory)

class TProgressDisplay;

/// TStreams: where a command reads standard input ("-") and writes.
struct TStreams {
  std::istream& In;
  std::ostream& Out;
  std::ostream& Err;
  /// ErrIsTerminal: standard error is a terminal, so progress is shown there.
  bool ErrIsTerminal = false;
  /// Progress: the progress line of the running command (null outside
  /// RunKvl); a command that knows how many steps its work reports tells it.
  TProgressDisplay* Progress = nullptr;
};

/// TCommand: one command of the program.
struct TCommand {
  std::string_view Name;      ///< the command word
  std::string_view Synopsis;  ///< its arguments, as in "describe FILE"
  std::string_view Summary;   ///< what it does, for `kvl --help`
  /// Run: runs the command with the arguments after the command word and
  /// returns the exit code; reads them with TArgParser (args.h), which
  /// handles --help.
  int (*Run)(std::span<const std::string> Args, const TStreams& IO);
};

/// UsageError: writes "kvl COMMAND: PROBLEM (try kvl COMMAND --help)" to
/// IO.Err and returns kExitUsage.
int UsageError(const TStreams& IO, std::string_view Command, std::string_view Problem);

/// ParseNumber: Value := the whole of Text read as a number of type T
/// (from_chars); false when Text is empty or holds anything else.
template <class T>
bool ParseNumber(const std::string& Text, T& Value) {
  const char* end = Text.data() + Text.size();
  const auto [p, ec] = std::from_chars(Text.data(), end, Value);
  return ec == std::errc() && p == end && !Text.empty();
}

/// FormatNumber: x in %g notation with Digits significant digits.
std::string FormatNumber(double x, int Digits);

/// PrintField: one output line "Label", padded with blanks to Width
/// characters (at least one blank), then Value.
void PrintField(std::ostream& Out, std::string_view Label, std::string_view Value, std::size_t Width);

/// Commands: the program's command table.
std::span<const TCommand> Commands();

/// Usage: the text of `kvl --help` for the commands of Table.
std::string Usage(std::span<const TCommand> Table);

/// Version: the text of `kvl --version`.
std::string Version();

/// RunKvl: runs the command line Args (without the program name) with the
/// commands of Table and returns the exit code. The command's work shows
/// its progress on IO.Err when IO.ErrIsTerminal (progress.h). An exception
/// that leaves a command is a fault of the program: one line "kvl: internal
/// error: ..." on IO.Err and kExitInternal.
int RunKvl(std::span<const std::string> Args, const TStreams& IO, std::span<const TCommand> Table);

}  // namespace kvl::tool
