#include "save_rules.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>

namespace kavrik {
namespace {

constexpr int kLargestSide = 16384;
constexpr int kNothingToSave = 5;
constexpr int kWriteError = 4;

std::string extensionOf(const std::string& path) { return std::filesystem::path(path).extension().string(); }

// The common formats the core's exchange module writes.
constexpr const char* kModelExtensions[] = {".glb", ".gltf", ".obj", ".stl", ".ply"};

}  // namespace

SaveKind saveKindOf(const std::string& path) {
  const std::string extension = extensionOf(path);
  if (strcasecmp(extension.c_str(), ".kvx") == 0) return SaveKind::Scene;
  if (strcasecmp(extension.c_str(), ".dxf") == 0) return SaveKind::Dxf;
  for (const char* model : kModelExtensions)
    if (strcasecmp(extension.c_str(), model) == 0) return SaveKind::Model;
  return SaveKind::Unknown;
}

std::string saveWildcard() {
  return "Kavrik files (*.kvx)|*.kvx|DXF files (*.dxf)|*.dxf|glTF binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf|"
         "Wavefront OBJ (*.obj)|*.obj|STL (*.stl)|*.stl|PLY (*.ply)|*.ply";
}

std::string withSaveExtension(const std::string& path) { return extensionOf(path).empty() ? path + ".kvx" : path; }

std::string withPictureExtension(const std::string& path) {
  return strcasecmp(extensionOf(path).c_str(), ".png") == 0 ? path : path + ".png";
}

bool savedWell(int result) { return result >= kSavedDxf; }

std::string saveErrorText(int result) {
  switch (result) {
    case kNothingToSave: return "The scene has no objects to save.";
    case kWriteError: return "The file could not be written completely (is the disk full?).";
    case kSaveFailed:
      return "The scene is protected against changes, or the file could not be created in that folder.";
    default: return "The file could not be saved.";
  }
}

std::optional<std::pair<int, int>> pictureSize(const std::string& text) {
  int width = 0, height = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), " %d x %d %c", &width, &height, &extra) != 2) return std::nullopt;
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return std::nullopt;
  return std::pair{width, height};
}

}  // namespace kavrik
