#pragma once
// Least squares on transformed pairs: v(x, y) = b0 + b1 u1(x, y) [+ b2 u2(x, y)],
// the common engine of TCurveFit's two- and three-parameter models. The
// sums are taken about the means in extended precision (two passes), which
// keeps the normal equations well conditioned.

#include <cmath>
#include <cstdint>
#include <string>

namespace kvl::curvefit_internal {

/// TDomain: which pairs a transformation accepts (bits).
enum class TDomain : unsigned { dmAny = 0, dmXNonZero = 1, dmYNonZero = 2, dmXPositive = 4, dmYPositive = 8 };
constexpr TDomain operator|(TDomain a, TDomain b) {
  return static_cast<TDomain>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool Has(TDomain d, TDomain bit) { return (static_cast<unsigned>(d) & static_cast<unsigned>(bit)) != 0; }

/// TLinearisedFit: b0, b1[, b2] and r² of the linearised regression
/// (1 when v does not vary); Problem is non-empty when the fit failed.
struct TLinearisedFit {
  double Beta[3] = {0, 0, 0};
  double R2 = 0;
  std::string Problem;
};

/// DomainProblem: why pair (x, y) is outside Domain, or "" when it is inside.
inline const char* DomainProblem(TDomain Domain, double x, double y) {
  if (Has(Domain, TDomain::dmXPositive) && !(x > 0)) return "x values must be positive";
  if (Has(Domain, TDomain::dmYPositive) && !(y > 0)) return "y values must be positive";
  if (Has(Domain, TDomain::dmXNonZero) && !(x != 0)) return "x values must not be zero";
  if (Has(Domain, TDomain::dmYNonZero) && !(y != 0)) return "y values must not be zero";
  return "";
}

/// FitLinearised: regresses v on one or two regressors u; Transform(x, y, u)
/// fills u[0..Regressors-1] and returns v.
template <class TTransform>
TLinearisedFit FitLinearised(const double* x, const double* y, std::int32_t n, TDomain Domain, int Regressors,
                             TTransform Transform) {
  TLinearisedFit r;
  long double mu[2] = {0, 0}, mv = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    if (const char* problem = DomainProblem(Domain, x[i], y[i]); *problem) {
      r.Problem = problem;
      return r;
    }
    long double u[2] = {0, 0};
    mv += Transform(x[i], y[i], u);
    mu[0] += u[0];
    mu[1] += u[1];
  }
  mu[0] /= n;
  mu[1] /= n;
  mv /= n;
  long double s11 = 0, s12 = 0, s22 = 0, s1v = 0, s2v = 0, svv = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    long double u[2] = {0, 0};
    const long double dv = Transform(x[i], y[i], u) - mv;
    const long double d1 = u[0] - mu[0], d2 = u[1] - mu[1];
    s11 += d1 * d1;
    s12 += d1 * d2;
    s22 += d2 * d2;
    s1v += d1 * dv;
    s2v += d2 * dv;
    svv += dv * dv;
  }
  if (!std::isfinite(static_cast<double>(s11 + s22 + s1v + s2v + svv))) {
    r.Problem = "the transformed data are not finite";
    return r;
  }
  long double b1 = 0, b2 = 0;
  constexpr long double kSingular = 1e-15L;  // relative size of a vanishing determinant
  if (Regressors == 1) {
    if (s11 == 0) {
      r.Problem = "the normal equations are singular";
      return r;
    }
    b1 = s1v / s11;
  } else {
    const long double det = s11 * s22 - s12 * s12;
    if (!(det > kSingular * s11 * s22)) {
      r.Problem = "the normal equations are singular";
      return r;
    }
    b1 = (s1v * s22 - s2v * s12) / det;
    b2 = (s2v * s11 - s1v * s12) / det;
  }
  r.Beta[0] = static_cast<double>(mv - b1 * mu[0] - b2 * mu[1]);
  r.Beta[1] = static_cast<double>(b1);
  r.Beta[2] = static_cast<double>(b2);
  r.R2 = svv == 0 ? 1.0 : static_cast<double>((b1 * s1v + b2 * s2v) / svv);
  return r;
}

}  // namespace kvl::curvefit_internal
