#include "services/paths.h"

#include "platform/folders.h"
#include "platform/registry_store.h"
#include "services/debuglog.h"

#include <cstdio>

namespace kvx {
namespace {

constexpr const char* kInstallValue = "InstallPath";
int textureLogCounter = 0;

std::optional<std::string> registeredInstallFolder(const char* installKey) {
  auto value = registry::getString(registry::Hive::LocalMachine, installKey, kInstallValue);
  if (!value || value->empty()) return std::nullopt;
  std::string folder = *value;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string withFiles(const std::string& install) { return install + "/Files/"; }

}  // namespace

std::string installFolderCreating(const char* installKey) {
  if (auto folder = registeredInstallFolder(installKey)) return *folder;
  std::string folder = fallbackInstallFolder();
  if (!registry::setString(registry::Hive::LocalMachine, installKey, kInstallValue, folder))
    KVX_LOG(LOG_ERROR, "installFolderCreating: cannot register %s\n", folder.c_str());
  ensureFolder(folder + "/Files");
  return folder;
}

std::optional<std::string> expandPathTemplate(const std::string& templ, const char* installKey) {
  size_t percent = templ.rfind('%');
  if (percent == std::string::npos) return std::nullopt;
  return withFiles(installFolderCreating(installKey)) + templ.substr(percent + 1);
}

std::optional<std::string> filesFolder(const char* installKey) {
  auto install = registeredInstallFolder(installKey);
  if (!install) return std::nullopt;
  return withFiles(*install);
}

std::optional<std::string> applicationFolder(const std::string& appName, const char* installKey) {
  auto files = filesFolder(installKey);
  if (!files) return std::nullopt;
  if (appName == "Default") return files;
  std::string name = appName;
  for (char& c : name)
    if (c == ' ' || c == '/') c = '_';
  // "." and ".." would name the Files folder or the one above it.
  if (name.find_first_not_of('.') == std::string::npos)
    for (char& c : name) c = '_';
  std::string folder = *files + name + "/";
  if (!folderExists(folder)) ensureFolder(folder);
  return folder;
}

PathTable buildPathTable(const char* installKey) {
  PathTable table;
  auto expand = [&](const char* templ) { return expandPathTemplate(templ, installKey).value_or(""); };
  table.captureScene = expand("%TEMP%LastCapture.kvx");
  table.commandFile = expand("%TEMP%kavrik_cmd.txt");
  table.viewerToCapture = expand("%TEMP%view2capt.cmd");
  table.captureToViewer = expand("%TEMP%capt2view.cmd");
  table.viewerRunning = expand("%TEMP%vieweron.cmd");
  table.customSettings = expand("%TEMP%custom_settings.txt");
  table.predefinedSettings = expand("%TEMP%predefined_settings.txt");
  table.home = installFolderCreating(installKey);
  table.resources = table.home + "/resources/";
  return table;
}

PathTable& paths() {
  static PathTable table;
  return table;
}

void resetTextureLogCounter() { textureLogCounter = 0; }

std::string nextTextureLogName() {
  char name[32];
  std::snprintf(name, sizeof name, "CaptureTexture%03d.bmp", ++textureLogCounter);
  return stateFolder() + name;
}

}  // namespace kvx
