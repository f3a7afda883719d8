// Jacobi eigen analysis (CalcEigVec) and SVD least squares (SvdLeastSquares
// on a TMatrix design) of the modelling unit, with LAPACK's dsyevd and dgelsd
// beside them on the same data when the bench is built with OpenBLAS and
// LAPACKE (KVL_BENCH_LAPACKE; the peer runs on one thread, its core printed
// as the context "core").

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl/runtime/randgen.h"

#if KVL_BENCH_LAPACKE
#include <cblas.h>
#include <lapacke.h>
#endif

namespace {

/// Random: count values uniform in [-0.5, 0.5) from the library's generator.
std::vector<double> Random(std::size_t count, std::int32_t seed) {
  kvl::RandSeed = seed;
  std::vector<double> v(count);
  for (double& x : v) x = kvl::Random() - 0.5;
  return v;
}

/// Symmetric: a random symmetric n x n matrix, column-major.
std::vector<double> Symmetric(int n) {
  std::vector<double> s = Random(static_cast<std::size_t>(n) * n, 8);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < c; ++r)
      s[static_cast<std::size_t>(c) * n + r] = s[static_cast<std::size_t>(r) * n + c];
  return s;
}

void BM_CalcEigVec(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  const std::vector<double> s = Symmetric(n);
  kvl::TMatrix a;
  a.Resize(n, n);
  std::copy(s.begin(), s.end(), a.ColumnView().data());
  double sweeps = 0.0;
  for (auto _ : state) {
    kvl::ProcStat = 0.0;
    if (!kvl::CalcEigVec(a)) state.SkipWithError("no convergence");
    sweeps = kvl::ProcStat / (0.5 * n * (n - 1));
    benchmark::DoNotOptimize(kvl::GetEigenResult(1, 0));
  }
  state.counters["sweeps"] = sweeps;
  kvl::RemoveEigenMatrix();
}
BENCHMARK(BM_CalcEigVec)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SvdLeastSquares(benchmark::State& state) {
  const auto m = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<double> x = Random(static_cast<std::size_t>(m) * n, 9),
                            y = Random(static_cast<std::size_t>(m), 10);
  kvl::TMatrix a;
  a.Resize(n, m);
  std::copy(x.begin(), x.end(), a.ColumnView().data());
  kvl::TVector b, coef;
  b.Resize(m);
  b.CopyFrom(std::span<const double>(y), 0, m - 1, 1);
  bool nearSingular = false;
  for (auto _ : state) {
    if (!kvl::SvdLeastSquares(a, b, coef, nearSingular)) state.SkipWithError("failed");
    benchmark::DoNotOptimize(coef.Data().data());
  }
}
BENCHMARK(BM_SvdLeastSquares)->Args({10000, 50})->Args({2000, 500})->Unit(benchmark::kMillisecond);

#if KVL_BENCH_LAPACKE

const bool Setup = [] {
  openblas_set_num_threads(1);
  benchmark::AddCustomContext("core", openblas_get_corename());
  return true;
}();

// dsyevd, values and vectors (the copy of the input is not timed).
void BM_Dsyevd(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  const std::vector<double> s = Symmetric(n);
  std::vector<double> a(s.size()), w(static_cast<std::size_t>(n));
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(s.begin(), s.end(), a.begin());
    state.ResumeTiming();
    if (LAPACKE_dsyevd(LAPACK_COL_MAJOR, 'V', 'U', n, a.data(), n, w.data()) != 0)
      state.SkipWithError("failed");
    benchmark::DoNotOptimize(w.data());
  }
}
BENCHMARK(BM_Dsyevd)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// dgelsd with the same 1e-14 cut as SvdLeastSquares; the copy of the design
// (which dgelsd overwrites) is timed, as SvdLeastSquares times its own copy.
void BM_Dgelsd(benchmark::State& state) {
  const auto m = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<double> x = Random(static_cast<std::size_t>(m) * n, 9),
                            y = Random(static_cast<std::size_t>(m), 10);
  std::vector<double> a(x.size()), b(static_cast<std::size_t>(std::max(m, n))),
      s(static_cast<std::size_t>(n));
  lapack_int rank = 0;
  for (auto _ : state) {
    std::copy(x.begin(), x.end(), a.begin());
    std::copy(y.begin(), y.end(), b.begin());
    if (LAPACKE_dgelsd(LAPACK_COL_MAJOR, m, n, 1, a.data(), m, b.data(), std::max(m, n), s.data(), 1e-14,
                       &rank) != 0)
      state.SkipWithError("failed");
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_Dgelsd)->Args({10000, 50})->Args({2000, 500})->Unit(benchmark::kMillisecond);

#endif

}  // namespace
