#include "format/sample_scene.h"
#include "platform/registry_store.h"
#include "scene_builders.h"
#include "sdk/plugin_state.h"
#include "services/capture_options.h"
#include "services/paths.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace kvx {
namespace {

namespace fs = std::filesystem;

// An SDK object bound to host records, as the desktop program binds it.
class LoadedSdk : public testing::Test {
 protected:
  void SetUp() override {
    registry::setString(registry::Hive::LocalMachine, kCaptureInstallKey, "InstallPath", env.path("inst").string());
    resetCaptureOptions();
    // Every load reloads the options from the command file, as in a real installation.
    test::writeFile(env.path("inst/Files/kavrik_cmd.txt"), "D.NOTHING\n");
    sdk = std::make_unique<kvx_GL_Plugin>();
    manip.fieldOfView = 32;
    sdk->InitDisplay(&system, &frame, &manip);
  }
  void TearDown() override { resetCaptureOptions(); }

  // Writes a scene file; returns its path.
  std::string writeScene(scene& s, const std::string& name, const kvx_CryptoDesc* crypto = nullptr) {
    const std::string path = env.path(name).string();
    EXPECT_GT(s.Write(path.c_str(), crypto, 0, true, nullptr, nullptr, nullptr), 7);
    return path;
  }
  std::string writeSample(const std::string& name, const kvx_CryptoDesc* crypto = nullptr) {
    scene s;
    buildSampleScene(s);
    return writeScene(s, name, crypto);
  }
  kvx_GL_Plugin::State& state() { return sdk->state(); }

  test::TempEnv env;
  kvx_SystemInfo system{0, nullptr, nullptr};
  kvx_FrameInfo frame{640, 480, 0, 0, 0, 0};
  kvx_ManipInfo manip{};
  std::unique_ptr<kvx_GL_Plugin> sdk;
};

TEST_F(LoadedSdk, NullPathReturnsSixAndKeepsTheScene) {
  const std::string path = writeSample("a.kvx");
  ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, false), 7);
  const scene* before = state().scene.get();
  EXPECT_EQ(sdk->LoadFile(nullptr, nullptr, false), 6);
  EXPECT_EQ(state().scene.get(), before);
}

TEST_F(LoadedSdk, LoadTakesTheFilesCamerasAndSaveRoundTrips) {
  const std::string path = writeSample("a.kvx");
  const int size = sdk->LoadFile(path.c_str(), nullptr, false);
  ASSERT_EQ(size, static_cast<int>(fs::file_size(path)));
  EXPECT_EQ(sdk->GetNbCameras(), 3);
  char* name = nullptr;
  ASSERT_TRUE(sdk->GetCameraName(0, &name));
  EXPECT_EQ(manip.displayFlags & KVX_DISPLAY_FACES, KVX_DISPLAY_FACES);
  EXPECT_FALSE(state().files.loading);

  const std::string copy = env.path("copy.kvx").string();
  const int saved = sdk->SaveFile(copy.c_str(), nullptr);
  ASSERT_GT(saved, 7);
  EXPECT_EQ(saved, static_cast<int>(fs::file_size(copy)));
  EXPECT_EQ(sdk->GetFileSize(), saved) << "counting writes the same bytes";
  kvx_GL_Plugin other;
  ASSERT_GT(other.LoadFile(copy.c_str(), nullptr, false), 7);
  EXPECT_EQ(other.state().scene->objectCount(), state().scene->objectCount());
}

TEST_F(LoadedSdk, SceneWithoutUserCamerasGetsADefaultView) {
  scene s;
  test::addObject(s, test::unitSquare());
  s.updateBounds();
  const std::string path = writeScene(s, "plain.kvx");
  ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, false), 7);
  ASSERT_EQ(sdk->GetNbCameras(), 1);
  char* name = nullptr;
  ASSERT_TRUE(sdk->GetCameraName(1, &name));
  EXPECT_STREQ(name, "Default View");
}

TEST_F(LoadedSdk, MergingIntoAnEmptySceneIsAPlainLoad) {
  const std::string path = writeSample("a.kvx");
  kvx_GL_Plugin plain;
  ASSERT_GT(plain.LoadFile(path.c_str(), nullptr, false), 7);
  ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, true), 7);
  EXPECT_EQ(sdk->GetNbCameras(), plain.GetNbCameras());
  EXPECT_EQ(state().scene->objectCount(), plain.state().scene->objectCount());
}

