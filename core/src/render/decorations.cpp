#include "render/decorations.h"

#include "render/gl_scopes.h"
#include "render/markers.h"
#include "render/number_label.h"
#include "render/stroke_font.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

namespace kvx {
namespace {

// Draws stroke text at `origin` with its baseline along `right` and its
// letters standing along `up`.
void placeText(const std::string& text, float size, const float origin[3], const float right[3],
               const float up[3]) {
  const float normal[3] = {right[1] * up[2] - right[2] * up[1], right[2] * up[0] - right[0] * up[2],
                           right[0] * up[1] - right[1] * up[0]};
  const GLfloat m[16] = {right[0],  right[1],  right[2],  0, up[0],     up[1],     up[2],     0,
                         normal[0], normal[1], normal[2], 0, origin[0], origin[1], origin[2], 1};
  const MatrixScope placed(GL_MODELVIEW);
  glMultMatrixf(m);
  drawStrokeText(text, size);
}

float largestExtent(const float b[6]) { return std::max({b[1] - b[0], b[3] - b[2], b[5] - b[4]}); }

}  // namespace

float fittedLabelSize(float size, int characters, float extent) {
  const float limit = 0.75f * extent;
  const float length = characters * kStrokeAdvance * size;
  return length > limit && length > 0 ? size * limit / length : size;
}

void drawOriginAxes(const float bounds[6], int upAxis) {
  const float L = largestExtent(bounds) / 2 * 1.1f;
  const float head = L / 8, letter = L / 7;
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(2.5f);
  glEnable(GL_LINE_SMOOTH);
  const float colors[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const char* names[3] = {"X", "Y", "Z"};
  for (int a = 0; a < 3; ++a) {
    // The arrow head opens in the plane of this axis and the next one.
    const int side = a == upAxis ? 0 : upAxis;
    float tip[3] = {0, 0, 0}, back[3] = {0, 0, 0};
    tip[a] = L;
    back[a] = L - head;
    glColor3fv(colors[a]);
    glBegin(GL_LINES);
    glVertex3f(0, 0, 0);
    glVertex3fv(tip);
    for (float s : {-1.0f, 1.0f}) {
      float wing[3] = {back[0], back[1], back[2]};
      wing[side] += s * head / 3;
      glVertex3fv(tip);
      glVertex3fv(wing);
    }
    glEnd();
    // Letters stand upright for the scene's up axis and read along x.
    const float right[3] = {1, 0, 0};
    float up[3] = {0, 0, 0}, at[3] = {0, 0, 0};
    up[upAxis] = 1;
    at[a] = L + letter * 0.3f;
    if (a == upAxis) at[0] = -letter * 0.3f;
    placeText(names[a], letter, at, right, up);
  }
  glLineWidth(1);
  glDisable(GL_LINE_SMOOTH);
}

void drawBoundsBox(const float b[6], const uint8_t background[3], int upAxis) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  if (int(background[0]) + background[1] + background[2] > 719)
    glColor3f(0, 0, 0);
  else
    glColor3f(1, 1, 1);
  glLineWidth(1.5f);
  glEnable(GL_LINE_SMOOTH);
  glBegin(GL_LINES);
  for (int axis = 0; axis < 3; ++axis) {
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    for (int corner = 0; corner < 4; ++corner) {
      float p[3];
      p[u] = b[2 * u + (corner & 1)];
      p[v] = b[2 * v + (corner >> 1)];
      p[axis] = b[2 * axis];
      glVertex3fv(p);
      p[axis] = b[2 * axis + 1];
      glVertex3fv(p);
    }
  }
  glEnd();

  const float extents[3] = {b[1] - b[0], b[3] - b[2], b[5] - b[4]};
  const char* prefixes[3] = {"X=", "Y=", "Z="};
  const float common = largestExtent(b) / 25;
  for (int axis = 0; axis < 3; ++axis) {
    if (extents[axis] <= 0) continue;
    const std::string label = formatNumberLabel(prefixes[axis], extents[axis]);
    const float size = fittedLabelSize(common, static_cast<int>(label.size()), extents[axis]);
    float origin[3] = {b[0], b[2], b[4]}, right[3] = {0, 0, 0}, up[3] = {0, 0, 0};
    right[axis] = 1;
    if (axis == upAxis) {
      up[0] = -1;  // written along the vertical edge, standing outwards
    } else {
      up[upAxis] = 1;
      origin[upAxis] += size * 0.3f;
    }
    placeText(label, size, origin, right, up);
  }
  glLineWidth(1);
  glDisable(GL_LINE_SMOOTH);
}

}  // namespace kvx
