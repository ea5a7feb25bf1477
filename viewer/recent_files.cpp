#include "recent_files.h"

#include <algorithm>
#include <filesystem>

namespace kavrik {
namespace {

std::string keyOf(size_t index) { return "recentFile" + std::to_string(index); }

bool store(PreferencesStore& preferences, const std::vector<std::string>& files) {
  bool stored = true;
  for (size_t i = 0; i < kRecentFileCount; ++i) {
    const std::string value = i < files.size() ? files[i] : "";
    if (preferences.get(keyOf(i)).value_or("") != value) stored = preferences.set(keyOf(i), value) && stored;
  }
  return stored;
}

std::string shownInMenu(std::string text) {
  for (size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 2)) text.insert(at, "&");
  return text;
}

}  // namespace

std::vector<std::string> recentFiles(const PreferencesStore& preferences) {
  std::vector<std::string> files;
  for (size_t i = 0; i < kRecentFileCount; ++i) {
    const std::string path = preferences.get(keyOf(i)).value_or("");
    if (!path.empty() && std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
  }
  return files;
}

std::vector<std::string> withRecentFile(std::vector<std::string> files, const std::string& path) {
  std::erase(files, path);
  files.insert(files.begin(), path);
  if (files.size() > kRecentFileCount) files.resize(kRecentFileCount);
  return files;
}

bool rememberRecentFile(PreferencesStore& preferences, const std::string& path) {
  return store(preferences, withRecentFile(recentFiles(preferences), path));
}

bool forgetRecentFile(PreferencesStore& preferences, const std::string& path) {
  std::vector<std::string> files = recentFiles(preferences);
  std::erase(files, path);
  return store(preferences, files);
}

std::string recentFileLabel(size_t index, const std::string& path) {
  const std::filesystem::path file(path);
  std::string label = "&" + std::to_string((index + 1) % 10) + " " + shownInMenu(file.filename().string());
  if (file.has_parent_path()) label += "  (" + shownInMenu(file.parent_path().string()) + ")";
  return label;
}

}  // namespace kavrik
