#include "scene/selection_flags.h"

#include <algorithm>

namespace kvx {

bool hasSelectedPoint(const geom& g) {
  if (g.mark && !g.vertices.empty()) return true;
  return std::any_of(g.vertices.begin(), g.vertices.end(), [](const Vertex& v) { return v.mark != 0; });
}

bool fullySelected(const geom& g) {
  if (g.vertices.empty()) return false;
  if (g.mark) return true;
  return std::all_of(g.vertices.begin(), g.vertices.end(), [](const Vertex& v) { return v.mark != 0; });
}

bool anySelected(const scene& scene) {
  return std::any_of(scene.objects.begin(), scene.objects.end(),
                     [](const auto& object) { return hasSelectedPoint(*object->geometry); });
}

void updateSelectionFlags(geom& g) {
  const auto selected = std::count_if(g.vertices.begin(), g.vertices.end(), [](const Vertex& v) { return v.mark; });
  g.mark = !g.vertices.empty() && selected == std::ssize(g.vertices) ? kFlagSet : 0;
  g.boundsMark = selected == 0 ? kFlagSet : 0;
}

}  // namespace kvx
