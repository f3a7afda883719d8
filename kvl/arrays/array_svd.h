#pragma once
// Singular value decomposition (Golub–Reinsch) and the least-squares solver
// built on it. The matrix norm, the pseudo-inverse, the regressions and the
// polynomial fits all run on these routines.
//
// A matrix is given as a 2-D array A[c][r] (outer index = column): either a
// TColumnView on contiguous column-major storage (no copy) or a
// TDouble2DArray. For A with m rows and n columns:
//
//   std::vector<double> a = ...;                 // m*n values, column after column
//   std::vector<double> v(n * n), w(n);
//   TSvdResult r = SvdDecompose(TColumnView<double>(a.data(), n, m),
//                               TColumnView<double>(v.data(), n, n), w);
//   // r == TSvdResult::svdSuccess: a holds U, and A = U·diag(w)·Vᵀ
//
// The routines never raise; what went wrong is the TSvdResult, and each
// caller decides what to raise or return for it.

#include <cstdint>
#include <span>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TSvdResult: outcome of the singular value routines (ordinals fixed).
/// svdSuccess: done; svdAborted: AbortMathProc stopped the decomposition;
/// svdNoConvergence: a singular value did not converge within
/// SvdMaxIterations QR iterations, or A holds a NaN or an infinity (found
/// before any work or progress step); svdBadSize: the arguments' extents do
/// not fit together (nothing changed).
enum class TSvdResult : std::int32_t { svdSuccess, svdAborted, svdNoConvergence, svdBadSize };

/// SvdMaxIterations: QR iterations allowed per singular value.
inline constexpr int SvdMaxIterations = 30;

/// SvdNearSingularRatio: SvdLeastSquares zeroes singular values not above
/// this fraction of the largest one.
inline constexpr double SvdNearSingularRatio = 1e-14;

/// SvdDecompose: replaces A (m rows x n columns) by U (m x n) and fills W
/// (n values, non-negative, unordered) and V (n x n, orthogonal) so that
/// A = U·diag(W)·Vᵀ. For m >= n the columns of U are orthonormal. Any shape
/// works: for m < n at least n − m values of W are 0, U has orthonormal rows
/// and its columns of non-zero W are orthonormal (the others carry nothing).
/// Progress: ReportMathProgress() at the start of each of the three phases
/// (bidiagonalisation, accumulation, diagonalisation) and once per column in
/// them, 3 + 3n + min(m, n) steps in all; when AbortMathProc is true after a
/// step the result is svdAborted at once. After svdAborted or
/// svdNoConvergence, A, V and W hold intermediate values. The view form
/// needs V of n x n and W of n values, none of A, V, W sharing storage
/// (else svdBadSize).
TSvdResult SvdDecompose(TColumnView<double> A, TColumnView<double> V, std::span<double> W);

/// SvdDecompose on a (rectangular) TDouble2DArray; sizes V to n x n and W to
/// n first. A ragged A, or V being A itself, gives svdBadSize.
TSvdResult SvdDecompose(TDouble2DArray& A, TDouble2DArray& V, TDoubleArray& W);

/// SvdBackSubst: solves A·x ≈ b from the decomposition U (m x n), W (n),
/// V (n x n) of A and b (m values): t_j = (U_j · b)/W_j for W_j ≠ 0, else 0,
/// and x = V·t (x sized to n). The forms with ErrFactors size it to n and
/// fill it with √(Σ_k V_jk² / W_k²) over the k with W_k ≠ 0 (the square root of
/// the diagonal of V·diag(1/W²)·Vᵀ). Returns svdSuccess, or svdBadSize when
/// the extents do not fit (x and ErrFactors unchanged).
TSvdResult SvdBackSubst(TColumnView<const double> U, std::span<const double> W, TColumnView<const double> V,
                        std::span<const double> b, TDoubleArray& x);
TSvdResult SvdBackSubst(TColumnView<const double> U, std::span<const double> W, TColumnView<const double> V,
                        std::span<const double> b, TDoubleArray& x, TDoubleArray& ErrFactors);

/// SvdBackSubst on mutable views (the storage SvdDecompose has just filled).
TSvdResult SvdBackSubst(TColumnView<double> U, std::span<const double> W, TColumnView<double> V,
                        std::span<const double> b, TDoubleArray& x);
TSvdResult SvdBackSubst(TColumnView<double> U, std::span<const double> W, TColumnView<double> V,
                        std::span<const double> b, TDoubleArray& x, TDoubleArray& ErrFactors);

/// SvdBackSubst on TDouble2DArray (rectangular) U and V.
TSvdResult SvdBackSubst(const TDouble2DArray& U, std::span<const double> W, const TDouble2DArray& V,
                        std::span<const double> b, TDoubleArray& x);
TSvdResult SvdBackSubst(const TDouble2DArray& U, std::span<const double> W, const TDouble2DArray& V,
                        std::span<const double> b, TDoubleArray& x, TDoubleArray& ErrFactors);

/// SvdLeastSquares: least-squares coefficients x (n) of A·x ≈ b for the
/// design matrix A (m observations as rows, n parameters as columns; A is
/// replaced by U). NearSingular is cleared, then set when a singular value
/// not above SvdNearSingularRatio times the largest is zeroed; x is then the
/// minimum-norm solution. The forms with ErrFactors also return the factors
/// of SvdBackSubst there. b may lie in A's storage (it is copied first
/// then). Returns the decomposition's outcome (svdSuccess means the solution
/// is there; svdBadSize also when b does not have m values).
TSvdResult SvdLeastSquares(TColumnView<double> A, std::span<const double> b, TDoubleArray& x, bool& NearSingular);
TSvdResult SvdLeastSquares(TColumnView<double> A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                           TDoubleArray& ErrFactors);

/// SvdLeastSquares on a read-only design: A is left as it is (the routine
/// works on a copy), otherwise as above. A design of at least twice as many
/// rows as columns is first reduced to its triangular factor R by Householder
/// reflections (A = Q·R; R has the singular values and V of A), so that the
/// decomposition works on n x n values instead of m x n; the solution and
/// its error factors are those of the decomposition of A, to rounding. U is
/// never formed: its transformations go straight to b.
TSvdResult SvdLeastSquares(TColumnView<const double> A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular);
TSvdResult SvdLeastSquares(TColumnView<const double> A, std::span<const double> b, TDoubleArray& x,
                           bool& NearSingular, TDoubleArray& ErrFactors);

/// SvdLeastSquares on a (rectangular) TDouble2DArray design matrix.
TSvdResult SvdLeastSquares(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x, bool& NearSingular);
TSvdResult SvdLeastSquares(TDouble2DArray& A, std::span<const double> b, TDoubleArray& x, bool& NearSingular,
                           TDoubleArray& ErrFactors);

}  // namespace kvl

KVL_API_END
