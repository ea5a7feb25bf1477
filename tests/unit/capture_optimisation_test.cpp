// The optimisation of raw captures: the fast passes against the plain
// reference walk on random captures, and the cases that matter one by one.
#include "geometry/processing.h"
#include "geometry_builders.h"
#include "geometry_reference.h"
#include "random_capture.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using test::CaptureShape;
using test::objectOf;
using test::OptionGuard;
using test::vertexAt;

std::vector<float> recorded;
void record(float value) { recorded.push_back(value); }

CaptureShape shapeFor(uint32_t seed) {
  CaptureShape shape;
  shape.objects = 1 + static_cast<int>(seed % 60);
  shape.flatZ = seed % 3 == 0;
  shape.maxVertices = seed % 4 == 0 ? 40 : 12;
  return shape;
}

TEST(OptimiseEquivalence, FastPipelineGivesTheReferenceScene) {
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    scene expected, actual;
    test::RandomCapture(seed).fill(expected, shapeFor(seed));
    test::RandomCapture(seed).fill(actual, shapeFor(seed));
    EXPECT_EQ(reference::optimize(expected), actual.Optimize());
    test::expectSameScene(expected, actual);
    if (HasFailure()) return;
  }
}

TEST(OptimiseEquivalence, LargeCapturesReportTheSameProgress) {
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  for (uint32_t seed : {7u, 8u, 9u}) {
    CaptureShape shape;
    shape.objects = 1500;
    shape.maxVertices = 30;
    shape.flatZ = seed == 9;
    scene expected, actual;
    test::RandomCapture(seed).fill(expected, shape);
    test::RandomCapture(seed).fill(actual, shape);
    expected.progress = actual.progress = record;
    recorded.clear();
    reference::optimize(expected);
    const std::vector<float> expectedProgress = recorded;
    recorded.clear();
    actual.Optimize();
    EXPECT_EQ(recorded, expectedProgress);
    EXPECT_GT(recorded.size(), 4u);
    test::expectSameScene(expected, actual);
  }
}

TEST(OptimiseEquivalence, MergingAloneMatchesOnManyLookAlikes) {
  // Few attribute classes and no types that stay apart: long runs and many
  // far partners, the case the hashing exists for.
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  for (uint32_t seed = 100; seed < 140; ++seed) {
    CaptureShape shape;
    shape.objects = 200;
    shape.textured = seed % 2 == 0;
    scene expected, actual;
    test::RandomCapture(seed).fill(expected, shape);
    test::RandomCapture(seed).fill(actual, shape);
    EXPECT_EQ(reference::mergeObjects(expected), mergeObjects(actual));
    test::expectSameScene(expected, actual);
    if (HasFailure()) return;
  }
}

TEST(OptimiseEquivalence, DuplicateTriangleRemovalMatches) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const int vertices = 1 + round % 9;
    const int spread = round % 5 == 0 ? 1000000 : vertices;  // sparse indices take the other sort
    std::uniform_int_distribution<int> index(0, vertices - 1), count(0, 40);
    std::vector<Tri> table;
    for (int k = count(rng); k > 0; --k) table.push_back({{index(rng) * (spread / vertices), index(rng), index(rng)}});
    std::vector<Tri> expected = table;
    EXPECT_EQ(reference::removeDuplicateTriangles(expected), removeDuplicateTriangles(table));
    EXPECT_EQ(table, expected) << "round " << round;
  }
}

TEST(DuplicateTriangles, KeepsWindingAndOrder) {
  std::vector<Tri> table = {{{5, 3, 4}}, {{1, 2, 0}}, {{0, 3, 1}}};  // distinct: order kept
  EXPECT_FALSE(removeDuplicateTriangles(table));
  EXPECT_EQ(table, (std::vector<Tri>{{{5, 3, 4}}, {{1, 2, 0}}, {{0, 3, 1}}}));
  // Rotated and reversed repeats go; the survivors start at their smallest corner.
  table = {{{5, 3, 4}}, {{1, 2, 0}}, {{4, 5, 3}}, {{2, 0, 1}}, {{0, 2, 1}}};
  EXPECT_TRUE(removeDuplicateTriangles(table));
  EXPECT_EQ(table, (std::vector<Tri>{{{0, 1, 2}}, {{3, 4, 5}}}));
}

