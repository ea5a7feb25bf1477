// The exchange library's C interface, as a program that loads it at run
// time will call it, and the promise that loading the core never loads it.
#include "exchange/exchange_interface.h"
#include "run_command.h"
#include "scene/scene.h"
#include "scene_builders.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ExchangeInterface, WrittenModelReadsBack) {
  kvx::test::TempEnv env;
  kvx::scene written;
  kvx::test::addObject(written, kvx::test::unitSquare());
  written.updateBounds();
  const std::string path = env.path("square.obj").string();
  char error[256] = "";
  ASSERT_EQ(kvx_ExchangeExport(&written, path.c_str(), error, sizeof error), 0) << error;
  kvx::scene read;
  ASSERT_EQ(kvx_ExchangeImport(path.c_str(), &read, error, sizeof error), 0) << error;
  ASSERT_EQ(read.objects.size(), 1u);
  EXPECT_EQ(read.objects[0]->geometry->triangleCount(), 2);
}

TEST(ExchangeInterface, FailuresGiveMinusOneAndATerminatedReason) {
  kvx::test::TempEnv env;
  kvx::scene s;
  kvx::test::addObject(s, kvx::test::unitSquare());
  const std::string missing = env.path("missing.obj").string();
  const std::string unknown = env.path("scene.xyz").string();
  char error[256];
  EXPECT_EQ(kvx_ExchangeImport(missing.c_str(), &s, error, sizeof error), -1);
  EXPECT_GT(std::strlen(error), 0u);
  EXPECT_EQ(kvx_ExchangeExport(&s, unknown.c_str(), error, sizeof error), -1);
  EXPECT_NE(std::string(error).find(".xyz"), std::string::npos) << error;
  EXPECT_EQ(kvx_ExchangeImport(nullptr, &s, error, sizeof error), -1);
  EXPECT_EQ(kvx_ExchangeExport(nullptr, unknown.c_str(), error, sizeof error), -1);

  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(kvx_ExchangeExport(&s, unknown.c_str(), small, sizeof small), -1);
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
  EXPECT_EQ(kvx_ExchangeExport(&s, unknown.c_str(), nullptr, 0), -1);
}

TEST(ExchangeInterface, ListsTheFormatsItReadsAndWrites) {
  EXPECT_EQ(kvx_ExchangeVersion(), KVX_EXCHANGE_INTERFACE_VERSION);
  EXPECT_STREQ(kvx_ExchangeExtensions(KVX_EXCHANGE_WRITE), "*.obj;*.stl;*.ply;*.gltf;*.glb");
  const std::string read = kvx_ExchangeExtensions(KVX_EXCHANGE_READ);
  for (const char* pattern : {"*.obj", "*.stl", "*.ply", "*.gltf", "*.glb", "*.fbx"})
    EXPECT_NE(read.find(pattern), std::string::npos) << pattern;
}

TEST(ExchangeInterface, TheCoreLibraryDoesNotLoadIt) {
  const auto needed = kvx::test::runCommand("ldd " KVX_BIN_DIR "/plugins/libkvx_core.so");
  ASSERT_EQ(needed.status, 0);
  EXPECT_EQ(needed.output.find("assimp"), std::string::npos) << needed.output;
  const auto symbols = kvx::test::runCommand("nm -D --defined-only " KVX_BIN_DIR "/plugins/libkvx_core.so");
  EXPECT_EQ(symbols.output.find("kvx_Exchange"), std::string::npos);
}

}  // namespace
