#pragma once
// Random fills, the cyclic shuffle and random resampling of 2-D arrays.
//
// Every random fill (FillRandomNormal, FillRandomUniform) first reseeds the
// runtime's generator from the clock (Randomize), so two calls in a row do
// not repeat, and then draws r uniformly in [0, 1). ShuffleArray does not
// reseed: it continues the runtime's sequence, so a caller that sets RandSeed
// gets a repeatable shuffle.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// FillRandomNormal: every element := a normal deviate of the given mean and
/// standard deviation (the runtime's Gaussian generator RandG). Returns -1
/// when A is empty, -2 when StdDev < 0 (or NaN); A is then untouched.
std::int32_t FillRandomNormal(TDoubleArray& A, double Mean, double StdDev);
std::int32_t FillRandomNormal(TDouble2DArray& A, double Mean, double StdDev);
std::int32_t FillRandomNormal(TDouble3DArray& A, double Mean, double StdDev);
std::int32_t FillRandomNormal(TDouble4DArray& A, double Mean, double StdDev);

/// FillRandomUniform (Double): every element := Low + (High - Low) x r, a
/// value in [Low, High). Returns -1 when A is empty, -2 when Low > High.
std::int32_t FillRandomUniform(TDoubleArray& A, double Low, double High);
std::int32_t FillRandomUniform(TDouble2DArray& A, double Low, double High);
std::int32_t FillRandomUniform(TDouble3DArray& A, double Low, double High);
std::int32_t FillRandomUniform(TDouble4DArray& A, double Low, double High);

/// FillRandomUniform (Integer): every element := floor(Low + (High - Low) x
/// r), so the values are Low..High-1 (High itself only when Low = High).
/// Returns -1 when A is empty, -2 when Low > High.
std::int32_t FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High);
std::int32_t FillRandomUniform(TInt2DArray& A, std::int32_t Low, std::int32_t High);
std::int32_t FillRandomUniform(TInt3DArray& A, std::int32_t Low, std::int32_t High);
std::int32_t FillRandomUniform(TInt4DArray& A, std::int32_t Low, std::int32_t High);

/// FillRandomUniform (Integer, both ends included): with Duplicates each A[i]
/// := Low + a uniform integer of 0..High-Low; without, A receives n distinct
/// values of Low..High, every n-subset in every order equally likely.
/// Returns -1 when A is empty, -2 when High < Low, and without Duplicates -3
/// when Low..High holds fewer values than A has elements, -4 when it holds
/// more than 1000000 values.
std::int32_t FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High, bool Duplicates);

/// ShuffleArray: a cyclic random permutation (Sattolo): for i = n-1 down to
/// 1, A[i] is swapped with A[j], j drawn by Random(i) from 0..i-1, so every
/// element leaves its place. Returns -1 for fewer than 2 elements.
std::int32_t ShuffleArray(TDoubleArray& A);
std::int32_t ShuffleArray(TIntArray& A);

/// Resample2DArray: Dest := a random nc x nr selection of Src's cells, with
/// nc = round(columns x ColPercent / 100) and nr = round(rows x RowPercent /
/// 100). ColIx receives the nc chosen column numbers (1-based; 1..nc when
/// all columns are kept, otherwise distinct random ones), RowIx the nr row
/// numbers (random, repeated only when RowDuplicates); Dest[i][j] :=
/// Src[ColIx[i] - 1][RowIx[j] - 1]. The caller passes allocated output
/// arrays, whose contents are replaced; an empty one is a null array.
/// Returns -3 when Src is empty, -4 when Dest is empty, -5 when ColIx or
/// RowIx is empty, -1 when nc <= 0 or ColPercent > 100, -2 when nr <= 0 or
/// RowPercent > 100; 0 on success.
std::int32_t Resample2DArray(const TDouble2DArray& Src, TDouble2DArray& Dest, double ColPercent,
                             double RowPercent, bool RowDuplicates, TIntArray& ColIx, TIntArray& RowIx);

}  // namespace kvl

KVL_API_END
