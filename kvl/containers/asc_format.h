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
// A reader follows one pattern:
//   TASCHeader h;
//   if (int st = ReadASCHeader(FName, h)) return st;    // -8 or the header's status
//   TWordReader in(FName);
//   if (!OpenASCData(in, h)) return ...;                // past header and names
//   for (int r = 1; r <= h.NrRows; ++r) {
//     if (int st = SkipASCRowLead(in, h)) return st;    // attribute and name
//     double x;
//     if (!ReadASCValue(in, x)) return kASCBadValue;
//   }

#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

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

// --- reading -------------------------------------------------------------------

/// TWordReader: reads a text file word by word through a fixed buffer, with
/// no allocation per word. Words are separated by white space (blank, tab,
/// LF, CR, vertical tab, form feed); a word longer than the buffer is cut at
/// BufferSize characters and its rest skipped.
class TWordReader {
 public:
  static constexpr std::size_t BufferSize = 1 << 16;

  /// Opens FileName; IsOpen() tells whether that worked.
  explicit TWordReader(const std::string& FileName);
  TWordReader(const TWordReader&) = delete;
  TWordReader& operator=(const TWordReader&) = delete;

  /// IsOpen: the file could be opened.
  bool IsOpen() const noexcept { return FFile != nullptr; }
  /// FileSize: the size of the file in bytes (0 when it is not open).
  std::int64_t FileSize() const noexcept { return FFileSize; }

  /// NextWord: the next word, valid until the next call; false (and an
  /// empty Word) at the end of the file.
  bool NextWord(std::string_view& Word);
  /// Get: the next character as unsigned char, or -1 at the end of the file.
  int Get() {
    if (FPos == FEnd && !Fill()) return -1;
    return static_cast<unsigned char>(FBuf[FPos++]);
  }
  /// SkipLines: passes N line ends (LF); false when the file ends first.
  bool SkipLines(std::int32_t N);
  /// SkipQuotedName: passes the next name enclosed in Quote characters,
  /// character by character through ParseQuotedName; false when the file
  /// ends before a whole name was seen.
  bool SkipQuotedName(char Quote = '"');

 private:
  bool Fill();      // FPos == FEnd: reads a fresh buffer
  bool ReadMore();  // keeps [FPos, FEnd) and appends what the file has

  struct TCloser {
    void operator()(std::FILE* F) const noexcept { std::fclose(F); }
  };
  std::unique_ptr<std::FILE, TCloser> FFile;
  std::unique_ptr<char[]> FBuf;
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  std::int64_t FFileSize = 0;
  bool FEof = false;
  bool FSkipRest = false;  // the last word was cut: skip its remaining characters
};

/// ParseReal: Word as a decimal real number (optional sign, digits with an
/// optional point, optional exponent; "inf" and "nan" spellings too). A
/// value too small for a Double reads as 0; false for anything else that
/// is not a whole number word, or a value too large for a Double.
bool ParseReal(std::string_view Word, double& Value) noexcept;

/// IsASCMissingValue: Word stands for a missing value: "NAN" in any letter
/// case (as the writers spell a NaN), "###", or another spelling of NaN.
bool IsASCMissingValue(std::string_view Word) noexcept;

/// ParseASCValue: a data word: "NAN" (any letter case, as the writers spell
/// a NaN) and "###" give 0, infinities their value, other words ParseReal.
bool ParseASCValue(std::string_view Word, double& Value) noexcept;

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

/// ReadASCHeader: kASCFileNotFound when FName does not exist, else the
/// status of ReadHeaderOfASC with Header filled.
std::int32_t ReadASCHeader(const std::string& FName, TASCHeader& Header);

/// OpenASCData: moves an opened reader past the four header lines and, when
/// the column-names flag is set, past one quoted name per column; false
/// when the reader is not open.
bool OpenASCData(TWordReader& In, const TASCHeader& Header);

/// SkipASCRowLead: reads over the row attribute (a real number) and the
/// quoted row name that start a data row when their flags are set; returns
/// 0, or kASCBadRowAttribute when the attribute is not a number.
std::int32_t SkipASCRowLead(TWordReader& In, const TASCHeader& Header);

/// ReadASCValue: the next data word as a value (ParseASCValue); false when
/// it is missing or does not convert.
bool ReadASCValue(TWordReader& In, double& Value);

}  // namespace kvl
