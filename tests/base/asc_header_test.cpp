#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "kvl/base/KVL_filesys.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

struct Header {
  std::int32_t Status = 0;
  std::string Comment;
  std::int32_t Cols = -1;
  std::int32_t Rows = -1;
  bool Flags[4] = {true, true, true, true};
};

Header ReadText(const std::string& Text) {
  test::TempFile file(".asc");
  std::ofstream(file.Path(), std::ios::binary) << Text;
  Header h;
  h.Status = ReadHeaderOfASC(file.Path(), h.Comment, h.Cols, h.Rows, h.Flags[0], h.Flags[1], h.Flags[2], h.Flags[3]);
  return h;
}

TEST(ReadHeaderOfASCTest, ReadsTitleCountsAndFlags) {
  const Header h = ReadText(
      "Shaft diameters; lot 7\n1\t;nr. of columns\n3\t;nr. of rows\n"
      "FALSE TRUE false True\t;row attributes, column names, row names, nominal variables\n\"d\"\n1\n2\n3\n");
  EXPECT_EQ(h.Status, 0);
  EXPECT_EQ(h.Comment, "Shaft diameters; lot 7");  // the title keeps its semicolons
  EXPECT_EQ(h.Cols, 1);
  EXPECT_EQ(h.Rows, 3);
  EXPECT_FALSE(h.Flags[0]);
  EXPECT_TRUE(h.Flags[1]);
  EXPECT_FALSE(h.Flags[2]);
  EXPECT_TRUE(h.Flags[3]);
}

TEST(ReadHeaderOfASCTest, AcceptsCRLFByteOrderMarkDigitFlagsAndThreeFlags) {
  const Header h = ReadText("\xEF\xBB\xBFtitle\r\n2 ; cols\r\n 4\r\n1 0 1\t;row attributes, column names, row names\r\n"
                            "1 2\r\n3 4\r\n5 6\r\n7 8\r\n");
  EXPECT_EQ(h.Status, 0);
  EXPECT_EQ(h.Comment, "title");
  EXPECT_EQ(h.Cols, 2);
  EXPECT_EQ(h.Rows, 4);
  EXPECT_TRUE(h.Flags[0]);
  EXPECT_FALSE(h.Flags[1]);
  EXPECT_TRUE(h.Flags[2]);
  EXPECT_FALSE(h.Flags[3]);  // a missing fourth flag is false
}

struct MalformedCase {
  const char* Name;
  std::string Text;
  std::int32_t Status;
};

// Test names already say the case; the parameter prints as its name.
void PrintTo(const MalformedCase& Case, std::ostream* Out) { *Out << Case.Name; }

class ReadHeaderOfASCMalformedTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(ReadHeaderOfASCMalformedTest, GivesItsOwnStatus) {
  const Header h = ReadText(GetParam().Text);
  EXPECT_EQ(h.Status, GetParam().Status);
}

const std::string kFlags = "FALSE FALSE FALSE FALSE\t;flags\n";
const std::string kData = std::string(100, '1');  // bytes enough for small counts

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadHeaderOfASCMalformedTest,
    testing::Values(MalformedCase{"EmptyFile", "", -12}, MalformedCase{"TitleOnly", "title\n", -12},
                    MalformedCase{"NoRowLine", "t\n1\t;c\n", -13},
                    MalformedCase{"NoFlagLine", "t\n1\t;c\n3\t;r\n", -14},
                    MalformedCase{"ColumnsText", "t\nx\t;c\n3\n" + kFlags + kData, -15},
                    MalformedCase{"ColumnsEmpty", "t\n\t;c\n3\n" + kFlags + kData, -15},
                    MalformedCase{"ColumnsFraction", "t\n1.5\n3\n" + kFlags + kData, -15},
                    MalformedCase{"ColumnsNegative", "t\n-1\n3\n" + kFlags + kData, -16},
                    MalformedCase{"ColumnsHugeNegative", "t\n-99999999999999999999\n3\n" + kFlags, -16},
                    MalformedCase{"RowsText", "t\n1\n3x\n" + kFlags + kData, -17},
                    MalformedCase{"RowsNegative", "t\n1\n-3\n" + kFlags + kData, -18},
                    MalformedCase{"RowsBeyondInteger", "t\n1\n2147483648\n" + kFlags, -19},
                    MalformedCase{"RowsBeyondInt64", "t\n1\n99999999999999999999\n" + kFlags, -19},
                    MalformedCase{"RowsBeyondFile", "t\n1\n1000000\n" + kFlags + "1\n2\n", -19},
                    MalformedCase{"CellsBeyondFile", "t\n1000\n1000\n" + kFlags + kData, -19},
                    MalformedCase{"TwoFlags", "t\n1\n3\nFALSE FALSE\n" + kData, -20},
                    MalformedCase{"FiveFlags", "t\n1\n3\nFALSE FALSE FALSE FALSE FALSE\n" + kData, -20},
                    MalformedCase{"WordNoFlag", "t\n1\n3\nFALSE maybe FALSE FALSE\n" + kData, -20},
                    MalformedCase{"EmptyFlagLine", "t\n1\n3\n;flags\n" + kData, -20}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return info.param.Name; });

TEST(ReadHeaderOfASCTest, MissingFileAndDirectoryCannotBeOpened) {
  std::string comment = "old";
  std::int32_t cols = 5, rows = 5;
  bool a = true, b = true, c = true, d = true;
  EXPECT_EQ(ReadHeaderOfASC("/nonexistent/kvl/file.asc", comment, cols, rows, a, b, c, d), -11);
  EXPECT_EQ(comment, "");  // outputs are reset
  EXPECT_EQ(cols, 0);
  EXPECT_FALSE(a);
  EXPECT_EQ(ReadHeaderOfASC("/tmp", comment, cols, rows, a, b, c, d), -11);
}

TEST(ReadHeaderOfASCTest, StreamIsReadFromItsPositionAndLeftAtTheData) {
  // The counts are checked against the bytes after the position: 50 rows
  // fit in the 75 bytes of the whole text, not in the 35 after the caller's part.
  const std::string header = "T\n1\n50\nFALSE FALSE FALSE FALSE\n";
  std::istringstream in(std::string(40, '#') + "\n" + header + "1\n2\n");
  std::string line, comment;
  std::int32_t cols = 0, rows = 0;
  bool a = true, b = true, c = true, d = true;
  std::getline(in, line);
  EXPECT_EQ(ReadHeaderOfASC(in, comment, cols, rows, a, b, c, d), -19);
  std::string data;
  for (int i = 1; i <= 20; ++i) data += std::to_string(i % 10) + "\n";
  std::istringstream fits(std::string(40, '#') + "\n" + header + data);
  std::getline(fits, line);
  EXPECT_EQ(ReadHeaderOfASC(fits, comment, cols, rows, a, b, c, d), 0);
  EXPECT_EQ(comment, "T");
  EXPECT_EQ(rows, 50);
  std::getline(fits, line);
  EXPECT_EQ(line, "1");  // the stream stands on the first data line
  std::ifstream failed("/nonexistent/kvl/file.asc");
  EXPECT_EQ(ReadHeaderOfASC(failed, comment, cols, rows, a, b, c, d), -11);
}

}  // namespace
}  // namespace kvl
