#pragma once
// TIntMatrix: the matrix of 32-bit integers, the integer twin of TMatrix
// (part of unit KVL_matrix; include "kvl/containers/KVL_matrix.h").
//
//   TIntMatrix m;                          // dense, 1 x 1, the cell 0
//   m.Resize(3, 4);
//   m.SetVal(2, 3, 7);
//   std::unique_ptr<TIntMatrix> s(TIntMatrix::CreateSparse(nullptr, 1000));
//   s->SetVal(500000, 3, 1);               // 500000 x 3, one stored entry
//   s->StoreSparseMat("labels.spm");
//
// Dense cells share TMatrix's storage (one column-major block, the same
// in-place Resize) and its range rule and cell kernels. A sparse matrix
// keeps a sorted list of (column, row, value) entries: absent cells read 0,
// the dimensions follow the highest stored indices after each insertion and
// are set explicitly by Resize, a bounding box of the stored entries lets a
// read outside it answer 0 without searching. Only CreateSparse,
// ArrayToSparse and SparseToArray change the mode. Inserts in random order
// cost O(log n) each (see sparse_list.h); NumAllocated, the
// capacity the library reports, grows in steps of AllocBy.
//
// Events as for TMatrix: a size change fires OnChange then OnResize, SetVal
// OnChange, bulk operations OnChange once, Assign nothing.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/intmatrix/sparse_list.h"
#include "kvl/containers/matrix/cell_block.h"
#include "kvl/containers/matrix_files/matrix_xml_tag.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

class TVector;
class TIntVector;
class TStream;
class TMemoryStream;
namespace matrix_internal {
struct TCellRect;
}

/// TIntMatrix: a dense or sparse matrix of 32-bit integers.
class TIntMatrix : public TComponent {
 public:
  /// Creates a dense 1 x 1 matrix holding 0, DataID empty; raises
  /// EKVLMatrixError "not enough memory on heap" when that fails.
  explicit TIntMatrix(TComponent* AOwner = nullptr);
  ~TIntMatrix() override;

  /// CreateSparse: a new sparse matrix (owned by AOwner when given, else by
  /// the caller) with growth step AllocBy (values below 1 become 1), no
  /// entries, an empty bounding box and 0 x 0 dimensions.
  static TIntMatrix* CreateSparse(TComponent* AOwner, std::int32_t AllocBy);

  // --- properties ------------------------------------------------------------------------

  std::int32_t NrOfColumns() const noexcept { return FNCol; }
  /// SetNrOfColumns: Resize(Value, NrOfRows).
  void SetNrOfColumns(std::int32_t Value) { Resize(Value, FNRow); }
  std::int32_t NrOfRows() const noexcept { return FNRow; }
  /// SetNrOfRows: Resize(NrOfColumns, Value).
  void SetNrOfRows(std::int32_t Value) { Resize(FNCol, Value); }
  const std::string& DataID() const noexcept { return FDataID; }
  void SetDataID(const std::string& Value) { FDataID = Value; }
  /// Elem: the cell (Nc, Nr) (GetVal); SetElem writes it (SetVal).
  std::int32_t Elem(std::int32_t Nc, std::int32_t Nr) const noexcept { return GetVal(Nc, Nr); }
  void SetElem(std::int32_t Nc, std::int32_t Nr, std::int32_t Value) { SetVal(Nc, Nr, Value); }

  /// IsSparse: the storage mode.
  bool IsSparse() const noexcept { return FIsSparse; }
  /// AllocBy: the growth step of the sparse list (at least 1).
  std::int32_t AllocBy() const noexcept { return FAllocBy; }
  /// NumAllocated: the capacity of the sparse list in entries (0 when dense).
  std::int32_t NumAllocated() const noexcept { return FNumAllocated; }
  /// SparseNumElem: the number of stored entries (0 when dense).
  std::int32_t SparseNumElem() const noexcept { return static_cast<std::int32_t>(FSparse.Count()); }
  /// The bounding box of the stored entries; empty: Low 2147483647, High 1.
  std::int32_t SparseLowCol() const noexcept { return FSparseLowCol; }
  std::int32_t SparseHighCol() const noexcept { return FSparseHighCol; }
  std::int32_t SparseLowRow() const noexcept { return FSparseLowRow; }
  std::int32_t SparseHighRow() const noexcept { return FSparseHighRow; }
  /// SpMat: the stored entries in (column, row) order (empty when dense).
  std::span<const TSpMatElemInt> SpMat() const { return FSparse.Entries(); }

