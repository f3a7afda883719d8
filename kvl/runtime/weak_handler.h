#pragma once
// Weak references to components and event handlers built on them.
//
//   // inside TWatcher, wiring itself to a matrix it does not own:
//   Matrix->OnChange = WeakHandler(this, &TWatcher::MatrixChanged);
//   Matrix->FreeNotification(this);   // Notification(Matrix, opRemove) on its death
//
// The handler keeps no strong hold on the watcher: once the watcher is
// destroyed, the handler (and every copy of it, for example one that
// TMatrix::Assign copied into another matrix) does nothing.

#include <memory>
#include <utility>

#include "kvl/runtime/classes.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TWeakRef: a reference to a component that reads nullptr once the
/// component is destroyed.
template <class C>
class TWeakRef {
 public:
  TWeakRef() = default;
  /// Refers to Target (nullptr: a reference that is always empty).
  explicit TWeakRef(C* Target) : FTarget(Target) {
    if (Target != nullptr) FLife = Target->LifeToken();
  }
  /// Get: the component, or nullptr when it is gone.
  C* Get() const noexcept { return FLife.expired() ? nullptr : FTarget; }

 private:
  C* FTarget = nullptr;
  std::weak_ptr<const void> FLife;
};

/// WeakHandler: an event handler that calls (Listener->*Method)(Args...)
/// while Listener exists and does nothing afterwards.
template <class C, class... A>
auto WeakHandler(C* Listener, void (C::*Method)(A...)) {
  return [Ref = TWeakRef<C>(Listener), Method](A... Args) {
    if (C* listener = Ref.Get()) (listener->*Method)(std::forward<A>(Args)...);
  };
}

}  // namespace kvl

KVL_API_END
