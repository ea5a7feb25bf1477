#include "interaction/projection.h"

#include "interaction/predefined_views.h"
#include "interaction/quaternion.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace kvx {

Projection computeProjection(const scene& scene, const SceneView& camera, float viewRadius,
                             int width, int height, bool animating) {
  Projection p;
  const double w = std::max(width, 1), h = std::max(height, 1);
  p.aspect = w / h;
  const double r = viewRadius;
  const float* c = camera.camera;
  double distance2 = 0;
  for (int i = 0; i < 3; ++i) {
    p.eye[i] = c[CAM_EYE + i];
    p.target[i] = c[CAM_TARGET + i];
    const double d = p.eye[i] - scene.center[i];
    distance2 += d * d;
  }
  const double D = std::sqrt(distance2), E = scene.radius;
  if (D > E + 0.00001) {
    p.nearPlane = D - E - 0.00001;
    p.farPlane = 2 * r + 2 * E;
  } else {
    p.nearPlane = 2 * r * 0.01;
    p.farPlane = D + E;
  }
  // A point-sized scene or an eye on its surface would give an empty or
  // inverted depth range, which OpenGL rejects: nothing would be drawn.
  if (!(p.farPlane > 0)) p.farPlane = 1;
  if (!(p.nearPlane > p.farPlane * 1e-6)) p.nearPlane = p.farPlane * 1e-6;
  if (!(p.farPlane > p.nearPlane)) p.farPlane = p.nearPlane * 2;

  const Quat rotation = toQuat(camera.rotation);
  p.perspective = animating || !isAxisOrientation(rotation, scene.sceneFlags & KVX_SCENE_Z_UP);
  p.fieldOfView = c[CAM_FOV];
  const double k = p.fieldOfView / 30 * 0.5;
  if (p.aspect >= 1) {
    p.box[0] = -k * r * p.aspect, p.box[1] = k * r * p.aspect, p.box[2] = -k * r, p.box[3] = k * r;
  } else {
    p.box[0] = -k * r, p.box[1] = k * r, p.box[2] = -k * r / p.aspect, p.box[3] = k * r / p.aspect;
  }
  float up[3];
  upVector(rotation, up);
  for (int i = 0; i < 3; ++i) p.up[i] = up[i];
  p.pan[0] = c[CAM_PAN_X];
  p.pan[1] = c[CAM_PAN_Y];
  return p;
}

void loadProjection(const Projection& p) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (p.perspective)
    gluPerspective(p.fieldOfView, p.aspect, p.nearPlane, p.farPlane);
  else
    glOrtho(p.box[0], p.box[1], p.box[2], p.box[3], p.nearPlane, p.farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslated(p.pan[0], p.pan[1], 0);
  gluLookAt(p.eye[0], p.eye[1], p.eye[2], p.target[0], p.target[1], p.target[2], p.up[0], p.up[1],
            p.up[2]);
}

}  // namespace kvx
