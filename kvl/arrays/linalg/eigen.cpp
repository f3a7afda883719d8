// Symmetric eigen decomposition: Householder reduction to tridiagonal form,
// the eigenvalues of each unreduced tridiagonal block by implicit QL
// iterations with Wilkinson shifts, its eigenvectors by inverse iteration
// (vectors of close eigenvalues orthogonalised against each other), and the
// back-transformation of those vectors by the Householder reflectors.
//
// The matrix lives in contiguous column-major storage and only its upper
// triangle is used, so every loop of the reduction runs down a contiguous
// column part. The reflectors are applied to the vectors a block at a time
// in their compact product form, through the product kernel; inverse
// iteration costs O(n) per vector and step, so the whole is dominated by the
// reduction and two matrix products.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>

#include "kvl/arrays/array_linalg.h"
#include "kvl/runtime/cpu_clones.h"
#include "kvl/arrays/linalg/internal/linalg_internal.h"

namespace kvl {
namespace {

using namespace detail;
using linalg_internal::Gemm;
using linalg_internal::GemmWork;
using linalg_internal::RowsOf;
using linalg_internal::SquareSize;
using linalg_internal::TOperand;

constexpr int MaxIterations = 30;     // QL iterations per eigenvalue
constexpr double SymmetryTol = 1e-9;  // relative to the largest magnitude
constexpr std::size_t QBlock = 32;     // reflectors applied together
constexpr std::size_t RowBlock = 16;   // rows that a batch of rotations updates together
constexpr int MaxInverseSteps = 5;     // inverse iteration steps per vector before it is accepted
constexpr int ExtraInverseSteps = 2;   // steps after the vector has grown enough

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

// Z := H[n-1]·…·H[1]·Z for Z of n rows and Cols columns (column-major), a
// block of QBlock reflectors at a time. The reflectors a..b-1 multiply to
// P = H[b-1]·…·H[a] = I − V·Tᵀ·Vᵀ with V = [u_a … u_{b-1}] and T upper
// triangular (the forward accumulation of H[a]·…·H[b-1] = I − V·T·Vᵀ); P
// changes only the leading b-1 rows. With the stored columns of Z read as
// rows, Zᵀ := Zᵀ − ((Zᵀ·V)·T)·Vᵀ is two products of the kernel.
KVL_CPU_CLONES void ApplyFactor(const double* S, std::size_t n, const double* H, double* Z, std::size_t Cols) {
  if (n < 2 || Cols == 0) return;
  const std::size_t nb = QBlock;
  std::vector<double> v(nb * n), t(nb * nb), y(Cols * nb);
  std::vector<const double*> vRows(nb);
  std::vector<double*> zRows(Cols), yRows(Cols);
  for (std::size_t j = 0; j < Cols; ++j) {
    zRows[j] = Z + j * n;
    yRows[j] = y.data() + j * nb;
  }
  GemmWork<double> work;
  for (std::size_t a = 1; a < n; a += nb) {
    const std::size_t b = std::min(n, a + nb), k = b - a, m = b - 1, cols = Cols;
    // V, one reflector per row, zero beyond its length; T column by column:
    // T(0:s, s) = −τ_s·T(0:s, 0:s)·(V(:, 0:s)ᵀ·v_s), T(s, s) = τ_s.
    std::fill_n(v.begin(), k * m, 0.0);
    for (std::size_t s = 0; s < k; ++s) {
      const std::size_t i = a + s;
      double* vs = v.data() + s * m;
      vRows[s] = vs;
      const double tau = H[i] == 0.0 ? 0.0 : 1.0 / H[i];
      if (tau != 0.0) std::copy_n(S + i * n, i, vs);
      double* ts = t.data() + s * nb;
      for (std::size_t r = 0; r < s; ++r) ts[r] = Dot(v.data() + r * m, vs, a + r);
      for (std::size_t r = 0; r < s; ++r) {
        double sum = 0.0;
        for (std::size_t c = r; c < s; ++c) sum += t[c * nb + r] * ts[c];
        ts[r] = -tau * sum;
      }
      ts[s] = tau;
    }
    // Y := Zᵀ·V (cols x k), Y := Y·T, Zᵀ := Zᵀ − Y·Vᵀ.
    for (std::size_t r = 0; r < cols; ++r) std::fill_n(yRows[r], k, 0.0);
    const RowsOf<double> zT{zRows.data(), 0}, yR{yRows.data(), 0};
    const RowsOf<const double> vR{vRows.data(), 0};
    Gemm<double>(cols, k, m, zT, TOperand<double>(vR, true), yR, false, work);
    for (std::size_t r = 0; r < cols; ++r) {
      double* yr = yRows[r];
      for (std::size_t c = k; c-- > 0;) {
        double sum = 0.0;
        for (std::size_t s = 0; s <= c; ++s) sum += yr[s] * t[c * nb + s];
        yr[c] = sum;
      }
    }
    Gemm<double>(cols, m, k, yR, vR, zT, true, work);
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

// The rows [r0, Rows) left over by the blocks, one row at a time.
[[gnu::always_inline]] inline void RotateRowsTail(const std::vector<TRotation>& Rot, double* Q, std::size_t n,
                                                  std::size_t r0, std::size_t Rows) {
  for (std::size_t r = r0; r < Rows; ++r)
    for (const TRotation& t : Rot) {
      double* x = Q + t.I * n + r;
      const double xr = x[0], yr = x[n];
      x[n] = xr * t.S + yr * t.C;
      x[0] = xr * t.C - yr * t.S;
    }
}

// Applies the rotations in order to the first Rows rows of Q (column-major,
// column stride n), RowBlock rows at a time.
KVL_CPU_CLONES void ApplyRotations(const std::vector<TRotation>& Rot, double* Q, std::size_t n, std::size_t Rows) {
  std::size_t r0 = 0;
  for (; r0 + RowBlock <= Rows; r0 += RowBlock) RotateRows<RowBlock>(Rot, Q, n, r0);
  RotateRowsTail(Rot, Q, n, r0, Rows);
}

// The eigenvalues of the tridiagonal matrix (diagonal D, E[i] = element
// (i, i+1), E[n-1] = 0) by implicit QL with Wilkinson shifts, left in D.
// With Q (n columns of stride Ldq), the plane rotations are applied to its
// first n rows in batches, turning the identity into the eigenvectors.
// Progress (when Report): one step per eigenvalue. -4 on no convergence or
// abort, else 0.
std::int32_t TridiagonalQL(double* D, double* E, std::size_t n, bool Report, double* Q = nullptr,
                           std::size_t Ldq = 0) {
  constexpr double eps = std::numeric_limits<double>::epsilon();
  std::vector<TRotation> rot;
  const std::size_t batch = std::max<std::size_t>(4 * n, 256);
  if (Q != nullptr) rot.reserve(batch + n);
  for (std::size_t l = 0; l < n; ++l) {
    if (Report) ReportMathProgress();
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
        if (Q != nullptr) rot.push_back({i, c, s});
      }
      if (deflated) continue;
      D[l] -= p;
      E[l] = g;
      E[m] = 0.0;
      if (rot.size() >= batch) {
        ApplyRotations(rot, Q, Ldq, n);
        rot.clear();
      }
    }
  }
  if (Q != nullptr) ApplyRotations(rot, Q, Ldq, n);
  return 0;
}

// T − λI of an unreduced tridiagonal block (diagonal D, off-diagonal E,
// E[i] = element (i, i+1)) factorised with partial pivoting into P·L·U: U
// has the diagonal U0 and two superdiagonals U1, U2; L the multipliers Mult,
// Swap[i] telling whether rows i and i+1 were exchanged.
class TShiftedLU {
 public:
  explicit TShiftedLU(std::size_t n) : u0_(n), u1_(n), u2_(n), mult_(n), swap_(n) {}

