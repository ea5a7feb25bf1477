// Geometry equality, removal of objects another scene brings again, and
// the PROESPECIAL post-processing.
#include "geometry/processing.h"
#include "geometry_builders.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using test::objectOf;
using test::vertexAt;

std::unique_ptr<SceneObject> triangle(float dx = 0, float dy = 0, float dz = 0) {
  return objectOf(tri_indexed, {vertexAt(0 + dx, 0 + dy, 0 + dz), vertexAt(1, 0, 0), vertexAt(0, 1, 0)}, {{{0, 1, 2}}});
}

TEST(SameGeometry, ExactComparesEveryByte) {
  auto a = triangle(), b = triangle();
  EXPECT_TRUE(sameGeometry(*a->geometry, *b->geometry, false));
  b->geometry->vertices[2].g = 1;
  EXPECT_FALSE(sameGeometry(*a->geometry, *b->geometry, false));
  EXPECT_TRUE(sameGeometry(*a->geometry, *b->geometry, true));  // colours do not count there
}

TEST(SameGeometry, TolerantComparesPositionsPerTriangle) {
  struct Case {
    const char* what;
    float dx, dy, dz;
    bool equal;
  } cases[] = {
      {"x within", 0.00005f, 0, 0, true},    {"x beyond", 0.0002f, 0, 0, false},
      {"y beyond", 0, 0.0002f, 0, false},    {"z within its wider tolerance", 0, 0, 0.0005f, true},
      {"z beyond", 0, 0, 0.002f, false},
  };
  auto reference = triangle();
  for (const Case& c : cases)
    EXPECT_EQ(sameGeometry(*reference->geometry, *triangle(c.dx, c.dy, c.dz)->geometry, true), c.equal) << c.what;

  auto reversed = triangle();
  reversed->geometry->triangleTable[0] = {{0, 2, 1}};  // the other two corners swapped
  EXPECT_TRUE(sameGeometry(*reference->geometry, *reversed->geometry, true));
  auto rotated = triangle();
  rotated->geometry->triangleTable[0] = {{1, 2, 0}};  // another first corner
  EXPECT_FALSE(sameGeometry(*reference->geometry, *rotated->geometry, true));
  auto more = triangle();
  more->geometry->triangleTable.push_back({{0, 1, 2}});
  EXPECT_FALSE(sameGeometry(*reference->geometry, *more->geometry, true));
}

TEST(SubtractScene, RemovesTheFirstObjectBroughtAgain) {
  scene s;
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 4;
  texture->refCount = 2;
  s.textures.add(std::move(texture));
  auto first = triangle(), other = triangle(5), second = triangle();
  first->textureName = second->textureName = 4;
  s.AddObjet(first);
  s.AddObjet(other);
  s.AddObjet(second);

  scene brought;
  auto again = triangle(0.00001f);
  again->textureName = 4;
  auto differentType = objectOf(tri_list, {vertexAt(5, 0, 0), vertexAt(1, 0, 0), vertexAt(0, 1, 0)});
  auto unknown = triangle(9);
  brought.AddObjet(again);
  brought.AddObjet(differentType);  // same corners as `other`, but not the same type
  brought.AddObjet(unknown);
  subtractScene(s, brought);
  ASSERT_EQ(s.objectCount(), 2);
  EXPECT_EQ(s.objects[0]->geometry->vertices[0].x, 5);
  EXPECT_EQ(s.objects[1]->textureName, 4u);
  EXPECT_EQ(s.textures.find(4)->refCount, 1);
}

TEST(ProSpecial, CopiesStopSharingTheirGeometry) {
  scene s;
  auto original = triangle();
  auto copy = std::make_unique<SceneObject>(*original);
  auto own = triangle(3);
  const geom* shared = original->geometry.get();
  s.AddObjet(original);
  s.AddObjet(copy);
  s.AddObjet(own);
  s.ProSpecialPostProcess();
  EXPECT_EQ(s.objects[0]->geometry.get(), shared);
  EXPECT_NE(s.objects[1]->geometry.get(), shared);
  EXPECT_TRUE(sameGeometry(*s.objects[0]->geometry, *s.objects[1]->geometry, false));
  EXPECT_EQ(s.objects[0]->geometryRefCount(), 1);
}

}  // namespace
}  // namespace kvx
