#include "platform/registry_store.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/paths.h"
#include "services/texture_dump.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <sstream>

namespace kvx {
namespace {

using registry::Hive;

TEST(Paths, MissingInstallFolderIsRegisteredAndCreated) {
  test::TempEnv env;
  EXPECT_FALSE(filesFolder());
  const std::string fallback = env.path("data/kavrik").string();
  EXPECT_EQ(installFolderCreating(), fallback);
  EXPECT_EQ(registry::getString(Hive::LocalMachine, kCaptureInstallKey, "InstallPath"), fallback);
  EXPECT_TRUE(std::filesystem::is_directory(fallback + "/Files"));
  EXPECT_EQ(filesFolder(), fallback + "/Files/");
}

TEST(Paths, TableExpandsTemplatesBelowFiles) {
  test::TempEnv env;
  registry::setString(Hive::LocalMachine, kCaptureInstallKey, "InstallPath", "/opt/kavrik/");
  PathTable table = buildPathTable();
  EXPECT_EQ(table.captureScene, "/opt/kavrik/Files/LastCapture.kvx");
  EXPECT_EQ(table.commandFile, "/opt/kavrik/Files/kavrik_cmd.txt");
  EXPECT_EQ(table.viewerToCapture, "/opt/kavrik/Files/view2capt.cmd");
  EXPECT_EQ(table.captureToViewer, "/opt/kavrik/Files/capt2view.cmd");
  EXPECT_EQ(table.viewerRunning, "/opt/kavrik/Files/vieweron.cmd");
  EXPECT_EQ(table.customSettings, "/opt/kavrik/Files/custom_settings.txt");
  EXPECT_EQ(table.predefinedSettings, "/opt/kavrik/Files/predefined_settings.txt");
  EXPECT_EQ(table.home, "/opt/kavrik");
  EXPECT_EQ(table.resources, "/opt/kavrik/resources/");
  // The text after the last "%" is what counts; no "%" expands to nothing.
  EXPECT_EQ(expandPathTemplate("a%b%c.txt"), "/opt/kavrik/Files/c.txt");
  EXPECT_FALSE(expandPathTemplate("plain.txt"));
}

TEST(Paths, ApplicationFolders) {
  test::TempEnv env;
  EXPECT_FALSE(applicationFolder("My App"));
  const std::string install = env.path("inst").string();
  registry::setString(Hive::LocalMachine, kCaptureInstallKey, "InstallPath", install);
  EXPECT_EQ(applicationFolder("Default"), install + "/Files/");
  auto folder = applicationFolder("My App/v2 x");
  EXPECT_EQ(folder, install + "/Files/My_App_v2_x/");
  EXPECT_TRUE(std::filesystem::is_directory(*folder));
  EXPECT_EQ(applicationFolder(".."), install + "/Files/__/") << "never a folder outside Files";
  EXPECT_EQ(applicationFolder("."), install + "/Files/_/");
}

TEST(Paths, TextureLogNamesCountFromOne) {
  test::TempEnv env;
  resetTextureLogCounter();
  EXPECT_EQ(nextTextureLogName(), env.path("state/kavrik/CaptureTexture001.bmp").string());
  EXPECT_EQ(nextTextureLogName(), env.path("state/kavrik/CaptureTexture002.bmp").string());
  resetTextureLogCounter();
  EXPECT_EQ(nextTextureLogName(), env.path("state/kavrik/CaptureTexture001.bmp").string());
}

class CaptureOptions : public testing::Test {
 protected:
  void SetUp() override { resetCaptureOptions(); }
  void TearDown() override { resetCaptureOptions(); }
  std::vector<std::string> onOptions() {
    std::vector<std::string> on;
    for (size_t i = 0; i < kCaptureOptionCount; ++i)
      if (captureOption(static_cast<CaptureOption>(i))) on.emplace_back(captureOptionKeywords()[i]);
    return on;
  }
  test::TempEnv env;
};

TEST_F(CaptureOptions, StartWithOnlyCaptureToRam) {
  EXPECT_EQ(onOptions(), std::vector<std::string>{"CAPTURETORAM"});
}

TEST_F(CaptureOptions, ContentTurnsOnEveryKeywordItContains) {
  struct Case {
    const char* content;
    std::vector<std::string> on;
  } cases[] = {
      {"NOOPTIMXYZ", {"NOOPTIM"}},
      {"N.OOPTIM\nD.NOTHING\n", {}},
      {"3DSSPECIAL", {"3DSSPECIAL"}},
      {"MATRIX12CAPTURES", {"2CAPTURES", "MATRIX1"}},
      {"FORCELIGHTINCAPTUREDAPP\nNOLIGHT", {"NOLIGHT"}},
      {"noooptim NOOPTIM", {"NOOPTIM"}},
      {"TRACEONLYCAPTURE", {"TRACEONLYCAPTURE"}},
  };
  for (const Case& c : cases) {
    applyCaptureOptions(c.content);
    EXPECT_EQ(onOptions(), c.on) << c.content;
  }
}

TEST_F(CaptureOptions, MissingOrEmptyFileKeepsCurrentValues) {
  setCaptureOption(CaptureOption::NOOPTIM, true);
  reloadCaptureOptions(env.path("missing.txt").string());
  test::writeFile(env.path("empty.txt"), "");
  reloadCaptureOptions(env.path("empty.txt").string());
  EXPECT_EQ(onOptions(), (std::vector<std::string>{"NOOPTIM", "CAPTURETORAM"}));
  test::writeFile(env.path("cmd.txt"), "NOLIGHT\n");
  reloadCaptureOptions(env.path("cmd.txt").string());
  EXPECT_EQ(onOptions(), std::vector<std::string>{"NOLIGHT"});
}

TEST_F(CaptureOptions, FirstLineNamesTheApplication) {
  struct Case {
    const char* content;
    std::optional<std::string> name;
  } cases[] = {
      {"\r\n\nMy App\r\nNOOPTIM\n", "My App"},
      {"MATRIX1\nApp\n", std::nullopt},
      {"M.ATRIX1\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    test::writeFile(env.path("cmd.txt"), c.content);
    EXPECT_EQ(capturedApplicationName(env.path("cmd.txt").string()), c.name) << c.content;
  }
  EXPECT_EQ(capturedApplicationName(env.path("none.txt").string()), std::nullopt);
}

TEST(TextureDump, WritesA32BitBmpWithTheStoredBytes) {
  test::TempEnv env;
  const uint8_t pixels[] = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::string path = env.path("t.bmp").string();
  dumpTextureBmp(path, 2, 1, pixels);
  const std::string bmp = test::readFile(path);
  ASSERT_EQ(bmp.size(), 62u);
  auto u32 = [&](size_t at) { return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 |
                                     uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 3])) << 24; };
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(u32(2), 62u);
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 2u);
  EXPECT_EQ(u32(22), 1u);
  EXPECT_EQ(uint8_t(bmp[28]), 32);
  EXPECT_EQ(u32(34), 8u);
  EXPECT_EQ(u32(38), 10u);
  EXPECT_EQ(bmp.substr(54), std::string(reinterpret_cast<const char*>(pixels), 8));
  dumpTextureBmp(env.path("no/such/folder/t.bmp").string(), 2, 1, pixels);  // skipped silently
}

