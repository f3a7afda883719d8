// TMat4D: storage order, addressing, block statistics, layer exchange with
// TMatrix and the four-dimensional binary file (streamed readers).

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix_files/internal/bin_records.h"

namespace kvl {

namespace mf = matfile_internal;

// The time slot is the slowest index, the column the fastest.
TMat4D::TMat4D(TComponent* AOwner) : TMatNDBase<4>(AOwner, {3, 2, 1, 0}) {}

TMat4D::~TMat4D() = default;

void TMat4D::FillDiag(double value) {
  const std::int32_t n = std::min({FDims[0], FDims[1], FDims[2], FDims[3]});
  for (std::int32_t i = 1; i <= n; ++i) FCells[OffsetOf({i, i, i, i})] = value;
  Changed();
}

void TMat4D::Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                  std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot, std::int32_t HighTimeSlot,
                  double Value, std::int32_t& Col, std::int32_t& Row, std::int32_t& Layer,
                  std::int32_t& TimeSlot) const {
  TIndex at;
  BlockFind({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, Value, at);
  Col = at[0];
  Row = at[1];
  Layer = at[2];
  TimeSlot = at[3];
}

void TMat4D::MinMax(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                    std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                    std::int32_t HighTimeSlot, double& Minimum, double& Maximum) const {
  BlockMinMax({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, Minimum, Maximum);
}

void TMat4D::MeanVar(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                     std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                     std::int32_t HighTimeSlot, double& Mean, double& Variance) const {
  BlockMeanVar({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, Mean, Variance);
}

double TMat4D::Sum(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                   std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                   std::int32_t HighTimeSlot) const {
  double s, s2;
  BlockSums({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, s, s2);
  return s;
}

double TMat4D::SquaredSum(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                          std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                          std::int32_t HighTimeSlot) const {
  double s, s2;
  BlockSums({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, s, s2);
  return s2;
}

std::int32_t TMat4D::CountValues(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                                 std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                                 std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, double RangeLow,
                                 double RangeHigh) const {
  return BlockCount({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, RangeLow,
                    RangeHigh);
}

void TMat4D::AssignHandlers(const TMatNDBase<4>& Source) {
  OnReadElement = static_cast<const TMat4D&>(Source).OnReadElement;
}

// --- addressing ------------------------------------------------------------------------------

std::int32_t TMat4D::Lin3DAddr(std::int32_t ix, std::int32_t iy, std::int32_t il) const noexcept {
  const std::int64_t cells = std::int64_t{FDims[0]} * FDims[1] * FDims[2];
  if (cells > 2147483647) return -2;
  if (FCells.empty() || ix < 1 || ix > FDims[0] || iy < 1 || iy > FDims[1] || il < 1 || il > FDims[2]) return -1;
  return static_cast<std::int32_t>((std::int64_t{iy - 1} * FDims[0] + (ix - 1)) * FDims[2] + (il - 1));
}

bool TMat4D::ConvertLinTo3DAddr(std::int32_t LinAddr, std::int32_t& ix, std::int32_t& iy,
                                std::int32_t& il) const noexcept {
  const std::int64_t cells = std::int64_t{FDims[0]} * FDims[1] * FDims[2];
  if (FCells.empty() || LinAddr < 0 || LinAddr >= cells) return false;
  il = LinAddr % FDims[2] + 1;
  ix = (LinAddr / FDims[2]) % FDims[0] + 1;
  iy = (LinAddr / FDims[2]) / FDims[0] + 1;
  return true;
}

double TMat4D::MemoryConsumed() const noexcept {
  return FDims[0] / 1048576.0 * FDims[1] * FDims[2] * FDims[3] * 8;
}

// --- exchange --------------------------------------------------------------------------------

void TMat4D::CheckLayerSlot(std::int32_t Layer, std::int32_t TimeSlot) const {
  if (Layer < 1 || Layer > FDims[2]) RaiseComponent<EKVLMatrixError>(*this, "specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FDims[3])
    RaiseComponent<EKVLMatrixError>(*this, "specified time slot beyond data range");
}

void TMat4D::CopyLayerToMatrix(TMatrix* DestMat, std::int32_t Layer, std::int32_t TimeSlot) const {
  CopyLayerToMatrix(DestMat, 0, 0, 0, 0, Layer, TimeSlot);
}

void TMat4D::CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t Layer, std::int32_t TimeSlot) {
  CopyMatrixToLayer(SrcMat, 0, 0, 0, 0, Layer, TimeSlot, 1, 1);
}

void TMat4D::CopyLayerToMatrix(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                               std::int32_t HighRow, std::int32_t Layer, std::int32_t TimeSlot) const {
  CheckLayerSlot(Layer, TimeSlot);
  LayerRectToMatrix(DestMat, {1, 1, Layer, TimeSlot}, LowCol, HighCol, LowRow, HighRow);
}

void TMat4D::CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t LowCol, std::int32_t HighCol,
                               std::int32_t LowRow, std::int32_t HighRow, std::int32_t Layer, std::int32_t TimeSlot,
                               std::int32_t DestCol, std::int32_t DestRow) {
  CheckLayerSlot(Layer, TimeSlot);
  MatrixRectToLayer(SrcMat, LowCol, HighCol, LowRow, HighRow, {DestCol, DestRow, Layer, TimeSlot});
}

void TMat4D::FillLayer(std::int32_t Layer, double value) {
  CheckLayerSlot(Layer, 1);
  for (std::int32_t t = 1; t <= FDims[3]; ++t) {
    double* layer = FCells.data() + OffsetOf({1, 1, Layer, t});
    std::fill(layer, layer + FStride[2], value);
  }
  Changed();
}

// --- binary files ----------------------------------------------------------------------------

bool TMat4D::SaveBinary(const std::string& FName, std::int32_t TSlotStart, std::int32_t TSlotEnd) const {
  MakeValidTSlotRange(TSlotStart, TSlotEnd);
  std::array<char, mf::kRecordBytes> rec;
  if (!mf::EncodeHeader({FDims[0], FDims[1], FDims[2], TSlotEnd - TSlotStart + 1, FDataID, 1}, rec)) return false;
  std::ofstream out(FName, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(rec.data(), rec.size());
  // The storage order is the file's: the chosen time slots are one run.
  mf::TRecordWriter<double> w(out);
  const double* first = FCells.data() + OffsetOf({1, 1, 1, TSlotStart});
  const double* last = FCells.data() + OffsetOf({1, 1, 1, TSlotEnd}) + FStride[3];
  for (const double* p = first; p != last; ++p) w.Put(*p);
  w.Finish();
  out.close();
  return static_cast<bool>(out);
}

std::int32_t TMat4D::LoadBinary(const std::string& FName) { return LoadFile(FName, true); }

std::int32_t TMat4D::LoadBinaryNoFmtCheck(const std::string& FName) { return LoadFile(FName, false); }

std::int32_t TMat4D::LoadFile(const std::string& FName, bool CheckFormat) {
  std::ifstream in;
  mf::TBinHeader h;
  if (mf::ReadHeader(FName, in, h) != 0) return -1;
  if (!CheckFormat) h.Format = 1;
  if (!mf::ValidFor(h, mf::TMatFileKind::Mat4D) || h.Cols < 1 || h.Rows < 1) return -2;
  std::uint64_t n = 0;
  if (!mf::ValueCount({h.Cols, h.Rows, h.Layers, h.TSlots}, n) || !mf::HasDataArea<double>(in, n)) return -3;
  matrix_internal::TCellBlock cells;
  GuardAllocation<EKVLMatrixError>(*this, [&] { cells.SetSizeUninitialized(static_cast<std::size_t>(n)); });
  in.clear();
  in.seekg(static_cast<std::streamoff>(mf::kRecordBytes));
  in.read(reinterpret_cast<char*>(cells.data()), static_cast<std::streamsize>(n * sizeof(double)));
  if (static_cast<std::uint64_t>(in.gcount()) != n * sizeof(double)) return -3;
  FCells.swap(cells);
  FDims = {h.Cols, h.Rows, h.Layers, h.TSlots};
  SetStrides();
  FDataID = h.DataID;
  Changed();
  Resized();
  return 0;
}

std::int32_t TMat4D::AppendToBinaryFile(const std::string& FName, std::int32_t TSlotStart,
                                       std::int32_t TSlotEnd) const {
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return SaveBinary(FName, TSlotStart, TSlotEnd) ? 0 : -6;
  MakeValidTSlotRange(TSlotStart, TSlotEnd);
  const std::int32_t added = TSlotEnd - TSlotStart + 1;
  constexpr std::uint64_t kPer = mf::TRecordWriter<double>::kPerRecord;
  mf::TBinHeader h;
  std::uint64_t stored = 0, grown = 0;
  std::array<char, mf::kRecordBytes> partial{};
  {
    std::ifstream in;
    const std::int32_t status = mf::ReadHeader(FName, in, h);
    if (status == -1) return -6;
    if (status != 0) return -1;
    if (!mf::ValidFor(h, mf::TMatFileKind::Mat4D) || h.Cols < 1 || h.Rows < 1) return -2;
    if (h.Cols != FDims[0] || h.Rows != FDims[1] || h.Layers != FDims[2]) return -3;
    if (!mf::ValueCount({h.Cols, h.Rows, h.Layers, h.TSlots}, stored) || !mf::HasDataArea<double>(in, stored))
      return -4;
    if (std::int64_t{h.TSlots} + added > 2147483647 ||
        !mf::ValueCount({h.Cols, h.Rows, h.Layers, h.TSlots + added}, grown))
      return -5;
    // The values continue the last record where the stored ones end.
    if (stored % kPer != 0) {
      in.seekg(static_cast<std::streamoff>((1 + stored / kPer) * mf::kRecordBytes));
      in.read(partial.data(), static_cast<std::streamsize>(partial.size()));
      if (in.gcount() != static_cast<std::streamsize>(partial.size())) return -4;
    }
  }
  std::ofstream out(FName, std::ios::binary | std::ios::in | std::ios::out);
  if (!out) return -6;
  out.seekp(static_cast<std::streamoff>((1 + stored / kPer) * mf::kRecordBytes));
  mf::TRecordWriter<double> w(out);
  w.Resume(partial, static_cast<std::size_t>(stored % kPer));
  const double* first = FCells.data() + OffsetOf({1, 1, 1, TSlotStart});
  const double* last = FCells.data() + OffsetOf({1, 1, 1, TSlotEnd}) + FStride[3];
  for (const double* p = first; p != last; ++p) w.Put(*p);
  w.Finish();
  out.flush();
  // The header grows only once every value is written: a failed write
  // leaves a file that still reads as before.
  if (!out) return -6;
  const std::int32_t slots = h.TSlots + added;
  out.seekp(12);
  out.write(reinterpret_cast<const char*>(&slots), sizeof slots);
  out.close();
  return out ? 0 : -6;
}

bool TMat4D::ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                              std::int32_t& NrLayers, std::int32_t& NrTimeSlots, std::string& DataID,
                              std::int32_t& Format) const {
  mf::TBinHeader h;
  if (!mf::ReadHeaderOf(FName, h)) return false;
  NrColumns = h.Cols;
  NrRows = h.Rows;
  NrLayers = h.Layers;
  NrTimeSlots = h.TSlots;
  DataID = h.DataID;
  Format = h.Format;
  return mf::ValidFor(h, mf::TMatFileKind::Mat4D);
}

namespace {

/// TLayerPlan: where one layer of one time slot lies in a 4-D file.
struct TLayerPlan {
  std::int32_t Cols, Rows;
  std::uint64_t First;  // value number of its first cell
};

/// PlanLayer: opens the file and checks Layer and TSlot against its
/// header: 0, -1 bad time slot, -2 bad layer (decides when both fail), -4
/// missing file or short header.
std::int32_t PlanLayer(const std::string& FName, std::ifstream& In, std::int32_t Layer, std::int32_t TSlot,
                       TLayerPlan& Plan) {
  mf::TBinHeader h;
  if (mf::ReadHeader(FName, In, h) != 0) return -4;
  if (Layer < 1 || Layer > h.Layers) return -2;
  if (TSlot < 1 || TSlot > h.TSlots || h.Cols < 1 || h.Rows < 1) return -1;
  // The file must be able to hold every value up to the end of that time slot.
  std::uint64_t upToSlot = 0;
  if (!mf::ValueCount({h.Cols, h.Rows, h.Layers, TSlot}, upToSlot)) mf::RaiseReadBeyondEnd();
  const std::uint64_t layerCells = std::uint64_t(h.Cols) * std::uint64_t(h.Rows);
  Plan = {h.Cols, h.Rows, (std::uint64_t(TSlot - 1) * std::uint64_t(h.Layers) + std::uint64_t(Layer - 1)) * layerCells};
  // Nothing is allocated for a layer that the file cannot hold.
  if (!mf::HasDataArea<double>(In, Plan.First + layerCells)) mf::RaiseReadBeyondEnd();
  return 0;
}

/// ReadPlannedLayer: Put(c, r, value) (0-based) for the cells of the layer, row by row.
template <class F>
void ReadPlannedLayer(std::ifstream& In, const TLayerPlan& Plan, F&& Put) {
  mf::TRecordReader<double> rd(In);
  rd.SeekValue(Plan.First);
  for (std::int32_t r = 0; r < Plan.Rows; ++r)
    for (std::int32_t c = 0; c < Plan.Cols; ++c) Put(c, r, rd.Next());
}

}  // namespace

std::int32_t TMat4D::ReadBinary(const std::string& FName, std::int32_t TSlotStart, std::int32_t TSlotEnd) {
  std::ifstream in;
  mf::TBinHeader h;
  if (mf::ReadHeader(FName, in, h) != 0) return -4;
  if (TSlotStart > h.TSlots) return -1;
  if (TSlotStart < 1 || TSlotEnd < 1) {
    TSlotStart = 1;
    TSlotEnd = h.TSlots;
  }
  TSlotEnd = std::min(TSlotEnd, h.TSlots);
  if (TSlotEnd < TSlotStart || h.Cols < 1 || h.Rows < 1 || h.Layers < 1) return 0;
  std::uint64_t upToEnd = 0;
  if (!mf::ValueCount({h.Cols, h.Rows, h.Layers, TSlotEnd}, upToEnd)) mf::RaiseReadBeyondEnd();
  const std::uint64_t perSlot = std::uint64_t(h.Cols) * std::uint64_t(h.Rows) * std::uint64_t(h.Layers);
  const std::uint64_t total = perSlot * std::uint64_t(TSlotEnd - TSlotStart + 1);
  const std::uint64_t step = std::max<std::uint64_t>(1, total / 100);
  // A short file fails before the first value is delivered.
  if (!mf::HasDataArea<double>(in, perSlot * std::uint64_t(TSlotEnd))) mf::RaiseReadBeyondEnd();
  mf::TRecordReader<double> rd(in);
  rd.SeekValue(perSlot * std::uint64_t(TSlotStart - 1));
  std::uint64_t done = 0;
  for (std::int32_t t = 1; t <= TSlotEnd - TSlotStart + 1; ++t)
    for (std::int32_t l = 1; l <= h.Layers; ++l)
      for (std::int32_t r = 1; r <= h.Rows; ++r)
        for (std::int32_t c = 1; c <= h.Cols; ++c) {
          const double v = rd.Next();
          if (OnReadElement) OnReadElement(this, c, r, l, t, v);
          if (++done % step == 0) PercDone(std::round(static_cast<double>(done) * 100.0 / static_cast<double>(total)));
        }
  return 0;
}

std::int32_t TMat4D::ReadLayer(const std::string& FName, std::int32_t Layer, std::int32_t TSlot) {
  std::ifstream in;
  TLayerPlan plan{};
  const std::int32_t status = PlanLayer(FName, in, Layer, TSlot, plan);
  if (status != 0) return status;
  if (Layer > FDims[2]) return -2;
  if (TSlot > FDims[3]) return -1;
  if (plan.Cols != FDims[0] || plan.Rows != FDims[1]) return -3;
  // Into a layer buffer first: a short file leaves this object unchanged.
  std::vector<double> layer;
  GuardAllocation<EKVLMatrixError>(*this, [&] { layer.resize(FStride[2]); });
  const std::uint64_t total = layer.size();
  const std::uint64_t step = std::max<std::uint64_t>(1, total / 100);
  std::uint64_t done = 0;
  ReadPlannedLayer(in, plan, [&](std::int32_t c, std::int32_t r, double v) {
    layer[static_cast<std::size_t>(r) * FStride[1] + static_cast<std::size_t>(c)] = v;
    if (++done % step == 0) PercDone(std::round(static_cast<double>(done) * 100.0 / static_cast<double>(total)));
  });
  std::copy(layer.begin(), layer.end(), FCells.data() + OffsetOf({1, 1, Layer, TSlot}));
  Changed();
  return 0;
}

std::int32_t Read4DLayer(const std::string& FName, std::int32_t Layer, std::int32_t TSlot, TDouble2DArray& Data) {
  std::ifstream in;
  TLayerPlan plan{};
  const std::int32_t status = PlanLayer(FName, in, Layer, TSlot, plan);
  if (status != 0) return status;
  TDouble2DArray layer(static_cast<std::size_t>(plan.Cols), std::vector<double>(static_cast<std::size_t>(plan.Rows)));
  ReadPlannedLayer(in, plan, [&](std::int32_t c, std::int32_t r, double v) {
    layer[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = v;
  });
  Data.swap(layer);
  return 0;
}

std::int32_t Read4DLayerAndAccumulate(const std::string& FName, std::int32_t Layer, std::int32_t TSlot,
                                      TDouble2DArray& Data) {
  std::ifstream in;
  TLayerPlan plan{};
  const std::int32_t status = PlanLayer(FName, in, Layer, TSlot, plan);
  if (status != 0) return status;
  if (Data.size() != static_cast<std::size_t>(plan.Cols)) return -3;
  for (const auto& column : Data)
    if (column.size() != static_cast<std::size_t>(plan.Rows)) return -3;
  // Summed into a copy: a short file leaves Data as it was.
  TDouble2DArray sum = Data;
  ReadPlannedLayer(in, plan, [&](std::int32_t c, std::int32_t r, double v) {
    sum[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] += v;
  });
  Data.swap(sum);
  return 0;
}

}  // namespace kvl
