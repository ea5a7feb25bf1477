#include "plugin_loader.h"

#include "program_paths.h"
#include "services/debuglog.h"

#include <wx/dynlib.h>

#include <memory>

namespace kavrik {
namespace {

std::unique_ptr<wxDynamicLibrary> library;
int users = 0;

}  // namespace

kvx_GL_Plugin* SdkPluginLoader::LoadPlugin(const char* name) {
  return LoadPlugin(name, pluginFolder(programPaths().installDir));
}

kvx_GL_Plugin* SdkPluginLoader::LoadPlugin(const char* name, const std::string& folder) {
  const std::string fullName = folder + pluginFileName(name);
  if (users == 0) {
    KVX_LOG(kvx::LOG_INFO, "SdkPluginLoader::LoadPlugin: trying to load %s\n", fullName.c_str());
    auto loaded = std::make_unique<wxDynamicLibrary>();
    if (!loaded->Load(fullName, wxDL_NOW | wxDL_VERBATIM | wxDL_QUIET)) {
      KVX_LOG(kvx::LOG_ERROR, "SdkPluginLoader::LoadPlugin: failed loading %s\n", fullName.c_str());
      return nullptr;
    }
    library = std::move(loaded);
  }
  ++users;
  ++passed_;
  bool found = false;  // this form of the look-up reports nothing itself
  auto init = reinterpret_cast<kvx_SDKInitFn>(library->GetSymbol("SDKInit", &found));
  if (!found || !init) {
    KVX_LOG(kvx::LOG_ERROR, "SdkPluginLoader::LoadPlugin:'SDKInit' not found in %s\n", fullName.c_str());
    KVX_LOG(kvx::LOG_ERROR, "SdkPluginLoader::LoadPlugin:plugin creation failed\n");
    return nullptr;
  }
  kvx_GL_Plugin* sdk = init();
  if (!sdk) KVX_LOG(kvx::LOG_ERROR, "SdkPluginLoader::LoadPlugin:plugin creation failed\n");
  return sdk;
}

SdkPluginLoader::~SdkPluginLoader() {
  // Only the uses of this loader are given back, so that a loader that never
  // loaded cannot unload the library under another one.
  for (; passed_ > 0; --passed_) {
    if (users == 1) {
      KVX_LOG(kvx::LOG_INFO, "SdkPluginLoader::~: unloading library\n");
      library.reset();
    }
    if (users > 0) --users;
  }
}

int SdkPluginLoader::useCount() { return users; }

bool SdkPluginLoader::libraryLoaded() { return library && library->IsLoaded(); }

}  // namespace kavrik
