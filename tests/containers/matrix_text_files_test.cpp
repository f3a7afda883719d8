// TMatrix text and stream forms: the ASC column text with custom data, the
// text dump (and the plain table read with AutoDetect), the stream image:
// exact round trips and hostile files.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "kvl/base/KVL_streams.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/runtime/streams.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::ReadFile;
using test::TempFile;
using test::WriteFile;

/// Awkward: values whose text needs all 17 digits, extremes, -0 and infinities.
std::vector<double> Awkward() {
  return {0.1, 1.0 / 3.0, -2.0 / 7.0, 1e308, -1e-300, std::numeric_limits<double>::denorm_min(), -0.0,
          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 123456789.123456789,
          std::numeric_limits<double>::max(), std::numeric_limits<double>::min()};
}

/// FillAwkward: m := Nc x Nr cells of the awkward values, cycled column-major.
void FillAwkward(TMatrix& m, std::int32_t Nc, std::int32_t Nr) {
  const std::vector<double> v = Awkward();
  m.Resize(Nc, Nr);
  std::size_t k = 0;
  for (std::int32_t c = 1; c <= Nc; ++c)
    for (std::int32_t r = 1; r <= Nr; ++r) m.SetVal(c, r, v[k++ % v.size()]);
}

/// ExpectSameBits: the cells (Low..High) of both matrices are bit-identical.
void ExpectSameBits(const TMatrix& A, const TMatrix& B, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) {
  for (std::int32_t c = LowCol; c <= HighCol; ++c)
    for (std::int32_t r = LowRow; r <= HighRow; ++r)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(A.GetVal(c, r)), std::bit_cast<std::uint64_t>(B.GetVal(c, r)))
          << "cell " << c << "," << r << ": " << A.GetVal(c, r) << " vs " << B.GetVal(c, r);
}

// --- ASC text ---------------------------------------------------------------------------------

TEST(MatrixASC, LayoutPrecisionAndCustomData) {
  TMatrix m;
  m.Resize(3, 2);
  const double cells[3][2] = {{1.5, -2.25}, {1000.0, 0.125}, {-0.5, 7.0}};
  for (std::int32_t c = 1; c <= 3; ++c)
    for (std::int32_t r = 1; r <= 2; ++r) m.SetVal(c, r, cells[c - 1][r - 1]);
  TempFile file(".asc");
  const TStr2DArray cust = {{"plain", "with blank", "", "50% \"q\"\nnext"}, {}, {"\xC3\xA9t\xC3\xA9"}};
  ASSERT_EQ(m.ExportAsASC(file.Path(), 3, "", cust), 0);
  const std::string head = "Exported by KVL TMatrix component: " + file.Path() +
                           "\n3\t;nr. of columns\n2\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;row attributes, "
                           "column names, row names, nominal variables\n";
  const std::string text = ReadFile(file.Path());
  ASSERT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(head.size(), text.find('\n', head.size()) - head.size()), "       1.500\t    1000.000\t      -0.500");

  TMatrix back;
  std::string comment;
  TStr2DArray custBack = {{"stale"}};
  ASSERT_EQ(back.ImportASC(file.Path(), comment, custBack), 0);
  EXPECT_EQ(comment, "Exported by KVL TMatrix component: " + file.Path());
  EXPECT_EQ(custBack, cust);
  ExpectSameBits(back, m, 1, 1, 3, 2);
  EXPECT_EQ(back.NrOfColumns(), 3);
  EXPECT_EQ(back.NrOfRows(), 2);

  // Precision rounds what is written; no custom block without custom data.
  m.SetVal(1, 1, 2.0 / 3.0);
  ASSERT_EQ(m.ExportAsASC(file.Path(), 2, "one\ntwo"), 0);
  ASSERT_EQ(back.ImportASC(file.Path(), comment, custBack), 0);
  EXPECT_EQ(comment, "one two");
  EXPECT_DOUBLE_EQ(back.GetVal(1, 1), 0.67);
  EXPECT_TRUE(custBack.empty());
  EXPECT_EQ(ReadFile(file.Path()).find("CUSTDATA"), std::string::npos);
}

