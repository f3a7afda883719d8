// Normalising, centring, thresholds, discretising, linearity breaks and
// rescaling.

#include "kvl/arrays/arith/transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvl/arrays/arith/internal/arith_internal.h"

namespace kvl {
namespace {

using namespace arith_internal;
using detail::ForEachElem;

// Per-line sums over a 2-D array: one per column (Columns) or one per row,
// each term given by term(x). The row sums are gathered column by column so
// that the walk stays on contiguous memory.
template <bool Columns, class Term>
std::vector<long double> LineSums(const TDouble2DArray& a, const Index<2>& ext, Term term) {
  std::vector<long double> s(static_cast<std::size_t>(Columns ? ext[0] : ext[1]), 0.0L);
  for (std::size_t c = 0; c < static_cast<std::size_t>(ext[0]); ++c)
    for (std::size_t r = 0; r < static_cast<std::size_t>(ext[1]); ++r) s[Columns ? c : r] += term(a[c][r]);
  return s;
}

// a[c][r] := f(a[c][r], line value of its column or row).
template <bool Columns, class F>
void ApplyPerLine(TDouble2DArray& a, const Index<2>& ext, const std::vector<long double>& line, F f) {
  for (std::size_t c = 0; c < static_cast<std::size_t>(ext[0]); ++c)
    for (std::size_t r = 0; r < static_cast<std::size_t>(ext[1]); ++r) {
      double& x = a[c][r];
      x = f(x, line[Columns ? c : r]);
    }
}

template <bool Columns>
std::int32_t Normalize(TDouble2DArray& a) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return 0;
  auto norms = LineSums<Columns>(a, ext, [](double x) { return static_cast<long double>(x) * x; });
  std::int32_t st = 0;
  for (auto& n : norms) {
    if (n > 0) {
      n = std::sqrt(n);
    } else {
      n = 1;  // a zero line stays as it is
      st = -1;
    }
  }
  ApplyPerLine<Columns>(a, ext, norms, [](double x, long double n) { return static_cast<double>(x / n); });
  return st;
}

template <bool Columns>
std::int32_t Center(TDouble2DArray& a, TDoubleArray& means) {
  const auto ext = ExtentsOf(a);
  if (IsEmpty(ext)) return -1;
  auto m = LineSums<Columns>(a, ext, [](double x) { return static_cast<long double>(x); });
  const auto count = static_cast<long double>(Columns ? ext[1] : ext[0]);
  for (auto& s : m) s /= count;
  ApplyPerLine<Columns>(a, ext, m, [](double x, long double mean) { return static_cast<double>(x - mean); });
  if (!means.empty()) means.assign(m.begin(), m.end());
  return 0;
}

// M := Lo <= A <= Hi cell by cell.
template <class A, class M, class T>
std::int32_t Between(const A& a, T lo, T hi, M& m) {
  return MapInto(a, m, [lo, hi](T x) { return lo <= x && x <= hi; });
}

template <class A, class M, class T>
std::int32_t Dichotomize(const A& a, T t1, T t2, M& m) {
  return Between(a, std::min(t1, t2), std::max(t1, t2), m);
}

template <class A, class M, class T>
std::int32_t Threshold(const A& a, T t, M& m) {
  if constexpr (std::is_floating_point_v<T>)
    return Between(a, t, std::numeric_limits<T>::infinity(), m);
  else
    return Between(a, t, std::numeric_limits<T>::max(), m);
}

std::int32_t Discretize(TDouble2DArray& a, std::int32_t nLevels, double inLow, double inHigh, double outLow,
                        double outHigh) {
  if (!(inLow < inHigh)) return -2;
  if (nLevels < 3) return -1;
  const double dIn = (inHigh - inLow) / (nLevels - 2);
  const double dOut = (outHigh - outLow) / (nLevels - 1);
  // The inner levels are 1..nLevels-2; the clip keeps a value that rounds up
  // just below InHigh out of the upper tail level.
  const double topInner = nLevels - 2;
  ForEachElem(a, [&](double& x) {
    if (x <= inLow)
      x = outLow;
    else if (x >= inHigh)
      x = outHigh;
    else
      x = outLow + std::min(std::floor((x - inLow) / dIn) + 1.0, topInner) * dOut;
  });
  return 0;
}

template <class T, class Differs>
std::int32_t Linearity(const std::vector<T>& a, TIntArray& breaks, Differs differs) {
  breaks.clear();
  if (a.size() < 3) return 0;
  using D = std::conditional_t<std::is_floating_point_v<T>, double, std::int64_t>;
  D d = D(a[1]) - D(a[0]);
  for (std::size_t i = 2; i < a.size(); ++i) {
    const D step = D(a[i]) - D(a[i - 1]);
    if (differs(step, d)) {
      breaks.push_back(static_cast<std::int32_t>(i - 1));
      d = step;
    }
  }
  return static_cast<std::int32_t>(breaks.size());
}

template <class A>
std::int32_t Rescale(A& a, TRescaleMode mode, double low, double high) {
  if (IsEmpty(ExtentsOf(a))) return -1;
  switch (mode) {
    case TRescaleMode::rsmMinMax: {
      double lo = std::numeric_limits<double>::infinity();
      double hi = -lo;
      ForEachElem(a, [&](double x) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      });
      if (!(hi > lo)) return -2;
      const long double width = static_cast<long double>(hi) - lo;
      ForEachElem(a, [&](double& x) { x = static_cast<double>(low + (x - lo) / width * (high - low)); });
      return 0;
    }
    case TRescaleMode::rsmZScore: {
      long double sum = 0;
      std::int64_t n = 0;
      ForEachElem(a, [&](double x) {
        sum += x;
        ++n;
      });
      if (n < 2) return -2;
      const long double mean = sum / n;
      long double ss = 0;
      ForEachElem(a, [&](double x) { ss += (x - mean) * (x - mean); });
      const long double s = std::sqrt(ss / (n - 1));
      if (!(s > 0)) return -2;
      ForEachElem(a, [&](double& x) { x = static_cast<double>((x - mean) / s); });
      return 0;
    }
    case TRescaleMode::rsmMaxAbs: {
      double m = 0;
      ForEachElem(a, [&](double x) { m = std::max(m, std::fabs(x)); });
      if (!(m > 0)) return -2;
      ForEachElem(a, [&](double& x) { x /= m; });
      return 0;
    }
  }
  return -2;
}

}  // namespace

