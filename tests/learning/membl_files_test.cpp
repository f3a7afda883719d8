// TMemBasedLearner model files: round trips of both forms (settings, the
// table, bit-identical estimates), the XML form's shape and
// well-formedness, and hostile files, which must leave the learner as it was.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kvl/base/KVL_streams.h"
#include "kvl/learning/KVL_membl.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::ReadFile;
using test::TempFile;
using test::WriteFile;

using VT = TMBLVarType;

// Model: 60 objects, three independent columns, one target, one nominal
// column that is ignored; names and comments that need escaping.
void MakeModel(TMemBasedLearner& mbl) {
  TDataTable& t = *mbl.ModelData;
  t.Resize(5, 60);
  const std::vector<double> v = test::RandomValues(5 * 60, 7);
  for (std::int32_t j = 1; j <= 60; ++j) {
    for (std::int32_t c = 1; c <= 3; ++c) t.SetElem(c, j, v[static_cast<std::size_t>(j * 5 + c - 6)] * c + 0.3 * c);
    t.SetElem(4, j, t.Elem(1, j) * 3 - t.Elem(2, j) + 0.1 * v[static_cast<std::size_t>(j * 5 - 2)]);
    t.SetRowName(j, "obj " + std::to_string(j));
    t.SetRowAttrib(j, j % 4);
  }
  t.SetMScaleType(5, TMScaleType::stNominal);
  for (std::int32_t j = 1; j <= 60; ++j) t.SetElemNominal(5, j, j % 3 == 0 ? "red" : "blue & <b>");
  t.SetColName(1, "x<1>");
  t.SetColName(2, "x & \"2\"");
  t.SetColName(3, "x3");
  t.SetColName(4, "y");
  t.SetColName(5, "colour");
  t.SetComment("training set 'A'");
  t.SetCellState(2, 3, 64);
  mbl.SetAllVars(VT::mblVarIndep);
  mbl.SetVarType(4, VT::mblVarTarget);
  mbl.SetVarType(5, VT::mblVarIgnore);
  mbl.SetModelName("plant <3> & \"north\"");
  mbl.SetComment("line one\nline two\t'tab' \x01");
  mbl.SetNumNearestNb(6);
}

// Snapshot: everything a model file carries, for comparing learners.
struct TSnapshot {
  std::string Name, Comment, TableComment;
  std::int32_t k = 0;
  TMBLDistMode Dist{};
  TMBLScalingMode Scaling{};
  TMBLLocalModel Model{};
  std::int32_t Cols = 0, Rows = 0;
  std::vector<std::string> Names;
  std::vector<std::int32_t> Attribs;
  std::vector<double> Cells;
  std::vector<std::uint8_t> States;
  bool operator==(const TSnapshot&) const = default;
};

TSnapshot Snap(const TMemBasedLearner& mbl) {
  const TDataTable& t = *mbl.ModelData;
  TSnapshot s;
  s.Name = mbl.ModelName();
  s.Comment = mbl.Comment();
  s.TableComment = t.Comment();
  s.k = mbl.NumNearestNb();
  s.Dist = mbl.DistMode();
  s.Scaling = mbl.ScalingMode();
  s.Model = mbl.LocalModel();
  s.Cols = t.NrOfColumns();
  s.Rows = t.NrOfRows();
  for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c) {
    s.Names.push_back(t.ColName(c));
    s.Attribs.push_back(t.ColAttrib(c));
    s.Attribs.push_back(static_cast<std::int32_t>(t.MScaleType(c)));
    for (std::int32_t i = 0; i <= 150; ++i)
      if (!t.NominalID(c, i).empty()) s.Names.push_back(std::to_string(i) + ":" + std::string(t.NominalID(c, i)));
  }
  for (std::int32_t r = 1; r <= t.NrOfRows(); ++r) {
    s.Names.push_back(t.RowName(r));
    s.Attribs.push_back(t.RowAttrib(r));
    for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c) {
      s.Cells.push_back(t.NumericData->GetVal(c, r));
      s.States.push_back(t.CellState(c, r));
    }
  }
  return s;
}

// Estimates: the target of a few probes.
std::vector<double> Estimates(TMemBasedLearner& mbl) {
  std::vector<double> out;
  const std::vector<double> v = test::RandomValues(8 * 5, 31);
  for (std::size_t p = 0; p < 8; ++p) {
    std::vector<double> s(v.begin() + static_cast<std::ptrdiff_t>(p * 5), v.begin() + static_cast<std::ptrdiff_t>(p * 5 + 5));
    out.push_back(static_cast<double>(mbl.ApplyModel(s, static_cast<std::int32_t>(p), 0)));
    out.push_back(s[3]);
  }
  return out;
}

