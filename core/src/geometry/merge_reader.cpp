// The merge reader: a file merged into the scene brings its objects in,
// replacing the ones it repeats, and the whole is optimised again.
#include "geometry/processing.h"
#include "geometry/pyramid.h"
#include "services/debuglog.h"

#include <new>

namespace kvx {

namespace {

// Result of a merge that ran out of memory or whose optimisation failed.
constexpr int32_t kMergeFailed = 6;

// Copies the texture an incoming object uses unless the scene has one of
// that name already (taken to be the same texture). Each object using a
// texture holds one reference to it, as the file reader counts them.
bool bringTexture(scene& into, const scene& from, const SceneObject& object) {
  const uint32_t name = object.textureName;
  if (name == 0) return true;
  if (!into.textures.find(name)) {
    const SceneTexture* source = from.textures.find(name);
    if (!source) return true;
    try {
      auto copy = std::make_unique<SceneTexture>();
      copy->width = source->width;
      copy->height = source->height;
      copy->internalFormat = source->internalFormat;
      copy->name = source->name;
      copy->bitmap = source->bitmap;
      into.textures.add(std::move(copy));
    } catch (const std::bad_alloc&) {
      KVX_LOG(LOG_ERROR, "maj_tex: new tex failed\n");
      return false;
    }
  }
  into.textures.addReference(name);
  return true;
}

}  // namespace

int32_t scene::ReadMerge(const char* fileName, const char* passPhrase, bool* rawCapture, ProgressFn progressFn,
                         std::unique_ptr<CutBox>* cutBoxOut, std::unique_ptr<kvx_CutPlane>* cutPlaneOut) {
  const int32_t result = [&] {
    auto incoming = std::make_unique<scene>();
    const int32_t read = incoming->Read(fileName, passPhrase, rawCapture, progressFn, cutBoxOut, cutPlaneOut, true);
    if (read <= FILE_NEEDS_PASS) return read;
    Retransform_using_pyramid(*incoming);
    subtractScene(*this, *incoming);
    for (auto& object : incoming->objects) {
      if (!bringTexture(*this, *incoming, *object)) return kMergeFailed;
      if (!AddObjet(object)) return kMergeFailed;
    }
    return read;
  }();
  if (result <= FILE_NEEDS_PASS) return result;
  updateBounds();
  const ProgressFn installed = progress;
  progress = progressFn;
  const bool optimised = Optimize();
  progress = installed;
  return optimised ? result : kMergeFailed;
}

}  // namespace kvx
