#include "kvl/runtime/numfmt.h"

#include <gtest/gtest.h>

#include <limits>

namespace kvl {
namespace {

struct FieldCase {
  long double r;
  int width, decimals;
  const char* text;
};

TEST(StrFieldTest, FixedAndExponentialFields) {
  const FieldCase cases[] = {
      {3.14159L, 8, 2, "    3.14"},
      {-3.14159L, 1, 3, "-3.142"},
      {0.125L, 0, 2, "0.12"},  // tie on an exact binary value goes to even
      {2.5L, 3, 0, "  2"},
      {1234.56L, 12, -1, " 1.235E+0003"},
      {-0.000123456L, 14, -1, "-1.23456E-0004"},
      {0.0L, 10, -1, " 0.0E+0000"},
      {1e300L, 0, -1, " 1.0E+0300"},
      {1e-4000L, 12, -1, " 1.000E-4000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrField(c.r, c.width, c.decimals), c.text);
  }
}

TEST(StrFieldTest, SpecialValuesAndAbsurdArguments) {
  EXPECT_EQ(StrField(std::numeric_limits<double>::quiet_NaN(), 5, 2), "  Nan");
  EXPECT_EQ(StrField(-std::numeric_limits<double>::infinity(), 0, 2), "-Inf");
  EXPECT_EQ(StrField(1.0L, 1 << 30, 1).size(), 4096u);
  EXPECT_EQ(StrField(1.0L, 0, 1 << 30).size(), 4002u);
}

}  // namespace
}  // namespace kvl

namespace kvl {
namespace {

TEST(StrFieldTest, NegativeWidthsAreNoField) {
  EXPECT_EQ(StrField(1.5L, -1, 1), "1.5");
  EXPECT_EQ(StrField(1.5L, std::numeric_limits<int>::min(), -1), " 1.5E+0000");
}

}  // namespace
}  // namespace kvl
