// TKohonen's XML form: exact round trip through every transport, well-formed
// text, and hostile texts that must leave the map as it was.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "kvl/learning/KVL_kohonen.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/streams.h"
#include "kvl_test_support.h"

using namespace kvl;

namespace {

std::string Text(const TKohonen& m, std::string_view id = "map") {
  std::ostringstream s;
  m.WriteToOpenXMLFile(s, true, id);
  return s.str();
}

// A trained, cyclic 3 x 2 map of 3 variables with awkward values everywhere.
void MakeMap(TKohonen& m) {
  TMatrix data;
  data.Resize(3, 7);
  const std::vector<double> v = kvl::test::RandomValues(21, 17);
  for (std::int32_t c = 1; c <= 3; ++c)
    for (std::int32_t r = 1; r <= 7; ++r) data.SetVal(c, r, v[static_cast<std::size_t>((c - 1) * 7 + r - 1)] * 1e3);
  data.SetVal(2, 3, std::numeric_limits<double>::denorm_min());
  data.SetVal(3, 5, -0.0);
  m.SetTrainData(&data);
  m.StandardizeData();
  m.SetSizeX(3);
  m.SetSizeY(2);
  m.SetCyclic(true);
  m.SetInitialNeighbors(4);
  m.SetInitialAlpha(0.7);
  m.SetNrOfTrnSteps(9);
  m.SetComment("a<b & \"c\" 'd'\x01\ttab\nline");
  RandSeed = 5;
  m.OnFeedback = [](TObject* s, double) {
    auto* k = static_cast<TKohonen*>(s);
    if (k->CurrentStep() == 4) k->AbortTraining();
  };
  m.Trainit();
  m.OnFeedback = nullptr;
}

void ExpectSameMap(const TKohonen& a, const TKohonen& b) {
  EXPECT_EQ(a.SizeX(), b.SizeX());
  EXPECT_EQ(a.SizeY(), b.SizeY());
  EXPECT_EQ(a.NrOfInSens(), b.NrOfInSens());
  EXPECT_EQ(a.Comment(), b.Comment());
  EXPECT_EQ(a.InitialNeighbors(), b.InitialNeighbors());
  EXPECT_EQ(a.NrOfTrnSteps(), b.NrOfTrnSteps());
  EXPECT_EQ(a.InitialAlpha(), b.InitialAlpha());
  EXPECT_EQ(a.Cyclic(), b.Cyclic());
  EXPECT_EQ(a.CurrentStep(), b.CurrentStep());
  EXPECT_EQ(a.CurrentNeighbors(), b.CurrentNeighbors());
  EXPECT_EQ(a.CurrentAlpha(), b.CurrentAlpha());
  auto bits = [](std::span<const double> s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(double));
  };
  EXPECT_EQ(bits(a.MeanVec.Data()), bits(b.MeanVec.Data()));
  EXPECT_EQ(bits(a.StdDevVec.Data()), bits(b.StdDevVec.Data()));
  EXPECT_EQ(a.TrainData()->NrOfRows(), b.TrainData()->NrOfRows());
  EXPECT_EQ(bits(a.TrainData()->Data()), bits(b.TrainData()->Data()));
  // The weights in data units go through the same arithmetic on both sides.
  std::vector<double> wa, wb;
  for (std::int32_t x = 1; x <= a.SizeX(); ++x)
    for (std::int32_t y = 1; y <= a.SizeY(); ++y)
      for (std::int32_t k = 1; k <= a.NrOfInSens(); ++k) {
        wa.push_back(a.GetWeight(x, y, k));
        wb.push_back(b.GetWeight(x, y, k));
      }
  EXPECT_EQ(bits(wa), bits(wb));
  EXPECT_EQ(Text(a), Text(b));  // every weight, bit for bit, in the shortest text
}

