// Windowed-sinc and Chebyshev designs judged by the frequency response of
// their coefficients, and the zero-phase recursive filter.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

constexpr double kPi = std::numbers::pi;

// |H(f)| of a FIR kernel.
double FirGain(const TDoubleArray& h, double f) {
  std::complex<double> sum = 0;
  for (std::size_t k = 0; k < h.size(); ++k) sum += h[k] * std::polar(1.0, -2 * kPi * f * static_cast<double>(k));
  return std::abs(sum);
}

struct TSincCase {
  const char* Name;
  int Window;
  double PassTol;  // deviation from 1 in the pass band
  double StopTol;  // largest gain in the stop band
  double Transition;  // half-width of the transition band
};

TEST(SincKernelTest, LowAndHighPassResponses) {
  constexpr int kTaps = 101;
  constexpr double kCutoff = 0.1;
  for (const TSincCase& c : {TSincCase{"Hamming", 1, 4e-3, 4e-3, 0.035}, TSincCase{"Blackman", 2, 1e-3, 5e-4, 0.045}}) {
    TDoubleArray lp, hp;
    CalcSincLPKernel(kTaps, kCutoff, c.Window, lp);
    CalcSincHPKernel(kTaps, kCutoff, c.Window, hp);
    ASSERT_EQ(lp.size(), 101u);
    EXPECT_NEAR(FirGain(lp, 0), 1.0, test::kTol1e14) << c.Name;
    EXPECT_NEAR(FirGain(lp, kCutoff), 0.5, 0.01) << c.Name << ": the -6 dB point";
    for (double f = 0; f <= 0.5; f += 0.0025) {
      const double g = FirGain(lp, f), gh = FirGain(hp, f);
      if (f < kCutoff - c.Transition) {
        EXPECT_NEAR(g, 1.0, c.PassTol) << c.Name << " f " << f;
        EXPECT_LT(gh, c.StopTol) << c.Name << " f " << f;
      } else if (f > kCutoff + c.Transition) {
        EXPECT_LT(g, c.StopTol) << c.Name << " f " << f;
        EXPECT_NEAR(gh, 1.0, c.PassTol) << c.Name << " f " << f;
      }
    }
  }
  // Symmetric taps (linear phase); no window leaves the plain sinc.
  TDoubleArray plain;
  CalcSincLPKernel(21, 0.2, 0, plain);
  for (std::size_t k = 0; k < 21; ++k) EXPECT_NEAR(plain[k], plain[20 - k], test::kTol1e16);
  EXPECT_NEAR(plain[11] / plain[10], std::sin(2 * kPi * 0.2) / (2 * kPi * 0.2), test::kTol1e14);
}

TEST(SincKernelTest, BandKernelsCutOffClampAndTheVectorForm) {
  TDoubleArray bp, bs;
  CalcSincBPKernel(151, 0.3, 0.15, 2, bp);  // frequencies in either order
  CalcSincBSKernel(151, 0.15, 0.3, 2, bs);
  for (double f : {0.0, 0.05, 0.4, 0.5}) {
    EXPECT_LT(FirGain(bp, f), 1e-3) << f;
    EXPECT_NEAR(FirGain(bs, f), 1.0, 1e-3) << f;
  }
  for (double f : {0.2, 0.225, 0.25}) {
    EXPECT_NEAR(FirGain(bp, f), 1.0, 1e-3) << f;
    EXPECT_LT(FirGain(bs, f), 1e-3) << f;
  }
  // A cut-off above 0.5 designs for 0.5: the taps still sum to 1.
  TDoubleArray high, half;
  CalcSincLPKernel(31, 0.7, 1, high);
  CalcSincLPKernel(31, 0.5, 1, half);
  EXPECT_EQ(high, half);
  double sum = 0;
  for (double v : high) sum += v;
  EXPECT_NEAR(sum, 1.0, test::kTol1e15);

  TVector k;
  int changes = 0;
  k.OnChange = [&](TObject*) { ++changes; };
  CalcSincBPKernel(151, 0.15, 0.3, 2, &k);
  ASSERT_EQ(k.NrOfElem(), 151);
  EXPECT_EQ(std::vector<double>(k.Data().begin(), k.Data().end()), bp);
  EXPECT_EQ(changes, 2);  // the resize and the taps
  KVL_EXPECT_THROW_MSG(CalcSincHPKernel(0, 0.1, 1, &k), EKVLMath2Error,
                       "CalcSincHPKernel: number of coefficients must be at least 1");
  KVL_EXPECT_THROW_MSG(CalcSincLPKernel(11, std::nan(""), 1, high), EKVLMath2Error,
                       "CalcSincLPKernel: invalid cutoff frequency");
  EXPECT_EQ(k.NrOfElem(), 151);
  EXPECT_EQ(high, half);
}

