// Bartlett, Levene, one-way analysis of variance and Friedman: the
// described cases, the codes, and the NIST StRD one-way sets.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "hyptests_nist_exact.h"
#include "kvl/base/KVL_univconst.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_nist_strd.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;
using test::kTol1e14;

void Fill(TVector& v, const std::vector<double>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) v.SetElem(static_cast<std::int32_t>(i + 1), x[i]);
}
void Fill(TIntVector& v, const std::vector<std::int32_t>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) v.SetElem(static_cast<std::int32_t>(i + 1), x[i]);
}

TEST(Anova1F, TwoGroupsOfThree) {
  TVector d;
  TIntVector g;
  Fill(d, {1, 2, 3, 4, 5, 6});
  Fill(g, {7, 7, 7, 2, 2, 2});
  double ssb, ssw, sst, F;
  std::int32_t dfB, dfW, dfT;
  const double p = Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F);
  EXPECT_NEAR(ssb, 13.5, kTol1e14);
  EXPECT_NEAR(ssw, 4.0, kTol1e14);
  EXPECT_NEAR(sst, 17.5, kTol1e14);
  EXPECT_EQ(dfB, 1);
  EXPECT_EQ(dfW, 4);
  EXPECT_EQ(dfT, 5);
  EXPECT_NEAR(F, 13.5, kTol1e14);
  EXPECT_NEAR(p, 1.0 - FDistriIntegral(13.5, 1, 4), kTol1e14);
}

TEST(Anova1F, GroupsInterleavedAndCodes) {
  TVector d;
  TIntVector g;
  double ssb, ssw, sst, F;
  std::int32_t dfB, dfW, dfT;
  // The same groups in another order give the same sums.
  Fill(d, {4, 1, 5, 2, 6, 3});
  Fill(g, {2, 7, 2, 7, 2, 7});
  Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F);
  EXPECT_NEAR(ssb, 13.5, kTol1e14);
  Fill(g, {1, 1, 1, 1, 1});
  EXPECT_EQ(Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F), -4);
  Fill(g, {1, 1, 1, 1, 1, 1});
  EXPECT_EQ(Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F), -1);
  Fill(g, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F), -2);
  EXPECT_EQ(ssb, 0);
  EXPECT_EQ(dfT, 0);
  // Identical values in each group: MSW = 0.
  Fill(d, {1, 1, 1, 2, 2, 2});
  Fill(g, {1, 1, 1, 2, 2, 2});
  EXPECT_EQ(Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F), 0);
  EXPECT_EQ(F, uc_MaxReal);
  Fill(d, {3, 3, 3, 3, 3, 3});
  EXPECT_EQ(Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F), -3);
  EXPECT_EQ(F, 0);
  Fill(d, {1, 2, std::numeric_limits<double>::quiet_NaN(), 4, 5, 6});
  EXPECT_TRUE(std::isnan(Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F)));
}

TEST(LeveneTest, CodesAndValue) {
  TVector d;
  TIntVector g;
  double F = -1;
  Fill(d, {1, 2, 3, 4});
  Fill(g, {1, 1, 1, 1});
  EXPECT_EQ(LeveneTest(d, g, F), -1);
  EXPECT_EQ(F, 0);
  Fill(g, {1, 2, 3, 4});
  EXPECT_EQ(LeveneTest(d, g, F), -2);
  Fill(g, {1, 2, 3});
  EXPECT_EQ(LeveneTest(d, g, F), -4);
  Fill(d, {5, 5, 5, 9, 9, 9});
  Fill(g, {1, 1, 1, 2, 2, 2});
  EXPECT_EQ(LeveneTest(d, g, F), -3);  // every deviation 0
  // Deviations constant within groups but different between them.
  Fill(d, {0, 2, 0, 2, 10, 16, 10, 16});
  Fill(g, {1, 1, 1, 1, 2, 2, 2, 2});
  EXPECT_EQ(LeveneTest(d, g, F), 0);
  EXPECT_EQ(F, uc_MaxReal);
  // Group 1 {0,2,0,2,1,1}: Z 1,1,1,1,0,0 (mean 2/3); group 2 {0,6,3,3}:
  // Z 3,3,0,0 (mean 3/2); grand mean of Z 1.
  Fill(d, {0, 2, 0, 2, 1, 1, 0, 6, 3, 3});
  Fill(g, {1, 1, 1, 1, 1, 1, 2, 2, 2, 2});
  const double p = LeveneTest(d, g, F);
  // SSB = 6 (2/3 - 1)^2 + 4 (3/2 - 1)^2 = 5/3; SSW = 4/9 + 8/9 + 4 (3/2)^2.
  const double ssb = 5.0 / 3.0, ssw = 4.0 / 3.0 + 9.0;
  EXPECT_NEAR(F, ssb / (ssw / 8), kTol1e14);
  EXPECT_NEAR(p, 1.0 - FDistriIntegral(F, 1, 8), kTol1e14);
}

