#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using detail::Index;
using test::kTol1e12;

// Calls each moment family on a rank-N array through its public overload.
struct TMomentResult {
  std::int32_t MeanStatus, StdStatus, VarStatus, MadStatus;
  double Mean, StdDev, VarMean, Variance, MeanDev;
};

template <class A>
TMomentResult AllMoments(const A& d, const Index<detail::Rank<A>>& lo,
                         const Index<detail::Rank<A>>& hi) {
  TMomentResult r{};
  auto i = [](std::int64_t v) { return static_cast<std::int32_t>(v); };
  constexpr int N = detail::Rank<A>;
  if constexpr (N == 1) {
    r.MeanStatus = MeanArray(d, i(lo[0]), i(hi[0]), r.Mean);
    r.StdStatus = StdDevArray(d, i(lo[0]), i(hi[0]), r.StdDev);
    r.VarStatus = MeanVarArray(d, i(lo[0]), i(hi[0]), r.VarMean, r.Variance);
    r.MadStatus = MeanAbsDev(d, i(lo[0]), i(hi[0]), r.MeanDev);
  } else if constexpr (N == 2) {
    r.MeanStatus = MeanArray(d, i(lo[0]), i(lo[1]), i(hi[0]), i(hi[1]), r.Mean);
    r.StdStatus = StdDevArray(d, i(lo[0]), i(lo[1]), i(hi[0]), i(hi[1]), r.StdDev);
    r.VarStatus = MeanVarArray(d, i(lo[0]), i(lo[1]), i(hi[0]), i(hi[1]), r.VarMean, r.Variance);
    r.MadStatus = MeanAbsDev(d, i(lo[0]), i(lo[1]), i(hi[0]), i(hi[1]), r.MeanDev);
  } else if constexpr (N == 3) {
    r.MeanStatus = MeanArray(d, i(lo[0]), i(lo[1]), i(lo[2]), i(hi[0]), i(hi[1]), i(hi[2]), r.Mean);
    r.StdStatus = StdDevArray(d, i(lo[0]), i(lo[1]), i(lo[2]), i(hi[0]), i(hi[1]), i(hi[2]), r.StdDev);
    r.VarStatus =
        MeanVarArray(d, i(lo[0]), i(lo[1]), i(lo[2]), i(hi[0]), i(hi[1]), i(hi[2]), r.VarMean, r.Variance);
    r.MadStatus = MeanAbsDev(d, i(lo[0]), i(lo[1]), i(lo[2]), i(hi[0]), i(hi[1]), i(hi[2]), r.MeanDev);
  } else {
    r.MeanStatus =
        MeanArray(d, i(lo[0]), i(lo[1]), i(lo[2]), i(lo[3]), i(hi[0]), i(hi[1]), i(hi[2]), i(hi[3]), r.Mean);
    r.StdStatus = StdDevArray(d, i(lo[0]), i(lo[1]), i(lo[2]), i(lo[3]), i(hi[0]), i(hi[1]), i(hi[2]),
                              i(hi[3]), r.StdDev);
    r.VarStatus = MeanVarArray(d, i(lo[0]), i(lo[1]), i(lo[2]), i(lo[3]), i(hi[0]), i(hi[1]), i(hi[2]),
                               i(hi[3]), r.VarMean, r.Variance);
    r.MadStatus = MeanAbsDev(d, i(lo[0]), i(lo[1]), i(lo[2]), i(lo[3]), i(hi[0]), i(hi[1]), i(hi[2]),
                             i(hi[3]), r.MeanDev);
  }
  return r;
}

// A rank-N array of extent 3 in every dimension whose element at (i, j, ...)
// is i*1000 + j*100 + k*10 + l, so every range has a known content.
template <class A>
A Grid(int level = 0, double base = 0) {
  A a(3);
  const double weights[] = {1000, 100, 10, 1};
  for (int i = 0; i < 3; ++i) {
    if constexpr (detail::Rank<A> == 1)
      a[i] = static_cast<detail::Elem<A>>(base + i * weights[level]);
    else
      a[i] = Grid<typename A::value_type>(level + 1, base + i * weights[level]);
  }
  return a;
}

template <class A>
class MomentFamilyTest : public ::testing::Test {};
using MomentArrays = ::testing::Types<TDoubleArray, TDouble2DArray, TDouble3DArray, TDouble4DArray, TIntArray,
                                      TInt2DArray, TInt3DArray, TInt4DArray>;
struct ArrayTypeNames {
  template <class A>
  static std::string GetName(int) {
    const bool isInt = std::is_same_v<detail::Elem<A>, std::int32_t>;
    return std::string(isInt ? "Int" : "Double") + std::to_string(detail::Rank<A>) + "D";
  }
};
TYPED_TEST_SUITE(MomentFamilyTest, MomentArrays, ArrayTypeNames);

