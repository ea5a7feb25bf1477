// What the pointer selects and picks on a drawn view: rectangle and click
// selection, measurement picks, picks on the section of the cutting plane,
// and how the cutting plane and the measurement are drawn.
#include "interaction/cut_section.h"
#include "offscreen_view.h"
#include "render/cut_plane_drawing.h"
#include "render/measure_drawing.h"
#include "render_scenes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kvx::test {
namespace {

// A 5 x 5 grid of points, 0.5 apart from -1 to 1 in the plane z = 0, seen
// from the top: the point (x, y) is drawn at pixel (80 + 39.8 x, 60 - 39.8 y)
// from the top left.
std::unique_ptr<SceneObject> pointGrid() {
  auto object = std::make_unique<SceneObject>();
  object->geometry->type = points;
  for (int row = 0; row < 5; ++row)
    for (int column = 0; column < 5; ++column)
      object->geometry->vertices.push_back(vertexAt(-1 + 0.5f * column, 1 - 0.5f * row, 0));
  object->geometry->rebuildTriangleTable();
  return object;
}

struct TopViewGrid : ::testing::Test {
  OffscreenView view{160, 120};
  kvx::scene& scene = view.setScene(sceneWith(pointGrid()));
  void SetUp() override {
    scene.createCurrentView();
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
    view.state().transition.remaining = 0;
    view.plugin.RenderFrame();
  }
  // Selection bytes row by row from the top, one row per line.
  std::string selection() const {
    std::string out;
    const auto& vertices = scene.objects[0]->geometry->vertices;
    for (size_t i = 0; i < vertices.size(); ++i) out += std::string(vertices[i].mark ? "1" : "0") + (i % 5 == 4 ? "\n" : "");
    return out;
  }
  void drag(int x1, int y1, int x2, int y2, int modifiers = 0) {
    kvx_MouseEvent event = {KVX_ACTION_SELECT, modifiers, 0};
    view.frame.startX = x1, view.frame.startY = y1, view.frame.currentX = x1, view.frame.currentY = y1;
    ASSERT_TRUE(view.plugin.OnMouseMove(&event));
    view.frame.currentX = x2, view.frame.currentY = y2;
    ASSERT_TRUE(view.plugin.OnMouseUp(&event));
  }
  void click(int x, int y, int actions, int modifiers = 0) {
    kvx_MouseEvent event = {actions, modifiers, 0};
    view.frame.currentX = x, view.frame.currentY = y;
    ASSERT_TRUE(view.plugin.OnMouseUp(&event));
  }
  const geom& grid() const { return *scene.objects[0]->geometry; }
};

TEST_F(TopViewGrid, RectangleDragSelectsExactlyThePointsInside) {
  drag(90, 70, 50, 30);  // corners in any order
  EXPECT_EQ(selection(), "00000\n01100\n01100\n00000\n00000\n");
  EXPECT_EQ(grid().mark, 0);
  EXPECT_EQ(grid().boundsMark, 0);
  EXPECT_FALSE(view.state().drag.rectangle);

  drag(0, 0, 10, 10);  // nothing inside: the selection is replaced by nothing
  EXPECT_EQ(selection(), "00000\n00000\n00000\n00000\n00000\n");
  EXPECT_EQ(grid().boundsMark, 255);
}

TEST_F(TopViewGrid, RectangleWithTheModifierTogglesThePointsInside) {
  drag(50, 30, 90, 70);
  drag(70, 30, 110, 50, 0x02);
  EXPECT_EQ(selection(), "00000\n01010\n01100\n00000\n00000\n");
}

TEST_F(TopViewGrid, ClickSelectsWithinTwoPixels) {
  click(81, 59, KVX_ACTION_SELECT);
  EXPECT_EQ(selection(), "00000\n00000\n00100\n00000\n00000\n");
  click(101, 61, KVX_ACTION_SELECT, 0x02);
  EXPECT_EQ(selection(), "00000\n00000\n00110\n00000\n00000\n");
  click(20, 60, KVX_ACTION_SELECT);  // 4 pixels from (-1, 0): replaced by nothing
  EXPECT_EQ(selection(), "00000\n00000\n00000\n00000\n00000\n");
}

TEST_F(TopViewGrid, ObjectModeSelectionAdvancesToTheSelectedObject) {
  addObject(scene, objectOf(points, {{0.25f, 0.25f, 0}}));  // at pixel (90, 50)
  view.plugin.OnEvent(214);
  click(90, 50, KVX_ACTION_SELECT);
  EXPECT_TRUE(view.state().drag.objectMode);
  EXPECT_EQ(view.state().drag.currentObject, 1);
}

TEST_F(TopViewGrid, MeasurementOfTwoPoints) {
  click(80, 60, KVX_ACTION_MEASURE);
  ASSERT_NE(view.manip.measure, nullptr);
  EXPECT_TRUE(view.state().drag.measurement.pending);
  EXPECT_EQ(view.manip.measure->distance, -1);
  EXPECT_EQ(view.state().drag.startX, 80) << "the rubber line starts at the point";

  kvx_MouseEvent move = {0, 0, 0};
  EXPECT_TRUE(view.plugin.OnMouseMove(&move));  // draws the rubber line

  click(101, 39, KVX_ACTION_MEASURE);
  kvx_Measure m;
  ASSERT_TRUE(view.plugin.GetMeasureData(&m));
  EXPECT_FALSE(view.state().drag.measurement.pending);
  EXPECT_FLOAT_EQ(m.pointA[0], 0);
  EXPECT_FLOAT_EQ(m.pointB[0], 0.5f);
  EXPECT_FLOAT_EQ(m.pointB[1], 0.5f);
  EXPECT_NEAR(m.distance, std::sqrt(0.5f), 1e-6);
  EXPECT_EQ(scene.sceneFlags & 0x02, 0x02u);

  click(5, 5, KVX_ACTION_MEASURE);  // empty space ends the measurement
  EXPECT_EQ(view.manip.measure, nullptr);
  EXPECT_FALSE(view.plugin.GetMeasureData(&m));
  EXPECT_EQ(scene.sceneFlags & 0x02, 0u);
}

TEST_F(TopViewGrid, PickingTheSameVertexTwiceMeasuresZero) {
  scene.sceneFlags |= 0x02;
  click(60, 40, KVX_ACTION_MEASURE);
  click(60, 40, KVX_ACTION_MEASURE);
  kvx_Measure m;
  ASSERT_TRUE(view.plugin.GetMeasureData(&m));
  EXPECT_EQ(m.distance, 0);
  EXPECT_EQ(scene.sceneFlags & 0x02, 0u);
}

TEST_F(TopViewGrid, EmptySpaceWhileAPointIsPendingChangesNothing) {
  click(60, 40, KVX_ACTION_MEASURE);
  click(3, 3, KVX_ACTION_MEASURE);
  ASSERT_NE(view.manip.measure, nullptr);
  EXPECT_TRUE(view.state().drag.measurement.pending);
  view.plugin.OnEvent(500);  // a tool-mode command cancels it
  EXPECT_FALSE(view.state().drag.measurement.pending);
}

// The unit square of side 2 around the origin, cut at x = 0.
struct CutSquare : ::testing::Test {
  OffscreenView view{160, 120};
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(1, 200, 40, 40)));
  void SetUp() override {
    scene.objects[0]->lit = false;
    scene.createCurrentView();
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
    view.state().transition.remaining = 0;
    view.plugin.SetCutPlane(kvx_CutPlane::X_PLAN);
    view.plugin.RenderFrame();
  }
  void pick(int x, int y) {
    kvx_MouseEvent event = {KVX_ACTION_MEASURE, 0, 0};
    view.frame.currentX = x, view.frame.currentY = y;
    view.plugin.OnMouseUp(&event);
  }
};

