// Speed of the smoothers and the 2-D convolution, each beside its
// brute-force form: KernelConvolve of 2000 x 2000 with 3 x 3 and 15 x 15
// kernels (goal: no allocation per cell, vectorised along the inner
// arrays); MovingMedianSmooth of 10^6 values, window 101 (goal: O(n log w),
// not a selection per window); MovingAverageSmooth of 10^7 values, window
// 101 (goal: O(n) without losing precision against the direct mean; the
// counters give the largest deviation in units of the last place).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "kvl/modelling/KVL_math2.h"

namespace {

std::vector<double> Noise(std::size_t n, unsigned Seed, double Offset) {
  std::mt19937_64 gen(Seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> x(n);
  for (double& v : x) v = Offset + u(gen);
  return x;
}

void Load(kvl::TVector& v, const std::vector<double>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  v.CopyFrom(std::span<const double>(x), 0, static_cast<std::int32_t>(x.size()) - 1, 1);
}

// --- 2-D convolution -------------------------------------------------------------------

constexpr std::size_t kSide = 2000;

kvl::TDouble2DArray Image() {
  const std::vector<double> x = Noise(kSide * kSide, 7, 0.0);
  kvl::TDouble2DArray a(kSide);
  for (std::size_t i = 0; i < kSide; ++i) a[i].assign(x.begin() + i * kSide, x.begin() + (i + 1) * kSide);
  return a;
}

kvl::TDouble2DArray Kernel(std::size_t s) {
  kvl::TDouble2DArray k(s, std::vector<double>(s));
  const std::vector<double> x = Noise(s * s, 3, 0.0);
  for (std::size_t r = 0; r < s; ++r) std::copy_n(x.begin() + r * s, s, k[r].begin());
  return k;
}

void BM_KernelConvolve(benchmark::State& state) {
  const kvl::TDouble2DArray data = Image();
  const kvl::TDouble2DArray kernel = Kernel(static_cast<std::size_t>(state.range(0)));
  kvl::TDouble2DArray out;
  for (auto _ : state) {
    kvl::KernelConvolve(kernel, data, out, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSide * kSide));
}
BENCHMARK(BM_KernelConvolve)->Arg(3)->Arg(15)->Unit(benchmark::kMillisecond);

// Brute force: every cell sums its clamped neighbourhood on its own.
void BM_KernelConvolveBrute(benchmark::State& state) {
  const kvl::TDouble2DArray data = Image();
  const auto s = static_cast<std::ptrdiff_t>(state.range(0)), h = s / 2;
  const kvl::TDouble2DArray kernel = Kernel(static_cast<std::size_t>(s));
  const auto n = static_cast<std::ptrdiff_t>(kSide);
  kvl::TDouble2DArray out(kSide, std::vector<double>(kSide));
  for (auto _ : state) {
    for (std::ptrdiff_t i = 0; i < n; ++i)
      for (std::ptrdiff_t j = 0; j < n; ++j) {
        double sum = 0;
        for (std::ptrdiff_t r = 0; r < s; ++r)
          for (std::ptrdiff_t c = 0; c < s; ++c)
            sum += data[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i + r - h, 0, n - 1))]
                       [static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(j + c - h, 0, n - 1))] *
                   kernel[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
        out[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = sum;
      }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSide * kSide));
}
BENCHMARK(BM_KernelConvolveBrute)->Arg(3)->Arg(15)->Unit(benchmark::kMillisecond);

// --- moving median -----------------------------------------------------------------------

constexpr std::int32_t kMedianCount = 1'000'000;
constexpr std::int32_t kMedianWindow = 101;

void BM_MovingMedianSmooth(benchmark::State& state) {
  kvl::TVector src, dest;
  Load(src, Noise(kMedianCount, 11, 0.0));
  dest.Resize(kMedianCount);
  for (auto _ : state) kvl::MovingMedianSmooth(&src, 1, kMedianCount, &dest, kMedianWindow);
  state.SetItemsProcessed(state.iterations() * kMedianCount);
}
BENCHMARK(BM_MovingMedianSmooth)->Unit(benchmark::kMillisecond);

