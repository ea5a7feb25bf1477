#pragma once
// Drawing in window pixels over the scene: the empty-view gradient, the
// scene logo, the overlay cursor and the rubber bands.
#include "kvx_sdk.h"

#include <cstdint>

namespace kvx {

// Projection and model-view for window pixels, origin at the bottom left.
void beginWindowCoordinates(int width, int height);
void endWindowCoordinates();

// Dark blue at the bottom to light blue at the top, one line per row.
void drawEmptyGradient(int width, int height);

// RGBA image, first row on top, drawn in the bottom right corner.
void drawLogo(const uint8_t* rgba, int imageWidth, int imageHeight, bool translucent, int width, int height);

// The host's cursor image with its top-left corner at (x, y) from the top
// left of the window. `texture` is created on first use and kept.
void drawOverlayCursor(const kvx_ARGB* image, int imageWidth, int imageHeight, int x, int y, int width,
                       int height, uint32_t& texture);

// Rubber band in exclusive-or over the frame just drawn, so that it shows on
// any colour. Window coordinates from the top left.
void drawRubberBand(int x1, int x2, int y1, int y2, bool rectangle, int width, int height);

}  // namespace kvx
