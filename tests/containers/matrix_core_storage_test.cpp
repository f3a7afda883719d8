// TMatrix storage: construction, resizing, element access, ranges, events.

#include <gtest/gtest.h>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::EventLog;

TEST(MatrixStorage, NewMatrixIsOneByOneZero) {
  TMatrix m;
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  EXPECT_EQ(m.DataID(), "");
  EXPECT_EQ(m.Precision(1), 15);
  EXPECT_EQ(m.Precision(2), -1);
}

TEST(MatrixStorage, ResizeKeepsOverlapAndFiresChangeThenResize) {
  TMatrix m;
  m.Resize(3, 2);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 2; ++r) m.SetVal(c, r, 10 * c + r);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.OnResize = log.Recorder("resize");
  ASSERT_TRUE(m.Resize(2, 4));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
  EXPECT_EQ(m.GetVal(1, 1), 11);
  EXPECT_EQ(m.GetVal(2, 2), 22);
  EXPECT_EQ(m.GetVal(2, 3), 0);
  EXPECT_EQ(m.GetVal(3, 1), 0);  // outside
}

}  // namespace
}  // namespace kvl
