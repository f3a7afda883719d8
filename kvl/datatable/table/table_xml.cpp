// TDataTable: the XML form.
//
//   <?xml version="1.0" encoding="UTF-8"?>        only with CreateHeader
//   <datatable id="DataID" version="1">
//   <comment>free text</comment>
//   <size columns="3" rows="2"/>
//   <colnames><col nr="1">name</col>...</colnames>
//   <rownames><row nr="1">name</row>...</rownames>
//   <colattrib>0 0 5</colattrib>
//   <rowattrib>0 1</rowattrib>
//   <vardef col="1" type="Nominal"><idf slot="0">red</idf>...</vardef>
//   <datacells>
//   <cell row="1" states="0 2 0">0 1.5 0</cell>    states only when one is not 0
//   </datacells>
//   </datatable>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "kvl/base/KVL_stringl.h"
#include "kvl/base/KVL_xmltext.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/datatable/table/internal/tabletext_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

std::string_view TagText(TDTxmlTags t) { return DTxmlTagNames[static_cast<std::size_t>(t)]; }

// ForWords: f(word) for each white-space separated word of Text; stops
// early (false) when f returns false.
template <class F>
bool ForWords(std::string_view Text, F&& f) {
  std::size_t i = 0;
  while (true) {
    while (i < Text.size() && IsWhiteChar(Text[i])) ++i;
    if (i >= Text.size()) return true;
    const std::size_t start = i;
    while (i < Text.size() && !IsWhiteChar(Text[i])) ++i;
    if (!f(Text.substr(start, i - start))) return false;
  }
}

// ReadInts: exactly Count integers of Text into Dest.
bool ReadInts(std::string_view Text, std::vector<std::int32_t>& Dest, std::size_t Count) {
  std::size_t n = 0;
  const bool ok = ForWords(Text, [&](std::string_view w) {
    if (n >= Count || !ParseInt(w, Dest[n])) return false;
    ++n;
    return true;
  });
  return ok && n == Count;
}

bool IntAttr(std::string_view Attr, std::string_view Name, std::int32_t& v) {
  std::string_view s;
  return XmlAttrValue(Attr, Name, s) && ParseInt(s, v);
}

}  // namespace

// --- writing -------------------------------------------------------------------------------------

void TDataTable::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::int32_t Precision,
                                    std::string_view DataID) {
  TLineWriter writer(TFile, OnExportText, this, "\n");
  std::string& line = writer.Line;
  auto emit = [&] { writer.Emit(); };
  auto element = [&](TDTxmlTags t, std::string_view attr, std::string_view content) {
    line += '<';
    line += TagText(t);
    if (!attr.empty()) (line += ' ') += attr;
    line += '>';
    line += content;
    line += "</";
    line += TagText(t);
    line += '>';
  };
  if (CreateHeader) {
    line = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    emit();
  }
  line = "<datatable id=\"" + XmlEscape(DataID) + "\" version=\"1\">";
  emit();
  element(TDTxmlTags::xmlComment, {}, XmlEscape(FComment));
  emit();
  line = "<size columns=\"" + std::to_string(FNrOfCols) + "\" rows=\"" + std::to_string(FNrOfRows) + "\"/>";
  emit();
  auto names = [&](TDTxmlTags block, TDTxmlTags item, const std::vector<TDTNameStr>& v) {
    line = '<' + std::string(TagText(block)) + '>';
    emit();
    for (std::size_t i = 0; i < v.size(); ++i) {
      element(item, "nr=\"" + std::to_string(i + 1) + '"', XmlEscape(v[i]));
      emit();
    }
    line = "</" + std::string(TagText(block)) + '>';
    emit();
  };
  names(TDTxmlTags::xmlColNames, TDTxmlTags::xmlColId, FColName);
  names(TDTxmlTags::xmlRowNames, TDTxmlTags::xmlRowId, FRowName);
  auto attribs = [&](TDTxmlTags block, const std::vector<std::int32_t>& v) {
    std::string s;
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (i > 0) s += ' ';
      s += std::to_string(v[i]);
    }
    element(block, {}, s);
    emit();
  };
  attribs(TDTxmlTags::xmlColAttrib, FColAtt);
  attribs(TDTxmlTags::xmlRowAttrib, FRowAtt);
  for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
    const TVTypeSpec& t = FVType[Ix(c)];
    line = "<vardef col=\"" + std::to_string(c) + "\" type=\"" +
           std::string(MScaleTypeNames[static_cast<std::size_t>(t.MScaleType)]) + "\">";
    for (std::size_t k = 0; k < t.IDs.size(); ++k)
      if (!t.IDs[k].empty()) element(TDTxmlTags::xmlVarIdentifier, "slot=\"" + std::to_string(k) + '"', XmlEscape(t.IDs[k]));
    line += "</vardef>";
    emit();
  }
  line = "<datacells>";
  emit();
  const TColumns<double> cells = Cells();
  TProgress progress([this](double p) { FireEvent(OnPercentDone, p); }, FNrOfRows);
  for (std::int32_t r = 1; r <= FNrOfRows; ++r) {
    line += "<cell row=\"";
    line += std::to_string(r);
    line += '"';
    bool anyState = false;
    for (std::int32_t c = 1; c <= FNrOfCols && !anyState; ++c) anyState = FCState[StOff(c, r)] != 0;
    if (anyState) {
      line += " states=\"";
      for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
        if (c > 1) line += ' ';
        line += std::to_string(FCState[StOff(c, r)]);
      }
      line += '"';
    }
    line += '>';
    for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
      if (c > 1) line += ' ';
      AppendNumber(line, cells.At(c, r), Precision);
    }
    line += "</cell>";
    emit();
    progress.Step(r);
  }
  line = "</datacells>";
  emit();
  line = "</datatable>";
  emit();
}

