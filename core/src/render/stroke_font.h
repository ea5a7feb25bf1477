#pragma once
// Stroke characters for the axis letters, the bounds labels and the
// measurement: digits, "XYZ", "=", ".", "-" and space, as line segments.
#include <string_view>

namespace kvx {

// Width of one character cell in units of the character height.
inline constexpr float kStrokeAdvance = 0.75f;

// Draws `text` as GL_LINES in the plane z = 0 of the current model-view,
// from the origin along +x, characters `size` high.
void drawStrokeText(std::string_view text, float size);

// Length of `text` drawn at `size`.
float strokeTextLength(std::string_view text, float size);

}  // namespace kvx