TEST_F(CutSquare, PicksSnapToSectionPointsOnly) {
  // The frame of SetUp built the section.
  ASSERT_EQ(view.state().sectionCache.size(), 4u * 3);
  pick(120, 20);  // a corner of the square, but not on the section
  EXPECT_EQ(view.manip.measure, nullptr);
  pick(80, 60);  // the middle of the section, where the square has no vertex
  ASSERT_NE(view.manip.measure, nullptr);
  EXPECT_NEAR(view.manip.measure->pointA[0], 0, 1e-3);
  EXPECT_NEAR(view.manip.measure->pointA[1], 0, 1e-4);

  view.plugin.SetCutPlane(kvx_CutPlane::NONE_PLAN);
  view.state().drag.measurement.pending = false;
  pick(120, 20);  // without a cut every vertex counts again
  EXPECT_FLOAT_EQ(view.manip.measure->pointA[0], 1);
}

TEST_F(CutSquare, ClipKeepsTheLowSideUnlessInverted) {
  for (bool inverted : {false, true}) {
    view.plugin.SetCutPlaneOrient(inverted);
    view.plugin.RenderFrame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    enableCutPlaneClip(view.manip);
    // A frame leaves the context's state as it found it: unlit drawing is
    // this test's own choice. The frame's matrices stay.
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, 0), glVertex3f(1, -1, 0), glVertex3f(1, 1, 0), glVertex3f(-1, 1, 0);
    glEnd();
    glDisable(GL_CLIP_PLANE0);
    glFinish();
    EXPECT_EQ(view.gl.at(60, 60).r > 128, !inverted);
    EXPECT_EQ(view.gl.at(100, 60).r > 128, inverted);
  }
}

TEST_F(CutSquare, PlaneAcrossTheViewBrightensADarkScene) {
  view.plugin.SetCutPlane(kvx_CutPlane::NONE_PLAN);
  view.plugin.RenderFrame();
  const Rgb before = view.gl.at(80, 60);
  view.plugin.SetCutPlane(kvx_CutPlane::Z_PLAN);
  view.plugin.RenderFrame();  // the frame draws the plane
  const Rgb after = view.gl.at(80, 60);
  view.keepPicture("cut_plane");
  EXPECT_GT(after.g, before.g + 100) << "white added at alpha 0.65";
  EXPECT_TRUE(view.state().sectionCache.empty()) << "a plane in the face's own plane cuts no edge";
}

TEST_F(CutSquare, MeasurementShowsItsPointsAndLine) {
  const kvx_Measure m = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, 1};
  view.plugin.SetCutPlane(kvx_CutPlane::NONE_PLAN);
  view.plugin.RenderFrame();
  drawMeasurement(m, scene.background, view.frame.width, view.frame.height);
  glFinish();
  view.keepPicture("measurement");
  const Rgb point = view.gl.at(60, 80), line = view.gl.at(70, 80);
  EXPECT_GT(point.r, 230);
  EXPECT_GT(point.g, 230);
  EXPECT_LT(point.b, 60);
  EXPECT_GT(line.g, 150);
  EXPECT_LT(line.b, 100);
}

}  // namespace
}  // namespace kvx::test
