// TDataTable: the ASC form: the common ASC header and data rows, followed
// by the table's own blocks (see docs/datatable.md):
//
//   comment                                  title line (the comment as it is)
//   3\t;nr. of columns
//   2\t;nr. of rows
//   TRUE TRUE TRUE TRUE\t;row attributes, column names, row names, nominal variables
//   "C-1" "C-2" "C-3"
//   0 "R-1" 1.5 NAN 2
//   7 "R-2" 0 1 2
//   [colattrib] 0 0 4
//   [scaletypes] 3 3 1
//   [nominalids] 2
//   3 0 "red"
//   3 1 "green"
//   [cellstates] 1
//   2 1 2
//   [custdata] 1
//   2 "word" "another"
//
// A cell that is not a number and holds 0 is written NAN (so other readers
// of ASC text see a missing value); [cellstates] lists every state that is
// not 0 as column, row, state.

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_stringl.h"
#include "kvl/containers/asc_format.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/datatable/table/internal/tabletext_internal.h"
#include "kvl/runtime/clipboard.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

/// Statuses of the table's ASC readers beyond those of the ASC text.
constexpr std::int32_t kASCBadPosition = -9;  // PosX or PosY below 1
constexpr std::int32_t kASCBadBlock = -10;    // a table block is malformed

// AppendQuoted: Text in double quotes; quotes inside become apostrophes and
// line breaks blanks, the only changes a name suffers in this form.
void AppendQuoted(std::string& Out, std::string_view Text) {
  Out += '"';
  for (const char c : Text) Out += c == '"' ? '\'' : (c == '\n' || c == '\r') ? ' ' : c;
  Out += '"';
}

// TASCIn: the words of an ASC text after its header.
class TASCIn {
 public:
  explicit TASCIn(std::istream& In) : FWords(In) {}
  bool Word(std::string_view& w) { return FWords.NextWord(w); }
  bool Int(std::int32_t& v) {
    std::string_view w;
    return FWords.NextWord(w) && ParseInt(w, v);
  }
  // Value: a data word; "NAN" and "###" are missing values (0), another
  // spelling of NaN a missing value that keeps NaN.
  bool Value(double& v, bool& Missing) {
    std::string_view w;
    if (!FWords.NextWord(w)) return false;
    Missing = w == "NAN" || w == "###";
    if (Missing) {
      v = 0.0;
      return true;
    }
    if (!ParseNumber(w, v)) return false;
    Missing = v != v;
    return true;
  }
  // Quoted: the next name in double quotes.
  bool Quoted(std::string& Name) {
    Name.clear();
    int c;
    while ((c = FWords.Get()) >= 0 && c != '"')
      if (!IsWhiteChar(c)) return false;
    if (c < 0) return false;
    while ((c = FWords.Get()) >= 0 && c != '"') Name += static_cast<char>(c);
    return c == '"';
  }

 private:
  TWordReader FWords;
};

}  // namespace

// --- writing -------------------------------------------------------------------------------------

