#include "kvl/runtime/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/runtime/exceptions.h"

namespace kvl {
namespace {

struct RoundCase {
  double x;
  std::int64_t round, trunc;
  double frac;
};

TEST(RoundingTest, RoundTruncFracTable) {
  const RoundCase cases[] = {
      {0.5, 0, 0, 0.5},     {1.5, 2, 1, 0.5},    {2.5, 2, 2, 0.5},   {-0.5, 0, 0, -0.5},
      {-1.5, -2, -1, -0.5}, {-2.5, -2, -2, -0.5}, {2.4999, 2, 2, 0.4999}, {-7.75, -8, -7, -0.75},
      {1e15 + 0.5, 1000000000000000, 1000000000000000, 0.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(Round(c.x), c.round);
    EXPECT_EQ(Trunc(c.x), c.trunc);
    EXPECT_DOUBLE_EQ(Frac(c.x), c.frac);
    EXPECT_EQ(Int(c.x), static_cast<double>(c.trunc));
  }
  EXPECT_EQ(Round(2.5L), 2);
  EXPECT_EQ(Round(3.5f), 4);
}

TEST(RoundingTest, UnrepresentableValuesRaiseInsteadOfUndefinedBehaviour) {
  EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
  EXPECT_THROW(Trunc(std::numeric_limits<double>::infinity()), EInvalidOp);
  EXPECT_THROW(Round(1e19), EMathError);
  EXPECT_EQ(Trunc(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
}

TEST(RoundingTest, DivModTruncateTowardsZero) {
  EXPECT_EQ(Div(7, 2), 3);
  EXPECT_EQ(Div(-7, 2), -3);
  EXPECT_EQ(Mod(-7, 2), -1);
  EXPECT_EQ(Mod(7, -2), 1);
  EXPECT_EQ(Div(std::numeric_limits<std::int32_t>::min(), -1), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(Mod(std::numeric_limits<std::int32_t>::min(), -1), 0);
  EXPECT_THROW(Div(1, 0), EMathError);
  EXPECT_THROW(Mod(1, 0), EMathError);
}

}  // namespace
}  // namespace kvl
