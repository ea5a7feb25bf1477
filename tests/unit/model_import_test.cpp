#include "exchange/import_up_axis.h"
#include "exchange/model_exchange.h"
#include "kvx_commands.h"
#include "model_fixtures.h"
#include "scene/scene.h"
#include "scene_builders.h"
#include "temp_env.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using kvx::test::kAssimpModels;
namespace fs = std::filesystem;

struct Totals {
  long objects = 0, vertices = 0, triangles = 0;
};

// Triangle meshes as Assimp returns them, each counted once per node that places it.
void addPlaced(const aiScene& model, const aiNode& node, Totals& totals) {
  for (unsigned i = 0; i < node.mNumMeshes; ++i) {
    const aiMesh& mesh = *model.mMeshes[node.mMeshes[i]];
    ++totals.objects;
    totals.vertices += mesh.mNumVertices;
    totals.triangles += mesh.mNumFaces;
  }
  for (unsigned i = 0; i < node.mNumChildren; ++i) addPlaced(model, *node.mChildren[i], totals);
}

Totals totalsOf(const kvx::scene& s) {
  Totals totals;
  for (const auto& object : s.objects) {
    ++totals.objects;
    totals.vertices += object->geometry->vertexCount();
    totals.triangles += object->geometry->triangleCount();
  }
  return totals;
}

bool imports(const fs::path& path, kvx::scene& s) {
  std::string error;
  const bool ok = kvx::importModel(path, s, error);
  EXPECT_TRUE(ok) << path << ": " << error;
  return ok;
}

TEST(ModelImport, CountsMatchAssimpAcrossFormats) {
  kvx::test::TempEnv env;
  struct Case {
    const char* model;
    long vertices = 0;  // where the importer's normals differ from Assimp's
  };
  for (const auto& [model, ownVertices] :
       {Case{"OBJ/spider.obj"}, Case{"STL/Spider_binary.stl"},
        // Eight shared corners without normals: Assimp gives each corner one
        // normal, the box's edges need each face to have its own four.
        Case{"PLY/cube.ply", 24}, Case{"PLY/Wuson.ply"}, Case{"glTF2/BoxTextured-glTF/BoxTextured.gltf"},
        Case{"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"}, Case{"3DS/fels.3ds"}, Case{"Collada/duck.dae"},
        Case{"FBX/box.fbx"}, Case{"FBX/spider.fbx"}}) {
    SCOPED_TRACE(model);
    const fs::path path = kAssimpModels / model;
    Assimp::Importer importer;
    // Assimp's own joining and normals give the counts the importer's must match.
    importer.SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, 80);
    const aiScene* reference = importer.ReadFile(
        path.string(), kvx::importPostProcessing() | aiProcess_GenSmoothNormals | aiProcess_JoinIdenticalVertices);
    ASSERT_NE(reference, nullptr) << importer.GetErrorString();
    Totals expected;
    addPlaced(*reference, *reference->mRootNode, expected);
    Assimp::Importer plainImporter;
    const aiScene* plain = plainImporter.ReadFile(path.string(), kvx::importPostProcessing());
    ASSERT_NE(plain, nullptr) << plainImporter.GetErrorString();
    Totals unjoined;
    addPlaced(*plain, *plain->mRootNode, unjoined);

    kvx::scene s;
    ASSERT_TRUE(imports(path, s));
    const Totals got = totalsOf(s);
    EXPECT_EQ(got.objects, expected.objects);
    // Records are joined when equal to the bit, Assimp's within 1e-5: a few
    // more may stay apart, never more than the file's own.
    if (ownVertices) {
      EXPECT_EQ(got.vertices, ownVertices);
    } else {
      EXPECT_GE(got.vertices, expected.vertices);
      EXPECT_LE(got.vertices, std::min(unjoined.vertices, expected.vertices * 21 / 20));
    }
    EXPECT_EQ(got.triangles, expected.triangles);
    EXPECT_GT(s.radius, 0);
    EXPECT_EQ(s.authorStamp[4], path.filename().string());
    EXPECT_TRUE(s.sceneFlags & 0x800u);  // opens with its faces shown
  }
}

