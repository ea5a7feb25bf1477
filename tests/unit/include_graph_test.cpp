// Dependencies between the core's folders point one way. The folder graph
// is read from the #include lines of the sources, so that a cycle or a
// forbidden include fails here as soon as it is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = KVX_SOURCE_DIR;

// Folder of core/src named by each `#include "folder/..."` of one file.
std::set<std::string> includedFolders(const fs::path& file) {
  static const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+)/)");
  std::set<std::string> folders;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    std::smatch match;
    if (std::regex_search(line, match, include)) folders.insert(match[1]);
  }
  return folders;
}

// file (relative to the source root) -> core folders it includes.
std::map<std::string, std::set<std::string>> includesUnder(const fs::path& root) {
  std::map<std::string, std::set<std::string>> result;
  for (const auto& entry : fs::recursive_directory_iterator(kSource / root)) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".h" || extension == ".cpp")
      result[fs::relative(entry.path(), kSource).string()] = includedFolders(entry.path());
  }
  return result;
}

using Graph = std::map<std::string, std::set<std::string>>;

Graph coreFolderGraph() {
  Graph graph;
  for (const auto& [file, folders] : includesUnder("core/src")) {
    const std::string from = fs::path(file).parent_path().filename().string();
    for (const std::string& to : folders)
      if (to != from) graph[from].insert(to);
  }
  return graph;
}

bool reaches(const Graph& graph, const std::string& from, const std::string& to) {
  std::vector<std::string> pending{from};
  std::set<std::string> seen;
  while (!pending.empty()) {
    const std::string folder = pending.back();
    pending.pop_back();
    if (folder == to) return true;
    if (!seen.insert(folder).second) continue;
    if (auto it = graph.find(folder); it != graph.end()) pending.insert(pending.end(), it->second.begin(), it->second.end());
  }
  return false;
}

// Edges that still close a cycle. The list may only shrink: a cut edge must
// leave it.
const std::set<std::string> kCyclesStillToCut = {
    "format -> scene", "scene -> format",  // the scene owns its serializer
};

TEST(IncludeGraph, CoreFoldersFormNoNewCycle) {
  const Graph graph = coreFolderGraph();
  std::set<std::string> cycleEdges;
  for (const auto& [from, targets] : graph)
    for (const std::string& to : targets)
      if (reaches(graph, to, from)) cycleEdges.insert(from + " -> " + to);
  for (const std::string& edge : cycleEdges)
    EXPECT_TRUE(kCyclesStillToCut.count(edge)) << "new include cycle through " << edge;
  for (const std::string& edge : kCyclesStillToCut)
    EXPECT_TRUE(cycleEdges.count(edge)) << edge << " no longer closes a cycle: take it off the list";
}

struct IncludeRule {
  const char* folder;                   // relative to the source root
  std::set<std::string> forbidden;      // core folders it may not include
  std::set<std::string> stillIncluding; // files that still do, to be cut
};

TEST(IncludeGraph, FoldersIncludeOnlyWhatTheyMay) {
  const IncludeRule rules[] = {
      // The renderer and the interaction units never see the SDK object.
      {"core/src/render", {"sdk"}, {}},
      {"core/src/interaction", {"sdk"}, {}},
      // The scene model knows nothing of drawing or interaction.
      {"core/src/scene", {"render", "interaction", "sdk", "geometry", "exchange"}, {}},
      // The kvx tool uses the scene, format and exchange code, never the SDK
      // object's insides (it drives the object through kvx_sdk.h).
      {"tools", {"sdk", "render", "interaction"}, {}},
      // The desktop program sees the public headers and the services only.
      {"viewer", {"scene", "format", "geometry", "render", "interaction", "sdk", "exchange"}, {}},
  };
  for (const IncludeRule& rule : rules) {
    for (const auto& [file, folders] : includesUnder(rule.folder)) {
      const bool known = rule.stillIncluding.count(file);
      bool forbidden = false;
      for (const std::string& folder : folders) forbidden = forbidden || rule.forbidden.count(folder);
      if (known)
        EXPECT_TRUE(forbidden) << file << " is clean now: take it off the list";
      else
        EXPECT_FALSE(forbidden) << file << " includes a folder " << rule.folder << " may not";
    }
  }
}

}  // namespace
