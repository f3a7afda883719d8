#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_stringl.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

constexpr std::array<std::string_view, 9> kLearnerTags{"membasedlearner", "comment",  "modelname",
                                                       "modeldata",       "distmode", "scaling",
                                                       "locmodel",        "numnnb",   "$invalidtag$"};
constexpr std::int32_t kInvalid = 8;

constexpr std::array<std::string_view, 8> kMatrixTags{"numcols", "numrows", "numplanes", "numtimeslots",
                                                      "cell",    "matrix",  "/matrix",   "invalidtag"};

// One element as the readers hand it out.
struct Tag {
  std::int32_t Ix;
  std::string Attr, Content;
  bool operator==(const Tag&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Tag& t) {
  return os << "{" << t.Ix << ", [" << t.Attr << "], [" << t.Content << "]}";
}

// Every element of Text at the top level, read with ReadNextTagInString.
std::vector<Tag> AllTags(std::string_view Text, std::span<const std::string_view> Table) {
  std::vector<Tag> tags;
  std::int32_t pos = 1;
  Tag t;
  while ((t.Ix = ReadNextTagInString(Text, Table, pos, t.Attr, t.Content)) >= 0) tags.push_back(t);
  EXPECT_EQ(pos, static_cast<std::int32_t>(Text.size()) + 1);
  EXPECT_TRUE(t.Attr.empty() && t.Content.empty());
  return tags;
}

const std::string kLearnerFile =
    "<?xml version=\"1.0\"?>\n"
    "<membasedlearner sig=\"Brantcore\" vers=\"1.001\" id=\"X\">\n"
    "<!-- TMemBasedLearner / Quillet -->\n"
    "<comment>first &lt;try&gt;</comment>\n"
    "<modelname>undefined</modelname>\n"
    "<numnnb>3</numnnb>\n"
    "<modeldata>\n<datatable id=\"MBLModel\"><size nc=\"2\"/></datatable>\n</modeldata>\n"
    "</membasedlearner>\n";

TEST(ReadNextTagTest, ReadsAWholeElementThenItsInnerElements) {
  const std::vector<Tag> top = AllTags(kLearnerFile, kLearnerTags);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].Ix, 0);
  EXPECT_EQ(top[0].Attr, "sig=\"Brantcore\" vers=\"1.001\" id=\"X\"");

  const std::vector<Tag> inner = AllTags(top[0].Content, kLearnerTags);
  const std::vector<Tag> expected = {
      {1, "", "first &lt;try&gt;"},  // raw: the caller decodes leaf text
      {2, "", "undefined"},
      {7, "", "3"},
      {3, "", "\n<datatable id=\"MBLModel\"><size nc=\"2\"/></datatable>\n"},
  };
  EXPECT_EQ(inner, expected);
}

TEST(ReadNextTagTest, MatrixCellsEmptyElementsAndStrayClosingTags) {
  const std::string text =
      "<matrix>"
      "<numcols>2</numcols>\n<cell iy=\"3\" ix=\"2\">1.5</cell><cell ix=\"1\" iy=\"1\"/>"
      "<CELL ix=\"9\">-4</CELL><foo a=\"1\">x</foo>";
  // The opening "matrix" has no closing tag here: it takes the rest as content.
  const std::vector<Tag> outer = AllTags(text, kMatrixTags);
  ASSERT_EQ(outer.size(), 1u);
  EXPECT_EQ(outer[0].Ix, 5);

  const std::vector<Tag> cells = AllTags(outer[0].Content + "</matrix>", kMatrixTags);
  const std::vector<Tag> expected = {
      {0, "", "2"},          {4, "iy=\"3\" ix=\"2\"", "1.5"}, {4, "ix=\"1\" iy=\"1\"", ""},  // empty element
      {4, "ix=\"9\"", "-4"},  // words are matched without case
      {7, "a=\"1\"", "x"},    // unknown word: the last index
      {6, "", ""},            // a closing tag on its own keeps its "/word"
  };
  EXPECT_EQ(cells, expected);
}

