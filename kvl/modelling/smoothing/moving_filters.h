#pragma once
// Moving-window smoothers of a vector stretch: mean, median and
// triangular-weighted mean, and the moving filter with a caller's kernel.
//
//   TVector noisy, smooth;
//   ...                                          // fill noisy
//   smooth.Resize(noisy.NrOfElem());
//   MovingMedianSmooth(&noisy, 1, noisy.NrOfElem(), &smooth, 7);
//
// The smoothers write element i - first + 1 of DestVec for the source
// element i; DestVec is not resized (elements past its end are dropped) and
// may be SourceVec itself. The first and last h = L div 2 results repeat
// their nearest computed neighbour. DestVec fires OnChange once. Bad
// arguments raise EKVLMath2Error before anything is written.

#include <cstdint>

#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// MovingAverageSmooth: the mean of the L values centred on each element of
/// SourceVec[first..last] (bounds clamped into the vector and ordered), L
/// odd and at least 3, at most last - first. O(n) by a compensated running
/// sum: every mean is that of the exact window sum.
void MovingAverageSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                         std::int32_t length);

/// MovingMedianSmooth: the median of the L values centred on each element
/// (L as for MovingAverageSmooth), in O(n log L) by two heaps. A window
/// holding a NaN gives NaN.
void MovingMedianSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                        std::int32_t length);

/// WeightedAverageSmooth: the mean with triangular weights h + 1 - |k| at
/// offset k (h = L div 2), that is ((h + 1) x[i] + sum (h + 1 - k)(x[i + k]
/// + x[i - k])) * 4 / (L + 1)^2; L as for MovingAverageSmooth; O(n).
void WeightedAverageSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                           std::int32_t length);

/// MovingKernelFilter: DestVec (resized to SourceVec's length) element
/// i - first + 1 := sum over k = 1..K of FilterKernel[k] * x[i - K div 2 + k - 1],
/// the index clamped into first..last, for i = first..last. Raises
/// EKVLMath2Error when a vector is missing or last - first < K.
void MovingKernelFilter(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                        const TVector* FilterKernel);

}  // namespace kvl

KVL_API_END
