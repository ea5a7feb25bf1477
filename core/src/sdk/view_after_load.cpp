#include "sdk/view_after_load.h"

#include "interaction/manipulation.h"
#include "interaction/quaternion.h"
#include "sdk/plugin_state.h"

#include <algorithm>

namespace kvx {
namespace {

// The start of the opening transition: everything in sight, turned half
// way round about y.
void widenAndTurn(kvx_ManipInfo& view) {
  view.fieldOfView = 179;
  storeQuat(composeRotation({0, 1, 0, 0}, toQuat(view.rotation)), view.rotation);
}

bool eyeAndTargetZero(const SceneView& camera) {
  return std::all_of(camera.camera, camera.camera + 6, [](float v) { return v == 0; });
}

// Camera values and rotation of `from`, keeping name and annotation.
void copyPose(const SceneView& from, SceneView& to) {
  std::copy(std::begin(from.camera), std::end(from.camera), to.camera);
  std::copy(std::begin(from.rotation), std::end(from.rotation), to.rotation);
}

uint8_t displayFlagsFor(uint32_t sceneFlags, uint8_t flags) {
  auto follow = [&flags](bool on, uint8_t bits) { flags = on ? flags | bits : flags & ~bits; };
  follow(sceneFlags & KVX_SCENE_SHOW_AXES, KVX_DISPLAY_AXIS1 | KVX_DISPLAY_AXIS2);
  follow(sceneFlags & KVX_SCENE_SHOW_NORMALS, KVX_DISPLAY_NORMALS);
  follow(sceneFlags & KVX_SCENE_SHOW_LINES, KVX_DISPLAY_LINES);
  follow(sceneFlags & KVX_SCENE_SHOW_FACES, KVX_DISPLAY_FACES);
  follow(sceneFlags & KVX_SCENE_SHOW_TRANSPARENT, KVX_DISPLAY_TRANS);
  return flags;
}

}  // namespace

void setUpViewAfterLoad(kvx_GL_Plugin& plugin, bool captured, bool countChanged) {
  kvx_GL_Plugin::State& s = plugin.state();
  if (!s.scene) return;
  scene& scene = *s.scene;
  scene.createCurrentView();
  SceneView copy = scene.views[0];
  plugin.ResetManip();
  if ((captured || countChanged || eyeAndTargetZero(scene.views[0])) && s.manip) {
    syncLiveCamera(scene, *s.manip);
    copy = scene.views[0];
  }
  scene.copyViewToCurrent(scene.currentView);
  if (s.manip && !captured) {
    applyCamera(scene.views[0], *s.manip, s.frame);
    widenAndTurn(*s.manip);
    plugin.SetCurrentCamera(scene.currentView, false);
  }
  s.storedCameraIndex = scene.currentView;
  if (!captured) {
    copyPose(copy, scene.views[0]);
    if (s.manip) applyCamera(scene.views[0], *s.manip, s.frame);
  }
  s.storedCamera = scene.views[0];
  if (!s.manip) return;
  if (scene.views.size() == 1) {
    scene.addView("Default View");
    if (captured)
      s.manip->panY += scene.radius * 1.7f;
    else
      widenAndTurn(*s.manip);
    plugin.SetCurrentCamera(1, false);
  }
  s.drag.objectMode = s.drag.deleteOthers = false;
  s.drag.currentObject = 0;
  s.manip->displayFlags = displayFlagsFor(scene.sceneFlags, s.manip->displayFlags);
}

}  // namespace kvx
