// The XML-like cell text of TMatrix, TIntMatrix, TMat3D and TMat4D: exact
// round trips through every channel, well-formed output, the reading rules
// (attribute order, number scanning, cells outside the size) and hostile
// texts that must fail without touching the object.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/runtime/streams.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using Ix = std::vector<std::int32_t>;

// Shape: what the generic tests need of each class.
template <class M>
struct Shape;
template <>
struct Shape<TMatrix> {
  static constexpr std::array<std::string_view, 2> Attr{"ix", "iy"};
  static void Resize(TMatrix& m, const Ix& d) { m.Resize(d[0], d[1]); }
  static void Set(TMatrix& m, const Ix& i, double v) { m.SetVal(i[0], i[1], v); }
  static double Get(const TMatrix& m, const Ix& i) { return m.GetVal(i[0], i[1]); }
  static Ix Dims(const TMatrix& m) { return {m.NrOfColumns(), m.NrOfRows()}; }
};
template <>
struct Shape<TIntMatrix> {
  static constexpr std::array<std::string_view, 2> Attr{"ix", "iy"};
  static void Resize(TIntMatrix& m, const Ix& d) { m.Resize(d[0], d[1]); }
  static void Set(TIntMatrix& m, const Ix& i, double v) { m.SetVal(i[0], i[1], static_cast<std::int32_t>(v)); }
  static double Get(const TIntMatrix& m, const Ix& i) { return m.GetVal(i[0], i[1]); }
  static Ix Dims(const TIntMatrix& m) { return {m.NrOfColumns(), m.NrOfRows()}; }
};
template <>
struct Shape<TMat3D> {
  static constexpr std::array<std::string_view, 3> Attr{"ix", "iy", "iz"};
  static void Resize(TMat3D& m, const Ix& d) { m.Resize(d[0], d[1], d[2]); }
  static void Set(TMat3D& m, const Ix& i, double v) { m.SetVal(i[0], i[1], i[2], v); }
  static double Get(const TMat3D& m, const Ix& i) { return m.GetVal(i[0], i[1], i[2]); }
  static Ix Dims(const TMat3D& m) { return {m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers()}; }
};
template <>
struct Shape<TMat4D> {
  static constexpr std::array<std::string_view, 4> Attr{"ix", "iy", "il", "it"};
  static void Resize(TMat4D& m, const Ix& d) { m.Resize(d[0], d[1], d[2], d[3]); }
  static void Set(TMat4D& m, const Ix& i, double v) { m.SetVal(i[0], i[1], i[2], i[3], v); }
  static double Get(const TMat4D& m, const Ix& i) { return m.GetVal(i[0], i[1], i[2], i[3]); }
  static Ix Dims(const TMat4D& m) { return {m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers(), m.NrOfTimeSlots()}; }
};

constexpr std::array<std::string_view, 4> kCountWords{"numcols", "numrows", "numplanes", "numtimeslots"};

/// Hard doubles for a shortest-digits writer: subnormals, extremes, -0, thirds.
const std::vector<double> kHardDoubles{0.1, -0.0, 5e-324, 1.7976931348623157e308, -2.2250738585072014e-308,
                                       1.0 / 3.0, 123456789.12345679, -9.87654321e-200};
const std::vector<double> kHardInts{2147483647.0, -2147483648.0, -1.0, 0.0, 12345.0, 7.0};

template <class M>
const std::vector<double>& HardValues() {
  return std::is_same_v<M, TIntMatrix> ? kHardInts : kHardDoubles;
}

/// Filled: a matrix of the given size, every cell a hard value (cycled).
template <class M>
void Fill(M& m, const Ix& dims) {
  Shape<M>::Resize(m, dims);
  Ix i(dims.size(), 1);
  const auto& v = HardValues<M>();
  for (std::size_t k = 0;; ++k) {
    Shape<M>::Set(m, i, v[k % v.size()]);
    std::size_t d = 0;
    while (d < dims.size() && ++i[d] > dims[d]) i[d++] = 1;
    if (d == dims.size()) return;
  }
}

template <class M>
bool SameBytes(const M& a, const M& b) {
  return Shape<M>::Dims(a) == Shape<M>::Dims(b) && a.Data().size() == b.Data().size() &&
         std::memcmp(a.Data().data(), b.Data().data(), a.Data().size_bytes()) == 0;
}

/// Text: a hand-made matrix text with the counts Dims and the given cell tags.
template <class M>
std::string Text(const Ix& dims, const std::string& cells, const std::string& id = "m") {
  std::string s = "<matrix id=\"" + id + "\">";
  for (std::size_t d = 0; d < dims.size(); ++d)
    s += "<" + std::string(kCountWords[d]) + ">" + std::to_string(dims[d]) + "</" + std::string(kCountWords[d]) + ">";
  return s + cells + "</matrix>";
}

