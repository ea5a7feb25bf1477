#pragma once
// Plays the view changes the interaction units report as transitions.
#include "interaction/camera_switch.h"
#include "sdk/plugin_state.h"

namespace kvx {

constexpr double kTransitionMs = 900;
constexpr double kSlowTransitionMs = 2600;

CameraTarget cameraTargetOf(kvx_GL_Plugin::State& s);

// The next draw moves from `from` to the live view as it then stands;
// nothing while transitions are off.
void startTransition(kvx_GL_Plugin::State& s, const ViewSnapshot& from, bool slow);

// Starts the transition of a camera switch that moved the live view.
void playCameraChange(kvx_GL_Plugin::State& s, const CameraChange& change);

}  // namespace kvx
