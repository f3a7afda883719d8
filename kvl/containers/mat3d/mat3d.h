#pragma once
// TMat3D: a stack of Double layers, columns x rows x layers (part of unit
// KVL_matrix; include "kvl/containers/KVL_matrix.h").
//
//   TMat3D s;
//   s.Resize(640, 480, 3);          // three bands of an image
//   s.SetVal(10, 20, 2, 0.5);
//   TMatrix band;
//   s.CopyLayerToMatrix(&band, 2);  // band 2 as a 640 x 480 matrix
//
// The cells lie in one block indexed [column][row][layer], the layer
// fastest. Reads outside give 0, writes outside are ignored; blocks of cells
// are validated with the range rule of TMatrix in every dimension.

#include <cstdint>
#include <string>

#include "kvl/containers/mat3d/matnd_base.h"

KVL_API_BEGIN

namespace kvl {

class TMatrix;

/// TMat3D: a three-dimensional matrix of Doubles, indices (column, row, layer).
class TMat3D : public TMatNDBase<3> {
 public:
  /// Creates a 1 x 1 x 1 matrix holding 0.
  explicit TMat3D(TComponent* AOwner = nullptr);
  ~TMat3D() override;

  void SetNrOfColumns(std::int32_t Value) { Resize(Value, FDims[1], FDims[2]); }
  void SetNrOfRows(std::int32_t Value) { Resize(FDims[0], Value, FDims[2]); }
  void SetNrOfLayers(std::int32_t Value) { Resize(FDims[0], FDims[1], Value); }
  double Elem(std::int32_t c, std::int32_t r, std::int32_t l) const noexcept { return GetVal(c, r, l); }
  void SetElem(std::int32_t c, std::int32_t r, std::int32_t l, double Value) { SetVal(c, r, l, Value); }

  /// GetVal: the cell, 0 when an index is outside.
  double GetVal(std::int32_t c, std::int32_t r, std::int32_t l) const noexcept { return Get({c, r, l}); }
  /// SetVal: writes the cell and fires OnChange; outside indices are ignored.
  void SetVal(std::int32_t c, std::int32_t r, std::int32_t l, double Value) { Set({c, r, l}, Value); }
  /// Resize: as TMatrix::Resize over three dimensions.
  bool Resize(std::int32_t Nc, std::int32_t Nr, std::int32_t Nl) { return ResizeTo({Nc, Nr, Nl}); }
  /// ResizeAndClear: Resize, then every cell 0.
  bool ResizeAndClear(std::int32_t Nc, std::int32_t Nr, std::int32_t Nl) { return ResizeAndClearTo({Nc, Nr, Nl}); }
  /// FillDiag: the cells (i, i, i), i up to the smallest dimension := value.
  void FillDiag(double value);

  /// Find: the cell of the block nearest to Value (the first in index
  /// order on ties); its indices, or zeros for an empty block.
  void Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
            std::int32_t LowLayer, std::int32_t HighLayer, double Value, std::int32_t& Col, std::int32_t& Row,
            std::int32_t& Layer) const;
  /// MinMax: the extremes of the block (start values uc_MaxReal, -uc_MaxReal).
  void MinMax(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
              std::int32_t LowLayer, std::int32_t HighLayer, double& Minimum, double& Maximum) const;
  /// MeanVar: mean and sample variance of the block (TMatrix rules).
  void MeanVar(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
               std::int32_t LowLayer, std::int32_t HighLayer, double& Mean, double& Variance) const;
  /// Percentile: nearest rank over the block: the cell at sorted position
  /// round(n prob / 100), at most n - 1 (prob clamped to 0..100).
  double Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer) const;
  /// Percentile: estimated from SampleSize cells drawn at random (every cell
  /// when SampleSize <= 0 or not below the block's cells); 0 when the share
  /// of negative sample values is below prob / 100 and that of values <= 0 above.
  double Percentile(double prob, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                    std::int32_t SampleSize) const;


  /// CopyLayerToMatrix: DestMat := layer Layer (columns x rows). Raises
  /// EKVLMatrixError "specified layer beyond data range" for a bad layer.
  void CopyLayerToMatrix(TMatrix* DestMat, std::int32_t Layer) const;
  /// CopyMatrixToLayer: the overlap of SrcMat and a layer := SrcMat's cells;
  /// OnChange. Raises as CopyLayerToMatrix.
  void CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t Layer);
  /// CopyLayerToMatrix: DestMat := the rectangle LowCol..HighCol, LowRow..HighRow
  /// (range rule) of layer Layer. Raises as above.
  void CopyLayerToMatrix(TMatrix* DestMat, std::int32_t Layer, std::int32_t LowCol, std::int32_t HighCol,
                         std::int32_t LowRow, std::int32_t HighRow) const;
  /// CopyMatrixToLayer: the rectangle of SrcMat (its range rule) into layer
  /// Layer with its first cell at (DestCol, DestRow); cells falling outside
  /// are skipped; OnChange. Raises as above.
  void CopyMatrixToLayer(const TMatrix* SrcMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                         std::int32_t HighRow, std::int32_t Layer, std::int32_t DestCol, std::int32_t DestRow);

  /// SaveBinary: header and cells in records of 4096 bytes (docs/matrix_files.md);
  /// false when DataID is longer than 255 characters or the file cannot be written.
  bool SaveBinary(const std::string& FName) const;
  /// LoadBinary: 0 loaded; -1 missing or short header, -2 header not valid
  /// for TMat3D, -3 data area shorter than announced (object unchanged).
  std::int32_t LoadBinary(const std::string& FName);
  /// ReadBinaryHeader: false for a missing file; else the header fields and
  /// whether the header is valid for TMat3D.
  bool ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                        std::int32_t& NrLayers, std::string& DataID, std::int32_t& Format) const;

  // XML-like text (docs/matrix_files.md) -----------------------------------------------------

  /// The XML-like text as for TMatrix, with the count tag numplanes and
  /// the cell attributes ix, iy, iz.
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
  friend class TMat4D;
  void CheckLayer(std::int32_t Layer) const;
};

// Layers of plain 3-D arrays ([column][row][layer], 0-based, rectangular).
// The routines return 0, -1 for an empty or ragged array, -2 for a layer
// index outside 0..layers - 1, -3 for no matrix; nothing changes unless 0.

/// CopyArr3DLayerToMatrix: Dest (columns x rows) := layer Layer of Src.
std::int32_t CopyArr3DLayerToMatrix(const TDouble3DArray& Src, std::int32_t Layer, TMatrix* Dest);
/// CopyArr3DLayerToArr2D: Dest ([columns][rows]) := layer Layer of Src.
std::int32_t CopyArr3DLayerToArr2D(const TDouble3DArray& Src, std::int32_t Layer, TDouble2DArray& Dest);
/// CopyMatrixToArray: Dest := the cells of Src as [columns][rows]; -3 for no matrix.
std::int32_t CopyMatrixToArray(const TMatrix* Src, TDouble2DArray& Dest);

}  // namespace kvl

KVL_API_END