// Well-formedness: tags nest and close, attributes are quoted, '<' and '&'
// appear in text only as markup and entities.
bool WellFormed(const std::string& s, std::string& why) {
  std::vector<std::string> open;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '&') {
      const std::size_t semi = s.find(';', i);
      const std::string ent = semi == std::string::npos ? "" : s.substr(i + 1, semi - i - 1);
      if (ent != "amp" && ent != "lt" && ent != "gt" && ent != "quot" && ent != "apos" &&
          !(ent.size() > 1 && ent[0] == '#'))
        return why = "bad entity at " + std::to_string(i), false;
      i = semi + 1;
      continue;
    }
    if (s[i] != '<') {
      ++i;
      continue;
    }
    const std::size_t close = s.find('>', i);
    if (close == std::string::npos) return why = "unclosed tag", false;
    std::string tag = s.substr(i + 1, close - i - 1);
    i = close + 1;
    if (tag.front() == '?') continue;
    if (tag.find('<') != std::string::npos) return why = "'<' inside a tag", false;
    if (tag.front() == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return why = "mismatched </" + tag.substr(1) + ">", false;
      open.pop_back();
      continue;
    }
    const std::size_t sp = tag.find(' ');
    const std::string name = tag.substr(0, sp);
    if (sp != std::string::npos) {
      // name="value" pairs
      std::size_t q = sp;
      while (q < tag.size()) {
        while (q < tag.size() && tag[q] == ' ') ++q;
        if (q >= tag.size()) break;
        const std::size_t eq = tag.find('=', q);
        if (eq == std::string::npos || eq + 1 >= tag.size() || tag[eq + 1] != '"') return why = "unquoted attribute", false;
        const std::size_t endq = tag.find('"', eq + 2);
        if (endq == std::string::npos) return why = "open attribute", false;
        q = endq + 1;
      }
    }
    open.push_back(name);
  }
  if (!open.empty()) return why = "unclosed <" + open.back() + ">", false;
  return true;
}

}  // namespace

TEST(KohonenXmlTest, RoundTripIsExactThroughEveryForm) {
  TKohonen src;
  MakeMap(src);
  ASSERT_EQ(src.CurrentStep(), 5);
  const std::vector<std::pair<const char*, std::function<bool(TKohonen&)>>> forms{
      {"file",
       [&src](TKohonen& dst) {
         kvl::test::TempFile f(".xml");
         return src.SaveAsXMLFile(f.Path(), "map \"1\" <&>") && dst.LoadFromXMLFile(f.Path(), "map \"1\" <&>");
       }},
      {"open file",
       [&src](TKohonen& dst) {
         std::stringstream s;
         s << "leading text\n";
         src.WriteToOpenXMLFile(s, false, "");
         s << "<after>the next object</after>\n";
         const bool ok = dst.ReadFromOpenXMLFile(s, "");
         std::string rest;
         std::getline(s, rest);
         std::getline(s, rest);
         return ok && rest == "<after>the next object</after>";
       }},
      {"stream", [&src](TKohonen& dst) {
         TMemoryStream st;
         src.WriteToXMLStream(st, true, "id");
         st.SetPosition(0);
         return dst.ReadFromXMLStream(st, "id");
       }}};
  // The reference: the original map trained on to the end.
  TKohonen ref;
  MakeMap(ref);
  ref.ContinueTraining();
  const std::string trained = Text(ref);
  for (const auto& [name, roundTrip] : forms) {
    SCOPED_TRACE(name);
    TKohonen dst;
    ASSERT_TRUE(roundTrip(dst));
    ExpectSameMap(src, dst);
    // The loaded map goes on training exactly as the original.
    dst.ContinueTraining();
    EXPECT_EQ(Text(dst), trained);
  }
}

TEST(KohonenXmlTest, TextIsWellFormedAndEscaped) {
  TKohonen m;
  MakeMap(m);
  const std::string text = Text(m, "a\"b<c>&d");
  std::string why;
  EXPECT_TRUE(WellFormed(text, why)) << why;
  EXPECT_NE(text.find("id=\"a&quot;b&lt;c&gt;&amp;d\""), std::string::npos);
  EXPECT_NE(text.find("<cyclic>TRUE</cyclic>"), std::string::npos);
  EXPECT_EQ(text.find('\x01'), std::string::npos);
  EXPECT_TRUE(WellFormed("<a x=\"1\"><b>t</b></a>", why));
  EXPECT_FALSE(WellFormed("<a><b></a></b>", why));
  EXPECT_FALSE(WellFormed("<a>x & y</a>", why));
}

TEST(KohonenXmlTest, WrongDataIdOrMissingFileIsRefused) {
  TKohonen src, dst;
  MakeMap(src);
  const std::string before = Text(dst);
  std::istringstream in(Text(src, "one"));
  EXPECT_FALSE(dst.ReadFromOpenXMLFile(in, "two"));
  EXPECT_FALSE(dst.LoadFromXMLFile("/nonexistent/dir/map.xml", ""));
  TMemoryStream empty;
  EXPECT_FALSE(dst.ReadFromXMLStream(empty, ""));
  EXPECT_EQ(Text(dst), before);
}

