#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// LongRand sums three quotients in extended precision before rounding to
// Double; the references are the exact rationals rounded once.
constexpr double kLongRandTol = 4 * test::kEps;

// Statistical checks: 200000 draws give a standard error of about 0.0011 for
// a proportion near 0.5 and 0.0022 for a unit variance; the bounds allow
// more than five standard errors.
constexpr int kDraws = 200000;
constexpr double kProportionTol = 0.006;
constexpr double kMomentTol = 0.015;

TEST(LongRandTest, LoadStateIsRoundedFromTheFirstThreeRuntimeDraws) {
  // The runtime generator started at 0 yields 1, 134775814, ... : the first
  // draw is 2^-32 (word 0), the second 0.0313799... (word 31066).
  constexpr detail::TLongRandState s = detail::LongRandLoadState();
  static_assert(s.s1 == 0);
  EXPECT_EQ(s.s2, 31066);
  EXPECT_EQ(s.s3, 852438);
  // The runtime generator continues after those three draws.
  RandSeed = 0;
  for (int i = 0; i < 3; ++i) Random();
  const std::int32_t afterThree = RandSeed;
  EXPECT_EQ(afterThree, NextRandSeed(NextRandSeed(NextRandSeed(0))));
}

TEST(LongRandDeathTest, FirstUnseededValueFollowsFromTheLoadState) {
  // A fresh process (the threadsafe style re-runs the program) shows the
  // state loading left: one step from words 0, 31066, 852438.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const double v = LongRand(0);
        std::exit(std::fabs(v - 0.7801857481964407) <= kLongRandTol ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(LongRandTest, ReseedingGivesTheDocumentedSequence) {
  struct Case {
    std::int32_t Seed;
    double First, Second;
  };
  for (const Case& c : {Case{12345, 0.9918772283555496, 0.7858948414495446},
                        Case{-12345, 0.2590017025087364, 0.43314648619455054}}) {
    EXPECT_NEAR(LongRand(c.Seed), c.First, kLongRandTol) << c.Seed;
    EXPECT_NEAR(LongRand(0), c.Second, kLongRandTol) << c.Seed;
    EXPECT_NEAR(LongRand(c.Seed), c.First, kLongRandTol) << "reseeding restarts";
  }
}

TEST(LongRandTest, ValuesAreUniformInTheUnitInterval) {
  LongRand(777);
  double sum = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const double v = LongRand(0);
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
    sum += v;
  }
  EXPECT_NEAR(sum / kDraws, 0.5, kProportionTol);
}

// Draws GRandom until the spare value is used up, so that the next call
// starts a new pair.
void ClearGaussianSpare() {
  const std::int32_t before = RandSeed;
  GRandom();
  if (RandSeed == before) return;  // that call used the spare
  GRandom();                       // it drew a pair: use up its spare
}

TEST(GRandomTest, PolarMethodReturnsPairsFromTheRuntimeGenerator) {
  ClearGaussianSpare();
  // With this seed the first two draws already lie inside the unit circle.
  RandSeed = 2024;
  const double u = 2.0 * Random() - 1.0;
  const double v = 2.0 * Random() - 1.0;
  const double w = u * u + v * v;
  ASSERT_LT(w, 1.0);
  const std::int32_t afterPair = RandSeed;

  RandSeed = 2024;
  const double first = GRandom();
  EXPECT_EQ(RandSeed, afterPair);
  const double second = GRandom();  // the spare: no new draw
  EXPECT_EQ(RandSeed, afterPair);
  // The pair is (v, u) scaled by sqrt(-2 ln w / w).
  EXPECT_NEAR(first * u, second * v, test::kTol16Eps);
  EXPECT_NEAR(first * first + second * second, -2.0 * std::log(w), test::kTol16Eps);
  EXPECT_EQ(std::signbit(first), std::signbit(v));
}

TEST(GRandomTest, StandardNormalMoments) {
  RandSeed = 5;
  double sum = 0.0, sumSq = 0.0;
  int within1 = 0;
  for (int i = 0; i < kDraws; ++i) {
    const double g = GRandom();
    sum += g;
    sumSq += g * g;
    if (std::fabs(g) < 1.0) ++within1;
  }
  const double mean = sum / kDraws;
  EXPECT_NEAR(mean, 0.0, kMomentTol);
  EXPECT_NEAR(sumSq / kDraws - mean * mean, 1.0, kMomentTol);
  EXPECT_NEAR(static_cast<double>(within1) / kDraws, 0.682689, kProportionTol);
}

TEST(CRandomTest, HalfOfTheDrawsLieWithinOneScaleOfTheLocation) {
  RandSeed = 11;
  int below = 0, within = 0;
  for (int i = 0; i < kDraws; ++i) {
    const double c = CRandom(3.0, 2.0);
    if (c < 3.0) ++below;
    if (std::fabs(c - 3.0) < 2.0) ++within;
  }
  EXPECT_NEAR(static_cast<double>(below) / kDraws, 0.5, kProportionTol);
  EXPECT_NEAR(static_cast<double>(within) / kDraws, 0.5, kProportionTol);
}

TEST(BRandomTest, TrueWithProbabilityP) {
  RandSeed = 3;
  const std::int32_t before = RandSeed;
  EXPECT_TRUE(BRandom(1.0));
  EXPECT_TRUE(BRandom(7.5));
  EXPECT_EQ(RandSeed, before) << "P >= 1 draws nothing";
  int hits = 0, zeroHits = 0;
  for (int i = 0; i < kDraws; ++i) {
    if (BRandom(0.3)) ++hits;
    if (BRandom(0.0)) ++zeroHits;
  }
  EXPECT_NEAR(static_cast<double>(hits) / kDraws, 0.3, kProportionTol);
  EXPECT_EQ(zeroHits, 0);
}

}  // namespace
}  // namespace kvl
