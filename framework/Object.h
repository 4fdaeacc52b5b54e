#pragma once
// Root object with run-time class information: each class names itself and its base, and the
// classes that can be made by name carry a factory.
#include <string>

class CObject;

struct CRuntimeClass {
  const char* className;
  const CRuntimeClass* base;
  CObject* (*create)();  // null for classes that cannot be made by name

  CRuntimeClass(const char* name, const CRuntimeClass* baseClass, CObject* (*factory)() = nullptr);
  CRuntimeClass(const CRuntimeClass&) = delete;
  CRuntimeClass& operator=(const CRuntimeClass&) = delete;

  bool IsDerivedFrom(const CRuntimeClass* other) const;
  CObject* CreateObject() const { return create ? create() : nullptr; }
  // The registered class of that name, or null.
  static const CRuntimeClass* FromName(const std::string& name);
};

class CObject {
 public:
  static const CRuntimeClass kClass;
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &kClass; }
  bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

 protected:
  CObject() = default;
};

// Factory for a class that can be made by name: `CRuntimeClass kClass{"CFoo", &CBase::kClass, &CreateObjectOf<CFoo>};`
template <class T>
CObject* CreateObjectOf() {
  return new T;
}

// The body of GetRuntimeClass for a class with a static kClass member.
#define LUMAVEX_RUNTIME_CLASS        \
  static const CRuntimeClass kClass; \
  const CRuntimeClass* GetRuntimeClass() const override { return &kClass; }
