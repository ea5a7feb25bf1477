// File operations of the SDK object. Reading and writing arrive with the
// file format; until then every file operation reports failure.
#include "sdk/plugin_state.h"

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

bool kvx_GL_Plugin::SetPasswords(const char*, const char*) { return false; }

int kvx_GL_Plugin::CheckPasswords(const char*, const char*) { return 0; }

bool kvx_GL_Plugin::LoadDiffScene(const char*) { return false; }

int kvx_GL_Plugin::LoadFileE(const char*, kvx_ProgressFn, bool, const char*) { return 1; }

int kvx_GL_Plugin::SaveFileE(const char*, kvx_ProgressFn, const kvx_CryptoDesc*) { return 1; }

bool kvx_GL_Plugin::GetScene(kvx_Scene**) { return false; }

int kvx_GL_Plugin::GetFileSize() { return 0; }
