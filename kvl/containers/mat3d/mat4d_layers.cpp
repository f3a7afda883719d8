// TMat4D: percentiles, the exchange of time slots, layers and pixels with
// TMat3D, vectors and plain arrays, the layer arithmetic and the reshaping
// operations.

#include <algorithm>
#include <cmath>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/core/math1/generators.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

// --- percentiles -----------------------------------------------------------------------------

double TMat4D::Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                          std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                          std::int32_t LowTimeSlot, std::int32_t HighTimeSlot) const {
  return BlockPercentile({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot}, prob);
}

double TMat4D::Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                          std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                          std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t SampleSize) const {
  return Percentile(prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot,
                    SampleSize, 0.0);
}

double TMat4D::Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                          std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                          std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t SampleSize,
                          double AbundantVal) const {
  return BlockSampledPercentile({LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot},
                                prob, SampleSize, AbundantVal);
}

// --- time slots and blocks -------------------------------------------------------------------

void TMat4D::CopyTimeSlotToMat3D(TMat3D* Dest, std::int32_t TimeSlot) const {
  CheckLayerSlot(1, TimeSlot);
  if (Dest == nullptr) return;
  Dest->Resize(FDims[0], FDims[1], FDims[2]);
  // Column fastest here, layer fastest there: written in the order of Dest.
  for (std::int32_t c = 1; c <= FDims[0]; ++c)
    for (std::int32_t r = 1; r <= FDims[1]; ++r) {
      double* pixel = Dest->FCells.data() + Dest->OffsetOf({c, r, 1});
      const double* from = FCells.data() + OffsetOf({c, r, 1, TimeSlot});
      for (std::size_t l = 0; l < static_cast<std::size_t>(FDims[2]); ++l) pixel[l] = from[l * FStride[2]];
    }
  Dest->Changed();
}

void TMat4D::CopyMat3DToTimeSlot(const TMat3D* Src, std::int32_t TimeSlot) {
  CheckLayerSlot(1, TimeSlot);
  if (Src == nullptr) return;
  const std::int32_t nc = std::min(FDims[0], Src->NrOfColumns());
  const std::int32_t nr = std::min(FDims[1], Src->NrOfRows());
  const std::size_t nl = static_cast<std::size_t>(std::min(FDims[2], Src->NrOfLayers()));
  for (std::int32_t c = 1; c <= nc; ++c)
    for (std::int32_t r = 1; r <= nr; ++r) {
      const double* pixel = Src->FCells.data() + Src->OffsetOf({c, r, 1});
      double* to = FCells.data() + OffsetOf({c, r, 1, TimeSlot});
      for (std::size_t l = 0; l < nl; ++l) to[l * FStride[2]] = pixel[l];
    }
  Changed();
}

void TMat4D::CopyFrom(const TMat4D* Source, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                      std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                      std::int32_t HighTimeSlot, std::int32_t DestCol, std::int32_t DestRow, std::int32_t DestLayer,
                      std::int32_t DestTimeSlot) {
  if (Source == nullptr) return;
  CopyBlockFrom(*Source, {LowCol, LowRow, LowLayer, LowTimeSlot}, {HighCol, HighRow, HighLayer, HighTimeSlot},
                {DestCol, DestRow, DestLayer, DestTimeSlot});
}

// --- array and pixel forms -------------------------------------------------------------------

std::int32_t TMat4D::SlotStatus(std::int32_t Layer, std::int32_t TimeSlot) const noexcept {
  if (Layer < 1 || Layer > FDims[2]) return -2;
  if (TimeSlot < 1 || TimeSlot > FDims[3]) return -1;
  return 0;
}

std::int32_t TMat4D::PixelStatus(std::int32_t Col, std::int32_t Row, std::int32_t Layer,
                                 std::int32_t TimeSlot) const noexcept {
  const std::int32_t status = SlotStatus(Layer, TimeSlot);
  if (status != 0) return status;
  if (Col < 1 || Col > FDims[0] || Row < 1 || Row > FDims[1]) return -3;
  return 0;
}

bool TMat4D::IsLayerShaped(const TDouble2DArray& A) const noexcept {
  if (A.size() != static_cast<std::size_t>(FDims[0])) return false;
  return std::ranges::all_of(A, [this](const auto& column) { return column.size() == static_cast<std::size_t>(FDims[1]); });
}

