#include "kvx_version.h"
#include "run_command.h"

#include <gtest/gtest.h>

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

TEST(KvxTool, UsageErrorsExitWithTwoAndOneLine) {
  for (const char* args : {"", " no-such-command"}) {
    auto result = kvx::test::runCommand(kKvx + args + " 2>&1");
    EXPECT_EQ(result.status, 2) << args;
    EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
  }
}

}  // namespace
