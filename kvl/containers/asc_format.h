#pragma once
// The ASC column text shared by the containers: writing the title and the
// header, reading the header and the data words, and the status words.
//
// Layout (as the vector writes it; tabs shown as \t):
//   Exported by KVL TVector component: data.asc      title line
//   1\t;nr. of columns
//   3\t;nr. of rows
//   FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables
//   "name1" ...                only when the column-names flag is set
//   [attribute] ["row name"] value ...   one line per row
// The words "NAN" and "###" stand for a missing value and read as 0.
//
// Reading is one pass over one open stream:
//   std::ifstream file;
//   if (int st = OpenASCFile(FName, file)) return st;   // -8 or -11
//   TASCColumnReader in(file);
//   if (int st = in.ReadHeader()) return st;            // the header's status
//   std::int32_t rowsRead = 0;
//   int st = in.ReadRows([&](std::int32_t Row, double Value, bool Missing) { ...; return true; }, rowsRead);
// ReadASCColumn does this for a one-column text and reports the missing rows.

#include <charconv>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- statuses ------------------------------------------------------------------

/// Statuses of the ASC readers' data part (ReadHeaderOfASC adds -11..-20).
inline constexpr std::int32_t kASCBadRowAttribute = -5;  ///< a row attribute could not be read
inline constexpr std::int32_t kASCBadValue = -6;         ///< a value could not be read or converted
inline constexpr std::int32_t kASCWrongColumns = -7;     ///< the reader cannot take this column count
inline constexpr std::int32_t kASCFileNotFound = -8;     ///< the file does not exist
/// kASCCannotOpen: ReadHeaderOfASC's status for a file that cannot be opened.
inline constexpr std::int32_t kASCCannotOpen = -11;

/// ASCStatusText: the words for an ASC reader status (the codes above and
/// those of ReadHeaderOfASC), for messages to a user; "success" for 0.
std::string ASCStatusText(std::int32_t Status);

// --- writing -------------------------------------------------------------------

/// ASCMissingWords: the words that stand for a missing value.
inline constexpr std::string_view ASCMissingWords[] = {"NAN", "###"};

/// ASCTitle: the title line: Comment with its line breaks (LF and CR) turned
/// into blanks, or, when Comment is empty, "Exported by KVL " + ClassName +
/// " component: " + FName.
std::string ASCTitle(std::string_view Comment, std::string_view ClassName, std::string_view FName);

/// WriteASCHeader: writes the title and the three header lines; Flags holds
/// the leading flags in their order (row attributes, column names, row
/// names, nominal variables), three or four of them, and the comment of the
/// flag line names as many.
void WriteASCHeader(std::ostream& Out, std::string_view Title, std::int32_t NrColumns, std::int32_t NrRows,
                    std::span<const bool> Flags);

// --- values ----------------------------------------------------------------------

/// ParseReal: Word as a decimal real number (optional sign, digits with an
/// optional point, optional exponent; "inf" and "nan" spellings too). A
/// value too small for a Double reads as 0; false for anything else that
/// is not a whole number word, or a value too large for a Double.
bool ParseReal(std::string_view Word, double& Value) noexcept;

/// ConvertASCWord: a data word converted once: Missing is true (Value 0)
/// for "###" and every spelling of NaN ("NAN" in any letter case, as the
/// writers spell it); otherwise Value is ParseReal's. False when the word
/// is neither.
bool ConvertASCWord(std::string_view Word, double& Value, bool& Missing) noexcept;

/// IsASCMissingValue: Word stands for a missing value: "NAN" in any letter
/// case (as the writers spell a NaN), "###", or another spelling of NaN.
bool IsASCMissingValue(std::string_view Word) noexcept;

/// ParseASCValue: a data word: "NAN" (any letter case, as the writers spell
/// a NaN) and "###" give 0, infinities their value, other words ParseReal.
bool ParseASCValue(std::string_view Word, double& Value) noexcept;

// --- the word reader -----------------------------------------------------------------

/// TWordReader: reads an open stream word by word from its position,
/// through a fixed buffer, with no allocation per word. Words are separated
/// by white space (blank, tab, LF, CR, vertical tab, form feed); a word
/// longer than the buffer is cut at BufferSize characters and its rest
/// skipped. The reader takes the stream's bytes in blocks, so the stream is
/// read ahead of the words returned; the stream must outlive the reader.
class TWordReader {
 public:
  static constexpr std::size_t BufferSize = 1 << 16;

  /// Reads In from its current position.
  explicit TWordReader(std::istream& In);
  TWordReader(const TWordReader&) = delete;
  TWordReader& operator=(const TWordReader&) = delete;