struct ASCHostileCase {
  const char* Name;
  std::string Flags;  // the flag line of the header
  std::string Body;   // the file after the four header lines
  std::int32_t Cols, Rows;
  std::int32_t Status;
};

class MatrixASCHostileTest : public ::testing::TestWithParam<ASCHostileCase> {};

// Any failure leaves the 2 x 2 matrix of 8s as it was; success reads the file's 2 x 2 cells.
TEST_P(MatrixASCHostileTest, StatusAndMatrixUnchangedOnFailure) {
  const ASCHostileCase hc = GetParam();
  TempFile file(".asc");
  WriteFile(file.Path(), "title\n" + std::to_string(hc.Cols) + "\t;nr. of columns\n" + std::to_string(hc.Rows) +
                             "\t;nr. of rows\n" + hc.Flags + "\t;flags\n" + hc.Body);
  TMatrix m;
  m.Resize(2, 2);
  m.Fill(8.0);
  std::string comment;
  TStr2DArray cust = {{"stale"}};
  EXPECT_EQ(m.ImportASC(file.Path(), comment, cust), hc.Status);
  EXPECT_EQ(comment, "title");
  EXPECT_TRUE(cust.empty());
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 2);
  if (hc.Status != 0) {
    for (std::int32_t c = 1; c <= 2; ++c)
      for (std::int32_t r = 1; r <= 2; ++r) EXPECT_EQ(m.GetVal(c, r), 8.0);
  } else {
    EXPECT_EQ(m.GetVal(1, 1), 1.0);
    EXPECT_EQ(m.GetVal(2, 2), 0.0);  // NAN and ### read 0
  }
}

const std::string kNoFlags = "FALSE FALSE FALSE FALSE";

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixASCHostileTest,
    ::testing::Values(ASCHostileCase{"Truncated", kNoFlags, "1 2\n3\n", 2, 2, -6},
                      ASCHostileCase{"AbsurdCounts", kNoFlags, "1 2\n3 4\n", 2000000000, 2000000000, -19},
                      ASCHostileCase{"WideTimesTall", kNoFlags, std::string(300, '1') + "\n", 200, 200, -19},
                      ASCHostileCase{"CellsBeyondText", kNoFlags, std::string(300, '1') + "\n", 20, 15, -6},
                      ASCHostileCase{"ZeroColumns", kNoFlags, "1 2\n", 0, 2, -7},
                      ASCHostileCase{"BadWord", kNoFlags, "1 2\n3 x\n", 2, 2, -6},
                      ASCHostileCase{"BadRowAttribute", "TRUE FALSE FALSE FALSE", "1 1 2\nz 3 4\n", 2, 2, -5},
                      ASCHostileCase{"MissingWords", kNoFlags, "1 2\nNAN ###\n", 2, 2, 0},
                      ASCHostileCase{"AttributesAndNames", "TRUE TRUE TRUE FALSE",
                                     "\"a\" \"b\"\n7 \"r1\" 1 2\n8 \"r2\" NAN ###\n", 2, 2, 0},
                      ASCHostileCase{"CustCountAbsurd", kNoFlags, "1 2\n3 4\nCUSTDATA 2000000000\n0\n", 2, 2, -6},
                      ASCHostileCase{"CustTextBroken", kNoFlags, "1 2\n3 4\nCUSTDATA 1\n2 =ok =bad%4\n", 2, 2, -6},
                      ASCHostileCase{"CustRowsShort", kNoFlags, "1 2\n3 4\nCUSTDATA 1\n3 =a =b\n", 2, 2, -6}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MatrixASC, MissingFileAndUnwritableFile) {
  TMatrix m;
  std::string comment = "x";
  EXPECT_EQ(m.ImportASC("/nonexistent/kvl_none.asc", comment), -8);
  EXPECT_EQ(comment, "");
  EXPECT_EQ(m.ExportAsASC("/nonexistent/dir/out.asc", 3, ""), -1);
}

// --- text dump --------------------------------------------------------------------------------

