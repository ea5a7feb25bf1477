#pragma once
// Texture objects of the scene's textures, built on first use in a context.
#include "scene/scene.h"

#include <cstdint>

namespace kvx {

// Creates the texture object of `texture` when it has none: mipmaps from the
// 32-bit pixels, or one level with nearest filtering when they cannot be
// built. Returns true when it uploaded. `accelerate` false skips mipmaps.
bool ensureTexture(SceneTexture& texture, bool repeatU, bool repeatV, bool accelerate);

// Sets the filters for drawing with `texture` bound.
void setTextureFilters(const SceneTexture& texture, bool accelerate);

// True when every texture object the scene holds, and the overlay texture,
// still name textures of the current context.
bool textureNamesValid(const scene& scene, uint32_t overlayTexture);

// Forgets (and deletes, when asked) every texture object of the scene.
void releaseTextures(scene& scene, bool deleteObjects);

}  // namespace kvx
