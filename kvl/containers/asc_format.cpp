#include "kvl/containers/asc_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_stringl.h"

namespace kvl {

// --- statuses ------------------------------------------------------------------

std::string ASCStatusText(std::int32_t Status) {
  switch (Status) {
    case 0: return "success";
    case kASCBadRowAttribute: return "a row attribute could not be read";
    case kASCBadValue: return "a value could not be read or converted";
    case kASCWrongColumns: return "the file does not hold exactly one column";
    case kASCFileNotFound: return "the file does not exist";
    case kASCCannotOpen: return "the file cannot be opened";
    case -12: return "the header has no column-count line";
    case -13: return "the header has no row-count line";
    case -14: return "the header has no flag line";
    case -15: return "the column count is not a whole number";
    case -16: return "the column count is negative";
    case -17: return "the row count is not a whole number";
    case -18: return "the row count is negative";
    case -19: return "the column or row count is too large for the file";
    case -20: return "the flag line does not hold three or four TRUE/FALSE flags";
    default: return "unknown ASC status " + std::to_string(Status);
  }
}

// --- writing -------------------------------------------------------------------

std::string ASCTitle(std::string_view Comment, std::string_view ClassName, std::string_view FName) {
  if (Comment.empty()) {
    std::string title = "Exported by KVL ";
    title.append(ClassName).append(" component: ").append(FName);
    return title;
  }
  std::string title(Comment);
  std::ranges::replace_if(title, [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return title;
}

void WriteASCHeader(std::ostream& Out, std::string_view Title, std::int32_t NrColumns, std::int32_t NrRows,
                    std::span<const bool> Flags) {
  static constexpr std::string_view flagNames[] = {"row attributes", "column names", "row names",
                                                   "nominal variables"};
  Out << Title << '\n' << NrColumns << "\t;nr. of columns\n" << NrRows << "\t;nr. of rows\n";
  const std::size_t n = std::min(Flags.size(), std::size(flagNames));
  for (std::size_t i = 0; i < n; ++i) Out << (i ? " " : "") << (Flags[i] ? "TRUE" : "FALSE");
  Out << "\t;";
  for (std::size_t i = 0; i < n; ++i) Out << (i ? ", " : "") << flagNames[i];
  Out << '\n';
}

// --- values ----------------------------------------------------------------------

namespace {

// A number whose conversion left the Double range: tiny when its exponent is
// negative or, without exponent, when no digit before the point is non-zero.
bool IsUnderflow(std::string_view Word) noexcept {
  const std::size_t e = Word.find_first_of("eE");
  if (e != std::string_view::npos) return e + 1 < Word.size() && Word[e + 1] == '-';
  const std::string_view intPart = Word.substr(0, Word.find('.'));
  return intPart.find_first_of("123456789") == std::string_view::npos;
}

}  // namespace

bool ParseReal(std::string_view Word, double& Value) noexcept {
  if (!Word.empty() && Word.front() == '+') {
    Word.remove_prefix(1);
    if (!Word.empty() && (Word.front() == '-' || Word.front() == '+')) return false;
  }
  if (Word.empty()) return false;
  double v = 0.0;
  const auto [ptr, ec] = std::from_chars(Word.data(), Word.data() + Word.size(), v);
  if (ptr != Word.data() + Word.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    if (!IsUnderflow(Word)) return false;
    v = Word.front() == '-' ? -0.0 : 0.0;
  } else if (ec != std::errc()) {
    return false;
  }
  Value = v;
  return true;
}

bool ConvertASCWord(std::string_view Word, double& Value, bool& Missing) noexcept {
  // Every spelling of NaN, "NAN" as the writers spell it among them, is a
  // missing value, so one conversion tells a number from a missing value.
  double v = 0.0;
  if (Word == ASCMissingWords[1]) {
    v = std::numeric_limits<double>::quiet_NaN();
  } else if (!ParseReal(Word, v)) {
    return false;
  }
  Missing = std::isnan(v);
  Value = Missing ? 0.0 : v;
  return true;
}

bool IsASCMissingValue(std::string_view Word) noexcept {
  double v = 0.0;
  bool missing = false;
  return ConvertASCWord(Word, v, missing) && missing;
}

bool ParseASCValue(std::string_view Word, double& Value) noexcept {
  bool missing = false;
  return ConvertASCWord(Word, Value, missing);
}

// --- the word reader -------------------------------------------------------------

TWordReader::TWordReader(std::istream& In)
    : FSource(In.good() ? In.rdbuf() : nullptr), FBuf(std::make_unique_for_overwrite<char[]>(BufferSize)) {}

bool TWordReader::Fill() {
  FPos = FEnd = FLimit = 0;
  return ReadMore();
}

bool TWordReader::ReadMore() {
  if (FEof || !FSource) return false;
  if (FPos > 0) {
    std::memmove(FBuf.get(), FBuf.get() + FPos, FEnd - FPos);
    FEnd -= FPos;
    FPos = 0;
  }
  const std::streamsize n =
      FSource->sgetn(FBuf.get() + FEnd, static_cast<std::streamsize>(BufferSize - FEnd));
  if (n > 0) FEnd += static_cast<std::size_t>(n);
  if (n <= 0) FEof = true;
  FLimit = FEnd;
  while (FLimit > FPos && !IsBlank(FBuf[FLimit - 1])) --FLimit;
  return n > 0;
}

bool TWordReader::NextWord(std::string_view& Word) {
  Word = {};
  // Skip white space, and first the rest of a word that was cut.
  for (;;) {
    while (FPos < FEnd && (FSkipRest ? !IsBlank(FBuf[FPos]) : IsBlank(FBuf[FPos]))) ++FPos;
    if (FPos < FEnd) {
      if (!FSkipRest) break;
      FSkipRest = false;
      continue;
    }
    if (!Fill()) return false;
  }
  std::size_t len = 0;
  for (;;) {
    const char* p = FBuf.get() + FPos + len;
    const char* end = FBuf.get() + FEnd;
    while (p < end && !IsBlank(*p)) ++p;
    len = static_cast<std::size_t>(p - (FBuf.get() + FPos));
    if (p < end) break;                     // the word ends at white space
    if (FPos == 0 && FEnd == BufferSize) {  // the word fills the buffer: cut it
      FSkipRest = true;
      break;
    }
    if (!ReadMore()) break;                 // the word ends at the end of the stream
  }
  Word = std::string_view(FBuf.get() + FPos, len);
  FPos += len;
  return true;
}

bool TWordReader::NextValueSlow(double& Value, bool& Missing) {
  std::string_view word;
  return NextWord(word) && ConvertASCWord(word, Value, Missing);
}

bool TWordReader::SkipLines(std::int32_t N) {
  for (std::int32_t i = 0; i < N; ++i) {
    for (;;) {
      if (FPos == FEnd && !Fill()) return false;
      const void* lf = std::memchr(FBuf.get() + FPos, '\n', FEnd - FPos);
      if (lf) {
        FPos = static_cast<std::size_t>(static_cast<const char*>(lf) - FBuf.get()) + 1;
        break;
      }
      FPos = FEnd;
    }
  }
  return true;
}

bool TWordReader::SkipQuotedName(char Quote) {
  std::string name;
  for (int c = Get(); c >= 0; c = Get())
    if (ParseQuotedName(static_cast<char>(c), Quote, name)) return true;
  return false;
}

// --- the column reader -------------------------------------------------------------

std::int32_t OpenASCFile(const std::string& FName, std::ifstream& In) {
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return kASCFileNotFound;
  if (!std::filesystem::is_regular_file(FName, ec)) return kASCCannotOpen;
  In.open(FName, std::ios::binary);
  return In ? 0 : kASCCannotOpen;
}

TASCColumnReader::TASCColumnReader(std::istream& In) : FIn(&In) {
  std::streambuf* source = In.rdbuf();
  if (!In.good() || !source || source->pubseekoff(0, std::ios::cur, std::ios::in) != std::streampos(-1)) return;
  FCopy = std::make_unique<std::stringstream>(std::ios::in | std::ios::out | std::ios::binary);
  *FCopy << source;  // fails, harmlessly, when the input is empty
  FCopy->clear();
  FIn = FCopy.get();
}

std::int32_t TASCColumnReader::ReadHeader() {
  TASCHeader& h = FHeader;
  const std::int32_t status =
      ReadHeaderOfASC(*FIn, h.Comment, h.NrColumns, h.NrRows, h.RowAttribs, h.ColNames, h.RowNames, h.NomVars);
  FWords.emplace(*FIn);
  if (status != 0) return status;
  if (h.ColNames)
    for (std::int32_t c = 0; c < h.NrColumns; ++c)
      if (!FWords->SkipQuotedName()) break;
  return 0;
}

std::int32_t TASCColumnReader::ReadRowLeadSlow() {
  if (FHeader.RowAttribs) {
    std::string_view word;
    double attribute = 0.0;
    if (!FWords->NextWord(word) || !ParseReal(word, attribute)) return kASCBadRowAttribute;
  }
  if (FHeader.RowNames) FWords->SkipQuotedName();
  return 0;
}

std::int32_t ReadASCColumn(std::istream& In, TASCColumn& Column) {
  Column.Values.clear();
  Column.MissingRows.clear();
  TASCColumnReader reader(In);
  const std::int32_t status = reader.ReadHeader();
  Column.Header = reader.Header();
  if (status != 0) return status;
  if (Column.Header.NrColumns != 1) return kASCWrongColumns;
  // The header reader has checked the row count against the stream's size.
  Column.Values.reserve(static_cast<std::size_t>(Column.Header.NrRows));
  std::int32_t rowsRead = 0;
  return reader.ReadRows(
      [&Column](std::int32_t Row, double Value, bool Missing) {
        Column.Values.push_back(Value);
        if (Missing) Column.MissingRows.push_back(Row);
        return true;
      },
      rowsRead);
}

}  // namespace kvl
