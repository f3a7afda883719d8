// Symmetric eigen decomposition: Householder reduction to tridiagonal form,
// the explicit orthogonal factor, then implicit QL iterations with
// Wilkinson shifts whose plane rotations are applied to that factor.
//
// The matrix lives in contiguous column-major storage and only its upper
// triangle is used, so every loop of the reduction runs down a contiguous
// column part. The reflectors are applied to the factor a few columns at a
// time, and the rotations of the QL phase are collected and applied in
// batches to blocks of rows that stay in cache; each rotation updates two
// adjacent columns, and a block of rows of both is contiguous.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/internal/cpu_clones.h"
#include "kvl/arrays/linalg/internal/linalg_internal.h"

namespace kvl {
namespace {

using namespace detail;
using linalg_internal::SquareSize;

constexpr int MaxIterations = 30;     // QL iterations per eigenvalue
constexpr double SymmetryTol = 1e-9;  // relative to the largest magnitude
constexpr std::size_t QBlock = 32;     // factor columns that share a pass over the reflectors
constexpr std::size_t RowBlock = 16;  // rows that a batch of rotations updates together

// A plane rotation of columns I and I+1: (x, y) <- (c·x − s·y, s·x + c·y).
struct TRotation {
  std::size_t I;
  double C, S;
};

typedef double V4 __attribute__((vector_size(32)));  // one AVX register, two SSE registers

// The helpers below are always inlined, so the vectors they pass never
// cross a call: the ABI note about AVX vectors does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
[[gnu::always_inline]] inline V4 Load(const double* p) {
  V4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
[[gnu::always_inline]] inline void Store(double* p, V4 v) { std::memcpy(p, &v, sizeof v); }

// Σ x[r]·y[r] over r < len, in four lanes of partial sums.
[[gnu::always_inline]] inline double Dot(const double* x, const double* y, std::size_t len) {
  V4 acc = {};
  std::size_t r = 0;
  for (; r + 4 <= len; r += 4) acc += Load(x + r) * Load(y + r);
  double tail = 0.0;
  for (; r < len; ++r) tail += x[r] * y[r];
  return ((acc[0] + acc[1]) + (acc[2] + acc[3])) + tail;
}

// y[r] += a·x[r] + b·z[r] over r < len.
[[gnu::always_inline]] inline void AddScaled2(double* y, double a, const double* x, double b, const double* z,
                                              std::size_t len) {
  std::size_t r = 0;
  for (; r + 4 <= len; r += 4) Store(y + r, Load(y + r) + (Load(x + r) * a + Load(z + r) * b));
  for (; r < len; ++r) y[r] += x[r] * a + z[r] * b;
}

// y[r] += a·x[r] over r < len.
[[gnu::always_inline]] inline void AddScaled(double* y, double a, const double* x, std::size_t len) {
  std::size_t r = 0;
  for (; r + 4 <= len; r += 4) Store(y + r, Load(y + r) + Load(x + r) * a);
  for (; r < len; ++r) y[r] += x[r] * a;
}

// Householder reduction of the symmetric matrix (upper triangle of S, n x n,
// column c at S + c·n) to tridiagonal form: D gets the diagonal, E[i] the
// element (i-1, i). The reflector of step i, H = I − u·uᵀ/H[i], is left in
// column i above the diagonal (H[i] = 0: no reflector). False when aborted.
KVL_CPU_CLONES bool Tridiagonalise(double* S, std::size_t n, double* D, double* E, double* H, double* p) {
  for (std::size_t i = n - 1; i > 0; --i) {
    ReportMathProgress();
    if (AbortMathProc) return false;
    double* u = S + i * n;  // column i: rows 0..i-1 are the part to reduce
    const std::size_t l = i - 1;
    D[i] = u[i];
    H[i] = 0.0;
    double scale = 0.0;
    for (std::size_t k = 0; k <= l; ++k) scale += std::fabs(u[k]);
    if (l == 0 || scale == 0.0) {
      E[i] = u[l];
      continue;
    }
    double h = 0.0;
    for (std::size_t k = 0; k <= l; ++k) {
      u[k] /= scale;
      h += u[k] * u[k];
    }
    const double f = u[l];
    const double g = f >= 0.0 ? -std::sqrt(h) : std::sqrt(h);
    E[i] = scale * g;
    h -= f * g;
    u[l] = f - g;
    H[i] = h;
    // p := B·u / h for the leading block B (rows and columns 0..l), read
    // from its upper triangle column by column.
    std::fill_n(p, l + 1, 0.0);
    for (std::size_t k = 0; k <= l; ++k) {
      const double* b = S + k * n;
      const double uk = u[k];
      AddScaled(p, uk, b, k);
      p[k] += Dot(b, u, k) + b[k] * uk;
    }
    double up = 0.0;
    for (std::size_t k = 0; k <= l; ++k) {
      p[k] /= h;
      up += u[k] * p[k];
    }
    // q := p − (uᵀp / 2h)·u, then B := B − u·qᵀ − q·uᵀ.
    const double half = up / (h + h);
    for (std::size_t k = 0; k <= l; ++k) p[k] -= half * u[k];
    for (std::size_t k = 0; k <= l; ++k) {
      double* b = S + k * n;
      const double qk = p[k], uk = u[k];
      AddScaled2(b, -qk, u, -uk, p, k + 1);
    }
  }
  D[0] = S[0];
  E[0] = 0.0;
  return true;
}

// Q := H[n-1]·…·H[1] in Q (n x n, column-major). Column j is untouched by
// the reflectors of steps up to j, so a block of columns starts one after
// its first column.
KVL_CPU_CLONES void FormFactor(const double* S, std::size_t n, const double* H, double* Q) {
  std::fill_n(Q, n * n, 0.0);
  for (std::size_t j = 0; j < n; ++j) Q[j * n + j] = 1.0;
  for (std::size_t j0 = 0; j0 < n; j0 += QBlock) {
    const std::size_t j1 = std::min(n, j0 + QBlock);
    for (std::size_t i = j0 + 1; i < n; ++i) {
      if (H[i] == 0.0) continue;
      const double* u = S + i * n;
      for (std::size_t j = j0; j < j1; ++j) {
        double* q = Q + j * n;
        const double g = Dot(u, q, i) / H[i];
        AddScaled(q, -g, u, i);
      }
    }
  }
}

// Applies the rotations in order to rows [r0, r0 + Len) of Q (column-major,
// column stride n). A sweep rotates (i, i+1), then (i-1, i), ...: the part
// of column i that one rotation leaves is kept in registers for the next.
template <std::size_t Len>
[[gnu::always_inline]] inline void RotateRows(const std::vector<TRotation>& Rot, double* Q, std::size_t n,
                                              std::size_t r0) {
  static_assert(Len % 4 == 0);
  constexpr std::size_t NV = Len / 4;
  constexpr std::size_t None = std::numeric_limits<std::size_t>::max();
  V4 held[NV] = {};  // the rows of column heldCol, not yet stored
  std::size_t heldCol = None;
  for (const TRotation& t : Rot) {
    double* x = Q + t.I * n + r0;
    double* y = x + n;
    if (heldCol != t.I + 1) {
      if (heldCol != None) {
        double* h = Q + heldCol * n + r0;
#pragma GCC unroll 16
        for (std::size_t v = 0; v < NV; ++v) Store(h + 4 * v, held[v]);
      }
#pragma GCC unroll 16
      for (std::size_t v = 0; v < NV; ++v) held[v] = Load(y + 4 * v);
    }
    const double c = t.C, s = t.S;
#pragma GCC unroll 16
    for (std::size_t v = 0; v < NV; ++v) {
      const V4 xv = Load(x + 4 * v), yv = held[v];
      Store(y + 4 * v, xv * s + yv * c);
      held[v] = xv * c - yv * s;
    }
    heldCol = t.I;
  }
  if (heldCol != None) {
    double* h = Q + heldCol * n + r0;
    for (std::size_t v = 0; v < NV; ++v) Store(h + 4 * v, held[v]);
  }
}

// The rows [r0, n) left over by the blocks, one row at a time.
[[gnu::always_inline]] inline void RotateRowsTail(const std::vector<TRotation>& Rot, double* Q, std::size_t n,
                                                  std::size_t r0) {
  for (std::size_t r = r0; r < n; ++r)
    for (const TRotation& t : Rot) {
      double* x = Q + t.I * n + r;
      const double xr = x[0], yr = x[n];
      x[n] = xr * t.S + yr * t.C;
      x[0] = xr * t.C - yr * t.S;
    }
}

// Applies the rotations in order to every row of Q (n x n, column-major),
// RowBlock rows at a time.
KVL_CPU_CLONES void ApplyRotations(const std::vector<TRotation>& Rot, double* Q, std::size_t n) {
  std::size_t r0 = 0;
  for (; r0 + RowBlock <= n; r0 += RowBlock) RotateRows<RowBlock>(Rot, Q, n, r0);
  RotateRowsTail(Rot, Q, n, r0);
}

// Implicit QL with Wilkinson shifts on the tridiagonal matrix (diagonal D,
// E[i] = element (i, i+1), E[n-1] = 0); the rotations go to Q in batches.
// -4 on no convergence or abort, else 0.
std::int32_t TridiagonalQL(double* D, double* E, std::size_t n, double* Q) {
  constexpr double eps = std::numeric_limits<double>::epsilon();
  std::vector<TRotation> rot;
  const std::size_t batch = std::max<std::size_t>(4 * n, 256);
  rot.reserve(batch + n);
  for (std::size_t l = 0; l < n; ++l) {
    ReportMathProgress();
    if (AbortMathProc) return -4;
    for (int iter = 0;; ++iter) {
      std::size_t m = l;
      for (; m + 1 < n; ++m) {
        const double dd = std::fabs(D[m]) + std::fabs(D[m + 1]);
        if (std::fabs(E[m]) <= eps * dd) break;
      }
      if (m == l) break;
      if (iter == MaxIterations) return -4;
      // The shift: the eigenvalue of the leading 2 x 2 block nearer D[l].
      double g = (D[l + 1] - D[l]) / (2.0 * E[l]);
      double r = std::hypot(g, 1.0);
      g = D[m] - D[l] + E[l] / (g + (g >= 0.0 ? r : -r));
      double s = 1.0, c = 1.0, p = 0.0;
      bool deflated = false;
      for (std::size_t i = m; i-- > l;) {
        const double f = s * E[i], b = c * E[i];
        r = std::hypot(f, g);
        E[i + 1] = r;
        if (r == 0.0) {  // underflow: the matrix splits here
          D[i + 1] -= p;
          E[m] = 0.0;
          deflated = true;
          break;
        }
        s = f / r;
        c = g / r;
        g = D[i + 1] - p;
        r = (D[i] - g) * s + 2.0 * c * b;
        p = s * r;
        D[i + 1] = g + p;
        g = c * r - b;
        rot.push_back({i, c, s});
      }
      if (deflated) continue;
      D[l] -= p;
      E[l] = g;
      E[m] = 0.0;
      if (rot.size() >= batch) {
        ApplyRotations(rot, Q, n);
        rot.clear();
      }
    }
  }
  ApplyRotations(rot, Q, n);
  return 0;
}

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
  std::vector<double> s(n * n), q(n * n), d(n), e(n), h(n), work(n);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r <= c; ++r) {
      if (std::fabs(A[c][r] - A[r][c]) > SymmetryTol * largest) return -3;
      s[c * n + r] = 0.5 * (A[c][r] + A[r][c]);
    }
  if (!Tridiagonalise(s.data(), n, d.data(), e.data(), h.data(), work.data())) return -4;
  FormFactor(s.data(), n, h.data(), q.data());
  // The QL phase wants E[i] = element (i, i+1).
  for (std::size_t i = 0; i + 1 < n; ++i) e[i] = e[i + 1];
  e[n - 1] = 0.0;
  if (const std::int32_t status = TridiagonalQL(d.data(), e.data(), n, q.data())) return status;

  // Decreasing order (stable for equal values); each vector's largest element positive.
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return d[x] > d[y]; });
  EigVals.resize(n);
  EigVecs.assign(n, TDoubleArray(n));
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t src = order[k];
    EigVals[k] = d[src];
    const double* v = q.data() + src * n;
    std::size_t big = 0;
    for (std::size_t r = 1; r < n; ++r)
      if (std::fabs(v[r]) > std::fabs(v[big])) big = r;
    const double sign = v[big] < 0.0 ? -1.0 : 1.0;
    for (std::size_t r = 0; r < n; ++r) EigVecs[k][r] = sign * v[r];
  }
  return 0;
}

}  // namespace kvl
