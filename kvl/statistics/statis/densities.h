#pragma once
// Further densities and transforms: hypergeometric and Weibull densities,
// Fisher's z transform of a correlation coefficient and Fisher's separation
// quotient.

#include <cstdint>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// HyperGeoDistriDensity: the probability of k successes in a sample of
/// nsample drawn without replacement from npop items of which round(npop p)
/// are successes; 0 for an impossible k. Raises EKVLStatisError for p outside
/// 0..1, npop < 1, nsample > npop or nsample < 1 (checked in this order).
double HyperGeoDistriDensity(double p, std::int32_t npop, std::int32_t nsample, std::int32_t k);

/// WeibullDensity: the Weibull density with shape K and scale L at X; 0
/// unless X > 0 and L > 0.
double WeibullDensity(double X, double K, double L);

/// FisherTransform: Fisher's z = artanh r = ln((1 + r)/(1 - r)) / 2; raises
/// EKVLStatisError "FisherTransform: argument out of range" unless -1 < r < 1.
double FisherTransform(double r);

/// FisherTransformInv: the inverse (e^2z - 1)/(e^2z + 1) = tanh z.
double FisherTransformInv(double z);

/// CalcFishQ: Fisher's separation quotient (P1 - P2)^2 / (P3^2 + P4^2), the
/// denominator raised to 1e-6 when it is smaller.
double CalcFishQ(double P1, double P2, double P3, double P4);

}  // namespace kvl

KVL_API_END
