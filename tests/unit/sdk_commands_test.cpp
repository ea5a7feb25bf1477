// Commands sent with OnEvent that need no drawing: display flags, scene
// edits, object mode, measurement mode and unknown codes.
#include "kvx_sdk.h"
#include "scene_builders.h"
#include "sdk/plugin_state.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

struct Commands : ::testing::Test {
  kvx_GL_Plugin sdk;
  kvx_FrameInfo frame = {200, 100, 0, 0, 0, 0};
  kvx_ManipInfo manip = {};
  void SetUp() override {
    sdk.state().manip = &manip;
    sdk.state().frame = &frame;
    auto s = std::make_unique<kvx::scene>();
    addObject(*s, unitSquare());
    addObject(*s, objectOf(quads_list, {{3, 0, 0}, {4, 0, 0}, {4, 1, 0}, {3, 1, 0}}));
    sdk.state().scene = std::move(s);
    sdk.ResetManip();
  }
  kvx::scene& scene() { return *sdk.state().scene; }
  geom& geometryOf(int i) { return *scene().objects[i]->geometry; }
};

TEST_F(Commands, UnknownCodesAreRefused) {
  for (int code : {0, 199, 209, 210, 216, 503, 606, 607, 609, 1000, 2004, -1}) EXPECT_FALSE(sdk.OnEvent(code)) << code;
  for (int code : {603, 2003}) EXPECT_TRUE(sdk.OnEvent(code)) << code;
}

TEST_F(Commands, DisplayFlagsToggleAndTheSceneFlagsFollow) {
  struct Case {
    int code;
    uint8_t display;
    uint32_t scene;
  } cases[] = {
      {600, 0x01, 0x1000}, {601, 0x04, 0x800}, {602, 0x08, 0x2000}, {604, 0x02, 0x600}, {605, 0x30, 0x01},
  };
  for (const Case& c : cases) {
    manip.displayFlags = 0;
    scene().sceneFlags = 0;
    ASSERT_TRUE(sdk.OnEvent(c.code));
    EXPECT_EQ(manip.displayFlags, c.display) << c.code;
    EXPECT_EQ(scene().sceneFlags, c.scene) << c.code;
    ASSERT_TRUE(sdk.OnEvent(c.code));
    EXPECT_EQ(manip.displayFlags, 0) << c.code;
    EXPECT_EQ(scene().sceneFlags, 0u) << c.code;
  }
}

TEST_F(Commands, AxisCommandFlipsBothAxisBitsIndependently) {
  manip.displayFlags = KVX_DISPLAY_AXIS2;
  sdk.OnEvent(605);
  EXPECT_EQ(manip.displayFlags, KVX_DISPLAY_AXIS1);
  EXPECT_EQ(scene().sceneFlags, 0x01u);
}

TEST_F(Commands, UpAxisAndTransitionsAndLightToggle) {
  sdk.OnEvent(608);
  EXPECT_EQ(scene().sceneFlags, 0x04u);
  sdk.OnEvent(608);
  EXPECT_EQ(scene().sceneFlags, 0u);
  sdk.OnEvent(208);
  EXPECT_EQ(sdk.state().transition.steps, 0);
  sdk.OnEvent(208);
  EXPECT_EQ(sdk.state().transition.steps, 38);
  sdk.OnEvent(215);
  EXPECT_FALSE(sdk.state().automaticLight);
}

TEST_F(Commands, SwapYZOnceForSharedGeometryAndFitsTheView) {
  scene().objects.push_back(std::make_unique<SceneObject>(*scene().objects[0]));  // shares object 0's geometry
  geometryOf(0).vertices[2].ny = 0.5f;
  ASSERT_TRUE(sdk.OnEvent(517));
  const Vertex& v = geometryOf(0).vertices[2];  // was (1, 1, 0) with normal (0, 0.5, 1)
  EXPECT_EQ(v.y, 0);
  EXPECT_EQ(v.z, 1);
  EXPECT_EQ(v.ny, 1);
  EXPECT_EQ(v.nz, 0.5f);
  EXPECT_EQ(manip.bounds[5], 1) << "bounds recomputed";
  EXPECT_EQ(manip.bounds[3], 0);
}

