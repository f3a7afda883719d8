// Speed of the singular value decomposition on contiguous column-major
// storage (the form the matrix container hands over), square and tall.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/runtime/randgen.h"

namespace {

void BM_SvdDecompose(benchmark::State& state) {
  const auto m = static_cast<std::size_t>(state.range(0));
  const auto n = static_cast<std::size_t>(state.range(1));
  kvl::RandSeed = 42;
  std::vector<double> a0(m * n);
  for (double& x : a0) x = kvl::Random() - 0.5;
  std::vector<double> a(m * n), v(n * n), w(n);
  for (auto _ : state) {
    std::copy(a0.begin(), a0.end(), a.begin());
    const kvl::TSvdResult r = kvl::SvdDecompose(kvl::TColumnView<double>(a.data(), n, m),
                                                kvl::TColumnView<double>(v.data(), n, n), w);
    if (r != kvl::TSvdResult::svdSuccess) state.SkipWithError("decomposition failed");
    benchmark::DoNotOptimize(w.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_SvdDecompose)->Args({200, 200})->Args({500, 300})->Unit(benchmark::kMillisecond);