// CheckWellFormed: "" when Text is well-formed XML as far as this library's
// files go (declaration, comments, nested elements with quoted attributes,
// the five entities and character references), else the first problem.
std::string CheckWellFormed(const std::string& Text) {
  std::vector<std::string> open;
  std::size_t i = 0;
  bool root = false;
  auto entityOK = [&](std::size_t at) {
    const std::size_t semi = Text.find(';', at);
    if (semi == std::string::npos) return false;
    const std::string e = Text.substr(at + 1, semi - at - 1);
    if (e == "amp" || e == "lt" || e == "gt" || e == "quot" || e == "apos") return true;
    if (e.size() > 1 && e[0] == '#') {
      const bool hex = e[1] == 'x';
      const std::string digits = e.substr(hex ? 2 : 1);
      if (digits.empty()) return false;
      for (const char ch : digits)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(ch)) : std::isdigit(static_cast<unsigned char>(ch))))
          return false;
      return true;
    }
    return false;
  };
  while (i < Text.size()) {
    const char ch = Text[i];
    if (ch == '&') {
      if (!entityOK(i)) return "bad entity at " + std::to_string(i);
      ++i;
      continue;
    }
    if (static_cast<unsigned char>(ch) < 0x20 && ch != '\n' && ch != '\t' && ch != '\r')
      return "control character at " + std::to_string(i);
    if (ch != '<') {
      if (open.empty() && ch != '\n' && ch != ' ') return "text outside the root at " + std::to_string(i);
      ++i;
      continue;
    }
    if (Text.compare(i, 4, "<!--") == 0) {
      const std::size_t end = Text.find("-->", i + 4);
      if (end == std::string::npos) return "open comment";
      i = end + 3;
      continue;
    }
    if (Text.compare(i, 2, "<?") == 0) {
      if (i != 0) return "declaration not first";
      const std::size_t end = Text.find("?>", i);
      if (end == std::string::npos) return "open declaration";
      i = end + 2;
      continue;
    }
    const bool closing = Text[i + 1] == '/';
    std::size_t j = i + (closing ? 2 : 1);
    std::string name;
    while (j < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[j])) || Text[j] == '_' || Text[j] == '-'))
      name += Text[j++];
    if (name.empty()) return "tag without a name at " + std::to_string(i);
    // attributes: name="value" or name='value'
    while (j < Text.size() && Text[j] != '>' && Text[j] != '/') {
      if (Text[j] == ' ') {
        ++j;
        continue;
      }
      while (j < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[j])) || Text[j] == '_')) ++j;
      if (j + 1 >= Text.size() || Text[j] != '=' || (Text[j + 1] != '"' && Text[j + 1] != '\''))
        return "bad attribute in <" + name + ">";
      const char q = Text[j + 1];
      const std::size_t end = Text.find(q, j + 2);
      if (end == std::string::npos) return "open attribute value";
      for (std::size_t k = j + 2; k < end; ++k) {
        if (Text[k] == '<') return "< in an attribute value";
        if (Text[k] == '&' && !entityOK(k)) return "bad entity in an attribute";
      }
      j = end + 1;
    }
    if (j >= Text.size()) return "open tag";
    const bool empty = Text[j] == '/';
    if (empty && Text[j + 1] != '>') return "bad empty tag";
    i = j + (empty ? 2 : 1);
    if (closing) {
      if (open.empty() || open.back() != name) return "</" + name + "> does not close the open element";
      open.pop_back();
    } else if (!empty) {
      if (open.empty() && root) return "second root element";
      root = true;
      open.push_back(name);
    }
  }
  return open.empty() && root ? "" : "unclosed elements";
}

