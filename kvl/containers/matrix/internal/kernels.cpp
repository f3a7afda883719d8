// The cross-product kernels of the matrix numerics. A register tile of
// TileI x TileJ column pairs runs down a block of CrossDepth rows with one
// 4-lane partial sum per pair; blocks of TileJBlock columns of the right
// operand stay in the second-level cache while every tile of the left one
// passes over them. Compiled once for any x86-64 and once for AVX2 (chosen
// at load time); neither contracts to fused multiply-adds, so both give the
// same bits.

#include "kvl/containers/matrix/internal/kernels.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KVL_MATRIX_KERNEL [[gnu::target_clones("avx2", "default")]]
#else
#define KVL_MATRIX_KERNEL
#endif

namespace kvl::matrix_detail {
namespace {

constexpr std::size_t TileI = 4;        // left columns per register tile
constexpr std::size_t TileJ = 3;        // right columns per register tile
constexpr std::size_t TileJBlock = 192;  // right columns kept in cache (a multiple of TileJ)

typedef double V4 __attribute__((vector_size(32)));

// One tile: Out[i][j] = Σ_{p<kc} x_i[p]·y_j[p] in the fixed order described
// in the header.
template <std::size_t MI, std::size_t NJ>
[[gnu::always_inline]] inline void Tile(const double* x, std::size_t ldx, const double* y, std::size_t ldy,
                                        std::size_t kc, double (&Out)[TileI][TileJ]) {
  V4 acc[MI][NJ];
  for (std::size_t i = 0; i < MI; ++i)
    for (std::size_t j = 0; j < NJ; ++j) acc[i][j] = V4{0.0, 0.0, 0.0, 0.0};
  std::size_t p = 0;
  for (; p + 4 <= kc; p += 4) {
    V4 xv[MI];
#pragma GCC unroll 4
    for (std::size_t i = 0; i < MI; ++i) std::memcpy(&xv[i], x + i * ldx + p, sizeof(V4));
#pragma GCC unroll 4
    for (std::size_t j = 0; j < NJ; ++j) {
      V4 yv;
      std::memcpy(&yv, y + j * ldy + p, sizeof(V4));
#pragma GCC unroll 4
      for (std::size_t i = 0; i < MI; ++i) acc[i][j] += xv[i] * yv;
    }
  }
  for (std::size_t i = 0; i < MI; ++i)
    for (std::size_t j = 0; j < NJ; ++j) Out[i][j] = (acc[i][j][0] + acc[i][j][1]) + (acc[i][j][2] + acc[i][j][3]);
  for (; p < kc; ++p)
    for (std::size_t i = 0; i < MI; ++i)
      for (std::size_t j = 0; j < NJ; ++j) Out[i][j] += x[i * ldx + p] * y[j * ldy + p];
}

template <std::size_t MI>
[[gnu::always_inline]] inline void TileRow(std::size_t nj, const double* x, std::size_t ldx, const double* y,
                                           std::size_t ldy, std::size_t kc, double (&Out)[TileI][TileJ]) {
  switch (nj) {
    case 1: Tile<MI, 1>(x, ldx, y, ldy, kc, Out); break;
    case 2: Tile<MI, 2>(x, ldx, y, ldy, kc, Out); break;
    default: Tile<MI, 3>(x, ldx, y, ldy, kc, Out); break;
  }
}

// One block of kc rows: C[i + j·ldc] := (Accumulate ? C : 0) + the block's
// cross product, for the pairs with j + Shift >= i.
KVL_MATRIX_KERNEL void CrossBlock(const double* X, std::size_t ldx, std::size_t nx, const double* Y,
                                  std::size_t ldy, std::size_t ny, std::size_t kc, double* C, std::size_t ldc,
                                  bool Accumulate, std::ptrdiff_t Shift) {
  double out[TileI][TileJ];
  for (std::size_t i0 = 0; i0 < nx; i0 += TileI) {
    const std::size_t mi = std::min(TileI, nx - i0);
    if (static_cast<std::ptrdiff_t>(i0) > static_cast<std::ptrdiff_t>(ny) - 1 + Shift) break;
    for (std::size_t j0 = 0; j0 < ny; j0 += TileJ) {
      const std::size_t nj = std::min(TileJ, ny - j0);
      if (static_cast<std::ptrdiff_t>(j0 + nj) - 1 + Shift < static_cast<std::ptrdiff_t>(i0)) continue;
      const double* x = X + i0 * ldx;
      const double* y = Y + j0 * ldy;
      switch (mi) {
        case 1: TileRow<1>(nj, x, ldx, y, ldy, kc, out); break;
        case 2: TileRow<2>(nj, x, ldx, y, ldy, kc, out); break;
        case 3: TileRow<3>(nj, x, ldx, y, ldy, kc, out); break;
        default: TileRow<4>(nj, x, ldx, y, ldy, kc, out); break;
      }
      for (std::size_t j = 0; j < nj; ++j) {
        double* c = C + (j0 + j) * ldc + i0;
        for (std::size_t i = 0; i < mi; ++i) {
          if (static_cast<std::ptrdiff_t>(j0 + j) + Shift < static_cast<std::ptrdiff_t>(i0 + i)) continue;
          c[i] = Accumulate ? c[i] + out[i][j] : out[i][j];
        }
      }
    }
  }
}

constexpr std::ptrdiff_t NoTriangle = std::numeric_limits<std::ptrdiff_t>::max() / 4;

}  // namespace

void CrossProducts(const double* X, std::size_t ldx, std::size_t nx, const double* Y, std::size_t ldy,
                   std::size_t ny, std::size_t k, double* C, std::size_t ldc) {
  if (k == 0) {
    for (std::size_t j = 0; j < ny; ++j) std::fill_n(C + j * ldc, nx, 0.0);
    return;
  }
  for (std::size_t jc = 0; jc < ny; jc += TileJBlock) {
    const std::size_t nj = std::min(TileJBlock, ny - jc);
    for (std::size_t kb = 0; kb < k; kb += CrossDepth)
      CrossBlock(X + kb, ldx, nx, Y + jc * ldy + kb, ldy, nj, std::min(CrossDepth, k - kb), C + jc * ldc, ldc,
                 kb != 0, NoTriangle);
  }
}

void GramPanel(const double* A, std::size_t Rows, std::size_t N, std::size_t i0, std::size_t i1, double* G,
               double Norm) {
  const double* X = A + i0 * Rows;
  double* C = G + i0 * N + i0;  // cell (i, j) of the panel at C[(i - i0) + (j - i0)·N]
  const std::size_t nx = i1 - i0;
  for (std::size_t jc = i0; jc < N; jc += TileJBlock) {
    const std::size_t nj = std::min(TileJBlock, N - jc);
    for (std::size_t kb = 0; kb < Rows; kb += CrossDepth)
      CrossBlock(X + kb, Rows, nx, A + jc * Rows + kb, Rows, nj, std::min(CrossDepth, Rows - kb),
                 C + (jc - i0) * N, N, kb != 0, static_cast<std::ptrdiff_t>(jc - i0));
  }
  for (std::size_t i = i0; i < i1; ++i)
    for (std::size_t j = i; j < N; ++j) {
      const double v = G[i + j * N] / Norm;
      G[i + j * N] = v;
      G[j + i * N] = v;
    }
}

void Transpose(const double* Src, std::size_t Rows, std::size_t Cols, double* Dst) {
  constexpr std::size_t B = 32;
  for (std::size_t c0 = 0; c0 < Cols; c0 += B)
    for (std::size_t r0 = 0; r0 < Rows; r0 += B) {
      const std::size_t c1 = std::min(Cols, c0 + B), r1 = std::min(Rows, r0 + B);
      for (std::size_t c = c0; c < c1; ++c)
        for (std::size_t r = r0; r < r1; ++r) Dst[c + r * Cols] = Src[r + c * Rows];
    }
}

}  // namespace kvl::matrix_detail
