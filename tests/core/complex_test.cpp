#include "kvl/core/KVL_complex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "kvl_test_support.h"

namespace kvl {
namespace {

constexpr long double kExtTol = 1e-18L;  // a few ulps of the 80-bit format

TEST(ComplexTest, Arithmetic) {
  const TComplex a = Cpx(1, 2), b = Cpx(3, -1);
  const TComplex s = CpxAdd(a, b), d = CpxSub(a, b), p = CpxMult(a, b);
  EXPECT_TRUE(CpxIsEqual(s, Cpx(4, 1)));
  EXPECT_TRUE(CpxIsEqual(d, Cpx(-2, 3)));
  EXPECT_TRUE(CpxIsEqual(p, Cpx(5, 5)));
  EXPECT_TRUE(CpxIsEqual(CpxNeg(a), Cpx(-1, -2)));
  EXPECT_TRUE(CpxIsEqual(CpxConj(a), Cpx(1, -2)));
  EXPECT_EQ(CpxAbsSqr(Cpx(3, 4)), 25.0L);
  EXPECT_EQ(CpxAbs(Cpx(3, 4)), 5.0L);
  const TComplex q = CpxDiv(a, b);  // (1+2i)/(3-i) = (0.1, 0.7)
  EXPECT_NEAR(static_cast<double>(q.re), 0.1, kExtTol);
  EXPECT_NEAR(static_cast<double>(q.im), 0.7, test::kTol1e17);
  EXPECT_TRUE(CpxIsEqual(CpxDiv(COMPLEX_1, Cpx(0, 1)), Cpx(0, -1)));
}

TEST(ComplexTest, DivisionFailuresRaise) {
  KVL_EXPECT_THROW_MSG(CpxDiv(Cpx(1, 1), COMPLEX_0), EKVLComplexError, "CpxDiv: division by zero");
  KVL_EXPECT_THROW_MSG(CpxDiv(COMPLEX_0, COMPLEX_0), EKVLComplexError, "CpxDiv: division by zero");
  // d underflows to 0, and a quotient that overflows, fail the same way.
  EXPECT_THROW(CpxDiv(COMPLEX_1, Cpx(1e-3000L, 0)), EKVLComplexError);
  EXPECT_THROW(CpxDiv(Cpx(1e4000L, 0), Cpx(1e-4000L, 0)), EKVLComplexError);
}

TEST(ComplexTest, ToleranceComparisons) {
  EXPECT_FALSE(CpxIsNearEqual(Cpx(1, 0), Cpx(1 + 2e-15L, 0)));
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 0), Cpx(1 + 1e-16L, 0)));
  EXPECT_FALSE(CpxIsNearEqual(Cpx(0, 0), Cpx(0, CpxNearZero)));  // strict
  EXPECT_TRUE(CpxIsZero(Cpx(1e-16L, -1e-16L)));
  EXPECT_FALSE(CpxIsZero(Cpx(2e-15L, 0)));
  const long double saved = CpxNearZero;
  CpxNearZero = 1e-3L;
  EXPECT_TRUE(CpxIsZero(Cpx(5e-4L, 0)));
  CpxNearZero = saved;
}

TEST(ComplexTest, PolarConversions) {
  const TComplexPolar p = ConvertRectToPolar(Cpx(-1, 0));
  EXPECT_EQ(p.r, 1.0L);
  EXPECT_NEAR(static_cast<double>(p.phi), std::numbers::pi, test::kTol1e15);
  const TComplexPolar z = ConvertRectToPolar(COMPLEX_0);
  EXPECT_EQ(z.r, 0.0L);
  EXPECT_EQ(z.phi, 0.0L);
  const TComplex back = ConvertPolarToRect(ConvertRectToPolar(Cpx(-3, 4)));
  EXPECT_NEAR(static_cast<double>(back.re), -3.0, test::kTol1e15);
  EXPECT_NEAR(static_cast<double>(back.im), 4.0, test::kTol1e15);
}

}  // namespace
}  // namespace kvl
