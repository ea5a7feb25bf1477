#pragma once
// One frame of the scene: everything drawn between the clear and the flush.
#include "render/frame_input.h"
#include "render/render_cache.h"

namespace kvx {

// Draws the scene with the live view as it stands. `cache` holds the GL
// objects kept between frames; they are rebuilt when the scene or the
// context changed or a texture name went stale.
FrameResult drawSceneFrame(const FrameInput& input, RenderCache& cache);

}  // namespace kvx
