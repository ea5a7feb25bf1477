// Registry entries of the control and the names of document files.
#include "document_folder.h"
#include "registration.h"
#include "temp_env.h"

#include "platform/registry_store.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace glimmer {
namespace {

using kvx::registry::Hive;

std::string value(const std::string& key, const std::string& name = "") {
  return kvx::registry::getString(Hive::ClassesRoot, key, name).value_or("<missing>");
}

TEST(Registration, WritesTheScriptsKeysAndRemovesThemAgain) {
  kvx::test::TempEnv env;
  const std::string module = "/opt/kavrik/libglimmer.so";
  const std::string cls = "CLSID\\{5B3E21A7-9C4D-4F18-A2E6-7D90C1B4E35F}";
  ASSERT_TRUE(registerControl(module));

  EXPECT_EQ(value("Glimmer.GlimmerObj.1"), "kavrik publish");
  EXPECT_EQ(value("Glimmer.GlimmerObj.1\\CLSID"), "{5B3E21A7-9C4D-4F18-A2E6-7D90C1B4E35F}");
  EXPECT_TRUE(kvx::registry::keyExists(Hive::ClassesRoot, "Glimmer.GlimmerObj.1\\Insertable"));
  EXPECT_EQ(value("Glimmer.GlimmerObj"), "kavrik publish");
  EXPECT_EQ(value("Glimmer.GlimmerObj\\CurVer"), "Glimmer.GlimmerObj.1");
  EXPECT_EQ(value("Glimmer.GlimmerObj", "ExeModule"), module);
  EXPECT_EQ(value(cls), "kavrik publish");
  EXPECT_EQ(value(cls + "\\ProgID"), "Glimmer.GlimmerObj.1");
  EXPECT_EQ(value(cls + "\\VersionIndependentProgID"), "Glimmer.GlimmerObj");
  EXPECT_EQ(value(cls + "\\InprocServer32"), module);
  EXPECT_EQ(value(cls + "\\InprocServer32", "ThreadingModel"), "both");
  EXPECT_TRUE(kvx::registry::keyExists(Hive::ClassesRoot, cls + "\\Control"));
  EXPECT_TRUE(kvx::registry::keyExists(Hive::ClassesRoot, cls + "\\Insertable"));
  EXPECT_EQ(value(cls + "\\ToolboxBitmap32"), module + ", 1");
  EXPECT_EQ(value(cls + "\\MiscStatus"), "0");
  EXPECT_EQ(value(cls + "\\MiscStatus\\1"), "131473");
  EXPECT_EQ(value(cls + "\\TypeLib"), "{5B3E21A1-9C4D-4F18-A2E6-7D90C1B4E35F}");
  EXPECT_EQ(value(cls + "\\Version"), "1.0");
  EXPECT_EQ(registeredServer(), module);
  EXPECT_EQ(registeredExeModule(), module);

  // Registering again from elsewhere replaces the class key's content.
  ASSERT_TRUE(registerControl("/usr/lib/glimmer/libglimmer.so"));
  EXPECT_EQ(registeredServer(), "/usr/lib/glimmer/libglimmer.so");

  kvx::registry::setString(Hive::ClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}", "", "other");
  ASSERT_TRUE(unregisterControl());
  EXPECT_FALSE(kvx::registry::keyExists(Hive::ClassesRoot, cls));
  EXPECT_FALSE(kvx::registry::keyExists(Hive::ClassesRoot, "Glimmer.GlimmerObj"));
  EXPECT_FALSE(kvx::registry::keyExists(Hive::ClassesRoot, "Glimmer.GlimmerObj.1"));
  EXPECT_TRUE(kvx::registry::keyExists(Hive::ClassesRoot, "CLSID"));
  EXPECT_EQ(value("CLSID\\{00000000-0000-0000-0000-000000000001}"), "other");
  EXPECT_EQ(registeredExeModule(), "");
}

TEST(DocumentNames, HostileNamesStayInsideTheFolder) {
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"http://host/scenes/pump.kvx", "pump.kvx"},
      {"http://host/get?file=../../etc/passwd", "get"},
      {"https://host/a/b.kvx#part", "b.kvx"},
      {"../../../etc/passwd", "passwd"},
      {"c:\\docs\\..\\evil.kvx", "evil.kvx"},
      {"..", "document.kvx"},
      {"...", "document.kvx"},
      {"http://host/", "document.kvx"},
      {"", "document.kvx"},
      {"/", "document.kvx"},
      {"a\x01\x1f\x7f" "b.kvx", "ab.kvx"},
      {"name\nwith\rbreaks.kvx", "namewithbreaks.kvx"},
      {".hidden.kvx", "hidden.kvx"},
      {"x:y.kvx", "xy.kvx"},
  };
  for (const Case& c : cases) EXPECT_EQ(safeDocumentName(c.name), c.expected) << c.name;
  EXPECT_LE(safeDocumentName(std::string(5000, 'a') + ".kvx").size(), 200u);
}

TEST(DocumentNames, ASecondDocumentOfTheSameNameGetsAFileOfItsOwn) {
  kvx::test::TempEnv env;
  env.set("TMPDIR", env.root());
  const auto first = DocumentFolder::freshPath("http://a/scene.kvx");
  const auto second = DocumentFolder::freshPath("http://b/scene.kvx");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  const std::filesystem::path folder = std::filesystem::path(*first).parent_path();
  EXPECT_EQ(folder, std::filesystem::path(*second).parent_path());
  EXPECT_EQ(folder.parent_path(), env.root());
  EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  EXPECT_EQ(std::filesystem::path(*first).filename(), "scene.kvx");
  EXPECT_EQ(std::filesystem::path(*second).filename(), "scene-2.kvx");
  DocumentFolder::removeAll();
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace glimmer
