// TFastFourier as a component: size rules and messages, the windows against
// their closed forms, the derived spectra, RMS bands, the line/frequency
// conversions, the cached extremes and Assign.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "kvl/runtime/exceptions.h"
#include "kvl/transforms/KVL_fourier.h"
#include "kvl/transforms/KVL_wavelet.h"
#include "kvl_test_support.h"
#include "transforms_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;
using test::kTol1e13;
using test::kTol1e14;
using test::kTol1e15;
using W = TFastFourierWgtWin;

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr char kSizeMessage[] = "Component \"FFT1\": data length must be power of 2";

TEST(FastFourierSize, ConstructionGivesTheDocumentedDefaults) {
  TFastFourier fft;
  EXPECT_EQ(fft.SpectrumSize(), 256);
  EXPECT_EQ(fft.WeightingWindow(), W::fwRectangle);
  EXPECT_EQ(fft.TukeyAlpha(), 0.0);
  EXPECT_FALSE(fft.MaxValuesValid());
  for (std::int32_t i = 1; i <= 256; ++i) {
    EXPECT_EQ(fft.WgtFunction(i), 1.0) << i;
    EXPECT_EQ(fft.RealSpec(i), 0.0) << i;
    EXPECT_EQ(fft.ImagSpec(i), 0.0) << i;
  }
}

TEST(FastFourierSize, SetterZeroesSamplesAndWeightsEvenForTheSameSize) {
  TFastFourier fft;
  fft.SetRealSpec(3, 1.5);
  fft.SetSpectrumSize(256);
  EXPECT_EQ(fft.RealSpec(3), 0.0);
  for (std::int32_t i = 1; i <= 256; ++i) ASSERT_EQ(fft.WgtFunction(i), 0.0) << i;
  for (const std::int32_t n : {1, 2, 1024, 1 << 23}) {
    fft.SetSpectrumSize(n);
    EXPECT_EQ(fft.SpectrumSize(), n);
    EXPECT_EQ(fft.Data().size(), 2 * static_cast<std::size_t>(n));
  }
}

TEST(FastFourierSize, BadSizesRaiseAndLeaveTheBlockAsItWas) {
  TFastFourier fft;
  fft.SetName("FFT1");
  fft.SetSpectrumSize(8);
  fft.SetRealSpec(2, 4.0);
  fft.SetWgtFunction(2, 0.5);
  // 2^24 + 1 and 2^24 + 4 have one set bit among the low 24 bits but are
  // no powers of two; 2^24 lies above the largest size.
  for (const std::int32_t n : {0, -1, -8, 3, 100, 1 << 24, (1 << 24) + 1, (1 << 24) + 4, INT_MAX, INT_MIN}) {
    KVL_EXPECT_THROW_MSG(fft.SetSpectrumSize(n), EKVLFourierError, kSizeMessage);
    EXPECT_EQ(fft.SpectrumSize(), 8) << n;
  }
  EXPECT_EQ(fft.RealSpec(2), 4.0);
  EXPECT_EQ(fft.WgtFunction(2), 0.5);
}

TEST(FastFourierSize, IndicesOutsideTheBlockReadZeroAndAreNotWritten) {
  TFastFourier fft;
  fft.SetSpectrumSize(4);
  for (std::int32_t i = 1; i <= 4; ++i) fft.SetRealSpec(i, i);
  (void)fft.RealMax();
  ASSERT_TRUE(fft.MaxValuesValid());
  for (const std::int32_t bad : {0, -1, 5, INT_MAX, INT_MIN}) {
    fft.SetRealSpec(bad, 9);
    fft.SetImagSpec(bad, 9);
    fft.SetWgtFunction(bad, 9);
    EXPECT_EQ(fft.RealSpec(bad), 0.0);
    EXPECT_EQ(fft.ImagSpec(bad), 0.0);
    EXPECT_EQ(fft.WgtFunction(bad), 0.0);
  }
  for (const std::int32_t badLine : {-1, 3, INT_MAX, INT_MIN})  // lines run 0..N/2 = 2
    for (const auto line : {&TFastFourier::PowerSpec, &TFastFourier::Magnitude, &TFastFourier::Phase,
                            &TFastFourier::FourSerCosCoeff, &TFastFourier::FourSerSinCoeff})
      EXPECT_EQ((fft.*line)(badLine), 0.0) << badLine;
  EXPECT_TRUE(fft.MaxValuesValid()) << "ignored writes change nothing";
  for (std::int32_t i = 1; i <= 4; ++i) EXPECT_EQ(fft.RealSpec(i), i);
}

