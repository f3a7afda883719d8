#include "table.h"

#include <fstream>
#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>

#include "args.h"
#include "input.h"
#include "kvl/datatable/KVL_datatable.h"

namespace kvl::tool {

namespace {

enum class TForm { XML, CSV, ASC };

struct TFormName {
  std::string_view Name;
  TForm Form;
};
constexpr TFormName kForms[] = {{"xml", TForm::XML}, {"csv", TForm::CSV}, {"asc", TForm::ASC}};

struct TDelimiterName {
  std::string_view Name;
  TCSVDelimiters Delimiter;
};
constexpr TDelimiterName kDelimiters[] = {{"comma", TCSVDelimiters::csvComma},
                                          {"semicolon", TCSVDelimiters::csvSemicolon},
                                          {"tab", TCSVDelimiters::csvTab},
                                          {"blank", TCSVDelimiters::csvBlank}};

struct TOptions {
  std::string File;
  const TFormName* From = nullptr;
  const TFormName* To = nullptr;
  bool Info = false;
  std::optional<std::string> Out;
  const TDelimiterName* Delimiter = &kDelimiters[0];
  std::int32_t Precision = 17;
};

// Guess: the form of a text: XML when it starts with '<', ASC when its
// second line starts with a count, CSV otherwise.
TForm Guess(const std::string& Text) {
  std::size_t i = Text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < Text.size() && (Text[i] == ' ' || Text[i] == '\t' || Text[i] == '\r' || Text[i] == '\n')) ++i;
  if (i < Text.size() && Text[i] == '<') return TForm::XML;
  const std::size_t nl = Text.find('\n');
  if (nl != std::string::npos) {
    std::size_t j = nl + 1;
    while (j < Text.size() && Text[j] >= '0' && Text[j] <= '9') ++j;
    if (j > nl + 1 && j < Text.size() && (Text[j] == '\t' || Text[j] == ' ' || Text[j] == ';'))
      return TForm::ASC;
  }
  return TForm::CSV;
}

// Load: the table from Text in Form; an error text or "".
std::string Load(TDataTable& T, const std::string& Text, TForm Form, TCSVDelimiters Delimiter) {
  switch (Form) {
    case TForm::XML: {
      std::int32_t start = 1;
      return T.ReadFromXMLString(Text, start, "") ? "" : "not a readable XML data table";
    }
    case TForm::ASC: {
      TMemoryStream s;
      s.WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
      s.SetPosition(0);
      const std::int32_t st = T.ImportASC(s);
      return st == 0 ? "" : "not a readable ASC data table (status " + std::to_string(st) + ")";
    }
    case TForm::CSV: {
      std::istringstream in(Text);
      // row names when the first header field is empty (as the library writes them)
      const bool rowHeaders = !Text.empty() && (Text[0] == ',' || Text[0] == ';' || Text[0] == '\t' ||
                                                (Text[0] == ' ' && Delimiter == TCSVDelimiters::csvBlank));
      const std::int32_t st = T.ImportFromCSV(in, Delimiter, 0, 0, true, rowHeaders);
      return st >= 0 ? "" : "not a readable CSV table (status " + std::to_string(st) + ")";
    }
  }
  return "unknown form";
}

void Store(TDataTable& T, std::ostream& Out, TForm Form, const TOptions& O) {
  switch (Form) {
    case TForm::XML:
      T.WriteToOpenXMLFile(Out, true, O.Precision, "");
      break;
    case TForm::ASC:
      T.ExportAsASC(Out, O.Precision);
      break;
    case TForm::CSV:
      T.ExportAsCSV(Out, O.Precision, O.Delimiter->Delimiter, true, true);
      break;
  }
}

void Info(TDataTable& T, std::ostream& Out) {
  Out << "columns: " << T.NrOfColumns() << "\nrows: " << T.NrOfRows() << '\n';
  if (!T.Comment().empty()) Out << "comment: " << T.Comment() << '\n';
  Out << std::left << std::setw(8) << "column" << std::setw(20) << "name" << ' ' << std::setw(10) << "scale"
      << std::right << std::setw(7) << "numbers" << std::setw(7) << "empty"
      << "  " << std::left << std::setw(16) << "min" << std::setw(16) << "mean"
      << "max" << std::right << '\n';
  for (std::int32_t c = 1; c <= T.NrOfColumns(); ++c) {
    const TMScaleType st = T.MScaleType(c);
    Out << std::left << std::setw(8) << c << std::setw(20) << T.ColName(c) << ' ' << std::setw(10)
        << MScaleTypeNames[static_cast<std::size_t>(st)] << std::right << std::setw(7)
        << T.CountValidCells(c, 0, c, 0) << std::setw(7) << T.CountEmptyCells(c, 0, c, 0);
    if (st == TMScaleType::stNominal || st == TMScaleType::stOrdinal) {
      Out << "  " << T.CountNominalIDs(c) << " identifiers\n";
      continue;
    }
    double lo = 0, hi = 0, mean = 0, var = 0;
    if (T.MinMaxOfNumCells(c, 0, c, 0, lo, hi) == 0) {
      Out << "  -\n";
      continue;
    }
    T.MeanVarOfNumCells(c, 0, c, 0, mean, var);
    Out << std::setprecision(8) << "  " << std::left << std::setw(16) << lo << std::setw(16) << mean << hi
        << std::right << '\n';
  }
}

}  // namespace

