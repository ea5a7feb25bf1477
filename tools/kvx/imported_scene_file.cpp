#include "imported_scene_file.h"

#include "exchange/exchange_interface.h"
#include "scene/scene.h"

#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kvx::tool {
namespace {

constexpr int kSuffixLength = 4;  // ".kvx"

}  // namespace

bool isSceneFileName(const std::string& path) {
  return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".kvx") == 0;
}

std::optional<ImportedSceneFile> ImportedSceneFile::from(const std::string& model, std::string& error) {
  scene s;
  char reason[512];
  if (kvx_ExchangeImport(model.c_str(), &s, reason, sizeof reason) != 0) {
    error = reason;
    return std::nullopt;
  }
  std::string name = (std::filesystem::temp_directory_path() / "kvx-imported-XXXXXX.kvx").string();
  const int descriptor = mkstemps(name.data(), kSuffixLength);
  if (descriptor < 0) {
    error = "cannot create a temporary file";
    return std::nullopt;
  }
  close(descriptor);
  ImportedSceneFile file(name);
  if (s.Write(name.c_str(), nullptr, 0, false, nullptr, nullptr, nullptr) <= FILE_NEEDS_PASS) {
    error = "cannot write a temporary scene file (is the disk full?)";
    return std::nullopt;
  }
  return file;
}

ImportedSceneFile::~ImportedSceneFile() {
  if (!path_.empty()) std::remove(path_.c_str());
}

}  // namespace kvx::tool
