// TDataTable: the ASC form and the splitting into parts.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/clipboard.h"
#include "kvl/runtime/randgen.h"
#include "table_files_support.h"

namespace kvl::test {
namespace {

std::string AscOf(TDataTable& t) {
  std::ostringstream out;
  EXPECT_EQ(t.ExportAsASC(out, 17), "");
  return out.str();
}

// AscSafe: the rich table without the two things this form changes in
// names (double quotes and line breaks).
void BuildAscTable(TDataTable& t) {
  BuildRichTable(t);
  t.SetColName(1, "x<&>'");
  t.SetColName(4, "ctl\x01\x1f end");
  t.SetRowName(2, "row 2 & <b>");
}

TEST(TableAsc, RoundTripRestoresEveryItemExactly) {
  TDataTable t, u;
  BuildAscTable(t);
  TempFile f(".asc");
  const TStr2DArray cust = {{"one", "two words"}, {}};
  ASSERT_EQ(t.ExportAsASC(f.Path(), 17, &cust), "");
  const std::string text = ReadFile(f.Path());
  EXPECT_EQ(text.substr(text.find('\n') + 1, 18), "4\t;nr. of columns\n");
  TStr2DArray back;
  ASSERT_EQ(u.ImportASC(f.Path(), &back), 0);
  ExpectSameTable(t, u);
  EXPECT_EQ(back, cust);
  // through a stream and the clipboard
  TMemoryStream s;
  t.ExportAsASC(s, 17);
  s.SetPosition(0);
  TDataTable w;
  ASSERT_EQ(w.ImportASC(s), 0);
  ExpectSameTable(t, w);
  Clipboard().SetAsText(AscOf(t));
  TDataTable v;
  ASSERT_EQ(v.ImportASC(Clipboard()), 0);
  ExpectSameTable(t, v);
}

TEST(TableAsc, ReadsTheAscOfAVectorWithMissingWords) {
  TempFile f(".asc");
  WriteFile(f.Path(), "title\n1\t;nr. of columns\n3\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;x\n1.5\nNAN\n###\n");
  TDataTable t;
  ASSERT_EQ(t.ImportASC(f.Path()), 0);
  EXPECT_EQ(t.Comment(), "title");
  ASSERT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.Elem(1, 1), 1.5);
  EXPECT_EQ(t.CellState(1, 2), 2);  // a missing word is an empty cell
  EXPECT_EQ(t.CellState(1, 3), 2);
  EXPECT_EQ(t.ColName(1), "C-1");
}

TEST(TableAsc, ReadFromASCAtAnOffsetMapsOrReplacesIdentifiers) {
  TDataTable src;
  src.Resize(1, 2);
  src.SetMScaleType(1, TMScaleType::stNominal);
  src.SetElemNominal(1, 1, "blue");   // slot 0
  src.SetElemNominal(1, 2, "green");  // slot 1
  const std::string text = AscOf(src);
  TDataTable t;
  t.Resize(3, 2);
  t.SetMScaleType(2, TMScaleType::stNominal);
  t.SetNominalID(2, 0, "green");
  Clipboard().SetAsText(text);
  ASSERT_EQ(t.ReadFromASC(Clipboard(), 2, 2, false), 0);
  ASSERT_EQ(t.NrOfRows(), 3);  // grown to hold row 2 of the file at row 3
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.ElemNominal(2, 2), "blue");
  EXPECT_EQ(t.ElemNominal(2, 3), "green");
  EXPECT_EQ(t.Elem(2, 3), 0.0);  // mapped to the column's own slot
  EXPECT_EQ(t.NominalID(2, 1), "blue");
  TDataTable r;
  r.Resize(1, 1);
  r.SetMScaleType(1, TMScaleType::stNominal);
  r.SetNominalID(1, 0, "green");
  TMemoryStream s;
  src.ExportAsASC(s, 17);
  s.SetPosition(0);
  ASSERT_EQ(r.ReadFromASC(s, 1, 1, true), 0);
  EXPECT_EQ(r.NominalID(1, 0), "blue");
  EXPECT_EQ(r.ReadFromASC(Clipboard(), 0, 1, true), -9);
}

