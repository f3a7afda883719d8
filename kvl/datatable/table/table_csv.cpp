// TDataTable: the CSV form (RFC 4180 with the delimiters of TCSVDelimiters).

#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "kvl/base/KVL_stringl.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/datatable/table/internal/tabletext_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

constexpr std::string_view kRowAttribHeader = "(row attribute)";

char DelimiterChar(TCSVDelimiters d) noexcept {
  switch (d) {
    case TCSVDelimiters::csvSemicolon: return ';';
    case TCSVDelimiters::csvTab: return '\t';
    case TCSVDelimiters::csvBlank: return ' ';
    default: return ',';
  }
}

// AppendField: Text as one field, quoted (quotes doubled) when it holds the
// delimiter, a quote or a line break, or starts or ends with a blank.
void AppendField(std::string& Out, std::string_view Text, char Delim) {
  const bool quote = Text.find_first_of(std::string{Delim, '"', '\n', '\r'}) != std::string_view::npos ||
                     (!Text.empty() && (Text.front() == ' ' || Text.back() == ' '));
  if (!quote) {
    Out += Text;
    return;
  }
  Out += '"';
  for (const char c : Text) {
    if (c == '"') Out += '"';
    Out += c;
  }
  Out += '"';
}

// TField: a field of the text: its raw bytes and whether it was quoted.
struct TField {
  std::uint32_t Start = 0;
  std::uint32_t Length = 0;
  bool Quoted = false;
};

// Unquote: the text of a field (quoted fields lose their quotes and have
// their doubled quotes halved).
std::string Unquote(std::string_view Text, const TField& f) {
  std::string_view raw = Text.substr(f.Start, f.Length);
  if (!f.Quoted) return std::string(raw);
  raw = raw.substr(1, raw.size() - 2);
  std::string s;
  s.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    s += raw[i];
    if (raw[i] == '"') ++i;  // the second of a doubled quote
  }
  return s;
}

// Tokenize: the records of Text as runs of fields; -2 for a quoted field
// that is not closed or is followed by other characters.
std::int32_t Tokenize(std::string_view Text, char Delim, std::vector<TField>& Fields,
                      std::vector<std::uint32_t>& RecordStart) {
  std::size_t i = 0;
  const std::size_t n = Text.size();
  if (n >= 3 && Text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;  // byte order mark
  while (i < n) {
    RecordStart.push_back(static_cast<std::uint32_t>(Fields.size()));
    while (true) {
      TField f;
      f.Start = static_cast<std::uint32_t>(i);
      if (i < n && Text[i] == '"') {
        f.Quoted = true;
        ++i;
        while (true) {
          const std::size_t q = Text.find('"', i);
          if (q == std::string_view::npos) return -2;
          i = q + 1;
          if (i < n && Text[i] == '"') {
            ++i;
            continue;
          }
          break;
        }
        if (i < n && Text[i] != Delim && Text[i] != '\n' && Text[i] != '\r') return -2;
      } else {
        while (i < n && Text[i] != Delim && Text[i] != '\n' && Text[i] != '\r') ++i;
      }
      f.Length = static_cast<std::uint32_t>(i - f.Start);
      Fields.push_back(f);
      if (i < n && Text[i] == Delim) {
        ++i;
        continue;
      }
      if (i < n && Text[i] == '\r') ++i;
      if (i < n && Text[i] == '\n') ++i;
      break;
    }
  }
  RecordStart.push_back(static_cast<std::uint32_t>(Fields.size()));
  return 0;
}

}  // namespace

// --- writing -------------------------------------------------------------------------------------

