#include "interaction/transition.h"

#include "interaction/quaternion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvx {

ViewSnapshot snapshotOf(const kvx_ManipInfo& view) {
  ViewSnapshot s;
  std::memcpy(s.rotation, view.rotation, sizeof s.rotation);
  s.fieldOfView = view.fieldOfView;
  s.pan[0] = view.panX;
  s.pan[1] = view.panY;
  std::memcpy(s.center, view.center, sizeof s.center);
  s.viewRadius = view.viewRadius;
  std::memcpy(s.bounds, view.bounds, sizeof s.bounds);
  return s;
}

bool sameBounds(const ViewSnapshot& a, const ViewSnapshot& b) {
  return std::equal(a.bounds, a.bounds + 6, b.bounds);
}

bool sameView(const ViewSnapshot& a, const ViewSnapshot& b) {
  const Quat p = toQuat(a.rotation), q = toQuat(b.rotation);
  const bool sameRotation = p == q || p == Quat{-q.x, -q.y, -q.z, -q.w};
  return a.fieldOfView == b.fieldOfView && a.pan[0] == b.pan[0] && a.pan[1] == b.pan[1] &&
         std::equal(a.center, a.center + 3, b.center) && a.viewRadius == b.viewRadius &&
         sameRotation && sameBounds(a, b);
}

float ease(float u) { return 3 * u * u - 2 * u * u * u; }

void interpolateView(const ViewSnapshot& start, ViewSnapshot& target, float u, bool boundsChanged,
                     kvx_ManipInfo& view) {
  auto mix = [u](float a, float b) { return a + (b - a) * u; };
  view.fieldOfView = mix(start.fieldOfView, target.fieldOfView);
  view.panX = mix(start.pan[0], target.pan[0]);
  view.panY = mix(start.pan[1], target.pan[1]);
  for (int i = 0; i < 3; ++i) view.center[i] = mix(start.center[i], target.center[i]);
  view.viewRadius = mix(start.viewRadius, target.viewRadius);
  Quat to = toQuat(target.rotation);
  storeQuat(slerp(toQuat(start.rotation), to, u), view.rotation);
  storeQuat(to, target.rotation);
  if (!boundsChanged) return;
  for (int i = 0; i < 6; ++i) view.bounds[i] = mix(start.bounds[i], target.bounds[i]);
  const float* b = view.bounds;
  const float dx = b[1] - b[0], dy = b[3] - b[2], dz = b[5] - b[4];
  view.center[0] = (b[0] + b[1]) / 2;
  view.center[1] = (b[2] + b[3]) / 2;
  view.center[2] = (b[4] + b[5]) / 2;
  view.viewRadius = std::sqrt(dx * dx + dy * dy + dz * dz);
}

StepCounts adaptSteps(StepCounts steps, float frameTimeMs, long framesDrawn, double elapsedMs,
                      double expectedMs) {
  if (framesDrawn < 1 || expectedMs <= 0) return steps;
  const double difference = std::fabs(steps.total * double(frameTimeMs) - expectedMs);
  if (difference > 100) {
    const StepCounts old = steps;
    steps.total = std::max(1, int(expectedMs / frameTimeMs));
    steps.remaining = steps.total == 1 ? 0 : steps.total - int(steps.total * elapsedMs / expectedMs);
    if (framesDrawn > 1 || difference <= 800) {
      steps.total = (7 * old.total + steps.total) / 8;
      steps.remaining = (7 * old.remaining + steps.remaining) / 8;
    }
    steps.remaining = std::clamp(steps.remaining, 0, steps.total);
  }
  if (elapsedMs > expectedMs + 300) steps.remaining = 0;
  return steps;
}

bool mustEndNow(double elapsedMs, double frameMs, double expectedMs) {
  return elapsedMs + 2 * frameMs > 1.5 * expectedMs;
}

float measuredFrameTime(double elapsedMs, long frames) {
  const double t = elapsedMs > 0 && frames > 0 ? elapsedMs / frames : 10;
  return t < 0.001 || t > 1000000 ? 1.0f : float(t);
}

int stepsFor(double durationMs, float frameTimeMs) {
  return std::max(1, int(durationMs / frameTimeMs));
}

}  // namespace kvx
