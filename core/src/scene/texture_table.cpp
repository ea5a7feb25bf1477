#include "scene/scene_records.h"

#include "services/debuglog.h"

#include <GL/gl.h>

namespace kvx {

SceneTexture* TextureTable::add(std::unique_ptr<SceneTexture> texture) {
  SceneTexture* raw = texture.get();
  textures_[texture->name] = std::move(texture);
  return raw;
}

SceneTexture* TextureTable::find(uint32_t name) const {
  auto it = textures_.find(name);
  return it == textures_.end() ? nullptr : it->second.get();
}

bool TextureTable::addReference(uint32_t name) {
  SceneTexture* texture = find(name);
  if (!texture) return false;
  ++texture->refCount;
  return true;
}

int TextureTable::release_texture(uint32_t name) {
  auto it = textures_.find(name);
  if (it == textures_.end()) {
    KVX_LOG(LOG_WARNING, "release_texture: no such texture: %u\n", name);
    return -1;
  }
  if (--it->second->refCount > 0) return 0;
  if (it->second->glTexture) glDeleteTextures(1, &it->second->glTexture);
  textures_.erase(it);
  return 1;
}

void TextureTable::clear() {
  for (auto& [name, texture] : textures_)
    if (texture->glTexture) glDeleteTextures(1, &texture->glTexture);
  textures_.clear();
}

void TextureTable::dump() const {
  for (const auto& [name, t] : textures_)
    KVX_LOG(LOG_DUMP, " texname %u w %d h %d intform %d bitmap %p refcnt %d\n", t->name, t->width,
            t->height, t->internalFormat, static_cast<const void*>(t->bitmap.data()), t->refCount);
}

}  // namespace kvx
