// Agglomerative clustering (AgglomClustering, distance matrix included) and
// k-means (kMeansClustering) on data that the peer script
// bench/peers/cluster_peer.py rebuilds bit for bit (SciPy's linkage and
// scikit-learn's KMeans on the same objects, same initial centres):
//   kvl_bench_cluster --benchmark_filter=Agglom/.*/5000
//   /usr/bin/python3 bench/peers/cluster_peer.py
// The counters "check" (sum of the merge distances; the k-means objective)
// and "passes" are printed by the peer too, to show both did the same work.
// n = 20000 (a 3.2 GB distance matrix) runs only when asked for:
//   KVL_BENCH_CLUSTER_LARGE=1 kvl_bench_cluster --benchmark_filter=Agglom/.*/20000

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"

namespace {

/// Uniform: value k of a counter-based stream in [0, 1): splitmix64 of k,
/// top 53 bits (the peer computes the same with NumPy's uint64 arithmetic).
double Uniform(std::uint64_t k) {
  std::uint64_t z = (k + 1) * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

constexpr std::uint64_t kCentreStream = 1ull << 40;
constexpr std::uint64_t kBlobStream = 1ull << 41;

/// UniformObjects: n objects x p variables, object i variable c = U(i·p + c).
void UniformObjects(kvl::TMatrix& m, std::int32_t n, std::int32_t p) {
  m.Resize(p, n);
  kvl::TColumnView<double> cv = m.ColumnView();
  for (std::int32_t i = 0; i < n; ++i)
    for (std::int32_t c = 0; c < p; ++c)
      cv[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
          Uniform(static_cast<std::uint64_t>(i) * static_cast<std::uint64_t>(p) + static_cast<std::uint64_t>(c));
}

/// BlobObjects: K overlapping blobs: centre j variable c = 10·U(2^40 + j·p +
/// c); object i lies in blob splitmix(2^41 + i) mod K at the centre plus
/// 8·(U(i·p + c) − 0.5).
void BlobObjects(kvl::TMatrix& m, std::int32_t n, std::int32_t p, std::int32_t K) {
  UniformObjects(m, n, p);
  kvl::TColumnView<double> cv = m.ColumnView();
  const auto P = static_cast<std::uint64_t>(p);
  for (std::int32_t i = 0; i < n; ++i) {
    const auto blob = static_cast<std::uint64_t>(Uniform(kBlobStream + static_cast<std::uint64_t>(i)) * K);
    for (std::int32_t c = 0; c < p; ++c) {
      double& v = cv[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
      v = 10.0 * Uniform(kCentreStream + blob * P + static_cast<std::uint64_t>(c)) + 8.0 * (v - 0.5);
    }
  }
}

constexpr std::int32_t kVariables = 10;

void BM_Agglom(benchmark::State& state) {
  const auto method = static_cast<kvl::TClusterMethod>(state.range(0));
  const auto n = static_cast<std::int32_t>(state.range(1));
  // SciPy's Ward runs on Euclidean distances and squares them inside; ours
  // applies its update to the distances it gets, so it gets squared ones.
  const kvl::TDistMode mode =
      method == kvl::TClusterMethod::cmWard ? kvl::TDistMode::dmEuclidSqr : kvl::TDistMode::dmEuclid;
  kvl::TMatrix data;
  UniformObjects(data, n, kVariables);
  kvl::TIntMatrix tree;
  kvl::TVector dist, pos;
  double check = 0.0;
  for (auto _ : state) {
    if (kvl::AgglomClustering(nullptr, data, mode, method, 0.0, tree, dist, pos) != 0) state.SkipWithError("aborted");
    check = 0.0;
    for (std::int32_t s = 1; s < n; ++s) check += dist.Elem(s);
  }
  state.counters["check"] = check;
  state.SetLabel(std::string(kvl::ClusterMethodID[static_cast<std::size_t>(method)]));
}
// single, complete, UPGMA (SciPy's average), Ward
BENCHMARK(BM_Agglom)
    ->ArgsProduct({{0, 1, 5, 2}, {5000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
// The large case only with KVL_BENCH_CLUSTER_LARGE set in the environment.
const bool kLargeRegistered = [] {
  if (std::getenv("KVL_BENCH_CLUSTER_LARGE") == nullptr) return false;
  for (const int method : {0, 1, 5, 2})
    benchmark::RegisterBenchmark("BM_Agglom", BM_Agglom)
        ->Args({method, 20000})
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
  return true;
}();

void BM_KMeans(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  constexpr std::int32_t K = 20;
  kvl::TMatrix data;
  BlobObjects(data, n, kVariables, K);
  kvl::TMatrix centres;
  kvl::TIntVector assign, sizes;
  double sum = 0.0, passes = 0.0;
  for (auto _ : state) {
    kvl::ProcStat = 0.0;
    sum = kvl::kMeansClustering(data, 0, 0, K, 0, centres, assign, sizes);  // seeds: rows 1..K
    passes = kvl::ProcStat;
  }
  state.counters["check"] = sum;
  state.counters["passes"] = passes;
}
BENCHMARK(BM_KMeans)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
