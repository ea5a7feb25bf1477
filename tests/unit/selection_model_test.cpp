// The point selection, object mode and deletion of the selection.
#include "interaction/selection.h"
#include "scene_builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

namespace kvx::test {
namespace {

// Selection bytes of one geometry as a string of 0 and 1.
std::string marks(const geom& g) {
  std::string out;
  for (const Vertex& v : g.vertices) out += v.mark ? '1' : '0';
  return out;
}

void select(geom& g, std::initializer_list<int> indices) {
  for (int i : indices) g.vertices[i].mark = 1;
  updateSelectionFlags(g);
}

// Three squares side by side along x.
std::unique_ptr<scene> threeSquares() {
  auto s = std::make_unique<scene>();
  for (float x : {0.0f, 2.0f, 4.0f})
    addObject(*s, objectOf(quads_list, {{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}}));
  return s;
}

geom& geometryOf(scene& s, int i) { return *s.objects[i]->geometry; }

TEST(SelectionFlags, FollowTheSelectedCount) {
  auto s = threeSquares();
  geom& g = geometryOf(*s, 0);
  struct Case {
    std::initializer_list<int> selected;
    uint8_t all, none;
  } cases[] = {{{}, 0, 255}, {{1}, 0, 0}, {{0, 1, 2, 3}, 255, 0}};
  for (const Case& c : cases) {
    for (Vertex& v : g.vertices) v.mark = 0;
    select(g, c.selected);
    EXPECT_EQ(g.mark, c.all);
    EXPECT_EQ(g.boundsMark, c.none);
  }
}

TEST(SelectionCommands, AllNoneAndInvert) {
  auto s = threeSquares();
  select(geometryOf(*s, 1), {0, 2});
  select(geometryOf(*s, 2), {0, 1, 2, 3});
  invertSelection(*s);
  EXPECT_EQ(marks(geometryOf(*s, 0)), "1111");
  EXPECT_EQ(geometryOf(*s, 0).mark, 255);
  EXPECT_EQ(marks(geometryOf(*s, 1)), "0101");
  EXPECT_EQ(marks(geometryOf(*s, 2)), "0000");
  EXPECT_EQ(geometryOf(*s, 2).boundsMark, 255);

  selectAll(*s);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(marks(geometryOf(*s, i)), "1111");
  selectNone(*s);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(marks(geometryOf(*s, i)), "0000");
  EXPECT_FALSE(anySelected(*s));
}

TEST(SelectionCommands, InvertFlipsASharedGeometryOnce) {
  auto s = std::make_unique<scene>();
  auto first = unitSquare();
  auto copy = std::make_unique<SceneObject>(*first);
  addObject(*s, std::move(first));
  addObject(*s, std::move(copy));
  select(geometryOf(*s, 0), {0});
  invertSelection(*s);
  EXPECT_EQ(marks(geometryOf(*s, 1)), "0111");
}

TEST(PointStepping, NextAndPreviousWrapAround) {
  struct Case {
    std::initializer_list<int> selected;
    int direction;
    std::string expected;
  } cases[] = {
      {{}, 1, "1000"},   {{}, -1, "1000"},  {{1}, 1, "0010"},     {{1}, -1, "1000"},
      {{3}, 1, "1000"},  {{0}, -1, "0001"}, {{1, 3}, 1, "0010"},
  };
  for (const Case& c : cases) {
    auto s = threeSquares();
    select(geometryOf(*s, 1), c.selected);
    int current = 1;
    stepPoint(*s, current, c.direction);
    EXPECT_EQ(marks(geometryOf(*s, 1)), c.expected) << "direction " << c.direction;
    EXPECT_EQ(geometryOf(*s, 1).mark, 0);
    EXPECT_EQ(geometryOf(*s, 1).boundsMark, 0);
  }
}

TEST(PointStepping, CurrentIndexBeyondTheObjectsStartsAtTheFirst) {
  auto s = threeSquares();
  int current = 7;
  stepPoint(*s, current, 1);
  EXPECT_EQ(current, 0);
  EXPECT_EQ(marks(geometryOf(*s, 0)), "1000");
}

TEST(ObjectMode, AdvancesToAnObjectWithASelection) {
  auto s = threeSquares();
  select(geometryOf(*s, 2), {0});
  ObjectMode mode{true, 0, false};
  advanceToSelectedObject(*s, mode);
  EXPECT_TRUE(mode.on);
  EXPECT_EQ(mode.current, 2);

  selectNone(*s);
  mode.current = 1;
  advanceToSelectedObject(*s, mode);  // nothing selected: stays
  EXPECT_EQ(mode.current, 1);
}

TEST(ObjectMode, SteppingVisitsOnlyObjectsWithASelection) {
  auto s = threeSquares();
  ObjectMode mode{true, 0, false};
  stepObject(*s, mode, -1);  // no selection: every object in turn
  EXPECT_EQ(mode.current, 2);
  select(geometryOf(*s, 0), {1});
  select(geometryOf(*s, 1), {1});
  stepObject(*s, mode, 1);
  EXPECT_EQ(mode.current, 0);
  stepObject(*s, mode, 1);
  EXPECT_EQ(mode.current, 1);
  stepObject(*s, mode, 1);
  EXPECT_EQ(mode.current, 0);
  EXPECT_TRUE(mode.on);
}

TEST(DeleteSelection, PointModeRemovesThePrimitivesOfSelectedPointsAndEmptyObjects) {
  auto s = threeSquares();
  select(geometryOf(*s, 0), {0});        // both triangles use vertex 0
  select(geometryOf(*s, 1), {1});        // only the first triangle uses vertex 1
  ObjectMode mode;
  deleteSelection(*s, mode);
  ASSERT_EQ(s->objectCount(), 2);
  const geom& g = geometryOf(*s, 0);
  EXPECT_EQ(g.type, tri_indexed);
  ASSERT_EQ(g.triangleCount(), 1);
  ASSERT_EQ(g.vertexCount(), 3);
  // The triangle (0, 2, 3) of the second square: (2, 0), (3, 1), (2, 1).
  std::multiset<std::pair<float, float>> corners;
  for (int32_t index : g.triangleTable[0].i) corners.insert({g.vertices[index].x, g.vertices[index].y});
  EXPECT_EQ(corners, (std::multiset<std::pair<float, float>>{{2, 0}, {3, 1}, {2, 1}}));
  EXPECT_EQ(g.boundsMark, 255);
}

TEST(DeleteSelection, StripLosingAMiddleVertexKeepsTheOtherTriangles) {
  auto s = std::make_unique<scene>();
  addObject(*s, objectOf(tri_strip, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}, {2, 1, 0}}));
  select(geometryOf(*s, 0), {5});
  ObjectMode mode;
  deleteSelection(*s, mode);
  const geom& g = geometryOf(*s, 0);
  EXPECT_EQ(g.type, tri_indexed);
  EXPECT_EQ(g.triangleCount(), 3);
  EXPECT_EQ(g.vertexCount(), 5);
}

