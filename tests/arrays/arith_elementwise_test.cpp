#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using detail::ExtentsOf;
using detail::ForEachElem;
using detail::Index;
using detail::Rank;

/// An array of rank 1..4 with extents 2, 3, 2, 2 (as far as its rank goes)
/// whose cells hold Start, Start + 1, ... in loop order.
template <class A>
A Serial(int Start) {
  Index<Rank<A>> ext;
  const std::int64_t dims[] = {2, 3, 2, 2};
  for (int d = 0; d < Rank<A>; ++d) ext[d] = dims[d];
  A a;
  detail::ResizeTo(a, ext);
  int k = Start;
  ForEachElem(a, [&](auto& x) { x = k++; });
  return a;
}

template <class A>
std::vector<double> Cells(const A& a) {
  std::vector<double> v;
  ForEachElem(a, [&](auto x) { v.push_back(static_cast<double>(x)); });
  return v;
}

template <class A>
class ElementwiseTest : public ::testing::Test {};
using AllNumArrays = ::testing::Types<TDoubleArray, TDouble2DArray, TDouble3DArray, TDouble4DArray, TIntArray,
                                      TInt2DArray, TInt3DArray, TInt4DArray>;
TYPED_TEST_SUITE(ElementwiseTest, AllNumArrays);

TYPED_TEST(ElementwiseTest, BinaryFamiliesSizeTheResultAndCombineCells) {
  using A = TypeParam;
  const A a = Serial<A>(1), b = Serial<A>(10);
  A c;
  ASSERT_EQ(AddArrays(a, b, c), 0);
  EXPECT_EQ(ExtentsOf(c), ExtentsOf(a));
  const auto ca = Cells(a), cb = Cells(b);
  auto cc = Cells(c);
  for (std::size_t i = 0; i < ca.size(); ++i) EXPECT_EQ(cc[i], ca[i] + cb[i]);
  ASSERT_EQ(SubtractArrays(a, b, c), 0);
  cc = Cells(c);
  for (std::size_t i = 0; i < ca.size(); ++i) EXPECT_EQ(cc[i], ca[i] - cb[i]);
}

TYPED_TEST(ElementwiseTest, BinaryFamiliesRejectEmptyAndMismatchedOperands) {
  using A = TypeParam;
  const A a = Serial<A>(1);
  A smaller = a;
  smaller.pop_back();
  A c = Serial<A>(7);
  const A before = c;
  EXPECT_EQ(AddArrays(A{}, a, c), -1);
  EXPECT_EQ(SubtractArrays(a, A{}, c), -1);
  EXPECT_EQ(AddArrays(a, smaller, c), -2);
  EXPECT_EQ(c, before);  // untouched on failure
}

TYPED_TEST(ElementwiseTest, ScalarFamiliesInPlaceAndIntoResult) {
  using A = TypeParam;
  const A a = Serial<A>(-3);
  const auto ca = Cells(a);
  A c;
  ASSERT_EQ(AddScalarToArray(a, 5, c), 0);
  auto cc = Cells(c);
  for (std::size_t i = 0; i < ca.size(); ++i) EXPECT_EQ(cc[i], ca[i] + 5);
  ASSERT_EQ(MultiplyArrayByScalar(a, 3, c), 0);
  cc = Cells(c);
  for (std::size_t i = 0; i < ca.size(); ++i) EXPECT_EQ(cc[i], ca[i] * 3);
  A m = a;
  ASSERT_EQ(MultiplyArrayByScalar(m, -2), 0);
  ASSERT_EQ(IncArray(m, 1), 0);
  ASSERT_EQ(AbsValArray(m), 0);
  cc = Cells(m);
  for (std::size_t i = 0; i < ca.size(); ++i) EXPECT_EQ(cc[i], std::abs(ca[i] * -2 + 1));
  A empty;
  EXPECT_EQ(IncArray(empty, 1), -1);
  EXPECT_EQ(AbsValArray(empty), -1);
  EXPECT_EQ(MultiplyArrayByScalar(empty, 2), -1);
  EXPECT_EQ(AddScalarToArray(empty, 2, c), -1);
}

TEST(ElementwiseTest, ElementwiseProductIsNotTheMatrixProduct) {
  const TDouble2DArray a = {{1, 2}, {3, 4}}, b = {{5, 6}, {7, 8}};
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArraysElemw(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{5, 12}, {21, 32}}));
  TIntArray ic;
  EXPECT_EQ(MultiplyArraysElemw(TIntArray{2, 3}, TIntArray{4}, ic), -2);
}

TEST(ElementwiseTest, IntegerCellsWrapAsThe32BitWord) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  TIntArray c;
  ASSERT_EQ(AddArrays(TIntArray{kMax}, TIntArray{1}, c), 0);
  EXPECT_EQ(c[0], kMin);
  ASSERT_EQ(MultiplyArraysElemw(TIntArray{65536}, TIntArray{65536}, c), 0);
  EXPECT_EQ(c[0], 0);
  TIntArray a = {kMin, -5};
  ASSERT_EQ(AbsValArray(a), 0);
  EXPECT_EQ(a, (TIntArray{kMin, 5}));  // -2^31 has no positive twin
}

TEST(ElementwiseTest, ReciprocalReplacesZeros) {
  TDoubleArray a = {2, 0};
  ASSERT_EQ(ReciprocalArray(a, 99), 0);
  EXPECT_EQ(a, (TDoubleArray{0.5, 99}));
  TDouble3DArray b = {{{4, 0}, {-0.25, 1}}};
  ASSERT_EQ(ReciprocalArray(b, -1), 0);
  EXPECT_EQ(b, (TDouble3DArray{{{0.25, -1}, {-4, 1}}}));
  TDouble2DArray empty;
  EXPECT_EQ(ReciprocalArray(empty, 0), -1);
}

TEST(ElementwiseTest, TraceCodesAndSums) {
  double t = 5;
  EXPECT_EQ(TraceOfArray(TDouble2DArray{{1, 2}, {3, 4}}, t), 0);
  EXPECT_EQ(t, 5.0);
  EXPECT_EQ(TraceOfArray(TDouble2DArray{{1, 2, 3}, {3, 4, 5}}, t), -2);
  EXPECT_EQ(t, 0.0);  // reset before the checks
  t = 5;
  EXPECT_EQ(TraceOfArray(TDouble2DArray{}, t), -1);
  EXPECT_EQ(t, 0.0);
  std::int64_t it = 0;
  const std::int32_t big = 2000000000;
  EXPECT_EQ(TraceOfArray(TInt2DArray{{big, 0}, {0, big}}, it), 0);
  EXPECT_EQ(it, 4000000000LL);  // no 32-bit overflow
}

TEST(ElementwiseTest, AccumulateCarriesExtendedPrecision) {
  TIntArray a = {1, 2, 3, -6};
  ASSERT_EQ(AccumulateArray(a), 0);
  EXPECT_EQ(a, (TIntArray{1, 3, 6, 0}));
  // Each stored partial sum rounds to 1e17, but the running sum keeps the
  // ones: a running sum in double would end at 0.
  TDoubleArray d(18, 1.0);
  d[0] = 1e17;
  d.back() = -1e17;
  ASSERT_EQ(AccumulateArray(d), 0);
  EXPECT_EQ(d.back(), 16.0);
  TDoubleArray empty;
  EXPECT_EQ(AccumulateArray(empty), -1);
}

}  // namespace
}  // namespace kvl
