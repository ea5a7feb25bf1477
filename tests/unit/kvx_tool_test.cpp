#include "kvx_version.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kKvx = std::string(KVX_BIN_DIR) + "/kvx";

TEST(KvxTool, HelpAndVersion) {
  auto help = kvx::test::runCommand(kKvx + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("Usage: kvx <command>"), std::string::npos);
  auto version = kvx::test::runCommand(kKvx + " --version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "kvx " KVX_VERSION "\n");
}

// Each subcommand's help names every option its usage line shows.
TEST(KvxTool, EachCommandExplainsEveryOption) {
  const struct {
    const char* command;
    std::vector<std::string> options;
  } cases[] = {{"convert", {"IN", "OUT", "--pass", "--key-bytes", "--no-compress", "--in-pass"}},
               {"render", {"FILE", "-o", "--size", "--view", "--pass"}},
               {"info", {"FILE", "--json", "--objects", "--pass"}},
               {"sample", {"OUT.kvx"}},
               {"capture", {"-o", "--frame", "--raw", "--reference", "--attach", "--"}}};
  for (const auto& c : cases) {
    auto help = kvx::test::runCommand(kKvx + " " + c.command + " --help");
    EXPECT_EQ(help.status, 0) << c.command;
    const size_t explained = help.output.find("\n\n  ");
    ASSERT_NE(explained, std::string::npos) << help.output;
    for (const std::string& option : c.options)
      EXPECT_NE(help.output.find("\n  " + option + " ", explained), std::string::npos) << c.command << " " << option;
  }
}

TEST(KvxTool, UsageErrorsExitWithTwoAndOneLine) {
  for (const char* args : {"", " no-such-command"}) {
    auto result = kvx::test::runCommand(kKvx + args + " 2>&1");
    EXPECT_EQ(result.status, 2) << args;
    EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
  }
}

// Converting and inspecting must not pay for loading the off-screen GL
// library; only kvx-draw, which kvx hands the drawing commands to, maps it.
TEST(KvxTool, StartsWithoutTheOffscreenGlLibrary) {
  auto kvx = kvx::test::runCommand("LD_TRACE_LOADED_OBJECTS=1 " + kKvx);
  ASSERT_NE(kvx.output.find("libc.so"), std::string::npos) << kvx.output;
  EXPECT_EQ(kvx.output.find("OSMesa"), std::string::npos) << kvx.output;
  auto draw = kvx::test::runCommand("LD_TRACE_LOADED_OBJECTS=1 " + std::string(KVX_BIN_DIR) + "/kvx-draw");
  EXPECT_NE(draw.output.find("OSMesa"), std::string::npos) << draw.output;
}

// A kvx copied away from kvx-draw says so instead of failing silently.
TEST(KvxTool, DrawingCommandWithoutItsProgramIsAnError) {
  const auto folder = std::filesystem::path(testing::TempDir()) / "kvx_alone";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(kKvx, folder / "kvx", std::filesystem::copy_options::overwrite_existing);
  auto result = kvx::test::runCommand((folder / "kvx").string() + " render x.kvx -o x.png 2>&1");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("kvx render: cannot start " + (folder / "kvx-draw").string()), std::string::npos)
      << result.output;
  std::filesystem::remove_all(folder);
}

}  // namespace
