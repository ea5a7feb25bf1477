#pragma once
// Cameras of a model as named views, lights as scene lights.
#include "scene/scene.h"

#include <assimp/scene.h>

namespace kvx {

// Appends one view per camera after the current view (created when
// missing) and makes the first camera the view a loaded file opens with.
// The scene's bounds must be up to date: a camera's target is the point of
// its line of sight nearest the scene centre.
void importCameras(const aiScene& model, scene& target);

// Appends one scene light per model light, placed by its node.
void importLights(const aiScene& model, scene& target);

// The view rotation (x, y, z, w) that turns the view's +z towards the eye
// (as seen from the target) and its +y along `up`.
void rotationLookingAt(const aiVector3D& eye, const aiVector3D& target, const aiVector3D& up, float rotation[4]);

}  // namespace kvx
