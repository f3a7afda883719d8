// TFastFourier's transform against independent references: a direct
// O(N^2) DFT in 80-bit precision, Parseval's identity and the round trip.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "kvl/transforms/KVL_fourier.h"
#include "kvl_test_support.h"
#include "transforms_test_support.h"

namespace kvl {
namespace {

using test::kTol1e13;
using test::kTol1e15;

class FourierReference : public testing::TestWithParam<int> {};

// Every power of two up to 2^12: the FFT's largest deviation from the
// direct sum stays within 1e-13 log2 N ||x||; Parseval's identity
// sum |X|^2 = N sum |x|^2 holds and the inverse restores x.
TEST_P(FourierReference, MatchesDirectDFTKeepsEnergyAndInverts) {
  const int bits = GetParam();
  const std::int32_t N = std::int32_t{1} << bits;
  const auto x = test::RandomComplex(N, 1000u + static_cast<unsigned>(bits));
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  test::Load(fft, x);
  fft.Transform();
  const auto ref = test::DirectDFT(x, +1);
  const double norm = test::Norm(x);
  double worst = 0;
  long double energy = 0;
  for (std::int32_t L = 0; L < N; ++L) {
    const std::complex<long double> X(fft.RealSpec(L + 1), fft.ImagSpec(L + 1));
    worst = std::max(worst, static_cast<double>(std::abs(ref[static_cast<std::size_t>(L)] - X)));
    energy += std::norm(X);
  }
  EXPECT_LE(worst, kTol1e13 * std::max(bits, 1) * norm) << "N = " << N;
  EXPECT_NEAR(static_cast<double>(energy / N), norm * norm, kTol1e13 * norm * norm);
  fft.InverseTransform();
  for (std::int32_t i = 1; i <= N; ++i) {
    EXPECT_NEAR(fft.RealSpec(i), x[static_cast<std::size_t>(i - 1)].real(), kTol1e15 * std::max(bits, 1)) << i;
    EXPECT_NEAR(fft.ImagSpec(i), x[static_cast<std::size_t>(i - 1)].imag(), kTol1e15 * std::max(bits, 1)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(PowersOfTwo, FourierReference, testing::Range(0, 13),
                         [](const testing::TestParamInfo<int>& p) { return "N_2pow" + std::to_string(p.param); });

// The inverse is the sum with e^{-2 pi i k L / N}, divided by N.
TEST(FourierReferenceInverse, InverseMatchesDirectDFT) {
  const std::int32_t N = 512;
  const auto x = test::RandomComplex(N, 77u);
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  test::Load(fft, x);
  fft.InverseTransform();
  const auto ref = test::DirectDFT(x, -1);
  for (std::int32_t k = 0; k < N; ++k) {
    EXPECT_NEAR(fft.RealSpec(k + 1), static_cast<double>(ref[static_cast<std::size_t>(k)].real() / N), kTol1e15);
    EXPECT_NEAR(fft.ImagSpec(k + 1), static_cast<double>(ref[static_cast<std::size_t>(k)].imag() / N), kTol1e15);
  }
}

// Beyond the one-piece block length: single tones have exact spectra.
TEST(FourierReferenceLong, TonesAtTwoToTheSixteen) {
  const std::int32_t N = 1 << 16;
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  for (const std::int32_t tone : {0, 1, 777, N / 2, N - 3}) {
    // x_k = e^{-2 pi i k tone / N}: the forward sum is N at line tone, 0 elsewhere.
    for (std::int32_t k = 0; k < N; ++k) {
      const long double a = -2 * std::numbers::pi_v<long double> * ((static_cast<std::int64_t>(k) * tone) % N) / N;
      fft.SetRealSpec(k + 1, static_cast<double>(std::cos(a)));
      fft.SetImagSpec(k + 1, static_cast<double>(std::sin(a)));
    }
    fft.Transform();
    double worst = 0;
    for (std::int32_t L = 0; L < N; ++L) {
      const double want = L == tone ? N : 0.0;
      worst = std::max({worst, std::abs(fft.RealSpec(L + 1) - want), std::abs(fft.ImagSpec(L + 1))});
    }
    // The same bound as above: 1e-13 log2 N ||x||, ||x|| = sqrt(N).
    EXPECT_LE(worst, kTol1e13 * 16 * std::sqrt(double(N))) << "tone " << tone;
  }
}

}  // namespace
}  // namespace kvl
