#include "core_binding.h"

#include "registration.h"
#include "services/debuglog.h"

#include <dlfcn.h>

namespace glimmer {

std::string CoreBinding::registeredModuleFolder() {
  const std::string module = registeredExeModule();
  if (module.empty()) throw std::runtime_error("Can't find Kavrik SDK Library !");
  const size_t cut = module.find_last_of('/');
  if (cut == std::string::npos) throw std::runtime_error("Bad Kavrik SDK Library location !");
  return module.substr(0, cut);
}

kvx_GL_Plugin* CoreBinding::createSdk(const std::string& moduleFolder) {
  if (!handle_) {
    const std::string beside = moduleFolder + "/plugins/libkvx_core.so";
    handle_ = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      KVX_LOG(kvx::LOG_WARNING, "CoreBinding::createSdk: %s: %s\n", beside.c_str(), dlerror());
      handle_ = dlopen("libkvx_core.so", RTLD_NOW | RTLD_LOCAL);
    }
    if (!handle_) {
      KVX_LOG(kvx::LOG_ERROR, "CoreBinding::createSdk: failed loading libkvx_core.so\n");
      return nullptr;
    }
  }
  auto init = reinterpret_cast<kvx_SDKInitFn>(dlsym(handle_, "SDKInit"));
  if (!init) {
    KVX_LOG(kvx::LOG_ERROR, "CoreBinding::createSdk: 'SDKInit' not found\n");
    return nullptr;
  }
  return init();
}

void CoreBinding::release() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace glimmer
