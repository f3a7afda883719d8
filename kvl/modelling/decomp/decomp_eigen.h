#pragma once
// Eigen analysis of a symmetric matrix by cyclic Jacobi rotations, and
// principal components on top of it.
//
//   if (CalcPrincComp(data, 0, 0, 0, 0, 1)) {        // covariance of all columns
//     for (std::int32_t k = 1; k <= GetEigenSize(); ++k) {
//       double share = GetEigenResult(k, 0);        // decreasing, summing to 1
//       double load1 = GetEigenResult(1, k);        // element 1 of vector k
//     }
//   }
//   RemoveEigenMatrix();
//
// The eigen results are unit state: one process-wide store of n eigenvalues
// and n x n eigenvector elements (vector by vector), filled by a successful
// CalcEigVec or CalcPrincComp and kept until the next of these calls or
// RemoveEigenMatrix. The store has no lock: these functions are not
// thread-safe, and two threads must not run them at the same time.
//
// Progress: every off-diagonal element that a sweep visits is one
// ReportMathProgress() step (n(n − 1)/2 per sweep); AbortMathProc stops the
// sweeps with the result false.

#include <cstdint>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// EigenMaxOrder: the largest matrix order CalcEigVec accepts.
inline constexpr std::int32_t EigenMaxOrder = 10000;
/// EigenMaxPasses: the passes CalcEigVec runs before it gives up.
inline constexpr std::int32_t EigenMaxPasses = 100;

/// CalcEigVec: eigenvalues and eigenvectors of the symmetric matrix A by
/// cyclic Jacobi rotations; true when they converged, the results then
/// stored for GetEigenResult (unordered, each vector of unit length). Every
/// call first discards the stored results, so after false there are none.
/// Each pass sums the magnitudes of the elements above the diagonal and
/// stops with success when the sum is 0; passes 1 to 3 rotate only elements
/// above 0.2·sum/n², from pass 4 an element that 200 times its magnitude
/// cannot change either diagonal element it meets is set to 0. False when a
/// pass beyond EigenMaxPasses would be needed, when AbortMathProc stopped
/// it, for n > EigenMaxOrder, and for input it does not take: a non-square
/// A, a NaN or an infinity in A, or a pair A(i, j), A(j, i) that differs by
/// more than 1e-9 times the largest magnitude in A (within that, the upper
/// triangle is used). Raises EKVLMath2Error "CalcEigVec: not enough memory"
/// when the working storage cannot be obtained.
bool CalcEigVec(const TMatrix& A);

/// GetEigenResult: with iv = 0 eigenvalue ix, with iv = 1..n element ix of
/// eigenvector iv; 0 for ix outside 1..n, iv outside 0..n, or when nothing
/// is stored.
double GetEigenResult(std::int32_t ix, std::int32_t iv);

/// GetEigenSize: the order n of the stored results (0 when none).
std::int32_t GetEigenSize();

/// RemoveEigenMatrix: frees the stored eigen results.
void RemoveEigenMatrix();

/// CalcPrincComp: principal components of the columns FirstCol..LastCol over
/// the rows FirstRow..LastRow of Data ((0, 0) selects all; other bounds are
/// clamped and ordered): CalcEigVec of the CalcCovar matrix of that Mode
/// (0 scatter, 1 covariance, 2 correlation, 3 squared correlation, 4 squared
/// differences). With Normalize each eigenvalue is divided by the sum of
/// their magnitudes (unless it is 0), so the values are shares. The values
/// are then ordered by decreasing value (selection, the first largest wins)
/// and the vectors with them. False when CalcCovar or CalcEigVec fails.
bool CalcPrincComp(const TMatrix& Data, std::int32_t FirstCol, std::int32_t LastCol, std::int32_t FirstRow,
                   std::int32_t LastRow, std::int32_t Mode, bool Normalize);
/// CalcPrincComp: the same with Normalize true.
bool CalcPrincComp(const TMatrix& Data, std::int32_t FirstCol, std::int32_t LastCol, std::int32_t FirstRow,
                   std::int32_t LastRow, std::int32_t Mode);

}  // namespace kvl

KVL_API_END
