// The custom-text block of the matrices' ASC text, shared by TMatrix and
// TIntMatrix (layout in docs/matrix3d.md).

#include <string>
#include <string_view>

#include "kvl/containers/matrix/internal/matrix_text_files.h"

namespace kvl::matrix_internal {

/// AppendCustText: a custom text as one word: '=' and the text with every
/// byte outside '!'..'~' and every '%' as %XX.
void AppendCustText(std::string& Out, const std::string& Text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Out += '=';
  for (const char ch : Text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b > 0x20 && b < 0x7F && b != '%') {
      Out += ch;
    } else {
      Out += '%';
      Out += kHex[b >> 4];
      Out += kHex[b & 15];
    }
  }
}

namespace {

int HexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

/// DecodeCustText: the text of a word written by AppendCustText; false for
/// anything else (or a word the reader had to cut).
bool DecodeCustText(std::string_view Word, std::string& Text) {
  if (Word.empty() || Word[0] != '=' || Word.size() >= TWordReader::BufferSize) return false;
  Text.clear();
  for (std::size_t i = 1; i < Word.size(); ++i) {
    if (Word[i] != '%') {
      Text += Word[i];
      continue;
    }
    if (i + 2 >= Word.size()) return false;
    const int hi = HexDigit(Word[i + 1]), lo = HexDigit(Word[i + 2]);
    if (hi < 0 || lo < 0) return false;
    Text += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

void WriteCustData(vector_internal::TLineWriter& Lines, const TStr2DArray& CustData) {
  if (CustData.empty()) return;
  Lines.Buffer() += kCustTag;
  Lines.Buffer() += ' ';
  AppendExact(Lines.Buffer(), static_cast<std::int64_t>(CustData.size()));
  Lines.EndLine();
  for (const auto& column : CustData) {
    AppendExact(Lines.Buffer(), static_cast<std::int64_t>(column.size()));
    for (const std::string& text : column) {
      Lines.Buffer() += ' ';
      AppendCustText(Lines.Buffer(), text);
    }
    Lines.EndLine();
  }
}

/// ReadCustData: after the data rows of an ASC text (In at its start),
/// reads the custom block when there is one: 0, or kASCBadValue for a
/// broken block (CustData then empty).
std::int32_t ReadCustData(std::istream& In, const TASCHeader& H, TStr2DArray& CustData) {
  TWordReader words(In);
  std::string_view w;
  if (!words.SkipLines(4)) return 0;
  for (std::int32_t c = 0; H.ColNames && c < H.NrColumns; ++c)
    if (!words.SkipQuotedName()) return 0;
  for (std::int64_t r = 0; r < H.NrRows; ++r) {
    if (H.RowAttribs && !words.NextWord(w)) return 0;
    if (H.RowNames && !words.SkipQuotedName()) return 0;
    for (std::int32_t c = 0; c < H.NrColumns; ++c)
      if (!words.NextWord(w)) return 0;
  }
  if (!words.NextWord(w) || w != kCustTag) return 0;
  std::int32_t cols = 0;
  if (!words.NextWord(w) || !vector_internal::ParseIndex(w, cols) || cols < 0) return kASCBadValue;
  // No count is trusted: columns and texts are added as they are read.
  for (std::int32_t c = 0; c < cols; ++c) {
    std::int32_t rows = 0;
    if (!words.NextWord(w) || !vector_internal::ParseIndex(w, rows) || rows < 0) {
      CustData.clear();
      return kASCBadValue;
    }
    auto& column = CustData.emplace_back();
    for (std::int32_t r = 0; r < rows; ++r) {
      std::string text;
      if (!words.NextWord(w) || !DecodeCustText(w, text)) {
        CustData.clear();
        return kASCBadValue;
      }
      column.push_back(std::move(text));
    }
  }
  return 0;
}

}  // namespace kvl::matrix_internal
