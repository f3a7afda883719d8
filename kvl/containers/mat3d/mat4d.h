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
  /// FillLayer: layer Layer of every time slot := value; OnChange. Raises for a bad layer.
  void FillLayer(std::int32_t Layer, double value);

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
