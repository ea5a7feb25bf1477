#include "interaction/rectangle_selection.h"

#include "interaction/selection.h"

#include <set>
#include <utility>

namespace kvx {

void selectInRectangle(scene& scene, const WindowProjector& projector, int x1, int y1, int x2, int y2,
                       bool toggle) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 == x2 && y1 == y2) x1 -= 2, y1 -= 2, x2 += 2, y2 += 2;
  std::set<const geom*> done;  // a shared geometry is visited once
  for (auto& object : scene.objects) {
    geom& g = *object->geometry;
    if (!done.insert(&g).second) continue;
    for (Vertex& v : g.vertices) {
      const auto p = projector.project(v.x, v.y, v.z);
      const int x = p ? static_cast<int>(p->x) : 0, y = p ? static_cast<int>(p->y) : 0;
      const bool inside = p && x1 <= x && x <= x2 && y1 <= y && y <= y2 && p->depth > 0;
      if (inside)
        v.mark = toggle ? 1 - (v.mark ? 1 : 0) : 1;
      else if (!toggle)
        v.mark = 0;
    }
    updateSelectionFlags(g);
  }
}

}  // namespace kvx
