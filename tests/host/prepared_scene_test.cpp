// Reading files on a worker thread into a prepared scene, adopting it, and
// exporting to common formats, through the library as a host loads it.
#include "generated_models.h"
#include "kvx_sdk.h"
#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
const std::string kPluginFolder = std::string(KVX_BIN_DIR) + "/plugins";

// One loaded copy of the core and one SDK object from it.
class Core {
 public:
  explicit Core(const fs::path& library) {
    handle_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle_, nullptr) << dlerror();
    if (!handle_) return;
    auto init = reinterpret_cast<kvx_SDKInitFn>(dlsym(handle_, "SDKInit"));
    sdk_ = init ? init() : nullptr;
  }
  ~Core() {
    delete static_cast<kvx_BaseSDK*>(sdk_);
    if (handle_) dlclose(handle_);
  }
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;
  kvx_GL_Plugin* operator->() { return sdk_; }
  explicit operator bool() const { return sdk_ != nullptr; }

 private:
  void* handle_ = nullptr;
  kvx_GL_Plugin* sdk_ = nullptr;
};

kvx_SceneInfo infoOf(kvx_GL_Plugin* sdk) {
  kvx_SceneInfo info{};
  sdk->GetInformation(&info);
  return info;
}

struct Read {
  int result = 0;
  kvx_PreparedScene* prepared = nullptr;
  std::string error;
  std::vector<float> reports;
  bool onCallerThread = false;
};

// Reads on a thread of its own, as a window does; `stopAfter` reports
// (negative: never) the callback asks to stop.
Read readOnWorker(kvx_GL_Plugin* sdk, const std::string& path, const char* phrase = nullptr, int stopAfter = -1) {
  struct Context {
    Read* read;
    int stopAfter;
    std::thread::id caller;
  };
  Read read;
  Context context{&read, stopAfter, std::this_thread::get_id()};
  const auto progress = [](void* raw, float value) -> int {
    auto* c = static_cast<Context*>(raw);
    c->read->reports.push_back(value);
    c->read->onCallerThread = c->read->onCallerThread || std::this_thread::get_id() == c->caller;
    return c->stopAfter >= 0 && int(c->read->reports.size()) > c->stopAfter ? 1 : 0;
  };
  std::thread worker([&] {
    char error[512] = "unset";
    read.result = sdk->ReadPreparedScene(path.c_str(), phrase, progress, &context, &read.prepared, error, sizeof error);
    read.error = error;
  });
  worker.join();
  return read;
}

class PreparedScenes : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core);
    ASSERT_EQ(kvx::test::runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + sample).status, 0);
    kvx::test::writeGridPly(ply, 4);
    kvx::test::writeGridGltf(gltf, 3);
  }
  kvx::test::TempEnv env;
  Core core{kPluginFolder + "/libkvx_core.so"};
  const std::string sample = env.path("sample.kvx").string();
  const std::string ply = env.path("grid.ply").string();
  const std::string gltf = env.path("grid.gltf").string();
};

TEST_F(PreparedScenes, AReadOnAWorkerAdoptsAsLoadFileELoads) {
  for (const std::string& path : {sample, ply, gltf}) {
    SCOPED_TRACE(path);
    Core reference{kPluginFolder + "/libkvx_core.so"};
    const int loaded = reference->LoadFileE(path.c_str(), nullptr, false, nullptr);
    ASSERT_GT(loaded, 7);

    ASSERT_GT(core->LoadFileE(sample.c_str(), nullptr, false, nullptr), 7);
    const kvx_SceneInfo before = infoOf(core.operator->());
    Read read = readOnWorker(core.operator->(), path);
    ASSERT_EQ(read.result, loaded) << read.error;
    ASSERT_NE(read.prepared, nullptr);
    EXPECT_EQ(read.error, "");
    EXPECT_FALSE(read.reports.empty());
    EXPECT_FALSE(read.onCallerThread);
    const kvx_SceneInfo during = infoOf(core.operator->());
    EXPECT_EQ(std::memcmp(&before, &during, sizeof before), 0) << "the current scene is untouched";

    EXPECT_EQ(core->AdoptPreparedScene(read.prepared), loaded);
    const kvx_SceneInfo adopted = infoOf(core.operator->());
    const kvx_SceneInfo expected = infoOf(reference.operator->());
    EXPECT_EQ(std::memcmp(&adopted, &expected, sizeof adopted), 0);
    EXPECT_EQ(core->GetNbCameras(), reference->GetNbCameras());
    EXPECT_EQ(core->GetFileSize(), reference->GetFileSize());
  }
}

TEST_F(PreparedScenes, AStopFromTheCallbackKeepsTheCurrentScene) {
  ASSERT_GT(core->LoadFileE(sample.c_str(), nullptr, false, nullptr), 7);
  const kvx_SceneInfo before = infoOf(core.operator->());
  for (const std::string& path : {sample, ply, gltf}) {
    for (int stopAfter : {0, 1}) {
      SCOPED_TRACE(path + " stopped after " + std::to_string(stopAfter));
      Read read = readOnWorker(core.operator->(), path, nullptr, stopAfter);
      EXPECT_EQ(read.result, KVX_READ_CANCELLED);
      EXPECT_EQ(read.prepared, nullptr);
      EXPECT_EQ(read.error, "Loading was cancelled.");
      const kvx_SceneInfo after = infoOf(core.operator->());
      EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    }
  }
  EXPECT_GT(core->GetFileSize(), 7) << "the scene is still usable";
}

