// kvx render from the command line: arguments and failures.
#include "golden_file.h"
#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvx::test {
namespace {

const std::string kKvx = std::string(KVX_BIN_DIR) + "/kvx";

TEST(KvxRender, BadArgumentsAreUsageErrors) {
  const char* cases[] = {
      "render",                                     // no file
      "render in.kvx",                              // no output
      "render in.kvx -o out.png --size 0x10",       // empty size
      "render in.kvx -o out.png --size 800",        // malformed size
      "render in.kvx -o out.png --view sideways",   // unknown view
      "render in.kvx -o out.png --pass",            // missing value
      "render a.kvx b.kvx -o out.png",              // two inputs
  };
  for (const char* args : cases) {
    const CommandResult result = runCommand(kKvx + " " + args + " 2>&1");
    EXPECT_EQ(result.status, 2) << args;
    EXPECT_NE(result.output.find("kvx: render: "), std::string::npos) << result.output;
  }
}

uint32_t bigEndian(const std::string& bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
         uint32_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
}

TEST(KvxRender, TheSampleSceneBecomesAPictureOfTheAskedSize) {
  TempEnv dir;
  const std::string sample = dir.path("sample.kvx").string();
  ASSERT_EQ(runCommand(kKvx + " sample " + sample).status, 0);
  std::string pictures[2];
  const char* views[2] = {"camera", "top"};
  for (int i = 0; i < 2; ++i) {
    const std::string out = dir.path(std::string(views[i]) + ".png").string();
    const CommandResult result =
        runCommand(kKvx + " render " + sample + " -o " + out + " --size 320x200 --view " + views[i] + " 2>&1");
    ASSERT_EQ(result.status, 0) << result.output;
    pictures[i] = readFile(out);
    ASSERT_GT(pictures[i].size(), 24u);
    EXPECT_EQ(pictures[i].substr(1, 3), "PNG");
    EXPECT_EQ(bigEndian(pictures[i], 16), 320u);
    EXPECT_EQ(bigEndian(pictures[i], 20), 200u);
  }
  EXPECT_NE(pictures[0], pictures[1]) << "the two views show different pictures";
}

// What the sample scene looks like, against pictures kept in tests/data.
TEST(KvxRender, TheSampleSceneMatchesItsBaselinePictures) {
  TempEnv dir;
  const std::string sample = dir.path("sample.kvx").string();
  ASSERT_EQ(runCommand(kKvx + " sample " + sample).status, 0);
  for (const std::string view : {"camera", "top"}) {
    const std::string out = dir.path(view + ".png").string();
    const CommandResult result =
        runCommand(kKvx + " render " + sample + " -o " + out + " --size 320x200 --view " + view + " 2>&1");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(matchesBaseline(out, kTestData / "baselines" / ("sample_" + view + ".png"))) << view;
  }
}

TEST(KvxRender, AFileThatCannotBeLoadedFailsWithoutWritingAPicture) {
  TempEnv dir;
  writeFile(dir.path("junk.kvx"), "not a scene at all");
  for (const char* name : {"missing.kvx", "junk.kvx"}) {
    const std::string in = dir.path(name).string(), out = dir.path("out.png").string();
    const CommandResult result = runCommand(kKvx + " render " + in + " -o " + out + " 2>&1");
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_NE(result.output.find("kvx render: " + in + ": "), std::string::npos) << result.output;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

// A model in a common format is drawn as it would open once imported, and
// leaves no temporary scene file behind.
TEST(KvxRender, ModelsAreDrawnAsTheyImport) {
  TempEnv dir;
  const std::string out = dir.path("duck.png").string();
  const std::filesystem::path scratch = dir.path("scratch");
  std::filesystem::create_directories(scratch);
  const CommandResult result = runCommand("TMPDIR=" + scratch.string() + " " + kKvx +
                                          " render /usr/share/assimp/models/Collada/duck.dae -o " + out +
                                          " --size 64x48 2>&1");
  ASSERT_EQ(result.status, 0) << result.output;
  const std::string picture = readFile(out);
  ASSERT_GT(picture.size(), 24u);
  EXPECT_EQ(bigEndian(picture, 16), 64u);
  EXPECT_TRUE(std::filesystem::is_empty(scratch)) << "the temporary scene file is gone";

  writeFile(dir.path("broken.obj"), "f 1 2 3\n");
  const CommandResult broken = runCommand(kKvx + " render " + dir.path("broken.obj").string() + " -o " + out + " 2>&1");
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.output.find("kvx render: " + dir.path("broken.obj").string() + ": "), std::string::npos)
      << broken.output;
}

}  // namespace
}  // namespace kvx::test
