#pragma once
// Fixed-function state of a fresh frame and the two lighting set-ups.
#include "scene/scene.h"

namespace kvx {

// Culling off, depth test less-or-equal, dithering, smooth shading, hints.
void setInitialGLState();
// The two default lights that InitDisplay installs.
void setDefaultLights();

// Light 0 from the upper left front, white, with a grey ambient term.
void setAutomaticLight();
// Up to 9 scene lights. Returns whether lighting ended up on.
bool setSceneLights(const scene& scene, bool noLight);

}  // namespace kvx
