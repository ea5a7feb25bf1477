// The capture settings lines and the command file the dialog writes, read
// back through the core's own keyword rule where it matters.
#include "capture_command_file.h"
#include "capture_settings_file.h"
#include "file_size_limit.h"
#include "services/capture_options.h"
#include "temp_env.h"

#include <gtest/gtest.h>

using namespace kavrik;
using kvx::CaptureOption;
using kvx::test::readFile;
using kvx::test::writeFile;

TEST(CaptureSettingLines, ReadEveryFieldAndDefaultWhatIsMissing) {
  struct Case {
    const char* line;
    CaptureSetting expected;
  };
  CaptureSetting full{"Modeller 3", 1, 0, true, false, true, false, true, false, "PROESPECIAL|NOFONT",
                      "Main Window", "inch"};
  CaptureSetting fresh{"Sketcher", 2, 1, false, true, false, true, false, true, "NOSPECIAL", "", ""};
  CaptureSetting shortLine;  // defaults, but the fields given
  shortLine.name = "Old Tool";
  shortLine.windowName = "Drawing";
  shortLine.toggleMode = 1;
  CaptureSetting oddModes;
  oddModes.name = "Odd";
  oddModes.toggleMode = 0;     // 7 means no toggle in the command file
  oddModes.matrixMode = 2;     // and -1 neither matrix
  oddModes.optimise = false;   // anything but "true" is false
  const Case cases[] = {
      {"Modeller 3|Main Window|inch|1|0|true|false|true|false|true|false|PROESPECIAL|NOFONT|", full},
      {"Sketcher|||2|1|false|true|false|true|false|true|NOSPECIAL|", fresh},
      {"Old Tool|Drawing|mm|1", shortLine},
      {"Odd|No Window Name|mm|7|-1|false|false|false|TRUE|false|false|", oddModes},
  };
  for (const Case& c : cases) {
    auto read = parseSettingLine(c.line);
    ASSERT_TRUE(read) << c.line;
    EXPECT_EQ(*read, c.expected) << c.line;
  }
  EXPECT_FALSE(parseSettingLine(""));

  // Written lines read back the same, empty fields included.
  for (const CaptureSetting& s : {full, fresh}) EXPECT_EQ(parseSettingLine(settingLine(s)), s);
  EXPECT_EQ(settingLine(fresh), "Sketcher|||2|1|false|true|false|true|false|true|NOSPECIAL|");
}

TEST(CaptureSettingFiles, FindReadsTheFirstLineOfANameOrTheDefaults) {
  kvx::test::TempEnv env;
  const std::string path = env.path("predefined_settings.txt").string();
  writeFile(path, "\r\nA|w|cm|1|0|true|true|true|true|true|true|\r\n\nA|x|m|0|0|false|false|false|false|false|false|\n");
  EXPECT_EQ(readSettingsFile(path).size(), 2u) << "empty lines and CR are ignored";
  EXPECT_EQ(findSetting(path, "A").units, "cm");
  CaptureSetting defaults;
  defaults.name = "B";
  EXPECT_EQ(findSetting(path, "B"), defaults);
  EXPECT_EQ(findSetting(env.path("missing.txt").string(), "B"), defaults);
  EXPECT_TRUE(readSettingsFile(env.path("missing.txt").string()).empty());
}

TEST(CaptureSettingFiles, StoreReplacesTheLineOfTheNameAndKeepsTheOthers) {
  kvx::test::TempEnv env;
  const std::string path = env.path("custom_settings.txt").string();
  writeFile(path, "First|||0|1|false|false|false|true|false|false|NOSPECIAL|\n"
                  "Second|||0|1|false|false|false|true|false|false|NOSPECIAL|\n");
  CaptureSetting first = *parseSettingLine("First|||2|0|true|true|true|true|true|true|NOSPECIAL|");
  ASSERT_TRUE(storeSetting(path, first));
  CaptureSetting third;
  third.name = "Third";
  ASSERT_TRUE(storeSetting(path, third));
  EXPECT_EQ(readFile(path),
            "First|||2|0|true|true|true|true|true|true|NOSPECIAL|\n"
            "Second|||0|1|false|false|false|true|false|false|NOSPECIAL|\n"
            "Third|No Window Name|mm|0|1|false|false|false|true|false|false|\n");

  // A full disk leaves the file as it was.
  const std::string before = readFile(path);
  {
    kvx::test::FileSizeLimit full(16);
    EXPECT_FALSE(storeSetting(path, first));
  }
  EXPECT_EQ(readFile(path), before);
}

TEST(CaptureCommandFile, IsWrittenKeywordByKeyword) {
  CaptureSetting a{"Modeller 3", 1, 0, true, true, true, true, true, true, "PROESPECIAL|NOFONT", "W", "mm"};
  EXPECT_EQ(commandFileText(a),
            "Modeller 3\nMATRIX1\nM.ATRIX2\nNOTEXTURE\nD.NOTHING\nN.OCONTINUOUSCAPTURE\n"
            "TOGGLEONCLEAR\nT.OGGLEONFLUSH\nNOWIREFRAME\nNOPOINTS\nCAPTURELINEASSOLID\nN.OOPTIM\n"
            "RECOMPUTENORMALS\nPROESPECIAL\nNOFONT\n");
  CaptureSetting b{"Sketcher", 2, 1, false, false, false, false, false, false, "NOSPECIAL", "", ""};
  EXPECT_EQ(commandFileText(b),
            "Sketcher\nM.ATRIX1\nMATRIX2\nN.OTEXTURE\nD.NOTHING\nNOCONTINUOUSCAPTURE\n"
            "T.OGGLEONCLEAR\nTOGGLEONFLUSH\nN.OWIREFRAME\nN.OPOINTS\nC.APTURELINEASSOLID\nNOOPTIM\n"
            "R.ECOMPUTENORMALS\nNOSPECIAL\n");
  CaptureSetting c{"Viewer", 0, 2, false, true, false, true, false, false, "", "", ""};
  EXPECT_EQ(commandFileText(c),
            "Viewer\nM.ATRIX1\nM.ATRIX2\nN.OTEXTURE\nD.NOTHING\nNOCONTINUOUSCAPTURE\n"
            "T.OGGLEONCLEAR\nT.OGGLEONFLUSH\nN.OWIREFRAME\nN.OPOINTS\nCAPTURELINEASSOLID\nN.OOPTIM\n"
            "R.ECOMPUTENORMALS\n");
}

