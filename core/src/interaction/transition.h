#pragma once
// View transitions: what they interpolate between and how their step count
// follows the measured frame time.
#include "kvx_sdk.h"

namespace kvx {

struct ViewSnapshot {
  float rotation[4] = {0, 0, 0, 1};
  float fieldOfView = 32;
  float pan[2] = {0, 0};
  float center[3] = {0, 0, 0};
  float viewRadius = 0;
  float bounds[6] = {0, 0, 0, 0, 0, 0};
};

ViewSnapshot snapshotOf(const kvx_ManipInfo& view);
bool sameBounds(const ViewSnapshot& a, const ViewSnapshot& b);
// Same view: nothing to play (a rotation equal to the other's negation is the same orientation).
bool sameView(const ViewSnapshot& a, const ViewSnapshot& b);

// 3u^2 - 2u^3: slow start, slow end.
float ease(float u);

// Writes the view at u (0 = start, 1 = target) into `view`. The target
// rotation may be negated in place (see slerp). With `boundsChanged` the
// bounds are interpolated and the centre and radius follow them.
void interpolateView(const ViewSnapshot& start, ViewSnapshot& target, float u, bool boundsChanged,
                     kvx_ManipInfo& view);

// The step counts of a running transition after one more frame. `framesDrawn`
// frames took `elapsedMs` of the `expectedMs` the transition should last.
struct StepCounts {
  int total;
  int remaining;
};
StepCounts adaptSteps(StepCounts steps, float frameTimeMs, long framesDrawn, double elapsedMs,
                      double expectedMs);

// Whether the frame about to be drawn must show the target so that the
// transition ends within 1.5 times its expected duration: one more frame of
// `frameMs` after it would end beyond that.
bool mustEndNow(double elapsedMs, double frameMs, double expectedMs);

// Frame time from a measurement: elapsed / frames, 10 without one, and 1
// when it falls outside 0.001 .. 1 000 000.
float measuredFrameTime(double elapsedMs, long frames);

// Steps of a transition lasting `durationMs` at the given frame time; at least
// 1, since 0 steps means transitions are switched off.
int stepsFor(double durationMs, float frameTimeMs);

}  // namespace kvx
