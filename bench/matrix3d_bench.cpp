// Speed of the integer, sparse and four-dimensional matrices:
//  - sparse TIntMatrix inserts in random order (goal: O(n log n) in total,
//    so the time per insert grows like log n from 10^4 to 10^6 entries);
//  - TMat4D::ReadBinary and ReadLayer streaming a 1 GB file from the page
//    cache (goal: at least 500 MB/s, constant memory); the file is built in
//    the temporary directory and deleted when the program ends;
//  - the four layer reductions on 1 and 2 threads (goal on an idle machine:
//    2 threads at least 1.6x the speed of 1).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/runtime/randgen.h"

namespace {

void BM_SparseRandomInserts(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  std::mt19937 gen(3);
  std::vector<std::pair<std::int32_t, std::int32_t>> cells(static_cast<std::size_t>(n));
  for (auto& [c, r] : cells) c = static_cast<std::int32_t>(gen() % 100000) + 1, r = static_cast<std::int32_t>(gen() % 100000) + 1;
  for (auto _ : state) {
    std::unique_ptr<kvl::TIntMatrix> m(kvl::TIntMatrix::CreateSparse(nullptr, 1024));
    for (const auto& [c, r] : cells) m->SetVal(c, r, 1);
    benchmark::DoNotOptimize(m->GetVal(cells[0].first, cells[0].second));
  }
  state.counters["inserts_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SparseRandomInserts)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// --- the 1 GB four-dimensional file ---------------------------------------------------------

constexpr std::int32_t kC = 512, kR = 512, kL = 4, kT = 128;  // 2^27 values, 1 GiB

/// TBigFile: the file, written once on first use and removed at exit.
struct TBigFile {
  std::string Path = (std::filesystem::temp_directory_path() / "kvl_bench_mat4d_1g.bin").string();
  TBigFile() {
    std::string head(4096, '\0');
    const std::int32_t dims[4] = {kC, kR, kL, kT};
    std::memcpy(head.data(), dims, 16);
    const std::int32_t format = 1;
    std::memcpy(head.data() + 272, &format, 4);
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out.write(head.data(), 4096);
    std::vector<double> slot(static_cast<std::size_t>(kC) * kR * kL);
    for (std::int32_t t = 0; t < kT; ++t) {
      std::iota(slot.begin(), slot.end(), static_cast<double>(t));
      out.write(reinterpret_cast<const char*>(slot.data()), static_cast<std::streamsize>(slot.size() * 8));
    }
  }
  ~TBigFile() { std::remove(Path.c_str()); }
};

const TBigFile& BigFile() {
  static TBigFile file;
  return file;
}

void BM_ReadBinary1GB(benchmark::State& state) {
  const std::string& path = BigFile().Path;
  kvl::TMat4D m;
  double sum = 0;
  m.OnReadElement = [&sum](kvl::TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, double v) { sum += v; };
  for (auto _ : state) benchmark::DoNotOptimize(m.ReadBinary(path, 0, 0));
  benchmark::DoNotOptimize(sum);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kC * kR * kL * kT * 8);
}
BENCHMARK(BM_ReadBinary1GB)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Read4DLayerAllOf1GB(benchmark::State& state) {
  const std::string& path = BigFile().Path;
  kvl::TDouble2DArray sum(kC, std::vector<double>(kR, 0.0));
  for (auto _ : state)
    for (std::int32_t t = 1; t <= kT; ++t)
      for (std::int32_t l = 1; l <= kL; ++l) benchmark::DoNotOptimize(kvl::Read4DLayerAndAccumulate(path, l, t, sum));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kC * kR * kL * kT * 8);
}
BENCHMARK(BM_Read4DLayerAllOf1GB)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReadLayer(benchmark::State& state) {
  const std::string& path = BigFile().Path;
  kvl::TMat4D m;
  m.Resize(kC, kR, kL, 2);
  for (auto _ : state)
    for (std::int32_t l = 1; l <= kL; ++l) benchmark::DoNotOptimize(m.ReadLayer(path, l, 2));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kC * kR * kL * 8);
}
BENCHMARK(BM_ReadLayer)->Unit(benchmark::kMillisecond);

// --- reductions ---------------------------------------------------------------------------

kvl::TMat4D& Stack() {
  static kvl::TMat4D m;
  if (m.NrOfColumns() == 1) {
    kvl::RandSeed = 1;
    m.Resize(512, 512, 4, 10);  // 80 MiB
    m.FillRandomUniform(0.0, 1.0);
  }
  return m;
}

void BM_StdDevOfLayers(benchmark::State& state) {
  kvl::TMat4D& m = Stack();
  kvl::TMatrix dest;
  for (auto _ : state) m.StdDevOfLayersToMatrix(&dest, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::int32_t>(state.range(0)));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 512 * 512 * 4 * 10 * 8);
}
BENCHMARK(BM_StdDevOfLayers)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MeanOfLayers(benchmark::State& state) {
  kvl::TMat4D& m = Stack();
  kvl::TMatrix dest;
  for (auto _ : state) m.MeanOfLayersToMatrix(&dest, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::int32_t>(state.range(0)));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 512 * 512 * 4 * 10 * 8);
}
BENCHMARK(BM_MeanOfLayers)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
