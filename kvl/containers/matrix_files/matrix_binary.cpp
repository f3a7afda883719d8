// The binary files of the two-dimensional matrices: record 0 the header
// (layers and time slots 0; format 1 for TMatrix, 2 for TIntMatrix), the
// cells from record 1 on row by row, the column fastest (the order of a
// four-dimensional file of one layer and one time slot).

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix_files/internal/bin_records.h"

namespace kvl {

namespace mf = matfile_internal;

namespace {

/// Save2D: the header and Get(c, r) for every cell as cells of type T.
template <class T, class GetFn>
bool Save2D(const std::string& FName, std::int32_t Cols, std::int32_t Rows, const std::string& DataID,
            std::int32_t Format, GetFn&& Get) {
  std::array<char, mf::kRecordBytes> rec;
  if (!mf::EncodeHeader({Cols, Rows, 0, 0, DataID, Format}, rec)) return false;
  std::ofstream out(FName, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(rec.data(), rec.size());
  mf::TRecordWriter<T> w(out);
  for (std::int32_t r = 1; r <= Rows; ++r)
    for (std::int32_t c = 1; c <= Cols; ++c) w.Put(Get(c, r));
  w.Finish();
  out.close();
  return static_cast<bool>(out);
}

/// Load2D: checks the header for Kind and the data area, then Start(h) and
/// Put(c, r, value) for every cell. The status of LoadBinary.
template <class T, class StartFn, class PutFn>
std::int32_t Load2D(const std::string& FName, mf::TMatFileKind Kind, StartFn&& Start, PutFn&& Put) {
  std::ifstream in;
  mf::TBinHeader h;
  if (mf::ReadHeader(FName, in, h) != 0) return -1;
  if (!mf::ValidFor(h, Kind) || h.Cols < 1 || h.Rows < 1) return -2;
  if (!mf::HasDataArea<T>(in, std::uint64_t(h.Cols) * std::uint64_t(h.Rows))) return -3;
  Start(h);
  mf::TRecordReader<T> rd(in);
  rd.SeekValue(0);
  for (std::int32_t r = 1; r <= h.Rows; ++r)
    for (std::int32_t c = 1; c <= h.Cols; ++c) Put(c, r, rd.Next());
  return 0;
}

/// LoadBlock: Load2D into a column-major block of T, which receives the
/// cells only when the whole file was read.
template <class T>
std::int32_t LoadBlock(const TComponent& Owner, const std::string& FName, mf::TMatFileKind Kind,
                       matrix_internal::TCellBlockOf<T>& Cells, mf::TBinHeader& Head) {
  return Load2D<T>(
      FName, Kind,
      [&](const mf::TBinHeader& h) {
        Head = h;
        GuardAllocation<EKVLMatrixError>(Owner, [&] {
          Cells.SetSizeUninitialized(static_cast<std::size_t>(h.Cols) * static_cast<std::size_t>(h.Rows));
        });
      },
      [&](std::int32_t c, std::int32_t r, T v) {
        Cells[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(Head.Rows) + static_cast<std::size_t>(r - 1)] = v;
      });
}

/// Header2D: ReadBinaryHeader of the two-dimensional classes.
bool Header2D(const std::string& FName, mf::TMatFileKind Kind, std::int32_t& NrColumns, std::int32_t& NrRows,
              std::string& DataID, std::int32_t& Format) {
  mf::TBinHeader h;
  if (!mf::ReadHeaderOf(FName, h)) return false;
  NrColumns = h.Cols;
  NrRows = h.Rows;
  DataID = h.DataID;
  Format = h.Format;
  return mf::ValidFor(h, Kind);
}

}  // namespace

bool TMatrix::SaveBinary(const std::string& FName) const {
  return Save2D<double>(FName, FNCol, FNRow, FDataID, 1, [this](std::int32_t c, std::int32_t r) { return GetVal(c, r); });
}

std::int32_t TMatrix::LoadBinary(const std::string& FName) {
  matrix_internal::TCellBlock cells;
  mf::TBinHeader head;
  const std::int32_t status = LoadBlock(*this, FName, mf::TMatFileKind::Matrix, cells, head);
  if (status != 0) return status;
  FData.swap(cells);
  FNCol = head.Cols;
  FNRow = head.Rows;
  FDataID = head.DataID;
  Changed();
  Resized();
  return 0;
}

bool TMatrix::ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                               std::string& DataID, std::int32_t& Format) const {
  return Header2D(FName, mf::TMatFileKind::Matrix, NrColumns, NrRows, DataID, Format);
}

bool TIntMatrix::SaveBinary(const std::string& FName) const {
  return Save2D<std::int32_t>(FName, FNCol, FNRow, FDataID, 2,
                              [this](std::int32_t c, std::int32_t r) { return GetVal(c, r); });
}

std::int32_t TIntMatrix::LoadBinary(const std::string& FName) {
  matrix_internal::TCellBlockOf<std::int32_t> cells;
  mf::TBinHeader head;
  const std::int32_t status = LoadBlock(*this, FName, mf::TMatFileKind::IntMatrix, cells, head);
  if (status != 0) return status;
  FSparse.Clear();
  FNumAllocated = 0;
  FIsSparse = false;
  ResetBox();
  FData.swap(cells);
  FNCol = head.Cols;
  FNRow = head.Rows;
  FDataID = head.DataID;
  Changed();
  Resized();
  return 0;
}

bool TIntMatrix::ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                                  std::string& DataID, std::int32_t& Format) const {
  return Header2D(FName, mf::TMatFileKind::IntMatrix, NrColumns, NrRows, DataID, Format);
}

}  // namespace kvl
