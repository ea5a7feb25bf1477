#include "scene/scene.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

std::vector<Tri> tableFor(int32_t type, int n) {
  geom g;
  g.type = type;
  g.vertices.resize(n);
  EXPECT_TRUE(g.rebuildTriangleTable());
  return g.triangleTable;
}

TEST(TriangleTable, DerivedForEveryPrimitiveType) {
  struct Case {
    int32_t type;
    int n;
    std::vector<Tri> expected;
  } cases[] = {
      {tri_list, 7, {{{0, 1, 2}}, {{3, 4, 5}}}},
      {quads_list, 8, {{{0, 1, 2}}, {{0, 2, 3}}, {{4, 5, 6}}, {{4, 6, 7}}}},
      {tri_strip, 5, {{{0, 1, 2}}, {{2, 1, 3}}, {{2, 3, 4}}}},
      {tri_fan, 5, {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 3, 4}}}},
      {quad_strip, 6, {{{0, 1, 3}}, {{3, 2, 0}}, {{2, 3, 5}}, {{5, 4, 2}}}},
      {polygon, 4, {{{0, 1, 2}}, {{0, 2, 3}}}},
      {line, 5, {{{0, 1, 1}}, {{2, 3, 3}}}},
      {line_loop, 4, {{{0, 1, 1}}, {{1, 2, 2}}, {{2, 3, 3}}, {{3, 0, 0}}}},
      {line_strip, 3, {{{0, 1, 1}}, {{1, 2, 2}}}},
      {points, 2, {{{0, 0, 0}}, {{1, 1, 1}}}},
      {tri_strip, 1, {}},  // a negative count becomes 0
      {42, 6, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(tableFor(c.type, c.n), c.expected) << primTypeName(c.type);
}

TEST(TriangleTable, IndexedGeometryKeepsItsStoredTable) {
  geom g;
  g.vertices.resize(3);
  g.triangleTable = {{{2, 1, 0}}};
  EXPECT_TRUE(g.rebuildTriangleTable());
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{2, 1, 0}}}));
}

TEST(TriangleTable, TypeNames) {
  EXPECT_STREQ(primTypeName(tri_indexed), "tri_indexed");
  EXPECT_STREQ(primTypeName(points), "points");
  EXPECT_STREQ(primTypeName(-1), "unknown type");
  EXPECT_STREQ(primTypeName(11), "unknown type");
}

TEST(SceneObjects, CopiesShareGeometryUntilTheLastGoes) {
  auto first = std::make_unique<SceneObject>();
  std::weak_ptr<geom> shared = first->geometry;
  {
    SceneObject copy = *first;
    EXPECT_EQ(copy.geometry, first->geometry);
    EXPECT_EQ(first->geometryRefCount(), 2);
  }
  EXPECT_EQ(first->geometryRefCount(), 1);
  first.reset();
  EXPECT_TRUE(shared.expired());
}

TEST(SceneObjects, DefaultsMatchAFreshObject) {
  SceneObject o;
  EXPECT_EQ(o.diffuse[0], 255);
  EXPECT_EQ(o.ambient[0], 0);
  EXPECT_TRUE(o.smooth);
  EXPECT_TRUE(o.lit);
  EXPECT_FALSE(o.polygonStipple);
  EXPECT_EQ(o.geometry->boundsMark, 255);
  EXPECT_EQ(o.matrix, kIdentityMatrix);
}

TEST(Scene, AddObjetTakesTheHandleAndGrowsBy500) {
  scene s;
  EXPECT_EQ(s.objectCapacity(), 100);
  for (int i = 0; i < 101; ++i) {
    auto object = std::make_unique<SceneObject>();
    object->geometry->vertices.reserve(64);
    object->geometry->vertices.resize(3);
    ASSERT_TRUE(s.AddObjet(object));
    EXPECT_FALSE(object);
  }
  EXPECT_EQ(s.objectCount(), 101);
  EXPECT_EQ(s.objectCapacity(), 600);
  EXPECT_EQ(s.objects[0]->geometry->vertices.capacity(), 3u) << "arrays are shrunk when added";
  s.Clear();
  EXPECT_EQ(s.objectCount(), 0);
  EXPECT_EQ(s.objectCapacity(), 0);
  auto object = std::make_unique<SceneObject>();
  ASSERT_TRUE(s.AddObjet(object));
  EXPECT_EQ(s.objectCapacity(), 500);
}

TEST(Scene, ViewsAreNamedAndCopied) {
  scene s;
  s.addView(nullptr);
  ASSERT_EQ(s.views.size(), 2u);
  EXPECT_EQ(s.views[0].name, "Current View");
  EXPECT_EQ(s.views[1].name, "View 02");
  s.views[0].camera[CAM_FOV] = 40;
  s.views[0].text = "not copied";
  s.addView(nullptr);
  EXPECT_EQ(s.views[2].name, "View 03");
  EXPECT_EQ(s.views[2].camera[CAM_FOV], 40);
  EXPECT_EQ(s.views[2].text, "");
  s.addView("Top");
  EXPECT_EQ(s.views[3].name, "Top");
  s.views[3].text = "note";
  s.views[3].camera[CAM_FOV] = 10;
  s.copyViewToCurrent(3);
  EXPECT_EQ(s.views[0].name, "Top");
  EXPECT_EQ(s.views[0].text, "note");
  EXPECT_EQ(s.views[0].camera[CAM_FOV], 10);
  s.copyViewToCurrent(0);
  s.copyViewToCurrent(9);
  EXPECT_EQ(s.views[0].name, "Top");
}

