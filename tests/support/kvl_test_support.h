#pragma once
// Helpers shared by the test programs.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/classes.h"

namespace kvl::test {

/// Tolerances in multiples of the machine epsilon of double.
inline constexpr double kEps = std::numeric_limits<double>::epsilon();
inline constexpr double kTol2Eps = 2 * kEps;
inline constexpr double kTol16Eps = 16 * kEps;
inline constexpr double kTol1e12 = 1e-12;
inline constexpr double kTol1e9 = 1e-9;

/// ExpectThrowMessage: runs f and checks that it throws E with exactly Msg.
#define KVL_EXPECT_THROW_MSG(stmt, E, Msg)                                   \
  do {                                                                       \
    try {                                                                    \
      stmt;                                                                  \
      ADD_FAILURE() << "expected " #E " with message: " << (Msg);            \
    } catch (const E& e__) {                                                 \
      EXPECT_EQ(std::string(e__.what()), std::string(Msg));                  \
    }                                                                        \
  } while (0)

/// EventLog: records the names of events in the order they fire.
struct EventLog {
  std::vector<std::string> Events;
  kvl::TNotifyEvent Recorder(const std::string& Name) {
    return [this, Name](kvl::TObject*) { Events.push_back(Name); };
  }
};

/// TempFile: a unique file path removed when the object goes away.
class TempFile {
 public:
  explicit TempFile(const std::string& Suffix = ".tmp") {
    static int counter = 0;
    FPath = (std::filesystem::temp_directory_path() /
             ("kvl_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + Suffix))
                .string();
  }
  ~TempFile() { std::remove(FPath.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

/// ProgressHookGuard: restores the global progress hooks after a test.
struct ProgressHookGuard {
  ProgressHookGuard() = default;
  ~ProgressHookGuard() {
    kvl::MathFeedBackProc = nullptr;
    kvl::AbortMathProc = false;
    kvl::ProcStat = 0.0;
  }
};

}  // namespace kvl::test