std::string TDataTable::ExportAsCSV(std::ostream& TFile, std::int32_t Precision, TCSVDelimiters Delimiter,
                                    bool IncludeColHeaders, bool IncludeRowHeaders, bool IncludeRowAttributes,
                                    bool IncludeComment) {
  const char delim = DelimiterChar(Delimiter);
  {
    TLineWriter writer(TFile, OnExportText, this, "\r\n");
    std::string& line = writer.Line;
    auto emit = [&] { writer.Emit(); };
    if (IncludeComment) {
      AppendField(line, FComment, delim);
      emit();
    }
    bool first = true;
    auto sep = [&] {
      if (!first) line += delim;
      first = false;
    };
    if (IncludeColHeaders) {
      if (IncludeRowHeaders) sep();
      if (IncludeRowAttributes) {
        sep();
        AppendField(line, kRowAttribHeader, delim);
      }
      for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
        sep();
        AppendField(line, FColName[Ix(c)], delim);
      }
      emit();
    }
    const TColumns<double> cells = Cells();
    TProgress progress([this](double p) { FireEvent(OnPercentDone, p); }, FNrOfRows);
    for (std::int32_t r = 1; r <= FNrOfRows; ++r) {
      first = true;
      if (IncludeRowHeaders) {
        sep();
        AppendField(line, FRowName[Ix(r)], delim);
      }
      if (IncludeRowAttributes) {
        sep();
        line += std::to_string(FRowAtt[Ix(r)]);
      }
      for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
        sep();
        if ((FCState[StOff(c, r)] & 3) != 0) continue;  // not a number: an empty field
        if (IsCategorial(FVType[Ix(c)].MScaleType)) {
          // the identifier; a code without one as its number
          const TNominalIDStr id = ElemNominal(c, r);
          if (id.empty())
            AppendNumber(line, Elem(c, r), Precision);
          else
            AppendField(line, id, delim);
        } else
          AppendNumber(line, cells.At(c, r), Precision);
      }
      emit();
      progress.Step(r);
    }
  }
  return TFile ? std::string() : std::string("the text could not be written");
}

std::string TDataTable::ExportAsCSV(const std::string& FName, std::int32_t Precision, TCSVDelimiters Delimiter,
                                    bool IncludeColHeaders, bool IncludeRowHeaders, bool IncludeRowAttributes,
                                    bool IncludeComment) {
  std::ofstream file(FName, std::ios::binary | std::ios::trunc);
  if (!file) return "cannot create file \"" + FName + "\"";
  std::string res = ExportAsCSV(file, Precision, Delimiter, IncludeColHeaders, IncludeRowHeaders,
                                IncludeRowAttributes, IncludeComment);
  file.close();
  if (res.empty() && !file) res = "the text could not be written";
  return res;
}

// --- reading -------------------------------------------------------------------------------------

