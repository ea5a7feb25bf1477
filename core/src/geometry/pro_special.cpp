// Post-processing enabled by the PROESPECIAL capture option. The captured
// application hands over copies of one object that share a single geometry;
// the merging passes grow a geometry in place, which would change every
// copy. Pass one groups the objects by the geometry they share, pass two
// gives every object after the first of a group a geometry of its own.
#include "scene/scene.h"

#include <memory>
#include <unordered_map>

namespace kvx {

void scene::ProSpecialPostProcess() {
  std::unordered_map<const geom*, int32_t> firstSharer;
  for (int32_t k = 0; k < objectCount(); ++k) firstSharer.try_emplace(objects[k]->geometry.get(), k);
  for (int32_t k = 0; k < objectCount(); ++k) {
    SceneObject& object = *objects[k];
    if (firstSharer.at(object.geometry.get()) != k) object.geometry = std::make_shared<geom>(*object.geometry);
  }
}

}  // namespace kvx
