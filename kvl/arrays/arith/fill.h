#pragma once
// Filling arrays with a constant, with serial numbers, or as a diagonal
// array. Status results: 0 success, -1 empty array, -2 bad index range or
// (FillDiagArray) extents that are not all equal.

#include <cstdint>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// FillArray: every element := v; -1 when A is empty.
std::int32_t FillArray(TDoubleArray& A, double v);
std::int32_t FillArray(TDouble2DArray& A, double v);
std::int32_t FillArray(TDouble3DArray& A, double v);
std::int32_t FillArray(TDouble4DArray& A, double v);
std::int32_t FillArray(TIntArray& A, std::int32_t v);
std::int32_t FillArray(TInt2DArray& A, std::int32_t v);
std::int32_t FillArray(TInt3DArray& A, std::int32_t v);
std::int32_t FillArray(TInt4DArray& A, std::int32_t v);

/// FillArray (range): the elements of an index range := v; the bounds are
/// all lows (outermost first), then all highs. -1 when A is empty, -2 when a
/// bound lies outside its dimension or a high bound is below its low bound.
std::int32_t FillArray(TDoubleArray& A, double v, std::int32_t First, std::int32_t Last);
std::int32_t FillArray(TDouble2DArray& A, double v, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2);
std::int32_t FillArray(TDouble3DArray& A, double v, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3);
std::int32_t FillArray(TDouble4DArray& A, double v, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4);
std::int32_t FillArray(TIntArray& A, std::int32_t v, std::int32_t First, std::int32_t Last);
std::int32_t FillArray(TInt2DArray& A, std::int32_t v, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2);
std::int32_t FillArray(TInt3DArray& A, std::int32_t v, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3);
std::int32_t FillArray(TInt4DArray& A, std::int32_t v, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4);

/// FillArraySerial: numbers the cells in loop order, the outermost index
/// varying slowest: the cell with serial number k := First + k x Step, where
/// k = c x nr + r for A[c][r], ((i x n2) + j) x n3 + l for A[i][j][l], and so
/// on (for a TColumnView, k is the cell's offset in storage). Without First
/// and Step the numbers are 0, 1, 2, ... Integer values wrap as the 32-bit
/// word. Returns -1 when A is empty, otherwise 0.
std::int32_t FillArraySerial(TDoubleArray& A, double First, double Step);
std::int32_t FillArraySerial(TDouble2DArray& A, double First, double Step);
std::int32_t FillArraySerial(TDouble3DArray& A, double First, double Step);
std::int32_t FillArraySerial(TDouble4DArray& A, double First, double Step);
std::int32_t FillArraySerial(TColumnView<double> A, double First, double Step);
std::int32_t FillArraySerial(TIntArray& A, std::int32_t First, std::int32_t Step);
std::int32_t FillArraySerial(TInt2DArray& A, std::int32_t First, std::int32_t Step);
std::int32_t FillArraySerial(TInt3DArray& A, std::int32_t First, std::int32_t Step);
std::int32_t FillArraySerial(TInt4DArray& A, std::int32_t First, std::int32_t Step);
std::int32_t FillArraySerial(TDoubleArray& A);
std::int32_t FillArraySerial(TDouble2DArray& A);
std::int32_t FillArraySerial(TDouble3DArray& A);
std::int32_t FillArraySerial(TDouble4DArray& A);
std::int32_t FillArraySerial(TColumnView<double> A);
std::int32_t FillArraySerial(TIntArray& A);
std::int32_t FillArraySerial(TInt2DArray& A);
std::int32_t FillArraySerial(TInt3DArray& A);
std::int32_t FillArraySerial(TInt4DArray& A);

/// FillDiagArray: cells whose indices are all equal (A[i][i], A[i][i][i],
/// ...) := v, every other cell := 0. -1 when A is empty, -2 when its extents
/// are not all equal (A is then untouched).
std::int32_t FillDiagArray(TDouble2DArray& A, double v);
std::int32_t FillDiagArray(TDouble3DArray& A, double v);
std::int32_t FillDiagArray(TDouble4DArray& A, double v);
std::int32_t FillDiagArray(TInt2DArray& A, std::int32_t v);
std::int32_t FillDiagArray(TInt3DArray& A, std::int32_t v);
std::int32_t FillDiagArray(TInt4DArray& A, std::int32_t v);

}  // namespace kvl

KVL_API_END
