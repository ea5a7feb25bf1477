#pragma once
// The cutting plane on screen: the clip of the objects, the translucent
// plane with its outline, and the section lines where it meets the faces.
#include "render/frame_input.h"

namespace kvx {

// The cut being applied, or null.
const kvx_CutPlane* activeCutPlane(const kvx_ManipInfo& view);

// Enables clip plane 0 for the cut; the scene's model-view must be current.
// Call before the objects are drawn; nothing happens without a cut.
void enableCutPlaneClip(const kvx_ManipInfo& view);

// Draws the plane and the input's section, and in measurement mode the
// section points that can be picked. Nothing happens without a cut.
void drawCutPlane(const FrameInput& input);

}  // namespace kvx
