#pragma once
// Multivariate regression: singular value decomposition of a TMatrix and the
// solver on it, multiple linear regression, ridge regression (raw and
// standardised), SIMPLS partial least squares, vertex component analysis,
// variance inflation factors, and the variable names of a formula.
//
//   TMatrix X;  TVector y, b, se;  bool singular;
//   // X: one row per observation, one column per parameter, last column 1
//   if (MultiLinReg(X, y, b, se, singular) && !singular) { /* b: slopes, constant last */ }
//
// Matrices hold one observation per row and one variable per column
// (cells addressed (column, row), 1-based). Result containers are the
// caller's; each function sizes them. Misuse (mismatched sizes, column
// numbers outside the matrix, a negative ridge factor, a number of factors
// or end-members out of range) raises EKVLMath2Error; data that cannot be
// fitted (fewer rows than parameters, NaN or infinite values, an abort
// through AbortMathProc) gives false with the results unchanged. All of it
// is free of global state apart from the progress hooks and, in
// VertexCompAnalysis, the runtime's random generator.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// SingValDecomp: singular value decomposition A = U·diag(W)·Vᵀ of A
/// (m rows x n columns). A is replaced by U (m x n), V is sized n x n and W
/// to n values, ordered by decreasing value with the columns of U and V
/// following them. For m >= n the columns of U and V are orthonormal. False
/// (A, V, W with intermediate values) when A holds NaN or infinity, a value
/// did not converge, or AbortMathProc stopped the decomposition.
bool SingValDecomp(TMatrix& A, TMatrix& V, TVector& W);

/// SingValEquSolve: least-squares solution x (n values) of A·x ≈ b from a
/// decomposition U (m x n), W (n), V (n x n) as SingValDecomp gives it: the
/// terms of zero W_j are left out, so zeroing small W_j first gives the
/// truncated (minimum-norm) solution. ErrFactors gets √(Σ_k V_jk²/W_k²), the
/// standard error of x_j per unit standard deviation of b. False (x and
/// ErrFactors unchanged) when the sizes do not fit together.
bool SingValEquSolve(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b, TVector& x,
                     TVector& ErrFactors);

/// MultiLinReg: ordinary least squares y ≈ X·b, X with one row per
/// observation and one column per parameter; the first column whose values
/// are all 1 is the constant term. X is copied once, its other columns
/// centred (with a constant) and scaled to unit length, decomposed by the
/// library's SVD and the solution refined twice against residuals formed in
/// extended precision. Coeffs gets b in the order of the columns, StdErrs
/// their standard errors s·√((XᵀX)⁻¹_jj) with s² = RSS/(rows − rank) (NaN when no
/// degree of freedom is left). NearSingular is set when a singular value of
/// the column-scaled design is not above 1e-14 times the largest; b is then
/// the minimum-norm solution. True on success; false when X has fewer rows
/// than columns or holds NaN/infinity (also in y), or on abort. Raises
/// EKVLMath2Error when y's length differs from X's rows.
bool MultiLinReg(const TMatrix& X, const TVector& y, TVector& Coeffs, TVector& StdErrs, bool& NearSingular);

/// MultiLinReg: regression of column TargetCol of Data on the columns
/// listed in Cols (1-based; every row is an observation), with a constant
/// term added as the last parameter when IncludeConst. Coeffs, StdErrs,
/// NearSingular and the result as in the first form; RSquared = 1 − RSS/TSS
/// (TSS about the mean with a constant, about 0 without; NaN for TSS 0),
/// ResidSD = √(RSS/(rows − rank)), FValue = regression mean square /
/// residual mean square (+inf for a perfect fit). Raises EKVLMath2Error
/// when a column number lies outside Data or Cols is empty without a constant.
bool MultiLinReg(const TMatrix& Data, std::span<const std::int32_t> Cols, std::int32_t TargetCol,
                 bool IncludeConst, double& RSquared, double& ResidSD, double& FValue, TVector& Coeffs,
                 TVector& StdErrs, bool& NearSingular);

/// RidgeReg: ridge regression b = (XᵀX + λI)⁻¹Xᵀy on X as given (every
/// column is shrunk, a column of ones too; RidgeRegStd leaves the constant
/// free). Coeffs gets b, StdErrs √diag(σ²·(XᵀX+λI)⁻¹XᵀX(XᵀX+λI)⁻¹) with
/// σ² = RSS/(rows − tr H), H the ridge hat matrix. λ = 0 is least squares.
/// NearSingular is set when a singular value of X is not above 1e-14 times
/// the largest (for λ > 0 b stays unique, also with fewer rows than
/// columns; StdErrs are NaN when rows ≤ tr H). Raises
/// EKVLMath2Error for a negative or non-finite RidgeFact or mismatched y;
/// false for NaN or infinite data, or an abort.
bool RidgeReg(const TMatrix& X, const TVector& y, double RidgeFact, TVector& Coeffs, TVector& StdErrs,
              bool& NearSingular);