TEST_F(Commands, RecomputeNormalsOfFullySelectedObjectsOnly) {
  for (int i = 0; i < 2; ++i) {
    scene().objects[i]->lit = false;
    for (Vertex& v : geometryOf(i).vertices) v.nz = 0, v.nx = 1;
  }
  sdk.OnEvent(900);
  geometryOf(1).vertices[0].mark = 0;
  geometryOf(1).mark = 0;
  ASSERT_TRUE(sdk.OnEvent(518));
  EXPECT_EQ(geometryOf(0).vertices[0].nz, 1);
  EXPECT_TRUE(scene().objects[0]->lit);
  EXPECT_EQ(geometryOf(1).vertices[0].nx, 1) << "partly selected: untouched";
  EXPECT_FALSE(scene().objects[1]->lit);

  sdk.OnEvent(912);  // nothing selected: every object
  sdk.OnEvent(518);
  EXPECT_EQ(geometryOf(1).vertices[0].nz, 1);
}

TEST_F(Commands, ObjectModeFollowsTheSelection) {
  geometryOf(1).vertices[0].mark = 1;
  ASSERT_TRUE(sdk.OnEvent(214));
  EXPECT_TRUE(sdk.state().drag.objectMode);
  EXPECT_EQ(sdk.state().drag.currentObject, 1);
  sdk.OnEvent(212);
  EXPECT_EQ(sdk.state().drag.currentObject, 1) << "the only object with a selection";
  sdk.OnEvent(214);
  EXPECT_FALSE(sdk.state().drag.objectMode);

  sdk.OnEvent(214);
  sdk.state().drag.currentObject = 1;
  sdk.OnEvent(804);
  EXPECT_EQ(scene().objectCount(), 1);
  EXPECT_EQ(sdk.state().drag.currentObject, 0);
  sdk.OnEvent(804);
  EXPECT_EQ(scene().objectCount(), 0);
  EXPECT_FALSE(sdk.state().drag.objectMode);
  EXPECT_TRUE(sdk.OnEvent(214)) << "known, but needs objects";
  EXPECT_FALSE(sdk.state().drag.objectMode);
}

TEST_F(Commands, KeepSelectionInPointModeRemovesWhatWasNotSelected) {
  for (Vertex& v : geometryOf(1).vertices) v.mark = 1;
  ASSERT_TRUE(sdk.OnEvent(877));
  ASSERT_EQ(scene().objectCount(), 1);
  EXPECT_EQ(geometryOf(0).vertices[0].x, 3);
}

TEST_F(Commands, ToolModeCommandsLeaveMeasurementMode) {
  for (int code : {500, 501, 502, 903, 2000}) {
    sdk.OnEvent(1006);
    EXPECT_TRUE(sdk.state().drag.measurement.mode);
    sdk.state().drag.measurement.pending = true;
    scene().sceneFlags = 0x02;
    EXPECT_TRUE(sdk.OnEvent(code));
    EXPECT_FALSE(sdk.state().drag.measurement.mode) << code;
    EXPECT_FALSE(sdk.state().drag.measurement.pending) << code;
    EXPECT_EQ(scene().sceneFlags, 0u) << code;
  }
}

TEST(CommandsWithoutScene, AreKnownAndHarmless) {
  kvx_GL_Plugin sdk;
  for (int code : {200, 207, 211, 212, 213, 214, 517, 518, 600, 608, 804, 877, 900, 901, 912, 1101, 1102, 1103})
    EXPECT_TRUE(sdk.OnEvent(code)) << code;
}

}  // namespace
}  // namespace kvx::test
