#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(FillTest, WholeArrayAndRange) {
  TInt3DArray a(2, TInt2DArray(3, TIntArray(4, 0)));
  ASSERT_EQ(FillArray(a, 7), 0);
  EXPECT_EQ(a[1][2][3], 7);
  ASSERT_EQ(FillArray(a, 1, 1, 1, 2, 1, 2, 3), 0);  // lows (1,1,2), highs (1,2,3)
  int ones = 0;
  detail::ForEachElem(a, [&](const auto& ix, int x) {
    const bool inside = ix[0] == 1 && ix[1] >= 1 && ix[2] >= 2;
    EXPECT_EQ(x, inside ? 1 : 7);
    ones += x == 1;
  });
  EXPECT_EQ(ones, 4);
}

TEST(FillTest, RangeCodes) {
  TDouble2DArray a(2, TDoubleArray(3, 0.0));
  const TDouble2DArray before = a;
  EXPECT_EQ(FillArray(a, 1.0, 0, 0, 1, 3), -2);   // row 3 does not exist
  EXPECT_EQ(FillArray(a, 1.0, 1, 0, 0, 2), -2);   // high column below low
  EXPECT_EQ(FillArray(a, 1.0, -1, 0, 1, 2), -2);
  EXPECT_EQ(a, before);
  TDoubleArray empty;
  EXPECT_EQ(FillArray(empty, 1.0), -1);
  EXPECT_EQ(FillArray(empty, 1.0, 0, 0), -1);
  TDoubleArray v(5, 0.0);
  ASSERT_EQ(FillArray(v, 2.0, 3, 3), 0);
  EXPECT_EQ(v, (TDoubleArray{0, 0, 0, 2, 0}));
}

TEST(FillSerialTest, CellsAreNumberedOuterIndexSlowest) {
  TDouble2DArray a(2, TDoubleArray(3));
  ASSERT_EQ(FillArraySerial(a, 10, 0.5), 0);
  EXPECT_EQ(a, (TDouble2DArray{{10, 10.5, 11}, {11.5, 12, 12.5}}));
  TInt4DArray b(2, TInt3DArray(2, TInt2DArray(3, TIntArray(2))));
  ASSERT_EQ(FillArraySerial(b), 0);
  EXPECT_EQ(b[0][0][0][1], 1);
  EXPECT_EQ(b[0][0][1][0], 2);
  EXPECT_EQ(b[0][1][0][0], 6);
  EXPECT_EQ(b[1][0][0][0], 12);
  EXPECT_EQ(b[1][1][2][1], 23);
  TDouble3DArray c(2, TDouble2DArray(2, TDoubleArray(2)));
  ASSERT_EQ(FillArraySerial(c, 1, -1), 0);
  EXPECT_EQ(c, (TDouble3DArray{{{1, 0}, {-1, -2}}, {{-3, -4}, {-5, -6}}}));
  TIntArray empty;
  EXPECT_EQ(FillArraySerial(empty), -1);
}

TEST(FillSerialTest, ValuesAreComputedNotAccumulated) {
  TDoubleArray a(1001);
  ASSERT_EQ(FillArraySerial(a, 0.0, 0.1), 0);
  EXPECT_EQ(a[1000], 1000 * 0.1);  // a running sum of 0.1 would drift
}

