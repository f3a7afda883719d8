#pragma once
// Copies and conversions: clones (with element conversions), reversed
// clones, block copies between allocated arrays, column and row copies
// between 2-D and 1-D arrays, Boolean-to-number conversion and equality.

#include <cstdint>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TBool3DArray, TBool4DArray: Boolean arrays of three and four dimensions.
using TBool3DArray = std::vector<TBool2DArray>;
using TBool4DArray = std::vector<TBool3DArray>;

/// CloneArray: B := an independent copy of A. Returns -1 when A is empty
/// (B is then an empty copy too), otherwise 0.
std::int32_t CloneArray(const TDoubleArray& A, TDoubleArray& B);
std::int32_t CloneArray(const TDouble2DArray& A, TDouble2DArray& B);
std::int32_t CloneArray(const TDouble3DArray& A, TDouble3DArray& B);
std::int32_t CloneArray(const TDouble4DArray& A, TDouble4DArray& B);
std::int32_t CloneArray(const TIntArray& A, TIntArray& B);
std::int32_t CloneArray(const TInt2DArray& A, TInt2DArray& B);
std::int32_t CloneArray(const TInt3DArray& A, TInt3DArray& B);
std::int32_t CloneArray(const TInt4DArray& A, TInt4DArray& B);
std::int32_t CloneArray(const TBoolArray& A, TBoolArray& B);
std::int32_t CloneArray(const TBool2DArray& A, TBool2DArray& B);
std::int32_t CloneArray(const TBool3DArray& A, TBool3DArray& B);
std::int32_t CloneArray(const TBool4DArray& A, TBool4DArray& B);

/// CloneArray (conversions): B := A converted element by element. Double to
/// Integer rounds half to even and clips to the Integer range (NaN gives 0);
/// Double to Single rounds to the nearest Single. -1 when A is empty.
std::int32_t CloneArray(const TSingleArray& A, TDoubleArray& B);
std::int32_t CloneArray(const TSingle2DArray& A, TDouble2DArray& B);
std::int32_t CloneArray(const TDoubleArray& A, TSingleArray& B);
std::int32_t CloneArray(const TDouble2DArray& A, TSingle2DArray& B);
std::int32_t CloneArray(const TIntArray& A, TDoubleArray& B);
std::int32_t CloneArray(const TInt2DArray& A, TDouble2DArray& B);
std::int32_t CloneArray(const TDoubleArray& A, TIntArray& B);
std::int32_t CloneArray(const TDouble2DArray& A, TInt2DArray& B);

/// CloneAndReverseArray: B := A in reverse order (B[i] = A[n-1-i]), with the
/// conversions of CloneArray; -1 when A is empty (B is then emptied).
std::int32_t CloneAndReverseArray(const TDoubleArray& A, TDoubleArray& B);
std::int32_t CloneAndReverseArray(const TIntArray& A, TIntArray& B);
std::int32_t CloneAndReverseArray(const TBoolArray& A, TBoolArray& B);
std::int32_t CloneAndReverseArray(const TSingleArray& A, TDoubleArray& B);
std::int32_t CloneAndReverseArray(const TDoubleArray& A, TSingleArray& B);
std::int32_t CloneAndReverseArray(const TIntArray& A, TDoubleArray& B);
std::int32_t CloneAndReverseArray(const TDoubleArray& A, TIntArray& B);

/// CopyArray: copies the block Src[First..Last] (per dimension: all lows,
/// then all highs) into the already allocated Dest, its first cell at the
/// position DestIx (one index per dimension). Src and Dest may be the same
/// array, also with overlapping blocks. Returns -1 when Src or Dest is empty,
/// -2 when a bound is negative or outside Src, a high bound is below its low
/// bound, DestIx lies outside Dest or the block does not fit into Dest.
std::int32_t CopyArray(const TDoubleArray& Src, std::int32_t First, std::int32_t Last, std::int32_t DestIx,
                       TDoubleArray& Dest);
