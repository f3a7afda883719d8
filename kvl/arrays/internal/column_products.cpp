// The column-major products of the matrix containers on the product kernel,
// and the threaded Gram product on the worker pool.
//
// Column-major storage read through row pointers is the transpose of the
// matrix, so C = op(A)·op(B) is computed as Cᵀ = op(B)ᵀ·op(A)ᵀ, whose rows
// (C's columns) are contiguous; a transposed operand is simply read with
// the other orientation, so no product copies its operands.

#include <algorithm>
#include <vector>

#include "kvl/arrays/array_kernels.h"
#include "kvl/arrays/internal/gemm_kernel.h"
#include "kvl/arrays/internal/worker_pool.h"

namespace kvl::detail {
namespace {

using gemm_internal::GemmWork;
using gemm_internal::RowsOf;
using gemm_internal::TOperand;

constexpr std::size_t MaxPanel = 120;  // Gram columns per task at most

std::vector<const double*> StoredColumns(const double* Data, std::size_t Rows, std::size_t Cols) {
  std::vector<const double*> cols(Cols);
  for (std::size_t c = 0; c < Cols; ++c) cols[c] = Data + c * Rows;
  return cols;
}

std::vector<double*> StoredColumns(double* Data, std::size_t Rows, std::size_t Cols) {
  std::vector<double*> cols(Cols);
  for (std::size_t c = 0; c < Cols; ++c) cols[c] = Data + c * Rows;
  return cols;
}

}  // namespace

void ColumnMajorProduct(const TColumnMajor& A, const TColumnMajor& B, double* C) {
  const std::size_t m = A.Trans ? A.Cols : A.Rows, k = A.Trans ? A.Rows : A.Cols;
  const std::size_t n = B.Trans ? B.Rows : B.Cols;
  std::fill_n(C, m * n, 0.0);
  if (m == 0 || n == 0 || k == 0) return;
  const std::vector<const double*> a = StoredColumns(A.Data, A.Rows, A.Cols), b = StoredColumns(B.Data, B.Rows, B.Cols);
  const std::vector<double*> c = StoredColumns(C, m, n);
  GemmWork<double> work;
  // Cᵀ (n x m) = op(B)ᵀ (n x k) · op(A)ᵀ (k x m).
  gemm_internal::Gemm<double>(n, m, k, TOperand<double>({b.data(), 0}, B.Trans),
                              TOperand<double>({a.data(), 0}, A.Trans), RowsOf<double>{c.data(), 0}, false, work);
}

bool GramProduct(const double* A, std::size_t Rows, std::size_t N, double* G, double Norm, std::int32_t NThreads) {
  if (N == 0) return true;
  const std::size_t workers = NThreads <= 1 ? 1 : static_cast<std::size_t>(NThreads);
  // Panels small enough that every worker gets several, large enough that a
  // panel reuses each column it reads many times.
  const std::size_t w = std::clamp<std::size_t>(N / (4 * workers), 1, MaxPanel);
  const std::size_t panels = (N + w - 1) / w;
  const std::vector<const double*> a = StoredColumns(A, Rows, N);
  const std::vector<double*> g = StoredColumns(G, N, N);
  const RowsOf<const double> cols{a.data(), 0};
  const RowsOf<double> gRows{g.data(), 0};

  // Panel [i0, i1) fills the cells (i, j), i in the panel and j >= i0, of
  // G's columns i (stored rows of Gᵀ = G), and mirrors those with j > i.
  const auto panel = [&](std::size_t t) {
    const std::size_t i0 = t * w, i1 = std::min(N, i0 + w);
    for (std::size_t i = i0; i < i1; ++i) std::fill(g[i] + i0, g[i] + N, 0.0);
    GemmWork<double> work;
    // Columns i0..i1 of G as rows: (i, j) = Σ_r A[r][i]·A[r][j].
    if (Rows > 0)
      gemm_internal::Gemm<double>(i1 - i0, N - i0, Rows, TOperand<double>(cols.At(i0, 0)),
                                  TOperand<double>(cols.At(i0, 0), true), gRows.At(i0, i0), false, work);
    for (std::size_t i = i0; i < i1; ++i)
      for (std::size_t j = i; j < N; ++j) {
        const double v = g[i][j] / Norm;
        g[i][j] = v;
        g[j][i] = v;
      }
  };
  const auto steps = [&](std::size_t t) { return std::min(N, (t + 1) * w) - t * w; };
  return pool_internal::RunTasks(panels, NThreads, panel, steps);
}

}  // namespace kvl::detail
