// Speed of the self-organising map:
//  - one training step (one pass over 10^5 objects of 10 variables) of a
//    20 x 20 map at radius 2, the figure of docs/performance.md;
//  - the same pass with the distances summed in Double instead of extended
//    precision, a baseline written here, to show what the exact extended
//    sums cost;
//  - ApplyIt, mapping one object.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "kvl/learning/KVL_kohonen.h"
#include "kvl/runtime/randgen.h"

namespace {

constexpr std::int32_t kObjects = 100'000, kVars = 10, kSide = 20;

void FillData(kvl::TMatrix& m, std::int32_t Vars, std::int32_t Objects) {
  m.Resize(Vars, Objects);
  std::mt19937 gen(11);
  std::normal_distribution<double> g;
  double* cells = m.ColumnView().data();
  for (std::size_t i = 0; i < static_cast<std::size_t>(Vars) * Objects; ++i) cells[i] = g(gen);
}

void BM_KohonenTrainingStep(benchmark::State& state) {
  kvl::TMatrix data;
  FillData(data, kVars, kObjects);
  kvl::TKohonen map;
  map.SetTrainData(&data);
  map.SetSizeX(kSide);
  map.SetSizeY(kSide);
  map.SetNrOfTrnSteps(1'000'000);  // the radius stays at InitialNeighbors
  map.SetInitialNeighbors(static_cast<std::int32_t>(state.range(0)));
  kvl::RandSeed = 1;
  map.SetWeigtsToRandom();
  map.OnFeedback = [](kvl::TObject* s, double) { static_cast<kvl::TKohonen*>(s)->AbortTraining(); };
  for (auto _ : state) {
    map.ContinueTraining();  // exactly one step: the handler aborts after it
    benchmark::DoNotOptimize(map.GetWeight(1, 1, 1));
  }
  state.counters["objects_per_s"] = benchmark::Counter(kObjects, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["ns_per_node_var"] = benchmark::Counter(
      static_cast<double>(kObjects) * kSide * kSide * kVars,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_KohonenTrainingStep)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);

// The winner search of one pass with Double sums over the same block layout:
// what the search would cost without the extended-precision accumulation.
void BM_DoubleSumWinnerPass(benchmark::State& state) {
  std::mt19937 gen(11);
  std::normal_distribution<double> g;
  std::vector<double> objects(static_cast<std::size_t>(kObjects) * kVars), weights(kSide * kSide * kVars);
  for (double& x : objects) x = g(gen);
  for (double& w : weights) w = g(gen) * 0.1;
  for (auto _ : state) {
    std::size_t sum = 0;
    for (std::size_t j = 0; j < static_cast<std::size_t>(kObjects); ++j) {
      const double* x = objects.data() + j * kVars;
      double best = std::numeric_limits<double>::max();
      std::size_t win = 0;
      const double* w = weights.data();
      for (std::size_t n = 0; n < kSide * kSide; ++n, w += kVars) {
        double d = 0;
        for (std::size_t k = 0; k < kVars; ++k) d += (w[k] - x[k]) * (w[k] - x[k]);
        if (d < best) best = d, win = n;
      }
      sum += win;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["objects_per_s"] = benchmark::Counter(kObjects, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DoubleSumWinnerPass)->Unit(benchmark::kMillisecond);

void BM_KohonenApplyIt(benchmark::State& state) {
  kvl::TKohonen map;
  map.SetNrOfInSens(kVars);
  map.SetSizeX(kSide);
  map.SetSizeY(kSide);
  map.SetWeigtsToRandom();
  kvl::TVector in;
  in.Resize(kVars);
  for (std::int32_t k = 1; k <= kVars; ++k) in.SetVal(k, 0.01 * k);
  std::int32_t x = 0, y = 0;
  double d = 0;
  for (auto _ : state) {
    map.ApplyIt(in, x, y, d);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_KohonenApplyIt);

}  // namespace
