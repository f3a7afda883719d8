#pragma once
// TMatNDBase: what TMat3D and TMat4D share, written once over the number of
// dimensions. Indices are 1-based and given in the library's order (column,
// row, layer[, time slot]); the cells lie in one contiguous block whose
// order each class fixes by its strides (TMat3D: the layer fastest, TMat4D:
// the column fastest, as in the binary file). Blocks of cells are validated
// dimension by dimension with the containers' one range rule and walked
// with the fastest dimension innermost.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/matrix/cell_block.h"
#include "kvl/containers/matrix_files/matrix_xml_tag.h"
#include "kvl/containers/range_rule.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

class TMatrix;

template <std::size_t N>
class TMatNDBase : public TComponent {
 public:
  using TIndex = std::array<std::int32_t, N>;

  /// DataID: free identification text of the data.
  const std::string& DataID() const noexcept { return FDataID; }
  void SetDataID(const std::string& Value) { FDataID = Value; }
  /// NrOfColumns / NrOfRows / NrOfLayers: the first three extents.
  std::int32_t NrOfColumns() const noexcept { return FDims[0]; }
  std::int32_t NrOfRows() const noexcept { return FDims[1]; }
  std::int32_t NrOfLayers() const noexcept { return FDims[2]; }
  /// Data: every cell in storage order.
  std::span<const double> Data() const noexcept { return {FCells.data(), FCells.size()}; }

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TOnPercentDoneEvent OnPercentDone;

  void Changed() { FireEvent(OnChange); }
  void Resized() { FireEvent(OnResize); }
  /// PercDone: forwards a progress report to OnPercentDone when assigned.
  void PercDone(double Percent) { FireEvent(OnPercentDone, Percent); }

  /// MakeValidColRange / RowRange / LayerRange: the range rule of TMatrix
  /// on each dimension (0, 0 = all; clamped and ordered; -1 when corrected).
  std::int32_t MakeValidColRange(std::int32_t& Lo, std::int32_t& Hi) const noexcept { return ValidRange(0, Lo, Hi); }
  std::int32_t MakeValidRowRange(std::int32_t& Lo, std::int32_t& Hi) const noexcept { return ValidRange(1, Lo, Hi); }
  std::int32_t MakeValidLayerRange(std::int32_t& Lo, std::int32_t& Hi) const noexcept {
    return ValidRange(2, Lo, Hi);
  }

  /// Fill: every cell := value; OnChange.
  void Fill(double value) {
    for (double& x : FCells) x = value;
    Changed();
  }
  /// FillSerial: cell number k in storage order := Offset + k Diff; OnChange.
  void FillSerial(double Offset, double Diff) {
    for (std::size_t k = 0; k < FCells.size(); ++k) FCells[k] = Offset + static_cast<double>(k) * Diff;
    Changed();
  }
  /// FillRandomUniform: every cell := r (RangeHigh - RangeLow) + RangeLow.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// FillRandomGauss: every cell := GRandom StdDev + Mean.
  void FillRandomGauss(double Mean, double StdDev);
  /// Assign: from a matrix of the same number of dimensions copies size,
  /// DataID, cells and handlers without events; other sources go to the
  /// inherited Assign.
  void Assign(const TPersistent* Source) override;
  /// AssignTo: into a matrix of the same kind calls its Assign(this).
  void AssignTo(TPersistent* Dest) const override;
  /// Clone: this becomes an equal copy of Source; OnChange, OnResize.
  void Clone(const TMatNDBase* Source);
  /// CRCofData: eight CRC-32s over the byte positions of the cells in
  /// storage order, as TMatrix::CRCofData.
  std::string CRCofData() const;
  /// MirrorColumns / MirrorRows / MirrorLayers: reverse the order of the
  /// columns, rows or layers; OnChange.
  void MirrorColumns() { MirrorDim(0); }
  void MirrorRows() { MirrorDim(1); }
  void MirrorLayers() { MirrorDim(2); }

 protected:
  explicit TMatNDBase(TComponent* AOwner, const std::array<std::size_t, N>& SlowToFast);

