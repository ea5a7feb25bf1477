#pragma once
// 3D text labels of a scene and the two fonts they are drawn with.
#include "scene/scene.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kvx {

struct TextLabel {
  enum Kind { BITMAP = 0, OUTLINE = 1 };
  Kind kind = BITMAP;
  float position[3] = {0, 0, 0};  // bitmap text: raster position
  Matrix4 matrix = kIdentityMatrix;  // outline text: its own transformation
  uint8_t color[3] = {255, 255, 255};
  std::string text;
};

// Labels stored in the scene's annotation blob; a damaged blob yields the
// labels read before the damage.
std::vector<TextLabel> readTextLabels(const scene& scene);

// 256 display lists, one per character code; base 0 when not built.
struct FontLists {
  uint32_t base = 0;
  bool attempted = false;  // built or failed in the current context
};

// Builds the lists in the current context. False (and no lists) when the
// font cannot be had.
bool buildBitmapFont(FontLists& font);
bool buildOutlineFont(FontLists& font);
void deleteFont(FontLists& font);

// Draws every label whose font is available, in its colour.
void drawTextLabels(const std::vector<TextLabel>& labels, FontLists& bitmapFont, FontLists& outlineFont);

}  // namespace kvx
