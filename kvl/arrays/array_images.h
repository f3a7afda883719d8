#pragma once
// Arrays as rasters: images of Integer colour rasters (BMP, PNG, JPEG or the
// clipboard), colour scales that turn values into colours, Boolean masks
// drawn from shapes, flood fills, bounding rectangles, lists and counts of
// marked cells, sums and fills through a mask, edge aggregates, and the text
// and binary files of plain arrays.
//
// A 2-D array is a raster with the outer index as x (column) and the inner
// one as y (row). Colours are 0x00BBGGRR (red in the lowest byte). Masked
// routines take a cell when its mask entry is false (true leaves it out).
// Nothing here raises except the image writers, which pass the runtime's
// file and encoder exceptions on (EFCreateError, EWriteError,
// EInvalidGraphic); every other failure is a status.
//
//   TInt2DArray colors;
//   ScaleArrayToColors(values, 0, 0, TColorScale::csHeat, colors);  // auto range
//   SaveArrayAsImg("values.png", colors, 4);                          // 4x4 pixels a cell
//
//   TBool2DArray mask(100, std::vector<bool>(80));
//   CreateMaskShape(mask, TShapeKind::skCircle, {50, 40, 20});
//   double sum;  SumArrayMasked(values, &mask, sum);                  // outside the circle

#include <cstdint>
#include <string>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/bitmap.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- images ---------------------------------------------------------------------

/// SaveArrayAsImg: draws the colour raster Data, Magnification x
/// Magnification pixels a cell, and saves it by the extension of FileName
/// (".bmp", ".png", ".jpg", any case); an empty FileName puts the bitmap on
/// the clipboard. Returns 0, -1 for another extension, -2 for a
/// magnification outside 1..10, -3 for an empty or ragged array; nothing is
/// written on an error.
std::int32_t SaveArrayAsImg(const std::string& FileName, const TInt2DArray& Data, std::int32_t Magnification);

/// ArrayToBitmap: the bitmap SaveArrayAsImg writes: (outer length x m) by
/// (inner length x m) pixels, pixel (x, y) of colour Data[x / m][y / m].
/// Returns 0, -2 for a magnification outside 1..10, -3 for an empty or
/// ragged array (Bitmap unchanged on an error).
std::int32_t ArrayToBitmap(const TInt2DArray& Data, std::int32_t Magnification, TBitmap& Bitmap);

/// TColorScale: the colour scales of ScaleArrayToColors, from the low end to
/// the high end: gray (black to white), heat (black, red, yellow, white),
/// rainbow (blue, cyan, green, yellow, red), blue-red (blue, white, red).
enum class TColorScale { csGray, csHeat, csRainbow, csBlueRed };

/// ScaleColor: the colour of the fraction T (clamped to 0..1) on Scale;
/// NaN gives NaNColor.
TColor ScaleColor(TColorScale Scale, double T, TColor NaNColor = 0);

/// ScaleArrayToColors: Colors gets the shape of Data, each cell the colour of
/// (value - Low) / (High - Low) on Scale; with Low >= High the range is the
/// data's finite minimum and maximum. NaN cells get NaNColor. Returns 0 or
/// -1 for an empty array.
std::int32_t ScaleArrayToColors(const TDouble2DArray& Data, double Low, double High, TColorScale Scale,
                                TInt2DArray& Colors, TColor NaNColor = 0);

// --- masks from shapes ----------------------------------------------------------

/// CreateMaskShape: sets the cells of the shape to true (clears none):
/// rectangle (x1, y1, x2, y2), ellipse (x1, y1, x2, y2), circle (cx, cy, r),
/// ring (cx, cy, r1, r2). Parts outside the mask are clipped. An ellipse with
/// a zero axis term (A = (x2 - x1)^2 div 2 = 0, or B) counts that term as 0
/// on its centre line and as outside elsewhere: x1 = x2 gives a vertical
/// line, both zero the centre cell. Returns 0, -1 for a wrong number of
/// parameters, -2 for a negative radius.
std::int32_t CreateMaskShape(TBool2DArray& Mask, TShapeKind Shape, const TIntArray& Params);

// --- flood fill -----------------------------------------------------------------

