#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;

TEST(PearsonCorrCoeffColsOfArrayTest, ValuesAndDegenerateCases) {
  const TDouble2DArray d = {{1, 2, 3, 4}, {2, 4, 6, 8}, {8, 6, 4, 2}, {5, 5, 5, 5}, {1, 3, 2, 4}};
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(d, 0, 1), 1.0, kTol1e12);
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(d, 0, 2), -1.0, kTol1e12);
  // x = 1 2 3 4, y = 1 3 2 4: Sxy = 4, Sxx = Syy = 5.
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(d, 0, 4), 0.8, kTol1e12);
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(d, 0, 3), 0.0);  // constant column
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(d, 0, 5), 0.0);  // no such column
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(d, -1, 0), 0.0);
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(TDouble2DArray{{1, 2}, {2, 1}}, 0, 1), 0.0);  // fewer than 3 rows
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(TDouble2DArray{}, 0, 0), 0.0);
}

TEST(SumOfSquaredDiffsTest, ValuesAndNegativeCodes) {
  const TDoubleArray a = {1, 2, 3};
  EXPECT_EQ(SumOfSquaredDiffs(a, TDoubleArray{2, 0, 3}), 5.0);
  EXPECT_EQ(SumOfSquaredDiffs(a, TDoubleArray{}), -1.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{}, a), -1.0);
  EXPECT_EQ(SumOfSquaredDiffs(a, TDoubleArray{1, 2}), -2.0);
  const TDouble2DArray m = {{0, 0, 0}, {1, 2, 5}};
  EXPECT_EQ(SumOfSquaredDiffs(a, m, 1), 4.0);
  EXPECT_EQ(SumOfSquaredDiffs(a, m, 2), -3.0);
  EXPECT_EQ(SumOfSquaredDiffs(a, m, -1), -3.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2}, m, 1), -2.0);
  EXPECT_EQ(SumOfSquaredDiffs(a, TDouble2DArray(2), 0), -1.0);
}

TEST(DistanceOfObjectsTest, EveryModeByHand) {
  // Objects are rows: object 0 = (1, 2, 0), object 1 = (3, 0, 4) over three variables.
  const TDouble2DArray d = {{1, 3}, {2, 0}, {0, 4}};
  // sxy = 3, sxx = 5, syy = 25, |x - y| = 2 + 2 + 4, (x - y)^2 = 4 + 4 + 16
  struct Case {
    TDistMode Mode;
    double Dist;
  };
  const Case cases[] = {{TDistMode::dmTanimoto, 3.0 / 27.0},
                        {TDistMode::dmManhattan, 8.0},
                        {TDistMode::dmEuclid, std::sqrt(24.0)},
                        {TDistMode::dmEuclidSqr, 24.0},
                        {TDistMode::dmDice, 6.0 / 30.0}};
  for (const Case& c : cases) {
    double dist = -1;
    EXPECT_EQ(DistanceOfObjects(d, c.Mode, 0, 1, 0, 2, dist), 0);
    EXPECT_NEAR(dist, c.Dist, kTol1e12) << static_cast<int>(c.Mode);
  }
  double dist = -1;
  EXPECT_EQ(DistanceOfObjects(d, TDistMode::dmManhattan, 0, 1, 1, 1, dist), 0);  // variable 1 only
  EXPECT_EQ(dist, 2.0);
}

TEST(DistanceOfObjectsTest, TwoAllZeroObjectsAreNotSimilarAsInTheMatrix) {
  // The similarity quotients would divide 0 by 0: 0, never NaN.
  const TDouble2DArray d = {{0, 0}, {0, 0}};
  for (TDistMode mode : {TDistMode::dmTanimoto, TDistMode::dmDice}) {
    double dist = -1;
    EXPECT_EQ(DistanceOfObjects(d, mode, 0, 1, 0, 1, dist), 0);
    EXPECT_EQ(dist, 0.0) << static_cast<int>(mode);
  }
}

TEST(DistanceOfObjectsTest, TheLastFailingCheckGivesTheCode) {
  const TDouble2DArray d = {{1, 3}, {2, 0}, {0, 4}};
  struct Case {
    const char* Name;
    TDistMode Mode;
    std::int32_t Obj1, Obj2, First, Last, Status;
  };
  const Case cases[] = {
      {"object beyond", TDistMode::dmEuclid, 0, 2, 0, 2, -2},
      {"negative object", TDistMode::dmEuclid, -1, 1, 0, 2, -2},
      {"variable beyond", TDistMode::dmEuclid, 0, 1, 0, 3, -3},
      {"object and variable", TDistMode::dmEuclid, 5, 1, -1, 2, -3},
      {"last below first", TDistMode::dmEuclid, 0, 1, 2, 1, -4},
      {"bad object, reversed", TDistMode::dmEuclid, 9, 1, 2, 1, -4},
      {"Mahalanobis", TDistMode::dmMahalanobis, 0, 1, 0, 2, -1},
      {"everything wrong", TDistMode::dmMahalanobis, 9, 9, 9, 0, -1},
  };
  for (const Case& c : cases) {
    double dist = -1;
    EXPECT_EQ(DistanceOfObjects(d, c.Mode, c.Obj1, c.Obj2, c.First, c.Last, dist), c.Status) << c.Name;
    EXPECT_EQ(dist, 0.0) << c.Name;
  }
  double dist = -1;
  EXPECT_EQ(DistanceOfObjects(TDouble2DArray{}, TDistMode::dmEuclid, 0, 0, 0, 0, dist), -3);
}

