#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <typeinfo>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

const std::string kDeg = "\xC2\xB0";

// --- fields and notations ------------------------------------------------------------

struct FieldCase {
  double r;
  int Width, Decimals;
  const char* Expected;
};

TEST(StrfTest, FixedExponentAndTwoDigitExponentFields) {
  const FieldCase cases[] = {
      {3.14159, 8, 2, "    3.14"},
      {-2.5, 1, 0, "-2"},  // halves to even on the exact value
      {1234.56, 12, -1, " 1.235E+0003"},
      {1234.56, 10, -2, " 1.235E+03"},
      {-0.000123, 10, -2, "-1.230E-04"},
      {1e99, 10, -2, " 1.000E+99"},
      {1e150, 10, -2, "**********"},   // exponent needs three digits
      {-1e-200, 12, -2, "************"},
      {std::nan(""), 6, -2, "   Nan"},
      {1.0, std::numeric_limits<std::int32_t>::min(), -2, " 1.0E+00"},  // negative width: no padding
      {1.0, std::numeric_limits<std::int32_t>::min(), -1, " 1.0E+0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(strf(c.r, c.Width, c.Decimals), c.Expected) << c.r << " " << c.Decimals;
}

struct EngCase {
  double r;
  int Digits;
  const char* Expected;
};

TEST(EEngStrTest, PrefixLettersAndDigitCounts) {
  const EngCase cases[] = {
      {4700, 3, "4.70k"},      {4700, -3, "4k70"},   {0.00123, 3, "1.23m"},  {0, 3, "0.00"},
      {-4700, 3, "-4.70k"},    {47000, -2, "47k"},   {4700, -2, "4k7"},      {4700, 1, "5k"},
      {123, 3, "123"},         {1000, 3, "1.00k"},   {0.5, 3, "500m"},       {4.7e-6, 3, "4.70u"},
      {2.2e-9, 2, "2.2n"},     {3.3e-12, 2, "3.3p"}, {1e-15, 1, "1f"},       {5e9, 2, "5.0G"},
      {1.5e-20, 3, "0.0150a"},  // below atto the prefix stays a
      {1e15, 3, "1000T"},       // above tera the mantissa grows
      {1234.5678, 12, "1.23456780k"},  // Digits clipped to 9
      {std::numeric_limits<double>::infinity(), 3, "+Inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(EEngStr(c.r, c.Digits), c.Expected) << c.r << " " << c.Digits;
}

TEST(MakeEFormatTest, NormalisedMantissaAndExponent) {
  const FieldCase cases[] = {
      {1234.56, 12, 4, "  0.1235E+04"},
      {0.0, 12, 4, "  0.0000E+00"},
      {-0.00123, 8, 3, "-0.123E-02"},   // longer than Width: unchanged
      {9.99999, 10, 2, "  0.10E+02"},   // rounding carries into the exponent
      {1e-5, 4, 4, " 0.1000E-04"},      // Width below 8 counts as 8
      {1e98, 8, 4, " 0.1000E+99"},
      {1e200, 8, 4, " 0.1000E+201"},    // three exponent digits where needed
      {1e-200, 8, 4, " 0.1000E-199"},
      {0.5, 8, 1, " 0.50E+00"},         // Digits below 2 count as 2
  };
  for (const auto& c : cases) EXPECT_EQ(MakeEFormat(c.r, c.Width, c.Decimals), c.Expected) << c.r;
  EXPECT_EQ(MakeEFormat(1.0, 100, 20).size(), 40u);
  EXPECT_EQ(MakeEFormat(1.0, 100, 20), std::string(18, ' ') + " 0.100000000000000E+01");
}

// --- floating-point bytes ------------------------------------------------------------

TEST(FPNumToHexTest, BytesMostSignificantFirst) {
  EXPECT_EQ(FPNumToHex(1.0), "3FF0000000000000");
  EXPECT_EQ(FPNumToHex(-0.0), "8000000000000000");
  EXPECT_EQ(FPNumToHex(1.0f), "3F800000");
  EXPECT_EQ(FPNumToHex(1.0L), "3FFF8000000000000000");
  EXPECT_EQ(FPNumToHex(-2.5L), "C000A000000000000000");
}

TEST(HexToFloatTest, RoundTripsBitForBit) {
  const double doubles[] = {1.0, -0.0, 0.1, -1e308, 4.9e-324, std::numeric_limits<double>::infinity(),
                            std::bit_cast<double>(std::uint64_t{0x7FF8DEADBEEF0001})};
  for (double x : doubles)
    EXPECT_EQ(std::bit_cast<std::uint64_t>(HexToDouble(FPNumToHex(x))), std::bit_cast<std::uint64_t>(x));
  for (float x : {1.0f, -0.0f, 3.4e38f, 1e-45f})
    EXPECT_EQ(std::bit_cast<std::uint32_t>(HexToSingle(FPNumToHex(x))), std::bit_cast<std::uint32_t>(x));
  for (long double x : {1.0L, -0.0L, 0.1L, 1e4000L, -3.6e-4951L}) EXPECT_EQ(FPNumToHex(HexToExtended(FPNumToHex(x))), FPNumToHex(x));
  EXPECT_TRUE(std::signbit(HexToDouble("8000000000000000")));
}

TEST(HexToFloatTest, ByteOrderAndLetterCase) {
  EXPECT_EQ(HexToDouble("000000000000F03F", false), 1.0);
  EXPECT_EQ(HexToDouble("3ff0000000000000"), 1.0);
  EXPECT_EQ(HexToSingle("0000803F", false), 1.0f);
  EXPECT_EQ(HexToSingle("c0200000"), -2.5f);
  EXPECT_EQ(HexToExtended("3FFF8000000000000000"), 1.0L);
}

TEST(HexToFloatTest, BadTextRaisesBaseErrorQuotingIt) {
  const auto expectRaise = [](auto f, const std::string& Msg) {
    try {
      f();
      ADD_FAILURE() << "no exception for " << Msg;
    } catch (const EKVLError& e) {
      EXPECT_EQ(e.Message(), Msg);
      EXPECT_EQ(typeid(e), typeid(EKVLError));  // the base class itself
    }
  };
  expectRaise([] { HexToDouble("3FF000000000000"); }, R"(HexToDouble: invalid hex string "3FF000000000000")");
  expectRaise([] { HexToDouble("3FF000000000000G", false); },
              R"(HexToDouble: invalid hex string "3FF000000000000G")");
  expectRaise([] { HexToDouble(""); }, R"(HexToDouble: invalid hex string "")");
  expectRaise([] { HexToSingle("3F80 000"); }, R"(HexToSingle: invalid hex string "3F80 000")");
  expectRaise([] { HexToSingle("3F8000000"); }, R"(HexToSingle: invalid hex string "3F8000000")");
  expectRaise([] { HexToExtended("3FF0000000000000"); }, R"(HexToExtended: invalid hex string "3FF0000000000000")");
}

// --- integers as digit strings ---------------------------------------------------------

TEST(DigitStringTest, LowestDigitsZeroPadded) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(Hex(-1, 4), "FFFF");
  EXPECT_EQ(Hex(-1, 10), "00FFFFFFFF");
  EXPECT_EQ(Hex(-1, 200), "00000000FFFFFFFF");
  EXPECT_EQ(Hex(0x1234ABCD, 8), "1234ABCD");
  EXPECT_EQ(Hex(255, 0), "F");
  EXPECT_EQ(Octal(8, 3), "010");
  EXPECT_EQ(Octal(-1, 11), "37777777777");
  EXPECT_EQ(Octal(-1, 12), "37777777777");
  EXPECT_EQ(Bin(5, 8), "00000101");
  EXPECT_EQ(Bin(6, 0), "0");
  EXPECT_EQ(Bin(kMin, 255), "1" + std::string(31, '0'));
  EXPECT_EQ(Decimal(-42, 5), "-00042");
  EXPECT_EQ(Decimal(12345, 3), "345");
  EXPECT_EQ(Decimal(0, 0), "0");
  EXPECT_EQ(Decimal(kMin, 10), "-2147483648");
  EXPECT_EQ(Decimal(kMin, 12), "-002147483648");
  EXPECT_EQ(Decimal(7, 255), std::string(254, '0') + "7");
}

// --- angles ------------------------------------------------------------------------------

struct DegreeCase {
  double Angle;
  TDegreeFormat Format;
  int Decimals;
  std::string Expected;
};

TEST(DegreeToStrTest, AllFormats) {
  using enum TDegreeFormat;
  const DegreeCase cases[] = {
      {12.5, dfDegMin, 2, "12" + kDeg + " 30.00'"},
      {-0.25, dfDegMinSec, 0, "-0" + kDeg + " 15'   0\""},
      {12.5, dfDecDeg, 2, "12.50" + kDeg},
      {12.5, dfNumber, 2, "12.50"},
      {-12.5, dfNumber, 1, "-12.5"},
      {-0.5, dfDegMin, 0, "-0" + kDeg + "  30'"},
      {-0.0, dfDegMin, 0, "0" + kDeg + "   0'"},
      {12.9999999, dfDegMin, 2, "13" + kDeg + "  0.00'"},   // rounding carries into degrees
      {10.5125, dfDegMinSec, 1, "10" + kDeg + " 30' 45.0\""},
      {-100.75, dfDegMinSec, 2, "-100" + kDeg + " 45'  0.00\""},
      {1.0 / 3.0, dfDegMin, 12, "0" + kDeg + " 20.00000000'"},  // Decimals above 8 count as 8
      {1.0 / 3.0, dfDecDeg, -3, "0" + kDeg},
  };
  for (const auto& c : cases) EXPECT_EQ(DegreeToStr(c.Angle, c.Format, c.Decimals), c.Expected) << c.Angle;
  EXPECT_EQ(DegreeToStr(12.5, static_cast<TDegreeFormat>(4), 2), "");
}

struct ConvertCase {
  double Deg, Min, Sec;
  TDegreeFormat In, Out;
  double ExpDeg, ExpMin, ExpSec;
};

TEST(ConvertDegreesTest, ConversionTable) {
  using enum TDegreeFormat;
  const ConvertCase cases[] = {
      {12.5, 7, 8, dfDecDeg, dfDecDeg, 12.5, 0, 0},
      {12.5, 7, 8, dfDecDeg, dfDegMin, 12, 30, 0},
      {10.515625, 7, 8, dfDecDeg, dfDegMinSec, 10, 30, 56.25},  // exact in binary
      {12, 30, 8, dfDegMin, dfDecDeg, 12.5, 0, 0},
      {12, 30.5, 8, dfDegMin, dfDegMin, 12, 30.5, 0},
      {12, 30.5, 8, dfDegMin, dfDegMinSec, 12, 30, 30},
      {12, 30.9, 30, dfDegMinSec, dfDecDeg, 12 + 30.0 / 60 + 30.0 / 3600, 0, 0},  // whole minutes only
      {12, 30, 30, dfDegMinSec, dfDegMin, 12, 30.5, 0},
      {12, 30, 30, dfDegMinSec, dfDegMinSec, 12, 30, 30},
      {12, 30, 30, dfNumber, dfDecDeg, 12, 30, 30},
      {12, 30, 30, dfDecDeg, dfNumber, 12, 30, 30},
      // minutes and seconds count away from zero for negative angles
      {-12, 30, 0, dfDegMin, dfDecDeg, -12.5, 0, 0},
      {-12, 30, 36, dfDegMinSec, dfDecDeg, -12.51, 0, 0},
      {-0.0, 15, 0, dfDegMin, dfDecDeg, -0.25, 0, 0},
  };
  for (const auto& c : cases) {
    double d = c.Deg, m = c.Min, s = c.Sec;
    ConvertDegrees(d, m, s, c.In, c.Out);
    EXPECT_NEAR(d, c.ExpDeg, kTol1e12) << c.Deg << " " << static_cast<int>(c.In) << "->" << static_cast<int>(c.Out);
    EXPECT_NEAR(m, c.ExpMin, kTol1e12) << c.Deg;
    EXPECT_NEAR(s, c.ExpSec, kTol1e12) << c.Deg;
  }
}

TEST(ConvertDegreesTest, NegativeAnglesRoundTrip) {
  using enum TDegreeFormat;
  for (double angle : {-12.5, -0.25, -359.75}) {
    for (TDegreeFormat via : {dfDegMin, dfDegMinSec}) {
      double d = angle, m = 0, s = 0;
      ConvertDegrees(d, m, s, dfDecDeg, via);
      ConvertDegrees(d, m, s, via, dfDecDeg);
      EXPECT_NEAR(d, angle, kTol1e12) << angle;
    }
  }
}

TEST(ConvertDegreesTest, MinutesAndSecondsOutsideZeroToSixtyRaise) {
  using enum TDegreeFormat;
  double d = 1, m = 60, s = 60;
  ConvertDegrees(d, m, s, dfDegMinSec, dfDegMinSec);  // 60 is accepted
  d = 1, m = 60.5, s = 0;
  KVL_EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfDegMin, dfDecDeg), EKVLMath1Error,
                       "ConvertDegrees: invalid range of minutes");
  EXPECT_EQ(m, 60.5);
  EXPECT_EQ(d, 1.0);
  m = std::nan("");
  KVL_EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfDecDeg, dfDecDeg), EKVLMath1Error,
                       "ConvertDegrees: invalid range of minutes");
  m = 0, s = -1;
  KVL_EXPECT_THROW_MSG(ConvertDegrees(d, m, s, dfNumber, dfNumber), EKVLMath1Error,
                       "ConvertDegrees: invalid range of seconds");
}

}  // namespace
}  // namespace kvl
