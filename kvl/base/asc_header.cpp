// ReadHeaderOfASC: the header of the ASC column text (title, counts, flags).

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>
#include <system_error>

#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_stringl.h"

namespace kvl {

namespace {

// The statuses documented with the declaration.
enum : std::int32_t {
  kCannotOpen = -11,
  kNoColumnLine = -12,
  kNoRowLine = -13,
  kNoFlagLine = -14,
  kColumnsNotNumber = -15,
  kColumnsNegative = -16,
  kRowsNotNumber = -17,
  kRowsNegative = -18,
  kAbsurdCounts = -19,
  kBadFlags = -20,
};

constexpr std::string_view kUTF8BOM = "\xEF\xBB\xBF";

// The part of a header line before its comment, without surrounding blanks.
std::string_view ValuePart(std::string_view Line) { return TrimView(Line.substr(0, Line.find(';'))); }

// Reads one line without its LF or CR LF end; false when none is left.
bool ReadLine(std::istream& In, std::string& Line) {
  if (!std::getline(In, Line)) return false;
  if (!Line.empty() && Line.back() == '\r') Line.pop_back();
  return true;
}

// The statuses a count line can give.
struct TCountStatus {
  std::int32_t NoLine, NotNumber, Negative;
};

// Reads a count line: 0 with Value set, or the status of what is wrong.
std::int32_t ReadCount(std::istream& In, std::string& Line, const TCountStatus& Status, std::int64_t& Value) {
  if (!ReadLine(In, Line)) return Status.NoLine;
  const std::string_view text = ValuePart(Line);
  Value = 0;
  if (text.empty()) return Status.NotNumber;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), Value);
  if (ptr != text.data() + text.size() || ec == std::errc::invalid_argument) return Status.NotNumber;
  if (ec == std::errc::result_out_of_range) return text.front() == '-' ? Status.Negative : kAbsurdCounts;
  if (Value < 0) return Status.Negative;
  if (Value > std::numeric_limits<std::int32_t>::max()) return kAbsurdCounts;
  return 0;
}

// One flag word: TRUE / FALSE in any letter case, or 1 / 0.
bool ParseFlag(std::string_view Word, bool& Flag) {
  auto equalsFolded = [Word](std::string_view Upper) { return EqualStrings(Word, Upper, false); };
  if (Word == "1" || equalsFolded("TRUE")) {
    Flag = true;
    return true;
  }
  if (Word == "0" || equalsFolded("FALSE")) {
    Flag = false;
    return true;
  }
  return false;
}

// Splits the flag line into its three or four flags.
bool ParseFlags(std::string_view Text, bool (&Flags)[4]) {
  std::size_t count = 0;
  while (true) {
    Text = TrimView(Text);
    if (Text.empty()) break;
    std::size_t len = 0;
    while (len < Text.size() && !IsWhiteChar(Text[len])) ++len;
    if (count == 4 || !ParseFlag(Text.substr(0, len), Flags[count])) return false;
    ++count;
    Text.remove_prefix(len);
  }
  return count >= 3;
}

// The bytes from the stream's position to its end, or -1 when the stream
// cannot tell (a pipe); the position is left where it was.
std::int64_t BytesLeft(std::istream& In) {
  std::streambuf* buf = In.rdbuf();
  if (!buf) return -1;
  const auto here = buf->pubseekoff(0, std::ios::cur, std::ios::in);
  if (here == std::streampos(-1)) return -1;
  const auto end = buf->pubseekoff(0, std::ios::end, std::ios::in);
  buf->pubseekpos(here, std::ios::in);
  if (end == std::streampos(-1)) return -1;
  return static_cast<std::int64_t>(end - here);
}

}  // namespace

std::int32_t ReadHeaderOfASC(std::istream& In, std::string& Comment, std::int32_t& NrColumns, std::int32_t& NrRows,
                             bool& RowAttribs, bool& ColNames, bool& RowNames, bool& NomVars) {
  Comment.clear();
  NrColumns = 0;
  NrRows = 0;
  RowAttribs = ColNames = RowNames = NomVars = false;
  if (!In.good()) return kCannotOpen;
  const std::int64_t size = BytesLeft(In);

  std::string line;
  if (!ReadLine(In, line)) return kNoColumnLine;
  if (line.starts_with(kUTF8BOM)) line.erase(0, kUTF8BOM.size());
  Comment = line;

  std::int64_t columns = 0;
  std::int64_t rows = 0;
  if (const auto st = ReadCount(In, line, {kNoColumnLine, kColumnsNotNumber, kColumnsNegative}, columns)) return st;
  if (const auto st = ReadCount(In, line, {kNoRowLine, kRowsNotNumber, kRowsNegative}, rows)) return st;
  // Both counts are below 2^31, so their product fits in 64 bits.
  if (size >= 0 && (columns > size || rows > size || columns * rows > size)) return kAbsurdCounts;
  NrColumns = static_cast<std::int32_t>(columns);
  NrRows = static_cast<std::int32_t>(rows);

  if (!ReadLine(In, line)) return kNoFlagLine;
  bool flags[4] = {false, false, false, false};
  if (!ParseFlags(ValuePart(line), flags)) return kBadFlags;
  RowAttribs = flags[0];
  ColNames = flags[1];
  RowNames = flags[2];
  NomVars = flags[3];
  return 0;
}

std::int32_t ReadHeaderOfASC(const std::string& FName, std::string& Comment, std::int32_t& NrColumns,
                             std::int32_t& NrRows, bool& RowAttribs, bool& ColNames, bool& RowNames,
                             bool& NomVars) {
  std::ifstream in;
  std::error_code ec;
  if (std::filesystem::is_regular_file(FName, ec))
    in.open(FName, std::ios::binary);
  else
    in.setstate(std::ios::failbit);  // a directory, a device or nothing at all
  return ReadHeaderOfASC(in, Comment, NrColumns, NrRows, RowAttribs, ColNames, RowNames, NomVars);
}

}  // namespace kvl
