// Named cameras and their annotations.
#include "interaction/manipulation.h"
#include "sdk/plugin_state.h"

bool kvx_GL_Plugin::AddCamera(const char*) { return false; }

int kvx_GL_Plugin::GetNbCameras() {
  const kvx::scene* scene = state_->scene.get();
  if (!scene || scene->views.empty()) return 0;
  return static_cast<int>(scene->views.size()) - 1;
}

bool kvx_GL_Plugin::GetCameraName(int, char**) { return false; }

bool kvx_GL_Plugin::SetCurrentCamera(int index, bool) {
  State& s = *state_;
  if (!s.scene || index < 0 || index >= static_cast<int>(s.scene->views.size())) return false;
  s.scene->copyViewToCurrent(index);
  s.scene->currentView = index;
  SetInterpolate(false);
  if (s.manip) kvx::applyCamera(s.scene->views[0], *s.manip, s.frame);
  return true;
}

bool kvx_GL_Plugin::DeleteCurrentCamera() { return false; }

bool kvx_GL_Plugin::SetCurrentCameraField(int, const char*) { return false; }

bool kvx_GL_Plugin::GetCurrentCameraField(int, char**) { return false; }

int kvx_GL_Plugin::GetCurrentCameraIndex() {
  return state_->scene ? state_->scene->currentView : 0;
}
