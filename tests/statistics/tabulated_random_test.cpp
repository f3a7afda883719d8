#include "kvl/statistics/statis/tabulated_random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "kvl/runtime/randgen.h"
#include "kvl/statistics/statis/continuous.h"
#include "kvl/statistics/statis/kolmogorov.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(TRandGenTest, CreateGivesAUniformTableOf500) {
  TRandGen g;
  EXPECT_EQ(g.Resolution(), 500);
  EXPECT_EQ(g.LowBorder(), 0.0);
  EXPECT_EQ(g.HighBorder(), 0.0);
  EXPECT_EQ(g.GetProbability(1), 1.0);
  EXPECT_EQ(g.GetProbability(500), 1.0);
  EXPECT_EQ(g.GetProbability(501), 0.0);
}

TEST(TRandGenTest, ResolutionIsClippedAndResetsTheTable) {
  TRandGen g;
  g.SetProbability(3, 0.25);
  g.SetResolution(5);
  EXPECT_EQ(g.Resolution(), 10);
  EXPECT_EQ(g.GetProbability(3), 1.0);
  g.SetResolution(10000);
  EXPECT_EQ(g.Resolution(), 4000);
  EXPECT_EQ(g.GetProbability(4000), 1.0);
}

TEST(TRandGenTest, ProbabilitiesAreClippedIntoZeroOne) {
  TRandGen g;
  const struct { double In, Stored; } rows[] = {{1.7, 1.0}, {-0.2, 0.0}, {0.3, 0.3}, {NAN, 0.0}};
  for (const auto& r : rows) {
    g.SetProbability(3, r.In);
    EXPECT_EQ(g.GetProbability(3), r.Stored) << r.In;
  }
  g.SetProbability(0, 0.5);  // outside: ignored
  g.SetProbability(501, 0.5);
  EXPECT_EQ(g.GetProbability(0), 0.0);
}

TEST(TRandGenTest, LambdaAndItsIndex) {
  TRandGen g;
  g.SetResolution(10);
  g.SetLowBorder(-1.0);
  g.SetHighBorder(4.0);
  EXPECT_EQ(g.GetLambda(0), -1.0);
  EXPECT_EQ(g.GetLambda(1), -1.0);
  EXPECT_EQ(g.GetLambda(3), 0.0);
  EXPECT_EQ(g.GetLambda(11), 4.0);
  EXPECT_EQ(g.IndexOfLambda(-1.0), 1);
  EXPECT_EQ(g.IndexOfLambda(-1.5), 0);
  EXPECT_EQ(g.IndexOfLambda(0.49), 3);
  EXPECT_EQ(g.IndexOfLambda(0.5), 4);
  EXPECT_EQ(g.IndexOfLambda(4.0), 11);
  EXPECT_EQ(g.IndexOfLambda(9.0), 11);
  EXPECT_EQ(g.IndexOfLambda(NAN), 0);
  for (std::int32_t i = 1; i <= 10; ++i) EXPECT_EQ(g.IndexOfLambda(g.GetLambda(i)), i);
}

TEST(TRandGenTest, NormalizeAndStandardize) {
  TRandGen g;
  g.SetResolution(10);
  for (std::int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0.1 + 0.05 * i);
  g.Normalize();
  EXPECT_EQ(g.GetProbability(1), 0.0);
  EXPECT_EQ(g.GetProbability(10), 1.0);
  EXPECT_NEAR(g.GetProbability(4), 1.0 / 3.0, test::kTol1e15);
  for (std::int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0.5);
  g.Normalize();  // max = min: unchanged
  EXPECT_EQ(g.GetProbability(4), 0.5);
  EXPECT_TRUE(g.Standardize());
  EXPECT_EQ(g.GetProbability(4), 1.0);
  for (std::int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0.0);
  EXPECT_FALSE(g.Standardize());
}

