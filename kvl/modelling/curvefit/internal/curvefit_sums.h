#pragma once
// The running-sum kernel of TCurveFit: one pair's terms added to (Sign = +1)
// or taken out of (Sign = -1) the thirty-three sums. Removal takes the same
// branches as entry, so that entering and removing a pair leaves the sums
// as they were.

#include <cmath>
#include <cstdint>

#include "kvl/base/KVL_univconst.h"
#include "kvl/modelling/curvefit/curvefit.h"

namespace kvl::curvefit_internal {

/// Eps: the threshold below which x or y counts as 0 for a reciprocal.
inline constexpr long double Eps = 1e-30L;
/// MaxTerm: what stands in for an undefined reciprocal.
inline constexpr long double MaxTerm = uc_MaxReal;

inline constexpr std::uint32_t Flag(TCurveFitError e) { return 1u << static_cast<int>(e); }

/// AccumulatePair: the terms of (x, y) added to S with sign Sign; the flags
/// of undefined terms are or-ed into Flags.
template <int Sign>
inline void AccumulatePair(TCurveFitSums& S, double x, double y, std::uint32_t& Flags) {
  constexpr long double sg = Sign;
  const long double X = x, Y = y;
  const long double xq = X * X, yq = Y * Y, diff = X - Y;
  S.sumx += sg * X;
  S.sumy += sg * Y;
  S.sumxq += sg * xq;
  S.sumyq += sg * yq;
  S.sumDiff += sg * diff;
  S.SumDiffq += sg * (diff * diff);
  S.sumxy += sg * (X * Y);
  S.sumx2y += sg * (xq * Y);
  S.sumxy2 += sg * (yq * X);
  S.sumx3 += sg * (xq * X);
  S.sumy3 += sg * (yq * Y);
  S.sumx4 += sg * (xq * xq);
  S.sumy4 += sg * (yq * yq);

  const bool xNonZero = std::fabs(X) > Eps, yNonZero = std::fabs(Y) > Eps;
  const long double rx = xNonZero ? 1.0L / X : MaxTerm;
  const long double ry = yNonZero ? 1.0L / Y : MaxTerm;
  std::uint32_t flags = 0;
  if (!xNonZero) flags |= Flag(TCurveFitError::cfeXEQ0);
  if (!yNonZero) flags |= Flag(TCurveFitError::cfeYEQ0);
  // 1/y group (M for 1/y when y is 0; 1/(xy) is then M/x, or M alone when x is 0 too)
  S.sum1byy += sg * ry;
  S.sum1byyq += sg * (ry * ry);
  S.sumxbyy += sg * (X * ry);
  S.sum1byxy += sg * (xNonZero ? rx * ry : (yNonZero ? MaxTerm * ry : MaxTerm));
  // 1/x group
  S.sum1byx += sg * rx;
  S.sum1byxq += sg * (rx * rx);
  S.sumybyx += sg * (Y * rx);

  if (x > 0) {
    const long double lx = std::log(x);
    S.sumlnx += sg * lx;
    S.sumlnxq += sg * (lx * lx);
    S.sumylnx += sg * (Y * lx);
    S.sumxlnx += sg * (X * lx);
    S.sumyqlnx += sg * (yq * lx);
    if (yNonZero) S.sumlnxbyy += sg * (lx * ry);
    if (Y > Eps)
      S.sumlnxlny += sg * (lx * static_cast<long double>(std::log(y)));
    else
      flags |= Flag(TCurveFitError::cfeYLE0);
  } else {
    flags |= Flag(TCurveFitError::cfeXLE0);
  }
  if (y > 0) {
    const long double ly = std::log(y);
    S.sumlny += sg * ly;
    S.sumylny += sg * (Y * ly);
    S.sumlnyq += sg * (ly * ly);
    S.sumxlny += sg * (X * ly);
    S.sumxqlny += sg * (xq * ly);
    if (xNonZero) S.sumlnybyx += sg * (ly * rx);
  } else {
    flags |= Flag(TCurveFitError::cfeYLE0);
  }
  Flags |= flags;
}

}  // namespace kvl::curvefit_internal
