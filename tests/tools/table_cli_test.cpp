// `kvl table`: conversions between the three forms and the summary.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl_test_support.h"
#include "table.h"

namespace kvl::tool {
namespace {

using test::TempFile;

using test_cli::TResult;

TResult Table(const std::vector<std::string>& Args, const std::string& Stdin = "") {
  return test_cli::Run(RunTable, Args, Stdin);
}

// Sample: two columns, one nominal, a name that needs quoting, an empty cell.
void Sample(TDataTable& t) {
  t.Resize(2, 3);
  t.SetColName(1, "size, cm");
  t.SetColName(2, "colour");
  t.SetMScaleType(2, TMScaleType::stNominal);
  for (std::int32_t r = 1; r <= 3; ++r) {
    t.SetElem(1, r, r * 0.1);
    t.SetElemNominal(2, r, r == 2 ? "blue" : "red");
  }
  t.SetIsEmpty(1, 3, true);
}

TEST(TableCli, ConvertsThroughEveryFormAndBack) {
  TDataTable t;
  Sample(t);
  TempFile xml(".xml");
  ASSERT_TRUE(t.SaveAsXMLFile(xml.Path(), 17, ""));
  // xml -> csv -> asc -> xml, each step through standard input and output
  const TResult csv = Table({xml.Path(), "--to", "csv"});
  ASSERT_EQ(csv.Exit, kExitOK) << csv.Err;
  EXPECT_EQ(csv.Out, ",\"size, cm\",colour\r\nR-1,0.1,red\r\nR-2,0.2,blue\r\nR-3,,red\r\n");
  const TResult asc = Table({"-", "--to", "asc"}, csv.Out);
  ASSERT_EQ(asc.Exit, kExitOK) << asc.Err;
  TempFile back(".xml");
  const TResult x = Table({"-", "--to", "xml", "--out", back.Path()}, asc.Out);
  ASSERT_EQ(x.Exit, kExitOK) << x.Err;
  EXPECT_EQ(x.Out, "");
  TDataTable u;
  ASSERT_TRUE(u.LoadFromXMLFile(back.Path(), ""));
  ASSERT_EQ(u.NrOfRows(), 3);
  EXPECT_EQ(u.ColName(1), "size, cm");
  EXPECT_EQ(u.Elem(1, 2), 0.2);
  EXPECT_EQ(u.ElemNominal(2, 2), "blue");
  EXPECT_TRUE(u.IsEmpty(1, 3));
}

TEST(TableCli, InfoSummarisesEveryColumn) {
  TDataTable t;
  Sample(t);
  std::ostringstream xml;
  t.WriteToOpenXMLFile(xml, true, 17, "");
  const TResult r = Table({"-", "--info"}, xml.str());
  ASSERT_EQ(r.Exit, kExitOK) << r.Err;
  EXPECT_NE(r.Out.find("columns: 2\nrows: 3\n"), std::string::npos);
  EXPECT_NE(r.Out.find("size, cm"), std::string::npos);
  EXPECT_NE(r.Out.find("Interval"), std::string::npos);
  EXPECT_NE(r.Out.find("0.15"), std::string::npos);  // the mean of 0.1 and 0.2
  EXPECT_NE(r.Out.find("2 identifiers"), std::string::npos);
}

TEST(TableCli, ClearErrors) {
  struct Case {
    std::vector<std::string> Args;
    std::string Stdin;
    int Exit;
    std::string Err;
  };
  const Case cases[] = {
      {{}, "", kExitUsage, "kvl table: expected one FILE (try kvl table --help)\n"},
      {{"f"}, "", kExitUsage, "kvl table: give either --to FORM or --info (try kvl table --help)\n"},
      {{"f", "--to", "json"}, "", kExitUsage, "kvl table: unknown form \"json\" (try kvl table --help)\n"},
      {{"f", "--info", "--to", "csv"}, "", kExitUsage,
       "kvl table: give either --to FORM or --info (try kvl table --help)\n"},
      {{"f", "--to", "csv", "--precision", "30"}, "", kExitUsage,
       "kvl table: --precision takes a whole number from 1 to 17, not \"30\" (try kvl table --help)\n"},
      {{"/nonexistent/t.xml", "--info"}, "", kExitBadInput, "kvl: /nonexistent/t.xml: the file does not exist\n"},
      {{"-", "--info"}, "<datatable><size columns=\"9\"", kExitBadInput,
       "kvl: standard input: not a readable XML data table\n"},
      {{"-", "--to", "xml"}, "a,\"b\n", kExitBadInput, "kvl: standard input: not a readable CSV table (status -2)\n"},
  };
  for (const Case& c : cases) {
    const TResult r = Table(c.Args, c.Stdin);
    EXPECT_EQ(r.Exit, c.Exit);
    EXPECT_EQ(r.Err, c.Err);
  }
  EXPECT_NE(Table({"--help"}).Out.find("usage: kvl table FILE --to csv|xml|asc"), std::string::npos);
}

}  // namespace
}  // namespace kvl::tool
