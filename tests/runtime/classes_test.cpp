#include "kvl/runtime/classes.h"

#include <gtest/gtest.h>

#include "kvl/runtime/exceptions.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

struct TProbe : TComponent {
  explicit TProbe(TComponent* AOwner, int* Deaths = nullptr) : TComponent(AOwner), FDeaths(Deaths) {}
  ~TProbe() override {
    if (FDeaths) ++*FDeaths;
  }
  int* FDeaths;
};

struct TOther : TPersistent {};

TEST(TComponentTest, OwnerFreesOwnedComponents) {
  int deaths = 0;
  auto* owner = new TComponent();
  new TProbe(owner, &deaths);
  new TProbe(owner, &deaths);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete owner;
  EXPECT_EQ(deaths, 2);
}

TEST(TComponentTest, ComponentFreedFirstLeavesOwnersList) {
  int deaths = 0;
  TComponent owner;
  auto* a = new TProbe(&owner, &deaths);
  auto* b = new TProbe(&owner, &deaths);
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(b->Owner(), &owner);
  EXPECT_THROW(owner.Components(1), EListError);
}

TEST(TComponentTest, NestedOwnershipFreesWholeTree) {
  int deaths = 0;
  {
    TComponent root;
    auto* mid = new TProbe(&root, &deaths);
    new TProbe(mid, &deaths);
    new TProbe(mid, &deaths);
  }
  EXPECT_EQ(deaths, 3);
}

TEST(TComponentTest, NameAndTag) {
  TComponent c;
  EXPECT_EQ(c.Name(), "");
  c.SetName("Mat1");
  c.SetTag(-7);
  EXPECT_EQ(c.Name(), "Mat1");
  EXPECT_EQ(c.Tag(), -7);
  EXPECT_EQ(c.ClassName(), "TComponent");
}

TEST(TPersistentTest, InheritedAssignRaisesWithClassNames) {
  TComponent c;
  TOther o;
  KVL_EXPECT_THROW_MSG(c.Assign(&o), EConvertError, "Cannot assign a TOther to a TComponent");
  KVL_EXPECT_THROW_MSG(o.Assign(nullptr), EConvertError, "Cannot assign a nil to a TOther");
}

}  // namespace
}  // namespace kvl
