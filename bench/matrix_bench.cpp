// Speed of the matrix numerics: the products, the inversion, the
// determinant and the LU decomposition of 1000 x 1000 matrices, the
// matrix-vector product, the spectral norm, the Gram product Square of 4000
// rows x 1000 columns on 1 and 2 threads, and the distance matrix of 2000
// objects x 50 features. Peers: peers_blas_bench.

#include <benchmark/benchmark.h>

#include <random>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"

namespace {

void FillRandom(kvl::TMatrix& m, std::int32_t cols, std::int32_t rows, unsigned seed) {
  m.Resize(cols, rows);
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  double* cells = m.ColumnView().data();
  for (std::size_t i = 0; i < m.Data().size(); ++i) cells[i] = dist(gen);
}

void SetFlops(benchmark::State& state, double flops) {
  state.counters["GFlop/s"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
}

// A product of two n x n matrices (argument n) by the callable Product.
template <class F>
void BM_Product(benchmark::State& state, F Product) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a, b, c;
  FillRandom(a, n, n, 1);
  FillRandom(b, n, n, 2);
  for (auto _ : state) benchmark::DoNotOptimize(Product(a, b, c));
  SetFlops(state, 2.0 * n * n * static_cast<double>(n));
}
BENCHMARK_CAPTURE(BM_Product, Multiply, [](kvl::TMatrix& a, kvl::TMatrix& b, kvl::TMatrix& c) {
  return a.Multiply(&b, &c);
})->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Product, TransposeAndMultiply, [](kvl::TMatrix& a, kvl::TMatrix& b, kvl::TMatrix& c) {
  return a.TransposeAndMultiply(&b, &c);
})->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Product, MultiplyTransposed, [](kvl::TMatrix& a, kvl::TMatrix& b, kvl::TMatrix& c) {
  return a.MultiplyTransposed(&b, &c);
})->Arg(1000)->Unit(benchmark::kMillisecond);

// Square of 4000 rows x 1000 columns; the argument is the thread count.
void BM_Square(benchmark::State& state) {
  const auto threads = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a, g;
  FillRandom(a, 1000, 4000, 5);
  for (auto _ : state) benchmark::DoNotOptimize(a.Square(&g, 1.0, threads));
  SetFlops(state, 1000.0 * 1000.0 * 4000.0);  // n²·rows/2 multiply-adds
}
BENCHMARK(BM_Square)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Invert(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a, work;
  FillRandom(a, n, n, 6);
  for (auto _ : state) {
    state.PauseTiming();
    work.Assign(&a);
    state.ResumeTiming();
    if (!work.Invert()) state.SkipWithError("singular");
  }
  SetFlops(state, 2.0 * n * n * static_cast<double>(n));
}
BENCHMARK(BM_Invert)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Determinant(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a;
  FillRandom(a, n, n, 6);
  for (auto _ : state) benchmark::DoNotOptimize(a.Determinant());
  SetFlops(state, 2.0 / 3.0 * n * n * static_cast<double>(n));
}
BENCHMARK(BM_Determinant)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LUdecomposition(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a, l, u;
  FillRandom(a, n, n, 6);
  for (auto _ : state) benchmark::DoNotOptimize(a.LUdecomposition(&l, &u));
  SetFlops(state, 2.0 / 3.0 * n * n * static_cast<double>(n));
}
BENCHMARK(BM_LUdecomposition)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_MultiplyVector(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a;
  FillRandom(a, n, n, 8);
  kvl::TVector x, y;
  x.Resize(n);
  for (std::int32_t i = 1; i <= n; ++i) x.SetVal(i, 1.0 / i);
  for (auto _ : state) benchmark::DoNotOptimize(a.Multiply(&x, &y));
}
BENCHMARK(BM_MultiplyVector)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The spectral norm (largest singular value) of a square matrix.
void BM_SpectralNorm(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  kvl::TMatrix a;
  FillRandom(a, n, n, 9);
  for (auto _ : state) benchmark::DoNotOptimize(a.Norm(kvl::TNormType::ntSpectral));
}
BENCHMARK(BM_SpectralNorm)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// CalcDistMat of 2000 objects (rows) x 50 features (columns).
void BM_CalcDistMat(benchmark::State& state) {
  kvl::TMatrix a, d;
  FillRandom(a, 50, 2000, 7);
  d.Resize(2000, 2000);
  const auto mode = static_cast<kvl::TDistMode>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(a.CalcDistMat(mode, &d));
}
BENCHMARK(BM_CalcDistMat)
    ->Arg(static_cast<int>(kvl::TDistMode::dmEuclid))
    ->Arg(static_cast<int>(kvl::TDistMode::dmTanimoto))
    ->Unit(benchmark::kMillisecond);

// Resize of 50 columns x 100,000 rows by one row (every column moves) and
// by one column (the block only grows), each undone outside the timing.
void BM_ResizeByOne(benchmark::State& state) {
  constexpr std::int32_t kCols = 50;
  constexpr std::int32_t kRows = 100000;
  const bool byRow = state.range(0) == 0;
  kvl::TMatrix m;
  FillRandom(m, kCols, kRows, 3);
  for (auto _ : state) {
    m.Resize(kCols + (byRow ? 0 : 1), kRows + (byRow ? 1 : 0));
    state.PauseTiming();
    m.Resize(kCols, kRows);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{kCols} * kRows);
}
BENCHMARK(BM_ResizeByOne)->Arg(0)->Arg(1)->ArgName("byColumn")->Unit(benchmark::kMillisecond);

}  // namespace