TEST(TableAsc, MalformedTextsLeaveTheTableUnchanged) {
  TDataTable src;
  src.Resize(2, 2);
  FillSerial(src);
  src.SetCellState(1, 1, 64);
  const std::string good = AscOf(src);
  auto replaced = [&](std::string_view from, std::string_view to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::vector<std::pair<std::string, std::int32_t>> bad = {
      {"", -12},
      {replaced("2\t;nr. of rows", "99999999\t;nr. of rows"), -19},
      {replaced("201", "2x1"), -6},
      {replaced("[scaletypes] 3 3", "[scaletypes] 3 9"), -10},
      {replaced("[cellstates] 1\n1 1 64", "[cellstates] 1\n5 1 64"), -10},
      {replaced("[cellstates] 1", "[cellstates] 2000000000"), -10},
      {good.substr(0, good.find("102")), -6},
  };
  TDataTable t;
  BuildAscTable(t);
  const std::string before = AscOf(t);
  for (const auto& [text, status] : bad) {
    Clipboard().SetAsText(text);
    EXPECT_EQ(t.ImportASC(Clipboard()), status) << text.substr(0, 40);
  }
  for (std::size_t cut = 0; cut < good.find("[colattrib]"); cut += 5) {
    Clipboard().SetAsText(good.substr(0, cut));
    EXPECT_LT(t.ImportASC(Clipboard()), 0) << "cut at " << cut;
  }
  EXPECT_EQ(AscOf(t), before);
  EXPECT_EQ(t.ImportASC("/nonexistent/file.asc"), -8);
}

// --- splitting -------------------------------------------------------------------------------

TEST(TableSplit, PrepareSplitCounts) {
  TDataTable t;
  t.Resize(3, 10);
  TIntArray n;
  EXPECT_EQ(t.PrepareSplitCounts(TDataSetSplitMode::splitRows, 3, false, n), 3);
  EXPECT_EQ(n, (TIntArray{4, 3, 3}));
  EXPECT_EQ(t.PrepareSplitCounts(TDataSetSplitMode::splitColumns, 3, false, n), 3);
  EXPECT_EQ(n, (TIntArray{1, 1, 1}));
  EXPECT_EQ(t.PrepareSplitCounts(TDataSetSplitMode::splitTstTrn, 4, false, n), 2);
  EXPECT_EQ(n, (TIntArray{3, 7}));
  EXPECT_EQ(t.PrepareSplitCounts(TDataSetSplitMode::splitTstTrn, 4, true, n), 8);
  EXPECT_EQ(n, (TIntArray{3, 7, 3, 7, 2, 8, 2, 8}));
  EXPECT_EQ(t.PrepareSplitCounts(TDataSetSplitMode::splitColumns, 4, false, n), -1);
  EXPECT_EQ(t.PrepareSplitCounts(TDataSetSplitMode::splitRows, 1, false, n), -1);
}

// RowsOf: the first column of each file's table.
std::vector<std::vector<double>> RowsOf(const TStrArray& Files) {
  std::vector<std::vector<double>> out;
  for (const std::string& f : Files) {
    TDataTable p;
    EXPECT_TRUE(p.LoadFromXMLFile(f, ""));
    std::vector<double> v;
    for (std::int32_t r = 1; r <= p.NrOfRows(); ++r) v.push_back(p.Elem(1, r));
    out.push_back(v);
  }
  return out;
}

TEST(TableSplit, SelectionModesAndOverwriting) {
  const auto dir = std::filesystem::temp_directory_path() / ("kvl_split_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string tmpl = (dir / "part.xml").string();
  TDataTable t;
  t.Resize(2, 7);
  FillSerial(t);
  TStrArray files;
  ASSERT_EQ(t.SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmBlocked, 3, false, tmpl, false, files), 3);
  EXPECT_EQ(files[0], (dir / "part_1.xml").string());
  EXPECT_EQ(RowsOf(files), (std::vector<std::vector<double>>{{101, 102, 103}, {104, 105}, {106, 107}}));
  // the files exist now: nothing is written unless allowed
  EXPECT_EQ(t.SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmInterleave, 3, false, tmpl, false, files),
            -2);
  ASSERT_EQ(t.SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmInterleave, 3, false, tmpl, true, files), 3);
  EXPECT_EQ(RowsOf(files), (std::vector<std::vector<double>>{{101, 104, 107}, {102, 105}, {103, 106}}));
  // random: reproducible with the seed, every row in exactly one part
  RandSeed = 42;
  ASSERT_EQ(t.SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmRandSel, 2, false, tmpl, true, files), 2);
  const auto first = RowsOf(files);
  RandSeed = 42;
  t.SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmRandSel, 2, false, tmpl, true, files);
  EXPECT_EQ(RowsOf(files), first);
  EXPECT_EQ(first[0].size() + first[1].size(), 7u);
  // test and training pairs
  ASSERT_EQ(t.SplitDataSet(TDataSetSplitMode::splitTstTrn, TDataSelMode::selmBlocked, 3, true, tmpl, true, files), 6);
  EXPECT_EQ(files[3], (dir / "part_trn2.xml").string());
  const auto pairs = RowsOf(files);
  EXPECT_EQ(pairs[2], (std::vector<double>{104, 105}));
  EXPECT_EQ(pairs[3], (std::vector<double>{101, 102, 103, 106, 107}));
  // columns, as CSV
  const std::string csv = (dir / "cols.csv").string();
  ASSERT_EQ(t.SplitDataSet(TDataSetSplitMode::splitColumns, TDataSelMode::selmBlocked, 2, false, csv, true, files), 2);
  TDataTable c2;
  ASSERT_EQ(c2.ImportFromCSV(files[1], TCSVDelimiters::csvComma, true, true), 7);
  EXPECT_EQ(c2.ColName(1), "C-2");
  EXPECT_EQ(c2.Elem(1, 7), 207.0);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kvl::test
