// Speed of the tabulated random numbers and of the classifier evaluation:
// 10^7 draws of TRandGen (alias table) beside the rejection loop it
// replaces and beside the standard library's piecewise-linear distribution
// (the same kind of density, with std::mt19937); the ROC with its threshold
// scan (OptimizeThresholds) of 10^5 and 10^6 scores, the sort it starts with
// beside the comb sort of the library's other sorts, and one confusion
// matrix of 10^6 sorted scores.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"
#include "kvl/statistics/KVL_statis.h"

namespace {

using namespace kvl;

constexpr int kDraws = 10'000'000;

void SetNormalTable(TRandGen& g, std::int32_t resolution) {
  g.SetResolution(resolution);
  g.SetLowBorder(-5.0);
  g.SetHighBorder(5.0);
  g.NormalDistri(0.0, 1.0);
}

void BM_RandGenAlias(benchmark::State& state) {
  TRandGen g;
  SetNormalTable(g, static_cast<std::int32_t>(state.range(0)));
  RandSeed = 1;
  g.GetRandNum();  // builds the alias table
  for (auto _ : state) {
    double s = 0.0;
    for (int i = 0; i < kDraws; ++i) s += g.GetRandNum();
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_RandGenAlias)->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);

// The rejection loop over the same table: k, u, then r until accepted.
void BM_RandGenRejectionLoop(benchmark::State& state) {
  TRandGen g;
  SetNormalTable(g, static_cast<std::int32_t>(state.range(0)));
  const std::int32_t n = g.Resolution();
  std::vector<double> p(static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) p[static_cast<std::size_t>(i - 1)] = g.GetProbability(i);
  RandSeed = 1;
  for (auto _ : state) {
    double s = 0.0;
    for (int i = 0; i < kDraws; ++i) {
      std::int32_t k;
      double u;
      for (;;) {
        k = Random(n) + 1;
        u = Random();
        const double pk = p[static_cast<std::size_t>(k - 1)];
        const double a = k < n ? pk + (p[static_cast<std::size_t>(k)] - pk) * u : (1.0 - u) * pk;
        if (a >= 1.0 || a > Random()) break;
      }
      s += -5.0 + (k + u - 1) * 10.0 / n;
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_RandGenRejectionLoop)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_StdPiecewiseLinear(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<double> x(n + 1), w(n + 1);
  for (std::size_t i = 0; i <= n; ++i) {
    x[i] = -5.0 + 10.0 * static_cast<double>(i) / static_cast<double>(n);
    w[i] = std::exp(-x[i] * x[i] / 2);
  }
  std::piecewise_linear_distribution<double> dist(x.begin(), x.end(), w.begin());
  std::mt19937 gen(1);
  for (auto _ : state) {
    double s = 0.0;
    for (int i = 0; i < kDraws; ++i) s += dist(gen);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_StdPiecewiseLinear)->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);

// --- classifier evaluation ----------------------------------------------------------------------

struct TScores {
  std::vector<double> Truth, Est;
};

TScores MakeScores(std::size_t n) {
  std::mt19937 gen(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  TScores s{std::vector<double>(n), std::vector<double>(n)};
  for (std::size_t i = 0; i < n; ++i) {
    s.Truth[i] = (gen() & 1) ? 1.0 : 0.0;
    s.Est[i] = noise(gen) + s.Truth[i];
  }
  return s;
}

void Load(TCFEvaluator& ev, const TScores& s) {
  ev.SetNData(static_cast<std::int32_t>(s.Truth.size()));
  for (std::size_t i = 0; i < s.Truth.size(); ++i) {
    ev.SetTrueData(static_cast<std::int32_t>(i + 1), s.Truth[i]);
    ev.SetEstimData(static_cast<std::int32_t>(i + 1), s.Est[i]);
  }
}

void BM_OptimizeThresholds(benchmark::State& state) {
  const TScores s = MakeScores(static_cast<std::size_t>(state.range(0)));
  TCFEvaluator ev;
  TDouble2DArray roc;
  std::int32_t best;
  double auc, a, b, c;
  for (auto _ : state) {
    state.PauseTiming();
    Load(ev, s);  // unsorted again
    state.ResumeTiming();
    ev.OptimizeThresholds(roc, best, auc, a, b, c);
    benchmark::DoNotOptimize(auc);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OptimizeThresholds)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_SortEstimated(benchmark::State& state) {
  const TScores s = MakeScores(static_cast<std::size_t>(state.range(0)));
  TCFEvaluator ev;
  for (auto _ : state) {
    state.PauseTiming();
    Load(ev, s);
    state.ResumeTiming();
    ev.SortEstimated();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortEstimated)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The comb sort (gap / 1.3) of the library's other sorts on the same pairs.
void BM_CombSortPairs(benchmark::State& state) {
  const TScores s = MakeScores(static_cast<std::size_t>(state.range(0)));
  std::vector<std::pair<double, double>> p(s.Est.size());
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = {s.Est[i], s.Truth[i]};
    state.ResumeTiming();
    detail::CombSortBy(
        p.size(), p.size() - 1, [&](std::size_t i, std::size_t j) { return p[j].first > p[i].first; },
        [&](std::size_t i, std::size_t j) { std::swap(p[i], p[j]); });
    benchmark::DoNotOptimize(p.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CombSortPairs)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_CalcConfusionMatrix(benchmark::State& state) {
  const TScores s = MakeScores(static_cast<std::size_t>(state.range(0)));
  TCFEvaluator ev;
  Load(ev, s);
  ev.SortEstimated();
  double t = 0.0;
  for (auto _ : state) {
    ev.CalcConfusionMatrix(t);
    t += 1e-9;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CalcConfusionMatrix)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
