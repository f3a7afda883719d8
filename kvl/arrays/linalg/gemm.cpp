// The product kernel under every matrix routine: C += A*B (or C -= A*B) on
// blocks reached through row pointers. Blocks of A and B are packed into
// contiguous slivers (A: MR rows, B: NR columns) so that the register-tiled
// inner kernel streams through cache-resident memory; the kc x nc panel of
// B is reused by every block of A.

#include <algorithm>
#include <cstring>

#include "kvl/arrays/linalg/linalg_detail.h"

namespace kvl::arrays_detail::linalg {
namespace {

constexpr std::size_t MR = 6;     // rows of a register tile
constexpr std::size_t NR = 4;     // columns of a register tile
constexpr std::size_t KC = 256;   // depth of a packed panel
constexpr std::size_t MC = 120;   // rows of a packed block of A
constexpr std::size_t NC = 2048;  // columns of a packed panel of B

// 16-byte vectors of T; GCC splits or widens them as the target allows.
template <class T>
struct VecOf {
  typedef T type __attribute__((vector_size(16)));
};

// Packs rows [0, mc) x columns [0, kc) of A into slivers of MR rows:
// sliver s holds A[s*MR + i][p] at (p*MR + i); missing rows are zero.
template <class T>
void PackA(std::size_t mc, std::size_t kc, RowsOf<const T> A, T* dst) {
  for (std::size_t s = 0; s < mc; s += MR, dst += kc * MR) {
    const std::size_t mr = std::min(MR, mc - s);
    for (std::size_t i = 0; i < MR; ++i) {
      if (i < mr) {
        const T* a = A[s + i];
        for (std::size_t p = 0; p < kc; ++p) dst[p * MR + i] = a[p];
      } else {
        for (std::size_t p = 0; p < kc; ++p) dst[p * MR + i] = T{};
      }
    }
  }
}

// Packs rows [0, kc) x columns [0, nc) of B into slivers of NR columns:
// sliver s holds B[p][s*NR + j] at (p*NR + j); missing columns are zero.
template <class T>
void PackB(std::size_t kc, std::size_t nc, RowsOf<const T> B, T* dst) {
  for (std::size_t s = 0; s < nc; s += NR, dst += kc * NR) {
    const std::size_t nr = std::min(NR, nc - s);
    for (std::size_t p = 0; p < kc; ++p) {
      const T* b = B[p] + s;
      T* d = dst + p * NR;
      std::size_t j = 0;
      for (; j < nr; ++j) d[j] = b[j];
      for (; j < NR; ++j) d[j] = T{};
    }
  }
}

// The register tile: Tile (MR x NR) := A sliver * B sliver over kc steps.
template <class T>
inline void MicroKernel(std::size_t kc, const T* a, const T* b, T* tile) {
  using V = typename VecOf<T>::type;
  constexpr std::size_t L = 16 / sizeof(T);
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

}  // namespace

template <class T>
void Gemm(std::size_t m, std::size_t n, std::size_t k, RowsOf<const T> A, RowsOf<const T> B, RowsOf<T> C,
          bool Subtract, GemmWork<T>& Work) {
  if (m == 0 || n == 0 || k == 0) return;
  const std::size_t ncMax = std::min(NC, (n + NR - 1) / NR * NR);
  const std::size_t kcMax = std::min(KC, k);
  const std::size_t mcMax = std::min(MC, (m + MR - 1) / MR * MR);
  if (Work.PackA.size() < mcMax * kcMax) Work.PackA.resize(mcMax * kcMax);
  if (Work.PackB.size() < ncMax * kcMax) Work.PackB.resize(ncMax * kcMax);
  T* pa = Work.PackA.data();
  T* pb = Work.PackB.data();
  alignas(64) T tile[MR * NR];

  for (std::size_t jc = 0; jc < n; jc += NC) {
    const std::size_t nc = std::min(NC, n - jc);
    for (std::size_t pc = 0; pc < k; pc += KC) {
      const std::size_t kc = std::min(KC, k - pc);
      PackB(kc, nc, B.At(pc, jc), pb);
      for (std::size_t ic = 0; ic < m; ic += MC) {
        const std::size_t mc = std::min(MC, m - ic);
        PackA(mc, kc, A.At(ic, pc), pa);
        for (std::size_t jr = 0; jr < nc; jr += NR) {
          const std::size_t nr = std::min(NR, nc - jr);
          for (std::size_t ir = 0; ir < mc; ir += MR) {
            const std::size_t mr = std::min(MR, mc - ir);
            MicroKernel(kc, pa + ir * kc, pb + jr * kc, tile);
            for (std::size_t i = 0; i < mr; ++i) {
              T* c = C[ic + ir + i] + jc + jr;
              const T* t = tile + i * NR;
              if (Subtract)
                for (std::size_t j = 0; j < nr; ++j) c[j] -= t[j];
              else
                for (std::size_t j = 0; j < nr; ++j) c[j] += t[j];
            }
          }
        }
      }
    }
  }
}

template void Gemm<double>(std::size_t, std::size_t, std::size_t, RowsOf<const double>, RowsOf<const double>,
                           RowsOf<double>, bool, GemmWork<double>&);
template void Gemm<std::uint32_t>(std::size_t, std::size_t, std::size_t, RowsOf<const std::uint32_t>,
                                  RowsOf<const std::uint32_t>, RowsOf<std::uint32_t>, bool,
                                  GemmWork<std::uint32_t>&);

}  // namespace kvl::arrays_detail::linalg
