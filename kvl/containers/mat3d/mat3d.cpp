// TMat3D: the stack of layers, its layer exchange with TMatrix and its
// binary file.

#include <algorithm>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix_files/internal/bin_records.h"

namespace kvl {

namespace mf = matfile_internal;

// The column is the slowest index, the layer the fastest.
TMat3D::TMat3D(TComponent* AOwner) : TMatNDBase<3>(AOwner, {0, 1, 2}) {}

TMat3D::~TMat3D() = default;

void TMat3D::FillDiag(double value) {
  const std::int32_t n = std::min({FDims[0], FDims[1], FDims[2]});
  for (std::int32_t i = 1; i <= n; ++i) FCells[OffsetOf({i, i, i})] = value;
  Changed();
}

void TMat3D::Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                  std::int32_t LowLayer, std::int32_t HighLayer, double Value, std::int32_t& Col, std::int32_t& Row,
                  std::int32_t& Layer) const {
  TIndex at;
  BlockFind({LowCol, LowRow, LowLayer}, {HighCol, HighRow, HighLayer}, Value, at);
  Col = at[0];
  Row = at[1];
  Layer = at[2];
}

void TMat3D::MinMax(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                    std::int32_t LowLayer, std::int32_t HighLayer, double& Minimum, double& Maximum) const {
  BlockMinMax({LowCol, LowRow, LowLayer}, {HighCol, HighRow, HighLayer}, Minimum, Maximum);
}

void TMat3D::MeanVar(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                     std::int32_t LowLayer, std::int32_t HighLayer, double& Mean, double& Variance) const {
  BlockMeanVar({LowCol, LowRow, LowLayer}, {HighCol, HighRow, HighLayer}, Mean, Variance);
}

double TMat3D::Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                          std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer) const {
  return BlockPercentile({LowCol, LowRow, LowLayer}, {HighCol, HighRow, HighLayer}, prob);
}

double TMat3D::Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                          std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                          std::int32_t SampleSize) const {
  return BlockSampledPercentile({LowCol, LowRow, LowLayer}, {HighCol, HighRow, HighLayer}, prob, SampleSize, 0.0);
}

void TMat3D::CheckLayer(std::int32_t Layer) const {
  if (Layer < 1 || Layer > FDims[2]) RaiseComponent<EKVLMatrixError>(*this, "specified layer beyond data range");
}

void TMat3D::CopyLayerToMatrix(TMatrix* DestMat, std::int32_t Layer) const {
  CopyLayerToMatrix(DestMat, Layer, 0, 0, 0, 0);
}

void TMat3D::CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t Layer) {
  CopyMatrixToLayer(SrcMat, 0, 0, 0, 0, Layer, 1, 1);
}

void TMat3D::CopyLayerToMatrix(TMatrix* DestMat, std::int32_t Layer, std::int32_t LowCol, std::int32_t HighCol,
                               std::int32_t LowRow, std::int32_t HighRow) const {
  CheckLayer(Layer);
  LayerRectToMatrix(DestMat, {1, 1, Layer}, LowCol, HighCol, LowRow, HighRow);
}

void TMat3D::CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t LowCol, std::int32_t HighCol,
                               std::int32_t LowRow, std::int32_t HighRow, std::int32_t Layer, std::int32_t DestCol,
                               std::int32_t DestRow) {
  CheckLayer(Layer);
  MatrixRectToLayer(SrcMat, LowCol, HighCol, LowRow, HighRow, {DestCol, DestRow, Layer});
}

// --- binary file: the cells in the order layer, row, column (fastest) ----------------------

bool TMat3D::SaveBinary(const std::string& FName) const {
  std::array<char, mf::kRecordBytes> rec;
  if (!mf::EncodeHeader({FDims[0], FDims[1], FDims[2], 0, FDataID, 1}, rec)) return false;
  std::ofstream out(FName, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(rec.data(), rec.size());
  mf::TRecordWriter<double> w(out);
  for (std::int32_t l = 1; l <= FDims[2]; ++l)
    for (std::int32_t r = 1; r <= FDims[1]; ++r)
      for (std::int32_t c = 1; c <= FDims[0]; ++c) w.Put(FCells[OffsetOf({c, r, l})]);
  w.Finish();
  out.close();
  return static_cast<bool>(out);
}

std::int32_t TMat3D::LoadBinary(const std::string& FName) {
  std::ifstream in;
  mf::TBinHeader h;
  if (mf::ReadHeader(FName, in, h) != 0) return -1;
  if (!mf::ValidFor(h, mf::TMatFileKind::Mat3D) || h.Cols < 1 || h.Rows < 1) return -2;
  std::uint64_t n = 0;
  if (!mf::ValueCount({h.Cols, h.Rows, h.Layers}, n) || !mf::HasDataArea<double>(in, n)) return -3;
  TMat3D tmp;
  tmp.ResizeTo({h.Cols, h.Rows, h.Layers});
  mf::TRecordReader<double> rd(in);
  rd.SeekValue(0);
  for (std::int32_t l = 1; l <= h.Layers; ++l)
    for (std::int32_t r = 1; r <= h.Rows; ++r)
      for (std::int32_t c = 1; c <= h.Cols; ++c) tmp.FCells[tmp.OffsetOf({c, r, l})] = rd.Next();
  tmp.FDataID = h.DataID;
  CopyCells(tmp);
  Changed();
  Resized();
  return 0;
}

bool TMat3D::ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                              std::int32_t& NrLayers, std::string& DataID, std::int32_t& Format) const {
  mf::TBinHeader h;
  if (!mf::ReadHeaderOf(FName, h)) return false;
  NrColumns = h.Cols;
  NrRows = h.Rows;
  NrLayers = h.Layers;
  DataID = h.DataID;
  Format = h.Format;
  return mf::ValidFor(h, mf::TMatFileKind::Mat3D);
}

}  // namespace kvl

