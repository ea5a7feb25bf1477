#include "interaction/camera_tour.h"

#include "interaction/camera_switch.h"
#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "interaction/transition.h"

namespace kvx {
namespace {

using State = kvx_GL_Plugin::State;

constexpr const char* kTourMarker = "#KVX_SIGNATURE#_AnimTop";
constexpr int kTourCameras = 6;

struct TourStop {
  kvx_BaseSDK::PredefinedView view;
  const char* name;
};
constexpr TourStop kTour[kTourCameras] = {
    {kvx_BaseSDK::VIEW_TOP, kTourMarker},          {kvx_BaseSDK::VIEW_BOTTOM, "AnimBottom"},
    {kvx_BaseSDK::VIEW_FRONT, "AnimFront"},        {kvx_BaseSDK::VIEW_RIGHT, "AnimRight"},
    {kvx_BaseSDK::VIEW_BACK, "AnimBack"},          {kvx_BaseSDK::VIEW_LEFT, "AnimLeft"},
};

void addTourCameras(State& s) {
  scene& scene = *s.scene;
  const SceneView kept = scene.views[0];
  const bool zUp = scene.sceneFlags & KVX_SCENE_Z_UP;
  for (const TourStop& stop : kTour) {
    storeQuat(*predefinedOrientation(stop.view, zUp), s.manip->rotation);
    syncLiveCamera(scene, *s.manip);
    scene.addView(stop.name);
  }
  scene.views[0] = kept;
  applyCamera(scene.views[0], *s.manip, s.frame);
}

bool hasTourCameras(const scene& scene) {
  return scene.views.size() == 2 + kTourCameras && scene.views[2].name == kTourMarker;
}

}  // namespace

bool startCameraTour(kvx_GL_Plugin& sdk) {
  State& s = sdk.state();
  if (!s.scene || !s.manip) return false;
  if (s.animating) stopCameraTour(sdk);
  scene& scene = *s.scene;
  scene.createCurrentView();
  s.animationSavedIndex = scene.currentView;
  s.animationSavedCamera = scene.views[0];
  s.animationSavedSteps = s.transitionSteps;
  if (scene.views.size() == 2) addTourCameras(s);
  s.animationFrameCount = static_cast<int>(scene.views.size()) - 1;
  if (s.animationFrameCount <= 1) return false;
  s.animationFrame = 1;
  s.transitionSteps = stepsFor(2600, s.frameTimeMs);
  s.animating = true;
  return true;
}

bool stepCameraTour(kvx_GL_Plugin& sdk) {
  State& s = sdk.state();
  if (!s.animating) return startCameraTour(sdk);
  const int position = s.animationFrame;
  if (position > s.animationFrameCount) {
    s.animationFrame = 1;
    return true;
  }
  s.animationFrame = position + 1;
  makeCameraCurrent(sdk, position, true);
  return true;
}

bool stopCameraTour(kvx_GL_Plugin& sdk) {
  State& s = sdk.state();
  if (!s.animating) return false;
  s.animating = false;
  s.transitionSteps = s.animationSavedSteps;
  if (!s.scene) return true;
  scene& scene = *s.scene;
  if (hasTourCameras(scene)) scene.views.erase(scene.views.begin() + 2, scene.views.end());
  scene.createCurrentView();
  scene.views[0] = s.animationSavedCamera;
  const int saved = s.animationSavedIndex;
  const bool validSaved = saved > 0 && saved < static_cast<int>(scene.views.size());
  if (validSaved) {
    scene.views[0].name = scene.views[saved].name;
    scene.views[0].text = scene.views[saved].text;
  }
  makeCameraCurrent(sdk, 0, false);
  scene.currentView = validSaved ? saved : 0;
  return true;
}

}  // namespace kvx