TEST_F(LoadedSdk, MergingAddsTheObjectsOfAnotherFile) {
  scene first;
  test::addObject(first, test::unitSquare());
  first.updateBounds();
  scene second;
  test::addObject(second, test::objectOf(tri_list, {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}}));
  second.objects[0]->diffuse[0] = 10;  // a different look: not merged into the square
  second.updateBounds();
  ASSERT_GT(sdk->LoadFile(writeScene(first, "1.kvx").c_str(), nullptr, false), 7);
  ASSERT_GT(sdk->LoadFile(writeScene(second, "2.kvx").c_str(), nullptr, true), 7);
  EXPECT_EQ(state().scene->objectCount(), 2);
  EXPECT_FLOAT_EQ(manip.bounds[1], 6) << "the view fits both";
}

TEST_F(LoadedSdk, FailedLoadLeavesNoScene) {
  test::writeFile(env.path("bad.kvx"), "not a scene file");
  EXPECT_LE(sdk->LoadFile(env.path("bad.kvx").c_str(), nullptr, false), 7);
  EXPECT_EQ(state().scene, nullptr);
  EXPECT_EQ(sdk->LoadFile(env.path("missing.kvx").c_str(), nullptr, false), 3);
}

TEST_F(LoadedSdk, EncipheredFilesNeedTheirPassPhrase) {
  const kvx_CryptoDesc crypto{"open sesame", 7};
  const std::string path = writeSample("secret.kvx", &crypto);
  EXPECT_EQ(sdk->LoadFile(path.c_str(), nullptr, false), 7);
  EXPECT_LE(sdk->LoadFileE(path.c_str(), nullptr, false, "wrong"), 7);
  EXPECT_GT(sdk->LoadFileE(path.c_str(), nullptr, false, "open sesame"), 7);

  const kvx_CryptoDesc badKey{"x", 5};
  EXPECT_EQ(sdk->SaveFileE(env.path("k.kvx").c_str(), nullptr, &badKey), 6);
  EXPECT_FALSE(fs::exists(env.path("k.kvx")));
}

TEST_F(LoadedSdk, PasswordsLockTheLoadedScene) {
  scene s;
  buildSampleScene(s);
  s.readPassword = true;
  s.readPasswordText = "Ylhk";  // "Read", shifted
  s.writePassword = true;
  s.writePasswordText = "^yp{l";  // "Write", shifted
  ASSERT_GT(sdk->LoadFile(writeScene(s, "locked.kvx").c_str(), nullptr, false), 7);
  EXPECT_TRUE(state().files.viewLocked);
  EXPECT_TRUE(state().files.editLocked);
  EXPECT_EQ(sdk->SaveFile(env.path("out.kvx").c_str(), nullptr), 6);
  EXPECT_EQ(sdk->CheckPasswords("read", nullptr), 2);
  EXPECT_EQ(sdk->CheckPasswords(nullptr, "WRITE"), 0);
  EXPECT_GT(sdk->SaveFile(env.path("out.kvx").c_str(), nullptr), 7);
  sdk->CloseFile();
  EXPECT_FALSE(state().files.viewLocked);
}

TEST_F(LoadedSdk, MeasurementAndCuttingPlaneComeBackFromTheFile) {
  const std::string path = writeSample("a.kvx");
  ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, false), 7);
  state().drag.measurement.record = std::make_unique<kvx_Measure>(kvx_Measure{{1, 2, 3}, {4, 6, 3}, 5});
  manip.measure = state().drag.measurement.record.get();
  ASSERT_TRUE(sdk->SetCutPlane(kvx_CutPlane::Y_PLAN));
  ASSERT_TRUE(sdk->SetCutPlanePos(0.25f));
  const std::string saved = env.path("measured.kvx").string();
  ASSERT_GT(sdk->SaveFile(saved.c_str(), nullptr), 7);

  kvx_SystemInfo system2{0, nullptr, nullptr};
  kvx_FrameInfo frame2{640, 480, 0, 0, 0, 0};
  kvx_ManipInfo manip2{};
  kvx_GL_Plugin other;
  other.InitDisplay(&system2, &frame2, &manip2);
  ASSERT_GT(other.LoadFile(saved.c_str(), nullptr, false), 7);
  ASSERT_NE(manip2.measure, nullptr);
  EXPECT_EQ(manip2.measure->pointB[1], 6);
  EXPECT_EQ(manip2.measure->distance, 5);
  ASSERT_NE(manip2.cutPlane, nullptr);
  EXPECT_EQ(manip2.cutPlane->plan, kvx_CutPlane::Y_PLAN);
  EXPECT_FLOAT_EQ(manip2.cutPlane->position, 0.25f);
}

