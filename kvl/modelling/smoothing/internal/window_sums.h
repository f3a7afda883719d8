#pragma once
// Sums over a sliding window in O(n) that keep the precision of a direct
// sum per window.

#include <cstddef>
#include <span>

namespace kvl::smoothing_internal {

/// WindowSums: Out[j] = x[j] + x[j + 1] + ... + x[j + Len - 1] for
/// j = 0..x.size() - Len (Out holds that many). The running sum carries the
/// rounding error of every step in a second term (Knuth's two-sum), so the
/// result equals the exact window sum to about one rounding however long x
/// is. A window holding an infinity or a NaN, and one whose running sum
/// overflows, is summed directly, so such values leave no trace behind them.
void WindowSums(std::span<const double> x, std::size_t Len, std::span<double> Out);

}  // namespace kvl::smoothing_internal
