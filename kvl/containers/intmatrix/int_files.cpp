// TIntMatrix text and stream forms: the ASC column text (with an optional
// block of custom texts), the text dump of a rectangle and its binary
// stream image. Layouts in docs/matrix3d.md. Readers never trust a count:
// a size to grow to must fit in what the file or stream can hold.

#include <bit>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kvl/base/KVL_streams.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/asc_format.h"
#include "kvl/containers/matrix/internal/results.h"
#include "kvl/containers/vector/internal/files_impl.h"

namespace kvl {

namespace {

static_assert(std::endian::native == std::endian::little, "the stream image is the in-memory layout");

constexpr std::string_view kCustTag = "CUSTDATA";

/// AppendInt: x as a plain decimal integer.
void AppendInt(std::string& Out, std::int64_t x) {
  char buf[24];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  Out.append(buf, end);
}

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

int HexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

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

/// FitsInBytes: Cells values of at least one digit and a separator each
/// fit in Bytes bytes of text.
bool FitsInBytes(std::int64_t Cells, std::uintmax_t Bytes) noexcept {
  return Cells >= 0 && static_cast<std::uintmax_t>(Cells) <= Bytes / 2 + 1;
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

}  // namespace

// --- ASC column text ----------------------------------------------------------------------

std::int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return ExportAsASC(FName, Comment, TStr2DArray());
}

std::int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment,
                                     const TStr2DArray& CustData) const {
  std::ofstream out(FName, std::ios::binary);
  if (!out) return -1;
  constexpr bool flags[4] = {false, false, false, false};
  WriteASCHeader(out, ASCTitle(Comment, "TIntMatrix", FName), FNCol, FNRow, flags);
  vector_internal::TLineWriter lines(out);
  std::vector<std::int32_t> scratch;
  const TColumnView<const std::int32_t> cells = CellImage(scratch);
  for (std::size_t r = 0; r < cells.Rows(); ++r) {
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) lines.Buffer() += '\t';
      AppendInt(lines.Buffer(), cells[c][r]);
    }
    lines.EndLine();
  }
  if (!CustData.empty()) {
    lines.Buffer() += kCustTag;
    lines.Buffer() += ' ';
    AppendInt(lines.Buffer(), static_cast<std::int64_t>(CustData.size()));
    lines.EndLine();
    for (const auto& column : CustData) {
      AppendInt(lines.Buffer(), static_cast<std::int64_t>(column.size()));
      for (const std::string& text : column) {
        lines.Buffer() += ' ';
        AppendCustText(lines.Buffer(), text);
      }
      lines.EndLine();
    }
  }
  return lines.Finish() ? 0 : -1;
}

std::int32_t TIntMatrix::ImportASC(const std::string& FName, std::string& Comment) {
  TStr2DArray ignored;
  return ImportASC(FName, Comment, ignored);
}

std::int32_t TIntMatrix::ImportASC(const std::string& FName, std::string& Comment, TStr2DArray& CustData) {
  CustData.clear();
  Comment.clear();
  std::ifstream in;
  if (const std::int32_t status = OpenASCFile(FName, in)) return status;
  std::error_code ec;
  const std::uintmax_t bytes = std::filesystem::file_size(FName, ec);
  if (ec) return kASCCannotOpen;
  TASCColumnReader reader(in);
  const std::int32_t status = reader.ReadHeader();
  const TASCHeader h = reader.Header();
  Comment = h.Comment;
  if (status != 0) return status;
  if (h.NrColumns < 1 || h.NrRows < 1) return kASCWrongColumns;
  // The header's counts must fit in the file before anything is allocated.
  if (!FitsInBytes(std::int64_t{h.NrColumns} * h.NrRows, bytes)) return kASCBadValue;
  if (FIsSparse) {
    Resize(h.NrColumns, h.NrRows);
    ResetStore();
  } else {
    Resize(h.NrColumns, h.NrRows);
    std::fill(FData.begin(), FData.end(), 0);
  }
  std::int32_t result = 0;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    for (std::int32_t r = 1; r <= h.NrRows && result == 0; ++r) {
      result = reader.ReadRowLead();
      for (std::int32_t c = 1; c <= h.NrColumns && result == 0; ++c) {
        double value = 0.0;
        bool missing = false;
        std::int32_t cell = 0;
        if (reader.ReadValue(value, missing) && vector_internal::FromReal(value, cell))
          StoreCell(c, r, cell);
        else
          result = kASCBadValue;
      }
    }
  });
  if (FIsSparse) {
    FNCol = h.NrColumns;
    FNRow = h.NrRows;
  }
  Changed();
  if (result != 0) return result;
  // The custom block follows the rows; a second pass finds it.
  in.clear();
  if (!in.seekg(0)) return 0;
  return ReadCustData(in, h, CustData);
}

// --- text dump ------------------------------------------------------------------------------

