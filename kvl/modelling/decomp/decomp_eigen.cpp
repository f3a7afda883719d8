// Cyclic Jacobi eigen analysis, the unit's eigen store and principal
// components.
//
// The working matrix is kept whole (both triangles) in contiguous
// column-major storage, so that the rotation of the pair (p, q) updates the
// columns p and q as two contiguous runs. The eigenvectors are stored
// vector by vector; the rotations reach them in batches, a block of rows at
// a time, since nothing in a sweep reads them. Rows p and q
// are refreshed from the new columns, the strided accesses: row q after
// each rotation, row p once after all rotations of p (until then the pivots
// come from column p), and only in the columns from p on: the earlier
// columns are not read again in the sweep, and the end of the sweep mirrors
// the upper triangle into the lower one. The arithmetic per element is
// that of the textbook scheme on the upper triangle, so the pass counts do
// not depend on the storage.

#include "kvl/modelling/decomp/decomp_eigen.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/modelling/decomp/decomp_covar.h"

namespace kvl {
namespace {

constexpr std::int32_t ThresholdPasses = 3;  // passes that rotate only above the threshold
constexpr double ThresholdFactor = 0.2;      // threshold = factor · sum / n²
constexpr std::int32_t ZeroingPass = 4;      // first pass of the zeroing rule
constexpr double ZeroingFactor = 200.0;
constexpr double SymmetryTol = 1e-9;  // relative to the largest magnitude
constexpr double HugeTheta = 1e150;  // beyond it θ² + 1 would overflow: √(θ² + 1) = |θ|
// The vectors are not read by the sweeps: the rotations of VectorBatchRows
// consecutive rows p reach them together, in blocks of rows of about
// VectorBlockBytes across all vectors.
constexpr std::size_t VectorBatchRows = 16;
constexpr std::size_t VectorBlockBytes = 256 * 1024;

/// The eigen store of the unit: values, vectors (vector by vector) and order.
struct TEigenStore {
  std::vector<double> Values;
  std::vector<double> Vectors;
  std::int32_t Size = 0;
};

constinit TEigenStore EigenStore;

enum class TJacobiEnd { jeConverged, jeNoConvergence, jeAborted };

/// OffDiagonalSum: Σ |a(p, q)| over p < q (the upper triangle, column by column).
double OffDiagonalSum(const double* a, std::size_t n) {
  double sum = 0.0;
  for (std::size_t q = 1; q < n; ++q) {
    const double* aq = a + q * n;
    for (std::size_t p = 0; p < q; ++p) sum += std::abs(aq[p]);
  }
  return sum;
}

/// MirrorUpperTriangle: a(i, k) := a(k, i) for i > k (the upper triangle
/// is the one kept exact during a sweep).
void MirrorUpperTriangle(double* a, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) {
    double* ak = a + k * n;
    for (std::size_t i = k + 1; i < n; ++i) ak[i] = a[i * n + k];
  }
}

/// Rotate: (x, y) := (x − s·(y + x·τ), y + s·(x − y·τ)) over two contiguous runs.
inline void Rotate(double* __restrict x, double* __restrict y, std::size_t n, double s, double tau) {
  for (std::size_t j = 0; j < n; ++j) {
    const double g = x[j], h = y[j];
    x[j] = g - s * (h + g * tau);
    y[j] = h + s * (g - h * tau);
  }
}

/// TRotation: one rotation of the columns P and Q, waiting for the vectors.
struct TRotation {
  std::size_t P, Q;
  double S, Tau;
};

/// ApplyRotations: the rotations, in their order, to the vectors v (n x n),
/// block of rows by block of rows, so that a block of every vector stays in
/// cache for the whole batch. Each element sees the same rotations in the
/// same order as one rotation at a time would give it.
void ApplyRotations(double* v, std::size_t n, std::vector<TRotation>& Batch) {
  const std::size_t block = std::clamp<std::size_t>(VectorBlockBytes / (n * sizeof(double)), 8, 256);
  for (std::size_t j0 = 0; j0 < n; j0 += block) {
    const std::size_t len = std::min(block, n - j0);
    for (const TRotation& r : Batch) Rotate(v + r.P * n + j0, v + r.Q * n + j0, len, r.S, r.Tau);
  }
  Batch.clear();
}

/// Jacobi: the sweeps on a (n x n, symmetric, both triangles; destroyed),
/// with the diagonal in d on entry; d receives the eigenvalues and v (n x n)
/// the eigenvectors, vector by vector.
TJacobiEnd Jacobi(double* a, std::size_t n, double* d, double* v) {
  std::vector<double> b(d, d + n), z(n, 0.0);
  std::vector<TRotation> batch;
  batch.reserve(VectorBatchRows * n);
  std::fill(v, v + n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    v[i * n + i] = 1.0;
    a[i * n + i] = 0.0;  // the diagonal lives in d; zeros keep the rotations exact there
  }
  const double nn = static_cast<double>(n) * static_cast<double>(n);
  for (std::int32_t pass = 1;; ++pass) {
    if (pass > EigenMaxPasses) return TJacobiEnd::jeNoConvergence;
    const double sum = OffDiagonalSum(a, n);
    if (sum == 0.0) return TJacobiEnd::jeConverged;
    const double thresh = pass <= ThresholdPasses ? ThresholdFactor * sum / nn : 0.0;
    for (std::size_t p = 0; p + 1 < n; ++p) {
      double* ap = a + p * n;
      for (std::size_t q = p + 1; q < n; ++q) {
        ReportMathProgress();
        if (AbortMathProc) return TJacobiEnd::jeAborted;
        double* aq = a + q * n;
        const double apq = ap[q];  // = a(p, q); column p is exact, row p is written after the loop
        const double g = ZeroingFactor * std::abs(apq);
        if (pass >= ZeroingPass && std::abs(d[p]) + g == std::abs(d[p]) &&
            std::abs(d[q]) + g == std::abs(d[q])) {
          aq[p] = ap[q] = 0.0;
          continue;
        }
        if (!(std::abs(apq) > thresh)) continue;
        const double theta = 0.5 * (d[q] - d[p]) / apq;
        const double at = std::abs(theta);
        double t = 1.0 / (at + (at > HugeTheta ? at : std::sqrt(theta * theta + 1.0)));
        if (theta < 0.0) t = -t;
        const double c = 1.0 / std::sqrt(t * t + 1.0);
        const double s = t * c;
        const double tau = s / (1.0 + c);
        const double h = t * apq;
        z[p] -= h;
        z[q] += h;
        d[p] -= h;
        d[q] += h;
        Rotate(ap, aq, n, s, tau);
        // The 2 x 2 block is done: its off-diagonal pair is 0, the diagonal lives in d.
        ap[p] = ap[q] = aq[p] = aq[q] = 0.0;
        // Columns before p are not read again in this sweep: their copies
        // of row q are refreshed once when the sweep ends.
        for (std::size_t j = p + 1; j < n; ++j) a[j * n + q] = aq[j];
        batch.push_back({p, q, s, tau});
      }
      // Row p: the later columns read it only for their pivot a(p, q),
      // which came from column p, so it is written once per row.
      for (std::size_t j = p + 1; j < n; ++j) a[j * n + p] = ap[j];
      if ((p + 1) % VectorBatchRows == 0) ApplyRotations(v, n, batch);
    }
    ApplyRotations(v, n, batch);
    MirrorUpperTriangle(a, n);
    for (std::size_t i = 0; i < n; ++i) {
      b[i] += z[i];
      d[i] = b[i];
      z[i] = 0.0;
    }
  }
}

/// AcceptedInput: square, finite, and symmetric within SymmetryTol.
bool AcceptedInput(const TMatrix& A) {
  const std::int32_t n = A.NrOfColumns();
  if (A.NrOfRows() != n) return false;
  const std::span<const double> cells = A.Data();
  double largest = 0.0;
  for (const double x : cells) {
    if (!std::isfinite(x)) return false;
    largest = std::max(largest, std::abs(x));
  }
  const std::size_t un = static_cast<std::size_t>(n);
  const double tol = SymmetryTol * largest;
  for (std::size_t q = 1; q < un; ++q)
    for (std::size_t p = 0; p < q; ++p)
      if (std::abs(cells[q * un + p] - cells[p * un + q]) > tol) return false;
  return true;
}

}  // namespace