// --- Chebyshev -----------------------------------------------------------------------

// |H(f)| of y[n] = A0 x[n] + sum a_k x[n-k] + sum b_k y[n-k].
double IirGain(double A0, const TMatrix& c, double f) {
  std::complex<double> num = A0, den = 1;
  for (std::int32_t k = 1; k <= c.NrOfRows(); ++k) {
    const std::complex<double> z = std::polar(1.0, -2 * kPi * f * k);
    num += c.GetVal(1, k) * z;
    den -= c.GetVal(2, k) * z;
  }
  return std::abs(num / den);
}

// The gain the design promises: the Chebyshev (Butterworth for no ripple)
// magnitude at the prototype frequency of f under the bilinear transform,
// scaled to 1 at 0 (low-pass) or 0.5 (high-pass); even pole counts.
double DesignGain(int NPoles, bool HighPass, double Cutoff, double Ripple, double f) {
  double w = std::tan(kPi * f) / std::tan(kPi * Cutoff);
  if (HighPass) w = 1 / w;
  if (Ripple == 0) return 1 / std::sqrt(1 + std::pow(w, 2 * NPoles));
  const double eps = std::sqrt(std::pow(100 / (100 - Ripple), 2) - 1);
  const double x = w * std::cosh(std::acosh(1 / eps) / NPoles);
  const double t = x <= 1 ? std::cos(NPoles * std::acos(x)) : std::cosh(NPoles * std::acosh(x));
  return std::sqrt((1 + eps * eps) / (1 + eps * eps * t * t));
}

struct TChebCase {
  int NPoles;
  bool HighPass;
  double Cutoff;
  double Ripple;
};

class ChebDesignTest : public testing::TestWithParam<TChebCase> {};

TEST_P(ChebDesignTest, ResponseIsTheDesignedOne) {
  const TChebCase& c = GetParam();
  double a0 = 0;
  TMatrix coeffs;
  CalcChebFilterCoeffs(c.NPoles, c.HighPass, c.Cutoff, c.Ripple, a0, &coeffs);
  ASSERT_EQ(coeffs.NrOfColumns(), 2);
  ASSERT_EQ(coeffs.NrOfRows(), c.NPoles);
  // 80-bit design; the coefficients of the expanded polynomials are rounded
  // to double, which the response of 20 poles feels most.
  const double kGainTol = c.NPoles <= 8 ? 1e-9 : 1e-7;
  for (double f = 0.001; f < 0.5; f += 0.00731)
    EXPECT_NEAR(IirGain(a0, coeffs, f), DesignGain(c.NPoles, c.HighPass, c.Cutoff, c.Ripple, f), kGainTol) << f;
  const double peak = c.Ripple == 0 ? 1 : 100 / (100 - c.Ripple);
  EXPECT_NEAR(IirGain(a0, coeffs, c.Cutoff), peak / std::sqrt(2.0), kGainTol) << "cut-off";
  EXPECT_NEAR(IirGain(a0, coeffs, c.HighPass ? 0.5 : 0.0), 1.0, kGainTol);
  EXPECT_LT(IirGain(a0, coeffs, c.HighPass ? 0.0 : 0.5), kGainTol);
}

INSTANTIATE_TEST_SUITE_P(Designs, ChebDesignTest,
                         testing::Values(TChebCase{2, false, 0.1, 0}, TChebCase{4, false, 0.05, 0.5},
                                         TChebCase{6, true, 0.2, 10}, TChebCase{8, false, 0.3, 29},
                                         TChebCase{4, true, 0.4, 0}, TChebCase{20, false, 0.25, 1}),
                         [](const testing::TestParamInfo<TChebCase>& info) {
                           const TChebCase& c = info.param;
                           return test::CaseName(c.NPoles, c.HighPass ? "high" : "low", c.Cutoff, c.Ripple);
                         });

