#pragma once
// The kernels of TKohonen: the step schedule, the winner search over the
// contiguous weight block and the update of one object's neighbourhood.
//
// The weight block holds node (x, y) of an X x Y map (1-based) at node index
// (x - 1) * Y + (y - 1), its K weights at node index * K, so a winner search
// walks the block once from start to end in x-then-y order.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace kvl::kohonen_internal {

/// TStep: radius and learning rate of one training step.
struct TStep {
  std::int32_t Neighb = 0;
  double Alpha = 0.0;
};

/// StepSchedule: r = (MaxSteps - Step) / MaxSteps; radius round(r^2
/// (MaxNeighb - 1) + 1), halves to even; rate r^2 MaxAlpha. MaxSteps >= 1.
TStep StepSchedule(std::int32_t Step, std::int32_t MaxSteps, std::int32_t MaxNeighb, double MaxAlpha);

/// SquaredDistance: sum over k of (W[k] - X[k])^2, each difference and the
/// sum in extended precision.
template <class T>
inline long double SquaredDistance(const double* W, const T* X, std::size_t K) noexcept {
  long double s = 0.0L;
  for (std::size_t k = 0; k < K; ++k) {
    const long double t = static_cast<long double>(W[k]) - static_cast<long double>(X[k]);
    s += t * t;
  }
  return s;
}

/// kNoNode: FindWinner's answer when no node lies below the largest Double.
inline constexpr std::size_t kNoNode = std::numeric_limits<std::size_t>::max();

/// FindWinner: the first node whose distance to X is strictly below every
/// earlier one and below the largest finite Double, or kNoNode; Best gets
/// its distance (the largest finite Double when there is none). When Dist
/// is not empty it receives every node's distance.
template <class T>
std::size_t FindWinner(std::span<const double> Weights, std::size_t K, const T* X, long double& Best,
                       std::span<long double> Dist = {}) noexcept {
  const std::size_t nodes = K == 0 ? 0 : Weights.size() / K;
  const double* w = Weights.data();
  long double best = std::numeric_limits<double>::max();
  std::size_t win = kNoNode;
  for (std::size_t n = 0; n < nodes; ++n, w += K) {
    const long double d = SquaredDistance(w, X, K);
    if (!Dist.empty()) Dist[n] = d;
    if (d < best) {
      best = d;
      win = n;
    }
  }
  Best = best;
  return win;
}

/// TrainingWinner: FindWinner's answer for a Double object, found faster: a
/// first pass sums every node's distance in Double (any order, vectorised),
/// and only the nodes whose Double distance lies within the proven rounding
/// margin of the smallest one are summed again in extended precision. The
/// winner and Best are the extended-precision ones, bit for bit. DoubleDist
/// is scratch of one Double per node.
std::size_t TrainingWinner(std::span<const double> Weights, std::size_t K, const double* X, long double& Best,
                           std::span<double> DoubleDist) noexcept;

/// TMapShape: extents of the map and whether it wraps around.
struct TMapShape {
  std::int32_t SizeX = 1;
  std::int32_t SizeY = 1;
  std::size_t K = 1;
  bool Cyclic = false;
};

/// AxisSpan: the 0-based indices along one axis of extent Size within
/// Radius of the 0-based Centre, in ascending order of the offset: clipped
/// to the axis, or, when Cyclic, with the radius limited to Size div 2 - 1
/// (never below 0) and the indices wrapped around.
void AxisSpan(std::int32_t Centre, std::int32_t Radius, std::int32_t Size, bool Cyclic,
              std::vector<std::int32_t>& Out);

/// TTrainScratch: the buffers of one training run, reused by every object.
struct TTrainScratch {
  std::vector<double> Dist;
  std::vector<std::int32_t> SpanX, SpanY;
};

/// TrainObject: one object X of one step: the winner search, then every node
/// of the winner's neighbourhood (x outer, y inner) moves towards X by
/// w = Alpha / (sqrt(d - dmin) + 1) (taken as a Double). An object without
/// a winner (no finite distance) changes nothing.
void TrainObject(std::span<double> Weights, const TMapShape& Shape, const double* X, const TStep& Step,
                 TTrainScratch& Scratch);

}  // namespace kvl::kohonen_internal
