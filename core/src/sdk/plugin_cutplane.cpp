// Cutting plane and measurement records. The object owns both; the host's
// live-view record points at them.
#include "sdk/plugin_state.h"
#include "services/debuglog.h"

#include <cstring>

namespace {

kvx_CutPlane* planeOf(kvx_GL_Plugin::State& s) { return s.manip ? s.manip->cutPlane : nullptr; }

}  // namespace

bool kvx_GL_Plugin::SetCutPlane(kvx_CutPlane::CurrentPlan plan) {
  State& s = *state_;
  if (!s.manip) {
    KVX_LOG(kvx::LOG_WARNING, "kvx_GL_Plugin::SetCutPlane: no live view bound\n");
    return false;
  }
  if (!s.manip->cutPlane) {
    s.cutPlane = std::make_unique<kvx_CutPlane>();
    *s.cutPlane = {};
    s.cutPlane->plan = static_cast<kvx_CutPlane::CurrentPlan>(-1);
    s.cutPlane->position = 0.5f;
    s.manip->cutPlane = s.cutPlane.get();
  }
  s.manip->cutPlane->plan = plan;
  s.sectionCache.clear();
  return true;
}

bool kvx_GL_Plugin::SetCutPlaneOrient(bool inverted) {
  if (kvx_CutPlane* plane = planeOf(*state_)) plane->inverted = inverted;
  state_->sectionCache.clear();
  return true;
}

bool kvx_GL_Plugin::SetCutPlanePos(float position) {
  if (!(position >= 0 && position <= 1)) {  // refuses NaN too
    KVX_LOG(kvx::LOG_WARNING, "kvx_GL_Plugin::SetCutPlanePos: position %f outside 0..1\n", position);
    return false;
  }
  if (kvx_CutPlane* plane = planeOf(*state_)) plane->position = position;
  state_->sectionCache.clear();
  return true;
}

bool kvx_GL_Plugin::SetCutPlaneTransp(bool transparent) {
  if (kvx_CutPlane* plane = planeOf(*state_)) plane->transparent = transparent;
  return true;
}

bool kvx_GL_Plugin::GetCutPlaneRange(float* min, float* max) {
  const kvx_CutPlane* plane = planeOf(*state_);
  if (!min || !max || !plane) return false;
  const int plan = plane->plan;
  if (plan < kvx_CutPlane::X_PLAN || plan > kvx_CutPlane::Z_PLAN) {
    *min = *max = 0;
    return false;
  }
  *min = state_->manip->bounds[2 * (plan - 1)];
  *max = state_->manip->bounds[2 * (plan - 1) + 1];
  return true;
}

bool kvx_GL_Plugin::GetCutPlaneData(kvx_CutPlane* data) {
  const kvx_CutPlane* plane = planeOf(*state_);
  if (!data || !plane) return false;
  *data = *plane;
  return true;
}

bool kvx_GL_Plugin::GetMeasureData(kvx_Measure* data) {
  const kvx_Measure* measure = state_->manip ? state_->manip->measure : nullptr;
  if (!measure) {
    if (data) std::memset(data, 0, sizeof *data);
    return false;
  }
  if (!data) return false;
  *data = *measure;
  return true;
}
