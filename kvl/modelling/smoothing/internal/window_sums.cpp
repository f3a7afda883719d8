#include "kvl/modelling/smoothing/internal/window_sums.h"

#include <cmath>
#include <cstdint>

namespace kvl::smoothing_internal {

namespace {

// s + c is the running sum; Add keeps the exact rounding error of s + v in c.
struct TTwoSum {
  double s = 0.0;
  double c = 0.0;
  void Add(double v) noexcept {
    const double t = s + v;
    const double bv = t - s;
    c += (s - (t - bv)) + (v - bv);
    s = t;
  }
  double Value() const noexcept { return s + c; }
};

double DirectSum(const double* x, std::size_t Len) noexcept {
  double s = 0.0;
  for (std::size_t k = 0; k < Len; ++k) s += x[k];
  return s;
}

// Knuth's two-sum: a + b = s + e exactly.
inline void TwoSumOf(double a, double b, double& s, double& e) noexcept {
  s = a + b;
  const double bv = s - a;
  e = (a - (s - bv)) + (b - bv);
}

// All values finite: each step adds x_in - x_out as one exact pair, so the
// running sum has one addition on its critical path.
void FiniteWindowSums(std::span<const double> x, std::size_t Len, std::span<double> Out) {
  const std::size_t windows = x.size() - Len + 1;
  TTwoSum run;
  for (std::size_t k = 0; k < Len; ++k) run.Add(x[k]);
  for (std::size_t j = 0;; ++j) {
    double sum = run.Value();
    if (!std::isfinite(sum)) [[unlikely]] {
      // The running sum overflowed: start it again from this window.
      run = {};
      for (std::size_t k = 0; k < Len; ++k) run.Add(x[j + k]);
      sum = run.Value();
    }
    Out[j] = sum;
    if (j + 1 == windows) break;
    double d = 0, e = 0, t = 0, f = 0;
    TwoSumOf(x[j + Len], -x[j], d, e);
    TwoSumOf(run.s, d, t, f);
    run.s = t;
    run.c += f + e;
  }
}

}  // namespace

void WindowSums(std::span<const double> x, std::size_t Len, std::span<double> Out) {
  if (Len == 0 || x.size() < Len) return;
  bool finite = true;
  for (const double v : x) finite &= std::isfinite(v);
  if (finite) return FiniteWindowSums(x, Len, Out);
  const std::size_t windows = x.size() - Len + 1;
  TTwoSum run;
  std::size_t nonFinite = 0;  // infinities and NaNs in the window, kept out of the running sum
  auto enter = [&](double v) {
    if (std::isfinite(v)) run.Add(v); else ++nonFinite;
  };
  auto leave = [&](double v) {
    if (std::isfinite(v)) run.Add(-v); else --nonFinite;
  };
  for (std::size_t k = 0; k < Len; ++k) enter(x[k]);
  for (std::size_t j = 0;; ++j) {
    double sum = run.Value();
    if (nonFinite > 0) {
      sum = DirectSum(&x[j], Len);
    } else if (!std::isfinite(sum)) {
      // The running sum overflowed: start it again from this window.
      run = {};
      for (std::size_t k = 0; k < Len; ++k) run.Add(x[j + k]);
      sum = run.Value();
    }
    Out[j] = sum;
    if (j + 1 == windows) break;
    leave(x[j]);
    enter(x[j + Len]);
  }
}

}  // namespace kvl::smoothing_internal