/// Cell: a cell tag of class M at indices i.
template <class M>
std::string Cell(const Ix& i, const std::string& value) {
  std::string s = "<cell";
  for (std::size_t d = 0; d < i.size(); ++d) s += " " + std::string(Shape<M>::Attr[d]) + "=\"" + std::to_string(i[d]) + "\"";
  return s + ">" + value + "</cell>";
}

template <class M>
bool ReadText(M& m, const std::string& text, std::string_view id = "") {
  std::istringstream in(text);
  return m.ReadFromOpenXMLFile(in, id);
}

/// WellFormed: an independent check of the XML rules the writers must keep:
/// one root element, tags closed in order, attribute values quoted, '<' and
/// '&' in text only as markup or entity references, no control characters.
bool WellFormed(std::string_view s) {
  if (s.starts_with("<?xml")) s.remove_prefix(s.find("?>") + 2);
  std::vector<std::string_view> open;
  bool rooted = false, quoted = false, inTag = false;
  std::size_t tagStart = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char ch = s[i];
    if (ch == '&') {  // an entity reference, in text or in a quoted value
      const std::string_view e = s.substr(i + 1, s.find(';', i) - i - 1);
      if (e != "amp" && e != "lt" && e != "gt" && e != "quot" && e != "apos" &&
          (e.size() < 2 || e[0] != '#' || e.find_first_not_of("0123456789", 1) != std::string_view::npos))
        return false;
    } else if (static_cast<unsigned char>(ch) < 0x20 && ch != '\n' && ch != '\t') {
      return false;
    } else if (inTag && ch == '"') {
      quoted = !quoted;
    } else if (ch == '<' && (inTag || quoted || (open.empty() && rooted))) {
      return false;
    } else if (ch == '<') {
      inTag = true, tagStart = i + 1;
    } else if (!inTag && open.empty() && ch != '\n') {
      return false;  // text outside the root
    } else if (inTag && !quoted && ch == '>') {
      const std::string_view tag = s.substr(tagStart, i - tagStart);
      const std::string_view name = tag.substr(tag[0] == '/', tag.find(' ') - (tag[0] == '/'));
      if (tag[0] != '/') rooted = true, open.push_back(name);
      else if (open.empty() || open.back() != name) return false;
      else open.pop_back();
      inTag = false;
    }
  }
  return rooted && open.empty() && !inTag;
}

template <class M>
class MatrixXml : public ::testing::Test {};
using Classes = ::testing::Types<TMatrix, TIntMatrix, TMat3D, TMat4D>;
TYPED_TEST_SUITE(MatrixXml, Classes);

TYPED_TEST(MatrixXml, RoundTripIsExactThroughEveryChannel) {
  using M = TypeParam;
  Ix d(Shape<M>::Attr.size());
  for (std::size_t k = 0; k < d.size(); ++k) d[k] = static_cast<std::int32_t>(k + 2);  // 2 x 3 [x 4 [x 5]]
  M src;
  Fill(src, d);
  const std::string id = "id <&>\"' \x01";
  test::TempFile f(".xml");
  ASSERT_TRUE(src.SaveAsXMLFile(f.Path(), id));
  EXPECT_TRUE(WellFormed(test::ReadFile(f.Path()))) << test::ReadFile(f.Path()).substr(0, 200);
  M viaFile, viaStream, viaText;
  ASSERT_TRUE(viaFile.LoadFromXMLFile(f.Path(), id));
  EXPECT_TRUE(SameBytes(src, viaFile));
  EXPECT_EQ(viaFile.DataID(), id);

  TMemoryStream ms;
  src.WriteToXMLStream(ms, false, "s");
  ms.SetPosition(0);
  ASSERT_TRUE(viaStream.ReadFromXMLStream(ms, "s"));
  EXPECT_TRUE(SameBytes(src, viaStream));

  std::stringstream ts;
  src.WriteToOpenXMLFile(ts, true, "");
  EXPECT_TRUE(WellFormed(ts.str()));
  ASSERT_TRUE(viaText.ReadFromOpenXMLFile(ts, ""));
  EXPECT_TRUE(SameBytes(src, viaText));
}

