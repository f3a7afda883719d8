#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kvl/core/KVL_math1.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// A repeatable array of n values drawn from {0, ..., Range - 1}, so that
// small ranges give many duplicates.
std::vector<double> DrawValues(std::size_t n, std::int32_t Range, std::int32_t Seed) {
  RandSeed = Seed;
  std::vector<double> v(n);
  for (double& x : v) x = Random(Range);
  return v;
}

// --- SelectPositions ---------------------------------------------------------

TEST(SelectPositionsTest, SelectedPositionsHoldTheSortedValues) {
  struct Case {
    std::size_t N;
    std::int32_t Range;
    std::vector<std::size_t> Positions;  // ascending, repeats allowed
  };
  const Case cases[] = {{1, 5, {0}},
                        {2, 2, {0, 0, 0, 1, 1, 1}},
                        {9, 3, {1, 2, 4, 5, 6, 7}},
                        {100, 1000, {0, 24, 25, 49, 50, 74, 75, 99}},
                        {257, 4, {63, 64, 128, 128, 192, 193}},
                        {1000, 1 << 30, {998, 999}},
                        {20000, 7, {4999, 5000, 9999, 10000, 14999, 15000}},  // sampled selection, ties
                        {50000, 1 << 30, {47499, 47500}}};
  for (const Case& c : cases) {
    for (bool descending : {false, true}) {
      std::vector<double> data = DrawValues(c.N, c.Range, static_cast<std::int32_t>(c.N) + descending);
      std::vector<double> sorted = data;
      if (descending)
        std::ranges::sort(sorted, std::greater<>());
      else
        std::ranges::sort(sorted);
      if (descending)
        detail::SelectPositions(std::span<double>(data), std::span<const std::size_t>(c.Positions),
                                std::greater<>());
      else
        detail::SelectPositions(std::span<double>(data), std::span<const std::size_t>(c.Positions));
      for (std::size_t p : c.Positions) EXPECT_EQ(data[p], sorted[p]) << "n=" << c.N << " position " << p;
      std::ranges::sort(data);
      std::ranges::sort(sorted);
      EXPECT_EQ(data, sorted) << "selection must only reorder";
    }
  }
}

TEST(SelectNthTest, OrderedAndPatternedInputsGiveTheSortedValue) {
  // Patterns that defeat naive pivots, above and below the sampling size.
  for (std::size_t n : {5u, 601u, 4000u, 30001u}) {
    std::vector<std::vector<double>> inputs(5, std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
      inputs[0][i] = static_cast<double>(i);                   // sorted
      inputs[1][i] = static_cast<double>(n - i);               // reversed
      inputs[2][i] = 1.0;                                      // all equal
      inputs[3][i] = static_cast<double>(std::min(i, n - i));  // organ pipe
      inputs[4][i] = static_cast<double>(i % 3);               // few distinct values
    }
    for (const auto& input : inputs) {
      std::vector<double> sorted = input;
      std::ranges::sort(sorted);
      for (std::size_t k : {std::size_t{0}, n / 4, n / 2, n - 1}) {
        std::vector<double> data = input;
        detail::SelectNth(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(k), data.end());
        ASSERT_EQ(data[k], sorted[k]) << "n=" << n << " k=" << k;
        EXPECT_TRUE(std::all_of(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(k),
                                [&](double x) { return x <= data[k]; }));
        EXPECT_TRUE(std::all_of(data.begin() + static_cast<std::ptrdiff_t>(k), data.end(),
                                [&](double x) { return x >= data[k]; }));
      }
    }
  }
}

// --- QuickSelect -------------------------------------------------------------

TEST(QuickSelectTest, EveryRankOfRandomArraysMatchesSortedOrder) {
  for (const std::int32_t range : {3, 1000}) {
    for (const std::size_t n : {1u, 2u, 7u, 50u}) {
      const std::vector<double> original = DrawValues(n, range, 17 + static_cast<std::int32_t>(n));
      std::vector<double> sorted = original;
      std::sort(sorted.begin(), sorted.end());
      for (std::size_t k = 0; k < n; ++k) {
        std::vector<double> data = original;
        const auto hi = static_cast<std::int32_t>(n) - 1;
        EXPECT_EQ(QuickSelect(data, static_cast<std::int32_t>(k), 0, hi), sorted[k])
            << "n=" << n << " k=" << k;
        std::sort(data.begin(), data.end());
        EXPECT_EQ(data, sorted) << "QuickSelect must only reorder";
      }
    }
  }
}

