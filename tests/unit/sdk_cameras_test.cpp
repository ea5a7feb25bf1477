// Cameras, annotations, the next-camera command and the camera tour,
// driven through the SDK object with host records but no drawing.
#include "kvx_sdk.h"
#include "render_scenes.h"
#include "sdk/plugin_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace kvx::test {
namespace {

struct CameraFixture : ::testing::Test {
  kvx_GL_Plugin sdk;
  kvx_FrameInfo frame = {400, 300, 0, 0, 0, 0};
  kvx_ManipInfo manip = {};

  // A scene with `userCameras` cameras, the live view fitted to it.
  void SetUp() override { install(1); }

  void install(int userCameras) {
    sdk.state().manip = &manip;
    sdk.state().frame = &frame;
    sdk.state().scene = sceneWith(unitSquare());
    sdk.ResetManip();
    scene().createCurrentView();
    for (int i = 0; i < userCameras; ++i) sdk.AddCamera(nullptr);
    sdk.state().transition.remaining = 0;
  }
  kvx::scene& scene() { return *sdk.state().scene; }
  std::string name(int index) {
    char* text = nullptr;
    return sdk.GetCameraName(index, &text) ? std::string(text) : std::string("<none>");
  }
  void rotateByDrag() {
    kvx_MouseEvent drag = {KVX_ACTION_ROTATE, 0, 0};
    frame.startX = 200, frame.startY = 150, frame.currentX = 260, frame.currentY = 170;
    sdk.OnMouseMove(&drag);
  }
};

TEST(CamerasWithoutScene, ReportNothing) {
  kvx_GL_Plugin sdk;
  char* text = reinterpret_cast<char*>(&sdk);
  EXPECT_EQ(sdk.GetNbCameras(), 0);
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 0);
  EXPECT_FALSE(sdk.AddCamera("a"));
  EXPECT_FALSE(sdk.GetCameraName(0, &text));
  EXPECT_FALSE(sdk.SetCurrentCamera(0, true));
  EXPECT_FALSE(sdk.DeleteCurrentCamera());
  EXPECT_FALSE(sdk.SetCurrentCameraField(0, "x"));
  EXPECT_FALSE(sdk.GetCurrentCameraField(0, &text));
  EXPECT_EQ(text, nullptr);
}

TEST_F(CameraFixture, AddCameraNamesItAfterTheNewCount) {
  EXPECT_EQ(sdk.GetNbCameras(), 1);
  EXPECT_TRUE(sdk.AddCamera(nullptr));
  EXPECT_EQ(sdk.GetNbCameras(), 2);
  EXPECT_EQ(name(0), "Current View");
  EXPECT_EQ(name(2), "View 03");
  EXPECT_TRUE(sdk.AddCamera("Inside"));
  EXPECT_EQ(name(3), "Inside");
  EXPECT_EQ(name(4), "<none>");
  EXPECT_EQ(name(-1), "<none>");
}

TEST_F(CameraFixture, AddCameraTakesTheLiveViewAndIsRefusedWhileEditLocked) {
  rotateByDrag();
  ASSERT_TRUE(sdk.AddCamera("moved"));
  EXPECT_EQ(std::memcmp(scene().views[2].rotation, manip.rotation, sizeof manip.rotation), 0);
  sdk.state().files.editLocked = true;
  EXPECT_FALSE(sdk.AddCamera("refused"));
  EXPECT_EQ(sdk.GetNbCameras(), 2);
}

TEST_F(CameraFixture, SetCurrentCameraCopiesItIntoTheLiveView) {
  rotateByDrag();
  sdk.AddCamera("turned");
  sdk.ResetManip();
  ASSERT_TRUE(sdk.SetCurrentCamera(2, false));
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 2);
  EXPECT_EQ(scene().views[0].name, "turned");
  EXPECT_EQ(std::memcmp(manip.rotation, scene().views[2].rotation, sizeof manip.rotation), 0);
  EXPECT_GT(sdk.state().transition.remaining, 0) << "the next draw plays a transition";
  EXPECT_FALSE(sdk.SetCurrentCamera(3, false));
  EXPECT_FALSE(sdk.SetCurrentCamera(-1, false));
}

TEST_F(CameraFixture, DeleteCurrentCamera) {
  scene().currentView = 1;
  EXPECT_TRUE(sdk.DeleteCurrentCamera());
  EXPECT_EQ(sdk.GetNbCameras(), 1) << "the only user camera stays";

  sdk.AddCamera("b");
  sdk.AddCamera("c");
  scene().currentView = 3;
  EXPECT_TRUE(sdk.DeleteCurrentCamera());
  EXPECT_EQ(sdk.GetNbCameras(), 2);
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 2) << "deleting the last camera moves to the previous one";
  scene().currentView = 1;
  EXPECT_TRUE(sdk.DeleteCurrentCamera());
  EXPECT_EQ(name(1), "b");
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 1);
  scene().currentView = 0;
  EXPECT_FALSE(sdk.DeleteCurrentCamera());
}

