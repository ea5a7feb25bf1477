#pragma once
// Which way is up in an imported model: the file's own statement when it
// has one, else the habit of its format.
#include <assimp/scene.h>

#include <filesystem>

namespace kvx {

enum class UpAxis { Y, Z };

// Assimp's "UpAxis" metadata (0 x, 1 y, 2 z) when present; otherwise Z for
// the formats CAD and modelling tools write Z-up (STL, 3DS), Y for the rest
// (glTF fixes Y, and Assimp turns COLLADA files to Y).
UpAxis upAxisOf(const aiScene& model, const std::filesystem::path& path);

// The scene flag that makes the predefined views show a model of that axis
// upright with its front facing the front view. The predefined orientations
// show y upwards when the flag is set, z when it is clear, whatever the
// flag's name says.
uint32_t upAxisSceneFlag(UpAxis axis);

}  // namespace kvx