TEST(FastFourierSize, TukeyAlphaIsClampedToZeroOne) {
  TFastFourier fft;
  const std::vector<std::pair<double, double>> cases = {{1.5, 1.0}, {-0.2, 0.0}, {0.3, 0.3}, {NAN, 0.0}, {1.0, 1.0}};
  for (const auto& [in, stored] : cases) {
    fft.SetTukeyAlpha(in);
    EXPECT_EQ(fft.TukeyAlpha(), stored) << in;
  }
}

TEST(FastFourierSize, ClearFamilyClearsItsParts) {
  TFastFourier fft;
  fft.SetSpectrumSize(4);
  auto fill = [&] {
    for (std::int32_t i = 1; i <= 4; ++i) {
      fft.SetRealSpec(i, i);
      fft.SetImagSpec(i, -i);
    }
  };
  fill();
  fft.ClearReal();
  EXPECT_EQ(fft.RealSpec(3), 0.0);
  EXPECT_EQ(fft.ImagSpec(3), -3.0);
  fill();
  fft.ClearImag();
  EXPECT_EQ(fft.RealSpec(3), 3.0);
  EXPECT_EQ(fft.ImagSpec(3), 0.0);
  fill();
  (void)fft.RealMax();
  fft.Clear();
  EXPECT_FALSE(fft.MaxValuesValid());
  for (std::int32_t i = 1; i <= 4; ++i) EXPECT_EQ(fft.RealSpec(i) + fft.ImagSpec(i), 0.0);
}

// --- windows ------------------------------------------------------------------------------------

struct TWindowCase {
  std::string Name;
  W Window;
  double Alpha;
  std::function<long double(std::int32_t k, std::int32_t N)> Weight;
};

// The closed forms, written apart from the library's evaluation (cos^2 as
// (1 + cos 2x) / 2, the Gauss exponent as 18 d^2 / N^2, ...).
std::vector<TWindowCase> WindowCases() {
  auto d = [](std::int32_t k, std::int32_t N) { return static_cast<long double>(k) - N / 2.0L; };
  auto c = [d](int m, std::int32_t k, std::int32_t N) { return std::cos(m * 2 * kPi * d(k, N) / N); };
  return {
      {"Rectangle", W::fwRectangle, 0, [](std::int32_t, std::int32_t) { return 1.0L; }},
      {"Triangle", W::fwTriangle, 0,
       [](std::int32_t k, std::int32_t N) { return k <= N / 2 ? 2.0L * k / N : 2.0L * (N + 1 - k) / N; }},
      {"Cos2", W::fwCos2, 0, [c](std::int32_t k, std::int32_t N) { return (1 + c(1, k, N)) / 2; }},
      {"Gauss", W::fwGauss, 0,
       [d](std::int32_t k, std::int32_t N) { return std::exp(-18 * d(k, N) * d(k, N) / (1.0L * N * N)); }},
      {"Hamming", W::fwHamming, 0,
       [c](std::int32_t k, std::int32_t N) { return 0.543478261L + 0.456521739L * c(1, k, N); }},
      {"Blackman", W::fwBlackman, 0,
       [c](std::int32_t k, std::int32_t N) { return 0.42659L + 0.49656L * c(1, k, N) + 0.076848L * c(2, k, N); }},
      {"BlkmHarris", W::fwBlkmHarris, 0,
       [c](std::int32_t k, std::int32_t N) {
         return 0.35875L + 0.48829L * c(1, k, N) + 0.14128L * c(2, k, N) + 0.01168L * c(3, k, N);
       }},
      {"BlkmNuttall", W::fwBlkmNuttall, 0,
       [c](std::int32_t k, std::int32_t N) {
         return 0.3635819L + 0.4891775L * c(1, k, N) + 0.1365995L * c(2, k, N) + 0.0106411L * c(3, k, N);
       }},
      {"TukeyAlpha0", W::fwTukey, 0, [](std::int32_t, std::int32_t) { return 1.0L; }},
      // alpha = 1: the raised cosine (Hann) over the whole block.
      {"TukeyAlpha1", W::fwTukey, 1,
       [](std::int32_t k, std::int32_t N) { return k == N / 2 ? 1.0L : (1 - std::cos(2 * kPi * k / N)) / 2; }},
      // alpha = 0.5: flat on N/4 <= k <= 3N/4, sin^2(pi k / (alpha N)) outside.
      {"TukeyAlphaHalf", W::fwTukey, 0.5,
       [](std::int32_t k, std::int32_t N) {
         if (4 * k >= N && 4 * k <= 3 * N) return 1.0L;
         const long double s = std::sin(kPi * k / (0.5L * N));
         return s * s;
       }},
      {"UserDef", W::fwUserDef, 0, [](std::int32_t k, std::int32_t) { return 1.0L / (1 + k % 5); }},
  };
}

