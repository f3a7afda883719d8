// TKohonen: training. One step is one pass over the training objects in
// order; each object moves its winner and the winner's neighbourhood on the
// map towards itself.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kvl/learning/KVL_kohonen.h"
#include "kvl/learning/kohonen/internal/kohonen_internal.h"
#include "kvl/runtime/cpu_clones.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace kohonen_internal {

TStep StepSchedule(std::int32_t Step, std::int32_t MaxSteps, std::int32_t MaxNeighb, double MaxAlpha) {
  const long double r =
      static_cast<long double>(std::int64_t{MaxSteps} - Step) / static_cast<long double>(MaxSteps);
  const long double r2 = r * r;
  TStep s;
  s.Neighb = static_cast<std::int32_t>(Round(r2 * (static_cast<long double>(MaxNeighb) - 1.0L) + 1.0L));
  s.Alpha = static_cast<double>(r2 * static_cast<long double>(MaxAlpha));
  return s;
}

namespace {

// Double sums of every node's squared distance to X; returns the smallest
// (infinity when every sum is NaN). Four partial sums let the compiler use
// vector registers; the rounding bound of TrainingWinner holds for any order.
KVL_CPU_CLONES double DoubleDistances(const double* W, std::size_t Nodes, std::size_t K, const double* X,
                                      double* Out) noexcept {
  double least = std::numeric_limits<double>::infinity();
  for (std::size_t n = 0; n < Nodes; ++n, W += K) {
    double s[4] = {0.0, 0.0, 0.0, 0.0};
    std::size_t k = 0;
    for (; k + 4 <= K; k += 4)
      for (std::size_t j = 0; j < 4; ++j) {
        const double t = W[k + j] - X[k + j];
        s[j] += t * t;
      }
    double d = (s[0] + s[2]) + (s[1] + s[3]);
    for (; k < K; ++k) {
      const double t = W[k] - X[k];
      d += t * t;
    }
    Out[n] = d;
    if (d < least) least = d;
  }
  return least;
}

}  // namespace

std::size_t TrainingWinner(std::span<const double> Weights, std::size_t K, const double* X, long double& Best,
                           std::span<double> DoubleDist) noexcept {
  const std::size_t nodes = K == 0 ? 0 : Weights.size() / K;
  const double least = DoubleDistances(Weights.data(), nodes, K, X, DoubleDist.data());
  // Each Double sum is D (1 + e) + a with |e| <= (K + 2) u / (1 - (K + 2) u),
  // u = 2^-53, and a below K 2^-1075 from underflowing squares; the extended
  // sums have the same form with 2^-64 and no underflow. A node can tie with
  // or beat the node of the least Double sum only if its own Double sum is at
  // most (least + a) (1 + 4 (K + 3) u) + a; the factor is doubled to cover the
  // rounding of this bound itself. Beyond 1e300, where Double sums overflow,
  // every node is summed in extended precision.
  if (!(least <= 1e300)) return FindWinner<double>(Weights, K, X, Best);
  const double kd = static_cast<double>(K);
  const double slack = (kd + 1.0) * 0x1p-1070;
  const double bound = (least + slack) * (1.0 + 8.0 * (kd + 3.0) * 0x1p-53) + slack;
  long double best = std::numeric_limits<double>::max();
  std::size_t win = kNoNode;
  const double* w = Weights.data();
  for (std::size_t n = 0; n < nodes; ++n) {
    if (!(DoubleDist[n] <= bound)) continue;
    const long double d = SquaredDistance(w + n * K, X, K);
    if (d < best) {
      best = d;
      win = n;
    }
  }
  Best = best;
  return win;
}

