// TKohonen: the XML form.
//
//   <?xml version="1.0" encoding="UTF-8"?>          only with CreateHeader
//   <kohonen id="DataID" version="1">
//   <comment>free text</comment>
//   <sizex>20</sizex>
//   <sizey>20</sizey>
//   <nrinsens trnobj="500">10</nrinsens>            variables; training objects
//   <maxneighb>2</maxneighb>
//   <maxsteps>200</maxsteps>
//   <maxalpha>1</maxalpha>
//   <currentstep neighb="1" alpha="0.25">101</currentstep>
//   <cyclic>FALSE</cyclic>
//   <meanstddev var="1">0.5 2</meanstddev>          one per variable
//   <cell x="1" y="1">0.1 -0.03 ...</cell>          one per node: its weights
//   <cell obj="1">1.5 2 ...</cell>                  one per training object
//   </kohonen>
//
// Reals are written in the shortest form that reads back to the same Double
// ("nan", "inf", "-inf" for the non-finite ones). The reader takes the
// elements in any order, passes over unknown ones, and accepts the map only
// when every setting is present once and valid, every node, object and
// variable is given exactly once with its full count of values, and the
// element is closed. It sizes nothing before the counts are known to fit in
// the text.

#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_stringl.h"
#include "kvl/base/KVL_xmltext.h"
#include "kvl/containers/asc_format.h"
#include "kvl/learning/KVL_kohonen.h"

namespace kvl {

namespace {

// The tag texts, indexed by TKohonenXMLTag.
constexpr std::array<std::string_view, 13> kTagNames{
    "sizex", "sizey",       "comment", "nrinsens", "maxneighb", "maxsteps",  "maxalpha",
    "currentstep", "cyclic", "cell",  "meanstddev", "/kohonen", "invalidtag"};
// The root element; its closing tag is the vocabulary's "/kohonen".
constexpr std::string_view kRoot = "kohonen";
constexpr std::array<std::string_view, 2> kRootTags{kRoot, "invalidtag"};

std::string_view TagText(TKohonenXMLTag t) { return kTagNames[static_cast<std::size_t>(t)]; }

void AppendReal(std::string& Out, double x) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  Out.append(buf, res.ptr);
}

std::string RealText(double x) {
  std::string s;
  AppendReal(s, x);
  return s;
}

// ForWords: f(word) for each white-space separated word of Text; false as
// soon as f returns false.
template <class F>
bool ForWords(std::string_view Text, F&& f) {
  std::size_t i = 0;
  for (;;) {
    while (i < Text.size() && IsWhiteChar(Text[i])) ++i;
    if (i >= Text.size()) return true;
    const std::size_t start = i;
    while (i < Text.size() && !IsWhiteChar(Text[i])) ++i;
    if (!f(Text.substr(start, i - start))) return false;
  }
}

bool ParseInt(std::string_view Text, std::int32_t& v) {
  const std::string_view w = TrimView(Text);
  if (w.empty()) return false;
  const auto res = std::from_chars(w.data(), w.data() + w.size(), v);
  return res.ec == std::errc() && res.ptr == w.data() + w.size();
}

// ReadReals: exactly Count reals of Text into Dest.
bool ReadReals(std::string_view Text, double* Dest, std::size_t Count) {
  std::size_t n = 0;
  const bool ok = ForWords(Text, [&](std::string_view w) { return n < Count && ParseReal(w, Dest[n++]); });
  return ok && n == Count;
}


bool IntAttr(std::string_view Attr, std::string_view Name, std::int32_t& v) {
  std::string_view s;
  return XmlAttrValue(Attr, Name, s) && ParseInt(s, v);
}

bool RealAttr(std::string_view Attr, std::string_view Name, double& v) {
  std::string_view s;
  return XmlAttrValue(Attr, Name, s) && ParseReal(TrimView(s), v);
}

// The longest text the readers take (positions of the tag reader are Integers).
constexpr std::size_t kMaxText = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - 1;

}  // namespace

// Everything a map file holds, checked before the map takes it.
struct TKohonen::TLoaded {
  std::int32_t SizeX = 0, SizeY = 0, NrInSens = 0, NrTrnObj = 0;
  std::int32_t MaxNeighb = 0, MaxSteps = 0, CurStep = 0, CurNeighb = 0;
  double MaxAlpha = 0.0, CurAlpha = 0.0;
  bool Cyclic = false;
  std::string Comment;
  std::vector<double> Weights, Data, Mean, StdDev;
};

// --- writing -------------------------------------------------------------------------------------

