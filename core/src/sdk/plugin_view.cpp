// Camera manipulation, predefined views and view transitions.
#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "sdk/camera_changes.h"
#include "sdk/frame_loop.h"
#include "sdk/plugin_state.h"

using kvx::kSlowTransitionMs;
using kvx::kTransitionMs;

bool kvx_GL_Plugin::ResetManip() {
  State& s = *state_;
  if (!s.scene || !s.manip) return false;
  SetInterpolate(false);
  kvx::fitView(*s.manip, *s.scene);
  return true;
}

void kvx_GL_Plugin::ManipFromPointerMove(ManipMode mode, int startX, int startY, int currentX, int currentY) {
  State& s = *state_;
  if (!s.frame || !s.scene) return;
  s.frame->startX = startX;
  s.frame->startY = startY;
  s.frame->currentX = currentX;
  s.frame->currentY = currentY;
  if (mode != ROTATE && mode != PAN && mode != ZOOM) return;
  kvx_MouseEvent event = {};
  event.actions = mode;
  OnMouseMove(&event);
}

void kvx_GL_Plugin::ViewPredefined(PredefinedView view) {
  State& s = *state_;
  if (!s.scene || !s.manip) return;
  kvx::scene& scene = *s.scene;
  if (view == VIEW_CAMERA) {
    SetInterpolate(false);
    scene.createCurrentView();
    const int index = s.storedCameraIndex;
    scene.currentView = index >= 0 && index < static_cast<int>(scene.views.size()) ? index : 0;
    kvx::SceneView& camera0 = scene.views[0];
    std::copy(std::begin(s.storedCamera.camera), std::end(s.storedCamera.camera), camera0.camera);
    std::copy(std::begin(s.storedCamera.rotation), std::end(s.storedCamera.rotation), camera0.rotation);
    // Camera 0 carries the name and annotation of the camera it shows, as after a switch.
    if (scene.currentView > 0) {
      camera0.name = scene.views[scene.currentView].name;
      camera0.text = scene.views[scene.currentView].text;
    }
    kvx::applyCamera(camera0, *s.manip, s.frame);
    return;
  }
  const auto orientation = kvx::predefinedOrientation(view, scene.sceneFlags & KVX_SCENE_Z_UP);
  if (!orientation) return;
  s.viewChangedByCommand = true;
  SetInterpolate(false);
  kvx::storeQuat(*orientation, s.manip->rotation);
}

void kvx_GL_Plugin::SetInterpolate(bool slow) {
  State& s = *state_;
  if (s.manip) kvx::startTransition(s, kvx::snapshotOf(*s.manip), slow);
}

bool kvx_GL_Plugin::AnimFrame(bool* running, bool slow) {
  State& s = *state_;
  if (s.transition.frameTimeMs <= 0) s.transition.frameTimeMs = 10;
  bool drawn = false;
  if (!s.transition.running) {
    if (slow) {
      s.transition.steps = kvx::stepsFor(kSlowTransitionMs, s.transition.frameTimeMs);
    } else {
      s.transition.steps = s.transition.remaining = kvx::stepsFor(kTransitionMs, s.transition.frameTimeMs);
    }
    drawn = kvx::drawView(s, kvx::DrawKind::SingleStep);
  } else if (s.transition.remaining > 0) {
    drawn = kvx::drawView(s, kvx::DrawKind::SingleStep);
  } else {
    s.transition.running = false;
  }
  if (running) *running = s.transition.running;
  return drawn;
}
