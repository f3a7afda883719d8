// Speed of reading the ASC column text: TVector::ImportASC and ReadASCColumn
// on 2,000,000 values as ExportAsASC writes them (strff(x, 12, 6), one per
// line, about 13 bytes a value), beside the peer: a bare std::from_chars
// loop over the same file (read whole, white space skipped, every number
// converted and summed) that does none of the checks of the format.
// Goal: ImportASC at least 600 MB/s, one conversion per value.

#include <benchmark/benchmark.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/asc_format.h"
#include "kvl/runtime/randgen.h"

namespace {

constexpr std::int32_t kCount = 2'000'000;

// The sample file, written once: Gaussian values around 25 with a missing
// value now and then.
const std::string& SamplePath() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "kvl_bench_asc_read.asc").string();
    kvl::RandSeed = 7;
    kvl::TVector v;
    v.Resize(kCount);
    v.FillRandomGauss(25.0, 0.01);
    for (std::int32_t i = 1000; i <= kCount; i += 1000) v.SetVal(i, std::numeric_limits<double>::quiet_NaN());
    v.ExportAsASC(p, 6, "");
    return p;
  }();
  return path;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(SamplePath())));
}

void BM_ImportASC(benchmark::State& state) {
  const std::string& path = SamplePath();  // written before the timing starts
  kvl::TVector v;
  std::string comment;
  for (auto _ : state) {
    if (v.ImportASC(path, comment) != 0) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(v.GetVal(kCount));
  }
  SetBytes(state);
}
BENCHMARK(BM_ImportASC)->Unit(benchmark::kMillisecond);

void BM_ReadASCColumn(benchmark::State& state) {
  const std::string& path = SamplePath();
  kvl::TASCColumn column;
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    if (kvl::ReadASCColumn(in, column) != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(column.Values.data());
  }
  SetBytes(state);
}
BENCHMARK(BM_ReadASCColumn)->Unit(benchmark::kMillisecond);

// The peer: the file read whole, then white space skipped and each number
// converted by std::from_chars; a word that does not convert is passed over.
void BM_BareFromChars(benchmark::State& state) {
  const std::string& path = SamplePath();
  const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
  std::string text(size, '\0');
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    in.read(text.data(), static_cast<std::streamsize>(size));
    const char* p = text.data();
    const char* end = p + text.size();
    for (int lines = 0; p < end && lines < 4; ++p) lines += *p == '\n';  // the header
    double sum = 0;
    while (p < end) {
      while (p < end && (*p == ' ' || *p == '\n')) ++p;
      double x = 0;
      const auto [q, ec] = std::from_chars(p, end, x);
      if (ec == std::errc()) sum += x;
      p = q == p ? p + 1 : q;
    }
    benchmark::DoNotOptimize(sum);
  }
  SetBytes(state);
}
BENCHMARK(BM_BareFromChars)->Unit(benchmark::kMillisecond);

}  // namespace
