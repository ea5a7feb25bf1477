#pragma once
// Edits of the whole scene offered as commands.
#include "scene/scene.h"

namespace kvx {

// Swaps y and z of every position and normal (each shared geometry once),
// then recomputes the scene bounds, centre and radius.
void swapYZ(scene& scene);

// Rebuilds the normals from the faces: of every object when nothing is
// selected, else of the fully selected objects. Surface objects that get
// new normals become lit.
void recomputeNormals(scene& scene);

}  // namespace kvx
