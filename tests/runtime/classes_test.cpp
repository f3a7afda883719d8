#include "kvl/runtime/classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "kvl/runtime/exceptions.h"
#include "kvl/runtime/weak_handler.h"
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

// --- notifications, mutes and weak handlers --------------------------------------------------

/// TListener: logs every Notification as "insert X" / "remove X" (X the
/// other component's Name, read while it is still registered) and counts
/// the events it is sent.
struct TListener : TComponent {
  explicit TListener(std::vector<std::string>& Log, TComponent* AOwner = nullptr)
      : TComponent(AOwner), FLog(Log) {}
  void Changed(TObject*) { ++Calls; }
  void Fire(const TNotifyEvent& Event) { FireEvent(Event); }
  using TComponent::TEventMute;
  int Calls = 0;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    const auto it = std::find(FKnown.begin(), FKnown.end(), AComponent);
    const std::string who = it == FKnown.end() ? "?" : FNames[static_cast<std::size_t>(it - FKnown.begin())];
    FLog.push_back((Operation == TOperation::opInsert ? "insert " : "remove ") + who);
  }

 public:
  void Know(TComponent* C, const std::string& Name) {
    FKnown.push_back(C);
    FNames.push_back(Name);
  }

 private:
  std::vector<std::string>& FLog;
  std::vector<TComponent*> FKnown;
  std::vector<std::string> FNames;
};

TEST(TComponentNotification, WhicheverPartnerDiesFirstTellsTheOther) {
  for (const bool watchedFirst : {true, false}) {
    std::vector<std::string> log;
    auto watcher = std::make_unique<TListener>(log);
    auto watched = std::make_unique<TListener>(log);
    watcher->Know(watched.get(), "watched");
    watched->Know(watcher.get(), "watcher");
    watched->FreeNotification(watcher.get());
    watched->FreeNotification(watcher.get());  // registered once
    if (watchedFirst) {
      watched.reset();
      EXPECT_EQ(log, (std::vector<std::string>{"remove watched"}));
    } else {
      watcher.reset();
      EXPECT_EQ(log, (std::vector<std::string>{"remove watcher"}));
    }
    log.clear();
    watched.reset();
    watcher.reset();
    EXPECT_TRUE(log.empty()) << "the survivor left the partner's list";
  }
}

TEST(TComponentNotification, RemovedPairHearsNothingAndOwnerHearsItsOwnees) {
  std::vector<std::string> log;
  TListener owner(log);
  auto* part = new TComponent(&owner);
  owner.Know(part, "part");
  {
    TComponent other;
    other.FreeNotification(&owner);
    other.RemoveFreeNotification(&owner);
  }
  delete part;
  EXPECT_EQ(log, (std::vector<std::string>{"insert ?", "remove part"}));
}

TEST(TComponentEvents, MutesNestAndKeepAHandlerAssignedMeanwhile) {
  std::vector<std::string> log;
  TListener c(log);
  TNotifyEvent event = [&](TObject*) { log.push_back("first"); };
  {
    TListener::TEventMute outer(c, event);
    {
      TListener::TEventMute inner(c, event);
      c.Fire(event);
      event = [&](TObject*) { log.push_back("second"); };
    }
    c.Fire(event);  // the outer mute still holds
    outer.Release();
    c.Fire(event);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"second"}));
}

TEST(TWeakHandlerTest, CopiesTurnInertWhenTheListenerDies) {
  std::vector<std::string> log;
  TNotifyEvent copy;
  TWeakRef<TListener> ref;
  {
    TListener listener(log);
    TNotifyEvent handler = WeakHandler(&listener, &TListener::Changed);
    copy = handler;
    copy(nullptr);
    handler(nullptr);
    EXPECT_EQ(listener.Calls, 2);
    ref = TWeakRef<TListener>(&listener);
    EXPECT_EQ(ref.Get(), &listener);
  }
  EXPECT_EQ(ref.Get(), nullptr);
  copy(nullptr);  // must not reach the destroyed listener
  EXPECT_EQ(TWeakRef<TListener>().Get(), nullptr);
}

}  // namespace
}  // namespace kvl