/// FloodFillArray: fills the 4-connected region of cells equal to
/// Data[X][Y] with NewValue, scan line by scan line; the bounds receive the
/// region's extent. Returns the number of cells filled, -1 for a start
/// outside Data, -2 when the start already holds NewValue. Works with an
/// explicit stack, in the order of the recursive scan-line fill.
std::int32_t FloodFillArray(std::int32_t X, std::int32_t Y, std::int32_t NewValue, TInt2DArray& Data,
                            std::int32_t& MaxY, std::int32_t& MinY, std::int32_t& MinX, std::int32_t& MaxX);
/// FloodFillArray: the same for the cells within |Tolerance| of the start
/// value; -2 when NewValue lies within that band. A NaN start value or
/// tolerance fills nothing (returns 0).
std::int32_t FloodFillArray(std::int32_t X, std::int32_t Y, double Tolerance, double NewValue, TDouble2DArray& Data,
                            std::int32_t& MaxY, std::int32_t& MinY, std::int32_t& MinX, std::int32_t& MaxX);

// --- extents, lists, counts, masked sums and fills ------------------------------

/// BoundingRect: the lowest and highest column and row holding a non-zero
/// cell; all four -1 when there is none.
void BoundingRect(const TInt2DArray& Data, std::int32_t& FirstX, std::int32_t& LastX, std::int32_t& FirstY,
                  std::int32_t& LastY);
/// BoundingRect: the same for Double cells (NaN counts as non-zero).
void BoundingRect(const TDouble2DArray& Data, std::int32_t& FirstX, std::int32_t& LastX, std::int32_t& FirstY,
                  std::int32_t& LastY);

/// ListCellPositions: Positions gets i + Offset for the entries equal to
/// Value, ascending, at most MaxCount of them (below 1: no limit). Returns
/// their number, -1 for an empty mask (Positions emptied).
std::int32_t ListCellPositions(const TBoolArray& Mask, bool Value, std::int32_t MaxCount, std::int32_t Offset,
                               TIntArray& Positions);
/// ListCellPositions: the same for a 2-D mask: Positions gets the pairs
/// x + Offset, y + Offset one after the other, x ascending and y ascending
/// within a column; MaxCount and the result count pairs.
std::int32_t ListCellPositions(const TBool2DArray& Mask, bool Value, std::int32_t MaxCount, std::int32_t Offset,
                               TIntArray& Positions);

/// SumArrayMasked: Sum of the cells whose mask entry is false (every cell
/// when Mask is null). Returns their number, -1 when Mask's shape differs
/// from Data's, -2 for empty data.
std::int32_t SumArrayMasked(const TDouble2DArray& Data, const TBool2DArray* Mask, double& Sum);
std::int32_t SumArrayMasked(const TInt2DArray& Data, const TBool2DArray* Mask, double& Sum);

/// FillArrayMasked: sets the cells whose mask entry is false (every cell
/// when Mask is null) to Value. Returns their number, -1 when Mask's shape
/// differs from Data's, -2 for empty data.
std::int32_t FillArrayMasked(TDouble2DArray& Data, double Value, const TBool2DArray* Mask);
std::int32_t FillArrayMasked(TInt2DArray& Data, std::int32_t Value, const TBool2DArray* Mask);

/// CountTrueCellsOfArray: the number of true entries, -1 for an empty mask.
std::int32_t CountTrueCellsOfArray(const TBoolArray& Mask);
std::int32_t CountTrueCellsOfArray(const TBool2DArray& Mask);
/// CountTrueCellsOfArray: the same within First..Last (2-D: Lo1, Lo2, Hi1,
/// Hi2); -1 for an empty mask, -2 for a bound outside or a high bound below
/// its low bound.
std::int32_t CountTrueCellsOfArray(const TBoolArray& Mask, std::int32_t First, std::int32_t Last);
std::int32_t CountTrueCellsOfArray(const TBool2DArray& Mask, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                                   std::int32_t Hi2);

// --- edge vectors ---------------------------------------------------------------

