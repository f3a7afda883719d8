#pragma once
// KVL_matrix: TMatrix, the two-dimensional container of Doubles addressed by
// (column, row), both 1-based.
//
//   TMatrix m;                         // 1 x 1, the cell 0
//   m.Resize(3, 4);                    // 3 columns of 4 rows, new cells 0
//   m.SetVal(2, 3, 1.5);               // column 2, row 3
//   m.FillSerial(1.0, 1.0);            // 1, 2, 3, ... down each column
//   m.SortRows(1, true, 0, 0, 0, 0);   // rows by column 1, whole matrix
//   double s = m.Sum(0, 0, 0, 0);      // (0, 0) ranges select everything
//
// Storage: one contiguous column-major block, cell (c, r) at offset
// (c - 1) * NrOfRows + (r - 1); ColumnView() hands it to the array routines
// (InvertArray, LUdecomposition, FillArraySerial, the SVD engine) in place.
// A matrix of C x R cells holds C * R doubles plus a few fields.
//
// Reads outside the matrix give 0 and writes outside it are ignored. Column
// and row ranges go through MakeValidColRange / MakeValidRowRange: (0, 0) is
// the whole dimension, other bounds are clamped and put in order. Watch the
// order of range arguments: it is part of each signature and differs
// between families ((LowCol, HighCol, LowRow, HighRow) for fills, Find and
// CountValues; (LowCol, LowRow, HighCol, HighRow) for sorts and statistics).
//
// Events: a size change fires OnChange then OnResize; SetVal fires OnChange;
// bulk operations fire OnChange once at the end; FillSerial and Assign fire
// nothing; the sorts fire OnSortExchange per exchange, then OnChange once.
// Errors are raised as EKVLMatrixError; copies to and from arrays, searches
// and the other routines that return an Integer report through status codes.
//
// The file operations (ASC, text dump, stream image, binary records, the
// XML-like cell text) and the CopyFrom overloads reading a TIntMatrix or a
// layer of a TMat3D join this class with those formats and classes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/intmatrix/int_matrix.h"
#include "kvl/containers/matrix/cell_block.h"
#include "kvl/containers/matrix_files/matrix_xml_tag.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

class TVector;
class TIntVector;
class TMat3D;

/// TNormType: the matrix norms of TMatrix::Norm.
enum class TNormType { ntColwise, ntRowwise, ntSpectral, ntFrobenius };

/// TOnCalcDistanceEvent: a user-defined distance between rows Row1 and Row2,
/// returned in Distance (TDistMode ordinal 5 of DistanceOfObjects).
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, std::int32_t Row1, std::int32_t Row2, double& Distance)>;

/// TMatrix: a matrix of Doubles with at least one column and one row.
class TMatrix : public TComponent {
 public:
  /// Creates a 1 x 1 matrix holding 0, DataID empty, Precision (15, -1);
  /// raises EKVLMatrixError "not enough memory on heap" when that fails.
  explicit TMatrix(TComponent* AOwner = nullptr);
  ~TMatrix() override;

  // --- properties ----------------------------------------------------------------------

  /// NrOfColumns: the number of columns (at least 1).
  std::int32_t NrOfColumns() const noexcept { return FNCol; }
  /// SetNrOfColumns: Resize(Value, NrOfRows); values below 1 change nothing.
  void SetNrOfColumns(std::int32_t Value);
  /// NrOfRows: the number of rows (at least 1).
  std::int32_t NrOfRows() const noexcept { return FNRow; }
  /// SetNrOfRows: Resize(NrOfColumns, Value); values below 1 change nothing.
  void SetNrOfRows(std::int32_t Value);
  /// DataID: free identification text of the data (default empty).
  const std::string& DataID() const noexcept { return FDataID; }
  /// SetDataID: sets the identification text.
  void SetDataID(const std::string& Value) { FDataID = Value; }
  /// Elem: the cell (Nc, Nr) (GetVal).
  double Elem(std::int32_t Nc, std::int32_t Nr) const noexcept { return GetVal(Nc, Nr); }
  /// SetElem: writes the cell (Nc, Nr) (SetVal).
  void SetElem(std::int32_t Nc, std::int32_t Nr, double Value) { SetVal(Nc, Nr, Value); }
  /// Precision: entry 1 for ix <= 1, entry 2 otherwise (defaults 15, -1).
  std::int32_t Precision(std::int32_t ix) const noexcept { return FPrecis[ix <= 1 ? 0 : 1]; }
  /// SetPrecision: writes the entry addressed as by Precision, clamped into -1..25.
  void SetPrecision(std::int32_t ix, std::int32_t Value) noexcept;

