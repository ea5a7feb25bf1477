#include "platform/registry_store.h"
#include "sdk/plugin_state.h"
#include "services/capture_options.h"
#include "services/paths.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using registry::Hive;
namespace fs = std::filesystem;

class CaptureHandshake : public testing::Test {
 protected:
  void SetUp() override {
    registry::setString(Hive::LocalMachine, kCaptureInstallKey, "InstallPath", env.path("inst").string());
    unsetenv("VisualizationOutput");
    env.set("CAT_FaceCull", "7");
    unsetenv("CAT_TwoSide");
    resetCaptureOptions();
    sdkObject = std::make_unique<kvx_GL_Plugin>();  // builds its paths from the registered folder
  }
  void TearDown() override { resetCaptureOptions(); }
  std::optional<std::string> userVariable(const char* name) {
    return registry::getString(Hive::CurrentUser, "Environment", name);
  }

  test::TempEnv env;
  std::unique_ptr<kvx_GL_Plugin> sdkObject;
  fs::path files() { return env.path("inst/Files"); }
};

TEST_F(CaptureHandshake, FullSequenceThroughTheFiles) {
  ASSERT_TRUE(sdkObject->EnableCapture(true));
  EXPECT_TRUE(fs::exists(files() / "vieweron.cmd"));
  EXPECT_EQ(userVariable("VisualizationOutput"), "1");
  EXPECT_EQ(userVariable("CAT_FaceCull"), "0");
  EXPECT_EQ(userVariable("CAT_TwoSide"), "0");

  ASSERT_TRUE(sdkObject->CaptureNow(0, nullptr));
  EXPECT_TRUE(fs::exists(files() / "view2capt.cmd"));
  EXPECT_FALSE(sdkObject->IsCaptureOk(nullptr)) << "no result yet";

  // The interceptor reports progress as a number, then writes the scene.
  test::writeFile(files() / "LastCapture.kvx", "42 objects so far");
  EXPECT_TRUE(sdkObject->IsCaptureOk(nullptr));
  EXPECT_TRUE(sdkObject->OnEvent(2002));
  test::writeFile(files() / "LastCapture.kvx", "0");
  EXPECT_FALSE(sdkObject->IsCaptureOk(nullptr));
  test::writeFile(files() / "LastCapture.kvx", std::string("\x2a\x00\x00\x00\x10\x00\x00\x00", 8));
  EXPECT_FALSE(sdkObject->IsCaptureOk(nullptr)) << "a finished scene file does not start with a number";

  EXPECT_TRUE(sdkObject->OnEvent(2001));
  EXPECT_FALSE(fs::exists(files() / "LastCapture.kvx"));
  EXPECT_FALSE(sdkObject->OnEvent(2001));

  test::writeFile(files() / "capt2view.cmd", "");
  test::writeFile(files() / "LastCapture.kvx", "not a scene");
  EXPECT_FALSE(sdkObject->LoadCapture(nullptr));
  EXPECT_FALSE(fs::exists(files() / "LastCapture.kvx")) << "a failed load removes the result";
  EXPECT_FALSE(fs::exists(files() / "capt2view.cmd")) << "and the notice";

  ASSERT_TRUE(sdkObject->EnableCapture(false));
  EXPECT_FALSE(fs::exists(files() / "vieweron.cmd"));
  EXPECT_FALSE(fs::exists(files() / "view2capt.cmd"));
  EXPECT_FALSE(userVariable("VisualizationOutput")) << "unset before, so deleted";
  EXPECT_EQ(userVariable("CAT_FaceCull"), "7") << "restored";
}

TEST_F(CaptureHandshake, MarkerThatExistedBeforeIsKept) {
  test::writeFile(files() / "vieweron.cmd", "");
  ASSERT_TRUE(sdkObject->EnableCapture(true));
  ASSERT_TRUE(sdkObject->DisableCapture());
  EXPECT_TRUE(fs::exists(files() / "vieweron.cmd"));
}

TEST_F(CaptureHandshake, EnvironmentIsLeftAloneWhenAsked) {
  test::writeFile(files() / "kavrik_cmd.txt", "CATIAENVOFF\n");
  ASSERT_TRUE(sdkObject->EnableCapture(true));
  EXPECT_FALSE(userVariable("VisualizationOutput"));
  ASSERT_TRUE(sdkObject->EnableCapture(false));
  EXPECT_FALSE(userVariable("CAT_FaceCull"));
}

TEST_F(CaptureHandshake, UnwritableEnvironmentWarnsButStillEnables) {
  test::writeFile(env.path("blocker"), "");
  env.set("KAVRIK_REGISTRY_DIR", env.path("blocker/registry"));
  testing::internal::CaptureStderr();
  EXPECT_TRUE(sdkObject->EnableCapture(true));
  EXPECT_NE(testing::internal::GetCapturedStderr().find(
                "Insufficient Privleges: You do not have permission to create environment variables."),
            std::string::npos);
}

}  // namespace
}  // namespace kvx
