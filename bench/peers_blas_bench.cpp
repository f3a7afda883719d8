// The peers of the matrix products and decompositions: OpenBLAS (dgemm) and
// its LAPACK through LAPACKE (dgetrf, dgetri, dsyevd, values-only dgesvd),
// on one thread, with the sizes of matrix_bench, arrays_linalg_bench and
// svd_bench. The OpenBLAS core in use is printed as the context "core".

#include <benchmark/benchmark.h>
#include <cblas.h>
#include <lapacke.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<double> Random(std::size_t count, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> v(count);
  for (double& x : v) x = dist(gen);
  return v;
}

void SetFlops(benchmark::State& state, double flops) {
  state.counters["GFlop/s"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
}

const bool Setup = [] {
  openblas_set_num_threads(1);
  benchmark::AddCustomContext("core", openblas_get_corename());
  return true;
}();

// dgemm of two n x n matrices, column-major; TransA/TransB as the arguments.
void BM_Dgemm(benchmark::State& state, CBLAS_TRANSPOSE ta, CBLAS_TRANSPOSE tb) {
  const auto n = static_cast<int>(state.range(0));
  const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::vector<double> a = Random(nn, 1), b = Random(nn, 2);
  std::vector<double> c(nn);
  for (auto _ : state) {
    cblas_dgemm(CblasColMajor, ta, tb, n, n, n, 1.0, a.data(), n, b.data(), n, 0.0, c.data(), n);
    benchmark::DoNotOptimize(c.data());
  }
  SetFlops(state, 2.0 * n * n * static_cast<double>(n));
}
BENCHMARK_CAPTURE(BM_Dgemm, NN, CblasNoTrans, CblasNoTrans)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Dgemm, TN, CblasTrans, CblasNoTrans)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Dgemm, NT, CblasNoTrans, CblasTrans)->Arg(1000)->Unit(benchmark::kMillisecond);

// dsyrk of 4000 rows x 1000 columns: the peer of Square.
void BM_Dsyrk(benchmark::State& state) {
  const std::vector<double> a = Random(4000 * 1000, 5);
  std::vector<double> c(1000 * 1000);
  for (auto _ : state) {
    cblas_dsyrk(CblasColMajor, CblasUpper, CblasTrans, 1000, 4000, 1.0, a.data(), 4000, 0.0, c.data(), 1000);
    benchmark::DoNotOptimize(c.data());
  }
  SetFlops(state, 1000.0 * 1000.0 * 4000.0);
}
BENCHMARK(BM_Dsyrk)->Unit(benchmark::kMillisecond);

void BM_Dgemv(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  const std::vector<double> a = Random(static_cast<std::size_t>(n) * n, 1), x = Random(n, 2);
  std::vector<double> y(n);
  for (auto _ : state) {
    cblas_dgemv(CblasColMajor, CblasNoTrans, n, n, 1.0, a.data(), n, x.data(), 1, 0.0, y.data(), 1);
    benchmark::DoNotOptimize(y.data());
  }
}
BENCHMARK(BM_Dgemv)->Arg(1000)->Unit(benchmark::kMicrosecond);

// dgetrf, and dgetrf + dgetri (the inverse), of an n x n matrix.
void BM_Dgetrf(benchmark::State& state, bool Invert) {
  const auto n = static_cast<int>(state.range(0));
  const std::vector<double> a0 = Random(static_cast<std::size_t>(n) * n, 6);
  std::vector<double> a(a0.size());
  std::vector<lapack_int> piv(n);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(a0.begin(), a0.end(), a.begin());
    state.ResumeTiming();
    LAPACKE_dgetrf(LAPACK_COL_MAJOR, n, n, a.data(), n, piv.data());
    if (Invert) LAPACKE_dgetri(LAPACK_COL_MAJOR, n, a.data(), n, piv.data());
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK_CAPTURE(BM_Dgetrf, LU, false)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Dgetrf, Inverse, true)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// dsyevd (values and vectors) of a symmetric n x n matrix.
void BM_Dsyevd(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::vector<double> s = Random(static_cast<std::size_t>(n) * n, 8);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < c; ++r) s[static_cast<std::size_t>(c) * n + r] = s[static_cast<std::size_t>(r) * n + c];
  std::vector<double> a(s.size()), w(n);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(s.begin(), s.end(), a.begin());
    state.ResumeTiming();
    LAPACKE_dsyevd(LAPACK_COL_MAJOR, 'V', 'U', n, a.data(), n, w.data());
    benchmark::DoNotOptimize(w.data());
  }
}
BENCHMARK(BM_Dsyevd)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// dgesvd of an m x n matrix, singular values only (the peer of the spectral
// norm) and with both sets of vectors (the peer of SvdDecompose).
void BM_Dgesvd(benchmark::State& state, bool Vectors) {
  const auto m = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<double> a0 = Random(static_cast<std::size_t>(m) * n, 9);
  std::vector<double> a(a0.size()), s(n), u(Vectors ? static_cast<std::size_t>(m) * n : 1),
      vt(Vectors ? static_cast<std::size_t>(n) * n : 1), superb(n);
  const char job = Vectors ? 'S' : 'N';
  for (auto _ : state) {
    std::copy(a0.begin(), a0.end(), a.begin());
    LAPACKE_dgesvd(LAPACK_COL_MAJOR, job, job, m, n, a.data(), m, s.data(), u.data(), Vectors ? m : 1, vt.data(),
                   Vectors ? n : 1, superb.data());
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK_CAPTURE(BM_Dgesvd, ValuesOnly, false)->Args({500, 500})->Args({1000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Dgesvd, Vectors, true)->Args({200, 200})->Args({500, 300})->Unit(benchmark::kMillisecond);

}  // namespace
