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

CameraChange makeCameraCurrent(const CameraTarget& target, int index, bool slow) {
  CameraChange change;
  if (!target.scene || index < 0 || index >= static_cast<int>(target.scene->views.size())) {
    KVX_LOG(LOG_WARNING, "kvx_GL_Plugin::SetCurrentCamera: no camera %d\n", index);
    return change;
  }
  scene& scene = *target.scene;
  scene.copyViewToCurrent(index);
  scene.currentView = index;
  change.switched = true;
  change.slow = slow;
  if (target.view) {
    change.transitionFrom = snapshotOf(*target.view);
    applyCamera(scene.views[0], *target.view, target.frame);
  }
  return change;
}

CameraChange nextCamera(const CameraTarget& target) {
  if (!target.scene) return {};
  scene& scene = *target.scene;
  const int userCameras = static_cast<int>(scene.views.size()) - 1;
  if (userCameras < 1) return {};
  // Camera 0 follows the live view only when a frame is drawn; a view moved
  // since then must count as moved.
  if (target.view) syncLiveCamera(scene, *target.view);
  int index = scene.currentView;
  const bool current = index >= 0 && index <= userCameras;
  const bool moved = !current || !sameCameraView(scene.views[0], scene.views[index]);
  if (!moved || userCameras >= 2) ++index;
  if (index > userCameras || index < 1) index = 1;
  if (moved || userCameras >= 2) return makeCameraCurrent(target, index, false);
  return {};
}

}  // namespace kvx