bool CalcEigVec(const TMatrix& A) {
  RemoveEigenMatrix();
  const std::int32_t order = A.NrOfColumns();
  if (order > EigenMaxOrder || !AcceptedInput(A)) return false;
  const std::size_t n = static_cast<std::size_t>(order);
  std::vector<double> values, vectors, work;
  try {
    values.resize(n);
    vectors.resize(n * n);
    work.resize(n * n);
  } catch (const std::bad_alloc&) {
    RaiseFunc<EKVLMath2Error>("CalcEigVec", "not enough memory");
  } catch (const std::length_error&) {
    RaiseFunc<EKVLMath2Error>("CalcEigVec", "not enough memory");
  }
  // The upper triangle mirrored into both halves.
  const std::span<const double> cells = A.Data();
  for (std::size_t q = 0; q < n; ++q) {
    for (std::size_t p = 0; p <= q; ++p) work[q * n + p] = work[p * n + q] = cells[q * n + p];
    values[q] = cells[q * n + q];
  }
  if (Jacobi(work.data(), n, values.data(), vectors.data()) != TJacobiEnd::jeConverged) return false;
  EigenStore.Values = std::move(values);
  EigenStore.Vectors = std::move(vectors);
  EigenStore.Size = order;
  return true;
}

double GetEigenResult(std::int32_t ix, std::int32_t iv) {
  const std::int32_t n = EigenStore.Size;
  if (ix < 1 || ix > n || iv < 0 || iv > n) return 0.0;
  const std::size_t i = static_cast<std::size_t>(ix - 1);
  if (iv == 0) return EigenStore.Values[i];
  return EigenStore.Vectors[static_cast<std::size_t>(iv - 1) * static_cast<std::size_t>(n) + i];
}

