// A whole session driven as a host drives it, through the SDK's virtual
// operations only: load, rotate, select, cut, measure, add an annotated
// camera, save, reload, and find it all again.
#include "offscreen_view.h"
#include "render_scenes.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

struct ScriptedSession : ::testing::Test {
  TempEnv env;
  OffscreenView view{160, 120};
  kvx_BaseSDK& base = view.plugin;  // slots 1-36 as the host's table has them
  std::string first = env.path("session.kvx").string();
  std::string second = env.path("session-saved.kvx").string();

  // The file the session opens, written by an SDK object of its own.
  void SetUp() override {
    kvx_GL_Plugin writer;
    writer.state().scene = sceneWith(makeSquare(1, 180, 180, 180));
    if (writer.SaveFile(first.c_str(), nullptr) < 8) GTEST_SKIP() << "this build cannot write scene files yet";
  }

  void pointer(int actions, int x1, int y1, int x2, int y2, bool release) {
    kvx_MouseEvent event = {actions, 0, 0};
    view.frame.startX = x1, view.frame.startY = y1, view.frame.currentX = x2, view.frame.currentY = y2;
    if (release)
      view.plugin.OnMouseUp(&event);
    else
      view.plugin.OnMouseMove(&event);
  }
};

TEST_F(ScriptedSession, CutMeasureAndCamerasSurviveSaveAndReload) {
  ASSERT_GE(base.LoadFile(first.c_str(), nullptr, false), 8);
  view.plugin.Render();
  for (int x = 80; x < 100; x += 5) base.ManipFromPointerMove(kvx_BaseSDK::ROTATE, x, 60, x + 5, 62);
  view.plugin.OnEvent(200);  // back to the top view, where the corners are known
  view.plugin.Render();

  pointer(KVX_ACTION_SELECT, 30, 10, 60, 40, false);
  pointer(KVX_ACTION_SELECT, 30, 10, 60, 40, true);
  kvx_SceneInfo info;
  ASSERT_TRUE(base.GetSceneInfo(&info));
  EXPECT_EQ(info.selectedPoints, 1);

  ASSERT_TRUE(base.SetCutPlane(kvx_CutPlane::Y_PLAN));
  ASSERT_TRUE(base.SetCutPlanePos(0.25f));
  ASSERT_TRUE(base.SetCutPlaneOrient(true));
  base.SetCutPlane(kvx_CutPlane::NONE_PLAN);  // measure on the vertices
  view.plugin.OnEvent(1006);
  pointer(KVX_ACTION_MEASURE, 0, 0, 40, 100, true);
  pointer(KVX_ACTION_MEASURE, 0, 0, 120, 100, true);
  kvx_Measure measure;
  ASSERT_TRUE(view.plugin.GetMeasureData(&measure));
  EXPECT_FLOAT_EQ(measure.distance, 2);
  base.SetCutPlane(kvx_CutPlane::Y_PLAN);

  ASSERT_TRUE(base.AddCamera("Corner"));
  const int cameras = base.GetNbCameras();
  ASSERT_TRUE(base.SetCurrentCamera(cameras, false));
  ASSERT_TRUE(base.SetCurrentCameraField(0, "Left corner, from above"));
  ASSERT_GE(base.SaveFile(second.c_str(), nullptr), 8);

  base.CloseFile();
  ASSERT_GE(base.LoadFile(second.c_str(), nullptr, false), 8);
  kvx_CutPlane plane;
  ASSERT_TRUE(base.GetCutPlaneData(&plane));
  EXPECT_EQ(plane.plan, kvx_CutPlane::Y_PLAN);
  EXPECT_FLOAT_EQ(plane.position, 0.25f);
  EXPECT_TRUE(plane.inverted);
  ASSERT_TRUE(view.plugin.GetMeasureData(&measure));
  EXPECT_FLOAT_EQ(measure.distance, 2);
  ASSERT_EQ(base.GetNbCameras(), cameras);
  char* name = nullptr;
  ASSERT_TRUE(base.GetCameraName(cameras, &name));
  EXPECT_STREQ(name, "Corner");
  char* text = nullptr;
  ASSERT_TRUE(base.GetCurrentCameraField(cameras, &text));
  EXPECT_STREQ(text, "Left corner, from above");
}

}  // namespace
}  // namespace kvx::test
