#include "render/stroke_font.h"

#include <GL/gl.h>

#include <cstdint>

namespace kvx {
namespace {

// Segments on a 4 x 6 grid (x 0..4, y 0..6), packed as x1 y1 x2 y2 digits.
const char* strokes(char c) {
  switch (c) {
    case '0': return "0040 4046 4606 0600 0446";
    case '1': return "2026 2614 1030";
    case '2': return "0646 4643 4303 0300 0040";
    case '3': return "0646 4640 4000 0343";
    case '4': return "0603 0343 4640";
    case '5': return "4606 0603 0343 4340 4000";
    case '6': return "4606 0600 0040 4043 4303";
    case '7': return "0646 4620";
    case '8': return "0040 4046 4606 0600 0343";
    case '9': return "4303 0306 0646 4640 4000";
    case 'X': return "0046 0640";
    case 'Y': return "0623 4623 2320";
    case 'Z': return "0646 4600 0040";
    case '=': return "0242 0444";
    case '.': return "2021";
    case '-': return "0343";
    default: return "";
  }
}

}  // namespace

void drawStrokeText(std::string_view text, float size) {
  const float unit = size / 6;
  glBegin(GL_LINES);
  float x0 = 0;
  for (char c : text) {
    for (const char* s = strokes(c); s[0]; s += s[4] ? 5 : 4) {
      glVertex2f(x0 + (s[0] - '0') * unit, (s[1] - '0') * unit);
      glVertex2f(x0 + (s[2] - '0') * unit, (s[3] - '0') * unit);
    }
    x0 += kStrokeAdvance * size;
  }
  glEnd();
}

float strokeTextLength(std::string_view text, float size) {
  return text.empty() ? 0 : (text.size() - 1) * kStrokeAdvance * size + 4 * size / 6;
}

}  // namespace kvx
