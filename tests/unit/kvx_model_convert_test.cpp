// kvx convert between scene files and the common model formats, run as a user would.
#include "exchange/model_exchange.h"
#include "model_fixtures.h"
#include "run_command.h"
#include "scene/scene.h"
#include "scene_builders.h"
#include "temp_env.h"

#include "kvx_sdk.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
const std::string kKvx = std::string(KVX_BIN_DIR) + "/kvx";

class KvxModelConvert : public ::testing::Test {
 protected:
  kvx::test::CommandResult kvx(const std::string& args) { return kvx::test::runCommand(kKvx + " " + args); }
  // A Python expression (no single quotes) over the JSON of `kvx info --json ARGS`.
  std::string query(const std::string& args, const std::string& expression) {
    const std::string script = "import json,sys; d=json.load(sys.stdin); print(" + expression + ")";
    return kvx("info --json " + args + " 2>/dev/null | /usr/bin/python3 -c '" + script + "'").output;
  }
  std::string path(const std::string& name) const { return env.path(name).string(); }

  kvx::test::TempEnv env;
};

TEST_F(KvxModelConvert, ModelsBecomeSceneFilesWithTheirCamerasLightsAndTextures) {
  const std::string stage = kvx::test::writeColladaStage(env.root()).string();
  ASSERT_EQ(kvx("convert " + stage + " " + path("stage.kvx")).status, 0);
  EXPECT_EQ(query("--objects " + path("stage.kvx"), "d[\"objects\"], d[\"triangles\"], d[\"currentView\"]"), "2 2 1\n");
  EXPECT_EQ(query(path("stage.kvx"), "[v[\"name\"] for v in d[\"views\"]]"), "['Current View', 'Front', 'Side']\n");
  EXPECT_EQ(query(path("stage.kvx"), "sorted(l[\"kind\"] for l in d[\"lights\"]), d[\"authorStamp\"][4]"),
            "['directional', 'point'] stage.dae\n");

  // The scene-file options hold for imported models too.
  const std::string square = kvx::test::writeTexturedObj(env.root()).string();
  ASSERT_EQ(kvx("convert " + square + " " + path("square.kvx") + " --pass secret --key-bytes 7").status, 0);
  EXPECT_EQ(kvx::test::readFile(path("square.kvx"))[2], 0x07);
  EXPECT_EQ(query("--pass secret " + path("square.kvx"), "[(t[\"width\"], t[\"height\"]) for t in d[\"textures\"]]"),
            "[(2, 2)]\n");
  ASSERT_EQ(kvx("convert " + square + " " + path("plain.kvx") + " --no-compress").status, 0);
  EXPECT_EQ(kvx::test::readFile(path("plain.kvx"))[2], 0x00);
}

TEST_F(KvxModelConvert, SceneFilesHoldWhatWasImported) {
  const fs::path box = kvx::test::kAssimpModels / "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
  ASSERT_EQ(kvx("convert " + box.string() + " " + path("box.kvx")).status, 0);
  kvx::scene imported, stored;
  std::string error;
  ASSERT_TRUE(kvx::importModel(box, imported, error)) << error;
  ASSERT_GT(stored.Read(path("box.kvx").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, false), 7);
  ASSERT_EQ(stored.objectCount(), imported.objectCount());
  for (int i = 0; i < stored.objectCount(); ++i) {
    EXPECT_EQ(stored.objects[i]->geometry->triangleTable, imported.objects[i]->geometry->triangleTable);
    EXPECT_EQ(stored.objects[i]->textureName, imported.objects[i]->textureName);
  }
  ASSERT_EQ(stored.textures.size(), 1u);
  EXPECT_EQ(stored.textures.entries().begin()->second->bitmap, imported.textures.entries().begin()->second->bitmap);
  EXPECT_EQ(stored.sceneFlags, imported.sceneFlags);
}

TEST_F(KvxModelConvert, SceneFilesBecomeModelsForOtherTools) {
  ASSERT_EQ(kvx("sample " + path("sample.kvx")).status, 0);
  // Encryption is no protection of the scene: an enciphered file exports with its pass phrase.
  ASSERT_EQ(kvx("convert " + path("sample.kvx") + " " + path("secret.kvx") + " --pass 'p w'").status, 0);
  for (const char* name : {"sample.obj", "sample.stl", "sample.gltf", "sample.glb"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(kvx("convert " + path("secret.kvx") + " " + path(name) + " --in-pass 'p w'").status, 0);
    kvx::scene back;
    std::string error;
    EXPECT_TRUE(kvx::importModel(path(name), back, error)) << error;
    EXPECT_GT(back.objectCount(), 0);
  }
}

TEST_F(KvxModelConvert, FailuresWriteNothing) {
  const std::string out = path("out.kvx");
  kvx::test::writeFile(env.path("broken.ply"), "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nend_header\n1\n");
  auto broken = kvx("convert " + path("broken.ply") + " " + out + " 2>&1");
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.output.find("kvx convert: " + path("broken.ply") + ": "), std::string::npos) << broken.output;
  EXPECT_EQ(kvx("convert " + path("missing.obj") + " " + out + " 2>/dev/null").status, 1);
  EXPECT_FALSE(fs::exists(out));

  // A scene with a password is not handed out unprotected.
  kvx::scene guarded;
  kvx::test::addObject(guarded, kvx::test::unitSquare());
  guarded.createCurrentView();  // passwords are stored with the views
  guarded.writePassword = true;
  guarded.writePasswordText = "xyz";
  const kvx_CryptoDesc plain = {nullptr, 16};
  ASSERT_GT(guarded.Write(path("guarded.kvx").c_str(), &plain, 0, false, nullptr, nullptr, nullptr), 7);
  auto refused = kvx("convert " + path("guarded.kvx") + " " + path("guarded.obj") + " 2>&1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("protected by a password"), std::string::npos) << refused.output;
  EXPECT_FALSE(fs::exists(path("guarded.obj")));

  ASSERT_EQ(kvx("sample " + path("sample.kvx")).status, 0);
  for (const std::string& args : {"convert " + path("sample.kvx") + " " + path("x.glb") + " --pass p",
                                 "convert " + path("sample.kvx") + " " + path("x.obj") + " --no-compress",
                                 "convert " + path("broken.ply") + " " + out + " --in-pass p"})
    EXPECT_EQ(kvx(args + " 2>/dev/null").status, 2) << args;
  EXPECT_FALSE(fs::exists(path("x.glb")));
  EXPECT_FALSE(fs::exists(path("x.obj")));
}

}  // namespace
