// How the interceptor combines a program's settings line with the command file.
#include "interceptor_options.h"

#include <gtest/gtest.h>

namespace kvx::capture {
namespace {

bool on(const OptionSet& o, CaptureOption option) { return o[static_cast<size_t>(option)]; }

TEST(InterceptorOptions, SettingsLineFieldsTurnOnTheirKeywords) {
  const struct {
    const char* line;
    std::vector<CaptureOption> expected;
  } cases[] = {
      {"app|||0|0|false|false|false|true|false|true|NOSPECIAL|", {CaptureOption::MATRIX1}},
      {"app|||1|1|true|false|false|true|false|true|", {CaptureOption::TOGGLEONCLEAR, CaptureOption::MATRIX2,
                                                        CaptureOption::NOWIREFRAME, CaptureOption::NOPOINTS}},
      {"app|||2|2|false|true|true|false|true|false|TRACEOGL|3DSSPECIAL|",
       {CaptureOption::TOGGLEONFLUSH, CaptureOption::DONTUSEMATRIX, CaptureOption::CAPTURELINEASSOLID,
        CaptureOption::NOTEXTURE, CaptureOption::NOOPTIM, CaptureOption::RECOMPUTENORMALS,
        CaptureOption::NOCONTINUOUSCAPTURE, CaptureOption::TRACEOGL, CaptureOption::THREEDS_SPECIAL}},
      {"app|w|mm|", {CaptureOption::NOCONTINUOUSCAPTURE}},  // a short line keeps the defaults
  };
  for (const auto& c : cases) {
    const OptionSet options = optionsOfSettingsLine(c.line);
    OptionSet expected{};
    for (CaptureOption o : c.expected) expected[static_cast<size_t>(o)] = true;
    EXPECT_EQ(options, expected) << c.line;
  }
}

TEST(InterceptorOptions, CommandFileDecidesTheKeywordsItNames) {
  OptionSet options = optionsOfSettingsLine("app|||0|1|false|false|true|true|false|false|");
  ASSERT_TRUE(on(options, CaptureOption::MATRIX2));
  applyCommandFile(options, "app\nMATRIX1\nM.ATRIX2\nN.OTEXTURE\nD.NOTHING\n");
  EXPECT_TRUE(on(options, CaptureOption::MATRIX1));
  EXPECT_FALSE(on(options, CaptureOption::MATRIX2)) << "its disabled form turns it off";
  EXPECT_FALSE(on(options, CaptureOption::NOTEXTURE));
  EXPECT_TRUE(on(options, CaptureOption::NOCONTINUOUSCAPTURE)) << "not named: the settings line stands";
}

}  // namespace
}  // namespace kvx::capture
