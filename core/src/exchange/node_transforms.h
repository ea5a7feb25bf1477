#pragma once
// Placement of Assimp nodes in the model's world.
#include <assimp/scene.h>

namespace kvx {

// Product of the transformations from the root down to the node named
// `name`; identity when no node has that name.
aiMatrix4x4 worldTransformOf(const aiScene& model, const aiString& name);

}  // namespace kvx
