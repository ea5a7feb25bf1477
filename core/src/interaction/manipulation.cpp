#include "interaction/manipulation.h"

#include "interaction/predefined_views.h"
#include "interaction/quaternion.h"

#include <cmath>
#include <cstring>

namespace kvx {
namespace {

// A window without area would divide by zero.
float widthOf(const kvx_FrameInfo& f) { return f.width > 0 ? float(f.width) : 1.0f; }
float heightOf(const kvx_FrameInfo& f) { return f.height > 0 ? float(f.height) : 1.0f; }

}  // namespace

void rotateView(kvx_ManipInfo& view, const kvx_FrameInfo& frame) {
  const float w = widthOf(frame), h = heightOf(frame);
  const Quat increment = trackball((2 * frame.startX - w) / w, (h - 2 * frame.startY) / h,
                                   (2 * frame.currentX - w) / w, (h - 2 * frame.currentY) / h);
  storeQuat(composeRotation(increment, toQuat(view.rotation)), view.rotation);
}

void panView(kvx_ManipInfo& view, const kvx_FrameInfo& frame) {
  const float w = widthOf(frame), h = heightOf(frame);
  const float half = view.viewRadius * 0.5f;
  const float scale = view.fieldOfView / 32;
  view.panX -= ((2 * frame.startX - w) / w - (2 * frame.currentX - w) / w) * (w / h) * scale * half;
  view.panY += scale * ((2 * frame.startY - h) / h - (2 * frame.currentY - h) / h) * half;
}

void zoomView(kvx_ManipInfo& view, const kvx_FrameInfo& frame) {
  const int dx = std::abs(frame.startX - frame.currentX);
  const int dy = std::abs(frame.startY - frame.currentY);
  float c, d;
  if (dx < dy) {
    c = float(frame.startY - frame.currentY);
    d = heightOf(frame);
  } else {
    c = float(frame.startX - frame.currentX);
    d = widthOf(frame);
  }
  const float fov = view.fieldOfView * (1 - c / d);
  view.fieldOfView = fov <= 179 ? fov : 179;  // NaN ends at 179 too
}

void fitView(kvx_ManipInfo& view, scene& scene) {
  scene.updateBounds();
  const float* b = scene.bounds.v;
  if (b[0] != b[1] || b[2] != b[3] || b[4] != b[5]) std::memcpy(view.bounds, b, sizeof view.bounds);
  const float* v = view.bounds;
  view.center[0] = (v[0] + v[1]) / 2;
  view.center[1] = (v[2] + v[3]) / 2;
  view.center[2] = (v[4] + v[5]) / 2;
  const float dx = v[1] - v[0], dy = v[3] - v[2], dz = v[5] - v[4];
  view.viewRadius = std::sqrt(dx * dx + dy * dy + dz * dz);
  view.panX = view.panY = 0;
  view.fieldOfView = 32;
  storeQuat(fittedOrientation(scene.sceneFlags & KVX_SCENE_Z_UP), view.rotation);
}

void liveCamera(const kvx_ManipInfo& view, SceneView& camera) {
  float direction[3];
  eyeDirection(toQuat(view.rotation), direction);
  for (int i = 0; i < 3; ++i) {
    camera.camera[CAM_TARGET + i] = view.center[i];
    camera.camera[CAM_EYE + i] = view.center[i] + 2 * view.viewRadius * direction[i];
  }
  camera.camera[CAM_FOV] = view.fieldOfView;
  camera.camera[CAM_PAN_X] = view.panX;
  camera.camera[CAM_PAN_Y] = view.panY;
  std::memcpy(camera.rotation, view.rotation, sizeof camera.rotation);
}

void syncLiveCamera(scene& scene, const kvx_ManipInfo& view) {
  if (!scene.views.empty()) liveCamera(view, scene.views[0]);
}

void applyCamera(const SceneView& camera, kvx_ManipInfo& view, kvx_FrameInfo* frame) {
  const float* c = camera.camera;
  view.panX = c[CAM_PAN_X];
  view.panY = c[CAM_PAN_Y];
  view.fieldOfView = c[CAM_FOV];
  float distance2 = 0;
  for (int i = 0; i < 3; ++i) {
    view.center[i] = c[CAM_TARGET + i];
    const float d = c[CAM_TARGET + i] - c[CAM_EYE + i];
    distance2 += d * d;
  }
  view.viewRadius = std::sqrt(distance2) / 2;
  std::memcpy(view.rotation, camera.rotation, sizeof view.rotation);
  if (frame) frame->startX = frame->startY = frame->currentX = frame->currentY = 0;
}

}  // namespace kvx