std::int32_t TMat4D::CopyLayerToArray(TDouble2DArray& Dest, std::int32_t Layer, std::int32_t TimeSlot) const {
  const std::int32_t status = SlotStatus(Layer, TimeSlot);
  if (status != 0) return status;
  const double* layer = FCells.data() + OffsetOf({1, 1, Layer, TimeSlot});
  TDouble2DArray cells(static_cast<std::size_t>(FDims[0]), std::vector<double>(static_cast<std::size_t>(FDims[1])));
  for (std::size_t r = 0; r < static_cast<std::size_t>(FDims[1]); ++r)
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c][r] = layer[r * FStride[1] + c];
  Dest.swap(cells);
  return 0;
}

std::int32_t TMat4D::CopyArrayToLayer(const TDouble2DArray& Src, std::int32_t Layer, std::int32_t TimeSlot) {
  const std::int32_t status = SlotStatus(Layer, TimeSlot);
  if (status != 0) return status;
  if (!IsLayerShaped(Src)) return -3;
  double* layer = LayerCells(Layer, TimeSlot);
  for (std::size_t r = 0; r < static_cast<std::size_t>(FDims[1]); ++r)
    for (std::size_t c = 0; c < Src.size(); ++c) layer[r * FStride[1] + c] = Src[c][r];
  Changed();
  return 0;
}

std::int32_t TMat4D::CopyTimeSlotToArray(TDouble3DArray& Dest, std::int32_t TimeSlot) const {
  const std::int32_t status = SlotStatus(1, TimeSlot);
  if (status != 0) return status;
  const std::size_t nc = static_cast<std::size_t>(FDims[0]), nr = static_cast<std::size_t>(FDims[1]),
                    nl = static_cast<std::size_t>(FDims[2]);
  TDouble3DArray cells(nc, TDouble2DArray(nr, std::vector<double>(nl)));
  const double* slot = FCells.data() + OffsetOf({1, 1, 1, TimeSlot});
  for (std::size_t l = 0; l < nl; ++l)
    for (std::size_t r = 0; r < nr; ++r)
      for (std::size_t c = 0; c < nc; ++c) cells[c][r][l] = slot[l * FStride[2] + r * FStride[1] + c];
  Dest.swap(cells);
  return 0;
}

std::int32_t TMat4D::CopyArrayToTimeSlot(const TDouble3DArray& Src, std::int32_t TimeSlot) {
  const std::int32_t status = SlotStatus(1, TimeSlot);
  if (status != 0) return status;
  const std::size_t nc = static_cast<std::size_t>(FDims[0]), nr = static_cast<std::size_t>(FDims[1]),
                    nl = static_cast<std::size_t>(FDims[2]);
  if (Src.size() != nc) return -3;
  for (const auto& column : Src) {
    if (column.size() != nr) return -3;
    for (const auto& pixel : column)
      if (pixel.size() != nl) return -3;
  }
  double* slot = FCells.data() + OffsetOf({1, 1, 1, TimeSlot});
  for (std::size_t l = 0; l < nl; ++l)
    for (std::size_t r = 0; r < nr; ++r)
      for (std::size_t c = 0; c < nc; ++c) slot[l * FStride[2] + r * FStride[1] + c] = Src[c][r][l];
  Changed();
  return 0;
}

std::int32_t TMat4D::CopyPixelTo1DArray(TDoubleArray& Dest, std::int32_t Col, std::int32_t Row,
                                        std::int32_t TimeSlot) const {
  const std::int32_t status = PixelStatus(Col, Row, 1, TimeSlot);
  if (status != 0) return status;
  TDoubleArray pixel(static_cast<std::size_t>(FDims[2]));
  const double* from = FCells.data() + OffsetOf({Col, Row, 1, TimeSlot});
  for (std::size_t l = 0; l < pixel.size(); ++l) pixel[l] = from[l * FStride[2]];
  Dest.swap(pixel);
  return 0;
}

std::int32_t TMat4D::Copy1DArrayToPixel(std::span<const double> Src, std::int32_t Col, std::int32_t Row,
                                        std::int32_t FirstLayer, std::int32_t TimeSlot) {
  const std::int32_t status = PixelStatus(Col, Row, FirstLayer, TimeSlot);
  if (status != 0) return status;
  const std::size_t n = std::min(Src.size(), static_cast<std::size_t>(FDims[2] - FirstLayer + 1));
  double* to = FCells.data() + OffsetOf({Col, Row, FirstLayer, TimeSlot});
  for (std::size_t l = 0; l < n; ++l) to[l * FStride[2]] = Src[l];
  Changed();
  return 0;
}