TEST(MemBasedLearnerFiles, XmlFormHasItsLinesAndIsWellFormed) {
  TMemBasedLearner mbl;
  MakeModel(mbl);
  mbl.SetDistMode(TMBLDistMode::mblDistManhattan);
  mbl.SetLocalModel(TMBLLocalModel::mblLMWgtGauss);
  TempFile f(".xml");
  mbl.StoreModelXML(f.Path(), "set \"7\" <a>");
  const std::string text = ReadFile(f.Path());
  EXPECT_EQ(CheckWellFormed(text), "");
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\n<membasedlearner sig=\"Brantcore\" vers=\"1.001\" id=\"set &quot;7&quot; &lt;a&gt;\">\n"
                       "<!-- TMemBasedLearner / Quillet -->\n",
                       0),
            0u);
  for (const char* line : {"\n<numnnb>6</numnnb>\n", "\n<distmode>manhattan</distmode>\n", "\n<scaling>unscaled</scaling>\n",
                           "\n<locmodel>weighted average</locmodel>\n", "\n<modeldata>\n",
                           "\n</modeldata>\n</membasedlearner>\n", "<modelname>plant &lt;3&gt; &amp; &quot;north&quot;</modelname>"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(text.find("\n "), std::string::npos);  // no line is indented
  std::string oops = text;
  oops.replace(oops.find("&amp;"), 5, "&");  // the checker itself finds a raw ampersand
  EXPECT_NE(CheckWellFormed(oops), "");
}

// Both forms restore settings and table, and the estimates bit for bit, for
// every local model and distance.
TEST(MemBasedLearnerFiles, RoundTripsGiveIdenticalEstimates) {
  TMemBasedLearner mbl;
  MakeModel(mbl);
  for (std::int32_t d = 0; d < 3; ++d) {
    for (std::int32_t m = 0; m < 4; ++m) {
      mbl.SetDistMode(static_cast<TMBLDistMode>(d));
      mbl.SetLocalModel(static_cast<TMBLLocalModel>(m));
      mbl.SetScalingMode(static_cast<TMBLScalingMode>((d + m) % 2));
      const std::vector<double> expect = Estimates(mbl);
      for (const bool binary : {false, true}) {
        SCOPED_TRACE(std::string(binary ? "binary " : "XML ") + std::string(MBLDistModeID[static_cast<std::size_t>(d)]) +
                     " " + std::string(MBLLocalModelID[static_cast<std::size_t>(m)]));
        TempFile f;
        TMemBasedLearner back;
        std::string id = "old";
        if (binary) {
          mbl.StoreModelBin(f.Path(), "id \"x\" y");
          ASSERT_EQ(back.LoadModelBin(f.Path(), id), 0);
        } else {
          mbl.StoreModelXML(f.Path(), "id \"x\" y");
          ASSERT_EQ(back.LoadModelXML(f.Path(), id), 0);
        }
        EXPECT_EQ(id, "id \"x\" y");
        EXPECT_EQ(Snap(back), Snap(mbl));
        const std::vector<double> got = Estimates(back);
        ASSERT_EQ(got.size(), expect.size());
        for (std::size_t i = 0; i < got.size(); ++i)
          EXPECT_EQ(std::memcmp(&got[i], &expect[i], sizeof(double)), 0) << i << ": " << got[i] << " " << expect[i];
      }
    }
  }
}

TEST(MemBasedLearnerFiles, BinaryVersionOneZeroStoresIdentifiersOneSlotUp) {
  TMemBasedLearner mbl;
  MakeModel(mbl);
  TempFile f;
  mbl.StoreModelBin(f.Path(), "");
  std::string bytes = ReadFile(f.Path());
  const std::size_t at = bytes.find("vers=1.001");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 10, "vers=1.000");
  WriteFile(f.Path(), bytes);
  TMemBasedLearner back;
  std::string id;
  ASSERT_EQ(back.LoadModelBin(f.Path(), id), 0);
  EXPECT_EQ(back.ModelData->NominalID(5, 0), "");
  EXPECT_EQ(back.ModelData->NominalID(5, 1), mbl.ModelData->NominalID(5, 0));
  EXPECT_EQ(back.ModelData->NominalID(5, 2), mbl.ModelData->NominalID(5, 1));
}

// A learner holding a small model of its own, to see that a failed load
// leaves it alone.
void MakeOther(TMemBasedLearner& mbl) {
  mbl.ModelData->Resize(2, 4);
  for (std::int32_t j = 1; j <= 4; ++j) mbl.ModelData->SetElem(1, j, j);
  mbl.SetModelName("keep me");
  mbl.SetNumNearestNb(2);
  mbl.SetDistMode(TMBLDistMode::mblDistMahalanobis);
}

std::string Replace(std::string Text, const std::string& From, const std::string& To) {
  const std::size_t at = Text.find(From);
  EXPECT_NE(at, std::string::npos) << From;
  if (at != std::string::npos) Text.replace(at, From.size(), To);
  return Text;
}