TYPED_TEST(MomentFamilyTest, StatusCodesAgreeAcrossFamiliesAndZeroTheOutputs) {
  constexpr int N = detail::Rank<TypeParam>;
  const TypeParam a = Grid<TypeParam>();
  Index<N> lo{}, hi{};
  hi.fill(2);
  struct Case {
    const char* Name;
    std::int32_t Dim;     // dimension to spoil, -1: none
    std::int64_t Lo, Hi;  // bounds of that dimension
    std::int32_t Status;
  };
  const Case cases[] = {
      {"whole", -1, 0, 2, 0},       {"single cell", N - 1, 1, 1, 0}, {"high below low", N - 1, 2, 1, -2},
      {"high beyond", 0, 0, 3, -2}, {"negative low", 0, -1, 1, -2},  {"low beyond", N - 1, 3, 3, -2},
  };
  for (const Case& c : cases) {
    Index<N> l = lo, h = hi;
    if (c.Dim >= 0) {
      l[c.Dim] = c.Lo;
      h[c.Dim] = c.Hi;
    }
    const TMomentResult r = AllMoments(a, l, h);
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(r.MeanStatus, c.Status);
    EXPECT_EQ(r.StdStatus, c.Status);
    EXPECT_EQ(r.VarStatus, c.Status);
    EXPECT_EQ(r.MadStatus, c.Status);
    if (c.Status != 0) {
      EXPECT_EQ(r.Mean, 0.0);
      EXPECT_EQ(r.StdDev, 0.0);
      EXPECT_EQ(r.Variance, 0.0);
      EXPECT_EQ(r.MeanDev, 0.0);
    }
  }
  // An empty array and an empty inner level both give -1.
  EXPECT_EQ(AllMoments(TypeParam{}, lo, hi).MeanStatus, -1);
  TypeParam hollow(2);
  EXPECT_EQ(AllMoments(hollow, lo, lo).StdStatus, N == 1 ? 0 : -1);
}

TYPED_TEST(MomentFamilyTest, ValuesOfAnInnerBlock) {
  constexpr int N = detail::Rank<TypeParam>;
  const TypeParam a = Grid<TypeParam>();
  // The block 1..2 of every dimension holds the 2^N elements sum_d (1 or 2) * w_d:
  // their mean is sum_d 1.5 w_d and each deviates from it by sum_d +-w_d / 2.
  Index<N> lo{}, hi{};
  lo.fill(1);
  hi.fill(2);
  const double weights[] = {1000, 100, 10, 1};
  double mean = 0, var = 0;
  for (int d = 0; d < N; ++d) {
    mean += 1.5 * weights[d];
    var += 0.25 * weights[d] * weights[d];  // each dimension adds an independent +-w/2
  }
  const double n = std::pow(2.0, N);
  var *= n / (n - 1);  // sample variance
  double mad = 0;      // the average of |sum_d +-w_d / 2| over the 2^N sign patterns
  for (int mask = 0; mask < (1 << N); ++mask) {
    double s = 0;
    for (int d = 0; d < N; ++d) s += ((mask >> d) & 1 ? 0.5 : -0.5) * weights[d];
    mad += std::fabs(s);
  }
  mad /= n;
  const TMomentResult r = AllMoments(a, lo, hi);
  EXPECT_EQ(r.MeanStatus, 0);
  EXPECT_NEAR(r.Mean, mean, kTol1e12 * mean);
  EXPECT_NEAR(r.VarMean, mean, kTol1e12 * mean);
  EXPECT_NEAR(r.Variance, var, kTol1e12 * var);
  EXPECT_NEAR(r.StdDev, std::sqrt(var), kTol1e12 * var);
  EXPECT_NEAR(r.MeanDev, mad, kTol1e12 * mad);
}

TEST(MomentTest, OneElementAndTheSmallTextbookCases) {
  const TDoubleArray a = {4, 1, 2, 3, 9};
  double m = -1, s = -1, v = -1;
  EXPECT_EQ(MeanArray(a, 2, 2, m), 0);
  EXPECT_EQ(m, 2.0);
  EXPECT_EQ(StdDevArray(a, 3, 3, s), 0);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(MeanVarArray(a, 0, 0, m, v), 0);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(MeanArray(a, 3, 2, m), -2);
  EXPECT_EQ(m, 0.0);
  EXPECT_EQ(StdDevArray(a, 1, 3, s), 0);  // 1, 2, 3: divisor n - 1
  EXPECT_DOUBLE_EQ(s, 1.0);
  const TDoubleArray b = {1, 2, 3, 4, 10};
  EXPECT_EQ(MeanAbsDev(b, 0, 4, m), 0);  // mean 4, |deviations| 3 2 1 0 6
  EXPECT_DOUBLE_EQ(m, 2.4);
}

TEST(MomentTest, VarianceStaysExactForALargeOffset) {
  // The deviations -6, -3, 3, 6 around 1e9 + 10: a one-pass sum of squares in
  // double loses them; the two-pass form gives 90 / 3 exactly.
  const TDoubleArray a = {1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16};
  double m, v;
  EXPECT_EQ(MeanVarArray(a, 0, 3, m, v), 0);
  EXPECT_EQ(m, 1e9 + 10);
  EXPECT_EQ(v, 30.0);
  const TIntArray big = {2147483647, 2147483647, 2147483646};  // no integer overflow in the sum
  EXPECT_EQ(MeanArray(big, 0, 2, m), 0);
  EXPECT_NEAR(m, 2147483646.0 + 2.0 / 3.0, test::kTol1e6);
}

TEST(MomentTest, MeanVarOverTheLeadingPartOfAGroup) {
  // As a caller with groups of different sizes uses it: group i is Data[i][0..N[i]-1].
  const TDouble2DArray groups = {{2, 4, 4, 4, 5, 5, 7, 9, 0, 0}, {1, 1, 1, 1, 1, 1, 0, 0, 0, 0}};
  double m, v;
  EXPECT_EQ(MeanVarArray(groups[0], 0, 7, m, v), 0);
  EXPECT_EQ(m, 5.0);
  EXPECT_DOUBLE_EQ(v, 32.0 / 7.0);
  EXPECT_EQ(MeanVarArray(groups[1], 0, 5, m, v), 0);
  EXPECT_EQ(v, 0.0);
}

}  // namespace
}  // namespace kvl