TEST(MatrixDump, ExactRoundTripOfARectangle) {
  TMatrix m;
  FillAwkward(m, 4, 5);
  TempFile file(".txt");
  ASSERT_TRUE(m.StoreOnFile(4, 2, 2, 5, file.Path()));  // bounds put in order
  const std::string text = ReadFile(file.Path());
  EXPECT_EQ(text.substr(0, 8), "2 2 4 5\n");
  TMatrix back;
  EXPECT_FALSE(back.LoadFromFile(file.Path(), false));  // 1 x 1: the rectangle lies beyond
  ASSERT_TRUE(back.LoadFromFile(file.Path(), true));
  EXPECT_EQ(back.NrOfColumns(), 4);
  EXPECT_EQ(back.NrOfRows(), 5);
  ExpectSameBits(back, m, 2, 2, 4, 5);
  EXPECT_EQ(back.GetVal(1, 1), 0.0);

  // The whole matrix by (0, 0) ranges, and the same call with AutoDetect false.
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, file.Path()));
  TMatrix whole;
  ASSERT_TRUE(whole.LoadFromFile(file.Path(), true, false));
  ExpectSameBits(whole, m, 1, 1, 4, 5);
}

TEST(MatrixDump, HostileBoundsAndWords) {
  TempFile file(".txt");
  TMatrix m;
  m.Resize(2, 2);
  m.Fill(8.0);
  for (const char* body : {"1 1 2000000000 2000000000\n1 2 3\n", "0 1 2 2\n", "2 2 1 1\n", "1 1 x 2\n",
                           "1 1 2.5 2\n", "1 1 99999999999 2\n", "1000000 1000000 1000000 1000000\n5\n", ""}) {
    WriteFile(file.Path(), body);
    EXPECT_FALSE(m.LoadFromFile(file.Path(), true)) << body;
    EXPECT_EQ(m.NrOfColumns(), 2);
    EXPECT_EQ(m.GetVal(2, 2), 8.0);
  }
  WriteFile(file.Path(), "1 1 2 2\n5 oops\n-1.5e3");  // a word that does not read is skipped; the file ends early
  EXPECT_TRUE(m.LoadFromFile(file.Path(), false));
  EXPECT_EQ(m.GetVal(1, 1), 5.0);
  EXPECT_EQ(m.GetVal(2, 1), 8.0);
  EXPECT_EQ(m.GetVal(1, 2), -1500.0);
  EXPECT_EQ(m.GetVal(2, 2), 8.0);
  EXPECT_FALSE(m.LoadFromFile("/nonexistent/kvl_none.txt", true));
  EXPECT_FALSE(m.StoreOnFile(0, 0, 0, 0, "/nonexistent/dir/out.txt"));
}

// --- plain table (AutoDetect) -------------------------------------------------------------------

std::string Repeat(const std::string& Text, int Times) {
  std::string out;
  for (int i = 0; i < Times; ++i) out += Text;
  return out;
}

struct TableCase {
  const char* Name;
  std::string Body;
  bool Adjust;
  bool Result;
  std::int32_t Cols, Rows;                 // the size afterwards (from 2 x 2 of 8s)
  std::vector<std::vector<double>> Cells;  // expected [row][column]; a resize keeps the old cells
};

class MatrixAutoDetectTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(MatrixAutoDetectTest, SizeAndCells) {
  const TableCase tc = GetParam();
  TempFile file(".txt");
  WriteFile(file.Path(), tc.Body);
  TMatrix m;
  m.Resize(2, 2);
  m.Fill(8.0);
  EXPECT_EQ(m.LoadFromFile(file.Path(), tc.Adjust, true), tc.Result);
  ASSERT_EQ(m.NrOfColumns(), tc.Cols);
  ASSERT_EQ(m.NrOfRows(), tc.Rows);
  for (std::size_t r = 0; r < tc.Cells.size(); ++r)
    for (std::size_t c = 0; c < tc.Cells[r].size(); ++c)
      EXPECT_EQ(m.GetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1)), tc.Cells[r][c])
          << "cell " << c + 1 << "," << r + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixAutoDetectTest,
    ::testing::Values(
        TableCase{"Rectangle", "1 2 3\n4 5 6\n", true, true, 3, 2, {{1, 2, 3}, {4, 5, 6}}},
        TableCase{"RaggedBlankAndTextLines", "# head\n\n1\t2\r\n3 4 5\n  \nend\n6", true, true, 3, 3,
                  {{1, 2, 0}, {3, 4, 5}, {6, 0, 0}}},
        TableCase{"BadWordKeepsCell", "1 x\n-2.5e1 4\n", true, true, 2, 2, {{1, 8}, {-25, 4}}},
        TableCase{"NoAdjustCutsToMatrix", "1 2 3\n4 5 6\n7 8 9\n", false, true, 2, 2, {{1, 2}, {4, 5}}},
        TableCase{"NoAdjustShortFile", "1\n", false, true, 2, 2, {{1, 8}, {8, 8}}},
        TableCase{"NoNumbers", "none here\n", true, true, 2, 2, {{8, 8}, {8, 8}}},
        TableCase{"LongWordIsNoNumber", "1 " + std::string(500, '7') + "\n", true, true, 2, 1, {{1, 8}}},
        // 201 rows and a longest row of 100: far more cells than 600 bytes of text can fill.
        TableCase{"RaggedBeyondText", Repeat("1 ", 99) + "1\n" + Repeat("1\n", 200), true, false, 2, 2,
                  {{8, 8}, {8, 8}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MatrixAutoDetect, MissingFile) {
  TMatrix m;
  EXPECT_FALSE(m.LoadFromFile("/nonexistent/kvl_none.txt", true, true));
}

// --- stream image -----------------------------------------------------------------------------

TEST(MatrixStream, ExactRoundTripTruncationAndAbsurdBounds) {
  TMatrix m;
  FillAwkward(m, 4, 3);
  TMemoryStream* stream = nullptr;
  m.SaveToStream(stream, 0, 0, 0, 0);
  std::unique_ptr<TMemoryStream> owner(stream);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Size(), 16 + 8 * 12);
  TMatrix back;
  stream->SetPosition(0);
  ASSERT_TRUE(back.LoadFromStream(stream, true));
  EXPECT_EQ(back.NrOfColumns(), 4);
  EXPECT_EQ(back.NrOfRows(), 3);
  ExpectSameBits(back, m, 1, 1, 4, 3);

  // A sub-rectangle lands at its place; a stream cut inside a column stores the cells before the cut.
  TMemoryStream part;
  m.SaveToStream(&part, 2, 2, 3, 3);
  EXPECT_EQ(part.Size(), 16 + 8 * 4);
  TMemoryStream cut;
  part.SetPosition(0);
  cut.CopyFrom(part, 16 + 8 * 3);
  cut.SetPosition(0);
  TMatrix partial;
  partial.Resize(3, 3);
  partial.Fill(8.0);
  EXPECT_FALSE(partial.LoadFromStream(&cut, false));
  ExpectSameBits(partial, m, 2, 2, 2, 3);
  EXPECT_EQ(partial.GetVal(3, 2), m.GetVal(3, 2));
  EXPECT_EQ(partial.GetVal(3, 3), 8.0);
  EXPECT_EQ(partial.GetVal(1, 1), 8.0);

  for (const std::vector<std::int32_t>& bounds : std::vector<std::vector<std::int32_t>>{
           {1, 1, 2000000000, 2000000000, 7}, {100000, 100000, 100000, 100000, 1, 2}, {0, 1, 2, 2},
           {2, 2, 1, 1}, {1, 1}}) {
    TMemoryStream bad;  // {100000, ...}: one cell far out, 8 bytes of data
    for (const std::int32_t b : bounds) WriteLongintToStream(bad, b);
    bad.SetPosition(0);
    TMatrix one;
    EXPECT_FALSE(one.LoadFromStream(&bad, true));
    EXPECT_EQ(one.NrOfColumns(), 1);
    EXPECT_EQ(one.NrOfRows(), 1);
  }
  EXPECT_FALSE(back.LoadFromStream(nullptr, true));
  m.SaveToStream(static_cast<TStream*>(nullptr), 0, 0, 0, 0);  // nothing to write to: no effect
}

}  // namespace
}  // namespace kvl
