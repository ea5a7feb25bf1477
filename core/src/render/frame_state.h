#pragma once
// Every fixed-function state a frame relies on, set in one place at its
// start. Drawing steps that change any of it do so inside a scope
// (render/gl_scopes.h), so that the next step finds it as set here.
#include "kvx_sdk.h"

#include <cstdint>

namespace kvx {

// Viewport and clear colour of the frame; depth test (less-or-equal, mask
// on), no blending (factors: source alpha), no lighting, texturing, texture
// coordinate generation, culling, clipping, smoothing or stipples; filled
// polygons, counter-clockwise fronts, lines and points 1 pixel wide, byte
// aligned pixel rows, smooth shading.
void setUpFrameState(const kvx_FrameInfo& frame, const uint8_t background[3]);

}  // namespace kvx
