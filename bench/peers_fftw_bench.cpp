// The peer of TFastFourier's transform: FFTW's complex in-place forward
// transform (fftw_plan_dft_1d, FFTW_MEASURE, one thread) at the sizes of
// transforms_bench, repeated on the same block as there.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <random>

namespace {

void BM_FftwForward(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  auto* data = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<std::size_t>(n)));
  fftw_plan plan = fftw_plan_dft_1d(n, data, data, FFTW_FORWARD, FFTW_MEASURE);  // MEASURE overwrites data
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (int k = 0; k < n; ++k) {
    data[k][0] = dist(gen);
    data[k][1] = dist(gen);
  }
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(data);
  }
  state.counters["GFlop/s"] =
      benchmark::Counter(5.0 * n * std::log2(static_cast<double>(n)), benchmark::Counter::kIsIterationInvariantRate);
  fftw_destroy_plan(plan);
  fftw_free(data);
}
BENCHMARK(BM_FftwForward)->Arg(1 << 10)->Arg(1 << 14)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
