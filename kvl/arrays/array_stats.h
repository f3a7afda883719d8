#pragma once
// Summaries of arrays: means, deviations, extremes, percentiles, frequency
// distributions, counts, local means and medians, correlation, distances, searches.
//
// Index ranges are given as all low bounds, outermost first, then all high
// bounds: a 2-D range is (Lo1 = low column, Lo2 = low row, Hi1, Hi2). Sums are
// formed in long double and returned as double; Integer elements are
// converted to floating point before they are added. Nothing here raises:
// every failure is a status code, a sentinel or a negative result, and var
// results hold their initial values before any check.
//
//   double m;
//   if (MeanArray(data, 0, int32_t(data.size()) - 1, m) == 0) ...
//   double median = PercentileArray(50, data);    // an element of data

#include <cstdint>
#include <span>
#include <string>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- mean, standard deviation, variance, mean absolute deviation --------------
// Status: 0 success, -1 an empty dimension, -2 a bound outside its extent or a
// high bound below its low bound; the outputs are 0 on failure.

/// MeanArray: the mean of Data[First..Last]; returns the status.
std::int32_t MeanArray(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double& Mean);
/// MeanArray: the mean of a 2-D range; returns the status.
std::int32_t MeanArray(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2, double& Mean);
/// MeanArray: the mean of a 3-D range; returns the status.
std::int32_t MeanArray(const TDouble3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& Mean);
/// MeanArray: the mean of a 4-D range; returns the status.
std::int32_t MeanArray(const TDouble4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                       std::int32_t Hi4, double& Mean);
/// MeanArray: the mean of Data[First..Last] of integers; returns the status.
std::int32_t MeanArray(const TIntArray& Data, std::int32_t First, std::int32_t Last, double& Mean);
/// MeanArray: the mean of a 2-D range of integers; returns the status.
std::int32_t MeanArray(const TInt2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2, double& Mean);
/// MeanArray: the mean of a 3-D range of integers; returns the status.
std::int32_t MeanArray(const TInt3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& Mean);
/// MeanArray: the mean of a 4-D range of integers; returns the status.
std::int32_t MeanArray(const TInt4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                       std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                       std::int32_t Hi4, double& Mean);

/// StdDevArray: the sample standard deviation (divisor n - 1; 0 for one
/// element) of Data[First..Last]; returns the status.
std::int32_t StdDevArray(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double& StdDev);
/// StdDevArray: the sample standard deviation of a 2-D range; returns the status.
std::int32_t StdDevArray(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, double& StdDev);
/// StdDevArray: the sample standard deviation of a 3-D range; returns the status.
std::int32_t StdDevArray(const TDouble3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& StdDev);
/// StdDevArray: the sample standard deviation of a 4-D range; returns the status.
std::int32_t StdDevArray(const TDouble4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                         std::int32_t Hi4, double& StdDev);
/// StdDevArray: the sample standard deviation of Data[First..Last] of integers.
std::int32_t StdDevArray(const TIntArray& Data, std::int32_t First, std::int32_t Last, double& StdDev);
/// StdDevArray: the sample standard deviation of a 2-D range of integers.
std::int32_t StdDevArray(const TInt2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, double& StdDev);
/// StdDevArray: the sample standard deviation of a 3-D range of integers.
std::int32_t StdDevArray(const TInt3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& StdDev);
/// StdDevArray: the sample standard deviation of a 4-D range of integers.
std::int32_t StdDevArray(const TInt4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                         std::int32_t Hi4, double& StdDev);

/// MeanVarArray: mean and sample variance (divisor n - 1; 0 for one element)
/// of Data[First..Last]; returns the status.
std::int32_t MeanVarArray(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double& Mean,
                          double& Variance);
/// MeanVarArray: mean and sample variance of a 2-D range; returns the status.
std::int32_t MeanVarArray(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                          std::int32_t Hi2, double& Mean, double& Variance);
/// MeanVarArray: mean and sample variance of a 3-D range; returns the status.
std::int32_t MeanVarArray(const TDouble3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                          std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& Mean,
                          double& Variance);
/// MeanVarArray: mean and sample variance of a 4-D range; returns the status.
std::int32_t MeanVarArray(const TDouble4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                          std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                          std::int32_t Hi4, double& Mean, double& Variance);
/// MeanVarArray: mean and sample variance of Data[First..Last] of integers.
std::int32_t MeanVarArray(const TIntArray& Data, std::int32_t First, std::int32_t Last, double& Mean,
                          double& Variance);
