// The unit-stride kernels of the singular value routines, in the CPU clones
// of the array routines (chosen at load time). This file is compiled
// without floating-point contraction, so no clone fuses multiply-adds and
// all give the same results.

#include <cstddef>

#include "kvl/arrays/internal/cpu_clones.h"
#include "kvl/arrays/svd/internal/svd_engine.h"

namespace kvl::svd_internal {

/// Dot: Σ x_i·y_i over n contiguous values (four partial sums, so the loop
/// vectorises without reassociating a single sum).
KVL_CPU_CLONES double Dot(const double* __restrict x, const double* __restrict y, std::size_t n) noexcept {
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += x[i] * y[i];
    s1 += x[i + 1] * y[i + 1];
    s2 += x[i + 2] * y[i + 2];
    s3 += x[i + 3] * y[i + 3];
  }
  for (; i < n; ++i) s0 += x[i] * y[i];
  return (s0 + s2) + (s1 + s3);
}

/// Axpy: y += a·x over n contiguous values.
KVL_CPU_CLONES void Axpy(double a, const double* __restrict x, double* __restrict y, std::size_t n) noexcept {
  for (std::size_t i = 0; i < n; ++i) y[i] += a * x[i];
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
