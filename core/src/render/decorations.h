#pragma once
// Scene-space decorations: the origin axes and the bounds box with its
// extents written along three edges.
#include <cstdint>

namespace kvx {

// `bounds`: x min, x max, y min, y max, z min, z max. Letters stand along
// `upAxis` (0 x, 1 y, 2 z).
void drawOriginAxes(const float bounds[6], int upAxis);
void drawBoundsBox(const float bounds[6], const uint8_t background[3], int upAxis);

// Character size of a bounds label: `size`, or less so that the label is
// no longer than 0.75 of the extent it describes.
float fittedLabelSize(float size, int characters, float extent);

}  // namespace kvx
