#include "kvl/containers/asc_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "kvl_test_support.h"
#include "vector_test_util.h"

namespace kvl {
namespace {

using test::WriteFile;

TEST(ASCWriterTest, TitleIsCommentOrBanner) {
  EXPECT_EQ(ASCTitle("", "TVector", "data/x.asc"), "Exported by KVL TVector component: data/x.asc");
  EXPECT_EQ(ASCTitle("", "TIntVector", "y"), "Exported by KVL TIntVector component: y");
  EXPECT_EQ(ASCTitle("two\nlines\r\nhere", "TVector", "f"), "two lines  here");
}

TEST(ASCWriterTest, HeaderLinesNameTheirFlags) {
  std::ostringstream four;
  const bool flags4[] = {false, true, false, false};
  WriteASCHeader(four, "T", 1, 3, flags4);
  EXPECT_EQ(four.str(),
            "T\n1\t;nr. of columns\n3\t;nr. of rows\n"
            "FALSE TRUE FALSE FALSE\t;row attributes, column names, row names, nominal variables\n");
  std::ostringstream three;
  const bool flags3[] = {false, true, false};
  WriteASCHeader(three, "T", 2, 0, flags3);
  EXPECT_EQ(three.str(), "T\n2\t;nr. of columns\n0\t;nr. of rows\nFALSE TRUE FALSE\t;row attributes, column names, row names\n");
}

struct RealCase {
  const char* Word;
  bool Ok;
  double Value;
};

TEST(ParseRealTest, AcceptsDecimalNumbersOnly) {
  const RealCase cases[] = {
      {"1", true, 1.0},          {"-2.5", true, -2.5},      {"+3e2", true, 300.0},
      {".5", true, 0.5},         {"1E-3", true, 1e-3},      {"1e-400", true, 0.0},
      {"-0.0", true, -0.0},      {"1e400", false, 0},       {"", false, 0},
      {"1,5", false, 0},         {"1.5x", false, 0},        {"+-1", false, 0},
      {"--1", false, 0},         {"0x10", false, 0},        {"e5", false, 0},
      {"+", false, 0},           {"1e", false, 0},
  };
  for (const auto& c : cases) {
    double v = 42.0;
    EXPECT_EQ(ParseReal(c.Word, v), c.Ok) << c.Word;
    EXPECT_EQ(v, c.Ok ? c.Value : 42.0) << c.Word;  // a failure leaves the value alone
  }
  double v = 0;
  EXPECT_TRUE(ParseReal("-Inf", v));
  EXPECT_EQ(v, -HUGE_VAL);
}

TEST(ParseASCValueTest, MissingWordsReadAsZero) {
  for (const char* word : {"NAN", "###", "Nan", "nan", "-nan"}) {
    double v = 7;
    EXPECT_TRUE(ParseASCValue(word, v)) << word;
    EXPECT_EQ(v, 0.0) << word;
  }
  double v = 0;
  EXPECT_TRUE(ParseASCValue("+Inf", v));
  EXPECT_EQ(v, HUGE_VAL);
  EXPECT_FALSE(ParseASCValue("##", v));
  EXPECT_FALSE(ParseASCValue("NANA", v));
}

TEST(WordReaderTest, WordsAcrossBufferBoundariesAndCutWords) {
  test::TempFile file;
  // A word straddles the first buffer boundary; a word longer than the
  // buffer is cut and its rest skipped; the last word ends at the file end.
  const std::size_t n = TWordReader::BufferSize;
  std::string text(n - 3, ' ');
  text += "123456 ";
  text += std::string(n + 10, 'x');
  text += "\r\n\tnext last";
  WriteFile(file.Path(), text);
  TWordReader in(file.Path());
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.FileSize(), static_cast<std::int64_t>(text.size()));
  std::string_view w;
  ASSERT_TRUE(in.NextWord(w));
  EXPECT_EQ(w, "123456");
  ASSERT_TRUE(in.NextWord(w));
  EXPECT_EQ(w.size(), n);
  ASSERT_TRUE(in.NextWord(w));
  EXPECT_EQ(w, "next");
  ASSERT_TRUE(in.NextWord(w));
  EXPECT_EQ(w, "last");
  EXPECT_FALSE(in.NextWord(w));
  EXPECT_TRUE(w.empty());
  EXPECT_FALSE(in.NextWord(w));
}

TEST(WordReaderTest, SkipsLinesAndQuotedNames) {
  test::TempFile file;
  WriteFile(file.Path(), "a\nb b\n  \"first name\" \"x\"  7\n\"open");
  TWordReader in(file.Path());
  ASSERT_TRUE(in.SkipLines(2));
  EXPECT_TRUE(in.SkipQuotedName());
  EXPECT_TRUE(in.SkipQuotedName());
  std::string_view w;
  ASSERT_TRUE(in.NextWord(w));
  EXPECT_EQ(w, "7");
  EXPECT_FALSE(in.SkipQuotedName());  // the name is never closed
  EXPECT_FALSE(in.SkipLines(1));
}

TEST(WordReaderTest, MissingFileIsNotOpen) {
  TWordReader in("/nonexistent/kvl.txt");
  EXPECT_FALSE(in.IsOpen());
  std::string_view w;
  EXPECT_FALSE(in.NextWord(w));
  EXPECT_EQ(in.Get(), -1);
}

TEST(ASCStatusTextTest, EveryStatusHasItsOwnWords) {
  std::set<std::string> texts;
  for (std::int32_t st : {0, -5, -6, -7, -8, -11, -12, -13, -14, -15, -16, -17, -18, -19, -20})
    texts.insert(ASCStatusText(st));
  EXPECT_EQ(texts.size(), 15u);
  EXPECT_EQ(ASCStatusText(-8), "the file does not exist");
  EXPECT_EQ(ASCStatusText(-99), "unknown ASC status -99");
}

}  // namespace
}  // namespace kvl
