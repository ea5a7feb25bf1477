#pragma once
// Textures of a model's materials as entries of the scene's texture table.
#include "scene/scene.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <filesystem>
#include <map>
#include <string>

namespace kvx {

// What an object drawn with a material's diffuse texture needs.
struct TextureBinding {
  std::string path;  // as the material names it; empty when untextured
  unsigned uvChannel = 0;
  bool repeatU = true;
  bool repeatV = true;
};

TextureBinding diffuseTextureOf(const aiMaterial& material);

// Decodes each texture once, embedded in the model or in a file beside it,
// and hands out one reference per object that uses it.
class TextureImporter {
 public:
  TextureImporter(const aiScene& model, std::filesystem::path modelFolder, scene& target)
      : model_(model), folder_(std::move(modelFolder)), target_(target) {}

  // The texture name for `path` with one more reference, or 0 when the
  // image is missing or cannot be decoded (logged; the object then stays
  // untextured rather than failing the whole import).
  uint32_t acquire(const std::string& path);

 private:
  uint32_t load(const std::string& path);

  const aiScene& model_;
  std::filesystem::path folder_;
  scene& target_;
  std::map<std::string, uint32_t> names_;  // path -> texture name, 0 = unusable
  uint32_t nextName_ = 1;
};

}  // namespace kvx
