#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/registry_store.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using registry::Hive;

TEST(RegistryStore, StoresValuesPerHiveAndSurvivesReload) {
  test::TempEnv env;
  EXPECT_FALSE(registry::getString(Hive::LocalMachine, "SOFTWARE\\Tamo\\KavrikCapture", "InstallPath"));
  ASSERT_TRUE(registry::setString(Hive::LocalMachine, "SOFTWARE\\Tamo\\KavrikCapture", "InstallPath", "/opt/k"));
  ASSERT_TRUE(registry::setString(Hive::CurrentUser, "Environment", "VisualizationOutput", "x"));
  EXPECT_EQ(registry::getString(Hive::LocalMachine, "SOFTWARE\\Tamo\\KavrikCapture", "InstallPath"), "/opt/k");
  EXPECT_FALSE(registry::getString(Hive::CurrentUser, "SOFTWARE\\Tamo\\KavrikCapture", "InstallPath"));
  EXPECT_TRUE(std::filesystem::exists(env.path("registry/HKEY_LOCAL_MACHINE")));
  // Replacing keeps one entry; no temporary file is left behind.
  ASSERT_TRUE(registry::setString(Hive::LocalMachine, "SOFTWARE\\Tamo\\KavrikCapture", "InstallPath", "/opt/j"));
  EXPECT_EQ(registry::getString(Hive::LocalMachine, "SOFTWARE\\Tamo\\KavrikCapture", "InstallPath"), "/opt/j");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(env.path("registry")),
                          std::filesystem::directory_iterator()), 2);
}

TEST(RegistryStore, KeysAndNamesIgnoreLetterCase) {
  test::TempEnv env;
  ASSERT_TRUE(registry::setString(Hive::ClassesRoot, "CLSID\\{AB}\\InprocServer32", "", "/lib/x.so"));
  EXPECT_EQ(registry::getString(Hive::ClassesRoot, "clsid\\{ab}\\inprocserver32", ""), "/lib/x.so");
  EXPECT_TRUE(registry::keyExists(Hive::ClassesRoot, "CLSID\\{AB}"));
  EXPECT_FALSE(registry::keyExists(Hive::ClassesRoot, "CLSID\\{A"));
}

TEST(RegistryStore, ValuesWithSeparatorsRoundTrip) {
  test::TempEnv env;
  const std::string awkward = "tab\there\nnew line\\back\\slash\r";
  ASSERT_TRUE(registry::setString(Hive::CurrentUser, "K\\with\ttab", "na\nme", awkward));
  EXPECT_EQ(registry::getString(Hive::CurrentUser, "K\\with\ttab", "na\nme"), awkward);
}

TEST(RegistryStore, DeletesValuesKeysAndSubtrees) {
  test::TempEnv env;
  registry::setString(Hive::ClassesRoot, "Glimmer.GlimmerObj\\CLSID", "", "{1}");
  registry::setString(Hive::ClassesRoot, "Glimmer.GlimmerObj", "", "Glimmer");
  registry::setString(Hive::ClassesRoot, "Glimmer.GlimmerObjX", "", "other");
  EXPECT_EQ(registry::subkeys(Hive::ClassesRoot, ""),
            (std::vector<std::string>{"Glimmer.GlimmerObj", "Glimmer.GlimmerObjX"}));
  EXPECT_TRUE(registry::deleteValue(Hive::ClassesRoot, "Glimmer.GlimmerObj\\CLSID", ""));
  EXPECT_TRUE(registry::keyExists(Hive::ClassesRoot, "Glimmer.GlimmerObj\\CLSID"));
  EXPECT_FALSE(registry::deleteValue(Hive::ClassesRoot, "Glimmer.GlimmerObj\\CLSID", ""));
  EXPECT_TRUE(registry::deleteKey(Hive::ClassesRoot, "Glimmer.GlimmerObj"));
  EXPECT_FALSE(registry::keyExists(Hive::ClassesRoot, "Glimmer.GlimmerObj"));
  EXPECT_EQ(registry::getString(Hive::ClassesRoot, "Glimmer.GlimmerObjX", ""), "other");
  EXPECT_TRUE(registry::createKey(Hive::ClassesRoot, "Empty\\Key"));
  EXPECT_TRUE(registry::keyExists(Hive::ClassesRoot, "Empty\\Key"));
}

TEST(RegistryStore, UnwritableFolderFailsWithoutCrashing) {
  test::TempEnv env;
  test::writeFile(env.path("blocker"), "a file, not a folder");
  env.set("KAVRIK_REGISTRY_DIR", env.path("blocker/registry"));
  EXPECT_FALSE(registry::setString(Hive::LocalMachine, "K", "N", "V"));
  EXPECT_FALSE(registry::getString(Hive::LocalMachine, "K", "N"));
}

TEST(Folders, FollowXdgVariables) {
  test::TempEnv env;
  EXPECT_EQ(fallbackInstallFolder(), env.path("data/kavrik").string());
  EXPECT_EQ(stateFolder(), env.path("state/kavrik/").string());
  EXPECT_TRUE(folderExists(stateFolder()));
  env.set("TMPDIR", env.path("tmp/"));
  ensureFolder(env.path("tmp").string());
  EXPECT_EQ(tempFolder(), env.path("tmp").string());
  auto priv = makePrivateTempFolder("kvx");
  ASSERT_TRUE(priv);
  EXPECT_TRUE(folderExists(*priv));
  EXPECT_EQ(priv->rfind(env.path("tmp/kvx").string(), 0), 0u);
}

TEST(Folders, UserNameIsNeverEmpty) { EXPECT_FALSE(userLoginName().empty()); }

TEST(MessageBox, DefaultWritesCaptionAndTextToStandardError) {
  testing::internal::CaptureStderr();
  showMessageBox("InitKVXEngine", "no core library");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "InitKVXEngine: no core library\n");
}

TEST(MessageBox, InstalledHandlerReceivesTheMessage) {
  std::string seen;
  setMessageBoxHandler([&](const std::string& caption, const std::string& text) { seen = caption + "|" + text; });
  showMessageBox("Load", "bad file");
  setMessageBoxHandler(nullptr);
  EXPECT_EQ(seen, "Load|bad file");
}

}  // namespace
}  // namespace kvx
