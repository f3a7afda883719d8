// F, chi-square and t tests.

#include "kvl/statistics/statis/parametric.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvl/statistics/statis/internal/numeric_kernels.h"

namespace kvl {
namespace {

using statis_internal::TTails;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

/// TMeanVar: mean and sample variance, two passes in 80-bit arithmetic.
struct TMeanVar {
  long double Mean = 0, Var = 0;
};

template <class Value>
TMeanVar MeanVar(std::size_t n, Value x) {
  TMeanVar r;
  for (std::size_t i = 0; i < n; ++i) r.Mean += x(i);
  r.Mean /= static_cast<long double>(n);
  long double corr = 0, ss = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const long double d = x(i) - r.Mean;
    corr += d;
    ss += d * d;
  }
  const long double nn = static_cast<long double>(n);
  r.Var = (ss - corr * corr / nn) / (nn - 1);
  r.Mean += corr / nn;
  return r;
}

TMeanVar MeanVarOf(std::span<const double> x) {
  return MeanVar(x.size(), [&](std::size_t i) { return static_cast<long double>(x[i]); });
}

/// PFromTails: the two-sided (twice the smaller tail, at most 1) or
/// one-sided (the smaller tail) p-value.
double PFromTails(const TTails& t, bool OneSided) {
  if (std::isnan(static_cast<double>(t.Lower)) || std::isnan(static_cast<double>(t.Upper))) return NaN;
  const long double small = std::min(t.Lower, t.Upper);
  return static_cast<double>(OneSided ? small : std::min(2 * small, 1.0L));
}

/// TTails of Student's t with real df > 0.
TTails StudentTails(long double t, long double df) {
  if (std::isnan(static_cast<double>(t)) || std::isnan(static_cast<double>(df))) return {NaN, NaN};
  if (std::isinf(static_cast<double>(t))) return t > 0 ? TTails{1, 0} : TTails{0, 1};
  const long double t2 = t * t;
  // P(|T| > |t|) = I_{df/(df+t^2)}(df/2, 1/2).
  const TTails b = statis_internal::BetaTails(df / (df + t2), t2 / (df + t2), df / 2, 0.5L);
  const long double far = b.Lower / 2, near = 1 - far;
  return t >= 0 ? TTails{near, far} : TTails{far, near};
}

TTails FTails(long double f, long double d1, long double d2) {
  if (std::isnan(static_cast<double>(f))) return {NaN, NaN};
  if (std::isinf(static_cast<double>(f))) return {1, 0};
  return statis_internal::BetaTails(d1 * f / (d1 * f + d2), d2 / (d1 * f + d2), d1 / 2, d2 / 2);
}

double TResult(long double t, long double df, bool OneSided) {
  const TTails tails = StudentTails(t, df);
  return PFromTails(tails, OneSided);
}

}  // namespace

double PerformFTest(std::span<const double> A, std::span<const double> B, bool OneSided, double& Mean1,
                    double& Var1, double& Mean2, double& Var2, double& F, std::int32_t& df1, std::int32_t& df2) {
  Mean1 = Var1 = Mean2 = Var2 = F = 0;
  df1 = df2 = 0;
  if (A.size() < 2 || B.size() < 2) return -1;
  const TMeanVar a = MeanVarOf(A), b = MeanVarOf(B);
  Mean1 = static_cast<double>(a.Mean);
  Var1 = static_cast<double>(a.Var);
  Mean2 = static_cast<double>(b.Mean);
  Var2 = static_cast<double>(b.Var);
  df1 = static_cast<std::int32_t>(A.size() - 1);
  df2 = static_cast<std::int32_t>(B.size() - 1);
  const long double f = a.Var / b.Var;
  F = static_cast<double>(f);
  return PFromTails(FTails(f, df1, df2), OneSided);
}

double Perform1SampleChi2Test(std::span<const double> Data, double Sigma2, bool OneSided, double& Mean, double& Var,
                              double& Chi2, std::int32_t& df) {
  Mean = Var = Chi2 = 0;
  df = 0;
  if (Data.size() < 2) return -1;
  if (!(Sigma2 > 0)) return -2;
  const TMeanVar m = MeanVarOf(Data);
  Mean = static_cast<double>(m.Mean);
  Var = static_cast<double>(m.Var);
  df = static_cast<std::int32_t>(Data.size() - 1);
  const long double chi2 = df * m.Var / Sigma2;
  Chi2 = static_cast<double>(chi2);
  if (std::isnan(Chi2)) return NaN;
  return PFromTails(statis_internal::GammaTails(df / 2.0L, chi2 / 2), OneSided);
}