TEST(BartlettTest, CodesAndEqualVariances) {
  double chi2 = -1;
  EXPECT_EQ(BartlettTest({{1, 2, 3, 4, 5, 6}}, {6, 6}, chi2), -1);
  EXPECT_EQ(BartlettTest({{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}}, {5, 5}, chi2), -2);
  EXPECT_EQ(chi2, 0);
  EXPECT_EQ(BartlettTest({{1, 2, 3}, {1, 2, 3, 4, 5, 6}}, {6, 6}, chi2), -1);  // N beyond the data
  // Equal variances: statistic 0, p-value 1.
  const TDouble2DArray same{{1, 2, 3, 4, 5, 6}, {11, 12, 13, 14, 15, 16}};
  EXPECT_NEAR(BartlettTest(same, {6, 6}, chi2), 1.0, kTol1e14);
  EXPECT_NEAR(chi2, 0.0, kTol1e14);
  // Variances 3.5 and 14 (doubled spread): the closed form.
  const TDouble2DArray two{{1, 2, 3, 4, 5, 6}, {2, 4, 6, 8, 10, 12}};
  const double p = BartlettTest(two, {6, 6}, chi2);
  const double sp = (3.5 + 14.0) / 2, c = 1 + (0.2 + 0.2 - 0.1) / 3;
  const double want = (10 * std::log(sp) - 5 * std::log(3.5) - 5 * std::log(14.0)) / c;
  EXPECT_NEAR(chi2, want, kTol1e12);
  EXPECT_NEAR(p, 1 - chi2DistriIntegral(want, 1), kTol1e12);
}

TEST(FriedmanTest, RanksAndTies) {
  double chi2 = -1;
  TMatrix m;
  m.Resize(2, 4);
  EXPECT_EQ(FriedmanTest(m, chi2), -1);
  EXPECT_EQ(chi2, 0);
  // 3 treatments, 4 blocks, no ties: column rank sums 4, 8, 12.
  m.Resize(3, 4);
  for (std::int32_t r = 1; r <= 4; ++r)
    for (std::int32_t c = 1; c <= 3; ++c) m.SetElem(c, r, c * 10.0 + r);
  double p = FriedmanTest(m, chi2);
  EXPECT_NEAR(chi2, 12.0 * (16 + 64 + 144) / (4 * 3 * 4) - 3 * 4 * 4, kTol1e14);  // 8
  EXPECT_NEAR(p, 1 - chi2DistriIntegral(8.0, 2), kTol1e14);
  // A tied row (ranks 1.5, 1.5, 3): T = 6, the corrected statistic.
  m.SetElem(2, 1, m.Elem(1, 1));
  p = FriedmanTest(m, chi2);
  const double sumSq = 4.5 * 4.5 + 7.5 * 7.5 + 12 * 12;
  const double raw = 12.0 * sumSq / 48 - 48;
  EXPECT_NEAR(chi2, 4 * raw / (4 - 6.0 / 24), kTol1e14);
}

// The NIST StRD one-way sets: digits of SSB, SSW and F against the certified
// values, and of all results against the exact values of the data as read
// (the doubles nearest to the file's decimals).
struct TNistGoal {
  const char* Name;
  double MinCertifiedDigits;  // 0: the input itself does not carry them
};

