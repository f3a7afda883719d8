// The matrix-product kernel. Blocks of A and B are packed into contiguous
// slivers (A: MR rows, B: NR columns) so that the register tile streams
// through cache-resident memory; the kc x nc panel of B is reused by every
// block of A. A product with a single row of A (a vector product) skips
// the packing and runs the same summation directly on the operands.
//
// This file is compiled with floating-point contraction (see the arrays
// CMakeLists), and its arithmetic runs in the CPU clones of cpu_clones.h.

#include "kvl/arrays/internal/gemm_kernel.h"

#include <algorithm>
#include <cstring>

#include "kvl/runtime/cpu_clones.h"

namespace kvl::gemm_internal {
namespace {

constexpr std::size_t MR = 6;     // rows of a register tile
constexpr std::size_t NR = 8;     // columns of a register tile
constexpr std::size_t MC = 120;   // rows of a packed block of A (a multiple of MR)
constexpr std::size_t NC = 2048;  // columns of a packed panel of B (a multiple of NR)

// 32-byte vectors of T: one AVX register, two SSE registers.
template <class T>
struct VecOf {
  typedef T type __attribute__((vector_size(32)));
};

// Packs cells (i0 + i, p0 + p), i < mc, p < kc, of A into slivers of MR rows:
// sliver s holds A(s*MR + i, p) at (p*MR + i); missing rows are zero.
template <class T>
void PackA(std::size_t mc, std::size_t kc, const TOperand<T>& A, std::size_t i0, std::size_t p0, T* dst) {
  for (std::size_t s = 0; s < mc; s += MR, dst += kc * MR) {
    const std::size_t mr = std::min(MR, mc - s);
    if (!A.Trans) {
      for (std::size_t i = 0; i < MR; ++i) {
        if (i < mr) {
          const T* a = A.Rows[i0 + s + i] + p0;
          for (std::size_t p = 0; p < kc; ++p) dst[p * MR + i] = a[p];
        } else {
          for (std::size_t p = 0; p < kc; ++p) dst[p * MR + i] = T{};
        }
      }
    } else {
      for (std::size_t p = 0; p < kc; ++p) {
        const T* a = A.Rows[p0 + p] + i0 + s;
        T* d = dst + p * MR;
        std::size_t i = 0;
        for (; i < mr; ++i) d[i] = a[i];
        for (; i < MR; ++i) d[i] = T{};
      }
    }
  }
}

// Packs cells (p0 + p, j0 + j), p < kc, j < nc, of B into slivers of NR
// columns: sliver s holds B(p, s*NR + j) at (p*NR + j); missing columns are zero.
template <class T>
void PackB(std::size_t kc, std::size_t nc, const TOperand<T>& B, std::size_t p0, std::size_t j0, T* dst) {
  for (std::size_t s = 0; s < nc; s += NR, dst += kc * NR) {
    const std::size_t nr = std::min(NR, nc - s);
    if (!B.Trans) {
      for (std::size_t p = 0; p < kc; ++p) {
        const T* b = B.Rows[p0 + p] + j0 + s;
        T* d = dst + p * NR;
        std::size_t j = 0;
        for (; j < nr; ++j) d[j] = b[j];
        for (; j < NR; ++j) d[j] = T{};
      }
    } else {
      for (std::size_t j = 0; j < NR; ++j) {
        if (j < nr) {
          const T* b = B.Rows[j0 + s + j] + p0;
          for (std::size_t p = 0; p < kc; ++p) dst[p * NR + j] = b[p];
        } else {
          for (std::size_t p = 0; p < kc; ++p) dst[p * NR + j] = T{};
        }
      }
    }
  }
}

// The register tile: tile (MR x NR) := A sliver · B sliver over kc steps.
template <class T>
[[gnu::always_inline]] inline void MicroKernel(std::size_t kc, const T* a, const T* b, T* tile) {
  using V = typename VecOf<T>::type;
  constexpr std::size_t L = 32 / sizeof(T);
  constexpr std::size_t NV = NR / L;
  V acc[MR][NV] = {};
  for (std::size_t p = 0; p < kc; ++p, a += MR, b += NR) {
    V bv[NV];
#pragma GCC unroll 8
    for (std::size_t j = 0; j < NV; ++j) std::memcpy(&bv[j], b + j * L, sizeof(V));
#pragma GCC unroll 8
    for (std::size_t i = 0; i < MR; ++i) {
      const T ai = a[i];
#pragma GCC unroll 8
      for (std::size_t j = 0; j < NV; ++j) acc[i][j] += bv[j] * ai;
    }
  }
#pragma GCC unroll 8
  for (std::size_t i = 0; i < MR; ++i)
#pragma GCC unroll 8
    for (std::size_t j = 0; j < NV; ++j) std::memcpy(tile + i * NR + j * L, &acc[i][j], sizeof(V));
}

// C (mc x nc) ±= packed A block · packed B panel, one register tile at a time.
template <class T>
[[gnu::always_inline]] inline void MultiplyPacked(std::size_t mc, std::size_t nc, std::size_t kc, const T* pa,
                                                  const T* pb, RowsOf<T> C, bool Subtract) {
  alignas(64) T tile[MR * NR];
  for (std::size_t jr = 0; jr < nc; jr += NR) {
    const std::size_t nr = std::min(NR, nc - jr);
    for (std::size_t ir = 0; ir < mc; ir += MR) {
      const std::size_t mr = std::min(MR, mc - ir);
      MicroKernel(kc, pa + ir * kc, pb + jr * kc, tile);
      for (std::size_t i = 0; i < mr; ++i) {
        T* c = C[ir + i] + jr;
        const T* t = tile + i * NR;
        if (Subtract)
          for (std::size_t j = 0; j < nr; ++j) c[j] -= t[j];
        else
          for (std::size_t j = 0; j < nr; ++j) c[j] += t[j];
      }
    }
  }
}

// One row of C: c[0..n) ±= a[0..k) · B, in the order of the register tile
// (per depth block a sum from zero, steps in order, then added to c), with
// the tile's vector expression so that both contract alike. sum: n + L work
// cells.
template <class T>
[[gnu::always_inline]] inline void MultiplyRow(std::size_t n, std::size_t k, const T* a, const TOperand<T>& B, T* c,
                                               bool Subtract, T* sum) {
  using V = typename VecOf<T>::type;
  constexpr std::size_t L = 32 / sizeof(T);
  const std::size_t nv = (n + L - 1) / L;
  for (std::size_t p0 = 0; p0 < k; p0 += KC) {
    const std::size_t kc = std::min(KC, k - p0);
    if (!B.Trans) {
      // Row after row of B into the L-cell groups of sum (the last group
      // through a zero-padded copy), all of B's cells read in storage order.
      std::fill_n(sum, nv * L, T{});
      const std::size_t full = n / L;
      for (std::size_t p = p0; p < p0 + kc; ++p) {
        const T ap = a[p];
        const T* b = B.Rows[p];
        for (std::size_t v = 0; v < full; ++v) {
          V acc, bv;
          std::memcpy(&acc, sum + v * L, sizeof(V));
          std::memcpy(&bv, b + v * L, sizeof(V));
          acc += bv * ap;
          std::memcpy(sum + v * L, &acc, sizeof(V));
        }
        if (full < nv) {
          V acc, bv = {};
          std::memcpy(&acc, sum + full * L, sizeof(V));
          std::memcpy(&bv, b + full * L, (n - full * L) * sizeof(T));
          acc += bv * ap;
          std::memcpy(sum + full * L, &acc, sizeof(V));
        }
      }
    } else {
      // Cell j is the product of a with stored row j: L rows at a time, one
      // lane each (missing rows repeat the last one and are dropped).
      for (std::size_t v = 0; v < nv; ++v) {
        const std::size_t j0 = v * L;
        const T* rows[L];
        for (std::size_t l = 0; l < L; ++l) rows[l] = B.Rows[std::min(j0 + l, n - 1)] + p0;
        V acc = {};
        for (std::size_t p = 0; p < kc; ++p) {
          V bv;
#pragma GCC unroll 8
          for (std::size_t l = 0; l < L; ++l) bv[l] = rows[l][p];
          acc += bv * a[p0 + p];
        }
        std::memcpy(sum + j0, &acc, sizeof(V));
      }
    }
    if (Subtract)
      for (std::size_t j = 0; j < n; ++j) c[j] -= sum[j];
    else
      for (std::size_t j = 0; j < n; ++j) c[j] += sum[j];
  }
}

// The CPU clones: one per element type of the packed product and of the row product.
KVL_CPU_CLONES void PackedDouble(std::size_t mc, std::size_t nc, std::size_t kc, const double* pa, const double* pb,
                                 RowsOf<double> C, bool Subtract) {
  MultiplyPacked(mc, nc, kc, pa, pb, C, Subtract);
}
KVL_CPU_CLONES void PackedU32(std::size_t mc, std::size_t nc, std::size_t kc, const std::uint32_t* pa,
                              const std::uint32_t* pb, RowsOf<std::uint32_t> C, bool Subtract) {
  MultiplyPacked(mc, nc, kc, pa, pb, C, Subtract);
}
KVL_CPU_CLONES void RowDouble(std::size_t n, std::size_t k, const double* a, const TOperand<double>& B, double* c,
                              bool Subtract, double* sum) {
  MultiplyRow(n, k, a, B, c, Subtract, sum);
}
KVL_CPU_CLONES void RowU32(std::size_t n, std::size_t k, const std::uint32_t* a, const TOperand<std::uint32_t>& B,
                           std::uint32_t* c, bool Subtract, std::uint32_t* sum) {
  MultiplyRow(n, k, a, B, c, Subtract, sum);
}

inline void Packed(std::size_t mc, std::size_t nc, std::size_t kc, const double* pa, const double* pb,
                   RowsOf<double> C, bool Subtract) {
  PackedDouble(mc, nc, kc, pa, pb, C, Subtract);
}
inline void Packed(std::size_t mc, std::size_t nc, std::size_t kc, const std::uint32_t* pa, const std::uint32_t* pb,
                   RowsOf<std::uint32_t> C, bool Subtract) {
  PackedU32(mc, nc, kc, pa, pb, C, Subtract);
}
inline void Row(std::size_t n, std::size_t k, const double* a, const TOperand<double>& B, double* c, bool Subtract,
                double* sum) {
  RowDouble(n, k, a, B, c, Subtract, sum);
}
inline void Row(std::size_t n, std::size_t k, const std::uint32_t* a, const TOperand<std::uint32_t>& B,
                std::uint32_t* c, bool Subtract, std::uint32_t* sum) {
  RowU32(n, k, a, B, c, Subtract, sum);
}

}  // namespace

template <class T>
void Gemm(std::size_t m, std::size_t n, std::size_t k, TOperand<T> A, TOperand<T> B, RowsOf<T> C, bool Subtract,
          GemmWork<T>& Work) {
  if (m == 0 || n == 0 || k == 0) return;
  if (m == 1) {
    // The row of A gathered once (contiguous already unless transposed).
    if (Work.PackA.size() < k) Work.PackA.resize(k);
    if (Work.PackB.size() < n + 32) Work.PackB.resize(n + 32);
    const T* a = A.Rows[0];
    if (A.Trans) {
      for (std::size_t p = 0; p < k; ++p) Work.PackA[p] = A.Rows[p][0];
      a = Work.PackA.data();
    }
    Row(n, k, a, B, C[0], Subtract, Work.PackB.data());
    return;
  }
  const std::size_t ncMax = std::min(NC, (n + NR - 1) / NR * NR);
  const std::size_t kcMax = std::min(KC, k);
  const std::size_t mcMax = std::min(MC, (m + MR - 1) / MR * MR);
  if (Work.PackA.size() < mcMax * kcMax) Work.PackA.resize(mcMax * kcMax);
  if (Work.PackB.size() < ncMax * kcMax) Work.PackB.resize(ncMax * kcMax);
  T* pa = Work.PackA.data();
  T* pb = Work.PackB.data();
  for (std::size_t jc = 0; jc < n; jc += NC) {
    const std::size_t nc = std::min(NC, n - jc);
    for (std::size_t pc = 0; pc < k; pc += KC) {
      const std::size_t kc = std::min(KC, k - pc);
      PackB(kc, nc, B, pc, jc, pb);
      for (std::size_t ic = 0; ic < m; ic += MC) {
        const std::size_t mc = std::min(MC, m - ic);
        PackA(mc, kc, A, ic, pc, pa);
        Packed(mc, nc, kc, pa, pb, C.At(ic, jc), Subtract);
      }
    }
  }
}

template void Gemm<double>(std::size_t, std::size_t, std::size_t, TOperand<double>, TOperand<double>, RowsOf<double>,
                           bool, GemmWork<double>&);
template void Gemm<std::uint32_t>(std::size_t, std::size_t, std::size_t, TOperand<std::uint32_t>,
                                  TOperand<std::uint32_t>, RowsOf<std::uint32_t>, bool, GemmWork<std::uint32_t>&);

}  // namespace kvl::gemm_internal