  /// NextWord: the next word, valid until the next call; false (and an
  /// empty Word) at the end of the stream.
  bool NextWord(std::string_view& Word);
  /// NextValue: the next word as a data value (ConvertASCWord), converted
  /// once; false when no word is left or it does not convert.
  bool NextValue(double& Value, bool& Missing) {
    // Fast path: a number among the buffer's complete words (the last byte
    // before FLimit is white space, so a word starting before it ends there).
    // Local copies: the bytes read through char pointers could alias the members.
    const char* buf = FBuf.get();
    const char* p = buf + FPos;
    const char* limit = buf + FLimit;
    while (p < limit && IsBlank(*p)) ++p;
    FPos = static_cast<std::size_t>(p - buf);
    if (p < limit && !FSkipRest) {
      double x = 0.0;
      const auto [end, ec] = std::from_chars(p, limit, x);
      if (ec == std::errc() && IsBlank(*end)) {
        FPos = static_cast<std::size_t>(end - buf);
        Missing = x != x;  // NaN
        Value = Missing ? 0.0 : x;
        return true;
      }
    }
    return NextValueSlow(Value, Missing);
  }
  /// Get: the next character as unsigned char, or -1 at the end of the stream.
  int Get() {
    if (FPos == FEnd && !Fill()) return -1;
    return static_cast<unsigned char>(FBuf[FPos++]);
  }
  /// SkipLines: passes N line ends (LF); false when the stream ends first.
  bool SkipLines(std::int32_t N);
  /// SkipQuotedName: passes the next name enclosed in Quote characters,
  /// character by character through ParseQuotedName; false when the stream
  /// ends before a whole name was seen.
  bool SkipQuotedName(char Quote = '"');

 private:
  static constexpr bool IsBlank(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }
  bool Fill();      // FPos == FEnd: reads a fresh buffer
  bool ReadMore();  // keeps [FPos, FEnd) and appends what the stream has
  bool NextValueSlow(double& Value, bool& Missing);

  std::streambuf* FSource;
  std::unique_ptr<char[]> FBuf;
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  std::size_t FLimit = 0;  // one past the last white space in the buffer
  bool FEof = false;
  bool FSkipRest = false;  // the last word was cut: skip its remaining characters
};

// --- the column reader ---------------------------------------------------------------

/// TASCHeader: what the four header lines hold.
struct TASCHeader {
  std::string Comment;
  std::int32_t NrColumns = 0;
  std::int32_t NrRows = 0;
  bool RowAttribs = false;
  bool ColNames = false;
  bool RowNames = false;
  bool NomVars = false;
};

/// OpenASCFile: opens FName for reading: 0, kASCFileNotFound when it does
/// not exist, kASCCannotOpen when it is not a regular file or cannot be opened.
std::int32_t OpenASCFile(const std::string& FName, std::ifstream& In);

/// TASCColumnReader: reads an ASC column text in one pass over an open
/// stream: the header (ReadHeaderOfASC), the column names, then the rows.
/// A stream that cannot tell its size (a pipe) is taken into memory first,
/// so that the counts of its header can be checked against what it holds.
class TASCColumnReader {
 public:
  /// Reads In from its current position; In must outlive the reader.
  explicit TASCColumnReader(std::istream& In);

  /// ReadHeader: reads the four header lines and, when the column-names
  /// flag is set, one quoted name per column; returns ReadHeaderOfASC's
  /// status. The counts it reports fit in what the stream holds.
  std::int32_t ReadHeader();
  /// Header: what ReadHeader found.
  const TASCHeader& Header() const noexcept { return FHeader; }

  /// ReadRowLead: reads over the row attribute (a real number) and the
  /// quoted row name that start a data row when their flags are set;
  /// returns 0, or kASCBadRowAttribute when the attribute is not a number.
  std::int32_t ReadRowLead() {
    return (FHeader.RowAttribs || FHeader.RowNames) && FWords ? ReadRowLeadSlow() : 0;
  }
  /// ReadValue: the next data word as a value (ConvertASCWord); false when
  /// it is missing or does not convert, or before ReadHeader.
  bool ReadValue(double& Value, bool& Missing) { return FWords && FWords->NextValue(Value, Missing); }

  /// ReadRows: reads the data rows of a one-column text, row 1 to NrRows,
  /// calling Store(Row, Value, Missing) for each (a missing value comes as
  /// 0); stops at the first row whose lead fails (kASCBadRowAttribute),
  /// whose word does not convert or that Store refuses by returning false
  /// (kASCBadValue). Returns 0 or that status; RowsRead is the number of
  /// rows stored.
  template <class TStore>
  std::int32_t ReadRows(TStore&& Store, std::int32_t& RowsRead) {
    RowsRead = 0;
    for (std::int32_t row = 1; row <= FHeader.NrRows; ++row) {
      if (const std::int32_t st = ReadRowLead()) return st;
      double value = 0.0;
      bool missing = false;
      if (!ReadValue(value, missing) || !Store(row, value, missing)) return kASCBadValue;
      RowsRead = row;
    }
    return 0;
  }

 private:
  std::int32_t ReadRowLeadSlow();

  std::unique_ptr<std::stringstream> FCopy;  // an input that cannot seek, taken into memory
  std::istream* FIn;
  TASCHeader FHeader;
  std::optional<TWordReader> FWords;  // starts after the header
};

/// TASCColumn: a one-column ASC text as read.
struct TASCColumn {
  TASCHeader Header;
  std::vector<double> Values;             ///< the rows read, a missing value as 0
  std::vector<std::int32_t> MissingRows;  ///< the rows (from 1) whose word marks a missing value
};

/// ReadASCColumn: reads a one-column ASC text from the open stream In, as
/// the vector's ImportASC does, into Column; returns 0 or the status:
/// kASCBadRowAttribute or kASCBadValue (Values holds the rows before the
/// one that failed), kASCWrongColumns, or the header's status.
std::int32_t ReadASCColumn(std::istream& In, TASCColumn& Column);

}  // namespace kvl

KVL_API_END
