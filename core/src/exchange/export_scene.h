#pragma once
// A scene as an Assimp scene, for Assimp's exporters.
#include "scene/scene.h"

#include <assimp/scene.h>

#include <memory>
#include <string>
#include <vector>

namespace kvx {

struct ExportOptions {
  // Leave out objects drawn as lines or points (formats of triangles only).
  bool trianglesOnly = false;
  // Texture names whose images the format stores; the materials of
  // objects with one of them refer to "*<index in this list>".
  std::vector<uint32_t> embeddedTextures;
  // Else, file names of the images written beside the model, by texture name.
  std::vector<std::pair<uint32_t, std::string>> textureFiles;
};

// One mesh, material and node per drawable object, with the vertices as the
// renderer draws them. Null when no object has anything to write.
std::unique_ptr<aiScene> buildExportScene(const scene& source, const ExportOptions& options);

}  // namespace kvx