/// EdgeVector: one aggregate (minimum, maximum, sum, mean, sample standard
/// deviation by TEdgeOp) per column (Orient = orColumns) over the rows listed
/// in EdgeIx, or per row (orRows) over the listed columns; an empty list
/// means all. The mean divides a per-column value by the number of listed
/// rows inside the data, a per-row value by the number of columns. Returns
/// 0, -1 for an empty array (Result unchanged), -2 when EdgeIx lists an
/// index outside the dimension (skipped).
std::int32_t EdgeVector(const TDouble2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, const TIntArray& EdgeIx,
                        TDoubleArray& Result);
std::int32_t EdgeVector(const TInt2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, const TIntArray& EdgeIx,
                        TDoubleArray& Result);
/// EdgeVector: the same over all indices.
std::int32_t EdgeVector(const TDouble2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, TDoubleArray& Result);
std::int32_t EdgeVector(const TInt2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, TDoubleArray& Result);

// --- array files ----------------------------------------------------------------
// Status of the file routines: 0 done, -1 the file cannot be opened or
// written, -2 the array is ragged (writers) or the file is not an array file
// of this kind or version (readers), -3 the file holds another element type
// or number of dimensions than asked for, -4 the file is truncated or
// inconsistent (extents, counts, values). A failed reader leaves its var
// arguments empty. Formats: docs/arrays_images.md.

/// StoreArray: writes Data and Comment as array text; for 3-D and 4-D arrays
/// SliceHeadings puts a line "slice i" ("slice i j") before each 2-D slice.
std::int32_t StoreArray(const std::string& FileName, const TDoubleArray& Data, const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TDouble2DArray& Data, const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TDouble3DArray& Data, bool SliceHeadings,
                        const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TDouble4DArray& Data, bool SliceHeadings,
                        const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TIntArray& Data, const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TInt2DArray& Data, const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TInt3DArray& Data, bool SliceHeadings,
                        const std::string& Comment);
std::int32_t StoreArray(const std::string& FileName, const TInt4DArray& Data, bool SliceHeadings,
                        const std::string& Comment);

/// LoadArray: reads an array text written by StoreArray of the same element
/// type and number of dimensions, and its comment.
std::int32_t LoadArray(const std::string& FileName, TDoubleArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TDouble2DArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TDouble3DArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TDouble4DArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TIntArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TInt2DArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TInt3DArray& Data, std::string& Comment);
std::int32_t LoadArray(const std::string& FileName, TInt4DArray& Data, std::string& Comment);

/// TArrayCellFormat: the cell format of a binary array file.
enum class TArrayCellFormat { acfInteger, acfDouble };

/// SaveBinaryArray: writes Data and the identification text Ident as a
/// binary array file; -2 also for an empty array.
std::int32_t SaveBinaryArray(const std::string& FileName, const TInt2DArray& Data, const std::string& Ident);
std::int32_t SaveBinaryArray(const std::string& FileName, const TDouble2DArray& Data, const std::string& Ident);
std::int32_t SaveBinaryArray(const std::string& FileName, const TDouble3DArray& Data, const std::string& Ident);
std::int32_t SaveBinaryArray(const std::string& FileName, const TDouble4DArray& Data, const std::string& Ident);

/// LoadBinaryArray: reads a binary array file of Data's number of
/// dimensions and its identification text. A file of the other cell format
/// is converted when Convert is true (Double to Integer rounded, halves to
/// even, held at the Integer limits, NaN as 0) and gives -3 otherwise.
std::int32_t LoadBinaryArray(const std::string& FileName, TInt2DArray& Data, std::string& Ident, bool Convert);
std::int32_t LoadBinaryArray(const std::string& FileName, TDouble2DArray& Data, std::string& Ident, bool Convert);
std::int32_t LoadBinaryArray(const std::string& FileName, TDouble3DArray& Data, std::string& Ident, bool Convert);
std::int32_t LoadBinaryArray(const std::string& FileName, TDouble4DArray& Data, std::string& Ident, bool Convert);

/// ReadBinaryArrayHeader: the extents (unused dimensions 0), identification
/// text and cell format of a binary array file, without its cells.
std::int32_t ReadBinaryArrayHeader(const std::string& FileName, std::int32_t& N1, std::int32_t& N2,
                                   std::int32_t& N3, std::int32_t& N4, std::string& Ident,
                                   TArrayCellFormat& CellFormat);

}  // namespace kvl

KVL_API_END
