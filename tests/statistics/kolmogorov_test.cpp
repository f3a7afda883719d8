#include "kvl/statistics/statis/kolmogorov.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvl_test_support.h"

namespace kvl {
namespace {

// The exact method gives P(D < d) to 13 or more digits; the p-value is its
// complement, so the error is absolute.
constexpr double kExactTol = 1e-14;
// The asymptotic series beyond KSExactMaxN is accurate to 3.5e-7 absolute.
constexpr double kPelzGoodTol = 3.5e-7;
// KSQuantile stops when the p-value is within 1e-4 of the level.
constexpr double kKSQuantileTol = 1e-4;

struct KSRow {
  int n;
  double d, upper;  // P(D_n >= d)
};

// 40-digit values of Durbin's matrix formula, and for d >= 1/2 of the
// Smirnov-Birnbaum-Tingey sum (tests/statistics/reference_values.py).
const std::vector<KSRow> kKSExact = {
    {1, 0.3, 1.0},
    {3, 0.4, 5.9466666666666661e-1},
    {5, 0.3, 6.6400000000000004e-1},
    {10, 0.274, 3.7152038454349563e-1},
    {10, 0.41, 4.9320757828704905e-2},
    {20, 0.294, 5.0093946231077723e-2},
    {20, 0.1, 9.7625509459215496e-1},
    {50, 0.19, 4.6989328202062556e-2},
    {99, 0.25, 6.1400874245070102e-6},
    {100, 0.15, 1.9839242125646046e-2},
    {400, 0.06, 1.0777126814683763e-1},
    {1, 0.8, 3.9999999999999991e-1},
    {5, 0.55, 5.9696249999999965e-2},
    {10, 0.5, 7.77741e-3},
    {10, 0.62, 3.0980126621933572e-4},
    {20, 0.5, 3.7875952405390318e-5},
};

TEST(KSPValueTest, ExactMethodMatchesReferenceValues) {
  for (const auto& r : kKSExact) {
    SCOPED_TRACE(testing::Message() << "n = " << r.n << ", d = " << r.d);
    EXPECT_NEAR(KSPValue(r.n, r.d), r.upper, kExactTol);
  }
}

TEST(KSPValueTest, AsymptoticFormulaInTheTail) {
  // n d^2 = 8.1 > 7.24, and n d^2 = 3.92 > 3.76 with n > 99:
  // 2 exp(-(2.000071 + 0.331/sqrt(n) + 1.409/n) n d^2).
  EXPECT_NEAR(KSPValue(10, 0.9), 2.5196614847321666e-08, 1e-15 * 2.5e-8);
  EXPECT_NEAR(KSPValue(200, 0.14), 0.0006985554077446091, test::kTol1e15);
}

TEST(KSPValueTest, LargeSamplesUseTheAsymptoticSeries) {
  // Values of the exact method (13 digits), which would take 0.1 to 2 s each.
  const std::vector<KSRow> rows = {
      {5000, 0.006, 0.99331904648897373},   {5000, 0.012, 0.46399121821494893},
      {5000, 0.02, 0.036139413493008199},   {20000, 0.006, 0.46576895095833193},
      {20000, 0.012, 0.0062512520937072491},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "n = " << r.n << ", d = " << r.d);
    EXPECT_NEAR(KSPValue(r.n, r.d), r.upper, kPelzGoodTol);
  }
}

TEST(KSPValueTest, EdgeValues) {
  EXPECT_EQ(KSPValue(10, 0.0), 1.0);
  EXPECT_EQ(KSPValue(10, -0.5), 1.0);
  EXPECT_EQ(KSPValue(0, 0.3), -1.0);
  EXPECT_EQ(KSPValue(-4, 0.3), -1.0);
  EXPECT_TRUE(std::isnan(KSPValue(10, std::numeric_limits<double>::quiet_NaN())));
  // D never exceeds 1: the exact method gives 0, never a negative rounding.
  EXPECT_EQ(KSPValue(5, 1.0), 0.0);
  EXPECT_EQ(KSPValue(1, 1.2), 0.0);
  // Monotone across the switch from the exact method to the series.
  EXPECT_GT(KSPValue(KSExactMaxN, 0.01), KSPValue(KSExactMaxN + 1, 0.01));
}

TEST(KolmogSmir1SampleTestStatTest, TableAndLargeSampleFormula) {
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(10, TSignifLevel::Dot05), 0.410);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(1, TSignifLevel::Dot20), 0.900);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(1, TSignifLevel::Dot01), 0.995);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(13, TSignifLevel::Dot15), 0.302);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(20, TSignifLevel::Dot10), 0.264);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(100, TSignifLevel::Dot05), 0.1358);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(21, TSignifLevel::Dot01), 1.628 / std::sqrt(21.0));
  EXPECT_EQ(KolmogSmir1SampleTestStat(10, static_cast<TSignifLevel>(5)), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(0, TSignifLevel::Dot05), -1.0);
}