TEST(TRandGenTest, ShapesAreEvaluatedAtTheLeftEnds) {
  TRandGen g;
  g.SetResolution(20);
  g.SetLowBorder(-2.0);
  g.SetHighBorder(8.0);
  const double x5 = g.GetLambda(5);  // 0.0
  const struct {
    std::function<void()> Fill;
    std::int32_t Ix;
    double Expected;
  } rows[] = {
      {[&] { g.NormalDistri(1.0, 2.0); }, 5, std::exp(-1.0 / 8.0)},
      {[&] { g.tDistri(3); }, 5, tDistriDensity(x5, 3)},
      {[&] { g.Chi2Distri(3); }, 1, 0.0},  // x < 0
      {[&] { g.Chi2Distri(3); }, 7, Chi2DistriDensity(1.0, 3)},
      {[&] { g.FDistri(2, 5); }, 5, 0.0},  // x = 0
      {[&] { g.FDistri(2, 5); }, 7, FDistriDensity(1.0, 2, 5)},
      {[&] { g.WeibullDistri(2.0, 1.5); }, 7, (2.0 / 1.5) * (1.0 / 1.5) * std::exp(-std::pow(1.0 / 1.5, 2))},
      {[&] { g.UniformDistri(); }, 9, 1.0},
  };
  for (const auto& r : rows) {
    r.Fill();
    EXPECT_NEAR(g.GetProbability(r.Ix), r.Expected, test::kTol1e14) << r.Ix;
  }
  g.NormalDistri(0.0, 0.01);  // far from the mean: 0, not clipped up
  EXPECT_EQ(g.GetProbability(1), 0.0);
}

TEST(TRandGenTest, AllZeroTableReturnsTheLastOf100001Candidates) {
  TRandGen g;
  g.SetResolution(10);
  g.SetLowBorder(0.0);
  g.SetHighBorder(10.0);
  for (std::int32_t i = 1; i <= 10; ++i) g.SetProbability(i, 0.0);
  RandSeed = 7;
  const double x = g.GetRandNum();
  // Every candidate takes three draws (k, u and the rejected r).
  std::int32_t seed = 7;
  for (int i = 0; i < 3 * TRandGen::GetRandNumMaxTries - 1; ++i) seed = NextRandSeed(seed);
  const std::int32_t seedOfU = seed;                      // u of the last candidate ...
  std::int32_t seedOfK = 7;                               // ... and its k, one draw before
  for (int i = 0; i < 3 * TRandGen::GetRandNumMaxTries - 2; ++i) seedOfK = NextRandSeed(seedOfK);
  const auto k = static_cast<std::int32_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(seedOfK)) * 10) >> 32);
  EXPECT_DOUBLE_EQ(x, k + SeedToUniform(seedOfU));
  EXPECT_EQ(RandSeed, NextRandSeed(seed));
}

// --- goodness of fit -----------------------------------------------------------------------------

// The density the table defines, computed here from its definition: in
// sub-interval k (1-based) at offset u the line from P[k] to P[k + 1] (to 0
// after the last), cut to 0..1; an infinite entry is certain acceptance.
struct TReference {
  std::vector<double> P;
  double Low, High;
  double Density(std::size_t k, double u) const {  // k 0-based
    const double a = P[k], b = k + 1 < P.size() ? P[k + 1] : 0.0;
    const double line = std::isinf(a) ? 1.0 : (std::isinf(b) ? (u > 0.0 ? 1.0 : a) : a + (b - a) * u);
    return std::clamp(line, 0.0, 1.0);
  }
  // Cumulative mass on a grid of G points per sub-interval (midpoint rule;
  // the kinks of the cut cost less than 1e-6 of a sub-interval's mass).
  static constexpr int G = 1000;
  std::vector<double> Cdf;  // Cdf[k G + j]: mass below offset j/G of sub-interval k, normalised
  void Build() {
    Cdf.assign(P.size() * G + 1, 0.0);
    double sum = 0.0;
    for (std::size_t k = 0; k < P.size(); ++k)
      for (int j = 0; j < G; ++j) {
        sum += Density(k, (j + 0.5) / G) / G;
        Cdf[k * G + j + 1] = sum;
      }
    for (double& c : Cdf) c /= sum;
  }
  double CdfAt(double x) const {
    const double pos = std::clamp((x - Low) / (High - Low) * static_cast<double>(P.size() * G), 0.0,
                                  static_cast<double>(P.size() * G));
    const auto i = std::min(static_cast<std::size_t>(pos), P.size() * G - 1);
    return Cdf[i] + (Cdf[i + 1] - Cdf[i]) * (pos - static_cast<double>(i));
  }
};

struct TShapeCase {
  std::string Name;
  double Low, High;
  std::function<void(TRandGen&)> Shape;
};

void PrintTo(const TShapeCase& c, std::ostream* os) { *os << c.Name; }

