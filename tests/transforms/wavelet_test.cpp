// TWavelet1D: the Daubechies filters against their defining conditions, the
// steps and levels, the wrap mode against PyWavelets, perfect
// reconstruction, what zero padding and symmetric extension recover, and
// the size and order rules.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "kvl/runtime/exceptions.h"
#include "kvl/transforms/KVL_fourier.h"
#include "kvl/transforms/KVL_wavelet.h"
#include "kvl_test_support.h"
#include "wavelet_pywt_values.h"

namespace kvl {
namespace {

using test::kTol1e14;
using test::kTol1e15;
using test::kTol1e18;
using M = TWLSigExtMode;

std::vector<double> RandomSignal(std::int32_t N, unsigned Seed) {
  std::mt19937_64 gen(Seed);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  std::vector<double> x(static_cast<std::size_t>(N));
  for (double& v : x) v = u(gen);
  return x;
}

void Load(TWavelet1D& w, const std::vector<double>& x) {
  w.SetSize(static_cast<std::int32_t>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) w.SetData(static_cast<std::int32_t>(i + 1), x[i]);
}

std::vector<double> Read(const TWavelet1D& w) {
  std::vector<double> x(static_cast<std::size_t>(w.Size()));
  for (std::int32_t i = 1; i <= w.Size(); ++i) x[static_cast<std::size_t>(i - 1)] = w.Data(i);
  return x;
}

// --- filters ------------------------------------------------------------------------------------

class DaubechiesFilter : public testing::TestWithParam<int> {};

TEST_P(DaubechiesFilter, MeetsItsDefiningConditions) {
  const int K = GetParam();
  TWavelet1D w;
  w.SetOrder(K);
  const auto h = w.CoeffsLP();
  const auto g = w.CoeffsHP();
  ASSERT_EQ(h.size(), static_cast<std::size_t>(2 * K));
  ASSERT_EQ(g.size(), h.size());
  long double sum = 0;
  for (const long double v : h) sum += v;
  EXPECT_NEAR(static_cast<double>(sum - std::sqrt(2.0L)), 0.0, kTol1e18) << "sum of h is sqrt 2";
  // Orthonormal to its own even shifts: sum_j h[j] h[j + 2m] = delta_m.
  for (int m = 0; m < K; ++m) {
    long double dot = 0;
    for (int j = 0; j + 2 * m < 2 * K; ++j) dot += h[j] * h[j + 2 * m];
    EXPECT_NEAR(static_cast<double>(dot - (m == 0 ? 1 : 0)), 0.0, kTol1e18) << "shift " << m;
  }
  // K vanishing moments: sum_m g[m] m^k = 0 for k = 0..K-1.
  for (int k = 0; k < K; ++k) {
    long double moment = 0;
    for (int m = 0; m < 2 * K; ++m) moment += g[m] * std::pow(static_cast<long double>(m), k);
    EXPECT_NEAR(static_cast<double>(moment), 0.0, 1e-17L * std::pow(2.0L * K, k)) << "moment " << k;
  }
  for (int m = 0; m < 2 * K; ++m) EXPECT_EQ(g[m], (m % 2 ? -1 : 1) * h[2 * K - 1 - m]) << m;
  // The extremal-phase member of the family: the filter starts with its larger end.
  if (K > 1) {
    EXPECT_GT(std::abs(h[0]), std::abs(h[2 * K - 1]));
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, DaubechiesFilter, testing::Values(1, 2, 3),
                         [](const testing::TestParamInfo<int>& p) { return "K" + std::to_string(p.param); });

// --- settings and errors -------------------------------------------------------------------------

TEST(Wavelet1DSettings, ConstructionAndBadSettings) {
  TWavelet1D w;
  w.SetName("WL1");
  EXPECT_EQ(w.Size(), 256);
  EXPECT_EQ(w.Order(), 2);
  EXPECT_EQ(w.SignalExtMode(), M::wseWrap);
  EXPECT_EQ(w.WaveletFamily(), TWaveletFamily::wlfDaubechies);
  for (std::int32_t i = 1; i <= 256; ++i) ASSERT_EQ(w.Data(i), 0.0);
  w.SetSize(8);
  w.SetData(3, 2.5);
  for (const std::int32_t n : {0, -2, 6, 100, 1 << 24, (1 << 24) + 2, INT_MAX, INT_MIN}) {
    KVL_EXPECT_THROW_MSG(w.SetSize(n), EKVLWaveletError, "Component \"WL1\": data length must be power of 2");
    EXPECT_EQ(w.Size(), 8);
  }
  EXPECT_EQ(w.Data(3), 2.5);
  const std::vector<long double> h(w.CoeffsLP().begin(), w.CoeffsLP().end());
  for (const std::int32_t k : {0, 4, -1, INT_MAX}) {
    KVL_EXPECT_THROW_MSG(w.SetOrder(k), EKVLWaveletError,
                         "Component \"WL1\": invalid order of Daubechies wavelet family");
    EXPECT_EQ(w.Order(), 2);
  }
  EXPECT_TRUE(std::equal(h.begin(), h.end(), w.CoeffsLP().begin(), w.CoeffsLP().end()));
  w.SetOrder(3);
  EXPECT_EQ(w.Data(3), 2.5) << "the order leaves the data";
  w.SetSize(8);
  EXPECT_EQ(w.Data(3), 0.0) << "the size setter zeroes, also for the same size";
}

TEST(Wavelet1DSettings, IndicesOutsideReadZeroAndAreNotWritten) {
  TWavelet1D w;
  w.SetSize(4);
  for (const std::int32_t bad : {0, -1, 5, INT_MAX, INT_MIN}) {
    w.SetData(bad, 7);
    EXPECT_EQ(w.Data(bad), 0.0);
  }
  for (std::int32_t i = 1; i <= 4; ++i) EXPECT_EQ(w.Data(i), 0.0);
}

TEST(Wavelet1DSettings, AssignCopiesSignalAndSettings) {
  TWavelet1D src, dst;
  Load(src, {1, 2, 3, 4});
  src.SetOrder(1);
  src.SetSignalExtMode(M::wseSymmetric);
  dst.Assign(&src);
  EXPECT_EQ(dst.Size(), 4);
  EXPECT_EQ(dst.Order(), 1);
  EXPECT_EQ(dst.SignalExtMode(), M::wseSymmetric);
  EXPECT_EQ(Read(dst), Read(src));
  dst.Transform(2);
  src.Transform(2);
  EXPECT_EQ(Read(dst), Read(src));
  TFastFourier other;
  EXPECT_THROW(dst.Assign(&other), EConvertError);
}

// --- steps and levels -----------------------------------------------------------------------------

TEST(Wavelet1DSteps, HaarStepOfTwoValues) {
  TWavelet1D w;
  w.SetOrder(1);
  Load(w, {3.0, -1.0});
  w.Transform(1);
  EXPECT_NEAR(w.Data(1), 2.0 / std::sqrt(2.0), kTol1e15);
  EXPECT_NEAR(w.Data(2), 4.0 / std::sqrt(2.0), kTol1e15);
}

TEST(Wavelet1DSteps, ConstantSignalHasNoDetails) {
  for (const int K : {1, 2, 3}) {
    TWavelet1D w;
    w.SetOrder(K);
    Load(w, std::vector<double>(16, 1.5));
    w.SingleStep(false);
    for (std::int32_t i = 9; i <= 16; ++i) EXPECT_NEAR(w.Data(i), 0.0, kTol1e15) << "K " << K << " i " << i;
    for (std::int32_t i = 1; i <= 8; ++i) EXPECT_NEAR(w.Data(i), 1.5 * std::sqrt(2.0), kTol1e14);
  }
}

TEST(Wavelet1DSteps, LevelCountsAndShortSignals) {
  const auto x = RandomSignal(8, 11u);
  auto run = [&](auto op) {
    TWavelet1D w;
    Load(w, x);
    op(w);
    return Read(w);
  };
  EXPECT_EQ(run([](TWavelet1D& w) { w.Transform(0); }), run([](TWavelet1D& w) { w.SingleStep(false); }));
  EXPECT_EQ(run([](TWavelet1D& w) { w.Transform(-5); }), run([](TWavelet1D& w) { w.Transform(1); }));
  EXPECT_EQ(run([](TWavelet1D& w) { w.Transform(20); }), run([](TWavelet1D& w) { w.Transform(3); }));
  EXPECT_NE(run([](TWavelet1D& w) { w.Transform(3); }), run([](TWavelet1D& w) { w.Transform(2); }));
  EXPECT_EQ(run([](TWavelet1D& w) { w.InverseTransform(0); }),
            run([](TWavelet1D& w) { w.InverseTransform(1); }));
  // A signal of one value is left as it is.
  TWavelet1D one;
  Load(one, {4.25});
  one.Transform(5);
  one.InverseTransform(5);
  one.SingleStep(true);
  EXPECT_EQ(one.Data(1), 4.25);
}

// The wrap mode against PyWavelets' periodized transform (see
// wavelet_reference.py for the rotation that aligns the two conventions).
TEST(Wavelet1DReference, WrapModeMatchesPyWavelets) {
  const std::vector<double> x(std::begin(test::kPywtSignal), std::end(test::kPywtSignal));
  for (int K = 1; K <= 3; ++K)
    for (int level = 1; level <= 5; ++level) {
      TWavelet1D w;
      w.SetOrder(K);
      Load(w, x);
      w.Transform(level);
      for (std::int32_t i = 1; i <= test::kPywtSize; ++i)
        ASSERT_NEAR(w.Data(i), test::kPywtReference[K - 1][level - 1][i - 1], kTol1e14)
            << "K " << K << " level " << level << " i " << i;
    }
}

// Full depth forward then backward restores the signal at every order and
// length; InverseTransform(l) after the full transform equals the forward
// transform of depth m - l, since it rebuilds the l coarsest scales.
TEST(Wavelet1DReference, WrapModeReconstructsAtEveryOrderAndLevel) {
  for (int K = 1; K <= 3; ++K)
    for (int m = 1; m <= 9; ++m) {
      const std::int32_t N = 1 << m;
      const auto x = RandomSignal(N, 100u * K + m);
      TWavelet1D full;
      full.SetOrder(K);
      Load(full, x);
      full.Transform(m);
      for (int l = 1; l < m; ++l) {
        TWavelet1D part, shallow;
        part.Assign(&full);
        part.InverseTransform(l);
        shallow.SetOrder(K);
        Load(shallow, x);
        shallow.Transform(m - l);
        for (std::int32_t i = 1; i <= N; ++i)
          ASSERT_NEAR(part.Data(i), shallow.Data(i), kTol1e14) << "K " << K << " m " << m << " l " << l << " i " << i;
      }
      full.InverseTransform(m);
      for (std::int32_t i = 1; i <= N; ++i)
        ASSERT_NEAR(full.Data(i), x[static_cast<std::size_t>(i - 1)], kTol1e14) << "K " << K << " N " << N << " i " << i;
    }
}

// Zero padding: L forward steps then the L backward steps on the same
// blocks give back the first N - (2^L - 1)(2K - 2) values; symmetric
// extension loses besides the first 2^(L-1) (2K - 2). The lost values
// differ from the signal. (InverseTransform always starts at the coarsest
// block of 2 values, so the backward steps of the L finest levels are run
// here one block at a time through SingleStep, which is what
// InverseTransform does on each block.)
TEST(Wavelet1DReference, ZeroPadAndSymmetricRecoverWhatTheGuideStates) {
  const std::int32_t N = 256;
  for (const M mode : {M::wseZeroPad, M::wseSymmetric})
    for (int K = 1; K <= 3; ++K)
      for (int L = 1; L <= 4; ++L) {
        const auto x = RandomSignal(N, 500u + 10 * K + L);
        TWavelet1D w;
        w.SetOrder(K);
        w.SetSignalExtMode(mode);
        Load(w, x);
        w.Transform(L);
        std::vector<double> y = Read(w);
        for (int s = L; s >= 1; --s) {
          const std::int32_t len = N >> (s - 1);
          TWavelet1D block;
          block.SetOrder(K);
          block.SetSignalExtMode(mode);
          Load(block, std::vector<double>(y.begin(), y.begin() + len));
          block.SingleStep(true);
          for (std::int32_t i = 1; i <= len; ++i) y[static_cast<std::size_t>(i - 1)] = block.Data(i);
        }
        const int tail = ((1 << L) - 1) * (2 * K - 2);
        const int head = mode == M::wseSymmetric ? (1 << (L - 1)) * (2 * K - 2) : 0;
        for (std::int32_t i = head; i < N - tail; ++i)
          ASSERT_NEAR(y[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(i)], kTol1e14)
              << "mode " << int(mode) << " K " << K << " L " << L << " position " << i;
        if (tail > 0) {
          EXPECT_GT(std::abs(y[static_cast<std::size_t>(N - tail)] - x[static_cast<std::size_t>(N - tail)]), 1e-9);
        }
        if (head > 0) {
          EXPECT_GT(std::abs(y[static_cast<std::size_t>(head - 1)] - x[static_cast<std::size_t>(head - 1)]), 1e-9);
        }
      }
}

// The Haar filter never reaches before the block: every mode inverts exactly,
// at full depth too; longer filters in the other modes do not.
TEST(Wavelet1DReference, FullDepthRoundTripsByMode) {
  const auto x = RandomSignal(64, 9u);
  for (const M mode : {M::wseWrap, M::wseZeroPad, M::wseSymmetric})
    for (int K = 1; K <= 3; ++K) {
      TWavelet1D w;
      w.SetOrder(K);
      w.SetSignalExtMode(mode);
      Load(w, x);
      w.Transform(6);
      w.InverseTransform(6);
      const bool exact = mode == M::wseWrap || K == 1;
      EXPECT_EQ(std::abs(w.Data(1) - x[0]) < kTol1e14, exact) << "mode " << int(mode) << " K " << K;
      EXPECT_EQ(std::abs(w.Data(64) - x[63]) < kTol1e14, exact) << "mode " << int(mode) << " K " << K;
    }
}

// Blocks shorter than the filter: the symmetric extension mirrors again at
// the far end (period 2n), so every position read lies inside the block.
TEST(Wavelet1DSteps, SymmetricExtensionOfABlockShorterThanTheFilter) {
  TWavelet1D w;
  w.SetOrder(3);
  w.SetSignalExtMode(M::wseSymmetric);
  const double a = 1.25, b = -0.5;
  Load(w, {a, b});
  const auto h = w.CoeffsLP();
  const auto g = w.CoeffsHP();
  w.SingleStep(false);
  // Taps reach positions -4..1, which the mirrored signal maps to 0, 1, 1, 0, 0, 1.
  const int pos[6] = {0, 1, 1, 0, 0, 1};
  const double x[2] = {a, b};
  long double approx = 0, detail = 0;
  for (int j = 0; j < 6; ++j) {
    approx += h[j] * x[pos[j]];
    detail += g[j] * x[pos[j]];
  }
  EXPECT_NEAR(w.Data(1), static_cast<double>(approx), kTol1e15);
  EXPECT_NEAR(w.Data(2), static_cast<double>(detail), kTol1e15);
  // The backward step adds into the same mirrored positions.
  long double y[2] = {0, 0};
  for (int j = 0; j < 6; ++j) y[pos[j]] += h[j] * w.Values()[0] + g[j] * w.Values()[1];
  w.SingleStep(true);
  EXPECT_NEAR(w.Data(1), static_cast<double>(y[0]), kTol1e15);
  EXPECT_NEAR(w.Data(2), static_cast<double>(y[1]), kTol1e15);
}

}  // namespace
}  // namespace kvl