std::string TDataTable::ExportAsASC(std::ostream& TFile, std::int32_t Precision) {
  const bool nominal = std::ranges::any_of(FVType, [](const TVTypeSpec& t) { return IsCategorial(t.MScaleType); });
  const bool flags[4] = {true, true, true, nominal};
  WriteASCHeader(TFile, FComment, FNrOfCols, FNrOfRows, flags);
  {
    TLineWriter writer(TFile, OnExportText, this, "\n");
    std::string& line = writer.Line;
    auto emit = [&] { writer.Emit(); };
    for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
      if (c > 1) line += ' ';
      AppendQuoted(line, FColName[Ix(c)]);
    }
    emit();
    const TColumns<double> cells = Cells();
    TProgress progress([this](double p) { FireEvent(OnPercentDone, p); }, FNrOfRows);
    for (std::int32_t r = 1; r <= FNrOfRows; ++r) {
      line += std::to_string(FRowAtt[Ix(r)]);
      line += ' ';
      AppendQuoted(line, FRowName[Ix(r)]);
      for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
        line += ' ';
        const double x = cells.At(c, r);
        if ((FCState[StOff(c, r)] & 3) != 0 && x == 0.0)
          line += "NAN";
        else
          AppendNumber(line, x, Precision);
      }
      emit();
      progress.Step(r);
    }
    line = "[colattrib]";
    for (const std::int32_t a : FColAtt) (line += ' ') += std::to_string(a);
    emit();
    line = "[scaletypes]";
    for (const TVTypeSpec& t : FVType) (line += ' ') += std::to_string(static_cast<int>(t.MScaleType));
    emit();
    std::size_t nIDs = 0;
    for (const TVTypeSpec& t : FVType) nIDs += static_cast<std::size_t>(std::ranges::count_if(t.IDs, [](const std::string& s) { return !s.empty(); }));
    line = "[nominalids] " + std::to_string(nIDs);
    emit();
    for (std::int32_t c = 1; c <= FNrOfCols; ++c)
      for (std::size_t k = 0; k < TNominalIDs::size(); ++k)
        if (!FVType[Ix(c)].IDs[k].empty()) {
          line = std::to_string(c) + ' ' + std::to_string(k) + ' ';
          AppendQuoted(line, FVType[Ix(c)].IDs[k]);
          emit();
        }
    const auto nStates = static_cast<std::size_t>(std::ranges::count_if(FCState, [](std::uint8_t s) { return s != 0; }));
    line = "[cellstates] " + std::to_string(nStates);
    emit();
    for (std::int32_t c = 1; c <= FNrOfCols; ++c)
      for (std::int32_t r = 1; r <= FNrOfRows; ++r)
        if (const std::uint8_t s = FCState[StOff(c, r)]; s != 0) {
          line = std::to_string(c) + ' ' + std::to_string(r) + ' ' + std::to_string(s);
          emit();
        }
  }
  return TFile ? std::string() : std::string("the text could not be written");
}

std::string TDataTable::ExportAsASC(TStream& OutStream, std::int32_t Precision) {
  std::ostringstream text;
  std::string res = ExportAsASC(text, Precision);
  const std::string s = std::move(text).str();
  OutStream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
  return res;
}

std::string TDataTable::ExportAsASC(const std::string& FName, std::int32_t Precision, const TStr2DArray* CustData) {
  std::ofstream file(FName, std::ios::binary | std::ios::trunc);
  if (!file) return "cannot create file \"" + FName + "\"";
  std::string res = ExportAsASC(file, Precision);
  if (CustData != nullptr && !CustData->empty()) {
    std::string block = "[custdata] " + std::to_string(CustData->size()) + '\n';
    for (const auto& words : *CustData) {
      block += std::to_string(words.size());
      for (const std::string& w : words) AppendQuoted(block += ' ', w);
      block += '\n';
    }
    file << block;
  }
  file.close();
  if (res.empty() && !file) res = "the text could not be written";
  return res;
}

// --- reading -------------------------------------------------------------------------------------