  /// Data: the dense cells column after column (empty when sparse).
  std::span<const std::int32_t> Data() const noexcept { return {FData.data(), FData.size()}; }
  /// ColumnView: the dense cells as a [column][row] view (no events).
  TColumnView<const std::int32_t> ColumnView() const noexcept { return {FData.data(), Cols(), Rows()}; }

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TOnPercentDoneEvent OnPercentDone;
  TSortExchgEvent OnSortExchange;

  // --- mode changes ----------------------------------------------------------------------

  /// SparseToArray: a sparse matrix becomes dense with SparseHighCol x
  /// SparseHighRow cells holding the stored entries (1 x 1 for an empty
  /// store); fires OnResize. No-op when dense.
  void SparseToArray();
  /// ArrayToSparse: a dense matrix becomes sparse holding its non-zero cells
  /// (column by column), growth step AllocBy (at least 1), dimensions kept;
  /// fires OnResize. No-op when sparse.
  void ArrayToSparse(std::int32_t AllocBy);

  // --- lifecycle and element access ------------------------------------------------------

  /// Resize: false for an argument below 1 or an unchanged size. Dense: as
  /// TMatrix::Resize. Sparse: the dimensions become (Nc, Nr), entries beyond
  /// them are removed and the bounding box is lowered into them. Fires
  /// OnChange then OnResize.
  bool Resize(std::int32_t Nc, std::int32_t Nr);
  /// ResizeAndClear: Resize, then every cell 0 (a sparse store emptied).
  bool ResizeAndClear(std::int32_t Nc, std::int32_t Nr);
  void Changed() { FireEvent(OnChange); }
  void Resized() { FireEvent(OnResize); }
  /// Assign: from a TIntMatrix copies mode, sizes, DataID, cells or entries
  /// and the four handlers without events.
  void Assign(const TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) const override;
  /// Clone: copies MatSource's size and cells when both use the same
  /// storage mode (else nothing); fires OnChange and OnResize.
  void Clone(const TIntMatrix* MatSource);

  /// GetVal: the cell (Nc, Nr), 0 outside the matrix (dense) or for an
  /// absent pair (sparse; a pair outside the bounding box is not searched).
  std::int32_t GetVal(std::int32_t Nc, std::int32_t Nr) const noexcept {
    if (!FIsSparse) return InMatrix(Nc, Nr) ? FData[Offset(Nc, Nr)] : 0;
    if (Nc < FSparseLowCol || Nc > FSparseHighCol || Nr < FSparseLowRow || Nr > FSparseHighRow) return 0;
    const std::int32_t* v = FSparse.Find(Nc, Nr);
    return v != nullptr ? *v : 0;
  }
  /// SetVal: dense: as TMatrix::SetVal. Sparse: indices below 1 are ignored
  /// (no upper limit); a stored pair takes the value (also 0), a new pair is
  /// inserted, the bounding box and the dimensions widen to it. OnChange.
  void SetVal(std::int32_t Nc, std::int32_t Nr, std::int32_t Value);
  std::int32_t MakeValidColRange(std::int32_t& LowCol, std::int32_t& HighCol) const noexcept;
  std::int32_t MakeValidRowRange(std::int32_t& LowRow, std::int32_t& HighRow) const noexcept;

  // --- structure changes (both modes) ---------------------------------------------------