void TKohonen::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  std::string out;
  auto element = [&out](TKohonenXMLTag t, std::string_view attr, std::string_view content) {
    out += '<';
    out += TagText(t);
    if (!attr.empty()) (out += ' ') += attr;
    out += '>';
    out += content;
    out += "</";
    out += TagText(t);
    out += ">\n";
  };
  if (CreateHeader) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += '<';
  out += kRoot;
  out += " id=\"" + XmlEscape(DataID) + "\" version=\"1\">\n";
  element(TKohonenXMLTag::xmlComment, {}, XmlEscape(FComment));
  element(TKohonenXMLTag::xmlSizeX, {}, std::to_string(FSizeX));
  element(TKohonenXMLTag::xmlSizeY, {}, std::to_string(FSizeY));
  element(TKohonenXMLTag::xmlNrInsens, "trnobj=\"" + std::to_string(FDataMat.NrOfRows()) + '"',
          std::to_string(FNrInSens));
  element(TKohonenXMLTag::xmlMaxNeighb, {}, std::to_string(FMaxNeighb));
  element(TKohonenXMLTag::xmlMaxSteps, {}, std::to_string(FMaxSteps));
  element(TKohonenXMLTag::xmlMaxAlpha, {}, RealText(FMaxAlpha));
  element(TKohonenXMLTag::xmlCurStep,
          "neighb=\"" + std::to_string(FCurNeighb) + "\" alpha=\"" + RealText(FCurAlpha) + '"',
          std::to_string(FCurStep));
  element(TKohonenXMLTag::xmlCyclic, {}, FCyclic ? "TRUE" : "FALSE");
  for (std::int32_t k = 1; k <= FNrInSens; ++k)
    element(TKohonenXMLTag::xmlMeanStdDev, "var=\"" + std::to_string(k) + '"',
            RealText(MeanVec.Elem(k)) + ' ' + RealText(StdDevVec.Elem(k)));
  const auto K = static_cast<std::size_t>(FNrInSens);
  std::string values;
  auto listValues = [&values](auto&& valueAt, std::size_t n) {
    values.clear();
    for (std::size_t k = 0; k < n; ++k) {
      if (k > 0) values += ' ';
      AppendReal(values, valueAt(k));
    }
  };
  const double* w = FKohMat.data();
  for (std::int32_t x = 1; x <= FSizeX; ++x)
    for (std::int32_t y = 1; y <= FSizeY; ++y, w += K) {
      listValues([w](std::size_t k) { return w[k]; }, K);
      element(TKohonenXMLTag::xmlCell, "x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + '"', values);
    }
  // The training objects, so that a stored map can go on training. The
  // variables the matrix lacks (a host may have resized it) read as 0.
  for (std::int32_t j = 1; j <= FDataMat.NrOfRows(); ++j) {
    listValues([&](std::size_t k) { return FDataMat.GetVal(static_cast<std::int32_t>(k + 1), j); }, K);
    element(TKohonenXMLTag::xmlCell, "obj=\"" + std::to_string(j) + '"', values);
  }
  out += '<';
  out += TagText(TKohonenXMLTag::xmlEndKohonen);
  out += ">\n";
  TFile.write(out.data(), static_cast<std::streamsize>(out.size()));
}