std::int32_t TDataTable::ReadASCInto(std::istream& In, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs,
                                     bool Replace, TStr2DArray* CustData) {
  if (PosX < 1 || PosY < 1) return kASCBadPosition;
  TASCHeader h;
  if (const std::int32_t st = ReadHeaderOfASC(In, h.Comment, h.NrColumns, h.NrRows, h.RowAttribs, h.ColNames,
                                              h.RowNames, h.NomVars))
    return st;
  TDataTable f(nullptr);
  f.Resize(h.NrColumns, h.NrRows);
  f.FComment = RemoveControlChars(h.Comment);
  TASCIn in(In);
  std::string name;
  if (h.ColNames)
    for (std::int32_t c = 1; c <= h.NrColumns; ++c) {
      if (!in.Quoted(name)) return kASCBadValue;
      f.FColName[Ix(c)] = std::string(CutToBytes(name, DTNameLength));
    }
  const TColumns<double> cells = f.Cells();
  TProgress progress([this](double p) { FireEvent(OnPercentDone, p); }, h.NrRows);
  for (std::int32_t r = 1; r <= h.NrRows; ++r) {
    if (h.RowAttribs) {
      double a = 0.0;
      bool missing = false;
      if (!in.Value(a, missing) || missing) return kASCBadRowAttribute;
      f.FRowAtt[Ix(r)] = ToInteger(a);
    }
    if (h.RowNames) {
      if (!in.Quoted(name)) return kASCBadValue;
      f.FRowName[Ix(r)] = std::string(CutToBytes(name, DTNameLength));
    }
    for (std::int32_t c = 1; c <= h.NrColumns; ++c) {
      double x = 0.0;
      bool missing = false;
      if (!in.Value(x, missing)) return kASCBadValue;
      cells.At(c, r) = x;
      if (missing) f.FCState[f.StOff(c, r)] = 2;  // empty
    }
    progress.Step(r);
  }
  // The table's blocks, each optional; anything else ends the reading.
  std::string_view w;
  while (in.Word(w)) {
    if (w == "[colattrib]") {
      for (std::int32_t& a : f.FColAtt)
        if (!in.Int(a)) return kASCBadBlock;
    } else if (w == "[scaletypes]") {
      for (TVTypeSpec& t : f.FVType) {
        std::int32_t v = 0;
        if (!in.Int(v) || v < 0 || v > static_cast<std::int32_t>(TMScaleType::stRatio)) return kASCBadBlock;
        t.MScaleType = static_cast<TMScaleType>(v);
      }
    } else if (w == "[nominalids]") {
      std::int32_t n = 0;
      if (!in.Int(n) || n < 0) return kASCBadBlock;
      for (std::int32_t i = 0; i < n; ++i) {
        std::int32_t c = 0, k = 0;
        if (!in.Int(c) || !in.Int(k) || !in.Quoted(name) || !f.ValidCol(c) || k < 0 || k >= NrOfNominalSlots)
          return kASCBadBlock;
        f.FVType[Ix(c)].IDs.Set(static_cast<std::size_t>(k), name);
      }
    } else if (w == "[cellstates]") {
      std::int32_t n = 0;
      if (!in.Int(n) || n < 0) return kASCBadBlock;
      std::fill(f.FCState.begin(), f.FCState.end(), std::uint8_t{0});
      for (std::int32_t i = 0; i < n; ++i) {
        std::int32_t c = 0, r = 0, s = 0;
        if (!in.Int(c) || !in.Int(r) || !in.Int(s) || !f.InTable(c, r) || s < 0 || s > 255) return kASCBadBlock;
        f.FCState[f.StOff(c, r)] = static_cast<std::uint8_t>(s);
      }
    } else if (w == "[custdata]") {
      std::int32_t n = 0;
      if (!in.Int(n) || n < 0) return kASCBadBlock;
      TStr2DArray data;
      for (std::int32_t i = 0; i < n; ++i) {
        std::int32_t k = 0;
        if (!in.Int(k) || k < 0) return kASCBadBlock;
        std::vector<std::string> words;
        for (std::int32_t j = 0; j < k; ++j) {
          if (!in.Quoted(name)) return kASCBadBlock;
          words.push_back(name);
        }
        data.push_back(std::move(words));
      }
      if (CustData != nullptr) *CustData = std::move(data);
    } else {
      break;
    }
  }
  if (Replace) {
    LoadFrom(f);
    return 0;
  }
  // Into this table at (PosX, PosY): grow as needed, then copy the block.
  const std::int64_t needCols = std::int64_t{PosX} - 1 + f.FNrOfCols;
  const std::int64_t needRows = std::int64_t{PosY} - 1 + f.FNrOfRows;
  if (needCols > std::numeric_limits<std::int32_t>::max() || needRows > std::numeric_limits<std::int32_t>::max())
    return kASCBadPosition;
  Resize(std::max<std::int32_t>(FNrOfCols, static_cast<std::int32_t>(needCols)),
         std::max<std::int32_t>(FNrOfRows, static_cast<std::int32_t>(needRows)));
  const TColumns<double> dst = Cells();
  const TColumns<double> srcCells = f.Cells();
  for (std::int32_t c = 1; c <= f.FNrOfCols; ++c) {
    const std::int32_t dc = PosX + c - 1;
    const TVTypeSpec& src = f.FVType[Ix(c)];
    TVTypeSpec& type = FVType[Ix(dc)];
    if (h.ColNames) FColName[Ix(dc)] = f.FColName[Ix(c)];
    FColAtt[Ix(dc)] = f.FColAtt[Ix(c)];
    // code map of a nominal column: file slot -> slot of this column
    std::vector<std::int32_t> map;
    if (IsCategorial(src.MScaleType)) {
      if (ReplaceIDs || !IsCategorial(type.MScaleType)) {
        type = src;
      } else {
        map.resize(NrOfNominalSlots);
        for (std::int32_t k = 0; k < NrOfNominalSlots; ++k) {
          map[static_cast<std::size_t>(k)] = k;
          const std::string& id = src.IDs[static_cast<std::size_t>(k)];
          if (id.empty()) continue;
          std::int32_t slot = FindSlot(dc, id);
          if (slot < 0 && (slot = FreeSlot(dc)) >= 0) type.IDs.Set(static_cast<std::size_t>(slot), id);
          if (slot >= 0) map[static_cast<std::size_t>(k)] = slot;
        }
      }
    } else {
      type.MScaleType = src.MScaleType;
    }
    for (std::int32_t r = 1; r <= f.FNrOfRows; ++r) {
      const std::int32_t dr = PosY + r - 1;
      double x = srcCells.At(c, r);
      if (!map.empty()) {
        const double code = RoundEven(x);
        if (code >= 0 && code <= 150) x = map[static_cast<std::size_t>(code)];
      }
      dst.At(dc, dr) = x;
      FCState[StOff(dc, dr)] = f.FCState[f.StOff(c, r)];
    }
  }
  for (std::int32_t r = 1; r <= f.FNrOfRows; ++r) {
    if (h.RowNames) FRowName[Ix(PosY + r - 1)] = f.FRowName[Ix(r)];
    if (h.RowAttribs) FRowAtt[Ix(PosY + r - 1)] = f.FRowAtt[Ix(r)];
  }
  Fire(OnChange);
  Fire(OnChangeCellState);
  Fire(OnChangeSetup);
  Fire(OnChangeNames);
  Fire(OnChangeAttrib);
  return 0;
}

