// Named cameras and their annotations. Camera 0 is the live camera; the
// user's cameras are 1..n.
#include "interaction/camera_switch.h"
#include "interaction/manipulation.h"
#include "sdk/camera_changes.h"
#include "sdk/plugin_state.h"
#include "services/debuglog.h"

namespace {

bool validCamera(const kvx::scene& scene, int index) {
  return index >= 0 && index < static_cast<int>(scene.views.size());
}

}  // namespace

bool kvx_GL_Plugin::AddCamera(const char* name) {
  State& s = *state_;
  if (!s.scene || s.files.editLocked) {
    KVX_LOG(kvx::LOG_WARNING, "kvx_GL_Plugin::AddCamera: %s\n", s.scene ? "edit-locked" : "no scene");
    return false;
  }
  s.scene->createCurrentView();
  // Camera 0 follows the live view only when a frame is drawn.
  if (s.manip) kvx::syncLiveCamera(*s.scene, *s.manip);
  s.scene->addView(name);
  return true;
}

int kvx_GL_Plugin::GetNbCameras() {
  const kvx::scene* scene = state_->scene.get();
  if (!scene || scene->views.empty()) return 0;
  return static_cast<int>(scene->views.size()) - 1;
}

bool kvx_GL_Plugin::GetCameraName(int index, char** name) {
  const kvx::scene* scene = state_->scene.get();
  if (!name || !scene || !validCamera(*scene, index)) return false;
  std::string& text = state_->scene->views[index].name;
  if (text.empty()) return false;
  *name = text.data();
  return true;
}

bool kvx_GL_Plugin::SetCurrentCamera(int index, bool) {
  const kvx::CameraChange change = kvx::makeCameraCurrent(kvx::cameraTargetOf(*state_), index, false);
  kvx::playCameraChange(*state_, change);
  return change.switched;
}

bool kvx_GL_Plugin::DeleteCurrentCamera() {
  kvx::scene* scene = state_->scene.get();
  if (!scene) return false;
  const int index = scene->currentView;
  const int count = static_cast<int>(scene->views.size());
  if (index <= 0 || index >= count) return false;
  if (count == 2) return true;  // the only user camera stays
  scene->views.erase(scene->views.begin() + index);
  if (index == count - 1) scene->currentView = index - 1;
  return true;
}

bool kvx_GL_Plugin::SetCurrentCameraField(int, const char* text) {
  kvx::scene* scene = state_->scene.get();
  if (!scene) return false;
  scene->createCurrentView();
  if (!validCamera(*scene, scene->currentView)) return false;
  scene->views[scene->currentView].text = text ? text : "";
  return true;
}

bool kvx_GL_Plugin::GetCurrentCameraField(int index, char** text) {
  if (!text) return false;
  *text = nullptr;
  kvx::scene* scene = state_->scene.get();
  if (!scene) return false;
  if (index == 0) index = scene->currentView;
  if (!validCamera(*scene, index)) return false;
  std::string& annotation = scene->views[index].text;
  if (!annotation.empty()) *text = annotation.data();
  return true;
}

int kvx_GL_Plugin::GetCurrentCameraIndex() {
  return state_->scene ? state_->scene->currentView : 0;
}
