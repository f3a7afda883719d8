// TMatrix text and stream forms: the ASC column text (with an optional
// block of custom texts), the text dump of a rectangle (and the plain table
// of numbers it reads with AutoDetect) and the binary stream image, on the
// code shared with TIntMatrix. Layouts in docs/matrix_files.md.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "kvl/base/KVL_streams.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/asc_format.h"
#include "kvl/containers/matrix/internal/matrix_text_files.h"

namespace kvl {

namespace {

/// ScanTable: passes the words of a plain table line by line: Word(k, w)
/// for the k-th word (0-based) of the line, then EndLine(HasDigit). A word
/// longer than kMaxWord characters is handed over empty (it is no number).
template <class WordFn, class LineFn>
void ScanTable(std::istream& In, WordFn Word, LineFn EndLine) {
  constexpr std::size_t kMaxWord = 128;
  TWordReader in(In);
  std::string word;
  bool tooLong = false, digit = false;
  std::int64_t k = 0;
  const auto endWord = [&] {
    if (word.empty() && !tooLong) return;
    Word(k++, tooLong ? std::string_view() : std::string_view(word));
    word.clear();
    tooLong = false;
  };
  for (int c = in.Get();; c = in.Get()) {
    if (c < 0 || c == '\n' || c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
      endWord();
      if (c < 0 || c == '\n') {
        EndLine(digit);
        digit = false;
        k = 0;
        if (c < 0) return;
      }
      continue;
    }
    digit = digit || (c >= '0' && c <= '9');
    if (word.size() < kMaxWord)
      word += static_cast<char>(c);
    else
      tooLong = true;
  }
}

}  // namespace

// --- ASC column text ----------------------------------------------------------------------

std::int32_t TMatrix::ExportAsASC(const std::string& FName, std::int32_t Precision, const std::string& Comment) const {
  return ExportAsASC(FName, Precision, Comment, TStr2DArray());
}

std::int32_t TMatrix::ExportAsASC(const std::string& FName, std::int32_t Precision, const std::string& Comment,
                                  const TStr2DArray& CustData) const {
  return matrix_internal::WriteASCText<double>(FName, ASCTitle(Comment, "TMatrix", FName), ColumnView(), Precision,
                                               CustData);
}

std::int32_t TMatrix::ImportASC(const std::string& FName, std::string& Comment) {
  TStr2DArray ignored;
  return ImportASC(FName, Comment, ignored);
}

std::int32_t TMatrix::ImportASC(const std::string& FName, std::string& Comment, TStr2DArray& CustData) {
  matrix_internal::TASCCells<double> read;
  const std::int32_t status = matrix_internal::ReadASCText(*this, FName, Comment, CustData, read);
  // The cells are read aside: a failed import leaves the matrix as it was.
  if (status != 0) return status;
  Resize(read.NrColumns, read.NrRows);
  std::copy(read.Cells.begin(), read.Cells.end(), FData.data());
  Changed();
  return 0;
}

// --- text dump ------------------------------------------------------------------------------

bool TMatrix::StoreOnFile(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                          const std::string& FileName) const {
  return matrix_internal::WriteDump(*this, LowCol, LowRow, HighCol, HighRow, FileName);
}

bool TMatrix::LoadFromFile(const std::string& FileName, bool AdjustMatrixSize) {
  return matrix_internal::ReadDump<double>(
      *this, FileName, AdjustMatrixSize,
      [this](std::int32_t c, std::int32_t r, double v) { FData[Offset(c, r)] = v; }, [this] { Changed(); });
}

bool TMatrix::LoadFromFile(const std::string& FileName, bool AdjustMatrixSize, bool AutoDetect) {
  if (!AutoDetect) return LoadFromFile(FileName, AdjustMatrixSize);
  std::ifstream file;
  if (OpenASCFile(FileName, file) != 0) return false;
  if (AdjustMatrixSize) {
    std::int64_t rows = 0, cols = 0, words = 0;
    ScanTable(
        file, [&](std::int64_t, std::string_view) { ++words; },
        [&](bool HasDigit) {
          if (HasDigit) {
            ++rows;
            cols = std::max(cols, words);
          }
          words = 0;
        });
    // The table must fill what it asks for: rows x longest row values of at
    // least one character and a separator each.
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(FileName, ec);
    if (ec || rows > std::numeric_limits<std::int32_t>::max() || cols > std::numeric_limits<std::int32_t>::max() || !matrix_internal::FitsInBytes(rows * cols, bytes)) return false;
    if (rows >= 1 && cols >= 1) Resize(static_cast<std::int32_t>(cols), static_cast<std::int32_t>(rows));
    file.clear();
    if (!file.seekg(0)) return false;
  }
  // One line's cells are collected, then stored when the line is a row.
  struct TCell {
    double Value;
    bool Read;
  };
  std::vector<TCell> line = matrix_internal::WorkCells<TCell>(*this, Cols());
  std::int32_t row = 0;
  ScanTable(
      file,
      [&](std::int64_t k, std::string_view w) {
        if (k < FNCol) line[static_cast<std::size_t>(k)].Read = ParseReal(w, line[static_cast<std::size_t>(k)].Value);
      },
      [&](bool HasDigit) {
        if (HasDigit && row < FNRow) {
          ++row;
          for (std::int32_t c = 1; c <= FNCol; ++c)
            if (line[static_cast<std::size_t>(c - 1)].Read) FData[Offset(c, row)] = line[static_cast<std::size_t>(c - 1)].Value;
        }
        std::fill(line.begin(), line.end(), TCell{0.0, false});
      });
  Changed();
  return true;
}

// --- binary stream image ----------------------------------------------------------------------

void TMatrix::SaveToStream(TMemoryStream*& OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                           std::int32_t HighRow) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream;
  SaveToStream(static_cast<TStream*>(OutStream), LowCol, LowRow, HighCol, HighRow);
}

void TMatrix::SaveToStream(TStream* OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                           std::int32_t HighRow) const {
  matrix_internal::WriteImage<double>(*this, OutStream, LowCol, LowRow, HighCol, HighRow);
}

bool TMatrix::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  return matrix_internal::ReadImage<double>(
      *this, InStream, AdjustMatrixSize,
      [this](std::int32_t c, std::int32_t r, double v) { FData[Offset(c, r)] = v; }, [this] { Changed(); });
}

}  // namespace kvl
