#include "interaction/camera_switch.h"

#include "interaction/manipulation.h"
#include "services/debuglog.h"

#include <cmath>

namespace kvx {
namespace {

// Eye, target, field of view and pan within 0.00001.
bool sameCameraView(const SceneView& a, const SceneView& b) {
  constexpr int kCompared[] = {CAM_EYE,        CAM_EYE + 1, CAM_EYE + 2, CAM_TARGET, CAM_TARGET + 1,
                               CAM_TARGET + 2, CAM_FOV,     CAM_PAN_X,   CAM_PAN_Y};
  for (int i : kCompared)
    if (std::fabs(a.camera[i] - b.camera[i]) > 0.00001f) return false;
  return true;
}

}  // namespace

bool makeCameraCurrent(kvx_GL_Plugin& sdk, int index, bool slow) {
  auto& s = sdk.state();
  if (!s.scene || index < 0 || index >= static_cast<int>(s.scene->views.size())) {
    KVX_LOG(LOG_WARNING, "kvx_GL_Plugin::SetCurrentCamera: no camera %d\n", index);
    return false;
  }
  s.scene->copyViewToCurrent(index);
  s.scene->currentView = index;
  sdk.SetInterpolate(slow);
  if (s.manip) applyCamera(s.scene->views[0], *s.manip, s.frame);
  return true;
}

void nextCamera(kvx_GL_Plugin& sdk) {
  auto& s = sdk.state();
  if (!s.scene) return;
  scene& scene = *s.scene;
  const int userCameras = static_cast<int>(scene.views.size()) - 1;
  if (userCameras < 1) return;
  // Camera 0 follows the live view only when a frame is drawn; a view moved
  // since then must count as moved.
  if (s.manip) syncLiveCamera(scene, *s.manip);
  int index = scene.currentView;
  const bool current = index >= 0 && index <= userCameras;
  const bool moved = !current || !sameCameraView(scene.views[0], scene.views[index]);
  if (!moved || userCameras >= 2) ++index;
  if (index > userCameras || index < 1) index = 1;
  if (moved || userCameras >= 2) makeCameraCurrent(sdk, index, false);
}

}  // namespace kvx