void TDataTable::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::int32_t Precision,
                                  std::string_view DataID) {
  std::ostringstream text;
  WriteToOpenXMLFile(text, CreateHeader, Precision, DataID);
  const std::string s = std::move(text).str();
  OutStream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

bool TDataTable::SaveAsXMLFile(const std::string& FName, std::int32_t Precision, std::string_view DataID) {
  std::ofstream file(FName, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  WriteToOpenXMLFile(file, true, Precision, DataID);
  file.close();
  return static_cast<bool>(file);
}

// --- reading -------------------------------------------------------------------------------------

bool TDataTable::ProcessXmlTag(TDTxmlTags Tag, const std::string& Attr, const std::string& Content,
                               std::string_view DataID, std::int32_t Level) {
  (void)DataID;
  (void)Level;
  std::int32_t pos = 1;
  std::string attr, content;
  switch (Tag) {
    case TDTxmlTags::xmlComment:
      FComment = RemoveControlChars(XmlUnescape(Content));
      return true;
    case TDTxmlTags::xmlSize: {
      std::int32_t cols = 0, rows = 0;
      if (!IntAttr(Attr, "columns", cols) || !IntAttr(Attr, "rows", rows) || cols < 0 || rows < 0) return false;
      Resize(cols, rows);
      return true;
    }
    case TDTxmlTags::xmlColNames:
    case TDTxmlTags::xmlRowNames: {
      const bool cols = Tag == TDTxmlTags::xmlColNames;
      std::vector<TDTNameStr>& names = cols ? FColName : FRowName;
      const TDTxmlTags item = cols ? TDTxmlTags::xmlColId : TDTxmlTags::xmlRowId;
      std::int32_t t;
      while ((t = ReadNextTagInString(Content, DTxmlTagNames, pos, attr, content)) >= 0) {
        std::int32_t nr = 0;
        if (static_cast<TDTxmlTags>(t) != item) continue;
        if (!IntAttr(attr, "nr", nr) || nr < 1 || static_cast<std::size_t>(nr) > names.size()) return false;
        names[Ix(nr)] = std::string(CutToBytes(XmlUnescape(content), DTNameLength));
      }
      return true;
    }
    case TDTxmlTags::xmlColAttrib:
      return ReadInts(Content, FColAtt, FColAtt.size());
    case TDTxmlTags::xmlRowAttrib:
      return ReadInts(Content, FRowAtt, FRowAtt.size());
    case TDTxmlTags::xmlVarType: {
      std::int32_t col = 0;
      std::string_view type;
      if (!IntAttr(Attr, "col", col) || !ValidCol(col) || !XmlAttrValue(Attr, "type", type)) return false;
      const std::int32_t st = StringIx(type, MScaleTypeNames, false);
      if (st < 0) return false;
      TVTypeSpec& vtype = FVType[Ix(col)];
      vtype.MScaleType = static_cast<TMScaleType>(st);
      vtype.IDs.clear();
      std::int32_t t;
      while ((t = ReadNextTagInString(Content, DTxmlTagNames, pos, attr, content)) >= 0) {
        std::int32_t slot = 0;
        if (static_cast<TDTxmlTags>(t) != TDTxmlTags::xmlVarIdentifier) continue;
        if (!IntAttr(attr, "slot", slot) || slot < 0 || slot >= NrOfNominalSlots) return false;
        vtype.IDs.Set(static_cast<std::size_t>(slot), XmlUnescape(content));
      }
      return true;
    }
    case TDTxmlTags::xmlDataCells: {
      // Every row exactly once, each with one value (and state) per column.
      std::vector<bool> seen(static_cast<std::size_t>(FNrOfRows), false);
      std::int32_t nSeen = 0;
      const TColumns<double> cells = Cells();
      TProgress progress([this](double p) { FireEvent(OnPercentDone, p); }, FNrOfRows);
      std::int32_t t;
      while ((t = ReadNextTagInString(Content, DTxmlTagNames, pos, attr, content)) >= 0) {
        if (static_cast<TDTxmlTags>(t) != TDTxmlTags::xmlCellID) continue;
        std::int32_t r = 0;
        if (!IntAttr(attr, "row", r) || !ValidRow(r) || seen[Ix(r)]) return false;
        seen[Ix(r)] = true;
        std::int32_t c = 0;
        const bool ok = ForWords(content, [&](std::string_view w) {
          double x = 0.0;
          if (c >= FNrOfCols || !ParseNumber(w, x)) return false;
          cells.At(++c, r) = x;
          return true;
        });
        if (!ok || c != FNrOfCols) return false;
        std::string_view states;
        if (XmlAttrValue(attr, "states", states)) {
          c = 0;
          const bool sok = ForWords(states, [&](std::string_view w) {
            std::int32_t s = 0;
            if (c >= FNrOfCols || !ParseInt(w, s) || s < 0 || s > 255) return false;
            FCState[StOff(++c, r)] = static_cast<std::uint8_t>(s);
            return true;
          });
          if (!sok || c != FNrOfCols) return false;
        }
        progress.Step(++nSeen);
      }
      return nSeen == FNrOfRows;
    }
    default:
      return true;  // tags of later versions are passed over
  }
}

bool TDataTable::ReadFromXMLString(std::string_view InString, std::int32_t& StartAt, std::string_view DataID) {
  std::int32_t pos = StartAt;
  std::string attr, content;
  std::int32_t tag;
  while ((tag = ReadNextTagInString(InString, DTxmlTagNames, pos, attr, content)) >= 0 &&
         static_cast<TDTxmlTags>(tag) != TDTxmlTags::xmlDataTableId) {
  }
  if (tag < 0) return false;
  {
    // A table whose closing tag is missing (a truncated text) is refused.
    const std::string_view read = InString.substr(0, static_cast<std::size_t>(pos - 1));
    const std::size_t lt = read.rfind('<');
    if (lt == std::string_view::npos || !EqualStrings(read.substr(lt, 11), "</datatable", false)) return false;
  }
  if (!DataID.empty()) {
    std::string_view id;
    if (!XmlAttrValue(attr, "id", id) || XmlUnescape(id) != DataID) return false;
  }
  // The inner elements in their order; the size must come first and its
  // counts must fit in the text (every cell takes at least two characters).
  TDataTable fresh(nullptr);
  fresh.OnPercentDone = [this](TObject*, double p) { FireEvent(OnPercentDone, p); };
  std::int32_t inner = 1;
  std::string a, c;
  bool sized = false, cellsRead = false;
  std::int32_t t;
  while ((t = ReadNextTagInString(content, DTxmlTagNames, inner, a, c)) >= 0) {
    const auto tg = static_cast<TDTxmlTags>(t);
    if (tg == TDTxmlTags::xmlSize) {
      std::int32_t cols = 0, rows = 0;
      if (sized || !IntAttr(a, "columns", cols) || !IntAttr(a, "rows", rows) || cols < 0 || rows < 0) return false;
      const auto limit = static_cast<std::int64_t>(content.size());
      if (cols > limit || rows > limit || std::int64_t{cols} * rows * 2 > limit) return false;
      sized = true;
    } else if (!sized) {
      if (tg == TDTxmlTags::xmlComment || tg == TDTxmlTags::xmlInvalid) {
        if (!fresh.ProcessXmlTag(tg, a, c, DataID, 0)) return false;
        continue;
      }
      return false;
    }
    if (tg == TDTxmlTags::xmlDataCells) cellsRead = true;
    if (!fresh.ProcessXmlTag(tg, a, c, DataID, 0)) return false;
  }
  if (!sized || (!cellsRead && fresh.FNrOfRows > 0)) return false;
  LoadFrom(fresh);
  StartAt = pos;
  return true;
}

bool TDataTable::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {
  // The text up to the end of the first table: chunks ending in '>' until
  // one closes the table element.
  std::string text, chunk;
  constexpr std::string_view kEnd = "</datatable";
  while (std::getline(TFile, chunk, '>')) {
    text += chunk;
    text += '>';
    if (chunk.size() >= kEnd.size() &&
        EqualStrings(std::string_view(chunk).substr(chunk.size() - kEnd.size()), kEnd, false))
      break;
  }
  std::int32_t pos = 1;
  return ReadFromXMLString(text, pos, DataID);
}

bool TDataTable::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {
  const std::int64_t left = InStream.Size() - InStream.Position();
  if (left <= 0) return false;
  std::string text(static_cast<std::size_t>(left), '\0');
  text.resize(static_cast<std::size_t>(InStream.Read(text.data(), left)));
  std::int32_t pos = 1;
  return ReadFromXMLString(text, pos, DataID);
}

bool TDataTable::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {
  std::ifstream file(FName, std::ios::binary);
  if (!file) return false;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
  std::int32_t pos = 1;
  return ReadFromXMLString(text, pos, DataID);
}

void TDataTable::LoadFrom(TDataTable& Src) {
  const std::int32_t oldCols = FNrOfCols;
  const std::int32_t oldRows = FNrOfRows;
  CopyContents(Src, false);
  if (FNrOfCols != oldCols || FNrOfRows != oldRows) FireResize(oldCols, oldRows);
  Fire(OnChange);
  Fire(OnChangeCellState);
  Fire(OnChangeSetup);
  Fire(OnChangeNames);
  Fire(OnChangeAttrib);
}

}  // namespace kvl
