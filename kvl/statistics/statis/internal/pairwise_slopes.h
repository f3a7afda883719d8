#pragma once
// Order statistics of the pairwise slopes (Y[j] - Y[i]) / (X[j] - X[i]),
// i < j, of a point set, without holding all n(n-1)/2 of them: the Theil-Sen
// line needs only three or four ranks of them.
// Not part of the public interface (namespace kvl::statis_internal).

#include <cstddef>
#include <cstdint>
#include <span>

namespace kvl::statis_internal {

/// VerticalSlope: the slope given to a pair of points with equal X.
inline constexpr double VerticalSlope = 1e99;

/// PairSlope: the slope of the pair (i, j), i < j, exactly as every path
/// below computes it.
inline double PairSlope(double Xi, double Yi, double Xj, double Yj) {
  const double dx = Xj - Xi;
  return dx == 0.0 ? VerticalSlope : (Yj - Yi) / dx;
}

/// DefaultStoreAllLimit: up to this many slopes they are simply stored and
/// selected (32 MB); above it they are bracketed from a sample.
inline constexpr std::size_t DefaultStoreAllLimit = std::size_t{1} << 22;

/// PairSlopeRanks: Values[k] = the slope of 0-based rank Ranks[k] among all
/// pairwise slopes sorted ascending (Ranks ascending, each below
/// n(n-1)/2; X and Y of equal length n >= 2). Returns false, Values
/// untouched, when a slope is NaN. Up to StoreAllLimit slopes are stored
/// and the ranks selected. Beyond it a fixed-seed sample of slopes gives a
/// bracket of values around each rank; one pass over all pairs counts the
/// slopes below and at the ends of each bracket and keeps only those inside,
/// from which the rank is selected. The result equals that of a full sort;
/// should a bracket miss its rank (a sample far off, improbable), the
/// slopes are stored after all. Memory: about 6 M / sqrt(sample size)
/// slopes per bracket (about 25 MB for 2 * 10^8 slopes) instead of M,
/// and never more than M.
bool PairSlopeRanks(std::span<const double> X, std::span<const double> Y, std::span<const std::size_t> Ranks,
                    std::span<double> Values, std::size_t StoreAllLimit = DefaultStoreAllLimit);

}  // namespace kvl::statis_internal
