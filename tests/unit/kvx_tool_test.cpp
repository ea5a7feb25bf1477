#include "kvx_version.h"
#include "run_command.h"

#include <gtest/gtest.h>

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

}  // namespace
