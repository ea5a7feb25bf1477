// kvx render from the command line: arguments and failures.
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

}  // namespace
}  // namespace kvx::test
