#include "interaction/camera_tour.h"

#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "interaction/transition.h"

namespace kvx {
namespace {

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

void addTourCameras(scene& scene, kvx_ManipInfo& view, kvx_FrameInfo* frame) {
  const SceneView kept = scene.views[0];
  const bool zUp = scene.sceneFlags & KVX_SCENE_Z_UP;
  for (const TourStop& stop : kTour) {
    storeQuat(*predefinedOrientation(stop.view, zUp), view.rotation);
    syncLiveCamera(scene, view);
    scene.addView(stop.name);
  }
  scene.views[0] = kept;
  applyCamera(scene.views[0], view, frame);
}

bool hasTourCameras(const scene& scene) {
  return scene.views.size() == 2 + kTourCameras && scene.views[2].name == kTourMarker;
}

}  // namespace

bool startCameraTour(CameraTour& tour, const CameraTarget& target, int& transitionSteps, float frameTimeMs) {
  if (!target.scene || !target.view || tour.running) return false;
  scene& scene = *target.scene;
  scene.createCurrentView();
  tour.savedIndex = scene.currentView;
  tour.savedCamera = scene.views[0];
  tour.savedSteps = transitionSteps;
  if (scene.views.size() == 2) addTourCameras(scene, *target.view, target.frame);
  tour.count = static_cast<int>(scene.views.size()) - 1;
  if (tour.count <= 1) return false;
  tour.position = 1;
  transitionSteps = stepsFor(2600, frameTimeMs);
  tour.running = true;
  return true;
}

CameraChange stepCameraTour(CameraTour& tour, const CameraTarget& target) {
  const int position = tour.position;
  if (position > tour.count) {
    tour.position = 1;
    return {};
  }
  tour.position = position + 1;
  return makeCameraCurrent(target, position, true);
}

std::optional<CameraChange> stopCameraTour(CameraTour& tour, const CameraTarget& target, int& transitionSteps) {
  if (!tour.running) return std::nullopt;
  tour.running = false;
  transitionSteps = tour.savedSteps;
  if (!target.scene) return CameraChange{};
  scene& scene = *target.scene;
  if (hasTourCameras(scene)) scene.views.erase(scene.views.begin() + 2, scene.views.end());
  scene.createCurrentView();
  scene.views[0] = tour.savedCamera;
  const int saved = tour.savedIndex;
  const bool validSaved = saved > 0 && saved < static_cast<int>(scene.views.size());
  if (validSaved) {
    scene.views[0].name = scene.views[saved].name;
    scene.views[0].text = scene.views[saved].text;
  }
  const CameraChange change = makeCameraCurrent(target, 0, false);
  scene.currentView = validSaved ? saved : 0;
  return change;
}

}  // namespace kvx