std::int32_t CopyArray(const TDouble2DArray& Src, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2, std::int32_t Dest1, std::int32_t Dest2, TDouble2DArray& Dest);
std::int32_t CopyArray(const TDouble3DArray& Src, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Dest1, std::int32_t Dest2,
                       std::int32_t Dest3, TDouble3DArray& Dest);
std::int32_t CopyArray(const TDouble4DArray& Src, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4,
                       std::int32_t Dest1, std::int32_t Dest2, std::int32_t Dest3, std::int32_t Dest4,
                       TDouble4DArray& Dest);
std::int32_t CopyArray(const TIntArray& Src, std::int32_t First, std::int32_t Last, std::int32_t DestIx,
                       TIntArray& Dest);
std::int32_t CopyArray(const TInt2DArray& Src, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2, std::int32_t Dest1, std::int32_t Dest2, TInt2DArray& Dest);
std::int32_t CopyArray(const TInt3DArray& Src, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Dest1, std::int32_t Dest2,
                       std::int32_t Dest3, TInt3DArray& Dest);
std::int32_t CopyArray(const TInt4DArray& Src, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4,
                       std::int32_t Dest1, std::int32_t Dest2, std::int32_t Dest3, std::int32_t Dest4,
                       TInt4DArray& Dest);

/// CopyArrayColumn: V := the cells A[Col][First..Last] (V is sized here).
/// Returns -1 when A is empty, -2 when First or Last lies outside the rows
/// or Last < First, -3 when Col lies outside the columns; V is then untouched.
std::int32_t CopyArrayColumn(const TDouble2DArray& A, std::int32_t Col, std::int32_t First, std::int32_t Last,
                             TDoubleArray& V);
std::int32_t CopyArrayColumn(const TInt2DArray& A, std::int32_t Col, std::int32_t First, std::int32_t Last,
                             TIntArray& V);

/// CopyArrayRow: V := the cells A[First..Last][Row] (V is sized here).
/// Returns -1 when A is empty, -2 when First or Last lies outside the
/// columns or Last < First, -3 when Row lies outside the rows.
std::int32_t CopyArrayRow(const TDouble2DArray& A, std::int32_t Row, std::int32_t First, std::int32_t Last,
                          TDoubleArray& V);
std::int32_t CopyArrayRow(const TInt2DArray& A, std::int32_t Row, std::int32_t First, std::int32_t Last,
                          TIntArray& V);

/// Copy2DColTo1DArray: copies A[Col][First..Last] into the allocated V from
/// V[DestIx] on, stopping at V's end. Returns -1 when A or V is empty, -2 for
/// a bad First / Last (as CopyArrayColumn), -3 for a bad Col, -4 when DestIx
/// is negative; 0 otherwise (also when DestIx lies past V's end: nothing fits).
std::int32_t Copy2DColTo1DArray(const TDouble2DArray& A, std::int32_t Col, std::int32_t First, std::int32_t Last,
                                TDoubleArray& V, std::int32_t DestIx);
std::int32_t Copy2DColTo1DArray(const TInt2DArray& A, std::int32_t Col, std::int32_t First, std::int32_t Last,
                                TIntArray& V, std::int32_t DestIx);

/// Copy2DRowTo1DArray: copies A[First..Last][Row] into the allocated V from
/// V[DestIx] on, stopping at V's end; codes as Copy2DColTo1DArray.
std::int32_t Copy2DRowTo1DArray(const TDouble2DArray& A, std::int32_t Row, std::int32_t First, std::int32_t Last,
                                TDoubleArray& V, std::int32_t DestIx);
std::int32_t Copy2DRowTo1DArray(const TInt2DArray& A, std::int32_t Row, std::int32_t First, std::int32_t Last,
                                TIntArray& V, std::int32_t DestIx);

