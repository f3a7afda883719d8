#pragma once
// Helpers shared by the test programs.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
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
/// Absolute tolerances of values of order 1: kTol1e18 to kTol1e15 for
/// results carried in 80-bit or exact to a rounding of double, kTol1e14 to
/// kTol1e12 for a few roundings summed over a short computation, kTol1e10
/// and coarser for iterative methods and library fallbacks that stop at a
/// stated accuracy (the test beside each says which).
inline constexpr double kTol1e18 = 1e-18;
inline constexpr double kTol1e17 = 1e-17;
inline constexpr double kTol1e16 = 1e-16;
inline constexpr double kTol1e15 = 1e-15;
inline constexpr double kTol1e14 = 1e-14;
inline constexpr double kTol1e13 = 1e-13;
inline constexpr double kTol1e12 = 1e-12;
inline constexpr double kTol1e10 = 1e-10;
inline constexpr double kTol1e9 = 1e-9;
inline constexpr double kTol1e8 = 1e-8;
inline constexpr double kTol1e6 = 1e-6;
inline constexpr double kTol1e4 = 1e-4;

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

/// RandomValues: n values uniform in [-1, 1), reproducible by Seed. Every
/// random matrix of the tests comes from here, filled column after column.
inline std::vector<double> RandomValues(std::size_t n, unsigned Seed) {
  std::mt19937 gen(Seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = dist(gen);
  return v;
}

/// RandomMatrix: NCols x NRows cells ([column][row]) of RandomValues(Seed).
inline kvl::TDouble2DArray RandomMatrix(std::size_t NCols, std::size_t NRows, unsigned Seed) {
  const std::vector<double> v = RandomValues(NCols * NRows, Seed);
  kvl::TDouble2DArray a(NCols);
  for (std::size_t c = 0; c < NCols; ++c)
    a[c].assign(v.begin() + static_cast<std::ptrdiff_t>(c * NRows), v.begin() + static_cast<std::ptrdiff_t>((c + 1) * NRows));
  return a;
}

/// ReadFile: the whole file as bytes ("" when it cannot be opened).
inline std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

/// WriteFile: replaces the file's content by Content, byte for byte.
inline void WriteFile(const std::string& Path, const std::string& Content) {
  std::ofstream(Path, std::ios::binary) << Content;
}

/// CaseName: the parts joined by '_', made fit for a test name ('-' reads
/// "m", '.' reads "p", anything else not alphanumeric '_').
template <class... P>
std::string CaseName(const P&... Parts) {
  std::ostringstream s;
  ((s << Parts << '_'), ...);
  std::string name = s.str();
  name.pop_back();
  std::string out;
  for (char c : name) {
    if (c == '-') out += 'm';
    else if (c == '.') out += 'p';
    else out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return out;
}

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