TEST(DerivedTables, StayInsideTheVertices) {
  // Incomplete trailing quads (a quads_list of 6, an odd quad_strip) add no
  // triangle that would name a missing vertex.
  for (int32_t type = tri_list; type <= points; ++type)
    for (int n = 0; n <= 13; ++n)
      for (int32_t k = 0; k < derivedTriangleCount(type, n); ++k)
        for (int32_t index : derivedTriangle(type, n, k).i) EXPECT_LT(index, n) << primTypeName(type) << " " << n;
  EXPECT_EQ(derivedTriangleCount(quads_list, 6), 2);
  EXPECT_EQ(derivedTriangleCount(quad_strip, 5), 2);
}

TEST(LineStrips, BecomeLineLists) {
  auto shortStrip = objectOf(line_strip, {vertexAt(0, 0, 0), vertexAt(1, 0, 0)});
  lineStripToLineList(*shortStrip->geometry);
  EXPECT_EQ(shortStrip->geometry->type, line);
  EXPECT_EQ(shortStrip->geometry->vertexCount(), 2);

  auto loop = objectOf(line_loop, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(2, 0, 0), vertexAt(3, 0, 0)});
  geom& g = *loop->geometry;
  lineStripToLineList(g);
  ASSERT_EQ(g.vertexCount(), 8);
  const float xs[] = {0, 1, 1, 2, 2, 3, 3, 0};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(g.vertices[k].x, xs[k]);
  EXPECT_EQ(g.triangleCount(), 4);
  EXPECT_EQ(g.triangleTable[3], (Tri{{6, 7, 7}}));
}

TEST(IndependentPrimitives, FlatFanAndStripsUnroll) {
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  // Fan in the xy plane, counter-clockwise, normals already along +z.
  auto fan = objectOf(tri_fan, {vertexAt(0, 0, 0, 0, 0, 1), vertexAt(1, 0, 0, 0, 0, 1), vertexAt(1, 1, 0, 0, 0, 1),
                                vertexAt(0, 1, 0, 0, 0, 1), vertexAt(-1, 1, 0, 0, 0, 1)});
  fan->smooth = false;
  fan->geometry->vertices[2].nx = 0.5f;  // the flat normal of triangle j is vertex j's
  toIndependentPrimitives(*fan);
  const geom& g = *fan->geometry;
  EXPECT_EQ(g.type, tri_indexed);
  ASSERT_EQ(g.vertexCount(), 9);
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 2}}, {{3, 4, 5}}, {{6, 7, 8}}}));
  const float xs[] = {0, 1, 1, 0, 1, 0, 0, 0, -1};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(g.vertices[k].x, xs[k]) << k;
  for (int k : {0, 1, 2}) EXPECT_EQ(g.vertices[k].nx, 0.5f);
  EXPECT_EQ(g.vertices[3].nx, 0);

  // Quads 0 1 3 2 and 2 3 5 4 wind clockwise seen from +z, so they face -z.
  auto quads = objectOf(quad_strip, {vertexAt(0, 0, 0, 0, 0, -1), vertexAt(0, 1, 0, 0, 0, -1), vertexAt(1, 0, 0, 0, 0, -1),
                                     vertexAt(1, 1, 0, 0, 0, -1), vertexAt(2, 0, 0, 0, 0, -1), vertexAt(2, 1, 0, 0, 0, -1)});
  quads->smooth = false;
  toIndependentPrimitives(*quads);
  ASSERT_EQ(quads->geometry->vertexCount(), 8);  // 2n - 4, corners 0 1 3 2 and 2 3 5 4
  const float qx[] = {0, 0, 1, 1, 1, 1, 2, 2}, qy[] = {0, 1, 1, 0, 0, 1, 1, 0};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(quads->geometry->vertices[k].x, qx[k]) << k;
    EXPECT_EQ(quads->geometry->vertices[k].y, qy[k]) << k;
  }
  EXPECT_EQ(quads->geometry->triangleCount(), 4);
}

