#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// --- Factorial ---------------------------------------------------------------------

TEST(FactorialTest, ExactProductsInExtendedPrecision) {
  EXPECT_EQ(Factorial(0), 1.0L);
  EXPECT_EQ(Factorial(1), 1.0L);
  EXPECT_EQ(Factorial(5), 120.0L);
  // 20! needs 62 bits of mantissa: exact in extended, not in Double.
  EXPECT_EQ(Factorial(20), 2432902008176640000.0L);
  // 1000! lies far beyond Double and is accepted.
  constexpr long double kRelTol = 1e-15L;
  EXPECT_NEAR(std::log(Factorial(1000)) / std::lgamma(1001.0L), 1.0L, kRelTol);
}

TEST(FactorialTest, ArgumentsOutsideZeroToThousandRaise) {
  KVL_EXPECT_THROW_MSG(Factorial(-1), EKVLMath1Error, "Factorial: negative argument");
  KVL_EXPECT_THROW_MSG(Factorial(1001), EKVLMath1Error, "Factorial: argument too big");
}

}  // namespace
}  // namespace kvl
