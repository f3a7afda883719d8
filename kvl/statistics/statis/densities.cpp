#include "kvl/statistics/statis/densities.h"

#include <cmath>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/rounding.h"
#include "kvl/statistics/statis/gammabeta.h"

namespace kvl {

double HyperGeoDistriDensity(double p, std::int32_t npop, std::int32_t nsample, std::int32_t k) {
  constexpr const char* kFunc = "HyperGeoDistriDensity";
  if (!(p >= 0.0 && p <= 1.0))
    RaiseFunc<EKVLStatisError>(kFunc, "probability p must be between 0.0 and 1.0");
  if (npop < 1) RaiseFunc<EKVLStatisError>(kFunc, "npop must be greater than 0");
  if (nsample > npop) RaiseFunc<EKVLStatisError>(kFunc, "nsample must not be greater than npop");
  if (nsample < 1) RaiseFunc<EKVLStatisError>(kFunc, "nsample must not be less than 1");
  const auto M = static_cast<std::int32_t>(Round(npop * p));
  if (k < 0 || k > M || k > nsample || k < nsample - (npop - M)) return 0.0;
  return std::exp(LnBinomCoeff(M, k) + LnBinomCoeff(npop - M, nsample - k) -
                  LnBinomCoeff(npop, nsample));
}

double WeibullDensity(double X, double K, double L) {
  if (!(X > 0.0) || !(L > 0.0)) return 0.0;
  return std::exp(-std::exp(K * std::log(X / L))) * K * std::exp((K - 1.0) * std::log(X)) /
         std::exp(K * std::log(L));
}

double FisherTransform(double r) {
  if (!(r > -1.0 && r < 1.0)) RaiseFunc<EKVLStatisError>("FisherTransform", "argument out of range");
  return 0.5 * std::log((1.0 + r) / (1.0 - r));
}

double FisherTransformInv(double z) {
  // Beyond z = 20 the quotient rounds to 1 anyway; computing it there would
  // let e^2z overflow and turn the result into inf/inf = NaN.
  if (z > 20.0) return 1.0;
  const double e = std::exp(2.0 * z);
  return (e - 1.0) / (e + 1.0);
}

double CalcFishQ(double P1, double P2, double P3, double P4) {
  double q = P3 * P3 + P4 * P4;
  if (q < 1e-6) q = 1e-6;
  return (P1 - P2) * (P1 - P2) / q;
}

}  // namespace kvl
