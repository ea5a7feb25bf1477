#pragma once
// The bundled demo scene: a small still life that shows every kind of
// primitive, materials, a texture, lights and three named cameras.
#include "scene/scene.h"

namespace kvx {

// Clears `s` and fills it; the result is the same on every call.
void buildSampleScene(scene& s);

}  // namespace kvx
