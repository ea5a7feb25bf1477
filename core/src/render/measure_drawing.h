#pragma once
// The measurement on screen: both points, the line between them and a
// label with the distance at its middle.
#include "kvx_sdk.h"

#include <cstdint>

namespace kvx {

// Draws with the scene's matrices current; nothing unless the distance is
// above 0. `background` decides the label's border colour.
void drawMeasurement(const kvx_Measure& measure, const uint8_t background[3], int width, int height);

}  // namespace kvx
