#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "kvl/runtime/clipboard.h"

namespace kvl {
namespace {

TEST(ClipboardTest, EmptyTextIsContentButClearIsNot) {
  TClipboard& clip = Clipboard();
  clip.SetAsText("");
  EXPECT_TRUE(clip.HasText());
  clip.Clear();
  EXPECT_FALSE(clip.HasText());
  EXPECT_EQ(clip.AsText(), "");
}

TEST(ClipboardTest, ConcurrentWritersLeaveOneWholeText) {
  TClipboard& clip = Clipboard();
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&clip, t] {
      for (int i = 0; i < 200; ++i) clip.SetAsText(std::string(1000, static_cast<char>('a' + t)));
    });
  for (std::thread& w : writers) w.join();
  const std::string s = clip.AsText();
  ASSERT_EQ(s.size(), 1000u);
  EXPECT_EQ(s.find_first_not_of(s[0]), std::string::npos);
  clip.Clear();
}

}  // namespace
}  // namespace kvl