/// RidgeRegStd: ridge regression in the correlation form of Hoerl and
/// Kennard: X's columns and y are centred and scaled to unit length, so that
/// XᵀX is the correlation matrix R and β = (R + kI)⁻¹·r_xy. StdCoeffs and
/// StdStdErrs get β (the standardised coefficients, in standard deviations
/// of y per standard deviation of x) and their standard errors; Coeffs and
/// StdErrs the same model in the original units, one per column of X plus
/// the constant last. X must not contain a column of ones; a constant
/// column gets coefficient 0 and sets NearSingular. Errors as RidgeReg;
/// also false for fewer than two rows.
bool RidgeRegStd(const TMatrix& X, const TVector& y, double RidgeFact, TVector& StdCoeffs,
                 TVector& StdStdErrs, TVector& Coeffs, TVector& StdErrs, bool& NearSingular);

/// SimPLS: partial least squares by de Jong's SIMPLS (1993) with NumFact
/// factors of X (n x p) for the responses Y (n x q). X and Y are centred,
/// and with Scale also divided by their column standard deviations. Results
/// (columns = factors a = 1..NumFact): Weights R (p rows) with scores
/// T = X₀·R, XScores T (n rows, orthonormal), XLoadings P = X₀ᵀT (p rows),
/// YLoadings Q = Y₀ᵀT (q rows), YScores U = Y₀·Q (n rows, orthogonalised
/// against the earlier T), Basis V (p rows, orthonormal basis of the P
/// used for deflation); XVarExpl and YVarExpl the fraction of the total
/// (centred, scaled) sum of squares of X and Y each factor explains; Coeffs
/// (q columns, p + 1 rows) the regression ŷ = x·B + constant in original
/// units, the constant in row p + 1. With NumFact equal to X's rank this is
/// least squares. Raises EKVLMath2Error for mismatched row counts or
/// NumFact outside 1..min(n − 1, p); false for NaN data or a failed
/// decomposition.
bool SimPLS(const TMatrix& X, const TMatrix& Y, std::int32_t NumFact, bool Scale, TMatrix& Weights,
            TMatrix& XScores, TMatrix& XLoadings, TMatrix& YLoadings, TMatrix& YScores, TMatrix& Basis,
            TVector& XVarExpl, TVector& YVarExpl, TMatrix& Coeffs);

/// VertexCompAnalysis: vertex component analysis (Nascimento and
/// Bioucas-Dias, 2005) of Data (one pixel per row, one band per column)
/// for NumEndMembers pure signatures. With AutoSNR the signal-to-noise
/// ratio is estimated and below 15 + 10·lg(NumEndMembers) dB the data are
/// projected by PCA onto NumEndMembers − 1 dimensions (low-noise branch
/// otherwise); without it the projective (noise-free) projection is always
/// used. EndMembers gets the signatures (NumEndMembers columns, one row per
/// band: the chosen pixels seen in the signal subspace), Projected the
/// projected data in which the simplex vertices were sought (NumEndMembers
/// columns, one row per pixel) and PixelIx the row of Data each signature
/// was taken from. The random directions come from the
/// runtime generator (seed it for repeatable runs). Raises EKVLMath2Error
/// for NumEndMembers outside 2..min(bands, pixels); false for NaN data or a
/// failed decomposition.
bool VertexCompAnalysis(const TMatrix& Data, std::int32_t NumEndMembers, bool AutoSNR, TMatrix& EndMembers,
                        TMatrix& Projected, TIntVector& PixelIx);

/// VarInflatFactor: variance inflation factor 1/(1 − R²_j) = TSS_j/RSS_j
/// of every listed column j of Data, R²_j from the least-squares regression
/// (with constant) of column j on the other listed columns; Factors[j − 1]
/// belongs to Cols[j − 1]. A column that the others explain to within the
/// singular-value cut (RSS_j ≤ 1e-28·TSS_j), a constant column included,
/// gives +inf. OnProgress, when assigned, gets the percentage done after
/// each column (sender nullptr). Status 0; −1 no column or a column number
/// outside Data; −2 not more rows than listed columns; −3 NaN or infinity
/// in a listed column; −4 aborted through AbortMathProc (Factors unchanged
/// unless the status is 0).
std::int32_t VarInflatFactor(const TMatrix& Data, std::span<const std::int32_t> Cols, TDoubleArray& Factors,
                             const TOnPercentDoneEvent& OnProgress);

/// ExtractVarNames: clears Names and fills it with the variables of a
/// formula text in order of first appearance, each once (compared without
/// regard to case, spelled as first seen). A variable is a name (a letter
/// or '_' followed by letters, digits, '_' or '.') that is not followed by
/// '(' (a function) and is not one of the operator words pi, true, false,
/// mod, div, and, or, not, xor, rand, gauss; or the text inside square
/// brackets ([Oxygen level]). Numbers (12, .5, 1.5e-3) and the characters
/// + - * / ^ < > = ! , ; ( ) are skipped; blanks separate. Returns the
/// number of names, or −p (Names empty) for the position p (1-based) of a
/// character that fits none of this: another symbol, a letter right after
/// a number (2x), an unclosed or empty '['.
std::int32_t ExtractVarNames(const std::string& Expression, std::vector<std::string>& Names);

}  // namespace kvl

KVL_API_END