  /// Data: all cells, column after column (cell (c, r) at (c - 1) * NrOfRows + r - 1).
  std::span<const double> Data() const noexcept { return FData; }
  /// ColumnView: the cells as a [column][row] view for the array routines;
  /// writing through it fires no event (call Changed afterwards).
  TColumnView<double> ColumnView() noexcept { return {FData.data(), Cols(), Rows()}; }
  /// ColumnView: the read-only view.
  TColumnView<const double> ColumnView() const noexcept { return {FData.data(), Cols(), Rows()}; }

  /// OnChange: fired after data changes.
  TNotifyEvent OnChange;
  /// OnResize: fired after the size changes (after OnChange).
  TNotifyEvent OnResize;
  /// OnSortExchange: fired by SortCols (kind 1) and SortRows (kind 2) for
  /// each exchange, with the two indices and the extent of the stretch.
  TSortExchgEvent OnSortExchange;
  /// OnCalcDistance: the user distance of DistanceOfObjects (mode ordinal 5).
  TOnCalcDistanceEvent OnCalcDistance;
  /// OnPercentDone: progress of long operations (see PercDone).
  TOnPercentDoneEvent OnPercentDone;

  // --- lifecycle and element access -----------------------------------------------------

  /// Resize: Nc columns of Nr rows; the overlapping block keeps its values,
  /// new cells are 0; fires OnChange then OnResize and returns true. False
  /// (nothing done) when an argument is below 1 or the size is unchanged.
  /// Raises EKVLMatrixError "not enough memory on heap" when allocation fails.
  bool Resize(std::int32_t Nc, std::int32_t Nr);
  /// ResizeAndClear: Resize, and when that returned true every cell := 0 and
  /// OnChange, OnResize fire again. An unchanged size keeps the data: false.
  bool ResizeAndClear(std::int32_t Nc, std::int32_t Nr);
  /// Changed: fires OnChange (for callers that wrote many cells).
  void Changed() { FireEvent(OnChange); }
  /// Resized: fires OnResize.
  void Resized() { FireEvent(OnResize); }
  /// PercDone: forwards a progress report to OnPercentDone when assigned.
  void PercDone(TObject* Sender, double Percent) {
    if (OnPercentDone && !IsMuted(&OnPercentDone)) OnPercentDone(Sender, Percent);
  }
  /// Assign: from a TMatrix copies size, DataID, cells, Precision and the
  /// five event handlers without firing events; other sources go to the
  /// inherited Assign.
  void Assign(const TPersistent* Source) override;
  /// AssignTo: into a TMatrix calls its Assign(this); else inherited.
  void AssignTo(TPersistent* Dest) const override;
  /// Clone: makes this matrix an equal-sized copy of MatSource (through
  /// Resize and the cell setter), then fires OnChange and OnResize;
  /// nothing for a null source.
  void Clone(const TMatrix* MatSource);

  /// GetVal: the cell (Nc, Nr), or 0 when an index lies outside the matrix.
  double GetVal(std::int32_t Nc, std::int32_t Nr) const noexcept {
    return InMatrix(Nc, Nr) ? FData[Offset(Nc, Nr)] : 0.0;
  }
  /// SetVal: stores Value at (Nc, Nr) and fires OnChange; indices outside
  /// the matrix are ignored.
  void SetVal(std::int32_t Nc, std::int32_t Nr, double Value) {
    if (!InMatrix(Nc, Nr)) return;
    FData[Offset(Nc, Nr)] = Value;
    FireEvent(OnChange);
  }
  /// MakeValidColRange: (0, 0) becomes (1, NrOfColumns) with result 0; else
  /// both bounds are clamped into 1..NrOfColumns and put in order; -1 when
  /// anything was clamped or exchanged, else 0.
  std::int32_t MakeValidColRange(std::int32_t& LowCol, std::int32_t& HighCol) const noexcept;
  /// MakeValidRowRange: the same for rows.
  std::int32_t MakeValidRowRange(std::int32_t& LowRow, std::int32_t& HighRow) const noexcept;

