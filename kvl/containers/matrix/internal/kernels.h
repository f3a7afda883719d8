#pragma once
// Internal kernels of the matrix numerics, on raw column-major storage:
// column c of an operand with ld rows starts at data + c * ld.
//
// Every cross product Σ_p x[p]·y[p] of two columns is formed the same way,
// whatever the tile, block or thread that computes it: in blocks of
// CrossDepth rows from the top, each block summed in four interleaved
// partial sums ((s0 + s1) + (s2 + s3)) plus the rows left over one by one,
// the blocks added in order. So Square gives the same bits with any number
// of threads and equals TransposeAndMultiply of a matrix with itself.

#include <cstddef>
#include <cstdint>

namespace kvl::matrix_detail {

/// CrossDepth: the rows per block of a cross product (a multiple of 4).
inline constexpr std::size_t CrossDepth = 256;

/// CrossProducts: C := Xᵀ·Y for X of k rows and nx columns (stride ldx) and Y
/// of k rows and ny columns (stride ldy): C[i + j·ldc] = Σ_p X_i[p]·Y_j[p].
/// C must not overlap X or Y.
void CrossProducts(const double* X, std::size_t ldx, std::size_t nx, const double* Y, std::size_t ldy,
                   std::size_t ny, std::size_t k, double* C, std::size_t ldc);

/// GramPanel: the Gram products of columns i0..i1-1 of A (Rows rows, N
/// columns) with every column j >= i: G(i, j) = G(j, i) = Σ_r A_i[r]·A_j[r] /
/// Norm, in G of N x N cells. It writes only cells (i, j) and (j, i) with i
/// in the panel and j >= i, so panels may run concurrently.
void GramPanel(const double* A, std::size_t Rows, std::size_t N, std::size_t i0, std::size_t i1, double* G,
               double Norm);

/// Transpose: Dst (Cols rows x Rows columns) := the transpose of Src (Rows
/// rows x Cols columns), both column-major and not overlapping.
void Transpose(const double* Src, std::size_t Rows, std::size_t Cols, double* Dst);

}  // namespace kvl::matrix_detail

namespace kvl::matrix_detail {

/// GramProduct: G (N x N) := AᵀA / Norm for A of Rows rows and N columns,
/// the work of Square. Columns are handed out in ascending order, in panels
/// of a few columns, to at most NThreads worker threads (NThreads <= 1: the
/// calling thread computes them itself). Each column adds 1 to ProcStat
/// (atomically from workers). Only the calling thread calls MathFeedBackProc
/// and reads AbortMathProc: single-threaded before every column, threaded on
/// every round of its wait and once more at the end. An abort stops the
/// hand-out, waits for the running panels and returns false (G partly
/// filled); every worker is joined before return. G must not overlap A.
bool GramProduct(const double* A, std::size_t Rows, std::size_t N, double* G, double Norm, std::int32_t NThreads);

}  // namespace kvl::matrix_detail