TEST(IndependentPrimitives, OtherObjectsOnlyBecomeIndexed) {
  auto smoothStrip = objectOf(tri_strip, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(0, 1, 0), vertexAt(1, 1, 0)});
  toIndependentPrimitives(*smoothStrip);
  EXPECT_EQ(smoothStrip->geometry->type, tri_indexed);
  EXPECT_EQ(smoothStrip->geometry->vertexCount(), 4);
  EXPECT_EQ(smoothStrip->geometry->triangleTable, (std::vector<Tri>{{{0, 1, 2}}, {{2, 1, 3}}}));

  auto oddQuadStrip = objectOf(quad_strip, {vertexAt(0, 0, 0), vertexAt(0, 1, 0), vertexAt(1, 0, 0),
                                            vertexAt(1, 1, 0), vertexAt(2, 0, 0)});
  oddQuadStrip->smooth = false;
  toIndependentPrimitives(*oddQuadStrip);
  EXPECT_EQ(oddQuadStrip->geometry->vertexCount(), 5);

  auto outline = objectOf(polygon, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(1, 1, 0)});
  outline->lineWidth = 2;
  toIndependentPrimitives(*outline);
  EXPECT_EQ(outline->geometry->type, tri_indexed);
  EXPECT_EQ(outline->geometry->triangleTable, (std::vector<Tri>{{{0, 1, 1}}, {{1, 2, 2}}, {{2, 0, 0}}}));
}

TEST(SameAttributes, EveryAttributeCounts) {
  struct Case {
    const char* what;
    void (*change)(SceneObject&);
  } cases[] = {
      {"diffuse", [](SceneObject& o) { o.diffuse[1] = 1; }},
      {"texture", [](SceneObject& o) { o.textureName = 3; }},
      {"specular", [](SceneObject& o) { o.specular[2] = 1; }},
      {"ambient", [](SceneObject& o) { o.ambient[0] = 1; }},
      {"emission", [](SceneObject& o) { o.emission[1] = 1; }},
      {"shininess", [](SceneObject& o) { o.shininess = 2; }},
      {"smooth", [](SceneObject& o) { o.smooth = false; }},
      {"lit", [](SceneObject& o) { o.lit = false; }},
      {"point size", [](SceneObject& o) { o.pointSize = 1; }},
      {"line width", [](SceneObject& o) { o.lineWidth = 1; }},
      {"stipple pattern", [](SceneObject& o) { o.lineStipplePattern = 1; }},
      {"stipple factor", [](SceneObject& o) { o.lineStippleFactor = 1; }},
      {"polygon stipple", [](SceneObject& o) { o.polygonStipple.emplace().fill(0); }},
      {"blend source", [](SceneObject& o) { o.blendSrc = 1; }},
      {"blend destination", [](SceneObject& o) { o.blendDst = 1; }},
      {"offset factor", [](SceneObject& o) { o.polygonOffset[0] = 1; }},
      {"offset units", [](SceneObject& o) { o.polygonOffset[1] = 1; }},
      {"repeat u", [](SceneObject& o) { o.repeatU = true; }},
      {"repeat v", [](SceneObject& o) { o.repeatV = true; }},
      {"environment map", [](SceneObject& o) { o.envMap = true; }},
      {"blend byte", [](SceneObject& o) { o.blendByte = 1; }},
  };
  for (const Case& c : cases) {
    SceneObject a, b;
    c.change(b);
    EXPECT_FALSE(sameAttributes(a, b, true)) << c.what;
    EXPECT_FALSE(sameAttributes(b, a, true)) << c.what;
    if (std::string(c.what) != "diffuse") {
      EXPECT_NE(materialHash(a), materialHash(b)) << c.what;
    }
  }
}