  // --- structure changes ------------------------------------------------------------------

  /// RemoveColumn: removes column col (later columns move down, the matrix
  /// shrinks by Resize); false when col is outside or the matrix has one column.
  bool RemoveColumn(std::int32_t col);
  /// RemoveRow: the same for row row.
  bool RemoveRow(std::int32_t row);
  /// ExchangeColumns: swaps columns c1 and c2 and fires OnChange; an index
  /// outside the matrix changes nothing (no event).
  void ExchangeColumns(std::int32_t c1, std::int32_t c2);
  /// ExchangeRows: swaps rows r1 and r2 as ExchangeColumns does.
  void ExchangeRows(std::int32_t r1, std::int32_t r2);
  /// MirrorColumns: reverses the order of the columns; fires OnChange.
  void MirrorColumns();
  /// MirrorRows: reverses the order of the rows; fires OnChange.
  void MirrorRows();
  /// Transpose: exchanges columns and rows, fires OnChange and OnResize,
  /// true. Raises EKVLMatrixError "not enough memory on heap" when the
  /// work storage cannot be obtained.
  bool Transpose();

  // --- filling (OnChange once, except FillSerial) ---------------------------------------

  /// Fill: every cell := value.
  void Fill(double value);
  /// Fill: every cell of the rectangle (after range validation) := value.
  void Fill(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
            double value);
  /// FillDiag: cells (i, i), i = 1..min(columns, rows), := value; the rest stays.
  void FillDiag(double value);
  /// FillSerial: cell number k (0-based, column-major) := Offset + k * Diff
  /// by the array routine FillArraySerial; fires no event.
  void FillSerial(double Offset, double Diff);
  /// FillRandomUniform: every cell := r (RangeHigh - RangeLow) + RangeLow,
  /// r from the runtime's uniform generator.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// FillRandomUniform: the same over a validated rectangle.
  void FillRandomUniform(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                         double RangeLow, double RangeHigh);
  /// FillRandomGauss: every cell := GRandom * StdDev + Mean.
  void FillRandomGauss(double Mean, double StdDev);
  /// FillRandomGauss: the same over a validated rectangle.
  void FillRandomGauss(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                       double Mean, double StdDev);

  // --- ASC text, text dump and stream image (docs/matrix_files.md) ------------------------

  /// ExportAsASC: the ASC column text: title (Comment, or "Exported by KVL
  /// TMatrix component: " + FName), the size, no flags, one line per row of
  /// the cells as StrField(x, 12, Precision) separated by tabs. 0, or -1
  /// when the file cannot be written.
  std::int32_t ExportAsASC(const std::string& FName, std::int32_t Precision, const std::string& Comment) const;
  /// ExportAsASC: the same followed by the block of custom texts CustData.
  std::int32_t ExportAsASC(const std::string& FName, std::int32_t Precision, const std::string& Comment,
                           const TStr2DArray& CustData) const;
  /// ImportASC: reads an ASC text into the matrix (sized to the header's
  /// counts, which must fit in the file): 0, or a status (-5, -6, -7, -8, the
  /// header reader's); the matrix is unchanged unless the result is 0.
  std::int32_t ImportASC(const std::string& FName, std::string& Comment);
  /// ImportASC: the same, also reading a custom-data block into CustData.
  std::int32_t ImportASC(const std::string& FName, std::string& Comment, TStr2DArray& CustData);
  /// StoreOnFile: the text dump of the rectangle: its bounds on line 1, then
  /// one line per row, each cell in the fewest digits that read back exactly.
  bool StoreOnFile(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                   const std::string& FileName) const;
  /// LoadFromFile: reads such a dump; with AdjustMatrixSize the matrix is
  /// resized to (HighCol, HighRow) first. False when the file does not open,
  /// the bounds are bad or the rectangle lies beyond the matrix.
  bool LoadFromFile(const std::string& FileName, bool AdjustMatrixSize);
  /// LoadFromFile: AutoDetect false is the load above; true reads a plain
  /// table of numbers: each line holding a digit is a row, its numbers the
  /// cells of columns 1, 2, ...; AdjustMatrixSize sizes the matrix to the
  /// rows and the longest row first.
  bool LoadFromFile(const std::string& FileName, bool AdjustMatrixSize, bool AutoDetect);
  /// SaveToStream: the binary image of the rectangle: the four bounds as
  /// 32-bit integers and the cells column by column as 8-byte Doubles; the
  /// memory-stream form creates the stream when OutStream is null.
  void SaveToStream(TMemoryStream*& OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) const;
  void SaveToStream(TStream* OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) const;
  /// LoadFromStream: reads such an image from the stream's position; false
  /// for a null stream, bad bounds, an adjusted size the stream cannot fill
  /// (matrix unchanged), a rectangle beyond the matrix or a short stream.
  bool LoadFromStream(TStream* InStream, bool AdjustMatrixSize);