bool TIntMatrix::StoreOnFile(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                             const std::string& FileName) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  std::ofstream out(FileName, std::ios::binary);
  if (!out) return false;
  vector_internal::TLineWriter lines(out);
  for (const std::int32_t bound : {LowCol, LowRow, HighCol, HighRow}) {
    AppendInt(lines.Buffer(), bound);
    lines.Buffer() += ' ';
  }
  lines.Buffer().pop_back();
  lines.EndLine();
  for (std::int32_t r = LowRow; r <= HighRow; ++r) {
    for (std::int32_t c = LowCol; c <= HighCol; ++c) {
      if (c > LowCol) lines.Buffer() += ' ';
      AppendInt(lines.Buffer(), GetVal(c, r));
    }
    lines.EndLine();
  }
  lines.Finish();  // write errors after the file was created are not reported
  return true;
}

bool TIntMatrix::LoadFromFile(const std::string& FileName, bool AdjustMatrixSize) {
  std::ifstream file;
  if (OpenASCFile(FileName, file) != 0) return false;
  TWordReader in(file);
  std::string_view word;
  std::int32_t b[4] = {0, 0, 0, 0};  // LowCol, LowRow, HighCol, HighRow
  for (std::int32_t& bound : b)
    if (!in.NextWord(word) || !vector_internal::ParseIndex(word, bound)) return false;
  if (b[0] < 1 || b[1] < 1 || b[2] < b[0] || b[3] < b[1]) return false;
  const std::int64_t cells = (std::int64_t{b[2]} - b[0] + 1) * (std::int64_t{b[3]} - b[1] + 1);
  if (AdjustMatrixSize) {
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(FileName, ec);
    if (ec || !FitsInBytes(cells, bytes)) return false;
    Resize(b[2], b[3]);
  }
  if (b[2] > FNCol || b[3] > FNRow) return false;
  // A number that does not read is skipped; the loop ends with the file.
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    for (std::int32_t r = b[1]; r <= b[3]; ++r)
      for (std::int32_t c = b[0]; c <= b[2]; ++c) {
        if (!in.NextWord(word)) return;
        double value = 0.0;
        std::int32_t cell = 0;
        if (ParseReal(word, value) && vector_internal::FromReal(value, cell)) StoreCell(c, r, cell);
      }
  });
  Changed();
  return true;
}

// --- binary stream image ----------------------------------------------------------------------

void TIntMatrix::SaveToStream(TMemoryStream*& OutStream, std::int32_t LowCol, std::int32_t LowRow,
                              std::int32_t HighCol, std::int32_t HighRow) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream;
  SaveToStream(static_cast<TStream*>(OutStream), LowCol, LowRow, HighCol, HighRow);
}

void TIntMatrix::SaveToStream(TStream* OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow) const {
  if (OutStream == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  for (const std::int32_t bound : {LowCol, LowRow, HighCol, HighRow}) WriteLongintToStream(*OutStream, bound);
  if (HighRow < LowRow) return;
  std::vector<std::int32_t> column = matrix_internal::WorkCells<std::int32_t>(
      *this, static_cast<std::size_t>(HighRow - LowRow + 1));
  const auto bytes = static_cast<std::int64_t>(column.size() * sizeof(std::int32_t));
  for (std::int32_t c = LowCol; c <= HighCol; ++c) {
    for (std::int32_t r = LowRow; r <= HighRow; ++r) column[static_cast<std::size_t>(r - LowRow)] = GetVal(c, r);
    OutStream->WriteBuffer(column.data(), bytes);
  }
}

bool TIntMatrix::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  if (InStream == nullptr) return false;
  std::int32_t b[4] = {0, 0, 0, 0};  // LowCol, LowRow, HighCol, HighRow
  for (std::int32_t& bound : b) {
    bool ok = false;
    bound = ReadLongintFromStream(*InStream, ok);
    if (!ok) return false;
  }
  if (b[0] < 1 || b[1] < 1 || b[2] < b[0] || b[3] < b[1]) return false;
  const std::int64_t rows = std::int64_t{b[3]} - b[1] + 1;
  if (AdjustMatrixSize) {
    const std::int64_t left = InStream->Size() - InStream->Position();
    if ((std::int64_t{b[2]} - b[0] + 1) * rows > left / 4) return false;
    Resize(b[2], b[3]);
  }
  if (b[2] > FNCol || b[3] > FNRow) return false;
  std::vector<std::int32_t> column = matrix_internal::WorkCells<std::int32_t>(*this, static_cast<std::size_t>(rows));
  const std::int64_t bytes = rows * 4;
  bool result = true;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    for (std::int32_t c = b[0]; c <= b[2]; ++c) {
      const std::int64_t got = InStream->Read(column.data(), bytes);
      for (std::int64_t k = 0; k < got / 4; ++k) StoreCell(c, b[1] + static_cast<std::int32_t>(k), column[static_cast<std::size_t>(k)]);
      if (got < bytes) {  // the stream is exhausted
        result = false;
        return;
      }
    }
  });
  Changed();
  return result;
}

}  // namespace kvl
