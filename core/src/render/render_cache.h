#pragma once
// What the renderer keeps between frames: the scene and context it drew
// last, and the GL objects it built for them.
#include "render/text_labels.h"

#include <cstdint>
#include <vector>

namespace kvx {

class scene;

struct RenderCache {
  const scene* lastScene = nullptr;
  void* lastContext = nullptr;  // rendering context the GL names below belong to
  uint32_t overlayTexture = 0;  // overlay cursor
  FontLists bitmapFont;
  FontLists outlineFont;
  std::vector<TextLabel> labels;  // read from the scene when it changes
  bool textureUploaded = false;   // during the frame being drawn
};

}  // namespace kvx
