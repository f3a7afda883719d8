#include "kvl/containers/KVL_vector.h"

#include <gtest/gtest.h>

#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(VectorLifecycleTest, NewVectorHasOneZeroElement) {
  TVector v;
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_EQ(v.ClassName(), "TVector");
  TIntVector iv;
  EXPECT_EQ(iv.ClassName(), "TIntVector");
}

}  // namespace
}  // namespace kvl
