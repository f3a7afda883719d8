#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using std::numbers::pi;
using test::kTol16Eps;

// --- elementary functions ----------------------------------------------------------

TEST(ElementaryTest, LogarithmsOfPowersAreExact) {
  EXPECT_EQ(lg(1000.0), 3.0);
  EXPECT_EQ(lg(1e-5), -5.0);
  EXPECT_EQ(ld(8.0), 3.0);
  EXPECT_EQ(ld(0.125), -3.0);
  EXPECT_NEAR(lg(2.0), 0.30102999566398120, kTol16Eps);
}

TEST(ElementaryTest, LogarithmOfNonPositiveRaisesTheRuntimeMathError) {
  for (const double x : {0.0, -1.0, -std::numeric_limits<double>::infinity()}) {
    KVL_EXPECT_THROW_MSG(lg(x), EMathError, "logarithm: invalid argument");
    KVL_EXPECT_THROW_MSG(ld(x), EMathError, "logarithm: invalid argument");
  }
  // It is the runtime's class, not the unit's.
  try {
    lg(0.0);
  } catch (const EKVLError&) {
    ADD_FAILURE() << "lg(0) must not raise a library error";
  } catch (const EMathError&) {
  }
}

TEST(ElementaryTest, HyperbolicFunctions) {
  for (const double x : {-3.0, -0.5, 0.0, 0.25, 2.0, 10.0}) {
    EXPECT_NEAR(sinh(x), std::sinh(x), kTol16Eps * std::cosh(x)) << x;
    EXPECT_NEAR(cosh(x), std::cosh(x), kTol16Eps * std::cosh(x)) << x;
    EXPECT_NEAR(tgh(x), std::tanh(x), kTol16Eps) << x;
  }
  EXPECT_EQ(tgh(1000.0), 1.0);
  EXPECT_EQ(tgh(-1000.0), -1.0);
  EXPECT_EQ(sinh(0.0), 0.0);
  EXPECT_EQ(cosh(0.0), 1.0);
}

TEST(ElementaryTest, TangentAndCotangent) {
  EXPECT_NEAR(tg(pi / 4), 1.0, kTol16Eps);
  EXPECT_EQ(tg(0.0), 0.0);
  EXPECT_NEAR(cot(pi / 4), 1.0, kTol16Eps);
  EXPECT_NEAR(cot(1.0), 1.0 / std::tan(1.0), kTol16Eps);
  KVL_EXPECT_THROW_MSG(cot(0.0), EMathError, "cotangens overflow");
}

TEST(ElementaryTest, ModrKeepsTheSignOfTheQuotient) {
  EXPECT_NEAR(modr(7.0, 3.0), 1.0, kTol16Eps);
  EXPECT_NEAR(modr(-7.0, 3.0), -1.0, kTol16Eps);
  EXPECT_NEAR(modr(7.0, -3.0), 1.0, kTol16Eps);
  EXPECT_NEAR(modr(7.5, 2.5), 0.0, kTol16Eps);
}

// --- angles --------------------------------------------------------------------------

TEST(AngleTest, CanonicalAnglesLieWithinHalfATurn) {
  struct Case {
    double In, Out;
  };
  for (const Case& c : {Case{540, 180}, Case{-190, 170}, Case{190, -170}, Case{720, 0}, Case{-540, -180},
                        Case{45, 45}, Case{361, 1}, Case{-725, -5}, Case{180, 180}, Case{-180, -180}}) {
    EXPECT_NEAR(CanonicalAngleDegrees(c.In), c.Out, test::kTol1e12) << c.In;
    EXPECT_NEAR(CanonicalAngleRadians(c.In * pi / 180), c.Out * pi / 180, test::kTol1e14) << c.In;
  }
}

TEST(AngleTest, AngleToXAxisCoversTheFullTurn) {
  struct Case {
    double X, Y, Angle;
  };
  for (const Case& c :
       {Case{0, 0, 1.5 * pi}, Case{-1, 0, pi}, Case{1, 0, 0}, Case{0, 1, pi / 2}, Case{0, -1, 1.5 * pi},
        Case{1, 1, pi / 4}, Case{-1, 1, 0.75 * pi}, Case{-1, -1, 1.25 * pi}, Case{1, -1, 1.75 * pi}}) {
    EXPECT_NEAR(AngleToXAxis(c.X, c.Y), c.Angle, kTol16Eps) << c.X << "," << c.Y;
  }
}

// --- 1-2-5 series --------------------------------------------------------------------

TEST(Round125Test, SeriesValuesMapOntoThemselves) {
  for (const double v : {1.0, 2.0, 5.0, 10.0, 0.1, 0.2, 0.5, 20.0, 50.0, 100.0, 2e-5, 5e6, 1e-3, 2e300}) {
    for (const double s : {v, -v}) {
      EXPECT_EQ(Round125(s), s) << s;
      EXPECT_EQ(RoundPos125(s), s) << s;
      EXPECT_EQ(RoundNeg125(s), s) << s;
    }
  }
}

