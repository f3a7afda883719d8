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

struct WordCase {
  const char* Word;
  bool Ok;
  double Value;
  bool Missing;
};

// The data words: one conversion tells a value, a missing value and a bad word.
const WordCase kWords[] = {
    {"NAN", true, 0, true},      {"###", true, 0, true},      {"Nan", true, 0, true},
    {"nan", true, 0, true},      {"-nan", true, 0, true},     {"+NaN", true, 0, true},
    {"nan(7)", true, 0, true},   {"+Inf", true, HUGE_VAL, false}, {"-infinity", true, -HUGE_VAL, false},
    {"2.5", true, 2.5, false},   {"+3e2", true, 300, false},  {"1e-400", true, 0, false},
    {"-0", true, -0.0, false},   {"##", false, 0, false},     {"NANA", false, 0, false},
    {"1e999", false, 0, false},  {"1,5", false, 0, false},    {"", false, 0, false},
};

TEST(ParseASCValueTest, MissingWordsReadAsZero) {
  for (const WordCase& c : kWords) {
    double v = 7;
    bool missing = !c.Missing;
    EXPECT_EQ(ConvertASCWord(c.Word, v, missing), c.Ok) << c.Word;
    double p = 7;
    EXPECT_EQ(ParseASCValue(c.Word, p), c.Ok) << c.Word;
    EXPECT_EQ(IsASCMissingValue(c.Word), c.Ok && c.Missing) << c.Word;
    if (!c.Ok) continue;
    EXPECT_EQ(missing, c.Missing) << c.Word;
    EXPECT_EQ(v, c.Value) << c.Word;
    EXPECT_EQ(p, c.Value) << c.Word;
    EXPECT_EQ(std::signbit(v), std::signbit(c.Value)) << c.Word;
  }
}

