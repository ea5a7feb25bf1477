#include "render/cut_plane_drawing.h"

#include "interaction/cut_section.h"
#include "interaction/manipulation.h"
#include "render/gl_scopes.h"
#include "render/markers.h"

#include <GL/gl.h>

#include <cmath>

namespace kvx {

const kvx_CutPlane* activeCutPlane(const kvx_ManipInfo& view) {
  const kvx_CutPlane* plane = view.cutPlane;
  return plane && plane->plan >= kvx_CutPlane::X_PLAN && plane->plan <= kvx_CutPlane::Z_PLAN ? plane : nullptr;
}

namespace {

// The plane as a rectangle reaching a little past the bounds on the two other axes.
void planeCorners(const kvx_CutPlane& plane, const float bounds[6], float corners[4][3]) {
  const int axis = plane.plan - 1, u = (axis + 1) % 3, v = (axis + 2) % 3;
  float center[3], half[3];
  for (int i = 0; i < 3; ++i) {
    center[i] = (bounds[2 * i] + bounds[2 * i + 1]) / 2;
    half[i] = 0.525f * (bounds[2 * i + 1] - bounds[2 * i]);
  }
  const float at = bounds[2 * axis] + (plane.position + 0.000001f) * (bounds[2 * axis + 1] - bounds[2 * axis]);
  const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int k = 0; k < 4; ++k) {
    corners[k][axis] = at;
    corners[k][u] = center[u] + signs[k][0] * half[u];
    corners[k][v] = center[v] + signs[k][1] * half[v];
  }
}

void drawPlane(const kvx_CutPlane& plane, const float bounds[6], bool brightBackground) {
  float corners[4][3];
  planeCorners(plane, bounds, corners);
  const float shade = brightBackground ? 0 : 1;
  const AttribScope restored(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LINE_BIT);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  if (!plane.transparent) {
    // Darken a bright scene, lighten a dark one.
    if (brightBackground)
      glBlendFunc(GL_ZERO, GL_SRC_ALPHA);
    else
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(shade, shade, shade, 0.65f);
    glBegin(GL_QUADS);
    for (const auto& corner : corners) glVertex3fv(corner);
    glEnd();
  } else {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 0, 0, 1);
  }
  glLineWidth(3.5f);
  glEnable(GL_LINE_SMOOTH);
  glBegin(GL_LINE_STRIP);
  for (const auto& corner : corners) glVertex3fv(corner);
  glVertex3fv(corners[0]);
  glEnd();
}

// Half a percent of the view radius towards the viewer, so that the lines
// are not hidden by the faces they lie on.
void towardsViewer(const FrameInput& in, float offset[3]) {
  SceneView live;
  liveCamera(*in.view, live);
  const SceneView& camera = in.scene->views.empty() ? live : in.scene->views[0];
  float d[3], length = 0;
  for (int i = 0; i < 3; ++i) {
    d[i] = camera.camera[CAM_TARGET + i] - camera.camera[CAM_EYE + i];
    length += d[i] * d[i];
  }
  length = std::sqrt(length);
  const float scale = length > 0 ? in.view->viewRadius * -0.005f * 0.5f / length : 0;
  for (int i = 0; i < 3; ++i) offset[i] = d[i] * scale;
}

void drawSection(const FrameInput& in, const kvx_CutPlane& plane, bool brightBackground) {
  if (!in.section) return;
  float o[3];
  towardsViewer(in, o);
  const AttribScope restored(GL_LINE_BIT | GL_POINT_BIT);
  glLineWidth(2.5f);
  glEnable(GL_LINE_SMOOTH);
  if (plane.transparent)
    glColor3f(1, 0, 0);
  else if (brightBackground)
    glColor3f(1, 1, 1);
  else
    glColor3f(0, 0, 0);
  const std::vector<float>& points = *in.section;
  glBegin(GL_LINES);
  for (size_t i = 0; i + 2 < points.size(); i += 3)
    glVertex3f(points[i] + o[0], points[i + 1] + o[1], points[i + 2] + o[2]);
  glEnd();
  if (!in.measurementMode) return;
  glPointSize(in.frame->width > 1280 ? 5.0f : 3.0f);
  glColor3f(1, 1, 0);
  glBegin(GL_POINTS);
  for (size_t i = 0; i + 2 < points.size(); i += 3)
    glVertex3f(points[i] + 2 * o[0], points[i + 1] + 2 * o[1], points[i + 2] + 2 * o[2]);
  glEnd();
}

}  // namespace

void enableCutPlaneClip(const kvx_ManipInfo& view) {
  const kvx_CutPlane* plane = activeCutPlane(view);
  if (!plane) return;
  const auto equation = cutPlaneEquation(*plane, view.bounds);
  const double coefficients[4] = {equation->n[0], equation->n[1], equation->n[2], equation->d};
  glClipPlane(GL_CLIP_PLANE0, coefficients);
  glEnable(GL_CLIP_PLANE0);
}

void drawCutPlane(const FrameInput& in) {
  const kvx_CutPlane* plane = activeCutPlane(*in.view);
  if (!plane || !in.scene) return;
  const bool brightBackground = bright(in.scene->background);
  glDisable(GL_CLIP_PLANE0);
  drawPlane(*plane, in.view->bounds, brightBackground);
  drawSection(in, *plane, brightBackground);
}

}  // namespace kvx
