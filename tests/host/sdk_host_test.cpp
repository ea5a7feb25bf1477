// What every host does: load the core library by path, find SDKInit, drive
// the object through its virtual table, destroy it, unload the library.
#include "kvx_sdk.h"
#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

namespace {

const std::string kCorePath = std::string(KVX_BIN_DIR) + "/plugins/libkvx_core.so";

class LoadedCore : public testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(kCorePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto init = reinterpret_cast<kvx_SDKInitFn>(dlsym(handle, "SDKInit"));
    ASSERT_NE(init, nullptr);
    sdk = init();
    ASSERT_NE(sdk, nullptr);
  }
  void TearDown() override {
    delete static_cast<kvx_BaseSDK*>(sdk);  // through the virtual destructor
    if (handle) {
      EXPECT_EQ(dlclose(handle), 0);
    }
  }
  kvx::test::TempEnv env;
  void* handle = nullptr;
  kvx_GL_Plugin* sdk = nullptr;
};

TEST_F(LoadedCore, AnswersSceneLessOperations) {
  EXPECT_STREQ(sdk->GetDescriptor(), "Kavrik GL SDK 1.0");
  EXPECT_EQ(sdk->GetNbCameras(), 0);
  EXPECT_EQ(sdk->GetCurrentCameraIndex(), 0);
  unsigned char r = 1, g = 2, b = 3;
  EXPECT_FALSE(sdk->GetBKColor(&r, &g, &b));
  EXPECT_FALSE(sdk->SetBKColor(1, 2, 3));
  EXPECT_FALSE(sdk->ResetManip());
  EXPECT_FALSE(sdk->ResetCurrentCameraManip());
  EXPECT_FALSE(sdk->Render()) << "no records bound";
  EXPECT_EQ(sdk->CloseFile(), 0);
  EXPECT_FALSE(sdk->GetScene(nullptr));
  kvx_Scene* exported = nullptr;
  EXPECT_FALSE(sdk->GetScene(&exported));
  EXPECT_EQ(sdk->GetFileSize(), 0);
  EXPECT_FALSE(sdk->OnEvent(123456));

  kvx_SceneInfo info;
  std::memset(&info, 0x5A, sizeof info);
  EXPECT_TRUE(sdk->GetInformation(&info));
  kvx_SceneInfo zero{};
  EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
  EXPECT_TRUE(sdk->GetSceneInfo(&info));

  EXPECT_TRUE(sdk->SetCursor(nullptr, 0, 0));
  EXPECT_FALSE(sdk->ShowCursor(false));
  EXPECT_FALSE(sdk->ShowCursor(true));
  EXPECT_TRUE(sdk->ShowCursor(true));
}

TEST_F(LoadedCore, BindsTheHostRecords) {
  kvx_FrameInfo frame{640, 480, 0, 0, 0, 0};
  kvx_ManipInfo manip{};
  manip.fieldOfView = 32;
  kvx_SystemInfo system{0, nullptr, nullptr};
  sdk->Resize(640, 480);  // no frame bound yet: nothing to store
  ASSERT_TRUE(sdk->InitDisplay(&system, &frame, &manip));
  EXPECT_EQ(manip.displayFlags, KVX_DISPLAY_FACES);
  sdk->ManipFromPointerMove(kvx_BaseSDK::ROTATE, 1, 2, 30, 40);
  EXPECT_EQ(frame.startX, 0) << "nothing moves without a scene";
  EXPECT_EQ(manip.fieldOfView, 32);
  EXPECT_EQ(manip.panX, 0);
  EXPECT_TRUE(sdk->Resize(320, 200));
  EXPECT_EQ(frame.width, 320);
  EXPECT_EQ(frame.height, 200);
}

TEST(CoreExports, OnlyTheEntryPointsAreVisible) {
  auto result = kvx::test::runCommand("nm -D --defined-only " + kCorePath + " | c++filt");
  ASSERT_EQ(result.status, 0);
  EXPECT_NE(result.output.find(" T SDKInit\n"), std::string::npos);
  EXPECT_NE(result.output.find(" T GZIP_Compress\n"), std::string::npos);
  EXPECT_NE(result.output.find(" T GZIP_UnCompress\n"), std::string::npos);
  EXPECT_NE(result.output.find("kvx_BaseSDK::GetDescriptor()"), std::string::npos);
  for (const char* internal : {"kvx::scene", "kvx::DebugLog", "kvx::registry", "kvx::geom", "deflate"})
    EXPECT_EQ(result.output.find(internal), std::string::npos) << internal << " is exported";
}

}  // namespace
