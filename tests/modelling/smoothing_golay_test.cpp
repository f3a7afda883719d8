// The Savitzky-Golay tables and filters against least-squares weights
// computed here from the normal equations of a small Vandermonde system.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// The weights of the least-squares polynomial of degree Degree over the
// offsets -m..m that give its coefficient of t^Power at t = 0: row Power of
// (V'V)^-1 V', by Gauss-Jordan elimination in extended precision.
std::vector<long double> LeastSquaresWeights(int m, int Degree, int Power) {
  const int n = Degree + 1;
  std::vector<std::vector<long double>> a(n, std::vector<long double>(2 * n, 0));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      for (int k = -m; k <= m; ++k) a[i][j] += std::pow(static_cast<long double>(k), i + j);
    a[i][n + i] = 1;
  }
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    const long double d = a[c][c];
    for (long double& v : a[c]) v /= d;
    for (int r = 0; r < n; ++r)
      if (r != c) {
        const long double f = a[r][c];
        for (int j = 0; j < 2 * n; ++j) a[r][j] -= f * a[c][j];
      }
  }
  std::vector<long double> w(static_cast<std::size_t>(2 * m + 1));
  for (int k = -m; k <= m; ++k)
    for (int j = 0; j < n; ++j) w[static_cast<std::size_t>(k + m)] += a[Power][n + j] * std::pow(static_cast<long double>(k), j);
  return w;
}

constexpr double kWeightTol = test::kTol1e15;  // the tables' quotients against an 80-bit solve

TEST(GolayTablesTest, RowsAreTheLeastSquaresWeightsReduced) {
  for (int m = 2; m <= 12; ++m) {
    const auto& poly = GolayPoly[static_cast<std::size_t>(m - 2)];
    const auto& second = Golay2ndDeriv[static_cast<std::size_t>(m - 2)];
    for (int degree : {2, 3}) {  // a cubic fit gives the same centre value and curvature
      const std::vector<long double> smooth = LeastSquaresWeights(m, degree, 0);
      const std::vector<long double> curve = LeastSquaresWeights(m, degree, 2);
      for (int k = 0; k <= m; ++k) {
        const auto at = static_cast<std::size_t>(m + k);
        EXPECT_NEAR(static_cast<double>(poly[static_cast<std::size_t>(k + 1)]) / poly[0], static_cast<double>(smooth[at]),
                    kWeightTol)
            << "GolayPoly m " << m << " k " << k;
        EXPECT_NEAR(static_cast<double>(second[static_cast<std::size_t>(k + 1)]) / second[0],
                    static_cast<double>(2 * curve[at]), kWeightTol)
            << "Golay2ndDeriv m " << m << " k " << k;
      }
    }
    for (const auto* row : {&poly, &second}) {
      int g = 0;
      for (std::size_t k = 1; k <= static_cast<std::size_t>(m + 1); ++k) g = std::gcd(g, std::abs((*row)[k]));
      EXPECT_EQ(g, 1) << "row m " << m << " is reduced";
      for (std::size_t k = static_cast<std::size_t>(m + 2); k < 14; ++k) EXPECT_EQ((*row)[k], 0);
    }
  }
}

// Each filter on random data against the least-squares weights applied
// directly, for every window length; FirstDeriv's divisor is thereby checked.
struct TGolayFilter {
  const char* Name;
  void (*Run)(const TVector*, std::int32_t, std::int32_t, TVector*, std::int32_t);
  int Power;      // which coefficient
  double Factor;  // the derivative of t^Power at 0
};

TEST(GolayFiltersTest, MatchLeastSquaresFitsAtEveryLength) {
  const std::vector<double> x = test::RandomValues(80, 21);
  TVector src, dest;
  src.Resize(80);
  for (std::int32_t i = 1; i <= 80; ++i) src.SetVal(i, x[static_cast<std::size_t>(i - 1)]);
  dest.Resize(80);
  for (const TGolayFilter& f : {TGolayFilter{"PolynomialSmooth", PolynomialSmooth, 0, 1},
                                TGolayFilter{"FirstDeriv", FirstDeriv, 1, 1},
                                TGolayFilter{"SecondDeriv", SecondDeriv, 2, 2}}) {
    for (std::int32_t L = 5; L <= 25; L += 2) {
      const int m = L / 2;
      const std::vector<long double> w = LeastSquaresWeights(m, 2, f.Power);
      f.Run(&src, 1, 80, &dest, L);
      for (int p = m; p + m < 80; ++p) {
        long double want = 0;
        for (int k = -m; k <= m; ++k) want += w[static_cast<std::size_t>(k + m)] * x[static_cast<std::size_t>(p + k)];
        EXPECT_NEAR(dest.GetVal(p + 1), static_cast<double>(f.Factor * want), test::kTol1e14)
            << f.Name << " L " << L << " at " << p;
      }
    }
  }
}

TEST(GolayFiltersTest, ExactOnPolynomialsAndLengthMessages) {
  // A parabola is reproduced, its slope and curvature come out exactly.
  TVector src, dest;
  src.Resize(40);
  dest.Resize(40);
  for (std::int32_t i = 1; i <= 40; ++i) src.SetVal(i, 0.5 * i * i - 3.0 * i + 2.0);
  for (std::int32_t L : {5, 13, 25}) {
    PolynomialSmooth(&src, 1, 40, &dest, L);
    for (std::int32_t i = L / 2 + 1; i <= 40 - L / 2; ++i) EXPECT_NEAR(dest.GetVal(i), src.GetVal(i), test::kTol1e12);
    FirstDeriv(&src, 1, 40, &dest, L);
    for (std::int32_t i = L / 2 + 1; i <= 40 - L / 2; ++i) EXPECT_NEAR(dest.GetVal(i), i - 3.0, test::kTol1e12);
    SecondDeriv(&src, 1, 40, &dest, L);
    for (std::int32_t i = L / 2 + 1; i <= 40 - L / 2; ++i) EXPECT_NEAR(dest.GetVal(i), 1.0, test::kTol1e12);
  }
  KVL_EXPECT_THROW_MSG(PolynomialSmooth(&src, 1, 40, &dest, 27), EKVLMath2Error,
                       "PolynomialSmooth: length of polynomial is out of range");
  KVL_EXPECT_THROW_MSG(PolynomialSmooth(&src, 1, 40, &dest, 4), EKVLMath2Error,
                       "PolynomialSmooth: length of polynomial is out of range");
}

}  // namespace
}  // namespace kvl