void AxisSpan(std::int32_t Centre, std::int32_t Radius, std::int32_t Size, bool Cyclic,
              std::vector<std::int32_t>& Out) {
  Out.clear();
  if (Cyclic) {
    // A radius below half the axis visits no node twice.
    const std::int32_t r = std::max(0, std::min(Radius, Size / 2 - 1));
    for (std::int32_t off = -r; off <= r; ++off) {
      std::int32_t i = Centre + off;
      if (i < 0)
        i += Size;
      else if (i >= Size)
        i -= Size;
      Out.push_back(i);
    }
    return;
  }
  const std::int64_t lo = std::max<std::int64_t>(0, std::int64_t{Centre} - Radius);
  const std::int64_t hi = std::min<std::int64_t>(Size - 1, std::int64_t{Centre} + Radius);
  for (std::int64_t i = lo; i <= hi; ++i) Out.push_back(static_cast<std::int32_t>(i));
}

void TrainObject(std::span<double> Weights, const TMapShape& Shape, const double* X, const TStep& Step,
                 TTrainScratch& Scratch) {
  const std::size_t K = Shape.K;
  long double best = 0.0L;
  const std::size_t win = TrainingWinner(Weights, K, X, best, Scratch.Dist);
  if (win == kNoNode) return;
  const auto ny = static_cast<std::size_t>(Shape.SizeY);
  AxisSpan(static_cast<std::int32_t>(win / ny), Step.Neighb, Shape.SizeX, Shape.Cyclic, Scratch.SpanX);
  AxisSpan(static_cast<std::int32_t>(win % ny), Step.Neighb, Shape.SizeY, Shape.Cyclic, Scratch.SpanY);
  const long double alpha = Step.Alpha;
  for (const std::int32_t ix : Scratch.SpanX) {
    for (const std::int32_t iy : Scratch.SpanY) {
      const std::size_t node = static_cast<std::size_t>(ix) * ny + static_cast<std::size_t>(iy);
      // Every node of the neighbourhood is visited once: this is its distance
      // before its own update, summed as in the winner search (0 - 0 for the winner).
      double* p = Weights.data() + node * K;
      const long double h = 1.0L / (std::sqrt(SquaredDistance(p, X, K) - best) + 1.0L);
      const auto w = static_cast<double>(alpha * h);
      for (std::size_t k = 0; k < K; ++k) p[k] += (X[k] - p[k]) * w;
    }
  }
}

}  // namespace kohonen_internal

using namespace kohonen_internal;

void TKohonen::Trainit() {
  FCurStep = 1;
  SetWeigtsToRandom();
  ContinueTraining();
}

void TKohonen::ContinueTraining() {
  FAbort = false;
  // Past the last step r < 0 would make radius and rate grow again.
  if (FCurStep > FMaxSteps) return;
  do {
    RunStep();
    const auto percent = static_cast<std::int32_t>(Round(static_cast<long double>(FCurStep) * 100.0L / FMaxSteps));
    try {
      DoFeedback(percent);
    } catch (...) {
      // The step is done: a later ContinueTraining goes on with the next one.
      ++FCurStep;
      FAbort = false;
      throw;
    }
    ++FCurStep;
  } while (!FAbort && FCurStep < FMaxSteps);
  FAbort = false;
}

void TKohonen::RunStep() {
  const TStep step = StepSchedule(FCurStep, FMaxSteps, FMaxNeighb, FMaxAlpha);
  FCurNeighb = step.Neighb;
  FCurAlpha = step.Alpha;
  // The objects one after another, each with its K values side by side
  // (variables the matrix lacks read as 0). Built per step: a feedback
  // handler may change the data or the map between steps.
  const auto K = static_cast<std::size_t>(FNrInSens);
  const auto rows = static_cast<std::size_t>(FDataMat.NrOfRows());
  const std::size_t cols = std::min(K, static_cast<std::size_t>(FDataMat.NrOfColumns()));
  const std::span<const double> cells = FDataMat.Data();
  std::vector<double> objects(rows * K, 0.0);
  for (std::size_t c = 0; c < cols; ++c)
    for (std::size_t j = 0; j < rows; ++j) objects[j * K + c] = cells[c * rows + j];
  TTrainScratch scratch;
  scratch.Dist.resize(FKohMat.size() / K);
  const TMapShape shape{FSizeX, FSizeY, K, FCyclic};
  for (std::size_t j = 0; j < rows; ++j) TrainObject(FKohMat, shape, objects.data() + j * K, step, scratch);
}

}  // namespace kvl
