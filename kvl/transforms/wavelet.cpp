#include <algorithm>
#include <bit>
#include <cmath>

#include "kvl/transforms/KVL_wavelet.h"

namespace kvl {

namespace {

// The orthonormal Daubechies scaling filters from their closed forms,
// evaluated in 80-bit precision.
std::vector<long double> DaubechiesLowPass(std::int32_t K) {
  const long double r2 = std::sqrt(2.0L);
  switch (K) {
    case 1:
      return {1 / r2, 1 / r2};
    case 2: {
      const long double r3 = std::sqrt(3.0L), q = 4 * r2;
      return {(1 + r3) / q, (3 + r3) / q, (3 - r3) / q, (1 - r3) / q};
    }
    default: {
      const long double r10 = std::sqrt(10.0L), s = std::sqrt(5 + 2 * r10), q = 16 * r2;
      return {(1 + r10 + s) / q,          (5 + r10 + 3 * s) / q, (10 - 2 * r10 + 2 * s) / q,
              (10 - 2 * r10 - 2 * s) / q, (5 + r10 - 3 * s) / q, (1 + r10 - s) / q};
    }
  }
}

// Position p (>= -2K + 2, < n) of a block of length n read through the
// extension mode; -1 when it contributes nothing. The symmetric extension
// mirrors about the block's ends (-1 reads 0, -2 reads 1, ...) as often as a
// block shorter than the filter needs.
std::ptrdiff_t MapPosition(std::ptrdiff_t p, std::ptrdiff_t n, TWLSigExtMode Mode) noexcept {
  if (p >= 0 && p < n) return p;
  switch (Mode) {
    case TWLSigExtMode::wseWrap:
      return p & (n - 1);
    case TWLSigExtMode::wseZeroPad:
      return -1;
    default: {
      std::ptrdiff_t q = p % (2 * n);
      if (q < 0) q += 2 * n;
      return q < n ? q : 2 * n - 1 - q;
    }
  }
}

// One forward step on x[0..n): approximations to w[0..n/2), details to
// w[n/2..n).
void ForwardStep(const long double* x, long double* w, std::ptrdiff_t n, std::span<const long double> h,
                 std::span<const long double> g, TWLSigExtMode Mode) {
  const std::ptrdiff_t half = n / 2, taps = static_cast<std::ptrdiff_t>(h.size());
  for (std::ptrdiff_t i = 0; i < half; ++i) {
    const std::ptrdiff_t base = 2 * i - taps + 2;
    long double a = 0, d = 0;
    if (base >= 0) {
      for (std::ptrdiff_t j = 0; j < taps; ++j) {
        a += h[j] * x[base + j];
        d += g[j] * x[base + j];
      }
    } else {
      for (std::ptrdiff_t j = 0; j < taps; ++j) {
        const std::ptrdiff_t p = MapPosition(base + j, n, Mode);
        if (p < 0) continue;
        a += h[j] * x[p];
        d += g[j] * x[p];
      }
    }
    w[i] = a;
    w[half + i] = d;
  }
}

// One backward step: every pair (a[i], d[i]) of x spread back into w[0..n).
void BackwardStep(const long double* x, long double* w, std::ptrdiff_t n, std::span<const long double> h,
                  std::span<const long double> g, TWLSigExtMode Mode) {
  const std::ptrdiff_t half = n / 2, taps = static_cast<std::ptrdiff_t>(h.size());
  std::fill(w, w + n, 0.0L);
  for (std::ptrdiff_t i = 0; i < half; ++i) {
    const std::ptrdiff_t base = 2 * i - taps + 2;
    const long double a = x[i], d = x[half + i];
    if (base >= 0) {
      for (std::ptrdiff_t j = 0; j < taps; ++j) w[base + j] += h[j] * a + g[j] * d;
    } else {
      for (std::ptrdiff_t j = 0; j < taps; ++j) {
        const std::ptrdiff_t p = MapPosition(base + j, n, Mode);
        if (p >= 0) w[p] += h[j] * a + g[j] * d;
      }
    }
  }
}

bool ValidSize(std::int32_t N) noexcept {
  return N >= 1 && N <= TWavelet1D::kMaxSize && std::has_single_bit(static_cast<std::uint32_t>(N));
}

}  // namespace

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKVLWaveletError>(*this, [this] { FData.assign(256, 0.0L); });
  FNumData = 256;
  SetOrder(2);
}

void TWavelet1D::SetOrder(std::int32_t K) {
  if (K < 1 || K > 3) RaiseComponent<EKVLWaveletError>(*this, "invalid order of Daubechies wavelet family");
  std::vector<long double> h = DaubechiesLowPass(K), g(h.size());
  const std::size_t last = h.size() - 1;
  for (std::size_t m = 0; m <= last; ++m) g[m] = (m % 2 == 0 ? 1 : -1) * h[last - m];
  FCoeffsLP.swap(h);
  FCoeffsHP.swap(g);
  FOrder = K;
}

void TWavelet1D::SetSize(std::int32_t N) {
  if (!ValidSize(N)) RaiseComponent<EKVLWaveletError>(*this, "data length must be power of 2");
  std::vector<long double> data;
  GuardAllocation<EKVLWaveletError>(*this, [&] { data.assign(static_cast<std::size_t>(N), 0.0L); });
  FData.swap(data);
  FNumData = N;
}

void TWavelet1D::Clear() noexcept { std::ranges::fill(FData, 0.0L); }

void TWavelet1D::Steps(std::int32_t Count, bool Inverse, std::size_t FirstLength) {
  const std::size_t N = FData.size();
  if (N < 2) return;
  // One work block for all levels: a step of length n uses its first n values.
  std::vector<long double> work;
  GuardAllocation<EKVLWaveletError>(*this, [&] { work.resize(N); });
  std::size_t n = FirstLength;
  for (std::int32_t s = 0; s < Count && n >= 2 && n <= N; ++s) {
    const auto len = static_cast<std::ptrdiff_t>(n);
    if (Inverse)
      BackwardStep(FData.data(), work.data(), len, FCoeffsLP, FCoeffsHP, FWLSigExtMode);
    else
      ForwardStep(FData.data(), work.data(), len, FCoeffsLP, FCoeffsHP, FWLSigExtMode);
    std::copy_n(work.begin(), n, FData.begin());
    n = Inverse ? 2 * n : n / 2;
  }
}

void TWavelet1D::Transform(std::int32_t Level) { Steps(std::max(Level, 1), false, FData.size()); }

void TWavelet1D::InverseTransform(std::int32_t Level) { Steps(std::max(Level, 1), true, 2); }

void TWavelet1D::SingleStep(bool Inverse) { Steps(1, Inverse, FData.size()); }

void TWavelet1D::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TWavelet1D*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<long double> data;
  GuardAllocation<EKVLWaveletError>(*this, [&] { data = src->FData; });
  FData.swap(data);
  FNumData = src->FNumData;
  FOrder = src->FOrder;
  FCoeffsLP = src->FCoeffsLP;
  FCoeffsHP = src->FCoeffsHP;
  FWLSigExtMode = src->FWLSigExtMode;
  FWaveletFam = src->FWaveletFam;
}

}  // namespace kvl
