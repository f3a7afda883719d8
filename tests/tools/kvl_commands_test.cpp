// The dispatcher of the kvl program, run with tables of test commands.

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli_run.h"
#include "commands.h"

namespace kvl::tool {
namespace {

using test_cli::TResult;

TResult Dispatch(const std::vector<std::string>& Args, std::span<const TCommand> Table) {
  return test_cli::RunProgram(Args, "", Table);
}

std::vector<std::string> gSeen;  // the arguments the echo command was given

int Echo(std::span<const std::string> Args, const TStreams& IO) {
  gSeen.assign(Args.begin(), Args.end());
  IO.Out << "echo\n";
  return 0;
}
int Failing(std::span<const std::string>, const TStreams&) { throw std::logic_error("a broken invariant"); }
int OutOfMemory(std::span<const std::string>, const TStreams&) { throw std::bad_alloc(); }
int NotAnException(std::span<const std::string>, const TStreams&) { throw 42; }

constexpr TCommand kTable[] = {
    {"echo", "[WORD...]", "prints echo", Echo},
    {"fail", "", "throws", Failing},
    {"oom", "", "runs out of memory", OutOfMemory},
    {"odd", "", "throws something else", NotAnException},
};

TEST(KvlDispatchTest, EveryTableRowIsACommandWithItsHelpLine) {
  const TResult echo = Dispatch({"echo", "a", "-"}, kTable);
  EXPECT_EQ(echo.Exit, 0);
  EXPECT_EQ(echo.Out, "echo\n");
  EXPECT_EQ(gSeen, (std::vector<std::string>{"a", "-"}));
  const std::string usage = Usage(kTable);
  EXPECT_NE(usage.find("  echo [WORD...]  prints echo\n"), std::string::npos) << usage;
  EXPECT_NE(usage.find("  oom             runs out of memory\n"), std::string::npos) << usage;
  EXPECT_EQ(Dispatch({"--help"}, kTable).Out, usage);
  // The program's own table lists describe.
  EXPECT_NE(Usage(Commands()).find("  describe FILE   summary statistics"), std::string::npos);
}

TEST(KvlDispatchTest, ExceptionsAreInternalErrorsOfOneLine) {
  struct Case {
    const char* Command;
    const char* Err;
  };
  for (const Case& c : {Case{"fail", "kvl: internal error: a broken invariant\n"},
                        Case{"oom", "kvl: internal error: std::bad_alloc\n"},
                        Case{"odd", "kvl: internal error: unknown exception\n"}}) {
    const TResult r = Dispatch({c.Command}, kTable);
    EXPECT_EQ(r.Exit, kExitInternal) << c.Command;
    EXPECT_EQ(r.Err, c.Err);
    EXPECT_EQ(r.Out, "");
  }
}

TEST(KvlDispatchTest, UsageErrorsAndVersion) {
  const TResult none = Dispatch({}, kTable);
  EXPECT_EQ(none.Exit, kExitUsage);
  EXPECT_EQ(none.Err, Usage(kTable));
  const TResult unknown = Dispatch({"describe"}, kTable);  // not in this table
  EXPECT_EQ(unknown.Exit, kExitUsage);
  EXPECT_EQ(unknown.Err, "kvl: unknown command \"describe\" (try kvl --help)\n");
  const TResult version = Dispatch({"--version", "ignored"}, kTable);
  EXPECT_EQ(version.Exit, 0);
  EXPECT_EQ(version.Out, std::string("kvl ") + KVL_TOOL_VERSION + "\n");
}

}  // namespace
}  // namespace kvl::tool
