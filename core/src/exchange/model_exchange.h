#pragma once
// Exchange with the common 3D formats: any model Assimp reads becomes a
// scene, and a scene can be written as OBJ, STL, PLY or glTF 2.0.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kvx {

class scene;

// Called while a model is read with its progress (0..1, or -1 when unknown);
// false stops the import.
struct ImportProgress {
  std::function<bool(float)> report;
};

// Reads the model at `path` into `target`, which is cleared first. Node
// transforms are baked into the vertices; materials, textures, cameras and
// lights are carried over. False with the reason in `error` (Assimp's
// message when Assimp refused the file); `target` is then left empty.
// A stop asked through `progress` fails the import as any failure does.
bool importModel(const std::filesystem::path& path, scene& target, std::string& error,
                 const ImportProgress* progress = nullptr);

// Writes `source` in the format named by the extension of `path`: .obj,
// .stl, .ply, .gltf or .glb. False with the reason in `error`.
bool exportModel(const scene& source, const std::filesystem::path& path, std::string& error);

// True when `path` names one of the formats exportModel writes.
bool isExportFormat(const std::filesystem::path& path);
// The extensions exportModel writes (".obj", ...), in lower case.
std::vector<std::string> exportExtensions();

// Assimp post-processing steps applied on import (triangulation, normals
// where missing, one primitive type per mesh, validation).
unsigned importPostProcessing();

}  // namespace kvx
