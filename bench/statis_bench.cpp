// Speed of the probability distributions: the normal integral, the
// incomplete gamma and beta functions, Kolmogorov-Smirnov p-values
// (n = 100 and 1000, exact method) and every quantile function. Each run
// walks through a fixed set of arguments so that the timings cover the
// centre and the tails.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>

#include "kvl/statistics/KVL_statis.h"

namespace {

using namespace kvl;

constexpr std::array<double, 8> kProbabilities = {1e-10, 0.001, 0.025, 0.3, 0.5, 0.8, 0.975, 0.999999};

void BM_nDistriIntegral(benchmark::State& state) {
  for (auto _ : state)
    for (double x = -8.0; x <= 8.0; x += 0.5) benchmark::DoNotOptimize(nDistriIntegral(x));
}
BENCHMARK(BM_nDistriIntegral);

void BM_IncompleteGamma(benchmark::State& state) {
  const double a = static_cast<double>(state.range(0));
  for (auto _ : state)
    for (double f = 0.25; f <= 2.0; f += 0.25) benchmark::DoNotOptimize(IncompleteGamma(f * a, a));
}
BENCHMARK(BM_IncompleteGamma)->Arg(1)->Arg(10)->Arg(1000);

void BM_IncompleteBeta(benchmark::State& state) {
  const double a = static_cast<double>(state.range(0));
  for (auto _ : state)
    for (double x = 0.1; x < 1.0; x += 0.1) benchmark::DoNotOptimize(IncompleteBeta(x, a, 2.0 * a));
}
BENCHMARK(BM_IncompleteBeta)->Arg(1)->Arg(10)->Arg(1000);

void BM_KSPValue(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  // n d^2 from 0.2 to 3.6: the exact method throughout.
  for (auto _ : state)
    for (double z = 0.45; z < 1.9; z += 0.35) benchmark::DoNotOptimize(KSPValue(n, z / std::sqrt(static_cast<double>(n))));
}
BENCHMARK(BM_KSPValue)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_KSQuantile(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(KSQuantile(n, TSignifLevel::Dot05));
}
BENCHMARK(BM_KSQuantile)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_nDistriQuantile(benchmark::State& state) {
  for (auto _ : state)
    for (double p : kProbabilities) benchmark::DoNotOptimize(nDistriQuantile(p));
}
BENCHMARK(BM_nDistriQuantile);

void BM_chi2DistriQuantile(benchmark::State& state) {
  const auto df = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state)
    for (double p : kProbabilities) benchmark::DoNotOptimize(chi2DistriQuantile(p, df));
}
BENCHMARK(BM_chi2DistriQuantile)->Arg(1)->Arg(10)->Arg(1000)->Arg(1000000);

void BM_tDistriQuantile(benchmark::State& state) {
  const auto df = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state)
    for (double p : kProbabilities) benchmark::DoNotOptimize(tDistriQuantile(p, df));
}
BENCHMARK(BM_tDistriQuantile)->Arg(1)->Arg(10)->Arg(1000)->Arg(1000000);

void BM_FDistriQuantile(benchmark::State& state) {
  const auto df1 = static_cast<std::int32_t>(state.range(0)), df2 = static_cast<std::int32_t>(state.range(1));
  for (auto _ : state)
    for (double p : kProbabilities) benchmark::DoNotOptimize(FDistriQuantile(p, df1, df2));
}
BENCHMARK(BM_FDistriQuantile)->Args({2, 10})->Args({10, 50})->Args({100, 1000});

void BM_BinomDistriQuantile(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  double actual = 0.0;
  for (auto _ : state)
    for (double p : kProbabilities) benchmark::DoNotOptimize(BinomDistriQuantile(n, 0.3, p, actual));
}
BENCHMARK(BM_BinomDistriQuantile)->Arg(20)->Arg(10000)->Arg(100000000);

void BM_UDistriQuantile(benchmark::State& state) {
  const auto n1 = static_cast<std::int32_t>(state.range(0)), n2 = static_cast<std::int32_t>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(UDistriQuantile(n1, n2, 0.025));
}
BENCHMARK(BM_UDistriQuantile)->Args({10, 10})->Args({50, 50})->Args({100, 200})->Args({1000, 1000})
    ->Unit(benchmark::kMicrosecond);

void BM_LillieforsQuantile(benchmark::State& state) {
  for (auto _ : state)
    for (double a : {0.01, 0.05, 0.1}) benchmark::DoNotOptimize(LillieforsQuantile(50, a));
}
BENCHMARK(BM_LillieforsQuantile);

}  // namespace
