// Speed of the convex hull: Convex2DHull of uniform random points in a
// square (few corners) and of points on a circle (every point a corner),
// 10^4 to 10^6 points, beside the baseline of one std::sort of the same
// points by x. Time per point growing like log n shows the O(n log n) walk.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "kvl/modelling/KVL_math2.h"

namespace {

std::vector<kvl::TPointDouble> UniformSquare(std::size_t n) {
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> u(-1000.0, 1000.0);
  std::vector<kvl::TPointDouble> p(n);
  for (auto& q : p) q = {u(gen), u(gen)};
  return p;
}

std::vector<kvl::TPointDouble> OnCircle(std::size_t n) {
  std::vector<kvl::TPointDouble> p(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
    p[i] = {1000.0 * std::cos(a), 1000.0 * std::sin(a)};
  }
  std::shuffle(p.begin(), p.end(), std::mt19937_64(11));
  return p;
}

/// HullOf: Convex2DHull of the points MakePoints gives for the size range(0).
template <std::vector<kvl::TPointDouble> (*MakePoints)(std::size_t)>
void HullOf(benchmark::State& state) {
  const auto pts = MakePoints(static_cast<std::size_t>(state.range(0)));
  std::size_t corners = 0;
  for (auto _ : state) {
    auto hull = kvl::Convex2DHull(pts);
    corners = hull.size();
    benchmark::DoNotOptimize(hull.data());
  }
  state.counters["corners"] = static_cast<double>(corners);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HullUniform(benchmark::State& state) { HullOf<UniformSquare>(state); }
BENCHMARK(BM_HullUniform)->RangeMultiplier(10)->Range(10'000, 1'000'000)->Unit(benchmark::kMillisecond);

void BM_HullCircle(benchmark::State& state) { HullOf<OnCircle>(state); }
BENCHMARK(BM_HullCircle)->RangeMultiplier(10)->Range(10'000, 1'000'000)->Unit(benchmark::kMillisecond);

// Baseline: a copy of the points sorted by x, the least any sorting hull does.
void BM_SortBaseline(benchmark::State& state) {
  const auto pts = UniformSquare(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto copy = pts;
    std::sort(copy.begin(), copy.end(), [](const auto& a, const auto& b) { return a.X < b.X; });
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortBaseline)->RangeMultiplier(10)->Range(10'000, 1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
