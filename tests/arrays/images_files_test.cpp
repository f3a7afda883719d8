// Array text and binary files: round trips, the stored texts, and hostile
// files (truncated, absurd sizes, other kinds) refused with their status.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::TempFile;

const std::string kComment = "line one\nline two \\ back\rslash, ünïcode";

std::string Bytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& Path, const std::string& Data) {
  std::ofstream(Path, std::ios::binary | std::ios::trunc) << Data;
}

// Bitwise equality, so NaN payloads and -0 count.
bool SameBits(const TDoubleArray& a, const TDoubleArray& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

const TDoubleArray kSpecial = {0.1, -0.0, 1e-310, std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               std::nan(""), 123456789.125};

TEST(ArrayTextFileTest, RoundTripsEveryRankAndTheComment) {
  TempFile f(".txt");
  std::string comment;
  {
    TDoubleArray back;
    ASSERT_EQ(StoreArray(f.Path(), kSpecial, kComment), 0);
    ASSERT_EQ(LoadArray(f.Path(), back, comment), 0);
    EXPECT_TRUE(SameBits(back, kSpecial));
    EXPECT_EQ(comment, kComment);
  }
  const TDouble2DArray d2 = {{1.5, -2}, {3, 4}, {5, 6e300}};
  TDouble2DArray b2;
  ASSERT_EQ(StoreArray(f.Path(), d2, ""), 0);
  ASSERT_EQ(LoadArray(f.Path(), b2, comment), 0);
  EXPECT_EQ(b2, d2);
  EXPECT_EQ(comment, "");
  for (bool headings : {false, true}) {
    const TInt3DArray i3 = {{{1, 2, 3}, {4, 5, 6}}, {{-7, 8, 9}, {10, 11, INT32_MIN}}};
    TInt3DArray b3;
    ASSERT_EQ(StoreArray(f.Path(), i3, headings, kComment), 0);
    ASSERT_EQ(LoadArray(f.Path(), b3, comment), 0);
    EXPECT_EQ(b3, i3);
    const TDouble4DArray d4 = {{{{1, 2}}, {{3, 4}}}, {{{5, 6}}, {{7, 8}}}, {{{9, 10}}, {{11, 12}}}};
    TDouble4DArray b4;
    ASSERT_EQ(StoreArray(f.Path(), d4, headings, "4-D"), 0);
    ASSERT_EQ(LoadArray(f.Path(), b4, comment), 0);
    EXPECT_EQ(b4, d4);
    EXPECT_EQ(comment, "4-D");
  }
  const TInt2DArray emptyColumns(3);
  TInt2DArray be = {{1}};
  ASSERT_EQ(StoreArray(f.Path(), emptyColumns, "none"), 0);
  ASSERT_EQ(LoadArray(f.Path(), be, comment), 0);
  EXPECT_EQ(be, emptyColumns);
}

TEST(ArrayTextFileTest, TheLayoutIsReadable) {
  TempFile f(".txt");
  ASSERT_EQ(StoreArray(f.Path(), TInt2DArray{{1, 2}, {3, 4}, {5, 6}}, "a\nb"), 0);
  EXPECT_EQ(Bytes(f.Path()),
            "KVL array text 1\nelement integer\ndimensions 2\nextents 3 2\ncomment a\\nb\n1 3 5\n2 4 6\n");
}

TEST(ArrayTextFileTest, RefusesOtherKindsAndDamagedFiles) {
  TempFile f(".txt");
  std::string comment;
  TDouble2DArray d;
  TInt2DArray i;
  ASSERT_EQ(StoreArray(f.Path(), TInt2DArray{{1, 2}, {3, 4}}, "x"), 0);
  const std::string good = Bytes(f.Path());
  EXPECT_EQ(LoadArray(f.Path(), d, comment), -3);  // element type
  TInt3DArray i3;
  EXPECT_EQ(LoadArray(f.Path(), i3, comment), -3);  // dimensions
  EXPECT_EQ(LoadArray("/nonexistent/file.txt", i, comment), -1);
  EXPECT_EQ(LoadArray(std::filesystem::temp_directory_path().string(), i, comment), -1);  // a directory
  // Every truncation is refused cleanly, and the outputs are left empty.
  for (std::size_t n = 0; n + 1 < good.size(); ++n) {
    Write(f.Path(), good.substr(0, n));
    i = {{9}};
    comment = "old";
    const std::int32_t status = LoadArray(f.Path(), i, comment);
    EXPECT_TRUE(status == -2 || status == -4) << n << " bytes: " << status;
    EXPECT_TRUE(i.empty());
    EXPECT_TRUE(comment.empty());
  }
  struct TCase {
    const char* Name;
    std::string Text;
    std::int32_t Status;
  };
  const std::string head = "KVL array text 1\nelement integer\ndimensions 2\n";
  const TCase cases[] = {
      {"other magic", "KVL matrix\n", -2},
      {"newer version", "KVL array text 2\n", -2},
      {"binary file", std::string("KVLARRAY\1\0", 10), -2},
      {"absurd extents", head + "extents 2147483647 2147483647\ncomment \n1 2\n", -4},
      {"negative extent", head + "extents -1 2\ncomment \n", -4},
      {"absurd empty columns", head + "extents 2147483647 0\ncomment \n", -4},
      {"extra value", head + "extents 1 1\ncomment \n1 2\n", -4},
      {"not a number", head + "extents 1 1\ncomment \nx\n", -4},
      {"integer overflow", head + "extents 1 1\ncomment \n2147483648\n", -4},
      {"bad escape", head + "extents 1 1\ncomment \\q\n1\n", -4},
      {"missing extent", head + "extents 2\ncomment \n1 2\n", -4},
      {"bad rank", "KVL array text 1\nelement integer\ndimensions 9\nextents 1\ncomment \n1\n", -4},
  };
  for (const TCase& c : cases) {
    Write(f.Path(), c.Text);
    EXPECT_EQ(LoadArray(f.Path(), i, comment), c.Status) << c.Name;
  }
  Write(f.Path(), head + "extents 2 1\ncomment ok\r\n7 8\r\n");  // line ends of another system
  EXPECT_EQ(LoadArray(f.Path(), i, comment), 0);
  EXPECT_EQ(i, (TInt2DArray{{7}, {8}}));
  EXPECT_EQ(StoreArray(f.Path(), TInt2DArray{{1, 2}, {3}}, ""), -2);  // ragged
  EXPECT_EQ(StoreArray("/nonexistent/dir/a.txt", TIntArray{1}, ""), -1);
}

TEST(ArrayBinaryFileTest, RoundTripsAndHeader) {
  TempFile f(".bin");
  std::string ident;
  const TDouble3DArray d3 = {{kSpecial, kSpecial}, {kSpecial, kSpecial}, {kSpecial, kSpecial}};
  ASSERT_EQ(SaveBinaryArray(f.Path(), d3, kComment), 0);
  EXPECT_EQ(std::filesystem::file_size(f.Path()), 32 + kComment.size() + 3 * 2 * 8 * 8);
  TDouble3DArray b3;
  ASSERT_EQ(LoadBinaryArray(f.Path(), b3, ident, false), 0);
  ASSERT_EQ(b3.size(), 3u);
  for (const auto& s : b3)
    for (const auto& col : s) EXPECT_TRUE(SameBits(col, kSpecial));
  EXPECT_EQ(ident, kComment);
  std::int32_t n1, n2, n3, n4;
  TArrayCellFormat fmt;
  ASSERT_EQ(ReadBinaryArrayHeader(f.Path(), n1, n2, n3, n4, ident, fmt), 0);
  EXPECT_EQ((TIntArray{n1, n2, n3, n4}), (TIntArray{3, 2, 8, 0}));
  EXPECT_EQ(fmt, TArrayCellFormat::acfDouble);

  const TInt2DArray i2 = {{1, -2, INT32_MAX}, {INT32_MIN, 0, 7}};
  TInt2DArray bi;
  ASSERT_EQ(SaveBinaryArray(f.Path(), i2, "ints"), 0);
  ASSERT_EQ(LoadBinaryArray(f.Path(), bi, ident, false), 0);
  EXPECT_EQ(bi, i2);
  EXPECT_EQ(ident, "ints");
  const std::string bytes = Bytes(f.Path());
  EXPECT_EQ(bytes.substr(0, 12), std::string("KVLARRAY\1\0\1\2", 12));
  EXPECT_EQ(bytes.substr(36, 4), std::string("\1\0\0\0", 4));  // the first cell, little-endian

  // The other cell format: converted on request, refused otherwise.
  TDouble2DArray bd;
  EXPECT_EQ(LoadBinaryArray(f.Path(), bd, ident, false), -3);
  ASSERT_EQ(LoadBinaryArray(f.Path(), bd, ident, true), 0);
  EXPECT_EQ(bd, (TDouble2DArray{{1, -2, INT32_MAX}, {INT32_MIN, 0, 7}}));
  ASSERT_EQ(SaveBinaryArray(f.Path(), TDouble2DArray{{2.5, 3.5, std::nan(""), 1e300}}, ""), 0);
  ASSERT_EQ(LoadBinaryArray(f.Path(), bi, ident, true), 0);
  EXPECT_EQ(bi, (TInt2DArray{{2, 4, 0, INT32_MAX}}));

  const TDouble4DArray d4 = {{{{1, 2, 3}}}, {{{4, 5, 6}}}};
  TDouble4DArray b4;
  ASSERT_EQ(SaveBinaryArray(f.Path(), d4, ""), 0);
  ASSERT_EQ(LoadBinaryArray(f.Path(), b4, ident, false), 0);
  EXPECT_EQ(b4, d4);
  EXPECT_EQ(LoadBinaryArray(f.Path(), b3, ident, true), -3);  // dimensions differ
}

TEST(ArrayBinaryFileTest, RefusesDamagedAndForeignFiles) {
  TempFile f(".bin");
  std::string ident;
  TDouble2DArray d;
  ASSERT_EQ(SaveBinaryArray(f.Path(), TDouble2DArray{{1, 2}, {3, 4}}, "id"), 0);
  const std::string good = Bytes(f.Path());
  for (std::size_t n = 0; n < good.size(); ++n) {
    Write(f.Path(), good.substr(0, n));
    d = {{9}};
    const std::int32_t status = LoadBinaryArray(f.Path(), d, ident, true);
    EXPECT_TRUE(status == -2 || status == -4) << n << " bytes: " << status;
    EXPECT_TRUE(d.empty());
    std::int32_t n1, n2, n3, n4;
    TArrayCellFormat fmt;
    EXPECT_EQ(ReadBinaryArrayHeader(f.Path(), n1, n2, n3, n4, ident, fmt), status);
  }
  Write(f.Path(), good + "x");
  EXPECT_EQ(LoadBinaryArray(f.Path(), d, ident, false), -4);  // trailing byte
  const auto patched = [&good](std::size_t At, const std::string& With) {
    std::string b = good;
    b.replace(At, With.size(), With);
    return b;
  };
  struct TCase {
    const char* Name;
    std::string Bytes;
    std::int32_t Status;
  };
  const TCase cases[] = {
      {"array text", "KVL array text 1\nelement double\n", -2},
      {"version 2", patched(8, std::string("\2\0", 2)), -2},
      {"cell format 3", patched(10, "\3"), -4},
      {"rank 5", patched(11, "\5"), -4},
      {"absurd extents", patched(12, "\xff\xff\xff\x7f\xff\xff\xff\x7f"), -4},
      {"negative extent", patched(12, "\xfe\xff\xff\xff"), -4},
      {"extent beyond rank", patched(20, "\1"), -4},
      {"absurd text length", patched(28, "\xff\xff\xff\xff"), -4},
  };
  for (const TCase& c : cases) {
    Write(f.Path(), c.Bytes);
    EXPECT_EQ(LoadBinaryArray(f.Path(), d, ident, true), c.Status) << c.Name;
  }
  EXPECT_EQ(LoadBinaryArray("/nonexistent/a.bin", d, ident, true), -1);
  EXPECT_EQ(LoadBinaryArray(std::filesystem::temp_directory_path().string(), d, ident, true), -1);  // a directory
  EXPECT_EQ(SaveBinaryArray(f.Path(), TDouble2DArray{}, ""), -2);
  EXPECT_EQ(SaveBinaryArray(f.Path(), TDouble2DArray{{1}, {}}, ""), -2);
}

}  // namespace
}  // namespace kvl
