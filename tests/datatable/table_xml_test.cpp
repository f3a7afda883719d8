// TDataTable: the XML form.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "table_files_support.h"

namespace kvl::test {
namespace {

std::string XmlOf(TDataTable& t, bool Header, std::int32_t Precision, std::string_view DataID) {
  std::ostringstream out;
  t.WriteToOpenXMLFile(out, Header, Precision, DataID);
  return out.str();
}

TEST(TableXml, FileRoundTripRestoresEveryItemExactly) {
  TDataTable t, u;
  BuildRichTable(t);
  TempFile f(".xml");
  ASSERT_TRUE(t.SaveAsXMLFile(f.Path(), 17, "id<&>"));
  EXPECT_EQ(ReadFile(f.Path()).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
  std::vector<double> percents;
  u.OnPercentDone = [&](TObject*, double p) { percents.push_back(p); };
  TableEvents ev(u);
  ASSERT_TRUE(u.LoadFromXMLFile(f.Path(), "id<&>"));
  ExpectSameTable(t, u);
  EXPECT_EQ(ev.Take(), Names({"Resize 1 1 4 256", "Change", "CellState", "Setup", "Names", "Attrib"}));
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.back(), 100.0);
  // streams too, and an empty DataID accepts any table
  TMemoryStream s;
  t.WriteToXMLStream(s, false, 17, "x");
  s.SetPosition(0);
  TDataTable w;
  ASSERT_TRUE(w.ReadFromXMLStream(s, ""));
  ExpectSameTable(t, w);
}

TEST(TableXml, EmbeddedTableIsFoundAndStartAtMovesPastIt) {
  TDataTable t;
  BuildRichTable(t);
  // as a learner embeds it: its own lines around, no header, precision 10
  const std::string inner = XmlOf(t, false, 10, "MBLModel");
  EXPECT_EQ(inner.find("<?xml"), std::string::npos);
  const std::string doc = "<model>\n<name>m</name>\n<modeldata>\n" + inner + "</modeldata>\n<after/>\n</model>\n";
  const std::size_t from = doc.find("<modeldata>") + 11, to = doc.find("</modeldata>");
  const std::string content = doc.substr(from, to - from);
  TDataTable u;
  std::int32_t start = 1;
  ASSERT_TRUE(u.ReadFromXMLString(content, start, ""));
  EXPECT_EQ(content.substr(static_cast<std::size_t>(start) - 1), "\n");
  EXPECT_EQ(u.CRCofNamesAndAttributes(), t.CRCofNamesAndAttributes());
  EXPECT_EQ(u.CRCofCellStates(), t.CRCofCellStates());
  EXPECT_EQ(u.NumericData->GetVal(3, 1), 0.1);
  EXPECT_EQ(u.NumericData->GetVal(3, 10), 3.141592654);  // ten digits as written
  // a second table in the same string is read from where the first ended
  const std::string two = inner + XmlOf(u, false, 17, "second");
  start = 1;
  ASSERT_TRUE(u.ReadFromXMLString(two, start, "MBLModel"));
  ASSERT_TRUE(u.ReadFromXMLString(two, start, "second"));
  EXPECT_FALSE(u.ReadFromXMLString(two, start, ""));  // nothing left
}

TEST(TableXml, OpenFileReaderStopsAfterTheTable) {
  TDataTable t;
  BuildRichTable(t);
  std::stringstream io;
  io << "<head/>\n";
  t.WriteToOpenXMLFile(io, false, 17, "a");
  io << "<tail>after</tail>\n";
  TDataTable u;
  ASSERT_TRUE(u.ReadFromOpenXMLFile(io, "a"));
  ExpectSameTable(t, u);
  std::string rest((std::istreambuf_iterator<char>(io)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rest, "\n<tail>after</tail>\n");
}

TEST(TableXml, PythonParsesAStoredTable) {
  if (!HavePython("xml.etree.ElementTree")) GTEST_SKIP() << "/usr/bin/python3 is missing";
  TDataTable t;
  BuildRichTable(t);
  TempFile f(".xml");
  ASSERT_TRUE(t.SaveAsXMLFile(f.Path(), 17, "py"));
  TempFile script(".py");
  WriteFile(script.Path(),
            "import sys, xml.etree.ElementTree as ET\n"
            "root = ET.parse(sys.argv[1]).getroot()\n"
            "assert root.tag == 'datatable' and root.get('id') == 'py'\n"
            "size = root.find('size')\n"
            "assert size.get('columns') == '4' and size.get('rows') == '256'\n"
            "cols = [c.text or '' for c in root.find('colnames')]\n"
            "assert cols[0] == 'x<&>\"\\'', cols[0]\n"
            "assert cols[1] == '\\u00e9t\\u00e9\\tcol', cols[1]\n"
            "assert root.find('rownames')[1].text == 'row \"2\" & <b>'\n"
            "cells = root.find('datacells').findall('cell')\n"
            "assert len(cells) == 256\n"
            "assert [float(v) for v in cells[0].text.split()][3] == 1 / 7.0\n"
            "assert cells[9].get('states').split()[3] == '9'\n"
            "idf = root.find('vardef').findall('idf')\n"
            "assert [i.text for i in idf] == ['r<d', 'gr&en', '\\u00fc']\n");
  const std::string cmd = "/usr/bin/python3 " + script.Path() + " " + f.Path();
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}

TEST(TableXml, MalformedTextsLeaveTheTableUnchanged) {
  TDataTable src;
  src.Resize(3, 2);
  FillSerial(src);
  src.SetCellState(2, 2, 64);
  const std::string good = XmlOf(src, true, 17, "g");
  const std::string cellsAt = "<cell row=\"1\">";
  const std::size_t cellPos = good.find(cellsAt);
  auto replaced = [&](std::string_view from, std::string_view to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::vector<std::string> bad = {
      "",
      "<datatable>",
      replaced("columns=\"3\"", "columns=\"300000000\""),  // absurd size
      replaced("rows=\"2\"", "rows=\"-2\""),
      replaced("rows=\"2\"", "rows=\"20\""),               // more rows than data
      replaced("<cell row=\"2\"", "<cell row=\"1\""),      // a row twice
      replaced("101 201 301", "101 2x1 301"),             // a bad number
      replaced("101 201 301", "101 201"),                 // a value short
      replaced("101 201 301", "101 201 301 401"),         // a value too many
      replaced("states=\"0 64 0\"", "states=\"0 640 0\""),
      replaced("<vardef col=\"1\" type=\"Interval\">", "<vardef col=\"9\" type=\"Interval\">"),
      replaced("<vardef col=\"1\" type=\"Interval\">", "<vardef col=\"1\" type=\"Weird\">"),
      replaced("<colattrib>0 0 0</colattrib>", "<colattrib>0 0</colattrib>"),
      replaced("<size columns=\"3\" rows=\"2\"/>", ""),  // no size
      good.substr(0, cellPos + 5),                        // truncated in the cells
  };
  TDataTable t;
  BuildRichTable(t);
  const std::string before = XmlOf(t, true, 17, "");
  for (std::size_t i = 0; i < bad.size(); ++i) {
    std::int32_t start = 1;
    EXPECT_FALSE(t.ReadFromXMLString(bad[i], start, "")) << "case " << i;
    EXPECT_EQ(start, 1);
  }
  // every truncation of the text fails as well
  for (std::size_t cut = 0; cut + 14 < good.size(); cut += 7) {
    std::int32_t start = 1;
    EXPECT_FALSE(t.ReadFromXMLString(good.substr(0, cut), start, "")) << "cut at " << cut;
  }
  std::int32_t from = 1;
  EXPECT_FALSE(t.ReadFromXMLString(good, from, "other id"));
  EXPECT_EQ(XmlOf(t, true, 17, ""), before);
  // unknown tags are passed over
  std::int32_t start = 1;
  ASSERT_TRUE(t.ReadFromXMLString(replaced("<datacells>", "<future a=\"1\">x</future><datacells>"), start, "g"));
  EXPECT_EQ(t.CellState(2, 2), 64);
  EXPECT_FALSE(t.LoadFromXMLFile("/nonexistent/dir/file.xml", ""));
}

}  // namespace
}  // namespace kvl::test