class NistAnova : public ::testing::TestWithParam<TNistGoal> {};

TEST_P(NistAnova, ReachesTheCertifiedDigits) {
  const TNistGoal goal = GetParam();
  test::TStrdSet set;
  ASSERT_TRUE(test::LoadStrd(goal.Name, set)) << "NIST StRD file " << goal.Name << " not found";
  TVector d;
  TIntVector g;
  std::vector<double> x;
  std::vector<std::int32_t> labels;
  TDouble2DArray byGroup;
  for (const auto& row : set.Rows) {
    labels.push_back(static_cast<std::int32_t>(row[0]));
    x.push_back(row[1]);
    if (byGroup.size() < static_cast<std::size_t>(row[0])) byGroup.resize(static_cast<std::size_t>(row[0]));
    byGroup[static_cast<std::size_t>(row[0]) - 1].push_back(row[1]);
  }
  Fill(d, x);
  Fill(g, labels);
  double ssb, ssw, sst, F;
  std::int32_t dfB, dfW, dfT;
  Anova1F(d, g, ssb, ssw, sst, dfB, dfW, dfT, F);
  EXPECT_EQ(dfB, static_cast<std::int32_t>(set.Cert("between.df")));
  EXPECT_EQ(dfW, static_cast<std::int32_t>(set.Cert("within.df")));
  const double lreB = test::Lre(ssb, set.Cert("between.ss")), lreW = test::Lre(ssw, set.Cert("within.ss"));
  const double lreF = test::Lre(F, set.Cert("f"));
  std::printf("%-8s certified digits: SSB %.1f SSW %.1f F %.1f\n", goal.Name, lreB, lreW, lreF);
  EXPECT_GE(lreB, goal.MinCertifiedDigits);
  EXPECT_GE(lreW, goal.MinCertifiedDigits);
  EXPECT_GE(lreF, goal.MinCertifiedDigits);
  const TNistAnovaExact* exact = nullptr;
  for (const auto& e : kNistAnovaExact)
    if (std::string(e.Name) == goal.Name) exact = &e;
  ASSERT_NE(exact, nullptr);
  const double eB = test::Lre(ssb, exact->SSB), eW = test::Lre(ssw, exact->SSW), eF = test::Lre(F, exact->F);
  std::printf("%-8s digits of the exact result of the data read: SSB %.1f SSW %.1f F %.1f\n", goal.Name, eB, eW, eF);
  constexpr double kMinAlgorithmDigits = 12;
  EXPECT_GE(eB, kMinAlgorithmDigits);
  EXPECT_GE(eW, kMinAlgorithmDigits);
  EXPECT_GE(eF, kMinAlgorithmDigits);
  // Levene and Bartlett on the same data; statistics near 0 compare absolutely.
  double lev;
  LeveneTest(d, g, lev);
  EXPECT_NEAR(lev, exact->LeveneF, 1e-9 * std::max(1.0, exact->LeveneF));
  TIntArray n;
  for (const auto& grp : byGroup) n.push_back(static_cast<std::int32_t>(grp.size()));
  double chi2;
  const double pB = BartlettTest(byGroup, n, chi2);
  if (std::isnan(exact->BartlettChi2)) {
    EXPECT_EQ(pB, -2);  // groups of 5
  } else {
    EXPECT_NEAR(chi2, exact->BartlettChi2, 1e-9 * std::max(1.0, exact->BartlettChi2));
  }
}

// SmLs07's values 1000000000000.2 .. .6 lie 1.2e-4 apart as doubles: the
// data as read keep only about 4 of the certified digits (exact arithmetic
// on them gives 4.0 to 4.3), so its goal applies to the exact result.
INSTANTIATE_TEST_SUITE_P(OneWay, NistAnova,
                         ::testing::Values(TNistGoal{"SiRstv", 12}, TNistGoal{"SmLs01", 12},
                                           TNistGoal{"SmLs03", 12}, TNistGoal{"AtmWtAg", 9},
                                           TNistGoal{"SmLs07", 4}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kvl
