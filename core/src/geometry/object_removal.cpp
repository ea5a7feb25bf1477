// Removal of objects from a scene.
#include "geometry/processing.h"

#include <algorithm>

namespace kvx {

void releaseObjectTexture(scene& s, const SceneObject& object) {
  if (object.textureName != 0) s.textures.release_texture(object.textureName);
}

void scene::RemoveObject(int32_t i) {
  if (i < 0 || i >= objectCount()) return;
  releaseObjectTexture(*this, *objects[i]);
  objects.erase(objects.begin() + i);
}

void scene::RemoveObjects(int32_t first, int32_t last) {
  first = std::max(first, 0);
  last = std::min(last, objectCount() - 1);
  if (first > last) return;
  objects.erase(objects.begin() + first, objects.begin() + last + 1);
}

void removeEmptyObjects(scene& s) {
  auto empty = [](const std::unique_ptr<SceneObject>& o) {
    return o->geometry->vertices.empty() || o->geometry->triangleTable.empty();
  };
  // Released from the last object to the first, as one-by-one removal would.
  for (auto it = s.objects.rbegin(); it != s.objects.rend(); ++it)
    if (empty(*it)) releaseObjectTexture(s, **it);
  std::erase_if(s.objects, empty);
}

}  // namespace kvx
