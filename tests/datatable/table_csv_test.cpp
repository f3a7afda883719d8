// TDataTable: the CSV form.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "table_files_support.h"

namespace kvl::test {
namespace {

std::string CsvOf(TDataTable& t, TCSVDelimiters d, bool ColHd, bool RowHd, bool Attr = false, bool Comment = false) {
  std::ostringstream out;
  EXPECT_EQ(t.ExportAsCSV(out, 17, d, ColHd, RowHd, Attr, Comment), "");
  return out.str();
}

std::int32_t ReadCsv(TDataTable& t, const std::string& Text, TCSVDelimiters d, bool ColHd, bool RowHd,
                     std::int32_t Skip = 0, std::int32_t Last = 0) {
  std::istringstream in(Text);
  return t.ImportFromCSV(in, d, Skip, Last, ColHd, RowHd);
}

class TableCsvDelimiters : public ::testing::TestWithParam<TCSVDelimiters> {};

TEST_P(TableCsvDelimiters, RoundTripKeepsValuesNamesIdentifiersAndEmptyCells) {
  TDataTable t, u;
  BuildRichTable(t);
  t.SetColName(3, "three");
  const std::string text = CsvOf(t, GetParam(), true, true, true, true);
  ASSERT_EQ(ReadCsv(u, text, GetParam(), true, true, 1), 256);
  ASSERT_EQ(u.NrOfColumns(), 4);
  for (std::int32_t c = 1; c <= 4; ++c) EXPECT_EQ(u.ColName(c), t.ColName(c));
  for (std::int32_t r = 1; r <= 256; ++r) {
    ASSERT_EQ(u.RowName(r), t.RowName(r));
    EXPECT_EQ(u.RowAttrib(r), t.RowAttrib(r));
    for (std::int32_t c = 1; c <= 4; ++c) {
      EXPECT_EQ(u.IsNumber(c, r), t.IsNumber(c, r)) << c << "," << r;
      if (!t.IsNumber(c, r)) {
        EXPECT_EQ(u.CellState(c, r), 2);  // written empty, read as empty
      } else if (c <= 2) {
        // identifiers as text, a code without identifier as its number
        std::string id = t.ElemNominal(c, r);
        if (id.empty()) id = std::to_string(static_cast<int>(t.Elem(c, r)));
        EXPECT_EQ(u.ElemNominal(c, r), id) << c << "," << r;
      } else {
        const double x = t.NumericData->GetVal(c, r), y = u.NumericData->GetVal(c, r);
        EXPECT_TRUE(x == y || (x != x && y != y)) << c << "," << r;
        EXPECT_EQ(std::signbit(x), std::signbit(y));
      }
    }
  }
  EXPECT_EQ(u.MScaleType(1), TMScaleType::stNominal);
  EXPECT_EQ(u.MScaleType(3), TMScaleType::stInterval);
}

INSTANTIATE_TEST_SUITE_P(All, TableCsvDelimiters,
                         ::testing::Values(TCSVDelimiters::csvComma, TCSVDelimiters::csvSemicolon,
                                           TCSVDelimiters::csvTab, TCSVDelimiters::csvBlank));

TEST(TableCsv, QuotingFollowsRfc4180) {
  TDataTable t;
  t.Resize(2, 1);
  t.SetColName(1, "a,b");
  t.SetColName(2, "say \"hi\"\nthere");
  t.SetElem(1, 1, 1.5);
  t.SetElem(2, 1, -2);
  EXPECT_EQ(CsvOf(t, TCSVDelimiters::csvComma, true, false), "\"a,b\",\"say \"\"hi\"\"\nthere\"\r\n1.5,-2\r\n");
  // LF line ends, a quoted number, a missing trailing field
  TDataTable u;
  ASSERT_EQ(ReadCsv(u, "x,\"y\"\n\"3\",4\n5\n", TCSVDelimiters::csvComma, true, false), 2);
  EXPECT_EQ(u.ColName(2), "y");
  EXPECT_EQ(u.Elem(1, 1), 3.0);
  EXPECT_EQ(u.CellState(2, 2), 2);
  // lines from 2 to 3 only
  ASSERT_EQ(ReadCsv(u, "1\n2\n3\n4\n", TCSVDelimiters::csvComma, false, false, 1, 3), 2);
  EXPECT_EQ(u.Elem(1, 2), 3.0);
}

TEST(TableCsv, TextInANumericColumnIsNeverASilentZero) {
  // up to 151 distinct texts: a nominal column; more: state 1 ("not a number")
  std::string few = "v\n1\nred\n2\n", many = "v\n";
  for (int i = 0; i < 200; ++i) many += "t" + std::to_string(i) + "\n";
  many += "7\n";
  TDataTable t;
  ASSERT_EQ(ReadCsv(t, few, TCSVDelimiters::csvComma, true, false), 3);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stNominal);
  EXPECT_EQ(t.ElemNominal(1, 2), "red");
  EXPECT_EQ(t.ElemNominal(1, 3), "2");
  ASSERT_EQ(ReadCsv(t, many, TCSVDelimiters::csvComma, true, false), 201);
  EXPECT_EQ(t.MScaleType(1), TMScaleType::stInterval);
  EXPECT_EQ(t.CellState(1, 1), 1);
  EXPECT_FALSE(t.IsNumber(1, 200));
  EXPECT_EQ(t.Elem(1, 201), 7.0);
  EXPECT_TRUE(t.IsNumber(1, 201));
}

TEST(TableCsv, MalformedTextLeavesTheTableUnchanged) {
  TDataTable t;
  t.Resize(2, 2);
  FillSerial(t);
  const std::string crc = t.CRCofNamesAndAttributes();
  EXPECT_EQ(ReadCsv(t, "a,\"unclosed\n1,2\n", TCSVDelimiters::csvComma, true, false), -2);
  EXPECT_EQ(ReadCsv(t, "a,\"b\"x\n", TCSVDelimiters::csvComma, true, false), -2);
  EXPECT_EQ(ReadCsv(t, "", TCSVDelimiters::csvComma, false, false), -3);
  EXPECT_EQ(ReadCsv(t, "1\n2\n", TCSVDelimiters::csvComma, false, false, 5), -3);
  EXPECT_EQ(t.ImportFromCSV("/nonexistent/x.csv", TCSVDelimiters::csvComma, true, false), -1);
  EXPECT_EQ(t.CRCofNamesAndAttributes(), crc);
  EXPECT_EQ(t.Elem(2, 2), 202.0);
}

TEST(TableCsv, PandasReadsOursAndWeReadPandas) {
  if (!HavePython("pandas")) GTEST_SKIP() << "pandas for /usr/bin/python3 is not installed";
  TDataTable t;
  t.Resize(3, 50);
  t.SetColName(1, "alpha, \"a\"");
  t.SetColName(2, "b\xC3\xA9ta");
  t.SetColName(3, "gamma");
  for (std::int32_t r = 1; r <= 50; ++r) {
    t.SetRowName(r, "r" + std::to_string(r));
    t.SetElem(1, r, r / 3.0);
    t.SetElem(2, r, -1e-300 * r);
    t.SetElem(3, r, r * 1e200);
  }
  t.SetIsEmpty(2, 7, true);
  TempFile ours(".csv"), theirs(".csv"), script(".py");
  ASSERT_EQ(t.ExportAsCSV(ours.Path(), 17, TCSVDelimiters::csvComma, true, true), "");
  WriteFile(script.Path(),
            "import sys, math, pandas\n"
            "df = pandas.read_csv(sys.argv[1], index_col=0, float_precision='round_trip')\n"
            "assert df.shape == (50, 3), df.shape\n"
            "assert list(df.columns) == ['alpha, \"a\"', 'b\\u00e9ta', 'gamma'], list(df.columns)\n"
            "assert list(df.index)[:2] == ['r1', 'r2']\n"
            "assert df.iloc[0, 0] == 1 / 3.0 and df.iloc[2, 2] == 3e200\n"
            "assert math.isnan(df.iloc[6, 1])\n"
            "df.to_csv(sys.argv[2], float_format='%.17g')\n");
  const std::string cmd = "/usr/bin/python3 " + script.Path() + " " + ours.Path() + " " + theirs.Path();
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  TDataTable u;
  ASSERT_EQ(u.ImportFromCSV(theirs.Path(), TCSVDelimiters::csvComma, true, true), 50);
  ASSERT_EQ(u.NrOfColumns(), 3);
  for (std::int32_t c = 1; c <= 3; ++c) EXPECT_EQ(u.ColName(c), t.ColName(c));
  for (std::int32_t r = 1; r <= 50; ++r) {
    EXPECT_EQ(u.RowName(r), t.RowName(r));
    for (std::int32_t c = 1; c <= 3; ++c) {
      EXPECT_EQ(u.IsNumber(c, r), t.IsNumber(c, r));
      if (t.IsNumber(c, r)) {
        EXPECT_EQ(u.Elem(c, r), t.Elem(c, r)) << c << "," << r;
      }
    }
  }
}

}  // namespace
}  // namespace kvl::test
