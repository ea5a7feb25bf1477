#include "exchange/export_scene.h"

#include <assimp/material.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace kvx {
namespace {

enum class Primitive { Triangles, Lines, Points };

Primitive primitiveOf(const geom& g) {
  if (isLineType(g.type)) return Primitive::Lines;
  if (g.type == points) return Primitive::Points;
  return Primitive::Triangles;
}

template <typename T>
T* copyArray(const std::vector<T>& items) {
  T* array = new T[items.size()];
  std::copy(items.begin(), items.end(), array);
  return array;
}

unsigned cornersOf(Primitive primitive) {
  return primitive == Primitive::Triangles ? 3 : primitive == Primitive::Lines ? 2 : 1;
}

// Index triples of the faces; lines and points use the first two or one.
std::vector<std::array<unsigned, 3>> facesOf(const SceneObject& object, unsigned corners) {
  const geom& g = *object.geometry;
  std::vector<std::array<unsigned, 3>> faces;
  faces.reserve(g.triangleTable.size());
  for (const Tri& t : g.triangleTable) {
    // A damaged table must not make the exporter read past the vertices.
    if (std::any_of(t.i, t.i + corners, [&](int32_t i) { return i < 0 || i >= g.vertexCount(); })) continue;
    std::array<unsigned, 3> face{unsigned(t.i[0]), unsigned(t.i[1]), unsigned(t.i[2])};
    // Clockwise objects are written counter-clockwise, as every format expects.
    if (corners == 3 && object.clockwise) std::swap(face[1], face[2]);
    faces.push_back(face);
  }
  return faces;
}

aiMesh* meshOf(const SceneObject& object, Primitive primitive, bool textured, unsigned materialIndex) {
  const geom& g = *object.geometry;
  const unsigned corners = cornersOf(primitive);
  const auto faces = facesOf(object, corners);
  if (faces.empty()) return nullptr;
  auto* mesh = new aiMesh;
  mesh->mPrimitiveTypes = primitive == Primitive::Triangles ? aiPrimitiveType_TRIANGLE
                          : primitive == Primitive::Lines   ? aiPrimitiveType_LINE
                                                            : aiPrimitiveType_POINT;
  mesh->mMaterialIndex = materialIndex;
  mesh->mNumFaces = static_cast<unsigned>(faces.size());
  mesh->mFaces = new aiFace[faces.size()];
  for (size_t f = 0; f < faces.size(); ++f) {
    mesh->mFaces[f].mNumIndices = corners;
    mesh->mFaces[f].mIndices = new unsigned[corners];
    std::copy_n(faces[f].begin(), corners, mesh->mFaces[f].mIndices);
  }

  const unsigned n = static_cast<unsigned>(g.vertices.size());
  mesh->mNumVertices = n;
  mesh->mVertices = new aiVector3D[n];
  const bool normals = !g.noRealNormals && primitive == Primitive::Triangles;
  if (normals) mesh->mNormals = new aiVector3D[n];
  if (textured) {
    mesh->mTextureCoords[0] = new aiVector3D[n];
    mesh->mNumUVComponents[0] = 2;
  }
  if (g.perVertexColor) mesh->mColors[0] = new aiColor4D[n];
  for (unsigned i = 0; i < n; ++i) {
    const Vertex& v = g.vertices[i];
    mesh->mVertices[i] = aiVector3D(v.x, v.y, v.z);
    if (normals) mesh->mNormals[i] = aiVector3D(v.nx, v.ny, v.nz);
    if (textured) mesh->mTextureCoords[0][i] = aiVector3D(v.u, v.v, 0);
    if (g.perVertexColor) mesh->mColors[0][i] = aiColor4D(v.r / 255.0f, v.g / 255.0f, v.b / 255.0f, 1);
  }
  return mesh;
}

aiColor3D colourOf(const uint8_t c[3]) { return aiColor3D(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f); }

aiMaterial* materialOf(const SceneObject& object, const std::string& name, const std::string& texturePath) {
  auto* material = new aiMaterial;
  const aiString materialName(name);
  material->AddProperty(&materialName, AI_MATKEY_NAME);
  const aiColor3D diffuse = colourOf(object.diffuse), specular = colourOf(object.specular),
                  ambient = colourOf(object.ambient), emission = colourOf(object.emission);
  material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
  material->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
  material->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
  material->AddProperty(&emission, 1, AI_MATKEY_COLOR_EMISSIVE);
  material->AddProperty(&object.shininess, 1, AI_MATKEY_SHININESS);
  const float opacity = object.blendSrc ? object.blendByte / 255.0f : 1.0f;
  material->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
  const int shading = !object.lit ? aiShadingMode_NoShading : object.smooth ? aiShadingMode_Phong : aiShadingMode_Flat;
  material->AddProperty(&shading, 1, AI_MATKEY_SHADING_MODEL);
  if (!texturePath.empty()) {
    const aiString path(texturePath);
    material->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    const int wrapU = object.repeatU ? aiTextureMapMode_Wrap : aiTextureMapMode_Clamp;
    const int wrapV = object.repeatV ? aiTextureMapMode_Wrap : aiTextureMapMode_Clamp;
    material->AddProperty(&wrapU, 1, AI_MATKEY_MAPPINGMODE_U_DIFFUSE(0));
    material->AddProperty(&wrapV, 1, AI_MATKEY_MAPPINGMODE_V_DIFFUSE(0));
  }
  return material;
}

std::string texturePathFor(uint32_t name, const ExportOptions& options) {
  auto embedded = std::find(options.embeddedTextures.begin(), options.embeddedTextures.end(), name);
  if (embedded != options.embeddedTextures.end())
    return "*" + std::to_string(embedded - options.embeddedTextures.begin());
  for (const auto& [textureName, file] : options.textureFiles)
    if (textureName == name) return file;
  return {};
}

}  // namespace

std::unique_ptr<aiScene> buildExportScene(const scene& source, const ExportOptions& options) {
  std::vector<aiMesh*> meshes;
  std::vector<aiMaterial*> materials;
  for (const auto& object : source.objects) {
    const Primitive primitive = primitiveOf(*object->geometry);
    if (options.trianglesOnly && primitive != Primitive::Triangles) continue;
    const std::string texturePath = object->textureName ? texturePathFor(object->textureName, options) : "";
    aiMesh* mesh = meshOf(*object, primitive, !texturePath.empty(), static_cast<unsigned>(materials.size()));
    if (!mesh) continue;
    char name[32];
    std::snprintf(name, sizeof name, "object_%zu", meshes.size() + 1);
    mesh->mName = name;
    meshes.push_back(mesh);
    materials.push_back(materialOf(*object, std::string(name) + "_material", texturePath));
  }
  if (meshes.empty()) return nullptr;

  auto model = std::make_unique<aiScene>();
  model->mNumMeshes = static_cast<unsigned>(meshes.size());
  model->mMeshes = copyArray(meshes);
  model->mNumMaterials = static_cast<unsigned>(materials.size());
  model->mMaterials = copyArray(materials);
  model->mRootNode = new aiNode("root");
  model->mRootNode->mNumChildren = model->mNumMeshes;
  model->mRootNode->mChildren = new aiNode*[model->mNumMeshes];
  for (unsigned i = 0; i < model->mNumMeshes; ++i) {
    auto* node = new aiNode(model->mMeshes[i]->mName.C_Str());
    node->mParent = model->mRootNode;
    node->mNumMeshes = 1;
    node->mMeshes = new unsigned[1]{i};
    model->mRootNode->mChildren[i] = node;
  }
  return model;
}

}  // namespace kvx