TEST(Round125Test, RoundsToNearestAndInBothDirections) {
  struct Case {
    double X, Nearest, Pos, Neg;
  };
  for (const Case& c :
       {Case{0.0042, 0.005, 0.005, 0.002}, Case{2.1, 2, 5, 2}, Case{-2.1, -2, -2, -5}, Case{1.49, 1, 2, 1},
        Case{1.5, 2, 2, 1}, Case{2.99, 2, 5, 2}, Case{3, 5, 5, 2}, Case{7.99, 5, 10, 5}, Case{8, 10, 10, 5},
        Case{370, 500, 500, 200}, Case{-0.07, -0.05, -0.05, -0.1}, Case{0, 0, 0, 0}}) {
    EXPECT_EQ(Round125(c.X), c.Nearest) << c.X;
    EXPECT_EQ(RoundPos125(c.X), c.Pos) << c.X;
    EXPECT_EQ(RoundNeg125(c.X), c.Neg) << c.X;
  }
}

// --- rounding helpers ------------------------------------------------------------------

TEST(RoundingHelpersTest, RoundLimitRoundsThenConfines) {
  EXPECT_EQ(RoundLimit(2.5, 0, 10), 2);
  EXPECT_EQ(RoundLimit(3.5, 0, 10), 4);
  EXPECT_EQ(RoundLimit(-7.6, -5, 5), -5);
  EXPECT_EQ(RoundLimit(10.4, 0, 10), 10);
  EXPECT_EQ(RoundLimit(1e30, 0, 100), 100);
  EXPECT_EQ(RoundLimit(-1e30, -3, 100), -3);
  EXPECT_THROW(RoundLimit(std::nan(""), 0, 1), EInvalidOp);
}

TEST(RoundingHelpersTest, IntPosIsTheCeiling) {
  struct Case {
    double X;
    std::int32_t Result;
  };
  for (const Case& c : {Case{2.0, 2}, Case{2.1, 3}, Case{2.5, 3}, Case{-2.5, -2}, Case{-2.7, -2},
                        Case{0.0, 0}, Case{1e20, std::numeric_limits<std::int32_t>::max()},
                        Case{-1e20, std::numeric_limits<std::int32_t>::min()}}) {
    EXPECT_EQ(IntPos(c.X), c.Result) << c.X;
  }
  EXPECT_EQ(Signum(0.0), 1);
  EXPECT_EQ(Signum(-0.0), 1);
  EXPECT_EQ(Signum(-1e-300), -1);
  EXPECT_EQ(Signum(5.0), 1);
}

// --- RoundDegrees ------------------------------------------------------------------------

TEST(RoundDegreesTest, SnapsTheLargestUnitToTheStepTable) {
  struct Case {
    std::int32_t Deg, Min, Sec;
    bool Up;
    std::int32_t OutDeg, OutMin, OutSec;
  };
  const std::vector<Case> cases{
      {4, 30, 0, false, 3, 0, 0},    {4, 30, 0, true, 5, 0, 0},   {400, 0, 0, true, 360, 0, 0},
      {400, 0, 0, false, 360, 0, 0}, {90, 0, 0, false, 90, 0, 0}, {90, 0, 1, true, 180, 0, 0},
      {1, 0, 0, false, 1, 0, 0},     {0, 45, 0, false, 0, 30, 0}, {0, 45, 0, true, 1, 0, 0},
      {0, 7, 30, false, 0, 5, 0},    {0, 7, 30, true, 0, 10, 0},  {0, 30, 0, true, 0, 30, 0},
      {0, 75, 0, false, 0, 30, 0},   {0, 0, 59, true, 0, 1, 0},   {0, 0, 59, false, 0, 0, 30},
      {0, 0, 4, false, 0, 0, 3},     {0, 0, 70, true, 0, 1, 0},   {0, 0, 0, true, 0, 0, 0},
      {-1, 5, 5, true, 0, 0, 0},     {3, -1, 0, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::int32_t d = c.Deg, m = c.Min, s = c.Sec;
    RoundDegrees(d, m, s, c.Up);
    EXPECT_EQ(d, c.OutDeg) << c.Deg << " " << c.Min << " " << c.Sec << " up=" << c.Up;
    EXPECT_EQ(m, c.OutMin) << c.Deg << " " << c.Min << " " << c.Sec << " up=" << c.Up;
    EXPECT_EQ(s, c.OutSec) << c.Deg << " " << c.Min << " " << c.Sec << " up=" << c.Up;
  }
}

}  // namespace
}  // namespace kvl