TEST(FillSerialTest, ColumnViewIsNumberedInStorageOrder) {
  std::vector<double> storage(6, -1.0);
  ASSERT_EQ(FillArraySerial(TColumnView<double>(storage.data(), 2, 3), 5, 2), 0);
  EXPECT_EQ(storage, (std::vector<double>{5, 7, 9, 11, 13, 15}));
  ASSERT_EQ(FillArraySerial(TColumnView<double>(storage.data(), 3, 2)), 0);
  EXPECT_EQ(storage, (std::vector<double>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(FillArraySerial(TColumnView<double>(storage.data(), 2, 0)), -1);
}

TEST(FillDiagTest, DiagonalOfTwoToFourDimensions) {
  TDouble2DArray a(3, TDoubleArray(3, 9.0));
  ASSERT_EQ(FillDiagArray(a, 2.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{2, 0, 0}, {0, 2, 0}, {0, 0, 2}}));
  TInt3DArray b(2, TInt2DArray(2, TIntArray(2, 9)));
  ASSERT_EQ(FillDiagArray(b, 4), 0);
  EXPECT_EQ(b, (TInt3DArray{{{4, 0}, {0, 0}}, {{0, 0}, {0, 4}}}));
  TDouble4DArray c(2, TDouble3DArray(2, TDouble2DArray(2, TDoubleArray(3, 9.0))));
  const TDouble4DArray before = c;
  EXPECT_EQ(FillDiagArray(c, 1.0), -2);
  EXPECT_EQ(c, before);
  TInt2DArray empty;
  EXPECT_EQ(FillDiagArray(empty, 1), -1);
}

// --- random fills --------------------------------------------------------------
// They reseed from the clock on every call, so a test cannot fix their
// sequence: the tests check what holds for every seed (limits, distinctness,
// shapes of the draws) over many calls, and that a seed set beforehand has no
// effect. ShuffleArray continues the sequence, so its tests seed it.

TEST(RandomFillTest, StatusCodes) {
  TIntArray empty;
  TIntArray a(4);
  EXPECT_EQ(FillRandomUniform(empty, 1, 3, false), -1);
  EXPECT_EQ(FillRandomUniform(a, 3, 1, true), -2);
  EXPECT_EQ(FillRandomUniform(a, 1, 3, false), -3);
  TIntArray one(1);
  EXPECT_EQ(FillRandomUniform(one, 1, 1000001, false), -4);
  EXPECT_EQ(FillRandomUniform(one, 1, 1000000, false), 0);
  EXPECT_EQ(FillRandomUniform(a, 1, 3, true), 0);  // duplicates allowed: no -3
  TDoubleArray d(3);
  EXPECT_EQ(FillRandomUniform(d, 2.0, 1.0), -2);
  EXPECT_EQ(FillRandomNormal(d, 0.0, -1.0), -2);
  EXPECT_EQ(FillRandomNormal(d, 0.0, std::nan("")), -2);
  TDouble2DArray e;
  EXPECT_EQ(FillRandomNormal(e, 0.0, 1.0), -1);
}

TEST(RandomFillTest, IntegerDrawsStayBelowHigh) {
  TInt2DArray a(50, TIntArray(40));
  std::set<int> seen;
  ASSERT_EQ(FillRandomUniform(a, -1, 2), 0);
  detail::ForEachElem(a, [&](int x) { seen.insert(x); });
  EXPECT_EQ(seen, (std::set<int>{-1, 0, 1}));  // 2000 draws: each value appears
  TIntArray same(5);
  ASSERT_EQ(FillRandomUniform(same, 7, 7), 0);
  EXPECT_EQ(same, TIntArray(5, 7));
  TIntArray wide(1000);
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
  ASSERT_EQ(FillRandomUniform(wide, lo, hi), 0);  // the full width must not overflow
  EXPECT_TRUE(std::all_of(wide.begin(), wide.end(), [&](int x) { return x < hi; }));
  ASSERT_EQ(FillRandomUniform(wide, lo, hi, true), 0);
}

TEST(RandomFillTest, DoubleDrawsLieInTheHalfOpenRange) {
  TDouble3DArray a(10, TDouble2DArray(10, TDoubleArray(10)));
  ASSERT_EQ(FillRandomUniform(a, -2.0, 3.0), 0);
  double lo = 1e9, hi = -1e9;
  detail::ForEachElem(a, [&](double x) {
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  });
  EXPECT_GE(lo, -2.0);
  EXPECT_LT(lo, -1.9);  // 1000 draws reach the ends
  EXPECT_LT(hi, 3.0);
  EXPECT_GT(hi, 2.9);
}

TEST(RandomFillTest, NormalDrawsHaveTheRequestedMoments) {
  // 40000 draws: the standard error of the mean is 2 / 200 = 0.01.
  TDouble2DArray a(200, TDoubleArray(200));
  ASSERT_EQ(FillRandomNormal(a, 3.0, 2.0), 0);
  long double s = 0, s2 = 0;
  detail::ForEachElem(a, [&](double x) {
    s += x;
    s2 += x * x;
  });
  const double n = 40000, mean = static_cast<double>(s / n);
  constexpr double kSampleTol = 0.06;  // 6 standard errors
  EXPECT_NEAR(mean, 3.0, kSampleTol);
  EXPECT_NEAR(std::sqrt(static_cast<double>((s2 - s * s / n) / (n - 1))), 2.0, kSampleTol);
  TDoubleArray flat(4);
  ASSERT_EQ(FillRandomNormal(flat, 1.5, 0.0), 0);
  EXPECT_EQ(flat, TDoubleArray(4, 1.5));
}

TEST(RandomFillTest, EveryCallReseedsFromTheClock) {
  TDoubleArray a(20), b(20);
  RandSeed = 42;
  ASSERT_EQ(FillRandomUniform(a, 0.0, 1.0), 0);
  RandSeed = 42;
  ASSERT_EQ(FillRandomUniform(b, 0.0, 1.0), 0);
  EXPECT_NE(a, b);  // the same seed before both calls does not repeat the draws
}

TEST(RandomFillTest, DistinctDrawsAreDistinctAndUnbiased) {
  for (int trial = 0; trial < 50; ++trial) {
    TIntArray all(10);
    ASSERT_EQ(FillRandomUniform(all, 1, 10, false), 0);
    std::sort(all.begin(), all.end());
    TIntArray expect(10);
    for (int i = 0; i < 10; ++i) expect[i] = i + 1;
    ASSERT_EQ(all, expect);
    TIntArray some(6);
    ASSERT_EQ(FillRandomUniform(some, -20, -5, false), 0);
    ASSERT_EQ(std::set<int>(some.begin(), some.end()).size(), 6u);
    ASSERT_TRUE(std::all_of(some.begin(), some.end(), [](int x) { return x >= -20 && x <= -5; }));
  }
  // Each value can come first: one draw from 1..2, 400 times, gives both
  // (a cyclic shuffle of the list would never put 1 first).
  int firsts[3] = {0, 0, 0};
  for (int trial = 0; trial < 400; ++trial) {
    TIntArray one(1);
    ASSERT_EQ(FillRandomUniform(one, 1, 2, false), 0);
    ++firsts[one[0]];
  }
  EXPECT_GT(firsts[1], 100);
  EXPECT_GT(firsts[2], 100);
}

// The permutation i -> position of element i after the shuffle must be one
// single cycle through all n places.
bool IsOneCycle(const TIntArray& shuffled) {
  const std::size_t n = shuffled.size();
  std::size_t at = 0, steps = 0;
  do {
    at = static_cast<std::size_t>(shuffled[at]);
    ++steps;
  } while (at != 0 && steps <= n);
  return steps == n;
}

TEST(ShuffleTest, SeededShuffleIsARepeatableSingleCycle) {
  for (std::int32_t seed : {0, 1, 42, 123456789, -5}) {
    TIntArray a(12);
    for (int i = 0; i < 12; ++i) a[i] = i;
    RandSeed = seed;
    ASSERT_EQ(ShuffleArray(a), 0);
    EXPECT_TRUE(IsOneCycle(a)) << "seed " << seed;
    for (int i = 0; i < 12; ++i) EXPECT_NE(a[i], i);
    TIntArray b(12);
    for (int i = 0; i < 12; ++i) b[i] = i;
    RandSeed = seed;
    ShuffleArray(b);
    EXPECT_EQ(a, b);  // no reseeding: the caller's seed decides
  }
}

TEST(ShuffleTest, TwoElementsAlwaysSwapAndShortArraysAreRefused) {
  for (std::int32_t seed = 0; seed < 20; ++seed) {
    RandSeed = seed * 7919;
    TDoubleArray a = {1.5, 2.5};
    ASSERT_EQ(ShuffleArray(a), 0);
    EXPECT_EQ(a, (TDoubleArray{2.5, 1.5}));
  }
  TDoubleArray one = {1};
  TIntArray none;
  EXPECT_EQ(ShuffleArray(one), -1);
  EXPECT_EQ(ShuffleArray(none), -1);
}

TEST(ResampleTest, StatusCodes) {
  const TDouble2DArray src(4, TDoubleArray(5, 1.0));
  // The caller passes allocated arrays; an empty one is a null array.
  TDouble2DArray dest(1), noDest;
  TIntArray ci(1), ri(1), noIx;
  EXPECT_EQ(Resample2DArray(TDouble2DArray{}, dest, 50, 50, false, ci, ri), -3);
  EXPECT_EQ(Resample2DArray(src, noDest, 50, 50, false, ci, ri), -4);
  EXPECT_EQ(Resample2DArray(src, dest, 50, 50, false, noIx, ri), -5);
  EXPECT_EQ(Resample2DArray(src, dest, 50, 50, false, ci, noIx), -5);
  EXPECT_EQ(Resample2DArray(src, dest, 101, 50, false, ci, ri), -1);
  EXPECT_EQ(Resample2DArray(src, dest, 10, 50, false, ci, ri), -1);  // round(0.4) = 0 columns
  EXPECT_EQ(Resample2DArray(src, dest, std::nan(""), 50, false, ci, ri), -1);
  EXPECT_EQ(Resample2DArray(src, dest, 50, 100.5, false, ci, ri), -2);
  EXPECT_EQ(Resample2DArray(src, dest, 50, -20, false, ci, ri), -2);
  EXPECT_EQ(dest, TDouble2DArray(1));  // untouched
}

TEST(ResampleTest, SelectsTheIndexedCells) {
  TDouble2DArray src(6, TDoubleArray(8));
  FillArraySerial(src);  // cell (c, r) holds 8c + r
  for (int trial = 0; trial < 20; ++trial) {
    TDouble2DArray dest = {{1}};
    TIntArray ci = {0}, ri = {0};
    ASSERT_EQ(Resample2DArray(src, dest, 50, 50, false, ci, ri), 0);
    ASSERT_EQ(ci.size(), 3u);
    ASSERT_EQ(ri.size(), 4u);
    EXPECT_EQ(std::set<int>(ci.begin(), ci.end()).size(), 3u);
    EXPECT_EQ(std::set<int>(ri.begin(), ri.end()).size(), 4u);
    ASSERT_EQ(dest.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      ASSERT_GE(ci[i], 1);
      ASSERT_LE(ci[i], 6);
      ASSERT_EQ(dest[i].size(), 4u);
      for (std::size_t j = 0; j < 4; ++j) {
        ASSERT_GE(ri[j], 1);
        ASSERT_LE(ri[j], 8);
        EXPECT_EQ(dest[i][j], 8.0 * (ci[i] - 1) + (ri[j] - 1));
      }
    }
  }
}

TEST(ResampleTest, AllColumnsKeepTheirOrderAndDestMayBeSrc) {
  TDouble2DArray a(3, TDoubleArray(100));
  FillArraySerial(a);
  const TDouble2DArray src = a;
  TIntArray ci(1), ri(1);
  ASSERT_EQ(Resample2DArray(a, a, 100, 100, true, ci, ri), 0);
  EXPECT_EQ(ci, (TIntArray{1, 2, 3}));
  ASSERT_EQ(ri.size(), 100u);
  EXPECT_LT(std::set<int>(ri.begin(), ri.end()).size(), 100u);  // 100 draws of 100 repeat some
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 100; ++j) ASSERT_EQ(a[i][j], src[i][ri[j] - 1]);
}

}  // namespace
}  // namespace kvl