  std::int32_t ValidRange(std::size_t Dim, std::int32_t& Lo, std::int32_t& Hi) const noexcept {
    return detail::MakeValidRange(Lo, Hi, FDims[Dim], detail::TSwapRule::Corrects);
  }
  bool Inside(const TIndex& Ix) const noexcept {
    for (std::size_t d = 0; d < N; ++d)
      if (Ix[d] < 1 || Ix[d] > FDims[d]) return false;
    return true;
  }
  std::size_t OffsetOf(const TIndex& Ix) const noexcept {
    std::size_t o = 0;
    for (std::size_t d = 0; d < N; ++d) o += static_cast<std::size_t>(Ix[d] - 1) * FStride[d];
    return o;
  }
  double Get(const TIndex& Ix) const noexcept { return Inside(Ix) ? FCells[OffsetOf(Ix)] : 0.0; }
  void Set(const TIndex& Ix, double Value) {
    if (!Inside(Ix)) return;
    FCells[OffsetOf(Ix)] = Value;
    Changed();
  }
  /// ResizeTo: the new extents keep the overlapping block, new cells 0;
  /// false for an extent below 1 or an unchanged size; OnChange, OnResize.
  bool ResizeTo(const TIndex& Dims);
  bool ResizeAndClearTo(const TIndex& Dims);
  /// ValidBlock: Lo, Hi after the range rule of every dimension.
  void ValidBlock(TIndex& Lo, TIndex& Hi) const noexcept {
    for (std::size_t d = 0; d < N; ++d) ValidRange(d, Lo[d], Hi[d]);
  }
  /// ForBlock: f(index, offset) for every cell of a valid block, the
  /// fastest dimension innermost.
  template <class F>
  void ForBlock(const TIndex& Lo, const TIndex& Hi, F&& f) const;
  /// BlockFind / BlockMinMax / BlockMeanVar / BlockSum / BlockCount: the
  /// block statistics over a block validated here.
  void BlockFind(TIndex Lo, TIndex Hi, double Value, TIndex& At) const;
  void BlockMinMax(TIndex Lo, TIndex Hi, double& Minimum, double& Maximum) const;
  void BlockMeanVar(TIndex Lo, TIndex Hi, double& Mean, double& Variance) const;
  void BlockSums(TIndex Lo, TIndex Hi, double& Sum, double& SquaredSum) const;
  std::int32_t BlockCount(TIndex Lo, TIndex Hi, double RangeLow, double RangeHigh) const;
  /// BlockPercentile: nearest rank over a block validated here: the cell at
  /// sorted position round(n prob / 100), at most n - 1 (prob clamped to 0..100).
  double BlockPercentile(TIndex Lo, TIndex Hi, double prob) const;
  /// BlockSampledPercentile: the percentile estimated from SampleSize cells
  /// drawn with repetition (each index uniform over the block, the generator
  /// reseeded from the clock); AbundantVal when the share of values below it
  /// is below prob / 100 and the share up to it above. SampleSize <= 0 or
  /// not below the block's cells: BlockPercentile.
  double BlockSampledPercentile(TIndex Lo, TIndex Hi, double prob, std::int32_t SampleSize,
                                double AbundantVal) const;
  /// CRCofSample: CRCofData over the cells 0, Sample, 2 Sample, ... of the
  /// storage order (Sample below 1 counts as 1).
  std::string CRCofSample(std::int32_t Sample) const;
  /// MirrorDim: reverses the order of the indices of dimension D; OnChange.
  void MirrorDim(std::size_t D);
  /// CopyBlockFrom: the block Lo..Hi of Source (validated by Source's range
  /// rule) to this object with its first cell at DestAt; cells falling
  /// outside this object are skipped; OnChange.
  void CopyBlockFrom(const TMatNDBase& Source, TIndex Lo, TIndex Hi, const TIndex& DestAt);
  /// LayerRectToMatrix: DestMat (block columns x rows) := the columns
  /// LowCol..HighCol and rows LowRow..HighRow (range rule) of the layer
  /// whose further indices At gives (its column and row are ignored).
  void LayerRectToMatrix(TMatrix* DestMat, TIndex At, std::int32_t LowCol, std::int32_t HighCol,
                         std::int32_t LowRow, std::int32_t HighRow) const;
  /// MatrixRectToLayer: the rectangle of SrcMat (its range rule) into the
  /// layer of At with its first cell at At's column and row; cells falling
  /// outside are skipped; OnChange.
  void MatrixRectToLayer(const TMatrix* SrcMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                         std::int32_t HighRow, TIndex At);
  /// CutTo: keeps only the block Lo..Hi (range rule); OnChange, and OnResize
  /// when the size changes.
  void CutTo(TIndex Lo, TIndex Hi);
  /// ResampleBy: keeps every Div[d]-th index of each dimension from the
  /// 0-based Offset[d] on, new extent (n - Offset - 1) div Div + 1; with
  /// Average each kept cell becomes the mean of its block of up to Div
  /// indices per dimension (a block cut by the end of a dimension is
  /// averaged over the cells it has). Div below 1 counts as 1, Offset is
  /// clamped into 0..n - 1. OnChange, and OnResize when the size changes.
  void ResampleBy(TIndex Div, TIndex Offset, bool Average);
  /// TransposeColRow: exchanges the column and row indices of every cell
  /// (each layer is transposed); OnChange, and OnResize when not square.
  void TransposeColRow();
  /// Rebuild: a new cell block of extents Dims whose cell at index ix (in
  /// the new extents) is CellOf(ix), written in storage order; the old
  /// cells stay readable until CellOf has run for every cell.
  template <class F>
  void Rebuild(const TIndex& Dims, F&& CellOf);
  /// FinishReshape: the events after a reshaping from OldDims.
  void FinishReshape(const TIndex& OldDims);
  /// CopyCells: size, DataID and cells of Source, no events.
  void CopyCells(const TMatNDBase& Source);
  /// AssignHandlers: the further handlers of a derived class (Source is of
  /// the same class).
  virtual void AssignHandlers(const TMatNDBase& Source) { (void)Source; }
  void SetStrides();
  /// CellCount: the product of the extents (0 when any is below 1).
  std::size_t CellCount(const TIndex& Dims) const noexcept;
  /// XmlWrite / XmlTag / XmlRead: the XML-like text of the derived classes
  /// (matrix_xml_classes.cpp); XmlRead fills Fresh, a new object of this
  /// class, and takes its cells when the whole text was accepted.
  void XmlWrite(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const;
  std::int32_t XmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content);
  bool XmlRead(TMatNDBase& Fresh, std::string_view Text, std::string_view DataID, std::int32_t& EndPos);

