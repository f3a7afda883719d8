#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
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

// --- Roman numerals ------------------------------------------------------------------

TEST(RomanTest, GreedyNumeralsUpTo29999) {
  struct Case {
    std::int32_t N;
    const char* Text;
  };
  for (const Case& c : {Case{1, "I"}, Case{4, "IV"}, Case{9, "IX"}, Case{14, "XIV"}, Case{40, "XL"},
                        Case{90, "XC"}, Case{400, "CD"}, Case{1994, "MCMXCIV"}, Case{3888, "MMMDCCCLXXXVIII"},
                        Case{4000, "MMMM"}, Case{0, ""}, Case{-5, ""}, Case{30000, ""}}) {
    EXPECT_EQ(Roman(c.N), c.Text) << c.N;
  }
  EXPECT_EQ(Roman(29999), std::string(29, 'M') + "CMXCIX");
}

// --- primes ----------------------------------------------------------------------------

TEST(PrimesTest, TableHoldsExactlyThePrimesUpTo46337) {
  EXPECT_EQ(ListOfPrimes(1), 2);
  EXPECT_EQ(ListOfPrimes(2), 3);
  EXPECT_EQ(ListOfPrimes(4792), 46337);
  EXPECT_EQ(ListOfPrimes(4793), 0);
  EXPECT_EQ(ListOfPrimes(0), 0);
  EXPECT_EQ(ListOfPrimes(-1), 0);
  std::int32_t index = 1;
  for (std::int32_t n = 2; n <= 46337; ++n) {
    if (!IsPrime(n)) continue;
    ASSERT_EQ(ListOfPrimes(index), n) << "prime number " << index;
    ++index;
  }
  EXPECT_EQ(index, 4793);
}

TEST(PrimesTest, IsPrimeOnSignsAndLimits) {
  struct Case {
    std::int32_t N;
    bool Prime;
  };
  for (const Case& c : {Case{2, true}, Case{3, true}, Case{4, false}, Case{-7, true}, Case{0, false},
                        Case{1, false}, Case{-1, false}, Case{2147483647, true}, Case{2147483646, false},
                        Case{46337 * 46337, false}, Case{std::numeric_limits<std::int32_t>::min(), false}}) {
    EXPECT_EQ(IsPrime(c.N), c.Prime) << c.N;
  }
}

TEST(PrimesTest, FindPrimeFactorsWithMultiplicity) {
  EXPECT_EQ(FindPrimeFactors(12), (TIntArray{2, 2, 3}));
  EXPECT_EQ(FindPrimeFactors(9699690), (TIntArray{2, 3, 5, 7, 11, 13, 17, 19}));
  EXPECT_EQ(FindPrimeFactors(2147483646), (TIntArray{2, 3, 3, 7, 11, 31, 151, 331}));
  EXPECT_EQ(FindPrimeFactors(2147483647), (TIntArray{2147483647}));
  EXPECT_EQ(FindPrimeFactors(46337 * 46337), (TIntArray{46337, 46337}));
  EXPECT_EQ(FindPrimeFactors(2 * 46349), (TIntArray{2, 46349}));  // beyond the table
  EXPECT_EQ(FindPrimeFactors(2), (TIntArray{2}));
  EXPECT_TRUE(FindPrimeFactors(1).empty());
  EXPECT_TRUE(FindPrimeFactors(0).empty());
  EXPECT_TRUE(FindPrimeFactors(-12).empty());
}

// --- fractions and products ----------------------------------------------------------

TEST(FractionsTest, CancelFraction) {
  struct Case {
    std::int32_t Num, Den, OutNum, OutDen;
  };
  for (const Case& c : {Case{6, 8, 3, 4}, Case{-6, 8, -3, 4}, Case{6, -8, 3, -4}, Case{7, 13, 7, 13},
                        Case{0, 5, 0, 1}, Case{0, 0, 0, 0}, Case{360, 48, 15, 2},
                        Case{std::numeric_limits<std::int32_t>::min(), 2, -1073741824, 1}}) {
    std::int32_t num = c.Num, den = c.Den;
    CancelFraction(num, den);
    EXPECT_EQ(num, c.OutNum) << c.Num << "/" << c.Den;
    EXPECT_EQ(den, c.OutDen) << c.Num << "/" << c.Den;
  }
}