std::unique_ptr<SceneTexture> texture(uint32_t name) {
  auto t = std::make_unique<SceneTexture>();
  t->name = name;
  return t;
}

TEST(TextureTable, ReferenceCountsDecideRemoval) {
  TextureTable table;
  table.add(texture(7));
  table.add(texture(3));
  EXPECT_EQ(table.entries().begin()->first, 3u);
  EXPECT_TRUE(table.addReference(7));
  EXPECT_FALSE(table.addReference(99));
  EXPECT_EQ(table.release_texture(99), -1);
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.release_texture(7), 0);
  EXPECT_EQ(table.release_texture(7), 1);
  EXPECT_EQ(table.find(7), nullptr);
  EXPECT_NE(table.find(3), nullptr);
}

TEST(Blobs, SizedAsTexturesAndNamedInGaps) {
  uint16_t w, h;
  blobBitmapSize(10, w, h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 1);
  blobBitmapSize(65533 * 4 - 4, w, h);
  EXPECT_EQ(w, 65533);
  EXPECT_EQ(h, 1);
  blobBitmapSize(65533 * 4, w, h);
  EXPECT_EQ(w, 32767);
  EXPECT_EQ(h, 2);

  scene s;
  const uint8_t bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(s.add_blob(BLOB_ANNOTATIONS, 10, bytes));
  const SceneTexture* blob = s.textures.find(0xCACABEEE);
  ASSERT_NE(blob, nullptr);
  EXPECT_EQ(blob->width, 4);
  EXPECT_EQ(blob->internalFormat, (3 << 16) | 4);
  auto found = s.findBlob(BLOB_ANNOTATIONS);
  ASSERT_TRUE(found);
  EXPECT_EQ(std::vector<uint8_t>(found->begin(), found->end()), std::vector<uint8_t>(bytes, bytes + 10));
  EXPECT_FALSE(s.findBlob(BLOB_IMAGE));
}

TEST(Blobs, FreeNameRules) {
  struct Case {
    std::vector<uint32_t> names;
    uint32_t expected;
  } cases[] = {
      {{5}, 6},
      {{1, 2, 3}, 4},
      {{1, 2, 5, 6}, 3},
      {{1, 5, 6, 9}, 7},  // the first entry is passed over
      {{1, 0xFFFFFFFF}, 0xFEEBAACC},
  };
  for (const Case& c : cases) {
    scene s;
    for (uint32_t name : c.names) s.textures.add(texture(name));
    ASSERT_TRUE(s.add_blob(BLOB_IMAGE, 0, nullptr));
    EXPECT_EQ(s.textures.size(), c.names.size() + 1);
    EXPECT_NE(s.textures.find(c.expected), nullptr) << std::hex << c.expected;
  }
}

TEST(Blobs, ImageBlobFillsTheBlobImage) {
  scene s;
  std::vector<uint8_t> bytes = {2, 0, 0, 0, 1, 0, 0, 0, 9, 9, 9, 255, 9, 9, 9, 128};
  ASSERT_TRUE(s.add_blob(BLOB_IMAGE, bytes.size(), bytes.data()));
  ASSERT_TRUE(s.loadBlobImage());
  EXPECT_EQ(s.blobImage.width, 2);
  EXPECT_EQ(s.blobImage.height, 1);
  EXPECT_TRUE(s.blobImage.translucent);
  scene truncated;
  bytes.resize(12);
  truncated.add_blob(BLOB_IMAGE, bytes.size(), bytes.data());
  EXPECT_FALSE(truncated.loadBlobImage());
}

std::unique_ptr<SceneObject> objectWith(std::vector<Vertex> vertices, uint8_t boundsMark = 255) {
  auto o = std::make_unique<SceneObject>();
  o->geometry->vertices = std::move(vertices);
  o->geometry->boundsMark = boundsMark;
  return o;
}

Vertex at(float x, float y, float z, uint8_t mark = 0) {
  Vertex v;
  v.x = x;
  v.y = y;
  v.z = z;
  v.mark = mark;
  return v;
}

TEST(Bounds, AllVerticesThenCentreAndRadius) {
  scene s;
  s.updateBounds();
  EXPECT_EQ(s.radius, 0);
  auto a = objectWith({at(1, 2, 3), at(3, 2, 3)});
  auto b = objectWith({at(1, 6, 7)});
  s.AddObjet(a);
  s.AddObjet(b);
  s.updateBounds();
  EXPECT_EQ(std::vector<float>(s.bounds.v, s.bounds.v + 6), (std::vector<float>{1, 3, 2, 6, 3, 7}));
  EXPECT_FLOAT_EQ(s.center[1], 4);
  EXPECT_FLOAT_EQ(s.radius, 3);
}

TEST(Bounds, SelectionAwareUsesMarkedVerticesOnlyWhenMoreThanOne) {
  scene s;
  auto a = objectWith({at(0, 0, 0, 1), at(1, 1, 1, 1), at(9, 9, 9)}, 0);
  auto b = objectWith({at(-5, -5, -5)}, 0);
  s.AddObjet(a);
  s.AddObjet(b);
  Bounds marked = s.computeBounds(0, 1, true);
  EXPECT_EQ(std::vector<float>(marked.v, marked.v + 6), (std::vector<float>{0, 1, 0, 1, 0, 1}));
  s.objects[0]->geometry->vertices[1].mark = 0;
  Bounds all = s.computeBounds(0, 1, true);
  EXPECT_EQ(all.v[0], -5);
  EXPECT_EQ(all.v[1], 9);
}

}  // namespace
}  // namespace kvx
