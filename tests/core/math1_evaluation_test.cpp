#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol16Eps;

// --- polynomials -------------------------------------------------------------------

TEST(PolynomialTest, SumsCoefficientsTimesPowers) {
  const std::vector<double> c{1, 2, 3};
  EXPECT_EQ(Polynomial(c, 2, 2.0), 17.0);  // 1 + 4 + 12
  EXPECT_EQ(Polynomial(c, 1, 2.0), 5.0);   // Order limits the terms used
  EXPECT_EQ(Polynomial(c, 0, 1e300), 1.0);
  EXPECT_EQ(Polynomial(c, 2, -1.0), 2.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, 5.0, 3.0), 17.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, 3.0, 3.0), 1.0);
}

TEST(PolynomialTest, SumIsCarriedInExtendedPrecision) {
  // In Double 1e16 + 1 + 1 stays 1e16; in extended the two ones survive.
  EXPECT_EQ(Polynomial(std::vector<double>{1e16, 1, 1}, 2, 1.0), 1e16 + 2);
  // The centred argument too: 1e16 - (1e16 - 1) = 1 exactly before rounding.
  EXPECT_EQ(CenteredPolynomial(std::vector<double>{0, 1}, 1, 0.5, 0.25), 0.25);
}

TEST(PolynomialTest, InvalidOrderRaisesUnderOneName) {
  const std::vector<double> c{1, 2, 3};
  const char* msg = "Polynomial: invalid order of polynomial";
  KVL_EXPECT_THROW_MSG(Polynomial(c, 3, 1.0), EKVLMath1Error, msg);
  KVL_EXPECT_THROW_MSG(Polynomial(c, -1, 1.0), EKVLMath1Error, msg);
  KVL_EXPECT_THROW_MSG(Polynomial(std::vector<double>{}, 0, 1.0), EKVLMath1Error, msg);
  KVL_EXPECT_THROW_MSG(CenteredPolynomial(c, 3, 1.0, 0.0), EKVLMath1Error, msg);
}

// --- TKahanSum -----------------------------------------------------------------------

TEST(KahanSumTest, CompensatesWhatDoubleAdditionLoses) {
  TKahanSum sum;
  EXPECT_EQ(sum.Sum, 0.0);
  EXPECT_EQ(sum.cps, 0.0);
  // Each 1e-16 alone vanishes against 1.0 in Double; together they count.
  sum.Add(1.0);
  for (int i = 0; i < 10000; ++i) sum.Add(1e-16);
  constexpr double kTol = 4 * test::kEps;
  EXPECT_NEAR(sum.Sum, 1.0 + 1e-12, kTol);
  EXPECT_NE(sum.Sum, 1.0);
  sum.Reset();
  EXPECT_EQ(sum.Sum, 0.0);
  EXPECT_EQ(sum.cps, 0.0);
  sum.Add(0.1);
  sum.Add(0.2);
  sum.Add(-0.3);
  EXPECT_NEAR(sum.Sum, 0.0, test::kEps);
}

TEST(KahanSumTest, IsAComponentFreedWithItsOwner) {
  auto owner = std::make_unique<TComponent>();
  auto* sum = new TKahanSum(owner.get());
  sum->SetName("Sum1");
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), sum);
  EXPECT_EQ(sum->ClassName(), "TKahanSum");
  owner.reset();  // frees sum as well (the sanitizer build checks the leak)
}

// --- interpolation -------------------------------------------------------------------

struct EquidistantCase {
  double X, XFirst, XLast;
  double Expected;
};

