#pragma once
// Binds kvx_core for one control: finds it through the "ExeModule" value of
// "Glimmer.GlimmerObj" (the "plugins" folder beside the control's module),
// else through the normal search path. The library stays loaded until
// release(), which the control calls only after destroying its SDK object.
#include "kvx_sdk.h"

#include <stdexcept>
#include <string>

namespace glimmer {

class CoreBinding {
 public:
  CoreBinding() = default;
  ~CoreBinding() { release(); }
  CoreBinding(const CoreBinding&) = delete;
  CoreBinding& operator=(const CoreBinding&) = delete;

  // The folder of the registered module; throws the failure text.
  static std::string registeredModuleFolder();
  // Loads the library when needed and creates an SDK object; null when the
  // library or its entry cannot be had.
  kvx_GL_Plugin* createSdk(const std::string& moduleFolder);
  void release();
  bool loaded() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

}  // namespace glimmer
