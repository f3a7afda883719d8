// Symmetric eigen decomposition by cyclic Jacobi rotations.
//
// The matrix is copied into contiguous column-major storage; a rotation in
// the (p, q) plane updates columns p and q (contiguous) and mirrors them into
// rows p and q. The first three sweeps rotate only elements above a fifth of
// the mean off-diagonal magnitude; later sweeps set elements that are
// negligible against both diagonal elements to zero without rotating.

#include <algorithm>
#include <cmath>

#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/linalg/linalg_detail.h"

namespace kvl {
namespace {

using namespace arrays_detail;
using namespace arrays_detail::linalg;

constexpr int MaxSweeps = 50;
constexpr double SymmetryTol = 1e-9;  // relative to the largest magnitude

struct TJacobi {
  std::size_t N;
  std::vector<double> S;  // the matrix, column c at S[c * N]
  std::vector<double> V;  // the eigenvectors so far, vector c at V[c * N]

  double& At(std::size_t r, std::size_t c) { return S[c * N + r]; }

  // One rotation that zeroes the (p, q) element.
  void Rotate(std::size_t p, std::size_t q) {
    const double apq = At(p, q);
    const double h = At(q, q) - At(p, p);
    double t;
    if (std::fabs(h) + 100.0 * std::fabs(apq) == std::fabs(h)) {
      t = apq / h;
    } else {
      const double theta = 0.5 * h / apq;
      t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
      if (theta < 0.0) t = -t;
    }
    const double c = 1.0 / std::sqrt(1.0 + t * t), s = t * c, tau = s / (1.0 + c);
    const auto turn = [s, tau](double* x, double* y, std::size_t k) {
      const double g = x[k], hh = y[k];
      x[k] = g - s * (hh + g * tau);
      y[k] = hh + s * (g - hh * tau);
    };
    double* colP = S.data() + p * N;
    double* colQ = S.data() + q * N;
    for (std::size_t k = 0; k < N; ++k)
      if (k != p && k != q) turn(colP, colQ, k);
    for (std::size_t k = 0; k < N; ++k) {
      if (k == p || k == q) continue;
      At(p, k) = colP[k];
      At(q, k) = colQ[k];
    }
    colP[p] -= t * apq;
    colQ[q] += t * apq;
    colP[q] = colQ[p] = 0.0;
    double* vp = V.data() + p * N;
    double* vq = V.data() + q * N;
    for (std::size_t k = 0; k < N; ++k) turn(vp, vq, k);
  }

  // Sweeps until the off-diagonal part vanishes; false on no convergence or abort.
  bool Run() {
    for (int sweep = 1;; ++sweep) {
      double off = 0.0;
      for (std::size_t q = 1; q < N; ++q)
        for (std::size_t p = 0; p < q; ++p) off += std::fabs(At(p, q));
      if (off == 0.0) return true;
      if (sweep > MaxSweeps) return false;
      ReportMathProgress();
      if (AbortMathProc) return false;
      const double threshold = sweep < 4 ? 0.2 * off / static_cast<double>(N * N) : 0.0;
      for (std::size_t q = 1; q < N; ++q) {
        for (std::size_t p = 0; p < q; ++p) {
          const double g = 100.0 * std::fabs(At(p, q));
          if (sweep > 4 && std::fabs(At(p, p)) + g == std::fabs(At(p, p)) &&
              std::fabs(At(q, q)) + g == std::fabs(At(q, q))) {
            At(p, q) = At(q, p) = 0.0;
          } else if (std::fabs(At(p, q)) > threshold) {
            Rotate(p, q);
          }
        }
      }
    }
  }
};

}  // namespace

std::int32_t EigenDecomposition(const TDouble2DArray& A, TDoubleArray& EigVals, TDouble2DArray& EigVecs) {
  if (IsEmpty(ExtentsOf(A))) return -1;
  const std::size_t n = SquareSize(A);
  if (n == 0) return -2;
  double largest = 0.0;
  for (const auto& col : A)
    for (const double v : col) {
      if (!std::isfinite(v)) return -3;
      largest = std::max(largest, std::fabs(v));
    }
  TJacobi jac{n, std::vector<double>(n * n), std::vector<double>(n * n, 0.0)};
  for (std::size_t c = 0; c < n; ++c) {
    for (std::size_t r = 0; r < n; ++r) {
      if (std::fabs(A[c][r] - A[r][c]) > SymmetryTol * largest) return -3;
      jac.At(r, c) = 0.5 * (A[c][r] + A[r][c]);
    }
    jac.V[c * n + c] = 1.0;
  }
  if (!jac.Run()) return -4;

  // Decreasing order (stable for equal values); each vector's largest element positive.
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return jac.At(x, x) > jac.At(y, y); });
  EigVals.resize(n);
  EigVecs.assign(n, TDoubleArray(n));
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t src = order[k];
    EigVals[k] = jac.At(src, src);
    const double* v = jac.V.data() + src * n;
    std::size_t big = 0;
    for (std::size_t r = 1; r < n; ++r)
      if (std::fabs(v[r]) > std::fabs(v[big])) big = r;
    const double sign = v[big] < 0.0 ? -1.0 : 1.0;
    for (std::size_t r = 0; r < n; ++r) EigVecs[k][r] = sign * v[r];
  }
  return 0;
}

}  // namespace kvl
