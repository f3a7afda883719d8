#pragma once
// Reshaping and reordering: transpose, flip a dimension, remove a row or a
// column, serialise a 2-D array, apply a permutation, sort with an index,
// remove duplicates.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TransposeArray: A := its transpose, a new array of swapped extents
/// (A'[r][c] = A[c][r]). Returns -1 when A is empty (A untouched).
std::int32_t TransposeArray(TDouble2DArray& A);
std::int32_t TransposeArray(TInt2DArray& A);
std::int32_t TransposeArray(TBool2DArray& A);

/// FlipDimArray: reverses the order of A along dimension Dim (1 = the outer
/// index, 2 = the next, ...). Returns -1 when A is empty, -2 when A has no
/// dimension Dim; 0 otherwise.
std::int32_t FlipDimArray(TDoubleArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TDouble2DArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TDouble3DArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TDouble4DArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TIntArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TInt2DArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TInt3DArray& A, std::int32_t Dim);
std::int32_t FlipDimArray(TInt4DArray& A, std::int32_t Dim);

/// RemoveRow: deletes row Row (inner index) from every column; true on
/// success, false when Row lies outside the array (A unchanged).
bool RemoveRow(TDouble2DArray& A, std::int32_t Row);
bool RemoveRow(TInt2DArray& A, std::int32_t Row);

/// RemoveColumn: deletes column Col (outer index); true on success, false
/// when Col lies outside the array (A unchanged).
bool RemoveColumn(TDouble2DArray& A, std::int32_t Col);
bool RemoveColumn(TInt2DArray& A, std::int32_t Col);

/// SerializeArray: lays the nc x nr array A out in V (nc x nr elements):
/// row after row, V[c + nc x r] = A[c][r], or with ColumnMajor column after
/// column, V[r + nr x c] = A[c][r]. Returns -1 when A is empty (V unchanged).
std::int32_t SerializeArray(const TDouble2DArray& A, bool ColumnMajor, TDoubleArray& V);
std::int32_t SerializeArray(const TInt2DArray& A, bool ColumnMajor, TIntArray& V);

/// PermuteArray: reorders A by a 1-based permutation, so that the new
/// element i is the old element Perm[i] - 1 (the index that SortArray
/// returns can be applied to companion arrays this way). The 2-D members
/// reorder whole columns (acrColumns) or the rows of every column (acrRows).
/// Returns -1 when A is empty, -2 when Perm's length differs from the
/// reordered extent, -3 when Perm is not a permutation of 1..n; A is then
/// unchanged.
std::int32_t PermuteArray(TDoubleArray& A, const TIntArray& Perm);
std::int32_t PermuteArray(TIntArray& A, const TIntArray& Perm);
std::int32_t PermuteArray(TDouble2DArray& A, const TIntArray& Perm, TApplyColRow ApplyTo);
std::int32_t PermuteArray(TInt2DArray& A, const TIntArray& Perm, TApplyColRow ApplyTo);

/// SortArray (with index): sorts A in the requested direction by comb sort
/// (gap from n - 1, divided by 1.3 before every pass, down to 1) and sets Ix
/// to the 1-based positions the elements had before sorting. Equal elements
/// may change their order. Returns -1 for fewer than 2 elements (Ix is still
/// filled), otherwise 0.
std::int32_t SortArray(bool Ascending, TDoubleArray& A, TIntArray& Ix);
std::int32_t SortArray(bool Ascending, TIntArray& A, TIntArray& Ix);

/// SortAndRemoveDuplicates: sorts A (KVL_math1's SortArray) and keeps the
/// first of each run of equal values, shortening A. Returns the number of
/// elements removed, -1 for fewer than 2 elements (A unchanged).
std::int32_t SortAndRemoveDuplicates(TIntArray& A, bool Ascending);

}  // namespace kvl

KVL_API_END
