// TMemBasedLearner: probes per second over 10^5 training objects of 20
// independent variables (uniform in [-1, 1), the worst case for leaving
// blocks early), one probe per ApplyModel call, for each distance and for
// the Gauss-weighted model (which needs every distance for its spread).
// bench/peers/knn_peer.py times scikit-learn's brute-force search on the
// same sizes.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "kvl/learning/KVL_membl.h"

namespace {

constexpr std::int32_t kObjects = 100000;
constexpr std::int32_t kVars = 20;

// Model: the shared learner (built once; the search data follows on the first probe).
kvl::TMemBasedLearner& Model() {
  static kvl::TMemBasedLearner* mbl = [] {
    auto* m = new kvl::TMemBasedLearner;
    kvl::TDataTable& t = *m->ModelData;
    t.Resize(kVars + 1, kObjects);
    std::mt19937 gen(1);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (std::int32_t j = 1; j <= kObjects; ++j) {
      double y = 0;
      for (std::int32_t c = 1; c <= kVars; ++c) {
        const double x = u(gen);
        t.SetElem(c, j, x);
        y += c * x;
      }
      t.SetElem(kVars + 1, j, y);
    }
    m->SetAllVars(kvl::TMBLVarType::mblVarIndep);
    m->SetVarType(kVars + 1, kvl::TMBLVarType::mblVarTarget);
    return m;
  }();
  return *mbl;
}

std::vector<std::vector<double>> Probes(std::size_t n) {
  std::mt19937 gen(2);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<std::vector<double>> p(n, std::vector<double>(kVars + 1));
  for (auto& v : p)
    for (double& x : v) x = u(gen);
  return p;
}

void BM_ApplyModel(benchmark::State& state) {
  kvl::TMemBasedLearner& mbl = Model();
  mbl.SetDistMode(static_cast<kvl::TMBLDistMode>(state.range(0)));
  mbl.SetLocalModel(static_cast<kvl::TMBLLocalModel>(state.range(1)));
  mbl.SetNumNearestNb(static_cast<std::int32_t>(state.range(2)));
  const auto probes = Probes(256);
  std::vector<double> s;
  s = probes[0];
  mbl.ApplyModel(s, 0, 0);  // builds the search data outside the timing
  std::size_t i = 0;
  for (auto _ : state) {
    s = probes[i++ % probes.size()];
    benchmark::DoNotOptimize(mbl.ApplyModel(s, 0, 0));
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::string(kvl::MBLDistModeID[static_cast<std::size_t>(state.range(0))]) + " " +
                 std::string(kvl::MBLLocalModelID[static_cast<std::size_t>(state.range(1))]) + " k=" +
                 std::to_string(state.range(2)));
}
BENCHMARK(BM_ApplyModel)
    ->Args({0, 0, 5})
    ->Args({0, 0, 1})
    ->Args({1, 0, 5})
    ->Args({2, 0, 5})
    ->Args({0, 1, 5})
    ->Unit(benchmark::kMicrosecond);

// The first probe after a change: scaling, packing (and whitening) the table.
void BM_BuildSearchData(benchmark::State& state) {
  kvl::TMemBasedLearner& mbl = Model();
  mbl.SetNumNearestNb(5);
  mbl.SetLocalModel(kvl::TMBLLocalModel::mblLMAverage);
  const auto probes = Probes(1);
  for (auto _ : state) {
    mbl.SetDistMode(kvl::TMBLDistMode::mblDistManhattan);
    mbl.SetDistMode(static_cast<kvl::TMBLDistMode>(state.range(0)));
    std::vector<double> s = probes[0];
    benchmark::DoNotOptimize(mbl.ApplyModel(s, 0, 0));
  }
}
BENCHMARK(BM_BuildSearchData)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
