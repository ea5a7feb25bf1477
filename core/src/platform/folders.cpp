#include "platform/folders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvx {
namespace {

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

std::string xdgFolder(const char* variable, const char* fallbackBelowHome) {
  if (const char* value = std::getenv(variable); value && *value) return value;
  return homeFolder() + fallbackBelowHome;
}

}  // namespace

std::string configHome() { return xdgFolder("XDG_CONFIG_HOME", "/.config"); }
std::string dataHome() { return xdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string fallbackInstallFolder() { return dataHome() + "/kavrik"; }

std::string stateFolder() {
  std::string dir = xdgFolder("XDG_STATE_HOME", "/.local/state") + "/kavrik/";
  ensureFolder(dir);
  return dir;
}

std::string tempFolder() {
  std::string dir = "/tmp";
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) dir = tmp;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::optional<std::string> makePrivateTempFolder(const std::string& prefix) {
  std::string templ = tempFolder() + "/" + prefix + "XXXXXX";
  if (!mkdtemp(templ.data())) return std::nullopt;
  return templ;
}

bool ensureFolder(const std::string& path) {
  if (path.empty()) return false;
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return folderExists(path);
}

bool folderExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string userLoginName() {
  const passwd* pw = getpwuid(geteuid());
  if (pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  return "UnknownUser";
}

}  // namespace kvx