TEST(KohonenXmlTest, EveryTruncationIsRefused) {
  TKohonen src;
  MakeMap(src);
  const std::string text = Text(src);
  const std::size_t end = text.rfind('>');
  TKohonen dst;
  const std::string before = Text(dst);
  for (std::size_t n = 0; n < end; ++n) {
    std::istringstream in(text.substr(0, n));
    ASSERT_FALSE(dst.ReadFromOpenXMLFile(in, "")) << "cut at " << n;
  }
  EXPECT_EQ(Text(dst), before);
}

// Edits of a valid text: Accept says whether the reader must take it.
struct Edit {
  const char* Name;
  std::function<std::string(std::string)> Apply;
  bool Accept;
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  const std::size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

std::string Element(const std::string& s, const std::string& start) {
  const std::size_t a = s.find(start);
  return s.substr(a, s.find('\n', a) + 1 - a);
}

TEST(KohonenXmlTest, HostileTextsLeaveTheMapAsItWas) {
  TKohonen src;
  MakeMap(src);
  const std::string good = Text(src);
  const std::string cell11 = Element(good, "<cell x=\"1\" y=\"1\">");
  const std::string sizex = Element(good, "<sizex>");
  const std::vector<Edit> edits{
      {"unknown elements", [](std::string s) { return Replace(s, "<sizex>", "<future a=\"1\">x<cell/></future>\n<sizex>"); }, true},
      {"reordered", [&](std::string s) { return Replace(Replace(s, sizex, ""), "</kohonen>", sizex + "</kohonen>"); }, true},
      {"duplicate cell", [&](std::string s) { return Replace(s, cell11, cell11 + cell11); }, false},
      {"missing cell", [&](std::string s) { return Replace(s, cell11, ""); }, false},
      {"missing object", [&](std::string s) { return Replace(s, Element(s, "<cell obj=\"7\">"), ""); }, false},
      {"missing mean", [&](std::string s) { return Replace(s, Element(s, "<meanstddev var=\"2\">"), ""); }, false},
      {"missing setting", [&](std::string s) { return Replace(s, Element(s, "<maxsteps>"), ""); }, false},
      {"duplicate setting", [&](std::string s) { return Replace(s, sizex, sizex + sizex); }, false},
      {"short cell", [&](std::string s) { return Replace(s, cell11, "<cell x=\"1\" y=\"1\">1 2</cell>\n"); }, false},
      {"long cell", [&](std::string s) { return Replace(s, cell11, "<cell x=\"1\" y=\"1\">1 2 3 4</cell>\n"); }, false},
      {"cell outside", [&](std::string s) { return Replace(s, cell11, "<cell x=\"4\" y=\"1\">1 2 3</cell>\n"); }, false},
      {"bad number", [&](std::string s) { return Replace(s, cell11, "<cell x=\"1\" y=\"1\">1 2 x3</cell>\n"); }, false},
      {"huge size", [](std::string s) { return Replace(s, "<sizex>3</sizex>", "<sizex>2147483647</sizex>"); }, false},
      {"huge objects", [](std::string s) { return Replace(s, "trnobj=\"7\"", "trnobj=\"2000000000\""); }, false},
      {"size overflow", [](std::string s) { return Replace(s, "<sizex>3</sizex>", "<sizex>99999999999</sizex>"); }, false},
      {"zero size", [](std::string s) { return Replace(s, "<sizey>2</sizey>", "<sizey>0</sizey>"); }, false},
      {"zero steps", [](std::string s) { return Replace(s, "<maxsteps>9</maxsteps>", "<maxsteps>0</maxsteps>"); }, false},
      {"negative step", [](std::string s) { return Replace(s, "\">5</currentstep>", "\">-1</currentstep>"); }, false},
      {"bad boolean", [](std::string s) { return Replace(s, "<cyclic>TRUE</cyclic>", "<cyclic>yes</cyclic>"); }, false},
      {"stray end", [](std::string s) { return Replace(s, "<sizex>", "</kohonen><sizex>"); }, false},
      {"no root", [](std::string s) { return Replace(s, "<kohonen ", "<kohonenx "); }, false},
      {"unquoted attribute", [](std::string s) { return Replace(s, "x=\"1\" y=\"1\"", "x=1 y=1"); }, false},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.Name);
    TKohonen dst;
    const std::string before = Text(dst);
    const std::string text = e.Apply(good);
    std::istringstream in(text);
    ASSERT_EQ(dst.ReadFromOpenXMLFile(in, ""), e.Accept);
    if (e.Accept)
      ExpectSameMap(src, dst);
    else
      EXPECT_EQ(Text(dst), before);
  }
}
