// TMemBasedLearner model files: the XML-like text form, which embeds the
// table's own XML form, and the binary form of TMixedFStream items.

#include <charconv>
#include <cstdint>
#include <fstream>
#include <string>

#include "kvl/base/KVL_streams.h"
#include "kvl/base/KVL_stringl.h"
#include "kvl/base/KVL_xmltext.h"
#include "kvl/learning/KVL_membl.h"
#include "kvl/learning/membl/internal/membl_search.h"
#include "kvl/runtime/exceptions.h"

namespace kvl {

namespace {

constexpr std::string_view BinSignature = "TMemBasedLearner/Quillet";
constexpr std::string_view BinVersion = "vers=1.001";
constexpr std::string_view BinVersionOld = "vers=1.000";  // identifiers stored one slot up
constexpr std::string_view BinIdPrefix = "DataID=";
constexpr std::int32_t NominalSlots = 151;
// The table is written with enough digits to restore every value exactly.
constexpr std::int32_t XmlPrecision = 17;

std::string Lower(std::string_view Text) {
  std::string s(Text);
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

// TSettings: what a model file holds besides the table.
struct TSettings {
  std::string Comment, Name;
  std::int32_t k = 3;
  TMBLDistMode Dist = TMBLDistMode::mblDistEuclid;
  TMBLScalingMode Scaling = TMBLScalingMode::mblUnscaled;
  TMBLLocalModel Model = TMBLLocalModel::mblLMAverage;
};

bool ValidK(std::int32_t k) { return k >= 1 && k <= MBLMaxNeighbours; }

// ParseInt: the whole of Text (white space around it allowed) as an Integer.
bool ParseInt(std::string_view Text, std::int32_t& Value) {
  const std::string s = StripLTBlanks(Text);
  const char* end = s.data() + s.size();
  const auto [p, ec] = std::from_chars(s.data(), end, Value);
  return ec == std::errc() && p == end && !s.empty();
}

// LookUp: the ordinal of Text (case ignored, blanks around it allowed) in
// Names; false for a text that names none.
template <class E, std::size_t N>
bool LookUp(std::string_view Text, const std::array<std::string_view, N>& Names, E& Value) {
  const std::int32_t ix = StringIx(StripLTBlanks(Text), Names, false);
  if (ix < 0) return false;
  Value = static_cast<E>(ix);
  return true;
}

// TBinReader: the items of the binary form; every failed read is kept in OK.
class TBinReader {
 public:
  explicit TBinReader(TMixedFStream& In) : FIn(In) {}
  std::int32_t Int() { return FIn.ReadInteger(FOK); }
  std::string Line() { return FIn.ReadLn(FOK); }
  /// Str: a string item: its count (not needed) and its line.
  std::string Str() {
    FIn.ReadInteger(FOK);
    return FIn.ReadLn(FOK);
  }
  double Double() { return FIn.ReadDouble(FOK); }
  std::uint8_t Byte() { return FIn.ReadByte(FOK); }
  bool OK() const { return FOK; }

 private:
  TMixedFStream& FIn;
  bool FOK = true;
};

}  // namespace

void TMemBasedLearner::TakeOver(TDataTable& Table, const std::string& Comment, const std::string& Name,
                                std::int32_t k, TMBLDistMode Dist, TMBLScalingMode Scaling, TMBLLocalModel Model) {
  ModelData->Clone(&Table);
  FComment = Comment;
  FModelName = Name;
  FNumNearestNb = k;
  FDistMode = Dist;
  FScalingMode = Scaling;
  FLocModel = Model;
  Invalidate();
}

void TMemBasedLearner::StoreModelXML(const std::string& FName, std::string_view DataID) {
  std::ofstream f(FName, std::ios::binary | std::ios::trunc);
  if (!f) throw EInOutError("Cannot create file \"" + FName + "\"");
  f << "<?xml version=\"1.0\"?>\n"
    << "<" << MBLxmlTagText[0] << " sig=\"Brantcore\" vers=\"1.001\" id=\"" << XmlEscape(DataID) << "\">\n"
    << "<!-- TMemBasedLearner / Quillet -->\n"
    << "<comment>" << XmlEscape(FComment) << "</comment>\n"
    << "<modelname>" << XmlEscape(FModelName) << "</modelname>\n"
    << "<numnnb>" << FNumNearestNb << "</numnnb>\n"
    << "<distmode>" << Lower(MBLDistModeID[static_cast<std::size_t>(FDistMode)]) << "</distmode>\n"
    << "<scaling>" << Lower(MBLScalingModeID[static_cast<std::size_t>(FScalingMode)]) << "</scaling>\n"
    << "<locmodel>" << Lower(MBLLocalModelID[static_cast<std::size_t>(FLocModel)]) << "</locmodel>\n"
    << "<modeldata>\n";
  ModelData->WriteToOpenXMLFile(f, false, XmlPrecision, "MBLModel");
  f << "</modeldata>\n"
    << "</membasedlearner>\n";
  f.flush();
  if (!f) throw EInOutError("Cannot write file \"" + FName + "\"");
}

std::int32_t TMemBasedLearner::LoadModelXML(const std::string& FName, std::string& DataId) {
  DataId.clear();
  std::ifstream f(FName, std::ios::binary);
  if (!f) throw EInOutError("Cannot open file \"" + FName + "\"");
  std::string line;
  std::getline(f, line);  // the XML declaration
  std::string attr, content;
  std::int32_t tag = -1;
  do {
    tag = ReadNextTagInTextFile(f, MBLxmlTagText, attr, content);
    if (tag < 0) return -1;
  } while (tag != static_cast<std::int32_t>(TMBLxmlTags::xmlMBLId));

  std::string id;
  for (const std::string& token : Tokenize(attr, " ", '"')) {
    const std::size_t at = token.find("id=");
    if (at != std::string::npos) id = XmlUnescape(StripTrailingChars(token.substr(at + 3), '"'));
  }
  TSettings s{FComment, FModelName, FNumNearestNb, FDistMode, FScalingMode, FLocModel};
  std::int32_t pos = 1;
  std::string a, c;
  for (;;) {
    switch (static_cast<TMBLxmlTags>(ReadNextTagInString(content, MBLxmlTagText, pos, a, c))) {
      case TMBLxmlTags::xmlMBLId: break;
      case TMBLxmlTags::xmlComment: s.Comment = XmlUnescape(c); break;
      case TMBLxmlTags::xmlModelName: s.Name = XmlUnescape(c); break;
      case TMBLxmlTags::xmlNumNNb:
        if (!ParseInt(c, s.k) || !ValidK(s.k)) return -1;
        break;
      case TMBLxmlTags::xmlDistMode:
        if (!LookUp(c, MBLDistModeID, s.Dist)) return -1;
        break;
      case TMBLxmlTags::xmlSclMode:
        if (!LookUp(c, MBLScalingModeID, s.Scaling)) return -1;
        break;
      case TMBLxmlTags::xmlLocalModel:
        if (!LookUp(c, MBLLocalModelID, s.Model)) return -1;
        break;
      case TMBLxmlTags::xmlModelData: {
        TDataTable table;
        std::int32_t start = 1;
        if (!table.ReadFromXMLString(c, start, "")) return -1;
        TakeOver(table, s.Comment, s.Name, s.k, s.Dist, s.Scaling, s.Model);
        DataId = id;
        return 0;
      }
      default: return -1;  // an unknown tag, a stray closing tag, or the end before the model data
    }
  }
}

void TMemBasedLearner::StoreModelBin(const std::string& FName, std::string_view DataID) {
  TMixedFStream out(FName, fmCreate);
  auto str = [&out](std::string_view Text) {
    out.WriteInteger(static_cast<std::int32_t>(Text.size()));
    out.WriteLn(Text);
  };
  const TDataTable& t = *ModelData;
  const std::int32_t cols = t.NrOfColumns();
  const std::int32_t rows = t.NrOfRows();
  str(BinSignature);
  str(BinVersion);
  str(std::string(BinIdPrefix) + std::string(DataID));
  str(FComment);
  str(FModelName);
  out.WriteInteger(FNumNearestNb);
  out.WriteInteger(static_cast<std::int32_t>(FDistMode));
  out.WriteInteger(static_cast<std::int32_t>(FScalingMode));
  out.WriteInteger(static_cast<std::int32_t>(FLocModel));
  str(t.Comment());
  out.WriteInteger(cols);
  out.WriteInteger(rows);
  out.WriteInteger(NominalSlots);
  for (std::int32_t c = 1; c <= cols; ++c) {
    const TMScaleType st = t.MScaleType(c);
    out.WriteInteger(static_cast<std::int32_t>(st));
    if (st == TMScaleType::stNominal || st == TMScaleType::stOrdinal)
      for (std::int32_t i = 0; i < NominalSlots; ++i) out.WriteLn(t.NominalID(c, i));
  }
  for (std::int32_t c = 1; c <= cols; ++c) str(StripLTBlanks(t.ColName(c)));
  for (std::int32_t r = 1; r <= rows; ++r) str(StripLTBlanks(t.RowName(r)));
  for (std::int32_t c = 1; c <= cols; ++c) out.WriteInteger(t.ColAttrib(c));
  for (std::int32_t r = 1; r <= rows; ++r) out.WriteInteger(t.RowAttrib(r));
  const TMatrix& m = *t.NumericData;
  for (std::int32_t r = 1; r <= rows; ++r)
    for (std::int32_t c = 1; c <= cols; ++c) out.WriteDouble(m.GetVal(c, r));
  for (std::int32_t r = 1; r <= rows; ++r)
    for (std::int32_t c = 1; c <= cols; ++c) out.WriteByte(t.CellState(c, r));
}

std::int32_t TMemBasedLearner::LoadModelBin(const std::string& FName, std::string& DataId) {
  TMixedFStream in(FName, fmOpenRead);
  TBinReader rd(in);
  if (rd.Str() != BinSignature || !rd.OK()) return -1;
  const std::string vers = rd.Str();
  const bool old = vers == BinVersionOld;
  if (!old && vers != BinVersion) return -1;
  std::string id = rd.Str();
  if (const std::size_t at = Lower(id).find(Lower(BinIdPrefix)); at != std::string::npos)
    id.erase(at, BinIdPrefix.size());
  TSettings s;
  s.Comment = rd.Str();
  s.Name = rd.Str();
  s.k = rd.Int();
  const std::int32_t dist = rd.Int();
  const std::int32_t scaling = rd.Int();
  const std::int32_t model = rd.Int();
  if (!ValidK(s.k) || dist < 0 || dist > 2 || scaling < 0 || scaling > 1 || model < 0 || model > 3) return -1;
  s.Dist = static_cast<TMBLDistMode>(dist);
  s.Scaling = static_cast<TMBLScalingMode>(scaling);
  s.Model = static_cast<TMBLLocalModel>(model);
  const std::string tableComment = rd.Str();
  const std::int32_t cols = rd.Int();
  const std::int32_t rows = rd.Int();
  const std::int32_t slots = rd.Int();
  if (!rd.OK() || cols < 0 || rows < 0 || slots != NominalSlots) return -1;
  // Each cell takes 9 bytes and each column and row at least 9 more (name
  // count, line end, attribute): a count the rest of the file cannot hold is
  // refused before anything is allocated.
  const std::int64_t rest = in.Size() - in.Position();
  const auto nc = static_cast<std::int64_t>(cols);
  const auto nr = static_cast<std::int64_t>(rows);
  if ((nc + nr) * 9 > rest || (nr > 0 && nc > (rest - (nc + nr) * 9) / 9 / nr)) return -1;

  TDataTable table;
  table.Resize(cols, rows);
  table.SetComment(tableComment);
  for (std::int32_t c = 1; c <= cols && rd.OK(); ++c) {
    const std::int32_t st = rd.Int();
    if (st < 0 || st > static_cast<std::int32_t>(TMScaleType::stRatio)) return -1;
    table.SetMScaleType(c, static_cast<TMScaleType>(st));
    if (st == static_cast<std::int32_t>(TMScaleType::stNominal) ||
        st == static_cast<std::int32_t>(TMScaleType::stOrdinal)) {
      for (std::int32_t i = 0; i < NominalSlots; ++i) {
        const std::string idText = rd.Line();
        if (!idText.empty()) table.SetNominalID(c, old ? i + 1 : i, idText);
      }
    }
  }
  for (std::int32_t c = 1; c <= cols; ++c) table.SetColName(c, StripLTBlanks(rd.Str()));
  for (std::int32_t r = 1; r <= rows; ++r) table.SetRowName(r, StripLTBlanks(rd.Str()));
  for (std::int32_t c = 1; c <= cols; ++c) table.SetColAttrib(c, rd.Int());
  for (std::int32_t r = 1; r <= rows; ++r) table.SetRowAttrib(r, rd.Int());
  TMatrix& m = *table.NumericData;
  for (std::int32_t r = 1; r <= rows && rd.OK(); ++r)
    for (std::int32_t c = 1; c <= cols; ++c) m.SetVal(c, r, rd.Double());
  for (std::int32_t r = 1; r <= rows && rd.OK(); ++r)
    for (std::int32_t c = 1; c <= cols; ++c) table.SetCellState(c, r, rd.Byte());
  if (!rd.OK()) return -1;
  TakeOver(table, s.Comment, s.Name, s.k, s.Dist, s.Scaling, s.Model);
  DataId = id;
  return 0;
}

}  // namespace kvl