TEST(WordReaderTest, WordsAcrossBufferBoundariesAndCutWords) {
  // A word straddles the first buffer boundary; a word longer than the
  // buffer is cut and its rest skipped; the last word ends at the stream end.
  const std::size_t n = TWordReader::BufferSize;
  std::string text(n - 3, ' ');
  text += "123456 ";
  text += std::string(n + 10, 'x');
  text += "\r\n\tnext last";
  std::istringstream stream(text);
  TWordReader in(stream);
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

TEST(WordReaderTest, ValuesMatchTheWordConversionEverywhereInTheBuffer) {
  // NextValue takes a fast path inside the buffer and the word path at its
  // edges; over several buffers of every kind of word, and with a cut word
  // whose rest looks like a number, both must give what ConvertASCWord gives.
  std::string text;
  std::uint32_t state = 99;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  while (text.size() < 3 * TWordReader::BufferSize) {
    const WordCase& c = kWords[next() % std::size(kWords)];
    text += c.Word;
    text += " \t\n\r"[next() % 4];
    if (next() % 7 == 0) text += std::to_string(next()) + "." + std::to_string(next() % 1000) + "e-3\n";
  }
  text += std::string(TWordReader::BufferSize + 1, '#') + "25 4";  // cut, then its rest "#25" is skipped
  std::istringstream words(text), values(text);
  TWordReader byWord(words), byValue(values);
  std::string_view w;
  int count = 0;
  while (byWord.NextWord(w)) {
    double expected = 0, got = 0;
    bool expectedMissing = false, gotMissing = false;
    const bool ok = ConvertASCWord(w, expected, expectedMissing);
    ASSERT_EQ(byValue.NextValue(got, gotMissing), ok) << "word " << count << " " << w.substr(0, 20);
    if (ok) {
      EXPECT_EQ(got, expected) << w;
      EXPECT_EQ(gotMissing, expectedMissing) << w;
    }
    ++count;
  }
  double v = 0;
  bool missing = false;
  EXPECT_FALSE(byValue.NextValue(v, missing));
  EXPECT_GT(count, 20000);
}

TEST(WordReaderTest, SkipsLinesAndQuotedNames) {
  std::istringstream stream("a\nb b\n  \"first name\" \"x\"  7\n\"open");
  TWordReader in(stream);
  ASSERT_TRUE(in.SkipLines(2));
  EXPECT_TRUE(in.SkipQuotedName());
  EXPECT_TRUE(in.SkipQuotedName());
  std::string_view w;
  ASSERT_TRUE(in.NextWord(w));
  EXPECT_EQ(w, "7");
  EXPECT_FALSE(in.SkipQuotedName());  // the name is never closed
  EXPECT_FALSE(in.SkipLines(1));
}

TEST(WordReaderTest, FailedStreamGivesNothing) {
  std::ifstream missing("/nonexistent/kvl.txt");
  TWordReader in(missing);
  std::string_view w;
  EXPECT_FALSE(in.NextWord(w));
  EXPECT_EQ(in.Get(), -1);
}

// A stream that cannot seek, as a pipe.
class PipeBuf : public std::streambuf {
 public:
  explicit PipeBuf(std::string Text) : FText(std::move(Text)) { setg(FText.data(), FText.data(), FText.data() + FText.size()); }

 private:
  std::string FText;
};

TEST(ReadASCColumnTest, ReportsMissingRowsAndReadsFromTheStreamPosition) {
  std::istringstream in("skipped part\nT\n1\n5\nTRUE FALSE TRUE FALSE\n"
                        "0.5 \"a\" 1\n1 \"b\" NAN\n2 \"c\" 3\n3 \"\" ###\n4 \"e\" 5e0\n");
  std::string skipped;
  std::getline(in, skipped);
  TASCColumn column;
  EXPECT_EQ(ReadASCColumn(in, column), 0);
  EXPECT_EQ(column.Header.Comment, "T");
  EXPECT_EQ(column.Values, (std::vector<double>{1, 0, 3, 0, 5}));
  EXPECT_EQ(column.MissingRows, (std::vector<std::int32_t>{2, 4}));

  std::istringstream bad("T\n1\n3\nFALSE FALSE FALSE FALSE\n1\n###\nx\n");
  EXPECT_EQ(ReadASCColumn(bad, column), kASCBadValue);
  EXPECT_EQ(column.Values, (std::vector<double>{1, 0}));  // the rows before the one that failed
  std::istringstream two("T\n2\n1\nFALSE FALSE FALSE FALSE\n1 2\n");
  EXPECT_EQ(ReadASCColumn(two, column), kASCWrongColumns);
}

TEST(ReadASCColumnTest, StreamsThatCannotSeekAreCheckedAsWell) {
  // The counts of a pipe's header cannot be checked against a size it does
  // not tell; the reader takes the pipe into memory so that they can be.
  PipeBuf good("T\n1\n2\nFALSE FALSE FALSE FALSE\n7\nnan\n");
  std::istream goodIn(&good);
  TASCColumn column;
  EXPECT_EQ(ReadASCColumn(goodIn, column), 0);
  EXPECT_EQ(column.Values, (std::vector<double>{7, 0}));
  PipeBuf hostile("T\n1\n2000000000\nFALSE FALSE FALSE FALSE\n7\n");
  std::istream hostileIn(&hostile);
  EXPECT_EQ(ReadASCColumn(hostileIn, column), -19);
  EXPECT_TRUE(column.Values.empty());
  PipeBuf empty("");
  std::istream emptyIn(&empty);
  EXPECT_EQ(ReadASCColumn(emptyIn, column), -12);
}

TEST(OpenASCFileTest, MissingFileAndDirectory) {
  std::ifstream in;
  EXPECT_EQ(OpenASCFile("/nonexistent/kvl.asc", in), kASCFileNotFound);
  EXPECT_EQ(OpenASCFile("/tmp", in), kASCCannotOpen);
  test::TempFile file(".asc");
  WriteFile(file.Path(), "x");
  EXPECT_EQ(OpenASCFile(file.Path(), in), 0);
  EXPECT_EQ(in.get(), 'x');
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
