#pragma once
// Covariance-type matrices of data columns, rank transformation, the scatter
// matrices of classified objects and Fisher's separation quotient.
//
//   TMatrix cov;
//   cov.Resize(3, 3);
//   CalcCovar(data, cov, 1, 3, 0, 0, 2);   // correlations of columns 1..3, all rows
//
// Sums are carried in extended precision. A NaN in the data makes NaN every
// value it enters (for CalcCovar: the row and the column of its variable,
// the forced diagonal of mode 2 excepted). None of these functions keeps
// state; CalcCovar writes the global AbortMathProc (it clears it first).

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// CalcCovar: Cov(a, b) = Cov(b, a) := the Mode measure of the selected
/// columns a, b (numbered 1..p within the selection) over the selected n
/// rows, with means m and variances s² = (Σx² − (Σx)²/n)/(n − 1) (0 when
/// negative): Mode 0 Σxₐx_b/(n − 1); 1 the covariance Σ(xₐ − mₐ)(x_b − m_b)/(n − 1);
/// 2 the correlation (the covariance over √(sₐ²s_b²), that root raised to
/// 1e-38 when 0; diagonal 1); 3 its square (diagonal not forced); 4
/// Σ(xₐ − x_b)²/(n − 1). Clears AbortMathProc first; one ReportMathProgress()
/// per pair a ≤ b, and AbortMathProc set by the hook stops it with false
/// (Cov then partly written). Column and row ranges: (0, 0) selects all,
/// other bounds are clamped and ordered. False with Cov unchanged when Cov
/// has fewer than p columns or rows, Mode is not 0..4, or fewer than 2 rows
/// are selected. Cells of Cov beyond p x p keep their values; Cov fires
/// OnChange once. Data and Cov may be the same matrix.
bool CalcCovar(const TMatrix& Data, TMatrix& Cov, std::int32_t FirstCol, std::int32_t LastCol,
               std::int32_t FirstRow, std::int32_t LastRow, std::int32_t Mode);

/// CalcRanks: Ranks (resized to x's size) := the rank of each element of x
/// in ascending order (1..n), equal values sharing the mean of their ranks;
/// returns the tie term Σ(t³ − t) over the runs of t equal values. A NaN
/// element gets the rank NaN, and the others are ranked among themselves.
/// x and Ranks may be the same vector.
double CalcRanks(const TVector& x, TVector& Ranks);

/// ClassScatterMatrices: the class statistics of Data ([variable][object],
/// rectangular) under Classes (the class 1, 2, ... of each object). Sets
/// NClasses to the number of classes, ClassSizes[c], ClassMeans[a][c] (mean
/// of variable a in class c), ClassVars[a][c] (its sample variance, 0 for a
/// class of one object), the between-class scatter Sb[a][b] =
/// Σ_c n_c(mean_ac − mean_a)(mean_bc − mean_b) and the within-class scatter
/// Sw[a][b] = Σ_o (x_ao − mean_a,c(o))(x_bo − mean_b,c(o)) (classes 0-based in
/// the arrays). Returns 0; −1 when an array of Data does not hold one value
/// per entry of Classes; −2 for a class number outside 1..number of objects;
/// −3 when the classes have a gap (a class after the first empty one has
/// members). On a failure every output stays unchanged.
std::int32_t ClassScatterMatrices(const TDouble2DArray& Data, const TIntArray& Classes,
                                  std::int32_t& NClasses, TIntArray& ClassSizes, TDouble2DArray& ClassMeans,
                                  TDouble2DArray& ClassVars, TDouble2DArray& Sb, TDouble2DArray& Sw);

namespace KVL_math2 {

/// CalcFishQ: Fisher's quotient (d − c)²/(a² + b²), the denominator raised
/// to 1e-6 when it is smaller. Lives in kvl::KVL_math2 because the
/// statistics unit exports kvl::CalcFishQ with the same parameter types (and
/// another argument order: (P1 − P2)²/(P3² + P4²)).
double CalcFishQ(double a, double b, double c, double d);

}  // namespace KVL_math2

}  // namespace kvl

KVL_API_END
