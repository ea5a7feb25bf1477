#include "control_module.h"

#include "platform/folders.h"
#include "platform/registry_store.h"

#include <dlfcn.h>

namespace publish {
namespace {

using glimmer::HRESULT;
using GetClassObjectFn = HRESULT (*)(const glimmer::GUID&, const glimmer::GUID&, void**);
using RegisterFn = HRESULT (*)();

constexpr const char* kServerKey = "CLSID\\{5B3E21A7-9C4D-4F18-A2E6-7D90C1B4E35F}\\InprocServer32";

std::string registeredServer() {
  return kvx::registry::getString(kvx::registry::Hive::ClassesRoot, kServerKey, "").value_or("");
}

}  // namespace

ControlModule::~ControlModule() {
  if (factory_) factory_->Release();
  // The module stays loaded: controls may still be released after this.
}

bool ControlModule::registerModule(const std::string& path, bool unregister, std::string& error) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    error = std::string("cannot load the control: ") + dlerror();
    return false;
  }
  auto entry = reinterpret_cast<RegisterFn>(dlsym(module, unregister ? "DllUnregisterServer" : "DllRegisterServer"));
  const bool ok = entry && entry() == glimmer::S_OK;
  if (!ok) error = unregister ? "unregistering the control failed" : "registering the control failed";
  dlclose(module);
  return ok;
}

bool ControlModule::load(const std::string& besideProgram, std::string& error) {
  std::string server = registeredServer();
  if (server.empty() || !kvx::fileExists(server)) {
    if (!registerModule(besideProgram, false, error)) return false;
    server = registeredServer();
  }
  handle_ = dlopen(server.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    error = std::string("cannot load the control ") + server + ": " + dlerror();
    return false;
  }
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(handle_, "DllGetClassObject"));
  if (!getClassObject || getClassObject(glimmer::CLSID_GlimmerObj, glimmer::IID_IClassFactory,
                                        reinterpret_cast<void**>(&factory_)) != glimmer::S_OK) {
    error = "the control's module has no class object";
    return false;
  }
  toolsCommand_ = reinterpret_cast<void (*)(int)>(dlsym(handle_, "glimmer_tools_command"));
  return true;
}

void ControlModule::toolsCommand(int controlId) const {
  if (toolsCommand_) toolsCommand_(controlId);
}

glimmer::IGlimmerObj* ControlModule::create() {
  glimmer::IGlimmerObj* control = nullptr;
  if (!factory_ ||
      factory_->CreateInstance(nullptr, glimmer::IID_IGlimmerObj, reinterpret_cast<void**>(&control)) != glimmer::S_OK)
    return nullptr;
  return control;
}

}  // namespace publish