TEST(MonotonyTest, Table) {
  struct Case {
    TDoubleArray Data;
    bool Monotone, Strict;
  };
  const Case cases[] = {
      {{}, true, true},
      {{5, 5}, true, true},
      {{1, 2, 2}, true, false},
      {{3, 3, 3}, true, false},
      {{1, 2, 3}, true, true},
      {{3, 2, 1}, true, true},
      {{2, 2, 1, 1, 0}, true, false},
      {{1, 3, 2}, false, false},
      {{3, 3, 4, 2}, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsMonotone(c.Data), c.Monotone) << ::testing::PrintToString(c.Data);
    EXPECT_EQ(IsStrictlyMonotone(c.Data), c.Strict) << ::testing::PrintToString(c.Data);
  }
  EXPECT_TRUE(IsMonotone(TIntArray{9, 7, 7, -1}));
  EXPECT_FALSE(IsStrictlyMonotone(TIntArray{9, 7, 7, -1}));
  EXPECT_TRUE(IsStrictlyMonotone(TIntArray{-3, 0, 8}));
  EXPECT_FALSE(IsMonotone(TIntArray{0, 1, 0}));
}

TEST(IsDichotomousTest, TwoValuesInAscendingOrder) {
  double v1 = -1, v2 = -1;
  EXPECT_TRUE(IsDichotomous(TDoubleArray{5, 2, 5, 2, 2}, v1, v2));
  EXPECT_EQ(v1, 2.0);
  EXPECT_EQ(v2, 5.0);
  EXPECT_FALSE(IsDichotomous(TDoubleArray{5, 5, 5}, v1, v2));
  EXPECT_EQ(v1, 5.0);
  EXPECT_EQ(v2, 5.0);
  EXPECT_FALSE(IsDichotomous(TDoubleArray{1, 2, 3}, v1, v2));
  EXPECT_FALSE(IsDichotomous(TDoubleArray{4}, v1, v2));
  EXPECT_EQ(v1, 0.0);
  EXPECT_EQ(v2, 0.0);
  std::int32_t i1, i2;
  EXPECT_TRUE(IsDichotomous(TIntArray{1, 0, 0}, i1, i2));
  EXPECT_EQ(i1, 0);
  EXPECT_EQ(i2, 1);
}

TEST(FindInSortedArrayTest, ExactNearestAndOutside) {
  const TDoubleArray asc = {1, 3, 5, 7, 9, 11};
  struct Case {
    double X;
    std::int32_t Index;
  };
  for (const Case c :
       {Case{1, 0}, Case{11, 5}, Case{7, 3}, Case{5.9, 2}, Case{6, 3}, Case{6.1, 3}, Case{1.5, 0}, Case{2, 1},
        Case{10.5, 5}, Case{0.9, -2}, Case{11.1, -2}, Case{std::numeric_limits<double>::quiet_NaN(), -2}})
    EXPECT_EQ(FindInSortedArray(c.X, asc, true), c.Index) << c.X;
  const TDoubleArray desc = {11, 9, 7, 5, 3, 1};
  for (const Case c : {Case{11, 0}, Case{1, 5}, Case{4, 4}, Case{8.5, 1}, Case{12, -2}, Case{0, -2}})
    EXPECT_EQ(FindInSortedArray(c.X, desc, false), c.Index) << c.X;
  EXPECT_EQ(FindInSortedArray(1, TDoubleArray{}, true), -1);
  EXPECT_EQ(FindInSortedArray(4, TDoubleArray{4}, true), 0);
}

TEST(FindInArrayTest, IntegersAndTexts) {
  EXPECT_EQ(FindInArray(7, TIntArray{3, 7, 7}), 1);
  EXPECT_EQ(FindInArray(8, TIntArray{3, 7, 7}), -2);
  EXPECT_EQ(FindInArray(8, TIntArray{}), -1);
  const TStrArray words = {"Alpha", "beta", "Gamma ray", "Über"};
  struct Case {
    const char* S;
    bool IgnoreCase, Partial;
    std::int32_t Index;
  };
  const Case cases[] = {
      {"beta", false, false, 1}, {"Beta", false, false, -2}, {"BETA", true, false, 1},
      {"ray", false, false, -2}, {"ray", false, true, 2},    {"GAMMA", true, true, 2},
      {"amm", false, true, 2},   {"Über", true, false, 3},   {"", false, true, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FindInArray(c.S, words, c.IgnoreCase, c.Partial), c.Index) << c.S;
  EXPECT_EQ(FindInArray("x", TStrArray{}, true, true), -1);
}

}  // namespace
}  // namespace kvl
