// Removal of objects from a scene.
#include "scene/scene.h"

#include <algorithm>

namespace kvx {

void scene::RemoveObject(int32_t i) {
  if (i < 0 || i >= objectCount()) return;
  if (objects[i]->textureName != 0) textures.release_texture(objects[i]->textureName);
  objects.erase(objects.begin() + i);
}

void scene::RemoveObjects(int32_t first, int32_t last) {
  first = std::max(first, 0);
  last = std::min(last, objectCount() - 1);
  if (first > last) return;
  objects.erase(objects.begin() + first, objects.begin() + last + 1);
}

}  // namespace kvx
