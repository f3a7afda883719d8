#pragma once
// Shared by the singular value tests: small column-major matrices, running
// a decomposition, and the residuals that judge one.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl::test {

/// TDense: an m x n matrix stored column after column.
struct TDense {
  std::size_t m = 0, n = 0;
  std::vector<double> d;

  TDense() = default;
  TDense(std::size_t Rows, std::size_t Cols) : m(Rows), n(Cols), d(Rows * Cols, 0.0) {}
  double& operator()(std::size_t r, std::size_t c) { return d[c * m + r]; }
  double operator()(std::size_t r, std::size_t c) const { return d[c * m + r]; }
  TColumnView<double> View() { return {d.data(), n, m}; }
  TDouble2DArray Nested() const {
    TDouble2DArray a(n);
    for (std::size_t c = 0; c < n; ++c) a[c].assign(d.begin() + c * m, d.begin() + (c + 1) * m);
    return a;
  }
  double MaxAbs() const {
    double x = 0.0;
    for (double v : d) x = std::max(x, std::fabs(v));
    return x;
  }
};

/// Columns: a matrix from its columns.
inline TDense Columns(std::initializer_list<std::initializer_list<double>> Cols) {
  TDense a(Cols.size() ? Cols.begin()->size() : 0, Cols.size());
  std::size_t c = 0;
  for (const auto& col : Cols) {
    std::size_t r = 0;
    for (double v : col) a(r++, c) = v;
    ++c;
  }
  return a;
}

/// RandomDense: entries uniform in [-0.5, 0.5) from the runtime generator.
inline TDense RandomDense(std::size_t m, std::size_t n, std::int32_t Seed) {
  RandSeed = Seed;
  TDense a(m, n);
  for (double& v : a.d) v = Random() - 0.5;
  return a;
}

/// TSvd: one decomposition through the column-view form and its progress.
struct TSvd {
  TDense U, V;
  std::vector<double> W;
  TSvdResult Result = TSvdResult::svdBadSize;
  double Steps = 0.0;
};

inline TSvd Decompose(const TDense& A) {
  ProgressHookGuard guard;
  ProcStat = 0.0;
  TSvd s;
  s.U = A;
  s.V = TDense(A.n, A.n);
  s.W.assign(A.n, -1.0);
  s.Result = SvdDecompose(s.U.View(), s.V.View(), s.W);
  s.Steps = ProcStat;
  return s;
}

/// ReconstructionError: max |A − U·diag(W)·Vᵀ|.
inline double ReconstructionError(const TDense& A, const TSvd& s) {
  double e = 0.0;
  for (std::size_t r = 0; r < A.m; ++r)
    for (std::size_t c = 0; c < A.n; ++c) {
      double x = 0.0;
      for (std::size_t k = 0; k < A.n; ++k) x += s.U(r, k) * s.W[k] * s.V(c, k);
      e = std::max(e, std::fabs(A(r, c) - x));
    }
  return e;
}

/// OrthoError: max |QᵀQ − I| over the listed columns of Q.
inline double OrthoError(const TDense& Q, const std::vector<std::size_t>& Cols) {
  double e = 0.0;
  for (std::size_t i : Cols)
    for (std::size_t j : Cols) {
      double x = 0.0;
      for (std::size_t r = 0; r < Q.m; ++r) x += Q(r, i) * Q(r, j);
      e = std::max(e, std::fabs(x - (i == j ? 1.0 : 0.0)));
    }
  return e;
}

/// AllColumns: 0 .. n−1.
inline std::vector<std::size_t> AllColumns(std::size_t n) {
  std::vector<std::size_t> c(n);
  for (std::size_t i = 0; i < n; ++i) c[i] = i;
  return c;
}

/// Sorted: W in decreasing order.
inline std::vector<double> Sorted(std::vector<double> W) {
  std::sort(W.begin(), W.end(), [](double a, double b) { return a > b; });
  return W;
}

}  // namespace kvl::test