TEST(SameAttributes, ColoursTypesAndStipples) {
  SceneObject a, b;
  b.diffuse[0] = 7;
  b.geometry->type = tri_strip;
  EXPECT_FALSE(sameAttributes(a, b, true));
  a.geometry->perVertexColor = b.geometry->perVertexColor = true;  // colours come from the vertices
  EXPECT_TRUE(sameAttributes(a, b, true));
  EXPECT_FALSE(sameAttributes(a, b, false));
  a.polygonStipple.emplace().fill(1);
  b.polygonStipple.emplace().fill(1);
  EXPECT_TRUE(sameAttributes(a, b, true));
  b.polygonStipple->back() = 2;
  EXPECT_FALSE(sameAttributes(a, b, true));
  SceneObject zero, negativeZero;
  negativeZero.shininess = -0.f;
  EXPECT_TRUE(sameMergeKey(zero, negativeZero));
  EXPECT_EQ(mergeKeyHash(zero), mergeKeyHash(negativeZero));
}

std::unique_ptr<SceneObject> strip(float z) {
  return objectOf(tri_strip, {vertexAt(0, 0, z), vertexAt(1, 0, z), vertexAt(0, 1, z), vertexAt(1, 1, z)});
}

TEST(MergeObjects, NeighbouringSmoothStripsBecomeOneIndexedObject) {
  scene s;
  for (float z : {0.f, 1.f}) {
    auto object = strip(z);
    object->clockwise = true;
    s.AddObjet(object);
  }
  ASSERT_TRUE(mergeObjects(s));
  ASSERT_EQ(s.objectCount(), 1);
  const geom& g = *s.objects[0]->geometry;
  EXPECT_EQ(g.type, tri_indexed);
  EXPECT_FALSE(s.objects[0]->clockwise);
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 2}}, {{2, 1, 3}}, {{4, 5, 6}}, {{6, 5, 7}}}));
}

TEST(MergeObjects, FarPartnersJoinTheFirstAndEmptyObjectsGo) {
  scene s;
  auto red = [](std::unique_ptr<SceneObject> o) {
    o->diffuse[1] = o->diffuse[2] = 0;
    return o;
  };
  std::unique_ptr<SceneObject> objects[] = {strip(0), red(strip(1)), strip(2), objectOf(tri_list, {}), red(strip(3))};
  for (auto& object : objects) s.AddObjet(object);
  ASSERT_TRUE(mergeObjects(s));
  ASSERT_EQ(s.objectCount(), 2);
  EXPECT_EQ(s.objects[0]->geometry->vertices[4].z, 2);
  EXPECT_EQ(s.objects[1]->geometry->vertices[4].z, 3);
}

TEST(MergeObjects, KeepsPointsLinesAndFacesApart) {
  // Same attributes, but a point or line geometry merged into faces would no
  // longer be drawn.
  scene s;
  std::unique_ptr<SceneObject> objects[] = {
      strip(0), objectOf(points, {vertexAt(5, 5, 5)}), objectOf(line, {vertexAt(0, 0, 0), vertexAt(1, 1, 1)}),
      objectOf(points, {vertexAt(6, 6, 6)})};
  for (auto& object : objects) s.AddObjet(object);
  ASSERT_TRUE(mergeObjects(s));
  ASSERT_EQ(s.objectCount(), 3);
  EXPECT_EQ(s.objects[1]->geometry->type, points);
  EXPECT_EQ(s.objects[1]->geometry->vertexCount(), 2);
  EXPECT_EQ(s.objects[2]->geometry->type, line);
}

TEST(MergeObjects, QuadListTakingOtherFacesBecomesIndexed) {
  // Flat quads followed by a flat strip: the quads' table must describe
  // the strip's triangles too, so the merged object is stored indexed.
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  scene s;
  auto quads = objectOf(quads_list, {vertexAt(0, 0, 0, 0, 0, 1), vertexAt(1, 0, 0, 0, 0, 1),
                                     vertexAt(1, 1, 0, 0, 0, 1), vertexAt(0, 1, 0, 0, 0, 1)});
  auto flatStrip = strip(0);
  for (Vertex& v : flatStrip->geometry->vertices) v.nz = 1;
  quads->smooth = flatStrip->smooth = false;
  s.AddObjet(quads);
  s.AddObjet(flatStrip);
  ASSERT_TRUE(mergeObjects(s));
  ASSERT_EQ(s.objectCount(), 1);
  const geom& g = *s.objects[0]->geometry;
  EXPECT_EQ(g.type, tri_indexed);
  EXPECT_EQ(g.vertexCount(), 4 + 6);
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 2}}, {{0, 2, 3}}, {{4, 5, 6}}, {{7, 8, 9}}}));
}

