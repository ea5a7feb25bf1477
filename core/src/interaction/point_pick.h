#pragma once
// Picking the scene point under the pointer for a measurement.
#include "interaction/window_projection.h"

#include <optional>
#include <span>

namespace kvx {

struct PickedPoint {
  float position[3];
  WindowPoint window;
};

// The candidate nearest to the eye among those projected within 3 pixels of
// (x, y) (window pixels from the bottom left). Candidates are the points of
// `section` (x, y, z triples) when it is not empty, otherwise every vertex
// of the scene. Points behind the eye or beyond the far plane never qualify.
std::optional<PickedPoint> pickPoint(const scene& scene, std::span<const float> section,
                                     const WindowProjector& projector, int x, int y);

}  // namespace kvx
