// Speed and memory of the robust estimators: the Theil-Sen line of up to
// 20,000 points (2 * 10^8 pairwise slopes), the Gini coefficient of 10^6
// values by sorting (beside the double sum it replaces, on fewer values),
// the kernel density estimate and Fisher's exact test at N = 1000.
// The counter "peak_MB" is the largest heap in use during one call, from a
// counting operator new.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "kvl/statistics/KVL_statis.h"

namespace {

std::size_t gLive = 0, gPeak = 0;

void* Allocate(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  gLive += malloc_usable_size(p);
  if (gLive > gPeak) gPeak = gLive;
  return p;
}

void Free(void* p) noexcept {
  if (!p) return;
  gLive -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }

namespace {

using namespace kvl;

// The largest heap in use while Work runs, above what was in use before.
template <class Fn>
double PeakMB(Fn&& Work) {
  const std::size_t before = gLive;
  gPeak = gLive;
  Work();
  return static_cast<double>(gPeak - before) / (1024.0 * 1024.0);
}

void BM_TheilSen(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::mt19937 gen(5);
  std::normal_distribution<double> noise(0, 1);
  std::vector<double> x(n), y(n);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = static_cast<double>(i) * 0.01;
    y[i] = 3 * x[i] + 2 + noise(gen);
  }
  double k = 0, d = 0, kl = 0, kh = 0, dl = 0, dh = 0;
  double peak = 0;
  for (auto _ : state) peak = PeakMB([&] { benchmark::DoNotOptimize(TheilSenEstimator(x, y, k, d, kl, kh, dl, dh)); });
  state.counters["peak_MB"] = peak;
  state.counters["slopes_MB_if_stored"] = static_cast<double>(n * (n - 1) / 2 * sizeof(double)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_TheilSen)->Arg(2000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

std::vector<double> Incomes(std::size_t n) {
  std::mt19937 gen(6);
  std::lognormal_distribution<double> income(0, 1);
  std::vector<double> v(n);
  for (double& x : v) x = income(gen);
  return v;
}

void BM_GiniCoeff(benchmark::State& state) {
  const auto v = Incomes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(GiniCoeff(v));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_GiniCoeff)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);

// The definition's double sum, which the sorted form replaces.
void BM_GiniDoubleSum(benchmark::State& state) {
  const auto v = Incomes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    long double pairs = 0, sum = 0;
    for (double a : v) {
      sum += a;
      for (double b : v) pairs += std::fabs(a - b);
    }
    benchmark::DoNotOptimize(pairs / sum / 2 / static_cast<long double>(v.size()));
  }
}
BENCHMARK(BM_GiniDoubleSum)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_EstimateProbDensity(benchmark::State& state) {
  const auto data = Incomes(10000);
  std::vector<double> density;
  std::int32_t ixMin = 0, ixMax = 0;
  for (auto _ : state) {
    std::vector<double> work = data;
    benchmark::DoNotOptimize(
        EstimateProbDensity(work, density, 0, 10, 1.0, 0.05, static_cast<std::int32_t>(state.range(0)), ixMin,
                            ixMax, nullptr));
  }
}
BENCHMARK(BM_EstimateProbDensity)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_FisherExactTest(benchmark::State& state) {
  const TInt2DArray t{{260, 240}, {230, 270}};  // N = 1000, smallest margin 490
  double lo = 0, hi = 0, two = 0;
  for (auto _ : state) benchmark::DoNotOptimize(FisherExactTest(t, lo, hi, two));
}
BENCHMARK(BM_FisherExactTest);

}  // namespace
