#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr double kMaxDouble = std::numeric_limits<double>::max();

// --- integer scanners ------------------------------------------------------------------

using IntScanner = std::int64_t (*)(std::string_view, std::int32_t&);

struct IntScanCase {
  const char* Name;
  IntScanner Scan;
  std::string_view Text;
  std::int32_t Pos;
  std::int64_t Value;
  std::int32_t EndPos;  // equal to Pos when the scan fails
};

TEST(IntegerScanTest, ValuesAndPositions) {
  const IntScanCase cases[] = {
      {"dec middle", ScanDecimal, "abc 123 def", 4, 123, 8},
      {"dec sign", ScanDecimal, "  -42x", 1, -42, 6},
      {"dec plus", ScanDecimal, "+7", 1, 7, 3},
      {"dec pos below 1", ScanDecimal, "12", -5, 12, 3},
      {"dec sign only", ScanDecimal, "+", 1, 0, 1},
      {"dec garbage", ScanDecimal, "x1", 1, 0, 1},
      {"dec empty", ScanDecimal, "", 1, 0, 1},
      {"dec past end", ScanDecimal, "12", 3, 0, 3},
      {"dec blanks only", ScanDecimal, "   ", 2, 0, 2},
      {"dec max", ScanDecimal, "9223372036854775807", 1, kMax64, 20},
      {"dec saturates", ScanDecimal, "9223372036854775808", 1, kMax64, 20},
      {"dec min", ScanDecimal, "-9223372036854775808", 1, kMin64, 21},
      {"dec saturates low", ScanDecimal, "-99999999999999999999999;", 1, kMin64, 25},
      {"hex dollar", ScanHex, "$1F", 1, 31, 4},
      {"hex 0x", ScanHex, "0x1f,", 1, 31, 5},
      {"hex 0X", ScanHex, "0XfF", 1, 255, 5},
      {"hex bare", ScanHex, "ff g", 1, 255, 3},
      {"hex 0x without digit", ScanHex, "0xg", 1, 0, 2},
      {"hex dollar without digit", ScanHex, "$g", 1, 0, 1},
      {"hex no sign", ScanHex, "-1", 1, 0, 1},
      {"hex max", ScanHex, "7FFFFFFFFFFFFFFF", 1, kMax64, 17},
      {"hex saturates", ScanHex, "FFFFFFFFFFFFFFFFFF", 1, kMax64, 19},
      {"oct prefix", ScanOctal, "0o17", 1, 15, 5},
      {"oct stops at 8", ScanOctal, "778", 1, 63, 3},
      {"oct garbage", ScanOctal, "8", 1, 0, 1},
      {"bin prefix", ScanBin, "0b101", 1, 5, 6},
      {"bin stops at 2", ScanBin, "1012", 1, 5, 4},
      {"bin 0b without digit", ScanBin, "0b2", 1, 0, 2},
  };
  for (const auto& c : cases) {
    std::int32_t pos = c.Pos;
    EXPECT_EQ(c.Scan(c.Text, pos), c.Value) << c.Name;
    EXPECT_EQ(pos, c.EndPos) << c.Name;
  }
}

TEST(IntegerScanTest, ReadsAListUntilThePositionStops) {
  const std::string text = "10, 20,30  -4 end";
  std::int32_t pos = 1;
  std::int64_t sum = 0;
  int count = 0;
  for (;;) {
    const std::int32_t before = pos;
    sum += ScanDecimal(text, pos);
    if (pos == before) break;
    ++count;
    if (pos <= static_cast<std::int32_t>(text.size()) && text[static_cast<std::size_t>(pos) - 1] == ',') ++pos;
  }
  EXPECT_EQ(count, 4);
  EXPECT_EQ(sum, 56);
  EXPECT_EQ(pos, 14);  // at " end"
}

struct ValidCase {
  bool (*Check)(std::string_view);
  std::string_view Text;
  bool Valid;
};

