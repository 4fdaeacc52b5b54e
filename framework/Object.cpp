#include "framework/Object.h"

#include <map>
#include <mutex>

namespace {

struct Registry {
  std::mutex lock;
  std::map<std::string, const CRuntimeClass*> byName;
};

Registry& Classes() {
  static Registry registry;
  return registry;
}

}  // namespace

const CRuntimeClass CObject::kClass{"CObject", nullptr};

CRuntimeClass::CRuntimeClass(const char* name, const CRuntimeClass* baseClass, CObject* (*factory)())
    : className(name), base(baseClass), create(factory) {
  Registry& r = Classes();
  std::lock_guard<std::mutex> hold(r.lock);
  r.byName[name] = this;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* other) const {
  for (const CRuntimeClass* c = this; c; c = c->base)
    if (c == other) return true;
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const std::string& name) {
  Registry& r = Classes();
  std::lock_guard<std::mutex> hold(r.lock);
  auto it = r.byName.find(name);
  return it == r.byName.end() ? nullptr : it->second;
}