std::int32_t GetEigenSize() { return EigenStore.Size; }

void RemoveEigenMatrix() {
  EigenStore.Size = 0;
  std::vector<double>().swap(EigenStore.Values);
  std::vector<double>().swap(EigenStore.Vectors);
}

bool CalcPrincComp(const TMatrix& Data, std::int32_t FirstCol, std::int32_t LastCol, std::int32_t FirstRow,
                   std::int32_t LastRow, std::int32_t Mode, bool Normalize) {
  RemoveEigenMatrix();
  {
    std::int32_t lo = FirstCol, hi = LastCol;
    Data.MakeValidColRange(lo, hi);
    if (hi - lo + 1 > EigenMaxOrder) return false;  // CalcEigVec would refuse it
    TMatrix cov;
    cov.Resize(hi - lo + 1, hi - lo + 1);
    if (!CalcCovar(Data, cov, FirstCol, LastCol, FirstRow, LastRow, Mode)) return false;
    if (!CalcEigVec(cov)) return false;
  }
  const std::size_t n = static_cast<std::size_t>(EigenStore.Size);
  std::vector<double>& val = EigenStore.Values;
  if (Normalize) {
    double sum = 0.0;
    for (const double x : val) sum += std::abs(x);
    if (sum != 0.0)
      for (double& x : val) x /= sum;
  }
  for (std::size_t i = 0; i + 1 < n; ++i) {
    std::size_t k = i;
    for (std::size_t j = i + 1; j < n; ++j)
      if (val[j] > val[k]) k = j;
    if (k == i) continue;
    std::swap(val[i], val[k]);
    double* vi = EigenStore.Vectors.data() + i * n;
    std::swap_ranges(vi, vi + n, EigenStore.Vectors.data() + k * n);
  }
  return true;
}

bool CalcPrincComp(const TMatrix& Data, std::int32_t FirstCol, std::int32_t LastCol, std::int32_t FirstRow,
                   std::int32_t LastRow, std::int32_t Mode) {
  return CalcPrincComp(Data, FirstCol, LastCol, FirstRow, LastRow, Mode, true);
}

}  // namespace kvl
