#pragma once
// Selection of the vertices seen inside a window rectangle.
#include "interaction/window_projection.h"

namespace kvx {

// Corners in window pixels from the bottom left, in any order; a rectangle
// of one pixel grows by 2 pixels on every side. Vertices inside (in front of
// the eye) are selected, or flipped with `toggle`; the others are unselected,
// or left alone with `toggle`. Both selection flags of every geometry follow.
void selectInRectangle(scene& scene, const WindowProjector& projector, int x1, int y1, int x2, int y2,
                       bool toggle);

}  // namespace kvx
