// What gets installed beside the programs: the desktop entry names file
// types the system can recognise, and the server's manual page keeps up
// with its --help.
#include "run_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = KVX_SOURCE_DIR;

std::string readText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Types listed on the entry's MimeType line.
std::set<std::string> desktopTypes() {
  std::istringstream entry(readText(kSource / "viewer/desktop/kavrik.desktop"));
  std::set<std::string> types;
  for (std::string line; std::getline(entry, line);) {
    if (line.rfind("MimeType=", 0) != 0) continue;
    std::istringstream list(line.substr(9));
    for (std::string type; std::getline(list, type, ';');)
      if (!type.empty()) types.insert(type);
  }
  return types;
}

// Extension -> types claiming "*.ext", from the system's database and from
// the file types Kavrik installs itself.
std::multimap<std::string, std::string> globs() {
  std::multimap<std::string, std::string> result;
  std::istringstream system(readText("/usr/share/mime/globs2"));
  static const std::regex systemGlob(R"(^\d+:([^:]+):\*\.([A-Za-z0-9]+)$)");
  for (std::string line; std::getline(system, line);)
    if (std::smatch m; std::regex_match(line, m, systemGlob)) result.emplace(m[2], m[1]);
  const std::string own = readText(kSource / "viewer/desktop/kavrik-mime.xml");
  static const std::regex ownType(R"re(<mime-type type="([^"]+)">([\s\S]*?)</mime-type>)re");
  static const std::regex ownGlob(R"re(<glob pattern="\*\.([A-Za-z0-9]+)"/>)re");
  for (auto type = std::sregex_iterator(own.begin(), own.end(), ownType); type != std::sregex_iterator(); ++type) {
    const std::string body = (*type)[2];
    for (auto glob = std::sregex_iterator(body.begin(), body.end(), ownGlob); glob != std::sregex_iterator(); ++glob)
      result.emplace((*glob)[1], (*type)[1]);
  }
  return result;
}

TEST(DesktopEntry, OffersEveryFormatKavrikOpens) {
  if (!fs::exists("/usr/share/mime/globs2")) GTEST_SKIP() << "no shared MIME database here";
  const std::set<std::string> listed = desktopTypes();
  const auto known = globs();
  // A type the database does not know never reaches the file manager.
  std::set<std::string> knownTypes;
  for (const auto& [extension, type] : known) knownTypes.insert(type);
  for (const std::string& type : listed) EXPECT_TRUE(knownTypes.count(type)) << type << " is known nowhere";

  for (const char* extension : {"kvx", "gltf", "glb", "obj", "stl", "ply", "dae", "3ds", "fbx"}) {
    bool offered = false;
    for (auto [it, end] = known.equal_range(extension); it != end; ++it) offered |= listed.count(it->second) > 0;
    EXPECT_TRUE(offered) << "*." << extension << " files are not offered to Kavrik";
  }
}

// The page's source with its escaped hyphens ("\-\-name") made plain.
std::string unescapedManPage() {
  return std::regex_replace(readText(kSource / "docs/man/kavrik-server.1"), std::regex(R"(\\-)"), "-");
}

TEST(ServerManualPage, DescribesEveryOptionEnvironmentAndExitStatus) {
  const std::string page = unescapedManPage();
  ASSERT_FALSE(page.empty());
  const auto help = kvx::test::runCommand(std::string(KVX_BIN_DIR) + "/kavrik-server --help");
  ASSERT_EQ(help.status, 0);
  static const std::regex option(R"(--[a-z][a-z-]*)");
  std::set<std::string> options;
  const std::string& text = help.output;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
    options.insert(it->str());
  ASSERT_GE(options.size(), 8u) << help.output;
  for (const std::string& name : options)
    EXPECT_TRUE(page.find(".TP\n.BI " + name + " ") != std::string::npos ||
                page.find(".TP\n.B " + name + "\n") != std::string::npos)
        << name << " has no entry of its own";
  for (const char* section : {".SH ENVIRONMENT", ".SH EXIT STATUS", ".SH EXAMPLES"})
    EXPECT_NE(page.find(section), std::string::npos) << section;
  for (const char* variable : {"KAVRIK_CLUSTER_SECRET", "KAVRIK_REDIS_PASSWORD"})
    EXPECT_NE(page.find(".B " + std::string(variable) + "\n"), std::string::npos) << variable;
}

}  // namespace
