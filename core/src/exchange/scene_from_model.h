#pragma once
// Our side of an import: a scene Assimp has read and post-processed (with
// importPostProcessing's steps) turned into ours.
#include <assimp/scene.h>

#include <filesystem>
#include <string>

namespace kvx {

class scene;

// Fills `target`, cleared first, from `model`. `path` is the file the model
// came from: its folder holds the textures, its extension the habit for the
// up axis, its name the source stamp. False with the reason in `error`;
// `target` is then left empty. Meshes are released from `model` as they are
// converted, so it is consumed.
bool sceneFromModel(aiScene& model, const std::filesystem::path& path, scene& target, std::string& error);

}  // namespace kvx