  void Factor(const double* D, const double* E, std::size_t n, double lambda) {
    n_ = n;
    u0_[0] = D[0] - lambda;
    if (n > 1) u1_[0] = E[0];
    for (std::size_t k = 0; k + 1 < n; ++k) {
      const double sub = E[k];  // element (k+1, k)
      double next0 = D[k + 1] - lambda, next1 = k + 2 < n ? E[k + 1] : 0.0;
      if (std::fabs(u0_[k]) >= std::fabs(sub)) {
        const double mu = u0_[k] == 0.0 ? 0.0 : sub / u0_[k];
        swap_[k] = false;
        mult_[k] = mu;
        u2_[k] = 0.0;
        u0_[k + 1] = next0 - mu * u1_[k];
        u1_[k + 1] = next1;
      } else {
        const double mu = u0_[k] / sub;
        swap_[k] = true;
        mult_[k] = mu;
        const double pivotRow1 = u1_[k];
        u0_[k] = sub;
        u1_[k] = next0;
        u2_[k] = next1;
        u0_[k + 1] = pivotRow1 - mu * next0;
        u1_[k + 1] = -mu * next1;
      }
    }
  }

  /// LastPivot: the magnitude of U's last diagonal element.
  double LastPivot() const noexcept { return std::fabs(u0_[n_ - 1]); }

