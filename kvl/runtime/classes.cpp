#include "kvl/runtime/classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "kvl/runtime/exceptions.h"

namespace kvl {

std::string TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  const auto pos = name.rfind("::");
  return pos == std::string::npos ? name : name.substr(pos + 2);
}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source == nullptr) AssignError(nullptr);
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const { Dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const {
  const std::string source = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + source + " to a " + ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->Insert(this);
}

TComponent::~TComponent() {
  FLife.reset();
  // Each partner leaves our list (and we leave its list) before it hears of
  // us, so a partner that reacts by changing its subscriptions is safe.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    std::erase(other->FFreeNotifies, this);
    other->Notification(this, TOperation::opRemove);
  }
  // Free owned components from the last one inserted; each leaves our list.
  while (!FComponents.empty()) delete FComponents.back();
  if (FOwner) FOwner->Remove(this);
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) != FFreeNotifies.end()) return;
  FFreeNotifies.push_back(AComponent);
  try {
    AComponent->FFreeNotifies.push_back(this);
  } catch (...) {
    FFreeNotifies.pop_back();
    throw;
  }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) noexcept {
  if (AComponent == nullptr) return;
  std::erase(FFreeNotifies, AComponent);
  std::erase(AComponent->FFreeNotifies, this);
}

std::weak_ptr<const void> TComponent::LifeToken() const {
  if (!FLife) FLife = std::make_shared<char>(0);
  return FLife;
}

std::size_t TComponent::CountMutes(const void* Event) const noexcept {
  return static_cast<std::size_t>(std::count(FMuted.begin(), FMuted.end(), Event));
}

void TComponent::Unmute(const void* Event) noexcept {
  const auto it = std::find(FMuted.rbegin(), FMuted.rend(), Event);
  if (it != FMuted.rend()) FMuted.erase(std::next(it).base());
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FComponents[static_cast<std::size_t>(Index)];
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  Notification(AComponent, TOperation::opInsert);
}

void TComponent::Remove(TComponent* AComponent) noexcept {
  auto it = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
  if (it != FComponents.rend()) FComponents.erase(std::next(it).base());
  AComponent->FOwner = nullptr;
  Notification(AComponent, TOperation::opRemove);
}

}  // namespace kvl
