#pragma once
// What an imported model needs to look like a model when its file leaves
// it out: a sound material, lights, a background and an opening camera.
#include "exchange/import_up_axis.h"
#include "scene/scene.h"

namespace kvx {

// A light grey, slightly shiny material; the file's own material is applied
// over it, so only what the file leaves out keeps these values.
void setDefaultMaterial(SceneObject& object);

// Key, fill and rim lights that travel with the viewer, and a soft ambient
// light, for a model that brings no lights.
void addDefaultLights(scene& target);

// A calm dark blue-grey behind the model.
void setDefaultBackground(scene& target);

// A camera that frames the whole model from the front, a little from above
// and to the right, for a model that brings no cameras. The scene bounds
// must be up to date.
void addOpeningCamera(scene& target, UpAxis up);

}  // namespace kvx
