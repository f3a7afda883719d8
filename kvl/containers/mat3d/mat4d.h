#pragma once
// TMat4D: a time series of layer stacks, columns x rows x layers x time
// slots (part of unit KVL_matrix; include "kvl/containers/KVL_matrix.h").
//
//   TMat4D m;
//   m.Resize(512, 512, 4, 10);
//   TMatrix mean;
//   m.MeanOfLayersToMatrix(&mean, 0, 0, 0, 0, 0, 0, 0, 0, 2);  // 2 threads
//   m.OnReadElement = [](TObject*, int ix, int iy, int il, int it, double v) { ... };
//   m.ReadBinary("big.bin", 0, 0);   // streams a file larger than memory
//
// The cells lie in one block indexed [time slot][layer][row][column], the
// column fastest: the order of the binary file, so that a layer of a time
// slot is one contiguous run. The four reductions hand destination columns
// to at most NThreads worker threads (std::thread, all joined before the
// call returns); their results equal the one-thread ones bit for bit.

#include <cstdint>
#include <functional>
#include <string>

#include "kvl/containers/mat3d/matnd_base.h"

KVL_API_BEGIN

namespace kvl {

class TMatrix;
class TMat3D;
class TVector;

/// TOnReadMat4DElementEvent: one value delivered by TMat4D::ReadBinary.
using TOnReadMat4DElementEvent = std::function<void(TObject* Sender, std::int32_t ix, std::int32_t iy,
                                                    std::int32_t il, std::int32_t it, double Value)>;

/// TMat4D: a four-dimensional matrix of Doubles, indices (column, row, layer, time slot).
class TMat4D : public TMatNDBase<4> {
 public:
  /// Creates a 1 x 1 x 1 x 1 matrix holding 0.
  explicit TMat4D(TComponent* AOwner = nullptr);
  ~TMat4D() override;

  std::int32_t NrOfTimeSlots() const noexcept { return FDims[3]; }
  void SetNrOfColumns(std::int32_t Value) { Resize(Value, FDims[1], FDims[2], FDims[3]); }
  void SetNrOfRows(std::int32_t Value) { Resize(FDims[0], Value, FDims[2], FDims[3]); }
  void SetNrOfLayers(std::int32_t Value) { Resize(FDims[0], FDims[1], Value, FDims[3]); }
  void SetNrOfTimeSlots(std::int32_t Value) { Resize(FDims[0], FDims[1], FDims[2], Value); }
  double Elem(std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) const noexcept { return GetVal(c, r, l, t); }
  void SetElem(std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t, double Value) { SetVal(c, r, l, t, Value); }

  /// OnReadElement: receives the values streamed by ReadBinary.
  TOnReadMat4DElementEvent OnReadElement;

  double GetVal(std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) const noexcept { return Get({c, r, l, t}); }
  void SetVal(std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t, double Value) { Set({c, r, l, t}, Value); }
  bool Resize(std::int32_t Nc, std::int32_t Nr, std::int32_t Nl, std::int32_t Nt) { return ResizeTo({Nc, Nr, Nl, Nt}); }
  bool ResizeAndClear(std::int32_t Nc, std::int32_t Nr, std::int32_t Nl, std::int32_t Nt) {
    return ResizeAndClearTo({Nc, Nr, Nl, Nt});
  }
  /// MakeValidTSlotRange: the range rule on the time slots.
  std::int32_t MakeValidTSlotRange(std::int32_t& Lo, std::int32_t& Hi) const noexcept { return ValidRange(3, Lo, Hi); }
  /// FillDiag: the cells (i, i, i, i), i up to the smallest dimension := value.
  void FillDiag(double value);

  // --- block statistics (LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot)