TEST(ModelImport, TexturedGltfKeepsItsTextureWhereverTheImageLives) {
  kvx::test::TempEnv env;
  for (const char* model : {"glTF2/BoxTextured-glTF/BoxTextured.gltf",  // file beside the model
                            "glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf",  // data URI
                            "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"}) {  // binary chunk
    SCOPED_TRACE(model);
    kvx::scene s;
    ASSERT_TRUE(imports(kAssimpModels / model, s));
    ASSERT_EQ(s.textures.size(), 1u);
    const kvx::SceneTexture& texture = *s.textures.entries().begin()->second;
    EXPECT_EQ(texture.width, 211);  // CesiumLogoFlat.png
    EXPECT_EQ(texture.height, 211);
    EXPECT_EQ(texture.bitmap.size(), 211u * 211 * 4);
    EXPECT_EQ(texture.refCount, s.objectCount());
    for (const auto& object : s.objects) {
      EXPECT_EQ(object->textureName, texture.name);
      const auto& vertices = object->geometry->vertices;
      EXPECT_TRUE(std::any_of(vertices.begin(), vertices.end(), [](const kvx::Vertex& v) { return v.u != 0; }));
    }
  }
}

TEST(ModelImport, ObjMaterialTextureAndGeneratedNormals) {
  kvx::test::TempEnv env;
  kvx::scene s;
  ASSERT_TRUE(imports(kvx::test::writeTexturedObj(env.root()), s));
  ASSERT_EQ(s.objectCount(), 1);
  const kvx::SceneObject& square = *s.objects[0];
  EXPECT_EQ(square.geometry->triangleCount(), 2);
  EXPECT_EQ((std::array{square.diffuse[0], square.diffuse[1], square.diffuse[2]}), (std::array<uint8_t, 3>{255, 0, 0}));
  EXPECT_EQ(square.specular[0], 128);
  EXPECT_FLOAT_EQ(square.shininess, 40);
  EXPECT_NE(square.blendSrc, 0);  // half transparent
  EXPECT_EQ(square.blendByte, 128);
  for (const kvx::Vertex& v : square.geometry->vertices) {
    EXPECT_NEAR(v.nz, 1, 1e-5);
    EXPECT_FALSE(square.geometry->noRealNormals);
  }

  // The picture's bottom row comes first, each pixel blue, green, red, alpha.
  const kvx::SceneTexture* texture = s.textures.find(square.textureName);
  ASSERT_NE(texture, nullptr);
  ASSERT_EQ(texture->width, 2);
  ASSERT_EQ(texture->height, 2);
  const std::vector<uint8_t> expected = {255, 0, 0, 255, 255, 255, 255, 255,   // blue, white
                                         0,   0, 255, 255, 0,   255, 0,   255};  // red, green
  EXPECT_EQ(texture->bitmap, expected);
}

TEST(ModelImport, TextureFilesAreLookedForBesideTheModelOnly) {
  struct Case {
    const char* reference;
    const char* placedAt;  // where the test puts the picture ("" leaves only the checker beside the model)
    bool textured;
  };
  const Case cases[] = {
      {"maps\\checker.ppm", "model/maps/checker.ppm", true},      // written on another system
      {"C:\\textures\\CHECKER.PPM", "", true},                   // found by name in any letter case
      {"missing.ppm", "", false},                                  // absent: the object stays untextured
      {"../secret.ppm", "secret.ppm", false},                      // outside the model's folder
      {"ROOT/secret.ppm", "secret.ppm", false},                    // absolute, outside
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    kvx::test::TempEnv env;
    std::string reference = c.reference;
    if (reference.starts_with("ROOT")) reference.replace(0, 4, env.root().string());
    const fs::path path = kvx::test::writeTexturedObj(env.path("model"), reference);
    if (*c.placedAt) kvx::test::writeFile(env.path(c.placedAt), kvx::test::checkerPpm());
    kvx::scene s;
    ASSERT_TRUE(imports(path, s));
    EXPECT_EQ(s.objects[0]->textureName != 0, c.textured);
    EXPECT_EQ(s.textures.size(), c.textured ? 1u : 0u);
  }
}

