// The capture handshake with the interceptor, through files in the
// installation's Files folder and the user's persistent environment.
#include "platform/message_box.h"
#include "platform/registry_store.h"
#include "sdk/plugin_state.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr const char* kEnvironmentKey = "Environment";
constexpr const char* kCaptureVariables[3] = {"VisualizationOutput", "CAT_FaceCull", "CAT_TwoSide"};
constexpr const char* kCaptureValues[3] = {"1", "0", "0"};

// Running programs read the persistent variables when they start; there is
// nobody to tell of a change.
void announceEnvironmentChange(int waitMs) {
  KVX_LOG(kvx::LOG_INFO, "announceEnvironmentChange: Environment (%d ms)\n", waitMs);
}

bool touch(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "a");
  if (!file) return false;
  std::fclose(file);
  return true;
}

void prepareCaptureEnvironment(std::array<std::string, 3>& saved) {
  using kvx::registry::Hive;
  for (size_t i = 0; i < saved.size(); ++i) {
    const char* value = std::getenv(kCaptureVariables[i]);
    saved[i] = value ? std::string(value).substr(0, 127) : std::string();
  }
  if (!kvx::registry::createKey(Hive::CurrentUser, kEnvironmentKey)) {
    kvx::showMessageBox("Insufficient Privleges", "You do not have permission to create environment variables.");
  } else {
    for (size_t i = 0; i < saved.size(); ++i)
      if (!kvx::registry::setString(Hive::CurrentUser, kEnvironmentKey, kCaptureVariables[i], kCaptureValues[i]))
        kvx::showMessageBox("SetEnvironmentVariable", "ERRE");
  }
  announceEnvironmentChange(210);
}

void restoreCaptureEnvironment(const std::array<std::string, 3>& saved) {
  using kvx::registry::Hive;
  for (size_t i = 0; i < saved.size(); ++i) {
    if (saved[i].empty())
      kvx::registry::deleteValue(Hive::CurrentUser, kEnvironmentKey, kCaptureVariables[i]);
    else
      kvx::registry::setString(Hive::CurrentUser, kEnvironmentKey, kCaptureVariables[i], saved[i]);
  }
  announceEnvironmentChange(110);
}

}  // namespace

bool kvx_GL_Plugin::EnableCapture(bool enable) {
  State& s = *state_;
  kvx::PathTable& paths = kvx::paths();
  if (!enable) {
    if (!kvx::captureOption(kvx::CaptureOption::CATIAENVOFF)) restoreCaptureEnvironment(s.capture.savedEnvironment);
    unlink(paths.viewerToCapture.c_str());
    unlink(paths.captureToViewer.c_str());
    unlink(paths.captureScene.c_str());
    if (s.capture.markerExisted) return true;
    return unlink(paths.viewerRunning.c_str()) == 0;
  }
  kvx::reloadCaptureOptions(paths.commandFile);
  if (!kvx::captureOption(kvx::CaptureOption::CATIAENVOFF)) prepareCaptureEnvironment(s.capture.savedEnvironment);
  paths = kvx::buildPathTable();
  if (paths.viewerRunning.empty()) return true;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(paths.viewerRunning).parent_path(), ignored);
  s.capture.markerExisted = std::filesystem::exists(paths.viewerRunning);
  return touch(paths.viewerRunning);
}

bool kvx_GL_Plugin::DisableCapture() { return EnableCapture(false); }

bool kvx_GL_Plugin::CaptureNow(int, void*) { return touch(kvx::paths().viewerToCapture); }

bool kvx_GL_Plugin::IsCaptureOk(void*) {
  FILE* file = std::fopen(kvx::paths().captureScene.c_str(), "r");
  if (!file) return false;
  int value = 0;
  const bool number = std::fscanf(file, "%d", &value) == 1;
  std::fclose(file);
  return number && value > 0;
}

bool kvx_GL_Plugin::LoadCapture(void*) {
  const kvx::PathTable& paths = kvx::paths();
  if (LoadFileE(paths.captureScene.c_str(), nullptr, false, nullptr) > 7) return true;
  unlink(paths.captureScene.c_str());
  unlink(paths.captureToViewer.c_str());
  return false;
}