std::int32_t TMat4D::CopyPixelToVector(TVector* Dest, std::int32_t Col, std::int32_t Row,
                                       std::int32_t TimeSlot) const {
  const std::int32_t status = PixelStatus(Col, Row, 1, TimeSlot);
  if (status != 0) return status;
  if (Dest == nullptr) return -4;
  TDoubleArray pixel;
  CopyPixelTo1DArray(pixel, Col, Row, TimeSlot);
  Dest->Resize(FDims[2]);
  Dest->CopyFrom(std::span<const double>(pixel), 0, FDims[2] - 1, 1);
  return 0;
}

std::int32_t TMat4D::CopyVectorToPixel(const TVector* Src, std::int32_t Col, std::int32_t Row,
                                       std::int32_t FirstLayer, std::int32_t TimeSlot) {
  const std::int32_t status = PixelStatus(Col, Row, FirstLayer, TimeSlot);
  if (status != 0) return status;
  if (Src == nullptr) return -4;
  return Copy1DArrayToPixel(Src->Data(), Col, Row, FirstLayer, TimeSlot);
}

// --- layer arithmetic ------------------------------------------------------------------------

std::int32_t TMat4D::AccumulateLayer(std::int32_t Layer, std::int32_t TimeSlot, const TDouble2DArray& Src) {
  const std::int32_t status = SlotStatus(Layer, TimeSlot);
  if (status != 0) return status;
  if (!IsLayerShaped(Src)) return -3;
  double* layer = LayerCells(Layer, TimeSlot);
  for (std::size_t r = 0; r < static_cast<std::size_t>(FDims[1]); ++r)
    for (std::size_t c = 0; c < Src.size(); ++c) layer[r * FStride[1] + c] += Src[c][r];
  Changed();
  return 0;
}

std::int32_t TMat4D::FillLayer(std::int32_t Layer, std::int32_t TimeSlot, std::int32_t Mode, double par1,
                               double par2) {
  const std::int32_t status = SlotStatus(Layer, TimeSlot);
  if (status != 0) return status;
  if (Mode < 0 || Mode > 5) return -3;
  double* layer = LayerCells(Layer, TimeSlot);
  const std::size_t nc = static_cast<std::size_t>(FDims[0]), nr = static_cast<std::size_t>(FDims[1]);
  for (std::size_t r = 0, k = 0; r < nr; ++r)
    for (std::size_t c = 0; c < nc; ++c, ++k) {
      double& x = layer[k];
      switch (Mode) {
        case 0: x = par1; break;
        case 1: x = Random() * (par2 - par1) + par1; break;
        case 2: x = GRandom() * par2 + par1; break;
        case 3: x = par1 + static_cast<double>(c) * par2; break;
        case 4: x = par1 + static_cast<double>(r) * par2; break;
        default: x = par1 + static_cast<double>(k) * par2; break;
      }
    }
  Changed();
  return 0;
}

std::int32_t TMat4D::MultiplyLayersByArray(const TDouble2DArray& FactorArray, std::int32_t LowLayer,
                                           std::int32_t HighLayer, std::int32_t LowTimeSlot,
                                           std::int32_t HighTimeSlot) {
  if (!IsLayerShaped(FactorArray)) return -3;
  MakeValidLayerRange(LowLayer, HighLayer);
  MakeValidTSlotRange(LowTimeSlot, HighTimeSlot);
  // The factors once in the layer's order, so that every layer is one
  // contiguous product.
  const std::size_t nc = static_cast<std::size_t>(FDims[0]), n = FStride[2];
  std::vector<double> factors = GuardAllocation<EKVLMatrixError>(*this, [n] { return std::vector<double>(n); });
  for (std::size_t k = 0; k < n; ++k) factors[k] = FactorArray[k % nc][k / nc];
  for (std::int32_t t = LowTimeSlot; t <= HighTimeSlot; ++t)
    for (std::int32_t l = LowLayer; l <= HighLayer; ++l) {
      double* layer = LayerCells(l, t);
      for (std::size_t k = 0; k < n; ++k) layer[k] *= factors[k];
    }
  Changed();
  return 0;
}

// --- reshaping -------------------------------------------------------------------------------

void TMat4D::Cut(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                 std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeslot, std::int32_t HighTimeslot) {
  CutTo({LowCol, LowRow, LowLayer, LowTimeslot}, {HighCol, HighRow, HighLayer, HighTimeslot});
}

void TMat4D::Resample(std::int32_t XDiv, std::int32_t XOffset, std::int32_t YDiv, std::int32_t YOffset,
                      std::int32_t ZDiv, std::int32_t ZOffset, std::int32_t TDiv, std::int32_t TOffset, bool Average) {
  ResampleBy({XDiv, YDiv, ZDiv, TDiv}, {XOffset, YOffset, ZOffset, TOffset}, Average);
}

void TMat4D::Transpose() { TransposeColRow(); }

}  // namespace kvl
