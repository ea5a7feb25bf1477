#include "program_paths.h"

#include "platform/folders.h"
#include "services/capture_options.h"

#include <filesystem>

namespace kavrik {

ProgramPaths& programPaths() {
  static ProgramPaths paths;
  return paths;
}

std::string folderOfProgram(const std::string& programPath) {
  size_t slash = programPath.rfind('/');
  return slash == std::string::npos ? std::string() : programPath.substr(0, slash);
}

std::string pluginFolder(const std::string& installDir) {
  return (installDir.empty() ? std::string(".") : installDir) + "/plugins/";
}

std::string resourceFolder(const std::string& installDir) { return installDir + "/resources/"; }

std::string pluginFileName(const std::string& name) {
  if (name.find('.') != std::string::npos) return name;
  return "lib" + name + ".so";
}

void initProgramPaths(const std::string& programPath) {
  ProgramPaths& paths = programPaths();
  paths.installDir = kvx::installFolderCreating(kvx::kViewerInstallKey);
  if (!programPath.empty()) paths.installDir = folderOfProgram(programPath);
  paths.table = kvx::buildPathTable(kvx::kViewerInstallKey);
  paths.preferences = kvx::expandPathTemplate("%TEMP%kvx_prefs.txt", kvx::kViewerInstallKey).value_or("");
}

std::string captureApplicationFolder() {
  std::string app = kvx::capturedApplicationName(programPaths().table.commandFile).value_or("Default");
  return kvx::applicationFolder(app, kvx::kViewerInstallKey).value_or("");
}

bool copyApplicationDefaults(const std::string& appName) {
  auto folder = kvx::applicationFolder(appName, kvx::kViewerInstallKey);
  if (!folder) return false;
  namespace fs = std::filesystem;
  const std::string resources = resourceFolder(programPaths().installDir);
  bool copied = false;
  for (const char* name : {"pyra.txt", "diff.kvx"}) {
    fs::path target = *folder + name;
    fs::path source = resources + name + "." + appName;
    std::error_code error;
    if (fs::exists(target, error) || !fs::exists(source, error)) continue;
    copied |= fs::copy_file(source, target, error);
  }
  return copied;
}

const std::string& currentUserName() {
  static const std::string name = kvx::userLoginName().substr(0, 100);
  return name;
}

}  // namespace kavrik
