#include "registration.h"

#include "platform/registry_store.h"

namespace glimmer {
namespace {

using kvx::registry::Hive;
constexpr Hive kRoot = Hive::ClassesRoot;
constexpr const char* kDisplayName = "kavrik publish";

std::string classKey() { return std::string("CLSID\\") + kClsidText; }

bool set(const std::string& key, const std::string& name, const std::string& value) {
  return kvx::registry::setString(kRoot, key, name, value);
}

bool writeProgIds(const std::string& modulePath) {
  const std::string progId = kProgId, independent = kVersionIndependentProgId;
  return set(progId, "", kDisplayName) && set(progId + "\\CLSID", "", kClsidText) &&
         kvx::registry::createKey(kRoot, progId + "\\Insertable") && set(independent, "", kDisplayName) &&
         set(independent + "\\CLSID", "", kClsidText) && set(independent + "\\CurVer", "", progId) &&
         set(independent, "ExeModule", modulePath);
}

bool writeClassKey(const std::string& modulePath) {
  const std::string key = classKey();
  return set(key, "", kDisplayName) && set(key + "\\ProgID", "", kProgId) &&
         set(key + "\\VersionIndependentProgID", "", kVersionIndependentProgId) &&
         set(key + "\\InprocServer32", "", modulePath) && set(key + "\\InprocServer32", "ThreadingModel", "both") &&
         kvx::registry::createKey(kRoot, key + "\\Control") && kvx::registry::createKey(kRoot, key + "\\Insertable") &&
         set(key + "\\ToolboxBitmap32", "", modulePath + ", 1") && set(key + "\\MiscStatus", "", "0") &&
         set(key + "\\MiscStatus\\1", "", "131473") && set(key + "\\TypeLib", "", kLibidText) &&
         set(key + "\\Version", "", "1.0");
}

// The type library entry, as registering it from the module's resource writes it.
bool writeTypeLibrary(const std::string& modulePath) {
  const std::string key = std::string("TypeLib\\") + kLibidText + "\\1.0";
  return set(key, "", "Glimmer 1.0 Type Library") && set(key + "\\0\\linux", "", modulePath);
}

}  // namespace

bool registerControl(const std::string& modulePath) {
  // The class key and its marker subkeys are recreated from scratch.
  kvx::registry::deleteKey(kRoot, classKey());
  return writeProgIds(modulePath) && writeClassKey(modulePath) && writeTypeLibrary(modulePath);
}

bool unregisterControl() {
  kvx::registry::deleteKey(kRoot, classKey());
  kvx::registry::deleteKey(kRoot, kProgId);
  kvx::registry::deleteKey(kRoot, kVersionIndependentProgId);
  kvx::registry::deleteKey(kRoot, std::string("TypeLib\\") + kLibidText);
  return !kvx::registry::keyExists(kRoot, classKey());
}

std::string registeredServer() {
  return kvx::registry::getString(kRoot, classKey() + "\\InprocServer32", "").value_or("");
}

std::string registeredExeModule() {
  return kvx::registry::getString(kRoot, kVersionIndependentProgId, "ExeModule").value_or("");
}

}  // namespace glimmer