double Perform1SampleTTest(std::span<const double> Data, double Mu0, bool OneSided, double& Mean, double& StdDev,
                           double& t, std::int32_t& df) {
  Mean = StdDev = t = 0;
  df = 0;
  if (Data.size() < 2) return -1;
  const TMeanVar m = MeanVarOf(Data);
  const long double sd = std::sqrt(m.Var), n = static_cast<long double>(Data.size());
  Mean = static_cast<double>(m.Mean);
  StdDev = static_cast<double>(sd);
  df = static_cast<std::int32_t>(Data.size() - 1);
  const long double tt = (m.Mean - Mu0) * std::sqrt(n) / sd;
  t = static_cast<double>(tt);
  return TResult(tt, df, OneSided);
}

double Perform2SampleTTest(std::span<const double> A, std::span<const double> B, TtTestVersion Version,
                           bool OneSided, double& Mean1, double& Var1, double& Mean2, double& Var2, double& t,
                           double& StdErr, double& dfExact, std::int32_t& df) {
  Mean1 = Var1 = Mean2 = Var2 = t = StdErr = dfExact = 0;
  df = 0;
  if (A.size() < 2 || B.size() < 2) return -1;
  if (Version == TtTestVersion::ttPaired && A.size() != B.size()) return -2;
  const TMeanVar a = MeanVarOf(A), b = MeanVarOf(B);
  Mean1 = static_cast<double>(a.Mean);
  Var1 = static_cast<double>(a.Var);
  Mean2 = static_cast<double>(b.Mean);
  Var2 = static_cast<double>(b.Var);
  const long double n1 = static_cast<long double>(A.size()), n2 = static_cast<long double>(B.size());
  long double diff, se, dof;
  switch (Version) {
    case TtTestVersion::ttPaired: {
      const TMeanVar d =
          MeanVar(A.size(), [&](std::size_t i) { return static_cast<long double>(A[i]) - B[i]; });
      diff = d.Mean;
      se = std::sqrt(d.Var / n1);
      dof = n1 - 1;
      break;
    }
    case TtTestVersion::ttHomoScedastic: {
      dof = n1 + n2 - 2;
      const long double pooled = ((n1 - 1) * a.Var + (n2 - 1) * b.Var) / dof;
      diff = a.Mean - b.Mean;
      se = std::sqrt(pooled * (1 / n1 + 1 / n2));
      break;
    }
    default: {
      const long double v1 = a.Var / n1, v2 = b.Var / n2;
      diff = a.Mean - b.Mean;
      se = std::sqrt(v1 + v2);
      dof = (v1 + v2) * (v1 + v2) / (v1 * v1 / (n1 - 1) + v2 * v2 / (n2 - 1));
      break;
    }
  }
  const long double tt = diff / se;
  t = static_cast<double>(tt);
  StdErr = static_cast<double>(se);
  dfExact = static_cast<double>(dof);
  df = std::isfinite(dfExact) ? static_cast<std::int32_t>(dfExact) : 0;
  return TResult(tt, dof, OneSided);
}

double Perform2SampleTTest(const TVector& A, const TVector& B, TtTestVersion Version, bool OneSided,
                           double& Mean1, double& Var1, double& Mean2, double& Var2, double& t, double& StdErr,
                           double& dfExact, std::int32_t& df) {
  return Perform2SampleTTest(A.Data(), B.Data(), Version, OneSided, Mean1, Var1, Mean2, Var2, t, StdErr, dfExact,
                             df);
}

double Perform2SampleTTest(const TVector& A, const TVector& B, TtTestVersion Version, bool OneSided) {
  double m1, v1, m2, v2, t, se, dfe;
  std::int32_t df;
  return Perform2SampleTTest(A.Data(), B.Data(), Version, OneSided, m1, v1, m2, v2, t, se, dfe, df);
}

}  // namespace kvl
