#pragma once
// The animation that tours the user cameras, one slow transition each. A
// scene with a single user camera is toured through six axis views, held
// in temporary cameras that exist only while the tour runs.
#include "sdk/plugin_state.h"

namespace kvx {

// Stops a running tour first. False when there is nothing to tour.
bool startCameraTour(kvx_GL_Plugin& sdk);
// Moves to the next camera of a running tour, or starts one.
bool stepCameraTour(kvx_GL_Plugin& sdk);
// Removes the temporary cameras and goes back to the view and camera of
// the start. False when no tour runs.
bool stopCameraTour(kvx_GL_Plugin& sdk);

}  // namespace kvx