class DebugLogTest : public testing::Test {
 protected:
  test::TempEnv env;
  DebugLog log;
  std::string file = env.path("log.txt").string();
};

TEST_F(DebugLogTest, RecordFormatAndLevels) {
  log.setOutput(file, true);
  log.setLevel(1);
  log.prolog(2, "scene.cpp", 12);
  log.message("scene::Read: bad header information\n");
  EXPECT_FALSE(std::filesystem::exists(file)) << "opened lazily, and level 1 writes nothing";
  log.setLevel(2);
  log.prolog(2, "scene.cpp", 12);
  log.message("scene::Read: bad header %s\n", "information");
  log.prolog(3, "tex.cpp", 5);
  log.message("warning\n");
  EXPECT_EQ(test::readFile(file), "2:scene.cpp:12:scene::Read: bad header information\n");
  log.pushLevel(4);
  EXPECT_TRUE(log.enabled(LOG_INFO));
  log.popLevel();
  EXPECT_FALSE(log.enabled(LOG_WARNING));
}

TEST_F(DebugLogTest, TimeStampEndsWithAColon) {
  log.setOutput(file, true);
  log.setLevel(8);
  log.setTimeStamp(true);
  log.prolog(4, "a.cpp", 1);
  log.message("x\n");
  EXPECT_TRUE(std::regex_match(test::readFile(file), std::regex(R"(\d{12}:4:a\.cpp:1:x\n)")));
}

TEST_F(DebugLogTest, TruncateEmptiesOnceAndReopenAppends) {
  test::writeFile(file, "old\n");
  log.setLevel(2);
  log.setOutput(file, false);
  log.prolog(2, "f", 1);
  log.message("appended\n");
  EXPECT_EQ(test::readFile(file), "old\n2:f:1:appended\n");
  log.setOutput(file, true);
  log.setReopenEachMessage(true);
  log.prolog(2, "f", 2);
  log.message("a\n");
  log.prolog(2, "f", 3);
  log.message("b\n");
  EXPECT_EQ(test::readFile(file), "2:f:2:a\n2:f:3:b\n");
  EXPECT_EQ(log.outputName(), file);
}

// Loader threads log while the window thread does: records never mix, and
// reopening the file for each record never closes it under another writer.
TEST_F(DebugLogTest, RecordsFromTwoThreadsStayWhole) {
  DebugLog& shared = debugLog();
  shared.setOutput(file, true);
  shared.setReopenEachMessage(true);
  shared.setLevel(LOG_INFO);
  auto writeRecords = [](char name) {
    for (int i = 0; i < 300; ++i) KVX_LOG(LOG_INFO, "thread %c record %d\n", name, i);
  };
  std::thread other(writeRecords, 'b');
  writeRecords('a');
  other.join();
  shared.setReopenEachMessage(false);
  shared.setOutput("stderr", false);
  shared.setLevel(1);
  std::istringstream lines(test::readFile(file));
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count)
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(4:services_test\.cpp:\d+:thread [ab] record \d+)"))) << line;
  EXPECT_EQ(count, 600);
}

TEST_F(DebugLogTest, UnopenableFileDropsRecords) {
  log.setLevel(2);
  log.setOutput(env.path("missing/dir/log.txt").string(), true);
  log.prolog(2, "f", 1);
  log.message("dropped\n");
  SUCCEED();
}

}  // namespace
}  // namespace kvx