  /// Solve: x := (T − λI)⁻¹·x, pivots below Tol in magnitude taken as ±Tol
  /// (the matrix is singular to working precision at an eigenvalue).
  void Solve(double* x, double Tol) const noexcept {
    const std::size_t n = n_;
    for (std::size_t k = 0; k + 1 < n; ++k) {
      if (swap_[k]) std::swap(x[k], x[k + 1]);
      x[k + 1] -= mult_[k] * x[k];
    }
    for (std::size_t k = n; k-- > 0;) {
      double r = x[k];
      if (k + 1 < n) r -= u1_[k] * x[k + 1];
      if (k + 2 < n) r -= u2_[k] * x[k + 2];
      double piv = u0_[k];
      if (std::fabs(piv) < Tol) piv = piv < 0.0 ? -Tol : Tol;
      x[k] = r / piv;
    }
  }

 private:
  std::vector<double> u0_, u1_, u2_, mult_;
  std::vector<bool> swap_;
  std::size_t n_ = 0;
};

// ‖T‖₁ of a tridiagonal block (diagonal D, off-diagonal E, n values).
double BlockNorm1(const double* D, const double* E, std::size_t n) {
  double norm1 = 0.0;
  for (std::size_t i = 0; i < n; ++i)
    norm1 = std::max(norm1, std::fabs(D[i]) + (i > 0 ? std::fabs(E[i - 1]) : 0.0) + (i + 1 < n ? std::fabs(E[i]) : 0.0));
  return norm1;
}

// Eigenvalues closer than this share a cluster in inverse iteration.
double ClusterGap(double Norm1) { return 1e-3 * Norm1; }

// Σ size² over the clusters of the ascending eigenvalues W of a block: the
// orthogonalisation work of inverse iteration, in vector operations.
std::size_t ClusterWork(const double* W, const double* D, const double* E, std::size_t n) {
  const double gap = ClusterGap(BlockNorm1(D, E, n));
  std::size_t work = 0, size = 1;
  for (std::size_t j = 1; j <= n; ++j) {
    if (j == n || W[j] - W[j - 1] > gap) {
      work += size * size;
      size = 1;
    } else {
      ++size;
    }
  }
  return work;
}

// Eigenvectors of an unreduced tridiagonal block (diagonal D, off-diagonal
// E, n values) for its eigenvalues W (ascending) by inverse iteration from
// pseudo-random starts. Eigenvalues closer than 1e-3·‖T‖₁ form a cluster
// whose vectors are orthogonalised against the cluster's earlier ones in
// every step; coinciding values are first separated by a few ulps. Vector j
// goes to Z + j·Stride (n values), of unit length, largest element positive.
void InverseIteration(const double* D, const double* E, std::size_t n, const double* W, double* Z,
                      std::size_t Stride, std::uint64_t& Seed) {
  if (n == 1) {
    Z[0] = 1.0;
    return;
  }
  constexpr double eps = std::numeric_limits<double>::epsilon();
  const double norm1 = BlockNorm1(D, E, n);
  const double clusterGap = ClusterGap(norm1);
  const double grown = std::sqrt(0.1 / static_cast<double>(n));
  const double tol = std::max(eps * norm1, std::numeric_limits<double>::min());
  TShiftedLU lu(n);
  double previous = 0.0;
  std::size_t clusterStart = 0;
  for (std::size_t j = 0; j < n; ++j) {
    double lambda = W[j];
    if (j > 0) {
      const double separation = 10.0 * std::fabs(eps * lambda);
      if (lambda - previous < separation) lambda = previous + separation;
      if (lambda - previous > clusterGap) clusterStart = j;
    }
    double* x = Z + j * Stride;
    for (std::size_t i = 0; i < n; ++i) {  // uniform in (−1, 1), xorshift64*
      Seed ^= Seed >> 12;
      Seed ^= Seed << 25;
      Seed ^= Seed >> 27;
      x[i] = static_cast<double>((Seed * 0x2545F4914F6CDD1DULL) >> 11) * 0x1.0p-52 - 1.0;
    }
    lu.Factor(D, E, n, lambda);
    // Steps until the solution has grown to at least `grown` after the
    // scaling (λ is then an eigenvalue to working precision) and twice more.
    int grownSteps = 0;
    for (int step = 0; step < MaxInverseSteps + ExtraInverseSteps && grownSteps <= ExtraInverseSteps; ++step) {
      double sum = 0.0;
      for (std::size_t i = 0; i < n; ++i) sum += std::fabs(x[i]);
      if (!(sum > 0.0)) {  // orthogonalised away: restart from a unit vector
        std::fill_n(x, n, 0.0);
        x[(j + static_cast<std::size_t>(step)) % n] = 1.0;
        sum = 1.0;
      }
      const double scale = static_cast<double>(n) * norm1 * std::max(eps, lu.LastPivot()) / sum;
      for (std::size_t i = 0; i < n; ++i) x[i] *= scale;
      lu.Solve(x, tol);
      for (std::size_t c = clusterStart; c < j; ++c) {
        const double* z = Z + c * Stride;
        AddScaled(x, -Dot(x, z, n), z, n);
      }
      double largest = 0.0;
      for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, std::fabs(x[i]));
      if (largest >= grown) ++grownSteps;
    }
    double sq = 0.0;
    std::size_t big = 0;
    for (std::size_t i = 0; i < n; ++i) {
      sq += x[i] * x[i];
      if (std::fabs(x[i]) > std::fabs(x[big])) big = i;
    }
    const double f = (x[big] < 0.0 ? -1.0 : 1.0) / std::sqrt(sq);
    for (std::size_t i = 0; i < n; ++i) x[i] *= f;
    previous = lambda;
  }
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
  std::vector<double> s(n * n), q(n * n, 0.0), d(n), e(n), h(n), work(n);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r <= c; ++r) {
      if (std::fabs(A[c][r] - A[r][c]) > SymmetryTol * largest) return -3;
      s[c * n + r] = 0.5 * (A[c][r] + A[r][c]);
    }
  if (!Tridiagonalise(s.data(), n, d.data(), e.data(), h.data(), work.data())) return -4;
  // From here E[i] = element (i, i+1).
  for (std::size_t i = 0; i + 1 < n; ++i) e[i] = e[i + 1];
  e[n - 1] = 0.0;

