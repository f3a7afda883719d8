#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "kvl/base/KVL_dstruct.h"

namespace kvl {
namespace {

// A plain reference model of a bit field.
std::vector<bool> Bits(const TBitFld& f) {
  std::vector<bool> v(static_cast<std::size_t>(f.Size()));
  for (std::int32_t i = 0; i < f.Size(); ++i) v[static_cast<std::size_t>(i)] = f.GetBit(i);
  return v;
}

TBitFld RandomField(std::int32_t n, std::mt19937& gen) {
  TBitFld f(n);
  for (std::int32_t i = 0; i < n; ++i) f.SetBit(i, gen() & 1u);
  return f;
}

TEST(TBitFldTest, IndicesOutsideTheFieldReadFalseAndIgnoreWrites) {
  for (const std::int32_t n : {0, 1, 63, 64, 65, 130}) {
    TBitFld f(n);
    EXPECT_EQ(f.Size(), n);
    for (const std::int32_t ix : {-1, n, n + 1, 1 << 30}) {
      f.SetBit(ix, true);
      EXPECT_FALSE(f.GetBit(ix)) << n << " " << ix;
    }
    EXPECT_EQ(f.CountTrueBits(), 0) << n;
    EXPECT_EQ(f.FirstTrueBit(), -1) << n;
  }
  TBitFld neg(-5);
  EXPECT_EQ(neg.Size(), 0);
  neg.SetSize(-1);
  EXPECT_EQ(neg.Size(), 0);
}

TEST(TBitFldTest, ResizeKeepsCommonBitsAndNeverRevivesCutOnes) {
  TBitFld f(130);
  for (const std::int32_t ix : {0, 63, 64, 100, 129}) f.SetBit(ix);
  f.SetSize(65);
  EXPECT_EQ(f.CountTrueBits(), 3);  // 0, 63, 64
  f.SetSize(200);
  EXPECT_EQ(f.CountTrueBits(), 3);  // 100 and 129 were cut and stay false
  EXPECT_FALSE(f.GetBit(100));
  EXPECT_FALSE(f.GetBit(129));
  f.SetBit(64, false);
  EXPECT_EQ(f.FirstTrueBit(1), 63);
  f.Clear();
  EXPECT_EQ(f.Size(), 200);
  EXPECT_EQ(f.CountTrueBits(), 0);
}

TEST(TBitFldTest, InvertStaysInsideTheField) {
  for (const std::int32_t n : {0, 1, 63, 64, 70, 128}) {
    TBitFld f(n);
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), n) << n;
    f.SetSize(n + 10);  // the new bits must be false, not leftovers of the inversion
    EXPECT_EQ(f.CountTrueBits(), n) << n;
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), 10) << n;
    EXPECT_EQ(f.FirstTrueBit(), n) << n;
  }
}

TEST(TBitFldTest, FirstTrueBitSearchesFromStartAcrossWords) {
  TBitFld f(300);
  f.SetBit(5);
  f.SetBit(64);
  f.SetBit(299);
  struct Case {
    std::int32_t Start, Expected;
  };
  for (const Case c : {Case{-7, 5}, Case{0, 5}, Case{5, 5}, Case{6, 64}, Case{65, 299}, Case{299, 299},
                       Case{300, -1}, Case{1000, -1}}) {
    EXPECT_EQ(f.FirstTrueBit(c.Start), c.Expected) << c.Start;
  }
}

TEST(TBitFldTest, CloneIsIndependent) {
  TBitFld f(10);
  f.SetBit(3);
  TBitFld g = f.Clone();
  EXPECT_EQ(g, f);
  g.SetBit(4);
  EXPECT_FALSE(f.GetBit(4));
  EXPECT_NE(g, f);
}

struct CombineCase {
  TLogicOp Op;
  bool (*Expected)(bool, bool);
  const char* Name;
};

class TBitFldCombineTest : public ::testing::TestWithParam<CombineCase> {};

// Compares CombineWith with the bitwise rule on random fields of many sizes,
// equal and different, across word boundaries.
TEST_P(TBitFldCombineTest, MatchesTheRuleBitByBit) {
  const CombineCase& c = GetParam();
  std::mt19937 gen(1234);
  for (const std::int32_t n : {0, 1, 7, 64, 65, 150}) {
    for (const std::int32_t m : {0, 3, 64, 100, 200}) {
      TBitFld a = RandomField(n, gen);
      const TBitFld b = RandomField(m, gen);
      const std::vector<bool> before = Bits(a);
      a.CombineWith(b, c.Op);
      ASSERT_EQ(a.Size(), n);
      std::int32_t count = 0;
      for (std::int32_t i = 0; i < n; ++i) {
        const bool want = c.Expected(before[static_cast<std::size_t>(i)], b.GetBit(i));
        EXPECT_EQ(a.GetBit(i), want) << c.Name << " n=" << n << " m=" << m << " i=" << i;
        count += want;
      }
      EXPECT_EQ(a.CountTrueBits(), count) << c.Name << " n=" << n << " m=" << m;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllOps, TBitFldCombineTest,
    ::testing::Values(CombineCase{TLogicOp::loAnd, [](bool a, bool b) { return a && b; }, "And"},
                      CombineCase{TLogicOp::loOr, [](bool a, bool b) { return a || b; }, "Or"},
                      CombineCase{TLogicOp::loXor, [](bool a, bool b) { return a != b; }, "Xor"},
                      CombineCase{TLogicOp::loAndNot, [](bool a, bool b) { return a && !b; }, "AndNot"},
                      CombineCase{TLogicOp::loOrNot, [](bool a, bool b) { return a || !b; }, "OrNot"},
                      CombineCase{TLogicOp::loXorNot, [](bool a, bool b) { return a == b; }, "XorNot"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TBitFldTest, CombineWithUnknownOpChangesNothing) {
  TBitFld a(5), b(5);
  a.SetBit(1);
  b.SetBit(2);
  const TBitFld before = a;
  a.CombineWith(b, static_cast<TLogicOp>(42));
  EXPECT_EQ(a, before);
}

}  // namespace
}  // namespace kvl