  /// RemoveColumn: removes column col; false when col is outside or the
  /// matrix has one column.
  bool RemoveColumn(std::int32_t col);
  /// RemoveRow: the same for a row.
  bool RemoveRow(std::int32_t row);
  /// ExchangeColumns / ExchangeRows: swap two lines; OnChange; indices
  /// outside the matrix change nothing.
  void ExchangeColumns(std::int32_t c1, std::int32_t c2);
  void ExchangeRows(std::int32_t r1, std::int32_t r2);
  /// MirrorColumns / MirrorRows: reverse the order of the lines; OnChange.
  void MirrorColumns();
  void MirrorRows();
  /// Transpose: exchanges columns and rows (a sparse store swaps each
  /// entry's pair and sorts again); OnChange, OnResize; true.
  bool Transpose();

  // --- fills ----------------------------------------------------------------------------

  /// Fill: every cell := value. Sparse: value <> 0 sets the stored entries
  /// only; 0 empties the store (capacity AllocBy, bounding box reset).
  void Fill(std::int32_t value);
  /// Fill: the same over a validated rectangle (sparse: stored entries
  /// inside it take the value, 0 included).
  void Fill(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
            std::int32_t value);
  /// FillDiag: cells (i, i), i = 1..min(columns, rows) := value.
  void FillDiag(std::int32_t value);
  /// FillSerial: cell number k (column-major, dense only) := Offset + k * Diff
  /// (32-bit wrap-around); no event.
  void FillSerial(std::int32_t Offset, std::int32_t Diff);

  // --- copies ---------------------------------------------------------------------------

