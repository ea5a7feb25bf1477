// Normal regeneration, orientation, zero-length segments, geometry merging
// and object removal.
#include "geometry_builders.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvx {
namespace {

using test::makeObject;
using test::OptionGuard;
using test::makeVertex;

void expectNormal(const Vertex& v, float x, float y, float z) {
  EXPECT_NEAR(v.nx, x, 1e-6f);
  EXPECT_NEAR(v.ny, y, 1e-6f);
  EXPECT_NEAR(v.nz, z, 1e-6f);
}

TEST(RegenerateNormals, FaceNormalFollowsTheWinding) {
  for (bool clockwise : {false, true}) {
    auto object = makeObject(tri_list, {makeVertex(0, 0, 0), makeVertex(2, 0, 0), makeVertex(0, 3, 0)});
    geom& g = *object->geometry;
    ASSERT_TRUE(g.RegenerateNormals(clockwise));
    EXPECT_TRUE(g.noRealNormals);
    const float z = clockwise ? -1.f : 1.f;
    for (const Vertex& v : g.vertices) expectNormal(v, 0, 0, z);
  }
}

TEST(RegenerateNormals, SharedVerticesAverageUnitFaceNormals) {
  // Two faces folded at a right angle along the edge 0-1; the large face
  // must not outweigh the small one.
  OptionGuard noOrient(CaptureOption::NOOPTIM, true);
  auto object = makeObject(tri_indexed,
                         {makeVertex(0, 0, 0), makeVertex(1, 0, 0), makeVertex(0, 1, 0), makeVertex(0, 0, 9)},
                         {{{0, 1, 2}}, {{1, 0, 3}}});
  geom& g = *object->geometry;
  ASSERT_TRUE(g.RegenerateNormals(false));
  const float h = 1 / std::sqrt(2.f);
  expectNormal(g.vertices[0], 0, h, h);
  expectNormal(g.vertices[1], 0, h, h);
  expectNormal(g.vertices[2], 0, 0, 1);
  expectNormal(g.vertices[3], 0, 1, 0);
}

TEST(RegenerateNormals, DegenerateFacesAndTinyGeometriesLeaveNormals) {
  // A face with a zero edge adds nothing: its vertices keep a zero normal.
  auto degenerate = makeObject(tri_list, {makeVertex(1, 1, 1, 5, 5, 5), makeVertex(1, 1, 1), makeVertex(2, 0, 0)});
  ASSERT_TRUE(degenerate->geometry->RegenerateNormals(false));
  for (const Vertex& v : degenerate->geometry->vertices) expectNormal(v, 0, 0, 0);
  // Two vertices: marked as meaningless, otherwise untouched.
  auto segment = makeObject(line, {makeVertex(0, 0, 0, 0, 1, 0), makeVertex(1, 0, 0, 0, 1, 0)});
  ASSERT_TRUE(segment->geometry->RegenerateNormals(false));
  EXPECT_TRUE(segment->geometry->noRealNormals);
  expectNormal(segment->geometry->vertices[0], 0, 1, 0);
}

TEST(Orient, ReversesFacesAgainstTheirFirstNormal) {
  // Counter-clockwise in the xy plane, so the face points along +z.
  const Vertex a = makeVertex(0, 0, 0, 0, 0, -1), b = makeVertex(1, 0, 0), c = makeVertex(1, 1, 0), d = makeVertex(0, 1, 0);
  OptionGuard optimise(CaptureOption::NOOPTIM, false);

  auto indexed = makeObject(tri_indexed, {a, b, c}, {{{0, 1, 2}}});
  indexed->geometry->Orient();
  EXPECT_EQ(indexed->geometry->triangleTable[0], (Tri{{0, 2, 1}}));
  EXPECT_EQ(indexed->geometry->vertices[1].x, 1);  // vertices stay

  auto list = makeObject(tri_list, {a, b, c, a, c, b});  // the second face already agrees
  list->geometry->Orient();
  EXPECT_EQ(list->geometry->vertices[1].y, 1);  // c and b swapped in face 0
  EXPECT_EQ(list->geometry->vertices[2].y, 0);
  EXPECT_EQ(list->geometry->vertices[4].y, 1);  // face 1 unchanged
  EXPECT_EQ(list->geometry->vertices[5].y, 0);

  auto quads = makeObject(quads_list, {a, b, c, d});
  quads->geometry->Orient();
  EXPECT_EQ(quads->geometry->vertices[1].x, 0);  // b and d swapped
  EXPECT_EQ(quads->geometry->vertices[3].x, 1);
}

TEST(Orient, SkippedWithTheSkipOptimisationSwitch) {
  OptionGuard skip(CaptureOption::NOOPTIM, true);
  auto indexed = makeObject(tri_indexed, {makeVertex(0, 0, 0, 0, 0, -1), makeVertex(1, 0, 0), makeVertex(0, 1, 0)},
                          {{{0, 1, 2}}});
  indexed->geometry->Orient();
  EXPECT_EQ(indexed->geometry->triangleTable[0], (Tri{{0, 1, 2}}));
}

TEST(Orient, IgnoresIndicesPastTheVertices) {
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  auto broken = makeObject(tri_indexed, {makeVertex(0, 0, 0, 0, 0, -1), makeVertex(1, 0, 0)}, {{{0, 1, 7}}});
  broken->geometry->Orient();
  EXPECT_EQ(broken->geometry->triangleTable[0], (Tri{{0, 1, 7}}));
}

TEST(RemoveZeroLengthSegments, DropsOnlyNearlyEmptySegments) {
  auto object = makeObject(line, {makeVertex(0, 0, 0), makeVertex(0.000003f, 0.000003f, 0.000003f),  // 9e-6: dropped
                                makeVertex(0, 0, 0), makeVertex(0.00002f, 0, 0),                     // kept
                                makeVertex(5, 5, 5), makeVertex(5, 5, 5)});                          // dropped
  geom& g = *object->geometry;
  g.RemoveZeroLengthSegments();
  ASSERT_EQ(g.vertexCount(), 2);
  EXPECT_EQ(g.vertices[1].x, 0.00002f);
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 1}}}));
}

