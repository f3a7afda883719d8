// The one-class reduction over a column-major cell reader: the form the
// TIntMatrix overload of ExtractClassifPerformance wraps (1-based class,
// cells stored column after column).

#include "kvl/statistics/statis/internal/classif_counts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kvl::statis_internal {
namespace {

struct TColumnMajor {
  std::int64_t Cols, Rows;
  std::vector<std::int32_t> Cells;  // cell (c, r), 0-based, at c * Rows + r
  std::int32_t Extract(std::int32_t ClassIx1, std::int32_t& tp, std::int32_t& fp, std::int32_t& tn,
                       std::int32_t& fn) const {
    return ExtractClassCounts(
        std::int64_t{ClassIx1} - 1, Cols, Rows,
        [this](std::int64_t c, std::int64_t r) { return std::int64_t{Cells[static_cast<std::size_t>(c * Rows + r)]}; },
        tp, fp, tn, fn);
  }
};

TEST(ClassCountsInternalTest, ColumnMajorMatrixForm) {
  const TColumnMajor m{3, 3, {50, 2, 1, 3, 40, 2, 0, 4, 30}};
  std::int32_t tp, fp, tn, fn;
  ASSERT_EQ(m.Extract(3, tp, fp, tn, fn), 0);
  EXPECT_EQ(tp, 30);
  EXPECT_EQ(fp, 4);  // column 3: 0 + 4 + 30
  EXPECT_EQ(fn, 3);  // row 3: 1 + 2 + 30
  EXPECT_EQ(tn, 95);
  EXPECT_EQ(m.Extract(0, tp, fp, tn, fn), -2);  // class 0 of the 1-based form
  EXPECT_EQ(m.Extract(4, tp, fp, tn, fn), -2);
  EXPECT_EQ(m.Extract(INT32_MIN, tp, fp, tn, fn), -2);
  const TColumnMajor wide{2, 3, {1, 2, 3, 4, 5, 6}};
  EXPECT_EQ(wide.Extract(1, tp, fp, tn, fn), -1);  // 2 x 3: not square
  EXPECT_EQ(wide.Extract(3, tp, fp, tn, fn), -2);  // -2 wins
}

TEST(ClassCountsInternalTest, CountsBeyondTheIntegerRangeWrap) {
  // Class 1 is empty; the other four cells make TN = 4 (2^31 - 1), summed in
  // 64 bits and wrapped to the low 32 bits: -4.
  const TColumnMajor m{3, 3, {0, 0, 0, 0, INT32_MAX, INT32_MAX, 0, INT32_MAX, INT32_MAX}};
  std::int32_t tp, fp, tn, fn;
  ASSERT_EQ(m.Extract(1, tp, fp, tn, fn), 0);
  EXPECT_EQ(tp + fp + fn, 0);
  EXPECT_EQ(tn, -4);
}

}  // namespace
}  // namespace kvl::statis_internal
