#pragma once
// The cutting plane on screen: the clip of the objects, the translucent
// plane with its outline, and the section lines where it meets the faces.
#include "sdk/plugin_state.h"

namespace kvx {

// Enables clip plane 0 for the cut; the scene's model-view must be current.
// Call before the objects are drawn; nothing happens without a cut.
void enableCutPlaneClip(const kvx_ManipInfo& view);

// Draws the plane and the section (building the section cache of `state`
// when it is empty), and in measurement mode the section points that can
// be picked. Nothing happens without a cut.
void drawCutPlane(kvx_GL_Plugin::State& state);

}  // namespace kvx
