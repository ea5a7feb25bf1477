#pragma once
// One Assimp mesh, placed by its node, as a scene object.
#include "scene/scene_object.h"

#include <assimp/matrix4x4.h>
#include <assimp/mesh.h>

#include <memory>

namespace kvx {

// Positions go through `toWorld`, normals through its inverse transpose;
// a mirroring transform reverses the winding so that front faces stay in
// front. Triangle meshes become indexed triangles, line and point meshes
// their own primitive types (drawn with width or size 1). Texture
// coordinates come from channel `uvChannel`, colours from channel 0.
// Triangles sharing identical vertex records share one vertex, and faces
// without normals get smooth ones that keep creases.
// Assimp sorts the primitives by type first, so a mesh holds one kind, and
// its validation step has checked every index.
// With `releaseFaces` (the mesh's last use) the faces of a triangle mesh are
// freed as soon as they are read.
std::unique_ptr<SceneObject> objectFromMesh(aiMesh& mesh, const aiMatrix4x4& toWorld, unsigned uvChannel,
                                            bool releaseFaces);

}  // namespace kvx