TEST(RemoveZeroLengthSegments, AllZeroLeavesAnEmptyLineAndOtherTypesAlone) {
  auto allZero = makeObject(line, {makeVertex(1, 1, 1), makeVertex(1, 1, 1)});
  allZero->geometry->RemoveZeroLengthSegments();
  EXPECT_EQ(allZero->geometry->vertexCount(), 0);
  EXPECT_EQ(allZero->geometry->triangleCount(), 0);

  auto strip = makeObject(line_strip, {makeVertex(1, 1, 1), makeVertex(1, 1, 1), makeVertex(2, 1, 1)});
  strip->geometry->RemoveZeroLengthSegments();
  EXPECT_EQ(strip->geometry->vertexCount(), 3);
}

TEST(MergeGeom, AppendsVerticesAndOffsetsTriangles) {
  auto first = makeObject(tri_indexed, {makeVertex(0, 0, 0), makeVertex(1, 0, 0), makeVertex(0, 1, 0)}, {{{0, 1, 2}}});
  auto second = makeObject(tri_strip, {makeVertex(0, 0, 1), makeVertex(1, 0, 1), makeVertex(0, 1, 1), makeVertex(1, 1, 1)});
  second->geometry->perVertexColor = true;
  geom& g = *first->geometry;
  ASSERT_TRUE(g.MergeGeom(*second->geometry));
  EXPECT_EQ(g.vertexCount(), 7);
  EXPECT_EQ(g.vertices[3].z, 1);
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 2}}, {{3, 4, 5}}, {{5, 4, 6}}}));
  EXPECT_TRUE(g.perVertexColor);
  EXPECT_EQ(g.type, tri_indexed);
}

TEST(MergeGeom, RefusesGeometryWithoutVerticesOrTriangles) {
  auto target = makeObject(tri_list, {makeVertex(0, 0, 0), makeVertex(1, 0, 0), makeVertex(0, 1, 0)});
  auto noTriangles = makeObject(tri_list, {makeVertex(0, 0, 0), makeVertex(1, 0, 0)});
  geom empty;
  EXPECT_FALSE(target->geometry->MergeGeom(*noTriangles->geometry));
  EXPECT_FALSE(target->geometry->MergeGeom(empty));
  EXPECT_EQ(target->geometry->vertexCount(), 3);
  EXPECT_EQ(target->geometry->triangleCount(), 1);
}

TEST(MergeGeom, GrowsByHalfAndMergesIntoItself) {
  auto object = makeObject(tri_list, {makeVertex(0, 0, 0), makeVertex(1, 0, 0), makeVertex(0, 1, 0)});
  geom& g = *object->geometry;
  g.vertices.shrink_to_fit();
  g.triangleTable.shrink_to_fit();
  ASSERT_TRUE(g.MergeGeom(g));
  EXPECT_EQ(g.vertices.capacity(), 3u + 3u + 1u);  // other + current + current / 2
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 2}}, {{3, 4, 5}}}));
}

std::unique_ptr<SceneObject> textured(uint32_t name, float x) {
  auto object = makeObject(points, {makeVertex(x, 0, 0)});
  object->textureName = name;
  return object;
}

TEST(ObjectRemoval, SingleRemovalReleasesTheTexture) {
  scene s;
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 7;
  texture->refCount = 2;
  s.textures.add(std::move(texture));
  for (float x : {0.f, 1.f, 2.f}) {
    auto object = textured(x == 1 ? 7 : 0, x);
    s.AddObjet(object);
  }
  s.RemoveObject(1);
  ASSERT_EQ(s.objectCount(), 2);
  EXPECT_EQ(s.objects[1]->geometry->vertices[0].x, 2);
  EXPECT_EQ(s.textures.find(7)->refCount, 1);
  s.RemoveObject(5);  // out of range: nothing
  s.RemoveObject(-1);
  EXPECT_EQ(s.objectCount(), 2);
}

TEST(ObjectRemoval, RangeRemovalClampsAndKeepsTextures) {
  scene s;
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 7;
  s.textures.add(std::move(texture));
  for (float x : {0.f, 1.f, 2.f, 3.f}) {
    auto object = textured(7, x);
    s.AddObjet(object);
  }
  s.RemoveObjects(1, 2);
  ASSERT_EQ(s.objectCount(), 2);
  EXPECT_EQ(s.objects[1]->geometry->vertices[0].x, 3);
  EXPECT_EQ(s.textures.find(7)->refCount, 1);
  s.RemoveObjects(1, 99);
  EXPECT_EQ(s.objectCount(), 1);
  s.RemoveObjects(3, 1);
  EXPECT_EQ(s.objectCount(), 1);
}

}  // namespace
}  // namespace kvx
