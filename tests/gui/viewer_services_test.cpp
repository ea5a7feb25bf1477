// The program's preferences store, its paths and its plug-in loader.
#include "file_size_limit.h"
#include "plugin_loader.h"
#include "preferences.h"
#include "program_paths.h"
#include "temp_env.h"
#include "viewer_app.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kavrik;
using kvx::test::readFile;
using kvx::test::writeFile;

TEST(PreferencesStore, ParsesKeyValueLines) {
  const struct {
    const char* line;
    const char* key;
    const char* value;  // null: the line is ignored
  } cases[] = {{"lines=yes", "lines", "yes"},
               {"  \tlastOpenDir = /home/joe/my scenes \r\n", "lastOpenDir", "/home/joe/my scenes "},
               {"key==value=x", "key", "value=x"},
               {"key value", "key", nullptr},
               {"key", "key", nullptr},
               {"=orphan", "", nullptr},
               {"", "", nullptr},
               {"empty=", "empty", ""}};
  for (const auto& c : cases) {
    std::map<std::string, std::string> entries;
    PreferencesStore::parseLine(c.line, entries);
    if (!c.value) {
      EXPECT_TRUE(entries.empty()) << c.line;
    } else {
      ASSERT_EQ(entries.size(), 1u) << c.line;
      EXPECT_EQ(entries.begin()->first, c.key);
      EXPECT_EQ(entries.begin()->second, c.value);
    }
  }
}

TEST(PreferencesStore, LaterKeysWinAndSetRewritesInKeyOrder) {
  kvx::test::TempEnv env;
  const auto file = env.path("kvx_prefs.txt");
  writeFile(file, "zeta=1\n\nalpha=old\nnot a line\nalpha=new\n" + std::string(1500, 'k') + "=v\n");
  PreferencesStore store(file.string());
  EXPECT_EQ(store.get("alpha"), "new");
  EXPECT_EQ(store.get("missing"), std::nullopt);
  ASSERT_TRUE(store.set("mid", "2"));
  EXPECT_EQ(readFile(file), "alpha=new\nmid=2\nzeta=1\n") << "an overlong line is dropped, not split";
  EXPECT_EQ(PreferencesStore(file.string()).get("mid"), "2");
}

TEST(PreferencesStore, CreatesAMissingFile) {
  kvx::test::TempEnv env;
  const auto file = env.path("kvx_prefs.txt");
  PreferencesStore store(file.string());
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_TRUE(store.set("lines", "yes"));
  EXPECT_EQ(readFile(file), "lines=yes\n");
}

TEST(PreferencesStore, RefusesWhatWouldNotSurviveAReload) {
  kvx::test::TempEnv env;
  PreferencesStore store(env.path("p.txt").string());
  EXPECT_FALSE(store.set("two words", "x"));
  EXPECT_FALSE(store.set("k=", "x"));
  EXPECT_FALSE(store.set("k", "line\nbreak"));
  EXPECT_FALSE(store.set("k", "=x")) << "a reload would drop the leading =";
  EXPECT_FALSE(store.set("k", " x")) << "a reload would drop the leading blank";
  EXPECT_FALSE(store.set("", "x"));
  EXPECT_EQ(readFile(env.path("p.txt")), "");
}

TEST(PreferencesStore, AnUnopenableFileLeavesItEmptyAndWritesFail) {
  kvx::test::TempEnv env;
  PreferencesStore missingFolder(env.path("no/such/folder/p.txt").string());
  EXPECT_FALSE(missingFolder.usable());
  EXPECT_EQ(missingFolder.get("x"), std::nullopt);
  EXPECT_FALSE(missingFolder.set("x", "1"));
}

TEST(PreferencesStore, AFailedRewriteKeepsTheFileAndTheOldValue) {
  kvx::test::TempEnv env;
  const auto folder = env.path("prefs");
  writeFile(folder / "p.txt", "lines=no\n");
  PreferencesStore store((folder / "p.txt").string());
  {
    kvx::test::FileSizeLimit full(4);  // the new file cannot be written
    EXPECT_FALSE(store.set("lines", "yes"));
  }
  EXPECT_EQ(store.get("lines"), "no");
  EXPECT_EQ(readFile(folder / "p.txt"), "lines=no\n");
}

TEST(ProgramPaths, DeriveFromTheProgramFolder) {
  EXPECT_EQ(folderOfProgram("/opt/kavrik/kavrik"), "/opt/kavrik");
  EXPECT_EQ(folderOfProgram("kavrik"), "");
  EXPECT_EQ(pluginFolder("/opt/kavrik"), "/opt/kavrik/plugins/");
  EXPECT_EQ(pluginFolder(""), "./plugins/");
  EXPECT_EQ(resourceFolder("/opt/kavrik"), "/opt/kavrik/resources/");
  EXPECT_EQ(pluginFileName("kvx_core"), "libkvx_core.so");
  EXPECT_EQ(pluginFileName("libz.so.1"), "libz.so.1");
}