  void Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow, std::int32_t LowLayer,
            std::int32_t HighLayer, std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, double Value,
            std::int32_t& Col, std::int32_t& Row, std::int32_t& Layer, std::int32_t& TimeSlot) const;
  void MinMax(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
              std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot, std::int32_t HighTimeSlot,
              double& Minimum, double& Maximum) const;
  void MeanVar(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
               std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot, std::int32_t HighTimeSlot,
               double& Mean, double& Variance) const;
  double Sum(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
             std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot, std::int32_t HighTimeSlot) const;
  double SquaredSum(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                    std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                    std::int32_t HighTimeSlot) const;
  /// CountValues: cells x of the block with RangeLow <= x <= RangeHigh.
  std::int32_t CountValues(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                           std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                           std::int32_t HighTimeSlot, double RangeLow, double RangeHigh) const;
  /// Percentile: nearest rank over the block: the cell at sorted position
  /// round(n prob / 100), at most n - 1 (prob clamped to 0..100).
  double Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                    std::int32_t HighTimeSlot) const;
  /// Percentile: estimated from SampleSize cells drawn at random (every cell
  /// when SampleSize <= 0 or not below the block's cells); 0 when the share
  /// of negative sample values is below prob / 100 and that of values <= 0 above.
  double Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                    std::int32_t HighTimeSlot, std::int32_t SampleSize) const;
  /// Percentile: the sampled form with AbundantVal in place of 0 (values
  /// below it counted as the negatives, values equal to it as the zeros).
  double Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                    std::int32_t HighTimeSlot, std::int32_t SampleSize, double AbundantVal) const;
  using TMatNDBase<4>::CRCofData;
  /// CRCofData: the checksum of every Sample-th cell in storage order (the
  /// first included; Sample below 2 gives CRCofData()).
  std::string CRCofData(std::int32_t Sample) const { return CRCofSample(Sample); }


  // --- addressing ---------------------------------------------------------------------------

  /// Lin3DAddr: ((iy - 1) columns + (ix - 1)) layers + (il - 1); -2 when
  /// columns rows layers exceeds 2147483647, -1 for an index outside.
  std::int32_t Lin3DAddr(std::int32_t ix, std::int32_t iy, std::int32_t il) const noexcept;
  /// ConvertLinTo3DAddr: the inverse of Lin3DAddr; false outside 0..cells-1.
  bool ConvertLinTo3DAddr(std::int32_t LinAddr, std::int32_t& ix, std::int32_t& iy, std::int32_t& il) const noexcept;
  /// MemoryConsumed: the cell storage in mebibytes.
  double MemoryConsumed() const noexcept;

  // --- exchange -------------------------------------------------------------------------------

  /// CopyLayerToMatrix: DestMat := layer Layer of time slot TimeSlot. Raises
  /// "specified layer beyond data range" / "specified time slot beyond data range".
  void CopyLayerToMatrix(TMatrix* DestMat, std::int32_t Layer, std::int32_t TimeSlot) const;
  /// CopyMatrixToLayer: the overlap of SrcMat and the layer := SrcMat; OnChange.
  void CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t Layer, std::int32_t TimeSlot);
  /// CopyLayerToMatrix: DestMat := the rectangle LowCol..HighCol,
  /// LowRow..HighRow (range rule) of the layer. Raises as above.
  void CopyLayerToMatrix(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                         std::int32_t HighRow, std::int32_t Layer, std::int32_t TimeSlot) const;
  /// CopyMatrixToLayer: the rectangle of SrcMat (its range rule) into the
  /// layer with its first cell at (DestCol, DestRow); cells falling outside
  /// are skipped; OnChange. Raises as above.
  void CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                         std::int32_t HighRow, std::int32_t Layer, std::int32_t TimeSlot, std::int32_t DestCol,
                         std::int32_t DestRow);
  /// FillLayer: layer Layer of every time slot := value; OnChange. Raises for a bad layer.
  void FillLayer(std::int32_t Layer, double value);
  /// CopyTimeSlotToMat3D: Dest (columns x rows x layers) := time slot
  /// TimeSlot. Raises "specified time slot beyond data range".
  void CopyTimeSlotToMat3D(TMat3D* Dest, std::int32_t TimeSlot) const;
  /// CopyMat3DToTimeSlot: the overlap of Src and time slot TimeSlot := Src's
  /// cells; OnChange. Raises as CopyTimeSlotToMat3D.
  void CopyMat3DToTimeSlot(const TMat3D* Src, std::int32_t TimeSlot);
  /// CopyFrom: the block of Source (its range rule) to this matrix with its
  /// first cell at (DestCol, DestRow, DestLayer, DestTimeSlot); cells falling
  /// outside are skipped; OnChange.
  void CopyFrom(const TMat4D* Source, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                std::int32_t HighTimeSlot, std::int32_t DestCol, std::int32_t DestRow, std::int32_t DestLayer,
                std::int32_t DestTimeSlot);

  // The array and pixel forms return a status instead of raising: 0 done, -1
  // time slot outside, -2 layer outside (checked first), -3 column/row
  // outside or an array of the wrong shape, -4 no vector. Nothing changes
  // unless 0; a change fires OnChange once.

  /// CopyLayerToArray: Dest := layer Layer of time slot TimeSlot as [columns][rows].
  std::int32_t CopyLayerToArray(TDouble2DArray& Dest, std::int32_t Layer, std::int32_t TimeSlot) const;
  /// CopyArrayToLayer: layer Layer of time slot TimeSlot := Src ([columns][rows] exactly).
  std::int32_t CopyArrayToLayer(const TDouble2DArray& Src, std::int32_t Layer, std::int32_t TimeSlot);
  /// CopyTimeSlotToArray: Dest := time slot TimeSlot as [columns][rows][layers].
  std::int32_t CopyTimeSlotToArray(TDouble3DArray& Dest, std::int32_t TimeSlot) const;
  /// CopyArrayToTimeSlot: time slot TimeSlot := Src ([columns][rows][layers] exactly).
  std::int32_t CopyArrayToTimeSlot(const TDouble3DArray& Src, std::int32_t TimeSlot);
  /// CopyPixelToVector: Dest (resized to the layers) := the values of all
  /// layers at (Col, Row, TimeSlot).
  std::int32_t CopyPixelToVector(TVector* Dest, std::int32_t Col, std::int32_t Row, std::int32_t TimeSlot) const;
  /// CopyVectorToPixel: the layers FirstLayer, FirstLayer + 1, ... at (Col,
  /// Row, TimeSlot) := the elements of Src, as far as the layers reach.
  std::int32_t CopyVectorToPixel(const TVector* Src, std::int32_t Col, std::int32_t Row, std::int32_t FirstLayer,
                                 std::int32_t TimeSlot);
  /// CopyPixelTo1DArray: Dest := the values of all layers at (Col, Row, TimeSlot).
  std::int32_t CopyPixelTo1DArray(TDoubleArray& Dest, std::int32_t Col, std::int32_t Row,
                                  std::int32_t TimeSlot) const;
  /// Copy1DArrayToPixel: as CopyVectorToPixel from an array.
  std::int32_t Copy1DArrayToPixel(std::span<const double> Src, std::int32_t Col, std::int32_t Row,
                                  std::int32_t FirstLayer, std::int32_t TimeSlot);

  // --- layer arithmetic (status codes as the array forms) ---------------------------------------

  /// AccumulateLayer: layer Layer of time slot TimeSlot += Src ([columns][rows] exactly).
  std::int32_t AccumulateLayer(std::int32_t Layer, std::int32_t TimeSlot, const TDouble2DArray& Src);
  /// FillLayer: fills layer Layer of time slot TimeSlot by mode: 0 par1; 1
  /// uniform random in [par1, par2); 2 Gaussian, mean par1, deviation par2;
  /// 3 par1 + (column - 1) par2; 4 par1 + (row - 1) par2; 5 par1 + k par2, k
  /// counting the cells row by row (column fastest) from 0. -3 for another mode.
  std::int32_t FillLayer(std::int32_t Layer, std::int32_t TimeSlot, std::int32_t Mode, double par1, double par2);
  /// MultiplyLayersByArray: every layer and time slot of the block (range
  /// rule) multiplied cell by cell by FactorArray ([columns][rows] exactly).
  std::int32_t MultiplyLayersByArray(const TDouble2DArray& FactorArray, std::int32_t LowLayer, std::int32_t HighLayer,
                                     std::int32_t LowTimeSlot, std::int32_t HighTimeSlot);

  // --- reshaping ------------------------------------------------------------------------------

  /// Cut: keeps only the block (range rule); OnChange, OnResize.
  void Cut(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
           std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeslot, std::int32_t HighTimeslot);
  /// Resample: keeps every Div-th index of each dimension from the 0-based
  /// Offset on (new extent (n - Offset - 1) div Div + 1); Average takes the
  /// mean of each block of Div indices per dimension, a block cut short by
  /// the end averaged over the cells it has. Div below 1 counts as 1, Offset
  /// is clamped into 0..n - 1. OnChange, and OnResize when the size changes.
  void Resample(std::int32_t XDiv, std::int32_t XOffset, std::int32_t YDiv, std::int32_t YOffset, std::int32_t ZDiv,
                std::int32_t ZOffset, std::int32_t TDiv, std::int32_t TOffset, bool Average);
  /// Transpose: columns and rows exchanged in every layer of every time slot
  /// (layers and time slots keep their order); OnChange, and OnResize unless
  /// columns equal rows.
  void Transpose();
  /// MirrorTimeSlots: reverses the order of the time slots; OnChange.
  void MirrorTimeSlots() { MirrorDim(3); }

  // --- reductions of layers and time slots into a matrix --------------------------------------

  /// MeanOfLayersToMatrix: DestMat (block columns x rows) := per (column,
  /// row) the mean over the block's layers and time slots, on at most
  /// NThreads threads (cut to the processors). AbortMathProc stops the
  /// hand-out of columns; the rest of DestMat stays 0.
  void MeanOfLayersToMatrix(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                            std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                            std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t NThreads = 0);
  /// MaximumOfLayersToMatrix: the maximum (start -uc_MaxReal).
  void MaximumOfLayersToMatrix(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                               std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                               std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t NThreads = 0);
  /// MinimumOfLayersToMatrix: the minimum (start uc_MaxReal).
  void MinimumOfLayersToMatrix(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                               std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                               std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t NThreads = 0);
  /// StdDevOfLayersToMatrix: the population standard deviation
  /// sqrt(Sx2/n - (Sx/n)^2), a negative radicand counting as 0.
  void StdDevOfLayersToMatrix(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                              std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                              std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t NThreads = 0);

  // --- binary files ---------------------------------------------------------------------------

  /// SaveBinary: header and the time slots TSlotStart..TSlotEnd (validated;
  /// 0, 0 all) as a four-dimensional file; false when DataID is longer than
  /// 255 characters or the file cannot be written.
  bool SaveBinary(const std::string& FName, std::int32_t TSlotStart, std::int32_t TSlotEnd) const;
  /// LoadBinary: 0 loaded; -1 missing or short header, -2 header not valid
  /// for TMat4D, -3 data area shorter than announced (object unchanged).
  std::int32_t LoadBinary(const std::string& FName);
  /// LoadBinaryNoFmtCheck: LoadBinary without the check of the header's
  /// cell format field (the cells are read as Doubles whatever it says).
  std::int32_t LoadBinaryNoFmtCheck(const std::string& FName);
  /// AppendToBinaryFile: the time slots TSlotStart..TSlotEnd (range rule)
  /// appended to the four-dimensional file FName, whose time slot count grows
  /// by their number; a missing file is written as by SaveBinary. 0 done; -1
  /// file shorter than its header; -2 header not valid for TMat4D; -3 columns,
  /// rows or layers differ from this matrix's; -4 data area shorter than the
  /// header announces; -5 more than 2147483647 time slots; -6 the file cannot
  /// be written (or DataID is too long for a new one). The file is unchanged unless 0.
  std::int32_t AppendToBinaryFile(const std::string& FName, std::int32_t TSlotStart, std::int32_t TSlotEnd) const;
  /// ReadBinaryHeader: false for a missing file; else the fields and
  /// whether the header is valid for TMat4D.
  bool ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                        std::int32_t& NrLayers, std::int32_t& NrTimeSlots, std::string& DataID,
                        std::int32_t& Format) const;
  /// ReadBinary: streams the values of the time slots TSlotStart..TSlotEnd of
  /// the file to OnReadElement (it counts from 1 at TSlotStart), storing
  /// nothing. 0, -1 TSlotStart beyond the file's time slots, -4 missing file
  /// or short header. A short data area raises EInOutError.
  std::int32_t ReadBinary(const std::string& FName, std::int32_t TSlotStart, std::int32_t TSlotEnd);
  /// ReadLayer: layer Layer of time slot TSlot of the file into the same
  /// layer and time slot here. 0, -1 time slot outside the file or this
  /// object, -2 layer outside the file or this object, -3 columns or rows
  /// differ, -4 missing file or short header; OnChange on success.
  std::int32_t ReadLayer(const std::string& FName, std::int32_t Layer, std::int32_t TSlot);

  // XML-like text (docs/matrix_files.md) -----------------------------------------------------

  /// The XML-like text as for TMatrix, with the count tags numplanes and
  /// numtimeslots and the cell attributes ix, iy, il, it.
  /// SaveAsXMLFile: true, false when the file cannot be written.
  bool SaveAsXMLFile(const std::string& FName, std::string_view DataID) const;
  /// LoadFromXMLFile / ReadFromXMLStream / ReadFromOpenXMLFile: true when a
  /// whole matrix of the given DataID (any for "") was read; else false and
  /// the object unchanged.
  bool LoadFromXMLFile(const std::string& FName, std::string_view DataID);
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const;
  bool ReadFromXMLStream(TStream& InStream, std::string_view DataID);
  void WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const;
  bool ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID);
  /// ProcessXmlTag: one tag of the text, as TMatrix::ProcessXmlTag; 1 for
  /// xmlMatEnd, -1 for xmlInvalid, 0 otherwise.
  std::int32_t ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content);

 private:
  /// ReadXMLText: the matrix of Text (XML-like text) into this object; EndPos after it.
  bool ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos);
  friend class TMatrix;
  void AssignHandlers(const TMatNDBase<4>& Source) override;
  void CheckLayerSlot(std::int32_t Layer, std::int32_t TimeSlot) const;
  std::int32_t SlotStatus(std::int32_t Layer, std::int32_t TimeSlot) const noexcept;
  std::int32_t PixelStatus(std::int32_t Col, std::int32_t Row, std::int32_t Layer, std::int32_t TimeSlot) const noexcept;
  bool IsLayerShaped(const TDouble2DArray& A) const noexcept;
  double* LayerCells(std::int32_t Layer, std::int32_t TimeSlot) noexcept {
    return FCells.data() + OffsetOf({1, 1, Layer, TimeSlot});
  }
  std::int32_t LoadFile(const std::string& FName, bool CheckFormat);
  template <class Kernel>
  void ReduceLayers(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot,
                    std::int32_t HighTimeSlot, std::int32_t NThreads);
};

/// Read4DLayer: layer Layer of time slot TSlot of a four-dimensional file
/// into Data ([columns][rows]). 0; -1 time slot outside the file, -2 layer
/// outside (checked first), -4 missing file or short header.
std::int32_t Read4DLayer(const std::string& FName, std::int32_t Layer, std::int32_t TSlot, TDouble2DArray& Data);
/// Read4DLayerAndAccumulate: the same, adding the layer to Data, which
/// must already hold [columns][rows] cells (-3 otherwise).
std::int32_t Read4DLayerAndAccumulate(const std::string& FName, std::int32_t Layer, std::int32_t TSlot,
                                      TDouble2DArray& Data);

}  // namespace kvl

KVL_API_END
