#include "kvl/containers/asc_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_stringl.h"
#include "kvl/base/internal/textchars.h"

namespace kvl {

using detail::FoldCase;
using detail::IsWhite;

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

// --- the word reader -------------------------------------------------------------

TWordReader::TWordReader(const std::string& FileName) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(FileName, ec)) return;
  FFile.reset(std::fopen(FileName.c_str(), "rb"));
  if (!FFile) return;
  const auto size = std::filesystem::file_size(FileName, ec);
  FFileSize = ec ? 0 : static_cast<std::int64_t>(size);
  FBuf = std::make_unique_for_overwrite<char[]>(BufferSize);
}

bool TWordReader::Fill() {
  FPos = FEnd = 0;
  return ReadMore();
}

bool TWordReader::ReadMore() {
  if (FEof || !FFile) return false;
  if (FPos > 0) {
    std::memmove(FBuf.get(), FBuf.get() + FPos, FEnd - FPos);
    FEnd -= FPos;
    FPos = 0;
  }
  const std::size_t n = std::fread(FBuf.get() + FEnd, 1, BufferSize - FEnd, FFile.get());
  FEnd += n;
  if (n == 0) FEof = true;
  return n > 0;
}

bool TWordReader::NextWord(std::string_view& Word) {
  Word = {};
  // Skip white space, and first the rest of a word that was cut.
  for (;;) {
    while (FPos < FEnd && (FSkipRest ? !IsWhite(FBuf[FPos]) : IsWhite(FBuf[FPos]))) ++FPos;
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
    while (p < end && !IsWhite(*p)) ++p;
    len = static_cast<std::size_t>(p - (FBuf.get() + FPos));
    if (p < end) break;                  // the word ends at white space
    if (FPos == 0 && FEnd == BufferSize) {  // the word fills the buffer: cut it
      FSkipRest = true;
      break;
    }
    if (!ReadMore()) break;              // the word ends at the end of the file
  }
  Word = std::string_view(FBuf.get() + FPos, len);
  FPos += len;
  return true;
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

// --- values ----------------------------------------------------------------------

namespace {

bool EqualsFolded(std::string_view Word, std::string_view Upper) noexcept {
  return Word.size() == Upper.size() &&
         std::equal(Word.begin(), Word.end(), Upper.begin(), [](char a, char b) { return FoldCase(a) == FoldCase(b); });
}

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

bool IsASCMissingValue(std::string_view Word) noexcept {
  if (Word == ASCMissingWords[1] || EqualsFolded(Word, ASCMissingWords[0])) return true;
  double v = 0.0;
  return ParseReal(Word, v) && std::isnan(v);
}

bool ParseASCValue(std::string_view Word, double& Value) noexcept {
  if (IsASCMissingValue(Word)) {
    Value = 0.0;
    return true;
  }
  return ParseReal(Word, Value);
}

// --- the reading steps -----------------------------------------------------------

std::int32_t ReadASCHeader(const std::string& FName, TASCHeader& Header) {
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return kASCFileNotFound;
  return ReadHeaderOfASC(FName, Header.Comment, Header.NrColumns, Header.NrRows, Header.RowAttribs,
                         Header.ColNames, Header.RowNames, Header.NomVars);
}

bool OpenASCData(TWordReader& In, const TASCHeader& Header) {
  if (!In.IsOpen()) return false;
  In.SkipLines(4);
  if (Header.ColNames)
    for (std::int32_t c = 0; c < Header.NrColumns; ++c)
      if (!In.SkipQuotedName()) break;
  return true;
}

std::int32_t SkipASCRowLead(TWordReader& In, const TASCHeader& Header) {
  if (Header.RowAttribs) {
    std::string_view word;
    double attribute = 0.0;
    if (!In.NextWord(word) || !ParseReal(word, attribute)) return kASCBadRowAttribute;
  }
  if (Header.RowNames) In.SkipQuotedName();
  return 0;
}

bool ReadASCValue(TWordReader& In, double& Value) {
  std::string_view word;
  return In.NextWord(word) && ParseASCValue(word, Value);
}

}  // namespace kvl
