#include "exchange/model_exchange.h"
#include "scene/scene.h"
#include "scene_builders.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using kvx::test::objectOf;

constexpr uint32_t kTextureName = 7;

// A translucent green square (two triangles from a quad list), a clockwise
// triangle above it, and a line segment beside them.
void buildStage(kvx::scene& s) {
  auto square = kvx::test::unitSquare();
  square->diffuse[0] = 10, square->diffuse[1] = 200, square->diffuse[2] = 30;
  square->blendSrc = 0x0301, square->blendDst = 0x0303, square->blendByte = 128;
  kvx::test::addObject(s, std::move(square));

  auto triangle = objectOf(kvx::tri_indexed, {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}});
  triangle->geometry->triangleTable = {kvx::Tri{{0, 1, 2}}};
  triangle->clockwise = true;
  kvx::test::addObject(s, std::move(triangle));

  auto segment = objectOf(kvx::line, {{3, 0, 0}, {4, 0, 0}});
  segment->lineWidth = 1;
  kvx::test::addObject(s, std::move(segment));
  s.updateBounds();
}

// A square showing a 2 x 2 picture whose four pixels all differ.
void buildTexturedSquare(kvx::scene& s) {
  auto texture = std::make_unique<kvx::SceneTexture>();
  texture->width = texture->height = 2;
  texture->name = kTextureName;
  texture->bitmap = {255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 128};
  s.textures.add(std::move(texture));
  auto square = kvx::test::unitSquare();
  for (kvx::Vertex& v : square->geometry->vertices) v.u = v.x, v.v = v.y;
  square->textureName = kTextureName;
  kvx::test::addObject(s, std::move(square));
}

long triangleCount(const kvx::scene& s, bool lines) {
  long count = 0;
  for (const auto& object : s.objects)
    if (kvx::isLineType(object->geometry->type) == lines) count += object->geometry->triangleCount();
  return count;
}

bool roundTrip(const kvx::scene& source, const fs::path& path, kvx::scene& back) {
  std::string error;
  if (!kvx::exportModel(source, path, error)) {
    ADD_FAILURE() << path << ": " << error;
    return false;
  }
  if (!kvx::importModel(path, back, error)) {
    ADD_FAILURE() << path << " does not read back: " << error;
    return false;
  }
  return true;
}

TEST(ModelExport, EveryFormatReadsBackWithTheSameTrianglesAndBounds) {
  kvx::test::TempEnv env;
  kvx::scene source;
  buildStage(source);
  struct Case {
    const char* file;
    bool keepsLines;
    bool keepsMaterial;
  };
  for (const Case& c : {Case{"stage.obj", true, true}, Case{"stage.STL", false, false},
                        Case{"stage.gltf", true, true}, Case{"stage.glb", true, true}}) {
    SCOPED_TRACE(c.file);
    kvx::scene back;
    if (!roundTrip(source, env.path(c.file), back)) continue;
    EXPECT_EQ(triangleCount(back, false), 3);
    EXPECT_EQ(triangleCount(back, true), c.keepsLines ? 1 : 0);
    const float* expected = source.bounds.v;
    const float withoutLine[6] = {0, 1, 0, 1, 0, 2};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(back.bounds.v[i], c.keepsLines ? expected[i] : withoutLine[i], 1e-5) << i;
    if (!c.keepsMaterial) continue;
    bool foundSquare = false;
    for (const auto& object : back.objects) {
      if (object->diffuse[1] != 200) continue;
      foundSquare = true;
      EXPECT_EQ(object->diffuse[0], 10);
      EXPECT_EQ(object->diffuse[2], 30);
      EXPECT_NE(object->blendSrc, 0);
      EXPECT_EQ(object->blendByte, 128);
    }
    EXPECT_TRUE(foundSquare);
  }
}

TEST(ModelExport, ClockwiseObjectsAreWrittenCounterClockwise) {
  kvx::test::TempEnv env;
  kvx::scene source;
  buildStage(source);
  kvx::scene back;
  ASSERT_TRUE(roundTrip(source, env.path("stage.glb"), back));
  int raised = 0;
  for (const auto& object : back.objects) {
    const kvx::geom& g = *object->geometry;
    if (g.type != kvx::tri_indexed || g.vertices[0].z != 2) continue;
    ++raised;
    EXPECT_FALSE(object->clockwise);
    // Its front faced +z before, so the corners must now turn counter-clockwise seen from +z.
    for (const kvx::Tri& t : g.triangleTable) {
      const kvx::Vertex &a = g.vertices[t.i[0]], &b = g.vertices[t.i[1]], &c = g.vertices[t.i[2]];
      EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0);
    }
  }
  EXPECT_EQ(raised, 1);
}

TEST(ModelExport, TexturesTravelWithTheModel) {
  kvx::test::TempEnv env;
  kvx::scene source;
  buildTexturedSquare(source);
  const kvx::SceneTexture& original = *source.textures.find(kTextureName);
  for (const char* file : {"square.obj", "square.gltf", "square.glb"}) {
    SCOPED_TRACE(file);
    kvx::scene back;
    if (!roundTrip(source, env.path(file), back)) continue;
    ASSERT_EQ(back.objectCount(), 1);
    const kvx::SceneTexture* texture = back.textures.find(back.objects[0]->textureName);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->width, 2);
    EXPECT_EQ(texture->bitmap, original.bitmap);
  }
  EXPECT_TRUE(fs::exists(env.path("square_texture7.png")));
}

TEST(ModelExport, RefusalsWriteNothing) {
  kvx::test::TempEnv env;
  kvx::scene stage;
  buildStage(stage);
  kvx::scene empty;
  kvx::scene onlyLines;
  kvx::test::addObject(onlyLines, objectOf(kvx::line, {{0, 0, 0}, {1, 0, 0}}));
  struct Case {
    const kvx::scene& source;
    fs::path path;
  };
  const Case cases[] = {{stage, env.path("stage.dxf")},
                        {stage, env.path("stage")},
                        {empty, env.path("empty.obj")},
                        {onlyLines, env.path("lines.stl")},
                        {stage, env.path("stage.ply")},  // PLY holds one object
                        {stage, env.path("no/such/folder/stage.glb")}};
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(kvx::exportModel(c.source, c.path, error)) << c.path;
    EXPECT_FALSE(error.empty()) << c.path;
    EXPECT_FALSE(fs::exists(c.path)) << c.path;
  }
  EXPECT_TRUE(kvx::isExportFormat("a/b.GLB"));
  EXPECT_FALSE(kvx::isExportFormat("a/b.kvx"));
}

}  // namespace
