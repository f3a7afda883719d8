// The quartiles by selection give exactly what the sorted rule gives.

#include "kvl/containers/internal/stat_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/randgen.h"

namespace kvl {
namespace {

using containers_internal::QuartilesBySelection;
using containers_internal::QuartilesOfSelected;

TEST(QuartilesBySelection, EqualTheQuartilesOfTheSortedValues) {
  RandSeed = 7;
  for (std::size_t n = 1; n <= 60; ++n) {
    for (std::int32_t range : {3, 1000}) {  // many ties, few ties
      std::vector<double> s(n);
      for (double& x : s) x = Random(range) - range / 2;
      std::vector<double> sorted = s;
      std::ranges::sort(sorted);
      double w1, w2, w3, q1, q2, q3;
      QuartilesOfSelected(sorted, w1, w2, w3);
      QuartilesBySelection(s, q1, q2, q3);
      EXPECT_EQ(q1, w1) << "n=" << n;
      EXPECT_EQ(q2, w2) << "n=" << n;
      EXPECT_EQ(q3, w3) << "n=" << n;
    }
  }
}

TEST(QuartilesBySelection, VectorAndMatrixAgreeWithTheSortedRule) {
  // 10 000 values with ties; the matrix takes NaNs last as its sort did.
  RandSeed = 11;
  TVector v;
  v.Resize(10000);
  TMatrix m;
  m.Resize(100, 100);
  std::vector<double> all;
  for (std::int32_t i = 1; i <= 10000; ++i) {
    const double x = Random(5000) / 8.0;
    v.SetVal(i, x);
    m.SetVal((i - 1) / 100 + 1, (i - 1) % 100 + 1, x);
    all.push_back(x);
  }
  std::ranges::sort(all);
  double w1, w2, w3, q1, q2, q3;
  QuartilesOfSelected(all, w1, w2, w3);
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, w1);
  EXPECT_EQ(q2, w2);
  EXPECT_EQ(q3, w3);
  m.SetVal(3, 3, std::numeric_limits<double>::quiet_NaN());
  m.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  std::vector<double> cells(m.Data().begin(), m.Data().end());
  std::ranges::sort(cells, [](double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; });
  QuartilesOfSelected(cells, w1, w2, w3);
  m.Quartiles(0, 0, 0, 0, q1, q2, q3);
  EXPECT_EQ(q1, w1);
  EXPECT_EQ(q2, w2);
  EXPECT_EQ(q3, w3);
}

// A quartile at a whole position is that value, even beside an infinity
// (the interpolation weight 0 must not make inf·0 = NaN).
TEST(QuartilesOfSelected, WholePositionBesideInfinity) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  double q1, q2, q3;
  QuartilesOfSelected(std::vector<double>{1.0, 2.0, inf}, q1, q2, q3);
  EXPECT_EQ(q2, 2.0);
  QuartilesOfSelected(std::vector<double>{-inf, 1.0, 2.0, 3.0, inf, inf, inf}, q1, q2, q3);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 3.0);
  EXPECT_EQ(q3, inf);
}

}  // namespace
}  // namespace kvl