// Face normal from the winding, compared with the stored vertex normal.
float windingAgreement(const kvx::geom& g, const kvx::Tri& t) {
  const kvx::Vertex &a = g.vertices[t.i[0]], &b = g.vertices[t.i[1]], &c = g.vertices[t.i[2]];
  const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  return nx * a.nx + ny * a.ny + nz * a.nz;
}

TEST(ModelImport, NodeTransformsAreBakedAndMirrorsKeepTheirFrontFaces) {
  kvx::test::TempEnv env;
  kvx::scene s;
  ASSERT_TRUE(imports(kvx::test::writeColladaStage(env.root()), s));
  ASSERT_EQ(s.objectCount(), 2);
  const float expected[6] = {-1, 11, 0, 6, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(s.bounds.v[i], expected[i], 1e-5) << i;
  for (const auto& object : s.objects)
    for (const kvx::Tri& t : object->geometry->triangleTable) EXPECT_GT(windingAgreement(*object->geometry, t), 0);
}

// The eye the viewer derives from a view: target + distance x (rotation applied to +z).
std::array<float, 3> eyeFromRotation(const kvx::SceneView& view) {
  const float x = view.rotation[0], y = view.rotation[1], z = view.rotation[2], w = view.rotation[3];
  const float* t = view.camera + kvx::CAM_TARGET;
  const float dx = view.camera[0] - t[0], dy = view.camera[1] - t[1], dz = view.camera[2] - t[2];
  const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
  return {t[0] + d * 2 * (x * z + y * w), t[1] + d * 2 * (y * z - x * w), t[2] + d * (1 - 2 * (x * x + y * y))};
}

TEST(ModelImport, CamerasBecomeNamedViews) {
  kvx::test::TempEnv env;
  kvx::scene s;
  ASSERT_TRUE(imports(kvx::test::writeColladaStage(env.root()), s));
  ASSERT_EQ(s.views.size(), 3u);
  EXPECT_EQ(s.views[0].name, "Current View");
  EXPECT_EQ(s.currentView, 1);

  struct Expected {
    const char* name;
    std::array<float, 6> eyeAndTarget;  // target: nearest the scene centre (5, 3, 0) on the line of sight
    std::array<float, 4> rotation;
  };
  const Expected cases[] = {{"Front", {0, 0, 10, 0, 0, 0}, {0, 0, 0, 1}},
                            {"Side", {20, 0, 0, 5, 0, 0}, {0, 0.7071068f, 0, 0.7071068f}}};
  for (size_t k = 0; k < std::size(cases); ++k) {
    const kvx::SceneView& view = s.views[k + 1];
    SCOPED_TRACE(cases[k].name);
    EXPECT_EQ(view.name, cases[k].name);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(view.camera[i], cases[k].eyeAndTarget[i], 1e-4) << i;
    EXPECT_NEAR(view.camera[kvx::CAM_FOV], 40, 0.01);
    const float sign = view.rotation[3] < 0 ? -1 : 1;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(sign * view.rotation[i], cases[k].rotation[i], 1e-5) << i;
    const auto eye = eyeFromRotation(view);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(eye[i], view.camera[i], 1e-4) << i;
  }
}

TEST(ModelImport, LightsArePlacedByTheirNodes) {
  kvx::test::TempEnv env;
  kvx::scene s;
  ASSERT_TRUE(imports(kvx::test::writeColladaStage(env.root()), s));
  ASSERT_EQ(s.lights.size(), 2u);
  const kvx::SceneLight* bulb = s.lights[0]->kind == kvx::LIGHT_POINT ? s.lights[0].get() : s.lights[1].get();
  const kvx::SceneLight* sun = bulb == s.lights[0].get() ? s.lights[1].get() : s.lights[0].get();
  EXPECT_EQ(bulb->kind, kvx::LIGHT_POINT);
  EXPECT_EQ((std::array{bulb->r, bulb->g, bulb->b}), (std::array<uint8_t, 3>{255, 128, 0}));
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(bulb->values[i], i + 1, 1e-5);
  // The sun shines downwards; OpenGL wants the direction towards it.
  EXPECT_EQ(sun->kind, kvx::LIGHT_DIRECTIONAL);
  EXPECT_NEAR(sun->values[3], 0, 1e-5);
  EXPECT_NEAR(sun->values[4], 1, 1e-5);
  EXPECT_NEAR(sun->values[5], 0, 1e-5);
}

TEST(ModelImport, PerVertexColoursAreKept) {
  kvx::test::TempEnv env;
  kvx::scene s;
  ASSERT_TRUE(imports(kvx::test::writeColouredPly(env.root()), s));
  ASSERT_EQ(s.objectCount(), 1);
  const kvx::geom& g = *s.objects[0]->geometry;
  EXPECT_TRUE(g.perVertexColor);
  std::vector<std::array<uint8_t, 3>> colours;
  for (const kvx::Vertex& v : g.vertices) colours.push_back({v.r, v.g, v.b});
  std::sort(colours.begin(), colours.end());
  EXPECT_EQ(colours, (std::vector<std::array<uint8_t, 3>>{{0, 0, 255}, {0, 255, 0}, {255, 0, 0}}));
}

TEST(ModelImport, PointsAndLinesKeepTheirPrimitiveTypes) {
  kvx::test::TempEnv env;
  kvx::scene s;
  ASSERT_TRUE(imports(kvx::test::writePointsAndLinesObj(env.root()), s));
  const kvx::SceneObject* pointCloud = nullptr;
  const kvx::SceneObject* polyline = nullptr;
  for (const auto& object : s.objects) {
    if (object->geometry->type == kvx::points) pointCloud = object.get();
    if (object->geometry->type == kvx::line) polyline = object.get();
  }
  ASSERT_NE(pointCloud, nullptr);
  ASSERT_NE(polyline, nullptr);
  EXPECT_EQ(pointCloud->geometry->vertexCount(), 3);
  EXPECT_NE(pointCloud->pointSize, 0);
  EXPECT_EQ(polyline->geometry->vertexCount(), 4);  // two segments
  EXPECT_EQ(polyline->geometry->triangleCount(), 2);
  EXPECT_NE(polyline->lineWidth, 0);
  EXPECT_FALSE(polyline->lit);
}

// The scene's up-axis flag follows the file, or the habit of its format.
TEST(ModelImport, TheUpAxisFollowsTheFileOrItsFormat) {
  const struct {
    const char* model;
    kvx::UpAxis up;
  } cases[] = {{"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", kvx::UpAxis::Y},
               {"Collada/duck.dae", kvx::UpAxis::Y},
               {"OBJ/spider.obj", kvx::UpAxis::Y},
               {"PLY/Wuson.ply", kvx::UpAxis::Y},
               {"STL/Spider_binary.stl", kvx::UpAxis::Z},
               {"3DS/fels.3ds", kvx::UpAxis::Z}};
  for (const auto& c : cases) {
    kvx::scene s;
    ASSERT_TRUE(imports(kAssimpModels / c.model, s));
    EXPECT_EQ(s.sceneFlags & KVX_SCENE_Z_UP, kvx::upAxisSceneFlag(c.up)) << c.model;
  }
  aiScene stated;
  stated.mMetaData = aiMetadata::Alloc(1);
  stated.mMetaData->Set(0, "UpAxis", int32_t(2));
  EXPECT_EQ(kvx::upAxisOf(stated, "model.obj"), kvx::UpAxis::Z) << "the file's word beats its format";
  stated.mMetaData->Set(0, "UpAxis", int32_t(1));
  EXPECT_EQ(kvx::upAxisOf(stated, "model.STL"), kvx::UpAxis::Y);
  EXPECT_NE(kvx::upAxisSceneFlag(kvx::UpAxis::Y), kvx::upAxisSceneFlag(kvx::UpAxis::Z));
}

TEST(ModelImport, WhatTheFileLeavesOutGetsSoundDefaults) {
  kvx::scene bare;
  ASSERT_TRUE(imports(kAssimpModels / "PLY/Wuson.ply", bare));
  for (const auto& object : bare.objects) {
    EXPECT_GT(object->diffuse[0], 150) << "light grey";
    EXPECT_LT(object->diffuse[0], 255);
    EXPECT_LT(object->ambient[0], 80) << "a small ambient";
    EXPECT_GT(object->specular[0], 0) << "a modest specular";
    EXPECT_LT(object->specular[0], 128);
    EXPECT_TRUE(object->lit);
    EXPECT_FALSE(object->geometry->noRealNormals) << "smooth normals made where the file has none";
  }
  EXPECT_GE(bare.lights.size(), 3u);
  EXPECT_NE(bare.background[0] + bare.background[1] + bare.background[2], 0);
  ASSERT_EQ(bare.views.size(), 2u);
  EXPECT_EQ(bare.currentView, 1) << "opens on its framing camera";
  const float* camera = bare.views[1].camera;
  const float centre[3] = {bare.center[0], bare.center[1], bare.center[2]};
  EXPECT_GT(camera[kvx::CAM_EYE + 2] - centre[2], 0) << "in front (+z for a y-up model)";
  EXPECT_GT(camera[kvx::CAM_EYE + 1] - centre[1], 0) << "from above";
  EXPECT_NEAR(camera[kvx::CAM_TARGET + 1], centre[1], 1e-3f);

  // The file's own materials, lights and cameras stay as they are.
  kvx::test::TempEnv env;
  kvx::scene staged;
  ASSERT_TRUE(imports(kvx::test::writeColladaStage(env.root()), staged));
  EXPECT_EQ(staged.lights.size(), 2u);
  EXPECT_EQ(staged.views.size(), 3u);
}

TEST(ModelImport, BadInputFailsCleanlyAndLeavesTheSceneEmpty) {
  kvx::test::TempEnv env;
  const std::string glb = kvx::test::readFile(kAssimpModels / "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb");
  kvx::test::writeFile(env.path("truncated.glb"), glb.substr(0, glb.size() / 2));
  kvx::test::writeFile(env.path("short.ply"),
                       "ply\nformat binary_little_endian 1.0\nelement vertex 1000\nproperty float x\n"
                       "property float y\nproperty float z\nend_header\n\x01\x02");
  kvx::test::writeFile(env.path("noise.xyz"), "certainly not a model\n");
  const fs::path cases[] = {env.path("missing.obj"),
                            env.path("truncated.glb"),
                            env.path("short.ply"),
                            env.path("noise.xyz"),
                            kAssimpModels / "invalid/empty.obj",
                            kAssimpModels / "invalid/empty.ply"};
  for (const fs::path& path : cases) {
    kvx::scene s;
    kvx::test::addObject(s, kvx::test::unitSquare());  // whatever was there goes
    std::string error;
    EXPECT_FALSE(kvx::importModel(path, s, error)) << path;
    EXPECT_FALSE(error.empty()) << path;
    EXPECT_EQ(s.objectCount(), 0) << path;
    EXPECT_TRUE(s.views.empty()) << path;
  }
}

TEST(ModelImport, ModelsAssimpRepairsImportWithEveryIndexInRange) {
  kvx::test::TempEnv env;
  for (const char* model : {"glTF2/IndexOutOfRange/IndexOutOfRange.gltf", "invalid/malformed2.obj"}) {
    kvx::scene s;
    ASSERT_TRUE(imports(kAssimpModels / model, s)) << model;
    for (const auto& object : s.objects)
      for (const kvx::Tri& t : object->geometry->triangleTable)
        for (int32_t i : t.i) EXPECT_TRUE(i >= 0 && i < object->geometry->vertexCount()) << model;
  }
}

}  // namespace
