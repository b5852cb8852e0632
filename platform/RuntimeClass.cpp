#include "platform/RuntimeClass.h"

#include <map>
#include <string>

namespace {

std::map<std::string, const CRuntimeClass*>& registry() {
  static std::map<std::string, const CRuntimeClass*> classes;
  return classes;
}

}  // namespace

void RegisterRuntimeClass(const CRuntimeClass* cls) {
  if (cls) registry()[cls->className()] = cls;
}

void RegisterRuntimeClassAs(const char* className, const CRuntimeClass* cls) {
  if (className && cls) registry()[className] = cls;
}

const CRuntimeClass* FindRuntimeClass(const char* className) {
  if (!className) return nullptr;
  auto it = registry().find(className);
  return it == registry().end() ? nullptr : it->second;
}

QObject* CreateObject(const CRuntimeClass* cls) { return cls ? cls->newInstance() : nullptr; }

QObject* CreateObject(const char* className) { return CreateObject(FindRuntimeClass(className)); }

bool IsKindOf(const QObject* object, const CRuntimeClass* cls) {
  return object && cls && object->metaObject()->inherits(cls);
}
