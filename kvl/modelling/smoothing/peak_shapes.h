#pragma once
// Test shapes and kernels: sums of Gaussian peaks, a two-dimensional
// Gaussian, a sigmoid, and the Gaussian kernel of two vectors.
//
//   TDoubleArray y(500);
//   CreateGaussianPeaks({{120, 8, 1.0}, {300, 20, 0.4}}, y);  // position, width, amplitude
//
// The shapes are sampled at the 1-based positions i = 1..length of the
// array they fill and report through their result code.

#include <array>
#include <cstdint>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TGaussPeakParams: position, width and amplitude of one peak.
using TGaussPeakParams = std::array<double, 3>;
/// TPeakParamsList: a list of peaks.
using TPeakParamsList = std::vector<TGaussPeakParams>;

/// CreateGaussianPeaks: Data[i - 1] := sum over the peaks of amplitude *
/// exp(-((i - position)/width)^2) for i = 1..length of Data; 0, or -1 when
/// Params is empty, -2 when Data has fewer than 3 elements (Data untouched).
std::int32_t CreateGaussianPeaks(const TPeakParamsList& Params, TDoubleArray& Data);

/// Gauss2D: Data[i - 1][j - 1] := Amplitude * exp(-((i - RowCentre)^2 +
/// (j - ColCentre)^2)/Width^2) over every inner array; 0, or -1 when Width
/// <= 0 (or NaN), -2 when Data has fewer than 2 outer entries or its first
/// fewer than 2 (Data untouched).
std::int32_t Gauss2D(std::int32_t RowCentre, std::int32_t ColCentre, double Width, double Amplitude,
                     TDouble2DArray& Data);

/// CreateSigmoidArray: Data[i - 1] := Amplitude / (1 + exp(-Slope (i -
/// Centre))) + Offset for i = 1..length; 0, or -1 when Data has fewer than
/// 3 elements (untouched).
std::int32_t CreateSigmoidArray(TDoubleArray& Data, double Slope, double Offset, double Amplitude,
                                std::int32_t Centre);

/// CalcGaussKernel: exp(-d) with d = sum over i = 1..NrOfElem(y) of
/// (x_i - y_i)^2 / sigma^2, capped at 20 (x read as 0 past its end).
/// Raises EKVLMath2Error when x or y is missing.
double CalcGaussKernel(const TVector* x, const TVector* y, double sigma);

/// CalcGaussKernelMat: the same between x and row `row` of M over its
/// columns (M[i, row] for i = 1..NrOfColumns). Raises EKVLMath2Error when x
/// or M is missing.
double CalcGaussKernelMat(const TVector* x, const TMatrix* M, std::int32_t row, double sigma);

}  // namespace kvl

KVL_API_END
