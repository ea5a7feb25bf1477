#include "exchange/exchange_interface.h"

#include "exchange/model_exchange.h"
#include "scene/scene.h"

#include <assimp/Importer.hpp>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

namespace {

int failWith(const std::string& reason, char* error, size_t errorSize) {
  if (error && errorSize > 0) {
    const size_t length = std::min(reason.size(), errorSize - 1);
    std::memcpy(error, reason.data(), length);
    error[length] = '\0';
  }
  return -1;
}

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string readPatterns() {
  std::string list;
  Assimp::Importer().GetExtensionList(list);
  return lowerCase(list);
}

std::string writePatterns() {
  std::string list;
  for (const std::string& extension : kvx::exportExtensions()) list += (list.empty() ? "*" : ";*") + extension;
  return list;
}

}  // namespace

// Nothing may throw across the C boundary.
extern "C" int kvx_ExchangeVersion(void) { return KVX_EXCHANGE_INTERFACE_VERSION; }

extern "C" int kvx_ExchangeImport(const char* path, void* scene, char* error, size_t errorSize) {
  return kvx_ExchangeImportWithProgress(path, scene, nullptr, nullptr, error, errorSize);
}

extern "C" int kvx_ExchangeImportWithProgress(const char* path, void* scene, kvx_ExchangeProgressFn progress,
                                              void* context, char* error, size_t errorSize) {
  if (!path || !scene) return failWith("no file or no scene given", error, errorSize);
  try {
    std::string reason;
    bool cancelled = false;
    const kvx::ImportProgress report{[&](float value) {
      cancelled = cancelled || (progress && progress(context, value) != 0);
      return !cancelled;
    }};
    if (kvx::importModel(path, *static_cast<kvx::scene*>(scene), reason, &report)) return 0;
    if (cancelled) {
      failWith("the import was cancelled", error, errorSize);
      return KVX_EXCHANGE_CANCELLED;
    }
    return failWith(reason, error, errorSize);
  } catch (const std::exception& failure) {
    return failWith(failure.what(), error, errorSize);
  }
}

extern "C" int kvx_ExchangeExport(const void* scene, const char* path, char* error, size_t errorSize) {
  if (!path || !scene) return failWith("no file or no scene given", error, errorSize);
  try {
    std::string reason;
    if (kvx::exportModel(*static_cast<const kvx::scene*>(scene), path, reason)) return 0;
    return failWith(reason, error, errorSize);
  } catch (const std::exception& failure) {
    return failWith(failure.what(), error, errorSize);
  }
}

extern "C" const char* kvx_ExchangeExtensions(kvx_ExchangeDirection direction) {
  try {
    static const std::string read = readPatterns();
    static const std::string written = writePatterns();
    return direction == KVX_EXCHANGE_WRITE ? written.c_str() : read.c_str();
  } catch (const std::exception&) {
    return "";
  }
}
