#include "render/markers.h"

#include <GL/gl.h>

namespace kvx {

bool stronglyRed(const uint8_t bg[3]) { return int(bg[2]) + bg[1] - bg[0] < -205; }
bool bright(const uint8_t bg[3]) { return int(bg[0]) + bg[1] + bg[2] >= 720; }

void drawNormals(const scene& scene, float viewRadius, bool depthTest) {
  const float length = viewRadius * 0.02f;
  if (stronglyRed(scene.background))
    glColor3f(1, 1, 0);
  else
    glColor3f(1, 0, 0);
  if (depthTest)
    glEnable(GL_DEPTH_TEST);
  else
    glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_LINES);
  for (const auto& object : scene.objects)
    for (const Vertex& v : object->geometry->vertices) {
      if (v.nx == 0 && v.ny == 0 && v.nz == 0) continue;
      glVertex3f(v.x, v.y, v.z);
      glVertex3f(v.x + v.nx * length, v.y + v.ny * length, v.z + v.nz * length);
    }
  glEnd();
}

void drawPoints(const scene& scene, const PointMarking& m) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glPointSize(m.viewportWidth > 1280 ? 5.0f : 3.0f);
  if (stronglyRed(scene.background))
    glColor3f(0, 1, 0);
  else
    glColor3f(1, 0, 0);
  glBegin(GL_POINTS);
  for (const auto& object : scene.objects) {
    const geom& g = *object->geometry;
    for (const Vertex& v : g.vertices)
      if (g.mark || v.mark) glVertex3f(v.x, v.y, v.z);
  }
  glEnd();
  if (!m.markUnselected) return;

  if (m.measuring)
    glColor3f(1, 1, 0);
  else if (bright(scene.background))
    glColor3f(0, 0, 0);
  else
    glColor3f(1, 1, 1);
  const float lift = m.facesShown ? m.viewRadius * 0.007f : 0;
  const float dx = m.towardsViewer[0] * lift, dy = m.towardsViewer[1] * lift, dz = m.towardsViewer[2] * lift;
  glBegin(GL_POINTS);
  for (const auto& object : scene.objects) {
    const geom& g = *object->geometry;
    if (g.mark) continue;
    for (const Vertex& v : g.vertices)
      if (!v.mark) glVertex3f(v.x + dx, v.y + dy, v.z + dz);
  }
  glEnd();
}

}  // namespace kvx