std::int32_t TDataTable::ImportFromCSV(std::istream& TFile, TCSVDelimiters Delimiter, std::int32_t NLinesSkip,
                                       std::int32_t LastImportLine, bool IncludeColHeaders,
                                       bool IncludeRowHeaders) {
  const std::string text((std::istreambuf_iterator<char>(TFile)), std::istreambuf_iterator<char>());
  if (text.size() >= 0xFFFFFFFFu) return -4;
  std::vector<TField> fields;
  std::vector<std::uint32_t> rec;
  if (const std::int32_t st = Tokenize(text, DelimiterChar(Delimiter), fields, rec)) return st;
  std::size_t nRec = rec.size() - 1;
  // A last record that is one empty field is the end of the text, not a row.
  if (nRec > 0 && rec[nRec] - rec[nRec - 1] == 1 && fields[rec[nRec - 1]].Length == 0) --nRec;
  std::size_t first = static_cast<std::size_t>(std::max(NLinesSkip, 0));
  std::size_t last = LastImportLine > 0 ? std::min<std::size_t>(nRec, static_cast<std::size_t>(LastImportLine)) : nRec;
  if (first >= last) return -3;
  auto fieldCount = [&](std::size_t r) { return static_cast<std::size_t>(rec[r + 1] - rec[r]); };
  auto field = [&](std::size_t r, std::size_t k) -> const TField* {
    return k < fieldCount(r) ? &fields[rec[r] + k] : nullptr;
  };
  const std::size_t lead0 = IncludeRowHeaders ? 1 : 0;
  bool withAttrib = false;
  if (IncludeColHeaders && IncludeRowHeaders) {
    const TField* f = field(first, 1);
    withAttrib = f != nullptr && Unquote(text, *f) == kRowAttribHeader;
  }
  const std::size_t lead = lead0 + (withAttrib ? 1 : 0);
  std::size_t width = 0;
  for (std::size_t r = first; r < last; ++r) width = std::max(width, fieldCount(r));
  const std::size_t cols = width > lead ? width - lead : 0;
  const std::size_t headerRec = IncludeColHeaders ? first++ : nRec;
  const std::size_t rows = last - first;
  if (cols > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
      rows > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return -4;
  TDataTable fresh(nullptr);
  fresh.Resize(static_cast<std::int32_t>(cols), static_cast<std::int32_t>(rows));
  if (headerRec < nRec)
    for (std::size_t c = 0; c < cols; ++c)
      if (const TField* f = field(headerRec, lead + c))
        fresh.FColName[c] = std::string(CutToBytes(Unquote(text, *f), DTNameLength));
  const TColumns<double> cells = fresh.Cells();
  std::vector<bool> textual(cols, false);
  TProgress progress([this](double p) { FireEvent(OnPercentDone, p); }, static_cast<std::int64_t>(rows));
  for (std::size_t i = 0; i < rows; ++i) {
    const std::size_t r = first + i;
    if (IncludeRowHeaders)
      if (const TField* f = field(r, 0)) fresh.FRowName[i] = std::string(CutToBytes(Unquote(text, *f), DTNameLength));
    if (withAttrib)
      if (const TField* f = field(r, 1)) {
        std::int32_t a = 0;
        if (ParseInt(Unquote(text, *f), a)) fresh.FRowAtt[i] = a;
      }
    for (std::size_t c = 0; c < cols; ++c) {
      std::uint8_t& st = fresh.FCState[c * rows + i];
      const TField* f = field(r, lead + c);
      double x = 0.0;
      if (f == nullptr || f->Length == 0 || (f->Quoted && f->Length == 2)) {
        st = 2;  // empty
      } else if (!f->Quoted && ParseNumber(std::string_view(text).substr(f->Start, f->Length), x)) {
        cells.Column(c)[i] = x;
      } else if (f->Quoted && ParseNumber(Unquote(text, *f), x)) {
        cells.Column(c)[i] = x;
      } else {
        st = 1;  // not a number; settled below
        textual[c] = true;
      }
    }
    progress.Step(static_cast<std::int64_t>(i + 1));
  }
  // A column with text becomes nominal, its identifiers in the order they
  // first occur, when they fit in the 151 slots; otherwise its text cells
  // stay "not a number" (state 1, value 0).
  for (std::size_t c = 0; c < cols; ++c) {
    if (!textual[c]) continue;
    std::unordered_map<std::string, std::int32_t> slots;
    std::vector<std::string> order;
    std::vector<std::int32_t> code(rows, -1);
    bool fits = true;
    for (std::size_t i = 0; i < rows && fits; ++i) {
      if (fresh.FCState[c * rows + i] == 2) continue;
      std::string id(CutToBytes(Unquote(text, *field(first + i, lead + c)), NominalIDLength));
      std::string key = id;
      std::ranges::transform(key, key.begin(), FoldASCII);
      auto [it, added] = slots.try_emplace(key, static_cast<std::int32_t>(order.size()));
      if (added) {
        if (order.size() == static_cast<std::size_t>(NrOfNominalSlots)) fits = false;
        order.push_back(id);
      }
      code[i] = it->second;
    }
    if (!fits) continue;
    TVTypeSpec& vtype = fresh.FVType[c];
    vtype.MScaleType = TMScaleType::stNominal;
    for (std::size_t k = 0; k < order.size(); ++k) vtype.IDs.Set(k, order[k]);
    for (std::size_t i = 0; i < rows; ++i)
      if (code[i] >= 0) {
        cells.Column(c)[i] = code[i];
        fresh.FCState[c * rows + i] = 0;
      }
  }
  LoadFrom(fresh);
  return static_cast<std::int32_t>(rows);
}

std::int32_t TDataTable::ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter, std::int32_t NLinesSkip,
                                       std::int32_t LastImportLine, bool IncludeColHeaders,
                                       bool IncludeRowHeaders) {
  std::ifstream file(FName, std::ios::binary);
  if (!file) return -1;
  return ImportFromCSV(file, Delimiter, NLinesSkip, LastImportLine, IncludeColHeaders, IncludeRowHeaders);
}

}  // namespace kvl
