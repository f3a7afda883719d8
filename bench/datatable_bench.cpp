// Data table benchmarks: structure operations on 100,000 rows x 50 columns
// (each O(rows x columns)), Serialize of 1000 x 1000 cells, and cell access.
// bench/peers/numpy_table.py times NumPy's insert / delete / copy on the same
// shape for comparison (docs/performance.md).

#include <benchmark/benchmark.h>

#include <cstdint>

#include "kvl/datatable/KVL_datatable.h"

namespace {

using kvl::TDataTable;

constexpr std::int32_t kCols = 50;
constexpr std::int32_t kRows = 100000;

void Fill(TDataTable& t) {
  t.Resize(kCols, kRows);
  t.NumericData->FillSerial(0.0, 1.0);
  t.SetAllCellStates(1);
}

void BM_InsertRow(benchmark::State& state) {
  TDataTable t;
  Fill(t);
  for (auto _ : state) {
    t.InsertRow(kRows / 2);
    state.PauseTiming();
    t.RemoveRow(kRows / 2);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_InsertRow)->Unit(benchmark::kMillisecond);

void BM_RemoveRows(benchmark::State& state) {
  TDataTable t;
  Fill(t);
  for (auto _ : state) {
    benchmark::DoNotOptimize(t.RemoveRows(10, 109));
    state.PauseTiming();
    t.SetNrOfRows(kRows);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_RemoveRows)->Unit(benchmark::kMillisecond);

void BM_RemoveRow(benchmark::State& state) {
  TDataTable t;
  Fill(t);
  for (auto _ : state) {
    t.RemoveRow(kRows / 2);
    state.PauseTiming();
    t.InsertRow(kRows / 2);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_RemoveRow)->Unit(benchmark::kMillisecond);

// A fresh table made a copy of a full one, as a copy of an array makes a new array.
void BM_Clone(benchmark::State& state) {
  TDataTable source;
  Fill(source);
  for (auto _ : state) {
    TDataTable t;
    t.Clone(&source);
    benchmark::DoNotOptimize(t.NumericData->Data().data());
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_Clone)->Unit(benchmark::kMillisecond);

// Clone into a table of the same size: no allocation, only the copies.
void BM_CloneSameSize(benchmark::State& state) {
  TDataTable source;
  Fill(source);
  TDataTable t;
  t.Clone(&source);
  for (auto _ : state) t.Clone(&source);
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_CloneSameSize)->Unit(benchmark::kMillisecond);

void BM_InsertColumn(benchmark::State& state) {
  TDataTable t;
  Fill(t);
  for (auto _ : state) {
    t.InsertColumn(kCols / 2);
    state.PauseTiming();
    t.RemoveColumn(kCols / 2);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_InsertColumn)->Unit(benchmark::kMillisecond);

void BM_Serialize1000x1000(benchmark::State& state) {
  TDataTable source;
  source.Resize(1000, 1000);
  source.NumericData->FillSerial(0.0, 1.0);
  TDataTable t;
  for (auto _ : state) {
    state.PauseTiming();
    t.Clone(&source);
    state.ResumeTiming();
    t.Serialize(true, true);
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_Serialize1000x1000)->Unit(benchmark::kMillisecond);

void BM_ElemReadWrite(benchmark::State& state) {
  TDataTable t;
  t.Resize(kCols, 1000);
  t.SetMScaleType(1, kvl::TMScaleType::stOrdinal);
  for (auto _ : state) {
    double sum = 0.0;
    for (std::int32_t c = 1; c <= kCols; ++c)
      for (std::int32_t r = 1; r <= 1000; ++r) {
        t.SetElem(c, r, r * 0.5);
        sum += t.Elem(c, r);
      }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kCols * 1000);
}
BENCHMARK(BM_ElemReadWrite);

void BM_CRCofCellStates(benchmark::State& state) {
  TDataTable t;
  Fill(t);
  for (auto _ : state) benchmark::DoNotOptimize(t.CRCofCellStates());
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_CRCofCellStates)->Unit(benchmark::kMillisecond);

}  // namespace
