// The progress line: driven by the library's progress hook and a test clock.

#include "progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kvl/base/KVL_kvlbase.h"

namespace kvl::tool {
namespace {

struct ProgressDisplay : ::testing::Test {
  double Now = 100.0;
  std::ostringstream Err, Out;
  TProgressDisplay::TClock Clock() {
    return [this] { return Now; };
  }
  void Step(double Seconds, double Steps = 1) {
    Now += Seconds;
    ReportMathProgress(Steps);
  }
};

TEST_F(ProgressDisplay, AppearsAfterASecondAtMostTenTimesASecondAndIsCleared) {
  const std::string first = "\rkvl demo: 15 steps, 1.5 s", second = "\rkvl demo: 27 % (17 of 64), 1.8 s";
  {
    TProgressDisplay p(Err, "kvl demo", true, nullptr, Clock());
    Step(0.5, 10);
    EXPECT_EQ(Err.str(), "");  // quick work shows nothing
    Step(1.0, 5);
    EXPECT_EQ(Err.str(), first);
    Step(0.0625);
    EXPECT_EQ(Err.str(), first);  // too soon for an update
    p.SetTotal(64);
    Step(0.25);
    EXPECT_EQ(Err.str(), first + second);
    Err.str("");
  }
  // the widest line is blanked out when the work ends
  EXPECT_EQ(Err.str(), "\r" + std::string(second.size() - 1, ' ') + "\r");
  EXPECT_FALSE(MathFeedBackProc);  // the hook is given back
}

TEST_F(ProgressDisplay, OutputFirstClearsTheLine) {
  std::ostringstream terminal;  // standard output and error on one screen
  std::ostream out(terminal.rdbuf());
  {
    TProgressDisplay p(terminal, "kvl demo", true, &out, Clock());
    Step(2);
    out << "result " << 42 << '\n';
  }
  const std::string line = "kvl demo: 1 step, 2.0 s";
  EXPECT_EQ(terminal.str(), "\r" + line + "\r" + std::string(line.size(), ' ') + "\rresult 42\n");
  EXPECT_EQ(out.rdbuf(), terminal.rdbuf());  // the stream has its own buffer back
}

TEST_F(ProgressDisplay, SilentWhenStandardErrorIsNoTerminal) {
  bool called = false;
  MathFeedBackProc = [&called](double) { called = true; };
  {
    TProgressDisplay p(Err, "kvl demo", false, &Out, Clock());
    Step(5);
    Out << "x";
  }
  EXPECT_TRUE(called);  // the caller's hook stays in place
  EXPECT_EQ(Err.str(), "");
  EXPECT_EQ(Out.str(), "x");
  MathFeedBackProc = nullptr;
}

}  // namespace
}  // namespace kvl::tool