class FastFourierWindow : public testing::TestWithParam<TWindowCase> {};

// Transform then InverseTransform leaves the windowed samples: both parts
// of sample k are multiplied by w(k).
TEST_P(FastFourierWindow, MatchesItsClosedForm) {
  const TWindowCase& wc = GetParam();
  for (const std::int32_t N : {2, 64, 1024}) {
    TFastFourier fft;
    fft.SetSpectrumSize(N);
    for (std::int32_t k = 1; k <= N; ++k) {
      fft.SetRealSpec(k, 1.0);
      fft.SetImagSpec(k, -2.0);
      fft.SetWgtFunction(k, static_cast<double>(wc.Weight(k, N)));
    }
    fft.SetWeightingWindow(wc.Window);
    fft.SetTukeyAlpha(wc.Alpha);
    fft.Transform();
    fft.InverseTransform();
    for (std::int32_t k = 1; k <= N; ++k) {
      const double w = static_cast<double>(wc.Weight(k, N));
      ASSERT_NEAR(fft.RealSpec(k), w, kTol1e14) << "N " << N << " k " << k;
      ASSERT_NEAR(fft.ImagSpec(k), -2 * w, kTol1e14) << "N " << N << " k " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, FastFourierWindow, testing::ValuesIn(WindowCases()),
                         [](const testing::TestParamInfo<TWindowCase>& p) { return p.param.Name; });

TEST(FastFourierWindowCache, ANewAlphaOrWindowIsEvaluatedAfresh) {
  TFastFourier fft;
  fft.SetSpectrumSize(16);
  auto weightOf = [&](W win, double alpha, std::int32_t k) {
    for (std::int32_t i = 1; i <= 16; ++i) {
      fft.SetRealSpec(i, 1.0);
      fft.SetImagSpec(i, 0.0);
    }
    fft.SetWeightingWindow(win);
    fft.SetTukeyAlpha(alpha);
    fft.Transform();
    fft.InverseTransform();
    return fft.RealSpec(k);
  };
  EXPECT_NEAR(weightOf(W::fwTukey, 1.0, 2), (1 - std::cos(2 * std::numbers::pi * 2 / 16)) / 2, kTol1e15);
  EXPECT_NEAR(weightOf(W::fwTukey, 0.0, 2), 1.0, kTol1e15);
  EXPECT_NEAR(weightOf(W::fwCos2, 0.0, 4), 0.5, kTol1e15);  // d = -4: cos^2(pi/4)
  EXPECT_NEAR(weightOf(W::fwHamming, 0.0, 4), 0.543478261, kTol1e15);
}

// --- spectra ------------------------------------------------------------------------------------

TEST(FastFourierSpectra, ConstantSignalHasOnlyTheConstantTerm) {
  const std::int32_t N = 64;
  const double c = -1.25;
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  for (std::int32_t k = 1; k <= N; ++k) fft.SetRealSpec(k, c);
  fft.Transform();
  EXPECT_NEAR(fft.RealSpec(1), N * c, kTol1e13);
  EXPECT_NEAR(fft.PowerSpec(0), N * c * c, kTol1e13);
  EXPECT_NEAR(fft.Magnitude(0), std::abs(c), kTol1e15);
  EXPECT_NEAR(fft.FourSerCosCoeff(0), c, kTol1e15);
  EXPECT_EQ(fft.FourSerSinCoeff(0), 0.0);
  EXPECT_EQ(fft.Phase(0), 0.0);
  for (std::int32_t L = 1; L <= N / 2; ++L) EXPECT_NEAR(fft.Magnitude(L), 0.0, kTol1e15) << L;
}

TEST(FastFourierSpectra, CosineAndSineGiveTheirAmplitudes) {
  const std::int32_t N = 256, line = 10;
  const double A = 2.5, B = -0.75;
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  for (std::int32_t k = 0; k < N; ++k) {
    const long double t = 2 * kPi * k * line / N;
    fft.SetRealSpec(k + 1, static_cast<double>(A * std::cos(t) + B * std::sin(3 * t)));
  }
  fft.Transform();
  EXPECT_NEAR(fft.Magnitude(line), A, kTol1e14);
  EXPECT_NEAR(fft.FourSerCosCoeff(line), A, kTol1e14);
  EXPECT_NEAR(fft.FourSerSinCoeff(line), 0.0, kTol1e14);
  EXPECT_NEAR(fft.Phase(line), 0.0, kTol1e14);
  EXPECT_NEAR(fft.Magnitude(3 * line), std::abs(B), kTol1e14);
  EXPECT_NEAR(fft.FourSerSinCoeff(3 * line), B, kTol1e14);
  EXPECT_NEAR(fft.FourSerCosCoeff(3 * line), 0.0, kTol1e14);
  // Real input: power (|X_L|^2 + |X_{N-L}|^2) / N = 2 |X_L|^2 / N = N A^2 / 2.
  EXPECT_NEAR(fft.PowerSpec(line), N * A * A / 2, kTol1e12);
  EXPECT_NEAR(fft.RMS(line, line), A / std::sqrt(2.0), kTol1e14);
  EXPECT_NEAR(fft.RMS(0, N / 2), std::sqrt((A * A + B * B) / 2), kTol1e14);
}

TEST(FastFourierSpectra, LineFormulasOnKnownSamples) {
  // Samples written directly: 0-based position L is line L.
  const std::int32_t N = 8;
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  const double re[N] = {1, 2, 0, -1, 3, 5, 0.5, 7}, im[N] = {0.5, -1, 0, 1, 4, 2, -3, 1};
  for (std::int32_t k = 0; k < N; ++k) {
    fft.SetRealSpec(k + 1, re[k]);
    fft.SetImagSpec(k + 1, im[k]);
  }
  for (std::int32_t L = 1; L <= N / 2; ++L) {
    const std::int32_t M = N - L;
    EXPECT_DOUBLE_EQ(fft.PowerSpec(L), (re[L] * re[L] + im[L] * im[L] + re[M] * re[M] + im[M] * im[M]) / N) << L;
    EXPECT_DOUBLE_EQ(fft.Magnitude(L), std::hypot(re[L] + re[M], im[L] - im[M]) / N) << L;
    EXPECT_DOUBLE_EQ(fft.FourSerCosCoeff(L), (re[L] + re[M]) / N) << L;
    EXPECT_DOUBLE_EQ(fft.FourSerSinCoeff(L), (im[L] - im[M]) / N) << L;
  }
  EXPECT_DOUBLE_EQ(fft.PowerSpec(4), 2 * (3.0 * 3 + 4 * 4) / N) << "line N/2 counts its sample twice";
  EXPECT_DOUBLE_EQ(fft.PowerSpec(0), (1 + 0.25) / N);
  EXPECT_DOUBLE_EQ(fft.Magnitude(0), std::hypot(1, 0.5) / N);
  // Phase: arctan of sample L alone, not atan2; re = 0 gives -pi/2 for im <= 0.
  EXPECT_DOUBLE_EQ(fft.Phase(1), std::atan(-1.0 / 2));
  EXPECT_DOUBLE_EQ(fft.Phase(2), -std::numbers::pi / 2) << "re = im = 0";
  EXPECT_DOUBLE_EQ(fft.Phase(3), std::atan(1.0 / -1));
  fft.SetRealSpec(3, 0);
  fft.SetImagSpec(3, 2);
  EXPECT_DOUBLE_EQ(fft.Phase(2), std::numbers::pi / 2);
}

TEST(FastFourierSpectra, RmsClipsAndOrdersTheBand) {
  TFastFourier fft;
  fft.SetSpectrumSize(32);
  const auto x = test::RandomComplex(32, 5u);
  test::Load(fft, x);
  auto rms = [&](std::int32_t a, std::int32_t b) {
    long double s = 0;
    for (std::int32_t L = a; L <= b; ++L) s += fft.PowerSpec(L) * 32.0L;
    return static_cast<double>(std::sqrt(s) / 32);
  };
  EXPECT_NEAR(fft.RMS(2, 5), rms(2, 5), kTol1e15);
  EXPECT_EQ(fft.RMS(5, 2), fft.RMS(2, 5));
  EXPECT_EQ(fft.RMS(-10, 3), fft.RMS(0, 3));
  EXPECT_EQ(fft.RMS(3, 1000000), fft.RMS(3, 16));
  EXPECT_EQ(fft.RMS(INT_MAX, INT_MIN), fft.RMS(0, 16));
  EXPECT_EQ(fft.RMS(40, 50), fft.RMS(16, 16)) << "a band above the spectrum is its top line";
  const double top = std::norm(x[16]), all = test::Norm(x);
  EXPECT_NEAR(fft.RMS(0, 16), std::sqrt(all * all + top) / 32, kTol1e15)
      << "every sample once, the one of line N/2 twice";
}

TEST(FastFourierSpectra, LinesAndFrequencies) {
  TFastFourier fft;
  fft.SetSpectrumSize(1024);
  const double T = 0.001;
  EXPECT_DOUBLE_EQ(fft.FreqOfLine(10, T), 10 / T / 1024);
  EXPECT_EQ(fft.FreqOfLine(0, T), 0.0);
  EXPECT_EQ(fft.FreqOfLine(513, T), 0.0);
  EXPECT_DOUBLE_EQ(fft.FreqOfLine(512, T), 512 / T / 1024);
  EXPECT_EQ(fft.LineOfFreq(fft.FreqOfLine(10, T), T), 10);
  EXPECT_EQ(fft.LineOfFreq(fft.FreqOfLine(512, T), T), 512);
  const double perLine = 1 / T / 1024;
  EXPECT_EQ(fft.LineOfFreq(2.5 * perLine, T), 2) << "halves go to even";
  EXPECT_EQ(fft.LineOfFreq(3.5 * perLine, T), 4);
  EXPECT_EQ(fft.LineOfFreq(0.4 * perLine, T), 0);
  EXPECT_EQ(fft.LineOfFreq(600 * perLine, T), 0);
  EXPECT_EQ(fft.LineOfFreq(-5 * perLine, T), 0);
  EXPECT_EQ(fft.LineOfFreq(NAN, T), 0);
  EXPECT_EQ(fft.LineOfFreq(INFINITY, T), 0);
  EXPECT_EQ(fft.LineOfFreq(1e300, 1e300), 0);
}

// --- extremes -----------------------------------------------------------------------------------

TEST(FastFourierExtremes, ComputedOnDemandAndInvalidatedByChanges) {
  const std::int32_t N = 16;
  TFastFourier fft;
  fft.SetSpectrumSize(N);
  // A large constant term, a line at N/2 and a smaller line 3.
  for (std::int32_t k = 0; k < N; ++k)
    fft.SetRealSpec(k + 1, 10 + ((k % 2) ? -2.0 : 2.0) + std::cos(2 * std::numbers::pi * 3 * k / N));
  EXPECT_EQ(fft.RealMax(), 13.0);
  EXPECT_TRUE(fft.MaxValuesValid());
  EXPECT_EQ(fft.ImagMax(), 0.0);
  EXPECT_EQ(fft.ImagMin(), 0.0);
  fft.Transform();
  EXPECT_FALSE(fft.MaxValuesValid());
  // The constant term (power 1600) and line N/2 (power 256) are left out.
  EXPECT_NEAR(fft.PowerMax(), fft.PowerSpec(3), kTol1e13);
  EXPECT_NEAR(fft.PowerSpec(3), N / 2.0, kTol1e13);
  EXPECT_NEAR(fft.MagniMax(), fft.Magnitude(N / 2), kTol1e14) << "line N/2 counts for the magnitude";
  EXPECT_NEAR(fft.RealMax(), N * 10.0, kTol1e12);
  EXPECT_NEAR(fft.RealMin(), std::min(0.0, fft.RealSpec(N / 2 + 1)), kTol1e12);
  fft.SetImagSpec(5, -99);
  EXPECT_FALSE(fft.MaxValuesValid());
  EXPECT_EQ(fft.ImagMin(), -99.0);
}

TEST(FastFourierExtremes, SizeOneAndTwoHaveNoLinesForThePowerMaximum) {
  TFastFourier fft;
  fft.SetSpectrumSize(1);
  fft.SetRealSpec(1, -3);
  EXPECT_EQ(fft.PowerMax(), 0.0);
  EXPECT_EQ(fft.MagniMax(), 0.0);
  EXPECT_EQ(fft.RealMax(), -3.0);
  EXPECT_EQ(fft.RealMin(), -3.0);
  fft.Transform();
  EXPECT_EQ(fft.RealSpec(1), -3.0);
  fft.InverseTransform();
  EXPECT_EQ(fft.RealSpec(1), -3.0);
  fft.SetSpectrumSize(2);
  fft.SetRealSpec(1, 1);
  fft.SetRealSpec(2, 3);
  fft.Transform();
  EXPECT_EQ(fft.RealSpec(1), 4.0);
  EXPECT_EQ(fft.RealSpec(2), -2.0);
  EXPECT_EQ(fft.PowerMax(), 0.0) << "lines 1..N/2-1 are none";
  EXPECT_EQ(fft.MagniMax(), fft.Magnitude(1));
}

// Both transform components are freed with their owner and leave its list
// when freed first.
TEST(TransformComponents, OwnedOnesAreFreedWithTheOwner) {
  struct TDeathCounter : TComponent {
    int Deaths = 0;
    void Notification(TComponent*, TOperation Operation) override {
      if (Operation == TOperation::opRemove) ++Deaths;
    }
  } witness;
  auto owner = std::make_unique<TComponent>();
  auto* fft = new TFastFourier(owner.get());
  auto* wavelet = new TWavelet1D(owner.get());
  fft->FreeNotification(&witness);
  wavelet->FreeNotification(&witness);
  ASSERT_EQ(owner->ComponentCount(), 2);
  delete fft;
  EXPECT_EQ(witness.Deaths, 1);
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), wavelet);
  owner.reset();
  EXPECT_EQ(witness.Deaths, 2);
}

