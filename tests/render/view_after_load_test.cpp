// The camera set-up after a load and the opening transition it arms.
#include "fake_frame_clock.h"
#include "interaction/predefined_views.h"
#include "offscreen_view.h"
#include "render_scenes.h"
#include "sdk/view_after_load.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

struct AfterLoad : ::testing::Test {
  OffscreenView view{32, 24};
  kvx::scene* scene = nullptr;
  SceneView pose;

  void SetUp() override {
    view.state().transition.clock = std::make_unique<FakeFrameClock>(10);
    auto s = sceneWith(makeSquare());
    s->updateBounds();
    s->createCurrentView();
    pose.camera[CAM_EYE + 2] = 6;
    pose.camera[CAM_FOV] = 40;
    pose.camera[CAM_PAN_X] = 0.25f;
    storeQuat(*predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, true), pose.rotation);
    s->views[0].name = "Current View";
    std::copy(std::begin(pose.camera), std::end(pose.camera), s->views[0].camera);
    std::copy(std::begin(pose.rotation), std::end(pose.rotation), s->views[0].rotation);
    view.state().scene = std::move(s);
    scene = view.state().scene.get();
  }
};

TEST_F(AfterLoad, ASceneWithoutCamerasOpensOnItsDefaultViewThroughATransition) {
  setUpViewAfterLoad(view.plugin, false, false);
  ASSERT_EQ(scene->views.size(), 2u);
  EXPECT_EQ(scene->views[1].name, "Default View");
  EXPECT_EQ(scene->currentView, 1);
  EXPECT_EQ(view.state().transition.start.fieldOfView, 179);
  view.plugin.Render();
  EXPECT_GT(view.presented, 10);
  EXPECT_FLOAT_EQ(view.manip.fieldOfView, 40);
  EXPECT_FLOAT_EQ(view.manip.panX, 0.25f);
  EXPECT_FLOAT_EQ(view.manip.viewRadius, 3);
  EXPECT_FALSE(view.state().perspective);  // the file's view is an axis orientation
}

TEST_F(AfterLoad, VIEW_CAMERAReturnsToTheLoadedView) {
  setUpViewAfterLoad(view.plugin, false, false);
  view.plugin.Render();
  view.plugin.ResetManip();
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_CAMERA);
  EXPECT_FLOAT_EQ(view.manip.fieldOfView, 40);
  EXPECT_EQ(toQuat(view.manip.rotation), toQuat(pose.rotation));
}

TEST_F(AfterLoad, ACameraWithoutPoseTakesTheFittedView) {
  std::fill(std::begin(scene->views[0].camera), std::end(scene->views[0].camera), 0.0f);
  setUpViewAfterLoad(view.plugin, false, false);
  view.plugin.Render();
  EXPECT_EQ(view.manip.fieldOfView, 32);
  EXPECT_TRUE(sameOrientation(toQuat(view.manip.rotation), fittedOrientation(false), 1e-6f));
}

TEST_F(AfterLoad, DisplayFlagsFollowTheScene) {
  scene->sceneFlags = 0x01 | 0x200 | 0x800;
  view.manip.displayFlags = KVX_DISPLAY_TRANS;
  setUpViewAfterLoad(view.plugin, false, false);
  EXPECT_EQ(view.manip.displayFlags,
            KVX_DISPLAY_AXIS1 | KVX_DISPLAY_AXIS2 | KVX_DISPLAY_NORMALS | KVX_DISPLAY_FACES);
}

}  // namespace
}  // namespace kvx::test