  /// CopyFrom: the source rectangle to (DestCol, DestRow) onward, cells
  /// outside this matrix dropped (any storage modes); OnChange.
  void CopyFrom(const TIntMatrix* MatSource, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol, std::int32_t DestRow);
  /// DuplicateDataAsArray: Dest := all cells as [columns][rows]; 0, or -1
  /// when there are no cells (a 0 x 0 sparse matrix).
  std::int32_t DuplicateDataAsArray(TInt2DArray& Dest) const;
  /// CopyRowToVec: DestVec := 0, then its element k - FirstCol + DestElem
  /// := cell (k, Row) for k = FirstCol..LastCol (validated; Row clamped),
  /// cut to DestVec's size (not resized); nothing for a null vector.
  void CopyRowToVec(TIntVector* DestVec, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol) const;
  void CopyRowToVec(TIntVector* DestVec, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                    std::int32_t DestElem) const;
  /// CopyColToVec: the column analogue of CopyRowToVec.
  void CopyColToVec(TIntVector* DestVec, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow) const;
  void CopyColToVec(TIntVector* DestVec, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow,
                    std::int32_t DestElem) const;
  /// CopyRowTo1DArray: cells (FirstCol..LastCol, Row) into Dest from
  /// position DestElem (0-based); values past Dest's end are dropped.
  void CopyRowTo1DArray(std::span<std::int32_t> Dest, std::int32_t Row, std::int32_t FirstCol,
                        std::int32_t LastCol, std::int32_t DestElem) const;
  void CopyRowTo1DArray(std::span<double> Dest, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                        std::int32_t DestElem) const;
  /// CopyColTo1DArray: cells (Col, FirstRow..LastRow) into Dest from DestElem.
  void CopyColTo1DArray(std::span<std::int32_t> Dest, std::int32_t Col, std::int32_t FirstRow,
                        std::int32_t LastRow, std::int32_t DestElem) const;
  void CopyColTo1DArray(std::span<double> Dest, std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow,
                        std::int32_t DestElem) const;
  /// CopyToArray: the rectangle into the existing Dest from [DestCol][DestRow],
  /// cut to Dest's extent. 0, -1 Dest empty, -2 / -3 the column / row range
  /// was invalid or adjusted, -4 the start lies outside Dest.
  std::int32_t CopyToArray(TInt2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                           std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                           std::int32_t DestRow) const;
  std::int32_t CopyToArray(TDouble2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                           std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                           std::int32_t DestRow) const;
  /// CopyFromArray: Src[FirstElem..LastElem] (0, 0: all) to (Col, Row + k)
  /// when AsColumn, else (Col + k, Row); Doubles rounded (halves to even),
  /// held at the Integer limits, NaN as 0. 0, -1 Src empty, -4 a bound
  /// outside Src, -5 (Col, Row) outside the matrix; OnChange on success.
  std::int32_t CopyFromArray(std::span<const std::int32_t> Src, std::int32_t FirstElem, std::int32_t LastElem,
                             std::int32_t Col, std::int32_t Row, bool AsColumn);
  std::int32_t CopyFromArray(std::span<const double> Src, std::int32_t FirstElem, std::int32_t LastElem,
                             std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyFromArray: the array rectangle [SrcColLo..SrcColHi][SrcRowLo..SrcRowHi]
  /// into the matrix from (Col, Row). 0, -1 Src empty, -2 / -3 the column /
  /// row range lies outside Src, -5 (Col, Row) outside the matrix.
  std::int32_t CopyFromArray(const TInt2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                             std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col, std::int32_t Row);
  std::int32_t CopyFromArray(const TDouble2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                             std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col, std::int32_t Row);

  // --- arithmetic -----------------------------------------------------------------------

  /// Add / Subtract: cell by cell (32-bit wrap-around), OnChange; false for
  /// another size or when this matrix is sparse (MatB may be sparse).
  bool Add(const TIntMatrix* MatB);
  bool Subtract(const TIntMatrix* MatB);
  /// SMult / SAdd: every cell (sparse: every stored entry; SAdd on a sparse
  /// store changes only the stored entries) by or plus Scalar; OnChange.
  void SMult(std::int32_t Scalar);
  void SAdd(std::int32_t Scalar);
  /// Multiply: MatRes := A * B (B columns x A rows), 32-bit wrap-around;
  /// then A's OnChange; false for a null operand or A columns <> B rows.
  /// Sparse operands read absent cells as 0; a sparse MatRes keeps the
  /// non-zero results as its entries.
  bool Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes);
  /// MultiplyTransposed: MatRes := A * B' (B rows x A rows); false unless
  /// A columns = B columns.
  bool MultiplyTransposed(const TIntMatrix* MatB, TIntMatrix* MatRes);
  /// TransposeAndMultiply: MatRes := A' * B (B columns x A columns); false
  /// unless A rows = B rows.
  bool TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes) const;
  /// EMult: MatRes := the element-wise product, then A's OnChange; false
  /// unless the sizes are equal.
  bool EMult(const TIntMatrix* MatB, TIntMatrix* MatRes);
  /// Multiply: VecRes (A rows) := A * VecB, then A's OnChange; false unless
  /// A columns = VecB's size.
  bool Multiply(const TIntVector* VecB, TIntVector* VecRes);
  /// TransposeAndMultiply: VecRes (A columns) := A' * VecB; false unless A
  /// rows = VecB's size.
  bool TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) const;

  // --- searches and statistics ----------------------------------------------------------

  /// Find: the first cell (column by column) nearest to Value in the
  /// rectangle; (0, 0) when the rectangle is empty.
  void Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
            std::int32_t Value, std::int32_t& ColIx, std::int32_t& RowIx) const;
  /// FindInSortedColumn: binary search for Value in column Col, sorted as
  /// ColIsAscending says: the row of Value or of the nearest cell; 0 for a
  /// column outside the matrix.
  std::int32_t FindInSortedColumn(std::int32_t Col, bool ColIsAscending, std::int32_t Value) const;
  /// Dichotomize: ResultArray := [columns][rows] flags, true where the cell
  /// is greater than Threshold; returns the number of true flags.
  std::int32_t Dichotomize(std::int32_t Threshold, TBool2DArray& ResultArray) const;
  /// EdgeVector: one aggregate (TEdgeOp) per column (Orient not orRows)
  /// over the rows listed in EdgeIx, or per row over the listed columns; an
  /// empty list means all. 0, -1 no cells, -2 an index of EdgeIx was outside
  /// (skipped), -3 Dest is null.
  std::int32_t EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, std::span<const std::int32_t> EdgeIx,
                          TVector* Dest) const;
  /// EdgeVector: the same over all rows (columns).
  std::int32_t EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* Dest) const;
  /// MeanVec: the mean of each column (dimColumns) or row (dimRows) into
  /// Means (resized; nothing for null).
  void MeanVec(TDims Dim, TVector* Means) const;
  /// Sum: the sum of the cells of the rectangle (sparse: the stored entries
  /// inside it), 32-bit wrap-around.
  std::int32_t Sum(std::int32_t LoC, std::int32_t LoR, std::int32_t HiC, std::int32_t HiR) const;
  /// Trace: the sum of the diagonal; 0 for a non-square matrix.
  std::int32_t Trace() const;
  /// MinMax: the extremes of the rectangle (absent sparse cells count as 0).
  void MinMax(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
              std::int32_t& Minimum, std::int32_t& Maximum) const;
  /// MeanVar: mean and sample variance as TMatrix::MeanVar.
  void MeanVar(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
               double& Mean, double& Variance) const;
  /// GeometricMean: as TMatrix::GeometricMean; raises EKVLMatrixError
  /// "negative argument passed to GeometricMean".
  double GeometricMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow) const;
  /// HarmonicMean: as TMatrix::HarmonicMean; raises EKVLMatrixError
  /// "negative or zero argument passed to HarmonicMean".
  double HarmonicMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow) const;
  /// SkewKurt / SkewKurtSample: as TMatrix's, in floating point.
  void SkewKurt(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                double& Skewness, double& Kurtosis) const;
  void SkewKurtSample(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                      double& Skewness, double& Kurtosis) const;
  /// Quartiles: as TMatrix::Quartiles over the cells; true.
  bool Quartiles(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                 double& Q1, double& Q2, double& Q3) const;
  /// Percentile: nearest rank as TMatrix::Percentile (prob clamped into 0..100).
  double Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) const;
  /// Percentile: estimated from SampleSize cells drawn at random (all cells
  /// when SampleSize is 0 or not below their number).
  double Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow, std::int32_t SampleSize) const;
  /// CountValues: cells x of the rectangle with RangeLow <= x <= RangeHigh.
  std::int32_t CountValues(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                           std::int32_t RangeLow, std::int32_t RangeHigh) const;
  /// CountMaskedZeros: cells x of the rectangle with (x AND Bitmask) = 0.
  std::int32_t CountMaskedZeros(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                                std::int32_t HighRow, std::uint32_t Bitmask) const;
  /// CRCofData: four CRC-32s over the byte positions of the 4-byte cells
  /// (dense cells column by column; a sparse store as its dense image), 32
  /// hexadecimal characters.
  std::string CRCofData() const;

  // --- sorting --------------------------------------------------------------------------

  /// SortRows: comb sort of rows LowRow..HighRow by column SortColIx as
  /// TMatrix::SortRows: OnSortExchange(this, 2, i, j, LowCol, HighCol) per
  /// exchange, then OnChange. A sparse store moves its entries once at the end.
  void SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                std::int32_t HighCol, std::int32_t HighRow);
  /// SortCols: columns LowCol..HighCol by row SortRowIx, OnSortExchange(this,
  /// 1, i, j, LowRow, HighRow) per exchange, then OnChange.
  void SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                std::int32_t HighCol, std::int32_t HighRow);

  // --- ASC text, text dump and stream image (docs/matrix3d.md) ----------------------------

  /// ExportAsASC: the ASC column text: title (Comment, or "Exported by KVL
  /// TIntMatrix component: " + FName), the header, one line per row with
  /// the cells as decimal integers separated by tabs. 0, or -1 when the
  /// file cannot be written.
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const;
  /// ExportAsASC: the same followed by the block of custom texts CustData
  /// ([column][row]).
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment, const TStr2DArray& CustData) const;
  /// ImportASC: reads an ASC text into the matrix (sized to the header's
  /// counts once they fit in the file); values read as real numbers and
  /// rounded, "NAN" and "###" as 0. 0, -5 bad row attribute, -6 bad or
  /// missing value, -8 no file, or the header's status.
  std::int32_t ImportASC(const std::string& FName, std::string& Comment);
  /// ImportASC: the same, also reading a custom-data block into CustData
  /// (empty when the file has none; -6 for a broken block).
  std::int32_t ImportASC(const std::string& FName, std::string& Comment, TStr2DArray& CustData);
  /// StoreOnFile: the text dump of the rectangle: its bounds on line 1, then
  /// one line per row; true once the file was created.
  bool StoreOnFile(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                   const std::string& FileName) const;
  /// LoadFromFile: reads such a dump; with AdjustMatrixSize the matrix is
  /// resized to the upper bounds first (when the file can hold them). False
  /// for a missing file, bad bounds or a rectangle beyond the matrix.
  bool LoadFromFile(const std::string& FileName, bool AdjustMatrixSize);
  /// SaveToStream: the binary image of the rectangle: the four bounds and
  /// the cells column by column as 32-bit integers; creates the memory
  /// stream when OutStream is null.
  void SaveToStream(TMemoryStream*& OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) const;
  void SaveToStream(TStream* OutStream, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) const;
  /// LoadFromStream: reads such an image from the stream's position; false
  /// for a null stream, bad bounds, a rectangle beyond the matrix (after
  /// the resize AdjustMatrixSize asks for) or a short stream.
  bool LoadFromStream(TStream* InStream, bool AdjustMatrixSize);

  // --- binary file (records of 4096 bytes, docs/matrix_files.md) ---------------------------

  /// SaveBinary: header (format 2) and the cells (a sparse store as its
  /// dense image) row by row; false when DataID is longer than 255
  /// characters or the file cannot be written.
  bool SaveBinary(const std::string& FName) const;
  /// LoadBinary: 0 loaded (the matrix becomes dense); -1 missing or short
  /// header, -2 header not valid for TIntMatrix, -3 data area short.
  std::int32_t LoadBinary(const std::string& FName);
  /// ReadBinaryHeader: as TMatrix::ReadBinaryHeader, valid for format 2.
  bool ReadBinaryHeader(const std::string& FName, std::int32_t& NrColumns, std::int32_t& NrRows,
                        std::string& DataID, std::int32_t& Format) const;

  // --- sparse files ---------------------------------------------------------------------

  /// StoreSparseMat: writes the entries (a dense matrix: its non-zero
  /// cells) in the layout of docs/matrix.md; false when the file cannot be
  /// written.
  bool StoreSparseMat(const std::string& FileName) const;
  /// LoadSparseMat: reads such a file; the matrix becomes sparse with its
  /// dimensions, growth step and entries. False (matrix unchanged) for a
  /// missing, short or inconsistent file.
  bool LoadSparseMat(const std::string& FileName);

  // XML-like text (docs/matrix_files.md) -----------------------------------------------------

  /// The XML-like text as for TMatrix, cells as decimal integers; a sparse
  /// matrix writes its dense image and a read makes the matrix dense.
  /// SaveAsXMLFile: true, false when the file cannot be written.
  bool SaveAsXMLFile(const std::string& FName, std::string_view DataID) const;
  /// LoadFromXMLFile / ReadFromXMLStream / ReadFromOpenXMLFile: true when a
  /// whole matrix of the given DataID (any for "") was read; else false and
  /// the matrix unchanged.
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
  std::size_t Cols() const noexcept { return FIsSparse ? 0 : static_cast<std::size_t>(FNCol); }
  std::size_t Rows() const noexcept { return FIsSparse ? 0 : static_cast<std::size_t>(FNRow); }
  bool InMatrix(std::int32_t Nc, std::int32_t Nr) const noexcept {
    return Nc >= 1 && Nc <= FNCol && Nr >= 1 && Nr <= FNRow;
  }
  std::size_t Offset(std::int32_t Nc, std::int32_t Nr) const noexcept {
    return static_cast<std::size_t>(Nc - 1) * static_cast<std::size_t>(FNRow) + static_cast<std::size_t>(Nr - 1);
  }
  TColumnView<std::int32_t> MutableView() noexcept { return {FData.data(), Cols(), Rows()}; }
  /// StoreCell: writes (c, r) without an event: dense inside the matrix;
  /// sparse stores a non-zero value or overwrites a stored pair (the box
  /// and the dimensions widen to it).
  void StoreCell(std::int32_t c, std::int32_t r, std::int32_t v);
  /// CellImage: the cells as a column-major block: the dense cells, or the
  /// dense image of a sparse store built in Scratch.
  TColumnView<const std::int32_t> CellImage(std::vector<std::int32_t>& Scratch) const;
  /// TakeCells: this matrix := Cols x Rows cells (column-major) through
  /// Resize; a sparse store keeps the non-zero ones. With PerCellEvents and
  /// an OnChange handler each cell fires OnChange as SetVal does.
  void TakeCells(std::int32_t Cols, std::int32_t Rows, const std::int32_t* Cells, bool PerCellEvents);
  /// ProductInto: MatRes := op(this) op(MatB), op the transpose where asked
  /// (the sizes already checked).
  void ProductInto(const TIntMatrix& MatB, TIntMatrix& MatRes, bool TransA, bool TransB) const;
  /// CopyInCells: runs a CopyFromArray rule Rule(put), cells stored through
  /// StoreCell (Doubles converted as CloneArray converts); OnChange on 0.
  template <class RuleFn>
  std::int32_t CopyInCells(RuleFn&& Rule);
  /// SortSparseLines: the sparse SortRows (ByRows) or SortCols: the comb
  /// sort runs on the keys, Exchanged(i, j) after each exchange; the
  /// entries of the cross range CrossLo..CrossHi (and the key line's cells)
  /// move once at the end.
  template <class F>
  void SortSparseLines(bool ByRows, std::int32_t KeyIx, bool Ascending, std::int32_t Lo, std::int32_t Hi,
                       std::int32_t CrossLo, std::int32_t CrossHi, F&& Exchanged);
  /// ResetStore: an empty sparse store (capacity AllocBy, box reset).
  void ResetStore() noexcept;
  /// ResetBox: the empty bounding box.
  void ResetBox() noexcept;
  /// WidenBox: the bounding box grows to hold (c, r).
  void WidenBox(std::int32_t c, std::int32_t r) noexcept;
  /// RebuildBox: the bounding box of the stored entries.
  void RebuildBox();
  /// GrowCapacity: NumAllocated in steps of AllocBy up to at least N entries.
  void GrowCapacity(std::size_t N);
  /// BecomeSparse: empty sparse store with growth step AllocBy.
  void BecomeSparse(std::int32_t AllocBy);
  /// WalkRect: f(value) for every cell of the validated rectangle (sparse
  /// cells through GetVal).
  template <class F>
  void WalkRect(std::int32_t LoC, std::int32_t HiC, std::int32_t LoR, std::int32_t HiR, F&& f) const;
  /// VisitStored: f(value) for every dense cell or stored sparse entry of
  /// the validated rectangle; returns the number of absent (zero) cells.
  template <class F>
  std::int64_t VisitStored(std::int32_t LoC, std::int32_t HiC, std::int32_t LoR, std::int32_t HiR, F&& f) const;

  /// WalkStat: f(double) for every cell of R (sparse cells through GetVal).
  template <class F>
  void WalkStat(const matrix_internal::TCellRect& R, F&& f) const;
  /// StatCells: the cells of R as a work array of doubles.
  std::vector<double> StatCells(const matrix_internal::TCellRect& R) const;

  std::int32_t FNCol = 1;
  std::int32_t FNRow = 1;
  std::int32_t FAuxCol = 0;  // sizes announced by a file while it is read
  std::int32_t FAuxRow = 0;
  std::string FDataID;
  bool FIsSparse = false;
  std::int32_t FNumAllocated = 0;
  std::int32_t FAllocBy = 1;
  std::int32_t FSparseLowCol = 2147483647;
  std::int32_t FSparseHighCol = 1;
  std::int32_t FSparseLowRow = 2147483647;
  std::int32_t FSparseHighRow = 1;
  intmatrix_internal::TSparseList FSparse;
  matrix_internal::TCellBlockOf<std::int32_t> FData;  // dense cells, column-major
  bool FirstCell = false;
};

}  // namespace kvl

KVL_API_END
