#pragma once
// Switching the live view to one of the scene's cameras.
#include "sdk/plugin_state.h"

namespace kvx {

// Camera `index` is copied into camera 0 and made current, and the live
// view moves to it in a transition (2.6 s when `slow`, else 0.9 s) played
// by the next draws. False without a scene or for an index out of range.
bool makeCameraCurrent(kvx_GL_Plugin& sdk, int index, bool slow);

// The next user camera after the current one, as the "next camera"
// command steps: a view moved away from the current camera goes back to
// it when it is the only one.
void nextCamera(kvx_GL_Plugin& sdk);

}  // namespace kvx
