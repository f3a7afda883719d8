// The unit-stride kernels of the singular value routines, in the CPU clones
// of the array routines (chosen at load time). This file is compiled
// without floating-point contraction, so no clone fuses multiply-adds and
// all give the same results.

#include <cstddef>

#include "kvl/runtime/cpu_clones.h"
#include "kvl/arrays/svd/internal/svd_engine.h"

namespace kvl::svd_internal {

namespace {

constexpr std::size_t kLanes = 16;

/// SumLanes: the sixteen partial sums added pairwise.
double SumLanes(double* s) noexcept {
  for (std::size_t width = kLanes / 2; width > 0; width /= 2)
    for (std::size_t k = 0; k < width; ++k) s[k] += s[k + width];
  return s[0];
}

}  // namespace

/// Dot: Σ x_i·y_i over n contiguous values, in sixteen partial sums (sum k
/// takes the i ≡ k mod 16), added pairwise at the end. The loop vectorises
/// without reassociating any sum, and the independent sums keep the adder
/// busy instead of waiting on one chain.
KVL_CPU_CLONES double Dot(const double* __restrict x, const double* __restrict y, std::size_t n) noexcept {
  double s[kLanes] = {};
  std::size_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
    for (std::size_t k = 0; k < kLanes; ++k) s[k] += x[i + k] * y[i + k];
  for (std::size_t k = 0; i < n; ++i, ++k) s[k] += x[i] * y[i];
  return SumLanes(s);
}

/// AxpyDot: y += a·x, then Σ z_i·y_i of the updated y, in one pass; the sum
/// is formed exactly as Dot (z, y) forms it.
KVL_CPU_CLONES double AxpyDot(double a, const double* __restrict x, double* __restrict y, const double* __restrict z,
                              std::size_t n) noexcept {
  double s[kLanes] = {};
  std::size_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
    for (std::size_t k = 0; k < kLanes; ++k) {
      const double yi = y[i + k] + a * x[i + k];
      y[i + k] = yi;
      s[k] += z[i + k] * yi;
    }
  for (std::size_t k = 0; i < n; ++i, ++k) {
    const double yi = y[i] + a * x[i];
    y[i] = yi;
    s[k] += z[i] * yi;
  }
  return SumLanes(s);
}

/// Axpy: y += a·x over n contiguous values.
KVL_CPU_CLONES void Axpy(double a, const double* __restrict x, double* __restrict y, std::size_t n) noexcept {
  for (std::size_t i = 0; i < n; ++i) y[i] += a * x[i];
}

/// AxpyGather: y += a·x, then acc += b·y, in one pass.
KVL_CPU_CLONES void AxpyGather(double a, const double* __restrict x, double* __restrict y, double b,
                               double* __restrict acc, std::size_t n) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const double yi = y[i] + a * x[i];
    y[i] = yi;
    acc[i] += b * yi;
  }
}

/// Rotate: the plane rotation (x, y) <- (x·c + y·s, y·c − x·s) of two
/// contiguous vectors of n values.
KVL_CPU_CLONES void Rotate(double* __restrict x, double* __restrict y, std::size_t n, double c, double s) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const double xi = x[i];
    const double yi = y[i];
    x[i] = xi * c + yi * s;
    y[i] = yi * c - xi * s;
  }
}

}  // namespace kvl::svd_internal