TEST(FastFourierAssign, CopiesBlockAndSettings) {
  TFastFourier src, dst;
  src.SetSpectrumSize(8);
  src.SetWeightingWindow(W::fwTukey);
  src.SetTukeyAlpha(0.25);
  for (std::int32_t i = 1; i <= 8; ++i) {
    src.SetRealSpec(i, i);
    src.SetImagSpec(i, -i);
    src.SetWgtFunction(i, i / 8.0);
  }
  dst.Assign(&src);
  EXPECT_EQ(dst.SpectrumSize(), 8);
  EXPECT_EQ(dst.WeightingWindow(), W::fwTukey);
  EXPECT_EQ(dst.TukeyAlpha(), 0.25);
  for (std::int32_t i = 1; i <= 8; ++i) {
    EXPECT_EQ(dst.RealSpec(i), i);
    EXPECT_EQ(dst.ImagSpec(i), -i);
    EXPECT_EQ(dst.WgtFunction(i), i / 8.0);
  }
  dst.Transform();
  src.Transform();
  for (std::int32_t i = 1; i <= 8; ++i) EXPECT_EQ(dst.RealSpec(i), src.RealSpec(i));
  TWavelet1D other;
  EXPECT_THROW(dst.Assign(&other), EConvertError);
}

}  // namespace
}  // namespace kvl