std::string TableHelp() {
  return "usage: kvl table FILE --to csv|xml|asc [--out FILE] [options]\n"
         "       kvl table FILE --info\n"
         "\n"
         "Converts a data table between its three text forms, or prints its size,\n"
         "comment and per column name, scale type, counts of numbers and empty\n"
         "cells, and minimum, mean and maximum (identifier count for nominal and\n"
         "ordinal columns). The form of FILE is recognised from its text (XML starts\n"
         "with '<', ASC has a count on its second line, anything else is CSV with\n"
         "column names; row names when the first name is empty). A FILE of - is\n"
         "standard input.\n"
         "\n"
         "options:\n"
         "  --to FORM          write the table in FORM: csv, xml or asc\n"
         "  --out FILE         write to FILE instead of standard output\n"
         "  --info             print the summary\n"
         "  --from FORM        read FILE as FORM instead of recognising it\n"
         "  --delimiter NAME   CSV field separator: comma (default), semicolon, tab, blank\n"
         "  --precision N      significant digits of the values (default 17: exact)\n"
         "  -h, --help         this text\n";
}

int RunTable(std::span<const std::string> Args, const TStreams& IO) {
  TOptions o;
  TArgParser args("table", IO, TableHelp);
  args.Positional("FILE", o.File)
      .Choice("--to", kForms, &TFormName::Name, o.To, "form")
      .Choice("--from", kForms, &TFormName::Name, o.From, "form")
      .Flag("--info", o.Info)
      .Text("--out", o.Out)
      .Choice("--delimiter", kDelimiters, &TDelimiterName::Name, o.Delimiter)
      .Number("--precision", o.Precision, 1, 17);
  if (const auto code = args.Parse(Args)) return *code;
  if (o.Info == (o.To != nullptr)) return args.Usage("give either --to FORM or --info");
  if (o.Info && o.Out) return args.Usage("--out goes with --to");

  TInput in(o.File, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  const std::string text = in.ReadAll();
  TDataTable t;
  if (const std::string err = Load(t, text, o.From ? o.From->Form : Guess(text), o.Delimiter->Delimiter);
      !err.empty())
    return in.Fail(err);
  if (o.Info) {
    Info(t, IO.Out);
    return kExitOK;
  }
  if (!o.Out) {
    Store(t, IO.Out, o.To->Form, o);
    return kExitOK;
  }
  std::ofstream out(*o.Out, std::ios::binary | std::ios::trunc);
  if (out) Store(t, out, o.To->Form, o);
  out.close();
  if (!out) return BadInput(IO, *o.Out, "the file cannot be written");
  return kExitOK;
}

}  // namespace kvl::tool
