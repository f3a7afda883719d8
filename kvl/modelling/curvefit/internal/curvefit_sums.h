#pragma once
// The running-sum kernel of TCurveFit. Each of the thirty-three sums has
// one term function of a prepared pair (x, y, the reciprocals in extended
// precision, the logarithms and which of them are defined); entry, removal
// and the block form all use these terms, so that entering and removing a
// pair takes the same branches and the same roundings.
//
// The block form adds many pairs a few sums at a time, keeping those
// accumulators in registers: a sum sees its terms in the same order, so
// the result is the one of adding pair after pair.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "kvl/base/KVL_univconst.h"
#include "kvl/modelling/curvefit/curvefit.h"

namespace kvl::curvefit_internal {

/// Eps: the threshold below which x or y counts as 0 for a reciprocal.
inline constexpr long double Eps = 1e-30L;
/// MaxTerm: what stands in for an undefined reciprocal.
inline constexpr long double MaxTerm = uc_MaxReal;

inline constexpr std::uint32_t Flag(TCurveFitError e) { return 1u << static_cast<int>(e); }

/// TPrep: one pair made ready for its terms.
struct TPrep {
  long double rx, ry;  // 1/x and 1/y, MaxTerm where |x| or |y| <= Eps
  double x, y;
  double lx, ly;       // ln x (x > 0), ln y (y > 0), else 0
  bool xnz, ynz;       // |x| > Eps, |y| > Eps
  bool xpos, ypos;     // x > 0, y > 0
  bool yeps;           // y > Eps
};

/// PrepareLogs: the pair's logarithms (the calls to the library's log are
/// kept apart from the extended-precision work, which would otherwise be
/// spilled around every call).
inline void PrepareLogs(double x, double y, TPrep& p) {
  p.lx = x > 0 ? std::log(x) : 0.0;
  p.ly = y > 0 ? std::log(y) : 0.0;
}

/// PrepareRest: the pair's reciprocals and tests; returns the flags of the
/// terms it cannot form.
inline std::uint32_t PrepareRest(double x, double y, TPrep& p) {
  const long double X = x, Y = y;
  p.x = x;
  p.y = y;
  p.xnz = std::fabs(X) > Eps;
  p.ynz = std::fabs(Y) > Eps;
  p.xpos = x > 0;
  p.ypos = y > 0;
  p.yeps = Y > Eps;
  if (p.xnz && p.ynz) {  // one division serves both reciprocals
    const long double r = 1.0L / (X * Y);
    p.rx = Y * r;
    p.ry = X * r;
  } else {
    p.rx = p.xnz ? 1.0L / X : MaxTerm;
    p.ry = p.ynz ? 1.0L / Y : MaxTerm;
  }
  std::uint32_t f = 0;
  if (!p.xnz) f |= Flag(TCurveFitError::cfeXEQ0);
  if (!p.ynz) f |= Flag(TCurveFitError::cfeYEQ0);
  if (!p.xpos) f |= Flag(TCurveFitError::cfeXLE0);
  if (!p.ypos || (p.xpos && !p.yeps)) f |= Flag(TCurveFitError::cfeYLE0);
  return f;
}

/// Prepare: one pair made ready; returns the flags of the terms it cannot
/// form.
inline std::uint32_t Prepare(double x, double y, TPrep& p) {
  PrepareLogs(x, y, p);
  return PrepareRest(x, y, p);
}

using TTermFn = long double (*)(const TPrep&);

struct TSumTerm {
  long double TCurveFitSums::*Sum;
  TTermFn Term;
};

// The block form adds the sums four at a time in this order: each four
// share their operands (x², y², the logarithms, a reciprocal).
// clang-format off
inline constexpr TSumTerm kTerms[] = {
    {&TCurveFitSums::sumx, [](const TPrep& p) -> long double { return p.x; }},
    {&TCurveFitSums::sumxq, [](const TPrep& p) { const long double X = p.x; return X * X; }},
    {&TCurveFitSums::sumx3, [](const TPrep& p) { const long double X = p.x; return X * X * X; }},
    {&TCurveFitSums::sumx4, [](const TPrep& p) { const long double X = p.x, q = X * X; return q * q; }},
    {&TCurveFitSums::sumy, [](const TPrep& p) -> long double { return p.y; }},
    {&TCurveFitSums::sumyq, [](const TPrep& p) { const long double Y = p.y; return Y * Y; }},
    {&TCurveFitSums::sumy3, [](const TPrep& p) { const long double Y = p.y; return Y * Y * Y; }},
    {&TCurveFitSums::sumy4, [](const TPrep& p) { const long double Y = p.y, q = Y * Y; return q * q; }},
    {&TCurveFitSums::sumDiff, [](const TPrep& p) { return static_cast<long double>(p.x) - p.y; }},
    {&TCurveFitSums::SumDiffq, [](const TPrep& p) { const long double d = static_cast<long double>(p.x) - p.y; return d * d; }},
    {&TCurveFitSums::sumxy, [](const TPrep& p) { return static_cast<long double>(p.x) * p.y; }},
    {&TCurveFitSums::sumx2y, [](const TPrep& p) { const long double X = p.x; return X * X * p.y; }},
    {&TCurveFitSums::sumxy2, [](const TPrep& p) { const long double Y = p.y; return Y * Y * p.x; }},
    {&TCurveFitSums::sumyqlnx, [](const TPrep& p) { const long double Y = p.y; return Y * Y * p.lx; }},
    {&TCurveFitSums::sumylnx, [](const TPrep& p) { return static_cast<long double>(p.y) * p.lx; }},
    {&TCurveFitSums::sumlnx, [](const TPrep& p) -> long double { return p.lx; }},
    {&TCurveFitSums::sumxqlny, [](const TPrep& p) { const long double X = p.x; return X * X * p.ly; }},
    {&TCurveFitSums::sumxlny, [](const TPrep& p) { return static_cast<long double>(p.x) * p.ly; }},
    {&TCurveFitSums::sumlny, [](const TPrep& p) -> long double { return p.ly; }},
    {&TCurveFitSums::sumlnyq, [](const TPrep& p) { const long double l = p.ly; return l * l; }},
    {&TCurveFitSums::sumlnxq, [](const TPrep& p) { const long double l = p.lx; return l * l; }},
    {&TCurveFitSums::sumxlnx, [](const TPrep& p) { return static_cast<long double>(p.x) * p.lx; }},
    {&TCurveFitSums::sumlnxlny, [](const TPrep& p) { return p.xpos && p.yeps ? static_cast<long double>(p.lx) * p.ly : 0.0L; }},
    {&TCurveFitSums::sumylny, [](const TPrep& p) { return static_cast<long double>(p.y) * p.ly; }},
    {&TCurveFitSums::sum1byy, [](const TPrep& p) { return p.ry; }},
    {&TCurveFitSums::sum1byyq, [](const TPrep& p) { return p.ry * p.ry; }},
    {&TCurveFitSums::sumxbyy, [](const TPrep& p) { return p.x * p.ry; }},
    {&TCurveFitSums::sumlnxbyy, [](const TPrep& p) { return p.xpos && p.ynz ? p.lx * p.ry : 0.0L; }},
    {&TCurveFitSums::sum1byx, [](const TPrep& p) { return p.rx; }},
    {&TCurveFitSums::sum1byxq, [](const TPrep& p) { return p.rx * p.rx; }},
    {&TCurveFitSums::sumybyx, [](const TPrep& p) { return p.y * p.rx; }},
    {&TCurveFitSums::sumlnybyx, [](const TPrep& p) { return p.ypos && p.xnz ? p.ly * p.rx : 0.0L; }},
    // 1/(xy): M/x when y is 0, M/y when x is 0, M alone when both are
    {&TCurveFitSums::sum1byxy, [](const TPrep& p) { return p.xnz ? p.rx * p.ry : p.ynz ? MaxTerm * p.ry : MaxTerm; }},
};
// clang-format on
static_assert(std::size(kTerms) == 33);

/// AddPair: the terms of one prepared pair added to S with sign Sign.
template <int Sign>
inline void AddPair(TCurveFitSums& S, const TPrep& p) {
  for (const TSumTerm& t : kTerms) {
    if constexpr (Sign > 0)
      S.*t.Sum += t.Term(p);
    else
      S.*t.Sum -= t.Term(p);
  }
}

namespace detail {

// Sums First..First+K-1 over n prepared pairs, the accumulators in registers.
template <std::size_t First, std::size_t... K>
inline void AddGroup(TCurveFitSums& S, const TPrep* p, std::size_t n, std::index_sequence<K...>) {
  long double acc[] = {(S.*kTerms[First + K].Sum)...};
  for (std::size_t i = 0; i < n; ++i) ((acc[K] += kTerms[First + K].Term(p[i])), ...);
  ((S.*kTerms[First + K].Sum = acc[K]), ...);
}

template <std::size_t... G>
inline void AddGroups(TCurveFitSums& S, const TPrep* p, std::size_t n, std::index_sequence<G...>) {
  constexpr std::size_t kGroup = 4;  // accumulators per pass (the x87 stack holds eight values)
  constexpr std::size_t kCount = std::size(kTerms);
  (AddGroup<G * kGroup>(S, p, n, std::make_index_sequence<(kCount - G * kGroup < kGroup ? kCount - G * kGroup : kGroup)>()),
   ...);
}

}  // namespace detail

/// AddPairs: the pairs x[0..n-1], y[0..n-1] added to S in order; returns
/// the flags of the terms they could not form.
inline std::uint32_t AddPairs(TCurveFitSums& S, const double* x, const double* y, std::size_t n) {
  constexpr std::size_t kBlock = 256;
  constexpr std::size_t kGroups = (std::size(kTerms) + 3) / 4;
  TPrep prep[kBlock];
  std::uint32_t flags = 0;
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t m = n - start < kBlock ? n - start : kBlock;
    for (std::size_t i = 0; i < m; ++i) PrepareLogs(x[start + i], y[start + i], prep[i]);
    for (std::size_t i = 0; i < m; ++i) flags |= PrepareRest(x[start + i], y[start + i], prep[i]);
    detail::AddGroups(S, prep, m, std::make_index_sequence<kGroups>());
  }
  return flags;
}

}  // namespace kvl::curvefit_internal
