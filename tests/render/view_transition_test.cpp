// View transitions played by the frame loop, timed by a fake clock.
#include "fake_frame_clock.h"
#include "interaction/predefined_views.h"
#include "offscreen_view.h"
#include "render_scenes.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

struct Transition : ::testing::Test {
  OffscreenView view{32, 24};
  std::shared_ptr<double> msPerFrame;

  void SetUp() override {
    view.setScene(sceneWith(makeSquare()));
    auto clock = std::make_unique<FakeFrameClock>(10);
    msPerFrame = clock->frameTime();
    view.state().transition.clock = std::move(clock);
  }
  Quat rotation() const { return toQuat(view.manip.rotation); }
};

TEST_F(Transition, RenderPlaysEveryStepAndEndsOnTheTarget) {
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  EXPECT_EQ(view.state().transition.steps, 90);  // 900 ms at 10 ms a frame
  view.plugin.Render();
  EXPECT_EQ(view.presented, 90);
  EXPECT_TRUE(sameOrientation(rotation(), *predefinedOrientation(kvx_BaseSDK::VIEW_TOP, false), 1e-6f));
  EXPECT_FALSE(view.state().transition.running);
  EXPECT_FALSE(view.state().perspective);
}

TEST_F(Transition, AViewEqualToTheCurrentOnePlaysNoFrames) {
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.Render();
  view.presented = 0;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.Render();
  EXPECT_EQ(view.presented, 1);
}

TEST_F(Transition, SlowFramesShortenItAndItStopsSoonAfterTheExpectedEnd) {
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_FRONT);
  *msPerFrame = 60;  // six times slower than measured before
  view.plugin.Render();
  EXPECT_LT(view.presented, 90);
  // Expected 900 ms; never more than 300 ms (plus the frame that notices) beyond.
  EXPECT_LE(view.presented * 60, 900 + 300 + 60);
  EXPECT_TRUE(sameOrientation(rotation(), *predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, false), 1e-6f));
}

// However slow the frames, a transition ends within 1.5 times its nominal
// duration: fewer steps, and no frame that would end beyond that.
TEST_F(Transition, NeverLastsMoreThanHalfAgainItsNominalDuration) {
  const struct {
    double ms;
    bool slow;
  } steady[] = {{10, false}, {30, false}, {60, false}, {120, false}, {250, false}, {400, false},
                {600, false}, {60, true}, {250, true}, {700, true}, {1200, true}};
  for (const auto& c : steady) {
    *msPerFrame = 10;
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_BOTTOM);
    view.plugin.Render();  // back to a known view at the measured 10 ms
    view.presented = 0;
    view.plugin.SetInterpolate(c.slow);
    storeQuat(*predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, false), view.manip.rotation);
    *msPerFrame = c.ms;
    view.plugin.Render();
    const double nominal = c.slow ? 2600 : 900;
    EXPECT_LE(view.presented * c.ms, 1.5 * nominal) << c.ms << " ms a frame, slow " << c.slow;
    EXPECT_TRUE(sameOrientation(rotation(), *predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, false), 1e-6f));
  }

  // Frames that turn slow midway, played one step per call. (A frame is
  // foreseen only from those before it, so the slowdown comes early enough.)
  const struct {
    int fastFrames;
    double slowMs;
  } slowingDown[] = {{10, 100}, {30, 150}, {45, 250}, {60, 300}, {80, 150}};
  for (const auto& c : slowingDown) {
    *msPerFrame = 10;
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_BOTTOM);
    view.plugin.Render();
    view.plugin.SetInterpolate(false);
    storeQuat(*predefinedOrientation(kvx_BaseSDK::VIEW_BACK, false), view.manip.rotation);
    bool running = false;
    double lasted = 0;
    for (int frame = 0; frame < 1000; ++frame) {
      *msPerFrame = frame < c.fastFrames ? 10 : c.slowMs;
      if (view.plugin.AnimFrame(&running, false)) lasted += *msPerFrame;
      if (!running) break;
    }
    EXPECT_LE(lasted, 1.5 * 900) << c.fastFrames << " frames, then " << c.slowMs << " ms each";
    EXPECT_TRUE(sameOrientation(rotation(), *predefinedOrientation(kvx_BaseSDK::VIEW_BACK, false), 1e-6f));
  }
}

TEST_F(Transition, WithTransitionsOffAViewJumpsAtOnce) {
  view.state().transition.steps = 0;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_LEFT);
  view.plugin.Render();
  EXPECT_EQ(view.presented, 1);
  EXPECT_TRUE(sameOrientation(rotation(), *predefinedOrientation(kvx_BaseSDK::VIEW_LEFT, false), 1e-6f));
  EXPECT_EQ(view.state().transition.steps, 0);
}

