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

#include <cstdint>
#include <string>
#include <vector>

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

/// TComponent: a persistent object with an owner, a Name and a Tag.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  /// Frees every owned component (last inserted first) and leaves the
  /// owner's list.
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

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent) noexcept;

  TComponent* FOwner = nullptr;
  std::string FName;
  std::intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
};

}  // namespace kvl
