#include "kvl/modelling/smoothing/peak_shapes.h"

#include <algorithm>
#include <cmath>

namespace kvl {

namespace {

constexpr long double kMaxExponent = 20;

// exp(-d) of the summed squared distance over sigma^2, d capped.
double GaussOfDistance(long double SquaredSum, double sigma) {
  long double d = SquaredSum / (static_cast<long double>(sigma) * sigma);
  if (d > kMaxExponent) d = kMaxExponent;
  return static_cast<double>(std::exp(-d));
}

}  // namespace

std::int32_t CreateGaussianPeaks(const TPeakParamsList& Params, TDoubleArray& Data) {
  if (Params.empty()) return -1;
  if (Data.size() < 3) return -2;
  for (std::size_t i = 1; i <= Data.size(); ++i) {
    long double sum = 0;
    for (const TGaussPeakParams& p : Params) {
      const long double z = (static_cast<long double>(i) - p[0]) / p[1];
      sum += p[2] * std::exp(-z * z);
    }
    Data[i - 1] = static_cast<double>(sum);
  }
  return 0;
}

std::int32_t Gauss2D(std::int32_t RowCentre, std::int32_t ColCentre, double Width, double Amplitude,
                     TDouble2DArray& Data) {
  if (!(Width > 0)) return -1;
  if (Data.size() < 2 || Data[0].size() < 2) return -2;
  const long double w2 = static_cast<long double>(Width) * Width;
  for (std::size_t i = 1; i <= Data.size(); ++i) {
    const long double di = static_cast<long double>(i) - RowCentre;
    std::vector<double>& line = Data[i - 1];
    for (std::size_t j = 1; j <= line.size(); ++j) {
      const long double dj = static_cast<long double>(j) - ColCentre;
      line[j - 1] = static_cast<double>(Amplitude * std::exp(-(di * di + dj * dj) / w2));
    }
  }
  return 0;
}

std::int32_t CreateSigmoidArray(TDoubleArray& Data, double Slope, double Offset, double Amplitude,
                                std::int32_t Centre) {
  if (Data.size() < 3) return -1;
  for (std::size_t i = 1; i <= Data.size(); ++i)
    Data[i - 1] = static_cast<double>(Amplitude / (1 + std::exp(-Slope * (static_cast<long double>(i) - Centre))) +
                                      Offset);
  return 0;
}

double CalcGaussKernel(const TVector* x, const TVector* y, double sigma) {
  if (x == nullptr || y == nullptr) RaiseFunc<EKVLMath2Error>("CalcGaussKernel", "x or y is undefined");
  long double sum = 0;
  for (std::int32_t i = 1; i <= y->NrOfElem(); ++i) {
    const long double d = static_cast<long double>(x->GetVal(i)) - y->GetVal(i);
    sum += d * d;
  }
  return GaussOfDistance(sum, sigma);
}

double CalcGaussKernelMat(const TVector* x, const TMatrix* M, std::int32_t row, double sigma) {
  if (x == nullptr || M == nullptr) RaiseFunc<EKVLMath2Error>("CalcGaussKernelMat", "x or M is undefined");
  long double sum = 0;
  for (std::int32_t i = 1; i <= M->NrOfColumns(); ++i) {
    const long double d = static_cast<long double>(x->GetVal(i)) - M->GetVal(i, row);
    sum += d * d;
  }
  return GaussOfDistance(sum, sigma);
}

}  // namespace kvl