TEST_F(Transition, AnimFrameDrawsOneStepPerCallWithoutPresenting) {
  view.plugin.SetInterpolate(false);
  const Quat target = *predefinedOrientation(kvx_BaseSDK::VIEW_BACK, false);
  storeQuat(target, view.manip.rotation);
  bool running = false;
  int calls = 0;
  do {
    view.plugin.AnimFrame(&running, false);
    ++calls;
    if (calls == 1) {
      EXPECT_FALSE(sameOrientation(rotation(), target, 1e-3f));
    }
  } while (running && calls < 1000);
  EXPECT_EQ(calls, 90);
  EXPECT_EQ(view.presented, 0);
  EXPECT_TRUE(sameOrientation(rotation(), target, 1e-6f));
}

TEST_F(Transition, RenderFrameCancelsAPendingTransition) {
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_RIGHT);
  view.plugin.RenderFrame();
  EXPECT_TRUE(sameOrientation(rotation(), *predefinedOrientation(kvx_BaseSDK::VIEW_RIGHT, false), 1e-6f));
  EXPECT_EQ(view.state().transition.remaining, 0);
  EXPECT_EQ(view.state().transition.steps, 90);
  view.plugin.Render();
  EXPECT_EQ(view.presented, 1);
}

TEST_F(Transition, MidwayTheViewLiesBetweenStartAndTarget) {
  view.plugin.SetInterpolate(false);
  view.manip.fieldOfView = 64;
  bool running = false;
  for (int i = 0; i < 45; ++i) view.plugin.AnimFrame(&running, false);
  EXPECT_TRUE(running);
  EXPECT_NEAR(view.manip.fieldOfView, 48, 0.5f);  // eased, symmetric about the middle
}

TEST_F(Transition, FrameTimeIsMeasuredFromDrawnFrames) {
  *msPerFrame = 20;
  view.plugin.Render();
  EXPECT_FLOAT_EQ(view.state().transition.frameTimeMs, 20);
  view.plugin.SetInterpolate(true);
  EXPECT_EQ(view.state().transition.steps, 130);  // 2600 ms at 20 ms a frame
}

TEST(Views, PredefinedViewsNeedASceneAndKeepPanAndZoom) {
  OffscreenView view(32, 24);
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  EXPECT_FALSE(view.state().viewChangedByCommand);
  view.setScene(sceneWith(makeSquare()));
  view.manip.panX = 3, view.manip.fieldOfView = 20;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_BOTTOM);
  EXPECT_TRUE(view.state().viewChangedByCommand);
  EXPECT_EQ(view.manip.panX, 3);
  EXPECT_EQ(view.manip.fieldOfView, 20);
  EXPECT_EQ(toQuat(view.manip.rotation), *predefinedOrientation(kvx_BaseSDK::VIEW_BOTTOM, false));
  view.plugin.ViewPredefined(static_cast<kvx_BaseSDK::PredefinedView>(9));
  EXPECT_EQ(toQuat(view.manip.rotation), *predefinedOrientation(kvx_BaseSDK::VIEW_BOTTOM, false));
}

TEST(Views, CameraViewReturnsToTheStoredCamera) {
  OffscreenView view(32, 24);
  kvx::scene& scene = view.setScene(sceneWith(makeSquare()));
  scene.createCurrentView();
  scene.addView("Saved");
  view.state().storedCameraIndex = 1;
  SceneView& stored = view.state().storedCamera;
  stored.camera[CAM_EYE + 2] = 8;
  stored.camera[CAM_FOV] = 40;
  storeQuat(*predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, false), stored.rotation);
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_CAMERA);
  EXPECT_EQ(scene.currentView, 1);
  EXPECT_EQ(view.manip.fieldOfView, 40);
  EXPECT_FLOAT_EQ(view.manip.viewRadius, 4);
  EXPECT_EQ(scene.views[0].camera[CAM_EYE + 2], 8);
}

TEST(Views, ResetManipNeedsASceneAndALiveView) {
  kvx_GL_Plugin unbound;
  EXPECT_FALSE(unbound.ResetManip());
  OffscreenView view(32, 24);
  EXPECT_FALSE(view.plugin.ResetManip());
  view.setScene(sceneWith(makeSquare()));
  view.manip.fieldOfView = 90;
  EXPECT_TRUE(view.plugin.ResetManip());
  EXPECT_EQ(view.manip.fieldOfView, 32);
}

TEST(Views, PointerDragsGoThroughTheEventHandler) {
  OffscreenView view(200, 100);
  view.setScene(sceneWith(makeSquare()));
  const float fov = view.manip.fieldOfView;
  view.plugin.ManipFromPointerMove(kvx_BaseSDK::ZOOM, 100, 50, 50, 50);
  EXPECT_FLOAT_EQ(view.manip.fieldOfView, fov * 0.75f);
  view.plugin.ManipFromPointerMove(static_cast<kvx_BaseSDK::ManipMode>(3), 1, 2, 3, 4);
  EXPECT_EQ(view.frame.currentY, 4);
  EXPECT_FLOAT_EQ(view.manip.fieldOfView, fov * 0.75f);
}

}  // namespace
}  // namespace kvx::test
