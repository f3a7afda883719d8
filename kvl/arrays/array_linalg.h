#pragma once
// Matrix routines on 2-D arrays and column views: products, inversion,
// determinants, LU decompositions, eigen decomposition, the hat matrix.
//
// A 2-D array is read as a matrix the library's way: A[c][r] is the cell in
// column c and row r, so A.size() is the number of columns and A[0].size()
// the number of rows. A TColumnView over contiguous column-major storage is
// read the same way, which lets the matrix containers run InvertArray,
// LUdecomposition, Determinant and CalcHatMatrix on their own cells without
// copying. Arrays must be rectangular; ragged ones are refused with the
// size status of each routine. Nothing here raises; results are status codes
// (0 success, -1 empty, -2 size mismatch, further codes as stated).
//
//   TDouble2DArray a = {{4, 2}, {7, 6}};   // columns (4, 2) and (7, 6)
//   InvertArray(a);                        // a = {{0.6, -0.2}, {-0.7, 0.4}}

#include <cstdint>

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- inversion -----------------------------------------------------------------

/// InvertArray: replaces the square matrix A by its inverse (LU with implicit
/// partial pivoting). 0 success, -1 empty or not square, -3 singular (a pivot
/// below 1e-100, a zero row, a NaN pivot) or stopped by AbortMathProc; then A
/// holds intermediate values. Progress: ReportMathProgress once per column in
/// the factorisation and once per column of the inverse.
std::int32_t InvertArray(TDouble2DArray& A);
/// InvertArray: the same on a column view of contiguous square storage.
std::int32_t InvertArray(TColumnView<double> A);
/// InvertArray: negates every cell of a Boolean array; -1 when it is empty.
std::int32_t InvertArray(TBoolArray& A);
/// InvertArray: negates every cell of a Boolean 2-D array; -1 when it is empty.
std::int32_t InvertArray(TBool2DArray& A);

/// CalcHatMatrix: H := X (X'X)^-1 X' for X of p columns (variables) and n rows
/// (objects); H gets n x n cells. 0 success, -1 X empty or ragged, -3 X'X
/// singular (InvertArray's status); -2 when a column view H is not n x n.
std::int32_t CalcHatMatrix(const TDouble2DArray& X, TDouble2DArray& H);
/// CalcHatMatrix: the same from and into column views.
std::int32_t CalcHatMatrix(TColumnView<const double> X, TColumnView<double> H);
/// CalcHatMatrix: the same from a writable column view (X is only read).
std::int32_t CalcHatMatrix(TColumnView<double> X, TColumnView<double> H);

// --- products ------------------------------------------------------------------

/// MultiplyArrays: the matrix product C := A * B. A has A.size() columns, which
/// must equal B's number of rows; C gets B.size() columns of A's row count.
/// 0 success, -1 A or B empty, -2 sizes do not fit or an array is ragged.
/// C may be A or B. Integer products wrap around modulo 2^32 as Integer
/// arithmetic does.
std::int32_t MultiplyArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
/// MultiplyArrays: the Integer matrix product (see the Double member).
std::int32_t MultiplyArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
/// MultiplyArrays: the outer product C := A * B' of a column A (m rows) and a
/// row B (n columns): C gets n columns of m rows, C[c][r] = A[r] * B[c].
/// 0 success, -1 A or B empty.
std::int32_t MultiplyArrays(const TDoubleArray& A, const TDoubleArray& B, TDouble2DArray& C);
/// MultiplyArrays: the Integer outer product (see the Double member).
std::int32_t MultiplyArrays(const TIntArray& A, const TIntArray& B, TInt2DArray& C);

/// VectorDotProduct: Dot := sum of A[i] * B[i], summed in extended precision.
/// 0 success, -1 A or B empty, -2 lengths differ; Dot is 0 on failure.
std::int32_t VectorDotProduct(const TDoubleArray& A, const TDoubleArray& B, double& Dot);
/// VectorCrossProduct: C := A x B for vectors of three elements (right-handed:
/// (1,0,0) x (0,1,0) = (0,0,1)); C may be A or B. 0 success, -1 A or B empty,
/// -2 a length other than 3 (C unchanged).
std::int32_t VectorCrossProduct(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);

// --- decompositions ------------------------------------------------------------

/// Determinant: Det := det A of a square matrix, from an LU factorisation with
/// partial pivoting (product of U's diagonal, sign of the row exchanges).
/// 0 success (Det 0 for an exactly singular matrix), -1 empty, -2 not square
/// or ragged; Det is 0 on failure.
std::int32_t Determinant(const TDouble2DArray& A, double& Det);
/// Determinant: the same on a column view.
std::int32_t Determinant(TColumnView<const double> A, double& Det);
/// Determinant: the same on a writable column view (A is only read).
std::int32_t Determinant(TColumnView<double> A, double& Det);

/// LUdecomposition: A = L * U without row exchanges (Doolittle): L unit lower
/// triangular (L[c][r] = 0 for c > r, 1 on the diagonal), U upper triangular
/// (U[c][r] = 0 for r > c); L and U get A's size. 0 success, -1 empty, -2 not
/// square or ragged (or a column view L or U of another size), -3 a zero
/// pivot above a non-zero cell: A has no LU form without row exchanges (use
/// LUPdecomposition); L and U are unchanged on failure.
std::int32_t LUdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U);
/// LUdecomposition: the same from a column view into column views of A's size.
std::int32_t LUdecomposition(TColumnView<const double> A, TColumnView<double> L, TColumnView<double> U);
/// LUdecomposition: the same from a writable column view (A is only read).
std::int32_t LUdecomposition(TColumnView<double> A, TColumnView<double> L, TColumnView<double> U);

/// LUPdecomposition: P*A = L * U with partial pivoting (at each step the row
/// holding the largest magnitude becomes the pivot row); L and U as for
/// LUdecomposition, P (n entries, 0-based): row i of P*A is row P[i] of A.
/// Every square matrix has this form (a singular one gets zeros on U's
/// diagonal). 0 success, -1 empty, -2 not square or ragged.
std::int32_t LUPdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U, TIntArray& P);

/// EigenDecomposition: eigenvalues and eigenvectors of a symmetric matrix
/// (Householder tridiagonalisation, implicit QL for the values, inverse
/// iteration for the vectors): A * EigVecs[k] = EigVals[k] * EigVecs[k], the
/// values in decreasing order, each vector (a column of EigVecs, n x n) of
/// unit length with its largest-magnitude element positive. 0 success, -1
/// empty, -2 not square or ragged, -3 not symmetric (a pair differs by more
/// than 1e-9 of the largest magnitude) or not finite, -4 an eigenvalue not
/// converged in 30 QL iterations or stopped by AbortMathProc
/// (ReportMathProgress once per Householder step and once per eigenvalue).
std::int32_t EigenDecomposition(const TDouble2DArray& A, TDoubleArray& EigVals, TDouble2DArray& EigVecs);

}  // namespace kvl

KVL_API_END
