// Data table file benchmarks: storing and loading 100,000 rows x 50 columns
// of random values (17 significant digits, the exact form) in the XML, CSV
// and ASC forms, in memory; throughput is bytes of text per second. Also the
// mean and variance of all num cells (one pass over the column storage).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl/runtime/randgen.h"

namespace {

using kvl::TDataTable;

constexpr std::int32_t kCols = 50;
constexpr std::int32_t kRows = 100000;

TDataTable& Table() {
  static TDataTable t;
  static bool filled = false;
  if (!filled) {
    kvl::RandSeed = 7;
    t.Resize(kCols, kRows);
    double* v = t.NumericData->ColumnView().data();
    for (std::int64_t i = 0; i < std::int64_t{kCols} * kRows; ++i) v[i] = kvl::RandG(0.0, 1000.0);
    for (std::int32_t r = 1; r <= kRows; r += 97) t.SetCellState(1 + r % kCols, r, 2);
    filled = true;
  }
  return t;
}

enum Form { kXML, kCSV, kASC };

std::string Store(TDataTable& t, Form f) {
  std::ostringstream out;
  if (f == kXML) t.WriteToOpenXMLFile(out, true, 17, "");
  if (f == kCSV) t.ExportAsCSV(out, 17, kvl::TCSVDelimiters::csvComma, true, true);
  if (f == kASC) t.ExportAsASC(out, 17);
  return std::move(out).str();
}

bool Load(TDataTable& t, const std::string& text, Form f) {
  if (f == kXML) {
    std::int32_t start = 1;
    return t.ReadFromXMLString(text, start, "");
  }
  if (f == kCSV) {
    std::istringstream in(text);
    return t.ImportFromCSV(in, kvl::TCSVDelimiters::csvComma, 0, 0, true, true) == kRows;
  }
  kvl::TMemoryStream s;
  s.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  s.SetPosition(0);
  return t.ImportASC(s) == 0;
}

void BM_Store(benchmark::State& state) {
  const auto f = static_cast<Form>(state.range(0));
  TDataTable& t = Table();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = Store(t, f);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Store)->Arg(kXML)->Arg(kCSV)->Arg(kASC)->ArgName("xml0_csv1_asc2")->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
  const auto f = static_cast<Form>(state.range(0));
  const std::string text = Store(Table(), f);
  TDataTable u;
  for (auto _ : state)
    if (!Load(u, text, f)) state.SkipWithError("load failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Load)->Arg(kXML)->Arg(kCSV)->Arg(kASC)->ArgName("xml0_csv1_asc2")->Unit(benchmark::kMillisecond);

void BM_MeanVarOfNumCells(benchmark::State& state) {
  TDataTable& t = Table();
  double mean = 0, var = 0;
  for (auto _ : state) benchmark::DoNotOptimize(t.MeanVarOfNumCells(0, 0, 0, 0, mean, var));
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_MeanVarOfNumCells)->Unit(benchmark::kMillisecond);

}  // namespace
