#include "kvl/arrays/array_core.h"

#include <gtest/gtest.h>

#include "kvl/base/KVL_kvlbase.h"

namespace kvl {
namespace {

using namespace detail;

TEST(ArrayCoreTest, RankAndExtentsOfNestedArrays) {
  static_assert(Rank<TDoubleArray> == 1 && Rank<TInt2DArray> == 2 && Rank<TDouble4DArray> == 4);
  static_assert(std::is_same_v<Elem<TInt3DArray>, std::int32_t>);
  const TDouble3DArray a(2, TDouble2DArray(3, TDoubleArray(4)));
  EXPECT_EQ(ExtentsOf(a), (Index<3>{2, 3, 4}));
  const TDouble3DArray empty_inner(2);  // no rows: deeper extents are 0
  EXPECT_EQ(ExtentsOf(empty_inner), (Index<3>{2, 0, 0}));
  EXPECT_TRUE(IsEmpty(ExtentsOf(empty_inner)));
}

TEST(ArrayCoreTest, CheckRangeCodes) {
  const Index<2> ext{3, 4};
  EXPECT_EQ(CheckRange(ext, {0, 0}, {2, 3}), 0);
  EXPECT_EQ(CheckRange(ext, {1, 1}, {1, 1}), 0);
  EXPECT_EQ(CheckRange(ext, {0, 2}, {2, 1}), -2);  // high below low
  EXPECT_EQ(CheckRange(ext, {0, 0}, {3, 0}), -2);  // beyond the extent
  EXPECT_EQ(CheckRange(ext, {-1, 0}, {0, 0}), -2);
  EXPECT_EQ(CheckRange(Index<2>{3, 0}, {0, 0}, {0, 0}), -1);
}

TEST(ArrayCoreTest, WalkersVisitOuterSlowestOnBothForms) {
  TDouble2DArray a = {{1, 2, 3}, {4, 5, 6}};
  std::vector<double> seen;
  ForEachInRange(a, {0, 1}, {1, 2}, [&](double v) { seen.push_back(v); });
  EXPECT_EQ(seen, (std::vector<double>{2, 3, 5, 6}));

  std::vector<double> storage = {1, 2, 3, 4, 5, 6};  // column-major, 2 columns x 3 rows
  TColumnView<double> v(storage.data(), 2, 3);
  EXPECT_EQ(ExtentsOf(v), (Index<2>{2, 3}));
  ForEachElem(v, [](const Index<2>& ix, double& x) { x += 10 * ix[0]; });
  EXPECT_EQ(storage, (std::vector<double>{1, 2, 3, 14, 15, 16}));
  EXPECT_EQ(v[1][2], 16.0);
}

}  // namespace
}  // namespace kvl