TYPED_TEST(MatrixXml, StreamsHoldSeveralMatricesInSequence) {
  using M = TypeParam;
  M a, b;
  Fill(a, Ix(Shape<M>::Attr.size(), 2));
  Fill(b, Ix(Shape<M>::Attr.size(), 1));
  TMemoryStream ms;
  a.WriteToXMLStream(ms, true, "a");
  b.WriteToXMLStream(ms, false, "b");
  std::stringstream ts;
  a.WriteToOpenXMLFile(ts, true, "a");
  b.WriteToOpenXMLFile(ts, false, "b");
  ms.SetPosition(0);
  M r1, r2, t1, t2;
  EXPECT_FALSE(r1.ReadFromXMLStream(ms, "b"));  // the first matrix is "a"; the position stays
  EXPECT_EQ(ms.Position(), 0);
  ASSERT_TRUE(r1.ReadFromXMLStream(ms, "a"));
  ASSERT_TRUE(r2.ReadFromXMLStream(ms, "b"));
  ASSERT_TRUE(t1.ReadFromOpenXMLFile(ts, "a"));
  ASSERT_TRUE(t2.ReadFromOpenXMLFile(ts, "b"));
  EXPECT_TRUE(SameBytes(a, r1) && SameBytes(b, r2) && SameBytes(a, t1) && SameBytes(b, t2));
}

TYPED_TEST(MatrixXml, ReadingRules) {
  using M = TypeParam;
  const std::size_t n = Shape<M>::Attr.size();
  Ix dims(n, 1), at(n, 1), outside(n, 1);
  dims[0] = 2, dims[1] = 3, at[0] = 2, at[1] = 3, outside[0] = 3;
  // Attributes in reverse order, blanks and a sign before the digits, junk after
  // them, a cell beyond the announced columns (ignored), counts with blanks.
  std::string cell = "<cell";
  for (std::size_t d = n; d-- > 0;) cell += " " + std::string(Shape<M>::Attr[d]) + "=\" +" + std::to_string(at[d]) + "z\"";
  cell += ">  7junk</cell>";
  std::string text = Text<M>(dims, Cell<M>(outside, "9") + cell + Cell<M>(Ix(n, 1), ""));
  text.replace(text.find("<numcols>2"), 10, "<numcols> +2 cols");
  M m;
  Fill(m, Ix(n, 5));
  ASSERT_TRUE(ReadText(m, text)) << text;
  EXPECT_EQ(Shape<M>::Dims(m), dims);
  EXPECT_EQ(Shape<M>::Get(m, at), 7.0);
  EXPECT_EQ(Shape<M>::Get(m, Ix(n, 1)), 0.0);  // an empty content reads 0
  EXPECT_EQ(m.DataID(), "m");

  // ProcessXmlTag on its own: the return codes; a cell outside is ignored.
  M p;
  EXPECT_EQ(p.ProcessXmlTag(TMatXmlTag::xmlMatEnd, "", ""), 1);
  EXPECT_EQ(p.ProcessXmlTag(TMatXmlTag::xmlInvalid, "", ""), -1);
  for (TMatXmlTag t : {TMatXmlTag::xmlMatBegin, TMatXmlTag::xmlMatNumCols, TMatXmlTag::xmlMatNumRows,
                       TMatXmlTag::xmlMatNumLayers, TMatXmlTag::xmlMatNumTimeSlots})
    EXPECT_EQ(p.ProcessXmlTag(t, "", "4"), 0);
  EXPECT_EQ(p.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"1\" iy=\"1\" iz=\"1\" il=\"1\" it=\"1\"", "6"), 0);
  EXPECT_EQ(Shape<M>::Dims(p), Ix(n, 1));  // no reader started: no resize
  EXPECT_EQ(Shape<M>::Get(p, Ix(n, 1)), 6.0);
}

