#pragma once
// Binds kvx_core at run time. Every loader shares one library handle and one
// use count: the library is loaded by the first successful user and unloaded
// when the last one goes away.
#include "kvx_sdk.h"

#include <string>

namespace kavrik {

class SdkPluginLoader {
 public:
  SdkPluginLoader() = default;
  // The unload step: the user that finds the count at 1 unloads the library.
  ~SdkPluginLoader();
  SdkPluginLoader(const SdkPluginLoader&) = delete;
  SdkPluginLoader& operator=(const SdkPluginLoader&) = delete;

  // Loads `name` from `folder` (the plug-in folder of the program by
  // default) and creates a new SDK object, owned by the caller; null when
  // the library, its entry or the object cannot be had.
  kvx_GL_Plugin* LoadPlugin(const char* name);
  kvx_GL_Plugin* LoadPlugin(const char* name, const std::string& folder);

  static int useCount();
  static bool libraryLoaded();

 private:
  int passed_ = 0;  // load steps this loader passed
};

}  // namespace kavrik