  TIndex FDims{};
  TIndex FAux{};  // sizes announced by a file while it is read
  std::array<std::size_t, N> FSlowToFast;
  std::array<std::size_t, N> FStride{};
  std::string FDataID;
  matrix_internal::TCellBlock FCells;
  bool FirstCell = false;
};

template <std::size_t N>
template <class F>
void TMatNDBase<N>::ForBlock(const TIndex& Lo, const TIndex& Hi, F&& f) const {
  for (std::size_t d = 0; d < N; ++d)
    if (Hi[d] < Lo[d]) return;
  const std::size_t inner = FSlowToFast[N - 1];
  TIndex ix = Lo;
  for (;;) {
    std::size_t o = OffsetOf(ix);
    for (std::int32_t k = Lo[inner]; k <= Hi[inner]; ++k, o += FStride[inner]) {
      ix[inner] = k;
      f(static_cast<const TIndex&>(ix), o);
    }
    ix[inner] = Lo[inner];
    // The outer dimensions advance as an odometer, slowest last.
    std::size_t level = N - 1;
    while (level-- > 0) {
      const std::size_t d = FSlowToFast[level];
      if (ix[d] < Hi[d]) {
        ++ix[d];
        break;
      }
      ix[d] = Lo[d];
      if (level == 0) return;
    }
  }
}

template <std::size_t N>
template <class F>
void TMatNDBase<N>::Rebuild(const TIndex& Dims, F&& CellOf) {
  matrix_internal::TCellBlock cells;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    const std::size_t n = CellCount(Dims);
    if (n == std::numeric_limits<std::size_t>::max()) throw std::bad_alloc();
    cells.SetSizeUninitialized(n);
  });
  // The new index advances as an odometer in the new storage order, so the
  // cells are written one after the other.
  TIndex ix;
  ix.fill(1);
  for (std::size_t k = 0, n = cells.size(); k < n; ++k) {
    cells[k] = CellOf(static_cast<const TIndex&>(ix));
    for (std::size_t level = N; level-- > 0;) {
      const std::size_t d = FSlowToFast[level];
      if (ix[d] < Dims[d]) {
        ++ix[d];
        break;
      }
      ix[d] = 1;
    }
  }
  FCells.swap(cells);
  FDims = Dims;
  SetStrides();
}

extern template class TMatNDBase<3>;
extern template class TMatNDBase<4>;

}  // namespace kvl

KVL_API_END
