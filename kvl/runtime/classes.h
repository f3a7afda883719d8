#pragma once
// The component model of the host runtime: TObject, TPersistent, TComponent.
//
//   TComponent owner;                       // unowned: the caller frees it
//   auto* part = new TKahanSum(&owner);     // owned: freed with `owner`
//   part->SetName("Sum1");
//
// Components are neither copyable nor movable; Assign copies what each
// class states. An owned component deleted before its owner leaves the
// owner's list, so it is never freed twice.
//
// Components that watch one another never keep a raw `this` in the other's
// public events. The watcher subscribes to the other's destruction notice
// (FreeNotification) and learns of it through Notification(.., opRemove),
// the way an owner learns that an owned component went away; the handlers
// it installs hold a weak reference (WeakHandler in weak_handler.h), so a
// copied handler does nothing once the watcher is gone.
//
// Events fire through FireEvent, which skips an empty handler and one that
// a TEventMute currently mutes; muting never touches the handler itself.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TObject: root of the class tree; knows its class name.
class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;

  /// ClassName: the class name without namespace, for example "TMatrix".
  std::string ClassName() const;
};

/// TPersistent: an object that can copy itself from another one.
class TPersistent : public TObject {
 public:
  /// Assign: copies Source into this object. The inherited form lets Source
  /// try AssignTo and raises EConvertError "Cannot assign a X to a Y" (X the
  /// source's class name, or nil, Y this class's name) when neither can.
  virtual void Assign(const TPersistent* Source);

 protected:
  /// AssignTo: copies this object into Dest; the inherited form raises.
  virtual void AssignTo(TPersistent* Dest) const;

 private:
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

/// TOperation: what Notification reports about a component.
enum class TOperation { opInsert, opRemove };

/// TComponent: a persistent object with an owner, a Name and a Tag.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  /// Expires the component's weak references, tells every component on its
  /// free-notification list (Notification(this, opRemove)), frees every
  /// owned component (last inserted first) and leaves the owner's list.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  TComponent(TComponent&&) = delete;
  TComponent& operator=(TComponent&&) = delete;

  /// Owner: the component that frees this one, or nullptr.
  TComponent* Owner() const noexcept { return FOwner; }
  /// Name: the text used in component error messages.
  const std::string& Name() const noexcept { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  /// Tag: a free integer for the host.
  std::intptr_t Tag() const noexcept { return FTag; }
  void SetTag(std::intptr_t Value) noexcept { FTag = Value; }
  /// ComponentCount and Components: the owned components in insertion order.
  int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;

  /// FreeNotification: AComponent is told (Notification(this, opRemove))
  /// when this component is destroyed, and this one when AComponent is; a
  /// pair is registered once however often it is asked. Null or this: nothing.
  void FreeNotification(TComponent* AComponent);
  /// RemoveFreeNotification: undoes FreeNotification for the pair.
  void RemoveFreeNotification(TComponent* AComponent) noexcept;

  /// LifeToken: a token that expires when this component is destroyed (the
  /// basis of TWeakRef); made on first request.
  std::weak_ptr<const void> LifeToken() const;

 protected:
  /// Notification: AComponent was inserted into (opInsert) or removed from
  /// (opRemove) this component's owned list, or, with opRemove, a component
  /// on the free-notification list is being destroyed. AComponent may then
  /// be partly destroyed: compare it, never call it. It runs inside
  /// destructors and must not throw. The inherited form does nothing.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  /// FireEvent: calls Event(this, Args...) unless it is empty or muted.
  template <class... P, class... A>
  void FireEvent(const std::function<void(TObject*, P...)>& Event, A&&... Args) {
    if (Event && !IsMuted(&Event)) Event(this, std::forward<A>(Args)...);
  }
  /// IsMuted: true while a TEventMute holds Event of this component.
  bool IsMuted(const void* Event) const noexcept {
    return !FMuted.empty() && CountMutes(Event) > 0;
  }

  /// TEventMute: while it lives (or until Release), FireEvent of Owner skips
  /// the listed events. Mutes nest: an event fires again when the last
  /// mute that holds it is released. The handlers stay as they are, so a
  /// handler assigned meanwhile is the one that fires afterwards.
  class TEventMute {
   public:
    template <class... E>
    explicit TEventMute(TComponent& Owner, const E&... Events)
        : FOwner(&Owner), FEvents{static_cast<const void*>(&Events)...}, FCount(sizeof...(E)) {
      static_assert(sizeof...(E) <= 8, "TEventMute holds at most 8 events");
      FOwner->FMuted.reserve(FOwner->FMuted.size() + FCount);  // all or nothing
      for (std::size_t i = 0; i < FCount; ++i) FOwner->FMuted.push_back(FEvents[i]);
    }
    ~TEventMute() { Release(); }
    TEventMute(const TEventMute&) = delete;
    TEventMute& operator=(const TEventMute&) = delete;
    /// Release: ends the mute now (later calls do nothing).
    void Release() noexcept {
      if (FOwner == nullptr) return;
      for (std::size_t i = 0; i < FCount; ++i) FOwner->Unmute(FEvents[i]);
      FOwner = nullptr;
    }

   private:
    TComponent* FOwner;
    std::array<const void*, 8> FEvents;
    std::size_t FCount;
  };

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent) noexcept;
  std::size_t CountMutes(const void* Event) const noexcept;
  void Unmute(const void* Event) noexcept;

  TComponent* FOwner = nullptr;
  std::string FName;
  std::intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;   // watched and watching components
  std::vector<const void*> FMuted;          // one entry per mute of an event
  mutable std::shared_ptr<const void> FLife;  // expires with the component
};

}  // namespace kvl

KVL_API_END