TEST_F(PreparedScenes, FailuresSayWhy) {
  kvx::test::writeFile(env.path("broken.gltf"), "{ \"asset\": ");
  kvx::test::writeFile(env.path("broken.kvx"), "not a scene at all");
  const struct {
    std::string path;
    int result;
    const char* text;
  } cases[] = {{env.path("missing.kvx").string(), 3, "File does not exist"},
               {env.path("missing.gltf").string(), 3, "File does not exist"},
               {env.path("broken.kvx").string(), 1, "File is not a Kavrik file"},
               {env.path("broken.gltf").string(), 1, "Could not import 'broken.gltf': "},
               {"", 3, "File does not exist"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Read read = readOnWorker(core.operator->(), c.path);
    EXPECT_EQ(read.result, c.result);
    EXPECT_EQ(read.prepared, nullptr);
    EXPECT_EQ(read.error.rfind(c.text, 0), 0u) << read.error;
    EXPECT_EQ(core->LoadFileE(c.path.c_str(), nullptr, false, nullptr), c.result) << "LoadFileE agrees";
  }
  char error[64];
  EXPECT_EQ(core->ReadPreparedScene(sample.c_str(), nullptr, nullptr, nullptr, nullptr, error, sizeof error), 6);
  EXPECT_EQ(core->AdoptPreparedScene(nullptr), 6);
  core->DiscardPreparedScene(nullptr);
}

TEST_F(PreparedScenes, AnEncipheredFileNeedsItsPhraseAndAPreparedSceneCanBeDropped) {
  ASSERT_GT(core->LoadFileE(sample.c_str(), nullptr, false, nullptr), 7);
  const std::string secret = env.path("secret.kvx").string();
  const kvx_CryptoDesc crypto{"open sesame", 16};
  ASSERT_GT(core->SaveFileE(secret.c_str(), nullptr, &crypto), 7);
  EXPECT_EQ(readOnWorker(core.operator->(), secret).result, 7);
  Read read = readOnWorker(core.operator->(), secret, "open sesame");
  ASSERT_GT(read.result, 7) << read.error;
  core->DiscardPreparedScene(read.prepared);
}

TEST_F(PreparedScenes, ExportedModelsReadBack) {
  ASSERT_GT(core->LoadFileE(ply.c_str(), nullptr, false, nullptr), 7);
  const int triangles = infoOf(core.operator->()).triangles;
  ASSERT_EQ(triangles, 32);
  for (const char* name : {"out.obj", "out.glb", "out.stl"}) {
    SCOPED_TRACE(name);
    const std::string path = env.path(name).string();
    char error[256] = "unset";
    EXPECT_GT(core->ExportFile(path.c_str(), error, sizeof error), 7) << error;
    EXPECT_STREQ(error, "");
    Core reader{kPluginFolder + "/libkvx_core.so"};
    ASSERT_GT(reader->LoadFileE(path.c_str(), nullptr, false, nullptr), 7);
    EXPECT_EQ(infoOf(reader.operator->()).triangles, triangles);
  }
  char error[256];
  EXPECT_EQ(core->ExportFile(env.path("out.xyz").c_str(), error, sizeof error), 6);
  EXPECT_NE(std::string(error).find("*.obj"), std::string::npos) << error;
}

TEST_F(PreparedScenes, AnEditLockedSceneRefusesExport) {
  ASSERT_GT(core->LoadFileE(sample.c_str(), nullptr, false, nullptr), 7);
  ASSERT_TRUE(core->SetPasswords(nullptr, "writer"));
  const std::string locked = env.path("locked.kvx").string();
  ASSERT_GT(core->SaveFileE(locked.c_str(), nullptr, nullptr), 7);
  Read read = readOnWorker(core.operator->(), locked);
  ASSERT_GT(core->AdoptPreparedScene(read.prepared), 7);
  EXPECT_EQ(core->CheckPasswords(nullptr, nullptr), 2) << "adoption sets the locks as LoadFileE does";
  char error[256];
  const std::string out = env.path("out.obj").string();
  EXPECT_EQ(core->ExportFile(out.c_str(), error, sizeof error), 6);
  EXPECT_NE(std::string(error).find("protected"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(core->CheckPasswords(nullptr, "writer"), 0);
  EXPECT_GT(core->ExportFile(out.c_str(), error, sizeof error), 7) << error;
}

// A core installed without the exchange module still opens scene files and
// says what is missing for models.
TEST(PreparedSceneWithoutExchange, ModelsFailWithAClearText) {
  kvx::test::TempEnv env;
  const fs::path alone = env.path("alone");
  fs::create_directories(alone);
  fs::copy_file(kPluginFolder + "/libkvx_core.so", alone / "libkvx_core.so");
  const std::string sample = env.path("sample.kvx").string();
  ASSERT_EQ(kvx::test::runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + sample).status, 0);
  const std::string ply = kvx::test::writeGridPly(env.path("grid.ply"), 2).string();

  Core core{alone / "libkvx_core.so"};
  ASSERT_TRUE(core);
  ASSERT_GT(core->LoadFileE(sample.c_str(), nullptr, false, nullptr), 7);
  Read read = readOnWorker(core.operator->(), ply);
  EXPECT_EQ(read.result, 1);
  EXPECT_EQ(read.prepared, nullptr);
  EXPECT_NE(read.error.find("libkvx_exchange.so"), std::string::npos) << read.error;
  char error[256];
  EXPECT_EQ(core->ExportFile(env.path("out.obj").c_str(), error, sizeof error), 6);
  EXPECT_NE(std::string(error).find("libkvx_exchange.so"), std::string::npos) << error;
  EXPECT_GT(core->GetFileSize(), 7) << "the scene stays";
}

}  // namespace
