#include "sdk/camera_changes.h"

namespace kvx {

CameraTarget cameraTargetOf(kvx_GL_Plugin::State& s) { return {s.scene.get(), s.manip, s.frame}; }

void startTransition(kvx_GL_Plugin::State& s, const ViewSnapshot& from, bool slow) {
  if (s.transitionSteps == 0) return;
  s.transitionStart = from;
  s.transitionSteps = s.remainingSteps = stepsFor(slow ? kSlowTransitionMs : kTransitionMs, s.frameTimeMs);
}

void playCameraChange(kvx_GL_Plugin::State& s, const CameraChange& change) {
  if (change.transitionFrom && s.manip) startTransition(s, *change.transitionFrom, change.slow);
}

}  // namespace kvx