TEST(MemBasedLearnerFiles, HostileXmlFilesLeaveTheLearnerAlone) {
  TMemBasedLearner mbl;
  MakeModel(mbl);
  TempFile good(".xml");
  mbl.StoreModelXML(good.Path(), "G");
  const std::string text = ReadFile(good.Path());
  struct TCase {
    std::string Name, Text;
  };
  std::vector<TCase> cases = {
      {"empty", ""},
      {"declaration only", "<?xml version=\"1.0\"?>\n"},
      {"unknown tag", Replace(text, "<numnnb>", "<colour>blue</colour>\n<numnnb>")},
      {"stray closing tag", Replace(text, "<numnnb>", "</comment>\n<numnnb>")},
      {"k not a number", Replace(text, "<numnnb>6<", "<numnnb>six<")},
      {"k zero", Replace(text, "<numnnb>6<", "<numnnb>0<")},
      {"k above 100", Replace(text, "<numnnb>6<", "<numnnb>100000<")},
      {"unknown distance", Replace(text, "euclidean<", "chebyshev<")},
      {"unknown local model", Replace(text, "<locmodel>average", "<locmodel>median")},
      {"no model data", Replace(text, "<modeldata>", "<comment>")},
      {"model data not a table", Replace(text, "<modeldata>\n", "<modeldata>\n<x>")},
  };
  for (const double share : {0.1, 0.3, 0.5, 0.7, 0.9, 0.97})
    cases.push_back({"cut at " + std::to_string(share), text.substr(0, static_cast<std::size_t>(share * text.size()))});
  for (const TCase& c : cases) {
    TMemBasedLearner victim;
    MakeOther(victim);
    const TSnapshot before = Snap(victim);
    TempFile f(".xml");
    WriteFile(f.Path(), c.Text);
    std::string id = "x";
    EXPECT_EQ(victim.LoadModelXML(f.Path(), id), -1) << c.Name;
    EXPECT_TRUE(Snap(victim) == before) << c.Name;
    EXPECT_EQ(id, "") << c.Name;
  }
  // Settings after the model data are not read; the file still loads.
  std::string late = Replace(text, "<numnnb>6</numnnb>\n", "");
  late = Replace(late, "</modeldata>\n", "</modeldata>\n<numnnb>9</numnnb>\n");
  TempFile f(".xml");
  WriteFile(f.Path(), late);
  TMemBasedLearner other;
  MakeOther(other);
  std::string id;
  EXPECT_EQ(other.LoadModelXML(f.Path(), id), 0);
  EXPECT_EQ(other.NumNearestNb(), 2);
  EXPECT_EQ(other.ModelName(), mbl.ModelName());
  EXPECT_THROW(other.LoadModelXML("/nonexistent/dir/model.xml", id), EInOutError);
  EXPECT_THROW(other.StoreModelXML("/nonexistent/dir/model.xml", ""), EInOutError);
}

// PutInt: the four bytes of v, little-endian, as the binary form writes them.
std::string PutInt(std::int32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return s;
}

TEST(MemBasedLearnerFiles, HostileBinaryFilesLeaveTheLearnerAlone) {
  TMemBasedLearner mbl;
  MakeModel(mbl);
  TempFile good;
  mbl.StoreModelBin(good.Path(), "G");
  const std::string bytes = ReadFile(good.Path());
  const std::string settings = PutInt(6) + PutInt(0) + PutInt(0) + PutInt(0);
  const std::string counts = PutInt(5) + PutInt(60) + PutInt(151);
  struct TCase {
    std::string Name, Bytes;
  };
  std::vector<TCase> cases = {
      {"another kind", Replace(bytes, "TMemBasedLearner/Quillet", "TMemBasedLearner/Quillex")},
      {"another version", Replace(bytes, "vers=1.001", "vers=2.001")},
      {"k zero", Replace(bytes, settings, PutInt(0) + PutInt(0) + PutInt(0) + PutInt(0))},
      {"k above 100", Replace(bytes, settings, PutInt(101) + PutInt(0) + PutInt(0) + PutInt(0))},
      {"distance 3", Replace(bytes, settings, PutInt(6) + PutInt(3) + PutInt(0) + PutInt(0))},
      {"local model -1", Replace(bytes, settings, PutInt(6) + PutInt(0) + PutInt(0) + PutInt(-1))},
      {"columns negative", Replace(bytes, counts, PutInt(-5) + PutInt(60) + PutInt(151))},
      {"huge table", Replace(bytes, counts, PutInt(0x7FFFFFFF) + PutInt(0x7FFFFFFF) + PutInt(151))},
      {"more rows than the file holds", Replace(bytes, counts, PutInt(5) + PutInt(600) + PutInt(151))},
      {"identifier count", Replace(bytes, counts, PutInt(5) + PutInt(60) + PutInt(150))},
      {"scale type 9", Replace(bytes, counts + PutInt(3), counts + PutInt(9))},
  };
  // every cut of the file
  for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 64)
    cases.push_back({"cut at " + std::to_string(cut), bytes.substr(0, cut)});
  for (const TCase& c : cases) {
    TMemBasedLearner victim;
    MakeOther(victim);
    const TSnapshot before = Snap(victim);
    TempFile f;
    WriteFile(f.Path(), c.Bytes);
    std::string id = "x";
    EXPECT_EQ(victim.LoadModelBin(f.Path(), id), -1) << c.Name;
    EXPECT_TRUE(Snap(victim) == before) << c.Name;
  }
  std::string id;
  EXPECT_THROW(mbl.LoadModelBin("/nonexistent/dir/model.bin", id), EFOpenError);
}

}  // namespace
}  // namespace kvl