TEST(KSQuantileTest, PValueAtTheQuantileIsTheLevel) {
  for (int n : {1, 5, 20, 50, 200}) {
    for (TSignifLevel level : {TSignifLevel::Dot20, TSignifLevel::Dot15, TSignifLevel::Dot10,
                               TSignifLevel::Dot05, TSignifLevel::Dot01}) {
      SCOPED_TRACE(testing::Message() << "n = " << n << ", level " << static_cast<int>(level));
      const double d = KSQuantile(n, level);
      EXPECT_NEAR(KSPValue(n, d), NUMERICSIGNIFLEVEL[level], kKSQuantileTol);
    }
  }
  EXPECT_EQ(KSQuantile(10, static_cast<TSignifLevel>(7)), -1.0);
  EXPECT_EQ(KSQuantile(0, TSignifLevel::Dot05), -1.0);
}

TEST(LillieforsTest, PValue) {
  EXPECT_EQ(LillieforsPValue(5, 0.3), -1.0);
  EXPECT_EQ(LillieforsPValue(6, 1e-6), 1.0);  // the exponent is capped at 0
  EXPECT_NEAR(LillieforsPValue(20, 0.2), 0.03507618544732804, test::kTol1e15);
  // n > 100 scales D by (n/100)^0.49 and uses n = 100.
  EXPECT_NEAR(LillieforsPValue(400, 0.05), 0.01790208282857655, test::kTol1e15);
}

TEST(LillieforsTest, QuantileAgreesWithTablesAndPValue) {
  EXPECT_NEAR(LillieforsQuantile(20, 0.05), 0.1934176758428456, test::kTol1e14);
  EXPECT_NEAR(LillieforsQuantile(100, 0.01), 0.10118198611344052, test::kTol1e14);
  // Lilliefors' simulated critical value (n = 20 at 5 %: 0.190), and the
  // independent p-value fit at the quantile, to the accuracy of these fits.
  constexpr double kFitTol = 0.005;
  EXPECT_NEAR(LillieforsQuantile(20, 0.05), 0.190, kFitTol);
  for (double alpha : {0.01, 0.05, 0.1}) {
    EXPECT_NEAR(LillieforsPValue(30, LillieforsQuantile(30, alpha)), alpha, kFitTol);
  }
}

TEST(SignifLevelTest, NumericValuesInOrdinalOrder) {
  EXPECT_EQ(NUMERICSIGNIFLEVEL[TSignifLevel::Dot20], 0.2);
  EXPECT_EQ(NUMERICSIGNIFLEVEL[TSignifLevel::Dot01], 0.01);
  EXPECT_EQ(static_cast<int>(TSignifLevel::Dot05), 3);
  EXPECT_EQ(NUMERICSIGLEVEL[TSignifLevelEx::Dot001], 0.001);
  EXPECT_EQ(NUMERICSIGLEVEL[TSignifLevelEx::Dot050], 0.05);
  EXPECT_EQ(NUMERICSIGLEVEL[TSignifLevelEx::Dot500], 0.5);
  EXPECT_EQ(static_cast<int>(TSignifLevelEx::Dot500), 8);
}

}  // namespace
}  // namespace kvl