TYPED_TEST(MatrixXml, HostileTextsFailAndLeaveTheObjectAlone) {
  using M = TypeParam;
  const std::size_t n = Shape<M>::Attr.size();
  const std::string one = Cell<M>(Ix(n, 1), "1");
  const std::string good = Text<M>(Ix(n, 2), one);
  Ix huge(n, 2147483647), zero(n, 2), negative(n, 2);
  zero[n - 1] = 0;
  negative[0] = -3;
  std::string huge31 = Text<M>(huge, one);  // 2^31 scans as the largest Integer
  for (std::size_t at; (at = huge31.find(">2147483647<")) != std::string::npos;) huge31.replace(at + 1, 10, "2147483648");
  std::string unknown = good;
  unknown.insert(unknown.find("<cell"), "<bogus>1</bogus>");
  const std::vector<std::pair<std::string, std::string>> cases{
      {"empty", ""},
      {"no matrix", "<numcols>2</numcols>"},
      {"missing end", good.substr(0, good.find("</matrix>"))},
      {"unclosed end tag", good.substr(0, good.size() - 1)},
      {"unknown tag", unknown},
      {"2^31 per dimension", huge31},
      {"zero size", Text<M>(zero, one)},
      {"negative size", Text<M>(negative, one)},
      {"no counts", Text<M>(Ix{}, one)},
      {"no cells", Text<M>(Ix(n, 2), "")},
      {"wrong id", Text<M>(Ix(n, 2), one, "other")},
  };
  M m;
  Fill(m, Ix(n, 3));
  M before;
  before.Assign(&m);
  test::EventLog log;
  m.OnChange = log.Recorder("change");
  m.OnResize = log.Recorder("resize");
  for (const auto& [name, text] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ReadText(m, text, "m"));
    TMemoryStream ms;
    ms.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    ms.SetPosition(0);
    EXPECT_FALSE(m.ReadFromXMLStream(ms, "m"));
  }
  // Every cut of a good text fails until its closing tag is whole.
  for (std::size_t len = 0; len < good.size(); ++len) EXPECT_FALSE(ReadText(m, good.substr(0, len))) << len;
  EXPECT_FALSE(m.LoadFromXMLFile("/nonexistent/dir/m.xml", ""));
  EXPECT_TRUE(SameBytes(m, before));
  EXPECT_EQ(m.DataID(), before.DataID());
  EXPECT_TRUE(log.Events.empty());
  ASSERT_TRUE(ReadText(m, good));  // a load fires OnChange, then OnResize
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
}

TEST(MatrixXmlScan, NumbersScanAsFarAsTheyRead) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<std::string, double>> reals{
      {"  +2.5e1x", 25.0}, {"abc", 0.0},     {"", 0.0},         {"1e400", kInf}, {"-1e400", -kInf},
      {"1e-400", 0.0},     {"0." + std::string(400, '0') + "1", 0.0}, {"-0", -0.0}, {"inf", kInf}};
  TMatrix m;
  for (const auto& [text, want] : reals) {
    m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"1\" iy=\"1\"", text);
    EXPECT_EQ(m.GetVal(1, 1), want) << text;
    EXPECT_EQ(std::signbit(m.GetVal(1, 1)), std::signbit(want)) << text;
  }
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"1\" iy=\"1\"", "nan");
  EXPECT_TRUE(std::isnan(m.GetVal(1, 1)));
  const std::vector<std::pair<std::string, std::int32_t>> ints{
      {" -12abc", -12}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1}, {"+", 0}, {"", 0}};
  TIntMatrix k;
  for (const auto& [text, want] : ints) {
    k.ProcessXmlTag(TMatXmlTag::xmlMatCell, "iy=\"1\" ix=\"1\"", text);
    EXPECT_EQ(k.GetVal(1, 1), want) << text;
  }
}

TEST(MatrixXmlLayout, CellTagsAndTheSparseIntMatrix) {
  TMatrix m;
  m.Resize(2, 3);
  std::ostringstream out;
  m.WriteToOpenXMLFile(out, false, "x");
  EXPECT_TRUE(out.str().starts_with("<matrix id=\"x\">\n<numcols>2</numcols>\n<numrows>3</numrows>\n<cell "));
  EXPECT_NE(out.str().find("<cell ix=\"2\" iy=\"3\">0</cell>\n</matrix>\n"), std::string::npos);

  // Comments, declarations and other elements before the matrix are passed over.
  TMatrix c;
  ASSERT_TRUE(ReadText(c, "<?xml version=\"1.0\"?><!-- <matrix id=\"no\"> --><x a=\"<matrix>\"/><y <" + out.str()));
  EXPECT_EQ(c.DataID(), "x");
  EXPECT_EQ(c.NrOfRows(), 3);

  // A sparse matrix writes its dense image and reads back dense.
  std::unique_ptr<TIntMatrix> s(TIntMatrix::CreateSparse(nullptr, 4));
  s->SetVal(3, 2, -5);
  s->SetVal(1, 1, 8);
  std::stringstream io;
  s->WriteToOpenXMLFile(io, false, "");
  TIntMatrix d;
  ASSERT_TRUE(d.ReadFromOpenXMLFile(io, ""));
  EXPECT_FALSE(d.IsSparse());
  EXPECT_EQ(d.NrOfColumns(), 3);
  EXPECT_EQ(d.NrOfRows(), 2);
  EXPECT_EQ(d.GetVal(3, 2), -5);
  EXPECT_EQ(d.GetVal(1, 1), 8);
  EXPECT_EQ(d.GetVal(2, 2), 0);
  ASSERT_TRUE(ReadText(*s, io.str()));
  EXPECT_FALSE(s->IsSparse());
}

}  // namespace
}  // namespace kvl