namespace kvl {

void TMatrix::CopyFrom(const TMat3D* Source, std::int32_t Layer, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                       std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                       std::int32_t DestRow) {
  if (Source == nullptr) return;
  if (Layer < 1 || Layer > Source->NrOfLayers())
    RaiseComponent<EKVLMatrixError>(*this, "specified layer beyond data range");
  Source->MakeValidColRange(SourceColLo, SourceColHi);
  Source->MakeValidRowRange(SourceRowLo, SourceRowHi);
  for (std::int32_t c = SourceColLo; c <= SourceColHi; ++c) {
    const std::int64_t dc = std::int64_t{DestCol} + c - SourceColLo;
    if (dc < 1 || dc > FNCol) continue;
    for (std::int32_t r = SourceRowLo; r <= SourceRowHi; ++r) {
      const std::int64_t dr = std::int64_t{DestRow} + r - SourceRowLo;
      if (dr >= 1 && dr <= FNRow)
        FData[Offset(static_cast<std::int32_t>(dc), static_cast<std::int32_t>(dr))] = Source->GetVal(c, r, Layer);
    }
  }
  Changed();
}

}  // namespace kvl

// --- layers of plain 3-D arrays ----------------------------------------------------------------

namespace kvl {

namespace {

// 0 when A is a non-empty rectangular [column][row][layer] array whose
// layer Layer exists; -1 empty or ragged, -2 layer outside.
std::int32_t CheckArr3DLayer(const TDouble3DArray& A, std::int32_t Layer) {
  if (A.empty() || A[0].empty() || A[0][0].empty()) return -1;
  const std::size_t rows = A[0].size(), layers = A[0][0].size();
  for (const auto& column : A) {
    if (column.size() != rows) return -1;
    for (const auto& pixel : column)
      if (pixel.size() != layers) return -1;
  }
  if (A.size() > 2147483647u || rows > 2147483647u) return -1;
  if (Layer < 0 || static_cast<std::size_t>(Layer) >= layers) return -2;
  return 0;
}

}  // namespace

std::int32_t CopyArr3DLayerToMatrix(const TDouble3DArray& Src, std::int32_t Layer, TMatrix* Dest) {
  const std::int32_t status = CheckArr3DLayer(Src, Layer);
  if (status != 0) return status;
  if (Dest == nullptr) return -3;
  Dest->Resize(static_cast<std::int32_t>(Src.size()), static_cast<std::int32_t>(Src[0].size()));
  auto view = Dest->ColumnView();
  for (std::size_t c = 0; c < Src.size(); ++c)
    for (std::size_t r = 0; r < Src[c].size(); ++r) view[c][r] = Src[c][r][static_cast<std::size_t>(Layer)];
  Dest->Changed();
  return 0;
}

std::int32_t CopyArr3DLayerToArr2D(const TDouble3DArray& Src, std::int32_t Layer, TDouble2DArray& Dest) {
  const std::int32_t status = CheckArr3DLayer(Src, Layer);
  if (status != 0) return status;
  TDouble2DArray layer(Src.size(), std::vector<double>(Src[0].size()));
  for (std::size_t c = 0; c < Src.size(); ++c)
    for (std::size_t r = 0; r < Src[c].size(); ++r) layer[c][r] = Src[c][r][static_cast<std::size_t>(Layer)];
  Dest.swap(layer);
  return 0;
}

std::int32_t CopyMatrixToArray(const TMatrix* Src, TDouble2DArray& Dest) {
  if (Src == nullptr) return -3;
  const auto view = Src->ColumnView();
  TDouble2DArray cells(static_cast<std::size_t>(Src->NrOfColumns()));
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const auto column = view[c];
    cells[c].assign(column.begin(), column.end());
  }
  Dest.swap(cells);
  return 0;
}

}  // namespace kvl
