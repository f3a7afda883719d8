// The transforms: TFastFourier's complex forward transform at N = 2^10,
// 2^14 and 2^20 (the sizes of the FFTW peer in peers_fftw_bench), the
// inverse and a windowed transform, and TWavelet1D over all levels of 2^20
// values. Repeated in-place transforms let the values grow (to infinities
// at 2^20 after a few dozen runs), which costs nothing extra on x86-64;
// the FFTW peer does the same.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "kvl/transforms/KVL_fourier.h"
#include "kvl/transforms/KVL_wavelet.h"

namespace {

void Fill(kvl::TFastFourier& fft, std::int32_t n) {
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  fft.SetSpectrumSize(n);
  for (std::int32_t k = 1; k <= n; ++k) {
    fft.SetRealSpec(k, dist(gen));
    fft.SetImagSpec(k, dist(gen));
  }
}

// The customary FFT rate: 5 N log2 N floating-point operations per transform.
void SetFlops(benchmark::State& state, std::int32_t n) {
  state.counters["GFlop/s"] =
      benchmark::Counter(5.0 * n * std::log2(static_cast<double>(n)), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FFTForward(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TFastFourier fft;
  Fill(fft, n);
  fft.Transform();  // the plan is made once per size, outside the timing
  for (auto _ : state) {
    fft.Transform();
    benchmark::DoNotOptimize(fft.Data().data());
  }
  SetFlops(state, n);
}
BENCHMARK(BM_FFTForward)->Arg(1 << 10)->Arg(1 << 14)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_FFTInverse(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TFastFourier fft;
  Fill(fft, n);
  fft.InverseTransform();
  for (auto _ : state) {
    fft.InverseTransform();
    benchmark::DoNotOptimize(fft.Data().data());
  }
  SetFlops(state, n);
}
BENCHMARK(BM_FFTInverse)->Arg(1 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// The Hamming window applied (in 80-bit arithmetic, with the weights kept
// from the first block, which is outside the timing), then the transform.
void BM_FFTHamming(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TFastFourier fft;
  Fill(fft, n);
  fft.SetWeightingWindow(kvl::TFastFourierWgtWin::fwHamming);
  fft.Transform();
  for (auto _ : state) {
    fft.Transform();
    benchmark::DoNotOptimize(fft.Data().data());
  }
}
BENCHMARK(BM_FFTHamming)->Arg(1 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// Forward over all 20 levels of 2^20 values, order K = 1..3.
void BM_WaveletForward(benchmark::State& state) {
  const std::int32_t n = 1 << 20;
  kvl::TWavelet1D w;
  w.SetSize(n);
  w.SetOrder(static_cast<std::int32_t>(state.range(0)));
  std::mt19937 gen(2);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (std::int32_t i = 1; i <= n; ++i) w.SetData(i, dist(gen));
  for (auto _ : state) {
    w.Transform(20);
    benchmark::DoNotOptimize(w.Values().data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_WaveletForward)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);

}  // namespace