TEST(InterpolTableTest, InterpolatesAndExtrapolatesOnBothAxisDirections) {
  const std::vector<double> table{10, 20, 40};  // at 0, 1, 2 (or 2, 1, 0 reversed)
  const std::vector<EquidistantCase> cases{
      {0.5, 0, 2, 15}, {1.5, 0, 2, 30}, {2, 0, 2, 40}, {0, 0, 2, 10},    {-1, 0, 2, 0},       {3, 0, 2, 60},
      {1.5, 2, 0, 15}, {0, 2, 0, 40},   {2, 2, 0, 10}, {-0.5, 2, 0, 50}, {0.375, 0, 0.5, 30},
  };
  for (const EquidistantCase& c : cases) {
    EXPECT_NEAR(InterpolTable(c.X, c.XFirst, c.XLast, table), c.Expected, kTol16Eps * 64)
        << c.X << " in " << c.XFirst << ".." << c.XLast;
  }
  const std::vector<std::int32_t> ints{0, 2147483647, 0};
  EXPECT_NEAR(InterpolTable(0.5, 0, 1, ints), 2147483647.0, test::kTol1e6);  // no Integer overflow
  EXPECT_EQ(InterpolTable(0.25, 0, 1, ints), 2147483647.0 / 2);
}

TEST(InterpolTableTest, RejectsShortTablesAndEmptyRanges) {
  KVL_EXPECT_THROW_MSG(InterpolTable(0, 0, 1, std::vector<double>{1}), EKVLMath1Error,
                       "InterpolTable: pivot array must contain at least 2 values");
  KVL_EXPECT_THROW_MSG(InterpolTable(0, 0, 1, std::vector<std::int32_t>{}), EKVLMath1Error,
                       "InterpolTable: pivot array must contain at least 2 values");
  KVL_EXPECT_THROW_MSG(InterpolTable(0, 1, 1, std::vector<double>{1, 2}), EKVLMath1Error,
                       "InterpolTable: specified range of pivot array is zero");
}

TEST(InterpolXYTableTest, AscendingAndDescendingPivots) {
  const TDouble2DArray up{{0, 1, 3}, {0, 10, 30}};
  const TDouble2DArray down{{3, 1, 0}, {30, 10, 0}};
  for (const TDouble2DArray& t : {up, down}) {
    EXPECT_NEAR(InterpolXYTable(0.5, t, false), 5.0, kTol16Eps);
    EXPECT_NEAR(InterpolXYTable(2.0, t, false), 20.0, kTol16Eps);
    EXPECT_NEAR(InterpolXYTable(1.0, t, false), 10.0, kTol16Eps);
  }
  // At or beyond the ends: extrapolation only on request.
  EXPECT_EQ(InterpolXYTable(0.0, up, false), 0.0);
  EXPECT_EQ(InterpolXYTable(0.0, up, true), 0.0);
  EXPECT_EQ(InterpolXYTable(-1.0, up, true), -10.0);
  EXPECT_EQ(InterpolXYTable(4.0, up, true), 40.0);
  EXPECT_EQ(InterpolXYTable(4.0, up, false), 0.0);
  const TDouble2DArray offset{{1, 2, 4}, {7, 8, 9}};
  EXPECT_EQ(InterpolXYTable(1.0, offset, false), 0.0);  // exactly on the first pivot
  EXPECT_EQ(InterpolXYTable(1.0, offset, true), 7.0);
  EXPECT_EQ(InterpolXYTable(5.0, TDouble2DArray{{4, 2, 1}, {9, 8, 7}}, true), 9.5);
}

TEST(InterpolXYTableTest, RejectsMalformedTables) {
  KVL_EXPECT_THROW_MSG(InterpolXYTable(0, TDouble2DArray{{0, 1}}, true), EKVLMath1Error,
                       "InterpolXYTable: pivot array must contain 2 columns");
  KVL_EXPECT_THROW_MSG(InterpolXYTable(0, TDouble2DArray{{0, 1}, {0, 1}, {0, 1}}, true), EKVLMath1Error,
                       "InterpolXYTable: pivot array must contain 2 columns");
  KVL_EXPECT_THROW_MSG(InterpolXYTable(0, TDouble2DArray{{0}, {0}}, true), EKVLMath1Error,
                       "InterpolXYTable: pivot array must contain at least 2 rows");
  // Columns of unequal length: the shorter one decides.
  KVL_EXPECT_THROW_MSG(InterpolXYTable(0, TDouble2DArray{{0, 1, 2}, {5}}, true), EKVLMath1Error,
                       "InterpolXYTable: pivot array must contain at least 2 rows");
  EXPECT_EQ(InterpolXYTable(5, TDouble2DArray{{0, 1, 2}, {0, 1}}, true), 5.0);
}

