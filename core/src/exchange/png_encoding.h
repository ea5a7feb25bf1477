#pragma once
// Scene textures as PNG images, for formats that carry pictures.
#include "scene/scene_records.h"

#include <cstdint>
#include <vector>

namespace kvx {

// The texture's BGRA, bottom-row-first pixels as a PNG file's bytes (top
// row first, as every reader expects). Empty when libpng fails.
std::vector<uint8_t> encodePng(const SceneTexture& texture);

}  // namespace kvx