/// CopyToArrayColumn: writes V[First..Last] into A from cell (Col, Row)
/// down the column; First = Last = 0 means all of V. Copying stops at the end
/// of V, of the range or of the column. Returns -1 for a bad source range (V
/// empty, First negative or past V's end, Last < First), -2 for a target
/// cell outside A (or A empty); 0 otherwise.
std::int32_t CopyToArrayColumn(const TDoubleArray& V, std::int32_t First, std::int32_t Last, std::int32_t Col,
                               std::int32_t Row, TDouble2DArray& A);
std::int32_t CopyToArrayColumn(const TIntArray& V, std::int32_t First, std::int32_t Last, std::int32_t Col,
                               std::int32_t Row, TInt2DArray& A);
std::int32_t CopyToArrayColumn(const TBoolArray& V, std::int32_t First, std::int32_t Last, std::int32_t Col,
                               std::int32_t Row, TBool2DArray& A);

/// CopyToArrayRow: writes V[First..Last] into A from cell (Col, Row) along
/// the row; the rules and codes of CopyToArrayColumn.
std::int32_t CopyToArrayRow(const TDoubleArray& V, std::int32_t First, std::int32_t Last, std::int32_t Col,
                            std::int32_t Row, TDouble2DArray& A);
std::int32_t CopyToArrayRow(const TIntArray& V, std::int32_t First, std::int32_t Last, std::int32_t Col,
                            std::int32_t Row, TInt2DArray& A);
std::int32_t CopyToArrayRow(const TBoolArray& V, std::int32_t First, std::int32_t Last, std::int32_t Col,
                            std::int32_t Row, TBool2DArray& A);

/// CopyVectorToArrayColumn: retired (use CopyToArrayColumn); raises
/// EKVLError "deprecated function, see help for details", touching nothing.
[[noreturn]] void CopyVectorToArrayColumn(const TDoubleArray& V, TDouble2DArray& A, std::int32_t Col);
[[noreturn]] void CopyVectorToArrayColumn(const TIntArray& V, TInt2DArray& A, std::int32_t Col);
[[noreturn]] void CopyVectorToArrayColumn(const TBoolArray& V, TBool2DArray& A, std::int32_t Col);

/// CopyVectorToArrayRow: retired (use CopyToArrayRow); raises EKVLError
/// "deprecated function, see help for details", touching nothing.
[[noreturn]] void CopyVectorToArrayRow(const TDoubleArray& V, TDouble2DArray& A, std::int32_t Row);
[[noreturn]] void CopyVectorToArrayRow(const TIntArray& V, TInt2DArray& A, std::int32_t Row);
[[noreturn]] void CopyVectorToArrayRow(const TBoolArray& V, TBool2DArray& A, std::int32_t Row);

/// BoolToNumArray: N[i] := TrueValue where B[i] is true, else FalseValue (N
/// is sized like B). Returns -1 when B is empty (N untouched), otherwise 0.
std::int32_t BoolToNumArray(const TBoolArray& B, double FalseValue, double TrueValue, TDoubleArray& N);
std::int32_t BoolToNumArray(const TBool2DArray& B, double FalseValue, double TrueValue, TDouble2DArray& N);
std::int32_t BoolToNumArray(const TBoolArray& B, std::int32_t FalseValue, std::int32_t TrueValue, TIntArray& N);
std::int32_t BoolToNumArray(const TBool2DArray& B, std::int32_t FalseValue, std::int32_t TrueValue,
                            TInt2DArray& N);

/// EqualArrays: true when A and B have the same extents and equal elements
/// (two empty arrays of one shape are equal).
bool EqualArrays(const TIntArray& A, const TIntArray& B);
bool EqualArrays(const TInt2DArray& A, const TInt2DArray& B);
bool EqualArrays(const TInt3DArray& A, const TInt3DArray& B);
bool EqualArrays(const TInt4DArray& A, const TInt4DArray& B);

}  // namespace kvl

KVL_API_END
