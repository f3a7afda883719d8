// Speed of the array matrix routines: inversion and products of square
// matrices (500 x 500 by default, 1000 x 1000 for the inversion as well) and
// the symmetric eigen decomposition. Peers: peers_blas_bench.

#include <benchmark/benchmark.h>

#include <random>

#include "kvl/arrays/KVL_openarrays.h"

namespace {

kvl::TDouble2DArray RandomSquare(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  kvl::TDouble2DArray a(n, kvl::TDoubleArray(n));
  for (auto& col : a)
    for (auto& v : col) v = dist(gen);
  return a;
}

void BM_InvertArray(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const kvl::TDouble2DArray a = RandomSquare(n, 1);
  for (auto _ : state) {
    state.PauseTiming();
    kvl::TDouble2DArray work = a;
    state.ResumeTiming();
    if (kvl::InvertArray(work) != 0) state.SkipWithError("singular");
    benchmark::DoNotOptimize(work.data());
  }
  state.counters["GFlop/s"] = benchmark::Counter(2.0 * static_cast<double>(n * n * n),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InvertArray)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_InvertArrayColumnView(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const kvl::TDouble2DArray a = RandomSquare(n, 1);
  kvl::TDoubleArray storage;
  for (const auto& col : a) storage.insert(storage.end(), col.begin(), col.end());
  for (auto _ : state) {
    state.PauseTiming();
    kvl::TDoubleArray work = storage;
    state.ResumeTiming();
    if (kvl::InvertArray(kvl::TColumnView<double>(work.data(), n, n)) != 0) state.SkipWithError("singular");
    benchmark::DoNotOptimize(work.data());
  }
}
BENCHMARK(BM_InvertArrayColumnView)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_MultiplyArrays(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const kvl::TDouble2DArray a = RandomSquare(n, 2), b = RandomSquare(n, 3);
  kvl::TDouble2DArray c;
  for (auto _ : state) {
    kvl::MultiplyArrays(a, b, c);
    benchmark::DoNotOptimize(c.data());
  }
  state.counters["GFlop/s"] = benchmark::Counter(2.0 * static_cast<double>(n * n * n),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MultiplyArrays)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_MultiplyArraysInteger(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  kvl::TInt2DArray a(n, kvl::TIntArray(n)), b(n, kvl::TIntArray(n)), c;
  std::int32_t v = 0;
  for (auto* m : {&a, &b})
    for (auto& col : *m)
      for (auto& x : col) x = (v = (v * 7 + 3) % 1000) - 500;
  for (auto _ : state) {
    kvl::MultiplyArrays(a, b, c);
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_MultiplyArraysInteger)->Arg(500)->Unit(benchmark::kMillisecond);

// EigenDecomposition of a symmetric n x n matrix (the peer: dsyevd).
void BM_EigenDecomposition(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  kvl::TDouble2DArray a = RandomSquare(n, 8);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < c; ++r) a[c][r] = a[r][c];
  kvl::TDoubleArray values;
  kvl::TDouble2DArray vectors;
  for (auto _ : state) {
    if (kvl::EigenDecomposition(a, values, vectors) != 0) state.SkipWithError("no convergence");
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_EigenDecomposition)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
