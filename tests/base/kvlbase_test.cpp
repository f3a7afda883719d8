#include "kvl/base/KVL_kvlbase.h"

#include <gtest/gtest.h>

#include <string_view>

#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(CRC32Test, CheckValueOfStandardString) {
  constexpr std::string_view text = "123456789";
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char c : text) crc = CalcNextCRC32(static_cast<std::uint8_t>(c), crc);
  EXPECT_EQ(~crc, 0xCBF43926u);
  EXPECT_EQ(CalcCRC32(text.data(), text.size()), 0xCBF43926u);
  EXPECT_EQ(CalcCRC32(nullptr, 0), 0u);
}

TEST(ProgressTest, ReportAddsAndCallsHook) {
  test::ProgressHookGuard guard;
  std::vector<double> seen;
  MathFeedBackProc = [&](double p) { seen.push_back(p); };
  ProcStat = 10;
  ReportMathProgress();
  ReportMathProgress(2.5);
  EXPECT_EQ(seen, (std::vector<double>{11.0, 13.5}));
  MathFeedBackProc = nullptr;
  ReportMathProgress();  // no hook: only the counter moves
  EXPECT_EQ(ProcStat, 14.5);
}

}  // namespace
}  // namespace kvl
