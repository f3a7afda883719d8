// TVector's own operations: norm scaling, random fills, centring and
// normalisation, and integration.

#include <algorithm>
#include <cmath>

#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

void TVector::SetVecLeng(double Value) {
  const double norm = CalcVecLeng();
  if (!(norm > 0)) return;
  const long double factor = static_cast<long double>(Value) / norm;
  for (double& x : FVec) x = static_cast<double>(x * factor);
  Changed();
}

void TVector::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (double& x : FVec) x = Random() * (RangeHigh - RangeLow) + RangeLow;
  FIsEmpty = false;
  Changed();
}

void TVector::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : FVec) x = GRandom() * StdDev + Mean;
  FIsEmpty = false;
  Changed();
}

double TVector::MeanCenter() {
  double mean = 0.0;
  double variance = 0.0;
  MeanVar(0, 0, mean, variance);
  for (double& x : FVec) x -= mean;
  return mean;
}

void TVector::Standardize(double& Mean, double& StdDev) {
  double variance = 0.0;
  MeanVar(0, 0, Mean, variance);
  StdDev = std::sqrt(variance);
  if (!(StdDev > 0)) return;
  for (double& x : FVec) x = (x - Mean) / StdDev;
}

void TVector::QNormalize(double RefQuant, double& Median, double& QuantDiff) {
  Median = Percentile(50.0, 0, 0);
  QuantDiff = std::fabs(Median - Percentile(RefQuant, 0, 0));
  if (!(QuantDiff > 0)) return;
  for (double& x : FVec) x = (x - Median) / QuantDiff;
}

double TVector::Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const {
  if (std::isnan(BoundLow) || std::isnan(BoundHigh)) return 0.0;
  const long double n = FNElem;
  const long double a = std::clamp<long double>(BoundLow, 1, n);
  const long double b = std::clamp<long double>(BoundHigh, 1, n);
  const long double L = std::min(a, b);
  const long double H = std::max(a, b);
  const long double W = H - L;
  const auto p = static_cast<std::int64_t>(std::ceil(L));
  const auto q = static_cast<std::int64_t>(std::floor(H));
  const std::int64_t m = q - p + 1;
  auto y = [this](std::int64_t k) -> long double { return FVec[static_cast<std::size_t>(k - 1)]; };
  // The interpolated ends; only evaluated inside a sample interval.
  auto yL = [&] { return y(p - 1) + (y(p) - y(p - 1)) * (L - (p - 1)); };
  auto yH = [&] { return y(q) + (y(q + 1) - y(q)) * (H - q); };
  const long double leftStrip = p - L > 0 ? (yL() + y(p)) / 2 * (p - L) : 0.0L;
  const long double rightStrip = H - q > 0 ? (yH() + y(q)) / 2 * (H - q) : 0.0L;

  switch (Method) {
    case TIntegMethod::imSimple: {
      if (m == 0) return static_cast<double>((y(q) + y(p)) / 2 * W);
      long double sum = 0.0L;
      for (std::int64_t k = p; k <= q; ++k) sum += y(k);
      return static_cast<double>(sum / m * W);
    }
    case TIntegMethod::imTrapezoidal:
    case TIntegMethod::imSimpson: {
      if (m == 0) return W > 0 ? static_cast<double>((yL() + yH()) / 2 * W) : 0.0;
      long double inner = 0.0L;
      if (Method == TIntegMethod::imTrapezoidal || m == 2) {
        for (std::int64_t k = p; k < q; ++k) inner += (y(k) + y(k + 1)) / 2;
      } else if (m == 3) {
        inner = (y(p) + 4 * y(p + 1) + y(p + 2)) / 3;
      } else if (m == 4) {
        inner = 3.0L / 8 * (y(p) + 3 * y(p + 1) + 3 * y(p + 2) + y(p + 3));
      } else if (m == 5) {
        inner = 2.0L / 45 * (7 * y(p) + 32 * y(p + 1) + 12 * y(p + 2) + 32 * y(p + 3) + 7 * y(p + 4));
      } else if (m >= 6) {
        inner = 3.0L / 8 * y(p) + 7.0L / 6 * y(p + 1) + 23.0L / 24 * y(p + 2) + 23.0L / 24 * y(q - 2) +
                7.0L / 6 * y(q - 1) + 3.0L / 8 * y(q);
        for (std::int64_t k = p + 3; k <= q - 3; ++k) inner += y(k);
      }
      return static_cast<double>(leftStrip + rightStrip + inner);
    }
  }
  return 0.0;
}

}  // namespace kvl