// Every combination, read back through the interceptor's rule (a keyword is
// on when it occurs anywhere): each choice switches exactly its keywords.
TEST(CaptureCommandFile, EveryCombinationReadsBackAsChosen) {
  using O = CaptureOption;
  for (int toggle = 0; toggle < 3; ++toggle)
    for (int matrix = 0; matrix < 3; ++matrix)
      for (int flags = 0; flags < 64; ++flags) {
        CaptureSetting s;
        s.name = "App";
        s.toggleMode = toggle;
        s.matrixMode = matrix;
        s.noWireframe = flags & 1;
        s.linesAsSolid = flags & 2;
        s.noTexture = flags & 4;
        s.optimise = flags & 8;
        s.recomputeNormals = flags & 16;
        s.continuousCapture = flags & 32;
        s.specialKeywords = "NOSPECIAL";
        kvx::resetCaptureOptions();
        kvx::applyCaptureOptions(commandFileText(s));
        const std::pair<O, bool> expected[] = {
            {O::MATRIX1, matrix == 0},          {O::MATRIX2, matrix == 1},
            {O::TOGGLEONCLEAR, toggle == 1},    {O::TOGGLEONFLUSH, toggle == 2},
            {O::NOWIREFRAME, s.noWireframe},    {O::NOPOINTS, s.noWireframe},
            {O::CAPTURELINEASSOLID, s.linesAsSolid}, {O::NOTEXTURE, s.noTexture},
            {O::NOOPTIM, !s.optimise},          {O::RECOMPUTENORMALS, s.recomputeNormals},
            {O::NOCONTINUOUSCAPTURE, !s.continuousCapture},
        };
        for (auto [option, on] : expected)
          ASSERT_EQ(kvx::captureOption(option), on)
              << kvx::captureOptionKeywords()[static_cast<size_t>(option)] << " toggle " << toggle << " matrix "
              << matrix << " flags " << flags;
      }
  kvx::resetCaptureOptions();
}

// An application named like the marker, or a keyword that reads as it,
// must not hand the generated lines to the user's section: they would be
// kept, and pile up, at every later write.
TEST(CaptureCommandFile, AMarkerInTheSettingStaysOutOfTheUsersSection) {
  kvx::test::TempEnv env;
  const std::string path = env.path("kavrik_cmd.txt").string();
  struct Case {
    const char* name;
    const char* keywords;
    const char* expectedKeywords;
  };
  const Case cases[] = {
      {"__________", "NOFONT", "NOFONT\n"},
      {"App", "NOFONT|__________|TRACEOGL", "NOFONT\nTRACEOGL\n"},
      {"App", "__________\r", ""},
  };
  for (const Case& c : cases) {
    CaptureSetting s;
    s.name = c.name;
    s.specialKeywords = c.keywords;
    const std::string text = commandFileText(s);
    EXPECT_EQ(text.substr(text.size() - std::string(c.expectedKeywords).size()), c.expectedKeywords) << c.keywords;
    writeFile(path, "Old\n__________\nmy notes\n");
    ASSERT_TRUE(writeCommandFile(path, s));
    ASSERT_TRUE(writeCommandFile(path, s));
    EXPECT_EQ(readFile(path), text + "__________\nmy notes\n") << c.name << " " << c.keywords;
  }
}

TEST(CaptureCommandFile, KeepsTheUsersSectionFromItsMarkerOn) {
  kvx::test::TempEnv env;
  const std::string path = env.path("kavrik_cmd.txt").string();
  CaptureSetting s;
  s.name = "App";
  s.specialKeywords = "NOFONT";
  struct Case {
    const char* previous;
    const char* kept;
  };
  const Case cases[] = {
      {"Old\nMATRIX1\n__________\nTRACEOGL\nmy notes\n", "__________\nTRACEOGL\nmy notes\n"},
      {"Old\r\n__________\r\nSTARTSTOP", "__________\r\nSTARTSTOP"},
      {"Old\nMATRIX1\nno marker here\n_________\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    writeFile(path, c.previous);
    ASSERT_TRUE(writeCommandFile(path, s));
    EXPECT_EQ(readFile(path), commandFileText(s) + c.kept) << c.previous;
  }
  EXPECT_EQ(kvx::capturedApplicationName(path), "App") << "the name the frame and the core read back";
  EXPECT_TRUE(writeCommandFile(env.path("new_cmd.txt").string(), s)) << "a missing file is written";

  const std::string before = readFile(path);
  {
    kvx::test::FileSizeLimit full(8);
    EXPECT_FALSE(writeCommandFile(path, s));
  }
  EXPECT_EQ(readFile(path), before);
}
