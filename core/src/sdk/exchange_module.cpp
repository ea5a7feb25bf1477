#include "sdk/exchange_module.h"

#include "services/debuglog.h"

#include <dlfcn.h>
#include <strings.h>

#include <algorithm>
#include <filesystem>

namespace kvx {
namespace {

constexpr const char* kModuleName = "libkvx_exchange.so";

std::filesystem::path folderOfThisCode() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&exchangeModule), &info) || !info.dli_fname) return {};
  std::error_code ignored;
  const std::filesystem::path self = std::filesystem::canonical(info.dli_fname, ignored);
  return self.empty() ? std::filesystem::path(info.dli_fname).parent_path() : self.parent_path();
}

void* openModule(std::string& failure) {
  const std::filesystem::path folder = folderOfThisCode();
  std::string lastError = "not found beside " + folder.string();
  for (const std::filesystem::path& candidate : {folder / kModuleName, folder / "plugins" / kModuleName}) {
    if (!std::filesystem::exists(candidate)) continue;
    if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    const char* reason = dlerror();
    lastError = reason ? reason : candidate.string();
  }
  failure = "The module for model formats (" + std::string(kModuleName) + ") could not be loaded: " + lastError;
  return nullptr;
}

template <typename Fn>
Fn symbol(void* handle, const char* name, std::string& failure) {
  void* found = dlsym(handle, name);
  if (!found && failure.empty())
    failure = "The module for model formats (" + std::string(kModuleName) + ") lacks " + name;
  return reinterpret_cast<Fn>(found);
}

ExchangeModule load() {
  ExchangeModule module;
  void* handle = openModule(module.failure);
  if (!handle) {
    KVX_LOG(LOG_ERROR, "exchange module: %s\n", module.failure.c_str());
    return module;
  }
  const auto version = symbol<kvx_ExchangeVersionFn>(handle, "kvx_ExchangeVersion", module.failure);
  module.import = symbol<kvx_ExchangeImportWithProgressFn>(handle, "kvx_ExchangeImportWithProgress", module.failure);
  module.exportScene = symbol<kvx_ExchangeExportFn>(handle, "kvx_ExchangeExport", module.failure);
  module.extensions = symbol<kvx_ExchangeExtensionsFn>(handle, "kvx_ExchangeExtensions", module.failure);
  if (module.failure.empty() && version() != KVX_EXCHANGE_INTERFACE_VERSION)
    module.failure = "The module for model formats (" + std::string(kModuleName) + ") is of another version";
  if (!module.failure.empty()) KVX_LOG(LOG_ERROR, "exchange module: %s\n", module.failure.c_str());
  return module;
}

std::string lowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

bool ExchangeModule::handles(const std::string& path, kvx_ExchangeDirection direction) const {
  const std::string extension = lowerExtension(path);
  if (!usable() || extension.size() < 2) return false;
  const std::string patterns = std::string(";") + extensions(direction) + ";";
  return patterns.find(";*" + extension + ";") != std::string::npos;
}

const ExchangeModule& exchangeModule() {
  static const ExchangeModule module = load();
  return module;
}

bool isModelFileName(const std::string& path) {
  const std::string extension = lowerExtension(path);
  return !extension.empty() && extension != ".kvx";
}

}  // namespace kvx
