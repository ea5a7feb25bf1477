#include "interaction/window_projection.h"

#include "interaction/manipulation.h"
#include "interaction/projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

namespace kvx {

WindowProjector::WindowProjector(const double modelView[16], const double projection[16], const int viewport[4]) {
  std::copy_n(modelView, 16, modelView_);
  std::copy_n(projection, 16, projection_);
  std::copy_n(viewport, 4, viewport_);
}

WindowProjector WindowProjector::forLiveView(scene& scene, const kvx_ManipInfo& view, int width, int height,
                                             bool animating) {
  SceneView live;
  liveCamera(view, live);
  syncLiveCamera(scene, view);
  const SceneView& camera0 = scene.views.empty() ? live : scene.views[0];
  glViewport(0, 0, width, height);
  loadProjection(computeProjection(scene, camera0, view.viewRadius, width, height, animating));
  double modelView[16], projection[16];
  int viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  return WindowProjector(modelView, projection, viewport);
}

std::optional<WindowPoint> WindowProjector::project(float x, float y, float z) const {
  WindowPoint p;
  if (gluProject(x, y, z, modelView_, projection_, viewport_, &p.x, &p.y, &p.depth) != GL_TRUE) return std::nullopt;
  return p;
}

}  // namespace kvx
