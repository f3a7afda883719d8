#pragma once
// The text and stream forms of the two-dimensional matrices, written once
// over the cell type (Double for TMatrix, Integer for TIntMatrix): the ASC
// column text with its optional block of custom texts, the text dump of a
// rectangle and its binary stream image. Layouts in docs/matrix3d.md.
//
// Readers never trust a count: a size to grow to must fit in what the file
// or stream can hold, and every loop ends with the data. The class keeps
// what only it knows: how a cell is stored without an event (Store), and
// what a failed read leaves behind.

#include <bit>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "kvl/base/KVL_streams.h"
#include "kvl/containers/asc_format.h"
#include "kvl/containers/matrix/internal/results.h"
#include "kvl/containers/vector/internal/files_impl.h"
#include "kvl/containers/vector/internal/vector_internal.h"

namespace kvl::matrix_internal {

static_assert(std::endian::native == std::endian::little, "the stream image is the in-memory layout");

inline constexpr std::string_view kCustTag = "CUSTDATA";

/// AppendExact: x as the shortest text that reads back to the same value
/// (an integer as a plain decimal number).
template <class T>
void AppendExact(std::string& Out, T x) {
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  Out.append(buf, res.ptr);
}

/// FitsInBytes: Cells values of at least one digit and a separator each
/// fit in Bytes bytes of text.
inline bool FitsInBytes(std::int64_t Cells, std::uintmax_t Bytes) noexcept {
  return Cells >= 0 && static_cast<std::uintmax_t>(Cells) <= Bytes / 2 + 1;
}

/// GrowthFits: a load whose data holds Capacity values may resize Mat to
/// (Cols, Rows) when that is no more cells than Mat has, or when the cells
/// stay within Capacity plus kMaxZeroGrowth zeros: a small rectangle placed
/// far out (bounds 1000000, say) would otherwise allocate gigabytes.
template <class M>
bool GrowthFits(const M& Mat, std::int64_t Cols, std::int64_t Rows, std::int64_t Capacity) noexcept {
  constexpr std::int64_t kMaxZeroGrowth = std::int64_t{1} << 20;
  const std::int64_t cells = Cols * Rows;
  return cells <= std::int64_t{Mat.NrOfColumns()} * Mat.NrOfRows() || cells <= Capacity + kMaxZeroGrowth;
}

/// AppendCustText: a custom text as one word: '=' and the text with every
/// byte outside '!'..'~' and every '%' as %XX.
void AppendCustText(std::string& Out, const std::string& Text);
/// DecodeCustText: the text of a word written by AppendCustText; false for
/// anything else (or a word the reader had to cut).
bool DecodeCustText(std::string_view Word, std::string& Text);
/// WriteCustData: the custom block (nothing for an empty CustData).
void WriteCustData(vector_internal::TLineWriter& Lines, const TStr2DArray& CustData);
/// ReadCustData: after the data rows of an ASC text (In at its start),
/// reads the custom block when there is one: 0, or kASCBadValue for a
/// broken block (CustData then empty).
std::int32_t ReadCustData(std::istream& In, const TASCHeader& H, TStr2DArray& CustData);

// --- ASC column text ----------------------------------------------------------------------

/// WriteASCText: the header (Title, the size of Cells, no flags), one line
/// per row with the cells separated by tabs (Doubles by StrField(x, 12,
/// Precision), integers as plain numbers), then the custom block. 0, or -1
/// when the file cannot be written.
template <class T>
std::int32_t WriteASCText(const std::string& FName, const std::string& Title, TColumnView<const T> Cells,
                          int Precision, const TStr2DArray& CustData) {
  std::ofstream out(FName, std::ios::binary);
  if (!out) return -1;
  constexpr bool flags[4] = {false, false, false, false};
  WriteASCHeader(out, Title, static_cast<std::int32_t>(Cells.size()), static_cast<std::int32_t>(Cells.Rows()), flags);
  vector_internal::TLineWriter lines(out);
  for (std::size_t r = 0; r < Cells.Rows(); ++r) {
    for (std::size_t c = 0; c < Cells.size(); ++c) {
      if (c > 0) lines.Buffer() += '\t';
      vector_internal::AppendElem(lines.Buffer(), Cells[c][r], 12, Precision);
    }
    lines.EndLine();
  }
  WriteCustData(lines, CustData);
  return lines.Finish() ? 0 : -1;
}

/// TASCCells: what ReadASCText read: the header's size (0 x 0 when it was
/// refused before anything was allocated) and the cells, column-major, 0
/// where nothing was read.
template <class T>
struct TASCCells {
  std::int32_t NrColumns = 0;
  std::int32_t NrRows = 0;
  std::vector<T> Cells;
  T At(std::int32_t c, std::int32_t r) const noexcept {
    return Cells[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(NrRows) + static_cast<std::size_t>(r - 1)];
  }
};

/// ReadASCText: reads an ASC text into Out and, after complete rows, the
/// custom block into CustData. Status: 0; -8 missing file; the header
/// reader's; -7 a count below 1; -6 cells that cannot fit in the file at
/// two bytes a value (Out stays 0 x 0), a value that does not convert
/// into T, or a broken custom block; -5 a bad row attribute. On -5 and -6
/// from the rows Out holds the header's size and the cells read before.
template <class T>
std::int32_t ReadASCText(const TComponent& Sender, const std::string& FName, std::string& Comment,
                         TStr2DArray& CustData, TASCCells<T>& Out) {
  CustData.clear();
  Comment.clear();
  Out = TASCCells<T>();
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
  const std::int64_t cells = std::int64_t{h.NrColumns} * h.NrRows;
  if (!FitsInBytes(cells, bytes)) return kASCBadValue;
  Out.Cells = WorkCells<T>(Sender, static_cast<std::size_t>(cells));
  Out.NrColumns = h.NrColumns;
  Out.NrRows = h.NrRows;
  const auto rows = static_cast<std::size_t>(h.NrRows);
  for (std::int32_t r = 0; r < h.NrRows; ++r) {
    if (const std::int32_t lead = reader.ReadRowLead()) return lead;
    for (std::int32_t c = 0; c < h.NrColumns; ++c) {
      double value = 0.0;
      bool missing = false;
      T cell{};
      if (!reader.ReadValue(value, missing) || !vector_internal::FromReal(value, cell)) return kASCBadValue;
      Out.Cells[static_cast<std::size_t>(c) * rows + static_cast<std::size_t>(r)] = cell;
    }
  }
  // The custom block follows the rows; a second pass finds it.
  in.clear();
  if (!in.seekg(0)) return 0;
  return ReadCustData(in, h, CustData);
}

// --- text dump ------------------------------------------------------------------------------

/// WriteDump: the validated rectangle of M: the four bounds on line 1, then
/// one line per row, the cells separated by blanks, each as the shortest
/// text that reads back to it. True once the file was created.
template <class M>
bool WriteDump(const M& Mat, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
               const std::string& FileName) {
  Mat.MakeValidColRange(LowCol, HighCol);
  Mat.MakeValidRowRange(LowRow, HighRow);
  std::ofstream out(FileName, std::ios::binary);
  if (!out) return false;
  vector_internal::TLineWriter lines(out);
  for (const std::int32_t bound : {LowCol, LowRow, HighCol, HighRow}) {
    AppendExact(lines.Buffer(), bound);
    lines.Buffer() += ' ';
  }
  lines.Buffer().pop_back();
  lines.EndLine();
  for (std::int32_t r = LowRow; r <= HighRow; ++r) {
    for (std::int32_t c = LowCol; c <= HighCol; ++c) {
      if (c > LowCol) lines.Buffer() += ' ';
      AppendExact(lines.Buffer(), Mat.GetVal(c, r));
    }
    lines.EndLine();
  }
  lines.Finish();  // write errors after the file was created are not reported
  return true;
}

/// ReadDump: reads a dump into Mat: false for a file that does not open,
/// bounds that are not whole numbers with 1 <= Low <= High, an adjusted
/// size the file cannot hold or fill (GrowthFits; Mat unchanged) or a
/// rectangle beyond Mat.
/// With AdjustMatrixSize Mat is resized to (HighCol, HighRow) first. The
/// values go row by row through Store(c, r, value); a word that does not
/// read is skipped; Changed() at the end.
template <class T, class M, class StoreFn, class ChangedFn>
bool ReadDump(M& Mat, const std::string& FileName, bool AdjustMatrixSize, StoreFn Store, ChangedFn Changed) {
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
    if (ec || !FitsInBytes(cells, bytes) ||
        !GrowthFits(Mat, b[2], b[3], static_cast<std::int64_t>(bytes / 2 + 1)))
      return false;
    Mat.Resize(b[2], b[3]);
  }
  if (b[2] > Mat.NrOfColumns() || b[3] > Mat.NrOfRows()) return false;
  GuardAllocation<EKVLMatrixError>(Mat, [&] {
    for (std::int32_t r = b[1]; r <= b[3]; ++r)
      for (std::int32_t c = b[0]; c <= b[2]; ++c) {
        if (!in.NextWord(word)) return;
        double value = 0.0;
        T cell{};
        if (ParseReal(word, value) && vector_internal::FromReal(value, cell)) Store(c, r, cell);
      }
  });
  Changed();
  return true;
}

