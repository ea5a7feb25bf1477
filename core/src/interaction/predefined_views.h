#pragma once
// The six axis orientations offered as predefined views, for Y-up and Z-up
// scenes, and the start orientations of a fitted view.
#include "interaction/quaternion.h"
#include "kvx_commands.h"

#include <cstdint>
#include <optional>

namespace kvx {


// Orientation of VIEW_LEFT (0) .. VIEW_BOTTOM (5); nothing for other values.
std::optional<Quat> predefinedOrientation(int view, bool zUp);

// True when q (or its negation) is one of the six orientations, each
// component within 0.000001: such views are drawn orthographically.
bool isAxisOrientation(const Quat& q, bool zUp);

// Orientation after fitting the scene.
Quat fittedOrientation(bool zUp);

// The scene axis these orientations show upwards: the tables of scenes
// without the Z-up flag keep +z up on screen, those with it +y.
inline int screenUpAxis(uint32_t sceneFlags) { return sceneFlags & KVX_SCENE_Z_UP ? 1 : 2; }

}  // namespace kvx