TEST(Welding, FoldsEqualCornersAndDropsUnusedOnes) {
  // Two triangles of a square, each with its own copy of the shared corners,
  // one repeated face and an unused vertex.
  auto object = objectOf(tri_indexed,
                         {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(1, 1, 0), vertexAt(0, 0, 0), vertexAt(1, 1, 0),
                          vertexAt(0, 1, 0), vertexAt(9, 9, 9)},
                         {{{0, 1, 2}}, {{3, 4, 5}}, {{1, 2, 0}}});
  scene s;
  s.AddObjet(object);
  s.updateBounds();
  geom& g = *s.objects[0]->geometry;
  ASSERT_TRUE(weldVertices(g, nullptr, s.bounds, 3));
  EXPECT_EQ(g.vertexCount(), 4);
  EXPECT_EQ(g.triangleCount(), 2);
  EXPECT_EQ(g.vertices.capacity(), 4u);
  for (const Tri& t : g.triangleTable)
    for (int32_t index : t.i) EXPECT_LT(index, 4);
}

TEST(Welding, FlatScenesWeldAlongAnotherAxisAndAPointStaysAsItIs) {
  // Twenty-one copies of two points: z and x have no range, so the crowded
  // buckets along y are used.
  geom flat;
  flat.type = points;
  for (int k = 0; k < 21; ++k) flat.vertices.push_back(vertexAt(0, float(k % 2), 0));
  flat.rebuildTriangleTable();
  geom single = flat;
  for (Vertex& v : single.vertices) v.y = 0;
  Bounds bounds;
  bounds.v[3] = 1;  // y from 0 to 1, x and z without range
  ASSERT_TRUE(weldVertices(flat, nullptr, bounds, 3));
  EXPECT_EQ(flat.vertexCount(), 2);

  ASSERT_TRUE(weldVertices(single, nullptr, Bounds{}, 3));  // no axis has a range
  EXPECT_EQ(single.vertexCount(), 21);
}

TEST(Welding, RefusesOtherTypesAndBrokenTables) {
  auto list = objectOf(tri_list, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(0, 1, 0)});
  EXPECT_FALSE(weldVertices(*list->geometry, nullptr, Bounds{}, 3));
  auto broken = objectOf(tri_indexed, {vertexAt(0, 0, 0)}, {{{0, 0, 4}}});
  EXPECT_FALSE(weldVertices(*broken->geometry, nullptr, Bounds{}, 3));
  EXPECT_EQ(broken->geometry->triangleTable[0], (Tri{{0, 0, 4}}));
}

TEST(Optimize, ZeroLengthLinesVanishAndStripsBecomeLines) {
  OptionGuard optimise(CaptureOption::NOOPTIM, false);
  scene s;
  auto dot = objectOf(line_strip, {vertexAt(1, 1, 1), vertexAt(1, 1, 1)});
  dot->lineWidth = 3;
  auto face = strip(0);
  auto loop = objectOf(line_loop, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(1, 1, 0)});
  s.AddObjet(dot);
  s.AddObjet(face);
  s.AddObjet(loop);
  s.updateBounds();
  ASSERT_TRUE(s.Optimize());
  ASSERT_EQ(s.objectCount(), 2);
  EXPECT_EQ(s.objects[0]->geometry->type, tri_strip);  // alone: nothing to merge with
  EXPECT_EQ(s.objects[1]->geometry->type, line);
  EXPECT_EQ(s.objects[1]->geometry->vertexCount(), 6);
}

}  // namespace
}  // namespace kvx
