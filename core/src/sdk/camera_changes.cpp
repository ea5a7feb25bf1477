#include "sdk/camera_changes.h"

namespace kvx {

CameraTarget cameraTargetOf(kvx_GL_Plugin::State& s) { return {s.scene.get(), s.manip, s.frame}; }

void startTransition(kvx_GL_Plugin::State& s, const ViewSnapshot& from, bool slow) {
  Transition& t = s.transition;
  if (t.steps == 0) return;
  t.start = from;
  t.steps = t.remaining = stepsFor(slow ? kSlowTransitionMs : kTransitionMs, t.frameTimeMs);
}

void playCameraChange(kvx_GL_Plugin::State& s, const CameraChange& change) {
  if (change.transitionFrom && s.manip) startTransition(s, *change.transitionFrom, change.slow);
}

}  // namespace kvx
