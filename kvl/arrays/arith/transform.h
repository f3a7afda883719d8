#pragma once
// Statistics-flavoured transforms: normalising and centring columns and
// rows, thresholds, discretising, linearity breaks and rescaling.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// NormalizeColumns: divides each column (outer index) by its Euclidean norm
/// sqrt(sum A[c][r]^2) (summed in extended precision). A column of norm 0 is
/// left as it is and makes the result -1; the other columns are still
/// normalised. An empty array gives 0.
std::int32_t NormalizeColumns(TDouble2DArray& A);

/// NormalizeRows: as NormalizeColumns, per row (inner index).
std::int32_t NormalizeRows(TDouble2DArray& A);

/// MeanCenterColumnsOfArray: subtracts from each column the mean of its
/// rows. Means receives the column means only when the caller passes an
/// allocated (non-empty) array, which is then resized to the number of
/// columns; an empty Means is a null array and stays empty. Returns -1 when
/// A is empty (nothing changed), otherwise 0.
std::int32_t MeanCenterColumnsOfArray(TDouble2DArray& A, TDoubleArray& Means);
/// MeanCenterColumnsOfArray: the same without the means.
std::int32_t MeanCenterColumnsOfArray(TDouble2DArray& A);

/// MeanCenterRowsOfArray: as MeanCenterColumnsOfArray, per row; Means gets
/// one mean per row.
std::int32_t MeanCenterRowsOfArray(TDouble2DArray& A, TDoubleArray& Means);
/// MeanCenterRowsOfArray: the same without the means.
std::int32_t MeanCenterRowsOfArray(TDouble2DArray& A);

/// DichotomizeArray (two thresholds): M (sized like A) := true where T1 <= A
/// <= T2, the thresholds being put in ascending order first. Returns -1 when
/// A is empty (M untouched), otherwise 0.
std::int32_t DichotomizeArray(const TDouble2DArray& A, double T1, double T2, TBool2DArray& M);
std::int32_t DichotomizeArray(const TDoubleArray& A, double T1, double T2, TBoolArray& M);
std::int32_t DichotomizeArray(const TInt2DArray& A, std::int32_t T1, std::int32_t T2, TBool2DArray& M);
std::int32_t DichotomizeArray(const TIntArray& A, std::int32_t T1, std::int32_t T2, TBoolArray& M);

/// DichotomizeArray (one threshold): M (sized like A) := true where A >= T.
/// Returns -1 when A is empty (M untouched), otherwise 0.
std::int32_t DichotomizeArray(const TDouble2DArray& A, double T, TBool2DArray& M);
std::int32_t DichotomizeArray(const TDoubleArray& A, double T, TBoolArray& M);
std::int32_t DichotomizeArray(const TInt2DArray& A, std::int32_t T, TBool2DArray& M);
std::int32_t DichotomizeArray(const TIntArray& A, std::int32_t T, TBoolArray& M);

/// DiscretizeArray: maps every value onto NLevels output levels: OutLow for
/// x <= InLow, OutHigh for x >= InHigh, and between them OutLow +
/// (floor((x - InLow) / d_in) + 1) x d_out with d_in = (InHigh - InLow) /
/// (NLevels - 2), d_out = (OutHigh - OutLow) / (NLevels - 1). Returns -2 when
/// InLow >= InHigh, then -1 when NLevels < 3; 0 otherwise (an empty array
/// has nothing to map).
std::int32_t DiscretizeArray(TDouble2DArray& A, std::int32_t NLevels, double InLow, double InHigh, double OutLow,
                             double OutHigh);

/// CheckLinearity: finds the places where the step between neighbours
/// changes: with d = A[1] - A[0], for i = 2..n-1 a step A[i] - A[i-1] that
/// differs from d by more than Tol appends i - 1 to Breaks and becomes the
/// new d. Returns the number of breaks (Breaks is sized to it); fewer than 3
/// elements give 0.
std::int32_t CheckLinearity(const TDoubleArray& A, double Tol, TIntArray& Breaks);

/// CheckLinearity (Integer): as above, every change of the step is a break.
std::int32_t CheckLinearity(const TIntArray& A, TIntArray& Breaks);

/// TRescaleMode: how RescaleArray maps the values.
enum class TRescaleMode {
  rsmMinMax,  ///< linear map of [min, max] onto [Low, High] (Low > High reverses)
  rsmZScore,  ///< (x - mean) / s, s the sample standard deviation (divisor n - 1)
  rsmMaxAbs   ///< x / max|x|, so the values lie in [-1, 1]
};

/// RescaleArray: rescales all values of A (all cells of a 2-D array
/// together) by Mode; Low and High are used by rsmMinMax only. Sums are
/// carried in extended precision. Returns -1 when A is empty, -2 when A has
/// no spread to rescale by (max = min; fewer than 2 values or s = 0; all
/// values 0), A then unchanged; 0 otherwise.
std::int32_t RescaleArray(TDoubleArray& A, TRescaleMode Mode, double Low = 0.0, double High = 1.0);
std::int32_t RescaleArray(TDouble2DArray& A, TRescaleMode Mode, double Low = 0.0, double High = 1.0);

}  // namespace kvl

KVL_API_END