TEST(ChebDesignTest, BadDesignsRaise) {
  double a0 = 7;
  TMatrix coeffs;
  coeffs.Resize(3, 3);
  struct TBad {
    int NPoles;
    bool HighPass;
    double Cutoff, Ripple;
    const char* Text;
  };
  for (const TBad& b : {TBad{3, false, 0.1, 0, "NPoles must be even"}, TBad{4, false, 0.1, 30, "invalid Ripple value"},
                        TBad{4, false, 0.1, -1, "invalid Ripple value"}, TBad{4, false, 0.6, 1, "invalid cutoff frequency"},
                        TBad{4, false, std::nan(""), 1, "invalid cutoff frequency"},
                        TBad{4, false, 0.0, 1, "invalid cutoff frequency"},
                        TBad{4, true, 0.5, 1, "invalid cutoff frequency"},
                        TBad{22, false, 0.1, 1, "NPoles must lie between 2 and 20"},
                        TBad{0, false, 0.1, 1, "NPoles must lie between 2 and 20"}})
    KVL_EXPECT_THROW_MSG(CalcChebFilterCoeffs(b.NPoles, b.HighPass, b.Cutoff, b.Ripple, a0, &coeffs), EKVLMath2Error,
                         std::string("CalcChebFilterCoeffs: ") + b.Text);
  EXPECT_EQ(a0, 7);
  EXPECT_EQ(coeffs.NrOfColumns(), 3);
}

TEST(ChebychevFilterTest, ZeroPhaseGainSquaredAndAnyStretch) {
  double a0 = 0;
  TMatrix coeffs;
  CalcChebFilterCoeffs(4, false, 0.1, 0.5, a0, &coeffs);
  // A slow sine passes with the gain squared and no shift; a fast one is removed.
  constexpr std::int32_t n = 2000;
  TVector slow, fast, out;
  slow.Resize(n);
  fast.Resize(n);
  out.Resize(n);
  for (std::int32_t i = 1; i <= n; ++i) {
    slow.SetVal(i, std::sin(2 * kPi * 0.02 * i));
    fast.SetVal(i, std::sin(2 * kPi * 0.3 * i));
  }
  const double g = IirGain(a0, coeffs, 0.02);
  const double gFast = IirGain(a0, coeffs, 0.3);
  ASSERT_LT(gFast, 2e-3);
  ChebychevFilter(&slow, 1, n, &out, a0, &coeffs);
  for (std::int32_t i = 300; i <= n - 300; ++i) EXPECT_NEAR(out.GetVal(i), g * g * slow.GetVal(i), 1e-9) << i;
  ChebychevFilter(&fast, 1, n, &out, a0, &coeffs);
  for (std::int32_t i = 300; i <= n - 300; ++i) EXPECT_NEAR(out.GetVal(i), gFast * gFast * fast.GetVal(i), 1e-9) << i;

  // A stretch not starting at 1 is the same part of the run from 1, to its end.
  TVector whole, part;
  whole.Resize(n);
  part.Resize(n);
  ChebychevFilter(&slow, 1, 1500, &whole, a0, &coeffs);
  int changes = 0;
  part.OnChange = [&](TObject*) { ++changes; };
  ChebychevFilter(&slow, 1500, 700, &part, a0, &coeffs);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(part.GetVal(699), 0.0);
  for (std::int32_t i = 700; i <= 1500; ++i) EXPECT_EQ(part.GetVal(i), whole.GetVal(i)) << i;
  double tail = 0;  // the end of the stretch is filtered, not left at 0
  for (std::int32_t i = 1450; i <= 1500; ++i) tail = std::max(tail, std::fabs(part.GetVal(i)));
  EXPECT_GT(tail, 0.5);
  KVL_EXPECT_THROW_MSG(ChebychevFilter(&slow, 1, n, &out, a0, nullptr), EKVLMath2Error,
                       "ChebychevFilter: SourceVec, DestVec and/or Coeffs is undefined");
}

}  // namespace
}  // namespace kvl