TEST(ProgramPaths, RegisterTheFallbackAndExpandTheTable) {
  kvx::test::TempEnv env;
  const ProgramPaths saved = programPaths();
  initProgramPaths("/opt/kavrik/kavrik");
  const ProgramPaths paths = programPaths();
  programPaths() = saved;
  const std::string files = (env.path("data") / "kavrik" / "Files").string() + "/";
  EXPECT_EQ(paths.installDir, "/opt/kavrik");
  EXPECT_EQ(paths.preferences, files + "kvx_prefs.txt");
  EXPECT_EQ(paths.table.captureScene, files + "LastCapture.kvx");
  EXPECT_EQ(paths.table.predefinedSettings, files + "predefined_settings.txt");
  EXPECT_TRUE(std::filesystem::is_directory(files));
}

TEST(ProgramPaths, CopyMissingApplicationDefaultsFromTheResources) {
  kvx::test::TempEnv env;
  const ProgramPaths saved = programPaths();
  initProgramPaths((env.path("install") / "kavrik").string());
  writeFile(env.path("install/resources/pyra.txt.My App"), "pyramid");
  EXPECT_TRUE(copyApplicationDefaults("My App"));
  EXPECT_FALSE(copyApplicationDefaults("My App")) << "present files are kept";
  const auto folder = env.path("data") / "kavrik" / "Files" / "My_App";
  EXPECT_EQ(readFile(folder / "pyra.txt"), "pyramid");
  EXPECT_FALSE(std::filesystem::exists(folder / "diff.kvx"));
  programPaths() = saved;
}

TEST(StartUp, CommandLineAndFirstRunMarker) {
  char program[] = "/opt/kavrik/kavrik";
  char version[] = "--version";
  char extra[] = "x";
  char* alone[] = {program, version};
  char* followed[] = {program, version, extra};
  EXPECT_TRUE(versionRequested(2, alone));
  EXPECT_FALSE(versionRequested(3, followed));
  EXPECT_EQ(versionLine(program), "TAMO /opt/kavrik/kavrik version 1.4.6z (Oct  1 2004 10:38:45)");
  EXPECT_EQ(fileArgument({program}), "");
  EXPECT_EQ(fileArgument({program, "ab"}), "") << "1 or 2 characters are ignored";
  EXPECT_EQ(fileArgument({program, "a.kvx", "b"}), "a.kvx");
  EXPECT_EQ(fileArgument({program, "--version", "b"}), "");
  EXPECT_EQ(fileArgument({program, "--help"}), "") << "an option is never taken for a file";
  char help[] = "--help";
  char shortHelp[] = "-h";
  char unknown[] = "--open";
  char* helpAlone[] = {program, help};
  char* helpShort[] = {program, shortHelp};
  char* withUnknown[] = {program, unknown};
  char* plainFile[] = {program, extra};
  EXPECT_TRUE(helpRequested(2, helpAlone));
  EXPECT_TRUE(helpRequested(2, helpShort));
  EXPECT_FALSE(helpRequested(2, alone));
  EXPECT_STREQ(unknownOption(2, withUnknown), "--open");
  EXPECT_EQ(unknownOption(2, plainFile), nullptr);

  kvx::test::TempEnv env;
  const std::string marker = env.path("kavrik.log").string();
  EXPECT_TRUE(claimFirstRun(marker));
  EXPECT_FALSE(claimFirstRun(marker)) << "only the first start shows the About box";
  EXPECT_EQ(readFile(marker), "");
}

TEST(SdkPluginLoader, LoadsOnceAndUnloadsWithTheLastUser) {
  const std::string plugins = std::string(KVX_BIN_DIR) + "/plugins/";
  auto first = std::make_unique<SdkPluginLoader>();
  auto second = std::make_unique<SdkPluginLoader>();
  kvx_GL_Plugin* a = first->LoadPlugin("kvx_core", plugins);
  kvx_GL_Plugin* b = second->LoadPlugin("kvx_core", plugins);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SdkPluginLoader::useCount(), 2);
  EXPECT_STREQ(a->GetDescriptor(), "Kavrik GL SDK 1.0");
  delete static_cast<kvx_BaseSDK*>(a);
  delete static_cast<kvx_BaseSDK*>(b);
  {
    SdkPluginLoader neverLoaded;  // gives back nothing it did not take
  }
  EXPECT_EQ(SdkPluginLoader::useCount(), 2);
  second.reset();
  EXPECT_TRUE(SdkPluginLoader::libraryLoaded());
  first.reset();
  EXPECT_FALSE(SdkPluginLoader::libraryLoaded());
  EXPECT_EQ(SdkPluginLoader::useCount(), 0);
}

TEST(SdkPluginLoader, FailsQuietlyWithoutLibraryOrEntry) {
  kvx::test::TempEnv env;
  {
    SdkPluginLoader loader;
    EXPECT_EQ(loader.LoadPlugin("kvx_core", env.path("plugins").string() + "/"), nullptr);
    EXPECT_EQ(SdkPluginLoader::useCount(), 0);
  }
  {
    SdkPluginLoader loader;
    EXPECT_EQ(loader.LoadPlugin("libz.so.1", ""), nullptr) << "a library without SDKInit";
    EXPECT_EQ(SdkPluginLoader::useCount(), 1);
  }
  EXPECT_EQ(SdkPluginLoader::useCount(), 0);
  EXPECT_FALSE(SdkPluginLoader::libraryLoaded());
}
