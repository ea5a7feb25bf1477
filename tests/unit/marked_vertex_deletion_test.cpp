// Deletion of marked vertices (the selection deletion and the marker clean-up).
#include "geometry/processing.h"
#include "geometry_builders.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using test::objectOf;
using test::vertexAt;

std::unique_ptr<SceneObject> fan(std::initializer_list<int> marked) {
  auto object = objectOf(tri_indexed,
                         {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(1, 1, 0), vertexAt(0, 1, 0), vertexAt(-1, 0, 0)},
                         {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 3, 4}}});
  for (int k : marked) object->geometry->vertices[k].mark = 1;
  object->geometry->boundsMark = marked.size() ? 0 : 255;
  return object;
}

TEST(DeleteMarkedVertices, FacesUsingMarkedVerticesGoAndTheRestIsCompacted) {
  scene s;
  auto object = fan({1});
  s.AddObjet(object);
  deleteMarkedVertices(s);
  ASSERT_EQ(s.objectCount(), 1);
  const geom& g = *s.objects[0]->geometry;
  ASSERT_EQ(g.vertexCount(), 4);
  EXPECT_EQ(g.triangleCount(), 2);
  for (const Vertex& v : g.vertices) {
    EXPECT_FALSE(v.x == 1 && v.y == 0);  // the marked corner is gone
    EXPECT_EQ(v.mark, 0);
  }
  for (const Tri& t : g.triangleTable)
    for (int32_t index : t.i) EXPECT_LT(index, 4);
  EXPECT_EQ(g.boundsMark, 255);
  // The remaining faces keep their corners: (0,0) (1,1) (0,1) and (0,0) (0,1) (-1,0).
  float area = 0;
  for (const Tri& t : g.triangleTable) {
    const Vertex &a = g.vertices[t.i[0]], &b = g.vertices[t.i[1]], &c = g.vertices[t.i[2]];
    area += ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
  }
  EXPECT_FLOAT_EQ(area, 1.0f);
}

TEST(DeleteMarkedVertices, EmptiedAllMarkedAndUnmarkedObjects) {
  scene s;
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 9;
  texture->refCount = 2;
  s.textures.add(std::move(texture));
  auto emptied = fan({0});  // every face uses vertex 0
  emptied->textureName = 9;
  auto allMarked = fan({});
  allMarked->geometry->mark = 255;
  allMarked->geometry->boundsMark = 0;
  auto untouched = fan({});
  untouched->geometry->vertices[2].mark = 1;  // flagged as having none marked: skipped
  s.AddObjet(emptied);
  s.AddObjet(allMarked);
  s.AddObjet(untouched);
  deleteMarkedVertices(s);
  ASSERT_EQ(s.objectCount(), 1);
  EXPECT_EQ(s.objects[0]->geometry->vertexCount(), 5);
  EXPECT_EQ(s.textures.find(9)->refCount, 1);
}

TEST(DeleteMarkedVertices, LineSegmentsGoWholeAndStripsStayLines) {
  scene s;
  auto lines = objectOf(line, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(2, 0, 0), vertexAt(3, 0, 0),
                               vertexAt(4, 0, 0), vertexAt(5, 0, 0)});
  lines->geometry->vertices[3].mark = 1;
  lines->geometry->boundsMark = 0;
  auto strip = objectOf(tri_strip, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(0, 1, 0), vertexAt(1, 1, 0),
                                    vertexAt(2, 1, 0)});
  strip->geometry->vertices[4].mark = 1;
  strip->geometry->boundsMark = 0;
  s.AddObjet(lines);
  s.AddObjet(strip);
  deleteMarkedVertices(s);
  const geom& l = *s.objects[0]->geometry;
  EXPECT_EQ(l.type, line);
  ASSERT_EQ(l.vertexCount(), 4);
  for (int k = 0; k < 4; k += 2) EXPECT_EQ(std::abs(l.vertices[k].x - l.vertices[k + 1].x), 1);  // pairs intact
  const geom& g = *s.objects[1]->geometry;
  EXPECT_EQ(g.type, tri_indexed);  // its table no longer follows from the type
  EXPECT_EQ(g.vertexCount(), 4);
  EXPECT_EQ(g.triangleCount(), 2);
}

}  // namespace
}  // namespace kvx