TEST(ReadNextTagTest, NestingQuotesCommentsAndStrayText) {
  struct Case {
    std::string_view Text;
    std::vector<Tag> Expected;
  };
  const Case cases[] = {
      // inner elements of the same word are matched pairwise
      {"<comment>a<comment>b</comment>c</comment>tail", {{1, "", "a<comment>b</comment>c"}}},
      // a '>' inside a quoted value does not end the tag
      {"<modelname note='a>b' x=\"<\">v</modelname>", {{2, "note='a>b' x=\"<\"", "v"}}},
      // a closing tag inside a comment does not end the element
      {"<comment>x<!-- </comment> -->y</comment>", {{1, "", "x<!-- </comment> -->y"}}},
      // stray '<' in text: before a real tag, and alone
      {"1 < 2 <numnnb>5</numnnb> a <> b </>", {{7, "", "5"}}},
      {"a << <numnnb >7</numnnb >", {{7, "", "7"}}},
      // declarations and processing instructions are skipped
      {"<!DOCTYPE x><?pi <numnnb>?><numnnb>1</numnnb>", {{7, "", "1"}}},
      // words are compared whole
      {"<numnnbx>1</numnnbx><numnnb/>", {{kInvalid, "", "1"}, {7, "", ""}}},
  };
  for (const Case& c : cases) EXPECT_EQ(AllTags(c.Text, kLearnerTags), c.Expected) << c.Text;
}

TEST(ReadNextTagTest, MalformedTextEndsCleanly) {
  const std::string_view cases[] = {
      "",
      "no tags at all",
      "<comment",
      "<comment attr=\"unterminated>",
      "<!-- never closed <comment>x</comment>",
      "<?pi never closed",
      "<!DOCTYPE",
      "<",
      "<!-",
  };
  for (const std::string_view text : cases) EXPECT_TRUE(AllTags(text, kLearnerTags).empty()) << text;
  // An element whose closing tag is missing keeps what follows as content.
  EXPECT_EQ(AllTags("<comment>abc</commen", kLearnerTags), (std::vector<Tag>{{1, "", "abc</commen"}}));
}

TEST(ReadNextTagTest, StartAtIsOneBasedAndMovesPastTheElement) {
  const std::string_view text = "<numnnb>1</numnnb> <numnnb>2</numnnb>";
  std::string attr, content;
  std::int32_t pos = -5;  // below 1 counts as 1
  EXPECT_EQ(ReadNextTagInString(text, kLearnerTags, pos, attr, content), 7);
  EXPECT_EQ(content, "1");
  EXPECT_EQ(pos, 19);  // just past the first "</numnnb>"
  pos = 20;
  EXPECT_EQ(ReadNextTagInString(text, kLearnerTags, pos, attr, content), 7);
  EXPECT_EQ(content, "2");
  pos = 1000;
  EXPECT_EQ(ReadNextTagInString(text, kLearnerTags, pos, attr, content), -1);
  EXPECT_EQ(pos, static_cast<std::int32_t>(text.size()) + 1);
  const std::array<std::string_view, 0> none{};
  pos = 1;
  EXPECT_EQ(ReadNextTagInString(text, none, pos, attr, content), -1);  // empty table: nothing matches
}

TEST(ReadNextTagInTextFileTest, ReadsElementsAndLeavesTheFileJustPastThem) {
  test::TempFile f(".xml");
  std::ofstream(f.Path()) << kLearnerFile << "after\n";
  std::ifstream in(f.Path());
  std::string firstLine;
  std::getline(in, firstLine);
  std::string attr, content;
  EXPECT_EQ(ReadNextTagInTextFile(in, kLearnerTags, attr, content), 0);
  EXPECT_EQ(attr, "sig=\"Brantcore\" vers=\"1.001\" id=\"X\"");
  std::int32_t pos = 1;
  std::string innerAttr, innerContent;
  EXPECT_EQ(ReadNextTagInString(content, kLearnerTags, pos, innerAttr, innerContent), 1);
  EXPECT_EQ(innerContent, "first &lt;try&gt;");

  std::string rest;
  std::getline(in, rest);
  EXPECT_EQ(rest, "");  // the line end after "</membasedlearner>"
  std::getline(in, rest);
  EXPECT_EQ(rest, "after");
  EXPECT_EQ(ReadNextTagInTextFile(in, kLearnerTags, attr, content), -1);
  EXPECT_TRUE(in.eof());
  EXPECT_EQ(ReadNextTagInTextFile(in, kLearnerTags, attr, content), -1);
}

TEST(ReadNextTagInTextFileTest, AgreesWithTheStringReader) {
  const std::string text =
      "junk <numnnb>4</numnnb><comment a='>'>x<comment/>y</comment></stray><modeldata>unclosed";
  const std::vector<Tag> fromString = AllTags(text, kLearnerTags);
  std::istringstream in(text);
  std::vector<Tag> fromFile;
  Tag t;
  while ((t.Ix = ReadNextTagInTextFile(in, kLearnerTags, t.Attr, t.Content)) >= 0) fromFile.push_back(t);
  EXPECT_EQ(fromFile, fromString);
  EXPECT_EQ(fromFile.size(), 4u);
}

}  // namespace
}  // namespace kvl
