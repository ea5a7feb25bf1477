#pragma once
// One frame of the scene: everything drawn between the clear and the flush.
#include "sdk/plugin_state.h"

namespace kvx {

// Draws the scene of `state` with the live view as it stands. Returns true
// when a texture was uploaded during the frame.
bool drawSceneFrame(kvx_GL_Plugin::State& state);

// Deletes the GL objects of the cache and the scene when the scene or the
// context changed or a texture name went stale, so that they are rebuilt.
void checkRenderContext(kvx_GL_Plugin::State& state);

}  // namespace kvx
