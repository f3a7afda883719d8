// Speed of EstimateByKNN per probe over 20000 training objects of 8
// variables, k = 10 (goal: one contiguous pass over the data, no allocation
// per probe outside the quadratic fit), beside a brute-force form that
// computes all distances and sorts them; and CalcImgCorrelation over two
// 1000 x 1000 regions (goal: scan lines read directly, no per-pixel call
// into the bitmap). The peer figures (NumPy, scikit-learn) come from
// bench/peers/knn_numpy.py.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "kvl/modelling/KVL_math2.h"

namespace {

constexpr std::int32_t kRows = 20000, kVars = 8, kK = 10;

struct TSet {
  kvl::TMatrix Data;
  kvl::TVector Target;
  std::vector<std::unique_ptr<kvl::TVector>> Probes;  // components do not move
  TSet() {
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Data.Resize(kVars, kRows);
    Target.Resize(kRows);
    for (std::int32_t r = 1; r <= kRows; ++r) {
      double s = 0;
      for (std::int32_t c = 1; c <= kVars; ++c) {
        const double x = u(gen);
        Data.SetVal(c, r, x);
        s += x * x;
      }
      Target.SetVal(r, std::sin(s));
    }
    for (int i = 0; i < 64; ++i) {
      auto p = std::make_unique<kvl::TVector>();
      p->Resize(kVars);
      for (std::int32_t c = 1; c <= kVars; ++c) p->SetVal(c, u(gen));
      Probes.push_back(std::move(p));
    }
  }
};

const TSet& Set() {
  static const TSet s;
  return s;
}

void BM_EstimateByKNN(benchmark::State& state) {
  const TSet& s = Set();
  const auto mode = static_cast<kvl::TKnnWMode>(state.range(0));
  std::size_t i = 0;
  for (auto _ : state) {
    double est = 0, mean = 0;
    kvl::EstimateByKNN(s.Data, s.Target, kK, mode, 1.0, *s.Probes[i++ % s.Probes.size()], est, mean);
    benchmark::DoNotOptimize(est);
  }
  state.SetLabel(kvl::TKnnWMode(state.range(0)) == kvl::TKnnWMode::kwmBiQuad ? "biquad (45 terms)" : "");
}
BENCHMARK(BM_EstimateByKNN)
    ->Arg(static_cast<int>(kvl::TKnnWMode::kwmGauss))
    ->Arg(static_cast<int>(kvl::TKnnWMode::kwmMedian))
    ->Arg(static_cast<int>(kvl::TKnnWMode::kwmBiQuad));

// Brute force: every distance, a full sort, the Gaussian weighting.
void BM_BruteForceKNN(benchmark::State& state) {
  const TSet& s = Set();
  std::vector<std::pair<double, std::int32_t>> d(kRows);
  std::size_t i = 0;
  for (auto _ : state) {
    const kvl::TVector& p = *s.Probes[i++ % s.Probes.size()];
    for (std::int32_t r = 1; r <= kRows; ++r) {
      double q = 0;
      for (std::int32_t c = 1; c <= kVars; ++c) q += std::pow(p.Elem(c) - s.Data.Elem(c, r), 2);
      d[static_cast<std::size_t>(r - 1)] = {std::sqrt(q), r};
    }
    std::ranges::sort(d);
    double m = 0, sw = 0, swt = 0;
    for (std::int32_t j = 0; j < kK; ++j) m += d[static_cast<std::size_t>(j)].first / kK;
    for (std::int32_t j = 0; j < kK; ++j) {
      const double w = std::exp(-std::pow(d[static_cast<std::size_t>(j)].first / m, 2));
      sw += w;
      swt += w * s.Target.Elem(d[static_cast<std::size_t>(j)].second);
    }
    benchmark::DoNotOptimize(swt / sw);
  }
}
BENCHMARK(BM_BruteForceKNN);

void BM_CalcImgCorrelation(benchmark::State& state) {
  std::mt19937 gen(9);
  kvl::TBitmap a(1000, 1000), b(1000, 1000);
  for (std::int32_t y = 0; y < 1000; ++y)
    for (std::int32_t x = 0; x < 1000; ++x) {
      a.SetPixel(x, y, gen() & 0xFFFFFF);
      b.SetPixel(x, y, gen() & 0xFFFFFF);
    }
  const auto mode = static_cast<kvl::TImgCompareMode>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(kvl::CalcImgCorrelation(a, b, {0, 0, 999, 999}, {0, 0, 999, 999}, mode));
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_CalcImgCorrelation)
    ->Arg(static_cast<int>(kvl::TImgCompareMode::icmRed))
    ->Arg(static_cast<int>(kvl::TImgCompareMode::icmGrayValues))
    ->Arg(static_cast<int>(kvl::TImgCompareMode::icmHue))
    ->Unit(benchmark::kMillisecond);

}  // namespace