TEST(InterpolationTest, BilinearCellAndHistogramBins) {
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 0), 1.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 1), 2.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 0), 3.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 1), 4.0);
  EXPECT_EQ(InterpolZofXYRect(1, 2, 3, 4, 0.5, 0.5), 2.5);

  double dist = 0;
  EXPECT_EQ(HistoBinRef(7.5, 1, 2, dist), 7.0);
  EXPECT_EQ(dist, 0.5);
  EXPECT_EQ(HistoBinRef(-0.5, 0, 1, dist), -1.0);
  EXPECT_EQ(dist, 0.5);
  EXPECT_EQ(HistoBinRef(3, 1, 2, dist), 3.0);
  EXPECT_EQ(dist, 0.0);
}

TEST(SquashTest, LogisticCurveThatSaturates) {
  EXPECT_EQ(Squash(5, 5, 1, 2), 0.0);
  EXPECT_NEAR(Squash(1, 0, 1, 2), 2 * std::tanh(0.5), kTol16Eps);
  EXPECT_NEAR(Squash(-1, 0, 1, 2), -2 * std::tanh(0.5), kTol16Eps);
  // a = -2 Slope / Range (X - Center) just beyond 200 in size: exactly +-Range.
  EXPECT_EQ(Squash(100.5, 0, 1, 1), 1.0);
  EXPECT_EQ(Squash(-100.5, 0, 1, 1), -1.0);
  EXPECT_EQ(Squash(100, 0, 1, 1), 1.0);
  EXPECT_LT(Squash(10, 0, 1, 1), 1.0);
}

// --- CalcScalePars -------------------------------------------------------------------

struct ScaleCase {
  std::int32_t NTicks;
  long double X1, X2;
  long double FirstTick, Distance;
  std::uint16_t NSubTicks;
};

TEST(CalcScaleParsTest, TicksInTheOneTwoFiveSeries) {
  constexpr long double kTickTol = 1e-15L;
  const std::vector<ScaleCase> cases{
      {4, 0, 1, 0, 0.2L, 4},            // 0.25 -> 0.2
      {5, 0, 1, 0, 0.1L, 5},            // an exact 2 x 10^k ratio falls to the lower series
      {4, 0, 20, 0, 2, 4},              // so does an exact 5
      {4, 0, 30, 0, 5, 5},              // 7.5 -> 5
      {4, 0.13L, 0.9L, 0.2L, 0.1L, 5},  // 0.1925 -> 0.1
      {10, -3, 97, 0, 10, 5},           // first tick at or beyond X1: 0
      {4, 1, 0, 1, -0.2L, 4},           // descending axis
      {3, 5, 5, 5, 0, 1},               // no range
      {0, 2.5L, 20, 3, 1, 1},           // no tick count: unit steps
      {0, 2.5L, 7, 3, 1, 5},
  };
  for (const ScaleCase& c : cases) {
    long double first = -1, dist = -1;
    std::uint16_t sub = 0;
    CalcScalePars(c.NTicks, c.X1, c.X2, first, dist, sub);
    EXPECT_NEAR(static_cast<double>(first), static_cast<double>(c.FirstTick), kTickTol)
        << c.NTicks << " " << static_cast<double>(c.X1) << ".." << static_cast<double>(c.X2);
    EXPECT_NEAR(static_cast<double>(dist), static_cast<double>(c.Distance), kTickTol)
        << c.NTicks << " " << static_cast<double>(c.X1) << ".." << static_cast<double>(c.X2);
    EXPECT_EQ(sub, c.NSubTicks) << c.NTicks << " " << static_cast<double>(c.X1);
  }
}

TEST(CalcScaleParsTest, TinyStepOnAHugeAxisTerminates) {
  const long double x1 = 1e30L;
  const long double x2 = std::nextafter(x1, 2e30L);
  long double first = 0, dist = 0;
  std::uint16_t sub = 0;
  CalcScalePars(1000000, x1, x2, first, dist, sub);
  EXPECT_GT(dist, 0.0L);
  EXPECT_LE(std::fabs(first - x1), 4 * (x2 - x1));
}

}  // namespace
}  // namespace kvl