TEST(QuickSelectTest, SubRangeLeavesTheRestAlone) {
  std::vector<double> data{9, 8, 5, 1, 4, 2, 0, -1};
  // Data[2..5] = 5, 1, 4, 2 -> sorted 1, 2, 4, 5; index 4 is the third.
  EXPECT_EQ(QuickSelect(data, 4, 2, 5), 4.0);
  EXPECT_EQ(data[0], 9.0);
  EXPECT_EQ(data[1], 8.0);
  EXPECT_EQ(data[6], 0.0);
  EXPECT_EQ(data[7], -1.0);
}

TEST(QuickSelectTest, AllEqualValuesAreReturnedWithoutMoving) {
  // Equal values of distinct sign: -0.0 == 0.0, so any move would show.
  std::vector<double> data{0.0, -0.0, 0.0, -0.0, 0.0};
  const std::vector<double> before = data;
  const double r = QuickSelect(data, 3, 0, 4);
  EXPECT_EQ(r, 0.0);
  EXPECT_FALSE(std::signbit(r));
  EXPECT_EQ(std::memcmp(data.data(), before.data(), sizeof(double) * data.size()), 0);
}

TEST(QuickSelectTest, EmptyOrInvalidRangeGivesZeroAndLeavesDataAlone) {
  std::vector<double> data{3, 2, 1};
  const std::vector<double> before = data;
  EXPECT_EQ(QuickSelect(data, 0, 2, 1), 0.0);   // Hi < Lo
  EXPECT_EQ(QuickSelect(data, 1, 0, 3), 0.0);   // Hi beyond the data
  EXPECT_EQ(QuickSelect(data, 0, -1, 2), 0.0);  // Lo below the data
  EXPECT_EQ(QuickSelect(data, 2, 0, 1), 0.0);   // K outside Lo..Hi
  EXPECT_EQ(data, before);
}

struct ExcludeCase {
  std::vector<double> Data;
  std::int32_t K, Lo, Hi;
  double Exclude;
  double Expected;
};

TEST(QuickSelectTest, ExcludeOverloadRanksAroundTheExcludedValue) {
  const std::vector<ExcludeCase> cases{
      {{5, 0, 3, 0, 1}, 0, 0, 4, 0.0, 0.0},  // sorted 0 0 1 3 5
      {{5, 0, 3, 0, 1}, 1, 0, 4, 0.0, 0.0},
      {{5, 0, 3, 0, 1}, 2, 0, 4, 0.0, 1.0},
      {{5, 0, 3, 0, 1}, 4, 0, 4, 0.0, 5.0},
      {{9, 1, 9, 2}, 1, 0, 3, 9.0, 2.0},  // sorted 1 2 9 9
      {{9, 1, 9, 2}, 2, 0, 3, 9.0, 9.0},
      {{7, 7, 7}, 1, 0, 2, 7.0, 7.0},  // everything excluded
      // Sub-range 4 0 6 0 2 -> 0 0 2 4 6 at absolute indices 1..5.
      {{100, 4, 0, 6, 0, 2, -100}, 4, 1, 5, 0.0, 4.0},
      {{100, 4, 0, 6, 0, 2, -100}, 2, 1, 5, 0.0, 0.0},
      {{100, 4, 0, 6, 0, 2, -100}, 3, 1, 5, 0.0, 2.0},
  };
  for (const ExcludeCase& c : cases) {
    const std::vector<double> before = c.Data;
    EXPECT_EQ(QuickSelect(c.Data, c.K, c.Lo, c.Hi, c.Exclude), c.Expected) << "K=" << c.K;
    EXPECT_EQ(c.Data, before);
  }
  EXPECT_EQ(QuickSelect(std::vector<double>{1, 2}, 0, 1, 0, 5.0), 0.0);
}

// --- SortSwap ------------------------------------------------------------------

