// Scene information and mail.
#include "sdk/plugin_state.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kDownloadPage = "https://tamo.example/kavrik/download";

bool drawnAsLinesOrPoints(const kvx::SceneObject& object) {
  return object.lineWidth != 0 || object.pointSize != 0;
}

bool isSurface(const kvx::SceneObject& object) {
  const int32_t type = object.geometry->type;
  return !drawnAsLinesOrPoints(object) && !(type >= kvx::line && type <= kvx::points);
}

int selectedPoints(const kvx::geom& g) {
  if (g.mark) return g.vertexCount();
  int count = 0;
  for (const kvx::Vertex& v : g.vertices) count += v.mark ? 1 : 0;
  return count;
}

std::string attributeText(const kvx::SceneObject& o) {
  std::string text;
  if (o.textureName) text += "(Tex)";
  if (o.repeatU && o.repeatV)
    text += "(tex_repeatuv)";
  else if (o.repeatU)
    text += "(tex_repeatu)";
  else if (o.repeatV)
    text += "(tex_repeatv)";
  if (o.geometry->perVertexColor) text += "(PVColor)";
  if (!o.smooth) text += "(Flat)";
  if (!o.lit) text += "(Unlit)";
  if (o.lineWidth != 0) text += "(Line)";
  if (o.pointSize != 0) text += "(Point)";
  if (o.blendSrc != 0 || o.blendDst != 0) text += "(Blend)";
  if (o.polygonStipple) text += "(Pattern)";
  if (o.envMap) text += "(Envmap)";
  if (o.polygonOffset[0] != 0 || o.polygonOffset[1] != 0) {
    char offset[96];
    std::snprintf(offset, sizeof offset, "(offset %f:%f)", o.polygonOffset[0], o.polygonOffset[1]);
    text += offset;
  }
  return text;
}

void describeObject(const kvx::scene& scene, int index, char (&out)[128]) {
  const kvx::SceneObject& o = *scene.objects[index];
  const int triangles = isSurface(o) ? o.geometry->triangleCount() : 0;
  std::snprintf(out, sizeof out, "----------- Object Info ----------\nObj #%d %s\n%s \n%d pts(%d triangles)\n", index,
                attributeText(o).c_str(), kvx::primTypeName(o.geometry->type), o.geometry->vertexCount(), triangles);
}

}  // namespace

bool kvx_GL_Plugin::SendMail(const char* path, const char* subject) {
  if (!path) return false;
  const std::string body = std::string("Download your free copy of KVXView at ") + kDownloadPage + " !\n" +
                           std::string(37, '_') + "\n\nMessage :";
  return state_->mail.send(subject ? subject : "KVX File", body, path);
}

bool kvx_GL_Plugin::GetSceneInfo(kvx_SceneInfo* info) { return GetInformation(info); }

bool kvx_GL_Plugin::GetInformation(kvx_SceneInfo* info) {
  if (!info) return true;
  std::memset(info, 0, sizeof *info);
  const State& s = *state_;
  const kvx::scene* scene = s.scene.get();
  if (!scene) return true;
  int geometryMemory = 0;
  for (const auto& object : scene->objects) {
    const kvx::geom& g = *object->geometry;
    info->points += g.vertexCount();
    if (isSurface(*object)) info->triangles += g.triangleCount();
    geometryMemory += (g.triangleCount() + 3 * g.vertexCount() + 12) * 12;
    info->selectedPoints += selectedPoints(g);
  }
  info->geometryMemory = geometryMemory;
  info->textures = static_cast<int>(scene->textures.size());
  for (const auto& [name, texture] : scene->textures.entries())
    info->textureMemory += texture->width * texture->height * 4;
  info->cameras = scene->views.empty() ? 0 : static_cast<int>(scene->views.size()) - 1;
  info->objects = scene->objectCount();
  info->lights = s.automaticLight ? -1 : static_cast<int>(scene->lights.size());
  info->sceneFlags = scene->sceneFlags;
  for (size_t i = 0; i < scene->authorStamp.size(); ++i)
    std::snprintf(info->sceneTexts[i], sizeof info->sceneTexts[i], "%s", scene->authorStamp[i].c_str());
  const int current = s.drag.currentObject;
  if (s.drag.objectMode && scene->objectCount() > 0 && current >= 0 && current < scene->objectCount())
    describeObject(*scene, current, info->objectInfo);
  return true;
}
