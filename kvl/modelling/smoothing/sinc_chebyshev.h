#pragma once
// Filter design and filtering: windowed-sinc FIR kernels (low-pass,
// high-pass, band-stop, band-pass) and Chebyshev recursive filters.
//
//   TVector taps;
//   CalcSincLPKernel(101, 0.1, 2, &taps);        // 101 taps, cut-off 0.1, Blackman
//   MovingKernelFilter(&x, 1, n, &y, &taps);     // y: x low-passed
//
//   double a0;
//   TMatrix coeffs;
//   CalcChebFilterCoeffs(4, false, 0.05, 0.5, a0, &coeffs);  // 4 poles, 0.5 % ripple
//   ChebychevFilter(&x, 1, n, &y, a0, &coeffs);             // zero phase
//
// Frequencies are fractions of the sampling rate (0..0.5). Errors raise
// EKVLMath2Error.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// CalcSincLPKernel: a low-pass kernel of NumCoeffs taps: sin(2 pi fc d)/d
/// at distance d from the centre (NumCoeffs div 2 + 1), 2 pi fc at it, fc =
/// Cutoff clamped into 0..0.5; Window 1 applies a Hamming window, 2 a
/// Blackman window, any other value none; the taps are scaled to sum 1
/// (unless they sum to 0). Kernel is resized to NumCoeffs (with the resize
/// events when that changes its size) and fires OnChange once more. Raises EKVLMath2Error for a missing Kernel, NumCoeffs below 1 or a
/// NaN Cutoff.
void CalcSincLPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TVector* Kernel);
/// CalcSincLPKernel: the same into a dynamic array (centre NumCoeffs div 2).
void CalcSincLPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TDoubleArray& Kernel);

/// CalcSincHPKernel: the high-pass kernel: the low-pass one negated, plus 1
/// at the centre.
void CalcSincHPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TVector* Kernel);
/// CalcSincHPKernel: the same into a dynamic array.
void CalcSincHPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TDoubleArray& Kernel);

/// CalcSincBSKernel: the band-stop kernel: the low-pass kernel at the lower
/// of Freq1, Freq2 plus the high-pass kernel at the higher.
void CalcSincBSKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TVector* Kernel);
/// CalcSincBSKernel: the same into a dynamic array.
void CalcSincBSKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TDoubleArray& Kernel);

/// CalcSincBPKernel: the band-pass kernel: the band-stop one negated, plus
/// 1 at the centre.
void CalcSincBPKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TVector* Kernel);
/// CalcSincBPKernel: the same into a dynamic array.
void CalcSincBPKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TDoubleArray& Kernel);

/// CalcChebFilterCoeffs: designs a Chebyshev type I recursive filter of
/// NPoles poles (even, 2..20) as a cascade of two-pole sections by the
/// bilinear transform: passband ripple Ripple percent (0..29; 0 gives a
/// Butterworth filter), cut-off Cutoff (0..0.5, where the gain falls to
/// 1/sqrt 2 of its peak), low-pass or, with HighPass, high-pass; the gain
/// is 1 at 0 (low-pass) or at 0.5 (high-pass). Sets A0 to the coefficient
/// of the current input and resizes Coeffs to 2 columns of NPoles rows: row
/// k holds a_k (column 1) and b_k (column 2) of y[n] = A0 x[n] +
/// sum a_k x[n - k] + sum b_k y[n - k]. Raises EKVLMath2Error
/// "CalcChebFilterCoeffs: NPoles must be even", "... invalid Ripple value",
/// "... invalid cutoff frequency" (also when the design degenerates, at a
/// cut-off of 0 for a low-pass or 0.5 for a high-pass filter), "... NPoles
/// must lie between 2 and 20" and "... Coeffs is undefined".
void CalcChebFilterCoeffs(std::int32_t NPoles, bool HighPass, double Cutoff, double Ripple, double& A0,
                          TMatrix* Coeffs);

/// ChebychevFilter: runs the recursive filter (A0 and the rows of Coeffs)
/// forward and then backward over the source from element 1 to last (zero
/// phase, the gain squared) and writes the results for first..last to
/// DestVec elements first..last (elements past its end are dropped); one
/// OnChange. Source elements outside the vector read as 0. Raises
/// EKVLMath2Error when a vector or Coeffs is missing.
void ChebychevFilter(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec, double A0,
                     const TMatrix* Coeffs);

}  // namespace kvl

KVL_API_END
