// TCurveFit against the certified coefficients of the NIST StRD linear
// least-squares sets (../shared/data/nist-strd beside the checkout). Each
// case prints its row of the accuracy table in docs/modelling.md and fails
// when the smallest number of correct digits drops below its goal.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_nist_strd.h"

namespace kvl {
namespace {

enum class TFitKind { Line, Poly, Centered };

struct TNistCase {
  const char* Set;
  TFitKind Kind;
  double Goal;  // required LRE of every coefficient
};

const char* KindName(TFitKind k) {
  return k == TFitKind::Line ? "CalcLinFit" : k == TFitKind::Poly ? "CalcPolyFit" : "CalcCenteredPolyFit";
}

// The coefficients of Σ k_j (x − s)^j in powers of x (binomial expansion in extended precision).
std::vector<double> Uncenter(const std::vector<double>& k, double s) {
  const std::size_t n = k.size();
  std::vector<long double> raw(n, 0);
  for (std::size_t j = 0; j < n; ++j) {
    long double binom = 1;  // C(j, i)
    for (std::size_t i = 0; i <= j; ++i) {
      raw[i] += k[j] * binom * std::pow(-static_cast<long double>(s), static_cast<int>(j - i));
      binom = binom * static_cast<long double>(j - i) / static_cast<long double>(i + 1);
    }
  }
  return {raw.begin(), raw.end()};
}

class CurveFitNist : public ::testing::TestWithParam<TNistCase> {};

TEST_P(CurveFitNist, CoefficientsReachTheCertifiedDigits) {
  const TNistCase& c = GetParam();
  test::TStrdSet set;
  ASSERT_TRUE(test::LoadStrd(c.Set, set)) << "NIST StRD set " << c.Set << " not found (shared/data/nist-strd)";
  const int order = std::stoi(set.Header.at("degree"));
  TCurveFit fit;
  for (const auto& row : set.Rows) fit.EnterStatValue(row[0], row[1]);
  std::vector<double> k;
  double q = 0;
  bool nearSingular = false;
  if (c.Kind == TFitKind::Line) {
    k.assign(2, 0);
    fit.CalcLinFit(k[1], k[0], q);
  } else if (c.Kind == TFitKind::Poly) {
    ASSERT_TRUE(fit.CalcPolyFit(order, k, q, nearSingular));
  } else {
    double shift = 0;
    ASSERT_TRUE(fit.CalcCenteredPolyFit(order, k, shift, q, nearSingular));
    k = Uncenter(k, shift);
  }
  ASSERT_EQ(k.size(), static_cast<std::size_t>(order + 1));
  double minLre = 15;
  for (int j = 0; j <= order; ++j)
    minLre = std::min(minLre, test::Lre(k[j], set.Cert("B" + std::to_string(j) + ".estimate")));
  const double lreR2 = test::Lre(q, set.Cert("r_squared"));
  std::printf("| %-8s | %2d | %-19s | %5.1f | %5.1f | %2.0f |\n", c.Set, order, KindName(c.Kind), minLre, lreR2, c.Goal);
  EXPECT_GE(minLre, c.Goal);
}

INSTANTIATE_TEST_SUITE_P(Certified, CurveFitNist,
                         ::testing::Values(TNistCase{"Norris", TFitKind::Line, 12},
                                           TNistCase{"Norris", TFitKind::Poly, 12},
                                           TNistCase{"Wampler1", TFitKind::Centered, 9},
                                           TNistCase{"Wampler2", TFitKind::Centered, 9},
                                           TNistCase{"Wampler3", TFitKind::Centered, 9},
                                           TNistCase{"Wampler1", TFitKind::Poly, 9},
                                           TNistCase{"Wampler2", TFitKind::Poly, 9},
                                           TNistCase{"Wampler3", TFitKind::Poly, 9},
                                           TNistCase{"Filip", TFitKind::Centered, 7},
                                           TNistCase{"Filip", TFitKind::Poly, 0}),
                         [](const auto& info) {
                           return std::string(info.param.Set) + "_" + KindName(info.param.Kind);
                         });

}  // namespace
}  // namespace kvl