TEST_F(CameraFixture, AnnotationOfTheCurrentCamera) {
  char* text = nullptr;
  ASSERT_TRUE(sdk.GetCurrentCameraField(0, &text));
  EXPECT_EQ(text, nullptr) << "no annotation yet";
  sdk.AddCamera("second");
  sdk.SetCurrentCamera(2, false);
  ASSERT_TRUE(sdk.SetCurrentCameraField(17, "Look at the hinge"));
  ASSERT_TRUE(sdk.GetCurrentCameraField(0, &text));
  EXPECT_STREQ(text, "Look at the hinge");
  ASSERT_TRUE(sdk.GetCurrentCameraField(2, &text));
  EXPECT_STREQ(text, "Look at the hinge");
  ASSERT_TRUE(sdk.GetCurrentCameraField(1, &text));
  EXPECT_EQ(text, nullptr);
  EXPECT_FALSE(sdk.GetCurrentCameraField(9, &text));
  EXPECT_EQ(text, nullptr);
  ASSERT_TRUE(sdk.SetCurrentCameraField(0, nullptr));
  ASSERT_TRUE(sdk.GetCurrentCameraField(0, &text));
  EXPECT_EQ(text, nullptr);
}

// The O key returns to the camera of load time; the annotation panel shows
// camera 0's name over the current camera's text, so both must agree.
TEST_F(CameraFixture, ReturningToTheOpeningCameraBringsItsNameAndAnnotation) {
  sdk.AddCamera("Back");
  sdk.SetCurrentCamera(1, false);
  sdk.SetCurrentCameraField(0, "front text");
  sdk.SetCurrentCamera(1, false);
  sdk.state().storedCamera = scene().views[0];
  sdk.state().storedCameraIndex = 1;
  sdk.SetCurrentCamera(2, false);
  sdk.SetCurrentCameraField(0, "back text");
  sdk.SetCurrentCamera(2, false);
  ASSERT_EQ(name(0), "Back");

  sdk.ViewPredefined(kvx_BaseSDK::VIEW_CAMERA);
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 1);
  EXPECT_EQ(name(0), name(1));
  char* text = nullptr;
  ASSERT_TRUE(sdk.GetCurrentCameraField(0, &text));
  EXPECT_STREQ(text, "front text");
  EXPECT_EQ(scene().views[0].text, "front text");
}

TEST_F(CameraFixture, NextCameraWithOneCameraBringsAMovedViewBack) {
  sdk.SetCurrentCamera(1, false);
  const kvx_ManipInfo atCamera = manip;
  sdk.state().transition.remaining = 0;
  EXPECT_TRUE(sdk.OnEvent(211));
  EXPECT_EQ(sdk.state().transition.remaining, 0) << "an unmoved view stays";

  rotateByDrag();
  ASSERT_NE(std::memcmp(manip.rotation, atCamera.rotation, sizeof manip.rotation), 0);
  EXPECT_TRUE(sdk.OnEvent(211));
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 1);
  EXPECT_EQ(std::memcmp(manip.rotation, atCamera.rotation, sizeof manip.rotation), 0);
}

TEST_F(CameraFixture, NextCameraCyclesThroughSeveralCameras) {
  sdk.AddCamera("b");
  sdk.AddCamera("c");
  sdk.SetCurrentCamera(1, false);
  for (int expected : {2, 3, 1}) {
    sdk.OnEvent(211);
    EXPECT_EQ(sdk.GetCurrentCameraIndex(), expected);
  }
}

TEST_F(CameraFixture, TourOfASingleCameraVisitsSixTemporaryViewsAndRemovesThem) {
  sdk.SetCurrentCamera(1, false);
  const int steps = sdk.state().transition.steps;
  ASSERT_TRUE(sdk.OnEvent(1101));
  EXPECT_TRUE(sdk.state().tour.running);
  ASSERT_EQ(sdk.GetNbCameras(), 7);
  EXPECT_EQ(name(2), "#KVX_SIGNATURE#_AnimTop");
  EXPECT_EQ(name(7), "AnimLeft");
  EXPECT_EQ(sdk.state().transition.steps, 260) << "2.6 s at the default 10 ms per frame";

  for (int expected : {1, 2, 3}) {
    sdk.OnEvent(1102);
    EXPECT_EQ(sdk.GetCurrentCameraIndex(), expected);
  }
  EXPECT_TRUE(sdk.OnEvent(1103));
  EXPECT_FALSE(sdk.state().tour.running);
  EXPECT_EQ(sdk.GetNbCameras(), 1);
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 1);
  EXPECT_EQ(sdk.state().transition.steps, steps);
}

TEST_F(CameraFixture, TourStepWrapsAfterTheLastCamera) {
  sdk.AddCamera("b");
  sdk.OnEvent(1101);
  ASSERT_EQ(sdk.GetNbCameras(), 2) << "two cameras are toured as they are";
  sdk.OnEvent(1102);
  sdk.OnEvent(1102);
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 2);
  sdk.OnEvent(1102);  // past the end: back to the start without moving
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 2);
  sdk.OnEvent(1102);
  EXPECT_EQ(sdk.GetCurrentCameraIndex(), 1);
}

TEST_F(CameraFixture, TourWithoutUserCamerasDoesNotStart) {
  install(0);
  sdk.OnEvent(1101);
  EXPECT_FALSE(sdk.state().tour.running);
  EXPECT_EQ(sdk.GetNbCameras(), 0);
  EXPECT_TRUE(sdk.OnEvent(1103)) << "stopping nothing is still a known command";
}

}  // namespace
}  // namespace kvx::test