  // --- binary file (records of 4096 bytes, docs/matrix_files.md) ---------------------------

  /// SaveBinary: header (format 1) and the cells row by row; false when
  /// DataID is longer than 255 characters or the file cannot be written.
  bool SaveBinary(const std::string& FName) const;
  /// LoadBinary: 0 loaded; -1 missing or short header, -2 header not valid
  /// for TMatrix, -3 data area shorter than announced (matrix unchanged).
  std::int32_t LoadBinary(const std::string& FName);
  /// ReadBinaryHeader: false for a missing file; else the header fields and
  /// whether the header is valid for TMatrix. A short header raises EInOutError.
  bool ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                        std::string& DataID, std::int32_t& Format) const;

  // --- copies to and from vectors and arrays ----------------------------------------------

  /// CopyRowToVec: DestVec := 0, then its element k - FirstCol + 1 := cell
  /// (k, Row) for k = FirstCol..LastCol (validated; Row clamped), cut to
  /// DestVec's size; DestVec is not resized. Nothing for a null vector.
  void CopyRowToVec(TVector* DestVec, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol) const;
  /// CopyRowToVec: the same, writing from element DestElem onward.
  void CopyRowToVec(TVector* DestVec, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                    std::int32_t DestElem) const;
  /// CopyColToVec: the column analogue of CopyRowToVec.
  void CopyColToVec(TVector* DestVec, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow) const;
  /// CopyColToVec: the same, writing from element DestElem onward.
  void CopyColToVec(TVector* DestVec, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow,
                    std::int32_t DestElem) const;
  /// CopyRowTo1DArray: cells (FirstCol..LastCol, Row) into Dest from
  /// position DestElem (0-based); values past Dest's end are dropped.
  void CopyRowTo1DArray(std::span<double> Dest, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                        std::int32_t DestElem) const;
  /// CopyColTo1DArray: cells (Col, FirstRow..LastRow) into Dest from DestElem.
  void CopyColTo1DArray(std::span<double> Dest, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow,
                        std::int32_t DestElem) const;
  /// CopyFromVec: Src's elements FirstElem..LastElem into the column DestCol
  /// from row DestRow downwards; cells outside the matrix are dropped.
  void CopyFromVec(const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem, std::int32_t DestCol,
                   std::int32_t DestRow);
  /// CopyFromVec: the same, downwards when AsColumn, else rightwards along
  /// row DestRow.
  void CopyFromVec(const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem, std::int32_t DestCol,
                   std::int32_t DestRow, bool AsColumn);
  /// CopyFromVec: the same with the direction from Dim: dimColumns writes
  /// element k to (k - FirstElem + DestCol, DestRow), dimRows to (DestCol,
  /// k - FirstElem + DestRow).
  void CopyFromVec(TDims Dim, const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                   std::int32_t DestCol, std::int32_t DestRow);
  /// CopyFrom: copies the source rectangle to (DestCol, DestRow) onward;
  /// cells falling outside this matrix are dropped; fires OnChange.
  void CopyFrom(const TMatrix* MatSource, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                std::int32_t DestRow);
  /// CopyFrom: the same from a TIntMatrix (dense or sparse; absent sparse
  /// cells copy as 0); fires OnChange.
  void CopyFrom(const TIntMatrix* MatSource, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                std::int32_t DestRow);
  /// CopyFrom: the same from layer Layer of a TMat3D; raises
  /// EKVLMatrixError "specified layer beyond data range" for a bad layer.
  void CopyFrom(const TMat3D* Source, std::int32_t Layer, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol, std::int32_t DestRow);
  /// DuplicateDataAsArray: Dest := all cells as [columns][rows]; 0, or -1
  /// when no cells are allocated.
  std::int32_t DuplicateDataAsArray(TDouble2DArray& Dest) const;
  /// CopyToArray: the rectangle into the existing Dest from
  /// [DestCol][DestRow], cut to Dest's extent. 0 success, -1 Dest empty,
  /// -2 / -3 the column / row range was invalid or adjusted, -4 the start
  /// lies outside Dest.
  std::int32_t CopyToArray(TDouble2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                           std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                           std::int32_t DestRow) const;
  /// CopyToArray: the same into an Integer array, each value converted as
  /// CloneArray converts: rounded (halves to even), held at the Integer
  /// limits, NaN as 0.
  std::int32_t CopyToArray(TInt2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                           std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                           std::int32_t DestRow) const;
  /// CopyFromArray: Src[FirstElem..LastElem] (0, 0: all; bounds ordered)
  /// to (Col, Row + k) when AsColumn, else (Col + k, Row). 0 success, -1 Src
  /// empty, -4 a bound outside Src, -5 (Col, Row) outside the matrix.
  std::int32_t CopyFromArray(std::span<const double> Src, std::int32_t FirstElem, std::int32_t LastElem,
                             std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyFromArray: the same from an Integer array.
  std::int32_t CopyFromArray(std::span<const std::int32_t> Src, std::int32_t FirstElem, std::int32_t LastElem,
                             std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyFromArray: the array rectangle [SrcColLo..SrcColHi][SrcRowLo..SrcRowHi]
  /// into the matrix from (Col, Row). 0 success, -1 Src empty, -2 / -3 the
  /// column / row range lies outside Src, -5 (Col, Row) outside the matrix.
  std::int32_t CopyFromArray(const TDouble2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                             std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                             std::int32_t Row);
  /// CopyFromArray: the same from an Integer array.
  std::int32_t CopyFromArray(const TInt2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                             std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col,
                             std::int32_t Row);

  // --- searching and counting ---------------------------------------------------------------

  /// Find: the cell of the rectangle nearest to Value (column by column, the
  /// first of equally near ones) in ColIx, RowIx.
  void Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
            double Value, std::int32_t& ColIx, std::int32_t& RowIx) const;
  /// FindInSortedColumn: binary search for Value in column Col, sorted as
  /// ColIsAscending says: the row of Value or of the nearest cell.
  std::int32_t FindInSortedColumn(std::int32_t Col, bool ColIsAscending, double Value) const;
  /// CountValues: the number of cells x of the rectangle with RangeLow <= x <= RangeHigh.
  std::int32_t CountValues(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                           std::int32_t HighRow, double RangeLow, double RangeHigh) const;
  /// Dichotomize: ResultArray := [columns][rows] flags, true where the cell
  /// is greater than Threshold; returns the number of true flags.
  std::int32_t Dichotomize(double Threshold, TBool2DArray& ResultArray) const;
  /// EdgeVector: one aggregate (TEdgeOp) per column (Orient not orRows) over
  /// the rows listed in EdgeIx, or per row over the listed columns; an empty
  /// list means all. 0, -1 no cells, -2 an index of EdgeIx was outside
  /// (skipped), -3 Dest is null.
  std::int32_t EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, std::span<const std::int32_t> EdgeIx,
                          TVector* Dest) const;
  /// EdgeVector: the same over all rows (columns).
  std::int32_t EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* Dest) const;

  // --- sorting and resampling ---------------------------------------------------------------

  /// SortRows: comb sort of rows LowRow..HighRow by column SortColIx;
  /// exchanges the cells of LowCol..HighCol (and the key cells), firing
  /// OnSortExchange(this, 2, i, j, LowCol, HighCol) each time, then OnChange.
  void SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                std::int32_t HighCol, std::int32_t HighRow);
  /// SortCols: comb sort of columns LowCol..HighCol by row SortRowIx, firing
  /// OnSortExchange(this, 1, i, j, LowRow, HighRow) per exchange, then OnChange.
  void SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                std::int32_t HighCol, std::int32_t HighRow);
  /// ResampleExtMat: this matrix := SrcMat at random columns RndColIx (all
  /// in order when colpct gives every column; else distinct) and random rows
  /// RndRowIx (repeated when BootStrap); the caller passes allocated index
  /// arrays (an empty one is a null array). 0 success, -3 SrcMat null, -5 an
  /// index array empty, -1 bad column count or colpct > 100, -2 the same for rows.
  std::int32_t ResampleExtMat(const TMatrix* SrcMat, double colpct, double rowpct, bool BootStrap,
                              TIntArray& RndColIx, TIntArray& RndRowIx);
  /// CRCofData: eight CRC-32s over the byte positions of the cells in
  /// column-major order, 64 hex digits.
  std::string CRCofData() const;

  // --- products and element-wise arithmetic -------------------------------------------------

  /// Multiply: MatRes := A * B (B columns x A rows), then A's OnChange;
  /// false (nothing done) for a null operand or A columns <> B rows.
  bool Multiply(const TMatrix* MatB, TMatrix* MatRes);
  /// MultiplyTransposed: MatRes := A * B' (B rows x A rows), then A's
  /// OnChange; false unless A columns = B columns.
  bool MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes);
  /// TransposeAndMultiply: MatRes := A' * B (B columns x A columns); false
  /// unless A rows = B rows.
  bool TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) const;
  /// EMult: MatRes := the element-wise product, then A's OnChange; false
  /// unless the sizes are equal.
  bool EMult(const TMatrix* MatB, TMatrix* MatRes);
  /// Multiply: VecRes (A rows) := A * VecB, then A's OnChange; false unless
  /// A columns = VecB's size.
  bool Multiply(const TVector* VecB, TVector* VecRes);
  /// TransposeAndMultiply: VecRes (A columns) := A' * VecB; false unless A
  /// rows = VecB's size.
  bool TransposeAndMultiply(const TVector* VecB, TVector* VecRes) const;
  /// Add: adds MatB cell by cell and fires OnChange; false for another size.
  bool Add(const TMatrix* MatB);
  /// Subtract: subtracts MatB cell by cell and fires OnChange; false for another size.
  bool Subtract(const TMatrix* MatB);
  /// SMult: multiplies every cell by Scalar; fires OnChange.
  void SMult(double Scalar);
  /// SAdd: adds Scalar to every cell; fires OnChange.
  void SAdd(double Scalar);
  /// Trace: the sum of the diagonal; 0 for a non-square matrix.
  double Trace() const;

  /// Square: MatRes := (A' * A) / Norm on at most NThreads worker threads
  /// (columns handed out in ascending order); false for a null MatRes or
  /// when AbortMathProc stopped it (MatRes partly filled). No cell events.
  bool Square(TMatrix* MatRes, double Norm, std::int32_t NThreads) const;
  /// Square: the same with NThreads = the number of processors - 1, at least 1.
  bool Square(TMatrix* MatRes, double Norm) const;

  // --- decompositions and solvers -----------------------------------------------------------

  /// Invert: inverts the matrix in place (InvertArray); true on success.
  bool Invert();
  /// Determinant: the determinant from the LU factorisation of the cells.
  double Determinant() const;
  /// LUdecomposition: MatL, MatU (resized to A's size) := the L and U factors
  /// of the array routine LUdecomposition; true on success.
  bool LUdecomposition(TMatrix* MatL, TMatrix* MatU) const;
  /// CholeskyDecomp: MatL (n x n) := lower triangular L with A = L * L';
  /// false when A is not square or a pivot is not positive.
  bool CholeskyDecomp(TMatrix* MatL) const;
  /// CalcHatMatrix: HatMat (rows x rows) := X (X'X)^-1 X' of this matrix X;
  /// returns the status of the array routine CalcHatMatrix.
  std::int32_t CalcHatMatrix(TMatrix* HatMat) const;
  /// Balance: diagonal similarity scaling of a square matrix (Tolerance
  /// clamped into 1.000001..1.05); false for a non-square matrix.
  bool Balance(double Tolerance);

  // --- norms and differences ----------------------------------------------------------------

  /// Norm: the largest absolute column sum, row sum, singular value, or the
  /// Frobenius norm. ntSpectral raises EKVLMatrixError "near singular
  /// covariance matrix" when the SVD does not converge.
  double Norm(TNormType nt) const;
  /// Diff: replaces the data by its differences of order Order inside each
  /// column (acrColumns, losing Order rows) or row (acrRows, losing Order
  /// columns). 0, -1 Order outside 1..10, -2 dimension not larger than Order.
  std::int32_t Diff(std::int32_t Order, TApplyColRow Mode);

  // --- column and row preparation (output vectors may be null) ------------------------------

  /// MeanVec: the mean of each column (dimColumns) or row (dimRows) into Means.
  void MeanVec(TDims Dim, TVector* Means) const;
  /// MeanCenterColumns: subtracts each column's mean; Means receives them.
  void MeanCenterColumns(TVector* Means);
  /// MeanCenterRows: subtracts each row's mean; Means receives them.
  void MeanCenterRows(TVector* Means);
  /// StandardizeColumns: (x - mean) / sd per column where sd > 0 (MeanVar rules).
  void StandardizeColumns(TVector* Means, TVector* StdDevs);
  /// StandardizeRows: (x - mean) / sd per row where sd > 0.
  void StandardizeRows(TVector* Means, TVector* StdDevs);
  /// QNormalizeColumns: (x - median) / |median - Percentile(RefQuant)| per
  /// column where that difference is above 0.
  void QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  /// QNormalizeRows: the same per row.
  void QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs);

  // --- statistics over a rectangle (LowCol, LowRow, HighCol, HighRow) ----------------------

  /// Sum: the sum of the cells.
  double Sum(std::int32_t LoC, std::int32_t LoR, std::int32_t HiC, std::int32_t HiR) const;
  /// MinMax: the extremes (start values uc_MaxReal and -uc_MaxReal).
  void MinMax(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
              double& Minimum, double& Maximum) const;
  /// MeanVar: mean and sample variance as TVector::MeanVar (1.0 below 3 cells).
  void MeanVar(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
               double& Mean, double& Variance) const;
  /// GeometricMean: as TVector::GeometricMean; raises EKVLMatrixError.
  double GeometricMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                       std::int32_t HighRow) const;
  /// HarmonicMean: as TVector::HarmonicMean; raises EKVLMatrixError.
  double HarmonicMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                      std::int32_t HighRow) const;
  /// SkewKurt: skewness and kurtosis as TVector::SkewKurt.
  void SkewKurt(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                double& Skewness, double& Kurtosis) const;
  /// SkewKurtSample: the sample forms as TVector::SkewKurtSample.
  void SkewKurtSample(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                      double& Skewness, double& Kurtosis) const;
  /// Quartiles: as TVector::Quartiles over the cells; true.
  bool Quartiles(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                 double& Q1, double& Q2, double& Q3) const;
  /// Percentile: nearest rank: the cell at sorted position round(n prob / 100)
  /// (at most n - 1), prob clamped into 0..100.
  double Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) const;
  /// Percentile: estimated from SampleSize cells drawn at random (all cells
  /// when SampleSize is 0 or not below their number).
  double Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow, std::int32_t SampleSize) const;
  /// Histogram: as TVector::Histogram over the cells of the rectangle.
  bool Histogram(std::int32_t LoX, std::int32_t LoY, std::int32_t HiX, std::int32_t HiY, double FirstBin,
                 double LastBin, double BinWidth, TIntArray& Histo, std::int32_t& Underflow,
                 std::int32_t& Overflow, std::int32_t& MaxCnt) const;
  /// Histogram: the same into a TIntVector sized to the bins.
  bool Histogram(std::int32_t LoX, std::int32_t LoY, std::int32_t HiX, std::int32_t HiY, double FirstBin,
                 double LastBin, double BinWidth, TIntVector* Histo, std::int32_t& Underflow,
                 std::int32_t& Overflow, std::int32_t& MaxCnt) const;
  /// Correlate: Pearson's r of the paired cells (0 below 3 cells); raises
  /// EKVLMatrixError "matrices do not match" for another size.
  double Correlate(const TMatrix* OtherMat) const;

  // --- distances between rows ---------------------------------------------------------------

  /// DistanceOfObjects: the TDistMode distance of rows obj1 and obj2 over all
  /// columns; ordinal 5 asks OnCalcDistance (0 without a handler).
  double DistanceOfObjects(TDistMode Mode, std::int32_t obj1, std::int32_t obj2);
  /// CalcDistMat: DMat (rows x rows, already sized) := the distances of all
  /// row pairs, diagonal 0. 0, -1 DMat not square, -2 DMat of the wrong size.
  std::int32_t CalcDistMat(TDistMode Mode, TMatrix* DMat);

  // XML-like text (docs/matrix_files.md) -----------------------------------------------------

  /// SaveAsXMLFile: writes the matrix as a new text file with an XML
  /// declaration, DataID as the id of the matrix tag; false when the file
  /// cannot be written.
  bool SaveAsXMLFile(const std::string& FName, std::string_view DataID) const;
  /// LoadFromXMLFile: reads the first matrix of the file; false (object
  /// unchanged) for a missing file, another DataID (when DataID is not
  /// empty) or a text that does not hold a whole matrix.
  bool LoadFromXMLFile(const std::string& FName, std::string_view DataID);
  /// WriteToXMLStream: the text at OutStream's position, the XML
  /// declaration only when CreateHeader.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const;
  /// ReadFromXMLStream: LoadFromXMLFile from InStream's position, which is
  /// left after the matrix when it was read (else where it was).
  bool ReadFromXMLStream(TStream& InStream, std::string_view DataID);
  /// WriteToOpenXMLFile: the text at the position of an open text stream.
  void WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const;
  /// ReadFromOpenXMLFile: LoadFromXMLFile from an open text stream, read
  /// up to the end of the first matrix.
  bool ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID);
  /// ProcessXmlTag: applies one tag of the text (the readers' step): the
  /// count tags set the announced sizes, the first cell after a reader
  /// started resizes to them, every cell goes through SetVal (a real content).
  /// 1 for xmlMatEnd, -1 for xmlInvalid, 0 otherwise.
  std::int32_t ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content);

 private:
  /// ReadXMLText: the matrix of Text (XML-like text) into this object; EndPos after it.
  bool ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos);
  std::size_t Cols() const noexcept { return static_cast<std::size_t>(FNCol); }
  std::size_t Rows() const noexcept { return static_cast<std::size_t>(FNRow); }
  bool InMatrix(std::int32_t Nc, std::int32_t Nr) const noexcept {
    return Nc >= 1 && Nc <= FNCol && Nr >= 1 && Nr <= FNRow;
  }
  std::size_t Offset(std::int32_t Nc, std::int32_t Nr) const noexcept {
    return static_cast<std::size_t>(Nc - 1) * Rows() + static_cast<std::size_t>(Nr - 1);
  }
  /// Column: the cells of column c (1-based, valid) as a span.
  std::span<double> Column(std::int32_t c) noexcept { return {FData.data() + Offset(c, 1), Rows()}; }
  std::span<const double> Column(std::int32_t c) const noexcept {
    return {FData.data() + Offset(c, 1), Rows()};
  }

  std::int32_t FNCol = 1;
  std::int32_t FNRow = 1;
  std::int32_t FAuxCol = 0;  // sizes announced by a file while it is read
  std::int32_t FAuxRow = 0;
  std::string FDataID;
  std::int32_t FPrecis[2] = {15, -1};
  matrix_internal::TCellBlock FData;  // column-major cells, FNCol * FNRow of them
  bool FirstCell = false;     // set by the file readers until the first cell arrives
};

}  // namespace kvl

KVL_API_END

#include "kvl/containers/mat3d/mat3d.h"
#include "kvl/containers/mat3d/mat4d.h"
