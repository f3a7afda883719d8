// Blocked LU factorisation and in-place inversion on row pointers.
//
// FactorLU is right-looking: a panel of NB columns is factorised column by
// column (pivot search, row exchange, multipliers), then the rows of U to
// its right are solved and the trailing matrix is updated with one Gemm.
// The pivot of each column is chosen among fully updated candidates, so the
// rule is that of Crout's column-by-column method whatever the blocking.
//
// InvertFactored works in place with NB work rows of length n: U is
// replaced by U^-1 (bottom-up block rows), then X*L = U^-1 is solved for
// X = U^-1 * L^-1 (right-to-left block columns), and finally the columns
// are interchanged back, which gives M^-1 = X*P.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "kvl/runtime/cpu_clones.h"
#include "kvl/arrays/linalg/internal/linalg_internal.h"
#include "kvl/base/KVL_kvlbase.h"

namespace kvl::linalg_internal {
namespace {

constexpr std::size_t NB = 64;  // panel width and block size

void SwapRows(const LuRows& M, std::size_t i, std::size_t j) {
  if (M.Vecs) {
    M.Vecs[i].swap(M.Vecs[j]);
    std::swap(M.R[i], M.R[j]);
  } else {
    std::swap_ranges(M.R[i], M.R[i] + M.N, M.R[j]);
  }
}

typedef double V4 __attribute__((vector_size(32)));  // one AVX register, two SSE registers

// y[0..len) -= l * x[0..len), four cells at a time (y and x never overlap).
[[gnu::always_inline]] inline void SubScaled(double* y, const double* x, double l, std::size_t len) {
  std::size_t c = 0;
  for (; c + 4 <= len; c += 4) {
    V4 yv, xv;
    std::memcpy(&yv, y + c, sizeof yv);
    std::memcpy(&xv, x + c, sizeof xv);
    yv -= xv * l;
    std::memcpy(y + c, &yv, sizeof yv);
  }
  for (; c < len; ++c) y[c] -= x[c] * l;
}

// Row scales of the implicit pivoting: 1 / the largest magnitude of each row;
// false for a row without a non-zero cell.
bool RowScales(const LuRows& M, std::vector<double>& scale) {
  scale.resize(M.N);
  for (std::size_t i = 0; i < M.N; ++i) {
    double big = 0.0;
    for (std::size_t j = 0; j < M.N; ++j) big = std::max(big, std::fabs(M.R[i][j]));
    if (!(big > 0.0)) return false;
    scale[i] = 1.0 / big;
  }
  return true;
}

// Inverts the upper triangle of the b x b diagonal block that starts at
// row and column i0, in place (bottom-up rows, one work row).
[[gnu::always_inline]] inline void InvertUpperBlock(double* const* R, std::size_t i0, std::size_t b, double* tmp) {
  for (std::size_t i = b; i-- > 0;) {
    double* ri = R[i0 + i] + i0;
    const double d = 1.0 / ri[i];
    for (std::size_t k = i + 1; k < b; ++k) {
      tmp[k] = ri[k];
      ri[k] = 0.0;
    }
    for (std::size_t k = i + 1; k < b; ++k)
      if (tmp[k] != 0.0) SubScaled(ri + k, R[i0 + k] + i0 + k, -tmp[k], b - k);
    for (std::size_t k = i + 1; k < b; ++k) ri[k] *= -d;
    ri[i] = d;
  }
}

// Copies the upper triangle of the b x b block at (i0, i0) into tri (row
// stride NB), zeros below the diagonal.
void CopyUpper(double* const* R, std::size_t i0, std::size_t b, double* tri) {
  for (std::size_t p = 0; p < b; ++p)
    for (std::size_t q = 0; q < b; ++q) tri[p * NB + q] = q >= p ? R[i0 + p][i0 + q] : 0.0;
}

}  // namespace

KVL_CPU_CLONES TLuResult FactorLU(const LuRows& M, TLuMode Mode, std::int32_t* Swaps, GemmWork<double>& Work) {
  const std::size_t n = M.N;
  double* const* R = M.R;
  std::vector<double> scale;
  if (Mode == TLuMode::lmInvert && !RowScales(M, scale)) return TLuResult::lrSingular;
  bool singular = false;

  for (std::size_t k = 0; k < n; k += NB) {
    const std::size_t ke = std::min(n, k + NB);
    for (std::size_t j = k; j < ke; ++j) {
      if (Mode == TLuMode::lmInvert) {
        ReportMathProgress();
        if (AbortMathProc) return TLuResult::lrAborted;
      }
      std::size_t p = j;
      if (Mode != TLuMode::lmNone) {
        double big = -1.0;
        for (std::size_t i = j; i < n; ++i) {
          double v = std::fabs(R[i][j]);
          if (Mode == TLuMode::lmInvert) v *= scale[i];
          if (v > big) {
            big = v;
            p = i;
          }
        }
      }
      Swaps[j] = static_cast<std::int32_t>(p);
      if (p != j) {
        SwapRows(M, j, p);
        if (!scale.empty()) std::swap(scale[j], scale[p]);
      }
      double piv = R[j][j];
      if (Mode == TLuMode::lmInvert) {
        if (!(std::fabs(piv) >= LuPivotFloor)) {  // also catches NaN
          piv = LuPivotFloor;
          R[j][j] = piv;
          singular = true;
        }
      } else if (piv == 0.0) {
        // Nothing to eliminate when the column below is zero as well.
        for (std::size_t i = j + 1; i < n; ++i)
          if (R[i][j] != 0.0) return TLuResult::lrNoPivot;
        continue;
      }
      const double inv = 1.0 / piv;
      for (std::size_t i = j + 1; i < n; ++i) {
        const double l = (R[i][j] *= inv);
        if (l != 0.0) SubScaled(R[i] + j + 1, R[j] + j + 1, l, ke - j - 1);
      }
    }
    if (ke < n) {
      // Rows of U right of the panel: U12 := L11^-1 * A12.
      for (std::size_t p = k + 1; p < ke; ++p)
        for (std::size_t q = k; q < p; ++q)
          if (R[p][q] != 0.0) SubScaled(R[p] + ke, R[q] + ke, R[p][q], n - ke);
      // Trailing matrix: A22 -= L21 * U12.
      const RowsOf<double> rows{R, 0};
      Gemm<double>(n - ke, n - ke, ke - k, rows.At(ke, k), rows.At(k, ke), rows.At(ke, ke), true, Work);
    }
  }
  return singular ? TLuResult::lrSingular : TLuResult::lrOk;
}

KVL_CPU_CLONES bool InvertFactored(const LuRows& M, const std::int32_t* Swaps, GemmWork<double>& Work) {
  const std::size_t n = M.N;
  double* const* R = M.R;
  const RowsOf<double> rows{R, 0};
  const std::size_t nBlocks = (n + NB - 1) / NB;

  // Work: n rows of NB cells (or NB rows of n cells), a b x b triangle, a row.
  std::vector<double> work(n * NB + NB * NB + NB);
  double* tri = work.data() + n * NB;
  double* tmp = tri + NB * NB;
  std::vector<double*> wideRows(NB), narrowRows(n), triRows(NB);
  for (std::size_t i = 0; i < NB; ++i) wideRows[i] = work.data() + i * n;
  for (std::size_t i = 0; i < n; ++i) narrowRows[i] = work.data() + i * NB;
  for (std::size_t i = 0; i < NB; ++i) triRows[i] = tri + i * NB;
  const RowsOf<double> wide{wideRows.data(), 0}, narrow{narrowRows.data(), 0}, triangle{triRows.data(), 0};

  // U := U^-1, block rows from the bottom: V12 = -V11 * (U12 * V22).
  for (std::size_t bi = nBlocks; bi-- > 0;) {
    const std::size_t i0 = bi * NB, b = std::min(NB, n - i0), t0 = i0 + b;
    InvertUpperBlock(R, i0, b, tmp);
    if (t0 == n) continue;
    const std::size_t nt = n - t0;
    for (std::size_t p = 0; p < b; ++p) std::fill_n(wideRows[p], nt, 0.0);
    for (std::size_t c0 = t0; c0 < n; c0 += NB) {
      const std::size_t bc = std::min(NB, n - c0);
      // V22 is upper triangular: its rows t0..c0-1 are full over these
      // columns, its diagonal block only on and above the diagonal.
      Gemm<double>(b, bc, c0 - t0, rows.At(i0, t0), rows.At(t0, c0), wide.At(0, c0 - t0), false, Work);
      CopyUpper(R, c0, bc, tri);
      Gemm<double>(b, bc, bc, rows.At(i0, c0), triangle, wide.At(0, c0 - t0), false, Work);
    }
    CopyUpper(R, i0, b, tri);
    for (std::size_t p = 0; p < b; ++p) std::fill_n(R[i0 + p] + t0, nt, 0.0);
    Gemm<double>(b, nt, b, triangle, wide, rows.At(i0, t0), true, Work);
  }

  // X * L = U^-1, block columns from the right.
  for (std::size_t bj = nBlocks; bj-- > 0;) {
    const std::size_t j0 = bj * NB, b = std::min(NB, n - j0), t0 = j0 + b;
    for (std::size_t q = 0; q < b; ++q) {
      ReportMathProgress();
      if (AbortMathProc) return false;
    }
    // Move the block columns of L into the work rows (zero above the unit
    // diagonal) and leave U^-1's zeros in their place.
    for (std::size_t i = j0; i < n; ++i) {
      double* ri = R[i] + j0;
      double* w = narrowRows[i - j0];
      for (std::size_t q = 0; q < b; ++q) {
        if (i > j0 + q) {
          w[q] = ri[q];
          ri[q] = 0.0;
        } else {
          w[q] = 0.0;
        }
      }
    }
    if (t0 < n) Gemm<double>(n, b, n - t0, rows.At(0, t0), narrow.At(b, 0), rows.At(0, j0), true, Work);
    for (std::size_t r = 0; r < n; ++r) {
      double* x = R[r] + j0;
      for (std::size_t p = b; p-- > 1;)
        if (x[p] != 0.0) SubScaled(x, narrowRows[p], x[p], p);
    }
  }

  // M^-1 = X * P: undo the row exchanges on the columns, last first.
  for (std::size_t r = 0; r < n; ++r) {
    double* x = R[r];
    for (std::size_t j = n - 1; j-- > 0;) {
      const auto s = static_cast<std::size_t>(Swaps[j]);
      if (s != j) std::swap(x[j], x[s]);
    }
  }
  return true;
}

}  // namespace kvl::linalg_internal