void TKohonen::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const {
  std::ostringstream text;
  WriteToOpenXMLFile(text, CreateHeader, DataID);
  const std::string s = std::move(text).str();
  OutStream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

bool TKohonen::SaveAsXMLFile(const std::string& FName, std::string_view DataID) const {
  std::ofstream file(FName, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  WriteToOpenXMLFile(file, true, DataID);
  file.close();
  return static_cast<bool>(file);
}

// --- reading -------------------------------------------------------------------------------------

bool TKohonen::ReadFromXMLString(std::string_view Text, std::string_view DataID) {
  if (Text.size() > kMaxText) return false;
  std::int32_t pos = 1;
  std::string attr, content;
  std::int32_t tag;
  while ((tag = ReadNextTagInString(Text, kRootTags, pos, attr, content)) > 0) {
  }
  if (tag != 0) return false;
  {
    // A map whose closing tag is missing (a truncated text) is refused.
    const std::string_view read = Text.substr(0, static_cast<std::size_t>(pos - 1));
    const std::size_t lt = read.rfind('<');
    const std::string_view end = TagText(TKohonenXMLTag::xmlEndKohonen);
    if (lt == std::string_view::npos || !EqualStrings(read.substr(lt + 1, end.size()), end, false)) return false;
  }
  if (!DataID.empty()) {
    std::string_view id;
    if (!XmlAttrValue(attr, "id", id) || XmlUnescape(id) != DataID) return false;
  }

  // Pass 1: the settings, each exactly once.
  TLoaded L;
  std::array<bool, kTagNames.size()> seen{};
  std::int32_t inner = 1;
  std::string a, c;
  std::int32_t t;
  while ((t = ReadNextTagInString(content, kTagNames, inner, a, c)) >= 0) {
    const auto tg = static_cast<TKohonenXMLTag>(t);
    if (tg == TKohonenXMLTag::xmlInvalid || tg == TKohonenXMLTag::xmlCell || tg == TKohonenXMLTag::xmlMeanStdDev)
      continue;
    if (tg == TKohonenXMLTag::xmlEndKohonen || seen[static_cast<std::size_t>(t)]) return false;
    seen[static_cast<std::size_t>(t)] = true;
    bool ok = true;
    switch (tg) {
      case TKohonenXMLTag::xmlSizeX: ok = ParseInt(c, L.SizeX) && L.SizeX >= 1; break;
      case TKohonenXMLTag::xmlSizeY: ok = ParseInt(c, L.SizeY) && L.SizeY >= 1; break;
      case TKohonenXMLTag::xmlNrInsens:
        ok = ParseInt(c, L.NrInSens) && L.NrInSens >= 1 && IntAttr(a, "trnobj", L.NrTrnObj) && L.NrTrnObj >= 1;
        break;
      case TKohonenXMLTag::xmlComment: L.Comment = XmlUnescape(c); break;
      case TKohonenXMLTag::xmlMaxNeighb: ok = ParseInt(c, L.MaxNeighb); break;
      case TKohonenXMLTag::xmlMaxSteps: ok = ParseInt(c, L.MaxSteps) && L.MaxSteps >= 1; break;
      case TKohonenXMLTag::xmlMaxAlpha: ok = ParseReal(TrimView(c), L.MaxAlpha); break;
      case TKohonenXMLTag::xmlCurStep:
        ok = ParseInt(c, L.CurStep) && L.CurStep >= 0 && IntAttr(a, "neighb", L.CurNeighb) &&
             RealAttr(a, "alpha", L.CurAlpha);
        break;
      case TKohonenXMLTag::xmlCyclic: {
        const std::int32_t b = StringIx(TrimView(c), {"FALSE", "TRUE"}, false);
        ok = b >= 0;
        L.Cyclic = b == 1;
        break;
      }
      default: break;
    }
    if (!ok) return false;
  }
  for (const TKohonenXMLTag need :
       {TKohonenXMLTag::xmlSizeX, TKohonenXMLTag::xmlSizeY, TKohonenXMLTag::xmlNrInsens, TKohonenXMLTag::xmlMaxNeighb,
        TKohonenXMLTag::xmlMaxSteps, TKohonenXMLTag::xmlMaxAlpha, TKohonenXMLTag::xmlCurStep, TKohonenXMLTag::xmlCyclic})
    if (!seen[static_cast<std::size_t>(need)]) return false;

  // The counts must fit in the text: every value takes at least two characters.
  const std::uint64_t limit = content.size();
  const auto sx = static_cast<std::uint64_t>(L.SizeX), sy = static_cast<std::uint64_t>(L.SizeY);
  const auto K = static_cast<std::uint64_t>(L.NrInSens), nObj = static_cast<std::uint64_t>(L.NrTrnObj);
  if (sx > limit || sy > limit || K > limit || nObj > limit || sx * sy > limit) return false;
  const std::uint64_t nodes = sx * sy;
  if ((nodes + nObj + 2) * K > limit / 2) return false;

  // Pass 2: means and deviations, weights and objects, each exactly once.
  L.Weights.assign(nodes * K, 0.0);
  L.Data.assign(nObj * K, 0.0);
  L.Mean.assign(K, 0.0);
  L.StdDev.assign(K, 0.0);
  std::vector<bool> nodeSeen(nodes), objSeen(nObj), varSeen(K);
  std::uint64_t nNodes = 0, nObjs = 0, nVars = 0;
  inner = 1;
  while ((t = ReadNextTagInString(content, kTagNames, inner, a, c)) >= 0) {
    const auto tg = static_cast<TKohonenXMLTag>(t);
    if (tg == TKohonenXMLTag::xmlMeanStdDev) {
      std::int32_t v = 0;
      if (!IntAttr(a, "var", v) || v < 1 || static_cast<std::uint64_t>(v) > K || varSeen[static_cast<std::size_t>(v - 1)])
        return false;
      double ms[2];
      if (!ReadReals(c, ms, 2)) return false;
      varSeen[static_cast<std::size_t>(v - 1)] = true;
      L.Mean[static_cast<std::size_t>(v - 1)] = ms[0];
      L.StdDev[static_cast<std::size_t>(v - 1)] = ms[1];
      ++nVars;
    } else if (tg == TKohonenXMLTag::xmlCell) {
      std::string_view objText;
      double* dest = nullptr;
      if (XmlAttrValue(a, "obj", objText)) {
        std::int32_t j = 0;
        if (!ParseInt(objText, j) || j < 1 || static_cast<std::uint64_t>(j) > nObj || objSeen[static_cast<std::size_t>(j - 1)])
          return false;
        objSeen[static_cast<std::size_t>(j - 1)] = true;
        dest = L.Data.data() + static_cast<std::size_t>(j - 1) * K;
        ++nObjs;
      } else {
        std::int32_t x = 0, y = 0;
        if (!IntAttr(a, "x", x) || !IntAttr(a, "y", y) || x < 1 || y < 1 || static_cast<std::uint64_t>(x) > sx ||
            static_cast<std::uint64_t>(y) > sy)
          return false;
        const std::size_t node = static_cast<std::size_t>(x - 1) * sy + static_cast<std::size_t>(y - 1);
        if (nodeSeen[node]) return false;
        nodeSeen[node] = true;
        dest = L.Weights.data() + node * K;
        ++nNodes;
      }
      if (!ReadReals(c, dest, K)) return false;
    }
  }
  if (nNodes != nodes || nObjs != nObj || nVars != K) return false;
  Adopt(L);
  return true;
}

void TKohonen::Adopt(TLoaded& L) {
  FDataMat.Resize(L.NrInSens, L.NrTrnObj);
  const auto K = static_cast<std::size_t>(L.NrInSens), rows = static_cast<std::size_t>(L.NrTrnObj);
  double* cells = FDataMat.ColumnView().data();
  for (std::size_t j = 0; j < rows; ++j)
    for (std::size_t k = 0; k < K; ++k) cells[k * rows + j] = L.Data[j * K + k];
  FDataMat.Changed();
  FSizeX = L.SizeX;
  FSizeY = L.SizeY;
  FNrInSens = L.NrInSens;
  FNrTrnObj = L.NrTrnObj;
  FMaxNeighb = L.MaxNeighb;
  FMaxSteps = L.MaxSteps;
  FMaxAlpha = L.MaxAlpha;
  FCurStep = L.CurStep;
  FCurNeighb = L.CurNeighb;
  FCurAlpha = L.CurAlpha;
  FCyclic = L.Cyclic;
  FComment = std::move(L.Comment);
  FKohMat.swap(L.Weights);
  MeanVec.Resize(L.NrInSens);
  StdDevVec.Resize(L.NrInSens);
  for (std::size_t k = 0; k < K; ++k) {
    MeanVec.SetVal(static_cast<std::int32_t>(k + 1), L.Mean[k]);
    StdDevVec.SetVal(static_cast<std::int32_t>(k + 1), L.StdDev[k]);
  }
}

bool TKohonen::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {
  // The text up to the end of the first map: chunks ending in '>' until one
  // closes the map's element.
  std::string text, chunk;
  const std::string end = '<' + std::string(TagText(TKohonenXMLTag::xmlEndKohonen));
  while (std::getline(TFile, chunk, '>')) {
    text += chunk;
    if (TFile.eof()) break;  // the last chunk had no '>': a truncated text
    text += '>';
    if (text.size() > kMaxText) return false;
    const std::string_view tail = TrimView(chunk);
    if (tail.size() >= end.size() && EqualStrings(tail.substr(tail.size() - end.size()), end, false)) break;
  }
  return ReadFromXMLString(text, DataID);
}

bool TKohonen::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {
  const std::int64_t left = InStream.Size() - InStream.Position();
  if (left <= 0 || static_cast<std::uint64_t>(left) > kMaxText) return false;
  std::string text(static_cast<std::size_t>(left), '\0');
  text.resize(static_cast<std::size_t>(InStream.Read(text.data(), left)));
  return ReadFromXMLString(text, DataID);
}

bool TKohonen::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {
  std::ifstream file(FName, std::ios::binary);
  if (!file) return false;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return ReadFromXMLString(text, DataID);
}

}  // namespace kvl