TEST(FractionsTest, ProductConsecIntsNeverOverflows) {
  EXPECT_EQ(ProductConsecInts(3, 5), 60);
  EXPECT_EQ(ProductConsecInts(5, 3), 60);
  EXPECT_EQ(ProductConsecInts(7, 7), 7);
  EXPECT_EQ(ProductConsecInts(0, 5), 0);
  EXPECT_EQ(ProductConsecInts(5, 0), 0);
  EXPECT_EQ(ProductConsecInts(-1, 5), -2);
  EXPECT_EQ(ProductConsecInts(1, 20), 2432902008176640000);  // 20!
  EXPECT_EQ(ProductConsecInts(1, 21), 2432902008176640000);  // 21! would overflow: stops at 20!
  const std::int64_t big = ProductConsecInts(1, 2147483647);
  EXPECT_GT(big, 0);
  EXPECT_LE(big, std::numeric_limits<std::int64_t>::max() / 2147483647 * 14);
}

// --- bits and bytes --------------------------------------------------------------------

TEST(BitsTest, PowersAndBitIndices) {
  EXPECT_TRUE(CheckPowerOfTwo(0));
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(3));
  EXPECT_FALSE(CheckPowerOfTwo(0xFFFFFFFFu));
  EXPECT_EQ(DecodeBit(0), 1);
  EXPECT_EQ(DecodeBit(7), 128);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeBit(-1), 0);
  EXPECT_EQ(DecodeLong(31), 0x80000000u);
  EXPECT_EQ(DecodeLong(32), 0u);
  EXPECT_EQ(DecodeLong(-1), 0u);
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(1), 0);
  EXPECT_EQ(EncodeLong(12), 2);
  EXPECT_EQ(EncodeLong(-2), 1);
  EXPECT_EQ(EncodeLong(std::numeric_limits<std::int32_t>::min()), 31);
  EXPECT_EQ(CountBits(0), 0);
  EXPECT_EQ(CountBits(0xA5), 4);
  EXPECT_EQ(CountBits(0xFF), 8);
}

TEST(BitsTest, GrayCodeAndBitReversal) {
  const std::vector<std::uint16_t> gray{0, 1, 3, 2, 6, 7, 5, 4};
  for (std::uint16_t w = 0; w < gray.size(); ++w) EXPECT_EQ(GrayCode(w), gray[w]) << w;
  EXPECT_EQ(GrayCode(0xFFFF), 0x8000);
  EXPECT_EQ(BitReversal(0x01), 0x80);
  EXPECT_EQ(BitReversal(0xF0), 0x0F);
  EXPECT_EQ(BitReversal(0xB4), 0x2D);
  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    ASSERT_EQ(BitReversal(BitReversal(byte)), byte);
    ASSERT_EQ(CountBits(BitReversal(byte)), CountBits(byte));
  }
}

TEST(BitsTest, ConvertEndianReversesBytes) {
  EXPECT_EQ(ConvertEndian(std::int32_t{0x01020304}), 0x04030201);
  EXPECT_EQ(ConvertEndian(std::uint16_t{0x1234}), 0x3412);
  // 1.0 is 3FF0000000000000; reversed, its bytes spell 000000000000F03F.
  const double swapped = ConvertEndian(1.0);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(swapped), 0x000000000000F03Full);
  EXPECT_EQ(ConvertEndian(swapped), 1.0);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(ConvertEndian(1.0f)), 0x0000803Fu);
}

}  // namespace
}  // namespace kvl