class TRandGenFitTest : public testing::TestWithParam<TShapeCase> {};

// Each case draws 10^5 numbers with a fixed seed and checks them with a
// chi-square test on the 50 sub-intervals (merged until each expects 5 or
// more) and a Kolmogorov-Smirnov test against the distribution function.
// A correct generator fails each check with probability 1e-6 (the p-value
// limit), so the whole suite of 2 x 8 checks with probability below 2e-5
// for a seed drawn at random; the seeds here are fixed.
constexpr double kPValueLimit = 1e-6;
constexpr int kDraws = 100000;

TEST_P(TRandGenFitTest, SamplesFollowTheTabulatedDistribution) {
  const TShapeCase& c = GetParam();
  TRandGen g;
  g.SetResolution(50);
  g.SetLowBorder(c.Low);
  g.SetHighBorder(c.High);
  c.Shape(g);
  TReference ref{{}, c.Low, c.High, {}};
  for (std::int32_t i = 1; i <= 50; ++i) ref.P.push_back(g.GetProbability(i));
  ref.Build();

  RandSeed = 20261208;
  std::vector<double> x(kDraws);
  for (double& v : x) v = g.GetRandNum();

  std::vector<double> expected, observed;
  double e = 0.0, o = 0.0;
  std::vector<int> counts(50, 0);
  for (const double v : x) {
    ASSERT_GE(v, c.Low);
    ASSERT_LT(v, c.High);
    ++counts[static_cast<std::size_t>(g.IndexOfLambda(v) - 1)];
  }
  for (std::size_t k = 0; k < 50; ++k) {
    e += (ref.Cdf[(k + 1) * TReference::G] - ref.Cdf[k * TReference::G]) * kDraws;
    o += counts[k];
    if (e >= 5.0) {
      expected.push_back(e);
      observed.push_back(o);
      e = o = 0.0;
    }
  }
  if (e > 0.0 || o > 0.0) {  // a small tail joins the last bin
    expected.back() += e;
    observed.back() += o;
  }
  double chi2 = 0.0;
  for (std::size_t i = 0; i < expected.size(); ++i)
    chi2 += (observed[i] - expected[i]) * (observed[i] - expected[i]) / expected[i];
  const auto df = static_cast<std::int32_t>(expected.size() - 1);
  EXPECT_GT(1.0 - chi2DistriIntegral(chi2, df), kPValueLimit) << "chi2 " << chi2 << ", df " << df;

  std::sort(x.begin(), x.end());
  double d = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double f = ref.CdfAt(x[i]);
    d = std::max({d, f - static_cast<double>(i) / kDraws, static_cast<double>(i + 1) / kDraws - f});
  }
  EXPECT_GT(KSPValue(kDraws, d), kPValueLimit) << "D " << d;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TRandGenFitTest,
    testing::Values(TShapeCase{"Normal", -4.0, 4.0, [](TRandGen& g) { g.NormalDistri(0.5, 1.0); }},
                    TShapeCase{"t3", -6.0, 6.0, [](TRandGen& g) { g.tDistri(3); }},
                    TShapeCase{"Chi2_4", 0.0, 15.0, [](TRandGen& g) { g.Chi2Distri(4); }},
                    // Entries above 1 and an infinite one at x = 0: the cut applies.
                    TShapeCase{"Chi2_1_cut", 0.0, 3.0, [](TRandGen& g) { g.Chi2Distri(1); }},
                    TShapeCase{"F_5_10", 0.0, 6.0, [](TRandGen& g) { g.FDistri(5, 10); }},
                    TShapeCase{"Weibull", 0.0, 5.0, [](TRandGen& g) { g.WeibullDistri(2.0, 1.5); }},
                    TShapeCase{"Uniform", 2.0, 3.0, [](TRandGen& g) { g.UniformDistri(); }},
                    TShapeCase{"UserTable", -1.0, 1.0,
                               [](TRandGen& g) {
                                 // Steps, zeros and a spike.
                                 for (std::int32_t i = 1; i <= 50; ++i)
                                   g.SetProbability(i, i < 10 ? 0.0 : (i < 30 ? 0.2 + 0.03 * (i % 7) : (i == 40 ? 1.0 : 0.1)));
                               }}),
    [](const testing::TestParamInfo<TShapeCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace kvl
