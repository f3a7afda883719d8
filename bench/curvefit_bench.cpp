// Speed of TCurveFit: EnterStatValue streaming pairs into the thirty-three
// running sums and the data matrix (goal: at least 20 million pairs per
// second), and the rank statistics of 100,000 pairs (goal: well under a
// second; Kendall's pair counts in O(n log n)), with the pair-by-pair
// Kendall count at 10,000 pairs beside it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "kvl/modelling/KVL_math2.h"

namespace {

struct TPairs {
  std::vector<double> X, Y;
};

// Positive, correlated pairs with ties (x rounded to 3 decimals): every
// transformation of the sums is defined, and the rank counts meet ties.
TPairs MakePairs(std::size_t n) {
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  TPairs p;
  p.X.resize(n);
  p.Y.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    p.X[i] = std::round((1 + 9 * u(gen)) * 1000) / 1000;
    p.Y[i] = p.X[i] * 0.5 + u(gen);
  }
  return p;
}

void BM_EnterStatValue(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TPairs p = MakePairs(n);
  for (auto _ : state) {
    kvl::TCurveFit fit;  // fresh: the data matrix grows as the pairs arrive
    for (std::size_t i = 0; i < n; ++i) fit.EnterStatValue(p.X[i], p.Y[i]);
    benchmark::DoNotOptimize(fit.Sums().sumyqlnx);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_EnterStatValue)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The same into a fitter that already has the room (Init keeps it).
void BM_EnterStatValueReused(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TPairs p = MakePairs(n);
  kvl::TCurveFit fit;
  for (std::size_t i = 0; i < n; ++i) fit.EnterStatValue(p.X[i], p.Y[i]);
  for (auto _ : state) {
    fit.Init();
    for (std::size_t i = 0; i < n; ++i) fit.EnterStatValue(p.X[i], p.Y[i]);
    benchmark::DoNotOptimize(fit.Sums().sumyqlnx);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_EnterStatValueReused)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Entry alone: the pairs stored, their sums not yet read (they are formed
// on the first read, which the two cases above include).
void BM_EnterStatValueOnly(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TPairs p = MakePairs(n);
  kvl::TCurveFit fit;
  for (std::size_t i = 0; i < n; ++i) fit.EnterStatValue(p.X[i], p.Y[i]);
  for (auto _ : state) {
    fit.Init();
    for (std::size_t i = 0; i < n; ++i) fit.EnterStatValue(p.X[i], p.Y[i]);
    benchmark::DoNotOptimize(fit.NumData());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_EnterStatValueOnly)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

kvl::TCurveFit* Loaded(std::size_t n) {
  const TPairs p = MakePairs(n);
  auto* fit = new kvl::TCurveFit;
  for (std::size_t i = 0; i < n; ++i) fit->EnterStatValue(p.X[i], p.Y[i]);
  return fit;
}

void BM_KendallsTau(benchmark::State& state) {
  std::unique_ptr<kvl::TCurveFit> fit(Loaded(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    fit->RemoveStatValue(0);  // clears the cached counts (index out of range: no pair removed)
    double prob = 0;
    benchmark::DoNotOptimize(fit->KendallsTau(prob));
  }
}
BENCHMARK(BM_KendallsTau)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_SpearmanRankCorr(benchmark::State& state) {
  std::unique_ptr<kvl::TCurveFit> fit(Loaded(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(fit->SpearmanRankCorr());
}
BENCHMARK(BM_SpearmanRankCorr)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The definition pair by pair, for scale: O(n²).
void BM_KendallPairByPair(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TPairs p = MakePairs(n);
  for (auto _ : state) {
    std::int64_t c = 0, d = 0;
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) {
        const double q = (p.X[i] - p.X[j]) * (p.Y[i] - p.Y[j]);
        c += q > 0;
        d += q < 0;
      }
    benchmark::DoNotOptimize(c - d);
  }
}
BENCHMARK(BM_KendallPairByPair)->Arg(10'000)->Unit(benchmark::kMillisecond);

}  // namespace