TEST(IsValidIntegerTest, WholeTextOneNumberInRange) {
  const ValidCase cases[] = {
      {IsValidDecInt, " -12 ", true},   {IsValidDecInt, "", false},       {IsValidDecInt, "  ", false},
      {IsValidDecInt, "1 2", false},    {IsValidDecInt, "12a", false},    {IsValidDecInt, "+", false},
      {IsValidDecInt, "9223372036854775808", false}, {IsValidDecInt, "-9223372036854775808", true},
      {IsValidHex, "$FF", true},        {IsValidHex, "0xFF\t", true},     {IsValidHex, "ff", true},
      {IsValidHex, "0x", false},        {IsValidHex, "-FF", false},       {IsValidHex, "FG", false},
      {IsValidHex, "10000000000000000", false},
      {IsValidOct, "017", true},        {IsValidOct, "0o17", true},       {IsValidOct, "018", false},
      {IsValidBin, "0b1010", true},     {IsValidBin, "1010", true},       {IsValidBin, "102", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Check(c.Text), c.Valid) << "\"" << c.Text << "\"";
}

TEST(StrToIntDefaultTest, IntegerTextOrDefault) {
  constexpr std::int32_t kDef = -77;
  const std::pair<std::string_view, std::int32_t> cases[] = {
      {"", kDef},           {"123", 123},         {" -42", -42},      {"+7", 7},
      {"2147483647", 2147483647},                 {"2147483648", kDef},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},  {"-2147483649", kDef},
      {"$FF", 255},         {"0x7fffffff", 2147483647},              {"$FFFFFFFF", -1},
      {"-$1", -1},          {"$100000000", kDef}, {"12a", kDef},     {"12 ", kDef},
      {"abc", kDef},        {"-", kDef},          {"$", kDef},       {"99999999999999999999999", kDef},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(StrToIntDefault(text, kDef), expected) << "\"" << text << "\"";
}

// --- floating-point scanner --------------------------------------------------------------

struct FPScanCase {
  std::string_view Text;
  bool AllowExp;
  std::int32_t DecPSep;
  double Value;
  std::int32_t EndPos;
};

TEST(ScanFPNumTest, SyntaxSeparatorsAndExponent) {
  const FPScanCase cases[] = {
      {"3.14", true, 0, 3.14, 5},       {"3,14", true, 1, 3.14, 5},     {"3,14", true, 0, 3, 2},
      {"3.14", true, 1, 3, 2},          {"3.14", true, 2, 3.14, 5},     {"3,14", true, 2, 3.14, 5},
      {"3,14", true, 9, 3, 2},          {"1.5e3", true, 0, 1500, 6},    {"1.5E-3x", true, 0, 0.0015, 7},
      {"1.5e3", false, 0, 1.5, 4},      {"1.5e", true, 0, 1.5, 4},      {"1.5e+", true, 0, 1.5, 4},
      {"-.5", true, 0, -0.5, 4},        {"5.", true, 0, 5, 3},          {"+2", true, 0, 2, 3},
      {"  7x", true, 0, 7, 4},          {".", true, 0, 0, 1},           {"-", true, 0, 0, 1},
      {"e5", true, 0, 0, 1},            {"inf", true, 0, 0, 1},         {"nan", true, 0, 0, 1},
      {"0.1", false, 0, 0.1, 4},        {"1e400", true, 0, kMaxDouble, 6},
      {"-1e400", true, 0, -kMaxDouble, 7},                              {"1e-400", true, 0, 0, 7},
      {"1e99999999999999999999", true, 0, kMaxDouble, 23},              {"0e99999", true, 0, 0, 8},
      {"4.9e-324", true, 0, 4.9e-324, 9},
  };
  for (const auto& c : cases) {
    std::int32_t pos = 1;
    EXPECT_EQ(ScanFPNum(c.Text, c.AllowExp, c.DecPSep, pos), c.Value) << c.Text;
    EXPECT_EQ(pos, c.EndPos) << c.Text;
  }
}

TEST(ScanFPNumTest, LongMantissasRoundCorrectly) {
  // 0.1 followed by 400 zeros and a 1: just above 0.1, rounds to 0.1.
  const std::string nearTenth = "0.1" + std::string(400, '0') + "1";
  std::int32_t pos = 1;
  EXPECT_EQ(ScanFPNum(nearTenth, false, 0, pos), 0.1);
  EXPECT_EQ(pos, static_cast<std::int32_t>(nearTenth.size()) + 1);
  // A fraction whose first significant digit lies beyond the Double range.
  const std::string tiny = "-0." + std::string(400, '0') + "5";
  pos = 1;
  const double v = ScanFPNum(tiny, false, 0, pos);
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(std::signbit(v));
  const std::string huge = std::string(400, '9') + ".5";
  pos = 1;
  EXPECT_EQ(ScanFPNum(huge, false, 0, pos), kMaxDouble);
}

TEST(IsValidFloatTest, WholeTextChecks) {
  EXPECT_TRUE(IsValidDouble(" 2.5 ", false, TDecPSep::dsPoint));
  EXPECT_TRUE(IsValidDouble("1,5", false, TDecPSep::dsComma));
  EXPECT_FALSE(IsValidDouble("1.5", false, TDecPSep::dsComma));
  EXPECT_TRUE(IsValidDouble("1e5", true, TDecPSep::dsPoint));
  EXPECT_FALSE(IsValidDouble("1e5", false, TDecPSep::dsPoint));
  EXPECT_FALSE(IsValidDouble("1e400", true, TDecPSep::dsPoint));
  EXPECT_TRUE(IsValidDouble("1e-400", true, TDecPSep::dsPoint));  // rounds to zero
  EXPECT_FALSE(IsValidDouble("", true, TDecPSep::dsBoth));
  EXPECT_FALSE(IsValidDouble("1.5.", true, TDecPSep::dsBoth));
  EXPECT_TRUE(IsValidFPNum("1e400", TDecPSep::dsPoint));
  EXPECT_TRUE(IsValidFPNum("-3,5E-2", TDecPSep::dsBoth));
  EXPECT_FALSE(IsValidFPNum("1.5e", TDecPSep::dsPoint));
  EXPECT_FALSE(IsValidFPNum("1 000", TDecPSep::dsPoint));
}

// --- degrees --------------------------------------------------------------------------------

TEST(ScanDegreesTest, ReadsWhatDegreeToStrWrites) {
  using enum TDegreeFormat;
  // Half a unit of the last written digit (4 decimals) in degrees.
  const double tolerance[] = {0.5e-4, 0.5e-4 / 60, 0.5e-4 / 3600, 0.5e-4};
  for (double angle : {12.5, -0.25, 359.999, 0.0, -12.75, 45.123456, -1000.0001}) {
    for (TDegreeFormat f : {dfDecDeg, dfDegMin, dfDegMinSec, dfNumber}) {
      const std::string text = DegreeToStr(angle, f, 4) + " rest";
      std::int32_t pos = 1, format = -5;
      const double back = ScanDegrees(text, pos, false, format);
      const auto fi = static_cast<std::size_t>(f);
      EXPECT_NEAR(back, angle, tolerance[fi] * (1 + 1e-9)) << text;
      EXPECT_EQ(format, static_cast<std::int32_t>(fi)) << text;
      EXPECT_EQ(text.substr(static_cast<std::size_t>(pos) - 1), " rest") << text;
    }
  }
}

struct DegScanCase {
  std::string Text;
  bool SignRequired;
  double Value;
  std::int32_t Format;
  std::int32_t EndPos;
};

TEST(ScanDegreesTest, PartsSignsAndFailures) {
  const std::string deg = "\xC2\xB0";
  const DegScanCase cases[] = {
      {"12" + deg + "30'15\"", true, 12 + 30.0 / 60 + 15.0 / 3600, 2, 11},
      {"  -0" + deg + " 15'", true, -0.25, 1, 11},
      {"12.5" + deg + " 30'", true, 12.5, 0, 7},     // minutes only after whole degrees
      {"12" + deg + " 30.5' 10\"", true, 12 + 30.5 / 60, 1, 11},
      {"12" + deg + " 30", true, 12, 0, 5},          // no minute sign: not minutes
      {"12 " + deg, true, 12, 0, 6},
      {"12", false, 12, 3, 3},
      {"12", true, 0, -1, 1},
      {"12" + deg + " 75'", true, 0, -1, 1},        // minutes beyond 60
      {"12" + deg + " 5' 60.5\"", true, 0, -1, 1},  // seconds beyond 60
      {"- 12" + deg, false, 0, -1, 1},
      {"abc", false, 0, -1, 1},
      {"", false, 0, -1, 1},
  };
  for (const auto& c : cases) {
    std::int32_t pos = 1, format = 99;
    EXPECT_NEAR(ScanDegrees(c.Text, pos, c.SignRequired, format), c.Value, kTol1e12) << c.Text;
    EXPECT_EQ(format, c.Format) << c.Text;
    EXPECT_EQ(pos, c.EndPos) << c.Text;
  }
}

// --- date and time --------------------------------------------------------------------------

struct DateCase {
  std::string Text;
  std::string_view Format;
  TLanguage Language;
  double Expected;  // 0 with an unmoved position for a failed scan
  std::int32_t EndPos;
};

TEST(ScanDateTimeTest, FormatsNamesAndValidation) {
  using enum TLanguage;
  constexpr double kMar15 = 45366;  // 2024-03-15 as days since 1899-12-30
  const DateCase cases[] = {
      {"2024-03-15", "yyyy-mm-dd", lanEnglish, kMar15, 11},
      {"15.03.2024 14:30", "dd.mm.yyyy hh:mm", lanEnglish, kMar15 + 14.5 / 24, 17},
      {"5.3.2024", "d.m.yyyy", lanEnglish, kMar15 - 10, 9},
      {"15 M\xC3\xA4rz 2024", "d mmmm yyyy", lanGerman, kMar15, 14},
      {"15 mar 2024", "d mmm yyyy", lanEnglish, kMar15, 12},
      {"March 15, 2024", "mmm d, yyyy", lanEnglish, kMar15, 15},
      {"Fri, 15 Mar 2024 08:05:09", "ddd, d mmm yyyy hh:nn:ss", lanEnglish,
       kMar15 + (8 * 3600 + 5 * 60 + 9) / 86400.0, 26},
      {"Freitag 15. Okt 2021", "dddd d. mmm yyyy", lanGerman, 44484, 21},
      {"2:30 pm", "h:nn am/pm", lanEnglish, 14.5 / 24, 8},
      {"12:00 AM", "hh:nn AM/PM", lanEnglish, 0, 9},
      {"12:00 pm", "hh:nn am/pm", lanEnglish, 0.5, 9},
      {"12:30:15.5", "hh:nn:ss.z", lanEnglish, (12 * 3600 + 30 * 60 + 15.5) / 86400, 11},
      {"1899-12-29 06:00", "yyyy-mm-dd hh:nn", lanEnglish, -1.25, 17},
      {"2024-02-29", "yyyy-mm-dd", lanEnglish, 45351, 11},
      {"15/03/75", "dd/mm/yy", lanEnglish, 27468, 9},
      {"15/03/24", "dd/mm/yy", lanEnglish, kMar15, 9},
      {"20240315T1430", "yyyymmdd'T'hhnn", lanEnglish, kMar15 + 14.5 / 24, 14},
      {"Date:  2024-03-15 rest", "\"date:\" yyyy-mm-dd", lanEnglish, kMar15, 18},
      // failures
      {"2023-02-29", "yyyy-mm-dd", lanEnglish, 0, 1},
      {"2024-13-01", "yyyy-mm-dd", lanEnglish, 0, 1},
      {"0000-01-01", "yyyy-mm-dd", lanEnglish, 0, 1},
      {"15.03.", "dd.mm.", lanEnglish, 0, 1},          // no year
      {"24:00", "hh:nn", lanEnglish, 0, 1},
      {"12:60", "hh:nn", lanEnglish, 0, 1},
      {"13:00 pm", "hh:nn am/pm", lanEnglish, 0, 1},
      {"15 Mrz 2024", "d mmm yyyy", lanEnglish, 0, 1},
      {"2024/03/15", "yyyy-mm-dd", lanEnglish, 0, 1},
      {"2024-03-15", "", lanEnglish, 0, 1},
      {"", "yyyy", lanEnglish, 0, 1},
  };
  for (const auto& c : cases) {
    std::int32_t pos = 1;
    EXPECT_NEAR(ScanDateTime(c.Text, c.Format, c.Language, pos), c.Expected, kTol1e12) << c.Text;
    EXPECT_EQ(pos, c.EndPos) << c.Text;
  }
}

TEST(ScanDateTimeTest, StartsAtTheGivenPosition) {
  std::int32_t pos = 7;
  EXPECT_EQ(ScanDateTime("Start 2024-03-15;", "yyyy-mm-dd", TLanguage::lanEnglish, pos), 45366.0);
  EXPECT_EQ(pos, 17);
  pos = 40;
  EXPECT_EQ(ScanDateTime("Start 2024-03-15;", "yyyy-mm-dd", TLanguage::lanEnglish, pos), 0.0);
  EXPECT_EQ(pos, 40);
}


// --- every scanner on hostile text -------------------------------------------------------

TEST(ScannerSafetyTest, RandomTextNeverMovesBackOrPastTheEnd) {
  // Exactly sized buffers, so that the sanitizer build sees any read past
  // the end; the alphabet is the scanners' own characters.
  static constexpr std::string_view kAlphabet = "0123456789+-.,eExXob$ \t'\":\xC2\xB0" "amdyhnsTz";
  std::mt19937 gen(12345);
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1), length(0, 24);
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<char> buf(length(gen));
    for (char& c : buf) c = kAlphabet[pick(gen)];
    const std::string_view text(buf.data(), buf.size());
    const auto size = static_cast<std::int32_t>(buf.size());
    for (std::int32_t start = 0; start <= size + 1; ++start) {
      std::int32_t pos[8], format = 0;
      for (auto& p : pos) p = start;
      ScanDecimal(text, pos[0]);
      ScanHex(text, pos[1]);
      ScanOctal(text, pos[2]);
      ScanBin(text, pos[3]);
      const double fp = ScanFPNum(text, true, 2, pos[4]);
      const double deg = ScanDegrees(text, pos[5], false, format);
      ScanDateTime(text, "d.m.yy h:n:s.z am/pm", TLanguage::lanEnglish, pos[6]);
      ScanDateTime(text, "dd mmm yyyy", TLanguage::lanGerman, pos[7]);
      for (std::int32_t p : pos) {
        EXPECT_TRUE(p == start || (p > std::max(start, 1) && p <= size + 1)) << text << " at " << start;
      }
      EXPECT_TRUE(std::isfinite(fp) && std::isfinite(deg)) << text;
      EXPECT_EQ(format == -1, pos[5] == start) << text;
    }
    (void)IsValidDouble(text, true, TDecPSep::dsBoth);
    (void)IsValidHex(text);
    (void)StrToIntDefault(text, 0);
  }
}

}  // namespace
}  // namespace kvl
