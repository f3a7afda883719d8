#pragma once
// Element-wise arithmetic on Double and Integer arrays of one to four
// dimensions, the trace of a square 2-D array and running sums.
//
// Integer elements follow the 32-bit word: sums, differences and products
// wrap around (as the processor's word does), they never overflow into
// undefined behaviour. Status results: 0 success, -1 an operand is empty,
// -2 the extents of two operands differ or a 2-D array is not square.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// AddArrays: C := A + B element by element; C is sized like A. Returns -1
/// when A or B is empty, -2 when their extents differ (C is then untouched).
std::int32_t AddArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t AddArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t AddArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C);
std::int32_t AddArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C);
std::int32_t AddArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
std::int32_t AddArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
std::int32_t AddArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C);
std::int32_t AddArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C);

/// SubtractArrays: C := A - B element by element; codes as AddArrays.
std::int32_t SubtractArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t SubtractArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t SubtractArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C);
std::int32_t SubtractArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C);
std::int32_t SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
std::int32_t SubtractArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
std::int32_t SubtractArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C);
std::int32_t SubtractArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C);

/// MultiplyArraysElemw: C := A x B element by element (not the matrix
/// product); codes as AddArrays.
std::int32_t MultiplyArraysElemw(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t MultiplyArraysElemw(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t MultiplyArraysElemw(const TIntArray& A, const TIntArray& B, TIntArray& C);
std::int32_t MultiplyArraysElemw(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);

/// AddScalarToArray: C := A + s for every element; -1 when A is empty.
std::int32_t AddScalarToArray(const TDoubleArray& A, double s, TDoubleArray& C);
std::int32_t AddScalarToArray(const TDouble2DArray& A, double s, TDouble2DArray& C);
std::int32_t AddScalarToArray(const TDouble3DArray& A, double s, TDouble3DArray& C);
std::int32_t AddScalarToArray(const TDouble4DArray& A, double s, TDouble4DArray& C);
std::int32_t AddScalarToArray(const TIntArray& A, std::int32_t s, TIntArray& C);
std::int32_t AddScalarToArray(const TInt2DArray& A, std::int32_t s, TInt2DArray& C);
std::int32_t AddScalarToArray(const TInt3DArray& A, std::int32_t s, TInt3DArray& C);
std::int32_t AddScalarToArray(const TInt4DArray& A, std::int32_t s, TInt4DArray& C);

/// MultiplyArrayByScalar: C := A x s for every element; -1 when A is empty.
std::int32_t MultiplyArrayByScalar(const TDoubleArray& A, double s, TDoubleArray& C);
std::int32_t MultiplyArrayByScalar(const TDouble2DArray& A, double s, TDouble2DArray& C);
std::int32_t MultiplyArrayByScalar(const TDouble3DArray& A, double s, TDouble3DArray& C);
std::int32_t MultiplyArrayByScalar(const TDouble4DArray& A, double s, TDouble4DArray& C);
std::int32_t MultiplyArrayByScalar(const TIntArray& A, std::int32_t s, TIntArray& C);
std::int32_t MultiplyArrayByScalar(const TInt2DArray& A, std::int32_t s, TInt2DArray& C);
std::int32_t MultiplyArrayByScalar(const TInt3DArray& A, std::int32_t s, TInt3DArray& C);
std::int32_t MultiplyArrayByScalar(const TInt4DArray& A, std::int32_t s, TInt4DArray& C);

/// MultiplyArrayByScalar (in place): A := A x s; -1 when A is empty.
std::int32_t MultiplyArrayByScalar(TDoubleArray& A, double s);
std::int32_t MultiplyArrayByScalar(TDouble2DArray& A, double s);
std::int32_t MultiplyArrayByScalar(TDouble3DArray& A, double s);
std::int32_t MultiplyArrayByScalar(TDouble4DArray& A, double s);
std::int32_t MultiplyArrayByScalar(TIntArray& A, std::int32_t s);
std::int32_t MultiplyArrayByScalar(TInt2DArray& A, std::int32_t s);
std::int32_t MultiplyArrayByScalar(TInt3DArray& A, std::int32_t s);
std::int32_t MultiplyArrayByScalar(TInt4DArray& A, std::int32_t s);

/// IncArray: A := A + s in place; -1 when A is empty.
std::int32_t IncArray(TDoubleArray& A, double s);
std::int32_t IncArray(TDouble2DArray& A, double s);
std::int32_t IncArray(TDouble3DArray& A, double s);
std::int32_t IncArray(TDouble4DArray& A, double s);
std::int32_t IncArray(TIntArray& A, std::int32_t s);
std::int32_t IncArray(TInt2DArray& A, std::int32_t s);
std::int32_t IncArray(TInt3DArray& A, std::int32_t s);
std::int32_t IncArray(TInt4DArray& A, std::int32_t s);

/// ReciprocalArray: A[i] := 1 / A[i] in place; elements equal to 0 become
/// ZeroValue. Returns -1 when A is empty.
std::int32_t ReciprocalArray(TDoubleArray& A, double ZeroValue);
std::int32_t ReciprocalArray(TDouble2DArray& A, double ZeroValue);
std::int32_t ReciprocalArray(TDouble3DArray& A, double ZeroValue);
std::int32_t ReciprocalArray(TDouble4DArray& A, double ZeroValue);

/// AbsValArray: A[i] := |A[i]| in place; -1 when A is empty. The Integer
/// -2147483648 has no positive twin in 32 bits and stays as it is.
std::int32_t AbsValArray(TDoubleArray& A);
std::int32_t AbsValArray(TDouble2DArray& A);
std::int32_t AbsValArray(TDouble3DArray& A);
std::int32_t AbsValArray(TDouble4DArray& A);
std::int32_t AbsValArray(TIntArray& A);
std::int32_t AbsValArray(TInt2DArray& A);
std::int32_t AbsValArray(TInt3DArray& A);
std::int32_t AbsValArray(TInt4DArray& A);

/// TraceOfArray: T := sum of the diagonal A[i][i] (T := 0 first; Double
/// summed in extended precision, Integer in 64 bits so it cannot overflow).
/// Returns -1 when A is empty, -2 when it is not square.
std::int32_t TraceOfArray(const TDouble2DArray& A, double& T);
std::int32_t TraceOfArray(const TInt2DArray& A, std::int64_t& T);

/// AccumulateArray: running sums in place, A[i] := A[0] + ... + A[i] (Double
/// carried in extended precision, Integer wrapping as the 32-bit word).
/// Returns -1 when A is empty, otherwise 0.
std::int32_t AccumulateArray(TDoubleArray& A);
std::int32_t AccumulateArray(TIntArray& A);

}  // namespace kvl

KVL_API_END
