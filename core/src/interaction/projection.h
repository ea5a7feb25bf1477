#pragma once
// The projection and model-view matrices of one frame, from camera 0.
#include "kvx_sdk.h"
#include "scene/scene.h"

namespace kvx {

struct Projection {
  bool perspective = true;
  double nearPlane = 0.1, farPlane = 1;
  double fieldOfView = 32;  // vertical, degrees
  double aspect = 1;
  double box[4] = {-1, 1, -1, 1};  // orthographic left, right, bottom, top
  double eye[3] = {0, 0, 1}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  double pan[2] = {0, 0};
};

// Frame set-up for a `width` x `height` viewport. `camera` is camera 0 (the
// live view written as a camera); `animating` forces perspective.
Projection computeProjection(const scene& scene, const SceneView& camera, float viewRadius,
                             int width, int height, bool animating);

// Loads both matrices into the current context.
void loadProjection(const Projection& projection);

}  // namespace kvx