TEST(DeleteSelection, LinesLoseEverySegmentTouchingTheSelection) {
  auto s = std::make_unique<scene>();
  addObject(*s, objectOf(line_strip, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));
  select(geometryOf(*s, 0), {1});
  ObjectMode mode;
  deleteSelection(*s, mode);
  const geom& g = geometryOf(*s, 0);
  EXPECT_EQ(g.type, line);
  ASSERT_EQ(g.vertexCount(), 2);  // only the segment between x = 2 and x = 3 is left
  EXPECT_FLOAT_EQ(std::min(g.vertices[0].x, g.vertices[1].x), 2);
  EXPECT_FLOAT_EQ(std::max(g.vertices[0].x, g.vertices[1].x), 3);
}

TEST(DeleteSelection, KeepSelectionInPointModeRemovesTheRest) {
  auto s = threeSquares();
  select(geometryOf(*s, 1), {0, 1, 2, 3});
  invertSelection(*s);
  ObjectMode mode{false, 0, true};
  deleteSelection(*s, mode);
  ASSERT_EQ(s->objectCount(), 1);
  EXPECT_FLOAT_EQ(geometryOf(*s, 0).vertices[0].x, 2);
  EXPECT_EQ(geometryOf(*s, 0).triangleCount(), 2);
}

TEST(DeleteSelection, ObjectMode) {
  struct Case {
    int current;
    bool deleteOthers;
    int count, currentAfter;
    float firstX;  // x of the first vertex of object 0 afterwards
  } cases[] = {{1, false, 2, 1, 0}, {2, false, 2, 0, 0}, {1, true, 1, 0, 2}, {2, true, 1, 0, 4}};
  for (const Case& c : cases) {
    auto s = threeSquares();
    ObjectMode mode{true, c.current, c.deleteOthers};
    deleteSelection(*s, mode);
    EXPECT_EQ(s->objectCount(), c.count);
    EXPECT_EQ(mode.current, c.currentAfter);
    EXPECT_FLOAT_EQ(geometryOf(*s, 0).vertices[0].x, c.firstX);
    EXPECT_TRUE(mode.on);
  }
}

TEST(DeleteSelection, LastObjectInObjectModeLeavesAnEmptySceneAndEndsObjectMode) {
  auto s = std::make_unique<scene>();
  addObject(*s, unitSquare());
  ObjectMode mode{true, 0, false};
  deleteSelection(*s, mode);
  EXPECT_EQ(s->objectCount(), 0);
  EXPECT_FALSE(mode.on);
}

TEST(DeleteSelection, RemovedObjectGivesBackItsTexture) {
  auto s = threeSquares();
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 9;
  s->textures.add(std::move(texture));
  s->objects[0]->textureName = 9;
  ObjectMode mode{true, 2, true};
  deleteSelection(*s, mode);
  EXPECT_EQ(s->textures.find(9), nullptr);
}

}  // namespace
}  // namespace kvx::test
