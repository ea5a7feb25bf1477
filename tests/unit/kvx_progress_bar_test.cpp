// The progress bar of kvx convert and render.
#include "progress_bar.h"

#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace {

TEST(KvxProgressBar, LineShowsTheFractionDoneAndClampsTheRest) {
  const struct {
    float fraction;
    const char* line;
  } cases[] = {{0, "reading [..........]   0%"},
               {0.5f, "reading [#####.....]  50%"},
               {1, "reading [##########] 100%"},
               {7, "reading [##########] 100%"},
               {-3, "reading [..........]   0%"}};
  for (const auto& c : cases) EXPECT_EQ(kvx::tool::progressLine("reading", c.fraction, 10), c.line) << c.fraction;
}

TEST(KvxProgressBar, SilentWhenStandardErrorIsNoTerminal) {
  kvx::test::TempEnv env;
  const std::string kvx = std::string(KVX_BIN_DIR) + "/kvx";
  const std::string sample = env.path("s.kvx").string();
  ASSERT_EQ(kvx::test::runCommand(kvx + " sample " + sample).status, 0);
  auto converted = kvx::test::runCommand(kvx + " convert " + sample + " " + env.path("c.kvx").string() + " 2>&1");
  EXPECT_EQ(converted.status, 0);
  EXPECT_EQ(converted.output, "");
}

}  // namespace
