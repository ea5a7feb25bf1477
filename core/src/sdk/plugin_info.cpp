// Scene information and mail.
#include "sdk/plugin_state.h"

#include <cstring>

bool kvx_GL_Plugin::SendMail(const char*, const char*) { return false; }

bool kvx_GL_Plugin::GetSceneInfo(kvx_SceneInfo* info) { return GetInformation(info); }

bool kvx_GL_Plugin::GetInformation(kvx_SceneInfo* info) {
  if (!info) return false;
  std::memset(info, 0, sizeof *info);
  const kvx::scene* scene = state_->scene.get();
  if (!scene) return true;
  info->objects = scene->objectCount();
  info->sceneFlags = scene->sceneFlags;
  for (size_t i = 0; i < scene->authorStamp.size(); ++i)
    std::strncpy(info->sceneTexts[i], scene->authorStamp[i].c_str(), sizeof info->sceneTexts[i] - 1);
  return true;
}
