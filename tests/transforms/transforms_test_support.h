#pragma once
// Helpers of the transforms tests: random complex blocks and the direct
// discrete Fourier transform in 80-bit precision.

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "kvl/transforms/KVL_fourier.h"

namespace kvl::test {

using TComplexBlock = std::vector<std::complex<double>>;

/// RandomComplex: N values with parts uniform in [-1, 1), reproducible by Seed.
inline TComplexBlock RandomComplex(std::int32_t N, unsigned Seed) {
  std::mt19937_64 gen(Seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  TComplexBlock x(static_cast<std::size_t>(N));
  for (auto& v : x) v = {u(gen), u(gen)};
  return x;
}

/// Norm: the Euclidean norm of the block.
inline double Norm(const TComplexBlock& x) {
  long double s = 0;
  for (const auto& v : x) s += std::norm(std::complex<long double>(v));
  return static_cast<double>(std::sqrt(s));
}

/// Load: writes x into the samples of Fft (whose size is x.size()).
inline void Load(TFastFourier& Fft, const TComplexBlock& x) {
  for (std::size_t k = 0; k < x.size(); ++k) {
    Fft.SetRealSpec(static_cast<std::int32_t>(k + 1), x[k].real());
    Fft.SetImagSpec(static_cast<std::int32_t>(k + 1), x[k].imag());
  }
}

/// DirectDFT: sum_k x_k e^{Sign 2 pi i k L / N} for L = 0..N-1, in 80-bit
/// precision with exact index reduction (k L mod N).
inline std::vector<std::complex<long double>> DirectDFT(const TComplexBlock& x, int Sign) {
  const std::size_t N = x.size();
  std::vector<std::complex<long double>> w(N), out(N);
  for (std::size_t m = 0; m < N; ++m) {
    const long double a = Sign * 2 * std::numbers::pi_v<long double> * static_cast<long double>(m) /
                          static_cast<long double>(N);
    w[m] = {std::cos(a), std::sin(a)};
  }
  for (std::size_t L = 0; L < N; ++L) {
    std::complex<long double> s = 0;
    for (std::size_t k = 0; k < N; ++k) s += std::complex<long double>(x[k]) * w[(k * L) % N];
    out[L] = s;
  }
  return out;
}

}  // namespace kvl::test
