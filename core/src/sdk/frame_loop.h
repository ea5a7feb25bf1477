#pragma once
// The draw of the SDK object: the empty view, the rubber bands, and the
// frame loop that plays view transitions.
#include "sdk/plugin_state.h"

namespace kvx {

enum class DrawKind {
  Full,        // Render, Refresh: plays a pending transition to its end, presents each frame
  SingleStep,  // AnimFrame, RenderFrame: one frame, presenting is left to the host
};

// False when nothing of the scene was drawn.
bool drawView(kvx_GL_Plugin::State& state, DrawKind kind);

}  // namespace kvx