// --- binary stream image ----------------------------------------------------------------------

/// WriteImage: the four validated bounds as 32-bit integers, then the cells
/// of the rectangle column by column in their in-memory form.
template <class T, class M>
void WriteImage(const M& Mat, TStream* OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                std::int32_t HighRow) {
  if (OutStream == nullptr) return;
  Mat.MakeValidColRange(LowCol, HighCol);
  Mat.MakeValidRowRange(LowRow, HighRow);
  for (const std::int32_t bound : {LowCol, LowRow, HighCol, HighRow}) WriteLongintToStream(*OutStream, bound);
  if (HighRow < LowRow) return;
  std::vector<T> column = WorkCells<T>(Mat, static_cast<std::size_t>(HighRow - LowRow + 1));
  const auto bytes = static_cast<std::int64_t>(column.size() * sizeof(T));
  for (std::int32_t c = LowCol; c <= HighCol; ++c) {
    for (std::int32_t r = LowRow; r <= HighRow; ++r) column[static_cast<std::size_t>(r - LowRow)] = Mat.GetVal(c, r);
    OutStream->WriteBuffer(column.data(), bytes);
  }
}

/// ReadImage: reads such an image from the stream's position: false for a
/// null stream, unreadable or disordered bounds, an adjusted size the rest
/// of the stream cannot hold or fill (GrowthFits; Mat unchanged) or a
/// rectangle beyond Mat;
/// the cells go column by column through Store(c, r, value); a stream that
/// ends early stores what it held and gives false; Changed() at the end.
template <class T, class M, class StoreFn, class ChangedFn>
bool ReadImage(M& Mat, TStream* InStream, bool AdjustMatrixSize, StoreFn Store, ChangedFn Changed) {
  if (InStream == nullptr) return false;
  std::int32_t b[4] = {0, 0, 0, 0};  // LowCol, LowRow, HighCol, HighRow
  for (std::int32_t& bound : b) {
    bool ok = false;
    bound = ReadLongintFromStream(*InStream, ok);
    if (!ok) return false;
  }
  if (b[0] < 1 || b[1] < 1 || b[2] < b[0] || b[3] < b[1]) return false;
  constexpr auto kCell = static_cast<std::int64_t>(sizeof(T));
  const std::int64_t rows = std::int64_t{b[3]} - b[1] + 1;
  if (AdjustMatrixSize) {
    const std::int64_t left = InStream->Size() - InStream->Position();
    if ((std::int64_t{b[2]} - b[0] + 1) * rows > left / kCell || !GrowthFits(Mat, b[2], b[3], left / kCell))
      return false;
    Mat.Resize(b[2], b[3]);
  }
  if (b[2] > Mat.NrOfColumns() || b[3] > Mat.NrOfRows()) return false;
  std::vector<T> column = WorkCells<T>(Mat, static_cast<std::size_t>(rows));
  const std::int64_t bytes = rows * kCell;
  bool result = true;
  GuardAllocation<EKVLMatrixError>(Mat, [&] {
    for (std::int32_t c = b[0]; c <= b[2]; ++c) {
      const std::int64_t got = InStream->Read(column.data(), bytes);
      for (std::int64_t k = 0; k < got / kCell; ++k)
        Store(c, b[1] + static_cast<std::int32_t>(k), column[static_cast<std::size_t>(k)]);
      if (got < bytes) {  // the stream is exhausted
        result = false;
        return;
      }
    }
  });
  Changed();
  return result;
}

}  // namespace kvl::matrix_internal
