#pragma once
// The selection as stored in the scene: one selection byte per vertex (0 or
// 1) and, per geometry, an all-selected flag (`geom::mark`) and a
// none-selected flag (`geom::boundsMark`), 255 meaning true.
#include "scene/scene.h"

namespace kvx {

inline constexpr uint8_t kFlagSet = 255;
// True when some vertex of the geometry is selected.
bool hasSelectedPoint(const geom& g);
// True when the geometry has vertices and every one is selected.
bool fullySelected(const geom& g);
bool anySelected(const scene& scene);
// Recounts the selected vertices and sets both flags from the count.
void updateSelectionFlags(geom& g);

}  // namespace kvx