TEST_F(LoadedSdk, AMeasurementDoesNotReachTheNextFile) {
  const std::string path = writeSample("a.kvx");
  for (const bool closeFirst : {false, true}) {
    ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, false), 7);
    kvx::Measurement& measurement = state().drag.measurement;
    measurement.mode = true;  // as OnEvent(1006) sets it, without drawing
    measurement.record = std::make_unique<kvx_Measure>(kvx_Measure{{1, 2, 3}, {4, 6, 3}, 5});
    manip.measure = measurement.record.get();
    measurement.pending = true;
    if (closeFirst) sdk->CloseFile();
    ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, false), 7);
    EXPECT_EQ(manip.measure, nullptr) << closeFirst;
    EXPECT_FALSE(state().drag.measurement.pending) << closeFirst;
    EXPECT_FALSE(state().drag.measurement.mode) << closeFirst;
  }
}

TEST_F(LoadedSdk, CaptureIsOptimisedReducedByTheReferenceAndWrittenBack) {
  scene reference;
  test::addObject(reference, test::objectOf(tri_list, {{9, 9, 9}, {10, 9, 9}, {9, 10, 9}}));
  reference.objects[0]->diffuse[1] = 7;
  reference.updateBounds();
  ASSERT_TRUE(sdk->LoadDiffScene(writeScene(reference, "diff.kvx").c_str()));

  scene capture;
  test::addObject(capture, test::objectOf(tri_list, {{9, 9, 9}, {10, 9, 9}, {9, 10, 9}}));
  capture.objects[0]->diffuse[1] = 7;  // static content, unlike the rest
  test::addObject(capture, test::objectOf(tri_strip, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
  test::addObject(capture, test::objectOf(tri_strip, {{2, 0, 0}, {3, 0, 0}, {2, 1, 0}, {3, 1, 0}}));
  capture.sceneFlags = SCENE_RAW_CAPTURE;
  capture.updateBounds();
  const std::string path = writeScene(capture, "capture.kvx");
  ASSERT_GT(sdk->LoadFile(path.c_str(), nullptr, false), 7);
  const scene& loaded = *state().scene;
  EXPECT_EQ(loaded.sceneFlags & SCENE_RAW_CAPTURE, 0u);

  scene written;
  bool raw = true;
  ASSERT_GT(written.Read(path.c_str(), nullptr, &raw, nullptr, nullptr, nullptr, false), 7);
  EXPECT_FALSE(raw) << "the processed capture replaced the raw one";
  EXPECT_EQ(written.objectCount(), loaded.objectCount());
  EXPECT_LT(loaded.objectCount(), 3);

  EXPECT_FALSE(sdk->LoadDiffScene(env.path("missing.kvx").c_str()));
  EXPECT_EQ(state().files.diffScene, nullptr);
}

TEST_F(LoadedSdk, CaptureHandshakeWithAStandInInterceptor) {
  const fs::path files = env.path("inst/Files");
  ASSERT_TRUE(sdk->EnableCapture(true));
  const std::string program = std::string(KVX_TEST_BIN_DIR) + "/stand_in_interceptor";
  std::string folder = files.string();
  char* argv[] = {const_cast<char*>(program.c_str()), folder.data(), const_cast<char*>("20"), nullptr};
  pid_t pid;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
  ASSERT_TRUE(sdk->CaptureNow(0, nullptr));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::exists(files / "capt2view.cmd") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(sdk->IsCaptureOk(nullptr)) << "a finished scene file";
  ASSERT_TRUE(sdk->LoadCapture(nullptr));
  EXPECT_EQ(state().scene->objectCount(), 1) << "the two look-alike pieces were merged";
  ASSERT_TRUE(sdk->DisableCapture());
  EXPECT_FALSE(fs::exists(files / "LastCapture.kvx"));
  EXPECT_FALSE(fs::exists(files / "vieweron.cmd"));
}

}  // namespace
}  // namespace kvx
