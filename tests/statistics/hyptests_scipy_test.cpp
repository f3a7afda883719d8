// The implementer-defined tests against SciPy's (scipy.stats) statistics
// and p-values on 20 samples each; hyptests_reference.py wrote the cases.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "hyptests_scipy_cases.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// Statistics computed by the same closed form: a few roundings apart.
constexpr double kSameFormTol = test::kTol1e10;
// p-values from 80-bit beta/gamma/normal tails (1e-13 relative) beside SciPy's.
constexpr double kTailTol = test::kTol1e10;
// Shapiro-Wilk: SciPy's swilk works in single precision (W and p are
// float32; measured differences up to 2.3e-7 in W), ours in double and
// 80-bit; its p-value's single-precision evaluation of Royston's
// polynomials differs from ShapiroWilkIntegral by up to 3.1e-5.
constexpr double kShapiroWTol = 1e-6;
constexpr double kShapiroPTol = 5e-5;

void ExpectRelNear(double Got, double Want, double Tol, const std::string& What) {
  EXPECT_NEAR(Got, Want, Tol * std::max(1.0, std::fabs(Want))) << What;
}

TEST(HypTestsScipy, FTestMatchesScipy) {
  for (std::size_t i = 0; i < kScipyFTest.size(); ++i) {
    const TScipyCase& c = kScipyFTest[i];
    double m1, v1, m2, v2, F;
    std::int32_t d1, d2;
    const double p = PerformFTest(c.A, c.B, false, m1, v1, m2, v2, F, d1, d2);
    ExpectRelNear(F, c.Stat, kSameFormTol, "F, case " + std::to_string(i));
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
    EXPECT_EQ(d1, static_cast<std::int32_t>(c.A.size()) - 1);
  }
}

TEST(HypTestsScipy, OneSampleChi2MatchesScipy) {
  for (std::size_t i = 0; i < kScipyChi2Test.size(); ++i) {
    const TScipyCase& c = kScipyChi2Test[i];
    double m, v, chi2;
    std::int32_t df;
    const double p = Perform1SampleChi2Test(c.A, kScipySigma2, false, m, v, chi2, df);
    ExpectRelNear(chi2, c.Stat, kSameFormTol, "chi2, case " + std::to_string(i));
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
  }
}

TEST(HypTestsScipy, OneSampleTMatchesScipy) {
  for (std::size_t i = 0; i < kScipyTTest1.size(); ++i) {
    const TScipyCase& c = kScipyTTest1[i];
    double m, s, t;
    std::int32_t df;
    const double p = Perform1SampleTTest(c.A, kScipyMu0, false, m, s, t, df);
    ExpectRelNear(t, c.Stat, kSameFormTol, "t, case " + std::to_string(i));
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
    // One-sided: the tail in the direction of t, half the two-sided value.
    EXPECT_NEAR(Perform1SampleTTest(c.A, kScipyMu0, true, m, s, t, df), c.P / 2, kTailTol);
  }
}

struct TTwoSampleCase {
  const char* Name;
  const std::vector<TScipyCase>* Cases;
  TtTestVersion Version;
};

class HypTestsScipyTwoSample : public ::testing::TestWithParam<TTwoSampleCase> {};

TEST_P(HypTestsScipyTwoSample, TwoSampleTMatchesScipy) {
  const auto& cases = *GetParam().Cases;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TScipyCase& c = cases[i];
    double m1, v1, m2, v2, t, se, dfe;
    std::int32_t df;
    const double p = Perform2SampleTTest(c.A, c.B, GetParam().Version, false, m1, v1, m2, v2, t, se, dfe, df);
    ExpectRelNear(t, c.Stat, kSameFormTol, "t, case " + std::to_string(i));
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, HypTestsScipyTwoSample,
                         ::testing::Values(TTwoSampleCase{"Paired", &kScipyTTestPaired, TtTestVersion::ttPaired},
                                           TTwoSampleCase{"Pooled", &kScipyTTestPooled,
                                                          TtTestVersion::ttHomoScedastic},
                                           TTwoSampleCase{"Welch", &kScipyTTestWelch,
                                                          TtTestVersion::ttHeteroScedastic}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(HypTestsScipy, MannWhitneyAndSiegelTukeyMatchScipy) {
  for (std::size_t i = 0; i < kScipyMannWhitney.size(); ++i) {
    const TScipyCase& c = kScipyMannWhitney[i];
    double U;
    const double p = PerformMannWhitneyUTest(c.A, c.B, false, U);
    EXPECT_EQ(U, c.Stat) << "U, case " << i;  // a count (or half count) of pairs
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
  }
  for (std::size_t i = 0; i < kScipySiegelTukey.size(); ++i) {
    const TScipyCase& c = kScipySiegelTukey[i];
    double U;
    const double p = PerformSiegelTukeyTest(c.A, c.B, U);
    EXPECT_EQ(U, c.Stat) << "U, case " << i;
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
  }
}

TEST(HypTestsScipy, ShapiroSkewnessKurtosisMatchScipy) {
  for (std::size_t i = 0; i < kScipyShapiro.size(); ++i) {
    const TScipyCase& c = kScipyShapiro[i];
    double W, PW;
    ShapiroWilkTest(c.A, 0, W, PW);
    ExpectRelNear(W, c.Stat, kShapiroWTol, "W, case " + std::to_string(i));
    EXPECT_NEAR(PW, c.P, kShapiroPTol) << "p, case " << i;
  }
  for (std::size_t i = 0; i < kScipySkewTest.size(); ++i) {
    const TScipyCase& c = kScipySkewTest[i];
    double g1, G1, Z;
    const double p = CalcAndTestSkewness(c.A, false, g1, G1, Z);
    ExpectRelNear(Z, c.Stat, kSameFormTol, "Z, case " + std::to_string(i));
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
  }
  for (std::size_t i = 0; i < kScipyKurtosisTest.size(); ++i) {
    const TScipyCase& c = kScipyKurtosisTest[i];
    double g2, G2, Z;
    const double p = CalcAndTestKurtosis(c.A, false, g2, G2, Z);
    ExpectRelNear(Z, c.Stat, kSameFormTol, "Z, case " + std::to_string(i));
    ExpectRelNear(p, c.P, kTailTol, "p, case " + std::to_string(i));
  }
}

}  // namespace
}  // namespace kvl