TEST(SortSwapTest, ExchangesUnlessAlreadyInOrder) {
  struct Case {
    double A, B;
    bool Ascending, Swapped;
  };
  for (const Case& c : {Case{1, 2, true, false}, Case{1, 2, false, true}, Case{2, 1, true, true},
                        Case{2, 1, false, false}, Case{1, 1, true, true}, Case{1, 1, false, true}}) {
    double a = c.A, b = c.B;
    EXPECT_EQ(SortSwap(a, b, c.Ascending), c.Swapped) << c.A << "," << c.B << "," << c.Ascending;
    EXPECT_EQ(a, c.Swapped ? c.B : c.A);
    EXPECT_EQ(b, c.Swapped ? c.A : c.B);
  }
}

// --- SortArray -------------------------------------------------------------------

template <class T>
class SortArrayTypedTest : public ::testing::Test {};
using SortElementTypes = ::testing::Types<double, float, std::int32_t>;
TYPED_TEST_SUITE(SortArrayTypedTest, SortElementTypes);

TYPED_TEST(SortArrayTypedTest, SortsBothDirectionsLikeStdSort) {
  test::ProgressHookGuard guard;
  for (const std::size_t n : {0u, 1u, 2u, 3u, 13u, 100u}) {
    for (const bool ascending : {true, false}) {
      const std::vector<double> drawn = DrawValues(n, 50, 99 + static_cast<std::int32_t>(n));
      std::vector<TypeParam> data(drawn.begin(), drawn.end());
      for (TypeParam& x : data) x = static_cast<TypeParam>(x - 25);
      std::vector<TypeParam> expected = data;
      if (ascending)
        std::sort(expected.begin(), expected.end());
      else
        std::sort(expected.begin(), expected.end(), std::greater<>());
      SortArray(std::span<TypeParam>(data), ascending);
      EXPECT_EQ(data, expected) << "n=" << n << " ascending=" << ascending;
    }
  }
}

