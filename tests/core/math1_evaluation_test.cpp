#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace
}  // namespace kvl