/// MeanVarArray: mean and sample variance of a 2-D range of integers.
std::int32_t MeanVarArray(const TInt2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                          std::int32_t Hi2, double& Mean, double& Variance);
/// MeanVarArray: mean and sample variance of a 3-D range of integers.
std::int32_t MeanVarArray(const TInt3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                          std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& Mean,
                          double& Variance);
/// MeanVarArray: mean and sample variance of a 4-D range of integers.
std::int32_t MeanVarArray(const TInt4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                          std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                          std::int32_t Hi4, double& Mean, double& Variance);

/// MeanAbsDev: the mean absolute deviation from the mean, sum |x - mean| / n,
/// of Data[First..Last]; returns the status.
std::int32_t MeanAbsDev(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of a 2-D range; returns the status.
std::int32_t MeanAbsDev(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                        std::int32_t Hi2, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of a 3-D range; returns the status.
std::int32_t MeanAbsDev(const TDouble3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                        std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of a 4-D range; returns the status.
std::int32_t MeanAbsDev(const TDouble4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                        std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                        std::int32_t Hi4, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of Data[First..Last] of integers.
std::int32_t MeanAbsDev(const TIntArray& Data, std::int32_t First, std::int32_t Last, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of a 2-D range of integers.
std::int32_t MeanAbsDev(const TInt2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                        std::int32_t Hi2, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of a 3-D range of integers.
std::int32_t MeanAbsDev(const TInt3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                        std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& MeanDev);
/// MeanAbsDev: the mean absolute deviation of a 4-D range of integers.
std::int32_t MeanAbsDev(const TInt4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                        std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                        std::int32_t Hi4, double& MeanDev);

// --- extremes -----------------------------------------------------------------
// An empty array (any empty level) gives the sentinel -2147483648 for MaxArray
// and 2147483647 for MinArray and leaves the indices unchanged; otherwise the
// first occurrence wins, the outer index varying slowest.

/// MaxArray: the largest element; Index receives its position.
double MaxArray(const TDoubleArray& Data, std::int32_t& Index);
/// MaxArray: the largest element.
double MaxArray(const TDoubleArray& Data);
/// MaxArray: the largest element; Index1 (outer) and Index2 (inner) receive its position.
double MaxArray(const TDouble2DArray& Data, std::int32_t& Index1, std::int32_t& Index2);
/// MaxArray: the largest element of a 2-D array.
double MaxArray(const TDouble2DArray& Data);
/// MaxArray: the largest element of a 3-D array.
double MaxArray(const TDouble3DArray& Data);
/// MaxArray: the largest element of a 4-D array.
double MaxArray(const TDouble4DArray& Data);
/// MaxArray: the largest integer; Index receives its position.
std::int32_t MaxArray(const TIntArray& Data, std::int32_t& Index);
/// MaxArray: the largest integer.
std::int32_t MaxArray(const TIntArray& Data);
/// MaxArray: the largest integer; Index1 (outer) and Index2 (inner) receive its position.
std::int32_t MaxArray(const TInt2DArray& Data, std::int32_t& Index1, std::int32_t& Index2);
/// MaxArray: the largest integer of a 2-D array.
std::int32_t MaxArray(const TInt2DArray& Data);
/// MaxArray: the largest integer of a 3-D array.
std::int32_t MaxArray(const TInt3DArray& Data);
/// MaxArray: the largest integer of a 4-D array.
std::int32_t MaxArray(const TInt4DArray& Data);

/// MinArray: the smallest element; Index receives its position.
double MinArray(const TDoubleArray& Data, std::int32_t& Index);
/// MinArray: the smallest element.
double MinArray(const TDoubleArray& Data);
/// MinArray: the smallest element; Index1 (outer) and Index2 (inner) receive its position.
double MinArray(const TDouble2DArray& Data, std::int32_t& Index1, std::int32_t& Index2);
/// MinArray: the smallest element of a 2-D array.
double MinArray(const TDouble2DArray& Data);
/// MinArray: the smallest element of a 3-D array.
double MinArray(const TDouble3DArray& Data);
/// MinArray: the smallest element of a 4-D array.
double MinArray(const TDouble4DArray& Data);
/// MinArray: the smallest integer; Index receives its position.
std::int32_t MinArray(const TIntArray& Data, std::int32_t& Index);
/// MinArray: the smallest integer.
std::int32_t MinArray(const TIntArray& Data);
/// MinArray: the smallest integer; Index1 (outer) and Index2 (inner) receive its position.
std::int32_t MinArray(const TInt2DArray& Data, std::int32_t& Index1, std::int32_t& Index2);
/// MinArray: the smallest integer of a 2-D array.
std::int32_t MinArray(const TInt2DArray& Data);
/// MinArray: the smallest integer of a 3-D array.
std::int32_t MinArray(const TInt3DArray& Data);
/// MinArray: the smallest integer of a 4-D array.
std::int32_t MinArray(const TInt4DArray& Data);

// MinMaxArray: Min starts at the largest value of the element type and Max at
// its negative (so they stay there for an empty array or an empty range);
// otherwise both start at the first element scanned and move on strictly
// smaller / greater elements. Status 0, or -1 for an empty array.

/// MinMaxArray: both extremes of a 1-D array; returns the status.
std::int32_t MinMaxArray(const TDoubleArray& Data, double& Min, double& Max);
/// MinMaxArray: both extremes of a 2-D array; returns the status.
std::int32_t MinMaxArray(const TDouble2DArray& Data, double& Min, double& Max);
/// MinMaxArray: both extremes of a 3-D array; returns the status.
std::int32_t MinMaxArray(const TDouble3DArray& Data, double& Min, double& Max);
/// MinMaxArray: both extremes of a 4-D array; returns the status.
std::int32_t MinMaxArray(const TDouble4DArray& Data, double& Min, double& Max);
/// MinMaxArray: both extremes of a Single array (starting at -+ the largest Single).
std::int32_t MinMaxArray(const TSingleArray& Data, float& Min, float& Max);
/// MinMaxArray: both extremes of an open array of doubles; returns the status.
std::int32_t MinMaxArray(std::span<const double> Data, double& Min, double& Max);
/// MinMaxArray: both extremes of an integer array; returns the status.
std::int32_t MinMaxArray(const TIntArray& Data, std::int32_t& Min, std::int32_t& Max);
/// MinMaxArray: both extremes of a 2-D integer array; returns the status.
std::int32_t MinMaxArray(const TInt2DArray& Data, std::int32_t& Min, std::int32_t& Max);
/// MinMaxArray: both extremes of a 3-D integer array; returns the status.
std::int32_t MinMaxArray(const TInt3DArray& Data, std::int32_t& Min, std::int32_t& Max);
/// MinMaxArray: both extremes of a 4-D integer array; returns the status.
std::int32_t MinMaxArray(const TInt4DArray& Data, std::int32_t& Min, std::int32_t& Max);
/// MinMaxArray: both extremes of an open array of integers; returns the status.
std::int32_t MinMaxArray(std::span<const std::int32_t> Data, std::int32_t& Min, std::int32_t& Max);

// The range members set the positions to 0 first; -2 when a bound is negative
// or beyond its last index; a high bound below its low bound scans nothing
// and returns 0 with the initial values.

/// MinMaxArray: extremes of Data[First..Last] and their positions; returns the status.
std::int32_t MinMaxArray(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double& Min,
                         double& Max, std::int32_t& MinIx, std::int32_t& MaxIx);
/// MinMaxArray: extremes of a 2-D range and their (outer, inner) positions.
std::int32_t MinMaxArray(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, double& Min, double& Max, std::int32_t& MinIx1,
                         std::int32_t& MinIx2, std::int32_t& MaxIx1, std::int32_t& MaxIx2);
/// MinMaxArray: extremes of integers Data[First..Last] and their positions.
std::int32_t MinMaxArray(const TIntArray& Data, std::int32_t First, std::int32_t Last, std::int32_t& Min,
                         std::int32_t& Max, std::int32_t& MinIx, std::int32_t& MaxIx);
/// MinMaxArray: extremes of a 2-D integer range and their (outer, inner) positions.
std::int32_t MinMaxArray(const TInt2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, std::int32_t& Min, std::int32_t& Max, std::int32_t& MinIx1,
                         std::int32_t& MinIx2, std::int32_t& MaxIx1, std::int32_t& MaxIx2);

// --- percentiles, local mean and median ------------------------------------------
// PercentileArray: Pct is clipped to [0, 100]; the result is the element at
// sorted position k = round(n * Pct / 100) (halves to even, at most n - 1),
// found by selection on a copy; 0 for an empty array, NaN for a NaN Pct.

/// PercentileArray: the Pct-th percentile of Data (an element of Data).
double PercentileArray(double Pct, const TDoubleArray& Data);
/// PercentileArray: the Pct-th percentile of Data[First..Last]; both bounds
/// are clipped to the array and put in order.
double PercentileArray(double Pct, const TDoubleArray& Data, std::int32_t First, std::int32_t Last);
/// PercentileArray: the Pct-th percentile of an integer array.
double PercentileArray(double Pct, const TIntArray& Data);
/// PercentileArray: the Pct-th percentile of a 2-D range; the bounds of each
/// dimension are clipped to the array and put in order.
double PercentileArray(double Pct, const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2,
                       std::int32_t Hi1, std::int32_t Hi2);

/// LocalMean: the mean of Data[Center] and of its neighbours up to HalfWidth
/// away that lie in LowLimit..HighLimit (all four clipped to the array); 0 if empty.
double LocalMean(const TDoubleArray& Data, std::int32_t Center, std::int32_t HalfWidth, std::int32_t LowLimit,
                 std::int32_t HighLimit);
/// LocalMean: as above for integers.
double LocalMean(const TIntArray& Data, std::int32_t Center, std::int32_t HalfWidth, std::int32_t LowLimit,
                 std::int32_t HighLimit);
/// LocalMedian: the median of the values LocalMean averages (the mean of the
/// two middle ones for an even count); 0 if empty.
double LocalMedian(const TDoubleArray& Data, std::int32_t Center, std::int32_t HalfWidth,
                   std::int32_t LowLimit, std::int32_t HighLimit);
/// LocalMedian: as above for integers.
double LocalMedian(const TIntArray& Data, std::int32_t Center, std::int32_t HalfWidth, std::int32_t LowLimit,
                   std::int32_t HighLimit);

// --- frequency distributions and counts ---------------------------------------------
// FrequDistOfArray: nb = round(|High - Low| / Width) + 1 bins of Width from
// Low; v < Low counts in Below, v >= High + Width in Above, and so does a value
// beyond the last bin's upper edge Low + nb * Width; NaN counts nowhere.
// Status: -1 a bound negative or beyond the array, -2 a high bound below its
// low bound, -3 Low >= High, -4 Width <= 0, -5 more than 1000 bins, -6 a mask
// of another shape. Freq is emptied and the counts zeroed first.

/// FrequDistOfArray: the frequency distribution of Data[First..Last] (First =
/// Last = 0: the whole array); returns the status.
std::int32_t FrequDistOfArray(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double Low,
                              double High, double Width, TIntArray& Freq, std::int32_t& Below,
                              std::int32_t& Above, std::int32_t& MaxCount);
/// FrequDistOfArray: the distribution of a 2-D range (all four bounds 0: the
/// whole array); returns the status.
std::int32_t FrequDistOfArray(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2,
                              std::int32_t Hi1, std::int32_t Hi2, double Low, double High, double Width,
                              TIntArray& Freq, std::int32_t& Below, std::int32_t& Above,
                              std::int32_t& MaxCount);
/// FrequDistOfArray: as the 2-D member, skipping the cells whose Mask entry
/// is true; returns the status.
std::int32_t FrequDistOfArray(const TDouble2DArray& Data, const TBool2DArray& Mask, std::int32_t Lo1,
                              std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2, double Low, double High,
                              double Width, TIntArray& Freq, std::int32_t& Below, std::int32_t& Above,
                              std::int32_t& MaxCount);

// CountValues: the number of elements of the range with Low <= v <= High;
// -1 for an empty array, -2 for a bad index range or Low > High.

/// CountValues: counts Data[First..Last] within [Low, High].
std::int32_t CountValues(const TDoubleArray& Data, std::int32_t First, std::int32_t Last, double Low,
                         double High);
/// CountValues: counts the cells of a 2-D range within [Low, High].
std::int32_t CountValues(const TDouble2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, double Low, double High);
/// CountValues: counts the cells of a 3-D range within [Low, High].
std::int32_t CountValues(const TDouble3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double Low, double High);
/// CountValues: counts the cells of a 4-D range within [Low, High].
std::int32_t CountValues(const TDouble4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                         std::int32_t Hi4, double Low, double High);
/// CountValues: counts integers Data[First..Last] within [Low, High].
std::int32_t CountValues(const TIntArray& Data, std::int32_t First, std::int32_t Last, std::int32_t Low,
                         std::int32_t High);
/// CountValues: counts the integers of a 2-D range within [Low, High].
std::int32_t CountValues(const TInt2DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, std::int32_t Low, std::int32_t High);
/// CountValues: counts the integers of a 3-D range within [Low, High].
std::int32_t CountValues(const TInt3DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Low,
                         std::int32_t High);
/// CountValues: counts the integers of a 4-D range within [Low, High].
std::int32_t CountValues(const TInt4DArray& Data, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3,
                         std::int32_t Hi4, std::int32_t Low, std::int32_t High);

// --- two columns, two objects ----------------------------------------------------------

/// PearsonCorrCoeffColsOfArray: the correlation of columns Col1 and Col2 over
/// the rows of column 0; 0 for fewer than 3 rows, a constant column or a
/// column index outside the array.
double PearsonCorrCoeffColsOfArray(const TDouble2DArray& Data, std::int32_t Col1, std::int32_t Col2);

/// SumOfSquaredDiffs: sum (A[i] - B[i])^2; -1 if either is empty, -2 if the
/// lengths differ.
double SumOfSquaredDiffs(const TDoubleArray& A, const TDoubleArray& B);
/// SumOfSquaredDiffs: sum (A[i] - M[Col][i])^2; -1 if A or M is empty, -2 if
/// A's length differs from the column length, -3 if Col is outside M.
double SumOfSquaredDiffs(const TDoubleArray& A, const TDouble2DArray& M, std::int32_t Col);

/// DistanceOfObjects: the distance or similarity (Mode) of rows Obj1 and Obj2
/// over columns FirstVar..LastVar. Status 0; -2 bad object, -3 bad variable,
/// -4 LastVar < FirstVar, -1 an unsupported mode (the last failing check wins).
std::int32_t DistanceOfObjects(const TDouble2DArray& Data, TDistMode Mode, std::int32_t Obj1,
                               std::int32_t Obj2, std::int32_t FirstVar, std::int32_t LastVar, double& Dist);

// --- order, two-valued arrays, searches -----------------------------------------------

/// IsMonotone: true when no two non-zero neighbour differences have opposite
/// signs (equal neighbours are ignored); true for at most two elements.
bool IsMonotone(const TDoubleArray& A);
/// IsMonotone: as above for integers.
bool IsMonotone(const TIntArray& A);
/// IsStrictlyMonotone: true when every neighbour difference is non-zero and
/// of one sign; true for at most two elements.
bool IsStrictlyMonotone(const TDoubleArray& A);
/// IsStrictlyMonotone: as above for integers.
bool IsStrictlyMonotone(const TIntArray& A);

/// IsDichotomous: true when A holds exactly two distinct values, returned in
/// ascending order in V1 and V2 (both 0 for fewer than 2 elements).
bool IsDichotomous(const TDoubleArray& A, double& V1, double& V2);
/// IsDichotomous: as above for integers.
bool IsDichotomous(const TIntArray& A, std::int32_t& V1, std::int32_t& V2);

/// FindInSortedArray: the index of X, or of the nearer neighbour (the upper on
/// a tie), in a sorted array; -1 if empty, -2 if X lies outside (or is NaN).
std::int32_t FindInSortedArray(double X, const TDoubleArray& A, bool Ascending);

/// FindInArray: the index of the first element equal to X; -1 if A is empty,
/// -2 if there is none.
std::int32_t FindInArray(std::int32_t X, const TIntArray& A);
/// FindInArray: the index of the first text equal to S (IgnoreCase: ASCII
/// letters compared in lower case; Partial: S occurring inside it); -1, -2 as above.
std::int32_t FindInArray(const std::string& S, const TStrArray& A, bool IgnoreCase, bool Partial);

}  // namespace kvl

KVL_API_END
