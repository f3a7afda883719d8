#pragma once
// Singular value decomposition, least squares and the pseudo-inverse on the
// containers. These are a thin layer over the one Golub–Reinsch engine of
// kvl/arrays/array_svd.h (progress, abort and the near-singular cut are the
// engine's): code that holds its data in a TMatrix / TVector calls these;
// code that builds its own column-major design (the curve fitter, the kNN
// estimators) calls the array forms of the same names directly and keeps
// their TSvdResult.
//
//   TMatrix X;  TVector y, b;  bool nearSingular;
//   ... fill X (observations as rows, parameters as columns) and y ...
//   if (SvdLeastSquares(X, y, b, nearSingular)) { /* b holds the coefficients */ }
//
// A matrix with m rows and n columns is A; U has A's shape, V is n x n and W
// holds n singular values (non-negative, unordered). All functions report
// failure through their result and raise nothing of their own; a container
// they size (a result or a temporary one) may raise its "not enough memory"
// error. None keeps
// state; they may run on several threads on distinct containers (the progress
// globals are shared).

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// SvdDecompose: replaces A by U and sets V (resized to n x n) and W (resized
/// to n) so that A = U·diag(W)·Vᵀ; fires A's and V's OnChange once. False when
/// AbortMathProc stopped it, when the QR iteration did not converge or A holds
/// a NaN or an infinity (A, V and W then hold intermediate values), or when V
/// is A itself (nothing done).
bool SvdDecompose(TMatrix& A, TMatrix& V, TVector& W);

/// SvdBackSubst: x (resized to n) := the solution of A·x ≈ b from U (m x n),
/// W (n), V (n x n): t_j = (U_j·b)/W_j for W_j ≠ 0 (else 0), x = V·t. False
/// (x unchanged) when the sizes do not fit together (b must have m elements).
bool SvdBackSubst(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x);
/// SvdBackSubst: the same, ErrFactors (resized to n) := √(Σ_k V_jk²/W_k²) over
/// the k with W_k ≠ 0, the factors that turn the residual standard deviation
/// into the standard errors of the coefficients.
bool SvdBackSubst(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x,
                  TVector& ErrFactors);

/// SvdLeastSquares: x (resized to n) := the least-squares coefficients of
/// A·x ≈ b for the design matrix A (observations as rows, parameters as
/// columns; A is read only, copied once for the decomposition). NearSingular
/// is cleared, then set when a singular value not above SvdNearSingularRatio
/// (1e-14) times the largest was zeroed: x is then the minimum-norm solution.
/// False (x unchanged) when b does not have a value per row of A, when
/// AbortMathProc stopped the decomposition, or when it did not converge
/// (A holds a NaN or an infinity, for example).
bool SvdLeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& NearSingular);
/// SvdLeastSquares: the same, ErrFactors (resized to n) := the error factors
/// of SvdBackSubst.
bool SvdLeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& NearSingular, TVector& ErrFactors);

/// PseudoInverse: APinv := the Moore–Penrose pseudo-inverse of A (resized to
/// the shape of Aᵀ: m columns of n rows). Singular values not above Tolerance
/// count as 0; a Tolerance of 0 (or below) means max(m, n)·max(W)·1.2e-16.
/// A is read only, and APinv may be A itself. False (APinv unchanged) when the
/// decomposition failed: aborted, not converged, or A holds a NaN or an
/// infinity.
bool PseudoInverse(const TMatrix& A, TMatrix& APinv, double Tolerance);

}  // namespace kvl

KVL_API_END
