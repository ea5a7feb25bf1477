// The merge reader: a second file merged into a scene read from a first.
#include "geometry_builders.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using test::OptionGuard;
using test::makeVertex;

// A lit square of two indexed triangles at height z, in its own colour.
std::unique_ptr<SceneObject> square(float z, uint8_t red, uint32_t texture = 0) {
  auto object = test::makeObject(tri_indexed,
                               {makeVertex(0, 0, z, 0, 0, 1), makeVertex(1, 0, z, 0, 0, 1), makeVertex(1, 1, z, 0, 0, 1),
                                makeVertex(0, 1, z, 0, 0, 1)},
                               {{{0, 1, 2}}, {{0, 2, 3}}});
  object->diffuse[0] = red;
  object->textureName = texture;
  return object;
}

void addTexture(scene& s, uint32_t name, uint8_t value) {
  auto texture = std::make_unique<SceneTexture>();
  texture->name = name;
  texture->width = texture->height = 1;
  texture->bitmap = {value, value, value, 255};
  s.textures.add(std::move(texture));
}

void add(scene& s, std::unique_ptr<SceneObject> object) { s.AddObjet(object); }

void write(scene& s, const std::string& path) {
  ASSERT_GT(s.Write(path.c_str(), nullptr, 0, false, nullptr, nullptr, nullptr), 8);
}

class MergeReader : public ::testing::Test {
 protected:
  void SetUp() override {
    scene first;
    addTexture(first, 7, 70);
    add(first, square(0, 10, 7));
    add(first, square(1, 20));
    write(first, env.path("first.kvx"));

    scene second;
    addTexture(second, 7, 99);  // the same name: the scene's own texture is kept
    addTexture(second, 8, 80);
    add(second, square(0, 10, 7));
    add(second, square(2, 30, 8));
    add(second, square(3, 40, 8));
    write(second, env.path("second.kvx"));
  }

  test::TempEnv env;
  OptionGuard optimise{CaptureOption::NOOPTIM, false};
  OptionGuard noPyramid{CaptureOption::NOPYRAMID, true};
};

TEST_F(MergeReader, ObjectsComingAgainAreReplacedAndTexturesCopiedOnce) {
  scene s;
  ASSERT_GT(s.Read(env.path("first.kvx").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, false), 8);
  const int32_t result = s.ReadMerge(env.path("second.kvx").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_GT(result, 8);
  // The first file's square at z = 0 came again: one copy of it is left.
  ASSERT_EQ(s.objectCount(), 4);
  int atZero = 0;
  for (const auto& object : s.objects) atZero += object->geometry->vertices[0].z == 0 ? 1 : 0;
  EXPECT_EQ(atZero, 1);
  EXPECT_EQ(s.textures.size(), 2u);
  EXPECT_EQ(s.textures.find(7)->bitmap[0], 70);
  EXPECT_EQ(s.textures.find(8)->bitmap[0], 80);
  EXPECT_EQ(s.textures.find(8)->refCount, 3);  // the table's own and one per object
  EXPECT_EQ(s.bounds.v[5], 3);
}

TEST_F(MergeReader, AFileThatCannotBeReadChangesNothing) {
  scene s;
  ASSERT_GT(s.Read(env.path("first.kvx").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, false), 8);
  EXPECT_EQ(s.ReadMerge(env.path("missing.kvx").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr), FILE_CANNOT_OPEN);
  test::writeFile(env.path("garbage.kvx"), std::string(64, 'x'));
  EXPECT_EQ(s.ReadMerge(env.path("garbage.kvx").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr), FILE_CORRUPT);
  EXPECT_EQ(s.objectCount(), 2);
  EXPECT_EQ(s.textures.size(), 1u);
}

}  // namespace
}  // namespace kvx
