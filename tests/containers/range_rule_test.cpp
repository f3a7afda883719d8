// The one range rule of the containers, and the three classes that use it.

#include "kvl/containers/range_rule.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"

namespace kvl {
namespace {

using detail::MakeValidRange;
using detail::TRangeRule;
using detail::TSwapRule;

struct RangeCase {
  const char* Name;
  std::int32_t Low, High, N;
  std::int32_t WantLow, WantHigh, Silent, Corrects;  // results under each swap rule
};

class RangeRule : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeRule, ClampsOrdersAndReports) {
  const RangeCase& k = GetParam();
  for (TSwapRule rule : {TSwapRule::Silent, TSwapRule::Corrects}) {
    std::int32_t lo = k.Low, hi = k.High;
    EXPECT_EQ(MakeValidRange(lo, hi, k.N, rule), rule == TSwapRule::Silent ? k.Silent : k.Corrects);
    EXPECT_EQ(lo, k.WantLow);
    EXPECT_EQ(hi, k.WantHigh);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RangeRule,
                         testing::Values(RangeCase{"whole", 0, 0, 10, 1, 10, 0, 0},
                                         RangeCase{"inside", 2, 5, 10, 2, 5, 0, 0},
                                         RangeCase{"reversed", 5, 2, 10, 2, 5, 0, -1},
                                         RangeCase{"clampedLow", -3, 4, 10, 1, 4, -1, -1},
                                         RangeCase{"clampedHigh", 3, 99, 10, 3, 10, -1, -1},
                                         RangeCase{"clampedAndReversed", 99, 0, 10, 1, 10, -1, -1},
                                         RangeCase{"emptyWhole", 0, 0, 0, 1, 0, 0, 0},
                                         RangeCase{"emptyAnyOther", 1, 3, 0, 1, 0, -1, -1}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(RangeRule, AllDimensionsAtOnce) {
  const TRangeRule<3> rule({4, 5, 6}, TSwapRule::Corrects);
  TRangeRule<3>::TBounds lo{0, 3, 2}, hi{0, 1, 9};
  EXPECT_EQ(rule.ApplyAll(lo, hi), -1);
  EXPECT_EQ(lo, (TRangeRule<3>::TBounds{1, 1, 2}));
  EXPECT_EQ(hi, (TRangeRule<3>::TBounds{4, 3, 6}));
  TRangeRule<3>::TBounds lo2{1, 2, 3}, hi2{4, 5, 6};
  EXPECT_EQ(rule.ApplyAll(lo2, hi2), 0);
}

TEST(RangeRule, VectorExchangesSilentlyMatrixCountsTheExchange) {
  TVector v;
  v.Resize(10);
  std::int32_t lo = 5, hi = 2;
  EXPECT_EQ(v.MakeValidElemRange(lo, hi), 0);
  EXPECT_EQ(lo, 2);
  TMatrix m;
  m.Resize(3, 10);
  lo = 5;
  hi = 2;
  EXPECT_EQ(m.MakeValidRowRange(lo, hi), -1);
  EXPECT_EQ(hi, 5);
  lo = 0;
  hi = 7;
  EXPECT_EQ(m.MakeValidColRange(lo, hi), -1);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 3);
}

}  // namespace
}  // namespace kvl