  // Each unreduced block (split where an off-diagonal element is negligible,
  // as in the QL iterations): its eigenvalues, then its eigenvectors in the
  // rows and columns of the block.
  constexpr double eps = std::numeric_limits<double>::epsilon();
  std::vector<double> values(n), bd(n), be(n);
  std::uint64_t seed = 0x9E3779B97F4A7C15ULL;
  for (std::size_t b0 = 0; b0 < n;) {
    std::size_t b1 = b0;
    while (b1 + 1 < n && std::fabs(e[b1]) > eps * (std::fabs(d[b1]) + std::fabs(d[b1 + 1]))) ++b1;
    const std::size_t len = b1 - b0 + 1;
    std::copy_n(d.begin() + static_cast<std::ptrdiff_t>(b0), len, bd.begin());
    std::copy_n(e.begin() + static_cast<std::ptrdiff_t>(b0), len, be.begin());
    be[len - 1] = 0.0;
    if (const std::int32_t status = TridiagonalQL(bd.data(), be.data(), len, true)) return status;
    std::sort(bd.begin(), bd.begin() + static_cast<std::ptrdiff_t>(len));
    double* z = q.data() + b0 * n + b0;  // the block's rows and columns of the vectors
    if (ClusterWork(bd.data(), d.data() + b0, e.data() + b0, len) * 8 > len * len) {
      // Mostly one cluster: QL with the rotations on the vectors costs less
      // than orthogonalising the cluster's vectors in every step.
      std::copy_n(d.begin() + static_cast<std::ptrdiff_t>(b0), len, bd.begin());
      std::copy_n(e.begin() + static_cast<std::ptrdiff_t>(b0), len, be.begin());
      be[len - 1] = 0.0;
      for (std::size_t j = 0; j < len; ++j) z[j * n + j] = 1.0;
      if (const std::int32_t status = TridiagonalQL(bd.data(), be.data(), len, false, z, n)) return status;
    } else {
      InverseIteration(d.data() + b0, e.data() + b0, len, bd.data(), z, n, seed);
    }
    std::copy_n(bd.begin(), len, values.begin() + static_cast<std::ptrdiff_t>(b0));
    b0 = b1 + 1;
  }
  ApplyFactor(s.data(), n, h.data(), q.data(), n);
  d.swap(values);

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