TEST(SortArrayTest, ReportsProgressOncePerPass) {
  test::ProgressHookGuard guard;
  std::vector<double> calls;
  MathFeedBackProc = [&](double stat) { calls.push_back(stat); };
  ProcStat = 0.0;
  // Ten sorted values: gaps 7, 5, 3, 2, 1 and no exchange in the last pass.
  std::vector<double> data{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  SortArray(data, true);
  EXPECT_EQ(calls, (std::vector<double>{1, 2, 3, 4, 5}));
  // Reversed, the gap-1 pass exchanges at least once, so there are more.
  calls.clear();
  SortArray(data, false);
  EXPECT_GT(calls.size(), 5u);
  EXPECT_EQ(ProcStat, 5.0 + static_cast<double>(calls.size()));
}

template <class T>
void CheckUntypedSort(TVarKind Kind, std::vector<T> Values) {
  std::vector<T> expected = Values;
  std::sort(expected.begin(), expected.end(), std::greater<>());
  SortArray(std::as_writable_bytes(std::span(Values)), Kind, false);
  EXPECT_EQ(Values, expected) << "kind " << static_cast<int>(Kind);
}

TEST(SortArrayTest, UntypedSortsEveryElementKind) {
  test::ProgressHookGuard guard;
  CheckUntypedSort<std::uint8_t>(TVarKind::vkByte, {3, 200, 0, 255, 7});
  CheckUntypedSort<std::int8_t>(TVarKind::vkShortInt, {3, -100, 0, 127, -128});
  CheckUntypedSort<std::uint16_t>(TVarKind::vkWord, {3, 60000, 0, 7});
  CheckUntypedSort<std::int16_t>(TVarKind::vkSmallInt, {3, -30000, 0, 7});
  CheckUntypedSort<std::uint32_t>(TVarKind::vkCardinal, {3, 4000000000u, 0, 7});
  CheckUntypedSort<std::int32_t>(TVarKind::vkInteger, {3, -2000000000, 0, 7});
  CheckUntypedSort<std::int64_t>(TVarKind::vkInt64, {3, -(std::int64_t{1} << 40), 0, std::int64_t{1} << 50});
  CheckUntypedSort<float>(TVarKind::vkSingle, {3.5f, -1e30f, 0.0f, 7.25f});
  CheckUntypedSort<double>(TVarKind::vkDouble, {3.5, -1e300, 0.0, 7.25});
  CheckUntypedSort<long double>(TVarKind::vkExtended, {3.5L, -1e4000L, 0.0L, 1.0L + 1e-19L, 1.0L});
}

TEST(SortArrayTest, UntypedWorksOnMisalignedBlocksAndIgnoresPartialElements) {
  test::ProgressHookGuard guard;
  const double values[3] = {2.5, -1.0, 9.0};
  alignas(8) std::byte buffer[1 + sizeof values + 3] = {};
  std::memcpy(buffer + 1, values, sizeof values);
  buffer[1 + sizeof values] = std::byte{0x5A};  // a partial trailing element
  SortArray(std::span<std::byte>(buffer + 1, sizeof values + 3), TVarKind::vkDouble, true);
  double sorted[3];
  std::memcpy(sorted, buffer + 1, sizeof sorted);
  EXPECT_EQ(sorted[0], -1.0);
  EXPECT_EQ(sorted[1], 2.5);
  EXPECT_EQ(sorted[2], 9.0);
  EXPECT_EQ(buffer[1 + sizeof values], std::byte{0x5A});
}

TEST(SortArrayTest, UntypedWithUnknownKindChangesNothing) {
  std::vector<std::int32_t> v{3, 1, 2};
  SortArray(std::as_writable_bytes(std::span(v)), static_cast<TVarKind>(99), true);
  EXPECT_EQ(v, (std::vector<std::int32_t>{3, 1, 2}));
}

// --- SortIntoArray / InsertIntoArray ---------------------------------------------

struct SortIntoCase {
  std::vector<double> Data;
  double Value;
  bool Ascending, AllowEqual;
  std::int32_t Position;
  std::vector<double> After;
};

TEST(SortIntoArrayTest, InsertsAtTheFirstPositionNotOnTheNearSide) {
  const std::vector<SortIntoCase> cases{
      {{1, 3, 5, 7}, 4, true, false, 2, {1, 3, 4, 5}},
      {{1, 3, 5, 7}, 0, true, false, 0, {0, 1, 3, 5}},
      {{1, 3, 5, 7}, 7, true, true, 3, {1, 3, 5, 7}},
      {{1, 3, 5, 7}, 8, true, true, -1, {1, 3, 5, 7}},   // beyond the last
      {{1, 3, 5, 7}, 3, true, false, -1, {1, 3, 5, 7}},  // equal refused
      {{1, 3, 5, 7}, 3, true, true, 1, {1, 3, 3, 5}},
      {{7, 5, 3, 1}, 4, false, false, 2, {7, 5, 4, 3}},
      {{7, 5, 3, 1}, 0, false, false, -1, {7, 5, 3, 1}},
      {{7, 5, 3, 1}, 5, false, true, 1, {7, 5, 5, 3}},
      {{}, 1, true, true, -1, {}},
  };
  for (const SortIntoCase& c : cases) {
    std::vector<double> data = c.Data;
    EXPECT_EQ(SortIntoArray(data, c.Value, c.Ascending, c.AllowEqual), c.Position) << "value " << c.Value;
    EXPECT_EQ(data, c.After) << "value " << c.Value;
  }
}

TEST(SortIntoArrayTest, KeepsTheSmallestValuesOfAStream) {
  // The neighbour-list pattern: a fixed list of the k smallest distances
  // with a parallel list of their object indices.
  std::vector<double> best(4, std::numeric_limits<double>::max());
  std::vector<std::int32_t> ids(4, 0);
  const std::vector<double> stream{5, 1, 9, 3, 3, 0.5, 7};
  for (std::size_t i = 0; i < stream.size(); ++i) {
    const std::int32_t pos = SortIntoArray(best, stream[i], true, true);
    if (pos >= 0) InsertIntoArray(ids, static_cast<std::int32_t>(i), pos);
  }
  EXPECT_EQ(best, (std::vector<double>{0.5, 1, 3, 3}));
  EXPECT_EQ(ids, (std::vector<std::int32_t>{5, 1, 4, 3}));
}

TEST(SortIntoArrayTest, TypedIntegerAndSingleMembers) {
  std::vector<std::int32_t> ints{10, 20, 30};
  EXPECT_EQ(SortIntoArray(ints, 15, true, false), 1);
  EXPECT_EQ(ints, (std::vector<std::int32_t>{10, 15, 20}));
  std::vector<float> singles{3.f, 2.f, 1.f};
  EXPECT_EQ(SortIntoArray(singles, 2.f, false, false), -1);
  EXPECT_EQ(SortIntoArray(singles, 2.5f, false, false), 1);
  EXPECT_EQ(singles, (std::vector<float>{3.f, 2.5f, 2.f}));
}

TEST(SortIntoArrayTest, UntypedMembersCompareByTheElementKind) {
  std::vector<std::int16_t> words{-300, -2, 40, 500};
  const std::int16_t v = 39;
  EXPECT_EQ(SortIntoArray(std::as_writable_bytes(std::span(words)), TVarKind::vkSmallInt, &v, true, false),
            2);
  EXPECT_EQ(words, (std::vector<std::int16_t>{-300, -2, 39, 40}));

  std::vector<long double> ext{1.0L, 1.0L + 2e-19L, 2.0L};
  const long double e = 1.0L + 1e-19L;  // between the first two only in extended precision
  EXPECT_EQ(SortIntoArray(std::as_writable_bytes(std::span(ext)), TVarKind::vkExtended, &e, true, false), 1);
  EXPECT_EQ(ext[1], e);

  std::vector<std::uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(SortIntoArray(std::as_writable_bytes(std::span(bytes)), TVarKind::vkByte, nullptr, true, true),
            -1);
  const std::uint8_t b = 2;
  EXPECT_EQ(
      SortIntoArray(std::as_writable_bytes(std::span(bytes)), static_cast<TVarKind>(42), &b, true, true), -1);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3}));

  const std::uint32_t c = 7;
  std::vector<std::uint32_t> cards{1, 2, 3};
  InsertIntoArray(std::as_writable_bytes(std::span(cards)), TVarKind::vkCardinal, &c, 0);
  EXPECT_EQ(cards, (std::vector<std::uint32_t>{7, 1, 2}));
}

