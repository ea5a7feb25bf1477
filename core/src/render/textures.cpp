#include "render/textures.h"

#include "services/debuglog.h"

#include <GL/gl.h>
#include <GL/glu.h>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

namespace kvx {
namespace {

GLint wrap(bool repeat) { return repeat ? GL_REPEAT : GL_CLAMP; }

}  // namespace

bool ensureTexture(SceneTexture& texture, bool repeatU, bool repeatV, bool accelerate) {
  if (texture.glTexture || texture.width == 0 || texture.height == 0) return false;
  if (texture.bitmap.size() < size_t(texture.width) * texture.height * 4) return false;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(repeatU));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(repeatV));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  while (glGetError() != GL_NO_ERROR) {
  }
  const int built = accelerate ? gluBuild2DMipmaps(GL_TEXTURE_2D, 4, texture.width, texture.height,
                                                   GL_BGRA, GL_UNSIGNED_BYTE, texture.bitmap.data())
                               : -1;
  if (built != 0 || glGetError() != GL_NO_ERROR) {
    // Sizes that are not powers of two are fine for a single level.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, texture.width, texture.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texture.bitmap.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (glGetError() != GL_NO_ERROR)
      KVX_LOG(LOG_ERROR, "ensureTexture: upload of texture %u failed\n", texture.name);
  }
  texture.glTexture = name;
  return true;
}

void setTextureFilters(const SceneTexture& texture, bool accelerate) {
  GLint levels = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levels);
  const bool mipmapped = levels > 0 || (texture.width == 1 && texture.height == 1);
  if (texture.height == 1) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  accelerate && mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
}

bool textureNamesValid(const scene& scene, uint32_t overlayTexture) {
  if (overlayTexture && !glIsTexture(overlayTexture)) return false;
  for (const auto& [name, texture] : scene.textures.entries())
    if (texture->glTexture && !glIsTexture(texture->glTexture)) return false;
  return true;
}

void releaseTextures(scene& scene, bool deleteObjects) {
  for (auto& [name, texture] : scene.textures.entries()) {
    if (texture->glTexture && deleteObjects) glDeleteTextures(1, &texture->glTexture);
    texture->glTexture = 0;
  }
}

}  // namespace kvx
