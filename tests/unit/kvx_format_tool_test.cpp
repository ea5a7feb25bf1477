// kvx sample, info and convert, run as a user would.
#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kKvx = std::string(KVX_BIN_DIR) + "/kvx";

class KvxFormatTool : public ::testing::Test {
 protected:
  void SetUp() override {
    sample = env.path("sample.kvx").string();
    ASSERT_EQ(kvx::test::runCommand(kKvx + " sample " + sample).status, 0);
  }
  kvx::test::CommandResult kvx(const std::string& args) { return kvx::test::runCommand(kKvx + " " + args); }
  // Runs a Python expression (no single quotes) over the JSON that `kvx info --json ARGS` prints.
  std::string query(const std::string& args, const std::string& expression) {
    const std::string script = "import json,sys; d=json.load(sys.stdin); print(" + expression + ")";
    return kvx(args + " 2>/dev/null | /usr/bin/python3 -c '" + script + "'").output;
  }

  kvx::test::TempEnv env;
  std::string sample;
};

TEST_F(KvxFormatTool, InfoDescribesTheSampleScene) {
  auto info = kvx("info --json --objects " + sample);
  EXPECT_EQ(info.status, 0);
  const std::string args = "info --json --objects " + sample;
  EXPECT_EQ(query(args, "d[\"result\"] == " + std::to_string(std::filesystem::file_size(sample))), "True\n");
  EXPECT_EQ(query(args, "d[\"version\"], d[\"objects\"], len(d[\"objectList\"])"), "43 11 11\n");
  EXPECT_EQ(query(args, "[v[\"name\"] for v in d[\"views\"]]"), "['Current View', 'Overview', 'Front', 'Top']\n");
  EXPECT_EQ(query(args, "all(v[\"annotation\"] for v in d[\"views\"][1:]), d[\"currentView\"]"), "True 1\n");
  EXPECT_EQ(query(args, "sorted(set(o[\"type\"] for o in d[\"objectList\"]))"),
            "['line', 'line_loop', 'line_strip', 'points', 'polygon', 'quad_strip', 'quads_list', 'tri_fan', "
            "'tri_indexed', 'tri_list']\n");
  EXPECT_EQ(query(args, "[l[\"kind\"] for l in d[\"lights\"]], d[\"textures\"][0][\"width\"]"),
            "['ambient', 'directional', 'point'] 64\n");
  EXPECT_EQ(query(args, "d[\"authorStamp\"][0], d[\"cutPlane\"], d[\"cutBox\"]"), "Kavrik sample scene None None\n");
  EXPECT_EQ(query(args, "d[\"triangles\"] == sum(o[\"triangles\"] for o in d[\"objectList\"])"), "True\n");

  auto text = kvx("info " + sample);
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.output.find("Objects:     11"), std::string::npos) << text.output;
}

TEST_F(KvxFormatTool, SampleIsTheSameEveryTime) {
  const std::string again = env.path("again.kvx").string();
  ASSERT_EQ(kvx("sample " + again).status, 0);
  EXPECT_EQ(kvx::test::readFile(sample), kvx::test::readFile(again));
}

TEST_F(KvxFormatTool, InfoFailuresAndUsage) {
  auto missing = kvx("info --json " + env.path("missing.kvx").string() + " 2>&1");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("File does not exist"), std::string::npos);
  EXPECT_NE(missing.output.find("{\"result\":3,"), std::string::npos) << missing.output;
  for (const char* args : {"info", "info --bogus x.kvx", "info a.kvx b.kvx", "info --pass"})
    EXPECT_EQ(kvx(std::string(args) + " 2>/dev/null").status, 2) << args;
}

TEST_F(KvxFormatTool, ConvertEnciphersAndStores) {
  const std::string secret = env.path("secret.kvx").string();
  ASSERT_EQ(kvx("convert " + sample + " " + secret + " --pass 'p w' --key-bytes 7").status, 0);
  EXPECT_EQ(kvx::test::readFile(secret)[2], 0x07);
  auto locked = kvx("info --json " + secret + " 2>&1");
  EXPECT_EQ(locked.status, 1);
  EXPECT_NE(locked.output.find("the file is enciphered; give its pass phrase with --pass"), std::string::npos);
  EXPECT_EQ(query("info --json " + secret, "d[\"result\"]"), "7\n");
  EXPECT_EQ(kvx("info --pass 'p w' " + secret + " >/dev/null").status, 0);
  EXPECT_EQ(kvx("info --pass wrong " + secret + " 2>/dev/null >/dev/null").status, 1);

  const std::string stored = env.path("stored.kvx").string();
  ASSERT_EQ(kvx("convert " + secret + " " + stored + " --in-pass 'p w' --no-compress").status, 0);
  EXPECT_EQ(kvx::test::readFile(stored)[2], 0x00);
  EXPECT_EQ(query("info --json --objects " + stored, "d[\"objects\"], d[\"vertices\"]"),
            query("info --json --objects " + sample, "d[\"objects\"], d[\"vertices\"]"));
}

TEST_F(KvxFormatTool, ConvertFailuresAndUsage) {
  const std::string out = env.path("out.kvx").string();
  EXPECT_EQ(kvx("convert " + env.path("none.kvx").string() + " " + out + " 2>/dev/null").status, 1);
  EXPECT_EQ(kvx("convert " + sample + " " + env.path("no/such/dir/x.kvx").string() + " 2>/dev/null").status, 1);
  for (const std::string& args : {"convert " + sample, "convert " + sample + " " + out + " --key-bytes 8",
                                 "convert " + sample + " " + out + " --pass", std::string("convert a b c")})
    EXPECT_EQ(kvx(args + " 2>/dev/null").status, 2) << args;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Each mistake gets a message that says what to do, never a bare error number.
TEST_F(KvxFormatTool, MistakesAreExplained) {
  const std::string missingFolder = env.path("no/such/dir").string();
  const std::string enciphered = env.path("locked.kvx").string();
  ASSERT_EQ(kvx("convert " + sample + " " + enciphered + " --pass secret").status, 0);
  const struct {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"convert " + sample + " " + env.path("out.xyz").string(), 2, "OUT ends in .kvx, .obj, .stl, .ply, .gltf, .glb or .dxf"},
      {"convert " + sample + " " + missingFolder + "/x.kvx", 1, "the folder '" + missingFolder + "' does not exist; create it first"},
      {"convert " + enciphered + " " + env.path("plain.kvx").string(), 1, "give its pass phrase with --in-pass"},
      {"render " + enciphered + " -o " + env.path("x.png").string(), 1, "give its pass phrase with --pass"},
      {"render " + sample + " -o " + missingFolder + "/x.png", 1, "does not exist; create it first"},
      {"sample " + missingFolder + "/s.kvx", 1, "does not exist; create it first"},
  };
  for (const auto& c : cases) {
    auto result = kvx(c.args + " 2>&1");
    EXPECT_EQ(result.status, c.status) << c.args;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << c.args << "\n" << result.output;
    EXPECT_EQ(result.output.find("error "), std::string::npos) << result.output;
  }
  EXPECT_FALSE(std::filesystem::exists(env.path("out.xyz")));
  EXPECT_FALSE(std::filesystem::exists(env.path("plain.kvx")));
}

}  // namespace