TEST(InsertIntoArrayTest, ShiftsTowardsTheEndAndIgnoresPositionsOutside) {
  std::vector<double> d{1, 2, 3};
  InsertIntoArray(d, 9.0, 2);
  EXPECT_EQ(d, (std::vector<double>{1, 2, 9}));
  InsertIntoArray(d, 8.0, 0);
  EXPECT_EQ(d, (std::vector<double>{8, 1, 2}));
  InsertIntoArray(d, 7.0, 3);
  InsertIntoArray(d, 7.0, -1);
  EXPECT_EQ(d, (std::vector<double>{8, 1, 2}));
  std::vector<float> f{1.f, 2.f};
  InsertIntoArray(f, 0.5f, 1);
  EXPECT_EQ(f, (std::vector<float>{1.f, 0.5f}));
}

// --- ExChange ----------------------------------------------------------------------

template <class T>
class ExChangeTypedTest : public ::testing::Test {};
using ExChangeTypes =
    ::testing::Types<std::int32_t, std::uint8_t, float, double, long double, std::string, bool, char16_t,
                     std::uint16_t, std::int8_t, std::uint32_t, std::int64_t>;
TYPED_TEST_SUITE(ExChangeTypedTest, ExChangeTypes);

TYPED_TEST(ExChangeTypedTest, SwapsTheTwoValues) {
  TypeParam a{}, b{};
  if constexpr (std::is_same_v<TypeParam, std::string>) {
    a = "left";
    b = "right";
  } else {
    b = static_cast<TypeParam>(1);
  }
  const TypeParam a0 = a, b0 = b;
  ExChange(a, b);
  EXPECT_EQ(a, b0);
  EXPECT_EQ(b, a0);
}

TEST(ExChangeTest, MemoryBlocksOfAnySize) {
  std::vector<unsigned char> a(1000), b(1000);
  for (std::size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<unsigned char>(i);
    b[i] = static_cast<unsigned char>(255 - i % 256);
  }
  const auto a0 = a, b0 = b;
  ExChange(a.data(), b.data(), 700);  // crosses the internal chunk size
  EXPECT_TRUE(std::equal(a.begin(), a.begin() + 700, b0.begin()));
  EXPECT_TRUE(std::equal(b.begin(), b.begin() + 700, a0.begin()));
  EXPECT_TRUE(std::equal(a.begin() + 700, a.end(), a0.begin() + 700));
  EXPECT_TRUE(std::equal(b.begin() + 700, b.end(), b0.begin() + 700));
  ExChange(nullptr, b.data(), 10);
  ExChange(a.data(), b.data(), 0);
  EXPECT_TRUE(std::equal(b.begin(), b.begin() + 700, a0.begin()));
}

}  // namespace
}  // namespace kvl
