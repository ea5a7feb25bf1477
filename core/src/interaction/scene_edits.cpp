#include "interaction/scene_edits.h"

#include "interaction/selection.h"

#include <set>
#include <utility>

namespace kvx {

void swapYZ(scene& scene) {
  std::set<const geom*> done;
  for (auto& object : scene.objects) {
    geom& g = *object->geometry;
    if (!done.insert(&g).second) continue;  // swapping twice would undo it
    for (Vertex& v : g.vertices) {
      std::swap(v.y, v.z);
      std::swap(v.ny, v.nz);
    }
  }
  scene.updateBounds();
}

void recomputeNormals(scene& scene) {
  const bool everything = !anySelected(scene);
  for (auto& object : scene.objects) {
    geom& g = *object->geometry;
    if (!everything && !fullySelected(g)) continue;
    g.RegenerateNormals(object->clockwise);
    const bool drawnAsLinesOrPoints =
        object->lineWidth != 0 || object->pointSize != 0 || isLineType(g.type) || g.type == points;
    if (!drawnAsLinesOrPoints) object->lit = true;
  }
}

}  // namespace kvx
