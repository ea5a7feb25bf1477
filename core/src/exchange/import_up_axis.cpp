#include "exchange/import_up_axis.h"

#include "kvx_commands.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kvx {
namespace {

constexpr int32_t kMetadataAxisZ = 2;

std::string lowerExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

UpAxis upAxisOf(const aiScene& model, const std::filesystem::path& path) {
  int32_t axis = -1;
  if (model.mMetaData && model.mMetaData->Get("UpAxis", axis))
    return axis == kMetadataAxisZ ? UpAxis::Z : UpAxis::Y;
  const std::string extension = lowerExtension(path);
  return extension == ".stl" || extension == ".3ds" ? UpAxis::Z : UpAxis::Y;
}

uint32_t upAxisSceneFlag(UpAxis axis) { return axis == UpAxis::Z ? 0u : uint32_t(KVX_SCENE_Z_UP); }

}  // namespace kvx
