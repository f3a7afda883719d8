#include "kvl/core/math1/evaluation.h"

#include <algorithm>
#include <cmath>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

// Both polynomial forms report under the name "Polynomial".
double EvalPolynomial(std::span<const double> Coeffs, std::int32_t Order, long double X) {
  if (Order < 0 || static_cast<std::size_t>(Order) >= Coeffs.size())
    RaiseFunc<EKVLMath1Error>("Polynomial", "invalid order of polynomial");
  long double sum = Coeffs[0];
  long double power = 1.0L;
  for (std::int32_t i = 1; i <= Order; ++i) {
    power *= X;
    sum += Coeffs[static_cast<std::size_t>(i)] * power;
  }
  return static_cast<double>(sum);
}

template <class T>
double InterpolEquidistant(double X, double XFirst, double XLast, std::span<const T> Table) {
  const std::size_t n = Table.size();
  if (n < 2) RaiseFunc<EKVLMath1Error>("InterpolTable", "pivot array must contain at least 2 values");
  if (XFirst == XLast) RaiseFunc<EKVLMath1Error>("InterpolTable", "specified range of pivot array is zero");
  if (X == XFirst) return static_cast<double>(Table[0]);
  if (X == XLast) return static_cast<double>(Table[n - 1]);
  const long double pos = (static_cast<long double>(X) - XFirst) /
                          (static_cast<long double>(XLast) - XFirst) * static_cast<long double>(n - 1);
  // The segment used: the one holding pos, or the end segment nearest to it
  // outside the table (NaN falls to the first).
  std::size_t i = 0;
  if (pos >= static_cast<long double>(n - 2))
    i = n - 2;
  else if (pos > 0.0L)
    i = static_cast<std::size_t>(pos);
  const long double lo = Table[i];
  const long double hi = Table[i + 1];
  return static_cast<double>(lo + (pos - static_cast<long double>(i)) * (hi - lo));
}

}  // namespace

double Polynomial(std::span<const double> Coeffs, std::int32_t Order, double X) {
  return EvalPolynomial(Coeffs, Order, X);
}

double CenteredPolynomial(std::span<const double> Coeffs, std::int32_t Order, double X, double Center) {
  return EvalPolynomial(Coeffs, Order, static_cast<long double>(X) - Center);
}

double InterpolTable(double X, double XFirst, double XLast, std::span<const double> Table) {
  return InterpolEquidistant(X, XFirst, XLast, Table);
}

double InterpolTable(double X, double XFirst, double XLast, std::span<const std::int32_t> Table) {
  return InterpolEquidistant(X, XFirst, XLast, Table);
}

double InterpolXYTable(double X, std::span<const std::vector<double>> Table, bool Extrapolate) {
  if (Table.size() != 2) RaiseFunc<EKVLMath1Error>("InterpolXYTable", "pivot array must contain 2 columns");
  const std::vector<double>& xs = Table[0];
  const std::vector<double>& ys = Table[1];
  const std::size_t n = std::min(xs.size(), ys.size());
  if (n < 2) RaiseFunc<EKVLMath1Error>("InterpolXYTable", "pivot array must contain at least 2 rows");
  // The straight line through pivots i and j, at X.
  const auto line = [&](std::size_t i, std::size_t j) {
    const long double slope =
        (static_cast<long double>(ys[j]) - ys[i]) / (static_cast<long double>(xs[j]) - xs[i]);
    return static_cast<double>(ys[i] + (static_cast<long double>(X) - xs[i]) * slope);
  };
  const bool ascending = xs[0] <= xs[n - 1];
  const bool beforeFirst = ascending ? X <= xs[0] : X >= xs[0];
  const bool afterLast = ascending ? X >= xs[n - 1] : X <= xs[n - 1];
  if (beforeFirst) return Extrapolate ? line(0, 1) : 0.0;
  if (afterLast) return Extrapolate ? line(n - 2, n - 1) : 0.0;
  if (ascending) {
    std::size_t i = 0;
    while (i + 2 < n && xs[i + 1] <= X) ++i;
    return line(i, i + 1);
  }
  std::size_t j = n - 1;
  while (j > 1 && xs[j - 1] <= X) --j;
  return line(j - 1, j);
}

double InterpolZofXYRect(double Z1, double Z2, double Z3, double Z4, double Fx, double Fy) noexcept {
  const long double t1 = Z1 + (static_cast<long double>(Z3) - Z1) * Fx;
  const long double t2 = Z2 + (static_cast<long double>(Z4) - Z2) * Fx;
  return static_cast<double>(t1 + (t2 - t1) * Fy);
}

double HistoBinRef(double X, double Offset, double Width, double& Dist) noexcept {
  const long double edge = std::floor((static_cast<long double>(X) - Offset) / Width) * Width + Offset;
  const double result = static_cast<double>(edge);
  Dist = X - result;
  return result;
}

double Squash(double X, double Center, double Slope, double Range) noexcept {
  const long double a = -2.0L * Slope / Range * (static_cast<long double>(X) - Center);
  if (std::fabs(a) < 200.0L) return static_cast<double>((2.0L / (std::exp(a) + 1.0L) - 1.0L) * Range);
  return a < 0.0L ? Range : -Range;
}

void CalcScalePars(std::int32_t NTicks, long double X1, long double X2, long double& FirstTick,
                   long double& Distance, std::uint16_t& NSubTicks) noexcept {
  if (X1 == X2) {
    FirstTick = X1;
    Distance = 0.0L;
    NSubTicks = 1;
    return;
  }
  const long double s = X2 >= X1 ? 1.0L : -1.0L;
  const long double ln10 = std::log(10.0L);
  if (NTicks == 0) {
    Distance = 1.0L;
    FirstTick = Int(X1) - 1.0L;
    NSubTicks = std::fabs(X2 - X1) > 10.0L ? 1 : 5;
  } else {
    long double e = std::log(std::fabs(X2 - X1) / NTicks) / ln10;
    long double f = e - Int(e);
    if (std::fabs(f) < 1e-10L || std::fabs(f) > 0.9999999999L) {
      f = 0.0L;
      e = RoundEven(e);
    }
    if (e < 0.0L && f != 0.0L) e -= 1.0L;
    if (f < 0.0L) f += 1.0L;
    const long double lg2 = std::log(2.0L) / ln10;
    const long double lg5 = std::log(5.0L) / ln10;
    if (f < lg2 + 1e-10L) {
      e = Int(e);
      NSubTicks = 5;
    } else if (f < lg5 + 1e-10L) {
      e = Int(e) + lg2;
      NSubTicks = 4;
    } else {
      e = Int(e) + lg5;
      NSubTicks = 5;
    }
    Distance = s * std::exp(e * ln10);
    FirstTick = (Int(X1 / Distance) - 1.0L) * Distance;
  }
  // Advance to the first tick at or beyond X1; a step too small to move
  // FirstTick (a huge X1 against a tiny Distance) ends the walk.
  while ((X1 - FirstTick) * s > 0.001L * std::fabs(Distance)) {
    const long double next = FirstTick + Distance;
    if (next == FirstTick) break;
    FirstTick = next;
  }
}

}  // namespace kvl
