// File operations of the SDK object.
#include "format/dxf_export.h"
#include "sdk/passwords.h"
#include "sdk/plugin_state.h"
#include "sdk/scene_export.h"

#include <cstring>
#include <strings.h>

namespace {

bool hasDxfExtension(const char* path) {
  const char* dot = std::strrchr(path, '.');
  return dot && strcasecmp(dot + 1, "dxf") == 0;
}

}  // namespace

int kvx_GL_Plugin::LoadFile(const char* path, kvx_ProgressFn progress, bool merge) {
  return LoadFileE(path, progress, merge, nullptr);
}

int kvx_GL_Plugin::SaveFile(const char* path, kvx_ProgressFn progress) {
  return SaveFileE(path, progress, nullptr);
}

int kvx_GL_Plugin::CloseFile() {
  State& s = *state_;
  s.scene.reset();
  s.sectionCache.clear();
  s.viewLocked = s.editLocked = false;
  return 0;
}

bool kvx_GL_Plugin::SetPasswords(const char* readPassword, const char* writePassword) {
  kvx::scene* scene = state_->scene.get();
  if (!scene) return false;
  scene->readPassword = readPassword != nullptr;
  scene->readPasswordText = readPassword ? kvx::shiftPassword(readPassword) : std::string();
  scene->writePassword = writePassword != nullptr;
  scene->writePasswordText = writePassword ? kvx::shiftPassword(writePassword) : std::string();
  return true;
}

int kvx_GL_Plugin::CheckPasswords(const char* readPassword, const char* writePassword) {
  State& s = *state_;
  if (const kvx::scene* scene = s.scene.get()) {
    s.viewLocked = scene->readPassword && !kvx::passwordMatches(scene->readPasswordText, readPassword);
    s.editLocked = scene->writePassword;
    // The write password opens everything.
    if (scene->writePassword && kvx::passwordMatches(scene->writePasswordText, writePassword))
      s.viewLocked = s.editLocked = false;
  }
  return (s.viewLocked ? 1 : 0) | (s.editLocked ? 2 : 0);
}

bool kvx_GL_Plugin::LoadDiffScene(const char*) { return false; }

int kvx_GL_Plugin::LoadFileE(const char*, kvx_ProgressFn, bool, const char*) { return 1; }

int kvx_GL_Plugin::SaveFileE(const char* path, kvx_ProgressFn, const kvx_CryptoDesc*) {
  State& s = *state_;
  if (!s.scene || s.editLocked || !path) return 6;
  if (hasDxfExtension(path)) {
    kvx_Scene* triangles = kvx::exportTriangles(*s.scene);
    if (triangles) kvx::writeDxf(*triangles, path);
    kvx_FreeScene(triangles);
    return 0;
  }
  return 1;
}

bool kvx_GL_Plugin::GetScene(kvx_Scene** result) {
  if (!result || !state_->scene) return false;
  *result = kvx::exportTriangles(*state_->scene);
  return *result != nullptr;
}

int kvx_GL_Plugin::GetFileSize() { return 0; }
