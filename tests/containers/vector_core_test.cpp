#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"
#include "vector_test_util.h"

namespace kvl {
namespace {

using test::EventLog;
using test::SetAll;
using test::Values;

template <class V>
void Record(V& v, EventLog& log) {
  v.OnChange = log.Recorder("change");
  v.OnResize = log.Recorder("resize");
}

// --- behaviour shared by both element types -------------------------------------

template <class V>
class VectorTwinTest : public testing::Test {};
using VectorTypes = testing::Types<TVector, TIntVector>;
TYPED_TEST_SUITE(VectorTwinTest, VectorTypes);

TYPED_TEST(VectorTwinTest, ResizeKeepsValuesAndFiresChangeThenResize) {
  TypeParam v;
  EventLog log;
  SetAll(v, {1, 2, 3});
  Record(v, log);
  EXPECT_FALSE(v.Resize(0));
  EXPECT_FALSE(v.Resize(-4));
  EXPECT_TRUE(v.Resize(3));  // same size: nothing happens
  EXPECT_TRUE(log.Events.empty());
  EXPECT_TRUE(v.Resize(5));
  EXPECT_EQ(Values(v), (std::vector<typename TypeParam::TElem>{1, 2, 3, 0, 0}));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
  v.SetNrOfElem(0);  // ignored
  v.SetNrOfElem(2);
  EXPECT_EQ(Values(v), (std::vector<typename TypeParam::TElem>{1, 2}));
}

TYPED_TEST(VectorTwinTest, ElementAccessOutsideRangeReadsZeroAndIgnoresWrites) {
  TypeParam v;
  EventLog log;
  v.Resize(2);
  Record(v, log);
  v.SetVal(0, 5);
  v.SetVal(3, 5);
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_TRUE(log.Events.empty());
  v.SetElem(2, 7);
  EXPECT_FALSE(v.IsEmpty());
  EXPECT_EQ(v.Elem(2), 7);
  EXPECT_EQ(v.GetVal(-1), 0);
  EXPECT_EQ(v.GetVal(3), 0);
  EXPECT_EQ(log.Events, std::vector<std::string>{"change"});
}

TYPED_TEST(VectorTwinTest, MakeValidElemRange) {
  TypeParam v;
  v.Resize(10);
  struct Case {
    std::int32_t Lo, Hi, ExpLo, ExpHi, Result;
  };
  for (const Case c : {Case{0, 0, 1, 10, 0}, Case{3, 7, 3, 7, 0}, Case{7, 3, 3, 7, 0}, Case{0, 5, 1, 5, -1},
                       Case{-3, 20, 1, 10, -1}, Case{12, 2, 2, 10, -1}, Case{10, 10, 10, 10, 0}}) {
    std::int32_t lo = c.Lo, hi = c.Hi;
    EXPECT_EQ(v.MakeValidElemRange(lo, hi), c.Result) << c.Lo << " " << c.Hi;
    EXPECT_EQ(lo, c.ExpLo);
    EXPECT_EQ(hi, c.ExpHi);
  }
}

TYPED_TEST(VectorTwinTest, AssignCopiesDataAndHandlersWithoutEvents) {
  TypeParam src, dest;
  SetAll(src, {4, 5, 6});
  EventLog log;
  Record(src, log);
  dest.Assign(&src);
  EXPECT_TRUE(log.Events.empty());
  EXPECT_EQ(Values(dest), Values(src));
  EXPECT_FALSE(dest.IsEmpty());
  dest.SetVal(1, 9);  // the copied handler now fires for dest
  EXPECT_EQ(log.Events, std::vector<std::string>{"change"});
  TComponent other;
  EXPECT_THROW(dest.Assign(&other), EConvertError);
}

TYPED_TEST(VectorTwinTest, CloneWritesEveryElementThenAnnouncesOnce) {
  TypeParam src, dest;
  SetAll(src, {1, 2, 3});
  EventLog log;
  Record(dest, log);
  dest.Clone(&src);
  dest.Clone(nullptr);
  EXPECT_EQ(Values(dest), Values(src));
  EXPECT_EQ(log.Events,
            (std::vector<std::string>{"change", "resize", "change", "change", "change", "change"}));
}

TYPED_TEST(VectorTwinTest, CopyFromStatuses) {
  TypeParam src, dest;
  SetAll(src, {1, 2, 3, 4});
  dest.Resize(5);
  struct Case {
    std::int32_t Lo, Hi, Dest, Result;
  };
  for (const Case c :
       {Case{0, 5, 1, -2}, Case{1, 5, 1, -2}, Case{1, 2, 0, -3}, Case{1, 9, 9, -3}, Case{1, 2, 6, -3}})
    EXPECT_EQ(dest.CopyFrom(&src, c.Lo, c.Hi, c.Dest), c.Result) << c.Lo << " " << c.Hi << " " << c.Dest;
  EXPECT_EQ(dest.CopyFrom(static_cast<const TypeParam*>(nullptr), 1, 1, 1), -1);
  EXPECT_EQ(Values(dest), (std::vector<typename TypeParam::TElem>{0, 0, 0, 0, 0}));

  EXPECT_EQ(dest.CopyFrom(&src, 3, 2, 4), 0);  // bounds put in order; element 3 drops off the end
  EXPECT_EQ(Values(dest), (std::vector<typename TypeParam::TElem>{0, 0, 0, 2, 3}));
  EXPECT_EQ(dest.CopyFrom(&src, 0, 0, -1), 0);  // whole source, DestElem unchecked: 1 and 2 drop out
  EXPECT_EQ(Values(dest), (std::vector<typename TypeParam::TElem>{3, 4, 0, 2, 3}));
}

TYPED_TEST(VectorTwinTest, CopyWithinOneVectorBehavesLikeThroughACopy) {
  TypeParam v;
  SetAll(v, {1, 2, 3, 4, 5});
  EXPECT_EQ(v.CopyFrom(&v, 1, 4, 2), 0);
  EXPECT_EQ(Values(v), (std::vector<typename TypeParam::TElem>{1, 1, 2, 3, 4}));
  EXPECT_EQ(v.CopyFrom(&v, 2, 5, 1), 0);
  EXPECT_EQ(Values(v), (std::vector<typename TypeParam::TElem>{1, 2, 3, 4, 4}));
}

TYPED_TEST(VectorTwinTest, CopyFromArrays) {
  using T = typename TypeParam::TElem;
  TypeParam v;
  v.Resize(4);
  const std::vector<T> a{10, 20, 30};
  EXPECT_EQ(v.CopyFrom(std::span<const T>(), 0, 0, 1), -1);
  EXPECT_EQ(v.CopyFrom(std::span<const T>(a), 0, 3, 1), -2);
  EXPECT_EQ(v.CopyFrom(std::span<const T>(a), 0, 3, 9), -3);
  EXPECT_EQ(v.CopyFrom(std::span<const T>(a), 2, 1, 3), 0);
  EXPECT_EQ(Values(v), (std::vector<T>{0, 0, 20, 30}));

  const std::vector<std::vector<T>> grid{{1, 2, 3}, {4, 5, 6}};  // two columns of three rows
  v.CopyFrom2DArrayColumn(grid, 7, -2, 9, 1);                    // column 1, rows 0..2
  EXPECT_EQ(Values(v), (std::vector<T>{4, 5, 6, 30}));
  v.CopyFrom2DArrayRow(grid, 2, 1, 0, 3);  // row 2, columns 0..1
  EXPECT_EQ(Values(v), (std::vector<T>{4, 5, 3, 6}));
  v.CopyFrom2DArrayRow({}, 0, 0, 0, 1);  // an empty array changes nothing
  EXPECT_EQ(Values(v), (std::vector<T>{4, 5, 3, 6}));

  std::vector<T> out{9, 9, 9, 9, 9, 9, 9};
  v.CopyToArray(out, 3, 2, -5);
  EXPECT_EQ(out, (std::vector<T>{5, 3}));
  v.CopyToArray(out, 0, 0, 2);
  EXPECT_EQ(out, (std::vector<T>{5, 3, 4, 5, 3, 6}));

  std::vector<std::vector<T>> dest(2, std::vector<T>(3, 0));
  v.CopyToArray(dest, 1, 4, 1, 1, true);  // downwards from (1, 1): two cells fit
  EXPECT_EQ(dest, (std::vector<std::vector<T>>{{0, 0, 0}, {0, 4, 5}}));
  v.CopyToArray(dest, 2, 4, -1, 9, false);  // rightwards from (0, 2)
  EXPECT_EQ(dest, (std::vector<std::vector<T>>{{0, 0, 5}, {0, 4, 3}}));
}

TYPED_TEST(VectorTwinTest, FillsFireOnceAndSetIsEmpty) {
  using T = typename TypeParam::TElem;
  TypeParam v;
  v.Resize(4);
  EventLog log;
  Record(v, log);
  v.FillSerial(5, -2);
  EXPECT_EQ(Values(v), (std::vector<T>{5, 3, 1, -1}));
  EXPECT_FALSE(v.IsEmpty());
  v.AbsVal();
  EXPECT_EQ(Values(v), (std::vector<T>{5, 3, 1, 1}));
  v.Clear();
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_EQ(Values(v), (std::vector<T>{0, 0, 0, 0}));
  v.Fill(7);
  EXPECT_EQ(Values(v), (std::vector<T>{7, 7, 7, 7}));
  EXPECT_EQ(log.Events.size(), 4u);
}

TYPED_TEST(VectorTwinTest, ElementWiseArithmetic) {
  using T = typename TypeParam::TElem;
  TypeParam a, b, c;
  a.SetName("A");
  SetAll(a, {1, 2, 3});
  SetAll(b, {4, 5, 6});
  c.Resize(2);
  a.Add(&b);
  EXPECT_EQ(Values(a), (std::vector<T>{5, 7, 9}));
  a.Subtract(&b);
  a.SMult(3);
  EXPECT_EQ(Values(a), (std::vector<T>{3, 6, 9}));
  EXPECT_EQ(a.DotProduct(&b), T(3 * 4 + 6 * 5 + 9 * 6));
  EXPECT_EQ(a.DotProduct(nullptr), T(0));
  KVL_EXPECT_THROW_MSG(a.Add(&c), EKVLVectorError, "Component \"A\": vectors have different dimensions");
  KVL_EXPECT_THROW_MSG(a.DotProduct(&c), EKVLVectorError,
                       "Component \"A\": vectors have different dimensions");
  KVL_EXPECT_THROW_MSG(a.EuclideanDistance(&c), EKVLVectorError,
                       "EuclideanDistance: dimensions of vectors do not match");
  EXPECT_NEAR(a.EuclideanDistance(&b), std::sqrt(1.0 + 1 + 9), test::kTol16Eps * 4);
  SetAll(a, {3, 4});
  EXPECT_EQ(a.Leng(), 5.0);
}

TYPED_TEST(VectorTwinTest, CorrelateSumsTheLaggedOverlap) {
  TypeParam a, b;
  SetAll(a, {1, 2, 3, 4});
  SetAll(b, {1, 10, 100});
  EXPECT_EQ(a.Correlate(&b, 0), 1 * 1 + 2 * 10 + 3 * 100);
  EXPECT_EQ(a.Correlate(&b, 1), 2 * 1 + 3 * 10 + 4 * 100);
  EXPECT_EQ(a.Correlate(&b, -1), 1 * 10 + 2 * 100);
  EXPECT_EQ(a.Correlate(&b, 3), 0);   // one overlapping element gives 0
  EXPECT_EQ(a.Correlate(&b, -2), 0);  // likewise
  EXPECT_EQ(a.Correlate(nullptr, 0), 0);
}

TYPED_TEST(VectorTwinTest, PearsonCorrelation) {
  TypeParam a, b;
  SetAll(a, {1, 2, 3, 4, 5});
  SetAll(b, {2, 4, 6, 8, 10});
  EXPECT_NEAR(a.PearsonCorrCoeff(&b), 1.0, test::kTol1e12);
  SetAll(b, {5, 3, 4, 1, 2});
  EXPECT_NEAR(a.PearsonCorrCoeff(&b), -0.8, test::kTol1e12);
  b.Fill(3);  // a constant vector
  EXPECT_EQ(a.PearsonCorrCoeff(&b), 0.0);
  b.Resize(4);
  EXPECT_EQ(a.PearsonCorrCoeff(&b), 0.0);
}

TYPED_TEST(VectorTwinTest, IsDichotomous) {
  using T = typename TypeParam::TElem;
  TypeParam v;
  T v1 = 9, v2 = 9;
  EXPECT_FALSE(v.IsDichotomous(v1, v2));
  EXPECT_EQ(v1, T(0));
  SetAll(v, {3, 3, 3});
  EXPECT_TRUE(v.IsDichotomous(v1, v2));
  EXPECT_EQ(v1, T(3));
  EXPECT_EQ(v2, T(3));
  SetAll(v, {1, 1, 2, 1, 2});
  EXPECT_TRUE(v.IsDichotomous(v1, v2));
  EXPECT_EQ(v2, T(2));
  SetAll(v, {1, 2, 3});
  EXPECT_FALSE(v.IsDichotomous(v1, v2));
}

TYPED_TEST(VectorTwinTest, Searching) {
  TypeParam v;
  SetAll(v, {5, 1, 8, 1, 3});
  EXPECT_EQ(v.Find(0, 0, 2), 2);  // 1 and 3 are equally near: the first wins
  EXPECT_EQ(v.Find(3, 5, 7), 3);
  EXPECT_EQ(v.FindExact(0, 0, 1), 2);
  EXPECT_EQ(v.FindExact(3, 9, 1), 4);
  EXPECT_EQ(v.FindExact(0, 0, 4), 0);

  SetAll(v, {1, 3, 5, 7, 9, 11});
  EXPECT_EQ(v.FindInSortedVector(true, 7), 4);
  EXPECT_EQ(v.FindInSortedVector(true, 8), 5);  // a tie goes to the higher index
  EXPECT_EQ(v.FindInSortedVector(true, 100), 6);
  EXPECT_EQ(v.FindInSortedVector(true, -5), 1);
  v.Mirror();
  EXPECT_EQ(v.FindInSortedVector(false, 3), 5);
  SetAll(v, {2, 4});
  EXPECT_EQ(v.FindInSortedVector(true, 3), 2);  // two elements: the nearer, the second on a tie
  EXPECT_EQ(v.FindInSortedVector(true, 2), 1);
}

TYPED_TEST(VectorTwinTest, SortReportsEveryExchangeAndNeverMovesEqualElements) {
  using T = typename TypeParam::TElem;
  RandSeed = 7;
  TypeParam v;
  v.Resize(200);
  for (std::int32_t i = 1; i <= 200; ++i) v.SetVal(i, static_cast<T>(Random(50)));
  const std::vector<T> before = Values(v);
  std::vector<std::pair<std::int32_t, std::int32_t>> exchanges;
  v.OnSortExchange = [&](TObject* sender, std::int32_t kind, std::int32_t i, std::int32_t j, std::int32_t lo,
                         std::int32_t hi) {
    EXPECT_EQ(sender, &v);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    exchanges.emplace_back(i, j);
  };
  EventLog log;
  Record(v, log);
  v.SortElems(true, 0, 0);
  EXPECT_TRUE(std::ranges::is_sorted(Values(v)));
  EXPECT_EQ(log.Events, std::vector<std::string>{"change"});
  // Replaying the reported exchanges on the original gives the result, and
  // no exchange swapped two equal values.
  std::vector<T> replay = before;
  for (auto [i, j] : exchanges) {
    EXPECT_LT(i, j);
    EXPECT_NE(replay[i - 1], replay[j - 1]);
    std::swap(replay[i - 1], replay[j - 1]);
  }
  EXPECT_EQ(replay, Values(v));

  v.SortElems(false, 150, 50);  // a descending stretch in the middle
  const auto after = Values(v);
  EXPECT_TRUE(std::is_sorted(after.begin() + 49, after.begin() + 150, std::greater<>()));
  EXPECT_TRUE(std::is_sorted(after.begin() + 150, after.end()));
  exchanges.clear();
  log.Events.clear();
  v.SortElems(true, 3, 3);  // fewer than two elements: nothing at all
  EXPECT_TRUE(exchanges.empty());
  EXPECT_TRUE(log.Events.empty());
}

TYPED_TEST(VectorTwinTest, SortWithoutHandlerGivesTheSameOrder) {
  TypeParam a, b;
  SetAll(a, {3, -1, 4, 1, -5, 9, 2, 6});
  b.Assign(&a);
  b.OnSortExchange = [](TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {};
  a.SortElems(false, 0, 0);
  b.SortElems(false, 0, 0);
  EXPECT_EQ(Values(a), Values(b));
  EXPECT_TRUE(std::ranges::is_sorted(Values(a), std::greater<>()));
}

TYPED_TEST(VectorTwinTest, ShufflePermutesWithoutEvents) {
  TypeParam v;
  v.Resize(100);
  v.FillSerial(1, 1);
  EventLog log;
  Record(v, log);
  v.ShuffleElems();
  EXPECT_TRUE(log.Events.empty());
  auto values = Values(v);
  std::ranges::sort(values);
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(values[i], static_cast<typename TypeParam::TElem>(i + 1));
}

TYPED_TEST(VectorTwinTest, OwnerFreesTheVector) {
  TComponent owner;
  auto* v = new TypeParam(&owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(v->Owner(), &owner);
}

// --- differences of the element types ------------------------------------------------

TEST(IntVectorTest, IntegerArithmeticWrapsAround) {
  TIntVector v, w;
  SetAll(v, {INT_MAX, INT_MIN, 3});
  SetAll(w, {1, -1, INT_MAX});
  v.Add(&w);
  EXPECT_EQ(Values(v), (std::vector<std::int32_t>{INT_MIN, INT_MAX, INT_MIN + 2}));
  EXPECT_EQ(v.Sum(1, 2), -1);
  v.AbsVal();  // the smallest value has no positive counterpart and stays
  EXPECT_EQ(v.GetVal(1), INT_MIN);
  SetAll(v, {65536, 2});
  v.SMult(65536);
  EXPECT_EQ(Values(v), (std::vector<std::int32_t>{0, 131072}));
}

TEST(VectorTest, NormScalingAndRandomFills) {
  TVector v;
  SetAll(v, {3.0, -4.0});
  v.SetLeng(10.0);
  EXPECT_NEAR(v.GetVal(1), 6.0, test::kTol16Eps * 8);
  EXPECT_NEAR(v.GetVal(2), -8.0, test::kTol16Eps * 8);
  v.Fill(0.0);
  EventLog log;
  Record(v, log);
  v.SetVecLeng(5.0);  // a zero vector cannot be scaled
  EXPECT_TRUE(log.Events.empty());

  RandSeed = 1;
  v.Resize(1000);
  v.Clear();
  v.FillRandomUniform(-2.0, 3.0);
  EXPECT_FALSE(v.IsEmpty());
  double lo = 0, hi = 0;
  v.MinMax(0, 0, lo, hi);
  EXPECT_GE(lo, -2.0);
  EXPECT_LT(hi, 3.0);
  v.FillRandomGauss(10.0, 0.5);
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  constexpr double kMeanTol = 0.1;  // 6 standard errors of the mean
  constexpr double kSdTol = 0.05;   // 10 % of the deviation
  EXPECT_NEAR(mean, 10.0, kMeanTol);
  EXPECT_NEAR(std::sqrt(var), 0.5, kSdTol);
}

}  // namespace
}  // namespace kvl
