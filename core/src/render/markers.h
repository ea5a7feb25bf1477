#pragma once
// Per-vertex markers: normals as short lines, selected and unselected points.
#include "scene/scene.h"

namespace kvx {

// Background brightness tests shared by the decorations.
bool stronglyRed(const uint8_t background[3]);  // blue + green - red < -205
bool bright(const uint8_t background[3]);       // red + green + blue >= 720

void drawNormals(const scene& scene, float viewRadius, bool depthTest);

struct PointMarking {
  bool markUnselected = false;  // normals shown, or measuring without a cutting plane
  bool measuring = false;
  bool facesShown = false;
  int viewportWidth = 0;
  float viewRadius = 0;
  float towardsViewer[3] = {0, 0, 0};  // unit vector from the centre to the eye
};
void drawPoints(const scene& scene, const PointMarking& marking);

}  // namespace kvx
