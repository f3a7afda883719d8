#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_stringl.h"

namespace kvl {
namespace {

TEST(StringIxTest, FindsFirstMatchWithOrWithoutCase) {
  constexpr std::array<std::string_view, 4> modes{"Euclidean", "Manhattan", "Mahalanobis", "manhattan"};
  EXPECT_EQ(StringIx("manhattan", modes, false), 1);
  EXPECT_EQ(StringIx("manhattan", modes, true), 3);
  EXPECT_EQ(StringIx("MAHALANOBIS", modes, false), 2);
  EXPECT_EQ(StringIx("MAHALANOBIS", modes, true), -1);
  EXPECT_EQ(StringIx("Euclid", modes, false), -1);  // whole entries only
  EXPECT_EQ(StringIx("", std::vector<std::string>{}, false), -1);
  EXPECT_EQ(StringIx("b", {"a", "B"}, false), 1);
}

TEST(StringServicesTest, ContainsTrimsAndReplaces) {
  EXPECT_TRUE(StringContains("vers=1.001 id=\"x\"", "id="));
  EXPECT_FALSE(StringContains("ID=3", "id="));
  EXPECT_TRUE(StringContains("ID=3", "id=", false));
  EXPECT_TRUE(StringContains("abc", ""));
  EXPECT_FALSE(StringContains("", "a", false));

  EXPECT_EQ(StripLTBlanks(" \t name x \r\n"), "name x");
  EXPECT_EQ(StripLTBlanks(" \t "), "");
  EXPECT_EQ(StripTrailingChars("\"abc\"", '"'), "abc");
  EXPECT_EQ(StripTrailingChars("\"\"a\"b\"\"", '"'), "a\"b");  // inner ones stay
  EXPECT_EQ(StripTrailingChars("\"\"\"", '"'), "");
  EXPECT_EQ(RemoveControlChars("a\tb\r\nc\x7F\x01 \xC3\xA9"), "abc \xC3\xA9");
  EXPECT_EQ(ReplaceCharInString("line1\nline2\n", '\n', ' '), "line1 line2 ");
}

TEST(TextRulesTest, CaseFoldingTrimmingAndUTF8) {
  // Only the ASCII letters fold: UTF-8 bytes and neighbours of A-Z stay.
  EXPECT_TRUE(EqualStrings("Row-Name", "rOW-nAME", false));
  EXPECT_FALSE(EqualStrings("Row", "row", true));
  EXPECT_FALSE(EqualStrings("\xC3\x84", "\xC3\xA4", false));  // Ä and ä are not folded
  EXPECT_FALSE(EqualStrings("ab", "abc", false));
  EXPECT_EQ(FoldASCII('@'), '@');
  EXPECT_EQ(FoldASCII('['), '[');
  EXPECT_EQ(UpperASCII('`'), '`');
  EXPECT_EQ(UpperASCII('{'), '{');
  EXPECT_EQ(UpperASCII('q'), 'Q');
  EXPECT_TRUE(IsWhiteChar('\v'));
  EXPECT_FALSE(IsWhiteChar('\0'));
  EXPECT_FALSE(IsWhiteChar(-1));                         // end of a stream
  EXPECT_TRUE(StringContains("the END", "end", false));  // a match at the very end

  EXPECT_EQ(TrimView(" \t a b \n"), "a b");
  EXPECT_EQ(TrimView("  a\t ", " "), "a\t");  // blanks only
  EXPECT_EQ(TrimView("   ", " "), "");
  EXPECT_EQ(UTF8Length("a\xC3\xA9\xE2\x82\xAC"), 3);  // a, é, €
  EXPECT_EQ(UTF8Length(""), 0);
  EXPECT_EQ(CutUTF8("a\xE2\x82\xAC", 3), "a");            // the euro sign does not fit
  EXPECT_EQ(CutUTF8("ab\x80\x80\x80\x80", 3), "ab\x80");  // not UTF-8: cut at the limit
}

TEST(TokenizeTest, Cases) {
  struct Case {
    std::string_view In, Delims;
    char Quote;
    std::vector<std::string> Expected;
  };
  const Case cases[] = {
      {"membasedlearner sig=\"Brantcore\"  id=\"X\"",
       " ",
       '\0',
       {"membasedlearner", "sig=\"Brantcore\"", "id=\"X\""}},
      {"  ", " ", '\0', {}},
      {"", " ", '\0', {}},
      {"a;b,,c", ";,", '\0', {"a", "b", "c"}},
      {"id=\"my model\" x", " ", '"', {"id=\"my model\"", "x"}},
      {"id=\"my model\" x", " ", '\0', {"id=\"my", "model\"", "x"}},
      {"\"open quote runs on", " ", '"', {"\"open quote runs on"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokenize(c.In, c.Delims, c.Quote), c.Expected) << c.In;
}

// Feeds Text to ParseQuotedName and returns the names completed, in order.
std::vector<std::string> QuotedNames(std::string_view Text, char Quote) {
  std::vector<std::string> names;
  std::string name;
  for (const char c : Text)
    if (ParseQuotedName(c, Quote, name)) names.push_back(name);
  return names;
}

TEST(ParseQuotedNameTest, CompletesEachQuotedName) {
  EXPECT_EQ(QuotedNames("  \"col 1\"\t\"x\"\n\"\"", '"'), (std::vector<std::string>{"col 1", "x", ""}));
  EXPECT_EQ(QuotedNames("junk 'a b' more", '\''), (std::vector<std::string>{"a b"}));
  EXPECT_TRUE(QuotedNames("\"never closed", '"').empty());

  std::string name;
  EXPECT_FALSE(ParseQuotedName('"', '"', name));
  EXPECT_FALSE(ParseQuotedName('a', '"', name));
  EXPECT_EQ(name, "\"a");  // the name being read, after its opening quote
  EXPECT_TRUE(ParseQuotedName('"', '"', name));
  EXPECT_EQ(name, "a");
}

TEST(StrffTest, FixedPointFields) {
  struct Case {
    long double X;
    int Width, Decimals;
    std::string_view Expected;
  };
  const Case cases[] = {
      {3.14159L, 8, 2, "    3.14"},  {-2.5L, 1, 3, "-2.500"},
      {0.125L, 1, 2, "0.12"},  // ties to even
      {1234.5L, 2, 0, "1234"},       {1e20L, 1, 1, "100000000000000000000.0"},
      {0.0L, 12, 4, "      0.0000"},
  };
  for (const Case& c : cases) EXPECT_EQ(strff(c.X, c.Width, c.Decimals), c.Expected);
}

TEST(XMLTextTest, EncodeDecodeRoundTripAndReferences) {
  const std::string awkward = "a<b & c>\"d\" 'e' &amp; \xC3\xA9";
  EXPECT_EQ(EncodeXMLText("<a & 'b'>\""), "&lt;a &amp; &apos;b&apos;&gt;&quot;");
  EXPECT_EQ(DecodeXMLText(EncodeXMLText(awkward)), awkward);
  EXPECT_EQ(DecodeXMLText("&#65;&#x42;&#xe9;"), "AB\xC3\xA9");
  // Anything that is no known reference stays as it stands.
  for (const std::string_view s : {"&", "&;", "&nbsp;", "&#;", "&#x;", "&#xD800;", "&#1114112;", "&lt",
                                   "&#12a;", "&#99999999999999999999;"}) {
    EXPECT_EQ(DecodeXMLText(s), s);
  }
}

TEST(ReadNextWordInTextFileTest, WordsBetweenWhiteSpace) {
  std::istringstream in("  12.5\t-3\r\n\n\"name\" NAN\n   ");
  EXPECT_EQ(ReadNextWordInTextFile(in), "12.5");
  EXPECT_EQ(ReadNextWordInTextFile(in), "-3");
  EXPECT_EQ(ReadNextWordInTextFile(in), "\"name\"");
  EXPECT_EQ(ReadNextWordInTextFile(in), "NAN");
  EXPECT_EQ(in.peek(), '\n');  // the white space after a word stays unread
  EXPECT_FALSE(in.eof());
  EXPECT_EQ(ReadNextWordInTextFile(in), "");
  EXPECT_TRUE(in.eof());
  EXPECT_EQ(ReadNextWordInTextFile(in), "");
}

}  // namespace
}  // namespace kvl
