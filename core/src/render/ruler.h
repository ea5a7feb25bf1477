#pragma once
// The ruler of orthographic views: graduated bands along the bottom and left
// edges, in the scene units of the two axes the screen shows.
#include <cstdint>

namespace kvx {

// Graduation step for a span of `units` shown over `pixels`: 1, 2 or 5 times
// a power of ten, the smallest at least `minimumPixels` apart.
double rulerStep(double units, double pixels, double minimumPixels);

// Draws with the frame's projection and model-view loaded.
void drawOrthographicRuler(int width, int height, const uint8_t background[3]);

}  // namespace kvx
