// Speed of the vector's files and order statistics on 1,000,000 values:
// ImportASC (goal: at least 50 MB/s of ASC text), StoreOnFile and
// LoadFromFile, SortElems, Quartiles and Percentile (goal: one sort of a
// copy at most).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/randgen.h"

namespace {

constexpr std::int32_t kCount = 1'000'000;

std::string TempPath(const char* Name) {
  return (std::filesystem::temp_directory_path() / Name).string();
}

// A vector of kCount Gaussian measurements around 25 (reproducible).
void FillMeasurements(kvl::TVector& v) {
  kvl::RandSeed = 42;
  v.Resize(kCount);
  v.FillRandomGauss(25.0, 0.01);
}

void BM_ImportASC(benchmark::State& state) {
  const std::string path = TempPath("kvl_bench_import.asc");
  {
    kvl::TVector v;
    FillMeasurements(v);
    v.ExportAsASC(path, 6, "");
  }
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  kvl::TVector v;
  std::string comment;
  for (auto _ : state)
    if (v.ImportASC(path, comment) != 0) state.SkipWithError("import failed");
  state.SetBytesProcessed(state.iterations() * bytes);
  std::remove(path.c_str());
}
BENCHMARK(BM_ImportASC)->Unit(benchmark::kMillisecond);

void BM_StoreOnFile(benchmark::State& state) {
  const std::string path = TempPath("kvl_bench_store.txt");
  kvl::TVector v;
  FillMeasurements(v);
  for (auto _ : state)
    if (!v.StoreOnFile(0, 0, 6, path)) state.SkipWithError("store failed");
  state.SetItemsProcessed(state.iterations() * kCount);
  std::remove(path.c_str());
}
BENCHMARK(BM_StoreOnFile)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile(benchmark::State& state) {
  const std::string path = TempPath("kvl_bench_load.txt");
  kvl::TVector v;
  FillMeasurements(v);
  v.StoreOnFile(0, 0, 6, path);
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  for (auto _ : state)
    if (!v.LoadFromFile(path, true)) state.SkipWithError("load failed");
  state.SetBytesProcessed(state.iterations() * bytes);
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

void BM_SortElems(benchmark::State& state) {
  kvl::TVector data, v;
  FillMeasurements(data);
  for (auto _ : state) {
    state.PauseTiming();
    v.Assign(&data);
    state.ResumeTiming();
    v.SortElems(true, 0, 0);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_SortElems)->Unit(benchmark::kMillisecond);

// The order statistics on 10^7 uniform values, beside numpy.percentile
// (bench/peers/percentile_numpy.py): goal at least numpy's speed.
constexpr std::int32_t kTenMillion = 10'000'000;

void FillUniform(kvl::TVector& v) {
  kvl::RandSeed = 1;
  v.Resize(kTenMillion);
  for (std::int32_t i = 1; i <= kTenMillion; ++i) v.SetVal(i, kvl::Random());
}

template <void (*Fill)(kvl::TVector&)>
void VectorQuartiles(benchmark::State& state) {
  kvl::TVector v;
  Fill(v);
  double q1 = 0, q2 = 0, q3 = 0;
  for (auto _ : state) {
    v.Quartiles(0, 0, q1, q2, q3);
    benchmark::DoNotOptimize(q2);
  }
  state.SetItemsProcessed(state.iterations() * v.NrOfElem());
}
BENCHMARK(VectorQuartiles<FillMeasurements>)->Name("BM_Quartiles")->Unit(benchmark::kMillisecond);
BENCHMARK(VectorQuartiles<FillUniform>)->Name("BM_Quartiles10M")->Unit(benchmark::kMillisecond);

template <void (*Fill)(kvl::TVector&)>
void VectorPercentile(benchmark::State& state) {
  kvl::TVector v;
  Fill(v);
  for (auto _ : state) benchmark::DoNotOptimize(v.Percentile(95.0, 0, 0));
  state.SetItemsProcessed(state.iterations() * v.NrOfElem());
}
BENCHMARK(VectorPercentile<FillMeasurements>)->Name("BM_Percentile")->Unit(benchmark::kMillisecond);
BENCHMARK(VectorPercentile<FillUniform>)->Name("BM_Percentile10M")->Unit(benchmark::kMillisecond);

// The same 10^7 values as a 1000 x 10000 matrix.
void FillUniform(kvl::TMatrix& m) {
  kvl::TVector v;
  FillUniform(v);
  m.Resize(1000, 10000);
  for (std::int32_t i = 1; i <= kTenMillion; ++i)
    m.SetVal((i - 1) / 10000 + 1, (i - 1) % 10000 + 1, v.GetVal(i));
}

void BM_MatrixQuartiles10M(benchmark::State& state) {
  kvl::TMatrix m;
  FillUniform(m);
  double q1 = 0, q2 = 0, q3 = 0;
  for (auto _ : state) {
    m.Quartiles(0, 0, 0, 0, q1, q2, q3);
    benchmark::DoNotOptimize(q2);
  }
}
BENCHMARK(BM_MatrixQuartiles10M)->Unit(benchmark::kMillisecond);

void BM_MatrixPercentile10M(benchmark::State& state) {
  kvl::TMatrix m;
  FillUniform(m);
  for (auto _ : state) benchmark::DoNotOptimize(m.Percentile(95.0, 0, 0, 0, 0));
}
BENCHMARK(BM_MatrixPercentile10M)->Unit(benchmark::kMillisecond);

}  // namespace
