#pragma once
// Fix-ups of each object right after it was read from a file.
#include "scene/scene_object.h"

namespace kvx {

// Sets the clockwise flag from the stored normals (only when optimisation
// is skipped; cleared otherwise).
void detectWinding(SceneObject& object);

// Meaningless normals (unlit, or all equal) are regenerated from the faces;
// with optimisation on, faces are then oriented.
void settleObjectNormals(SceneObject& object);

}  // namespace kvx
