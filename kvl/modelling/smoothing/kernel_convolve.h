#pragma once
// Two-dimensional convolution with a square kernel, and the eight compass
// and Kirsch edge kernels.
//
//   TDouble2DArray img = ..., edges;            // [outer][inner], rectangular
//   TDouble2DArray blur(5, std::vector<double>(5, 1.0 / 25));
//   if (KernelConvolve(blur, img, edges, nullptr) != 0) ...;
//   ApplyKirschKernel(2, img, edges, nullptr);
//
// Cell [i][j] of the result is the sum of Data[i + r - h][j + c - h] *
// Kernel[r][c] over the kernel (no flip; h = size div 2); near the border
// the indices are clamped into the array. The inner index runs along the
// contiguous inner arrays, which is the direction the work is vectorised in.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// KernelConvolve: sets Result to Data's shape and fills it with the
/// convolution of Data by Kernel. Returns 0, or (later checks override
/// earlier ones, Result untouched) -1 when Kernel is not square (a row
/// whose length differs from the number of rows), -2 when its size is
/// even, -3 when it is below 3; -4 when Data is not rectangular. While the
/// interior is processed, FeedBack (when assigned) is called with the
/// count k = 1, 2, ... each time another floor((rows - s)(cols - s)/100)
/// cells (at least 1) are done. Result may be Data itself.
std::int32_t KernelConvolve(const TDouble2DArray& Kernel, const TDouble2DArray& Data, TDouble2DArray& Result,
                            const TOnPercentDoneEvent& FeedBack);

/// ApplyCompassKernel: KernelConvolve with the 3 x 3 compass kernel of
/// Direction 0..7 (-1 for another direction).
std::int32_t ApplyCompassKernel(std::int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                                const TOnPercentDoneEvent& FeedBack);

/// ApplyKirschKernel: KernelConvolve with the 3 x 3 Kirsch kernel of
/// Direction 0..7 (-1 for another direction).
std::int32_t ApplyKirschKernel(std::int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                               const TOnPercentDoneEvent& FeedBack);

}  // namespace kvl

KVL_API_END