std::int32_t NormalizeColumns(TDouble2DArray& A) { return Normalize<true>(A); }
std::int32_t NormalizeRows(TDouble2DArray& A) { return Normalize<false>(A); }
std::int32_t MeanCenterColumnsOfArray(TDouble2DArray& A, TDoubleArray& Means) {
  return Center<true>(A, Means);
}
std::int32_t MeanCenterColumnsOfArray(TDouble2DArray& A) {
  TDoubleArray none;
  return Center<true>(A, none);
}
std::int32_t MeanCenterRowsOfArray(TDouble2DArray& A, TDoubleArray& Means) { return Center<false>(A, Means); }
std::int32_t MeanCenterRowsOfArray(TDouble2DArray& A) {
  TDoubleArray none;
  return Center<false>(A, none);
}

std::int32_t DichotomizeArray(const TDouble2DArray& A, double T1, double T2, TBool2DArray& M) {
  return Dichotomize(A, T1, T2, M);
}
std::int32_t DichotomizeArray(const TDoubleArray& A, double T1, double T2, TBoolArray& M) {
  return Dichotomize(A, T1, T2, M);
}
std::int32_t DichotomizeArray(const TInt2DArray& A, std::int32_t T1, std::int32_t T2, TBool2DArray& M) {
  return Dichotomize(A, T1, T2, M);
}
std::int32_t DichotomizeArray(const TIntArray& A, std::int32_t T1, std::int32_t T2, TBoolArray& M) {
  return Dichotomize(A, T1, T2, M);
}
std::int32_t DichotomizeArray(const TDouble2DArray& A, double T, TBool2DArray& M) { return Threshold(A, T, M); }
std::int32_t DichotomizeArray(const TDoubleArray& A, double T, TBoolArray& M) { return Threshold(A, T, M); }
std::int32_t DichotomizeArray(const TInt2DArray& A, std::int32_t T, TBool2DArray& M) { return Threshold(A, T, M); }
std::int32_t DichotomizeArray(const TIntArray& A, std::int32_t T, TBoolArray& M) { return Threshold(A, T, M); }

std::int32_t DiscretizeArray(TDouble2DArray& A, std::int32_t NLevels, double InLow, double InHigh, double OutLow,
                             double OutHigh) {
  return Discretize(A, NLevels, InLow, InHigh, OutLow, OutHigh);
}

std::int32_t CheckLinearity(const TDoubleArray& A, double Tol, TIntArray& Breaks) {
  return Linearity(A, Breaks, [Tol](double step, double d) { return std::fabs(step - d) > Tol; });
}
std::int32_t CheckLinearity(const TIntArray& A, TIntArray& Breaks) {
  return Linearity(A, Breaks, [](std::int64_t step, std::int64_t d) { return step != d; });
}

std::int32_t RescaleArray(TDoubleArray& A, TRescaleMode Mode, double Low, double High) {
  return Rescale(A, Mode, Low, High);
}
std::int32_t RescaleArray(TDouble2DArray& A, TRescaleMode Mode, double Low, double High) {
  return Rescale(A, Mode, Low, High);
}

}  // namespace kvl
