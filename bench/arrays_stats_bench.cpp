// Speed of the array statistics on large inputs: selection-based percentiles
// and the long double sums of the mean and standard deviation, 1-D and 2-D.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "kvl/arrays/KVL_openarrays.h"

namespace {

using namespace kvl;

constexpr std::int32_t kN1D = 1000000;
constexpr std::int32_t kSide = 1000;

TDoubleArray Random1D(std::int32_t n) {
  std::mt19937_64 gen(12345);
  std::uniform_real_distribution<double> u(-1000.0, 1000.0);
  TDoubleArray a(static_cast<std::size_t>(n));
  for (double& v : a) v = u(gen);
  return a;
}

TDouble2DArray Random2D(std::int32_t cols, std::int32_t rows) {
  TDouble2DArray a(static_cast<std::size_t>(cols));
  for (std::int32_t c = 0; c < cols; ++c) a[static_cast<std::size_t>(c)] = Random1D(rows);
  return a;
}

void BM_PercentileArray_1D(benchmark::State& state) {
  const TDoubleArray a = Random1D(kN1D);
  for (auto _ : state) benchmark::DoNotOptimize(PercentileArray(50, a));
  state.SetItemsProcessed(state.iterations() * kN1D);
}
BENCHMARK(BM_PercentileArray_1D)->Unit(benchmark::kMillisecond);

// 10^7 values, beside numpy.percentile (bench/peers/percentile_numpy.py).
void BM_PercentileArray_10M(benchmark::State& state) {
  const TDoubleArray a = Random1D(10'000'000);
  for (auto _ : state) benchmark::DoNotOptimize(PercentileArray(95, a));
}
BENCHMARK(BM_PercentileArray_10M)->Unit(benchmark::kMillisecond);

// Times a statistic that reports through a double& on one fixed input.
template <class Input, class Stat>
void RunStat(benchmark::State& state, const Input& data, std::int64_t items, Stat stat) {
  double result = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(stat(data, result));
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * items);
}

void BM_MeanArray_1D(benchmark::State& state) {
  RunStat(state, Random1D(kN1D), kN1D,
          [](const TDoubleArray& a, double& r) { return MeanArray(a, 0, kN1D - 1, r); });
}
BENCHMARK(BM_MeanArray_1D)->Unit(benchmark::kMillisecond);

void BM_StdDevArray_1D(benchmark::State& state) {
  RunStat(state, Random1D(kN1D), kN1D,
          [](const TDoubleArray& a, double& r) { return StdDevArray(a, 0, kN1D - 1, r); });
}
BENCHMARK(BM_StdDevArray_1D)->Unit(benchmark::kMillisecond);

void BM_MeanArray_2D(benchmark::State& state) {
  RunStat(state, Random2D(kSide, kSide), std::int64_t{kSide} * kSide,
          [](const TDouble2DArray& a, double& r) { return MeanArray(a, 0, 0, kSide - 1, kSide - 1, r); });
}
BENCHMARK(BM_MeanArray_2D)->Unit(benchmark::kMillisecond);

void BM_StdDevArray_2D(benchmark::State& state) {
  RunStat(state, Random2D(kSide, kSide), std::int64_t{kSide} * kSide,
          [](const TDouble2DArray& a, double& r) { return StdDevArray(a, 0, 0, kSide - 1, kSide - 1, r); });
}
BENCHMARK(BM_StdDevArray_2D)->Unit(benchmark::kMillisecond);

}  // namespace