std::int32_t TDataTable::ImportASC(const std::string& FName, TStr2DArray* CustData) {
  std::ifstream file;
  if (const std::int32_t st = OpenASCFile(FName, file)) return st;
  return ReadASCInto(file, 1, 1, true, true, CustData);
}

std::int32_t TDataTable::ImportASC(TStream& InStream) {
  const std::int64_t left = std::max<std::int64_t>(0, InStream.Size() - InStream.Position());
  std::string text(static_cast<std::size_t>(left), '\0');
  text.resize(static_cast<std::size_t>(InStream.Read(text.data(), left)));
  std::istringstream in(std::move(text));
  return ReadASCInto(in, 1, 1, true, true, nullptr);
}

std::int32_t TDataTable::ImportASC(TClipboard& ClipBd) {
  std::istringstream in(ClipBd.AsText());
  return ReadASCInto(in, 1, 1, true, true, nullptr);
}

std::int32_t TDataTable::ReadFromASC(const std::string& FName, std::int32_t PosX, std::int32_t PosY,
                                     bool ReplaceIDs) {
  std::ifstream file;
  if (const std::int32_t st = OpenASCFile(FName, file)) return st;
  return ReadASCInto(file, PosX, PosY, ReplaceIDs, false, nullptr);
}

std::int32_t TDataTable::ReadFromASC(TStream& InStream, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs) {
  const std::int64_t left = std::max<std::int64_t>(0, InStream.Size() - InStream.Position());
  std::string text(static_cast<std::size_t>(left), '\0');
  text.resize(static_cast<std::size_t>(InStream.Read(text.data(), left)));
  std::istringstream in(std::move(text));
  return ReadASCInto(in, PosX, PosY, ReplaceIDs, false, nullptr);
}

std::int32_t TDataTable::ReadFromASC(TClipboard& ClipBd, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs) {
  std::istringstream in(ClipBd.AsText());
  return ReadASCInto(in, PosX, PosY, ReplaceIDs, false, nullptr);
}

}  // namespace kvl
