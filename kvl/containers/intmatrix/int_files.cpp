// TIntMatrix text and stream forms: the ASC column text (with an optional
// block of custom texts), the text dump of a rectangle and its binary
// stream image, on the code shared with TMatrix. Layouts in docs/matrix3d.md.

#include <algorithm>
#include <string>
#include <vector>

#include "kvl/base/KVL_streams.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/asc_format.h"
#include "kvl/containers/matrix/internal/matrix_text_files.h"

namespace kvl {

// --- ASC column text ----------------------------------------------------------------------

std::int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return ExportAsASC(FName, Comment, TStr2DArray());
}

std::int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment,
                                     const TStr2DArray& CustData) const {
  std::vector<std::int32_t> scratch;
  return matrix_internal::WriteASCText<std::int32_t>(FName, ASCTitle(Comment, "TIntMatrix", FName),
                                                     CellImage(scratch), 0, CustData);
}

std::int32_t TIntMatrix::ImportASC(const std::string& FName, std::string& Comment) {
  TStr2DArray ignored;
  return ImportASC(FName, Comment, ignored);
}

std::int32_t TIntMatrix::ImportASC(const std::string& FName, std::string& Comment, TStr2DArray& CustData) {
  matrix_internal::TASCCells<std::int32_t> read;
  const std::int32_t status = matrix_internal::ReadASCText(*this, FName, Comment, CustData, read);
  if (read.NrColumns == 0) return status;
  // The matrix takes the header's size; cells read before a failure stay.
  Resize(read.NrColumns, read.NrRows);
  if (FIsSparse) {
    ResetStore();
    for (std::int32_t r = 1; r <= read.NrRows; ++r)
      for (std::int32_t c = 1; c <= read.NrColumns; ++c) StoreCell(c, r, read.At(c, r));
    FNCol = read.NrColumns;
    FNRow = read.NrRows;
  } else {
    std::copy(read.Cells.begin(), read.Cells.end(), FData.begin());
  }
  Changed();
  return status;
}

// --- text dump ------------------------------------------------------------------------------

bool TIntMatrix::StoreOnFile(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                             const std::string& FileName) const {
  return matrix_internal::WriteDump(*this, LowCol, LowRow, HighCol, HighRow, FileName);
}

bool TIntMatrix::LoadFromFile(const std::string& FileName, bool AdjustMatrixSize) {
  return matrix_internal::ReadDump<std::int32_t>(
      *this, FileName, AdjustMatrixSize, [this](std::int32_t c, std::int32_t r, std::int32_t v) { StoreCell(c, r, v); },
      [this] { Changed(); });
}

// --- binary stream image ----------------------------------------------------------------------

void TIntMatrix::SaveToStream(TMemoryStream*& OutStream, std::int32_t LowCol, std::int32_t LowRow,
                              std::int32_t HighCol, std::int32_t HighRow) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream;
  SaveToStream(static_cast<TStream*>(OutStream), LowCol, LowRow, HighCol, HighRow);
}

void TIntMatrix::SaveToStream(TStream* OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow) const {
  matrix_internal::WriteImage<std::int32_t>(*this, OutStream, LowCol, LowRow, HighCol, HighRow);
}

bool TIntMatrix::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  return matrix_internal::ReadImage<std::int32_t>(
      *this, InStream, AdjustMatrixSize, [this](std::int32_t c, std::int32_t r, std::int32_t v) { StoreCell(c, r, v); },
      [this] { Changed(); });
}

}  // namespace kvl