// Brute force: a copy of each window and a selection of its middle (the
// per-window quartile, without the sort a quartile routine may do).
void BM_MovingMedianBrute(benchmark::State& state) {
  const std::vector<double> x = Noise(kMedianCount, 11, 0.0);
  std::vector<double> out(x.size()), w(kMedianWindow);
  const std::size_t h = kMedianWindow / 2;
  for (auto _ : state) {
    for (std::size_t p = h; p + h < x.size(); ++p) {
      std::copy_n(x.begin() + static_cast<std::ptrdiff_t>(p - h), kMedianWindow, w.begin());
      std::nth_element(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(h), w.end());
      out[p] = w[h];
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kMedianCount);
}
BENCHMARK(BM_MovingMedianBrute)->Unit(benchmark::kMillisecond);

// --- moving average ----------------------------------------------------------------------

constexpr std::int32_t kMeanCount = 10'000'000;
constexpr std::int32_t kMeanWindow = 101;

// Values around 1e6 with unit noise: the direct mean per window is the reference.
std::vector<double> MeanData() { return Noise(kMeanCount, 13, 1e6); }

std::vector<double> DirectMeans(const std::vector<double>& x) {
  std::vector<double> m(x.size());
  const std::size_t h = kMeanWindow / 2;
  for (std::size_t p = h; p + h < x.size(); ++p) {
    long double s = 0;
    for (std::size_t k = p - h; k <= p + h; ++k) s += x[k];
    m[p] = static_cast<double>(s / kMeanWindow);
  }
  return m;
}

double WorstUlps(const std::vector<double>& got, const std::vector<double>& want) {
  double worst = 0;
  const std::size_t h = kMeanWindow / 2;
  for (std::size_t p = h; p + h < got.size(); ++p)
    worst = std::max(worst, std::fabs(got[p] - want[p]) / (std::nextafter(want[p], 2 * want[p]) - want[p]));
  return worst;
}

void BM_MovingAverageSmooth(benchmark::State& state) {
  const std::vector<double> x = MeanData();
  kvl::TVector src, dest;
  Load(src, x);
  dest.Resize(kMeanCount);
  for (auto _ : state) kvl::MovingAverageSmooth(&src, 1, kMeanCount, &dest, kMeanWindow);
  state.SetItemsProcessed(state.iterations() * kMeanCount);
  state.counters["worst_ulps"] = WorstUlps({dest.Data().begin(), dest.Data().end()}, DirectMeans(x));
}
BENCHMARK(BM_MovingAverageSmooth)->Unit(benchmark::kMillisecond);

// The plain running sum, for comparison: as fast, but it drifts.
void BM_MovingAveragePlainRunningSum(benchmark::State& state) {
  const std::vector<double> x = MeanData();
  std::vector<double> out(x.size());
  const std::size_t h = kMeanWindow / 2;
  for (auto _ : state) {
    double s = 0;
    for (std::size_t k = 0; k < kMeanWindow; ++k) s += x[k];
    for (std::size_t p = h;; ++p) {
      out[p] = s / kMeanWindow;
      if (p + h + 1 >= x.size()) break;
      s += x[p + h + 1] - x[p - h];
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kMeanCount);
  state.counters["worst_ulps"] = WorstUlps(out, DirectMeans(x));
}
BENCHMARK(BM_MovingAveragePlainRunningSum)->Unit(benchmark::kMillisecond);

// Brute force: the direct mean of every window.
void BM_MovingAverageDirect(benchmark::State& state) {
  const std::vector<double> x = MeanData();
  std::vector<double> out(x.size());
  const std::size_t h = kMeanWindow / 2;
  for (auto _ : state) {
    for (std::size_t p = h; p + h < x.size(); ++p) {
      double s = 0;
      for (std::size_t k = p - h; k <= p + h; ++k) s += x[k];
      out[p] = s / kMeanWindow;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kMeanCount);
  state.counters["worst_ulps"] = WorstUlps(out, DirectMeans(x));
}
BENCHMARK(BM_MovingAverageDirect)->Unit(benchmark::kMillisecond);

}  // namespace
